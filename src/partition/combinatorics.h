#pragma once
// Counting and listing k-subsets: binomial coefficients with overflow detection,
// the r-th subset in lexicographic order, and the mean product over all subsets.
// Counts are 64-bit; a count that does not fit is reported as such, never wrapped.
#include <cstdint>
#include <optional>
#include <span>

namespace meru::partition {

using Count = std::int64_t;

// C(n, k); 1 for k < 1; 0 for k > n or n < 0. Empty when the value exceeds 64 bits.
std::optional<Count> binom(Count n, Count k);

// Writes the r-th (1-based, lexicographic) k-subset of 1..n, increasing, into
// out[0..k-1]. Requires 1 <= k <= n and 1 <= r <= C(n, k).
void unrank(int n, int k, Count r, std::span<int> out);

// The mean over all L-subsets of n values of the product of the values, computed
// in closed form (elementary symmetric polynomial over C(n, L)); 0 when L > n.
double mean_subset_product(std::span<const double> c, int L);

} // namespace meru::partition
