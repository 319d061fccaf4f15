#pragma once
// Pearson's chi-square test of independence for a two-way table of counts.
#include "stats/numeric_issues.h"

#include <cstdint>
#include <span>

namespace meru::stats {

struct ChiSquareTest {
    double total = 0; // sum of all cells
    double chisq = 0; // Pearson X^2 over the cells with expected count > 0
    double df = 0;    // (non-empty rows - 1)(non-empty columns - 1), never negative
    double p = 1;     // upper tail Q(df/2, X^2/2); 1 when X^2 <= 0 or df <= 0
    double coef = 0;  // sqrt(X^2 / total); 0 for an empty table
};

// Chi-square test of the ni x nj table `table`, stored column by column (cell (i, j),
// 0-based, at i + ni*j). Writes the row sums into rowsum[0..ni) and the column sums
// into colsum[0..nj). Empty rows and columns carry no degrees of freedom and add
// nothing. ni < 1, nj < 1 or an all-zero table give X^2 = 0, df = 0, p = 1.
// No allocation. Throws std::invalid_argument when a span is shorter than ni, nj or
// ni*nj (a programming error).
ChiSquareTest chisqtab(std::span<const std::int64_t> table, int ni, int nj, std::span<double> rowsum,
                       std::span<double> colsum, NumericIssues* issues = nullptr);

// The same test without its p-value (p stays 1): the statistic, df, the sums and
// the coefficient, computed exactly as chisqtab computes them.
ChiSquareTest chisq_statistic(std::span<const std::int64_t> table, int ni, int nj, std::span<double> rowsum,
                              std::span<double> colsum);

} // namespace meru::stats
