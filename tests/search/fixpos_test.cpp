// Fix Positive attributes: the automatic rule (inconsistent cuts, the undecided
// line, a largest correlation of 0, the tie, the censoring line), swapline, the
// list rows and the closing log.
#include "search/fixpos.h"
#include "search/worker_pool.h"

#include "rank_tables.h"
#include "stats/attrkey.h"
#include "stats/subgroup_stats.h"
#include "support/recording_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <sstream>

namespace meru::test {
namespace {

using search::FixposRun;
using search::FixposState;

struct Fixture {
    files::ControlTables t;
    files::DataArrays d;
    RecordingServices sv;
    io::LogWriter log;
    std::vector<std::string> lines;
    FixposState s;

    // lines: 2 "up" (2 cuts), 3 "down" (2 cuts), 4 "mixed" (2 cuts), 5 "flat" (1 cut)
    Fixture() : t(rank_tables({{"up", 2}, {"down", 2}, {"mixed", 2}, {"flat", 1}}))
    {
        files::allocate_data(d, 3, t.nlines, t.natt);
        const std::uint8_t b[3] = {0, 1, files::kExcluded};
        for (int i = 1; i <= 3; ++i)
            for (int a = 1; a <= t.natt; ++a) d.ab(a, i) = b[(i + a) % 3];
        log.set_trace_sink([this](std::string_view l) { lines.emplace_back(l); });
        s.start(t);
    }
    FixposRun run(bool go, bool decidepos)
    {
        return FixposRun{t, d, stats::Censoring{}, go, decidepos, false, sv, log};
    }
    void record(std::vector<double> r)
    {
        for (std::size_t k = 0; k < r.size(); ++k) s.record(static_cast<int>(k) + 2, r[k]);
    }
    bool logged(std::string_view text) const
    {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != l.npos; });
    }
    bool shown(std::string_view text) const
    {
        return std::find(sv.calls.begin(), sv.calls.end(), "help:" + std::string(text)) != sv.calls.end();
    }
};

TEST(FixposRule, DecidesEachLineAsTheRuleSays)
{
    struct Case {
        const char* what;
        std::vector<double> r; // attributes 2..8: up(2), down(2), mixed(2), flat(1)
        bool go, decidepos;
        std::vector<bool> swapped; // lines 2..5
        std::vector<const char*> notes, helps;
    };
    const Case cases[] = {
        {"menu: the negative line is turned",
         {0.3, 0.2, -0.4, -0.1, 0.06, -0.06, 0.0},
         false,
         true,
         {false, true, false, false},
         {"NOTE: inconsistent cuts"},
         {}},
        {"Go! with Decide positivity: +0.06/-0.06 is undecided",
         {0.3, 0.2, -0.4, -0.1, 0.06, -0.06, 0.0},
         true,
         true,
         {false, true, false, false},
         {"NOTE: inconsistent cuts"},
         {"NOTE: do not know what to do"}},
        {"Go! without Decide positivity: negative lines kept",
         {0.3, 0.2, -0.4, -0.1, 0.06, -0.06, 0.0},
         true,
         false,
         {false, false, false, false},
         {"NOTE: negative attribute for variable down"},
         {"NOTE: negative attributes!"}},
        // Largest correlation 0 (a constant attribute): no division, decided by the sum.
        {"max 0, min negative: turned",
         {0.0, -0.3, 0.1, 0.2, 0.1, 0.1, 0.1},
         true,
         true,
         {true, false, false, false},
         {},
         {}},
        {"max 0 and min 0: undecided in Go!",
         {0.0, 0.0, 0.1, 0.2, 0.1, 0.1, 0.1},
         true,
         true,
         {false, false, false, false},
         {},
         {"NOTE: do not know what to do"}},
        {"max 0 and min 0 from the menu: not negative",
         {0.0, 0.0, 0.1, 0.2, 0.1, 0.1, 0.1},
         false,
         true,
         {false, false, false, false},
         {},
         {}},
        // min + max exactly 0 outside the undecided case: not negative, so no swap.
        {"tie",
         {0.5, -0.5, 0.1, 0.2, 0.1, 0.1, -0.25},
         false,
         true,
         {false, false, false, true},
         {"NOTE: inconsistent cuts"},
         {}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.record(c.r);
        FixposRun run = f.run(c.go, c.decidepos);
        search::decide_directions(f.s, run);
        f.sv.replay(run.told, &f.log);
        for (int line = 2; line <= 5; ++line)
            EXPECT_EQ(f.t.line[static_cast<std::size_t>(line)].swapped, c.swapped[static_cast<std::size_t>(line - 2)])
                << c.what << ", line " << line;
        for (const char* n : c.notes) EXPECT_TRUE(f.logged(n)) << c.what << ": " << n;
        for (const char* h : c.helps) EXPECT_TRUE(f.shown(h)) << c.what << ": " << h;
        if (c.helps.empty()) {
            for (const std::string& call : f.sv.calls) EXPECT_NE(call.rfind("help:", 0), 0u) << c.what << call;
        }
    }
}

TEST(FixposRule, TurnedLineTakesMinusItsSmallestAndNegatedCuts)
{
    Fixture f;
    f.record({0.3, 0.2, -0.4, -0.1, 0.01, 0.02, 0.0});
    FixposRun run = f.run(false, true);
    search::decide_directions(f.s, run);
    f.sv.replay(run.told, &f.log);
    EXPECT_DOUBLE_EQ(f.s.linecor[3], 0.4);
    EXPECT_DOUBLE_EQ(f.s.cor[4], 0.4);
    EXPECT_DOUBLE_EQ(f.s.cor[5], 0.1);
    EXPECT_DOUBLE_EQ(f.s.linecor[2], 0.3);
    EXPECT_FALSE(f.logged("NOTE: inconsistent cuts"));
}

TEST(FixposRule, TheCensoringLineIsLeftAlone)
{
    Fixture f;
    f.record({-0.3, -0.2, -0.4, -0.1, 0.01, 0.02, 0.0});
    FixposRun run = f.run(false, true);
    run.censoring.in_force = true;
    run.censoring.attribute = 3; // line "up"
    search::decide_directions(f.s, run);
    f.sv.replay(run.told, &f.log);
    EXPECT_FALSE(f.t.line[2].swapped);
    EXPECT_TRUE(f.t.line[3].swapped);
    EXPECT_TRUE(f.logged("Cannot change direction of censoring attribute up"));
    EXPECT_EQ(f.t.att[3].signbyte, 1);
}

TEST(Swapline, TwiceRestoresLabelsSignsAndBytesAndMissingStaysMissing)
{
    Fixture f;
    const files::ControlTables before = f.t;
    const auto bytes = std::vector<std::uint8_t>(f.d.abyte.begin(), f.d.abyte.end());
    search::swapline(f.t, f.d, 3); // attributes 4 and 5
    for (int a = 4; a <= 5; ++a) {
        const auto& x = f.t.att[static_cast<std::size_t>(a)];
        const auto& y = before.att[static_cast<std::size_t>(a)];
        EXPECT_EQ(x.signbyte, -1);
        EXPECT_EQ(x.attlab[0], y.attlab[1]);
        EXPECT_EQ(x.attlab[1], y.attlab[0]);
        EXPECT_EQ(x.savedlab[0], y.savedlab[1]);
        for (int i = 1; i <= 3; ++i) {
            const std::uint8_t old = bytes[static_cast<std::size_t>(i - 1) * f.d.lc + (a - 1)];
            EXPECT_EQ(f.d.ab(a, i), old == files::kExcluded ? files::kExcluded : 1 - old);
        }
    }
    EXPECT_EQ(f.t.att[3].signbyte, 1); // other lines untouched
    search::swapline(f.t, f.d, 3);
    for (int a = 1; a <= f.t.natt; ++a) {
        EXPECT_EQ(f.t.att[static_cast<std::size_t>(a)].signbyte, before.att[static_cast<std::size_t>(a)].signbyte);
        EXPECT_EQ(f.t.att[static_cast<std::size_t>(a)].attlab, before.att[static_cast<std::size_t>(a)].attlab);
        EXPECT_EQ(f.t.att[static_cast<std::size_t>(a)].savedlab, before.att[static_cast<std::size_t>(a)].savedlab);
    }
    EXPECT_EQ(std::vector<std::uint8_t>(f.d.abyte.begin(), f.d.abyte.end()), bytes);
}

// The rectangle diagram's key names the set the diagram draws for each term,
// before and after the lines are turned, for A (plain) and for A- (flipped):
// age 50, 60, 80, 90 cut at 75 and sex F, M, F, M; the list is (2)(-3).
TEST(Swapline, TheDiagramKeyStillNamesTheDrawnSets)
{
    files::ControlTables t = rank_tables({{"age", 1}, {"sex", 1}});
    t.att[2].attname = "age$$$$$";
    t.att[2].attlab = {pad20("<=75"), pad20(">75")};
    t.att[3].attname = "sex$$$$$";
    t.att[3].attlab = {pad20("=F"), pad20("=M")};
    files::DataArrays d;
    files::allocate_data(d, 4, t.nlines, t.natt);
    for (int i = 1; i <= 4; ++i) {
        d.ab(1, i) = 1;
        d.ab(2, i) = i >= 3;     // age > 75
        d.ab(3, i) = i % 2 == 0; // male
    }
    // The observations (0-based) each label describes, from the values above.
    const std::map<std::string, std::vector<int>> holds{
        {"age<=75", {0, 1}}, {"age>75", {2, 3}}, {"sex=F", {0, 2}}, {"sex=M", {1, 3}}};
    partition::TermList list;
    list.add_term({2});
    list.add_term({-3});
    const std::vector<float> y(4, 1.0f);
    const std::vector<std::uint8_t> mask(4, 1);
    const std::vector<int> weights(4, 1);
    const stats::SampleView view{stats::AttributeMatrix(d.abyte, d.lc, d.n), y, mask, weights};
    stats::PartStatsOptions opt;
    opt.print = false;
    opt.ychosen = false;
    for (const bool turned : {false, true}) {
        if (turned) search::swapline(t, d, 2), search::swapline(t, d, 3);
        std::vector<std::int8_t> signs;
        for (const files::Attribute& a : t.att) signs.push_back(a.signbyte);
        for (const int sense : {partition::kPlain, partition::kFlipped}) {
            Notices told;
            io::LogWriter log;
            const stats::SubStat st = stats::partstats(view, list, sense, signs, t, opt, told, log);
            const std::vector<std::string> key = stats::attrkey_lines({}, list, t, sense);
            ASSERT_EQ(key.size(), 2u);
            for (int j = 1; j <= 2; ++j) {
                std::vector<int> drawn;
                for (const stats::TermPair& p : st.pairs)
                    if (p.term == j) drawn.push_back(p.obs);
                const std::string& label = key[static_cast<std::size_t>(j - 1)];
                ASSERT_TRUE(holds.count(label)) << label;
                EXPECT_EQ(holds.at(label), drawn) << label << (turned ? ", turned" : "") << ", sense " << sense;
            }
        }
    }
}

// The word-wide pass, alone and with its stretches on three workers, against
// the byte-by-byte rule, rows straddling words and a tail of rows after the
// last eight.
TEST(Swapline, BytesFlippedOnTheWorkersAsOneByOne)
{
    std::mt19937 rng(7201);
    files::DataArrays d, alone;
    files::allocate_data(d, 8 * 8192 * 2 + 5, 3, 13);
    for (auto& b : d.abyte) b = std::array<std::uint8_t, 5>{0, 1, 2, 7, files::kExcluded}[rng() % 5];
    const std::vector<std::uint8_t> before(d.abyte.begin(), d.abyte.end());
    alone = d;
    const std::vector<int> attributes{1, 2, 8, 13, 14};
    search::SearchThreads threads;
    search::flip_bytes(d, attributes, threads.parallel(3, {}));
    search::flip_bytes(alone, attributes);
    for (std::size_t k = 0; k < before.size(); ++k) {
        const auto a = static_cast<int>(k % 13) + 1;
        const bool turned = a == 1 || a == 2 || a == 8 || a == 13;
        const std::uint8_t want = turned && before[k] <= 1 ? 1 - before[k] : before[k];
        ASSERT_EQ(d.abyte[k], want) << k;
        ASSERT_EQ(alone.abyte[k], want) << k;
    }
}

TEST(FixposRows, TextsMarksAndIgnoredBrackets)
{
    Fixture f;
    f.s.linecor[3] = -0.4;
    f.s.cor[4] = -0.4;
    f.s.cor[5] = -0.1;
    f.s.linecor[2] = -0.1;
    f.s.cor[2] = -0.1;
    f.s.cor[8] = 0.25;
    f.t.line[5].ignored = true;
    const auto rows = search::fixpos_items(f.s, f.t, {3, 2, 5});
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& r : rows) EXPECT_EQ(r.text.size(), 48u) << r.text;
    EXPECT_EQ(rows[0].text, " down >1                     -0.400  **  -0.400 ");
    EXPECT_EQ(rows[1].text, " down >2                                 -0.100 ");
    EXPECT_EQ(rows[2].text, " up >1                       -0.100  *   -0.100 ");
    EXPECT_EQ(rows[4].text, "[flat >1                                  0.250]");
    EXPECT_EQ(rows[0].attribute, 4);
    EXPECT_EQ(rows[0].line, 3);
}

TEST(FixposLog, CountsSwappedLinesAndNamesIgnoredOnes)
{
    Fixture f;
    FixposRun run = f.run(false, true);
    search::log_directions(run, {2, 3, 4, 5});
    EXPECT_TRUE(f.logged("No attribute directions are swapped"));
    f.lines.clear();
    search::turn_line(f.s, f.t, f.d, 3);
    search::log_directions(run, {2, 3, 4, 5});
    EXPECT_EQ(f.lines[0], " Directions of    1 control file line has been swapped");
    EXPECT_EQ(f.lines[1], "to make new positive attribute(s):");
    EXPECT_EQ(f.lines[2], " down <=1....<=2");
    f.lines.clear();
    search::turn_line(f.s, f.t, f.d, 5);
    f.t.line[4].ignored = true;
    search::log_directions(run, {2, 3, 4, 5});
    EXPECT_EQ(f.lines[0], " Directions of    2 control file lines are swapped");
    EXPECT_EQ(f.lines[3], " flat <=1");
    EXPECT_EQ(f.lines[4], " mixed     attributes are ignored");
}

// A label's "$" is a filler that is never shown: ">$150" reads ">150" in the
// inconsistent-cuts lines, the list rows and the swapped-lines listing alike.
TEST(FixposLog, LabelsAreShownWithoutTheirFillers)
{
    Fixture f;
    f.t.att[6].attlab = {pad20("<=150"), pad20(">$150")};
    f.t.att[7].attlab = {pad20("=$0"), pad20("^=0")};
    f.record({0.3, 0.2, 0.3, 0.2, 0.06, -0.06, 0.0});
    FixposRun run = f.run(false, true);
    search::decide_directions(f.s, run);
    f.sv.replay(run.told, &f.log);
    EXPECT_TRUE(f.logged("  mixed >150                   ro=  0.060"));
    EXPECT_TRUE(f.logged("  mixed ^=0                    ro= -0.060"));
    EXPECT_EQ(search::fixpos_items(f.s, f.t, {4})[0].text.substr(0, 12), " mixed >150 ");
    search::turn_line(f.s, f.t, f.d, 4);
    search::log_directions(run, {4});
    EXPECT_TRUE(f.logged(" mixed <=150....=0"));
    for (const std::string& line : f.lines) EXPECT_EQ(line.find('$'), std::string::npos) << line;
}

} // namespace
} // namespace meru::test
