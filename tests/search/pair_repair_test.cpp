// The repair of an A / A- pair that does not match, with a stubbed check that
// fails a given number of times and a stubbed complement that tags its result.
#include "platform/io/logwriter.h"
#include "search/pair_repair.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

using namespace meru::search;
using meru::partition::Partition;
using meru::partition::TermList;

namespace {

TermList one(int lit)
{
    TermList t;
    t.add_term({lit});
    return t;
}

// Attributes 1..2000, each of sign +1.
meru::files::ControlTables plain_signs()
{
    meru::files::ControlTables t;
    t.natt = 2000;
    t.att.resize(2001);
    for (auto& a : t.att) a.signbyte = 1;
    return t;
}

} // namespace

TEST(PairRepair, ChecksFailingZeroOnceTwiceOrAlways)
{
    struct Case {
        std::deque<bool> answers; // the checks in order
        bool complement_works;
        Repair result;
        std::vector<std::string> log, shown, help;
        int first, second; // the pair's single literals afterwards
    };
    const std::string kTry = "Trying to fix incompatibility";
    const std::string kFail = "  Fix apparently not worked. Check Boolean algbra";
    const Case cases[] = {
        {{true}, true, Repair::none, {}, {}, {}, 5, -7},
        {{false, true},
         true,
         Repair::first_retry,
         {kTry},
         {"A by back-transposition::107", "Alternative back-transposed partition:107"},
         {},
         107,
         -7},
        {{false, false, true},
         true,
         Repair::second_retry,
         {kTry},
         {"A by back-transposition::107", "Alternative back-transposed partition:107"},
         {"NOTE: Boolean algebra seems fixed"},
         107,
         1170},
        {{false, false, false},
         true,
         Repair::failed,
         {kTry, kFail},
         {"A by back-transposition::107"},
         {"NOTE: Fix not working"},
         5,
         -7},
        {{false}, false, Repair::failed, {kTry, kFail}, {}, {"NOTE: Fix not working"}, 5, -7},
    };
    for (const Case& k : cases) {
        std::deque<bool> answers = k.answers;
        std::vector<std::string> log, shown, help;
        std::vector<int> senses;
        RepairHooks hooks;
        hooks.compat = [&](const TermList&, const TermList&, int repflag) {
            EXPECT_EQ(repflag, 1);
            EXPECT_FALSE(answers.empty());
            const bool a = answers.front();
            answers.pop_front();
            return a;
        };
        // The complement of literal l is 100 + |l|: it tells which list it came from.
        hooks.complement = [&](const TermList& in, int sense, TermList& out) {
            senses.push_back(sense);
            out = one(100 + std::abs(in.lits[0]) * (sense == 1 ? 10 : 1));
            return k.complement_works;
        };
        hooks.show = [&](const TermList& l, int v, const std::string& c) {
            EXPECT_EQ(v, 1);
            shown.push_back(c + ":" + std::to_string(l.lits[0]));
        };
        meru::io::LogWriter w;
        w.set_trace_sink([&](std::string_view l) { log.emplace_back(l); });
        Partition p{one(5), one(-7), 1};
        meru::Notices told;
        const Repair r = repair_pair(p, hooks, plain_signs(), told, w);
        EXPECT_EQ(r, k.result);
        // Shown as the caller shows them: the notices, then the repaired A.
        for (const meru::Notice& n : told.items()) {
            if (n.kind == meru::Notice::Kind::help) help.push_back(n.text);
            else log.push_back(n.text);
        }
        if (repaired(r)) hooks.show(p.first, p.repflag, kRepairedCaption);
        EXPECT_EQ(log, k.log);
        EXPECT_EQ(shown, k.shown);
        EXPECT_EQ(help, k.help);
        EXPECT_EQ(p.first.lits.at(0), k.first);
        EXPECT_EQ(p.second.lits.at(0), k.second);
        EXPECT_TRUE(answers.empty());
        // A is made from the flipped A- (form 0), A- from the plain A (form 1).
        if (k.result == Repair::second_retry) {
            EXPECT_EQ(senses, (std::vector<int>{0, 1}));
        }
    }
}

// After a repair the log says whether A mixes positive and negative attributes;
// a pair that matched at once is not looked at.
TEST(PairRepair, ARepairedPartitionThatMixesSignsIsNotedAsNotRegular)
{
    const std::string kIrregular = "NOTE: this partition is not regular: positive and negative attributes mixed";
    const std::string kTry = "Trying to fix incompatibility";
    const std::string kFail = "  Fix apparently not worked. Check Boolean algbra";
    struct Case {
        std::deque<bool> answers;
        bool complement_works;
        signed char sign4;            // the sign of attribute 4
        std::vector<std::string> log; // written at once, then queued behind a help topic
    };
    const Case cases[] = {
        {{true}, true, 1, {}},                            // matched: (3 -4) not looked at
        {{false, true}, true, 1, {kTry, kIrregular}},     // A made again as (3)(-4)
        {{false, true}, true, -1, {kTry}},                // -4 of a negative attribute is positive
        {{false}, false, 1, {kTry, kFail, kIrregular}},   // the pair left as (3 -4)
        {{false, false, false}, true, -1, {kTry, kFail}}, // left as it was, regular
    };
    for (const Case& k : cases) {
        std::deque<bool> answers = k.answers;
        RepairHooks hooks;
        hooks.compat = [&](const TermList&, const TermList&, int) {
            const bool a = answers.front();
            answers.pop_front();
            return a;
        };
        hooks.complement = [&](const TermList&, int, TermList& out) {
            out.clear();
            out.add_term({3});
            out.add_term({-4});
            return k.complement_works;
        };
        hooks.show = [](const TermList&, int, const std::string&) {};
        meru::files::ControlTables t = plain_signs();
        t.att[4].signbyte = k.sign4;
        TermList mixed;
        mixed.add_term({3, -4});
        Partition p{mixed, one(-3), 1};
        meru::Notices told;
        std::vector<std::string> log;
        meru::io::LogWriter w;
        w.set_trace_sink([&](std::string_view l) { log.emplace_back(l); });
        repair_pair(p, hooks, t, told, w);
        for (const meru::Notice& n : told.items())
            if (n.kind == meru::Notice::Kind::line) log.push_back(n.text);
        EXPECT_EQ(log, k.log);
    }
}
