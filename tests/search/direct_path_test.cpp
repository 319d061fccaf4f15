// The direct path's count tables, made term by term with the terms kept from the
// candidate before, against the snapshot's own count table of the same list, on
// random samples, candidates that share leading terms or not, one term or
// several, both sides and both skip settings.
#include "search/direct_path.h"

#include "stats/membership.h"
#include "stats/membership_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace meru::search {
namespace {

TEST(DirectScorer, TablesEqualTheSnapshotsTableWhateverTheCandidateBefore)
{
    std::mt19937 rng(2813);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int trial = 0; trial < 40; ++trial) {
        const int n = std::vector<int>{1, 64, 257, 1100}[static_cast<std::size_t>(pick(4))], lc = 8, nclasses = 3;
        std::vector<std::uint8_t> abyte(static_cast<std::size_t>(n * lc));
        for (auto& b : abyte) b = pick(15) == 0 ? 255 : static_cast<std::uint8_t>(pick(2));
        std::vector<float> y(static_cast<std::size_t>(n));
        for (auto& v : y) v = static_cast<float>(pick(nclasses));
        std::vector<std::uint8_t> mask(static_cast<std::size_t>(n), 1);
        std::vector<int> w(static_cast<std::size_t>(n));
        for (auto& v : w) v = 1 + pick(3);
        std::vector<std::int8_t> sign(static_cast<std::size_t>(lc) + 1, 1);
        std::vector<partition::Literal> literals; // each attribute's literal, sign byte -1 or not
        for (int a = 2; a <= lc; ++a) {
            sign[static_cast<std::size_t>(a)] = pick(3) == 0 ? -1 : 1;
            literals.push_back(sign[static_cast<std::size_t>(a)] * a);
        }
        const stats::SampleView view{stats::AttributeMatrix(abyte, lc, n), y, mask, w};
        // The term-words kernels of every instruction level (those above the processor's take its own).
        ClassOrderedSample sample(view, nclasses, ClassOrderedSample::Level(trial / 8 % 4));
        const bool skip = trial / 4 % 2 == 0;
        DirectScorer direct(sample, literals, std::vector<char>(literals.size(), 1), {}, sign, skip);
        const std::vector<std::vector<int>> shapes{{2, 2}, {3, 1, 1}, {3}, {1, 2}};
        const std::vector<int>& p = shapes[static_cast<std::size_t>(trial % 4)];
        ASSERT_TRUE(direct.start(p));
        std::vector<partition::Literal> lits(static_cast<std::size_t>(std::accumulate(p.begin(), p.end(), 0)));
        for (auto& l : lits) l = literals[static_cast<std::size_t>(pick(lc - 1))];
        for (int c = 0; c < 60; ++c) {
            // Often only the last term changes, as in the search's order; sometimes any.
            for (std::size_t i = pick(2) ? lits.size() - 1 : 0; i < lits.size(); ++i)
                lits[i] = literals[static_cast<std::size_t>(pick(lc - 1))];
            partition::TermList list;
            list.lp = p;
            list.lits = lits;
            const int r = pick(2);
            stats::CountTable want, got;
            sample.partab(list, r, sign, skip, want);
            direct.table(lits, r, got);
            SCOPED_TRACE("trial " + std::to_string(trial) + " candidate " + std::to_string(c));
            for (int k = 0; k < 2 * nclasses; ++k)
                EXPECT_EQ(got.cells[static_cast<std::size_t>(k)], want.cells[static_cast<std::size_t>(k)]);
            EXPECT_EQ(got.w0, want.w0);
            EXPECT_EQ(got.w1, want.w1);
        }
    }
}

// Without missing bytes or the skip flag a last term whose positions but the
// last make a stored term is counted joined to that term, at the processor's
// level (generic for the others); the tables equal the snapshot's own, and the
// last term's words, made when asked for, equal the plain reference's.
TEST(DirectScorer, JoinedLastTermsCountAsTheirListsAndGiveTheirWords)
{
    std::mt19937 rng(2840);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int trial = 0; trial < 24; ++trial) {
        const int n = std::vector<int>{64, 300, 1100}[static_cast<std::size_t>(trial % 3)], lc = 9;
        std::vector<std::uint8_t> abyte(static_cast<std::size_t>(n * lc));
        for (auto& b : abyte) b = static_cast<std::uint8_t>(pick(2));
        std::vector<float> y(static_cast<std::size_t>(n));
        for (auto& v : y) v = static_cast<float>(pick(2));
        std::vector<std::uint8_t> mask(static_cast<std::size_t>(n), 1);
        std::vector<int> w(static_cast<std::size_t>(n), 1);
        std::vector<std::int8_t> sign(static_cast<std::size_t>(lc) + 1, 1);
        std::vector<partition::Literal> literals;
        for (int a = 2; a <= lc; ++a) literals.push_back(pick(2) ? a : -a);
        const stats::SampleView view{stats::AttributeMatrix(abyte, lc, n), y, mask, w};
        ClassOrderedSample sample(view, 2);
        DirectScorer direct(sample, literals, std::vector<char>(literals.size(), 1), literals, sign, false);
        const std::vector<int> p = trial % 2 ? std::vector<int>{2, 3} : std::vector<int>{4};
        ASSERT_TRUE(direct.start(p));
        std::vector<partition::Literal> lits(static_cast<std::size_t>(std::accumulate(p.begin(), p.end(), 0)));
        for (int c = 0; c < 40; ++c) {
            for (auto& l : lits) l = literals[static_cast<std::size_t>(pick(lc - 1))];
            partition::TermList list;
            list.lp = p;
            list.lits = lits;
            const int r = pick(2);
            stats::CountTable want, got;
            sample.partab(list, r, sign, false, want);
            direct.table(lits, r, got);
            SCOPED_TRACE("trial " + std::to_string(trial) + " candidate " + std::to_string(c));
            EXPECT_EQ(got.cells, want.cells);
            // The last term holds where each of its literals passes (read in the
            // sense of side r).
            const std::uint64_t* last = direct.last(r);
            const auto& obs = sample.columns().obs();
            for (std::size_t u = 0; u < obs.size(); ++u) {
                if (obs[u] < 0) continue;
                bool holds = true;
                for (std::size_t i = lits.size() - static_cast<std::size_t>(p.back()); i < lits.size(); ++i) {
                    const std::uint8_t b = abyte[static_cast<std::size_t>(obs[u] * lc + partition::attribute_of(lits[i]) - 1)];
                    holds &= ((b == 1) == (lits[i] > 0)) == (r == 1);
                }
                ASSERT_EQ(((last[u / 64] >> (u % 64)) & 1) != 0, holds) << "unit " << u;
            }
        }
    }
}

// A run: every term but the last held, last terms taken a block at a time.
// Each table equals the snapshot's own table of the whole list and the plain
// kernel's, and each key equals key() of the whole candidate, with a Y of two
// classes whose units weigh 1 (the vector kernel where the processor has it)
// or more (the term-words kernel), the skip flag on and off, and sign bytes -1.
TEST(DirectScorer, RunsCountAndKeyTheirCandidatesAsOneByOne)
{
    std::mt19937 rng(2828);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    // Class sizes (units weighing 1; class 1 starts on a new word): one word
    // each; classes that fill their words or not; 8 words (one whole vector),
    // 9, 10, 11 and 15 (the second vector's words in the lanes of class 1),
    // exactly 16 (two whole vectors) and 17 words.
    const std::vector<std::pair<int, int>> sizes{{1, 1},    {64, 64},  {63, 1},    {448, 64},  {449, 63},  {300, 269},
                                                 {64, 640}, {64, 896}, {512, 512}, {511, 512}, {513, 511}, {1, 1023}};
    // Before those, units in one word, in one vector under a mask, in two (the
    // second masked or whole) and in more, with classes at random. The kernels
    // of every instruction level (those above the processor's take its own).
    using Level = ClassOrderedSample::Level;
    const int random_trials = 36;
    for (int trial = 0; trial < random_trials + static_cast<int>(4 * sizes.size()); ++trial) {
        const int sized = trial - random_trials;
        const Level level = sized >= 0 ? (sized / 2 % 2 ? Level::avx2 : Level::avx512) : Level(trial / 4 % 4);
        const int n0 = sized >= 0 ? sizes[static_cast<std::size_t>(sized / 4)].first : 0;
        const int n = sized >= 0
                          ? n0 + sizes[static_cast<std::size_t>(sized / 4)].second
                          : std::vector<int>{5, 64, 300, 569, 800, 1000, 1500}[static_cast<std::size_t>(pick(7))];
        const int lc = 10, items = lc - 1;
        std::vector<std::uint8_t> abyte(static_cast<std::size_t>(n * lc));
        for (auto& b : abyte) b = pick(20) == 0 ? 255 : static_cast<std::uint8_t>(pick(2));
        std::vector<float> y(static_cast<std::size_t>(n));
        for (auto& v : y) v = static_cast<float>(pick(2));
        if (sized >= 0) {
            for (int i = 0; i < n; ++i) y[static_cast<std::size_t>(i)] = i < n0 ? 0.0f : 1.0f;
            std::shuffle(y.begin(), y.end(), rng);
        }
        std::vector<std::uint8_t> mask(static_cast<std::size_t>(n), 1);
        std::vector<int> w(static_cast<std::size_t>(n), 1);
        if (trial % 3 == 2 && sized < 0)
            for (auto& v : w) v = 1 + pick(3);
        std::vector<std::int8_t> sign(static_cast<std::size_t>(lc) + 1, 1);
        std::vector<partition::Literal> literals; // item i's literal: attribute i + 1
        for (int a = 2; a <= lc; ++a) {
            sign[static_cast<std::size_t>(a)] = pick(3) == 0 ? -1 : 1;
            literals.push_back(sign[static_cast<std::size_t>(a)] * a);
        }
        const stats::SampleView view{stats::AttributeMatrix(abyte, lc, n), y, mask, w};
        ClassOrderedSample sample(view, 2, level);
        const bool skip = trial % 2 == 0;
        DirectScorer direct(sample, literals, std::vector<char>(literals.size(), 1), literals, sign, skip);
        const std::vector<std::vector<int>> shapes{{3, 3}, {2, 1}, {3, 2, 2}, {2}};
        const std::vector<int>& p = shapes[static_cast<std::size_t>(trial % 4)];
        ASSERT_TRUE(direct.start(p));
        ASSERT_TRUE(direct.runs());
        // Items of each term ascending, the terms before the last at random.
        const auto term = [&](int len) {
            std::vector<int> all(static_cast<std::size_t>(items));
            std::iota(all.begin(), all.end(), 1);
            std::shuffle(all.begin(), all.end(), rng);
            all.resize(static_cast<std::size_t>(len));
            std::sort(all.begin(), all.end());
            return all;
        };
        std::vector<int> before;
        for (std::size_t t = 0; t + 1 < p.size(); ++t) {
            const std::vector<int> x = term(p[t]);
            before.insert(before.end(), x.begin(), x.end());
        }
        std::vector<partition::Literal> lits;
        for (int i : before) lits.push_back(direct.item(i));
        const auto last_len = static_cast<std::size_t>(p.back());
        lits.resize(lits.size() + last_len, direct.item(1)); // the run reads no last term
        direct.begin_run(lits);
        std::vector<std::vector<int>> lasts(20);
        std::vector<std::size_t> ranks;
        for (auto& l : lasts) {
            l = term(p.back());
            std::size_t rank = direct.rank_base();
            for (std::size_t j = 0; j < l.size(); ++j) rank += direct.rank_part(l[j], j);
            ranks.push_back(rank);
        }
        for (int r = 0; r < 2; ++r) {
            std::vector<ClassOrderedSample::Cells> cells(lasts.size());
            direct.count_run(r, ranks, cells);
            for (std::size_t c = 0; c < lasts.size(); ++c) {
                for (std::size_t j = 0; j < last_len; ++j) lits[before.size() + j] = direct.item(lasts[c][j]);
                partition::TermList list;
                list.lp = p;
                list.lits = lits;
                stats::CountTable want, got, plain;
                sample.partab(list, r, sign, skip, want);
                direct.table_of(cells[c], got);
                stats::CompiledList compiled;
                compiled.compile(list, r, sign, lc);
                stats::partab(view, compiled, skip, 2, plain);
                EXPECT_EQ(plain.cells, want.cells);
                SCOPED_TRACE("trial " + std::to_string(trial) + " side " + std::to_string(r) + " last " +
                             std::to_string(c));
                for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(got.cells[k], want.cells[k]);
                EXPECT_EQ(got.w0, want.w0);
                EXPECT_EQ(got.w1, want.w1);
                EXPECT_EQ(got.beyond, want.beyond);
                const std::uint64_t run_key = direct.run_key(lasts[c]);
                EXPECT_EQ(run_key, direct.key(lits));
            }
        }
    }
}

} // namespace
} // namespace meru::search
