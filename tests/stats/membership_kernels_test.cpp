// Correlation, stored memberships, new attributes, group codes and cell numbers.
#include "stats/membership_kernels.h"
#include "stats/partition_sample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using meru::partition::TermList;
using meru::stats::AttributeMatrix;
using meru::stats::CompiledList;
using meru::stats::DataColumn;

namespace {
constexpr std::uint8_t M = 255;

CompiledList compiled(std::initializer_list<std::initializer_list<int>> ts, int s, int lc,
                      std::vector<std::int8_t> sign = {})
{
    TermList t;
    for (auto term : ts) t.add_term(term);
    if (sign.empty()) sign.assign(static_cast<std::size_t>(lc) + 1, 1);
    CompiledList c;
    c.compile(t, s, sign, lc);
    return c;
}
} // namespace

TEST(Partcor, WeightedPointBiserialAgainstNumpy)
{
    // r of y with m over rows replicated by their weights: numpy.corrcoef gives
    // 0.9080773413039128.
    std::vector<std::uint8_t> abyte{1, 0, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0};
    std::vector<float> y{1.2f, 3.4f, 2.2f, 5.1f, 4.4f, 0.7f};
    std::vector<std::uint8_t> mask(6, 1);
    std::vector<int> w{1, 2, 1, 1, 3, 1};
    const meru::stats::SampleView v{AttributeMatrix(abyte, 2, 6), y, mask, w};
    EXPECT_NEAR(meru::stats::partcor(v, compiled({{2}}, 1, 2), false), 0.9080773413039128, 1e-6);
    meru::stats::PartitionSample sample(v, 0);
    TermList t;
    t.add_term({2});
    const std::vector<std::int8_t> sign{0, 1, 1};
    EXPECT_NEAR(sample.partcor(t, 1, sign, false), 0.9080773413039128, 1e-6);
    // Complement: r changes sign.
    TermList c;
    c.add_term({-2});
    EXPECT_NEAR(sample.partcor(c, 1, sign, false), -0.9080773413039128, 1e-6);
}

TEST(Partcor, DegenerateCasesGiveZero)
{
    std::vector<std::uint8_t> abyte{1, 1, 1, 1, 1, 1};
    std::vector<float> y{1, 2, 3};
    std::vector<std::uint8_t> mask(3, 1);
    std::vector<int> w{1, 1, 1};
    const meru::stats::SampleView v{AttributeMatrix(abyte, 2, 3), y, mask, w};
    EXPECT_EQ(meru::stats::partcor(v, compiled({{2}}, 1, 2), false), 0.0); // everyone a member: p = 1
    std::vector<float> flat{2, 2, 2};
    std::vector<std::uint8_t> abyte2{1, 1, 1, 0, 1, 1};
    const meru::stats::SampleView v2{AttributeMatrix(abyte2, 2, 3), flat, mask, w};
    EXPECT_EQ(meru::stats::partcor(v2, compiled({{2}}, 1, 2), false), 0.0); // var_y = 0
    std::vector<std::uint8_t> none(3, 0);
    const meru::stats::SampleView v3{AttributeMatrix(abyte2, 2, 3), y, none, w};
    EXPECT_EQ(meru::stats::partcor(v3, compiled({{2}}, 1, 2), false), 0.0); // nothing counted
}

TEST(Partcor, FromTheTableWhereEveryYIsItsClassBitForBit)
{
    std::mt19937 rng(7203);
    const int n = 20000, lc = 4, nclasses = 3;
    std::vector<std::uint8_t> abyte(static_cast<std::size_t>(n * lc));
    for (auto& b : abyte) b = rng() % 11 == 0 ? M : static_cast<std::uint8_t>(rng() % 2);
    std::vector<float> y(n);
    std::vector<std::uint8_t> mask(n);
    std::vector<int> w(n);
    for (int i = 0; i < n; ++i) {
        y[static_cast<std::size_t>(i)] = static_cast<float>(static_cast<int>(rng() % 4) - 1); // -1 is missing
        mask[static_cast<std::size_t>(i)] = rng() % 9 != 0;
        w[static_cast<std::size_t>(i)] = static_cast<int>(rng() % 7) - 1;
    }
    const meru::stats::SampleView v{AttributeMatrix(abyte, lc, n), y, mask, w};
    ASSERT_TRUE(meru::stats::ys_are_classes(v, nclasses));
    for (const bool skip : {false, true})
        for (const int sense : {0, 1})
            for (const auto& list : {compiled({{2}}, sense, lc), compiled({{-3, 4}, {1}}, sense, lc)}) {
                meru::stats::CountTable t;
                meru::stats::partab(v, list, skip, nclasses, t);
                EXPECT_EQ(meru::stats::CorrelationSums::of_table(t, nclasses).r(), meru::stats::partcor(v, list, skip));
            }
    // Not so: a Y between classes, a Y beyond the table, sums past 2^53.
    EXPECT_FALSE(meru::stats::ys_are_classes(v, 2));
    std::vector<float> half = y;
    half[5] = 1.5f;
    mask[5] = 1;
    w[5] = 1;
    EXPECT_FALSE(meru::stats::ys_are_classes({v.abyte, half, mask, w}, nclasses));
    const std::vector<float> top(n, 99.0f);
    const std::vector<int> heavy(n, std::numeric_limits<int>::max());
    EXPECT_FALSE(meru::stats::ys_are_classes({v.abyte, top, mask, heavy}, 100));
    EXPECT_TRUE(meru::stats::ys_are_classes({v.abyte, top, mask, w}, 100));
}

TEST(Partattr, StoresMembershipAsAttributeAndDataColumn)
{
    // 4 attributes; the new one is 4. List (2 -3).
    std::vector<std::uint8_t> abyte{1, 1, 0, 9, //
                                    1, 1, 1, 9, //
                                    1, M, 0, 9, //
                                    1, 0, M, 9};
    std::vector<float> x(3 * 4, 5.0f);
    const DataColumn col{x, 4, 2};
    ASSERT_TRUE(meru::stats::partattr(abyte, 4, 4, compiled({{2, -3}}, 1, 4), false, 4, col));
    EXPECT_EQ(abyte[3], 1);
    EXPECT_EQ(abyte[7], 0);
    EXPECT_EQ(abyte[11], M);
    EXPECT_EQ(abyte[15], 0); // 2 fails, even though 3 is missing
    EXPECT_EQ(std::vector<float>(x.begin() + 4, x.begin() + 8), (std::vector<float>{1, 0, -1, 0}));
    EXPECT_EQ(x[0], 5.0f); // other columns untouched
    EXPECT_EQ(x[8], 5.0f);

    // Skip flag: any missing literal gives 255 and -1.
    ASSERT_TRUE(meru::stats::partattr(abyte, 4, 4, compiled({{2, -3}}, 1, 4), true, 4, col));
    EXPECT_EQ(abyte[15], M);
    EXPECT_EQ(x[7], -1.0f);
}

TEST(Partattr, RefusesAttributeOrColumnOutsideTheArrays)
{
    std::vector<std::uint8_t> abyte(8, 1);
    std::vector<float> x(4, 0.0f);
    const auto list = compiled({{1}}, 1, 2);
    EXPECT_FALSE(meru::stats::partattr(abyte, 2, 4, list, false, 3, DataColumn{x, 4, 1}));
    EXPECT_FALSE(meru::stats::partattr(abyte, 2, 4, list, false, 0, DataColumn{x, 4, 1}));
    EXPECT_FALSE(meru::stats::partattr(abyte, 2, 4, list, false, 2, DataColumn{x, 4, 2}));
    EXPECT_EQ(abyte, std::vector<std::uint8_t>(8, 1));
}

TEST(Newattr, StoresOnlyZeroOneOrMissing)
{
    std::vector<std::uint8_t> abyte(7 * 3, 1);
    std::vector<float> x(7, 9.0f);
    const std::vector<float> v{0.0f, 1.0f, 1.7f, 2.0f, -999.0f, -0.5f, std::numeric_limits<float>::quiet_NaN()};
    int natt = 2;
    ASSERT_TRUE(meru::stats::newattr(abyte, 3, 7, natt, DataColumn{x, 7, 1}, v));
    EXPECT_EQ(natt, 3);
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 7; ++i) bytes.push_back(abyte[static_cast<std::size_t>(i * 3 + 2)]);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 1, 1, M, M, M, M}));
    EXPECT_EQ(x, (std::vector<float>{0, 1, 1, -1, -1, -1, -1}));
    // The matrix is full now: refused, nothing changes.
    EXPECT_FALSE(meru::stats::newattr(abyte, 3, 7, natt, DataColumn{x, 7, 1}, v));
    EXPECT_EQ(natt, 3);
}

TEST(Partcode, GroupCodesInTheMaskOnly)
{
    std::vector<std::uint8_t> abyte{1, 1, 1, 0, 1, M, 1, 1};
    std::vector<float> x{7, 7, 7, 7};
    std::vector<std::uint8_t> mask{1, 1, 1, 0};
    ASSERT_TRUE(meru::stats::partcode(AttributeMatrix(abyte, 2, 4), compiled({{2}}, 1, 2), false, 3, mask,
                                      DataColumn{x, 4, 1}));
    EXPECT_EQ(x, (std::vector<float>{6, 5, -1, 7}));
}

TEST(CellBits, ConversionsBothWays)
{
    std::vector<int> b(3, 9);
    meru::stats::int2bits(5, b);
    EXPECT_EQ(b, (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(meru::stats::bits2int(std::vector<int>{1, 0, 1}), 5);
    EXPECT_EQ(meru::stats::bits2int(std::vector<int>{2, 1}), 2);
    EXPECT_EQ(meru::stats::bits2int(std::vector<int>{}), 0);
    for (long long c = 0; c < 64; ++c) {
        std::vector<int> d(6);
        meru::stats::int2bits(c, d);
        EXPECT_EQ(meru::stats::bits2int(d), c);
    }
}
