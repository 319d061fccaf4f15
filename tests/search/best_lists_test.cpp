// The three result lists: their placement and tie rules, and the would-change
// predicates against the insertion routines on random offer sequences.
#include "search/best_lists.h"
#include "search/evaluate.h"
#include "search/search_results.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <random>
#include <vector>

using meru::partition::TermList;
using meru::search::BestAtComplexity;
using meru::search::SearchResults;
using meru::search::StoredPartition;
using meru::search::TopG;
using meru::search::TopList;

namespace {

// A one-term list that names the offer, so every stored partition can be told apart.
TermList named(int id)
{
    TermList t;
    t.add_term({id + 2});
    return t;
}

int id_of(const StoredPartition& s) { return s.list.lits.at(0) - 2; }

template <class List> std::vector<int> ids(const List& l)
{
    std::vector<int> r;
    for (const StoredPartition& s : l.entries()) r.push_back(id_of(s));
    return r;
}

template <class List> std::vector<int> complexities(const List& l)
{
    std::vector<int> r;
    for (const StoredPartition& s : l.entries()) r.push_back(s.complexity);
    return r;
}

} // namespace

TEST(BestAtComplexity, PlacementAndTies)
{
    BestAtComplexity b;
    EXPECT_TRUE(b.offer(7, 1.0f, 1, named(1)));  // an empty list takes any complexity
    EXPECT_TRUE(b.offer(3, 2.0f, 0, named(2)));  // goes ahead of 7
    EXPECT_TRUE(b.offer(3, 2.0f, 1, named(3)));  // equal G at 3: the newer one is kept
    EXPECT_FALSE(b.offer(3, 1.5f, 1, named(4))); // lower G at 3: dropped
    EXPECT_TRUE(b.offer(3, 2.5f, 1, named(5)));
    EXPECT_EQ(ids(b), (std::vector<int>{5, 1}));
    EXPECT_EQ(complexities(b), (std::vector<int>{3, 7}));
    // Complexity 0 or below finds no place in a list that holds larger ones.
    EXPECT_FALSE(b.would_change(0, 100.0f));
    EXPECT_FALSE(b.offer(-2, 100.0f, 1, named(6)));
    EXPECT_TRUE(b.offer(1, -5.0f, 1, named(7)));
    EXPECT_EQ(complexities(b), (std::vector<int>{1, 3, 7}));
    EXPECT_EQ(b.entries()[1].flag, 1);
    b.clear();
    EXPECT_EQ(b.count(), 0);
}

TEST(BestAtComplexity, FullList)
{
    BestAtComplexity b;
    for (int c = 1; c <= 25; ++c) ASSERT_TRUE(b.offer(2 * c, 1.0f, 1, named(c)));
    EXPECT_EQ(b.count(), 25);
    EXPECT_FALSE(b.offer(51, 9.0f, 1, named(100))); // larger than every stored one: dropped
    EXPECT_TRUE(b.offer(5, 0.0f, 1, named(101)));   // between 4 and 6: in, 50 falls off
    EXPECT_EQ(b.count(), 25);
    EXPECT_EQ(b.entries()[2].complexity, 5);
    EXPECT_EQ(id_of(b.entries()[2]), 101);
    EXPECT_EQ(b.entries()[24].complexity, 48);
}

TEST(TopList, OrderAndTies)
{
    TopList t;
    EXPECT_TRUE(t.offer(4, 3.0f, 0.0, 1, named(1)));
    EXPECT_TRUE(t.offer(2, 3.0f, 0.0, 1, named(2)));  // equal value, less complex: ahead
    EXPECT_FALSE(t.offer(2, 3.0f, 0.0, 1, named(3))); // equal value and complexity: not in
    EXPECT_FALSE(t.offer(5, 3.0f, 0.0, 1, named(4))); // equal value, more complex: not in
    EXPECT_EQ(ids(t), (std::vector<int>{2, 1}));
    EXPECT_TRUE(t.offer(1, 1.0f, 0.0, 1, named(5)));
    EXPECT_EQ(t.count(), 3);
    // With a penalty the value is G - beta * complexity: 3 - 0.5*4 = 1 ties the
    // stored complexity-1 value 1 but is more complex, so it is not inserted.
    EXPECT_FALSE(t.offer(4, 3.0f, 0.5, 1, named(6)));
    EXPECT_TRUE(t.offer(4, 4.0f, 0.5, 1, named(7))); // 2.0: ahead of the value 1
    EXPECT_EQ(ids(t), (std::vector<int>{2, 1, 7, 5}));
    EXPECT_FLOAT_EQ(t.entries()[2].value, 2.0f);
    for (int k = 0; k < 20; ++k) t.offer(1, 10.0f + static_cast<float>(k), 0.0, 1, named(10 + k));
    EXPECT_EQ(t.count(), 10);
    EXPECT_EQ(id_of(t.entries()[0]), 29);
    // A penalty so large that G_beta is about -1e30 still fills an empty list.
    TopList huge;
    EXPECT_TRUE(huge.offer(3, 5.0f, 1e30, 1, named(1)));
    EXPECT_TRUE(huge.offer(1, 5.0f, 1e30, 1, named(2)));
    EXPECT_EQ(ids(huge), (std::vector<int>{2, 1}));
}

TEST(TopG, HeldAtOneEntryAndReset)
{
    TopG g;
    g.start_ranking();
    EXPECT_TRUE(g.offer(1, 5.0f, 0.01f, 1, named(1)));
    EXPECT_TRUE(g.offer(1, 5.0f, 0.02f, 0, named(2))); // equal G: the newcomer replaces it
    EXPECT_FALSE(g.offer(1, 4.0f, 0.5f, 1, named(3)));
    EXPECT_EQ(ids(g), (std::vector<int>{2}));
    EXPECT_FLOAT_EQ(g.entries()[0].p, 0.02f);
    // A new ranking (another Y) starts from the empty mark: a smaller G now enters.
    g.start_ranking();
    EXPECT_TRUE(g.offer(1, 0.5f, 0.9f, 1, named(4)));
    EXPECT_EQ(ids(g), (std::vector<int>{4}));
    g.set_count(0);
    EXPECT_FALSE(g.would_change(1e9f));
}

TEST(SearchResults, SavedGValuesStopAtTheLimitButAreCounted)
{
    SearchResults r;
    for (int k = 0; k < SearchResults::kSavedG + 1; ++k) r.save_g(static_cast<float>(k));
    EXPECT_EQ(r.searchg_count, SearchResults::kSavedG + 1);
    ASSERT_EQ(r.saved_g().size(), static_cast<std::size_t>(SearchResults::kSavedG));
    EXPECT_EQ(r.saved_g().back(), static_cast<float>(SearchResults::kSavedG - 1));
}

namespace {

bool same(const StoredPartition& a, const StoredPartition& b)
{
    return a.complexity == b.complexity && a.value == b.value && a.p == b.p && a.flag == b.flag &&
           a.list.lp == b.list.lp && a.list.lits == b.list.lits;
}

// Full state of a list, empty slots included where the list exposes them.
template <class List> bool same_state(const List& a, const List& b)
{
    if (a.count() != b.count()) return false;
    for (std::size_t i = 0; i < a.entries().size(); ++i)
        if (!same(a.entries()[i], b.entries()[i])) return false;
    return true;
}

bool same_state(const TopList& a, const TopList& b)
{
    if (a.count() != b.count()) return false;
    for (std::size_t i = 0; i < a.slots().size(); ++i)
        if (!same(a.slots()[i], b.slots()[i])) return false;
    return true;
}

} // namespace

TEST(BestLists, WouldChangeIsTrueExactlyWhenTheOfferChangesTheList)
{
    std::mt19937 rng(42);
    const auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const float values[] = {-1.0f, 0.0f, 0.5f, 1.0f, 1.0f + 1e-7f, 2.0f, 3.0f, -1e20f};
    for (int run = 0; run < 200; ++run) {
        BestAtComplexity b;
        TopList t;
        TopG g;
        g.set_count(uni(0, 3));
        const double beta = uni(0, 2) * 0.25;
        for (int k = 0; k < 300; ++k) {
            const int cx = uni(-1, 40);
            const float v = values[uni(0, 7)];
            const TermList l = named(run * 1000 + k);
            const float p = static_cast<float>(uni(0, 10)) / 10.0f;

            const BestAtComplexity b0 = b;
            const bool wb = b.would_change(cx, v);
            ASSERT_EQ(b.offer(cx, v, 1, l), wb);
            ASSERT_EQ(!same_state(b0, b), wb) << "bestc run " << run << " offer " << k;

            const TopList t0 = t;
            const bool wt = t.would_change(cx, v, beta);
            ASSERT_EQ(t.offer(cx, v, beta, 1, l), wt);
            ASSERT_EQ(!same_state(t0, t), wt) << "top10 run " << run << " offer " << k;

            const TopG g0 = g;
            const bool wg = g.would_change(v);
            ASSERT_EQ(g.offer(cx, v, p, 1, l), wg);
            ASSERT_EQ(!same_state(g0, g), wg) << "topg run " << run << " offer " << k;
        }
        // Invariants: ascending distinct complexities; top-10 values not increasing.
        for (std::size_t i = 1; i < b.entries().size(); ++i)
            ASSERT_LT(b.entries()[i - 1].complexity, b.entries()[i].complexity);
        for (std::size_t i = 1; i < t.entries().size(); ++i)
            ASSERT_GE(t.entries()[i - 1].value, t.entries()[i].value);
    }
}

TEST(BestAtComplexity, EqualsAModelOfTheBestGAtEachComplexity)
{
    // The model: complexity -> (G, id), at most 25 complexities; an offer at a
    // stored complexity replaces it when its G is not lower; a new complexity
    // enters while there is room, or when a larger one is stored, pushing out
    // the largest. Complexity 0 or below enters a non-empty list only above a
    // stored smaller one.
    std::mt19937 rng(2026);
    for (int run = 0; run < 40; ++run) {
        BestAtComplexity b;
        std::map<int, std::pair<float, int>> model;
        for (int k = 0; k < 400; ++k) {
            const int cx = std::uniform_int_distribution<int>(run % 2 ? 1 : -1, 60)(rng);
            const float g = static_cast<float>(rng() % 50) / 4.0f;
            bool enters = false;
            if (const auto at = model.find(cx); at != model.end()) enters = g >= at->second.first;
            else if (model.empty()) enters = true;
            else if (cx > model.rbegin()->first) enters = model.size() < 25;
            else enters = cx > 0 || model.begin()->first < cx;
            ASSERT_EQ(b.would_change(cx, g), enters) << "run " << run << " offer " << k;
            b.offer(cx, g, 1, named(k));
            if (enters) {
                model[cx] = {g, k};
                if (model.size() > 25) model.erase(std::prev(model.end()));
            }
            ASSERT_EQ(static_cast<std::size_t>(b.count()), model.size());
            std::size_t i = 0;
            for (const auto& [c, v] : model) {
                ASSERT_EQ(b.entries()[i].complexity, c);
                ASSERT_EQ(id_of(b.entries()[i++]), v.second);
            }
        }
    }
}

TEST(SearchResults, SurelyUnlistedHoldsForEveryLowerGAndOnlyWhenNothingEnters)
{
    // Random lists; at each offer, if the predicate holds for G, no G up to it
    // would change a list by the lists' own placement; and it holds for some
    // offers (it is not always false).
    std::mt19937 rng(99);
    meru::search::EvaluationSettings es;
    es.search_stage = true;
    int held = 0;
    for (int run = 0; run < 30; ++run) {
        SearchResults r;
        es.penalty = (run % 3) * 0.5;
        for (int k = 0; k < 300; ++k) {
            const int cx = static_cast<int>(rng() % 30);
            const float g = static_cast<float>(rng() % 400) / 8.0f;
            if (meru::search::surely_unlisted(r, cx, g, es)) {
                ++held;
                for (float lower : {g, g - 0.125f, g / 2, -1.0f})
                    ASSERT_FALSE(r.top10.would_change(cx, lower, es.penalty) ||
                                 (cx > 0 && r.bestlist.would_change(cx, lower)))
                        << run << " " << k << " " << lower;
            }
            const TermList l = named(k);
            r.top10.offer(cx, g, es.penalty, 1, l);
            if (cx > 0) r.bestlist.offer(cx, g, 1, l);
        }
    }
    EXPECT_GT(held, 1000);
}
