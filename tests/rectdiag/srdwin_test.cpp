// The diagram window on the lung cells of sex by ECOG score: the mosaic with
// caption, key and status, the printed fit report, the three block views opened
// and left from the bar, Help, and the menus as before; more than six terms get
// a message and no window. Saves the acceptance pictures of the mosaic and of
// its block view.
#include "files/tables.h"
#include "files/textutil.h"
#include "platform/canvas.h"
#include "rectdiag/srdwin.h"
#include "stats/cell_tables.h"
#include "stats/subgroup_stats.h"
#include "support/mouse_feed.h"
#include "support/recording_services.h"
#include "ui/ui_fixture.h"

#include <QDir>
#include <cstdlib>

using namespace meru;
using test::MouseStep;

namespace {

files::ControlTables lung_tables()
{
    files::ControlTables t;
    t.natt = 2;
    t.att.resize(3);
    t.att[1].attname = "sex$$$$$";
    // Labels of the false side, then of the true side.
    t.att[1].attlab = {files::pad("  male", files::kLabelLen), files::pad("  female", files::kLabelLen)};
    t.att[2].attname = "ph_ecog$";
    t.att[2].attlab = {files::pad("  0", files::kLabelLen), files::pad("  >=1", files::kLabelLen)};
    return t;
}

QString shots()
{
    const char* env = std::getenv("MERU_E2E_SHOTS");
    const QString folder = env && *env ? QString(env) : QDir::tempPath();
    QDir().mkpath(folder);
    return folder;
}

class SrdwinTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ctx.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        list.add_term({1});
        list.add_term({2});
        cells.q = 2;
        cells.cells.resize(4);
        const std::int64_t counts[] = {37, 27, 101, 63};
        for (int c = 0; c < 4; ++c) cells.cells[static_cast<std::size_t>(c)].weight = counts[c];
    }
    partition::TermList list;
    stats::SubStat cells;
    files::ControlTables tables = lung_tables();
    rectdiag::DiagramSettings settings;
    bool detailed = false;
    bool incidence = false;
    std::vector<std::string> topics;
};

} // namespace

TEST_F(SrdwinTest, MosaicKeyStatusReportAndTheThreeViews)
{
    rectdiag::MosaicWindow window(ctx, settings, detailed, incidence);
    const auto esc = MouseStep{MouseStep::click, 10, 5};
    test::MouseFeed feed(frame, rectdiag::kDiagramUnit,
                         {{MouseStep::click, 55, 5}, // 3D: the view starts turning under the pointer
                          {MouseStep::move, 300, 300},
                          esc,
                          {MouseStep::click, 145, 5}, // Grid
                          {MouseStep::move, 300, 300},
                          esc,
                          {MouseStep::click, 100, 5}, // 3DY
                          esc,
                          {MouseStep::click, 190, 5}, // Help
                          esc});
    int shot = 0;
    feed.before_step = [&](const MouseStep& s) {
        platform::Canvas* c = frame.canvas(rectdiag::kDiagramUnit);
        if (!c) return;
        if (shot == 0 && s.x == 55) c->image().save(shots() + "/srdwin_lung_mosaic.png");
        if (shot == 1 && s.x == 10) c->image().save(shots() + "/srdwin_lung_3d.png");
        if (s.x == 55 || s.x == 10) ++shot;
        if (shot == 1) c->set_journaling(true);
    };
    window.srdwin(list, cells, tables, true);
    EXPECT_EQ(feed.overrun, 0);
    EXPECT_EQ(topics, std::vector<std::string>{"Rectangle diagrams"});
    EXPECT_EQ(menus.off_depth(), 0);
    for (int m = 3; m <= 12; ++m) EXPECT_TRUE(menus.usable(m, 1)) << m;
    // The window has its Window-menu entry.
    EXPECT_NE(menus.find("Menu11", "Rectangle diagram"), 0);

    // The printed fit report: an exact mosaic fits with E 0.
    const rectdiag::MosaicLayout& l = window.last();
    EXPECT_NEAR(l.state.error, 0.0, 1e-12);
    bool table = false;
    for (const std::string& line : log_lines())
        if (line.find("f_i") != std::string::npos) table = true;
    EXPECT_TRUE(table);
    EXPECT_FALSE(l.state.status.empty());

    // The mosaic as drawn last: caption, key, status, and the cells' fills.
    const platform::Canvas* c = frame.canvas(rectdiag::kDiagramUnit);
    ASSERT_NE(c, nullptr);
    std::vector<std::string> texts;
    for (const auto& call : c->journal())
        if (call.op == "text") texts.push_back(files::trim(call.text));
    for (const char* want : {"A", "sex female", "ph_ecog >=1", "Esc", "3DY", "Grid"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end())
            << want << " in " << ::testing::PrintToString(texts);
    EXPECT_NE(std::find(texts.begin(), texts.end(), files::trim(l.state.status.substr(0, 80))), texts.end());
    // Inside cell 2 (term 2 only, colour 2) and cell 0 (white), away from the outlines.
    auto at = [&](double x, double y) {
        const unsigned p = c->image().pixel(static_cast<int>(x), static_cast<int>(y));
        return static_cast<int>(((p & 0xff) << 16) | (p & 0xff00) | ((p >> 16) & 0xff));
    };
    const rectdiag::Rect& r2 = l.cells[2];
    EXPECT_EQ(at((r2.x1 + r2.x2) / 2, (r2.y1 + r2.y2) / 2), settings.colours[1]);
    const rectdiag::Rect& r0 = l.cells[0];
    EXPECT_EQ(at((r0.x1 + r0.x2) / 2, (r0.y1 + r0.y2) / 2), 0xffffff);
}

TEST_F(SrdwinTest, MoreThanSixTermsGetAMessageAndNoDiagram)
{
    for (int t = 3; t <= 7; ++t) list.add_term({1});
    cells.q = 7;
    cells.cells.assign(128, {});
    rectdiag::MosaicWindow window(ctx, settings, detailed, incidence);
    test::ModalAnswerer answers({"OK"});
    window.srdwin(list, cells, tables, false);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_NE(answers.shown[0].text.find("1 to 6 terms"), std::string::npos);
    EXPECT_FALSE(frame.is_open(rectdiag::kDiagramUnit));
}

TEST_F(SrdwinTest, TheCellListingOpensTheWindowAndDetailedOutputLogsTheEdges)
{
    detailed = true;
    cells.part.resize(3);
    rectdiag::MosaicWindow window(ctx, settings, detailed, incidence);
    test::RecordingServices sv;
    stats::CellTabOptions opt;
    opt.print = false;
    const std::vector<int> weights(228, 1);
    test::MouseFeed feed(frame, rectdiag::kDiagramUnit, {{MouseStep::click, 10, 5}});
    stats::celltab(cells, list, weights, {}, tables, opt, &window, sv, log);
    EXPECT_EQ(feed.waits, 1);
    EXPECT_TRUE(frame.is_open(rectdiag::kDiagramUnit));
    // Cell 1 (term 1 only): x from 130 + 360 138/228 to 490, y from 50 to 50 + 360 27/90.
    const std::vector<std::string> lines = log_lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), " Cell  1 x   347.89  490.00 y    50.00  158.00"), lines.end())
        << ::testing::PrintToString(lines);
    EXPECT_EQ(menus.off_depth(), 0);
}

TEST_F(SrdwinTest, ThreeDYShowsEachCellsMeanYOrInLogRankIncidenceModeItsIncidence)
{
    // Cell 0: 10 observations, 2 with a missing Y, 3 censored, sum of Y 40.
    // Cell 1: no Y value. Cell 2: sum of Y 0. Cell 3: 4 observations, sum 8.
    struct Cell {
        std::int64_t weight, missing, censored;
        double sum;
    };
    const Cell given[] = {{10, 2, 3, 40.0}, {5, 0, 0, -1.0}, {6, 0, 1, 0.0}, {4, 0, 0, 8.0}};
    for (std::size_t c = 0; c < 4; ++c)
        cells.cells[c] = {given[c].weight, given[c].missing, given[c].censored, given[c].sum, 0.0};
    // Mean: sum / (weight - missing). Incidence: (weight - missing - censored) / sum.
    const std::vector<double> mean{40.0 / 8.0, 0.0, 0.0, 2.0};
    const std::vector<double> rate{5.0 / 40.0, 0.0, 0.0, 4.0 / 8.0};
    EXPECT_EQ(rectdiag::mosaic_layout(cells, 2, rectdiag::kMosaicFrame).means, mean);
    EXPECT_EQ(rectdiag::mosaic_layout(cells, 2, rectdiag::kMosaicFrame, true).means, rate);

    // The block view names what its heights are.
    incidence = true;
    rectdiag::MosaicWindow window(ctx, settings, detailed, incidence);
    test::MouseFeed feed(frame, rectdiag::kDiagramUnit,
                         {{MouseStep::click, 100, 5}, {MouseStep::click, 10, 5}, {MouseStep::click, 10, 5}});
    feed.before_step = [&](const MouseStep& s) {
        if (platform::Canvas* c = frame.canvas(rectdiag::kDiagramUnit); c && s.x == 100) c->set_journaling(true);
    };
    window.srdwin(list, cells, tables, true);
    bool caption = false;
    for (const auto& call : frame.canvas(rectdiag::kDiagramUnit)->journal())
        caption = caption || call.text.find("Incidence in A") != std::string::npos;
    EXPECT_TRUE(caption);
    EXPECT_EQ(window.last().means, rate);
}
