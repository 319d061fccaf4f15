// Cell tables, identifier lists, intersections and the Y table of a list, on the
// 12-observation data set of partition_stats_fixture.h (values by hand).
#include "stats/cell_tables.h"

#include "stats/diagram_window.h"
#include "support/recording_services.h"

#include "log_capture.h"
#include "partition_stats_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace meru::stats {
namespace {

using test::LogCapture;
using test::PartitionStatsData;
using test::RecordingServices;

struct RecordingWindow : DiagramWindow {
    std::vector<std::string> calls;
    void srdwin(const partition::TermList& list, const SubStat& st, const files::ControlTables&,
                bool a_label) override
    {
        calls.push_back("q=" + std::to_string(list.q()) + " cells=" + std::to_string(st.cells.size()) +
                        (a_label ? " A" : " A-"));
    }
};

struct CellRun {
    PartitionStatsData d;
    LogCapture cap;
    RecordingServices sv;
    Notices told;
    RecordingWindow window;
    SubStat st;

    void stats(const std::vector<float>& y, const partition::TermList& list, PartStatsOptions opt = {})
    {
        opt.print = false;
        LogCapture quiet;
        st = partstats(d.view(y), list, 1, d.signbyte, d.tables, opt, told, quiet.log);
        sv.replay(told, &quiet.log);
    }
    void cells(const partition::TermList& list, CellTabOptions opt = {})
    {
        opt.have_id = true;
        celltab(st, list, d.w, d.ids, d.tables, opt, &window, told, cap.log);
        sv.replay(told, &cap.log);
    }
};

TEST(CellTab, ContinuousYListing)
{
    CellRun r;
    r.stats(r.d.ycont, r.d.a);
    r.cells(r.d.a);
    // Cell 2 holds obs 3 (1.0), 7 (no Y) and 10 (3.0): its mean is 4.0 / 2. Cell
    // 0 holds obs 4, 5 and 9, not 11, which A leaves undetermined: 6.0 / 3.
    const std::vector<std::string> expected{
        " #s in non-empty disjoint cells of  A are:",
        " Cell id.# in cell Mean   Y Binary comb.",
        std::string(38, ' ') + " 1 2",
        "      0               3       2.0000   0 0",
        "      1               3       3.5000   1 0",
        "      2               3       2.0000   0 1",
        "      3               3       4.5000   1 1",
        "_id_ #s of subgroup   1 in  A",
        " P01      P02      P06      P08      P12",
        "_id_ #s of subgroup   2 in  A",
        " P02      P03      P07      P10      P12",
        " Non-empty subgroup intersections in  A",
        "   2-group intersections:",
        " #( 1, 2) =     3",
        " P02      P12",
    };
    EXPECT_EQ(r.cap.lines, expected);
    EXPECT_EQ(r.window.calls, std::vector<std::string>{"q=2 cells=4 A"});
}

TEST(CellTab, CellWithoutAnyYShowsADash)
{
    CellRun r;
    std::vector<float> y = r.d.ycont;
    y[2] = y[9] = -999.0f; // cell 2 now has no Y at all
    r.stats(y, r.d.a);
    CellTabOptions opt;
    opt.print = false;
    r.cells(r.d.a, opt);
    ASSERT_EQ(r.cap.lines.size(), 8u); // no identifier lists without the print flag
    EXPECT_EQ(r.cap.lines[0], "Cell counts:");
    EXPECT_EQ(r.cap.lines[6], "      2               3       -        0 1");
}

TEST(CellTab, IncidenceLeavesOutMissingAndCensored)
{
    CellRun r;
    PartStatsOptions popt;
    popt.censoring = PartitionStatsData::censoring();
    r.stats(r.d.time, r.d.a, popt);
    CellTabOptions opt;
    opt.incidence = true;
    opt.print = false;
    r.cells(r.d.a, opt);
    // Cell 0: 3 observations (11 is undetermined), 2 censored, time 13; cell 1:
    // 3 events over 16; cell 2: weight 3, one without Y, one censored, time 12;
    // cell 3: all censored.
    const std::vector<std::string> expected{
        "Cell counts:",
        " #s in non-empty disjoint cells of  A are:",
        " Cell id.# in cell IncidenceBinary comb.",
        std::string(38, ' ') + " 1 2",
        "      0               3       0.0769   0 0",
        "      1               3       0.1875   1 0",
        "      2               3       0.0833   0 1",
        "      3               3       0.0000   1 1",
    };
    EXPECT_EQ(r.cap.lines, expected);
}

TEST(CellTab, IncidenceWithoutPersonTimeShowsADash)
{
    CellRun r;
    std::vector<float> t(12, 0.0f);
    PartStatsOptions popt;
    popt.censoring = PartitionStatsData::censoring();
    r.stats(t, r.d.a, popt);
    CellTabOptions opt;
    opt.incidence = true;
    opt.print = false;
    r.cells(r.d.a, opt);
    ASSERT_EQ(r.cap.lines.size(), 8u);
    EXPECT_EQ(r.cap.lines[4], "      0               3       -        0 0");
}

TEST(CellTab, IntersectionsOfThreeTerms)
{
    CellRun r;
    partition::TermList list;
    list.add_term({2});
    list.add_term({3});
    list.add_term({-2});
    r.stats(r.d.ycont, list);
    CellTabOptions opt;
    opt.listing = false;
    r.cells(list, opt);
    ASSERT_GE(r.cap.lines.size(), 8u);
    const std::vector<std::string> tail(r.cap.lines.end() - 8, r.cap.lines.end());
    const std::vector<std::string> expected{
        " Non-empty subgroup intersections in  A",
        "   2-group intersections:",
        " #( 1, 2) =     4",
        " P02      P06      P12",
        " #( 2, 3) =     3",
        " P03      P04      P07",
        "   3-group intersections:",
        " All are empty!",
    };
    EXPECT_EQ(tail, expected);
    EXPECT_TRUE(r.window.calls.empty());
}

TEST(CellTab, IdentifiersNineToALineAndLineNumbers)
{
    CellRun r;
    partition::TermList list;
    list.add_term({-1}); // the whole set
    r.stats(r.d.ycont, list);
    CellTabOptions opt;
    opt.listing = false;
    celltab(r.st, list, r.d.w, {}, r.d.tables, opt, nullptr, r.told, r.cap.log);
    const std::vector<std::string> expected{
        "Line #s of subgroup   1 in  A",
        "        1        2        3        4        5        6        7        8        9",
        "       10       11       12",
    };
    EXPECT_EQ(r.cap.lines, expected); // one term: no intersections
}

TEST(CellTab, MoreThanTenTermsListIdentifiersOnly)
{
    CellRun r;
    partition::TermList list;
    for (int t = 0; t < 11; ++t) list.add_term({t == 0 ? 4 : 2});
    r.stats(r.d.ycont, list);
    EXPECT_TRUE(r.st.cells.empty());
    r.cells(list);
    EXPECT_EQ(r.sv.calls, std::vector<std::string>{"help:NOTE: q>10"});
    EXPECT_TRUE(r.window.calls.empty());
    ASSERT_EQ(r.cap.lines.size(), 22u); // 11 headers, each with one line of identifiers
    EXPECT_EQ(r.cap.lines[0], "_id_ #s of subgroup   1 in  A");
    EXPECT_EQ(r.cap.lines[1], " P04      P06      P08      P09");
}

TEST(YData, MarksTheListAndTabulatesY)
{
    CellRun r;
    r.stats(r.d.ycont, r.d.a);
    std::vector<int> marks;
    QuartabInput in;
    in.y = r.d.ycont;
    in.weights = r.d.w;
    in.yname = "Y-cont";
    const QuartabResult q = YDATA(r.st, 12, in, marks, r.cap.log);
    EXPECT_EQ(marks, (std::vector<int>{-1, -1, -1, 0, 0, -1, -1, -1, 0, -1, 0, -1}));
    ASSERT_FALSE(r.cap.lines.empty());
    EXPECT_EQ(r.cap.lines[0], "in A");
    EXPECT_DOUBLE_EQ(q.total, 8.0);
    EXPECT_DOUBLE_EQ(q.mean, 3.5);
}

} // namespace
} // namespace meru::stats
