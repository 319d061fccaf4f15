#pragma once
// Weighted percentiles: the percentile walk over a sorted weighted sample, and the
// percentile cuts of one attribute line.
#include <cstddef>
#include <span>
#include <vector>

namespace meru::files {

// One weighted percentile: the value and the actual percentile reached.
struct Percentile {
    float value = 0;
    float actual = 0;
};

// Percentiles of sorted values with weights (ascending; zero-weight entries are
// allowed but carry nothing). For t = p / 100: t <= 0 gives the smallest value
// (actual 0); t above 0.9999 the largest (actual 100); otherwise the cumulative
// proportion F is walked over the boundaries between distinct values and the
// first boundary with Fb < t <= F gives interp(Fb, vb, F, v, t), Fb and vb being
// the proportion and value at the previous boundary (0 and the smallest value at
// the start). Beyond the last boundary the largest value is taken.
Percentile weighted_percentile(std::span<const float> sorted, std::span<const int> weights, double p);

// The boundaries between distinct values of a sorted weighted sample, made once
// so that many percentiles of it can be looked up (same results as above).
class PercentileWalk {
public:
    PercentileWalk(std::span<const float> sorted, std::span<const int> weights);
    Percentile at(double p) const;
    int distinct() const { return n_ == 0 ? 0 : static_cast<int>(value_.size()) + 1; }

private:
    std::size_t n_ = 0;
    float smallest_ = 0, largest_ = 0;
    std::vector<double> cum_;  // proportion at each boundary
    std::vector<float> value_; // value at each boundary (the last of its run)
};

// A value with its observation weight.
struct WeightedValue {
    float value;
    int weight;
};

// Sorts non-negative values ascending (with their weights), stably; `tmp` is
// scratch storage.
void sort_by_value(std::vector<WeightedValue>& v, std::vector<WeightedValue>& tmp);

// One cut of a line: the percentile asked for and what the walk gives.
struct CutPercentile {
    double asked = 0;
    Percentile got;
};

// The percentiles of the values of one line.
struct LinePercentiles {
    bool no_variation = false;       // at least one value, all of them alike
    int distinct = 0;                // distinct values
    std::vector<CutPercentile> cuts; // in the order asked
};

// Sorts `pairs` (non-negative values with positive weights; `scratch` is work
// storage) and looks up the percentiles `asked`.
LinePercentiles line_percentiles(std::vector<WeightedValue>& pairs, std::vector<WeightedValue>& scratch,
                                 std::span<const double> asked);

} // namespace meru::files
