#pragma once
// Pearson's chi-square test of independence for a two-way table of counts.

#include <cmath>
#include <cstdint>
#include <span>
#include <type_traits>

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
                       std::span<double> colsum);

// The same test without its p-value (p stays 1): the statistic, df, the sums and
// the coefficient, computed exactly as chisqtab computes them.
ChiSquareTest chisq_statistic(std::span<const std::int64_t> table, int ni, int nj, std::span<double> rowsum,
                              std::span<double> colsum);

namespace detail {

// The sums, the degrees of freedom and the statistic. `Size` is std::size_t, or
// a constant for the 2 x 2 table (the same arithmetic, with its loops unrolled).
template <class Size>
void statistic(ChiSquareTest& r, const std::int64_t* table, Size rows, Size cols, double* rowsum, double* colsum)
{
    for (std::size_t i = 0; i < rows; ++i) rowsum[i] = 0;
    for (std::size_t j = 0; j < cols; ++j) {
        double c = 0;
        for (std::size_t i = 0; i < rows; ++i) {
            const auto n = static_cast<double>(table[i + rows * j]);
            rowsum[i] += n;
            c += n;
        }
        colsum[j] = c;
        r.total += c;
    }
    int nr = 0, nc = 0;
    for (std::size_t i = 0; i < rows; ++i) nr += rowsum[i] != 0;
    for (std::size_t j = 0; j < cols; ++j) nc += colsum[j] != 0;
    r.df = (nr > 0 && nc > 0) ? double(nr - 1) * double(nc - 1) : 0.0;

    if (r.total > 0) {
        for (std::size_t j = 0; j < cols; ++j) {
            for (std::size_t i = 0; i < rows; ++i) {
                const double e = colsum[j] * rowsum[i] / r.total;
                if (e > 0) {
                    const double d = static_cast<double>(table[i + rows * j]) - e;
                    r.chisq += d * d / e;
                }
            }
        }
        r.coef = std::sqrt(r.chisq / r.total);
    }
}

} // namespace detail

// chisq_statistic() of a 2 x 2 table (4 cells, 2 row and 2 column sums), inline
// for the search's inner loop: the same arithmetic with the loops unrolled.
inline ChiSquareTest chisq_statistic_2x2(const std::int64_t* table, double* rowsum, double* colsum)
{
    ChiSquareTest r;
    constexpr std::integral_constant<std::size_t, 2> two;
    detail::statistic(r, table, two, two, rowsum, colsum);
    return r;
}

} // namespace meru::stats
