// The pattern counts against the snapshot's own count table of the same list,
// cell for cell: random samples (weights, a mask, classes beyond the table),
// literals of either sign and sign byte, lists of one term or several, with
// literals' complements or not, either side, and runs of lists that share
// their terms before the last.
#include "search/direct_path.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace meru::search {
namespace {

TEST(PatternCounts, TablesEqualTheSnapshotsTableOfEveryList)
{
    std::mt19937 rng(62);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int trial = 0; trial < 30; ++trial) {
        const int n = std::vector<int>{1, 70, 300, 1500}[static_cast<std::size_t>(trial % 4)];
        const int lc = 3 + pick(8), nclasses = 2 + trial % 3;
        std::vector<std::uint8_t> abyte(static_cast<std::size_t>(n * lc));
        for (auto& b : abyte) b = static_cast<std::uint8_t>(pick(2));
        std::vector<float> y(static_cast<std::size_t>(n));
        for (auto& v : y) v = static_cast<float>(pick(nclasses + 1)); // some beyond the table
        std::vector<std::uint8_t> mask(static_cast<std::size_t>(n));
        for (auto& m : mask) m = pick(9) != 0;
        std::vector<int> w(static_cast<std::size_t>(n));
        // One weight for all, a few, or too many kinds for one plane each.
        for (auto& v : w) v = trial % 3 == 0 ? 1 : (trial % 3 == 1 ? pick(4) : pick(300));
        std::vector<std::int8_t> sign(static_cast<std::size_t>(lc) + 1, 1);
        std::vector<partition::Literal> literals;
        for (int a = 2; a <= lc; ++a) {
            sign[static_cast<std::size_t>(a)] = pick(3) == 0 ? -1 : 1;
            literals.push_back(pick(2) ? a : -a);
        }
        const stats::SampleView view{stats::AttributeMatrix(abyte, lc, n), y, mask, w};
        ClassOrderedSample sample(view, nclasses);
        DirectScorer direct(sample, literals, std::vector<char>(literals.size(), 1), literals, sign, false);
        ASSERT_TRUE(PatternCounts::fits(sample));
        ASSERT_TRUE(direct.count_patterns());
        const PatternCounts& counts = *direct.patterns();
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
            SCOPED_TRACE("trial " + std::to_string(trial) + " list " + std::to_string(c) + " side " + std::to_string(r));
            for (int k = 0; k < 2 * nclasses; ++k)
                EXPECT_EQ(got.cells[static_cast<std::size_t>(k)], want.cells[static_cast<std::size_t>(k)]);
            EXPECT_EQ(got.w0, want.w0);
            EXPECT_EQ(got.w1, want.w1);
            EXPECT_EQ(got.beyond, want.beyond);
            if (complements) continue;
            counts.table(r, masks, got);
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

} // namespace
} // namespace meru::search
