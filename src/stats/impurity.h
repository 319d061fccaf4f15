#pragma once
// Gini diversity and entropy of a split, with class priors and misclassification
// costs, and the listing of the prior-adjusted table.
//
// The count table has two rows, row 0 the non-members A- and row 1 the members A,
// and one column per Y class, stored column by column: cell (row i, class j) is
// table[2 * j + i] (the layout of the evaluation count table).
#include "stats/criteria.h"

namespace meru::io {
class LogWriter;
}

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace meru::stats {

// Class factors N * prior_j / N_j of a table (0 for a class absent from it), all 0
// when no priors are given.
using PriorFactors = std::array<double, kMaxClasses>;

// The class factors N * prior_j / N_j for the weighted class totals N_j (by class
// value; N their sum), 0 for a class without weight; all 0 when no priors are given.
// Weighing each class's count by its factor turns the counts into those of a sample
// drawn with the given priors.
PriorFactors prior_factors(std::span<const double> totals, const CritSettings& crit);

// What scoring a table with `impurity` gives: G and the values derived on the way,
// which the listing of the prior-adjusted table reads back.
struct ImpurityValue {
    double g = 0.0;
    double costwt = 0.0;     // the average cost (either cost flag), else 0
    PriorFactors priorfac{}; // the class factors of the table
};

// Effectiveness G of the split: I(whole) - sum over the rows of (R_i / N) I(row i),
// with I = 1 - sum p^2 (gini true) or -sum p ln p (natural logarithm; gini false).
//  - With `priors_given` class j is re-weighted by f_j = N * prior_j / N_j (0 for a
//    class absent from the data), returned in `priorfac`.
//  - With either cost flag costwt = (sum over cells of w * cost) / N, the cost of a
//    cell being the class's cost on that side; with "weigh by costs" G is
//    multiplied by costwt.
//  - An empty table (N <= 0) gives G = 0 and costwt = 0.
// Classes beyond the table (2 * nj > table.size()) or beyond kMaxClasses are ignored.
// A pure function of its arguments: the settings are only read.
ImpurityValue impurity(std::span<const std::int64_t> table, int nj, bool gini, const CritSettings& crit);

// The prior-adjusted misclassification error of the split for the class factors
// `priorfac` (those `impurity` gave for the same table): the classes present are
// numbered a = 0..k-1 in class order and each adds a * w(A-, j) + (k - 1 - a) *
// w(A, j); the sum is divided by (k - 1) N. 0 when no priors are given, N = 0 or
// k <= 1.
double prior_error(std::span<const std::int64_t> table, int nj, const CritSettings& crit,
                   const PriorFactors& priorfac);

// Returns `prior_error` and, with `detailed`, lists the table re-weighted by the
// class factors of `scored` (the `impurity` value of the partition reported) in the
// log: the pseudo-counts and their percentages per class present and in total, the
// misclassification error and, with "Specify costs", the expected prior-adjusted
// cost (followed by "error in check on EU" when it differs from scored.costwt by
// more than 1e-5 relative). Does nothing and returns 0 when no priors are given.
double priortab(std::span<const std::int64_t> table, int nj, std::string_view yname, bool detailed,
                const CritSettings& crit, const ImpurityValue& scored, io::LogWriter& log);

} // namespace meru::stats
