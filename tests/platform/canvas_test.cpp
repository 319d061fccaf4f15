// Drawing primitives of a canvas: exact colours, end points, viewport origin and
// clipping, saving and restoring pixels.
#include "platform/canvas.h"
#include "platform/colour.h"
#include "support/qt_application.h"

#include <gtest/gtest.h>

using namespace meru::platform;

namespace {

constexpr int white = 0xffffff;
constexpr int red = 0x0000ff; // 0xBBGGRR
constexpr int blue = 0xff0000;
constexpr int green = 0x00ff00;

// Pixels of colour `bgr` on the whole canvas, whatever the viewport.
int count_colour(const Canvas& c, int bgr)
{
    int n = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) n += from_qrgb(c.image().pixel(x, y)) == bgr;
    return n;
}

} // namespace

TEST(CanvasColour, BgrIsConvertedToQtRgb)
{
    EXPECT_EQ(to_qrgb(0x123456), qRgb(0x56, 0x34, 0x12));
    EXPECT_EQ(from_qrgb(qRgb(0x56, 0x34, 0x12)), 0x123456);
    EXPECT_EQ(palette_colour(0), 0x000000);
    EXPECT_EQ(palette_colour(4), 0x000080); // red
    EXPECT_EQ(palette_colour(9), 0xff0000); // light blue
    EXPECT_EQ(palette_colour(15), 0xffffff);
    EXPECT_EQ(palette_colour(16), -1);
    EXPECT_EQ(palette_colour(-1), -1);
}

TEST(CanvasShapes, FilledRectangleHasExactColourAndInclusiveCorners)
{
    Canvas c(100, 80);
    EXPECT_EQ(c.get_pixel_rgb(50, 50), white);
    c.set_color_rgb(red);
    c.rectangle(Fill::interior, 20, 15, 10, 10); // corners in any order
    EXPECT_EQ(c.image().pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(c.get_pixel_rgb(10, 10), red);
    EXPECT_EQ(c.get_pixel_rgb(20, 15), red);
    EXPECT_EQ(c.get_pixel_rgb(15, 12), red);
    EXPECT_EQ(c.get_pixel_rgb(9, 10), white);
    EXPECT_EQ(c.get_pixel_rgb(21, 15), white);
    EXPECT_EQ(c.get_pixel_rgb(10, 16), white);
    EXPECT_EQ(count_colour(c, red), 11 * 6);
}

TEST(CanvasShapes, BorderRectangleLeavesInteriorAndZeroExtentIsOnePixel)
{
    Canvas c(100, 80);
    c.set_color_rgb(blue);
    c.rectangle(Fill::border, 10, 10, 20, 15);
    EXPECT_EQ(c.get_pixel_rgb(10, 10), blue);
    EXPECT_EQ(c.get_pixel_rgb(20, 12), blue);
    EXPECT_EQ(c.get_pixel_rgb(14, 15), blue);
    EXPECT_EQ(c.get_pixel_rgb(15, 12), white);
    EXPECT_EQ(count_colour(c, blue), 2 * 11 + 2 * 4);

    Canvas d(10, 10);
    d.set_color_rgb(green);
    d.rectangle(Fill::interior, 4, 4, 4, 4);
    EXPECT_EQ(count_colour(d, green), 1);
    EXPECT_EQ(d.get_pixel_rgb(4, 4), green);
}

TEST(CanvasShapes, LineIncludesBothEndPointsAndMovesThePosition)
{
    Canvas c(100, 80);
    c.set_color_rgb(green);
    c.moveto(5, 5);
    c.lineto(15, 9);
    EXPECT_EQ(c.get_pixel_rgb(5, 5), green);
    EXPECT_EQ(c.get_pixel_rgb(15, 9), green);
    EXPECT_EQ(count_colour(c, green), 11); // one pixel per column of a shallow line
    EXPECT_EQ(c.current_position(), QPoint(15, 9));

    c.lineto(15, 30); // vertical, continuing from the last end point
    EXPECT_EQ(c.get_pixel_rgb(15, 30), green);
    EXPECT_EQ(count_colour(c, green), 11 + 21);

    c.moveto(40, 40);
    c.lineto(40, 40); // a line of no length is its one pixel
    EXPECT_EQ(c.get_pixel_rgb(40, 40), green);
}

TEST(CanvasShapes, FarAwayEndPointsAreClipped)
{
    Canvas c(100, 80);
    c.set_color_rgb(red);
    c.moveto(-1000000000, 40);
    c.lineto(1000000000, 40);
    for (int x = 0; x < 100; ++x) ASSERT_EQ(c.get_pixel_rgb(x, 40), red) << x;
    EXPECT_EQ(count_colour(c, red), 100);
}

TEST(CanvasShapes, ExtremeCoordinatesAreClippedWithoutOverflow)
{
    Canvas c(50, 40);
    c.set_vieworg(10, 10);
    c.set_color_rgb(blue);
    c.rectangle(Fill::interior, -2147483647 - 1, 5, 2147483647, 5);
    for (int x = 0; x < 50; ++x) ASSERT_EQ(from_qrgb(c.image().pixel(x, 15)), blue) << x;
    EXPECT_EQ(count_colour(c, blue), 50);
    c.moveto(2147483647, 2147483647);
    c.lineto(-2147483647 - 1, -2147483647 - 1); // the diagonal through the origin
    EXPECT_EQ(from_qrgb(c.image().pixel(10, 10)), blue);
    EXPECT_EQ(from_qrgb(c.image().pixel(39, 39)), blue);
    c.polygon(Fill::interior, {{2147483647, 0}, {0, 2147483647}, {-2147483647, 0}});
    EXPECT_EQ(c.get_pixel_rgb(20, 20), blue);
    EXPECT_EQ(c.get_pixel_rgb(2147483647, 0), -1);
}

TEST(CanvasShapes, EllipseIsInscribedInItsBox)
{
    Canvas c(60, 40);
    c.set_color_rgb(red);
    c.ellipse(Fill::interior, 10, 10, 30, 20);
    EXPECT_EQ(c.get_pixel_rgb(20, 15), red);
    EXPECT_EQ(c.get_pixel_rgb(11, 15), red);
    EXPECT_EQ(c.get_pixel_rgb(29, 15), red);
    EXPECT_EQ(c.get_pixel_rgb(20, 11), red);
    EXPECT_EQ(c.get_pixel_rgb(20, 19), red);
    // Corners of the box and everything outside it stay white.
    EXPECT_EQ(c.get_pixel_rgb(10, 10), white);
    EXPECT_EQ(c.get_pixel_rgb(30, 20), white);
    EXPECT_EQ(c.get_pixel_rgb(9, 15), white);
    EXPECT_EQ(c.get_pixel_rgb(31, 15), white);
    EXPECT_EQ(c.get_pixel_rgb(20, 21), white);
    // Only the exact colour is used (no antialiasing).
    EXPECT_EQ(count_colour(c, red) + count_colour(c, white), 60 * 40);

    Canvas d(60, 40);
    d.set_color_rgb(blue);
    d.ellipse(Fill::border, 10, 10, 30, 20);
    EXPECT_EQ(d.get_pixel_rgb(20, 15), white);
    EXPECT_GT(count_colour(d, blue), 40);
    EXPECT_EQ(count_colour(d, blue) + count_colour(d, white), 60 * 40);
}

TEST(CanvasShapes, PolygonOutlineAndFill)
{
    Canvas c(40, 40);
    c.set_color_rgb(green);
    c.polygon(Fill::interior, {{0, 0}, {20, 0}, {0, 20}});
    EXPECT_EQ(c.get_pixel_rgb(2, 2), green);
    EXPECT_EQ(c.get_pixel_rgb(0, 0), green);
    EXPECT_EQ(c.get_pixel_rgb(15, 15), white);
    EXPECT_EQ(count_colour(c, green) + count_colour(c, white), 40 * 40);

    Canvas d(40, 40);
    d.set_color_rgb(blue);
    d.polygon(Fill::border, {{5, 5}, {30, 5}, {30, 30}, {5, 30}});
    EXPECT_EQ(d.get_pixel_rgb(5, 5), blue);
    EXPECT_EQ(d.get_pixel_rgb(30, 30), blue);
    EXPECT_EQ(d.get_pixel_rgb(17, 17), white);
    d.polygon(Fill::border, {});
    EXPECT_EQ(d.status(), gr_error);
}

TEST(CanvasPalette, IndexSelectsStandardColour)
{
    Canvas c(10, 10);
    EXPECT_EQ(c.set_color(4), 0); // previous palette index: black at start
    c.rectangle(Fill::interior, 0, 0, 9, 9);
    EXPECT_EQ(c.image().pixel(5, 5), qRgb(128, 0, 0));
    EXPECT_EQ(c.set_color(16), -1);
    EXPECT_EQ(c.status(), gr_error);
    EXPECT_EQ(c.color_rgb(), 0x000080);
    EXPECT_EQ(c.set_color_rgb(0x123456), 0x000080);
    EXPECT_EQ(c.set_color_rgb(0x7f123456), 0x123456); // only 24 bits are a colour
    EXPECT_EQ(c.color_rgb(), 0x123456);
}

TEST(CanvasViewport, ClipsToItsRectangleAndMovesTheOrigin)
{
    Canvas c(100, 80);
    c.set_viewport(59, 39, 30, 20); // corners in any order
    EXPECT_EQ(c.vieworg(), QPoint(30, 20));
    c.set_color_rgb(red);
    c.rectangle(Fill::interior, -50, -50, 500, 500);
    EXPECT_EQ(count_colour(c, red), 30 * 20);
    EXPECT_EQ(c.image().pixel(30, 20), qRgb(255, 0, 0));
    EXPECT_EQ(c.image().pixel(59, 39), qRgb(255, 0, 0));
    EXPECT_EQ(c.image().pixel(29, 20), qRgb(255, 255, 255));
    EXPECT_EQ(c.image().pixel(60, 39), qRgb(255, 255, 255));
    EXPECT_EQ(c.image().pixel(59, 40), qRgb(255, 255, 255));
    // Read-back is in viewport coordinates too.
    EXPECT_EQ(c.get_pixel_rgb(0, 0), red);
    EXPECT_EQ(c.get_pixel_rgb(-1, 0), white);
    EXPECT_EQ(c.get_pixel_rgb(-31, 0), -1); // off the canvas
}

TEST(CanvasViewport, VieworgMovesOnlyTheOrigin)
{
    Canvas c(100, 80);
    c.set_viewport(10, 10, 89, 69);
    EXPECT_EQ(c.set_vieworg(50, 40), QPoint(10, 10));
    EXPECT_EQ(c.clip(), QRect(QPoint(10, 10), QPoint(89, 69)));
    c.set_color_rgb(blue);
    c.moveto(-10, -10);
    c.lineto(10, -10);
    EXPECT_EQ(c.image().pixel(40, 30), qRgb(0, 0, 255));
    EXPECT_EQ(c.image().pixel(60, 30), qRgb(0, 0, 255));
    EXPECT_EQ(count_colour(c, blue), 21);
    // A line running out of the clip stops at its edge.
    c.moveto(0, 0);
    c.lineto(0, -100);
    EXPECT_EQ(c.image().pixel(50, 10), qRgb(0, 0, 255));
    EXPECT_EQ(c.image().pixel(50, 9), qRgb(255, 255, 255));
}

TEST(CanvasImages, SavedPixelsComeBackExactly)
{
    Canvas c(60, 40);
    c.set_color_rgb(red);
    c.ellipse(Fill::interior, 5, 5, 25, 25);
    c.set_color_rgb(0x345678);
    c.moveto(0, 0);
    c.lineto(29, 29);
    const QImage before = c.image().copy(0, 0, 30, 30);
    EXPECT_EQ(Canvas::image_size(0, 0, 29, 29), 4L * 30 * 30);

    Image saved = c.get_image(0, 0, 29, 29);
    ASSERT_FALSE(saved.pixels.isNull());
    c.set_color_rgb(green);
    c.rectangle(Fill::interior, 0, 0, 59, 39);
    c.put_image(0, 0, saved);
    EXPECT_EQ(c.image().copy(0, 0, 30, 30), before);
    EXPECT_EQ(c.get_pixel_rgb(30, 0), green); // outside the restored rectangle

    // Restored elsewhere, clipped at the canvas edge.
    c.put_image(45, 20, saved);
    EXPECT_EQ(c.image().copy(45, 20, 15, 20), before.copy(0, 0, 15, 20));

    c.put_image(0, 0, Image{});
    EXPECT_EQ(c.status(), gr_error);
}

TEST(CanvasSize, ResizeKeepsPixelsAndPaintsNewAreaWhite)
{
    Canvas c(20, 20);
    c.set_color_rgb(red);
    c.rectangle(Fill::interior, 0, 0, 19, 19);
    c.set_viewport(5, 5, 10, 10);
    c.resize(40, 30);
    EXPECT_EQ(c.width(), 40);
    EXPECT_EQ(c.height(), 30);
    EXPECT_EQ(c.get_pixel_rgb(19, 19), red);
    EXPECT_EQ(c.get_pixel_rgb(20, 19), white);
    EXPECT_EQ(c.get_pixel_rgb(39, 29), white);
    EXPECT_EQ(c.vieworg(), QPoint(0, 0));
    EXPECT_EQ(c.clip(), QRect(0, 0, 40, 30));
    c.clear(blue);
    EXPECT_EQ(count_colour(c, blue), 40 * 30);
}

TEST(CanvasJournal, RecordsCallsOnlyWhileEnabled)
{
    Canvas c(20, 20);
    c.rectangle(Fill::interior, 0, 0, 3, 3);
    EXPECT_TRUE(c.journal().empty());
    c.set_journaling(true);
    c.set_viewport(2, 2, 19, 19);
    c.set_color_rgb(red);
    c.moveto(0, 0);
    c.lineto(5, 0);
    c.rectangle(Fill::border, 0, 0, 3, 3);
    ASSERT_EQ(c.journal().size(), 2u);
    EXPECT_EQ(c.journal()[0].op, "lineto");
    EXPECT_EQ(c.journal()[0].colour, red);
    EXPECT_EQ(c.journal()[0].points, (std::vector<QPoint>{{2, 2}, {7, 2}}));
    EXPECT_EQ(c.journal()[1].op, "rectangle");
    EXPECT_EQ(c.journal()[1].fill, Fill::border);
    c.clear_journal();
    EXPECT_TRUE(c.journal().empty());
}
