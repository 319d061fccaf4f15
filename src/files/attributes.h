#pragma once
// The second half of reading a data file: "_r_" permutations, means and
// percentiles for the cuts that need them, the attribute matrix, and the data
// summary, variable statistics and attribute frequencies in the log.
#include "files/readdata.h"

#include <span>
#include <vector>

namespace meru::files {

// Runs after the records are read and character data are coded. Sets `novalid`
// when the records carry no weight at all.
void make_attributes(ControlTables& t, DataArrays& d, ReadDataResult& r, ReadDataContext& cx, int ndata,
                     bool& novalid);

// The report written when there is no data to analyse; every sign byte becomes +1.
void no_data_report(ControlTables& t, ReadDataContext& cx);

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

} // namespace meru::files
