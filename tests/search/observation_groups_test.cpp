// Grouping against a plain reference: a map from (key bytes, class) to the sum
// of weights and the first observation, over random data whose keys are short
// (a table indexed by key) or long (a hash table that grows), with missing
// bytes, zero weights, masked observations and missing Ys.
#include "search/observation_groups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <vector>

using meru::search::ObservationGroups;

TEST(ObservationGroups, EqualAMapOfKeysAndClassesWithTheirWeights)
{
    std::mt19937 rng(808);
    for (const int lc : {4, 30}) {
        for (int trial = 0; trial < 6; ++trial) {
            const int n = 3000, patterns = 1 + static_cast<int>(rng() % 400);
            // Few distinct rows, each repeated: the groups pay.
            std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(patterns));
            for (auto& r : rows)
                for (int a = 0; a < lc; ++a)
                    r.push_back(static_cast<std::uint8_t>(std::array{0, 1, 1, 0, 255, 3}[rng() % 6]));
            std::vector<std::uint8_t> bytes;
            std::vector<float> y;
            std::vector<std::uint8_t> mask;
            std::vector<int> w;
            for (int i = 0; i < n; ++i) {
                const auto& r = rows[rng() % rows.size()];
                bytes.insert(bytes.end(), r.begin(), r.end());
                y.push_back(rng() % 10 == 0 ? -1.0f : static_cast<float>(rng() % 3));
                mask.push_back(rng() % 10 != 0);
                w.push_back(static_cast<int>(rng() % 4));
            }
            std::vector<int> key;
            for (int a = 1; a <= lc; a += 1 + static_cast<int>(rng() % 2)) key.push_back(a);
            const meru::stats::AttributeMatrix m(bytes, lc, n);
            ObservationGroups g;
            ASSERT_TRUE(meru::search::group_observations(m, y, mask, w, key, 2, 1.0, g));
            // What a candidate reads of observation u's key bytes: bytes other than
            // 0, 1 and 255 all pass.
            const auto key_of = [&](std::size_t u) {
                std::vector<std::uint8_t> k;
                for (int a : key) {
                    const std::uint8_t b = bytes[u * static_cast<std::size_t>(lc) + static_cast<std::size_t>(a - 1)];
                    k.push_back(b > 1 && b != 255 ? 3 : b);
                }
                return k;
            };
            // The reference: groups in order of first observation.
            std::map<std::pair<std::vector<std::uint8_t>, int>, std::pair<int, long long>> ref;
            std::vector<int> order;
            for (int i = 0; i < n; ++i) {
                const auto u = static_cast<std::size_t>(i);
                if (!mask[u] || w[u] == 0 || !(y[u] >= 0.0f)) continue;
                auto [it, fresh] = ref.try_emplace({key_of(u), static_cast<int>(y[u])}, i, 0);
                if (fresh) order.push_back(i);
                it->second.second += w[u];
            }
            ASSERT_EQ(g.groups(), static_cast<int>(order.size())) << "lc " << lc << " trial " << trial;
            long long total = 0;
            for (const auto& [k, v] : ref) total += v.second;
            long long got_total = 0;
            for (int gi = 0; gi < g.groups(); ++gi) {
                const auto u = static_cast<std::size_t>(order[static_cast<std::size_t>(gi)]);
                const auto gu = static_cast<std::size_t>(gi);
                EXPECT_EQ(g.y[gu], y[u]);
                EXPECT_EQ(g.weights[gu], ref.at({key_of(u), static_cast<int>(y[u])}).second);
                EXPECT_TRUE(std::equal(g.abyte.begin() + static_cast<std::ptrdiff_t>(gu * static_cast<std::size_t>(lc)),
                                       g.abyte.begin() + static_cast<std::ptrdiff_t>((gu + 1) * static_cast<std::size_t>(lc)),
                                       bytes.begin() + static_cast<std::ptrdiff_t>(u * static_cast<std::size_t>(lc))));
                got_total += g.weights[gu];
            }
            EXPECT_EQ(got_total, total);
            // Asked for fewer groups than there are, it declines and leaves nothing.
            ObservationGroups none;
            EXPECT_FALSE(meru::search::group_observations(m, y, mask, w, key, 2,
                                                          0.99 * (order.size() - 1) / n, none));
            EXPECT_EQ(none.groups(), 0);
        }
    }
}
