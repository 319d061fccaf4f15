// The Rank plots' windows offscreen, driven by scripts through their dialogs and
// mouse waits under the fake clock: what they draw (journal), what they log, and
// the menus after every exit.
#include "files/textutil.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/script_host.h"
#include "plots/rank_window_common.h"
#include "plots/rank_windows.h"
#include "ui/ui_fixture.h"

#include <algorithm>
#include <cmath>
#include <functional>

using namespace meru;
using namespace meru::plots;

namespace {

// birthwt's lwt against low, as the number of the nested cuts "> 110", "> 130"
// and "> 150" each mother passes: controls (low 0) 28, 50, 23, 29 with 0..3 cuts,
// cases 25, 20, 7, 7. Line 1 "lwt" makes attributes 1-3; line 2 "lwt" (a second
// line of the same name) attribute 4, true for everyone.
class RankWindowsTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        platform::set_clock(&clock);
        ctx.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        frame.set_journaling(true);
        const int counts[2][4] = {{28, 50, 23, 29}, {25, 20, 7, 7}};
        for (int y = 0; y < 2; ++y)
            for (int s = 0; s < 4; ++s)
                for (int c = 0; c < counts[y][s]; ++c) {
                    for (int j = 1; j <= 3; ++j) bytes.push_back(s >= j ? 1 : 0);
                    bytes.push_back(1);
                    yclass.push_back(static_cast<float>(y));
                }
        const int n = static_cast<int>(yclass.size());
        mask.assign(yclass.size(), 1);
        weights.assign(yclass.size(), 1);
        signbyte.assign(5, 1);
        lines.offered = {1, 2};
        lines.ncuts = {3, 1};
        lines.attoff = {0, 3, 4};
        lines.names = {"lwt", "lwt"};
        lines.labels = {"lwt > 110", "lwt > 130", "lwt > 150", "all"};
        lines.optimised = {1, 1};
        call.lines = &lines;
        call.sample.abyte = stats::AttributeMatrix(bytes, 4, n);
        call.sample.y = yclass;
        call.sample.mask = mask;
        call.sample.weights = weights;
        call.signbyte = signbyte;
        call.ynames = {"low"};
    }
    void TearDown() override
    {
        platform::remove_script_hook();
        platform::set_clock(nullptr);
    }

    void scripted(const std::string& text, const std::function<void()>& body)
    {
        platform::FrameScriptHost host(frame, menus);
        host.set_exit([this](int status) { ended = status; });
        auto script = test::make_script(text, host);
        platform::install_script_hook(*script);
        ctx.host.script = script.get();
        body();
        ctx.host.script = nullptr;
        platform::remove_script_hook();
    }

    std::vector<platform::DrawCall> calls(int unit, const std::string& op)
    {
        std::vector<platform::DrawCall> out;
        for (const auto& c : frame.canvas(unit)->journal())
            if (c.op == op) out.push_back(c);
        return out;
    }
    int count_lines(const std::string& line)
    {
        int k = 0;
        for (const auto& l : log_lines()) k += l == line;
        return k;
    }
    void expect_menus_as_before()
    {
        EXPECT_EQ(menus.off_depth(), 0);
        for (int m = 3; m <= 12; ++m) EXPECT_TRUE(menus.usable(m, 1)) << m;
    }

    platform::FakeClock clock;
    io::RandomStream random;
    std::vector<std::string> topics;
    int ended = -1;
    std::vector<std::uint8_t> bytes;
    std::vector<float> yclass;
    std::vector<std::uint8_t> mask;
    std::vector<int> weights;
    std::vector<std::int8_t> signbyte;
    CutLines lines;
    RocCall call;
};

TEST_F(RankWindowsTest, RocWaitLabelsDiagHelpNewAndEsc)
{
    // The axes of a 600 x 520 window over 0..1.05: origin (90, 416), scale
    // 0.75 * 0.6 * 1.25 * 600 / 1.05 by 0.6 * 520 / 1.05 pixels a unit.
    const double sx = 0.75 * 0.6 * 1.25 * 600 / 1.05, sy = 0.6 * 520 / 1.05;
    const int px = 90 + int(sx * 52 / 130), py = 416 - int(sy * 14 / 59); // cut 2
    scripted("dialog 122\n  press OK\nanswer ok\n"
             "dialog 122\n  set 1004 = 1\n  press OK\n"
             "click 25 " +
                 std::to_string(px) + " " + std::to_string(py) +
                 "\nclick 25 100 5\nclick 25 100 5\nclick 25 150 5\nclick 25 60 5\n"
                 "dialog 122\n  press Cancel\nclick 25 10 5\n",
             [&] { rocplot(ctx, call); });
    EXPECT_EQ(ended, -1);
    EXPECT_EQ(topics, (std::vector<std::string>{"NOTE: Below diagonal line", "Help ROC"}));
    // The first drawing and the two Diag redraws, each with its table and area.
    EXPECT_EQ(count_lines(" Cut of lwt               Sensitivity Specificity"), 3);
    EXPECT_EQ(count_lines(" lwt > 130                 0.237       0.600"), 3);
    EXPECT_EQ(count_lines("           AUC% (SE%)  37.1( 4.21)"), 3);
    EXPECT_EQ(count_lines(" Need to select a variable from list or Cancel"), 0);
    // The diagonal: red, white after Diag, red again.
    std::vector<int> diagonal;
    for (const auto& c : calls(25, "lineto"))
        if (c.points.size() == 2 && c.points[0] == QPoint(90, 416) &&
            c.points[1] == QPoint(90 + int(sx), 416 - int(sy)))
            diagonal.push_back(c.colour);
    EXPECT_EQ(diagonal, (std::vector<int>{0x0000ff, 0xffffff, 0x0000ff}));
    bool clicked_label = false;
    std::string last_row;
    for (const auto& t : calls(25, "text")) {
        clicked_label |= t.text == "lwt > 130           " && t.points[0] == QPoint(px, py);
        if (t.points[0].y() <= 2) last_row = t.text;
    }
    EXPECT_TRUE(clicked_label);
    EXPECT_EQ(files::rtrim(last_row), "ROC window not active for mouse. Do Rank:ROC");
    // The optimised cut's square is red (up and left of its centre, clear of its label).
    const QPoint best(90 + int(sx * 102 / 130), 416 - int(sy * 34 / 59));
    EXPECT_EQ(frame.canvas(25)->image().pixel(best - QPoint(1, 1)), qRgb(255, 0, 0));
    expect_menus_as_before();
}

TEST_F(RankWindowsTest, RocRefusalsAndCancelDrawNothing)
{
    scripted("dialog 122\n  press Cancel\n", [&] { rocplot(ctx, call); });
    EXPECT_FALSE(frame.is_open(kRocWindow));
    EXPECT_TRUE(topics.empty());
    call.ynames = {"low", "bwt"};
    scripted("answer ok\n", [&] { rocplot(ctx, call); });
    scripted("answer ok\n", [&] { qrocplot(ctx, call); });
    const auto log = log_lines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(files::rtrim(log[0]), "Multivariate Y: cannot do ROC");
    EXPECT_EQ(files::rtrim(log[1]), "Multivariate Y: cannot do QROC");
    EXPECT_FALSE(frame.is_open(kQrocWindow));
    expect_menus_as_before();
}

TEST_F(RankWindowsTest, QrocSuperimposedCurvesTakeTheirOwnColoursAndAKey)
{
    lines.names[1] = "all";
    scripted("dialog 136\n  set Superimpose = on\n  set 1004 = 1\n  press OK\n"
             "dialog 136\n  set 1004 = 2\n  press OK\n"
             "dialog 136\n  set 1004 = 1\n  press OK\n"
             "dialog 136\n  press Cancel\n",
             [&] { qrocplot(ctx, call); });
    EXPECT_EQ(topics, (std::vector<std::string>{"Rank: QROC curves"}));
    // Cut 1: Q = 136/189, Se = 34/59, FPR = 102/130; QI(1) = (Se - Q)/(1 - Q),
    // QI(0) = (Q - FPR)/Q.
    EXPECT_EQ(count_lines(" Cut of lwt                 QI(1)       QI(0)"), 2);
    EXPECT_EQ(count_lines(" lwt > 110" + std::string(16, ' ') + "-0.511      -0.090"), 2);
    // Squares of half side 2 (superimposed), curve by curve: three colours,
    // which the key (bold: each name twice) repeats beside the names; the
    // third curve's cut label is in its colour, below the first's.
    std::vector<int> colours;
    for (const auto& r : calls(kQrocWindow, "rectangle"))
        if (r.points[1].x() - r.points[0].x() == 4 && r.colour != 0x0000ff &&
            (colours.empty() || colours.back() != r.colour))
            colours.push_back(r.colour);
    ASSERT_EQ(colours.size(), 3u);
    std::vector<std::pair<std::string, int>> key, labels;
    for (const auto& t : calls(kQrocWindow, "text")) {
        if (t.text == "lwt" || t.text == "all") key.emplace_back(t.text, t.colour);
        if (files::rtrim(t.text) == "lwt > 110") labels.emplace_back(std::to_string(t.points[0].y()), t.colour);
    }
    const std::pair<std::string, int> one{"lwt", colours[0]}, two{"all", colours[1]}, three{"lwt", colours[2]};
    EXPECT_EQ(key, (std::vector<std::pair<std::string, int>>{one, one, two, two, one, one, two, two, three, three}));
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[1].second, colours[2]);
    EXPECT_GT(std::stoi(labels[1].first), std::stoi(labels[0].first));
    int xtitles = 0;
    for (const auto& t : calls(kQrocWindow, "text")) xtitles += t.text == "QI(0)";
    EXPECT_EQ(xtitles, 2); // the axes drawn once (the title in bold: twice over)
    // The variable list takes a single choice: only the lowest would be drawn.
    const platform::DialogTemplate* d = dialogs.find(kQrocDialog);
    ASSERT_NE(d, nullptr);
    const auto list = std::find_if(d->controls.begin(), d->controls.end(),
                                   [](const auto& c) { return c.id == rank_dialog_ids::kList; });
    ASSERT_NE(list, d->controls.end());
    EXPECT_FALSE(list->has_style("multi") || list->has_style("extended"));
    expect_menus_as_before();
}

TEST(SuperimposedColour, BlueFirstThenEachToldApartFromTheOthersTheReferenceLineBlackAndWhite)
{
    // Apart: one of the red, green and blue parts differs by 0x60 at least.
    std::vector<int> seen{0x000000, 0xffffff, 0x0000ff};
    for (int k = 1; k <= 6; ++k) {
        const int c = superimposed_colour(k);
        for (int o : seen)
            EXPECT_TRUE(std::abs((c & 0xff) - (o & 0xff)) >= 0x60 ||
                        std::abs((c >> 8 & 0xff) - (o >> 8 & 0xff)) >= 0x60 ||
                        std::abs((c >> 16) - (o >> 16)) >= 0x60);
        seen.push_back(c);
    }
    EXPECT_EQ(seen[3], 0xff0000);
}

TEST_F(RankWindowsTest, EffcutsReadsEachCutsOwnValue)
{
    // Line 2 has six cuts, attributes 4..9; the values are by attribute number.
    lines.ncuts = {3, 6};
    lines.attoff = {0, 3, 9};
    lines.names = {"age", "bwt"};
    lines.labels = {"a1", "a2", "a3", "c > 1", "c > 2", "c > 3", "c > 4", "c > 5", "c > 6"};
    const std::vector<double> attg{0.9, 0.8, 0.7, 0.1, 0.3, 0.5, 0.5, 0.2, 0.4};
    EffcutsCall e{&lines, attg, 0.9, "Within MSE"};
    scripted("dialog 399\n  set 1004 = 2\n  press OK\ndialog 399\n  press Cancel\n", [&] { effcuts(ctx, e); });
    const auto log = log_lines();
    const std::vector<std::string> want{
        " Cuts v effectiveness plot drawn for bwt",     "    Cut   Defn                   Effectiveness",
        "     1     c > 1                0.100000E+00", "     2     c > 2                0.300000E+00",
        "     3     c > 3                0.500000E+00", "     4     c > 4                0.500000E+00",
        "     5     c > 5                0.200000E+00", "     6     c > 6                0.400000E+00"};
    ASSERT_GE(log.size(), want.size());
    EXPECT_EQ(std::vector<std::string>(log.end() - 8, log.end()), want);
    // Six cuts: the first, the best (the first of the tie) and the last labelled,
    // 15 pixels left of and 25 below their cut. By hand: the window is 620 x 520;
    // x takes 0.585 x 620 = 362.7 pixels for cuts 1..6 (72.54 a cut), from x
    // trunc(93 - 72) = 21; y takes 0.6 x 520 = 312 pixels for 0..0.65 up from 416.
    const auto cut_x = [](int j) { return 21 + int(j * 72.54); };
    std::vector<std::string> labelled;
    for (const auto& t : calls(kEffcutsWindow, "text"))
        if (t.text.starts_with("c > ")) {
            const int j = t.text.back() - '0';
            EXPECT_EQ(t.points[0], QPoint(cut_x(j) - 15, 416 + 25)) << t.text;
            labelled.push_back(t.text);
        }
    EXPECT_EQ(labelled, (std::vector<std::string>{"c > 1", "c > 3", "c > 6"}));
    EXPECT_EQ(cut_x(1), 93);
    // A tick (10 to 5 pixels below the data area) and a point at every cut, each
    // where the cut's label stands: the x axis steps by one cut.
    std::vector<int> ticks, points;
    for (const auto& l : calls(kEffcutsWindow, "lineto"))
        if (l.points.size() == 2 && l.points[0] == QPoint(l.points[1].x(), 426) && l.points[1].y() == 421)
            ticks.push_back(l.points[0].x());
    for (const auto& r : calls(kEffcutsWindow, "rectangle"))
        if (r.colour == 0x000000 && r.points[1].x() - r.points[0].x() == 6) points.push_back(r.points[0].x() + 3);
    std::vector<int> cuts;
    for (int j = 1; j <= 6; ++j) cuts.push_back(cut_x(j));
    EXPECT_EQ(ticks, cuts);
    EXPECT_EQ(points, cuts);
    bool best_red = false; // the best cut's red mark at (cut 3, 0.5)
    for (const auto& r : calls(kEffcutsWindow, "rectangle"))
        best_red |= r.colour == 0x0000ff &&
                    QRect(r.points[0], r.points[1]).contains(QPoint(cut_x(3), 416 - int(0.5 * 312 / 0.65)));
    EXPECT_TRUE(best_red);

    // A zero maximum: the note and no dialog.
    e.maximum = 0;
    scripted("", [&] { effcuts(ctx, e); });
    EXPECT_EQ(topics.back(), "NOTE: maximum effectiveness is zero !");
    expect_menus_as_before();
}

} // namespace

#include "plots/rank_plot.h"

namespace {

// Lines: 1 "age" (cuts ">20", ">30", ">40": attributes 1-3), 2 "race" (4), 3
// "low" (5), the Y by name. Ranked: low 0.9, age 0.5 (its cut 2), race 0.4.
class RankPlotTest : public RankWindowsTest {
protected:
    void SetUp() override
    {
        RankWindowsTest::SetUp();
        lines.offered = {3, 1, 2};
        lines.ncuts = {3, 1, 1};
        lines.attoff = {0, 3, 4, 5};
        lines.names = {"age", "race", "low"};
        lines.labels = {">20", ">30", ">40", "=white", "=1"};
        lines.optimised = {2, 1, 1};
        rp.lines = &lines;
        rp.attname = {"age$$$$$", "age$$$$$", "age$$$$$", "race$$$$", "low$$$$$"};
        rp.attcol = {2, 2, 2, 3, 1};
        rp.attg = attg;
        rp.addedno = {0, 0, 0, 0, 0};
        rp.rankg = {0.9, 0.5, 0.4};
        rp.rankp = {0.0004, 0.02, 0.2};
        rp.rankline = {3, 1, 2};
        rp.rankn = {10, 10, 8};
        rp.nobsin = 10;
        rp.icrit = 5;
        rp.critname = "Chi-square";
        rp.ynames = {"low"};
        rp.ycols = {1};
        rp.maxatt = 55;
        rp.lpf = {2, 1, 1};
        rp.banned = {false, false, false};
    }
    // Window pixel of shown rank r at G (the axes of the last drawing).
    QPoint point(int r, double g) const
    {
        return {int(r * ctx.plot.plotscale.x + ctx.plot.vieworg.x),
                int(ctx.plot.vieworg.y - ctx.plot.plotscale.y * g)};
    }
    std::string click(QPoint p) { return "click 12 " + std::to_string(p.x()) + " " + std::to_string(p.y()) + "\n"; }

    const std::vector<double> attg{0.2, 0.5, 0.3, 0.4, 0.9};
    RankPlotCall rp;
};

TEST_F(RankPlotTest, EscWritesTheRankingTableAndLeavesTheWindow)
{
    scripted("click 12 10 5\n", [&] { rankplot(ctx, random, rp); });
    EXPECT_TRUE(rp.ended);
    const auto log = log_lines();
    ASSERT_EQ(log.size(), 9u);
    EXPECT_EQ(log[0], " Rank   Attribute                            Chi-square            P>chi^2     N");
    EXPECT_EQ(log[1], " " + std::string(82, '-'));
    // Columns (from 1): 2 ban mark, 5-8 position, 10-29 label, 30-47 cuts,
    // 48-60 G, 62-72 P, 74-76 stars, 77-83 N, 86 ban mark.
    const auto col = [](const std::string& s, int a, int b) { return s.substr(a - 1, b - a + 1); };
    const std::string& age = log[3];
    EXPECT_EQ(col(age, 5, 8), "   2");
    EXPECT_EQ(col(age, 10, 29), "age>30              ");
    EXPECT_EQ(col(age, 30, 47), "best over  3 cuts ");
    EXPECT_EQ(col(age, 48, 60), " 0.500000E+00");
    EXPECT_EQ(col(age, 62, 72), "0.20000E-01");
    EXPECT_EQ(col(age, 74, 76), "*  ");
    EXPECT_EQ(col(age, 77, 83), "     10");
    EXPECT_EQ(col(log[2], 74, 76), "***");
    EXPECT_EQ(col(log[2], 10, 29), "low=1               ");
    EXPECT_EQ(files::rtrim(col(log[7], 74, 83)), "         8");
    // Each cut under its line with its own value.
    EXPECT_EQ(log[4], "                 >20                            0.20000E+00");
    EXPECT_EQ(log[5], "                 >30                            0.50000E+00");
    EXPECT_EQ(log[6], "                 >40                            0.30000E+00");
    EXPECT_EQ(log[8], log[1]);
    EXPECT_EQ(rp.rankpos, (std::vector<int>{2, 3, 1}));
    EXPECT_FALSE(rp.onecut);
    std::string last_row;
    for (const auto& t : calls(kRankWindow, "text"))
        if (t.points[0].y() <= 2) last_row = t.text;
    EXPECT_EQ(files::rtrim(last_row), "Window not active. Rank:Attributes Rank Plot to activate");
    // The Y's own line is hidden: two labels, blue, turned 45 degrees up.
    std::vector<std::string> labels;
    for (const auto& t : calls(kRankWindow, "text"))
        if (t.colour == 0xff0000 && t.points[0].y() > 15) labels.push_back(t.text);
    EXPECT_EQ(labels, (std::vector<std::string>{"age>30", "race=white"}));
    const QPoint start = point(1, 0.5) - QPoint(10, 10);
    const QImage& img = frame.canvas(kRankWindow)->image();
    int up = 0, level = 0;
    for (int d = 8; d < 30; ++d)
        for (int e = -3; e <= 3; ++e) {
            up += img.pixel(start.x() + d + 5 + e, start.y() - d + 5 + e) == qRgb(0, 0, 255);
            level += img.pixel(start.x() + d + 10, start.y() + 6 + e) == qRgb(0, 0, 255);
        }
    EXPECT_GT(up, 5);
    EXPECT_EQ(level, 0);
    expect_menus_as_before();
}

TEST_F(RankPlotTest, ClicksBanAndUnbanAllAndBanndRestore)
{
    scripted("click 12 10 5\n", [&] { rankplot(ctx, random, rp); }); // the geometry of the plot
    log.flush();
    const std::size_t before = log_lines().size();
    rp.banned = {false, false, true}; // the Y's line banned, and its attributes make Y
    rp.yattline = 3;
    const QPoint age = point(1, 0.5), race = point(2, 0.4);
    scripted(click(age) + click(race) + click(race) + "click 12 240 5\nclick 12 240 5\nclick 12 240 5\n" +
                 "click 12 10 5\n",
             [&] { rankplot(ctx, random, rp); });
    auto log = log_lines();
    log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(before));
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(log[0], " Attribute clicked on is now banned in search: age>30");
    EXPECT_EQ(log[1], " Attribute clicked on is now banned in search: race=white"); // the unban is not logged
    EXPECT_EQ(log[2], " \"All\" button clicked.");
    EXPECT_EQ(log[3], " \"Banned\" button clicked.");
    EXPECT_EQ(log[4], " \"All\" button clicked.");
    // After All: every line free but the Y's own, which stays banned.
    EXPECT_EQ(rp.banned, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(log[7].substr(0, 2), " ["); // the table row of the banned Y line
    EXPECT_EQ(log[8].substr(0, 2), "  ");
    bool grey = false; // a banned line's label
    for (const auto& t : calls(kRankWindow, "text")) grey |= t.text == "age>30" && t.colour == 0xaaaaaa;
    EXPECT_TRUE(grey);
    expect_menus_as_before();

    // Bannd restores what All saved.
    rp.banned = {true, false, true};
    scripted("click 12 240 5\nclick 12 240 5\nclick 12 10 5\n", [&] { rankplot(ctx, random, rp); });
    EXPECT_EQ(rp.banned, (std::vector<bool>{true, false, true}));
}

TEST_F(RankPlotTest, NegativeCutsMarkedAtTheirShownRank)
{
    // Cuts of negative correlation: age's ">30" (attribute 2), race (4) and the
    // hidden Y line's own (5). The marks go to the ranks counted over the lines
    // shown: age at rank 1, race at rank 2; none for the hidden line.
    const std::vector<double> corr{0.3, -0.2, 0.1, -0.4, -0.9};
    rp.attcorr = corr;
    rp.posfixed = true;
    scripted("click 12 200 5\nclick 12 10 5\n", [&] { rankplot(ctx, random, rp); });
    const double sx = ctx.plot.plotscale.x, sy = ctx.plot.plotscale.y;
    const int ox = ctx.plot.vieworg.x, oy = ctx.plot.vieworg.y;
    std::vector<QPoint> centres;
    for (const auto& e : calls(kRankWindow, "ellipse"))
        if (e.colour == 0x0000ff && e.fill == platform::Fill::interior)
            centres.push_back((e.points[0] + e.points[1]) / 2);
    ASSERT_EQ(centres.size(), 2u);
    const QPoint want[2] = {{ox + int(sx), oy - int(sy * 0.5)}, {ox + int(2 * sx), oy - int(sy * 0.4)}};
    for (int k = 0; k < 2; ++k) {
        EXPECT_LE(std::abs(centres[k].x() - want[k].x()), 2) << k;
        EXPECT_LE(std::abs(centres[k].y() - want[k].y()), 2) << k;
    }
}

TEST_F(RankPlotTest, CutsOverlayAndMissingShares)
{
    // Miss% stays grey while every line shown among the first m list positions
    // used all observations (race, short of 2, lies at list position 3 > m = 2).
    rp.rankn = {10, 10, 8};
    scripted("click 12 290 5\nclick 12 10 5\n", [&] { rankplot(ctx, random, rp); });
    for (const auto& t : calls(kRankWindow, "text")) EXPECT_NE(t.text, "  20.00%");
    frame.canvas(kRankWindow)->clear_journal();
    // Cuts: age's other cuts at their own values, dashed up to its G, squares at
    // rank 1; Miss% shows the shares missing.
    rp.rankn = {10, 9, 8};
    scripted("click 12 100 5\nclick 12 290 5\nclick 12 10 5\n", [&] { rankplot(ctx, random, rp); });
    const double sx = ctx.plot.plotscale.x, sy = ctx.plot.plotscale.y;
    const int ox = ctx.plot.vieworg.x, oy = ctx.plot.vieworg.y;
    std::vector<std::string> cut_labels, suffixes;
    for (const auto& t : calls(kRankWindow, "text")) {
        if (t.colour == 0 && (t.text == ">20" || t.text == ">40")) cut_labels.push_back(t.text);
        if (t.colour == 0xaa8800 && t.text.ends_with("%")) suffixes.push_back(t.text);
    }
    // Drawn after Cuts and again after Miss%.
    EXPECT_EQ(cut_labels, (std::vector<std::string>{">20", ">40", ">20", ">40"}));
    EXPECT_EQ(std::vector<std::string>(suffixes.end() - 2, suffixes.end()),
              (std::vector<std::string>{"  10.00%", "  20.00%"}));
    int squares = 0;
    for (const auto& r : calls(kRankWindow, "rectangle")) {
        if (r.colour != 0 || r.fill != platform::Fill::border) continue;
        const QPoint c = (r.points[0] + r.points[1]) / 2;
        for (double v : {0.2, 0.3})
            squares += std::abs(c.x() - (ox + int(sx))) <= 1 && std::abs(c.y() - (oy - int(sy * v))) <= 1;
    }
    EXPECT_EQ(squares, 4);
    int dashes = 0; // pieces of the dashed line at rank 1 between 0 and age's G
    for (const auto& l : calls(kRankWindow, "lineto"))
        dashes += l.points[0].x() == ox + int(sx) && l.points[1].x() == ox + int(sx) && l.points[0].y() <= oy &&
                  l.points[1].y() >= oy - int(sy * 0.5);
    EXPECT_GE(dashes, 10);
    expect_menus_as_before();
}

TEST_F(RankPlotTest, AddedLinesDarkRedAndHiddenWithAddOff)
{
    rp.addedno = {0, 0, 0, 1, 0}; // race's attribute was added by a search
    rp.nadded = 1;
    scripted("click 12 150 5\nclick 12 10 5\n", [&] { rankplot(ctx, random, rp); });
    std::vector<std::pair<std::string, int>> labels;
    for (const auto& t : calls(kRankWindow, "text"))
        if ((t.colour == 0xff0000 || t.colour == 0x0000aa) && t.points[0].y() > 15)
            labels.emplace_back(t.text, t.colour);
    // Drawn first with Add on, then again with it off.
    EXPECT_EQ(labels, (std::vector<std::pair<std::string, int>>{
                          {"age>30", 0xff0000}, {"race=white", 0x0000aa}, {"age>30", 0xff0000}}));
}

TEST_F(RankPlotTest, RanksFromOneSuffixesAfterTheirLabelsAndNothingAboveTheFrame)
{
    // A long label with its P-value: before the axis left room for it, it ran
    // above the frame, and its suffix stood apart from it.
    lines.labels[1] = ">30 and more years";
    scripted("click 12 60 5\nclick 12 10 5\n", [&] { rankplot(ctx, random, rp); });
    platform::Canvas& c = *frame.canvas(kRankWindow);
    // By hand: 800 x 600 pixels; x takes 0.75 x 0.7 x 1.4 x 800 = 588 pixels for
    // ranks 1..3 (two lines shown), 294 a rank, rank 1 at 15 % (x 120); the data
    // area's top is at 0.8 x 600 - 0.7 x 600 = 60, the frame 10 above it.
    std::vector<int> centres;
    for (const auto& r : calls(kRankWindow, "rectangle"))
        if (r.colour == 0 && r.fill == platform::Fill::interior)
            centres.push_back((r.points[0].x() + r.points[1].x()) / 2);
    ASSERT_GE(centres.size(), 2u);
    EXPECT_EQ(std::vector<int>(centres.end() - 2, centres.end()), (std::vector<int>{120, 120 + 294}));
    EXPECT_EQ(c.get_pixel_rgb(200, 50), 0x000000); // the frame's top edge
    // No label or suffix ink above the frame.
    for (int y = 16; y < 50; ++y)
        for (int x = 0; x < 800; ++x) {
            const int colour = c.get_pixel_rgb(x, y);
            EXPECT_TRUE(colour != 0xff0000 && colour != 0xaa8800) << x << "," << y;
        }
    // Each suffix starts where its label ends, along the 45-degree line: the
    // label's advance in the labels' font (size 1) over the square root of 2.
    ASSERT_GE(c.set_font("t'arial'h11w7"), 0);
    const auto texts = calls(kRankWindow, "text");
    int pairs = 0;
    for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
        // A label and its suffix (not the note under the plot, in the same colour).
        if (texts[i].colour != 0xff0000 || texts[i + 1].colour != 0xaa8800 || texts[i].points[0].y() <= 15 ||
            texts[i + 1].text.size() > 8)
            continue;
        const double run = c.text_width(texts[i].text) / std::sqrt(2.0);
        const QPoint want = texts[i].points[0] + QPoint(int(std::lround(run)), -int(std::lround(run)));
        EXPECT_LE((texts[i + 1].points[0] - want).manhattanLength(), 2) << texts[i].text;
        ++pairs;
    }
    EXPECT_EQ(pairs, 2);
}

TEST_F(RankPlotTest, SuffixesNotesAndFiftyShown)
{
    // P-value on: " 0.000" for P 0.0004 (the Y line hidden, so take it out).
    rp.ynames = {"bwt"};
    rp.ycols = {9};
    scripted("click 12 60 5\nclick 12 10 5\n", [&] { rankplot(ctx, random, rp); });
    std::vector<std::string> suffixes;
    for (const auto& t : calls(kRankWindow, "text"))
        if (t.colour == 0xaa8800 && t.points[0].y() > 15) suffixes.push_back(files::rtrim(t.text));
    ASSERT_GE(suffixes.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(suffixes.end() - 4, suffixes.end()),
              (std::vector<std::string>{"  0.000", "  0.020", "  0.200", "P- values"}));

    // 60 one-cut lines: 50 shown and the note for the rest.
    const int n = 60;
    lines.ncuts.assign(n, 1);
    lines.attoff.assign(1, 0);
    lines.labels.assign(n, "=1");
    rp.attname.assign(n, "v$$$$$$$");
    rp.attcol.assign(n, 2);
    rp.addedno.assign(n, 0);
    rp.rankg.clear(), rp.rankp.assign(n, 0.5), rp.rankline.clear(), rp.rankn.assign(n, 10);
    for (int k = 1; k <= n; ++k) {
        lines.attoff.push_back(k);
        rp.rankline.push_back(k);
        rp.rankg.push_back(1.0 - k / 100.0);
    }
    std::vector<double> g(rp.rankg);
    rp.attg = g;
    rp.lpf.assign(n, 1);
    rp.maxatt = n + 50;
    rp.banned.assign(n, false);
    scripted("click 12 10 5\n", [&] { rankplot(ctx, random, rp); });
    EXPECT_TRUE(rp.onecut);
    bool note = false;
    int shown = 0;
    for (const auto& t : calls(kRankWindow, "text")) {
        note |= files::rtrim(t.text) == "Attributes rank  51 to   60 not shown";
        shown += t.colour == 0xff0000 && t.text == "v=1";
    }
    EXPECT_TRUE(note);
    EXPECT_EQ(shown, 50);
}

} // namespace
