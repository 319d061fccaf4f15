// The ranking of single attributes: the order of three lines
// by chi-square, each line's chosen cut, the collected directions, topg held at
// one entry, the 20,001st G value and Search:End.
#include "search/ranking.h"

#include "rank_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace meru::test {
namespace {

using partition::Literal;

TEST(RankingTable, SortedInsertionKeepsEqualGInArrivalOrder)
{
    search::Ranking r;
    for (auto [g, a] : {std::pair{1.0f, 2}, {3.0f, 3}, {1.0f, 4}, {2.0f, 5}, {3.0f, 6}}) r.insert({g, 1.0, a, a});
    std::vector<int> order;
    for (const auto& e : r.table) order.push_back(e.attribute);
    EXPECT_EQ(order, (std::vector<int>{3, 6, 5, 2, 4}));
}

// Ten observations, binary Y; "a" is Y itself, "b" has two cuts (the second
// closer to Y), "c" is unrelated to Y.
struct RankData {
    files::ControlTables t = rank_tables({{"c", 1}, {"a", 1}, {"b", 2}});
    std::vector<std::uint8_t> abyte;
    std::vector<float> y{1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> mask = std::vector<std::uint8_t>(10, 1);
    std::vector<int> w = std::vector<int>(10, 1);
    std::vector<std::int8_t> sign = std::vector<std::int8_t>(6, 1);
    RankData()
    {
        // attributes: 1 ".", 2 c, 3 a, 4 b cut 1, 5 b cut 2
        const int c[10] = {1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
        const int b1[10] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 1}; // negatively related
        const int b2[10] = {1, 1, 1, 1, 0, 0, 0, 0, 0, 1};
        for (int i = 0; i < 10; ++i)
            abyte.insert(abyte.end(), {0, static_cast<std::uint8_t>(c[i]), static_cast<std::uint8_t>(y[i] > 0),
                                       static_cast<std::uint8_t>(b1[i]), static_cast<std::uint8_t>(b2[i])});
    }
    search::EvaluationData data() const
    {
        search::EvaluationData d;
        d.abyte = stats::AttributeMatrix(abyte, 5, 10);
        d.y[0] = y;
        d.ymax[0] = 1.0;
        d.mask = mask;
        d.weights = w;
        d.signbyte = sign;
        return d;
    }
};

stats::CritSettings chi_square()
{
    stats::CritSettings c;
    c.icrit = 5;
    return c;
}

TEST(Ranking, OrdersThreeLinesAndChoosesEachLinesBestCut)
{
    RankData rd;
    search::Evaluator ev(rd.data(), chi_square(), search::rank_settings(1, false, true, 5));
    search::SearchResults results;
    results.topg.set_count(1);
    results.topg.offer(1, 1e6f, 0.0f, 1, partition::TermList{}); // a stale best from an earlier Y
    partition::SkipTally skips;
    search::Ranking ranking;
    search::FixposState fix;
    std::vector<std::string> texts;
    search::RankHooks hooks;
    hooks.progress = [&](std::string_view s) { texts.emplace_back(s); };
    const auto run = search::run_ranking(ev, rd.t, {2, 3, 4}, results, skips, ranking, &fix, hooks);
    EXPECT_EQ(run.evaluated, 4);
    // Chi-square of the 2x2 tables (n = 10): a = Y gives 10; b cut 2 (4/1 v 1/4)
    // gives 3.6; b cut 1 (3/0 v 2/5) 4.2857142857; c (3/2 v 2/3) 0.4.
    ASSERT_EQ(ranking.table.size(), 4u);
    EXPECT_NEAR(ranking.table[0].g, 10.0, 1e-4);
    EXPECT_NEAR(ranking.table[1].g, 4.2857143, 1e-4);
    EXPECT_NEAR(ranking.table[2].g, 3.6, 1e-4);
    EXPECT_NEAR(ranking.table[3].g, 0.4, 1e-4);
    EXPECT_EQ(ranking.order, (std::vector<int>{3, 4, 2}));
    EXPECT_EQ(ranking.chosen[4], 1);
    EXPECT_EQ(rd.t.line[4].inuse, 1);
    EXPECT_TRUE(ranking.several_cuts);
    EXPECT_TRUE(ranking.ranked);
    // topg was reset at the start and holds the best attribute only.
    ASSERT_EQ(results.topg.count(), 1);
    EXPECT_NEAR(results.topg.entries()[0].value, 10.0, 1e-4);
    EXPECT_EQ(results.searchg_count, 4);
    // Directions: b's first cut correlates negatively (point-biserial r = -0.6547).
    EXPECT_EQ(fix.order, (std::vector<int>{2, 3, 4, 5}));
    EXPECT_NEAR(fix.cor[3], 1.0, 1e-9);
    EXPECT_NEAR(fix.cor[4], -0.65465367, 1e-6);
    EXPECT_NEAR(fix.cor[5], 0.6, 1e-9);
    ASSERT_FALSE(texts.empty());
    EXPECT_NE(texts.front().find("... ranking attributes"), std::string::npos);
}

TEST(Ranking, EveryCutOfALineTakesTheSignOfItsFirstCut)
{
    RankData rd;
    rd.t.att[4].signbyte = -1; // b's first cut is negative, its second is not
    search::Evaluator ev(rd.data(), chi_square(), search::rank_settings(1, false, false, 5));
    search::SearchResults results;
    partition::SkipTally skips;
    search::Ranking ranking;
    search::run_ranking(ev, rd.t, {4}, results, skips, ranking, nullptr, {});
    std::vector<int> scored;
    for (const auto& e : ranking.table) scored.push_back(e.attribute);
    std::sort(scored.begin(), scored.end());
    EXPECT_EQ(scored, (std::vector<int>{-5, -4}));
}

TEST(Ranking, SearchEndStopsTheRun)
{
    RankData rd;
    search::Evaluator ev(rd.data(), chi_square(), search::rank_settings(1, false, false, 5));
    search::SearchResults results;
    partition::SkipTally skips;
    search::Ranking ranking;
    search::RankHooks hooks;
    int polls = 0;
    hooks.search_end = [&] { return ++polls == 2; };
    const auto run = search::run_ranking(ev, rd.t, {2, 3, 4}, results, skips, ranking, nullptr, hooks);
    EXPECT_TRUE(run.ended_by_user);
    EXPECT_EQ(run.evaluated, 2);
    EXPECT_FALSE(ranking.ranked);
}

TEST(Ranking, TheTwentyThousandAndFirstValueIsCountedNotKept)
{
    const int cuts = search::SearchResults::kSavedG + 1;
    auto t = rank_tables({{"v", cuts}});
    const int lc = t.natt;
    std::vector<std::uint8_t> abyte(static_cast<std::size_t>(lc) * 4, 0);
    for (int a = 2; a <= lc; ++a) abyte[static_cast<std::size_t>(a - 1)] = 1; // observation 1 true everywhere
    std::vector<float> y{1, 0, 0, 1};
    std::vector<std::uint8_t> mask(4, 1);
    std::vector<int> w(4, 1);
    std::vector<std::int8_t> sign(static_cast<std::size_t>(lc) + 1, 1);
    search::EvaluationData d;
    d.abyte = stats::AttributeMatrix(abyte, lc, 4);
    d.y[0] = y;
    d.ymax[0] = 1;
    d.mask = mask;
    d.weights = w;
    d.signbyte = sign;
    search::Evaluator ev(d, chi_square(), search::rank_settings(1, false, false, lc));
    search::SearchResults results;
    partition::SkipTally skips;
    search::Ranking ranking;
    search::run_ranking(ev, t, {2}, results, skips, ranking, nullptr, {});
    EXPECT_EQ(results.searchg_count, cuts);
    EXPECT_EQ(results.saved_g().size(), static_cast<std::size_t>(search::SearchResults::kSavedG));
    EXPECT_EQ(ranking.table.size(), static_cast<std::size_t>(cuts));
    EXPECT_EQ(ranking.chosen[2], 1); // all cuts equal: the first stays first
}

} // namespace
} // namespace meru::test
