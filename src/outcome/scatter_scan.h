#pragma once
// The scatter plot's passes over the data: the scan of X, Y and Z over every
// included observation, and the collection of one drawing's points (or, for two
// discrete variables shown by frequency, their cross-tab counts) with the
// correlation and per-level sums. No Qt here.
#include "outcome/scatter_model.h"
#include "tree/classtab.h"

#include <span>
#include <vector>

namespace meru::files {
struct DataArrays;
}

namespace meru::outcome {

struct ScatterInput {
    const files::DataArrays& data;
    int nobs = 0;                // N
    std::span<const char> mask;  // [i - 1]: observation i is selected (empty: all)
    std::span<const char> group; // [i - 1]: in the current by-group (empty: all)
    int xvar = 1, yvar = 1;      // variable numbers (from 1)
    int zvar = 0;                // 0: no Z
    bool xchar = false, ychar = false;
    int dattr = 0;  // the attribute that distinguishes points (0: none)
    int dvalue = 1; // its byte marking the chosen group
};

// An observation takes part when it is selected and its weight is not 0.
bool included(const ScatterInput& in, int i);
// Its distinguishing attribute differs from the chosen value.
bool other_group(const ScatterInput& in, int i);

struct ScatterScan {
    VarScan x, y;
    bool missing_seen = false;
    double zmin = 1.0, zmax = 1.0; // over Z >= 0 (1 to 1 without Z)
    AxisRange xr, yr;
    bool both_discrete() const { return x.is_discrete() && y.is_discrete(); }
    bool one_discrete() const { return x.is_discrete() != y.is_discrete(); }
    bool any_discrete() const { return x.is_discrete() || y.is_discrete(); }
};

// Scans every included observation (all by-groups) and derives the levels and
// the axis ranges.
ScatterScan scan_scatter(const ScatterInput& in, bool size_by_z);

struct PlotPoint {
    int obs = 0;
    double x = 0, y = 0; // data units: level numbers for a discrete variable;
                         // a missing value at its place below the axis
    bool xmiss = false, ymiss = false;
    int w = 0;
    bool other = false; // outside the distinguished group
    double z = 0;       // Z value (missing below 0)
};

struct ScatterCloud {
    std::vector<PlotPoint> points; // every included point of the group (missing too)
    double n = 0;                  // plotted total of weights
    long long both_missing = 0;
    CorrSums all, chosen, other;   // every complete point; those of the chosen and of the other group
    std::vector<LevelSums> levels; // exactly one discrete variable: per level
};

// One drawing's pass over the current by-group. With `counts` (two discrete
// variables shown by frequency) the points are counted into counts (and counts2
// for the other group when points are distinguished) by their values, a
// missing value as -1, and no point is kept.
ScatterCloud collect_scatter(const ScatterInput& in, const ScatterScan& s, tree::CrossTab* counts,
                             tree::CrossTab* counts2);

} // namespace meru::outcome
