// Whether a search counts its patterns once: from what counting and the
// words' passes cost, and from the memory the cells take against the
// machine's, not against the units.
#include "search/pattern_cost.h"

#include "search/pattern_counts.h"

#include <gtest/gtest.h>

#include <string>

namespace meru::search {
namespace {

constexpr std::size_t GiB = std::size_t{1} << 30;

stats::ExtentSettings upto(std::vector<int> bounds, bool all = true)
{
    stats::ExtentSettings e;
    e.upto = all;
    stats::set_extent(e, std::move(bounds));
    return e;
}

PatternPlan counts(int m, std::size_t units) { return {m, 2, PatternCounts::Cells::bytes(m, 2), units}; }

TEST(PatternCost, CellsWithinTheMachinesShareAreCountedOnAnyUnits)
{
    // 20 literals of two classes take 16 MiB: a search "Up to 3 3" counts
    // them on 100,000 units as on 1,000,000 (a budget of 32 bytes a unit,
    // at least 6 MiB, turned down the first two).
    for (const std::size_t units : {100000, 400000, 600000, 1000000})
        EXPECT_TRUE(patterns_pay(upto({3, 3}), 20, counts(20, units), 16 * GiB)) << units;
    // Within MSE's cells of 20 literals (48 MiB) on 1,000,000 units.
    EXPECT_TRUE(patterns_pay(upto({2, 2}), 20, {20, 6, PatternSums::Cells::bytes(20, 3), 1000000}, 16 * GiB));
    // Beyond a sixteenth of the machine (or of 4 GiB where it is unknown), never.
    EXPECT_FALSE(patterns_pay(upto({3, 3}), 27, counts(27, 100000000), 16 * GiB)); // 2 GiB
    EXPECT_TRUE(patterns_pay(upto({3, 3}), 25, counts(25, 100000000), 16 * GiB));  // 512 MiB
    EXPECT_FALSE(patterns_pay(upto({3, 3}), 25, counts(25, 100000000), 0));
    EXPECT_EQ(pattern_cell_budget(0), kPatternCellsUnknown);
}

TEST(PatternCost, ALaterIterationWeighsOnlyTheCandidatesItScores)
{
    // Of "Up to 2 2" over 21 items a second iteration scores only those
    // holding the newest (a fifth or so): on 100,000 units their passes over
    // the words cost less than the cells of 21 literals, on 1,000,000 more.
    EXPECT_TRUE(patterns_pay(upto({2, 2}), 21, counts(21, 100000), 16 * GiB));
    EXPECT_FALSE(patterns_pay(upto({2, 2}), 21, counts(21, 100000), 16 * GiB, true));
    EXPECT_TRUE(patterns_pay(upto({2, 2}), 21, counts(21, 1000000), 16 * GiB, true));
}

TEST(PatternCost, WhereCountingPaysItPaysOnMoreUnits)
{
    // A smaller data set never takes the dearer route: over extents, numbers
    // of literals and widths, in a first iteration or a later one, once
    // counting pays it pays on every larger count of units.
    const std::vector<stats::ExtentSettings> extents{upto({1}), upto({2, 2}), upto({3, 3}), upto({2}, false),
                                                     upto({3, 2, 1})};
    for (std::size_t e = 0; e < extents.size(); ++e)
        for (const int m : {3, 8, 14, 20, 22})
            for (const std::size_t width : {std::size_t{2}, std::size_t{6}}) {
                bool paid = false, paid_newest = false;
                for (double units = 1.0; units < 3e8; units *= 1.3) {
                    const PatternPlan plan{m, width, PatternCounts::Cells::bytes(m, width), std::size_t(units)};
                    const bool pays = patterns_pay(extents[e], m, plan, 16 * GiB);
                    const bool pays_newest = patterns_pay(extents[e], m, plan, 16 * GiB, true);
                    EXPECT_TRUE(pays || !paid) << "extent " << e << " m " << m << " units " << units;
                    EXPECT_TRUE(pays_newest || !paid_newest) << "extent " << e << " m " << m << " units " << units;
                    paid = paid || pays;
                    paid_newest = paid_newest || pays_newest;
                }
                if (e > 0 && extents[e].upto && m >= 8) {
                    EXPECT_TRUE(paid) << "extent " << e << " m " << m;
                }
            }
}

} // namespace
} // namespace meru::search
