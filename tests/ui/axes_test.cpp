// Tick scales and label formats worked out by hand, the guards against NaN,
// reversed and negative ranges, and the axes drawn into a 600 x 520 window:
// scale, origin, frame and ticks by pixels, labels and titles by the journal.
#include "platform/canvas.h"
#include "ui/axes.h"
#include "ui_fixture.h"

#include <QColor>
#include <cmath>

using namespace meru;
using meru::test::ModalAnswerer;
using meru::test::UiTest;

namespace {

struct ScaleCase {
    double lo, hi, want;
    int n;
    double first, step;
    const char* fmt;
};

// The texts drawn, in order, with the physical point each started at.
std::vector<std::pair<std::string, QPoint>> texts(const platform::Canvas& c)
{
    std::vector<std::pair<std::string, QPoint>> out;
    for (const auto& call : c.journal())
        if (call.op == "text") out.emplace_back(call.text, call.points.at(0));
    return out;
}

} // namespace

TEST(AxisScaleTest, AutomaticAndRequestedSteps)
{
    const ScaleCase cases[] = {
        {0, 100, 0, 6, 0, 20, "(i4)"},             // k 1 gives 11 ticks, doubled once to 6
        {0, 1, 0, 6, 0, 0.2, "(f4.2)"},            // k -1 gives 11, step 0.2
        {0, 23, 5, 5, 0, 5, "(i2)"},               // m 5, last tick 25 > 23 drops one
        {0, 10, 0, 6, 0, 2, "(f5.2)"},             // step 2 keeps one decimal: d = 1 - int(log10 2)
        {0, 0.5, 0, 4, 0, 0.16, "(f4.2)"},         // 51 ticks of 0.01 halved to 26, 13, 7, 4
        {0.3, 2.05, 0.25, 8, 0.3, 0.25, "(f4.2)"}, // a fractional step starts at lo
        {2.6, 9, 2, 4, 3, 2, "(i2)"},              // a whole step starts at nint(lo); (9-7)/2 = 1 > 0.9 adds one
    };
    for (const auto& c : cases) {
        ui::PlotFrame frame;
        double hi = c.hi;
        const auto t = ui::axis_ticks(frame, c.lo, hi, c.want);
        ASSERT_TRUE(t) << c.lo << ".." << c.hi;
        EXPECT_EQ(t->n, c.n) << c.lo << ".." << c.hi;
        EXPECT_DOUBLE_EQ(t->first, c.first) << c.lo << ".." << c.hi;
        EXPECT_NEAR(t->step, c.step, 1e-12) << c.lo << ".." << c.hi;
        EXPECT_EQ(t->fmt, c.fmt) << c.lo << ".." << c.hi;
        EXPECT_FALSE(frame.sign);
    }
}

TEST(AxisScaleTest, FormatRule)
{
    bool sign = false;
    double end = 0;
    EXPECT_EQ(ui::axisfmt(0, 0.5, 5, sign, end), "(f4.2)");
    EXPECT_DOUBLE_EQ(end, 2);
    EXPECT_EQ(ui::axisfmt(0, 1000, 5, sign, end), "(i5)");
    EXPECT_EQ(ui::axisfmt(0, 1e-5, 5, sign, end), "(f9.7)");  // d 6: the widest f format
    EXPECT_EQ(ui::axisfmt(0, 1e-9, 5, sign, end), "(g9.4)");  // d >= 9
    EXPECT_EQ(ui::axisfmt(1e6, 0.5, 3, sign, end), "(g9.4)"); // e 6 + d 1 >= 7
    // The sign flag: set by a negative start, kept, and widening every f format.
    EXPECT_EQ(ui::axisfmt(-1, 0.5, 5, sign, end), "(f5.2)");
    EXPECT_TRUE(sign);
    EXPECT_EQ(ui::axisfmt(0, 0.5, 5, sign, end), "(f5.2)");
    EXPECT_EQ(ui::axisfmt(0, 20, 6, sign, end), "(i4)"); // i formats keep their width
    EXPECT_EQ(ui::axisfmt(0, 0.2, 6, sign, end), "(f5.2)");
    EXPECT_EQ(ui::axisfmt(0, 1e-5, 2, sign, end), "(g9.4)"); // s 1 + d 6 >= 7
}

TEST(AxisScaleTest, NegativeFirstTickWidensLaterAxes)
{
    ui::PlotFrame frame;
    double hi = 1;
    EXPECT_EQ(ui::axis_ticks(frame, 0, hi, 0)->fmt, "(f4.2)");
    hi = 1;
    const auto t = ui::axis_ticks(frame, -0.5, hi, 0);
    EXPECT_LT(t->first, 0);
    EXPECT_TRUE(frame.sign);
    hi = 1;
    EXPECT_EQ(ui::axis_ticks(frame, 0, hi, 0)->fmt, "(f5.2)");
    hi = 100;
    EXPECT_EQ(ui::axis_ticks(frame, 0, hi, 0)->fmt, "(i4)");
}

TEST(AxisScaleTest, GuardedInputsEndAndNeverGiveNaNFormats)
{
    ui::PlotFrame frame;
    double hi = -2;
    EXPECT_FALSE(ui::axis_ticks(frame, -5, hi, 0)); // automatic upper end below 0
    hi = 0;
    ASSERT_TRUE(ui::axis_ticks(frame, 0, hi, 0));
    EXPECT_EQ(hi, 1.0); // written back
    hi = NAN;
    EXPECT_FALSE(ui::axis_ticks(frame, 0, hi, 0));
    hi = INFINITY;
    EXPECT_FALSE(ui::axis_ticks(frame, 0, hi, 0));
    hi = 1;
    EXPECT_FALSE(ui::axis_ticks(frame, -INFINITY, hi, 0));

    // Reversed range: ordered first.
    hi = 0.5;
    const auto rev = ui::axis_ticks(frame, 100, hi, 0);
    ASSERT_TRUE(rev);
    EXPECT_EQ(rev->fmt, "(i4)");
    EXPECT_LE(rev->n, 7);
    // Equal ends: the bounded loop still ends.
    hi = 5;
    const auto same = ui::axis_ticks(frame, 5, hi, 0);
    ASSERT_TRUE(same);
    EXPECT_GE(same->n, 0);

    // A last tick of 0 and negative ends take e = 0 and |last|; a step <= 0 is g.
    bool sign = false;
    double end = 0;
    EXPECT_EQ(ui::axisfmt(-1, 0.5, 3, sign, end), "(f5.2)");
    EXPECT_EQ(end, 0);
    EXPECT_EQ(ui::axisfmt(-300, 100, 2, sign, end), "(i4)");
    EXPECT_EQ(ui::axisfmt(0, 0, 3, sign, end), "(g9.4)");
    EXPECT_EQ(ui::axisfmt(0, -1, 3, sign, end), "(g9.4)");

    // Requested steps on negative or tiny ranges, and huge tick counts.
    hi = -3;
    const auto neg = ui::axis_ticks(frame, -10, hi, 1);
    ASSERT_TRUE(neg);
    EXPECT_EQ(neg->fmt, "(i1)");
    hi = 0.01;
    EXPECT_EQ(ui::axis_ticks(frame, 0, hi, 1)->fmt, "(i-1)");
    hi = 1e9;
    EXPECT_LE(ui::axis_ticks(frame, 0, hi, 1e-9)->n, 1002);
}

TEST_F(UiTest, DrawaxisOn600By520)
{
    ASSERT_TRUE(frame.open_window(21, "Plot"));
    platform::WindowConfig config;
    config.numxpixels = 600;
    config.numypixels = 520;
    ASSERT_TRUE(frame.set_window_config(21, config));
    ASSERT_TRUE(frame.set_active(21));
    platform::Canvas& c = *frame.canvas(21);
    c.clear(0x00ff00);
    c.set_journaling(true);

    ui::AxisLayout layout;
    layout.ylen = 0.5;
    layout.xfac = 2;                 // fx = 0.75
    layout.xlo = 10, layout.xhi = 0; // reversed: ordered to 0..10
    layout.ylo = 0, layout.yhi = 1;
    layout.xtitle = "X title";
    layout.ytitle = "Y title";
    layout.title = "The title";
    layout.axiscol = 0x0000ff;
    ASSERT_TRUE(ui::drawaxis(ctx, layout));

    // xscale = 0.75 * 600 / 10 = 45, yscale = 0.5 * 520 = 260; origin (90, 416).
    EXPECT_DOUBLE_EQ(ctx.plot.plotscale.x, 45);
    EXPECT_DOUBLE_EQ(ctx.plot.plotscale.y, 260);
    EXPECT_EQ(ctx.plot.vieworg.x, 90);
    EXPECT_EQ(ctx.plot.vieworg.y, 416);
    EXPECT_DOUBLE_EQ(ctx.plot.winpix.x, 600);
    EXPECT_DOUBLE_EQ(ctx.plot.winpix.y, 520);
    EXPECT_EQ(c.vieworg(), QPoint(90, 416));

    // Cleared to the background; the frame (-10, 10)-(460, -270) is (80, 426)-(550, 146).
    EXPECT_EQ(c.get_pixel_rgb(-80, -406), 0xffffff); // physical (10, 10)
    for (int x : {80, 300, 550}) {
        EXPECT_EQ(c.get_pixel_rgb(x - 90, 426 - 416), 0x0000ff) << x;
        EXPECT_EQ(c.get_pixel_rgb(x - 90, 146 - 416), 0x0000ff) << x;
    }
    EXPECT_EQ(c.get_pixel_rgb(80 - 90, 300 - 416), 0x0000ff);
    EXPECT_EQ(c.get_pixel_rgb(550 - 90, 300 - 416), 0x0000ff);
    EXPECT_EQ(c.get_pixel_rgb(300 - 90, 300 - 416), 0xffffff); // inside stays clear
    // X ticks at 45 v from y 10 to 5; Y ticks at -260 v from x -10 to -5.
    for (int v = 0; v <= 10; v += 2) {
        EXPECT_EQ(c.get_pixel_rgb(45 * v, 7), 0x0000ff) << v;
        EXPECT_EQ(c.get_pixel_rgb(45 * v + 1, 7), 0xffffff) << v;
    }
    for (int py : {0, -52, -104, -156, -208, -260}) {
        EXPECT_EQ(c.get_pixel_rgb(-7, py), 0x0000ff) << py;
        EXPECT_EQ(c.get_pixel_rgb(-7, py - 1), 0xffffff) << py;
    }

    // Labels (each drawn twice, bold), then the Y title turned, X title, title.
    const auto t = texts(c);
    ASSERT_EQ(t.size(), 2u * (6 + 6 + 3));
    EXPECT_EQ(t[0].first, " 0.00    ");
    EXPECT_EQ(t[1].second, t[0].second + QPoint(1, 0));
    EXPECT_EQ(t[10].first, "10.00    ");
    EXPECT_EQ(t[12].first, "0.00     ");
    EXPECT_EQ(t[22].first, "1.00     ");
    // Whatever the font's widths, the ink of each x label is centred under its
    // tick at 90 + 45 v (rows 431 on), and each y label's ink ends a few pixels
    // left of its tick (which starts at x 80), level with it.
    const QRgb red = QColor(255, 0, 0).rgb();
    const auto ink = [&](int x1, int x2, int y1, int y2) {
        std::pair<int, int> span{10000, -1};
        for (int y = y1; y <= y2; ++y)
            for (int x = x1; x <= x2; ++x)
                if (c.image().pixel(x, y) == red) span = {std::min(span.first, x), std::max(span.second, x)};
        return span;
    };
    for (int v = 0; v <= 10; v += 2) {
        const auto [left, right] = ink(90 + 45 * v - 30, 90 + 45 * v + 30, 431, 440); // above the X title
        EXPECT_LE(std::abs(left + right - 2 * (90 + 45 * v)), 2) << v << ": " << left << ".." << right;
    }
    for (int py : {416, 364, 312, 260, 208, 156}) {
        const auto [left, right] = ink(50, 79, py - 5, py + 5);
        EXPECT_LE(right, 80 - 3) << py;
        EXPECT_GE(right, 80 - 8) << py;
        EXPECT_GT(left, 50) << py;
    }
    EXPECT_EQ(t[24].first, "Y title");
    EXPECT_LE(t[24].second.x(), 35); // left of the widest label
    EXPECT_EQ(t[24].second.y(), 351);
    // Turned upward: its pixels stand in a column above the start, left of the labels.
    int column = 0;
    for (int y = 280; y <= 352; ++y)
        for (int x = 30; x <= 48; ++x) column += c.image().pixel(x, y) == QColor(255, 0, 0).rgb();
    EXPECT_GT(column, 20);
    EXPECT_EQ(t[26].first, "X title");
    EXPECT_EQ(t[26].second, QPoint(240, 441));
    EXPECT_EQ(t[28].first, "The title");
    EXPECT_EQ(t[28].second, QPoint(90, 126));
}

TEST_F(UiTest, DrawaxisOffsetKeepsTheDrawingAndFlagsDropTicks)
{
    ASSERT_TRUE(frame.open_window(21, "Plot"));
    ASSERT_TRUE(frame.set_active(21));
    platform::Canvas& c = *frame.canvas(21);
    c.clear(0x00ff00);
    c.set_journaling(true);
    ui::AxisLayout layout;
    layout.xlo = 3, layout.xhi = 3; // equal ends: 3..4
    layout.noxticks = layout.noyticks = true;
    layout.offx = 5;
    layout.title = std::string(100, 'T');
    ASSERT_TRUE(ui::drawaxis(ctx, layout));
    EXPECT_DOUBLE_EQ(ctx.plot.xlo, 3);
    EXPECT_DOUBLE_EQ(ctx.plot.xhi, 4);
    EXPECT_EQ(c.get_pixel_rgb(10 - c.vieworg().x(), 10 - c.vieworg().y()), 0x00ff00); // not cleared
    const auto t = texts(c);
    ASSERT_EQ(t.size(), 6u); // titles only
    EXPECT_EQ(t[4].first, std::string(80, 'T'));
    EXPECT_EQ(c.vieworg(), QPoint(ctx.plot.vieworg.x + 5, ctx.plot.vieworg.y));
}

TEST_F(UiTest, DrawaxisFormatErrorStopsBeforeTheTitles)
{
    ASSERT_TRUE(frame.open_window(21, "Plot"));
    ASSERT_TRUE(frame.set_active(21));
    platform::Canvas& c = *frame.canvas(21);
    c.set_journaling(true);
    ui::AxisLayout layout;
    layout.xlo = 0, layout.xhi = 0.01, layout.xwant = 1; // a whole step: "(i-1)"
    layout.xtitle = "never";
    ModalAnswerer answers({"OK"});
    EXPECT_FALSE(ui::drawaxis(ctx, layout));
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Axis label format error (i-1)");
    EXPECT_EQ(answers.shown[0].icon, QMessageBox::Information);
    EXPECT_TRUE(texts(c).empty());
    EXPECT_GT(ctx.plot.plotscale.x, 0); // the scale is set already
}

TEST_F(UiTest, DrawaxisNegativeUpperEndShowsTheNoteAndNoTicks)
{
    std::vector<std::string> topics;
    ctx.help = [&](std::string_view topic) { topics.emplace_back(topic); };
    ASSERT_TRUE(frame.open_window(21, "Plot"));
    ASSERT_TRUE(frame.set_active(21));
    platform::Canvas& c = *frame.canvas(21);
    c.set_journaling(true);
    ui::AxisLayout layout;
    layout.ylo = -5, layout.yhi = -1;
    layout.ytitle = "Y";
    ASSERT_TRUE(ui::drawaxis(ctx, layout));
    ASSERT_EQ(topics.size(), 1u);
    EXPECT_EQ(topics[0], "NOTE: upper axis end < 0");
    // X labels, no Y labels, the titles.
    const auto t = texts(c);
    EXPECT_EQ(t.size(), 2u * (6 + 3));
    // NaN ends draw the unit range without ticks and without hanging.
    c.clear_journal();
    layout.ylo = NAN;
    layout.xhi = INFINITY;
    ASSERT_TRUE(ui::drawaxis(ctx, layout));
    EXPECT_EQ(texts(c).size(), 6u);
}
