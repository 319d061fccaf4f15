#include "search/entry_bounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace meru::search {
namespace {

partition::TermList one_term(int attribute)
{
    partition::TermList l;
    l.add_term(std::vector<partition::Literal>{attribute});
    return l;
}

// The gate keeps what the rule turned away per complexity: a bound turned away
// at one complexity says nothing of another, whose best list entry may be far
// lower (here G 5 at complexity 2, 50 at complexity 3, the top-10 list above
// both), nor of a shape whose complexity is not known.
TEST(EntryGate, TurnsAwayOnlyWhatTheRuleTurnedAwayAtTheSameComplexity)
{
    SearchResults res;
    EvaluationSettings es;
    es.search_stage = true;
    for (int k = 0; k < 10; ++k) res.top10.offer(9, 100.0f + static_cast<float>(k), 0.0, 1, one_term(1 + k));
    res.bestlist.offer(2, 5.0f, 1, one_term(20));
    res.bestlist.offer(3, 50.0f, 1, one_term(21));
    const EntryBounds rule(res, es);
    EntryGate gate;
    gate.reset();
    EXPECT_TRUE(gate.quiet(rule, 3, 40.0f));
    EXPECT_EQ(gate.away(3), 40.0f);
    for (const int other : {-2, -1, 0, 1, 2, 4, SearchResults::kMaxComplexity, SearchResults::kMaxComplexity + 1})
        EXPECT_TRUE(std::isinf(gate.away(other))) << other;
    EXPECT_FALSE(gate.quiet(rule, 2, 30.0f)); // above complexity 2's best: it enters
    EXPECT_TRUE(gate.quiet(rule, 2, 4.0f));
    EXPECT_TRUE(gate.quiet(rule, 3, 45.0f));
    EXPECT_FALSE(gate.quiet(rule, 3, 60.0f));
    // A bound that costs a division is worked out only where the largest one
    // turned away before cannot tell.
    int divisions = 0;
    float bound = 0.0f;
    const auto at_most = [](float f) { return 20.0f <= f; };
    const auto bound_of = [&] {
        ++divisions;
        return 20.0f;
    };
    EXPECT_FALSE(gate.quiet_table(rule, 2, at_most, bound_of, bound));
    EXPECT_TRUE(gate.quiet_table(rule, 3, at_most, bound_of, bound));
    EXPECT_EQ(bound, 45.0f);
    EXPECT_EQ(divisions, 1);
    // After reset() nothing is turned away without asking.
    gate.reset();
    EXPECT_TRUE(std::isinf(gate.away(3)));
}

} // namespace
} // namespace meru::search
