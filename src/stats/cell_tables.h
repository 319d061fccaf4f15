#pragma once
// Listings read from the subgroup statistics of a term list: the table of the
// non-empty term-membership cells, the observations of each term and of each
// intersection of terms, and the Y distribution of the observations in the list.
#include "stats/quartab.h"
#include "stats/subgroup_stats.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meru::files {
struct ControlTables;
}
namespace meru::io {
class LogWriter;
}

namespace meru::stats {

class DiagramWindow;

struct CellTabOptions {
    bool print = true;      // identifier lists and intersections
    bool listing = true;    // the cell table and the diagram window
    bool incidence = false; // log-rank incidence mode: incidence in place of the mean
    bool ychosen = true;
    bool have_id = false; // identifiers are _ID_ values (else line numbers)
};

// The cell table of `st` (2^q cells, q <= 10; more terms show the help topic
// "NOTE: q>10" and only the identifier lists are written), then the diagram
// window (`window` may be null), the identifiers of each term and the non-empty
// intersections of 2..q terms. `ids` holds one identifier per observation; when
// it is empty the observation's line number is shown. `weights` are the
// observation weights that `st` was counted with.
// A cell's value leaves out its observations with a missing Y: the mean is
// sum(wY) / (w - missing); the incidence (w - missing - censored) / sum(wY).
// A cell without a Y value, or whose divisor is 0, shows "-". The help topic is
// left in `told`, with the lines written after it.
void celltab(const SubStat& st, const partition::TermList& list, std::span<const int> weights,
             std::span<const std::string> ids, const files::ControlTables& tables, const CellTabOptions& opt,
             DiagramWindow* window, Notices& told, io::LogWriter& log);

// Marks (-1) the observations that satisfy the list (those in the pair list of
// `st`), all others 0, and writes the Y table of the marked observations with
// the header "in A" and the sign character. `in` gives the Y, weights and
// censoring of the table; its mask and header are replaced.
QuartabResult YDATA(const SubStat& st, int n, QuartabInput in, std::vector<int>& marks, io::LogWriter& log);

} // namespace meru::stats
