#pragma once
// The fitted diagram as the window shows and reports it: the layout of the
// subgroup rectangles (frame units), its elementary grid, and the state the fit
// report reads and writes, with each cell's area as its share of the frame times
// the total count. Also the Detailed output lines of the rectangles.
#include "partition/termlist.h"
#include "srdfit/fit.h"
#include "srdfit/layout.h"
#include "stats/diagram_fit_report.h"
#include "stats/diagram_state.h"

#include <span>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::rectdiag {

struct FittedDiagram {
    srdfit::Layout layout;
    srdfit::CellGrid grid;
    stats::DiagramState state;
    stats::DiagramFit report; // the last fit report of the state
};

// The fitted diagram of `layout` for the counts of the 2^q cells (q = the
// layout's rectangles); the report fields of its state are left for the report.
FittedDiagram fitted_diagram(std::span<const double> counts, srdfit::Layout layout);

// The terms of a list as their literals, one list per term (the header of a saved
// configuration).
std::vector<std::vector<int>> term_literals(const partition::TermList& list);

// One line per rectangle, " Rectangle" and its number, then x1 x2 y1 y2 in frame
// units (F10.6 each).
void log_rectangles(io::LogWriter& log, const srdfit::Layout& layout);

} // namespace meru::rectdiag
