#include "stats/chisqtab.h"

#include "stats/special_functions.h"

#include <cmath>
#include <stdexcept>
#include <type_traits>

namespace meru::stats {

namespace {

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

} // namespace

ChiSquareTest chisq_statistic(std::span<const std::int64_t> table, int ni, int nj, std::span<double> rowsum,
                              std::span<double> colsum)
{
    ChiSquareTest r;
    if (ni < 1 || nj < 1) return r;
    const auto rows = static_cast<std::size_t>(ni), cols = static_cast<std::size_t>(nj);
    if (table.size() < rows * cols || rowsum.size() < rows || colsum.size() < cols)
        throw std::invalid_argument("chisqtab: table or sum arrays shorter than ni x nj");
    if (rows == 2 && cols == 2) {
        constexpr std::integral_constant<std::size_t, 2> two;
        statistic(r, table.data(), two, two, rowsum.data(), colsum.data());
    } else {
        statistic(r, table.data(), rows, cols, rowsum.data(), colsum.data());
    }
    return r;
}

ChiSquareTest chisqtab(std::span<const std::int64_t> table, int ni, int nj, std::span<double> rowsum,
                       std::span<double> colsum, NumericIssues* issues)
{
    ChiSquareTest r = chisq_statistic(table, ni, nj, rowsum, colsum);
    r.p = (r.chisq <= 0 || r.df <= 0) ? 1.0 : gammq(0.5 * r.df, 0.5 * r.chisq, issues);
    return r;
}

} // namespace meru::stats
