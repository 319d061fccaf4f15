#pragma once
// The summary of one Y over the observations in the analysis: weighted mean and
// population standard deviation, range, distinct values with their weighted
// counts, and the tests that classify the Y (binary, whole-valued, discrete).
// No Qt here.
#include "outcome/outcome.h"
#include "stats/quartab.h"

#include <span>
#include <vector>

namespace meru::outcome {

struct YSummary {
    long long n = 0;       // weight of the non-missing values
    long long missing = 0; // weight of the missing values
    double mean = 0;       // 0 when n is 0
    double var = 0;        // weighted population variance (0 when n is 0)
    double sd = 0;
    double ymin = 1.0e30;                    // smallest non-missing value (1e30 when none)
    double ymax = 0;                         // largest non-missing value (0 when none)
    bool nonint = false;                     // some non-missing value is not a whole number
    int ylev = 0;                            // distinct non-missing values
    long long ymode = 0;                     // largest weighted count of one non-missing value
    double ylow = 0;                         // lowest distinct non-missing value (0 when none)
    double yhigh = 0;                        // highest one; of a binary Y the value after ylow (ylow when alone)
    bool binary = false;                     // at most two distinct values, all whole (no value at all counts)
    std::vector<stats::QuartabEntry> values; // the distinct non-missing values, ascending

    long long total() const { return n + missing; }
    // Share of missing weight in percent; 0 when there is no weight at all.
    double missing_percent() const
    {
        return total() > 0 ? 100.0 * static_cast<double>(missing) / static_cast<double>(total()) : 0.0;
    }
};

// Summarises `y` (a negative value is missing) over the observations i whose
// mask[i] is nonzero (every observation when `mask` is empty), weighting each by
// weights[i].
YSummary summarize_y(std::span<const float> y, std::span<const int> weights, std::span<const char> mask);

// A single Y with 3 to 5 categories may be fragmented: a character variable, or
// whole values none above 9.
bool discrete_candidate(const YSummary& s, bool character);

// Whether a Y can be treated as categorical: binary; a character variable; or at
// most 36 distinct whole values none above 36.
bool ydiscok(bool binary, int ylev, double ymax, bool nonint, bool character);
// The same test for Y k (from 1) of the outcome; `character`: Y's variable holds
// character codes.
bool ydiscok(const Outcome& y, int k, bool character);

} // namespace meru::outcome
