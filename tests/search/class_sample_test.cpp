// The class-ordered snapshot's count tables against the plain membership kernel,
// on random samples (weights with high bits, zero weights, masked and missing Ys,
// classes beyond the table, sign bytes, with and without missing bytes) and
// random lists of both senses, with and without the skip flag.
#include "search/class_sample.h"
#include "search/worker_pool.h"

#include "stats/membership.h"
#include "stats/membership_kernels.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace meru::search {
namespace {

TEST(ClassOrderedSample, CountTablesEqualThePlainKernelOnRandomSamplesAndLists)
{
    std::mt19937 rng(2812);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    int checked = 0;
    SearchThreads threads;
    // The last trials over several stretches of observations and units, their
    // passes on three threads.
    for (int trial = 0; trial < 123; ++trial) {
        const bool shared = trial >= 120;
        const int n =
            shared ? 300000
                   : std::vector<int>{0, 1, 63, 64, 65, 200, 511, 513, 4200}[static_cast<std::size_t>(pick(9))];
        const int lc = 2 + pick(6);
        const bool missing = pick(2) == 0;
        const int nclasses = shared ? 2 + trial % 2 : pick(5);
        const int weighting = shared ? trial % 3 : pick(3); // 1s; small; wide, with the sign bit
        std::vector<std::uint8_t> abyte(static_cast<std::size_t>(n * lc));
        for (auto& b : abyte)
            b = missing && pick(12) == 0 ? 255 : static_cast<std::uint8_t>(pick(7) == 0 ? 2 : pick(2));
        std::vector<float> y(static_cast<std::size_t>(n));
        for (auto& v : y) v = pick(15) == 0 ? -1.0f : static_cast<float>(pick(nclasses + 2)) + 0.25f * pick(4);
        std::vector<std::uint8_t> mask(static_cast<std::size_t>(n));
        for (auto& m : mask) m = pick(10) != 0;
        std::vector<int> w(static_cast<std::size_t>(n));
        for (auto& v : w)
            v = weighting == 0
                    ? 1
                    : (weighting == 1
                           ? pick(4)
                           : (pick(20) == 0 ? static_cast<int>(0x80000000u | rng() % 9) : 1 + pick(1 << 20)));
        std::vector<std::int8_t> sign(static_cast<std::size_t>(lc) + 1);
        for (auto& s : sign) s = static_cast<std::int8_t>(pick(3) - 1);
        const stats::SampleView view{stats::AttributeMatrix(abyte, lc, n), y, mask, w};
        ClassOrderedSample sample(view, nclasses, kernel_set(cpu_level()),
                                  shared ? threads.parallel(3, {}) : stats::ParallelFor{});
        for (int c = 0; c < 25; ++c) {
            partition::TermList list;
            const int q = pick(4);
            for (int t = 0; t < q; ++t) {
                std::vector<int> term;
                for (int j = pick(4); j > 0; --j) term.push_back((pick(2) ? 1 : -1) * (1 + pick(lc)));
                list.add_term(term);
            }
            const int sense = pick(2);
            const bool skip = pick(2) == 0;
            stats::CompiledList compiled;
            compiled.compile(list, sense, sign, lc);
            stats::CountTable want, got;
            stats::partab(view, compiled, skip, nclasses, want);
            got.cells.fill(7); // every cell must be written
            sample.partab(list, sense, sign, skip, got);
            SCOPED_TRACE("trial " + std::to_string(trial) + " list " + std::to_string(c));
            EXPECT_EQ(got.cells, want.cells);
            EXPECT_EQ(got.w0, want.w0);
            EXPECT_EQ(got.w1, want.w1);
            EXPECT_EQ(got.beyond, want.beyond);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 123 * 25);
}

} // namespace
} // namespace meru::search
