// The scatter plot window offscreen on the example data: the dialog's paths, the
// log lines (correlation from cor(), level means from tapply(), chi-square from
// chisq.test(correct = FALSE), all in R), the bar's buttons by scripted clicks,
// the journal's symbols, boxes and circles, a pixel read of the density shading,
// the Z dialog's choices, the menus after every exit, and the acceptance pictures.
#include "mode_fixture.h"
#include "outcome/bygroup.h"
#include "outcome/scatter_run.h"
#include "outcome/thirdz.h"
#include "scatter_fixture.h"
#include "ui/plotframe.h"

#include <QDir>
#include <cstdlib>

namespace meru::test {
namespace {

std::string shots_folder()
{
    const char* env = std::getenv("MERU_E2E_SHOTS");
    return env && *env ? env : QDir::tempPath().toStdString();
}

TEST_F(ScatterTest, WeightAgainstBirthWeightThroughTheDialog)
{
    open("birthwt");
    const int bwt = var("bwt"), lwt = var("lwt");
    dialogs.picks = {{outcome::kOk, 0, lwt}, {outcome::kOk, bwt, 0}, {outcome::kOk, bwt, lwt}};
    EXPECT_FALSE(plot()); // Esc shows the dialog again; its Cancel leaves
    EXPECT_EQ(dialogs.scatter_shown, 4);
    EXPECT_EQ(sv.with_prefix("msgbox:"), (std::vector<std::string>{"msgbox:No Y variable selected.$ kind=ok",
                                                                   "msgbox:No X variable selected.$ kind=ok"}));
    EXPECT_EQ(count("actlog:%Y:scatterplot"), 1);
    EXPECT_EQ(y.scatx, lwt);
    EXPECT_EQ(y.scaty, bwt);
    EXPECT_TRUE(logged(" Scatter of bwt against lwt"));
    EXPECT_TRUE(logged(" Correlation =  0.186")); // cor(lwt, bwt) = 0.18573
    EXPECT_NEAR(xmean, 129.8148148, 1e-6);
    EXPECT_TRUE(drew_text(" Correlation =  0.186"));
    int symbols = 0; // the blue squares below the bar (whose buttons have blue borders)
    for (const auto& c : calls("rectangle", outcome::kPointBlue)) symbols += c.points[0].y() > 15;
    EXPECT_EQ(symbols, 189);
    // The first birth (lwt 182, bwt 2523) where the axes put it, worked by hand:
    // 600 x 520 pixels; x takes 0.735 x 600 = 441 pixels for lwt 80..250, from
    // x 90 - trunc(80 x 441 / 170) = -117; y takes 0.7 x 520 = 364 pixels for bwt
    // 709..4990, from y 416 + trunc(709 x 364 / 4281) = 476.
    const QPoint first(-117 + int(182 * 441.0 / 170), 476 - int(2523 * 364.0 / 4281));
    EXPECT_EQ(first, QPoint(355, 262));
    bool found = false;
    for (const auto& c : calls("rectangle", outcome::kPointBlue))
        found |= (c.points[0] + c.points[1]) / 2 == first;
    EXPECT_TRUE(found);
    EXPECT_EQ(frame.window(ui::kScatterWindow)->windowTitle().toStdString(), " Scatter of bwt against lwt");
    EXPECT_EQ(canvas().width(), 600);
    EXPECT_EQ(canvas().height(), 520);
    EXPECT_TRUE(drew_text(" ")); // the bar blanked on leaving
    expect_menus_as_before();
}

TEST_F(ScatterTest, BarButtonsRedrawOrNotAsTheyShould)
{
    open("birthwt");
    dialogs.picks = {{outcome::kOk, var("bwt"), var("lwt")}};
    // Missd is greyed (nothing missing) and the 13th slot is no button; -pts redraws
    // twice and then stops at size 0; Help; JittX; a click in the plot under jitter.
    plot({button(2),
          {12 * 45 + 10, 5},
          button(5),
          button(5),
          button(5),
          button(12),
          button(8),
          {300, 300},
          button(1)});
    EXPECT_EQ(count("thinking:...creating a scatter plot"), 4);
    EXPECT_EQ(count("help:Scatter plot options"), 1);
    EXPECT_TRUE(drew_text(" X direction jitter"));
    EXPECT_EQ(overrun, 0);
    EXPECT_EQ(waits, 9);
    expect_menus_as_before();
    EXPECT_FALSE(ctx.symbols.jitterx); // jitter ends with the plot
}

TEST_F(ScatterTest, AClickOnAPointTogglesItsLabel)
{
    open("birthwt");
    dialogs.picks = {{outcome::kOk, var("bwt"), var("lwt")}};
    auto at = [&](int i) {
        const ui::PlotFrame& p = ctx.plot;
        return Click{p.vieworg.x + ui::plot_pixel(run->x(i, "lwt") * p.plotscale.x),
                     p.vieworg.y - ui::plot_pixel(run->x(i, "bwt") * p.plotscale.y)};
    };
    std::vector<bool> one, two;
    next = [&](int wait) -> std::optional<Click> {
        if (wait < 3) return at(wait + 1); // labels on observations 1, 2 and 3
        one.push_back(drew_text(" 1"));    // I6, squeezed
        two.push_back(drew_text(" 2"));
        canvas().clear_journal();
        if (wait == 3) {
            canvas().image().save(QString::fromStdString(shots_folder() + "/scatter_lwt_bwt_labels.png"));
            return at(1); // observation 1's label off again
        }
        return std::nullopt;
    };
    plot();
    EXPECT_EQ(one, (std::vector<bool>{true, false}));
    EXPECT_EQ(two, (std::vector<bool>{true, true}));
}

TEST_F(ScatterTest, DirectScatterOpensInBoxMode)
{
    open("birthwt");
    y.direct_scatter = true;
    y.scatx = var("race");
    y.scaty = var("bwt");
    // Z is greyed in box mode; -pts narrows the boxes 15 -> 2 in seven steps, then
    // stops without a drawing.
    std::deque<Click> clicks{button(6)};
    for (int k = 0; k < 8; ++k) clicks.push_back(button(5));
    clicks.push_back(button(1));
    next = [&](int wait) -> std::optional<Click> {
        if (wait == 0) canvas().image().save(QString::fromStdString(shots_folder() + "/scatter_bwt_race_box.png"));
        if (clicks.empty()) return std::nullopt;
        const Click c = clicks.front();
        clicks.pop_front();
        return c;
    };
    EXPECT_TRUE(plot());
    EXPECT_FALSE(y.direct_scatter);
    EXPECT_EQ(dialogs.scatter_shown, 0);
    EXPECT_TRUE(dialogs.z_seen.empty());
    EXPECT_EQ(count("thinking:...creating a scatter plot"), 8);
    const auto lines = log_lines();
    const std::vector<std::string> expected = {
        " Scatter of bwt against race",  " race     n    mean of bwt",
        "-------------------------",     "      1      96  0.310272E+04",
        "Box plot quartiles:",           "     race    = 1 Q1= 0.255700E+04 Q2= 0.305475E+04 Q3= 0.364700E+04",
        "      2      26  0.271969E+04",
    };
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7), expected);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Box plot quartiles:"), 1);
    EXPECT_TRUE(drew_text("Box plots"));
    // Each drawing: three white bands, two grey boxes per level, three green means.
    EXPECT_EQ(calls("ellipse", outcome::kMeanMarker).size(), 3u * 8);
    std::vector<platform::DrawCall> boxes;
    for (const auto& c : calls("rectangle", outcome::kBoxOutline))
        if (c.fill == platform::Fill::border) boxes.push_back(c);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.front().points[1].x() - boxes.front().points[0].x(), 30); // 15 each side
    EXPECT_EQ(boxes.back().points[1].x() - boxes.back().points[0].x(), 4);    // 2 each side
    EXPECT_FALSE(calls("rectangle", 0xffffff).empty());
    expect_menus_as_before();
}

TEST_F(ScatterTest, ThicknessAgainstMalignancyAsCircles)
{
    open("bcw", "bcw_orig.csv");
    dialogs.picks = {{outcome::kOk, var("malig"), var("thick")}};
    next = [&](int wait) -> std::optional<Click> {
        if (wait == 0) return button(11);
        if (wait == 1) canvas().image().save(QString::fromStdString(shots_folder() + "/scatter_bcw_circles.png"));
        return std::nullopt;
    };
    plot();
    const auto lines = log_lines();
    const auto head = std::find(lines.begin(), lines.end(), " Cross-tab of rows thick by columns malig");
    ASSERT_NE(head, lines.end()) << ::testing::PrintToString(lines);
    EXPECT_EQ(*(head + 1), "               0       1   Total");
    EXPECT_EQ(*(head + 2), "       1     142       3     145");
    EXPECT_EQ(*(head + 12), "   Total     458     241     699");
    EXPECT_EQ(*(head + 13), " Chi-square with   9 df =0.3892E+03 P= 0.00000"); // 389.19, R
    EXPECT_EQ(*(head + 14), " Misclassification error= 99.57%");               // 1 - 3/699
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("excluding") != std::string::npos; }),
              0);
    EXPECT_TRUE(drew_text("Proportional to Frequency"));
    int outlines = 0; // one outlined circle per non-empty cell, its dots filled
    for (const auto& c : calls("ellipse", outcome::kPointBlue)) outlines += c.points[1].x() - c.points[0].x() > 2;
    EXPECT_EQ(outlines, 18);
    expect_menus_as_before();
}

TEST_F(ScatterTest, CrossTabsWithAMissingRowInBoxMode)
{
    open("bcw", "bcw_orig.csv");
    dialogs.picks = {{outcome::kOk, var("malig"), var("barenuc")}};
    next = [&](int wait) -> std::optional<Click> {
        if (wait == 0) return button(2); // Missd: the missing row is drawn too
        if (wait == 1) return button(10);
        return std::nullopt;
    };
    plot();
    // chisq.test of the table with the row of missing barenuc, then without it.
    EXPECT_TRUE(logged(" Chi-square with  10 df =0.4959E+03 P= 0.00000"));
    EXPECT_TRUE(logged(" Misclassification error= 97.85%"));
    EXPECT_TRUE(logged(" Chi-square excluding missing with   9 df =0.4890E+03 P= 0.00000"));
    EXPECT_TRUE(logged(" Misclassification error excluding missing= 97.80%"));
    EXPECT_TRUE(drew_text("Both variables seen as discrete. Cross-tabs written to LOG"));
    EXPECT_FALSE(calls("ellipse", outcome::kMissingBlue).empty());
}

TEST_F(ScatterTest, MissingValuesBelowTheAxesAndTheSwap)
{
    // a on 1.5..3.5 and b on 1.5..2.5 (continuous); observations 2-4 miss a value.
    open_columns({"a", "b"}, {{1.5f, -1.0f, 3.5f, -1.0f}, {1.5f, 2.5f, -1.0f, -1.0f}});
    dialogs.picks = {{outcome::kOk, 2, 1}};
    std::vector<std::vector<std::pair<int, int>>> drawn; // the symbols' centres per drawing
    std::vector<ui::PlotFrame> frames;
    std::vector<std::string> titles; // the window's, per drawing
    bool note = false;
    next = [&](int wait) -> std::optional<Click> {
        titles.push_back(frame.window(ui::kScatterWindow)->title());
        std::vector<std::pair<int, int>> centres;
        for (const auto& c : canvas().journal())
            if (c.op == "rectangle" && c.points[0].y() > 15 &&
                (c.colour == outcome::kPointBlue || c.colour == outcome::kMissingBlue))
                centres.emplace_back((c.points[0].x() + c.points[1].x()) / 2,
                                     (c.points[0].y() + c.points[1].y()) / 2);
        drawn.push_back(centres);
        frames.push_back(ctx.plot);
        if (wait == 1) note = drew_text("Both missing     1( 25.00%)");
        canvas().clear_journal();
        if (wait == 0) return button(2); // Missd
        if (wait == 1) return button(3); // X->Y
        return std::nullopt;
    };
    plot();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].size(), 1u);
    ASSERT_EQ(drawn[1].size(), 4u);
    // A missing a at 1.5 - 0.18 * 2 = 1.14 along X, a missing b at 1.5 - 0.25 = 1.25 along Y.
    const ui::PlotFrame& f = frames[1];
    auto px = [&](double x) { return f.vieworg.x + ui::plot_pixel(x * f.plotscale.x); };
    auto py = [&](double y) { return f.vieworg.y - ui::plot_pixel(y * f.plotscale.y); };
    EXPECT_NEAR(drawn[1][1].first, px(1.14), 1);
    EXPECT_NEAR(drawn[1][1].second, py(2.5), 1);
    EXPECT_NEAR(drawn[1][2].first, px(3.5), 1);
    EXPECT_NEAR(drawn[1][2].second, py(1.25), 1);
    EXPECT_NEAR(drawn[1][3].first, px(1.14), 1);
    EXPECT_NEAR(drawn[1][3].second, py(1.25), 1);
    EXPECT_TRUE(note);
    EXPECT_EQ(y.scatx, 2); // swapped by X->Y
    EXPECT_EQ(y.scaty, 1);
    EXPECT_EQ(drawn[2].size(), 4u);
    // The title names Y against X, the swapped pair after X->Y.
    EXPECT_EQ(titles, (std::vector<std::string>{" Scatter of b against a", " Scatter of b against a",
                                                " Scatter of a against b"}));
    EXPECT_EQ(msgline, " Scatter of a against b");
}

TEST_F(ScatterTest, CharacterCodesAsLevels)
{
    // X holds the codes A, A, B (10, 10, 11); the levels show their characters.
    open_columns({"grade", "score"}, {{10, 10, 11}, {1.5f, 2.5f, 3.5f}});
    run->r.marks.charflag[1] = 1;
    dialogs.picks = {{outcome::kOk, 2, 1}};
    plot();
    const auto lines = log_lines();
    const auto head = std::find(lines.begin(), lines.end(), " grade    n    mean of score");
    ASSERT_NE(head, lines.end());
    EXPECT_EQ(*(head + 2), "     A       2  0.200000E+01");
    EXPECT_EQ(*(head + 3), "     B       1  0.350000E+01");
}

TEST_F(ScatterTest, DenseShadingDarkensAPointDrawnTwice)
{
    open_columns({"a", "b"}, {{1.5f, 1.5f, 3.5f}, {1.5f, 1.5f, 2.5f}});
    dialogs.picks = {{outcome::kOk, 2, 1}};
    int twice = -1, once = -1;
    next = [&](int wait) -> std::optional<Click> {
        if (wait == 0) return button(7);
        if (wait == 1) {
            const ui::PlotFrame& p = ctx.plot;
            canvas().set_vieworg(0, 0);
            twice = canvas().get_pixel_rgb(p.vieworg.x + ui::plot_pixel(1.5 * p.plotscale.x),
                                           p.vieworg.y - ui::plot_pixel(1.5 * p.plotscale.y));
            once = canvas().get_pixel_rgb(p.vieworg.x + ui::plot_pixel(3.5 * p.plotscale.x),
                                          p.vieworg.y - ui::plot_pixel(2.5 * p.plotscale.y));
        }
        return std::nullopt;
    };
    plot();
    // n = 3: t = (5 - log10 3) 24.5 + 2 = 112.81, shift = int(t / 3) = 37 per byte.
    EXPECT_EQ(once, outcome::kDensityColour);
    EXPECT_EQ(twice, 0xedcba9 - 0x252525);
}

TEST_F(ScatterTest, ZChoicesReachTheRotatingPlotAndSizeByZ)
{
    open("birthwt");
    const int age = var("age");
    dialogs.picks = {{outcome::kOk, var("bwt"), var("lwt")}};
    dialogs.z_steps = {z_step(true, false, false, age, 0), z_step(false, false, false, 0, 0, outcome::kCancel),
                       z_step(false, true, false, age, 0)};
    plot({button(6), button(6), button(1)});
    ASSERT_EQ(rotations.size(), 1u);
    EXPECT_EQ(rotations[0].zvar, age);
    EXPECT_EQ(rotations[0].xvar, var("lwt"));
    EXPECT_EQ(rotations[0].zname, "age");
    EXPECT_TRUE(logged(" Rotating plot for Z=age"));
    EXPECT_EQ(dialogs.z_seen.size(), 3u);
    // Cancel and Size by Z each reopen the window: the title is logged three times.
    const auto lines = log_lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), " Scatter of bwt against lwt"), 3);
    EXPECT_TRUE(drew_text("Proportional to age"));
    expect_menus_as_before();
}

TEST_F(ScatterTest, DistinguishedPointsAndTheirLevelMeans)
{
    open("birthwt");
    attset = {1, 2}; // the attribute of low (low = 1 chosen, low = 0 the others)
    dialogs.picks = {{outcome::kOk, var("bwt"), var("lwt")}, {outcome::kOk, var("bwt"), var("race")}};
    dialogs.z_steps = {z_step(false, false, true, 0, 1), z_step(false, false, true, 0, 1)};
    std::vector<int> red;
    std::vector<platform::DrawCall> legends, rs; // of the lwt plot
    next = [&](int wait) -> std::optional<Click> {
        if (wait == 0 || wait == 2) return button(6);
        if (wait == 1) {
            int n = 0;
            for (const auto& c : calls("rectangle", outcome::kPointRed)) n += c.points[0].y() > 15;
            red.push_back(n);
            for (const auto& t : calls("text")) {
                if (t.text.starts_with("low")) legends.push_back(t);
                if (t.text.starts_with(" Correlation")) rs.push_back(t);
            }
        }
        return std::nullopt;
    };
    plot();
    EXPECT_EQ(red, (std::vector<int>{130}));
    auto lines = log_lines();
    // cor(lwt, bwt) in each group after its legend: low = 1 (the chosen value,
    // -0.10613) and low = 0 (0.14530), by Pearson's formula over the CSV's rows.
    const auto other = std::find(lines.begin(), lines.end(), " Correlation =  0.145");
    ASSERT_NE(other, lines.end());
    EXPECT_EQ((other - 1)->substr(0, 3), "low");
    EXPECT_EQ(*(other - 2), " Correlation = -0.106");
    EXPECT_EQ((other - 3)->substr(0, 3), "low");
    // Drawn apart, each under its own legend: nothing of the second text lies
    // over the first.
    ASSERT_EQ(legends.size(), 2u);
    ASSERT_EQ(rs.size(), 2u);
    EXPECT_EQ(rs[0].text, " Correlation = -0.106");
    EXPECT_EQ(rs[0].colour, 0);
    EXPECT_EQ(rs[1].colour, outcome::kPointRed);
    EXPECT_EQ(rs[0].points[0].x(), legends[0].points[0].x());
    EXPECT_EQ(rs[1].points[0].x(), legends[1].points[0].x());
    ASSERT_GE(canvas().set_font("t'arial'h12w7"), 0);
    EXPECT_GT(rs[1].points[0].x(), rs[0].points[0].x() + canvas().text_width(rs[0].text));
    EXPECT_GT(legends[1].points[0].x(), legends[0].points[0].x() + canvas().text_width(legends[0].text));
    // By race: the means of bwt for low = 0 per level (tapply in R), after its legend.
    const auto dash = std::find(other, lines.end(), "-------------------------");
    const std::vector<std::string> means{"     1      73  0.340693E+04", "     2      15  0.315180E+04",
                                         "     3      42  0.325717E+04"};
    const auto first = std::find(dash, lines.end(), means[0]);
    ASSERT_NE(first, lines.end());
    EXPECT_EQ(std::vector<std::string>(first, first + 3), means);
    EXPECT_EQ((first - 1)->substr(0, 3), "low");
    EXPECT_EQ(calls("ellipse", outcome::kPointRed).size(), 3u);
}

TEST_F(ScatterTest, DirectScatterOfTwoDiscreteVariablesShowsTheError)
{
    open("bcw", "bcw_orig.csv");
    y.direct_scatter = true;
    y.scatx = var("thick");
    y.scaty = var("malig");
    plot();
    EXPECT_TRUE(drew_text(" Misclassification error= 99.57%"));
    EXPECT_TRUE(drew_text("Both variables seen as discrete. Cross-tabs written to LOG"));
    EXPECT_FALSE(logged(" Correlation =  0.716")); // no correlation of two discrete variables in box mode
    EXPECT_TRUE(drew_text("Proportional to Frequency"));

    // A direct request without its Y variable opens nothing.
    frame.close_window(ui::kScatterWindow);
    y.direct_scatter = true;
    y.scaty = 0;
    EXPECT_FALSE(plot());
    EXPECT_FALSE(y.direct_scatter);
    EXPECT_FALSE(frame.is_open(ui::kScatterWindow));
}

TEST_F(ScatterTest, SizeByZ)
{
    open("birthwt");
    dialogs.picks = {{outcome::kOk, var("bwt"), var("lwt")}};
    dialogs.z_steps = {z_step(false, true, false, var("age"), 0)};
    std::vector<int> sizes;
    next = [&](int wait) -> std::optional<Click> {
        if (wait == 0) return button(6);
        if (wait == 1)
            for (const auto& c : calls("rectangle", outcome::kPointBlue))
                if (c.points[0].y() > 15) sizes.push_back(c.points[1].x() - c.points[0].x());
        return std::nullopt;
    };
    plot();
    ASSERT_EQ(sizes.size(), 189u);
    // Point size 20 over age 14..45: the youngest mother gets size 0, the oldest 20.
    EXPECT_EQ(*std::min_element(sizes.begin(), sizes.end()), 0);
    EXPECT_EQ(*std::max_element(sizes.begin(), sizes.end()), 20);
}

TEST_F(ScatterTest, OneRunPerByGroup)
{
    open("birthwt");
    const int race = var("race");
    outcome::ByGroup by;
    by.mode = true;
    by.byvar = "race";
    by.byindex = race;
    by.values = {1, 2, 3};
    by.ngroups = 3;
    for (int i = 1; i <= run->r.nread; ++i) by.obsvalues.push_back(run->x(i, "race"));
    ScriptedModeDialogs modes;
    modes.quit_answers = {1, 2, 1}; // "Quit by group" skips group 2
    dialogs.picks = {
        {outcome::kOk, var("bwt"), var("lwt")}, {outcome::kCancel, 0, 0}, {outcome::kOk, var("bwt"), var("lwt")}};
    std::vector<int> points; // blue symbols of each group's first drawing
    next = [&](int wait) -> std::optional<Click> {
        int n = 0;
        for (const auto& c : calls("rectangle", outcome::kPointBlue)) n += c.points[0].y() > 15;
        points.push_back(n);
        canvas().clear_journal();
        return wait < 0 ? std::optional<Click>(button(1)) : std::nullopt;
    };
    outcome::ScatterContext cx{ctx, sv,      dialogs, run->t, run->d, run->r.nread, mask, run->r.marks.charflag,
                               y,   msgline, attset,  false,  {},     {},           {},   0.0};
    EXPECT_TRUE(plot_with([&] { return outcome::scatter_by_groups(cx, by, modes); }));
    EXPECT_EQ(modes.quit_notes.size(), 3u);
    EXPECT_EQ(points, (std::vector<int>{96, 67})); // table(race): 96 26 67
    EXPECT_EQ(dialogs.scatter_shown, 4);           // each group: the plot, Esc, the dialog's Cancel
    const auto lines = log_lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), " Scatter of bwt against lwt"), 2);
    EXPECT_FALSE(cx.bymode);
    expect_menus_as_before();
}

class ThirdZTest : public ::testing::Test {
protected:
    void show() { outcome::thirdz(z, names, attributes, dialogs, sv, log.log); }
    std::vector<std::string> messages() const { return sv.with_prefix("msgbox:"); }

    outcome::ZChoice z;
    std::vector<std::string> names{"age", "lwt", "bwt"};
    std::vector<outcome::ZAttribute> attributes{{" age>20", 3}, {" lwt>130", 7}};
    ScriptedScatterDialogs dialogs;
    RecordingServices sv;
    LogCapture log;
};

TEST_F(ThirdZTest, MessageSequences)
{
    // The defaults (3D rotating) without a variable, then all three with both lists.
    dialogs.z_steps = {z_step(true, false, false, 0, 0), z_step(true, true, true, 2, 1),
                       z_step(true, false, false, 3, 0)};
    show();
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "msgbox:Must choose from 3D plot or Size by Z list$ [log] kind=ok",
                              "msgbox:Cannot distinguish points in 3D plots. Do 3D plot anyway$ [log] kind=ok",
                              "msgbox:Cannot do 3D plots with Size by Z$ [log] kind=ok"}));
    ASSERT_EQ(dialogs.z_seen.size(), 3u);
    EXPECT_TRUE(dialogs.z_seen[0].rotate); // on at entry
    const outcome::ZView& again = dialogs.z_seen[2];
    EXPECT_TRUE(again.rotate);
    EXPECT_FALSE(again.size);
    EXPECT_FALSE(again.distinguish);
    EXPECT_EQ(again.variable, 0);
    EXPECT_EQ(again.variable_text, "Variable for 3D plot or Size by Z");
    EXPECT_EQ(again.attribute_text, "Attribute to distinguish points");
    EXPECT_FALSE(z.cancelled);
    EXPECT_EQ(z.zvar, 3);
    EXPECT_EQ(z.zname, "bwt");
}

TEST_F(ThirdZTest, AcceptsRefusesAndCancels)
{
    // Size by Z with Distinguish points is accepted together.
    dialogs.z_steps = {z_step(false, true, true, 1, 2)};
    show();
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(z.size && z.distinguish && !z.rotate);
    EXPECT_EQ(z.attribute, 7);
    EXPECT_EQ(z.value, 1);
    // Distinguish points alone needs an attribute; 3D with distinguish and no attribute.
    dialogs.z_steps = {z_step(false, false, true, 0, 0), z_step(true, false, true, 1, 0),
                       z_step(false, false, false, 0, 0)};
    show();
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "msgbox:Must choose from distinguish attribute list$ [log] kind=ok",
                              "msgbox:Cannot do 3D plots with distinguished points. Doing anyway$ [log] kind=ok"}));
    EXPECT_FALSE(z.cancelled); // the 3D plot went ahead without distinguishing
    EXPECT_TRUE(z.rotate && !z.distinguish);
    // Unticking all three and OK is Cancel; Help shows its topic and the dialog again.
    dialogs.z_steps = {z_step(true, false, false, 0, 0, outcome::ids::kZHelp), z_step(false, false, false, 1, 1)};
    show();
    EXPECT_TRUE(z.cancelled && z.none);
    EXPECT_FALSE(z.rotate);
    EXPECT_EQ(sv.with_prefix("help:"), (std::vector<std::string>{"help:Show third variable Z"}));
    // Cancel with a box ticked leaves every choice off.
    dialogs.z_steps = {z_step(false, true, false, 1, 0, outcome::kCancel)};
    show();
    EXPECT_TRUE(z.cancelled && !z.none);
    EXPECT_FALSE(z.size || z.rotate || z.distinguish);
}

TEST_F(ScatterTest, AttributeListOfTheZDialog)
{
    open("birthwt");
    EXPECT_TRUE(outcome::z_attributes(run->t, std::vector<int>{1}).empty());
    const auto items = outcome::z_attributes(run->t, std::vector<int>{1, 2, 3});
    ASSERT_EQ(items.size(), 4u); // low b 1 makes one attribute, age i 20 25 30 three
    for (const auto& item : items) EXPECT_EQ(item.label.back() == ' ', false) << item.label;
    EXPECT_EQ(items[1].label.substr(0, 4), " age");
    EXPECT_EQ(items[1].attribute, run->t.line[3].first_attribute());
    EXPECT_EQ(items[3].attribute, run->t.line[3].attoff);
}

} // namespace
} // namespace meru::test
