// The distribution plot window offscreen: views, bars and the bins dialog by
// scripted clicks under the fake clock, the journal's shapes and colours, pixel
// reads of bars, the log's lines, the menus after every exit, the process
// window's overlays, the random-partition plot, and the acceptance pictures.
#include "example_csv.h"
#include "platform/canvas.h"
#include "platform/events.h"
#include "platform/fonts.h"
#include "platform/window.h"
#include "plots/random_plot.h"
#include "plots/yhist.h"
#include "ui/ui_fixture.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>

using namespace meru;

namespace {

struct Click {
    int x, y;
    bool right = false;
    int key = 0; // a key typed into the window instead of a click
};
constexpr Click kEscKey{0, 0, false, 27};
// Main-bar buttons: the centre of button b is at x = 45 b - 22.
Click button(int b) { return {45 * b - 22, 5}; }

// One click at each mouse wait; once the clicks are used up "Esc" ends any wait.
class ClickFeed {
public:
    ClickFeed(platform::Frame& frame, std::deque<Click> clicks) : clicks_(std::move(clicks))
    {
        platform::set_clock(&clock_);
        previous_ = platform::set_wait_hook([&frame, this](platform::WaitPoint point, int) {
            if (point != platform::WaitPoint::mouse) return;
            if (before) before(waits);
            ++waits;
            auto* w = frame.window(frame.active());
            if (!w) return;
            Click c = button(1);
            if (!clicks_.empty()) {
                c = clicks_.front();
                clicks_.pop_front();
            } else {
                ++overrun;
            }
            if (c.key != 0) {
                w->type_key({c.key, false});
            } else if (c.right) {
                w->mouse_event(platform::mouse_right_down, platform::mouse_ks_right, c.x, c.y);
            } else {
                w->mouse_event(platform::mouse_left_down, platform::mouse_ks_left, c.x, c.y);
                w->mouse_event(platform::mouse_left_up, 0, c.x, c.y);
            }
        });
    }
    ~ClickFeed()
    {
        platform::set_wait_hook(previous_);
        platform::set_clock(nullptr);
    }
    int overrun = 0;
    int waits = 0;
    std::function<void(int)> before; // called with the wait's number before its click

private:
    platform::FakeClock clock_;
    platform::WaitHook previous_;
    std::deque<Click> clicks_;
};

using test::csv_column;

class YhistTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ctx.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        frame.set_journaling(true);
    }

    // A sorted sample with weight 1 each (or the given weights).
    void sample(std::vector<double> v, std::vector<long long> w = {})
    {
        if (w.empty()) {
            std::sort(v.begin(), v.end());
            w.assign(v.size(), 1);
        }
        x = std::move(v);
        wt = std::move(w);
    }

    plots::DistCall call(bool interactive = true)
    {
        plots::DistCall c;
        c.x = x;
        c.w = wt;
        c.nobs = 0;
        for (long long w : wt) c.nobs += std::abs(w);
        c.title = "Y:Distribution";
        c.name = "bwt";
        c.interactive = interactive;
        c.mark = true;
        c.markvalue = x.empty() ? 0.0 : x[x.size() / 2];
        c.lower = x.empty() ? 0.0 : x.front();
        c.upper = x.empty() ? 0.0 : x.back();
        return c;
    }

    int run(plots::DistCall& c, std::deque<Click> clicks)
    {
        ClickFeed feed(frame, std::move(clicks));
        const int status = plots::yhist(ctx, state, c);
        overrun = feed.overrun;
        return status;
    }

    platform::Canvas& canvas(int unit = plots::kDistWindow) { return *frame.canvas(unit); }
    std::vector<platform::DrawCall> calls(const std::string& op, int unit = plots::kDistWindow)
    {
        std::vector<platform::DrawCall> out;
        for (const auto& c : canvas(unit).journal())
            if (c.op == op) out.push_back(c);
        return out;
    }
    bool has_text(const std::string& t, int unit = plots::kDistWindow)
    {
        for (const auto& c : calls("text", unit))
            if (c.text == t) return true;
        return false;
    }
    bool logged(const std::string& line)
    {
        const auto lines = log_lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    int pixel(int wx, int wy, int unit = plots::kDistWindow)
    {
        const unsigned argb = canvas(unit).image().pixel(wx, wy);
        return static_cast<int>(((argb & 0xff) << 16) | (argb & 0xff00) | ((argb >> 16) & 0xff));
    }
    // Window pixel of data point (u, v).
    QPoint at(double u, double v) const
    {
        const auto& p = ctx.plot;
        return {p.vieworg.x + ui::plot_pixel(u * p.plotscale.x), p.vieworg.y - ui::plot_pixel(v * p.plotscale.y)};
    }
    void expect_menus_as_before()
    {
        EXPECT_EQ(menus.off_depth(), 0);
        for (int m = 3; m <= 12; ++m) EXPECT_TRUE(menus.usable(m, 1)) << m;
        EXPECT_FALSE(menus.usable(5, 2));
    }
    static QString shots()
    {
        const char* env = std::getenv("MERU_E2E_SHOTS");
        const QString folder = env && *env ? QString(env) : QDir::tempPath();
        QDir().mkpath(folder);
        return folder;
    }

    std::vector<double> x;
    std::vector<long long> wt;
    plots::DistWindowState state;
    std::vector<std::string> topics;
    int overrun = 0;
};

TEST_F(YhistTest, FirstDisplayIsThePercentagesAndEscGivesTheMenusBack)
{
    sample({1, 2, 2, 3, 3, 3, 4, 5, 6, 7});
    plots::DistCall c = call();
    EXPECT_EQ(run(c, {button(1)}), -1);
    EXPECT_EQ(c.title, "Y:Distribution");
    EXPECT_TRUE(logged(" Creating Relative Frequencies of unique values"));
    EXPECT_TRUE(has_text("Esc") || has_text("Window not active for mouse "));
    // ten values: bars 2 pixels either side of trunc(sx x), 30 % high for the value 3
    const auto rects = calls("rectangle");
    const double sx = ctx.plot.plotscale.x, sy = ctx.plot.plotscale.y;
    const int x3 = ctx.plot.vieworg.x + ui::plot_pixel(sx * 3);
    const int y3 = ctx.plot.vieworg.y - ui::plot_pixel(sy * 30.0);
    bool found = false;
    for (const auto& r : rects)
        if (r.colour == plots::kCurveColour && r.points.size() == 2 && r.points[0].x() == x3 - 2 &&
            r.points[1].x() == x3 + 2 && std::min(r.points[0].y(), r.points[1].y()) == y3)
            found = true;
    EXPECT_TRUE(found);
    EXPECT_EQ(pixel(x3, (ctx.plot.vieworg.y + y3) / 2), plots::kCurveColour);
    expect_menus_as_before();
    EXPECT_EQ(overrun, 0);
}

TEST_F(YhistTest, TenValuesOfferNoGroupingElevenShowTheBinsBar)
{
    sample({1, 2, 2, 3, 3, 3, 4, 5, 6, 7});
    plots::DistCall c = call();
    run(c, {button(3), button(3), button(1)}); // the second Bar_n is ignored
    EXPECT_FALSE(has_text("Bins+"));
    expect_menus_as_before();

    sample({1, 2, 2, 3, 3, 3, 4, 5, 6, 7, 8});
    c = call();
    canvas().clear_journal();
    run(c, {button(3), button(3), button(2), button(1), button(1)}); // Bins+ draws 5 bins
    EXPECT_TRUE(has_text("Bins+"));
    EXPECT_TRUE(has_text("Bar Grouped"));
    const auto lines = log_lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Histogram bins: starting      1.000000 width      1.400000"),
              lines.end());
    expect_menus_as_before();
    EXPECT_EQ(overrun, 0);
}

TEST_F(YhistTest, EscKeyLeavesEveryBarThatStartsWithEsc)
{
    // The density bar (PDF), then the bins bar (Bar_n twice), each left by the
    // Esc key, and then the main bar: the window's Esc typed, never clicked.
    sample({1, 2, 2, 3, 3, 3, 4, 5, 6, 7, 8});
    plots::DistCall c = call();
    EXPECT_EQ(run(c, {button(2), kEscKey, button(3), button(3), kEscKey, kEscKey}), -1);
    EXPECT_EQ(overrun, 0);
    expect_menus_as_before();
}

TEST_F(YhistTest, BirthweightsDensityAndTheHistogramOfR)
{
    sample(csv_column("birthwt.csv", "bwt"));
    plots::DistCall c = call();
    // PDF (Esc on the density bar), Bar_n, Bar_n (bins bar), Bins+, Bins-, Esc, Esc
    run(c, {button(2), button(1), button(3), button(3), button(2), button(3), button(1), button(1)});
    EXPECT_EQ(overrun, 0);
    EXPECT_TRUE(has_text("Normal Kernel std.dev=    35.675000"));
    const auto lines = log_lines();
    const auto head =
        std::find(lines.begin(), lines.end(), "Histogram bins: starting    709.000000 width    329.307692");
    ASSERT_NE(head, lines.end());
    const int want[] = {2, 2, 3, 12, 21, 29, 29, 34, 26, 22, 7, 1, 0, 1};
    for (int j = 0; j < 14; ++j) {
        const std::string& line = *(head + 1 + j);
        EXPECT_EQ(std::stoi(line.substr(line.size() - 6)), want[j]) << line;
    }
    EXPECT_TRUE(has_text("Bin width=   329.307692 starting at    709.000000"));
    // Each bar over its own bin (13 bins of b = 4281/13 from 709, and the last one
    // from 4990 up). Worked by hand: x takes 0.72 x 600 = 432 pixels for 709 to
    // the last bin's end 709 + 14 b, from x 90 - trunc(709 x 432 / (14 b)) = 24;
    // y 0.6 x 520 = 312 pixels for 0..34 births, up from y 416; edges rounded.
    const double b = 4281.0 / 13;
    const auto edge = [b](double u) { return 24 + static_cast<int>(u * 432.0 / (14 * b) + 0.5); };
    const auto py = [](double births) { return 416 - static_cast<int>(births * 312.0 / 34.0); };
    const int left7 = edge(709 + 7 * b), right7 = edge(709 + 8 * b); // bin 7: 34 births
    EXPECT_EQ(left7, 306);
    EXPECT_EQ(right7, 337);
    EXPECT_LE(edge(709 + 14 * b), 90 + 432); // the last bin ends inside the data area
    EXPECT_EQ(pixel(left7 + 2, py(33)), plots::kCurveColour);
    EXPECT_EQ(pixel(right7 - 2, py(33)), plots::kCurveColour); // bin 8 next to it holds 26
    EXPECT_EQ(pixel(right7, py(17)), plots::kBarEdge);
    EXPECT_EQ(pixel(left7 - 3, py(30)), 0xffffff); // bin 6 holds 29
    EXPECT_EQ(pixel(right7 + 3, py(30)), 0xffffff);
    EXPECT_EQ(pixel(right7 + 3, py(25)), plots::kCurveColour);
    EXPECT_EQ(state.bandwidth, 329.307692 * 0 + state.bins.width);
    expect_menus_as_before();
}

TEST_F(YhistTest, DensityCurveBandwidthStepsAndLimits)
{
    sample({1, 2, 2, 3, 5, 8, 8, 9, 12, 13, 20});
    plots::DistCall c = call();
    run(c, {button(2), button(2), button(3), button(4), {50, 300, true}, button(1)});
    EXPECT_EQ(overrun, 0);
    const auto lines = calls("lineto");
    int curve = 0;
    for (const auto& l : lines) curve += l.colour == plots::kCurveColour;
    EXPECT_GE(curve, 3 * 500); // three curves of 500 segments
    EXPECT_NEAR(state.bandwidth, 19.0 / 20 * 1.1 * 0.9, 1e-12);
    EXPECT_EQ(std::count(topics.begin(), topics.end(), "Note: Band+ Band-"), 1);
    EXPECT_EQ(state.density.size(), 500u);
    expect_menus_as_before(); // the right click left the density bar as Esc does

    // Band+ past the range: the note, and the stored bandwidth divided by 1.1
    state.bandwidth = 19.0;
    c = call();
    c.open = false;
    topics.clear();
    run(c, {button(2), button(2), button(1), button(1)});
    EXPECT_NE(std::find(topics.begin(), topics.end(), "NOTE: upper bandwidth limit"), topics.end());
}

TEST_F(YhistTest, DensityCurveInsideTheFrameAndCategoriesWithoutNumberedTicks)
{
    // The kernel grid runs 20 grid steps (19/460 each) past the data at both ends;
    // the frame is 10 pixels outside the data area: x 90 - 10 to 90 + 432 + 10.
    sample({1, 2, 2, 3, 5, 8, 8, 9, 12, 13, 20});
    plots::DistCall c = call();
    run(c, {button(2), button(1), button(1)});
    int curve = 0;
    for (const auto& l : calls("lineto"))
        if (l.colour == plots::kCurveColour)
            for (const QPoint& p : l.points) {
                EXPECT_GE(p.x(), 80);
                EXPECT_LE(p.x(), 532);
                ++curve;
            }
    EXPECT_GE(curve, 500);

    // Codes 10, 11, 12 are the categories A, B, C: only their letters stand
    // under the axis, no numbered ticks.
    canvas().clear_journal();
    sample({10, 10, 11, 12, 12, 12});
    const std::vector<int> cats{10, 11, 12};
    c = call();
    c.discrete = true;
    c.categories = cats;
    run(c, {button(1)});
    std::vector<std::string> under;
    for (const auto& t : calls("text"))
        if (t.points[0].y() > 416 + 5 && t.points[0].y() < 416 + 24) under.push_back(t.text);
    EXPECT_EQ(under, (std::vector<std::string>{"A", "A", "B", "B", "C", "C"})); // each bold, twice
}

TEST_F(YhistTest, KaplanMeierSurvivalOfLungWithTheMedianMark)
{
    const auto time = csv_column("lung.csv", "time");
    const auto dead = csv_column("lung.csv", "dead");
    std::vector<std::pair<double, int>> v;
    for (std::size_t i = 0; i < time.size(); ++i) v.push_back({time[i], dead[i] == 1.0 ? 1 : -1});
    std::sort(v.begin(), v.end());
    std::vector<double> xs;
    std::vector<long long> ws;
    for (auto [t, w] : v) xs.push_back(t), ws.push_back(w);
    sample(xs, ws);
    plots::DistCall c = call();
    c.name = "time";
    ClickFeed feed(frame, {button(6), button(1)});
    feed.before = [&](int wait) {
        if (wait == 1) {
            EXPECT_TRUE(frame.save_canvas_png(plots::kDistWindow, QDir(shots()).filePath("yhist_lung_survival.png")));
        }
    };
    plots::yhist(ctx, state, c);
    EXPECT_TRUE(state.median_found);
    EXPECT_EQ(state.median_px, ui::plot_pixel(ctx.plot.plotscale.x * 310));
    EXPECT_TRUE(has_text("median"));
    EXPECT_TRUE(logged(" Creating Survival plot"));
    // the step at the first event (t = 5, one death of 228) from height 1
    const auto steps = calls("lineto");
    const int x5 = ctx.plot.vieworg.x + ui::plot_pixel(ctx.plot.plotscale.x * 5);
    bool found = false;
    for (const auto& s : steps)
        if (s.colour == plots::kCurveColour && s.points.size() == 2 && s.points[1].x() == x5) found = true;
    EXPECT_TRUE(found);
    EXPECT_TRUE(has_text("Kaplan-Meier Survival"));
    expect_menus_as_before();
}

TEST_F(YhistTest, ProcessWindowDrawsBothSidesWhicheverIsTaller)
{
    sample({1, 2, 3, 3, 4});
    std::vector<double> x2{1, 1, 1, 1, 2};
    std::vector<long long> w2(5, 1);
    plots::DistCall c = call(false);
    c.label = " A";
    EXPECT_EQ(run(c, {}), 0);
    EXPECT_TRUE(frame.is_open(plots::kProcessDistWindow));
    plots::DistCall o = call(false);
    o.x = x2;
    o.w = w2;
    o.label = "A-";
    o.overlay = true;
    o.open = false;
    run(o, {});
    // A- reaches 80 %, above A's axis (40 %): the axis is set again to 0..80 and
    // A drawn again under A-. Worked by hand: 600 x 520 pixels; y: 0.6 x 520 =
    // 312 pixels for 0..80 % up from y 416; x: 0.72 x 600 = 432 pixels for
    // 0.5..4.5 (five values widen 1..4 by a half), 108 a unit, from x
    // 90 - 54 = 36. A's bars end at their value, A-'s start a pixel after it,
    // 6 pixels wide.
    EXPECT_TRUE(o.overlay);
    const auto px = [](double u) { return 36 + static_cast<int>(108 * u); };
    const auto py = [](double pct) { return 416 - static_cast<int>(3.9 * pct); };
    const int a3 = px(3); // A: 40 % at 3
    EXPECT_EQ(pixel(a3 - 3, py(40) + 1, plots::kProcessDistWindow), plots::kCurveColour);
    EXPECT_EQ(pixel(a3 - 3, py(40) - 2, plots::kProcessDistWindow), 0xffffff);
    EXPECT_EQ(pixel(a3 - 3, py(20), plots::kProcessDistWindow), plots::kCurveColour);
    const int m1 = px(1); // A-: 80 % at 1, A: 20 % left of it
    EXPECT_EQ(pixel(m1 + 4, py(80) + 1, plots::kProcessDistWindow), plots::kSecondColour);
    EXPECT_EQ(pixel(m1 + 4, py(80) - 2, plots::kProcessDistWindow), 0xffffff);
    EXPECT_EQ(pixel(m1 - 3, py(10), plots::kProcessDistWindow), plots::kCurveColour);
    EXPECT_EQ(pixel(m1 - 3, py(30), plots::kProcessDistWindow), 0xffffff);
    const auto lines = log_lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), " Creating Relative Frequencies of unique values"), 1);
    // the "A-" legend: A and its 6-pixel bar in the second colour
    bool bar = false;
    for (const auto& l : calls("lineto", plots::kProcessDistWindow))
        if (l.colour == plots::kSecondColour && l.points.size() == 2 && l.points[0].y() == l.points[1].y() &&
            std::abs(l.points[1].x() - l.points[0].x()) == 6)
            bar = true;
    EXPECT_TRUE(bar);
    EXPECT_TRUE(has_text("A", plots::kProcessDistWindow));
    expect_menus_as_before();
}

TEST_F(YhistTest, RandomPartitionDistributionsWithTheirResultLines)
{
    std::vector<double> rand{-0.5, 0.1, 0.2, 0.4, 0.9};
    std::vector<long long> rf{3, 1, 2, 1, 1};
    std::vector<double> search{0.3, 0.6, 0.8};
    std::vector<long long> sf{1, 1, 1};
    plots::ProcessDistributionPlot plot(ctx, state);
    ui::HistSeries s;
    s.title = "Search and random distributions";
    s.axis = "%G                  ";
    s.values = rand;
    s.freq = rf;
    s.label = "R ";
    s.lower = -0.5;
    s.upper = 0.9;
    bool first = true;
    ClickFeed feed(frame, {});
    EXPECT_FALSE(plot.yhist(s, first));
    EXPECT_FALSE(first);
    EXPECT_TRUE(state.gdist);
    EXPECT_TRUE(has_text("Random partition distribution", plots::kProcessDistWindow));
    s.values = search;
    s.freq = sf;
    s.label = "G ";
    s.overlay = true;
    s.last = true;
    s.marker = 0.5;
    EXPECT_TRUE(plot.yhist(s, first)); // the overlay of a G distribution ends the plot
    EXPECT_TRUE(has_text("Search distribution of G", plots::kProcessDistWindow));
    // Titled by what it shows; the tested G marked, though the search's curve
    // passes its median. By hand: x takes 432 pixels for -1.0..1.4 (five values
    // widen -0.5..0.9 by a half), 180 a unit, from x 90 + 180 = 270; G 0.5 at 360,
    // the label 3 pixels right of it.
    EXPECT_TRUE(has_text("Search and random distributions", plots::kProcessDistWindow));
    EXPECT_FALSE(has_text("Survival Prob", plots::kProcessDistWindow));
    EXPECT_FALSE(has_text("median", plots::kProcessDistWindow));
    int xtitle_y = -1, legend_y = -1;
    for (const auto& t : calls("text", plots::kProcessDistWindow)) {
        if (t.text == "Gtest") {
            EXPECT_EQ(t.points[0].x(), 360 + 3);
            // Between the axis' level and the frame's line 10 pixels below it, clear of both.
            EXPECT_EQ(t.points[0].y(), ctx.plot.vieworg.y + 1);
            EXPECT_LE(platform::select_font("t'Arial'h9w5")->cell_height, 9);
        }
        if (t.text == "G effectiveness") xtitle_y = t.points[0].y();
        if (t.text == "Random partition distribution" && legend_y < 0) legend_y = t.points[0].y();
    }
    EXPECT_TRUE(has_text("Gtest", plots::kProcessDistWindow));
    // The legend's first line below the axis title's line (font 2).
    const auto font2 = platform::select_font("t'arial'h12w7");
    ASSERT_TRUE(font2);
    EXPECT_GE(legend_y, xtitle_y + font2->cell_height);
    plot.text(0, -400, " # exceedances");
    EXPECT_TRUE(has_text(" # exceedances", plots::kProcessDistWindow));
    // the survival never went below 0 with frequencies (the lowest axis value is 0)
    EXPECT_EQ(state.ylow, 0.0);
    const auto lines = log_lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("Note: output") != std::string::npos; }),
              0);
    expect_menus_as_before();
}

TEST_F(YhistTest, BinsDialogCancelAndAllMissing)
{
    sample({1, 2, 2, 3, 3, 3, 4, 5, 6, 7, 8});
    plots::DistCall c = call();
    test::ModalAnswerer answers({"Cancel"});
    EXPECT_EQ(run(c, {button(3), button(3), button(4), button(1), button(1)}), -1);
    ASSERT_FALSE(answers.shown.empty());
    EXPECT_EQ(answers.shown[0].caption, "Histogram bins");
    expect_menus_as_before();

    sample({-1, -1}, {1, 1});
    c = call();
    test::ModalAnswerer ok({"OK"});
    EXPECT_EQ(run(c, {}), -1);
    ASSERT_FALSE(ok.shown.empty());
    EXPECT_EQ(ok.shown[0].text, "NOTE: all data values are missing. No plot done.");
    expect_menus_as_before();
}

TEST_F(YhistTest, BinsDialogShownAgainUntilTheBinsAreSound)
{
    sample({1, 2, 2, 3, 3, 3, 4, 5, 6, 7, 8});
    plots::DistCall c = call();
    // width 0, then a width giving 70001 bins, then start 0 width 2: 5 bins from 0
    std::deque<std::pair<std::string, std::string>> entries{{"1", "0"}, {"1", "0.0001"}, {"3", "2"}};
    int shown = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || !d->isVisible() || d->property("answered").toBool() || entries.empty()) return;
        d->setProperty("answered", true);
        ++shown;
        auto edits = d->findChildren<QLineEdit*>();
        ASSERT_EQ(edits.size(), 2);
        edits[0]->setText(QString::fromStdString(entries.front().first));
        edits[1]->setText(QString::fromStdString(entries.front().second));
        entries.pop_front();
        for (auto* b : d->findChildren<QPushButton*>())
            if (b->text().remove('&') == "OK") b->click();
    });
    timer.start(5);
    run(c, {button(3), button(3), button(4), button(1), button(1)});
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(state.bins.k, 4);
    EXPECT_DOUBLE_EQ(state.bins.start, 1.0); // a start above the smallest value is lowered to it
    EXPECT_DOUBLE_EQ(state.bins.width, 2.0);
    EXPECT_TRUE(logged("Histogram bins: starting      1.000000 width      2.000000"));
    expect_menus_as_before();
}

TEST_F(YhistTest, BinsDialogTakesItsOwnTextsOfLargeValues)
{
    // Bins a million wide: the texts the dialog shows must read back as they are.
    sample({1e7, 2e7, 2e7, 3e7, 3e7, 3e7, 4e7, 5e7, 6e7, 7e7, 8e7});
    plots::DistCall c = call();
    int shown = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || !d->isVisible() || d->property("answered").toBool()) return;
        d->setProperty("answered", true);
        const QString press = ++shown == 1 ? "OK" : "Cancel";
        for (auto* b : d->findChildren<QPushButton*>())
            if (b->text().remove('&') == press) b->click();
    });
    timer.start(5);
    const double width = [&] {
        run(c, {button(3), button(3), button(4), button(1), button(1)});
        return state.bins.width;
    }();
    EXPECT_EQ(shown, 1);
    EXPECT_GE(width, 1e6);
    expect_menus_as_before();
}

TEST_F(YhistTest, ClosingTheWindowDuringAWaitEndsThePlot)
{
    sample({1, 2, 2, 3, 5, 8, 8, 9, 12, 13, 20});
    for (int waits : {1, 2}) { // at the main bar; at the density bar
        plots::DistCall c = call();
        ClickFeed feed(frame, {button(2), button(2)});
        feed.before = [&](int wait) {
            if (wait + 1 == waits) frame.close_window(plots::kDistWindow);
        };
        EXPECT_EQ(plots::yhist(ctx, state, c), -1) << waits;
        expect_menus_as_before();
    }
}

TEST_F(YhistTest, AcceptancePictures)
{
    // birthweights: the density at its bar's wait, the 13-bin histogram at the bins bar's
    sample(csv_column("birthwt.csv", "bwt"));
    plots::DistCall c = call();
    ClickFeed feed(frame, {button(2), button(1), button(3), button(3), button(2), button(3), button(1), button(1)});
    std::vector<int> seen;
    feed.before = [&](int wait) {
        const char* name = wait == 1 ? "yhist_bwt_density.png" : wait == 6 ? "yhist_bwt_histogram.png" : nullptr;
        if (!name) return;
        const QString path = QDir(shots()).filePath(name);
        EXPECT_TRUE(frame.save_canvas_png(plots::kDistWindow, path));
        const QImage saved(path);
        EXPECT_EQ(saved.size(), QSize(plots::kDistWidth, plots::kDistHeight));
        int curve = 0;
        for (int y = 100; y < 416; ++y)
            for (int x = 60; x < 560; ++x) curve += pixel(x, y) == plots::kCurveColour;
        EXPECT_GT(curve, wait == 1 ? 200 : 5000) << name;
        seen.push_back(wait);
    };
    plots::yhist(ctx, state, c);
    EXPECT_EQ(seen, (std::vector<int>{1, 6}));
    EXPECT_EQ(feed.overrun, 0);
}

} // namespace
