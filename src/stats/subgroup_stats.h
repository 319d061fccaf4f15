#pragma once
// Subgroup statistics of a term list: each term is a subgroup, the whole list
// (A or A-) one more. `partstats` counts them over the observations and writes
// the subgroup table; `incrate` lists their incidence rates under censoring.
// The block they fill (`SubStat`) is read by the cell tables, the Y table of the
// list and the effect matrices.
#include "core/notices.h"
#include "partition/termlist.h"
#include "stats/censoring.h"
#include "stats/membership.h"
#include "stats/membership_kernels.h"
#include "stats/parallel_for.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace meru::files {
struct ControlTables;
}
namespace meru::io {
class LogWriter;
}

namespace meru::stats {

// Most parts a table may hold: q terms plus the whole list.
inline constexpr int kMaxParts = partition::MAXP;
// Cell tables are kept for lists of at most this many terms (2^q cells).
inline constexpr int kMaxCellTerms = 10;

// One part: a term (parts 1..q) or the whole list (part q + 1).
struct PartStat {
    std::int64_t n = 0;        // weight of the observations with Y >= 0
    std::int64_t missing = 0;  // weight of those with a missing Y
    std::int64_t censored = 0; // weight of the censored ones with Y >= 0
    std::int64_t unique = 0;   // weight with Y >= 0 satisfying this term only
    double s = 0.0;            // sum of w Y (person-time under censoring)
    double q = 0.0;            // sum of w Y^2
    double mean = 0.0;
    double sd = 0.0; // divided by n
    double ss = 0.0; // q - mean s
};

// One cell of term-membership pattern c = sum of 2^(j-1) over the terms j held;
// an observation whose membership of the list is undetermined is in none.
struct CellStat {
    std::int64_t weight = 0;   // every observation of the cell
    std::int64_t missing = 0;  // those with a missing Y
    std::int64_t censored = 0; // censored, Y >= 0
    double sum = -1.0;         // sum of w Y; -1 while the cell has no Y value
    double sumsq = 0.0;
};

// An observation (0-based) that satisfies term `term` (1-based).
struct TermPair {
    int term = 0;
    int obs = 0;
};

struct SubStat {
    int q = 0;                   // terms described (at most kMaxParts - 1)
    int sense = 1;               // of the list: 1 plain (A), 0 flipped (A-)
    std::vector<PartStat> part;  // [0..q-1] the terms, [q] the whole list
    std::vector<CellStat> cells; // 2^q cells when asked and q <= kMaxCellTerms
    std::vector<TermPair> pairs; // in observation order, within one in term order
    double pooled_var = 0.0;     // within-term variance (sum SS / sum n over n >= 1)
    double whole_var = 0.0;      // SS / n of the whole list
    bool complete = true;        // false when the pair list could not grow

    const PartStat& whole() const { return part.back(); }
    bool has_cells() const { return !cells.empty(); }
};

struct PartStatsOptions {
    bool skip = false; // "Skip if any missing in combination"
    Censoring censoring;
    bool ychosen = true; // means, SD and the table need a chosen Y
    bool print = true;
    bool cells = true;      // keep the per-cell table (q <= 10)
    std::string_view yname; // 20 characters at most are shown
    ParallelFor parallel{}; // shares out the stretches of observations
};

// The data: the view's Y is the chosen Y, its weights the observation weights.
// `tables` gives the names and labels of the subgroup definitions. A list of more
// than 99 terms is described by its first 99 (help topic "ERROR: q+1>MAXP" and the
// log line "ERROR fix. Truncate q value to 99"); the caller's list is not changed.
// Help topics are left in `told`, and the log lines that follow one of them.
SubStat partstats(const SampleView& data, const partition::TermList& list, int sense,
                  std::span<const std::int8_t> signbyte, const files::ControlTables& tables,
                  const PartStatsOptions& opt, Notices& told, io::LogWriter& log);

// The sign character of a list: blank for a plain list (A), "-" for a flipped one (A-).
char sign_char(int sense);

// Incidence rates (cases / person-time) with a Wald 95% interval for every part,
// `cases` naming the events (its first 28 characters are shown).
void incrate(const SubStat& st, std::string_view cases, io::LogWriter& log);

} // namespace meru::stats
