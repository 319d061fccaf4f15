// 2x2 statistics, quality indices, kappa and the listings. Reference values come
// from R: Kraemer's kappa(r) from sensitivity, specificity, P and Q; Cohen's kappa
// as (po - pe) / (1 - pe); the interval of QI and Var(O) by a numerical delta
// method on the multinomial cell proportions; the Mantel-Haenszel odds ratio from
// mantelhaen.test. The listing was written out by hand from those values.
#include "stats/stat2x2.h"

#include "log_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace meru::stats {
namespace {

using test::close_rel;
using test::LogCapture;

// (A-, A) per class: TN 30, FP 15, FN 10, TP 25.
const std::vector<std::int64_t> kT2{30, 15, 10, 25};

// The lines as the log writes them.
std::vector<std::string> logged(const std::vector<std::string>& lines)
{
    LogCapture cap;
    for (const auto& line : lines) cap.log.write(line);
    return cap.lines;
}

Stat2x2Options print_options()
{
    Stat2x2Options o;
    o.print = true;
    return o;
}

TEST(Kappa2x2, CohenKappaInWideArithmetic)
{
    // Margins of 50000 overflow 32-bit products.
    EXPECT_NEAR(kappa2x2(40000, 10000, 10000, 40000), 0.6, 1e-12);
    EXPECT_NEAR(kappa2x2(30, 15, 10, 25), 0.375, 1e-12);
}

TEST(Kappa2x2, EmptyTableAndChanceAgreementOneAreDefined)
{
    EXPECT_EQ(kappa2x2(0, 0, 0, 0), 0.0);
    EXPECT_EQ(kappa2x2(10, 0, 0, 0), 1.0); // pe = 1, po = 1
    EXPECT_EQ(kappa2x2(0, 7, 0, 0), 0.0);  // pe = 1, po = 0
}

TEST(Wilson, ScoreIntervalWithZ196)
{
    const Interval w = wilson(30, 40);
    EXPECT_NEAR(w.lower, 0.598057409330299, 1e-12);
    EXPECT_NEAR(w.upper, 0.858130321044505, 1e-12);
    const Interval none = wilson(0, 0);
    EXPECT_EQ(none.lower, 0.0);
    EXPECT_EQ(none.upper, 0.0);
}

TEST(Compute2x2, IndicesMatchReference)
{
    const Stats2x2 s = compute_2x2(kT2, 0.5);
    ASSERT_TRUE(s.indices);
    EXPECT_TRUE(close_rel(s.qi1, 0.428571428571429));
    EXPECT_TRUE(close_rel(s.qi0, 1.0 / 3.0));
    EXPECT_TRUE(close_rel(s.qir, 0.375));
    ASSERT_TRUE(s.var_o);
    EXPECT_TRUE(close_rel(*s.var_o, 0.0626984127088817, 1e-6));
    EXPECT_TRUE(close_rel(s.odds_ratio, 5.0));
    EXPECT_TRUE(close_rel(s.rel_risk, 2.5));
    EXPECT_TRUE(close_rel(s.brier, 0.2109375));
    EXPECT_TRUE(close_rel(compute_2x2(kT2, 0.3).qir, 0.357142857142857));
    EXPECT_TRUE(close_rel(compute_2x2(kT2, 1.0).qir, s.qi1));
    EXPECT_TRUE(close_rel(compute_2x2(kT2, 0.0).qir, s.qi0));
}

TEST(Compute2x2, FirstTwoClassesPresentAreY0AndY1)
{
    std::vector<std::int64_t> t(2 * 10, 0);
    t[2 * 3] = 30;
    t[2 * 3 + 1] = 15;
    t[2 * 7] = 10;
    t[2 * 7 + 1] = 25;
    t[2 * 9] = 100; // a third class: counts in the total only
    const Cells2x2 c = scan_2x2(t);
    EXPECT_EQ(c.y0, 3);
    EXPECT_EQ(c.y1, 7);
    EXPECT_EQ(c.tn, 30);
    EXPECT_EQ(c.fp, 15);
    EXPECT_EQ(c.fn, 10);
    EXPECT_EQ(c.tp, 25);
    EXPECT_EQ(c.total, 180);
    EXPECT_TRUE(close_rel(compute_2x2(t, 0.5).qir, 0.375));
}

TEST(Compute2x2, ZeroCellsAreReplacedByHalfAndQiOfZeroLeavesVarOUndefined)
{
    const std::vector<std::int64_t> z{20, 0, 5, 10};
    const Stats2x2 s = compute_2x2(z, 0.5);
    EXPECT_NEAR(s.odds_ratio, 80.0, 1e-12);
    // No association: QI(1) = QI(0) = 0 (Se = Q), so O = log QI(1)/QI(0) and its
    // variance are undefined and shown as such, not as a variance of 0.
    const std::vector<std::int64_t> chance{20, 20, 20, 20};
    const Stats2x2 c = compute_2x2(chance, 0.5);
    EXPECT_EQ(c.qi1, 0.0);
    EXPECT_EQ(c.qi0, 0.0);
    EXPECT_FALSE(c.var_o);
    CritSettings crit;
    PoolStat pool;
    const Stat2x2Result r = stat2x2(chance, 1.0, print_options(), crit, pool);
    ASSERT_GE(r.lines.size(), 9u);
    EXPECT_EQ(r.lines[8], "1          Quality index  Var(O)=  not defined  [O=log QI(1)/QI(0)]");
}

TEST(Stat2x2, BlockIsLaidOutAsListed)
{
    CritSettings crit;
    PoolStat pool;
    Stat2x2Options o = print_options();
    o.chisq = 11.4285714285714;
    o.phi = 0.377964473009227;
    o.correlation = 0.378; // shown under criterion 1 only
    const Stat2x2Result r = stat2x2(kT2, 0.0007, o, crit, pool);
    EXPECT_EQ(r.n_a_minus, 40);
    EXPECT_EQ(r.n_a, 40);
    const std::vector<std::string> expected{
        "1      Negative predictive value= 0.750(95% CI 0.598, 0.858)",
        "1      Positive predictive value= 0.625   ( 0.470, 0.758)",
        "2                    Specificity= 0.667   ( 0.521, 0.786)",
        "2                    Sensitivity= 0.714   ( 0.549, 0.837)",
        "                 AUC (c-index)  = 0.690",
        "1           Quality index  QI(1)= 0.429   ( 0.183, 0.674)",
        "1           Quality index  QI(0)= 0.333   ( 0.133, 0.534)",
        "1              Kappa  [QI(0.50)]= 0.375",
        "1          Quality index  Var(O)= 0.626984E-01  [O=log QI(1)/QI(0)]",
        "2                     Odds Ratio=      5.00 (      1.91,     13.06)",
        "2                  Relative Risk=      2.50 (      1.39,      4.50)",
        "1        Misclassification error=  31.25% ( 22.15, 42.07)",
        "                     Brier score=   0.211  (  Std Err=    0.020)",
        "                Chi-sq statistic=   11.43 (P= 0.00070)",
        "                 Phi-coefficient= 0.378",
    };
    EXPECT_EQ(logged(r.lines), expected);
}

TEST(Stat2x2, NotesAfterTheBlock)
{
    CritSettings crit;
    PoolStat pool;
    const Stat2x2Result zero = stat2x2(std::vector<std::int64_t>{20, 0, 5, 10}, 0.5, print_options(), crit, pool);
    ASSERT_GE(zero.lines.size(), 14u);
    EXPECT_EQ(zero.lines[9], "2                     Odds Ratio=     80.00 (      3.96,   1614.29)");
    EXPECT_EQ(zero.lines[13], "NOTE: 0.5 replaces zero in empty cells for some calculations");

    // Equal classes, 75% misclassified: worse than the plurality rule's 50%.
    const Stat2x2Result naive = stat2x2(std::vector<std::int64_t>{10, 30, 30, 10}, 0.5, print_options(), crit, pool);
    ASSERT_GE(naive.lines.size(), 14u);
    EXPECT_EQ(naive.lines[13], "NOTE: no better than naive predictor (plurality rule) 50.00%");
}

TEST(Stat2x2, ExpectedCostUnderTheQualityIndex)
{
    CritSettings crit;
    crit.specify_costs = true;
    crit.cost[0] = {0.0, 2.0};
    crit.cost[1] = {1.0, 0.0};
    PoolStat pool;
    Stat2x2Options o = print_options();
    o.expected_cost = true;
    // (2 * FP + 1 * FN) / T = (30 + 10) / 80
    EXPECT_EQ(stat2x2(kT2, 0.5, o, crit, pool).lines[13], "                   Expected cost=  0.50");
    o.expected_cost = false;
    const auto lines = stat2x2(kT2, 0.5, o, crit, pool).lines;
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(),
                             [](const std::string& l) { return l.find("Expected cost") != std::string::npos; }));
}

TEST(Stat2x2, ZeroMarginalGivesItsLineAndNoIndex)
{
    CritSettings crit;
    PoolStat pool;
    const std::vector<std::int64_t> all_in_a{0, 15, 0, 25};
    EXPECT_EQ(logged(stat2x2(all_in_a, 0.5, print_options(), crit, pool).lines).front(),
              "Zero marginal. No computed 2x2 statistics");
    EXPECT_EQ(pool.strata, 0);
}

TEST(Stat2x2, SmallPValueIsZeroAndPrintsAsZero)
{
    CritSettings crit;
    PoolStat pool;
    Stat2x2Options o = print_options();
    o.two_class = false;
    o.correlation = -2.0;
    const Stat2x2Result r = stat2x2(kT2, 5e-7, o, crit, pool);
    EXPECT_EQ(r.p, 0.0);
    const std::vector<std::string> expected{
        "            Correlation         = Cannot be computed",
        "                Chi-sq statistic=    0.00 (P= 0.00000)",
        "                 Phi-coefficient= 0.000",
    };
    EXPECT_EQ(logged(r.lines), expected);
}

TEST(Stat2x2, CorrelationLineUnderWithinMse)
{
    CritSettings crit;
    PoolStat pool;
    Stat2x2Options o = print_options();
    o.compute = false;
    o.correlation = 0.4567;
    o.correlation_line = true;
    EXPECT_EQ(logged(stat2x2(kT2, 0.5, o, crit, pool).lines),
              std::vector<std::string>{"                     Correlation= 0.457"});
    o.correlation_line = false;
    EXPECT_TRUE(stat2x2(kT2, 0.5, o, crit, pool).lines.empty());
}

TEST(PoolStat, TwoStrataGiveMantelHaenszelAndWoolfEstimates)
{
    CritSettings crit;
    PoolStat pool;
    Stat2x2Options o; // nothing printed
    EXPECT_TRUE(stat2x2(kT2, 0.5, o, crit, pool).lines.empty());
    stat2x2(std::vector<std::int64_t>{12, 8, 5, 20}, 0.5, o, crit, pool);
    EXPECT_EQ(pool.strata, 2);
    EXPECT_TRUE(close_rel(pool.or_w / pool.w1, 5.321608040201));
    EXPECT_TRUE(close_rel(pool.rr_w / pool.w2, 2.47260273972603));
    EXPECT_TRUE(close_rel(std::exp(pool.ln_or_w / pool.or_inv_var), 5.32332096221421));
    EXPECT_TRUE(close_rel(std::exp(pool.ln_rr_w / pool.rr_inv_var), 2.47356962372961));
    EXPECT_EQ(pool.misclassified, 25.0 + 13.0);
    EXPECT_EQ(pool.total, 125.0);
}

TEST(Freqtab, ClassLinesAndTotals)
{
    const std::vector<std::int64_t> t{20, 7, 10, 15, 5, 24};
    const std::vector<double> present{1, 1, 1};
    LogCapture cap;
    cap.lines = logged(freqtab(t, 3, 35, 46, present, 81, "Outcome", false));
    const std::string rule = "    " + std::string(80, '-');
    const std::vector<std::string> expected{
        rule,
        "    |  Outcome                     A-                A               Total         |",
        rule,
        "    |   0             |          20 ( 24.7%)         7 (  8.6%) |       27 ( 33.3%)|",
        "    |   1             |          10 ( 12.3%)        15 ( 18.5%) |       25 ( 30.9%)|",
        "    |   2             |           5 (  6.2%)        24 ( 29.6%) |       29 ( 35.8%)|",
        rule,
        "    |  Total          |          35 ( 43.2%)        46 ( 56.8%) |       81 (100.0%)|",
        rule,
    };
    EXPECT_EQ(cap.lines, expected);

    LogCapture coded;
    const std::vector<double> only_last{0, 0, 1};
    coded.lines = logged(freqtab(t, 3, 35, 46, only_last, 81, "Outcome", true));
    EXPECT_EQ(coded.lines[3], "    |   2             |           5 (  6.2%)        24 ( 29.6%) |       29 ( 35.8%)|");
    EXPECT_EQ(coded.lines.size(), 7u);
}

} // namespace
} // namespace meru::stats
