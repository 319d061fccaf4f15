// Gumbel extreme-value approximation: location, scale and P worked out by hand
// from the piecewise-linear empirical distribution.
#include "stats/extreme_value.h"

#include <gtest/gtest.h>

#include <vector>

using meru::stats::orders;

namespace {

std::vector<double> one_to(int n)
{
    std::vector<double> v;
    for (int i = 1; i <= n; ++i) v.push_back(i);
    return v;
}

} // namespace

TEST(Orders, PointsInDifferentSteps)
{
    // n = 100 values 1..100, m = 20: t1 = 95 falls at the start of step 96 (u = 95);
    // t2 = 100 - 100/(20 e) = 98.1606016 lies in step 99 (98 -> 99).
    const auto v = one_to(100);
    const std::vector<int> f(100, 1);
    const auto r = orders(v, f, 20, 99.0);
    ASSERT_TRUE(r.found);
    EXPECT_NEAR(r.u, 95.0, 1e-9);
    EXPECT_NEAR(r.alpha, 3.1606015569, 1e-8);
    EXPECT_NEAR(r.p, 0.2457829743, 1e-8);
    EXPECT_FALSE(r.alpha_zero);
}

TEST(Orders, BothPointsInTheLastStepAreInterpolated)
{
    // m = 500: t1 = 99.8 and t2 = 99.9264241 both in step 100; alpha = 0.1264241
    // (not the step's end, 0.2), P = 0.1858155.
    const auto v = one_to(100);
    const std::vector<int> f(100, 1);
    const auto r = orders(v, f, 500, 100.0);
    ASSERT_TRUE(r.found);
    EXPECT_NEAR(r.u, 99.8, 1e-9);
    EXPECT_NEAR(r.alpha, 0.1264240623, 1e-8);
    EXPECT_NEAR(r.p, 0.1858154515, 1e-8);
}

TEST(Orders, FrequenciesWidenTheSteps)
{
    // Values 1, 2, 3 with frequencies 2, 1, 1 (n = 4), m = 2: t1 = 2 is the start of
    // the second step (u = 1); t2 = 4 - 4/(2 e) = 3.2642406 lies in the third step
    // (2 -> 3), so u + alpha = 2.2642406.
    const std::vector<double> v{1, 2, 3};
    const std::vector<int> f{2, 1, 1};
    const auto r = orders(v, f, 2, 3.0);
    ASSERT_TRUE(r.found);
    EXPECT_NEAR(r.u, 1.0, 1e-12);
    EXPECT_NEAR(r.alpha, 1.2642406227, 1e-9);
    EXPECT_NEAR(r.p, 0.1858154515, 1e-8);
}

TEST(Orders, ExtremesOfZ)
{
    const auto v = one_to(100);
    const std::vector<int> f(100, 1);
    // Far below the location: exp(-z) > 10 gives P = 1.
    EXPECT_EQ(orders(v, f, 20, 0.0).p, 1.0);
    // Far above: P tends to 0.
    EXPECT_LT(orders(v, f, 20, 1000.0).p, 1e-100);
}

TEST(Orders, EqualValuesMakeAlphaZero)
{
    // Ten values of 5: u = 5 and u + alpha = 5; z is taken as 0, P = 1 - 1/e.
    const std::vector<double> v(10, 5.0);
    const std::vector<int> f(10, 1);
    const auto r = orders(v, f, 20, 7.0);
    ASSERT_TRUE(r.found);
    EXPECT_TRUE(r.alpha_zero);
    EXPECT_NEAR(r.p, 0.6321205588, 1e-9);
}

TEST(Orders, NothingToApproximate)
{
    const std::vector<double> none;
    const std::vector<int> nofreq;
    EXPECT_FALSE(orders(none, nofreq, 20, 1.0).found);
    const std::vector<double> v{1, 2};
    const std::vector<int> f{1, 1};
    EXPECT_FALSE(orders(v, f, 0, 1.0).found);
    const std::vector<int> zero{0, 0};
    EXPECT_FALSE(orders(v, zero, 5, 1.0).found);
}
