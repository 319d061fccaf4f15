#include "mainloop/search_host.h"

#include "mainloop/program.h"
#include "mainloop/tree_grow.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "plots/search_window.h"
#include "ui/plotsym.h"
#include "ui/textrow.h"

namespace meru::mainloop {

namespace {} // namespace

void SearchWindow::open(const std::string& caption, const search::WindowScale& scale)
{
    caption_ = caption;
    if (graphics_) open_ = plots::open_search_window(p_.ui, scale, plots::kSearchTitle, caption);
}

void SearchWindow::progress(std::string_view text) { mainloop::progress(p_, text); }

void SearchWindow::yield() { p_.services.yield(); }

void SearchWindow::wait_pump() { platform::pump(); }

bool SearchWindow::search_end() { return tree_search_end(p_); }

void SearchWindow::message(std::string_view text) { p_.services.msgok(text); }

void SearchWindow::window_row(std::string_view text)
{
    if (!open_ || p_.frame.active() != kSearchUnit) return;
    ui::textrow(p_.ui, text, kWhite, 1, 0, kBlack);
}

void SearchWindow::window_mark(int complexity, float g, char mark)
{
    if (!open_ || p_.frame.active() != kSearchUnit) return;
    platform::Canvas* canvas = p_.frame.canvas(kSearchUnit);
    if (!canvas) return;
    const ui::PlotFrame& plot = p_.ui.plot;
    canvas->set_vieworg(static_cast<int>(plot.vieworg.x), static_cast<int>(plot.vieworg.y));
    ui::marker(*canvas, ui::plot_pixel(complexity * plot.plotscale.x), -ui::plot_pixel(g * plot.plotscale.y),
               mark == '=' ? ' ' : mark);
}

void SearchWindow::window_rescale(double ymax, double xmax, double xstep)
{
    if (open_) open_ = plots::open_search_window(p_.ui, {ymax, xmax, xstep}, plots::kSearchTitle, caption_);
}

} // namespace meru::mainloop
