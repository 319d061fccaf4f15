// Graphics fonts by size code: the option texts, the 7-pixel advance of code -5,
// codes that keep the current text, the failure path of an empty text and the
// two boxes of fonts that cannot be registered.
#include "platform/canvas.h"
#include "ui/selfont.h"
#include "ui_fixture.h"

using namespace meru;
using meru::test::ModalAnswerer;
using meru::test::UiTest;

namespace {

class SelfontTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ASSERT_TRUE(frame.open_window(21, "Plot"));
        frame.set_active(21);
        canvas = frame.canvas(21);
    }
    platform::Canvas* canvas = nullptr;
};

} // namespace

TEST_F(SelfontTest, CodeMinusFiveAdvancesSevenPixelsForEveryCharacter)
{
    EXPECT_GE(ui::selfont(ctx, -5), 0);
    EXPECT_EQ(ctx.font.options, "t'courier'h15w7");
    for (const char* s : {"W", "i", " ", "m"}) EXPECT_EQ(canvas->text_width(s), 7) << s;
    canvas->moveto(3, 4);
    canvas->outgtext("Wi W");
    EXPECT_EQ(canvas->current_position(), QPoint(3 + 4 * 7, 4));
}

TEST_F(SelfontTest, EachCodeSetsItsOptionTextAndOthersKeepIt)
{
    const std::pair<int, const char*> table[] = {
        {-2, "t'Arial'h7w4"}, {-1, "t'Arial'h9w5"}, {0, "t'Arial'h10w6"},  {1, "t'arial'h11w7"},
        {2, "t'arial'h12w7"}, {3, "t'arial'h14w9"}, {4, "t'arial'h16w12"}, {5, "t'arial'h18w14"},
    };
    int previous_height = 0;
    for (const auto& [code, option] : table) {
        EXPECT_GE(ui::selfont(ctx, code), 0) << code;
        EXPECT_EQ(ctx.font.options, option);
        ASSERT_NE(canvas->font(), nullptr);
        EXPECT_LE(canvas->font()->cell_height,
                  std::stoi(std::string(option).substr(std::string(option).find('h') + 1)));
        EXPECT_GE(canvas->font()->cell_height, previous_height); // larger codes, larger fonts
        previous_height = canvas->font()->cell_height;
    }
    ui::selfont(ctx, 2);
    for (int keep : {6, -4, -3, -6, 99}) {
        EXPECT_GE(ui::selfont(ctx, keep), 0);
        EXPECT_EQ(ctx.font.options, "t'arial'h12w7");
    }
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(SelfontTest, AFirstCallThatKeepsNothingTakesTheFailurePath)
{
    ASSERT_GE(canvas->set_font("t'courier'h15w7"), 0);
    ModalAnswerer answer({"OK"});
    EXPECT_LT(ui::selfont(ctx, -4), 0);
    ASSERT_EQ(answer.shown.size(), 1u);
    EXPECT_EQ(answer.shown[0].caption, "Message...");
    EXPECT_EQ(answer.shown[0].text, "unable to register font  ");
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"ERROR: Unable to SETFONT specs=", " -2 -1 -8 3"}));
    EXPECT_EQ(canvas->text_width("i"), 7); // the previous font stays
}

TEST_F(SelfontTest, FontsThatCannotBeRegisteredGiveTwoBoxesAndTheSelectionGoesOn)
{
    ctx.font_folder = dir.filePath("no-fonts-here").toStdString();
    ModalAnswerer answer({"OK", "OK"});
    EXPECT_GE(ui::selfont(ctx, -5), 0);
    EXPECT_LT(ctx.font.status, 0);
    ASSERT_EQ(answer.shown.size(), 2u);
    EXPECT_EQ(answer.shown[0].text, "ERROR: Unable to register graphics fonts ");
    EXPECT_EQ(answer.shown[1].text, " Font File MERU.FON required or faulty ");
    EXPECT_EQ(canvas->text_width("W"), 7);
}

TEST_F(SelfontTest, NoActiveWindowIsAFailureNotACrash)
{
    frame.close_window(21);
    ModalAnswerer answer({"OK"});
    EXPECT_LT(ui::selfont(ctx, 1), 0);
    EXPECT_EQ(log_lines().at(0), "ERROR: Unable to SETFONT specs=t'arial'h11w7");
}
