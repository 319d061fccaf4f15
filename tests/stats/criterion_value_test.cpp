// G and p of the count-table criteria 3, 4, 5, 6 and 8 for fixed 2x2 and 2x3
// tables with and without zero cells. Reference values from R: chisq.test
// (correct = FALSE) for the chi-square and its p; entropy (natural log) and Gini
// gains from their textbook definitions; Kraemer's kappa(r) and the Bayes odds
// ratio by hand from the first two classes present.
#include "stats/criterion.h"

#include "log_capture.h"

#include <gtest/gtest.h>

#include <vector>

namespace meru::stats {
namespace {

using test::close_rel;

struct Reference {
    std::vector<std::int64_t> table; // (A-, A) per class
    int nj;
    double chisq, p, entropy, gini, qi, bayes_or;
};

const Reference kRefs[] = {
    {{30, 15, 10, 25},
     2,
     11.4285714285714,
     0.000723232716430193,
     0.073365015888063,
     0.0703125,
     0.375,
     4.57954545454546},
    {{20, 0, 5, 10},
     2,
     18.6666666666667,
     1.5568043135115e-05,
     0.325477802173195,
     0.261224489795919,
     0.695652173913044,
     38.5},
    {{20, 5, 10, 15, 5, 25},
     3,
     22.4338624338624,
     1.3444624235144e-05,
     0.149661850655518,
     0.0946180555555556,
     0.4,
     5.09090909090909},
    {{12, 0, 8, 6, 0, 9},
     3,
     21.0,
     2.75364493497472e-05,
     0.409744862820283,
     0.176326530612245,
     0.409090909090909,
     10.1111111111111},
};

TEST(TableCriterion, GAndPOfEveryCountTableCriterion)
{
    for (const Reference& r : kRefs) {
        CritSettings crit;
        const struct {
            Criterion c;
            double g;
        } cases[] = {{Criterion::Entropy, r.entropy},
                     {Criterion::QualityIndex, r.qi},
                     {Criterion::ChiSquare, r.chisq},
                     {Criterion::OddsRatioBayes, r.bayes_or},
                     {Criterion::Gini, r.gini}};
        for (const auto& c : cases) {
            crit.icrit = static_cast<int>(c.c);
            const CriterionValue v = make_criterion(crit)->score(r.table, r.nj);
            EXPECT_TRUE(close_rel(v.g, c.g))
                << "criterion " << static_cast<int>(c.c) << " nj " << r.nj << " got " << v.g;
            EXPECT_TRUE(close_rel(v.p, r.p)) << "criterion " << static_cast<int>(c.c) << " p " << v.p;
            EXPECT_EQ(v.df, r.nj - 1);
        }
    }
}

TEST(TableCriterion, RowWeightsAndEmptyColumns)
{
    // An empty class in the middle carries no degree of freedom.
    const std::vector<std::int64_t> t{20, 5, 0, 0, 10, 15, 5, 25};
    CritSettings crit;
    crit.icrit = 5;
    const CriterionValue v = make_criterion(crit)->score(t, 4);
    EXPECT_TRUE(close_rel(v.g, 22.4338624338624));
    EXPECT_EQ(v.df, 2);
    EXPECT_EQ(v.c0, 35);
    EXPECT_EQ(v.c1, 45);
}

TEST(LogrankP, ChiSquareTailWithOneDf)
{
    // 1 - pchisq(g, 1) in R.
    EXPECT_TRUE(close_rel(logrank_p(6.08256639037882), 0.0136522297768035));
    EXPECT_TRUE(close_rel(logrank_p(3.841458820694124), 0.05));
    EXPECT_EQ(logrank_p(0.0), 1.0);
}

} // namespace
} // namespace meru::stats
