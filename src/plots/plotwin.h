#pragma once
// The shared curve window: one curve drawn into the caller's active graphics
// window through the scale and origin the axes left (ctx.plot), with a
// highlighted point, a curve label and a reference line whose slope the user can
// tilt; then, when asked, a wait for the mouse that returns the clicked point.
// The caller opens and sizes the window, draws the axes and, for the wait, the
// button bar "Esc Beta+  Beta-  Help".
#include "ui/button_bars.h"

#include <span>
#include <string>

namespace meru::io {
class RandomStream;
}

namespace meru::ui {
struct Context;
}

namespace meru::plots {

// The window's bar, for callers that wait with a reference line.
constexpr std::string_view kCurveBar = ui::bars::kCurve;
// The help topic of Beta+ and Beta-, left in the title after Help.
constexpr const char* kBetaHelpTopic = "Note: Beta+ Beta-";
constexpr const char* kWaitingText = "... waiting for mouse in Searching window";

// What plotwin draws, and what it writes back: the clicked point, y2 after
// Beta+ and Beta-, the title after Help and notetxt.
struct CurveWindow {
    std::span<const double> x, y; // the curve's values
    int ix = 1, iy = 1;           // 1-based positions of point 1 in x and y
    int n = 0;                    // points; point i is (x[ix + i - 2], y[iy + i - 2])
    int colour = 0x000000;        // symbols, joining lines and curve label (0xBBGGRR)
    std::string label;            // curve label, 10 characters, in bold
    int highlight = 0;            // point drawn one size smaller in refcolour; 0 none
    std::string title;            // "Rank..." hits by x only; Help sets kBetaHelpTopic
    bool refline = false;         // draw the reference line; enables Beta+, Beta- and Help
    double x1 = 0, y1 = 0, x2 = 1, y2 = 1;
    int refcolour = 0x0000ff; // palette index when <= 15, else 0xBBGGRR
    std::string linelabel;    // 11 characters; "=" first shows "=" and the slope
    int size = 3;             // < 10 squares of half side size, else circles of size - 10
    bool interactive = false; // wait for the mouse after drawing
    int clicked = 0;          // out: the point clicked, 0 for Esc, a right click or a click beside the points
    bool join = true;         // join consecutive points
    std::string notetxt;      // out (non-interactive): the title's first 20 characters

    // Whether a wait of this window holds the main menus greyed: set by a wait
    // that ended in a point hit (the caller's interaction goes on), given back by
    // the next Esc, right click or non-interactive call. A caller that ends the
    // interaction itself gives them back with ui::menuon and clears this.
    bool menus_held = false;
};

// Draws the curve and, when interactive, waits for a click (see CurveWindow).
// Draws nothing and changes nothing when n <= 0 or no window is active.
void plotwin(ui::Context& ctx, CurveWindow& curve);

// The point (1-based) that a click at window pixel (mx, my) hits: within 5
// pixels in x and, unless `x_only`, in y, of a point drawn with `scale` from
// `origin`; the highest number wins; 0 for none.
int hit_point(const CurveWindow& curve, double sx, double sy, int ox, int oy, int mx, int my, bool x_only);

// Pixels the line's end moves per Beta press: max(1, 10 slope sy / sx).
double beta_step(double slope, double sx, double sy);

} // namespace meru::plots
