#include "search/direct_scan.h"
#include "search_fixture.h"

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

// The walk over a combination's floating cuts against the odometer worked out
// here: every set of cuts once, the last position fastest; the first position
// each step changes; the sets counted from a position on; and no move of a
// position from shape_fixed_from() on changes the candidate's shape (the signs,
// and the order of the attributes of any two positions), so a worker may keep
// the shape key it read. Items repeat across terms, cuts have mixed signs.
TEST(CutWalk, WalksEveryCutOnceAndTellsWhatMovesTheShape)
{
    meru::test::SearchProblem pb(4, {3, 1, 2, 4, 3}, 5);
    for (std::size_t k : {2, 4, 5, 6}) pb.tables.line[k].firstattr = true;
    for (int a : {3, 9, 13}) pb.tables.att[static_cast<std::size_t>(a)].signbyte = -1;
    LoopSettings s;
    s.tables = &pb.tables;
    s.lines = pb.lines;
    std::mt19937 rng(12);
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<int> index(1 + rng() % 5);
        for (int& i : index) i = 1 + static_cast<int>(rng() % pb.lines.size());
        std::vector<int> cuts; // per position: its line's cuts when it floats, else 1
        for (int i : index) {
            const files::AttrLine& line =
                pb.tables.line[static_cast<std::size_t>(pb.lines[static_cast<std::size_t>(i - 1)])];
            cuts.push_back(line.firstattr ? line.ncuts : 1);
        }
        CutWalk walk;
        walk.begin(s, index, nullptr);
        std::vector<int> at(index.size(), 0);
        std::vector<std::vector<partition::Literal>> seen;
        std::size_t count = 0;
        do {
            ++count;
            const std::span<const partition::Literal> lits = walk.lits();
            for (std::size_t j = 0; j < index.size(); ++j) {
                const files::AttrLine& line =
                    pb.tables.line[static_cast<std::size_t>(pb.lines[static_cast<std::size_t>(index[j] - 1)])];
                const int a = (cuts[j] > 1 ? line.first_attribute() + at[j] : line.attoff);
                EXPECT_EQ(partition::attribute_of(lits[j]), a) << "trial " << trial;
                EXPECT_EQ(lits[j] < 0, pb.tables.att[static_cast<std::size_t>(a)].signbyte < 0);
            }
            if (!seen.empty()) {
                std::size_t first = 0;
                while (seen.back()[first] == lits[first]) ++first;
                EXPECT_EQ(walk.changed(), first);
            }
            for (const auto& other : seen) {
                if (!std::equal(lits.begin(), lits.begin() + static_cast<std::ptrdiff_t>(walk.shape_fixed_from()),
                                other.begin()))
                    continue;
                for (std::size_t i = 0; i < lits.size(); ++i) {
                    EXPECT_EQ(lits[i] < 0, other[i] < 0) << "trial " << trial;
                    for (std::size_t j = 0; j < lits.size(); ++j)
                        EXPECT_EQ(partition::attribute_of(lits[i]) < partition::attribute_of(lits[j]),
                                  partition::attribute_of(other[i]) < partition::attribute_of(other[j]));
                }
            }
            seen.emplace_back(lits.begin(), lits.end());
            for (std::size_t j = at.size(); j-- > 0;) // the odometer
                if (++at[j] < cuts[j]) break;
                else at[j] = 0;
        } while (walk.next());
        std::size_t all = 1;
        for (int c : cuts) all *= static_cast<std::size_t>(c);
        EXPECT_EQ(count, all);
        EXPECT_EQ(walk.settings(), all);
        for (std::size_t from = 0; from <= index.size(); ++from) {
            std::size_t sets = 1;
            for (std::size_t j = from; j < index.size(); ++j) sets *= static_cast<std::size_t>(cuts[j]);
            EXPECT_EQ(walk.settings_from(from), sets);
        }
    }
}

} // namespace meru::search
