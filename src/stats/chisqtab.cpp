#include "stats/chisqtab.h"

#include "stats/special_functions.h"

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
    if (rows == 2 && cols == 2) return chisq_statistic_2x2(table.data(), rowsum.data(), colsum.data());
    detail::statistic(r, table.data(), rows, cols, rowsum.data(), colsum.data());
    return r;
}

ChiSquareTest chisqtab(std::span<const std::int64_t> table, int ni, int nj, std::span<double> rowsum,
                       std::span<double> colsum)
{
    ChiSquareTest r = chisq_statistic(table, ni, nj, rowsum, colsum);
    r.p = (r.chisq <= 0 || r.df <= 0) ? 1.0 : gammq(0.5 * r.df, 0.5 * r.chisq);
    return r;
}

} // namespace meru::stats
