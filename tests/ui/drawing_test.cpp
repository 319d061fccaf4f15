// The dashed line and bold text by pixels and by the draw journal, the colour
// shift and random colours, the shared division, and the main menus greyed
// around a modal graphics window and given back as they were.
#include "platform/canvas.h"
#include "platform/io/random.h"
#include "ui/drawing.h"
#include "ui_fixture.h"

using namespace meru;
using meru::test::UiTest;
using platform::Canvas;

namespace {

std::string row(Canvas& c, int y, int from, int to)
{
    std::string s;
    for (int x = from; x <= to; ++x) s += c.get_pixel_rgb(x, y) == 0 ? '#' : '.';
    return s;
}

} // namespace

TEST(DashtoTest, HorizontalDashesEndWithAPointAtTheEnd)
{
    Canvas c(40, 20);
    c.clear(0xffffff);
    c.set_color_rgb(0);
    c.moveto(0, 5);
    ui::dashto(c, 10, 5, 3, 2);
    EXPECT_EQ(row(c, 5, 0, 12), "####.####.#.."); // 0..3, 5..8 and the zero-length dash at 10
    EXPECT_EQ(c.current_position(), QPoint(10, 5));
}

TEST(DashtoTest, UpwardAndDiagonalDashes)
{
    Canvas c(60, 60);
    c.clear(0xffffff);
    c.set_color_rgb(0);
    c.moveto(5, 20);
    ui::dashto(c, 5, 10, 4, 2); // L 10: 20..16, then from 14 cut at 10
    std::string col;
    for (int y = 20; y >= 9; --y) col += c.get_pixel_rgb(5, y) == 0 ? '#' : '.';
    EXPECT_EQ(col, "#####.#####.");

    c.set_journaling(true);
    c.moveto(0, 0);
    ui::dashto(c, 30, 40, 10, 15); // L 50, direction (0.6, 0.8), period 25
    std::vector<std::pair<QPoint, QPoint>> lines;
    for (const auto& call : c.journal())
        if (call.op == "lineto") lines.emplace_back(call.points[0], call.points[1]);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::make_pair(QPoint(0, 0), QPoint(6, 8)));
    EXPECT_EQ(lines[1], std::make_pair(QPoint(15, 20), QPoint(21, 28)));
    EXPECT_EQ(lines[2], std::make_pair(QPoint(30, 40), QPoint(30, 40)));
    EXPECT_EQ(c.current_position(), QPoint(30, 40));
}

TEST(DashtoTest, NoPeriodDrawsASolidLineAndNoDistanceNothing)
{
    Canvas c(20, 10);
    c.clear(0xffffff);
    c.set_color_rgb(0);
    c.moveto(0, 2);
    ui::dashto(c, 9, 2, 0, 0);
    EXPECT_EQ(row(c, 2, 0, 10), "##########.");
    c.set_journaling(true);
    ui::dashto(c, 9, 2, 3, 2);
    EXPECT_TRUE(c.journal().empty());
}

TEST(BoldTextTest, TextIsDrawnTwiceOnePixelApart)
{
    ASSERT_EQ(platform::initialize_fonts(MERU_RUNTIME_DIR), 2);
    Canvas c(200, 40);
    ASSERT_GE(c.set_font("t'courier'h15w7"), 0);
    c.set_journaling(true);
    c.moveto(10, 5);
    ui::boldtext(c, "Bold");
    ASSERT_EQ(c.journal().size(), 2u);
    EXPECT_EQ(c.journal()[0].text, "Bold");
    EXPECT_EQ(c.journal()[1].text, "Bold");
    EXPECT_EQ(c.current_position(), QPoint(11 + 4 * 7, 5));
}

TEST(ColourTest, ShiftClampsEachByte)
{
    EXPECT_EQ(ui::colshift(0x808080, 16), 0x909090);
    EXPECT_EQ(ui::colshift(0xf0f0f0, 32), 0xffffff);
    EXPECT_EQ(ui::colshift(0x000000, -40), 0x000000);
    EXPECT_EQ(ui::colshift(0x10ff00, -32), 0x00df00);
    EXPECT_EQ(ui::colshift(0x01020304, 0), 0xff0304); // bits above the blue byte raise blue
}

TEST(ColourTest, RandomColoursFollowTheThreshold)
{
    io::RandomStream stream; // state 1, as at program start
    EXPECT_EQ(ui::randcol(stream, 1), 0x9df386);
    EXPECT_EQ(ui::randcol(stream, -10), 0x418998);
    EXPECT_EQ(ui::randcol(stream, 0), 0xdfbe46);
    EXPECT_EQ(ui::randcol(stream, 20), 0xffffff); // above 14: only the digit 15 is left
    for (int i = 0; i < 200; ++i) {
        const int light = ui::randcol(stream, 4);
        const int dark = ui::randcol(stream, -10);
        for (int shift = 0; shift < 24; shift += 4) {
            EXPECT_GT((light >> shift) & 15, 4);
            EXPECT_LT((dark >> shift) & 15, 10);
        }
    }
}

TEST(ColourTest, SafeDivisionIsTheSharedOne)
{
    EXPECT_EQ(ui::safediv(1.0, 1e-21), 0.0);
    EXPECT_DOUBLE_EQ(ui::safediv(1.0, -2e-20), -5e19);
    EXPECT_DOUBLE_EQ(ui::safediv(3.0, 4.0), 0.75);
}

TEST_F(UiTest, MenusGreyedAroundAModalWindowComeBackAsTheyWere)
{
    menus.set_flags(6, 0, platform::kMenuGrey); // a whole menu grey before
    ui::menuoff(menus);
    ui::menuoff(menus); // nested
    for (int m = 3; m <= 12; ++m) EXPECT_FALSE(menus.usable(m, 1)) << m;
    EXPECT_TRUE(menus.usable(1, 1));
    EXPECT_TRUE(menus.usable(2, 1));
    ui::menuon(menus);
    EXPECT_FALSE(menus.usable(3, 1)); // the outer pair still holds them
    ui::menuon(menus);
    EXPECT_TRUE(menus.usable(3, 1));
    EXPECT_TRUE(menus.usable(5, 1));
    EXPECT_FALSE(menus.usable(5, 2)); // grey item stays grey
    EXPECT_FALSE(menus.usable(6, 1)); // grey menu stays grey
    EXPECT_TRUE(menus.usable(12, 2));
}
