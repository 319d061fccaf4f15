// Search candidates: literal codes of the chosen lines, the forced attribute's two
// forms with their limits, the pair A / A- with its complexity and skips, and the
// compatibility check of a pair.
#include "partition/candidate.h"
#include "partition/compat.h"
#include "partition/complement.h"
#include "partition/termops.h"

#include "captured_log.h"
#include "support/list_meaning.h"
#include "support/recording_services.h"
#include "tables_fixture.h"

#include <gtest/gtest.h>

#include <random>

namespace meru::partition::test {
namespace {

using meru::test::list_meaning;
using meru::test::negation;
using meru::test::Patterns;

TEST(Termcodes, LinesToSignedAttributes)
{
    files::ControlTables t;
    t.line.resize(4);
    t.att.resize(8);
    t.line[1].ncuts = 1, t.line[1].attoff = 1, t.line[1].inuse = 1;
    t.line[2].ncuts = 3, t.line[2].attoff = 4, t.line[2].inuse = 2;
    t.line[3].ncuts = 2, t.line[3].attoff = 6, t.line[3].inuse = 2, t.line[3].firstattr = true;
    t.att[5].signbyte = -1;
    std::vector<Literal> lits;
    termcodes(std::vector<int>{2, 3, 1}, t, lits);
    EXPECT_EQ(lits, (std::vector<Literal>{3, -5, 1}));
    t.line[3].firstattr = false;
    termcodes(std::vector<int>{3}, t, lits);
    EXPECT_EQ(lits, (std::vector<Literal>{6}));
}

TEST(Packcand, JoinAndMeetForms)
{
    SkipTally tally;
    TermList out;
    const TermList src = list({{3, -2}, {6}});
    ASSERT_TRUE(packcand(0, true, false, src, 9, out, tally));
    EXPECT_EQ(out.lp, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(out.lits, (std::vector<Literal>{9, 3, -2, 6}));
    ASSERT_TRUE(packcand(1, true, false, src, 9, out, tally)); // join flag of the other representation
    EXPECT_EQ(out.lp, (std::vector<int>{3, 2}));
    EXPECT_EQ(out.lits, (std::vector<Literal>{9, 3, -2, 9, 6}));
    ASSERT_TRUE(packcand(1, false, true, src, 9, out, tally));
    EXPECT_EQ(out.q(), 3);
    ASSERT_TRUE(packcand(2, true, true, src, 9, out, tally)); // any other flag: meet
    EXPECT_EQ(out.count(), 5);
    ASSERT_TRUE(packcand(1, false, false, TermList{}, 9, out, tally));
    EXPECT_EQ(out.q(), 0);
    EXPECT_EQ(tally.count[kSkipExpandFail], 0);
}

TEST(Packcand, LimitsAreASkipNotAnOverrun)
{
    SkipTally tally;
    TermList hundred;
    for (int t = 0; t < MAXP; ++t) hundred.add_term({t + 2});
    TermList out;
    EXPECT_FALSE(packcand(1, false, true, hundred, 500, out, tally));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(tally.count[kSkipExpandFail], 1);
    // Meet form: 100 terms of 100 literals already hold 10000 literals.
    TermList full;
    std::vector<Literal> term(100, 7);
    for (int t = 0; t < MAXP; ++t) full.add_term(term);
    EXPECT_FALSE(packcand(1, false, false, full, 500, out, tally));
    EXPECT_EQ(tally.count[kSkipExpandFail], 2);
}

TEST(Sizefit, GreedyMatching)
{
    EXPECT_TRUE(sizefit(std::vector<int>{3, 2}, std::vector<int>{2, 3}));
    EXPECT_FALSE(sizefit(std::vector<int>{2, 3}, std::vector<int>{3, 2}));
    EXPECT_FALSE(sizefit(std::vector<int>{2}, std::vector<int>{1, 1}));
    EXPECT_FALSE(sizefit(std::vector<int>{1, 1, 1}, std::vector<int>{3, 3}));
    EXPECT_TRUE(sizefit(std::vector<int>{}, std::vector<int>{}));
}

TEST(Ndistinct, CountsAttributes)
{
    int n = -1;
    EXPECT_FALSE(ndistinct(std::vector<Literal>{3, -3, 5}, n));
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(ndistinct(std::vector<Literal>{4}, n));
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(ndistinct(std::vector<Literal>{}, n));
    EXPECT_EQ(n, 0);
}

// ---- the pair ----

constexpr int kPrimaries = 5; // attributes 2..6; added attributes from 10

struct PairFixture : ::testing::Test {
    CapturedLog cap;
    meru::test::RecordingServices sv;
    SkipTally tally;
    AddedAttributes added;
    std::vector<std::pair<int, TermList>> defs;
    PairSettings s;

    PairFixture()
    {
        s.added = &added;
        s.reduce.services = &sv;
    }
    void add(int attribute, int slot, const TermList& a)
    {
        TermList c;
        ReduceOptions opt;
        ASSERT_NE(complement(a, kPlain, c, opt, tally, cap.log), status::kLimit);
        if (added.slotmap.size() <= static_cast<size_t>(attribute))
            added.slotmap.resize(static_cast<size_t>(attribute) + 1);
        added.slotmap[static_cast<size_t>(attribute)] = slot;
        addstore(c, a, slot, added.aminus_set, added.a_set);
        defs.push_back({attribute, a});
    }
    bool holds(Literal l, int o) const
    {
        const int a = attribute_of(l);
        bool v = a != 1 && a < 2 + kPrimaries && Patterns::primary(a, o);
        for (const auto& [att, def] : defs)
            if (att == a) v = meru::test::list_holds(def, kPlain, o, [&](Literal x, int ob) { return holds(x, ob); });
        return l > 0 ? v : !v;
    }
    std::vector<bool> meaning(const TermList& l, int sense) const
    {
        return list_meaning(l, sense, 1 << kPrimaries, [&](Literal x, int o) { return holds(x, o); });
    }
    PairResult run(TermList cand, int repflag, Partition& cur)
    {
        TermList comp;
        return mkpair(cand, comp, repflag, cur, s, tally, cap.log);
    }
};

TEST_F(PairFixture, ReducesComplementsAndMeasures)
{
    Partition cur;
    PairResult r = run(list({{2, 3}, {2, 3, 4}}), 1, cur);
    EXPECT_FALSE(r.skip);
    EXPECT_TRUE(pequal(1, cur.first, 1, list({{2, 3}})));
    EXPECT_TRUE(pequal(1, cur.second, 1, list({{2}, {3}})));
    EXPECT_EQ(r.complexity, 2);
    s.measure = 2;
    EXPECT_EQ(run(list({{2, 3}}), 1, cur).complexity, 1);
    s.measure = 3;
    EXPECT_EQ(run(list({{2, 3}, {-2, 4}}), 1, cur).complexity, 3);
}

TEST_F(PairFixture, PrimitiveNeitherReducesNorExpands)
{
    add(10, 1, list({{2, 3}}));
    s.reduce.primitive = true;
    s.full_reduction = true;
    Partition cur;
    run(list({{3}, {3, 10}}), 1, cur);
    EXPECT_TRUE(pequal(1, cur.first, 1, list({{3}, {3, 10}})));
    EXPECT_EQ(cur.second.count() > 0, true);
}

TEST_F(PairFixture, EmptySideHasNoComplexity)
{
    // In tree mode without Rank the complement is the one the driver supplies.
    s.tree_partition = true;
    Partition cur;
    TermList cand = list({{2}, {3}}), comp;
    PairResult r = mkpair(cand, comp, 1, cur, s, tally, cap.log);
    EXPECT_EQ(cur.second.q(), 0);
    EXPECT_EQ(r.complexity, 0);
}

TEST_F(PairFixture, ConstantCandidateCountsItsOtherSide)
{
    Partition cur;
    PairResult r = run(list({{2, -2}, {1}}), 1, cur); // empty: q = 1 after reduction
    EXPECT_EQ(cur.first.q(), 1);
    EXPECT_EQ(r.complexity, cur.second.q());
}

TEST_F(PairFixture, UptoSkipInLaterIterations)
{
    add(10, 1, list({{2, 3}, {4}}));
    s.iterative = true;
    s.iteration = 2;
    const std::vector<int> upto = {3, 2};
    s.upto = upto;
    s.reduce.primitive = false;
    Partition cur;
    PairResult r = run(list({{10, 5}}), 1, cur); // (5 2 3)(5 4): sizes (3, 2) fit (3, 2)
    EXPECT_TRUE(r.skip);
    EXPECT_EQ(tally.count[kSkipUpto], 1);
    s.iteration = 1;
    EXPECT_FALSE(run(list({{10, 5}}), 1, cur).skip);
}

TEST_F(PairFixture, PairsAreExactComplementsOnEveryPattern)
{
    std::mt19937 rng(5);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto random_list = [&](const std::vector<int>& attrs, int maxq) {
        TermList l;
        const int q = 1 + pick(maxq);
        for (int t = 0; t < q; ++t) {
            std::vector<Literal> term;
            const int n = 1 + pick(3);
            for (int i = 0; i < n; ++i) {
                const int a = attrs[static_cast<size_t>(pick(static_cast<int>(attrs.size())))];
                term.push_back(pick(2) ? a : -a);
            }
            l.add_term(term);
        }
        return l;
    };
    int evaluated = 0;
    for (int n = 0; n < 1500; ++n) {
        defs.clear();
        added = AddedAttributes{};
        add(10, 1, random_list({2, 3, 4, 5, 6}, 3));
        add(11, 2, random_list({2, 10, 6}, 2));
        const int repflag = pick(2);
        s.full_reduction = pick(2) == 0;
        s.measure = 1 + pick(3);
        const TermList cand = random_list({2, 3, 4, 5, 10, 11}, 3);
        Partition cur;
        PairResult r = run(cand, repflag, cur);
        if (r.skip) continue;
        ++evaluated;
        const int sense = repflag == 1 ? kPlain : kFlipped;
        ASSERT_EQ(meaning(cur.first, sense), meaning(cand, sense)) << n;
        ASSERT_EQ(meaning(cur.second, 1 - sense), negation(meaning(cand, sense))) << n;
        for (Literal l : cur.first.lits) ASSERT_LT(attribute_of(l), 10);
        for (Literal l : cur.second.lits) ASSERT_LT(attribute_of(l), 10);
        EXPECT_GE(r.complexity, 0);
    }
    EXPECT_GT(evaluated, 1400);
}

// ---- compatibility ----

struct CompatFixture : ::testing::Test {
    Tables tab;
    CapturedLog cap;
    meru::test::RecordingServices sv;
    int x3, x4, y5, z7;
    std::vector<std::string> windows;
    PartitionWindow partwin = [this](const TermList&, int repflag, std::string_view caption) {
        windows.push_back(std::string(caption) + " " + std::to_string(repflag));
    };

    CompatFixture()
    {
        const int lx = tab.add_line(1, 'i'), ly = tab.add_line(2, 'i'), lz = tab.add_line(3, 'i');
        tab.gt(lx, 0); // attribute 2, unused
        x3 = tab.gt(lx, 1);
        x4 = tab.gt(lx, 2);
        y5 = tab.gt(ly, 1);
        tab.gt(ly, 2);
        z7 = tab.gt(lz, 5);
        tab.t.att[static_cast<size_t>(x3)].attname = "age$$$$$";
        tab.t.att[static_cast<size_t>(z7)].attname = "score$$$";
    }
    // The check as its caller runs it: the help topic, then the window.
    CompatResult check(const TermList& a, const TermList& b, bool& once)
    {
        meru::Notices told;
        const CompatResult r = compat(a, b, 1, tab.t, once, told, cap.log);
        sv.replay(told);
        if (r.show_second) partwin(b, 0, kNotCompatibleCaption);
        return r;
    }
};

TEST_F(CompatFixture, CompatiblePair)
{
    bool once = true;
    CompatResult r = check(list({{x3}, {y5}}), list({{x3, y5}}), once);
    EXPECT_TRUE(r.compatible);
    EXPECT_FALSE(r.problem);
    EXPECT_TRUE(once);
    // Counterparts by variable: x4 stands for x3's variable.
    EXPECT_TRUE(check(list({{x3}}), list({{x4}}), once).compatible);
    EXPECT_TRUE(cap.lines.empty());
}

TEST_F(CompatFixture, SizeFailureIsSilent)
{
    bool once = true;
    CompatResult r = check(list({{x3, y5}}), list({{x3, y5}}), once);
    EXPECT_FALSE(r.compatible);
    EXPECT_TRUE(r.problem);
    EXPECT_FALSE(once);
    EXPECT_TRUE(cap.lines.empty());
    EXPECT_TRUE(sv.calls.empty());
}

TEST_F(CompatFixture, CounterpartFailureLogsEveryTimeShowsOnce)
{
    bool once = true;
    CompatResult r = check(list({{x3}, {z7}}), list({{x3}}), once);
    EXPECT_FALSE(r.compatible);
    ASSERT_GE(cap.lines.size(), 6u);
    // The name field keeps "$" for its trailing blanks; the note squeezes it.
    EXPECT_EQ(cap.lines[0], " NOTE: attribute score>5  of  A not in A-");
    EXPECT_EQ(cap.lines[1], " offender:score$$$>$5");
    EXPECT_EQ(cap.lines[2], " vv, qq 2 2");
    EXPECT_EQ(cap.lines[3], " lpp");
    EXPECT_EQ(sv.calls, std::vector<std::string>{"help:NOTE: Boolean algebra problem"});
    EXPECT_EQ(windows, std::vector<std::string>{"NOTE: not compatible with: 0"});
    const size_t first_lines = cap.lines.size();
    // A second failure, now from A- against A: logged again, shown no more.
    check(list({{x3}}), list({{x3}, {z7}}), once);
    ASSERT_EQ(cap.lines.size(), 2 * first_lines);
    EXPECT_NE(cap.lines[first_lines].find("of A- not in  A"), std::string::npos);
    EXPECT_EQ(sv.calls.size(), 1u);
    EXPECT_EQ(windows.size(), 1u);
}

TEST_F(CompatFixture, EmptySideFailsAtOnce)
{
    bool once = true;
    CompatResult r = check(list({{x3}}), TermList{}, once);
    EXPECT_FALSE(r.compatible);
    EXPECT_TRUE(r.problem);
    ASSERT_GE(cap.lines.size(), 2u);
    EXPECT_EQ(cap.lines[1], " offender:none");
    EXPECT_EQ(windows.size(), 1u);
}

TEST_F(CompatFixture, DuplicateMarkLinks)
{
    bool once = true;
    tab.t.att[static_cast<size_t>(z7)].dupmark = x3;
    EXPECT_TRUE(check(list({{x3}, {z7}}), list({{x3, z7}}), once).compatible);
    EXPECT_TRUE(check(list({{x3}, {z7}}), list({{x3, x4}}), once).compatible);
}

} // namespace
} // namespace meru::partition::test
