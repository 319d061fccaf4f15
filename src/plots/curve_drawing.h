#pragma once
// What one plotwin call draws with, shared by the drawing and the wait.
#include "platform/canvas.h"
#include "plots/plotwin.h"

namespace meru::plots::detail {

struct CurveDrawing {
    platform::Canvas& canvas;
    int unit = 0;              // the caller's active window
    int width = 0, height = 0; // its canvas
    double sx = 0, sy = 0;     // pixels per data unit
    QPoint origin{};           // pixel of data point (0, 0)
    bool line = false;         // a reference line is drawn (its ends apart)
    double slope = 0, intercept = 0;
    platform::Image stored{}; // the picture before the reference line
    bool has_image = false;

    // The viewport pixel of data point (u, v).
    QPoint at(double u, double v) const;
};

// The reference line from (x1, y1) to (x2, y2) in the current colour, with the
// marker and "=" slope when the line label asks for it, and the line label.
void draw_refline(ui::Context& ctx, const CurveWindow& curve, CurveDrawing& d);

// Selects the reference colour: a palette index up to 15, else 0xBBGGRR.
void select_refcolour(platform::Canvas& canvas, int refcolour);

// The interactive wait (the menus, the bar buttons and the hit test).
void wait_for_click(ui::Context& ctx, CurveWindow& curve, CurveDrawing& d);

} // namespace meru::plots::detail
