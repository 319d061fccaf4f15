// The curve window on a 600 x 520 plot (x 0..10 and y 0..1: 45 and 260 pixels
// a unit, origin at window pixel (90, 416)): symbols, highlight, labels and the
// reference line by pixels and the journal; the hit test; the wait fed with
// clicks under the fake clock (Esc, right click, hits, Beta+, Beta-, Help) with
// the menus as before after every exit; and the acceptance picture.
#include "files/textutil.h"
#include "platform/canvas.h"
#include "platform/events.h"
#include "platform/io/edit.h"
#include "platform/io/random.h"
#include "platform/window.h"
#include "plots/plotwin.h"
#include "ui/axes.h"
#include "ui/mouse_state.h"
#include "ui/plotsym.h"
#include "ui/textrow.h"
#include "ui/ui_fixture.h"

#include <QDir>
#include <cstdlib>
#include <deque>

using namespace meru;
using platform::Canvas;

namespace {

constexpr int kRed = 0x0000ff;

struct Click {
    int x, y;
    bool right = false;
};

// Feeds one click to the window at each mouse wait; once the clicks are used up
// a right click ends any wait, so a test never hangs. Time is the fake clock's.
class ClickFeed {
public:
    ClickFeed(platform::Frame& frame, int unit, std::deque<Click> clicks) : clicks_(std::move(clicks))
    {
        platform::set_clock(&clock_);
        previous_ = platform::set_wait_hook([&frame, unit, this](platform::WaitPoint point, int) {
            if (point != platform::WaitPoint::mouse || !frame.window(unit)) return;
            ++waits;
            if (before_click && !clicks_.empty()) before_click();
            Click c{0, 0, true};
            if (!clicks_.empty()) {
                c = clicks_.front();
                clicks_.pop_front();
            } else {
                ++overrun;
            }
            auto* w = frame.window(unit);
            if (c.right) {
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
    int waits = 0;
    int overrun = 0;
    std::function<void()> before_click;

private:
    platform::FakeClock clock_;
    platform::WaitHook previous_;
    std::deque<Click> clicks_;
};

class PlotwinTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ctx.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        canvas = open_plot(21);
        canvas->set_journaling(true);
    }

    Canvas* open_plot(int unit)
    {
        EXPECT_TRUE(frame.open_window(unit, "Plot"));
        platform::WindowConfig config;
        config.numxpixels = 600;
        config.numypixels = 520;
        EXPECT_TRUE(frame.set_window_config(unit, config));
        EXPECT_TRUE(frame.set_active(unit));
        ui::AxisLayout layout;
        layout.ylen = 0.5, layout.xfac = 2;
        layout.xlo = 0, layout.xhi = 10, layout.ylo = 0, layout.yhi = 1;
        layout.xtitle = "Complexity";
        layout.ytitle = "G";
        layout.title = "Complexity hull";
        EXPECT_TRUE(ui::drawaxis(ctx, layout));
        return frame.canvas(unit);
    }

    // Pixel of window point (wx, wy).
    int window_pixel(const Canvas& c, int wx, int wy) const { return c.image().pixel(wx, wy) & 0xffffff; }
    // Pixel at data point (u, v): window (90 + 45u, 416 - 260v); the canvas
    // image holds 0xRRGGBB.
    static int bgr(unsigned argb) { return ((argb & 0xff) << 16) | (argb & 0xff00) | ((argb >> 16) & 0xff); }
    int data_pixel(const Canvas& c, double u, double v) const
    {
        return bgr(c.image().pixel(90 + int(45 * u), 416 - int(260 * v)));
    }

    std::vector<platform::DrawCall> calls(const std::string& op) const
    {
        std::vector<platform::DrawCall> out;
        for (const auto& c : canvas->journal())
            if (c.op == op) out.push_back(c);
        return out;
    }

    // A hull-like curve with its penalty line from (0, 0) to (8, 0.4).
    plots::CurveWindow hull()
    {
        plots::CurveWindow c;
        c.x = xs;
        c.y = ys;
        c.n = 4;
        c.label = "hull";
        c.highlight = 3;
        c.title = "Complexity hull";
        c.refline = true;
        c.x1 = 0, c.y1 = 0, c.x2 = 8, c.y2 = 0.4;
        c.refcolour = kRed;
        c.linelabel = "=";
        c.size = 3;
        return c;
    }

    void expect_menus_as_before()
    {
        EXPECT_EQ(menus.off_depth(), 0);
        for (int m = 3; m <= 12; ++m) EXPECT_TRUE(menus.usable(m, 1)) << m;
        EXPECT_FALSE(menus.usable(5, 2));
    }

    std::vector<std::string> topics;
    Canvas* canvas = nullptr;
    std::vector<double> xs{1, 2, 4, 8};
    std::vector<double> ys{0.2, 0.5, 0.75, 0.8};
};

} // namespace

TEST_F(PlotwinTest, DrawsSymbolsHighlightLabelsAndTheLine)
{
    // The focus elsewhere (a user's click) does not move the drawing: it goes to the active window.
    ASSERT_TRUE(frame.open_window(22, "Other"));
    ASSERT_TRUE(frame.set_focus(22));
    ASSERT_TRUE(frame.set_active(21));
    frame.canvas(22)->set_journaling(true);
    canvas->clear_journal();
    plots::CurveWindow c = hull();
    c.notetxt = std::string(80, 'n');
    c.clicked = 7;
    plots::plotwin(ctx, c);
    EXPECT_TRUE(frame.canvas(22)->journal().empty());
    EXPECT_EQ(c.clicked, 7); // not interactive: never written
    EXPECT_EQ(c.notetxt, files::pad("Complexity hull", 50) + std::string(30, 'n'));

    // Filled squares of half side 3, black; the highlight (point 3) of half side 2 in red.
    EXPECT_EQ(data_pixel(*canvas, 1, 0.2), 0x000000);
    EXPECT_EQ(window_pixel(*canvas, 135 + 3, 364 + 3), 0x000000u);
    EXPECT_EQ(window_pixel(*canvas, 135 + 4, 364), 0xffffffu);
    // The highlight's square of half side 2 in red (its pixels lie under the label).
    const auto squares = calls("rectangle");
    ASSERT_EQ(squares.size(), 5u);
    EXPECT_EQ(squares[4].colour, kRed);
    EXPECT_EQ(squares[4].points, (std::vector<QPoint>{{268, 219}, {272, 223}}));
    EXPECT_EQ(window_pixel(*canvas, 270 + 3, 221 + 3), 0x000000u); // the corner of the full symbol
    // Joined: a black pixel halfway between points 1 and 2 ((135, 364) and (180, 286)).
    EXPECT_EQ(window_pixel(*canvas, 157, 325) & window_pixel(*canvas, 158, 325), 0u);

    // The label 15 left of the highlight (270, 221), bold, its 14-pixel line (font
    // 3) ending 10 above it, so that the highlight's square keeps its colour; then
    // the line's label.
    const auto t = calls("text");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].text, "hull");
    EXPECT_EQ(t[0].points.at(0), QPoint(255, 221 - 10 - 14));
    EXPECT_EQ(t[1].points.at(0), QPoint(256, 221 - 10 - 14));
    for (int x = 268; x <= 272; ++x) EXPECT_EQ(window_pixel(*canvas, x, 219), 0xff0000) << x; // red, as RGB
    EXPECT_EQ(t[0].colour, 0x000000);
    EXPECT_EQ(t[2].text, "=" + io::fmt_g(0.05, 10, 5));
    EXPECT_EQ(t[2].colour, kRed);
    EXPECT_EQ(t[2].points.at(0), QPoint(90 + 375, 416 - 129)); // (int(45*8 + 15), -int(260*0.4 + 25))

    // The line from (0, 0) to (360, -104), red, and the marker at its end.
    const auto lines = calls("lineto");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().points, (std::vector<QPoint>{{90, 416}, {450, 312}}));
    EXPECT_EQ(lines.back().colour, kRed);
    const auto poly = calls("polygon");
    ASSERT_EQ(poly.size(), 1u);
    EXPECT_EQ(poly[0].points.at(0), QPoint(90 + 362 - 2, 416 - 109));
}

TEST_F(PlotwinTest, NothingForNoPointsAndTheLabelAtTheLastPointWithoutAHighlight)
{
    canvas->clear_journal();
    plots::CurveWindow c = hull();
    c.n = 0;
    c.interactive = true;
    c.clicked = 5;
    plots::plotwin(ctx, c);
    EXPECT_TRUE(canvas->journal().empty());
    EXPECT_EQ(c.clicked, 5);
    EXPECT_TRUE(c.notetxt.empty());
    expect_menus_as_before();

    for (int highlight : {0, 5}) {
        canvas->clear_journal();
        c = hull();
        c.highlight = highlight;
        c.refline = false;
        plots::plotwin(ctx, c);
        const auto t = calls("text");
        ASSERT_EQ(t.size(), 2u);
        EXPECT_EQ(t[0].points.at(0), QPoint(90 + 360 - 15, 416 - 208 - 10 - 14)) << highlight;
        for (const auto& r : calls("rectangle")) EXPECT_EQ(r.colour, 0x000000);
    }

    // Circles for sizes from 10, and an n beyond the arrays is cut to them.
    canvas->clear_journal();
    c = hull();
    c.n = 9;
    c.size = 13;
    c.refline = false;
    plots::plotwin(ctx, c);
    const auto e = calls("ellipse");
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].points, (std::vector<QPoint>{{132, 361}, {138, 367}}));
    EXPECT_EQ(e[4].points, (std::vector<QPoint>{{268, 219}, {272, 223}})); // the highlight, radius 2
}

TEST_F(PlotwinTest, ALabelThatWouldReachTheTopFrameLineGoesBelowThePoint)
{
    // The frame's top line is 10 pixels above y = 1, at window y 416 - 270 = 146.
    // Above the highlighted point at y 0.95 (247 pixels up) the 14-pixel label
    // (font 3) would take 145..158: it starts 10 pixels below the point instead.
    ys[2] = 0.95;
    plots::CurveWindow c = hull();
    c.refline = false;
    plots::plotwin(ctx, c);
    const auto t = calls("text");
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t[0].points.at(0), QPoint(90 + 180 - 15, 416 - 247 + 10));
}

TEST_F(PlotwinTest, CoincidentLineEndsDrawNoLine)
{
    canvas->clear_journal();
    plots::CurveWindow c = hull();
    c.x2 = 0;
    plots::plotwin(ctx, c);
    EXPECT_TRUE(calls("polygon").empty());
    EXPECT_EQ(calls("text").size(), 2u);
}

TEST(CurveHitTest, HighestNearPointWinsAndRankLooksAtXOnly)
{
    plots::CurveWindow c;
    const std::vector<double> x{1, 1.1, 5}, y{0.5, 0.51, 0.5};
    c.x = x, c.y = y, c.n = 3;
    // Points at window (135, 286), (139, 283) and (315, 286).
    EXPECT_EQ(plots::hit_point(c, 45, 260, 90, 416, 137, 285, false), 2);
    EXPECT_EQ(plots::hit_point(c, 45, 260, 90, 416, 130, 286, false), 1);
    EXPECT_EQ(plots::hit_point(c, 45, 260, 90, 416, 129, 286, false), 0);
    EXPECT_EQ(plots::hit_point(c, 45, 260, 90, 416, 315, 291, false), 3);
    EXPECT_EQ(plots::hit_point(c, 45, 260, 90, 416, 315, 292, false), 0);
    EXPECT_EQ(plots::hit_point(c, 45, 260, 90, 416, 315, 40, true), 3);
    // Positions 2 and 1 of the arrays as point 1.
    c.ix = 2, c.iy = 2, c.n = 2;
    EXPECT_EQ(plots::hit_point(c, 45, 260, 90, 416, 315, 286, false), 2);
    EXPECT_DOUBLE_EQ(plots::beta_step(0, 45, 260), 1);
    EXPECT_DOUBLE_EQ(plots::beta_step(0.09, 45, 260), 10 * 0.09 * 260 / 45);
    EXPECT_DOUBLE_EQ(plots::beta_step(1, 0, 260), 1); // no scale yet
}

TEST_F(PlotwinTest, EscRightClickAndClickBesideThePointsEndTheWaitWithMenusBack)
{
    // Esc, the right button, and a left click in the plot 6 pixels from point 4
    // at (450, 208); before each, two clicks on the bar that are no button.
    for (Click end : {Click{10, 10}, Click{300, 300, true}, Click{456, 208}}) {
        ClickFeed feed(frame, 21, {{181, 5}, {136, 5}, end});
        plots::CurveWindow c = hull();
        c.interactive = true;
        c.clicked = 9;
        const double y2 = c.y2;
        plots::plotwin(ctx, c);
        EXPECT_EQ(c.clicked, 0);
        EXPECT_EQ(c.y2, y2); // x 136 is between the buttons
        EXPECT_EQ(feed.overrun, 0);
        EXPECT_EQ(feed.waits, 3);
        expect_menus_as_before();
        EXPECT_EQ(frame.unregister_mouse(21), -1); // the window waits no more
    }
    // A point inside the Esc box is Esc, not a hit: a point at window (45, 13).
    std::vector<double> x{-1}, y{403.0 / 260};
    plots::CurveWindow c = hull();
    c.x = x, c.y = y, c.n = 1, c.highlight = 0;
    c.interactive = true;
    ClickFeed feed(frame, 21, {{44, 12}});
    plots::plotwin(ctx, c);
    EXPECT_EQ(c.clicked, 0);
    EXPECT_EQ(feed.overrun, 0);
    expect_menus_as_before();
}

TEST_F(PlotwinTest, HitKeepsTheMenusGreyUntilTheNextEsc)
{
    plots::CurveWindow c = hull();
    c.interactive = true;
    {
        ClickFeed feed(frame, 21, {{137, 365}}); // 2 px from point 1 at (135, 364)
        plots::plotwin(ctx, c);
    }
    EXPECT_EQ(c.clicked, 1);
    EXPECT_TRUE(c.menus_held);
    EXPECT_EQ(menus.off_depth(), 1);
    EXPECT_FALSE(menus.usable(3, 1));
    // The line turned black.
    EXPECT_EQ(calls("lineto").back().colour, 0x000000);
    {
        // Called again: the hold is not taken twice; a click between points 2
        // and 3 hits none and gives it back as Esc does.
        ClickFeed feed(frame, 21, {{225, 250}});
        plots::plotwin(ctx, c);
        EXPECT_EQ(feed.overrun, 0);
    }
    EXPECT_EQ(c.clicked, 0);
    EXPECT_FALSE(c.menus_held);
    expect_menus_as_before();

    // Hit, then a non-interactive call gives the menus back.
    c.interactive = true;
    {
        ClickFeed feed(frame, 21, {{450, 100}}); // a "Rank" title hits point 4 by x alone
        c.title = "Rank attributes plot";
        plots::plotwin(ctx, c);
    }
    EXPECT_EQ(c.clicked, 4);
    c.interactive = false;
    plots::plotwin(ctx, c);
    expect_menus_as_before();
    EXPECT_EQ(c.notetxt, files::pad("Rank attributes plot", 50));
}

TEST_F(PlotwinTest, BetaPlusRedrawsOnlyTheLineAsIfDrawnThatWay)
{
    plots::CurveWindow c = hull();
    c.interactive = true;
    ClickFeed feed(frame, 21, {{60, 5}, {5, 5}});
    plots::plotwin(ctx, c);
    // slope 0.05: the end moves max(1, 10 * 0.05 * 260 / 45) = 2.89 pixels up.
    const double step = 10 * 0.05 * 260 / 45;
    EXPECT_NEAR(c.y2, 0.4 + step / 260, 1e-12);
    const QImage after = canvas->image().copy(0, 20, 600, 500);

    Canvas* direct = open_plot(22);
    plots::CurveWindow d = hull();
    d.y2 = c.y2;
    plots::plotwin(ctx, d);
    EXPECT_TRUE(after == direct->image().copy(0, 20, 600, 500));
    expect_menus_as_before();
}

TEST_F(PlotwinTest, BetaMinusStopsAtZeroAndBetaPlusFromZeroMovesOnePixel)
{
    plots::CurveWindow c = hull();
    c.y2 = 0.008; // slope 0.001: each press takes 1/2600
    c.interactive = true;
    {
        ClickFeed feed(frame, 21, {{100, 5}, {100, 5}, {100, 5}, {0, 0}});
        plots::plotwin(ctx, c);
    }
    EXPECT_EQ(c.y2, 0);
    EXPECT_EQ(calls("lineto").back().points.at(1), QPoint(450, 416));
    {
        ClickFeed feed(frame, 21, {{46, 15}, {0, 0}});
        plots::plotwin(ctx, c);
    }
    EXPECT_NEAR(c.y2, 1.0 / 260, 1e-15);
    EXPECT_EQ(calls("lineto").back().points.at(1), QPoint(450, 415));
    expect_menus_as_before();
}

TEST_F(PlotwinTest, HelpNamesTheTopicAndWaitsAgain)
{
    plots::CurveWindow c = hull();
    c.interactive = true;
    ClickFeed feed(frame, 21, {{150, 10}, {180, 15}, {45, 15}});
    plots::plotwin(ctx, c);
    ASSERT_EQ(topics.size(), 2u);
    EXPECT_EQ(topics[0], files::pad("Note: Beta+ Beta-", 40)); // helpshow names the topic by 40
    EXPECT_EQ(c.title, files::pad("Note: Beta+ Beta-", 60));
    EXPECT_EQ(feed.overrun, 0);
    expect_menus_as_before();

    // Without a line the bar's other buttons do nothing.
    plots::CurveWindow plain = hull();
    plain.refline = false;
    plain.interactive = true;
    ClickFeed again(frame, 21, {{60, 5}, {150, 10}, {10, 5}});
    plots::plotwin(ctx, plain);
    EXPECT_EQ(topics.size(), 2u);
    EXPECT_EQ(plain.y2, 0.4);
    EXPECT_EQ(again.overrun, 0);
}

TEST_F(PlotwinTest, AcceptancePicture)
{
    // Grey symbols of candidates under the hull.
    io::RandomStream random;
    for (int i = 0; i < 60; ++i) {
        int control = ui::kSymbolFilled;
        ui::Symbol s;
        s.x = 0.5 + 9 * random.next();
        s.y = 0.8 * random.next() * s.x / 10 + 0.05;
        s.size = 4;
        s.colour = 0x999999;
        ui::plotsym(ctx, random, s, control);
    }
    // The caller writes the bar (which moves the canvas origin) before the curve.
    ui::buttonbar(ctx, plots::kCurveBar, 0xffffff, 2, 0x000000);
    plots::CurveWindow c = hull();
    c.highlight = 2;
    plots::plotwin(ctx, c);
    int red = 0;
    for (int y = 300; y <= 416; ++y)
        for (int x = 90; x <= 450; ++x) red += window_pixel(*canvas, x, y) == 0xff0000u;
    EXPECT_GT(red, 300); // the penalty line

    const char* env = std::getenv("MERU_E2E_SHOTS");
    const QString folder = env && *env ? QString(env) : dir.path();
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath("plotwin_curve.png");
    ASSERT_TRUE(frame.save_canvas_png(21, path));
    QImage saved(path);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(600, 520));
}
