#pragma once
// The effectiveness G and its p-value of one candidate under the count-table
// criteria (3 Entropy, 4 Quality index QI(r), 5 Chi-square, 6 Odds ratio (Bayes),
// 8 Gini diversity), and the p-value of a log-rank G (criterion 7).
#include "stats/criteria.h"
#include "stats/numeric_issues.h"

#include <cstdint>
#include <span>

namespace meru::stats {

struct CriterionValue {
    double g = 0.0; // effectiveness of the criterion
    double p = 1.0; // p-value of the table's chi-square test
    double chisq = 0.0, df = 0.0;
    std::int64_t n_a_minus = 0; // weight of the non-members (row 0)
    std::int64_t n_a = 0;       // weight of the members (row 1)
};

// Scores the 2 x nj count table (column by column, cell (m, y) at 2y + m) under the
// criterion `icrit`: the chi-square test of the table gives p and, for criterion 5,
// G; Entropy and Gini replace G by `impurity` (writing crit.priorfac and
// crit.costwt); criterion 4 by QI(r) and 6 by the Bayes odds ratio of the first two
// classes present. Other criteria leave G at the chi-square value.
CriterionValue table_criterion(int icrit, std::span<const std::int64_t> table, int nj, CritSettings& crit,
                               NumericIssues* issues = nullptr);

// p-value of a log-rank statistic (chi-square with one degree of freedom).
double logrank_p(double g, NumericIssues* issues = nullptr);

} // namespace meru::stats
