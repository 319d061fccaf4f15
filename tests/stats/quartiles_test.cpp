#include "stats/quartiles.h"
#include "stats/rnormal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using meru::stats::quartiles;

TEST(Quartiles, AllEqualValuesGiveThatValueEverywhere)
{
    std::vector<float> v{4, 4, 4};
    std::vector<int> w{1, 2, 1};
    auto q = quartiles(v, w);
    EXPECT_EQ(q.q25, 4);
    EXPECT_EQ(q.q50, 4);
    EXPECT_EQ(q.q75, 4);
    EXPECT_EQ(q.upper_fence, 4);
    EXPECT_EQ(q.lower_fence, 4);
}

TEST(Quartiles, FourUnitValues)
{
    // P = 25, 50, 75, 100: q = 1, 2, 3; h = 3; fences min(6, 4), max(-2, 1).
    std::vector<float> v{4, 2, 1, 3};
    std::vector<int> w{1, 1, 1, 1};
    auto q = quartiles(v, w);
    EXPECT_FLOAT_EQ(q.q25, 1);
    EXPECT_FLOAT_EQ(q.q50, 2);
    EXPECT_FLOAT_EQ(q.q75, 3);
    EXPECT_FLOAT_EQ(q.upper_fence, 4);
    EXPECT_FLOAT_EQ(q.lower_fence, 1);
}

TEST(Quartiles, DistinctValuesMatchQuantileType4)
{
    // Sorted 3 5 7 8 12 13 14 18 21 (n = 9). Interpolating the empirical cdf:
    // 0.25: x2 + 0.25 (x3 - x2) = 5.5; 0.5: x4 + 0.5 (x5 - x4) = 10;
    // 0.75: x6 + 0.75 (x7 - x6) = 13.75.
    std::vector<float> v{3, 7, 8, 5, 12, 14, 21, 13, 18};
    std::vector<int> w(9, 1);
    auto q = quartiles(v, w);
    EXPECT_NEAR(q.q25, 5.5, 1e-5);
    EXPECT_NEAR(q.q50, 10, 1e-5);
    EXPECT_NEAR(q.q75, 13.75, 1e-5);
    // h = 1.5 * 8.25 = 12.375: upper min(26.125, 21), lower max(-6.875, 3).
    EXPECT_FLOAT_EQ(q.upper_fence, 21);
    EXPECT_FLOAT_EQ(q.lower_fence, 3);
}

TEST(Quartiles, WeightsTiesAndMissing)
{
    // 10(1) 20(3) 40(1) 50(5), W = 10, cumulative 10 40 50 100 per cent.
    // q25 = interp(10,10, 40,20, 25) = 15; q50 = interp(40,20, 50,40, 50) = 40;
    // q75 = interp(50,40, 100,50, 75) = 45. The 20 is split over two entries
    // (weights 2 and 1) and merged; -1 is missing and ignored.
    std::vector<float> v{50, 20, -1, 10, 40, 20};
    std::vector<int> w{5, 2, 7, 1, 1, 1};
    auto q = quartiles(v, w);
    EXPECT_NEAR(q.q25, 15, 1e-5);
    EXPECT_NEAR(q.q50, 40, 1e-5);
    EXPECT_NEAR(q.q75, 45, 1e-5);
    EXPECT_FLOAT_EQ(q.upper_fence, 50);
    EXPECT_FLOAT_EQ(q.lower_fence, 10);
}

TEST(Quartiles, NothingUsableGivesZeros)
{
    std::vector<float> v{-1, -999};
    std::vector<int> w{1, 1};
    auto q = quartiles(v, w);
    EXPECT_EQ(q.q50, 0);
    EXPECT_EQ(q.upper_fence, 0);
    std::vector<float> v2{1, 2};
    std::vector<int> w2{0, 0};
    auto q2 = quartiles(v2, w2);
    EXPECT_EQ(q2.q25, 0);
    EXPECT_TRUE(std::isfinite(q2.lower_fence));
}

TEST(Rnormal, ZeroSdGivesMeanAndMomentsAreRoughlyNormal)
{
    std::minstd_rand rng(1);
    auto uniform = [&] { return (rng() - 1) / 2147483647.0; };
    EXPECT_EQ(meru::stats::rnormal(3.5f, 0.0f, uniform), 3.5f);
    double s = 0, ss = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        const double x = meru::stats::rnormal(10.0f, 2.0f, uniform);
        s += x;
        ss += x * x;
    }
    const double mean = s / n;
    const double sd = std::sqrt(ss / n - mean * mean);
    EXPECT_NEAR(mean, 10.0, 0.1);
    EXPECT_NEAR(sd, 2.0, 0.1);
}
