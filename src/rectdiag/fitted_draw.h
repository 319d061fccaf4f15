#pragma once
// Drawing the fitted diagram: each cell shaded by its Y value on a grey ramp,
// each subgroup's rectangle outlined in its colour and labelled with its number,
// each cell's count where it fits, and the legend of the ramp.
#include "rectdiag/fitted_diagram.h"
#include "srdfit/rect.h"

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace meru::platform {
class Canvas;
}

namespace meru::rectdiag {

// The ramp over the Y values of the cells that hold observations: the lowest
// value is light grey 0xf0f0f0, the highest mid grey 0x808080, linear between
// (all light when every value is the same). Cells without observations stay white.
struct ShadeScale {
    double lo = 0, hi = 0;
    bool any = false; // some cell holds observations
    int shade(double v) const;
};
ShadeScale shade_scale(std::span<const double> counts, std::span<const double> values);

// A rectangle in frame units (the unit square) placed in `frame`, in pixels.
srdfit::Rect in_pixels(const srdfit::Rect& r, const srdfit::Rect& frame);

struct FittedPicture {
    const FittedDiagram& diagram;
    std::span<const double> counts; // 2^q
    std::span<const double> values; // Y value of each cell
    std::span<const int> colours;   // subgroup j's colour at j - 1
    srdfit::Rect frame;             // pixels
};

// Where each rectangle's number goes (`boxes` and the result in pixels, the
// number's text `sizes[j]` wide and high): inside its rectangle at the first of
// its corners (top left, top right, bottom left, bottom right) where it meets no
// number placed before it and crosses the fewest outlines of the other
// rectangles; when every corner meets a number, right of the top left one, past
// the numbers there. A rectangle too small for its number gets it at its top
// left corner.
std::vector<srdfit::Rect> number_places(std::span<const srdfit::Rect> boxes,
                                        std::span<const std::pair<int, int>> sizes);

// The cells, outlines, numbers and counts (the canvas's current font for the
// texts). Every number is drawn last, on a white ground, so no outline or count
// hides it; a count that would meet a number moves below it within its piece of
// the cell, or is left out (the fit report lists every cell's count).
void draw_fitted(platform::Canvas& c, const FittedPicture& p);

// The caption and a column of six shades from the highest value (top) to the
// lowest, each end labelled, from (x, y) down; nothing without observations.
void draw_legend(platform::Canvas& c, const ShadeScale& s, std::string_view caption, int x, int y);

// A count or value as the diagram writes it: whole numbers without decimals,
// others to three significant digits.
std::string diagram_number(double v);

} // namespace meru::rectdiag
