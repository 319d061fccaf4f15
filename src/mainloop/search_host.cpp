#include "mainloop/search_host.h"

#include "mainloop/program.h"
#include "mainloop/tree_grow.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "plots/search_window.h"
#include "ui/messages.h"
#include "ui/plotsym.h"
#include "ui/textrow.h"

#include <algorithm>
#include <cmath>

namespace meru::mainloop {

bool widen_for(plots::WindowScale& scale, float g, int complexity)
{
    if (g > scale.ymax) {
        scale.ymax = 2.0 * g;
        // A complexity of 0 would leave the x axis no range.
        scale.xmax = std::max(1.0, 3.0 * complexity);
    } else if (complexity > scale.xmax) {
        // A mark past the x axis's end would stand outside the plot: x makes room
        // up to that complexity + 3, as the hull and the next iteration do.
        scale.xmax = complexity + 3.0;
    } else {
        return false;
    }
    scale.xstep = std::max(1.0, std::floor(scale.xmax / 4.0));
    return true;
}

void room_for_stored(plots::WindowScale& scale, std::span<const search::StoredPartition> stored, double g)
{
    const int cmax = stored.empty() ? 0 : stored.back().complexity;
    scale.xmax = std::max(scale.xmax, static_cast<double>(cmax + 3));
    if (2.0 * g > scale.ymax || scale.ymax > 4.0 * g) scale.ymax = 2.0 * g;
}

void SearchWindow::open(const std::string& caption)
{
    caption_ = caption;
    if (graphics_) open_ = plots::open_search_window(p_.ui, scale_, plots::kSearchTitle, caption);
    // A tree's nodes plot nothing, but under "Display graphics while searching"
    // the window stands with its caption while the tree grows.
    else if (p_.search.treegrow && p_.options.dispgraph)
        plots::open_search_window(p_.ui, scale_, plots::kSearchTitle, caption);
}

void SearchWindow::progress(std::string_view text)
{
    // The count comes every 500 candidates, thousands of times a second: painted
    // at most every tenth of a second, it reads the same and costs nothing.
    const std::int64_t now = platform::clock().elapsed_ms();
    if (painted_ms_ && now - *painted_ms_ < kProgressPaintMs) return;
    painted_ms_ = now;
    mainloop::progress(p_, text);
}

void SearchWindow::yield() { p_.services.yield(); }

void SearchWindow::wait_pump() { platform::pump(); }

bool SearchWindow::search_end() { return tree_search_end(p_); }

void SearchWindow::tell(Notices& told) { ui::tell(p_.services, p_.log, told); }

void SearchWindow::window_row(std::string_view text)
{
    if (!open_ || p_.frame.active() != kSearchUnit) return;
    ui::textrow(p_.ui, text, kWhite, 1, 0, kBlack);
}

void SearchWindow::window_mark(int complexity, float g, char mark)
{
    if (widen_for(scale_, g, complexity) && open_)
        open_ = plots::open_search_window(p_.ui, scale_, plots::kSearchTitle, caption_);
    if (!open_ || p_.frame.active() != kSearchUnit) return;
    platform::Canvas* canvas = p_.frame.canvas(kSearchUnit);
    if (!canvas) return;
    const ui::PlotFrame& plot = p_.ui.plot;
    canvas->set_vieworg(static_cast<int>(plot.vieworg.x), static_cast<int>(plot.vieworg.y));
    ui::marker(*canvas, ui::plot_pixel(complexity * plot.plotscale.x), -ui::plot_pixel(g * plot.plotscale.y),
               mark == '=' ? ' ' : mark);
}

} // namespace meru::mainloop
