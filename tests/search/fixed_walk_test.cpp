// The walk over candidates of fixed literals against the combinations' own
// walk: the same usable candidates in the same order, newest where they hold
// the newest item, each newest candidate's counted table equal to the one the
// scorer makes of its literals, and a walk cut into pieces at arbitrary
// candidates (within a run or at its start) equal to the whole walk.
#include "search/fixed_walk.h"
#include "search_fixture.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace meru::search {
namespace {

struct Seen {
    std::vector<int> items;
    bool newest;
    bool operator==(const Seen&) const = default;
};

// A search's evaluator of Chi-square over the problem's binary Y.
struct ChiSquare {
    explicit ChiSquare(const meru::test::SearchProblem& pb) : d(pb.data()), ev(d, crit(), settings()) {}
    static stats::CritSettings crit()
    {
        stats::CritSettings c;
        c.icrit = static_cast<int>(stats::Criterion::ChiSquare);
        return c;
    }
    static EvaluationSettings settings()
    {
        EvaluationSettings es;
        es.search_stage = true;
        return es;
    }
    EvaluationData d;
    Evaluator ev;
};

TEST(FixedWalk, WalksTheCombinationsUsableCandidatesInOrderAndStopsBeforeTheEnd)
{
    meru::test::SearchProblem pb(300, std::vector<int>(9, 1), 53);
    ChiSquare chi(pb);
    Evaluator& ev = chi.ev;
    ASSERT_NE(ev.direct_sample(), nullptr);
    std::vector<partition::Literal> fixed;
    for (int k : pb.lines) fixed.push_back(pb.tables.line[static_cast<std::size_t>(k)].attoff);
    DirectScorer direct(*ev.direct_sample(), fixed, std::vector<char>(fixed.size(), 1), fixed, pb.sign, false);
    DirectScorer one(*ev.direct_sample(), fixed, std::vector<char>(fixed.size(), 1), fixed, pb.sign, false);
    LoopSettings s;
    s.tables = &pb.tables;
    s.lines = pb.lines;
    const int n = static_cast<int>(pb.lines.size());
    std::mt19937 rng(7);
    std::vector<char> usable;
    for (const std::vector<int>& p :
         std::vector<std::vector<int>>{{3}, {2, 2}, {3, 1}, {2, 1, 1}, {1, 1, 1}, {3, 3}}) {
        for (int trial = 0; trial < 4; ++trial) {
            s.iterative = trial % 2 == 1;
            s.iteration = s.iterative ? 2 : 1;
            // One item unusable now and then.
            usable.assign(static_cast<std::size_t>(pb.lc) + 1, 1);
            if (trial >= 2) usable[static_cast<std::size_t>(fixed[rng() % fixed.size()])] = 0;
            s.usable = usable;
            ASSERT_TRUE(direct.start(p));
            ASSERT_TRUE(direct.runs());
            ASSERT_TRUE(one.start(p));
            partition::Combinations comb;
            std::vector<Seen> want;
            std::vector<std::vector<int>> starts; // the pieces' first candidates
            comb.start(n, p);
            for (bool more = comb.nextcomb(); more; more = comb.nextcomb()) {
                const std::span<const int> index = comb.index();
                bool ok = true;
                for (int i : index)
                    ok = ok && usable[static_cast<std::size_t>(fixed[static_cast<std::size_t>(i - 1)])];
                if (ok)
                    want.push_back({{index.begin(), index.end()}, !s.iterative || std::ranges::count(index, n) > 0});
            }
            // Pieces cut where a jump of a random length lands.
            comb.start(n, p);
            for (bool more = comb.nextcomb(); more; more = comb.jump(1 + static_cast<long long>(rng() % 40)))
                starts.emplace_back(comb.index().begin(), comb.index().end());
            std::vector<Seen> got;
            for (std::size_t k = 0; k < starts.size(); ++k) {
                comb.start(n, p);
                comb.nextcomb();
                while (!std::ranges::equal(comb.index(), starts[k])) comb.nextcomb();
                const std::span<const int> end =
                    k + 1 < starts.size() ? std::span<const int>(starts[k + 1]) : std::span<const int>{};
                FixedWalk walk;
                walk.walk(direct, ev, s, comb, p, 0, 1, end, [&](FixedWalk& f) {
                    for (std::size_t i = 0, at = 0; i < f.m; ++i) {
                        Seen c{{}, f.newest[i] != 0};
                        const std::span<const partition::Literal> lits = f.lits_of(i);
                        for (partition::Literal l : lits)
                            c.items.push_back(static_cast<int>(std::ranges::find(fixed, l) - fixed.begin()) + 1);
                        if (c.newest)
                            for (int r = 0; r < 2; ++r) {
                                stats::CountTable counted, made;
                                direct.table_of(f.cells[static_cast<std::size_t>(r)][at], counted);
                                one.table(lits, r, made); // candidate by candidate
                                EXPECT_EQ(counted.cells, made.cells);
                            }
                        at += c.newest;
                        got.push_back(std::move(c));
                    }
                    return true;
                });
            }
            EXPECT_EQ(got, want) << "p " << ::testing::PrintToString(p) << " trial " << trial;
        }
    }
}

// Items in any order of their attributes: each newest candidate's key is the
// scorer's key() of its literals, and candidates of one key have one shape
// (the signs, and which positions hold one attribute).
TEST(FixedWalk, KeysOfItemsInAnyOrderTellTheirShapes)
{
    meru::test::SearchProblem pb(100, std::vector<int>(8, 1), 61);
    ChiSquare chi(pb);
    Evaluator& ev = chi.ev;
    std::mt19937 rng(11);
    LoopSettings s;
    s.tables = &pb.tables;
    s.lines = pb.lines;
    const int n = static_cast<int>(pb.lines.size());
    for (const std::vector<int>& p : std::vector<std::vector<int>>{{3}, {2, 2}, {3, 2}, {2, 1, 1}, {3, 3}}) {
        std::vector<partition::Literal> fixed;
        for (int k : pb.lines)
            fixed.push_back((rng() % 2 ? 1 : -1) * pb.tables.line[static_cast<std::size_t>(k)].attoff);
        std::shuffle(fixed.begin(), fixed.end(), rng);
        DirectScorer direct(*ev.direct_sample(), fixed, std::vector<char>(fixed.size(), 1), fixed, pb.sign, false);
        ASSERT_TRUE(direct.start(p));
        ASSERT_TRUE(direct.runs());
        std::map<std::uint64_t, std::vector<int>> shapes;
        partition::Combinations comb;
        comb.start(n, p);
        ASSERT_TRUE(comb.nextcomb());
        FixedWalk walk;
        walk.walk(direct, ev, s, comb, p, 0, 1, {}, [&](FixedWalk& f) {
            for (std::size_t i = 0; i < f.m; ++i) {
                const std::span<const partition::Literal> lits = f.lits_of(i);
                EXPECT_EQ(f.keys[i], direct.key(lits));
                std::vector<int> shape;
                for (partition::Literal l : lits) {
                    shape.push_back(l < 0);
                    shape.push_back(static_cast<int>(std::ranges::find(lits, l) - lits.begin()));
                }
                const auto [at, fresh] = shapes.emplace(f.keys[i], shape);
                EXPECT_EQ(at->second, shape);
            }
            return true;
        });
        EXPECT_GT(shapes.size(), 2u);
    }
}

} // namespace
} // namespace meru::search
