#pragma once
// The numbers behind the distribution plot: missing values, the x range,
// unique-value runs, histogram bins, the kernel density estimate and the
// empirical distribution / Kaplan-Meier walk. Plain functions over a sorted,
// weighted sample; nothing here draws.

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace meru::plots {

// A sample as the plot receives it: values in ascending order, each with an
// integer weight whose magnitude is the number of observations with that value;
// a weight below 1 marks censored observations. `nobs` counts every
// observation, the missing ones included. In a distribution of G values
// (`gdist`) no value is missing; otherwise a negative value is.
struct DistSample {
    std::span<const double> x;
    std::span<const long long> w;
    long long nobs = 0;
    bool gdist = false;
};

// A discrete variable's values replaced by their category numbers (1-based) in
// a new array: a value whose integer part equals the j-th category value becomes
// j, the last matching category winning; other values are kept.
std::vector<double> recode_discrete(std::span<const double> x, std::span<const int> categories);

// The leading run of missing values: `m` values holding `missing` observations;
// `neff` = nobs - missing observations with a value; `total` the sum of |w| over
// the values that are not missing (equal to `neff` for a consistent sample).
struct MissingRun {
    int m = 0;
    double missing = 0.0;
    double neff = 0.0;
    double total = 0.0;
    bool consistent() const { return neff == total; }
};
MissingRun missing_run(const DistSample& s);

// The x range of a plot. `all_equal` when every value with a value is the same.
struct PlotRange {
    double xmin = 0.0;
    double xmax = 0.0;
    bool all_equal = false;
};
// For a continuous variable the range takes in [lower, upper] and is widened by
// 0.5 at each end for fewer than 10 values; a discrete one runs from 0.5 to
// categories + 0.5.
PlotRange plot_range(const DistSample& s, const MissingRun& miss, bool discrete, int categories, double lower,
                     double upper);
// The integer tick step max(1, trunc((xmax - xmin)/5)).
int integer_tick_step(double xmin, double xmax);

// One run of equal values and the observations in it.
struct UniqueRun {
    double value = 0.0;
    double count = 0.0;
};
std::vector<UniqueRun> unique_runs(const DistSample& s, const MissingRun& miss);

// Histogram bins: k + 1 bins from `start` of `width` each, the last open.
struct BinSetup {
    int k = 1;
    double start = 0.0;
    double width = 0.0;
};
inline constexpr int kFewestBins = 5;
inline constexpr int kMostBins = 100;
inline constexpr int kMostUserBins = 1000;
// The smaller of sqrt(neff) and 10 log10(neff), at most n and at least 1.
int bin_rule(double neff, int n);
// The first grouped display: the rule's k from the smallest value across the range.
BinSetup auto_bins(const DistSample& s, const MissingRun& miss);
// "Bins+" (step +1, at most 100) and "Bins-" (step -1, at least 5).
BinSetup step_bins(const DistSample& s, const MissingRun& miss, int k, int step);
// The bins dialog: a start above the smallest value is lowered to it; no setup
// unless width > 0 and the bin count lies in 1..1000.
std::optional<BinSetup> user_bins(const DistSample& s, const MissingRun& miss, double start, double width);
// The k + 1 counts (sums of |w|); a value on a limit belongs to the upper bin.
std::vector<double> bin_counts(const DistSample& s, const MissingRun& miss, const BinSetup& bins);

// The kernel density estimate on a grid of 501 points.
inline constexpr int kGridPoints = 501;
struct KernelEstimate {
    double range = 1.0; // data range, 1 when the values are all equal
    double step = 0.0;  // grid step
    double start = 0.0; // first grid point
    double bandwidth = 0.0;
    double sd = 0.0; // the kernel's standard deviation, bandwidth/6
    std::array<double, kGridPoints> d{};
    double dmax = 0.0;
    double x(int i) const { return start + i * step; }
};
// The data range R (1 when 0) and the first bandwidth max(R/20, 4 R/460).
double data_range(const DistSample& s, const MissingRun& miss);
double first_bandwidth(double range);
// The estimate for bandwidth h (0 chooses the first bandwidth): a Gaussian of
// standard deviation h/6 truncated to [u - h/2, u + h/2), divided by the total.
KernelEstimate kernel_estimate(const DistSample& s, const MissingRun& miss, double h);

// Bandwidth steps. A step past the limits (range, range/1000) divides the stored
// bandwidth by the step factor instead and asks for no redraw.
enum class BandStep { Redraw, UpperLimit, LowerLimit };
BandStep band_plus(double& h, double range);
BandStep band_minus(double& h, double range);

// One entry of the survival walk: the value, the survival after it, and
// whether it was an event (false: a censored entry).
struct SurvivalPoint {
    double x = 0.0;
    double p = 1.0;
    bool event = true;
};
struct SurvivalWalk {
    std::vector<SurvivalPoint> points; // in walking order, up to the empty risk set
    double final_p = 1.0;
    bool censored = false; // a censored entry was met
    int events = 0;
    std::optional<double> median;
    double ylow = 0.0; // max(0, final_p - 0.05)
};
// The empirical survival (one minus the distribution function), or its
// Kaplan-Meier estimate when entries are censored. The risk set starts at the
// total |w| of the values; at a tied value events go before censorings.
// The median is the first event value where the survival is at most 0.5, or,
// when it is 0.5 there, the midpoint to the next event value; none when the
// first event already takes it to 0.5 or below.
SurvivalWalk survival_walk(const DistSample& s, const MissingRun& miss);

// Whether an overlay fits the first curve's axes.
bool survival_overlay_fits(double final_p, double first_ylow);
bool density_overlay_fits(const KernelEstimate& overlay, double first_dmax);

} // namespace meru::plots
