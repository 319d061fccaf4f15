// The attribute set and the cuts of a search: the rank range, the constraint
// line, clipping, refusals that empty the set, duplicates, the listing's lines;
// fixed and floating cuts, their listing and its break; dupvar.
#include "partition/dupvar.h"
#include "search/attribute_set.h"
#include "search/cut_list.h"
#include "search/rank_tables.h"
#include "support/recording_services.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace meru::test {
namespace {

struct Logged {
    io::LogWriter log;
    std::vector<std::string> lines;
    Logged()
    {
        log.set_trace_sink([this](std::string_view l) { lines.emplace_back(l); });
    }
    bool has(std::string_view text) const { return std::find(lines.begin(), lines.end(), text) != lines.end(); }
    int count_prefix(std::string_view p) const
    {
        return static_cast<int>(
            std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(p); }));
    }
};

// A Y line "y" (line 2) and 25 one-cut lines "v01".."v25" (lines 3..27),
// ranked in reverse line order, the Y's line last.
struct SetFixture {
    files::ControlTables t;
    search::AttrsetInput in;
    search::AttributeSet set;
    RecordingServices sv;
    Logged out;
    std::vector<std::string> messages; // of every run, in order
    int topm = 10;
    explicit SetFixture(std::vector<int> cuts = {})
    {
        std::vector<std::pair<std::string, int>> lines{{"y", 1}};
        for (int k = 1; k <= 25; ++k) {
            const std::string name = (k < 10 ? "v0" : "v") + std::to_string(k);
            lines.emplace_back(name, k <= static_cast<int>(cuts.size()) ? cuts[static_cast<std::size_t>(k - 1)] : 1);
        }
        t = rank_tables(lines);
        for (int k = 27; k >= 2; --k) in.ranked.push_back(k); // line 2 (the Y) ranked last
        in.exclusions.yvars = {1};
    }
    void run(std::string_view range)
    {
        in.range = range;
        Notices told;
        for (std::string& m : search::attrset(t, in, set, topm, told, out.log)) messages.push_back(m);
        sv.replay(told, &out.log);
    }
};

TEST(Attrset, RangesConstraintLineAndClipping)
{
    SetFixture f;
    f.in.xspaceon = true;
    f.in.xconline = 24; // rank 4
    f.run("1-10");
    // Ranks 1..10 less the constraint line: nine lines, m counts the set.
    EXPECT_EQ(f.set.lines, (std::vector<int>{27, 26, 25, 23, 22, 21, 20, 19, 18}));
    EXPECT_TRUE(f.out.has(" Current positive attribute set of  m=  9 attributes is:"));
    EXPECT_EQ(f.topm, 10);
    EXPECT_TRUE(f.set.single_cut);

    f.in.xspaceon = false;
    f.run("3-5");
    EXPECT_EQ(f.set.lines, (std::vector<int>{25, 24, 23}));
    f.run("all");
    EXPECT_EQ(f.set.lines.size(), 25u);
    EXPECT_EQ(f.topm, 25);
    // The Y's own line never enters, even when ranked.
    EXPECT_EQ(std::count(f.set.lines.begin(), f.set.lines.end(), 2), 0);
    f.run("1-40");
    EXPECT_EQ(f.set.lines.size(), 25u);
    EXPECT_TRUE(f.messages.empty());

    // Listing: "2"-marked lines of at most 79 columns holding every member in order.
    std::vector<std::string> listed;
    auto it =
        std::find(f.out.lines.begin(), f.out.lines.end(), " Current positive attribute set of  m= 25 attributes is:");
    ASSERT_NE(it, f.out.lines.end());
    std::string joined;
    for (++it; it != f.out.lines.end() && it->starts_with("2"); ++it) {
        EXPECT_LE(it->size(), 79u);
        joined += it->substr(1);
    }
    std::string expected;
    for (int k = 25; k >= 1; --k) expected += " v" + std::string(k < 10 ? "0" : "") + std::to_string(k) + " >1";
    EXPECT_EQ(joined, expected);
}

TEST(Attrset, TopmCutByLinesTheSearchMayNotUseIsSaidOnce)
{
    // Of the 26 ranked lines the Y's is left out, one is banned, one ignored:
    // "1-25" keeps 23 lines and Top m falls from 25 to 23, with the reasons.
    SetFixture f;
    f.topm = 25;
    f.t.line[27].banned = true;
    f.t.line[20].ignored = true;
    f.run("1-25");
    EXPECT_EQ(f.topm, 23);
    EXPECT_EQ(f.messages,
              std::vector<std::string>{"Top m too large. Truncated to 23, the number of ranked attributes "
                                       "the search may use (1 banned, 1 ignored in Fix Positive, 1 left "
                                       "out)$"});
    f.run("1-25"); // said once: Top m is 23 now
    EXPECT_EQ(f.messages.size(), 1u);
}

TEST(Attrset, RefusalsEmptyTheSet)
{
    for (const char* range : {"5-3", "0-4", "top", "7", ""}) {
        SetFixture f;
        f.run("1-10");
        ASSERT_EQ(f.set.lines.size(), 10u);
        f.run(range);
        EXPECT_TRUE(f.set.lines.empty()) << range;
        EXPECT_EQ(f.messages, std::vector<std::string>{"Error in specifying top n. Tell Dr Kelbo$"}) << range;
    }
    // Nothing ranked, and a set emptied by the constraint line.
    SetFixture none;
    none.in.ranked.clear();
    none.run("1-10");
    EXPECT_EQ(none.messages, std::vector<std::string>{"No attributes! $"});
    SetFixture one;
    one.in.xspaceon = true;
    one.in.xconline = 27;
    one.run("1-1");
    EXPECT_TRUE(one.set.lines.empty());
    EXPECT_EQ(one.messages, (std::vector<std::string>{"Attribute set is empty!  $",
                                                      "Error in specifying top n. Tell Headman Kelb$"}));
}

TEST(Attrset, DuplicatesSeenFromBothSidesAndTheNoteOncePerRun)
{
    SetFixture f({1, 1, 3}); // v03 has three cuts
    // v05's attribute duplicates v07's (marked on the later one only).
    const int a5 = f.t.line[7].first_attribute(), a7 = f.t.line[9].first_attribute();
    f.t.att[static_cast<std::size_t>(a7)].dupmark = a5;
    f.run("1-25");
    EXPECT_EQ(f.out.count_prefix("NOTE:duplicates: "), 2);
    EXPECT_TRUE(f.out.has("NOTE:duplicates: v07 >1  v05 >1"));
    EXPECT_TRUE(f.out.has("NOTE:duplicates: v05 >1  v07 >1"));
    EXPECT_EQ(f.sv.with_prefix("help"), std::vector<std::string>{"help:NOTE:Duplication in attribute set"});
    EXPECT_FALSE(f.set.single_cut);
    f.run("1-25");
    EXPECT_EQ(f.sv.with_prefix("help").size(), 1u);
    EXPECT_EQ(f.out.count_prefix("NOTE:Duplication in attribute set"), 2);
    // Past the first by-group no note at all; the pair lines stay.
    f.in.later_group = true;
    f.run("1-25");
    EXPECT_EQ(f.out.count_prefix("NOTE:Duplication in attribute set"), 2);
    EXPECT_EQ(f.out.count_prefix("NOTE:duplicates: "), 6);
    // Without the multi-cut line in the set every line has one cut.
    f.run("1-20");
    EXPECT_TRUE(f.set.single_cut);
}

// Lines 2 "y" (Y), 3 "a" (2 cuts), 4 "b" (3 cuts), 5 "_r_x" (2 cuts), 6 "c" (1 cut).
struct CutFixture {
    files::ControlTables t = rank_tables({{"y", 1}, {"a", 2}, {"b", 3}, {"_r_x", 2}, {"c", 1}});
    search::Ranking ranking;
    search::CutlistInput in;
    search::CutList cuts;
    Logged out;
    std::string msgline;
    CutFixture()
    {
        // G of each cut: a 5, 7; b 2, 9, 4; _r_x 8, 1; c 3.
        const float g[] = {0, 0, 0, 5, 7, 2, 9, 4, 8, 1, 3};
        for (int a = 3; a <= 10; ++a) ranking.insert({g[a], 0.5, a, t.att[static_cast<std::size_t>(a)].attline});
        ranking.ranked = true;
        in.lines = {3, 4, 5, 6};
        in.ranking = &ranking;
        in.exclusions.yvars = {1};
    }
    bool run(int levels)
    {
        in.levels = levels;
        return search::cutlist(t, in, cuts, msgline, out.log);
    }
};

TEST(Cutlist, FixedAndFloatingCuts)
{
    CutFixture f;
    ASSERT_TRUE(f.run(1));
    // Every line fixed on its best cut: a's second, b's second, c's only.
    EXPECT_EQ(f.cuts.usable, (std::vector<char>{0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1}));
    EXPECT_EQ(f.t.line[3].inuse, 2);
    EXPECT_EQ(f.t.line[4].inuse, 2);
    EXPECT_FALSE(f.t.line[4].firstattr);
    EXPECT_EQ(f.out.lines, (std::vector<std::string>{"Cuts are:", " a >2 fixed", " b >2 fixed"}));
    // The text of a fixed line: characters 3 to 20 of its best cut's label.
    EXPECT_EQ(f.cuts.descriptions[0], " a         " + f.t.att[4].attlab[1].substr(2) + std::string(12, ' '));

    f.out.lines.clear();
    ASSERT_TRUE(f.run(2));
    // b's two best cuts are its second and third; a floats on both of its cuts.
    EXPECT_EQ(f.cuts.usable, (std::vector<char>{0, 0, 0, 1, 1, 0, 1, 1, 0, 0, 1}));
    EXPECT_EQ(f.out.lines, (std::vector<std::string>{"Cuts are:", " a >1 >2 floating", " b >2 >3 floating"}));
    EXPECT_TRUE(f.t.line[3].firstattr && f.t.line[4].firstattr && !f.t.line[6].firstattr);
    EXPECT_EQ(f.cuts.levels[4], 2);

    ASSERT_TRUE(f.run(3));
    EXPECT_EQ(f.cuts.levels[3], 2);
    EXPECT_EQ(f.cuts.descriptions[0], " a         Float  2 best cuts            ");
    EXPECT_EQ(f.cuts.descriptions[1].substr(11), "Float  3 best cuts            ");
    // The "_r_" line is never listed nor usable.
    EXPECT_EQ(f.cuts.usable[8] + f.cuts.usable[9], 0);
    for (const std::string& l : f.out.lines) EXPECT_EQ(l.find("_r_"), std::string::npos);
}

TEST(Cutlist, BeforeRankingAndTheListingBreak)
{
    CutFixture f;
    f.ranking.ranked = false;
    EXPECT_FALSE(f.run(2));
    EXPECT_EQ(f.msgline, "No search yet done to establish cuts $");
    EXPECT_TRUE(f.out.lines.empty());
    // Single cuts need no ranking: every line fixed on its first cut, no listing.
    f.in.single_cuts = true;
    EXPECT_TRUE(f.run(2));
    EXPECT_EQ(f.cuts.usable[3] + f.cuts.usable[5] + f.cuts.usable[10], 3);
    EXPECT_EQ(f.cuts.usable[8], 0); // "_r_x"

    // Three floating cuts with 20-character labels: the listing breaks past 67.
    files::ControlTables t = rank_tables({{"long", 3}});
    for (int a = 2; a <= 4; ++a)
        t.att[static_cast<std::size_t>(a)].attlab[1] = "gt" + std::string(17, 'x') + std::to_string(a);
    search::Ranking r;
    r.ranked = true;
    search::CutList cuts;
    Logged out;
    std::string msg;
    search::CutlistInput in;
    in.lines = {2};
    in.ranking = &r;
    in.levels = 3;
    ASSERT_TRUE(search::cutlist(t, in, cuts, msg, out.log));
    const std::string x17(17, 'x');
    EXPECT_EQ(out.lines, (std::vector<std::string>{"Cuts are:", " long gt" + x17 + "2 gt" + x17 + "3",
                                                   "   gt" + x17 + "4 floating"}));
}

TEST(Dupvar, TwoAttributesOfOneVariable)
{
    const files::ControlTables t = rank_tables({{"a", 2}, {"b", 1}, {"c", 3}});
    const std::vector<int> var = partition::attribute_variables(t);
    EXPECT_EQ(var, (std::vector<int>{0, 0, 1, 1, 2, 3, 3, 3}));
    EXPECT_FALSE(partition::dupvar(std::vector<int>{2}, var));
    EXPECT_FALSE(partition::dupvar(std::vector<int>{2, 4, 5}, var));
    EXPECT_TRUE(partition::dupvar(std::vector<int>{2, 4, -3}, var));
    EXPECT_TRUE(partition::dupvar(std::vector<int>{5, 7}, var));
    EXPECT_FALSE(partition::dupvar(std::vector<int>{1, 1, 99}, var)); // no variable: never related
}

} // namespace
} // namespace meru::test
