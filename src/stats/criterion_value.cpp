#include "stats/criterion_value.h"

#include "stats/chisqtab.h"
#include "stats/impurity.h"
#include "stats/special_functions.h"
#include "stats/stat2x2.h"

#include <algorithm>
#include <array>

namespace meru::stats {

CriterionValue table_criterion(int icrit, std::span<const std::int64_t> table, int nj, CritSettings& crit,
                               NumericIssues* issues)
{
    CriterionValue v;
    nj = std::clamp(nj, 0, std::min(kMaxClasses, static_cast<int>(table.size() / 2)));
    std::array<double, 2> rows{};
    std::array<double, kMaxClasses> cols{};
    const ChiSquareTest t = chisqtab(table.first(static_cast<std::size_t>(2 * nj)), 2, nj, rows,
                                     std::span<double>(cols).first(static_cast<std::size_t>(nj)), issues);
    v.chisq = t.chisq;
    v.df = t.df;
    v.p = t.p;
    v.g = t.chisq;
    v.n_a_minus = static_cast<std::int64_t>(rows[0]);
    v.n_a = static_cast<std::int64_t>(rows[1]);
    const auto sub = table.first(static_cast<std::size_t>(2 * nj));
    switch (static_cast<Criterion>(icrit)) {
    case Criterion::Entropy: v.g = impurity(sub, nj, false, crit); break;
    case Criterion::Gini: v.g = impurity(sub, nj, true, crit); break;
    case Criterion::QualityIndex: v.g = compute_2x2(sub, crit.qi_r).qir; break;
    case Criterion::OddsRatioBayes: v.g = bayes_odds_ratio(scan_2x2(sub), crit.or_prior); break;
    default: break;
    }
    return v;
}

double logrank_p(double g, NumericIssues* issues) { return gammq(0.5, 0.5 * g, issues); }

} // namespace meru::stats
