// Text rows and button bars: bar geometry and colours by exact pixels away from
// the glyphs, texts and positions from the canvas journal.
#include "ui/textrow.h"

#include "platform/canvas.h"
#include "platform/window.h"
#include "ui/button_bars.h"
#include "ui/mouse_state.h"
#include "ui_fixture.h"

#include <array>

using namespace meru;
using meru::test::UiTest;

namespace {

constexpr int kGrey = 0x808080;
constexpr int kWhite = 0xffffff;
constexpr int kBlue = 0xff0000;

class TextRowTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ASSERT_TRUE(frame.open_window(21, "Rows"));
        platform::WindowConfig cfg;
        cfg.numxpixels = 600;
        cfg.numypixels = 630;
        ASSERT_TRUE(frame.set_window_config(21, cfg));
        ASSERT_TRUE(frame.set_active(21));
        canvas = frame.canvas(21);
        canvas->clear(0x00ff00);
        canvas->set_journaling(true);
    }
    int px(int x, int y) { return canvas->get_pixel_rgb(x, y); }
    std::vector<platform::DrawCall> texts() const
    {
        std::vector<platform::DrawCall> out;
        for (const auto& c : canvas->journal())
            if (c.op == "text") out.push_back(c);
        return out;
    }
    platform::Canvas* canvas = nullptr;
};

} // namespace

TEST(TextRowModel, BarWidthByBackgroundAndText)
{
    struct Case {
        const char* text;
        int back, row;
        bool full, blank_first;
        int last_x;
    } cases[] = {
        {"abc", kGrey, 3, false, false, 34},       // int(5 * 6.9)
        {"abc  ", kGrey, 3, false, false, 34},     // trailing blanks do not count
        {"a b cdefg", kGrey, 2, false, false, 75}, // int(11 * 6.9)
        {"abc", kWhite, 3, true, false, 0},
        {"abc", 0x000000, 3, true, false, 0},
        {"abc", kGrey, 1, true, false, 0},
        {"%Heading", kGrey, 4, true, true, 0},
        {" indented", kGrey, 4, true, true, 0},
        {"   ", kGrey, 4, true, true, 0},
        {"", kGrey, 4, true, false, 0},
        {"%Heading", kWhite, 4, true, false, 0}, // white rows keep their "%"
    };
    for (const Case& c : cases) {
        const ui::RowBar bar = ui::row_bar(c.text, c.back, c.row);
        EXPECT_EQ(bar.full, c.full) << c.text;
        EXPECT_EQ(bar.blank_first, c.blank_first) << c.text;
        if (!c.full) {
            EXPECT_EQ(bar.last_x, c.last_x) << c.text;
        }
    }
}

TEST(TextRowModel, BarWordsAreCutAndCapped)
{
    EXPECT_EQ(ui::bar_words("Esc Bins+  Bins-  User Help"),
              (std::vector<std::string>{"Esc", "Bins+", "Bins-", "User", "Help"}));
    EXPECT_EQ(ui::bar_words("Escape Longword x"), (std::vector<std::string>{"Escap", "Longw", "x"}));
    std::string many;
    for (int i = 1; i <= 25; ++i) many += "w" + std::to_string(i) + " ";
    const auto words = ui::bar_words(many);
    ASSERT_EQ(words.size(), 20u);
    EXPECT_EQ(words.back(), "w20");
}

TEST_F(TextRowTest, ColouredRowEndsAfterTheTextOverWhite)
{
    ui::textrow(ctx, std::string_view("abc"), kGrey, 3, -5, 0);
    // Row 3: text top 28, bar 29..42.
    EXPECT_EQ(px(34, 29), kGrey);
    EXPECT_EQ(px(34, 42), kGrey);
    EXPECT_EQ(px(35, 29), kWhite);
    EXPECT_EQ(px(599, 42), kWhite);
    EXPECT_EQ(px(35, 28), 0x00ff00); // the rows above and below are untouched
    EXPECT_EQ(px(35, 43), 0x00ff00);
    const auto t = texts();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, "abc");
    EXPECT_EQ(t[0].colour, 0);
    EXPECT_EQ(t[0].points.at(0), QPoint(0, 28));
}

TEST_F(TextRowTest, PercentTextGetsTheWholeRowAndABlank)
{
    std::string heading = "%File:Open";
    ui::textrow(ctx, heading, kGrey, 2, -5, 0);
    EXPECT_EQ(heading, " File:Open"); // the caller's variable keeps the blank
    EXPECT_EQ(px(599, 15), kGrey);
    EXPECT_EQ(px(599, 28), kGrey);
    const std::string kept = "%Search:Go!";
    ui::textrow(ctx, kept, kGrey, 3, -5, 0);
    EXPECT_EQ(kept, "%Search:Go!"); // a constant text is copied
    EXPECT_EQ(px(599, 42), kGrey);
    const auto t = texts();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, " File:Open");
    EXPECT_EQ(t[1].text, " Search:Go!");
    // White and black rows are whole whatever the text.
    ui::textrow(ctx, std::string_view("x"), 0x000000, 5, -5, kWhite);
    EXPECT_EQ(px(599, 57), 0x000000);
    EXPECT_EQ(px(599, 70), 0x000000);
}

TEST_F(TextRowTest, ScrolledRowsStartAtTextcol1)
{
    ctx.textcol1 = 11;
    ui::textrow(ctx, std::string_view("0123456789abcdef"), kWhite, 4, -5, 0);
    ui::textrow(ctx, std::string_view("short"), kWhite, 5, -5, 0);
    const auto t = texts();
    ASSERT_EQ(t.size(), 1u); // nothing of a text shorter than the scroll
    EXPECT_EQ(t[0].text, "abcdef");
    EXPECT_EQ(px(599, 56), kWhite); // its bar is still drawn
}

TEST_F(TextRowTest, CellModeDrawsSevenPixelCellsWithoutABar)
{
    ctx.cellmode = true;
    ui::textrow(ctx, std::string_view("  (a & b)"), kWhite, 3, -5, 0x0000ff);
    EXPECT_EQ(px(599, 35), 0x00ff00); // no bar
    std::vector<std::pair<std::string, QPoint>> cells;
    for (const auto& c : texts()) cells.emplace_back(c.text, c.points.at(0));
    EXPECT_EQ(cells, (std::vector<std::pair<std::string, QPoint>>{
                         {"(", {14, 28}}, {"a", {21, 28}}, {"&", {35, 28}}, {"b", {49, 28}}, {")", {56, 28}}}));
    // Row 1 draws nothing in cell mode; columns past 100 are not drawn.
    canvas->clear_journal();
    ui::textrow(ctx, std::string_view("bar"), kGrey, 1, -5, 0);
    ui::buttonbar(ctx, "Esc Help", kGrey, -5, 0);
    ui::textrow(ctx, std::string(100, ' ') + "x", kWhite, 6, -5, 0);
    EXPECT_TRUE(canvas->journal().empty());
    ctx.textcol1 = 3;
    ui::textrow(ctx, std::string_view("ab(c"), kWhite, 6, -5, 0);
    ASSERT_EQ(texts().size(), 2u);
    EXPECT_EQ(texts()[0].points.at(0), QPoint(0, 70));
}

TEST_F(TextRowTest, ButtonBarGeometry)
{
    const std::array<int, 1> greyed{3};
    ui::buttonbar(ctx, "Esc Bins+  Bins-  User Help", kGrey, -5, 0, greyed);
    // Faces at x 1-44, 46-89, 91-134, 136-179, 181-224 (read left of the words,
    // which start at 45i - 39), a blue border around each to (45i, 14).
    for (int i = 1; i <= 5; ++i) {
        const int left = 45 * i - 44;
        EXPECT_EQ(px(left + 2, 7), i % 2 ? 0xbbbbbb : 0xcccccc) << i;
        EXPECT_EQ(px(left, 7), kBlue) << i;
        EXPECT_EQ(px(45 * i, 7), kBlue) << i;
        EXPECT_EQ(px(left + 3, 0), kBlue) << i;
        EXPECT_EQ(px(left + 3, 14), kBlue) << i;
    }
    EXPECT_EQ(px(226, 7), kGrey); // beside the bar
    EXPECT_EQ(px(599, 0), kGrey);
    EXPECT_EQ(px(599, 14), kGrey);
    EXPECT_EQ(px(599, 15), 0x00ff00);
    std::vector<std::tuple<std::string, QPoint, int>> words;
    for (const auto& c : texts()) words.emplace_back(c.text, c.points.at(0), c.colour);
    EXPECT_EQ(words, (std::vector<std::tuple<std::string, QPoint, int>>{{"Esc", {6, 2}, 0},
                                                                        {"Bins+", {51, 2}, 0},
                                                                        {"Bins-", {96, 2}, 0x999999},
                                                                        {"User", {141, 2}, 0},
                                                                        {"Help", {186, 2}, 0}}));
    EXPECT_EQ(ui::bar_button(50, 5), 2);
    EXPECT_GT(ui::bar_button(230, 5), static_cast<int>(words.size())); // beside the bar
}

TEST_F(TextRowTest, RowOneWithoutButtonsIsOneBar)
{
    ui::textrow(ctx, std::string_view("Status"), kGrey, 1, -5, 0);
    EXPECT_EQ(px(599, 0), kGrey);
    EXPECT_EQ(px(599, 14), kGrey);
    ASSERT_EQ(texts().size(), 1u);
    EXPECT_EQ(texts()[0].points.at(0), QPoint(0, 0));
}

TEST_F(TextRowTest, EveryWordOfEveryBarIsDrawnInsideItsButton)
{
    // Each word alone on a bar: its black glyphs lie on the button's face at
    // least 2 pixels short of its right edge (x 1 to 42), left of the blue border
    // at x 45, in the bar's font (condensed where a word is wide).
    int words = 0;
    for (std::string_view bar : ui::bars::kAll)
        for (const std::string& word : ui::bar_words(bar)) {
            canvas->clear(kWhite);
            ui::buttonbar(ctx, word, kWhite, 2, 0x000000);
            int inside = 0, outside = 0;
            for (int y = 0; y <= 14; ++y)
                for (int x = 0; x < 120; ++x)
                    if (px(x, y) == 0x000000) ++(x >= 1 && x <= 42 ? inside : outside);
            EXPECT_GT(inside, 0) << word;
            EXPECT_EQ(outside, 0) << "\"" << word << "\" of \"" << bar << "\" runs past its button";
            EXPECT_EQ(px(45, 7), kBlue) << word;
            ++words;
        }
    EXPECT_GT(words, 80);
}

TEST_F(TextRowTest, EscKeyClicksTheEscButtonOfABarThatStartsWithIt)
{
    // Typed into the window, Esc is a left click on button 1 while the bar
    // starts with Esc; otherwise (the process window's Plot2 bar, then a status
    // text on row 1) it stays a key of the queue.
    platform::ChildWindow* w = frame.window(21);
    ASSERT_GE(ui::register_mousecb(ctx, 21, ui::kMouseClicks), 0);
    const auto esc_clicks = [&] {
        ui::mouse_clear(ctx.mouse);
        w->type_key({27, false});
        return ui::mouse_read(ctx.mouse) == ui::kMouseLeft && ui::bar_button(ctx.mouse.x, ctx.mouse.y) == 1;
    };
    for (std::string_view bar : ui::bars::kAll) {
        ui::buttonbar(ctx, bar, kWhite, 2, 0);
        EXPECT_EQ(esc_clicks(), bar.starts_with("Esc")) << bar;
    }
    ui::textrow(ctx, std::string_view("Window not active for mouse "), kWhite, 1, 2, 0);
    EXPECT_FALSE(esc_clicks());
    EXPECT_EQ(w->keys().size(), 2); // the Plot2 bar's Esc and this one
}
