// The bit columns of the search's units against the bytes they come from, at
// every instruction level this processor has: random bytes (0, 1, missing and
// others that pass every literal) over up to 150 attributes, so that the
// attributes asked for span several blocks of 64, units in a shuffled order
// with padding units, and columns read from another set of the same units.
#include "core/cpu_level.h"
#include "search/unit_columns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace meru::search {
namespace {

// Whether the literal +a (in the plain sense) fails and is missing at each
// unit match its bytes; padding units (obs -1) do neither.
void expect_columns(UnitColumns& c, const stats::AttributeMatrix& m, const std::vector<int>& obs,
                    std::span<const int> attributes, std::span<const std::int8_t> sign)
{
    for (const int a : attributes) {
        bool missing = false;
        const UnitColumns::Lit l = c.literal(a, partition::kPlain, sign, missing);
        bool any_missing = false;
        for (std::size_t u = 0; u < obs.size(); ++u) {
            const int b = obs[u] < 0 ? -1 : m.row(obs[u])[a - 1];
            const bool fails = (l.fail[u / 64] >> (u % 64)) & 1, miss = (l.miss[u / 64] >> (u % 64)) & 1;
            ASSERT_EQ(fails, b == 0) << "attribute " << a << " unit " << u;
            ASSERT_EQ(miss, b == stats::kMissingByte) << "attribute " << a << " unit " << u;
            any_missing |= miss;
        }
        EXPECT_EQ(missing, any_missing) << "attribute " << a;
    }
}

TEST(UnitColumns, EveryColumnFollowsItsBytesAtEveryLevelAndWhenBorrowed)
{
    std::mt19937 rng(6401);
    for (int trial = 0; trial < 12; ++trial) {
        const int lc = 1 + static_cast<int>(rng() % 150), n = 1 + static_cast<int>(rng() % 700);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(lc) * static_cast<std::size_t>(n));
        for (auto& b : bytes) b = std::array<std::uint8_t, 6>{0, 1, 1, 0, 255, 7}[rng() % 6];
        const stats::AttributeMatrix m(bytes, lc, n);
        std::vector<int> obs(static_cast<std::size_t>(n));
        std::iota(obs.begin(), obs.end(), 0);
        std::shuffle(obs.begin(), obs.end(), rng);
        for (std::size_t u = 0; u < obs.size(); u += 1 + rng() % 40) obs[u] = -1;
        std::vector<int> attributes, rest;
        for (int a = 1; a <= lc; ++a) (rng() % 3 ? attributes : rest).push_back(a);
        const std::vector<std::int8_t> sign(static_cast<std::size_t>(lc) + 1, 1);
        SCOPED_TRACE("trial " + std::to_string(trial) + " lc " + std::to_string(lc));
        for (const CpuLevel level : machine_levels()) {
            const CpuLevelCap cap(level);
            UnitColumns c(m, obs);
            c.prepare(attributes);
            expect_columns(c, m, obs, attributes, sign);
            // Another set of the same units reads these columns and builds the rest.
            UnitColumns other(m, obs);
            other.borrow(c);
            other.prepare(rest);
            expect_columns(other, m, obs, rest, sign);
            for (const int a : attributes) {
                bool missing = false;
                EXPECT_EQ(other.literal(a, partition::kPlain, sign, missing).fail,
                          c.literal(a, partition::kPlain, sign, missing).fail);
            }
        }
        // Units in another order read nothing of them.
        const std::vector<int> reversed(obs.rbegin(), obs.rend());
        UnitColumns c(m, obs), apart(m, reversed);
        c.prepare(attributes);
        apart.borrow(c);
        apart.prepare(attributes);
        expect_columns(apart, m, reversed, attributes, sign);
    }
}

} // namespace
} // namespace meru::search
