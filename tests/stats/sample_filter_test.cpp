// The observation rule shared by the log-rank, Harrell's c, the subgroup table
// and random partitions: one observation per row of a table of cases.
#include "stats/sample_filter.h"

#include <gtest/gtest.h>

#include <vector>

namespace meru::stats {
namespace {

TEST(SampleFilter, MaskWeightCensoringByteAndSkip)
{
    // Attribute 1 the censoring attribute (byte 1 censored: label 2), attribute 2
    // the literal of the skip list.
    struct Row {
        std::uint8_t mask;
        int weight;
        std::uint8_t cens, lit;
        bool counted, censored;
    };
    const Row rows[] = {
        {1, 2, 0, 1, true, false},  {1, 1, 1, 0, true, true},     {0, 3, 0, 1, false, false},
        {1, 0, 0, 1, false, false}, {1, 1, 255, 1, false, false}, {1, 1, 0, 255, false, false},
    };
    std::vector<std::uint8_t> mask, bytes;
    std::vector<int> weights;
    for (const Row& r : rows) {
        mask.push_back(r.mask);
        weights.push_back(r.weight);
        bytes.push_back(r.cens);
        bytes.push_back(r.lit);
    }
    const AttributeMatrix abyte(bytes, 2, 6);
    partition::TermList list;
    list.lp = {1};
    list.lits = {2};
    CompiledList skip;
    skip.compile(list, 1, {}, 2);
    const Censoring censoring{true, 1, 2, ""};
    const SampleFilter filter(abyte, mask, weights, censoring, &skip);
    ASSERT_EQ(filter.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(filter.at(i).counted, rows[i].counted) << i;
        EXPECT_EQ(filter.at(i).censored, rows[i].censored) << i;
    }
    // Without the skip list a missing literal byte counts; without censoring in
    // force neither the unusable byte nor the censored one matters.
    const SampleFilter plain(abyte, mask, weights, Censoring{});
    EXPECT_TRUE(plain.at(4).counted);
    EXPECT_TRUE(plain.at(5).counted);
    EXPECT_FALSE(plain.at(1).censored);
    // A censoring attribute outside the matrix is not in force.
    const SampleFilter outside(abyte, mask, weights, Censoring{true, 3, 2, ""});
    EXPECT_FALSE(outside.censoring().in_force);
    EXPECT_TRUE(outside.at(4).counted);
}

TEST(SampleFilter, CoversWhatEveryArrayReadHolds)
{
    const std::vector<std::uint8_t> mask(5, 1), bytes{0, 0, 0};
    const std::vector<int> weights(4, 1);
    const AttributeMatrix abyte(bytes, 1, 3);
    EXPECT_EQ(SampleFilter(abyte, mask, weights, Censoring{}).size(), 4u);
    EXPECT_EQ(SampleFilter(abyte, mask, weights, Censoring{true, 1, 2, ""}).size(), 3u);
}

} // namespace
} // namespace meru::stats
