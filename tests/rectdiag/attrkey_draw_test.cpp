// The attribute key drawn on a canvas: its lines, where they go, their colour.
#include "rectdiag/attrkey_draw.h"

#include "files/textutil.h"
#include "platform/canvas.h"
#include "platform/fonts.h"
#include "support/qt_application.h"

#include <gtest/gtest.h>

using namespace meru;

namespace {

files::ControlTables key_tables()
{
    files::ControlTables t;
    t.natt = 5;
    t.att.resize(6);
    t.att[3].attname = "SEX$$$$$";
    t.att[3].attlab = {files::pad("  F", files::kLabelLen), files::pad("  M", files::kLabelLen)};
    t.att[5].attname = "SMOKER$$";
    t.att[5].attlab = {files::pad("  never", files::kLabelLen), files::pad("  ever", files::kLabelLen)};
    return t;
}

class AttrKeyDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(platform::initialize_fonts(MERU_RUNTIME_DIR), 2);
        ASSERT_GE(canvas.set_font("t'arial'h12w7"), 0);
        canvas.set_color_rgb(0x0000ff);
        canvas.set_journaling(true);
    }
    platform::Canvas canvas{300, 200};
};

} // namespace

TEST_F(AttrKeyDraw, OneLinePerTermTenPixelsApart)
{
    const auto t = key_tables();
    partition::TermList list;
    list.add_term({3});
    list.add_term({-5});
    list.add_term({2, 4});
    const std::vector<int> side{1, 1, 0};
    int y = 40;
    EXPECT_EQ(rectdiag::attrkey(canvas, side, list, t, 1, 20, y, 280), (std::vector<int>{40, 50, 60}));
    EXPECT_EQ(y, 70);
    const auto& j = canvas.journal();
    ASSERT_EQ(j.size(), 3u);
    const char* texts[] = {"SEX M", "SMOKER never", "^3"};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(j[k].op, "text");
        EXPECT_EQ(j[k].text, texts[k]);
        EXPECT_EQ(j[k].colour, 0x000000);
        ASSERT_EQ(j[k].points.size(), 1u);
        EXPECT_EQ(j[k].points[0], QPoint(20, 40 + 10 * k));
    }
    EXPECT_EQ(canvas.current_position(), QPoint(20, 70));
    // The text is really drawn in black near the first line's start.
    bool black = false;
    for (int py = 40; py < 52 && !black; ++py)
        for (int px = 20; px < 60 && !black; ++px) black = canvas.get_pixel_rgb(px, py) == 0x000000;
    EXPECT_TRUE(black);
}

TEST_F(AttrKeyDraw, NothingForAnEmptyList)
{
    int y = 40;
    EXPECT_TRUE(rectdiag::attrkey(canvas, {}, partition::TermList{}, key_tables(), 1, 20, y, 280).empty());
    EXPECT_TRUE(canvas.journal().empty());
    EXPECT_EQ(y, 40);
}

TEST_F(AttrKeyDraw, ALongDefinitionWrapsAtItsJoinsAndTheNextTermStartsBelowIt)
{
    const auto t = key_tables();
    partition::TermList list;
    list.add_term({3, -5});
    list.add_term({5});
    const std::string whole = "1 SEX M & SMOKER never";
    int y = 40;
    const std::vector<int> tops = rectdiag::attrkey(canvas, {}, list, t, 1, 20, y, canvas.text_width(whole) - 1);
    EXPECT_EQ(tops, (std::vector<int>{40, 60}));
    EXPECT_EQ(y, 70);
    std::vector<std::string> rows;
    for (const auto& call : canvas.journal()) rows.push_back(call.text);
    EXPECT_EQ(rows, (std::vector<std::string>{"1 SEX M", "  & SMOKER never", "SMOKER ever"}));
    // Rows of at most 7 characters: parts join while they fit; a part too long
    // for any row keeps one of its own.
    const auto seven = [](const std::string& r) { return r.size() <= 7; };
    EXPECT_EQ(rectdiag::wrap_key_line("1 a & b & c", seven), (std::vector<std::string>{"1 a & b", "  & c"}));
    EXPECT_EQ(rectdiag::wrap_key_line("1 abcdefgh & b", seven), (std::vector<std::string>{"1 abcdefgh", "  & b"}));
    EXPECT_EQ(rectdiag::wrap_key_line("SEX M", seven), std::vector<std::string>{"SEX M"});
}
