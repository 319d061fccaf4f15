#pragma once
// A diagram layout: q subgroups (1..6), each one rectangle in the frame, the unit
// square. Cell c (0 .. 2^q - 1) is the region inside exactly the rectangles j
// whose bit j - 1 is set in c; cell 0 lies outside every rectangle. A rectangle
// counts only as far as it lies inside the frame.
#include "srdfit/rect.h"

#include <span>
#include <vector>

namespace meru::srdfit {

inline constexpr int kMaxGroups = 6;

// The rectangle with its bounds in order (x1 <= x2, y1 <= y2) and cut to the
// frame; one wholly outside keeps no area.
Rect in_frame(const Rect& r);

// The exact areas of the 2^q cells (q = boxes.size(), at most 6) into `areas`
// (2^q entries); they add up to the frame's area, 1. Allocates nothing.
void cell_areas(std::span<const Rect> boxes, std::span<double> areas);
std::vector<double> cell_areas(std::span<const Rect> boxes);

// The elementary grid of a layout: the distinct x and y edges of the rectangles
// in the frame (0 and 1 included, ascending), and for each grid cell, row r
// along x and place c along y, cell[r * (ys.size() - 1) + c] = the diagram cell
// it belongs to.
struct CellGrid {
    std::vector<double> xs, ys;
    std::vector<int> cell;
    int rows() const { return static_cast<int>(xs.size()) - 1; }
    int columns() const { return static_cast<int>(ys.size()) - 1; }
};
CellGrid cell_grid(std::span<const Rect> boxes);

// The largest rectangle of grid cells that lies wholly in diagram cell `c`, in
// frame units, of those at least `min_w` wide and `min_h` high (no area when the
// cell has none): where its count is written.
Rect widest_piece(const CellGrid& grid, int c, double min_w = 0, double min_h = 0);

} // namespace meru::srdfit
