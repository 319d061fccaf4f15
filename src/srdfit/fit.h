#pragma once
// Fitting a diagram layout to the counts of its cells: q rectangles (at most 6)
// in the unit-square frame whose cell areas match the cells' shares of the total
// count as closely as the rectangles allow. The discrepancy minimised is the
// summed absolute difference between each cell's area and its share, which is
// the report's error E; a bound that strays outside the frame adds its distance
// outside, so the minimiser is led back in. The minimiser is the direction-set
// method (srdfit/powell.h), run from several starts; the best fit is kept.
#include "platform/io/random.h"
#include "srdfit/rect.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace meru::srdfit {

// The counts f_i of the 2^q cells and the first cell the frame holds: 0, or 1
// when the cell outside every subgroup is left out (it then takes what area is
// left over, and the frame's area stands for the other cells' total).
struct Counts {
    std::span<const double> f;
    int first_cell = 0;
    int q() const;
    double total() const;                 // F: the counts of cells first_cell ..
    double share(std::size_t cell) const; // f_i / F (0 when F is 0)
};

struct FitSettings {
    // A pass of the minimiser that lowers the discrepancy by less than this share
    // of it ends the pass; each start is minimised again, with fresh directions,
    // until a whole pass improves E by less than this share of E.
    double tolerance = 0.025;
    // Length of the minimiser's first steps along each bound, in frame widths.
    double step = 1.0;
    int random_starts = 10;
    std::string random_name = "Random"; // what the random starts are called
    int max_hops = 400;                 // hops at most (see fit)
    int patience = 60;                  // hops in a row without a gain that end them
    std::function<void()> pump;         // called between the minimiser's sweeps
    // Called by fit after each start with its name and the E it reached, then
    // with "Hops" and the E after the hops (when there were any).
    std::function<void(const std::string&, double)> on_stage;
};

struct Layout {
    std::vector<Rect> boxes;   // one per subgroup, in order and inside the frame
    std::vector<double> areas; // 2^q cell areas, shares of the frame
    double error = 0;          // E of the drawn cells
    double thin = 0;           // how thin its rectangles are (thinness)
    std::string start;         // the start the fit came from
    // What the fit weighs layouts by: E, and a thin rectangle as a small part of
    // its shortfall, so that of two layouts of nearly the same E the one whose
    // rectangles can be read (and hold their numbers and counts) is kept.
    double cost() const;
};

// E = sum over the drawn cells of |area_i - f_i / F|, with the areas as shares.
double layout_error(const Counts& counts, std::span<const double> areas);

// The summed shortfall of the rectangles' sides (in frame units, each rectangle
// cut to the frame) below half the side of the square of their subgroup's share:
// 0 when every side is at least that long, as for a rectangle of its share up to
// four times as long as it is wide.
double thinness(const Counts& counts, std::span<const Rect> boxes);

// The layout of `boxes` for `counts`: areas and E, the boxes in order and in the frame.
Layout layout_of(const Counts& counts, std::span<const Rect> boxes, std::string start);

// Starts. Strips: subgroups 1 and 2 as two full-height strips side by side that
// overlap by the share of their common cell (exact for q = 2); 3 and 4 the same
// across the height, 5 and 6 across the width again. Blocks: each pair of
// subgroups (1 and 2, 3 and 4, 5 and 6) in a corner of its own (bottom left, top
// right, top left), exact for the pair's cells and not thin: two rectangles of
// one height overlapping by the common cell when neither subgroup is below a
// quarter of the pair's union, else two squares, the smaller overlapping the
// larger's side (strips of one height when they would leave the frame); a
// subgroup without a partner a square. Mosaic: each subgroup's rectangle spans
// its cells of the exact-area mosaic. Random: for each subgroup a centre and an
// aspect drawn as normal deviates, its area its share.
std::vector<Rect> strips_start(const Counts& counts);
std::vector<Rect> blocks_start(const Counts& counts);
std::vector<Rect> mosaic_start(const Counts& counts);
std::vector<Rect> random_start(const Counts& counts, io::RandomStream& random);
// Each rectangle scaled about its centre to its subgroup's share of the count
// (and moved back inside the frame).
std::vector<Rect> nudged_start(const Counts& counts, std::span<const Rect> boxes);

// Minimises from one start; with `pull_groups` the discrepancy also counts each
// subgroup's area against its share.
Layout fit_from(const Counts& counts, std::span<const Rect> start, std::string name, const FitSettings& s,
                bool pull_groups = false);

// The best fit (by cost) from the starts `also` (the Strips, Blocks and Mosaic
// starts when there are none) and `s.random_starts` random starts; the best of
// them is then improved by hops (one rectangle placed afresh at random, the whole
// layout minimised again, kept when better) and minimised once more with a finer
// tolerance. The layout's start is the start its line of improvements began from.
Layout fit(const Counts& counts, const FitSettings& s, io::RandomStream& random, std::span<const Layout> also = {});

// Refitted from `current` nudged toward the subgroup shares, the subgroup areas
// pulled toward their shares while it is minimised.
Layout nudge(const Counts& counts, const Layout& current, const FitSettings& s);

} // namespace meru::srdfit
