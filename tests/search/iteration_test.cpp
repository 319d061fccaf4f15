// The iterative search's steps between iterations: the stop rules and their
// endings, the next iteration and the letters of named searches.
#include "search/iteration.h"

#include "platform/io/logwriter.h"
#include "support/recording_services.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace meru::search {
namespace {

using partition::TermList;

TermList list_of(std::initializer_list<std::initializer_list<int>> terms)
{
    TermList l;
    for (auto t : terms) l.add_term(t);
    return l;
}

partition::Partition pair_of(TermList a, TermList aminus, int repflag = 1)
{
    partition::Partition p;
    p.first = repflag == 1 ? a : aminus;
    p.second = repflag == 1 ? aminus : a;
    p.repflag = repflag;
    return p;
}

struct Steps {
    test::RecordingServices sv;
    io::LogWriter writer;
    std::vector<std::string> log;
    IterationState s;
    std::vector<int> set{2, 3, 4};
    std::string msgline;
    partition::AddedAttributes added;
    files::ControlTables t;
    Notices told;

    Steps()
    {
        writer.set_trace_sink([this](std::string_view l) { log.emplace_back(l); });
        s.iterative = true;
        t.line.resize(12);
        t.nlines = 11;
        for (int k = 2; k <= 11; ++k) t.line[static_cast<std::size_t>(k)].name = "v" + std::to_string(k);
        t.line[11].name = "+a_1";
    }
    bool logged(std::string_view l) const { return std::find(log.begin(), log.end(), l) != log.end(); }
    Ending stop(const partition::Partition& cur, bool primattr = false)
    {
        const Ending e = stop_rules(s, cur, primattr, added, set, msgline, sv, told, writer);
        sv.replay(told, &writer);
        return e;
    }
    bool next(const partition::Partition& cur, int new_line, int maxiter, bool detailed)
    {
        const bool go_on = next_iteration(s, cur, new_line, maxiter, detailed, t, set, sv, told, writer);
        sv.replay(told, &writer);
        return go_on;
    }
};

TEST(IterativeStops, EndingsOfAnIteration)
{
    const partition::Partition cur = pair_of(list_of({{2, 3}, {4}}), list_of({{2, 4}, {3, 4}}));
    { // The same A on iteration 2, held here as its complement's side.
        Steps st;
        st.s.iteration = 2;
        st.s.lastpart = cur.second;
        st.s.lastflag = 0;
        st.set.push_back(11);
        EXPECT_EQ(st.stop(pair_of(list_of({{4}, {3, 2}}), list_of({{4, 2}, {3, 4}}))), Ending::identical);
        EXPECT_EQ(st.msgline, "     ***Identical to partition on last iteration***   $");
        EXPECT_TRUE(st.logged(" Convergence (same as last iteration partition) in    2 iterations"));
        EXPECT_EQ(st.set, (std::vector<int>{2, 3, 4}));
        EXPECT_FALSE(st.s.iterative);
    }
    { // A different A goes on; nothing is written.
        Steps st;
        st.s.iteration = 2;
        st.s.lastpart = list_of({{2}});
        EXPECT_EQ(st.stop(cur), Ending::none);
        EXPECT_TRUE(st.s.iterative);
        EXPECT_TRUE(st.log.empty());
        EXPECT_EQ(st.set.size(), 3u);
    }
    { // Search:End during iteration 2: the note with the number, the request cleared.
        Steps st;
        st.s.iteration = 2;
        st.sv.end_requested = true;
        st.set.push_back(11);
        EXPECT_EQ(st.stop(cur), Ending::user);
        EXPECT_EQ(st.sv.with_prefix("note:"),
                  std::vector<std::string>{"note:User ended iterative search during iteration   2$ [log] kind=full"});
        EXPECT_FALSE(st.sv.end_requested);
        EXPECT_EQ(st.set, (std::vector<int>{2, 3, 4}));
    }
    { // Iteration 1 with a single attribute: the two lines, and the search goes on.
        Steps st;
        std::vector<std::string> shown;
        const partition::Partition one = pair_of(list_of({{5}}), list_of({{5}}));
        EXPECT_EQ(stop_rules(st.s, one, false, st.added, st.set, st.msgline, st.sv, st.told, st.writer,
                             [&](const TermList&, int, std::string_view c) { shown.emplace_back(c); }),
                  Ending::none);
        EXPECT_EQ(st.log, (std::vector<std::string>{" A \"single attribute partition\" (q=1,p_1=1) is best.",
                                                    " It cannot be improved by iterating."}));
        EXPECT_EQ(shown, std::vector<std::string>{"Partition:"});
        EXPECT_EQ(st.set.size(), 3u);
    }
}

TEST(IterativeStops, StuckCycleNeedsPrimitiveAttributesAndSlotsOneApart)
{
    // Attributes 20..24 are added attributes in slots 1..5.
    auto make = [](Steps& st) {
        st.added.slotmap.assign(30, 0);
        for (int a = 20; a <= 24; ++a) st.added.slotmap[static_cast<std::size_t>(a)] = a - 19;
        st.added.count = 5;
        st.s.iteration = 3;
    };
    struct Case {
        TermList before, now;
        bool primattr;
        Ending want;
    };
    const Case cases[] = {
        {list_of({{3, 22}}), list_of({{3, 23}}), true, Ending::stuck},   // slot 3 -> 4
        {list_of({{3, 22}}), list_of({{3, 23}}), false, Ending::none},   // not primitive
        {list_of({{3, 20}}), list_of({{3, 21}}), true, Ending::none},    // slot 2 never matches
        {list_of({{3, 22}}), list_of({{3, 24}}), true, Ending::none},    // two slots apart
        {list_of({{3, 22}}), list_of({{3}, {23}}), true, Ending::none},  // other shape
        {list_of({{3, -22}}), list_of({{3, -23}}), true, Ending::stuck}, // signs kept
        {list_of({{4, 22}}), list_of({{3, 23}}), true, Ending::none},    // a plain literal differs
    };
    for (const Case& c : cases) {
        Steps st;
        make(st);
        st.s.lastpart = c.before;
        EXPECT_EQ(st.stop(pair_of(c.now, list_of({{-1}})), c.primattr), c.want);
        if (c.want == Ending::stuck) {
            EXPECT_EQ(st.msgline, " Seems stuck in infinite cycle ?$");
            EXPECT_TRUE(st.logged(" Convergence (same as last iteration partition) in    3 iterations"));
        }
    }
}

TEST(IterativeNext, NextIterationOrTheMaximum)
{
    const partition::Partition cur = pair_of(list_of({{2, 3}}), list_of({{2}, {3}}));
    { // Iteration 1 -> 2: the new entry, the lines.
        Steps st;
        EXPECT_TRUE(st.next(cur, 11, 6, true));
        EXPECT_EQ(st.set, (std::vector<int>{2, 3, 4, 11}));
        EXPECT_EQ(st.s.iteration, 2);
        EXPECT_EQ(st.s.lastpart.lits, cur.first.lits);
        EXPECT_EQ(st.log, (std::vector<std::string>{"New Iteration",
                                                    " Current positive attribute set is now:", " v2 v3 v4 +a_1"}));
        EXPECT_EQ(st.sv.with_prefix("thinking:"), std::vector<std::string>{"thinking:Searching: Iteration  2"});
        // Iteration 2 -> 3 replaces the entry.
        EXPECT_TRUE(st.next(cur, 10, 6, false));
        EXPECT_EQ(st.set, (std::vector<int>{2, 3, 4, 10}));
    }
    { // maxiter 3: after iteration 3 no fourth is run.
        Steps st;
        st.s.iteration = 3;
        st.set.push_back(11);
        EXPECT_FALSE(st.next(cur, 10, 3, false));
        EXPECT_EQ(st.log, (std::vector<std::string>{"Iterations stopped. Maximum allowed reached",
                                                    "Maximum allowed iterations reached"}));
        EXPECT_EQ(st.set, (std::vector<int>{2, 3, 4}));
        EXPECT_FALSE(st.s.iterative);
    }
    { // Search:End pending: the new entry is dropped and the search ends quietly.
        Steps st;
        st.sv.end_requested = true;
        EXPECT_FALSE(st.next(cur, 11, 6, false));
        EXPECT_EQ(st.set, (std::vector<int>{2, 3, 4}));
        EXPECT_TRUE(st.log.empty());
    }
}

TEST(IterativeNext, LettersRunOutAfter52)
{
    Steps st;
    st.s.letter = 51;
    start_iterative(st.s, st.writer);
    EXPECT_EQ(st.s.letter, 52);
    EXPECT_TRUE(st.log.empty());
    start_iterative(st.s, st.writer);
    EXPECT_EQ(st.s.letter, 1);
    EXPECT_EQ(st.log, std::vector<std::string>{"NOTE: alphabet run out!"});
    EXPECT_EQ(st.s.iteration, 1);
}

} // namespace
} // namespace meru::search
