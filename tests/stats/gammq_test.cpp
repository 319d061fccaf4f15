// Q(a, x) against scipy.special.gammaincc, including the branch point, very small
// and very large arguments, and the argument checks.
#include "special_functions_test_util.h"
#include "stats/special_functions.h"

#include <cmath>
#include <limits>

using meru::stats::gammq;
using meru::stats::NumericIssues;

TEST(Gammq, MatchesReferenceValues)
{
    struct Case {
        double a, x, want;
    };
    const Case cases[] = {
        {0.5, 1.92075, 0.049998772071222324}, // 5% point of chi-square, 1 df
        {3, 4, 0.23810330555354436},          // x = a + 1: continued fraction
        {1, 1e-10, 0.9999999999},
        {0.5, 1e-8, 0.9998871620836666},
        {10, 9, 0.5874082443319417},
        {10, 11, 0.3405106424656608},
        {30, 29, 0.5491708852818761},
        {50, 30, 0.999481108537452},
        {49.5, 60, 0.07424385580596692}, // chi-square of 99 df
        {10, 100, 1.1253473960842808e-31},
        {0.5, 200, 5.507248237212379e-89},
        {0.5, 350, 2.990226975124623e-154},
        {0.001, 0.001, 0.006312353291139709},
        {1e4, 1e4 + 100, 0.15865124955282037},
        {1e6, 1e6 - 2000, 0.9773038859932632},
        {1e6, 1e6 + 3000, 0.0013617406462175913},
    };
    for (const auto& c : cases) {
        NumericIssues issues;
        EXPECT_TRUE(RelNear(gammq(c.a, c.x, &issues), c.want, 1e-9)) << "a=" << c.a << " x=" << c.x;
        EXPECT_FALSE(issues.any()) << "a=" << c.a << " x=" << c.x;
    }
}

TEST(Gammq, Limits)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(gammq(0.5, 0.0), 1.0);
    EXPECT_EQ(gammq(7.0, 0.0), 1.0);
    EXPECT_EQ(gammq(0.5, inf), 0.0);
    EXPECT_EQ(gammq(inf, 3.0), 1.0);
    EXPECT_GE(gammq(2.5, 1e5), 0.0); // underflows to 0, never negative or NaN
    EXPECT_LT(gammq(2.5, 1e5), 1e-300);
}

TEST(Gammq, BadArgumentsRaiseTheFlagAndGiveOne)
{
    NumericIssues issues;
    EXPECT_EQ(gammq(0.5, -1.0, &issues), 1.0);
    EXPECT_TRUE(issues.has(NumericIssues::gammq_bad_args));
    issues = {};
    EXPECT_EQ(gammq(0.0, 2.0, &issues), 1.0);
    EXPECT_TRUE(issues.has(NumericIssues::gammq_bad_args));
    issues = {};
    EXPECT_EQ(gammq(-3.0, 2.0, &issues), 1.0);
    EXPECT_TRUE(issues.has(NumericIssues::gammq_bad_args));
    EXPECT_EQ(gammq(-3.0, 2.0), 1.0); // no sink: no crash
}

TEST(Gammq, NaNPropagatesWithoutFlag)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    NumericIssues issues;
    EXPECT_TRUE(std::isnan(gammq(nan, 1.0, &issues)));
    EXPECT_TRUE(std::isnan(gammq(1.0, nan, &issues)));
    EXPECT_FALSE(issues.any());
}

TEST(Gammq, MonotoneAcrossTheBranchPoint)
{
    // The series below x = a + 1 and the fraction from there on must join without a visible step.
    for (double a : {0.5, 2.0, 17.5, 400.0}) {
        const double below = gammq(a, std::nextafter(a + 1.0, 0.0));
        const double at = gammq(a, a + 1.0);
        EXPECT_TRUE(RelNear(below, at, 1e-9)) << a;
    }
}
