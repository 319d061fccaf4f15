#include "stats/sort2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using meru::stats::sort2;

TEST(Sort2, CarriesCompanionsWithTheirKeys)
{
    std::vector<float> k{3, 1, 2};
    std::vector<int> c{10, 20, 30};
    sort2(std::span<float>(k), std::span<int>(c));
    EXPECT_EQ(k, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(c, (std::vector<int>{20, 30, 10}));
}

TEST(Sort2, EmptyAndSingleAreLeftAlone)
{
    std::vector<float> k;
    std::vector<int> c;
    sort2(std::span<float>(k), std::span<int>(c));
    std::vector<float> k1{5};
    std::vector<int> c1{7};
    sort2(std::span<float>(k1), std::span<int>(c1));
    EXPECT_EQ(k1[0], 5);
    EXPECT_EQ(c1[0], 7);
}

// Sizes around the switch from insertion to partitioning (7 and 8), descending,
// with ties, and a large random case: keys sorted, pairs preserved as a multiset.
TEST(Sort2, SortsEverySizeAndKeepsPairs)
{
    std::mt19937 gen(7);
    for (int n : {2, 7, 8, 9, 15, 16, 100, 1000, 200000}) {
        for (int pattern = 0; pattern < 3; ++pattern) {
            std::vector<float> k(n);
            std::vector<int> c(n);
            for (int i = 0; i < n; ++i) {
                if (pattern == 0) k[i] = static_cast<float>(n - i);
                else if (pattern == 1) k[i] = static_cast<float>(gen() % 5);
                else k[i] = std::uniform_real_distribution<float>(-1e6f, 1e6f)(gen);
                c[i] = i;
            }
            const std::vector<float> orig = k;
            sort2(std::span<float>(k), std::span<int>(c));
            ASSERT_TRUE(std::is_sorted(k.begin(), k.end())) << n << " " << pattern;
            std::vector<int> seen(n, 0);
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(k[i], orig[c[i]]);
                ++seen[c[i]];
            }
            ASSERT_TRUE(std::all_of(seen.begin(), seen.end(), [](int s) { return s == 1; }));
        }
    }
}

TEST(Sort2, DoubleKeys)
{
    std::vector<double> k{0.5, -2, 0.25, 9, 1, 1, 0, 3, 2, 8};
    std::vector<int> c{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    sort2(std::span<double>(k), std::span<int>(c));
    EXPECT_EQ(k, (std::vector<double>{-2, 0, 0.25, 0.5, 1, 1, 2, 3, 8, 9}));
    EXPECT_EQ(c[0], 1);
    EXPECT_EQ(c[9], 3);
}
