// The pattern counts against the snapshot's own count table of the same list,
// cell for cell: random samples (weights, a mask, classes beyond the table),
// literals of either sign and sign byte, lists of one term or several, with
// literals' complements or not, either side, and runs of lists that share
// their terms before the last; counted on one thread and shared out over
// three, the same; whether counting pays.
#include "search/direct_path.h"
#include "search/pattern_cost.h"
#include "search/worker_pool.h"

#include "partition/candidate.h"
#include "stats/split_sums.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace meru::search {
namespace {

// n observations over attributes 2..lc of random 0/1 bytes, each attribute's
// sign byte and literal of either sign, one observation in nine out of the
// mask; Y and the weights from the draws given.
struct RandomSample {
    std::vector<std::uint8_t> abyte;
    std::vector<float> y;
    std::vector<std::uint8_t> mask;
    std::vector<int> w;
    std::vector<std::int8_t> sign;
    std::vector<partition::Literal> literals;
    stats::SampleView view;

    template <class Pick, class Y, class W> RandomSample(Pick&& pick, int n, int lc, Y&& y_of, W&& w_of)
    {
        const auto un = static_cast<std::size_t>(n);
        abyte.resize(un * static_cast<std::size_t>(lc));
        for (auto& b : abyte) b = static_cast<std::uint8_t>(pick(2));
        for (std::size_t i = 0; i < un; ++i) {
            y.push_back(y_of());
            mask.push_back(pick(9) != 0);
            w.push_back(w_of());
        }
        sign.assign(static_cast<std::size_t>(lc) + 1, 1);
        for (int a = 2; a <= lc; ++a) {
            sign[static_cast<std::size_t>(a)] = pick(3) == 0 ? -1 : 1;
            literals.push_back(pick(2) ? a : -a);
        }
        view = {stats::AttributeMatrix(abyte, lc, n), y, mask, w};
    }
};

TEST(PatternCounts, TablesEqualTheSnapshotsTableOfEveryList)
{
    std::mt19937 rng(62);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    SearchThreads threads;
    for (int trial = 0; trial < 33; ++trial) {
        const int n = std::vector<int>{1, 70, 300, 1500}[static_cast<std::size_t>(trial % 4)];
        // The last trials with 17 to 20 literals: patterns of three bytes.
        const int lc = trial < 30 ? 3 + pick(8) : 18 + pick(3), nclasses = 2 + trial % 3;
        // Some Y beyond the table; one weight for all, a few, or too many
        // kinds for one plane each.
        const RandomSample rs(
            pick, n, lc, [&] { return static_cast<float>(pick(nclasses + 1)); },
            [&] { return trial % 3 == 0 ? 1 : (trial % 3 == 1 ? pick(4) : pick(300)); });
        const std::vector<partition::Literal>& literals = rs.literals;
        const std::vector<std::int8_t>& sign = rs.sign;
        const stats::SampleView& view = rs.view;
        ClassOrderedSample sample(view, nclasses);
        DirectScorer direct(sample, literals, std::vector<char>(literals.size(), 1), literals, sign, false);
        ASSERT_TRUE(PatternCounts::fits(sample));
        ASSERT_TRUE(direct.count_patterns());
        const PatternCounts& counts = *direct.patterns();
        DirectScorer shared(sample, literals, std::vector<char>(literals.size(), 1), literals, sign, false);
        ASSERT_TRUE(shared.count_patterns(threads.parallel(3, {})));
        const int m = static_cast<int>(literals.size());
        for (int c = 0; c < 40; ++c) {
            // A list of 1..4 terms of 1..3 literals each, positions ascending,
            // now and then a literal's complement (or a term of both).
            partition::TermList list;
            std::vector<std::uint32_t> masks;
            bool complements = false;
            for (int t = 1 + pick(4); t > 0; --t) {
                std::uint32_t bits = 0;
                for (int k = 1 + pick(3); k > 0; --k) bits |= 1u << pick(m);
                masks.push_back(bits);
                list.lp.push_back(0);
                for (int j = 0; j < m; ++j)
                    if (bits >> j & 1) {
                        const bool turn = trial % 2 && pick(4) == 0;
                        complements |= turn;
                        list.lits.push_back((turn ? -1 : 1) * literals[static_cast<std::size_t>(j)]);
                        ++list.lp.back();
                    }
                if (trial % 2 && pick(8) == 0) { // a term that never holds
                    list.lits.push_back(-list.lits[list.lits.size() - 1]);
                    ++list.lp.back();
                    complements = true;
                }
            }
            const int r = pick(2);
            stats::CountTable want, got;
            sample.partab(list, r, sign, false, want);
            ASSERT_TRUE(direct.count_list(list, r, got));
            SCOPED_TRACE("trial " + std::to_string(trial) + " list " + std::to_string(c) + " side " +
                         std::to_string(r));
            for (int k = 0; k < 2 * nclasses; ++k)
                EXPECT_EQ(got.cells[static_cast<std::size_t>(k)], want.cells[static_cast<std::size_t>(k)]);
            EXPECT_EQ(got.w0, want.w0);
            EXPECT_EQ(got.w1, want.w1);
            EXPECT_EQ(got.beyond, want.beyond);
            if (complements) continue;
            counts.table(r, masks, got);
            EXPECT_EQ(got.cells, want.cells);
            shared.patterns()->table(r, masks, got);
            EXPECT_EQ(got.cells, want.cells);
            if (nclasses != 2) continue;
            // The same list as a run's: its terms before the last begun, its last counted.
            PatternCounts::Run run;
            run.begin(counts, std::span(masks).first(masks.size() - 1));
            std::vector<ClassOrderedSample::Cells> cells(1);
            run.count(r, std::span(masks).last(1), cells);
            for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(cells[0][k], want.cells[k]);
        }
    }
}

// The sums over supersets, by blocks and past a block two literals at a
// time, against one literal after another over all the cells: the same
// doubles bit for bit, both sides, for cells within a block and beyond it
// (an odd and an even count of literals past it).
TEST(PatternCells, SupersetSumsAreThoseOfOneLiteralAfterAnother)
{
    std::mt19937 rng(65);
    std::uniform_real_distribution<double> value(-1e3, 1e3);
    for (const int m : {3, 13, 16}) {
        const std::size_t w = 3, sets = std::size_t{1} << m;
        std::vector<double> cells(sets * w);
        for (double& c : cells) c = value(rng);
        const PatternCells<double> got(m, w, cells);
        for (int r = 0; r < 2; ++r) {
            std::vector<double> want(cells.size()); // side 0: the complements' cells
            for (std::size_t s = 0; s < sets; ++s) std::copy_n(&cells[(r ? s : sets - 1 - s) * w], w, &want[s * w]);
            for (int j = 0; j < m; ++j)
                for (std::size_t s = 0; s < sets; ++s)
                    for (std::size_t c = 0; c < w && !(s >> j & 1); ++c)
                        want[s * w + c] += want[(s | 1u << j) * w + c];
            for (std::size_t s = 0; s < sets; ++s)
                ASSERT_TRUE(
                    std::equal(want.begin() + s * w, want.begin() + (s + 1) * w, got.all(r, std::uint32_t(s))));
        }
    }
}

// The split sums of pairs made as the search makes them (random candidates,
// reduced and complemented, either representation) against splittab() over
// the same observations: each side's and, per term, each term's weight
// exactly, its sums of Y and Y^2 within 1e-12 relative.
TEST(PatternSums, SplitSumsEqualSplittabsWithinRounding)
{
    std::mt19937 rng(63);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-12 * std::max(std::fabs(b), 1.0); };
    int first_only = 0;
    for (int trial = 0; trial < 24; ++trial) {
        // The last trials with 16 literals: their units put in order by the
        // patterns' high bits before they are added.
        const int n = std::vector<int>{1, 50, 400, 2000}[static_cast<std::size_t>(trial % 4)],
                  lc = trial < 16 ? 8 : 17;
        // Some Y missing.
        const RandomSample rs(
            pick, n, lc, [&] { return pick(12) == 0 ? -1.0f : static_cast<float>(pick(1000)) / 7.0f; },
            [&] { return trial % 2 ? 1 : pick(5); });
        const std::vector<partition::Literal>& literals = rs.literals;
        const std::vector<std::int8_t>& sign = rs.sign;
        const stats::SampleView& view = rs.view;
        const auto sums = PatternSums::make(view, literals, sign);
        ASSERT_TRUE(sums);
        for (int c = 0; c < 30; ++c) {
            partition::TermList cand;
            for (int t = 1 + pick(3); t > 0; --t) {
                cand.lp.push_back(1 + pick(3));
                for (int k = 0; k < cand.lp.back(); ++k)
                    cand.lits.push_back(literals[static_cast<std::size_t>(pick(lc - 1))]);
            }
            partition::Partition pair;
            partition::TermList comp;
            partition::PairSettings ps;
            partition::SkipTally tally;
            io::LogWriter log;
            const int r = pick(2);
            if (partition::mkpair(cand, comp, r, pair, ps, tally, log).skip) continue;
            const bool per_term = pick(2) == 0;
            stats::SplitSlots want, got;
            stats::CompiledList first, second;
            first.compile(pair.first, pair.first_sense(), sign, lc);
            second.compile(pair.second, 1 - pair.first_sense(), sign, lc);
            const stats::SplitSums ws = stats::splittab(view, first, second, false, per_term, want);
            stats::SplitSums gs;
            if (!sums->split(pair, per_term, got, gs)) continue; // beyond its terms
            SCOPED_TRACE("trial " + std::to_string(trial) + " pair " + std::to_string(c));
            EXPECT_EQ(gs.n1, ws.n1);
            EXPECT_EQ(gs.n2, ws.n2);
            // From the first list alone, where it serves: split()'s sums, bit for bit.
            if (!per_term && sums->serves(pair.first)) {
                stats::SplitSlots slots_first;
                stats::SplitSums fs;
                sums->split_first(pair.first, pair.first_sense(), slots_first, fs);
                EXPECT_EQ(std::tie(fs.n1, fs.n2, fs.ss1, fs.ss2, fs.sst),
                          std::tie(gs.n1, gs.n2, gs.ss1, gs.ss2, gs.sst));
                ++first_only;
            }
            const auto slots = [&](const stats::SplitSlots::Side& a, const stats::SplitSlots::Side& b, int q) {
                for (int k = per_term ? 0 : q; k <= q; ++k) {
                    const auto u = static_cast<std::size_t>(k);
                    EXPECT_EQ(a.count[u], b.count[u]) << "slot " << k;
                    EXPECT_TRUE(near(a.sum[u], b.sum[u])) << a.sum[u] << " " << b.sum[u];
                    EXPECT_TRUE(near(a.sumsq[u], b.sumsq[u])) << a.sumsq[u] << " " << b.sumsq[u];
                }
            };
            slots(got.first, want.first, pair.first.q());
            slots(got.second, want.second, pair.second.q());
        }
    }
    EXPECT_GT(first_only, 20);
}

// Whether a search counts its patterns once: from what counting and the
// words' passes cost, and the memory the cells take against the machine's.
constexpr std::size_t GiB = std::size_t{1} << 30;

stats::ExtentSettings upto(std::vector<int> bounds, bool all = true)
{
    stats::ExtentSettings e;
    e.upto = all;
    stats::set_extent(e, std::move(bounds));
    return e;
}

PatternPlan counts(int m, std::size_t units, std::size_t width = 2)
{
    return {m, width, PatternCounts::Cells::bytes(m, width), units};
}

TEST(PatternCost, CellsWithinTheMachinesShareAreCountedOnAnyUnits)
{
    // 20 literals of two classes take 16 MiB: "Up to 3 3" counts them on
    // 100,000 and 400,000 units as on 600,000 (32 bytes a unit turned the
    // first two down), and Within MSE's 48 MiB on 1,000,000.
    for (const std::size_t units : {100000, 400000, 600000})
        EXPECT_TRUE(patterns_pay(upto({3, 3}), 20, counts(20, units), 16 * GiB)) << units;
    EXPECT_TRUE(patterns_pay(upto({2, 2}), 20, {20, 6, PatternSums::Cells::bytes(20, 3), 1000000}, 16 * GiB));
    // Beyond a sixteenth of the machine (256 MiB where it is unknown), never.
    EXPECT_FALSE(patterns_pay(upto({3, 3}), 27, counts(27, 100000000), 16 * GiB)); // 2 GiB
    EXPECT_TRUE(patterns_pay(upto({3, 3}), 25, counts(25, 100000000), 16 * GiB));  // 512 MiB
    EXPECT_FALSE(patterns_pay(upto({3, 3}), 25, counts(25, 100000000), 0));
    // A second iteration of "Up to 2 2" over 21 items scores only those
    // holding the newest: on 100,000 units their words cost less than the
    // cells, on 1,000,000 more.
    EXPECT_FALSE(patterns_pay(upto({2, 2}), 21, counts(21, 100000), 16 * GiB, true));
    EXPECT_TRUE(patterns_pay(upto({2, 2}), 21, counts(21, 1000000), 16 * GiB, true));
}

TEST(PatternCost, WhereCountingPaysItPaysOnMoreUnits)
{
    // A smaller data set never takes the dearer route: over extents, numbers
    // of literals and widths, in a first iteration or a later one, once
    // counting pays it pays on every larger count of units.
    for (const auto& extent : {upto({1}), upto({2, 2}), upto({3, 3}), upto({2}, false), upto({3, 2, 1})})
        for (const int m : {3, 8, 14, 20, 22})
            for (const std::size_t width : {std::size_t{2}, std::size_t{6}})
                for (const bool newest : {false, true}) {
                    bool paid = false;
                    for (double units = 1.0; units < 3e8; units *= 1.3) {
                        const bool pays =
                            patterns_pay(extent, m, counts(m, std::size_t(units), width), 16 * GiB, newest);
                        EXPECT_TRUE(pays || !paid) << m << " " << width << " " << newest << " " << units;
                        paid = paid || pays;
                    }
                }
}

} // namespace
} // namespace meru::search
