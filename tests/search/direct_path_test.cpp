// The direct path's count tables, made term by term with the terms kept from the
// candidate before, against the snapshot's own count table of the same list, on
// random samples, candidates that share leading terms or not, one term or
// several, both sides and both skip settings.
#include "search/direct_path.h"

#include <gtest/gtest.h>

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
        ClassOrderedSample sample(view, nclasses);
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

} // namespace
} // namespace meru::search
