#include "stats/chisqtab.h"

#include "stats/special_functions.h"

#include <cmath>
#include <stdexcept>

namespace meru::stats {

ChiSquareTest chisq_statistic(std::span<const std::int64_t> table, int ni, int nj, std::span<double> rowsum,
                              std::span<double> colsum)
{
    ChiSquareTest r;
    if (ni < 1 || nj < 1) return r;
    const auto rows = static_cast<std::size_t>(ni), cols = static_cast<std::size_t>(nj);
    if (table.size() < rows * cols || rowsum.size() < rows || colsum.size() < cols)
        throw std::invalid_argument("chisqtab: table or sum arrays shorter than ni x nj");

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
