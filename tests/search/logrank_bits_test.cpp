// The log-rank statistic over bit columns against the walk over per-observation
// memberships (the plain membership kernel), on random samples: tied times,
// times 0, missing times, censoring in force or not, weights 1, small or wide
// (with the sign bit), masked observations, missing bytes, both senses and the
// skip flag.
#include "search/logrank_bits.h"

#include "platform/io/logwriter.h"
#include "stats/membership.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace meru::search {
namespace {

TEST(LogRankBits, EqualsTheWalkOverMembershipsOnRandomSamplesAndLists)
{
    std::mt19937 rng(2813);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    io::LogWriter quiet;
    quiet.set_trace_sink([](std::string_view) {});
    int checked = 0;
    for (int trial = 0; trial < 80; ++trial) {
        const int n = std::vector<int>{1, 2, 64, 65, 300, 777, 3000}[static_cast<std::size_t>(pick(7))];
        const int lc = 3 + pick(5);
        const bool missing = pick(2) == 0;
        const int weighting = pick(3);
        const int ntimes = 1 + pick(40); // few distinct times: many ties
        std::vector<std::uint8_t> abyte(static_cast<std::size_t>(n * lc));
        for (auto& b : abyte) b = missing && pick(10) == 0 ? 255 : static_cast<std::uint8_t>(pick(2));
        std::vector<float> t(static_cast<std::size_t>(n));
        for (auto& v : t) v = pick(20) == 0 ? -1.0f : static_cast<float>(pick(ntimes)) * 0.5f;
        std::vector<std::uint8_t> mask(static_cast<std::size_t>(n));
        for (auto& m : mask) m = pick(12) != 0;
        std::vector<int> w(static_cast<std::size_t>(n));
        for (auto& v : w)
            v = weighting == 0
                    ? 1
                    : (weighting == 1
                           ? pick(4)
                           : (pick(30) == 0 ? static_cast<int>(0x80000000u | rng() % 9) : 1 + pick(1 << 16)));
        std::vector<std::int8_t> sign(static_cast<std::size_t>(lc) + 1);
        for (auto& s : sign) s = static_cast<std::int8_t>(pick(3) - 1);
        stats::Censoring cens;
        cens.in_force = pick(2) == 0;
        cens.attribute = lc; // its bytes 0/1/255 mark censored, observed, unusable
        cens.side = 1 + pick(2);
        const stats::SampleView view{stats::AttributeMatrix(abyte, lc, n), t, mask, w};

        std::vector<std::int8_t> member(static_cast<std::size_t>(n), -1);
        stats::LogRankOrder order;
        stats::LOGRANK(view, member, cens, 0, {1, 0, 0}, order, quiet);
        stats::LogRankWalk walk;
        stats::prepare_walk(view, cens, order, walk);
        LogRankBits bits(view.abyte, walk);
        for (int c = 0; c < 20; ++c) {
            partition::TermList list;
            for (int q = pick(4); q > 0; --q) {
                std::vector<int> term;
                for (int j = pick(4); j > 0; --j) term.push_back((pick(2) ? 1 : -1) * (1 + pick(lc - 1)));
                list.add_term(term);
            }
            const int sense = pick(2);
            const bool skip = pick(2) == 0;
            stats::CompiledList compiled;
            compiled.compile(list, sense, sign, lc);
            for (int i = 0; i < n; ++i) {
                const std::uint8_t* row = view.abyte.row(i);
                member[static_cast<std::size_t>(i)] =
                    static_cast<std::int8_t>(skip && compiled.skipped(row) ? -1 : compiled.membership(row));
            }
            const stats::LogRankResult want = stats::logrank_walk(walk, member);
            const stats::LogRankResult got = bits.statistic(list, sense, sign, skip);
            SCOPED_TRACE("trial " + std::to_string(trial) + " list " + std::to_string(c));
            EXPECT_EQ(got.g, want.g);
            EXPECT_EQ(got.o, want.o);
            EXPECT_EQ(got.e, want.e);
            EXPECT_EQ(got.v, want.v);
            EXPECT_EQ(got.w0, want.w0);
            EXPECT_EQ(got.w1, want.w1);
            EXPECT_EQ(got.d0, want.d0);
            EXPECT_EQ(got.d1, want.d1);
            EXPECT_NEAR(got.t0, want.t0, 1e-12 * std::abs(want.t0));
            EXPECT_NEAR(got.t1, want.t1, 1e-12 * std::abs(want.t1));
            ++checked;
        }
    }
    EXPECT_EQ(checked, 80 * 20);
}

} // namespace
} // namespace meru::search
