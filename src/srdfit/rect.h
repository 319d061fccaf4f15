#pragma once
// An axis-aligned rectangle by its four bounds: x from x1 to x2, y from y1 to y2.
// Diagram layouts hold one per subgroup in frame units (the frame is the unit
// square); the mosaic and the window use it in pixels as well.

namespace meru::srdfit {

struct Rect {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double area() const { return (x2 - x1) * (y2 - y1); }
    bool operator==(const Rect&) const = default;
};

} // namespace meru::srdfit
