#include "mainloop/search_window.h"

#include "mainloop/program.h"
#include "platform/canvas.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "ui/axes.h"
#include "ui/bring_to_front.h"
#include "ui/plotsym.h"
#include "ui/textrow.h"
#include "ui/winmenu.h"

namespace meru::mainloop {

namespace {

constexpr int kWhite = 0xffffff;
constexpr int kBlack = 0x000000;
constexpr int kWidth = 500;
constexpr int kHeight = 420;

} // namespace

void SearchWindow::open(const std::string& caption, const search::WindowScale& scale)
{
    caption_ = caption;
    if (!graphics_) return;
    platform::Frame& frame = p_.frame;
    frame.close_window(kSearchUnit);
    if (!frame.open_window(kSearchUnit, "Searching ")) return;
    ui::winmenu(p_.menus, p_.ui.windows, kSearchUnit, "Searching ",
                [&frame](bool) { ui::bring_to_front(frame, kSearchUnit); });
    platform::WindowConfig config;
    config.numxpixels = kWidth;
    config.numypixels = kHeight;
    config.title = "Searching ";
    frame.set_window_config(kSearchUnit, config);
    frame.set_active(kSearchUnit);
    open_ = axes(scale.ymax, scale.xmax, scale.xstep);
}

bool SearchWindow::axes(double ymax, double xmax, double xstep)
{
    p_.frame.set_active(kSearchUnit);
    ui::AxisLayout layout;
    layout.xlo = 0.0;
    layout.xhi = xmax;
    layout.ylo = 0.0;
    layout.yhi = ymax;
    layout.xwant = xstep;
    layout.xtitle = "Complexity";
    layout.title = caption_;
    layout.axiscol = kBlack;
    layout.backcol = kWhite;
    return ui::drawaxis(p_.ui, layout);
}

void SearchWindow::progress(std::string_view text) { mainloop::progress(p_, text); }

void SearchWindow::yield() { p_.services.yield(); }

void SearchWindow::wait_pump() { platform::pump(); }

bool SearchWindow::search_end() { return p_.services.search_end(); }

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
    if (open_) open_ = axes(ymax, xmax, xstep);
}

} // namespace meru::mainloop
