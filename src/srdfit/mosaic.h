#pragma once
// The exact-area mosaic of a diagram's 2^q cells (q <= 6): term 1 splits the
// frame's width in proportion to the counts outside and inside it, term 2 splits
// each part's height, term 3 each part's width again, and so on. Every cell's
// area is its count times the frame's area over the total count. Cell c holds
// term j when bit j - 1 of c is set. Also the elementary grid of all distinct
// edges, whose cells carry the number of the mosaic cell they lie in.
#include "srdfit/rect.h"

#include <span>
#include <vector>

namespace meru::srdfit {

// The cells of the mosaic of `counts` (2^q entries, q = log2 of the size) in the
// frame; with a total count of 0 every cell is empty at the frame's corner.
std::vector<Rect> mosaic(std::span<const double> counts, const Rect& frame);

// The elementary grid: the distinct x edges and y edges of the cells (sorted,
// the frame's edges included), W = the number of y intervals (cells per row),
// H = the number of x intervals (rows); grid cell i (1-based) of row r (0-based,
// along x) and place c (along y) is i = r W + c + 1; region[i - 1] is the
// mosaic cell that holds its centre.
struct Grid {
    std::vector<double> xs, ys;
    int w = 0, h = 0;
    std::vector<int> region;
    std::vector<Rect> cells; // grid cell i at [i - 1]
};

Grid elementary_grid(std::span<const Rect> cells, const Rect& frame);

// Colour number of mosaic cell c: its highest term (1..q), 0 for the cell
// outside every term.
int highest_term(int cell);

} // namespace meru::srdfit
