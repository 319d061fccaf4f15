#pragma once
// Axes of the data plots: tick scales with their label formats, and the frame,
// ticks, labels and titles of a plot window. drawaxis leaves the scale and origin
// in ctx.plot for the plot routines: data point (u, v) lies at
// (int(u * plotscale.x), -int(v * plotscale.y)) from vieworg, y growing upward.
#include "ui/plotframe.h"

#include <optional>
#include <string>

namespace meru::ui {

struct Context;

// The help topic shown for an automatic axis whose upper end is below 0.
constexpr const char* kUpperBelowZeroTopic = "NOTE: upper axis end < 0";

// Label format for n ticks from `start` by `step`: "(g9.4)", (iw) or (fw.d). A
// negative start sets `sign` for the rest of the run; while it is set the f
// formats keep a position for the minus sign. `end` receives the last tick.
std::string axisfmt(double start, double step, int n, bool& sign, double& end);

// Ticks between lo and hi: with want = 0 automatic round steps (at most 6 ticks),
// else steps of `want`. hi = 0 becomes 1 in the caller's variable (automatic).
// An automatic upper end below 0, or a non-finite end, gives no ticks (nullopt).
// The last tick goes to frame.last_tick; the sign flag is frame.sign.
std::optional<AxisTicks> axis_ticks(PlotFrame& frame, double lo, double& hi, double want);

// axis_ticks, showing the note kUpperBelowZeroTopic when the automatic upper end
// is below 0.
std::optional<AxisTicks> axisscale(Context& ctx, double lo, double& hi, double want);

// What drawaxis draws.
struct AxisLayout {
    double ylen = 0.6; // data-area height as a fraction of the window height
    double xfac = 1.3; // width factor: the data area is 0.75 * ylen * xfac of the width
    double xlo = 0, xhi = 1, ylo = 0, yhi = 1;
    std::string xtitle, ytitle;
    std::string title; // the first 80 characters are drawn
    int axiscol = 0x000000;
    int backcol = 0xffffff;
    double xwant = 0, ywant = 0; // requested tick steps, 0 = automatic
    bool resize = true;          // read the window's size (else the last one read)
    bool noxticks = false, noyticks = false;
    int offx = 0, offy = 0; // extra origin offset; with one the window is not cleared
};

// Draws the axes into the active graphics window: the window cleared in backcol
// (unless an offset is given), the frame 10 pixels outside the data area, the
// ticks with bold labels, the Y title turned upward, the X title and the title.
// xlo maps to 15 % of the width and ylo to 80 % of the height. Sets ctx.plot.
// A label the format cannot write shows "Axis label format error " + the format
// and ends the drawing there (false); false also without an active window.
bool drawaxis(Context& ctx, const AxisLayout& layout);

} // namespace meru::ui
