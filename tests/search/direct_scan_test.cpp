#include "search/direct_scan.h"

#include <gtest/gtest.h>

#include <random>

namespace meru::search {

// The bounds a worker takes may be stale: they must never turn away a candidate
// that would change a list when the merge offers it. Random offers with few
// distinct values (ties everywhere, values within the tie tolerance of each
// other among them), complexities 0..40 (the best list fills and drops its
// largest), bounds taken again now and then, as record() offers.
TEST(EntryBounds, TurnAwayOnlyCandidatesThatChangeNoList)
{
    const std::vector<float> values{0.0f, 2e-38f, 1e-38f, 0.5e-38f, -1.0f, 1.0f, 2.5f, 2.5f, 4.0f, 7.25f, 9.0f};
    std::mt19937 rng(28);
    partition::TermList list;
    list.add_term(std::vector<partition::Literal>{2});
    long long turned_away = 0;
    for (int trial = 0; trial < 300; ++trial) {
        SearchResults res;
        EvaluationSettings es;
        es.penalty = trial % 3 == 0 ? 0.5 : 0.0;
        es.combination = trial % 17 != 0;
        const int most = trial % 2 ? 40 : 6;
        EntryBounds bounds;
        bounds.take(res, es);
        for (int i = 0; i < 400; ++i) {
            if (rng() % 40 == 0) bounds.take(res, es);
            const int cx = static_cast<int>(rng() % static_cast<unsigned>(most + 1));
            const float g = values[rng() % values.size()] * (trial % 5 == 0 ? 1.0f : 1.0f + 0.01f * (rng() % 50));
            const bool changes = es.combination && (res.top10.would_change(cx, g, es.penalty) ||
                                                    (cx > 0 && res.bestlist.would_change(cx, g)));
            if (!bounds.may_enter(cx, g)) {
                ASSERT_FALSE(changes) << "trial " << trial << " offer " << i << " complexity " << cx << " G " << g;
                ++turned_away;
            }
            bounds.saw(cx, g);
            if (!es.combination) continue;
            res.top10.offer(cx, g, es.penalty, 1, list);
            if (cx > 0) res.bestlist.offer(cx, g, 1, list);
        }
    }
    EXPECT_GT(turned_away, 50000); // most offers come after the lists have filled
}

} // namespace meru::search
