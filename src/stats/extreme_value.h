#pragma once
// Gumbel extreme-value approximation of the best of m partitions, from the
// distribution of G over random partitions.
//
// The random values, sorted ascending with their frequencies, make an empirical
// distribution function that rises linearly through each step: step i covers the
// cumulative frequencies [c_lo, c_hi) and runs from the previous value (0 before
// the first) to values[i]. With n the total frequency, the location u is the
// point at cumulative n (m - 1)/m and u + alpha the point at n (m e - 1)/(m e)
// (e = 2.71828). The P of G_test being the largest of m values is then
// 1 - exp(-exp(-z)) with z = (G_test - u)/alpha (1 when exp(-z) > 10).
#include <span>

namespace meru::stats {

inline constexpr double kGumbelE = 2.71828;

struct GumbelApprox {
    bool found = false;      // both points lie inside the distribution
    bool alpha_zero = false; // alpha is 0: the approximation is invalid (z taken as 0)
    double u = 0.0;
    double alpha = 0.0;
    double z = 0.0;
    double p = 0.0; // meaningful only when found
};

// `values` ascending, `freq[i]` the frequency of values[i] (both the same length);
// m >= 1 partitions per search, g_test the value to judge. Both points are
// interpolated within their steps, also when they fall into the same step.
// An empty distribution or m < 1 gives found = false.
GumbelApprox orders(std::span<const double> values, std::span<const int> freq, long long m, double g_test);

} // namespace meru::stats
