// Graphics fonts and text: option strings, the -5 font's 7-pixel advance, text
// drawn in its colour inside its cell on a transparent background, rotated text.
#include "platform/canvas.h"
#include "platform/fonts.h"
#include "support/qt_application.h"

#include <gtest/gtest.h>

using namespace meru::platform;

namespace {

constexpr int white = 0xffffff;
const char* const font_m5 = "t'courier'h15w7";

// Bounding box of every pixel that is not `background`; also counts them and
// checks that they all have colour `ink`.
struct Ink {
    QRect box;
    int pixels = 0;
    int foreign = 0; // pixels of neither colour
};

Ink ink_of(Canvas& c, int ink, int background = white)
{
    Ink r;
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            const int p = c.get_pixel_rgb(x, y);
            if (p == background) continue;
            if (p != ink) ++r.foreign;
            ++r.pixels;
            r.box |= QRect(x, y, 1, 1);
        }
    }
    return r;
}

// The left edge of each run of columns that hold ink (any pixel not white).
std::vector<int> glyph_starts(Canvas& c)
{
    std::vector<int> starts;
    bool in_glyph = false;
    for (int x = 0; x < c.width(); ++x) {
        bool ink = false;
        for (int y = 0; y < c.height(); ++y) ink = ink || c.get_pixel_rgb(x, y) != white;
        if (ink && !in_glyph) starts.push_back(x);
        in_glyph = ink;
    }
    return starts;
}

class TextTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(initialize_fonts(MERU_RUNTIME_DIR), 2); }
};

} // namespace

TEST(FontOptions, ParsesFaceHeightAndWidth)
{
    auto s = parse_font_options("t'courier'h15w7");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->face, "courier");
    EXPECT_EQ(s->height, 15);
    EXPECT_EQ(s->width, 7);

    s = parse_font_options("h9w5");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->face, "");
    EXPECT_EQ(s->height, 9);
    EXPECT_EQ(s->width, 5);

    s = parse_font_options("T'Arial'H11W7b"); // letters in any case; b is accepted
    ASSERT_TRUE(s);
    EXPECT_EQ(s->face, "Arial");
    EXPECT_EQ(s->height, 11);

    EXPECT_FALSE(parse_font_options(""));
    EXPECT_FALSE(parse_font_options("t'courier")); // unclosed quote
    EXPECT_FALSE(parse_font_options("hw7"));       // h without digits
    EXPECT_FALSE(parse_font_options("x12"));       // not an option letter
    EXPECT_EQ(font_options_text({"Arial", 11, 6}), "t'Arial'h11w6"); // read back as written above
}

TEST_F(TextTest, InitialisingAgainIsCheapAndAMissingFolderFails)
{
    EXPECT_EQ(initialize_fonts(MERU_RUNTIME_DIR), 2);
    EXPECT_EQ(initialize_fonts("/nonexistent/folder"), -1);
    EXPECT_EQ(initialize_fonts(MERU_RUNTIME_DIR), 2);
}

TEST_F(TextTest, MonospaceSizeCodeAdvancesSevenPixels)
{
    const auto f = select_font(font_m5);
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->fixed_pitch);
    EXPECT_EQ(f->cell_width, 7);
    EXPECT_LE(f->cell_height, 15);
    EXPECT_GE(f->cell_height, 13);

    Canvas c(200, 40);
    ASSERT_EQ(c.set_font(font_m5), static_cast<int>(FontFace::mono));
    EXPECT_EQ(c.text_width("0123456789"), 70);
    c.moveto(3, 5);
    c.outgtext("IIIIIIIIII");
    EXPECT_EQ(c.current_position(), QPoint(73, 5));

    // The ink of ten I's: ten groups of columns whose left edges lie 7 apart.
    const std::vector<int> starts = glyph_starts(c);
    ASSERT_EQ(starts.size(), 10u);
    for (std::size_t i = 1; i < starts.size(); ++i) EXPECT_EQ(starts[i] - starts[i - 1], 7);
    EXPECT_GE(starts[0], 3);
    EXPECT_LT(starts[9], 73);
}

TEST_F(TextTest, MonospaceCellsTooWideForTheFaceKeepTheirPitch)
{
    // No stretch of the 8-pixel face reaches 12 pixels: each character is put in
    // its own 12-pixel cell.
    Canvas c(200, 20);
    ASSERT_GE(c.set_font("t'courier'h8w12"), 0);
    EXPECT_EQ(c.font()->cell_width, 12);
    c.set_color_rgb(0);
    c.moveto(0, 0);
    c.outgtext("I I");
    EXPECT_EQ(c.current_position(), QPoint(36, 0));
    const std::vector<int> starts = glyph_starts(c);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1] - starts[0], 24);
}

TEST_F(TextTest, ProportionalFacesApproximateTheirCells)
{
    for (const auto& [options, h, w] : {std::tuple{"t'arial'h11w7", 11, 7}, std::tuple{"h10w6", 10, 6},
                                        std::tuple{"h18w14", 18, 14}, std::tuple{"t'Arial'h7w4", 7, 4}}) {
        const auto f = select_font(options);
        ASSERT_TRUE(f) << options;
        EXPECT_FALSE(f->fixed_pitch);
        EXPECT_NEAR(f->cell_height, h, 2) << options;
        EXPECT_NEAR(f->cell_width, w, 1) << options;
    }
}

TEST_F(TextTest, UnknownFaceFailsAndKeepsThePreviousFont)
{
    Canvas c(50, 20);
    ASSERT_GE(c.set_font(font_m5), 0);
    EXPECT_LT(c.set_font("t'nosuchface'h10w5"), 0);
    EXPECT_EQ(c.status(), gr_font_error);
    EXPECT_LT(c.set_font(""), 0);
    ASSERT_NE(c.font(), nullptr);
    EXPECT_EQ(c.font()->cell_width, 7);

    Canvas fresh(50, 20);
    fresh.outgtext("x"); // no font selected yet: nothing drawn, an error status
    EXPECT_EQ(fresh.status(), gr_font_error);
    EXPECT_EQ(ink_of(fresh, 0).pixels, 0);
}

TEST_F(TextTest, TextIsDrawnInItsColourInsideItsCell)
{
    Canvas c(200, 60);
    c.set_journaling(true);
    c.set_font(font_m5);
    const int blue = 0xff0000;
    c.set_color_rgb(blue);
    c.moveto(20, 30);
    c.outgtext("Hello");
    const Ink ink = ink_of(c, blue);
    EXPECT_EQ(ink.foreign, 0); // no antialiasing: one colour only
    EXPECT_GT(ink.pixels, 30);
    const int cell_h = c.font()->cell_height;
    EXPECT_TRUE(QRect(20, 30, 5 * 7, cell_h).contains(ink.box))
        << ink.box.x() << "," << ink.box.y() << " " << ink.box.width() << "x" << ink.box.height();
    ASSERT_EQ(c.journal().size(), 1u);
    EXPECT_EQ(c.journal()[0].op, "text");
    EXPECT_EQ(c.journal()[0].text, "Hello");
    EXPECT_EQ(c.journal()[0].colour, blue);
    EXPECT_EQ(c.journal()[0].points, std::vector<QPoint>{QPoint(20, 30)});
}

TEST_F(TextTest, BackgroundStaysTransparentAndViewportClipsText)
{
    Canvas c(100, 40);
    c.set_color_rgb(0x00ffff); // yellow
    c.rectangle(Fill::interior, 0, 0, 99, 39);
    c.set_font(font_m5);
    c.set_color_rgb(0x0000ff);
    c.moveto(10, 10);
    c.outgtext("MM");
    const Ink ink = ink_of(c, 0x0000ff, 0x00ffff);
    EXPECT_EQ(ink.foreign, 0); // nothing but the red ink replaced the yellow
    EXPECT_GT(ink.pixels, 10);

    Canvas d(100, 40);
    d.set_font(font_m5);
    d.set_viewport(0, 0, 13, 39); // room for the first two cells only
    d.set_color_rgb(0);
    d.moveto(0, 0);
    d.outgtext("MMMMMM");
    const Ink clipped = ink_of(d, 0);
    EXPECT_GT(clipped.pixels, 10);
    EXPECT_LE(clipped.box.right(), 13);
}

TEST_F(TextTest, VerticalTextReadsBottomToTop)
{
    Canvas c(100, 120);
    c.set_font(font_m5);
    c.set_color_rgb(0);
    c.set_gtext_vector(0, 1);
    c.moveto(50, 100);
    c.outgtext("M    ");
    EXPECT_EQ(c.current_position(), QPoint(50, 65));
    const Ink ink = ink_of(c, 0);
    EXPECT_EQ(ink.foreign, 0);
    EXPECT_GT(ink.pixels, 10);
    // The cell's top lies along x = 50 and the text runs up from y = 100: the
    // first character (the only ink) sits in the lowest 7 rows.
    const int cell_h = c.font()->cell_height;
    EXPECT_TRUE(QRect(50, 93, cell_h, 8).contains(ink.box))
        << ink.box.x() << "," << ink.box.y() << " " << ink.box.width() << "x" << ink.box.height();

    // Back to horizontal.
    c.set_gtext_vector(1, 0);
    c.moveto(0, 0);
    c.outgtext("ab");
    EXPECT_EQ(c.current_position(), QPoint(14, 0));
    c.set_gtext_vector(0, 0);
    EXPECT_EQ(c.status(), gr_error);
}
