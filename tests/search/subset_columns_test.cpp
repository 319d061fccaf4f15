// The stored and made term words against each unit's term state worked out from
// its bytes: random literal columns with missing bytes, terms of stored sets,
// terms longer than the stored sets, positions out of order or repeated, with
// and without the skip flag, a literal list too long for its sets of three, and
// the budget the stored terms are sized by.
#include "search/subset_columns.h"
#include "search/term_budget.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace meru::search {
namespace {

struct Columns {
    std::vector<std::vector<std::uint8_t>> bytes; // per literal, per unit: 0, 1 or 255
    std::vector<std::uint8_t> fail;               // per literal: its failing byte
    std::vector<std::vector<std::uint64_t>> f, m; // the fail and missing columns
    std::vector<UnitColumns::Lit> lits;

    Columns(std::mt19937& rng, std::size_t n, std::size_t units)
    {
        const std::size_t words = (units + 63) / 64;
        for (std::size_t l = 0; l < n; ++l) {
            auto& b = bytes.emplace_back(units);
            fail.push_back(static_cast<std::uint8_t>(rng() % 2));
            auto& fw = f.emplace_back(words, 0);
            auto& mw = m.emplace_back(words, 0);
            for (std::size_t u = 0; u < units; ++u) {
                b[u] = rng() % 9 == 0 ? 255 : static_cast<std::uint8_t>(rng() % 2);
                if (b[u] == fail.back()) fw[u / 64] |= std::uint64_t{1} << (u % 64);
                if (b[u] == 255) mw[u / 64] |= std::uint64_t{1} << (u % 64);
            }
        }
        for (std::size_t l = 0; l < n; ++l) lits.push_back({f[l].data(), m[l].data()});
    }

    // Unit u's state in the term: 0 holds, 1 undetermined, 2 fails; and whether
    // some literal of it is missing.
    std::pair<int, bool> state(std::span<const int> pos, std::size_t u) const
    {
        bool fails = false, missing = false;
        for (int p : pos) {
            const std::uint8_t b = bytes[static_cast<std::size_t>(p)][u];
            fails = fails || b == fail[static_cast<std::size_t>(p)];
            missing = missing || b == 255;
        }
        return {fails ? 2 : (missing ? 1 : 0), missing};
    }
};

void expect_term(const Columns& c, std::span<const int> pos, const TermWords& t, std::size_t units, bool skip)
{
    for (std::size_t u = 0; u < units; ++u) {
        const auto [st, missing] = c.state(pos, u);
        const auto bit = [&](const std::uint64_t* w) { return (w[u / 64] >> (u % 64)) & 1; };
        ASSERT_EQ(bit(t.any_true), st == 0 ? 1u : 0u) << "unit " << u;
        ASSERT_EQ(bit(t.any_und), st == 1 ? 1u : 0u) << "unit " << u;
        ASSERT_EQ(bit(t.skip_m), skip && missing ? 1u : 0u) << "unit " << u;
    }
}

TEST(SubsetColumns, TermsEqualTheUnitsStatesFromTheirBytes)
{
    std::mt19937 rng(5150);
    for (int trial = 0; trial < 24; ++trial) {
        const std::size_t n = 1 + rng() % 9, units = std::vector<std::size_t>{1, 64, 200, 700}[rng() % 4];
        const Columns c(rng, n, units);
        const bool skip = trial % 2 == 1;
        const int kmax = 1 + trial % 3;
        SubsetColumns s;
        s.build(c.lits, (units + 63) / 64, kmax, skip, std::size_t{3} << 20, kernel_set(cpu_level()));
        EXPECT_EQ(s.k(), std::min<int>(kmax, static_cast<int>(n)));
        std::vector<std::uint64_t> scratch;
        for (int t = 0; t < 40; ++t) {
            // Ascending sets up to one longer than stored; then any order, repeats allowed.
            std::vector<int> pos;
            if (t % 2 == 0) {
                for (std::size_t p = 0; p < n; ++p)
                    if (rng() % 3 == 0 && pos.size() < static_cast<std::size_t>(kmax) + 1) pos.push_back(int(p));
            } else {
                for (std::size_t i = 1 + rng() % 4; i-- > 0;) pos.push_back(static_cast<int>(rng() % n));
            }
            if (pos.empty()) pos.push_back(static_cast<int>(n - 1));
            SCOPED_TRACE("trial " + std::to_string(trial) + " term " + std::to_string(t));
            expect_term(c, pos, s.make(pos, scratch), units, skip);
        }
    }
}

TEST(SubsetColumns, ALongListStoresShorterSetsAndMakesTheRest)
{
    // 300 literals of one word: the sets of three (4.5 million) exceed a budget
    // of 3 MiB, the pairs (45,150) fit it; a budget below the literals' own
    // terms still stores those.
    std::mt19937 rng(77);
    const Columns c(rng, 300, 64);
    for (const auto& [budget, k] : {std::pair<std::size_t, int>{std::size_t{3} << 20, 2}, {1000, 1}}) {
        SubsetColumns s;
        s.build(c.lits, 1, 3, false, budget, kernel_set(cpu_level()));
        EXPECT_EQ(s.k(), k);
        std::vector<std::uint64_t> scratch;
        for (const std::vector<int>& pos :
             {std::vector<int>{3, 150, 299}, std::vector<int>{0, 1}, std::vector<int>{7}})
            expect_term(c, pos, s.make(pos, scratch), 64, false);
    }
}

TEST(SubsetColumns, TheBudgetFollowsTheUnitsWithinTheMachine)
{
    // Per unit up to a cap of an eighth of the machine, never below the floor.
    constexpr std::size_t GiB = std::size_t{1} << 30;
    EXPECT_EQ(stored_term_budget(1000, 16 * GiB), kStoredTermFloor);
    EXPECT_EQ(stored_term_budget(1000000, 16 * GiB), 1000000 * kStoredTermBytesPerUnit);
    EXPECT_EQ(stored_term_budget(100000000, 16 * GiB), 2 * GiB);
    EXPECT_EQ(stored_term_budget(100000000, 0), 100000000 * kStoredTermBytesPerUnit);
    EXPECT_EQ(stored_term_budget(10, 1 << 20), kStoredTermFloor);
}

} // namespace
} // namespace meru::search
