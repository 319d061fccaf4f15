#pragma once
// What scoring one Y of a split gives (criterion.h), and the p-value of a log-rank G.

#include <cstdint>

namespace meru::stats {

struct CriterionValue {
    double g = 0.0;               // effectiveness of the criterion
    double p = 1.0;               // p-value of the criterion's test, where it has one
    double chisq = 0.0, df = 0.0; // the count table's chi-square test
    // The two side weights: the first and second list's sides of split sums,
    // membership 0 (A-) and 1 (A) of a count table or a log-rank statistic.
    std::int64_t c0 = 0;
    std::int64_t c1 = 0;
};

// p-value of a log-rank statistic (chi-square with one degree of freedom).
double logrank_p(double g);

} // namespace meru::stats
