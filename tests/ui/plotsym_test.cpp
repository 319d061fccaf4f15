// Plot symbols by exact pixels and the journal (box, stipple, overlap shade,
// jitter, label), the normal and triangular streams, the marker and the
// stipple fills.
#include "platform/canvas.h"
#include "platform/io/random.h"
#include "ui/drawing.h"
#include "ui/plotsym.h"
#include "ui_fixture.h"

#include <numeric>

using namespace meru;
using meru::test::UiTest;
using platform::Canvas;

namespace {

class PlotsymTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ASSERT_TRUE(frame.open_window(21, "Plot"));
        ASSERT_TRUE(frame.set_active(21));
        canvas = frame.canvas(21);
        ASSERT_GE(ui::selfont(ctx, 2), 0);
        canvas->clear(0xffffff);
        canvas->set_vieworg(100, 300);
        ctx.plot.plotscale = {10, 20};
        canvas->set_journaling(true);
    }

    std::vector<platform::DrawCall> calls(const std::string& op)
    {
        std::vector<platform::DrawCall> out;
        for (const auto& c : canvas->journal())
            if (c.op == op) out.push_back(c);
        return out;
    }

    Canvas* canvas = nullptr;
    io::RandomStream random;
};

} // namespace

TEST_F(PlotsymTest, SizeOneIsATwoPixelBoxWithOneStipplePoint)
{
    int control = ui::kSymbolOutline;
    ui::Symbol s;
    s.x = 1, s.y = 1, s.size = 1, s.colour = 0x0000ff, s.stipple = true;
    ui::plotsym(ctx, random, s, control);
    // h 0.5: px = int(10 - 0.5) = 9, py = -int(20 - 0.5) = -19; box (9, -19)-(10, -20).
    const auto r = calls("rectangle");
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].fill, platform::Fill::border);
    EXPECT_EQ(r[0].colour, 0x0000ff);
    EXPECT_EQ(r[1].points.at(0), QPoint(109, 280)); // the one grid point at the low corner
    for (int x = 108; x <= 111; ++x)
        for (int y = 278; y <= 282; ++y) {
            const bool in = (x == 109 || x == 110) && (y == 280 || y == 281);
            EXPECT_EQ(canvas->image().pixel(x, y) & 0xffffff, in ? 0xff0000u : 0xffffffu) << x << "," << y;
        }
}

TEST_F(PlotsymTest, FilledSquareAndCircleWithStipple)
{
    int control = ui::kSymbolFilled;
    ui::Symbol s;
    s.x = 5, s.y = 5, s.size = 8, s.colour = 0x00ff00;
    ui::plotsym(ctx, random, s, control);
    // px = 50 - 4 = 46, py = -(100 - 4) = -96: box 46..54 x -104..-96.
    EXPECT_EQ(canvas->get_pixel_rgb(46, -96), 0x00ff00);
    EXPECT_EQ(canvas->get_pixel_rgb(54, -104), 0x00ff00);
    EXPECT_EQ(canvas->get_pixel_rgb(55, -100), 0xffffff);
    EXPECT_EQ(canvas->get_pixel_rgb(50, -95), 0xffffff);

    canvas->clear_journal();
    control = ui::kSymbolOutline;
    s.x = 10, s.size = 16, s.ellipse = true, s.stipple = true;
    ui::plotsym(ctx, random, s, control);
    // Box 92..108 x -108..-92, centre (100, -100), rx 8: grid points every 4 from
    // (92, -108) inside the circle only: 5 x 5 grid less the four corners and the
    // points on the circle's edge.
    const auto e = calls("ellipse");
    ASSERT_GE(e.size(), 2u);
    std::vector<QPoint> grid;
    for (std::size_t i = 1; i < e.size(); ++i) grid.push_back(e[i].points.at(0) - QPoint(100, 300));
    const std::vector<QPoint> want{{96, -104}, {96, -100},  {96, -96},   {100, -104}, {100, -100},
                                   {100, -96}, {104, -104}, {104, -100}, {104, -96}};
    EXPECT_EQ(grid, want);
}

TEST_F(PlotsymTest, OverlapShadesWhatIsThereAndBecomesFilled)
{
    ctx.symbols.overlapstep = 16;
    int control = ui::kSymbolOverlap;
    ui::Symbol s;
    s.x = 5, s.y = 5, s.size = 8, s.colour = 0x00ff00;
    ui::plotsym(ctx, random, s, control);
    EXPECT_EQ(control, ui::kSymbolFilled);
    EXPECT_EQ(canvas->get_pixel_rgb(50, -100), 0x00ff00); // on white: the colour

    canvas->set_color_rgb(0x808080);
    canvas->rectangle(platform::Fill::interior, 0, -60, 40, -40);
    control = ui::kSymbolOverlap;
    s.x = 2, s.y = 2.5; // centre (20, -50) over grey
    ui::plotsym(ctx, random, s, control);
    EXPECT_EQ(control, ui::kSymbolFilled);
    EXPECT_EQ(canvas->get_pixel_rgb(20, -50), ui::colshift(0x808080, -16));
    EXPECT_EQ(canvas->get_pixel_rgb(20, -50), 0x707070);

    // A random colour over white takes the random colour, not -1.
    io::RandomStream twin = random;
    control = ui::kSymbolOverlap;
    s.x = 20, s.y = 10, s.colour = ui::kRandomColour;
    ui::plotsym(ctx, random, s, control);
    EXPECT_EQ(canvas->get_pixel_rgb(200, -200), ui::randcol(twin, 1));
}

TEST_F(PlotsymTest, JitterRepeatsForTheSameSeedAndLabelGoesBeside)
{
    ctx.symbols.jitterx = ctx.symbols.jittery = true;
    ui::Symbol s;
    s.x = 10, s.y = 5, s.size = 4, s.label = true, s.text = "lab";
    auto draw = [&] {
        int control = ui::kSymbolFilled;
        canvas->clear_journal();
        ui::plotsym(ctx, random, s, control);
        return calls("rectangle").at(0).points.at(0);
    };
    const QPoint first = draw();
    const auto advanced = ctx.symbols.symseed;
    EXPECT_NE(advanced, (io::UniformGenerator::Seed{0, 0}));
    ctx.symbols.symseed = {0, 0};
    EXPECT_EQ(draw(), first);
    EXPECT_EQ(ctx.symbols.symseed, advanced);

    // The offsets are 3 times the first deviate of each fresh pair.
    io::UniformGenerator::Seed seed{0, 0};
    std::array<double, 2> z{};
    ui::gaussfill(seed, z);
    const int px = static_cast<int>(3 * z[0] + 100 - 2);
    ui::gaussfill(seed, z);
    const int py = -static_cast<int>(3 * z[0] + 100 - 2);
    EXPECT_EQ(first, QPoint(100 + px, 300 + py - 4)); // the journal keeps the top-left corner

    const auto t = calls("text");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, "lab");
    EXPECT_EQ(t[0].points.at(0), QPoint(100 + px + 4, 300 + py - 5));
    for (int shift = 0; shift < 24; shift += 4) EXPECT_LE((t[0].colour >> shift) & 0xf, 9);
}

TEST(GaussfillTest, FillsAtMostAThousandFromOneStream)
{
    io::UniformGenerator::Seed seed{0, 0};
    std::vector<double> out(5000, 99.0);
    ui::gaussfill(seed, out);
    EXPECT_NE(out[999], 99.0);
    EXPECT_EQ(out[1000], 99.0);
    EXPECT_EQ(out[4999], 99.0);

    // 100,000 deviates: mean 0 and variance 1.
    seed = {12345, -7};
    std::vector<double> all;
    std::array<double, 1000> batch{};
    for (int i = 0; i < 100; ++i) {
        ui::gaussfill(seed, batch);
        all.insert(all.end(), batch.begin(), batch.end());
    }
    const double mean = std::accumulate(all.begin(), all.end(), 0.0) / all.size();
    double var = 0;
    for (double v : all) var += (v - mean) * (v - mean);
    var /= all.size() - 1;
    EXPECT_NEAR(mean, 0, 0.01);
    EXPECT_NEAR(var, 1, 0.02);
    // Deviates beyond 3 are rare (0.27 %).
    const auto far = std::count_if(all.begin(), all.end(), [](double v) { return std::abs(v) > 3; });
    EXPECT_NEAR(far / 100000.0, 0.0027, 0.001);
}

TEST(TrirandTest, ZeroWidthAndRange)
{
    io::RandomStream random;
    EXPECT_EQ(ui::trirand(random, 0), 0);
    double sum = 0;
    int inner = 0;
    for (int i = 0; i < 20000; ++i) {
        const double v = ui::trirand(random, 2);
        ASSERT_GE(v, -2);
        ASSERT_LE(v, 2);
        sum += v;
        inner += std::abs(v) < 1;
    }
    EXPECT_NEAR(sum / 20000, 0, 0.03);
    EXPECT_NEAR(inner / 20000.0, 0.75, 0.015); // P(|v| < a/2) = 3/4
}

TEST(MarkerTest, EighteenPointOutlineAndItsCharacter)
{
    ASSERT_EQ(platform::initialize_fonts(MERU_RUNTIME_DIR), 2);
    Canvas c(100, 100);
    c.clear(0xffffff);
    c.set_color_rgb(0x0000ff);
    ASSERT_GE(c.set_font("t'arial'h12w7"), 0);
    c.set_journaling(true);
    ui::marker(c, 40, 60, ' ');
    ASSERT_EQ(c.journal().size(), 1u);
    const auto& p = c.journal()[0];
    EXPECT_EQ(p.op, "polygon");
    EXPECT_EQ(p.fill, platform::Fill::border);
    ASSERT_EQ(p.points.size(), 18u);
    EXPECT_EQ(p.points[0], QPoint(38, 60));
    EXPECT_EQ(p.points[4], QPoint(47, 40));
    EXPECT_EQ(p.points[17], QPoint(41, 52));
    EXPECT_EQ(c.get_pixel_rgb(38, 60), 0x0000ff);
    EXPECT_EQ(c.get_pixel_rgb(45, 50), 0xffffff); // outline only

    c.clear_journal();
    ui::marker(c, 40, 60, 'a');
    ASSERT_EQ(c.journal().size(), 2u);
    EXPECT_EQ(c.journal()[1].text, "a");
    EXPECT_EQ(c.journal()[1].points.at(0), QPoint(46, 60));
}

TEST(HatchTest, GridOfSquaresAndEllipsesInside)
{
    Canvas c(100, 100);
    c.set_journaling(true);
    ui::hatchrect(c, 20, 10, 10, 20, 5, 2, 3); // columns (20 - 1 - 10 + 5) div 5 = 2
    ASSERT_EQ(c.journal().size(), 5u);
    EXPECT_EQ(c.journal()[0].points, (std::vector<QPoint>{{10, 10}, {20, 20}}));
    EXPECT_EQ(c.journal()[4].points, (std::vector<QPoint>{{15, 15}, {16, 16}}));
    c.clear_journal();
    ui::hatchell(c, 0, 0, 20, 20, 10, 1, 2); // grid 0, 10, 20: only the centre is inside
    ASSERT_EQ(c.journal().size(), 2u);
    EXPECT_EQ(c.journal()[1].points.at(0), QPoint(10, 10));
    c.clear_journal();
    ui::hatchrect(c, 0, 0, 5, 5, 0, 1, 2); // no step: the box only
    EXPECT_EQ(c.journal().size(), 1u);
}
