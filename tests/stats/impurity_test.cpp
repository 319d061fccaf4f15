// Gini and entropy gains with priors and costs. Reference values were computed
// independently in R from the textbook definitions (impurity decrease; priors as
// node probabilities pi_j N_j(node) / N_j).
#include "stats/impurity.h"

#include "log_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace meru::stats {
namespace {

using test::close_rel;

// Column by column: (A-, A) per class.
const std::vector<std::int64_t> kT2{30, 15, 10, 25};
const std::vector<std::int64_t> kT2z{20, 0, 5, 10};
const std::vector<std::int64_t> kT3{20, 5, 10, 15, 5, 25};
const std::vector<std::int64_t> kT3z{12, 0, 8, 6, 0, 9};

struct Case {
    const std::vector<std::int64_t>* table;
    int nj;
    double entropy, gini, eq_entropy, eq_gini;
};

const Case kCases[] = {
    {&kT2, 2, 0.073365015888063, 0.0703125, 0.0746210863918387, 0.0727272727272726},
    {&kT2z, 2, 0.325477802173195, 0.261224489795919, 0.318257084147406, 0.25},
    {&kT3, 3, 0.149661850655518, 0.0946180555555556, 0.147866244500157, 0.0919196947071512},
    {&kT3z, 3, 0.409744862820283, 0.176326530612245, 0.464376929931716, 0.224242424242424},
};

TEST(Impurity, DataPriorsMatchReference)
{
    for (const Case& c : kCases) {
        CritSettings crit;
        EXPECT_TRUE(close_rel(impurity(*c.table, c.nj, false, crit).g, c.entropy)) << c.nj;
        EXPECT_TRUE(close_rel(impurity(*c.table, c.nj, true, crit).g, c.gini)) << c.nj;
    }
}

TEST(Impurity, EqualPriorsMatchReference)
{
    for (const Case& c : kCases) {
        CritSettings crit;
        crit.priors_given = true;
        for (int j = 0; j < c.nj; ++j) crit.prior[static_cast<std::size_t>(j)] = 1.0 / c.nj;
        EXPECT_TRUE(close_rel(impurity(*c.table, c.nj, false, crit).g, c.eq_entropy)) << c.nj;
        EXPECT_TRUE(close_rel(impurity(*c.table, c.nj, true, crit).g, c.eq_gini)) << c.nj;
    }
}

TEST(Impurity, PriorFactorsAndAbsentClass)
{
    // Class 1 is absent: its factor is 0 and it adds nothing.
    const std::vector<std::int64_t> t{30, 10, 0, 0, 5, 15};
    CritSettings crit;
    crit.priors_given = true;
    crit.prior[0] = 0.5;
    crit.prior[1] = 0.2;
    crit.prior[2] = 0.3;
    const ImpurityValue v = impurity(t, 3, true, crit);
    EXPECT_DOUBLE_EQ(v.priorfac[0], 60.0 * 0.5 / 40.0);
    EXPECT_DOUBLE_EQ(v.priorfac[1], 0.0);
    EXPECT_DOUBLE_EQ(v.priorfac[2], 60.0 * 0.3 / 20.0);
}

TEST(Impurity, PureSplitGivesWholeImpurityAndProportionalRowsGiveZero)
{
    const std::vector<std::int64_t> pure{40, 0, 0, 20};
    CritSettings crit;
    const double p0 = 40.0 / 60.0, p1 = 20.0 / 60.0;
    EXPECT_NEAR(impurity(pure, 2, true, crit).g, 1.0 - p0 * p0 - p1 * p1, 1e-12);
    EXPECT_NEAR(impurity(pure, 2, false, crit).g, -p0 * std::log(p0) - p1 * std::log(p1), 1e-12);

    const std::vector<std::int64_t> proportional{20, 10, 40, 20};
    EXPECT_NEAR(impurity(proportional, 2, true, crit).g, 0.0, 1e-12);
    EXPECT_NEAR(impurity(proportional, 2, false, crit).g, 0.0, 1e-12);
}

TEST(Impurity, EqualPriorsOnBinaryYMakeWholeImpurityHalfAndLn2)
{
    const std::vector<std::int64_t> pure{90, 0, 0, 10};
    CritSettings crit;
    crit.priors_given = true;
    crit.prior[0] = crit.prior[1] = 0.5;
    EXPECT_NEAR(impurity(pure, 2, true, crit).g, 0.5, 1e-12);
    EXPECT_NEAR(impurity(pure, 2, false, crit).g, std::log(2.0), 1e-12);
}

TEST(Impurity, EmptyTableGivesZero)
{
    const std::vector<std::int64_t> empty{0, 0, 0, 0};
    CritSettings crit;
    crit.weigh_by_costs = true;
    EXPECT_EQ(impurity(empty, 2, true, crit).g, 0.0);
    EXPECT_EQ(impurity(empty, 2, false, crit).costwt, 0.0);
}

TEST(Impurity, WeighByCostsMultipliesByMisclassificationRate)
{
    // Default costs: class 0 costs 1 in A, class 1 costs 1 in A-; the average cost
    // is the share misclassified, (FP + FN) / N = (15 + 10) / 80.
    CritSettings crit;
    crit.weigh_by_costs = true;
    const ImpurityValue v = impurity(kT2, 2, true, crit);
    EXPECT_DOUBLE_EQ(v.costwt, 25.0 / 80.0);
    EXPECT_TRUE(close_rel(v.g, 0.0703125 * 25.0 / 80.0));

    CritSettings only_specified;
    only_specified.specify_costs = true;
    const ImpurityValue u = impurity(kT2, 2, true, only_specified);
    EXPECT_TRUE(close_rel(u.g, 0.0703125));
    EXPECT_DOUBLE_EQ(u.costwt, 25.0 / 80.0);
}

TEST(Impurity, ClassesBeyondTheTableAreIgnored)
{
    CritSettings crit;
    EXPECT_TRUE(close_rel(impurity(kT2, 50, true, crit).g, 0.0703125));
    EXPECT_EQ(impurity(kT2, -3, true, crit).g, 0.0);
}

TEST(PriorError, BinaryIsWeightedShareOnTheWrongSide)
{
    CritSettings crit;
    crit.priors_given = true;
    crit.prior[0] = crit.prior[1] = 0.5;
    const ImpurityValue v = impurity(kT2, 2, true, crit);
    // Weighted cells: class 0 x 80*0.5/45, class 1 x 80*0.5/35.
    const double f0 = 40.0 / 45.0, f1 = 40.0 / 35.0;
    const double n = 45.0 * f0 + 35.0 * f1;
    EXPECT_NEAR(prior_error(kT2, 2, crit, v.priorfac), (15.0 * f0 + 10.0 * f1) / n, 1e-12);

    const std::vector<std::int64_t> one_class{10, 5, 0, 0};
    EXPECT_EQ(prior_error(one_class, 2, crit, impurity(one_class, 2, true, crit).priorfac), 0.0);
}

} // namespace
} // namespace meru::stats

namespace meru::stats {
namespace {

TEST(Priortab, ListsPseudoCountsErrorAndCost)
{
    CritSettings crit;
    crit.priors_given = true;
    crit.prior[0] = crit.prior[1] = 0.5;
    crit.specify_costs = true;
    const ImpurityValue v = impurity(kT2, 2, true, crit);
    test::LogCapture cap;
    const double err = priortab(kT2, 2, "Outcome of the study", true, crit, v, cap.log);
    EXPECT_NEAR(err, (40.0 / 3.0 + 80.0 / 7.0) / 80.0, 1e-12);
    const std::string rule = "    " + std::string(68, '-');
    const std::vector<std::string> expected{
        " Table of prior adjusted psuedo-counts",
        rule,
        "    |  Outcome         A-                A               Total         |",
        rule,
        "    |   0 |        26.7 ( 33.3%)      13.3 ( 16.7%) |      40.0 ( 50.0%)|",
        "    |   1 |        11.4 ( 14.3%)      28.6 ( 35.7%) |      40.0 ( 50.0%)|",
        rule,
        "    | Tot |        38.1 ( 47.6%)      41.9 ( 52.4%) |       80. (100.0%)|",
        rule,
        "         Misclassification error=   30.95%",
        "    Expected prior adjusted cost=    0.31",
    };
    EXPECT_EQ(cap.lines, expected);
}

TEST(Priortab, CheckOnExpectedCostOnlyFailsForAnotherTable)
{
    CritSettings crit;
    crit.priors_given = true;
    crit.prior[0] = crit.prior[1] = 0.5;
    crit.specify_costs = true;
    test::LogCapture same;
    priortab(kT2, 2, "Y", true, crit, impurity(kT2, 2, true, crit), same.log);
    EXPECT_NE(same.lines.back(), " error in check on EU");

    test::LogCapture other;
    priortab(kT2, 2, "Y", true, crit, impurity(kT2z, 2, true, crit), other.log);
    EXPECT_EQ(other.lines.back(), " error in check on EU");
}

TEST(Priortab, WritesNothingWithoutPriorsOrDetail)
{
    CritSettings crit;
    test::LogCapture cap;
    EXPECT_EQ(priortab(kT2, 2, "Y", true, crit, impurity(kT2, 2, true, crit), cap.log), 0.0);
    crit.priors_given = true;
    crit.prior[0] = crit.prior[1] = 0.5;
    EXPECT_GT(priortab(kT2, 2, "Y", false, crit, impurity(kT2, 2, true, crit), cap.log), 0.0);
    EXPECT_TRUE(cap.lines.empty());
}

} // namespace
} // namespace meru::stats
