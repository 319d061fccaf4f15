// Pooled by-group statistics and incidence rate ratios. Reference values from R:
// mantelhaen.test for the Mantel-Haenszel odds ratio, the textbook sums for the
// Mantel-Haenszel risk ratio and the Woolf (inverse-variance) estimates, and the
// Wald interval of the log rate ratio.
#include "stats/pooled_stats.h"

#include "log_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace meru::stats {
namespace {

using test::close_rel;
using test::LogCapture;

// A stratum as a count table: class 0 (TN, FP), class 1 (FN, TP).
void add_stratum(PoolStat& pool, std::int64_t tn, std::int64_t fp, std::int64_t fn, std::int64_t tp)
{
    const std::vector<std::int64_t> table{tn, fp, fn, tp};
    pool_stratum(compute_2x2(table, 0.5), pool);
}

TEST(StatSum, TwoStrata)
{
    PoolStat pool;
    add_stratum(pool, 30, 10, 8, 20);
    add_stratum(pool, 25, 15, 5, 22);
    std::string msg;
    LogCapture cap;
    const PooledSummary s = statsum(pool, msg, cap.log);
    EXPECT_TRUE(close_rel(s.or_mh, 7.41873805, 1e-8));
    EXPECT_TRUE(close_rel(s.rr_mh, 3.342637823, 1e-8));
    EXPECT_TRUE(close_rel(s.or_logit.value, 7.421725397, 1e-8));
    EXPECT_TRUE(close_rel(s.or_logit.lower, 3.352592829, 1e-8));
    EXPECT_TRUE(close_rel(s.or_logit.upper, 16.42967419, 1e-8));
    EXPECT_TRUE(close_rel(s.rr_logit.value, 3.314961773, 1e-8));
    EXPECT_TRUE(close_rel(s.rr_logit.lower, 1.965906014, 1e-8));
    EXPECT_TRUE(close_rel(s.rr_logit.upper, 5.589774627, 1e-8));
    const std::vector<std::string> expected{
        "Analysis of BY: Summary Pooled Stats over   2 BY group strata:",
        " Mantel-Haenszel weighted OR=    7.42",
        " Mantel-Haenszel weighted RR=    3.34",
        " Logit weighted OR and 95% CI     7.42(    3.35   16.43)",
        " Logit weighted RR and 95% CI     3.31(    1.97    5.59)",
    };
    EXPECT_EQ(cap.lines, expected);
    EXPECT_EQ(msg, expected.back());
}

TEST(StatSum, StratumWithAnEmptyCellStillCountsInTheMantelHaenszelSums)
{
    // Stratum 1 has no false positive: its TN TP / N still enters the odds-ratio
    // numerator and its TP nA- / N the risk-ratio numerator. R: mantelhaen.test
    // gives 14.619047619; the risk ratio from the textbook sums.
    PoolStat pool;
    add_stratum(pool, 20, 0, 5, 10);
    add_stratum(pool, 15, 5, 6, 14);
    std::string msg;
    LogCapture cap;
    const PooledSummary s = statsum(pool, msg, cap.log);
    EXPECT_TRUE(close_rel(s.or_mh, 14.619047619, 1e-9));
    EXPECT_TRUE(close_rel(s.rr_mh, 3.38731218698, 1e-9));
    ASSERT_EQ(cap.lines.size(), 5u);
    EXPECT_EQ(cap.lines[1], " Mantel-Haenszel weighted OR=   14.62");
    EXPECT_EQ(cap.lines[2], " Mantel-Haenszel weighted RR=    3.39");
}

TEST(StatSum, OneStratumGivesItsOwnEstimates)
{
    PoolStat pool;
    add_stratum(pool, 30, 10, 8, 20);
    std::string msg;
    LogCapture cap;
    const PooledSummary s = statsum(pool, msg, cap.log);
    EXPECT_NEAR(s.or_mh, 7.5, 1e-12);
    EXPECT_NEAR(s.rr_mh, (20.0 / 30.0) / (8.0 / 38.0), 1e-12);
    EXPECT_NEAR(s.or_logit.value, 7.5, 1e-12);
}

TEST(StatSum, NoStratumWritesNothing)
{
    std::string msg = "unchanged";
    LogCapture cap;
    statsum(PoolStat{}, msg, cap.log);
    EXPECT_TRUE(cap.lines.empty());
    EXPECT_EQ(msg, "unchanged");
}

TEST(StatSum, ZeroInverseVarianceIsNotAvailable)
{
    PoolStat pool;
    pool.strata = 1;
    std::string msg;
    LogCapture cap;
    const PooledSummary s = statsum(pool, msg, cap.log);
    EXPECT_FALSE(s.or_logit.available);
    ASSERT_EQ(cap.lines.size(), 5u);
    EXPECT_EQ(cap.lines[1], " Mantel-Haenszel weighted OR=    0.00");
    EXPECT_EQ(cap.lines[3], " Logit weighted OR and 95% CI not available");
    EXPECT_EQ(cap.lines[4], " Logit weighted RR and 95% CI not available");
}

TEST(RateRatio, TenAndFiveEventsPerHundred)
{
    LogCapture cap;
    const RateRatio r = rateratio(10, 100, 5, 100, "TIME", "deaths", cap.log);
    EXPECT_TRUE(r.computed);
    EXPECT_TRUE(close_rel(r.lower, 0.6835954169, 1e-9));
    EXPECT_TRUE(close_rel(r.upper, 5.8514143033, 1e-9));
    const std::string rule = "    " + std::string(68, '-');
    const std::vector<std::string> expected{
        "",
        "                        |        A-          A    |   Total",
        rule,
        "    Cases deaths        |        10             5 |         15",
        "    Person-time TIME    |      100.0        100.0 |      200.0",
        rule,
        "     Rates/unit TIME    |  0.10000     0.50000E-01|   0.75000E-01",
        rule,
        "     Incidence rate ratio (A- / A) =  2.000 (95% CI   0.684    5.851)",
    };
    EXPECT_EQ(cap.lines, expected);
}

TEST(RateRatio, FractionalEventsListedWholeRatesExact)
{
    LogCapture cap;
    const RateRatio r = rateratio(7.6, 120.5, 3.4, 80.25, "TIME", "deaths", cap.log);
    EXPECT_TRUE(close_rel(r.rate_aminus, 0.06307053942, 1e-9));
    EXPECT_TRUE(close_rel(r.rate_a, 0.04236760125, 1e-9));
    EXPECT_TRUE(close_rel(r.rate_total, 0.05479452055, 1e-9));
    EXPECT_TRUE(close_rel(r.ratio, 1.48865023188, 1e-9));
    ASSERT_EQ(cap.lines.size(), 9u);
    EXPECT_EQ(cap.lines[3], "    Cases deaths        |         7             3 |         11");
    EXPECT_EQ(cap.lines[8], "     Incidence rate ratio (A- / A) =  1.489 (95% CI   0.414    5.348)");
}

TEST(RateRatio, NoEventsCannotCompute)
{
    LogCapture cap;
    const RateRatio r = rateratio(4, 13, 0, 56, "TIME", "deaths", cap.log);
    EXPECT_FALSE(r.computed);
    ASSERT_EQ(cap.lines.size(), 7u);
    EXPECT_EQ(cap.lines[4], "    Person-time TIME    |       13.0         56.0 |       69.0");
    EXPECT_EQ(cap.lines[6], " Cannot compute  rate ratios");
}

} // namespace
} // namespace meru::stats
