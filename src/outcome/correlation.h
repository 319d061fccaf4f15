#pragma once
// The weighted correlation matrix of several Ys analysed together, and its lines
// in the output log. No Qt here.
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace meru::outcome {

// Weighted Pearson correlation of columns a and b over the observations in `mask`
// with a nonzero weight where both values are present (not negative). Empty when
// the weight sum is 0 or a variance term is not positive (a constant column).
std::optional<double> weighted_correlation(std::span<const float> a, std::span<const float> b,
                                           std::span<const int> weights, std::span<const char> mask);

// "Correlation matrix:", a header of the names' first 10 characters, then the
// lower triangle: one row per Y with its first 15 characters and its
// correlations with the Ys before it and itself (F10.3; "----" right-aligned
// when a correlation is not defined).
std::vector<std::string> correlation_lines(const std::vector<std::string>& names,
                                           const std::vector<std::span<const float>>& columns,
                                           std::span<const int> weights, std::span<const char> mask);

} // namespace meru::outcome
