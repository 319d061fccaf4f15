// The bit columns of a sample's units against the bytes they come from, at
// every instruction level this processor has: random bytes (0, 1, missing and
// others that pass every literal) over up to 150 attributes, so that the
// attributes asked for span several blocks of 64 (or lie within 21), units in
// a shuffled order with padding units, padded to blocks of 4 and of 64 words,
// and a copy for another thread that reads the columns built before it.
#include "core/cpu_level.h"
#include "stats/sample_kernels.h"
#include "stats/unit_columns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace meru::stats {
namespace {

// Whether the literals +a and -a (in the plain sense) fail and are missing
// at each unit match its bytes; padding units (obs -1) do neither.
void expect_columns(UnitColumns& c, const AttributeMatrix& m, std::span<const int> obs,
                    std::span<const int> attributes, std::span<const std::int8_t> sign)
{
    for (const int a : attributes)
        for (const int s : {1, -1}) {
            bool missing = false;
            const UnitColumns::Lit l = c.literal(s * a, partition::kPlain, sign, missing);
            bool any_missing = false;
            for (std::size_t u = 0; u < obs.size(); ++u) {
                const int b = obs[u] < 0 ? -1 : m.row(obs[u])[a - 1];
                const bool fails = (l.fail[u / 64] >> (u % 64)) & 1, miss = (l.miss[u / 64] >> (u % 64)) & 1;
                ASSERT_EQ(fails, b == (s > 0 ? 0 : 1)) << "literal " << s * a << " unit " << u;
                ASSERT_EQ(miss, b == kMissingByte) << "literal " << s * a << " unit " << u;
                any_missing |= miss;
            }
            EXPECT_EQ(missing, any_missing) << "literal " << s * a;
        }
}

TEST(UnitColumns, EveryColumnFollowsItsBytesAtEveryLevelAndInACopyForAnotherThread)
{
    std::mt19937 rng(6401);
    for (int trial = 0; trial < 24; ++trial) {
        // Every other trial within 30 attributes: sets of them within 21 are
        // built three columns to one transpose.
        const int lc = 1 + static_cast<int>(rng() % (trial % 4 < 2 ? 150 : 30)), n = 1 + static_cast<int>(rng() % 700);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(lc) * static_cast<std::size_t>(n));
        for (auto& b : bytes) b = std::array<std::uint8_t, 6>{0, 1, 1, 0, 255, 7}[rng() % 6];
        const AttributeMatrix m(bytes, lc, n);
        stats::UnitArray<int> obs(static_cast<std::size_t>(n));
        std::iota(obs.begin(), obs.end(), 0);
        std::shuffle(obs.begin(), obs.end(), rng);
        for (std::size_t u = 0; u < obs.size(); u += 1 + rng() % 40) obs[u] = -1;
        std::vector<int> attributes, rest;
        for (int a = 1; a <= lc; ++a) (rng() % 3 ? attributes : rest).push_back(a);
        const std::vector<std::int8_t> sign(static_cast<std::size_t>(lc) + 1, 1);
        const std::size_t block = trial % 2 ? 64 : UnitColumns::kBlock;
        SCOPED_TRACE("trial " + std::to_string(trial) + " lc " + std::to_string(lc));
        for (const CpuLevel level : machine_levels()) {
            const CpuLevelCap cap(level);
            UnitColumns c(m, obs, sample_kernels(level), block);
            EXPECT_EQ(c.words() % block, 0u);
            EXPECT_GE(c.words() * 64, obs.size());
            c.prepare(attributes);
            expect_columns(c, m, obs, attributes, sign);
            // The copy reads these columns and builds the rest for itself.
            UnitColumns copy(c, UnitColumns::Share{});
            copy.prepare(rest);
            expect_columns(copy, m, obs, rest, sign);
            for (const int a : attributes) {
                bool missing = false;
                EXPECT_EQ(copy.literal(a, partition::kPlain, sign, missing).fail,
                          c.literal(a, partition::kPlain, sign, missing).fail);
            }
            for (const int a : rest) {
                bool missing = false;
                EXPECT_NE(copy.literal(a, partition::kPlain, sign, missing).fail,
                          c.literal(a, partition::kPlain, sign, missing).fail);
            }
        }
    }
}

} // namespace
} // namespace meru::stats
