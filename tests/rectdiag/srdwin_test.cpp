// The diagram window on the lung cells of sex by ECOG score: the fitted diagram
// with its shading, outlines, counts, key, legend and status, the mosaic beside
// it, the printed fit report, the block views opened and left from the bar,
// Help, and the menus as before; Refit, Nudge, Save and Load; more than six
// terms get a message and no window. Saves the acceptance pictures.
#include "files/tables.h"
#include "files/textutil.h"
#include "platform/canvas.h"
#include "rectdiag/srdwin.h"
#include "srdfit/layout.h"
#include "srdfit/srd_file.h"
#include "stats/cell_tables.h"
#include "stats/special_functions.h"
#include "stats/subgroup_stats.h"
#include "support/mouse_feed.h"
#include "ui/ui_fixture.h"

#include <QDir>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace meru;
using test::MouseStep;

namespace {

// Attribute `a` with its name and the labels of its false and true sides.
void add_attribute(files::ControlTables& t, int a, const char* name, const char* no, const char* yes)
{
    t.natt = std::max(t.natt, a);
    t.att.resize(static_cast<std::size_t>(t.natt) + 1);
    t.att[static_cast<std::size_t>(a)].attname = name;
    t.att[static_cast<std::size_t>(a)].attlab = {files::pad(no, files::kLabelLen), files::pad(yes, files::kLabelLen)};
}

files::ControlTables lung_tables()
{
    files::ControlTables t;
    add_attribute(t, 1, "sex$$$$$", "  male", "  female");
    add_attribute(t, 2, "ph_ecog$", "  0", "  >=1");
    return t;
}

// Colour 0xBBGGRR of a canvas pixel.
int pixel(const platform::Canvas& c, int x, int y)
{
    const unsigned p = c.image().pixel(x, y);
    return static_cast<int>(((p & 0xff) << 16) | (p & 0xff00) | ((p >> 16) & 0xff));
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
    io::RandomStream random;
    bool detailed = false;
    bool incidence = false;
    std::vector<std::string> topics;
    std::vector<int> mosaic_pixels;
};

} // namespace

TEST_F(SrdwinTest, FittedDiagramByDefaultTheMosaicBesideItAndTheThreeViewsOfEach)
{
    // Y sums that give the cells the means 1, 2, 3 and 4.
    for (std::size_t c = 0; c < 4; ++c)
        cells.cells[c].sum = static_cast<double>(cells.cells[c].weight) * static_cast<double>(c + 1);
    rectdiag::SrdWindow window(ctx, settings, random, detailed, incidence);
    const auto esc = MouseStep{MouseStep::click, 10, 5};
    const auto tiles = MouseStep{MouseStep::click, 235, 5};
    test::MouseFeed feed(frame, rectdiag::kDiagramUnit,
                         {{MouseStep::click, 55, 5}, // 3D of the fitted diagram
                          {MouseStep::move, 300, 300},
                          esc,
                          {MouseStep::click, 145, 5}, // Grid
                          esc,
                          {MouseStep::click, 100, 5}, // 3DY
                          esc,
                          tiles, // the mosaic, its 3D, then Help
                          {MouseStep::click, 55, 5},
                          {MouseStep::move, 300, 300},
                          esc,
                          {MouseStep::click, 190, 5},
                          tiles, // back to the fitted diagram
                          esc});
    int waits = 0;
    feed.before_step = [&](const MouseStep&) {
        platform::Canvas* c = frame.canvas(rectdiag::kDiagramUnit);
        ++waits;
        if (!c) return;
        if (waits == 1) c->image().save(shots() + "/srdwin_lung_fitted.png");
        if (waits == 2) c->image().save(shots() + "/srdwin_lung_3d.png");
        if (waits == 9) c->image().save(shots() + "/srdwin_lung_mosaic.png");
        c->set_journaling(waits >= 13);
        if (waits == 9) mosaic_pixels = {pixel(*c, 239, 278), pixel(*c, 239, 100), pixel(*c, 420, 100)};
    };
    window.srdwin(list, cells, tables, true);
    EXPECT_EQ(feed.overrun, 0);
    EXPECT_EQ(topics, std::vector<std::string>{"Rectangle diagrams"});
    EXPECT_EQ(menus.off_depth(), 0);
    for (int m = 3; m <= 12; ++m) EXPECT_TRUE(menus.usable(m, 1)) << m;
    EXPECT_NE(menus.find("Menu11", "Rectangle diagram"), 0);
    EXPECT_FALSE(window.showing_mosaic());

    // Two subgroups fit exactly: subgroup 1 (female) x 0 .. 90/228, subgroup 2
    // (ECOG >= 1) x 27/228 .. 191/228, both the frame's height.
    const rectdiag::FittedDiagram& f = window.fitted();
    EXPECT_LT(f.state.error, 1e-6);
    ASSERT_EQ(f.layout.boxes.size(), 2u);
    EXPECT_NEAR(f.layout.boxes[1].x1, 27.0 / 228, 1e-9);
    EXPECT_NEAR(f.layout.boxes[1].x2, 191.0 / 228, 1e-9);
    const std::string status = files::trim(f.state.status.substr(0, 80));
    for (const char* part : {"E=", "E_max=", "Start=", "Fit P=1.0000"})
        EXPECT_NE(status.find(part), std::string::npos) << part << " in " << status;
    const std::vector<std::string> lines = log_lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "         63.0      63.000     0.000          0.0       12"),
              lines.end());

    // The fitted diagram as drawn last. Pixels: x = 130 + 360 x in frame units.
    const platform::Canvas* c = frame.canvas(rectdiag::kDiagramUnit);
    ASSERT_NE(c, nullptr);
    std::vector<std::string> texts;
    for (const auto& call : c->journal())
        if (call.op == "text") texts.push_back(files::trim(call.text));
    for (const char* want : {"A", "sex female", "ph_ecog >=1", "Tiles", "Refit", "Nudge", "Save", "Load", "37", "27",
                             "101", "63", "1", "2", "Mean Y", "4", status.c_str()})
        EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end())
            << want << " in " << ::testing::PrintToString(texts);
    // Shades of the means 1 (lightest, 0xf0) to 4 (0x80): cell 0 mean 1 right of
    // x 431.6, cell 1 mean 2 (0xcb) left of 172.6, cell 3 mean 4 between 172.6
    // and 272.1, cell 2 mean 3 (0xa5) up to 431.6.
    EXPECT_EQ(pixel(*c, 470, 100), 0xf0f0f0);
    EXPECT_EQ(pixel(*c, 150, 100), 0xcbcbcb);
    EXPECT_EQ(pixel(*c, 200, 100), 0x808080);
    EXPECT_EQ(pixel(*c, 400, 100), 0xa5a5a5);
    // Outlines: rectangle 1 inside the frame's left edge and at its right edge
    // (px 272 - 1), rectangle 2 at x 173 and 432 - 1.
    EXPECT_EQ(pixel(*c, 131, 300), settings.colours[0]);
    EXPECT_EQ(pixel(*c, 271, 300), settings.colours[0]);
    EXPECT_EQ(pixel(*c, 173, 300), settings.colours[1]);
    EXPECT_EQ(pixel(*c, 431, 300), settings.colours[1]);
    // The mosaic shown by Tiles: cell 2 in colour 2, cell 0 white, cell 1 colour 1.
    EXPECT_EQ(mosaic_pixels, (std::vector<int>{settings.colours[1], 0xffffff, settings.colours[0]}));
}

TEST_F(SrdwinTest, SaveLoadNextToTheLogRefusingAnotherPartitionOrADamagedFileAndNudge)
{
    rectdiag::SrdWindow window(ctx, settings, random, detailed, incidence);
    const std::string srd = dir.filePath("TEST.srd").toStdString();
    const auto button = [](int b) { return MouseStep{MouseStep::click, 45 * (b - 1) + 10, 5}; };
    test::MouseFeed feed(frame, rectdiag::kDiagramUnit,
                         {button(rectdiag::kSave), button(rectdiag::kLoad), button(rectdiag::kLoad),
                          button(rectdiag::kLoad), button(rectdiag::kLoad), button(rectdiag::kLoad),
                          button(rectdiag::kSave), button(rectdiag::kNudge)});
    std::vector<srdfit::Rect> saved;
    std::vector<std::string> starts;
    feed.before_step = [&](const MouseStep&) {
        starts.push_back(window.fitted().layout.start);
        std::ofstream out;
        switch (feed.waits) {
        case 2: saved = window.fitted().layout.boxes; break;
        case 3: { // a sound file of another partition
            srdfit::SavedDiagram other;
            other.terms = {{1}, {3}};
            other.boxes = saved;
            out.open(srd);
            out << srdfit::srd_text(other);
            break;
        }
        case 4: out.open(srd), out << "MERU rectangle diagram\nq 2\n"; break;
        case 5: std::remove(srd.c_str()); break;
        case 6: QDir().mkdir(QString::fromStdString(srd)); break; // a folder of the file's name, for Load and Save
        case 8: QDir().rmdir(QString::fromStdString(srd)); break;
        }
    };
    test::ModalAnswerer answers({"OK", "OK", "OK", "OK", "OK"});
    window.srdwin(list, cells, tables, true);
    EXPECT_EQ(feed.overrun, 1);
    EXPECT_EQ(starts, (std::vector<std::string>{"Strips", "Strips", "Saved", "Saved", "Saved", "Saved", "Saved",
                                                "Saved", "Nudge"}));
    std::vector<std::string> texts;
    for (const auto& shown : answers.shown) texts.push_back(shown.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"The saved diagram TEST.srd is of other terms: not loaded ",
                                               "The saved diagram TEST.srd is damaged: not loaded ",
                                               "No saved diagram TEST.srd ", "Cannot read TEST.srd (is a folder) ",
                                               "Cannot write TEST.srd (Is a directory) "}));
    EXPECT_LT(window.fitted().state.error, 1e-6);
    const std::vector<std::string> lines = log_lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), " Rectangle diagram saved to " + srd), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), " Rectangle diagram loaded from " + srd), lines.end());
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_NEAR(saved[1].x1, 27.0 / 228, 1e-6); // as written, to six decimals
}

TEST_F(SrdwinTest, MoreThanSixTermsGetAMessageAndNoDiagram)
{
    for (int t = 3; t <= 7; ++t) list.add_term({1});
    cells.q = 7;
    cells.cells.assign(128, {});
    rectdiag::SrdWindow window(ctx, settings, random, detailed, incidence);
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
    rectdiag::SrdWindow window(ctx, settings, random, detailed, incidence);
    Notices told;
    stats::CellTabOptions opt;
    opt.print = false;
    const std::vector<int> weights(228, 1);
    test::MouseFeed feed(frame, rectdiag::kDiagramUnit, {{MouseStep::click, 10, 5}});
    stats::celltab(cells, list, weights, {}, tables, opt, &window, told, log);
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(feed.waits, 1);
    EXPECT_TRUE(frame.is_open(rectdiag::kDiagramUnit));
    // The two strips of the exact fit: 0 .. 90/228 and 27/228 .. 191/228.
    const std::vector<std::string> lines = log_lines();
    for (const char* want : {" Rectangle 1  0.000000  0.394737  0.000000  1.000000",
                             " Rectangle 2  0.118421  0.837719  0.000000  1.000000"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end())
            << want << ::testing::PrintToString(lines);
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
    rectdiag::SrdWindow window(ctx, settings, random, detailed, incidence);
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
    EXPECT_EQ(window.mosaic().means, rate);
}

namespace {

// The lung cells of four terms (Python over examples/lung.csv): female,
// ph_ecog >= 1, age >= 65, ph_karno >= 80, a missing value outside.
class SrdwinFourTermsTest : public SrdwinTest {
protected:
    void SetUp() override
    {
        SrdwinTest::SetUp();
        add_attribute(tables, 3, "age$$$$$", "  <65", "  >=65");
        add_attribute(tables, 4, "ph_karno", "  <80", "  >=80");
        list.add_term({3});
        list.add_term({4});
        cells.q = 4;
        const std::int64_t counts[] = {1, 0, 16, 7, 0, 0, 19, 15, 20, 21, 34, 29, 16, 6, 32, 12};
        cells.cells.assign(16, {});
        for (std::size_t c = 0; c < 16; ++c) cells.cells[c].weight = counts[c];
    }
    // Number after `key` in `text`.
    static double after(const std::string& text, const std::string& key)
    {
        const std::size_t at = text.find(key);
        return at == std::string::npos ? -1 : std::stod(text.substr(at + key.size()));
    }
};

} // namespace

TEST_F(SrdwinFourTermsTest, TheReportedFitFollowsFromTheLoggedRectangles)
{
    detailed = true;
    rectdiag::SrdWindow window(ctx, settings, random, detailed, incidence);
    test::MouseFeed feed(frame, rectdiag::kDiagramUnit, {{MouseStep::click, 10, 5}});
    window.srdwin(list, cells, tables, true);
    // The rectangles, then the cell table: its head, a rule, one line a cell
    // (f_i F10.1 from column 4, a_i F12.3), a rule, the totals (100 E F8.3 at 28).
    std::vector<srdfit::Rect> boxes;
    std::vector<double> printed_area;
    double printed_e = -1;
    int rules = 0;
    for (const std::string& line : log_lines()) {
        if (line.rfind(" Rectangle", 0) == 0) {
            std::istringstream in(line.substr(12));
            srdfit::Rect& b = boxes.emplace_back();
            in >> b.x1 >> b.x2 >> b.y1 >> b.y2;
        } else if (line.rfind(" ------", 0) == 0) {
            ++rules;
        } else if (rules == 1) {
            printed_area.push_back(std::stod(line.substr(13, 12)));
        } else if (rules == 2 && printed_e < 0) {
            printed_e = std::stod(line.substr(27, 8)) / 100;
        }
    }
    ASSERT_EQ(boxes.size(), 4u);
    const std::vector<double> area = srdfit::cell_areas(boxes);
    double e = 0, chisq = 0;
    int k = 0;
    std::size_t shown = 0;
    for (std::size_t c = 0; c < 16; ++c) {
        const double f = static_cast<double>(cells.cells[c].weight), a = area[c] * 228;
        e += std::fabs(a - f) / 228;
        if (a > 0) chisq += (f - a) * (f - a) / a, ++k;
        if (f > 0 || a > 0.0005) { // the report skips a cell without count or area
            ASSERT_LT(shown, printed_area.size());
            EXPECT_NEAR(printed_area[shown++], a, 0.002) << "cell " << c;
        }
    }
    EXPECT_NEAR(printed_e, e, 1e-4);
    EXPECT_GT(e, 0.001); // four subgroups of these counts are not fitted exactly
    const std::string status = window.fitted().state.status;
    EXPECT_NEAR(after(status, "E="), 100 * e, 0.051);
    EXPECT_NEAR(after(status, "Fit P="), stats::gammq(k / 2.0, chisq / 2), 1e-3);
}
