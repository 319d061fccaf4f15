#pragma once
// The analysis sample of a search and its weights: `sampmask` drops the
// observations with a missing byte in the search's attribute set and logs the
// attrition; `turbo` collapses observations that agree on every key attribute and
// on Y into one weighted representative. Also the per-Y range that sizes the count
// table.
#include "stats/membership.h"

#include <cstdint>
#include <span>
#include <vector>

namespace meru::files {
struct ControlTables;
}
namespace meru::io {
class LogWriter;
}

namespace meru::stats {

// The attribute in use of each listed attribute line (1-based line numbers): the
// line's first attribute - 1 + its `inuse` number. Lines outside the table are
// skipped.
std::vector<int> attributes_in_use(const files::ControlTables& tables, std::span<const int> lines);

// Every attribute of the listed lines whose in-use flag is set (`inuse[a]`,
// element 0 unused; attributes beyond the span count as not in use), line by line.
std::vector<int> flagged_attributes(const files::ControlTables& tables, std::span<const int> lines,
                                    std::span<const std::uint8_t> inuse);

// Whether observation i (0-based) has no missing byte (255) for any of `attributes`.
bool complete_in(std::span<const int> attributes, const AttributeMatrix& abyte, int i);

// Builds `samplemask`: a copy of `basemask` (unless `keep`, a by-group run, leaves
// the mask as it stands), less, when `check` is set and `bypass` is not, every
// sample observation with a missing byte (255) for any of `attributes`. Only
// observations of the sample are counted and checked. In that case it writes
//   " Complete data for attribute set " K " observations"
// and, when weight was lost,
//   "NOTE: attrition by discarding incomplete obs=" pct "% from " T " to " K
// and returns the attrition percentage 100 (T - K) / T (0 when T = 0, and 0
// without the check). T and K are the obswt totals before and after.
double sampmask(std::span<const int> attributes, const AttributeMatrix& abyte, std::span<const std::uint8_t> basemask,
                std::span<std::uint8_t> samplemask, bool check, bool bypass, bool keep, std::span<const int> obswt,
                io::LogWriter& log);

struct TurboInput {
    bool on = false;                 // "Turbo data compression  on "
    bool single_y = true;            // the analysis has exactly one Y
    std::span<const float> y;        // that Y's column
    std::span<const float> distinct; // its distinct values (L of them)
};

struct TurboResult {
    bool used = false;
    int groups = 0; // groups of weight other than 0
};

// Analysis weights `grpwt`. Without Turbo (off, several Ys, more than 10 distinct
// Y values, or n key attributes with n + L > 16) a copy of `obswt`. With Turbo the
// sample observations whose key-attribute bytes are all 0 or 1 and whose Y is one
// of the distinct values are grouped by those bytes and that Y: the last member of
// each group in file order carries the group's summed weight, the others weight 0.
// Every other observation (outside the mask, Y missing or not among the values, a
// key byte missing) keeps its own weight, so the grpwt total equals the obswt total.
// The key must hold every attribute a partition evaluated with these weights can
// name (the attribute set in use, the censoring attribute under log-rank).
// With `report`, writes the refusal notes or
//   " Turbo used: collapsed no. of groups " groups
// to that log.
TurboResult turbo(const TurboInput& in, const AttributeMatrix& abyte, std::span<const int> key_attributes,
                  std::span<const std::uint8_t> samplemask, std::span<const int> obswt, std::span<int> grpwt,
                  io::LogWriter* report);

struct YRange {
    float min = 0.0f;        // smallest Y >= 0 in the mask (0 when there is none)
    float max = 0.0f;        // largest (0 when there is none)
    std::int64_t weight = 0; // summed weight of those observations
    double mean = 0.0;       // their weighted mean; 0 when the weight is 0
};

// Range and weighted mean of one Y over the masked observations with Y >= 0.
YRange yrange(std::span<const float> y, std::span<const int> weights, std::span<const std::uint8_t> mask);

// Number of Y classes of the count table for a Y whose maximum is `ymax`:
// int(ymax) + 1, kept within 1..100.
int y_class_count(float ymax);

} // namespace meru::stats
