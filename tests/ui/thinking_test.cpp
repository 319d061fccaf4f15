// The progress window: size, colours by pixel, the text in the journal, which
// window is active and which has the focus afterwards, and one window however
// often it is opened.
#include "platform/canvas.h"
#include "platform/window.h"
#include "ui/thinking.h"
#include "ui_fixture.h"

#include <QMdiArea>
#include <QMdiSubWindow>

using namespace meru;
using meru::test::UiTest;

namespace {

class ThinkingTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        frame.set_journaling(true);
        ASSERT_TRUE(frame.open_window(21, "Plot"));
        frame.set_active(21);
        frame.set_focus(21);
    }
    int progress_windows()
    {
        int n = 0;
        for (auto* w : frame.mdi_area().subWindowList()) n += w->windowTitle() == "I'm thinking....";
        return n;
    }
};

} // namespace

TEST_F(ThinkingTest, OpeningGivesAWhiteWindowAndLeavesTheOtherWindowInCharge)
{
    ui::thinking(ctx, "ignored", false);
    platform::Canvas* c = frame.canvas(ui::kThinkingUnit);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->width(), 500);
    EXPECT_EQ(c->height(), 60);
    EXPECT_EQ(c->get_pixel_rgb(0, 0), 0xffffff);
    EXPECT_EQ(c->get_pixel_rgb(499, 59), 0xffffff);
    EXPECT_EQ(frame.window(ui::kThinkingUnit)->title(), "I'm thinking....");
    EXPECT_EQ(ctx.font.options, "t'courier'h15w7");
    EXPECT_EQ(frame.active(), 21);
    EXPECT_EQ(frame.focus(), 21);
    ui::thinking(ctx, "", false);
    ui::thinking(ctx, "", false);
    EXPECT_EQ(progress_windows(), 1);
}

TEST_F(ThinkingTest, AWriteIsBlueOnWhiteAndKeepsTheFocus)
{
    ui::thinking(ctx, "", false);
    platform::Canvas* c = frame.canvas(ui::kThinkingUnit);
    ui::thinking(ctx, "WWWWWWWWWWWWWWWWWWWW old text", true);
    c->clear_journal();
    ui::thinking(ctx, "..viewing data  ", true);
    EXPECT_EQ(frame.active(), 21);
    EXPECT_EQ(frame.focus(), ui::kThinkingUnit);

    const auto& j = c->journal();
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0].op, "rectangle");
    EXPECT_EQ(j[0].colour, 0xffffff);
    EXPECT_EQ(j[1].op, "text");
    EXPECT_EQ(j[1].text, "..viewing data  ");
    EXPECT_EQ(j[1].colour, 0xff0000);
    EXPECT_EQ(j[1].points.at(0), QPoint(20, 20));

    int blue = 0, other = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 500; ++x) {
            const int p = c->get_pixel_rgb(x, y);
            if (p == 0xff0000) {
                ++blue;
                EXPECT_TRUE(x >= 20 && x < 20 + 16 * 7 && y >= 20 && y < 35) << x << "," << y;
            } else if (p != 0xffffff) {
                ++other;
            }
        }
    EXPECT_GT(blue, 20);
    EXPECT_EQ(other, 0); // the old, longer text is gone; no antialiasing
    EXPECT_EQ(c->get_pixel_rgb(0, 0), 0xffffff);
    EXPECT_EQ(c->get_pixel_rgb(499, 59), 0xffffff);
}

TEST_F(ThinkingTest, TheIdleTextGivesTheFocusBack)
{
    ui::thinking(ctx, "", false);
    ui::thinking(ctx, "... about nothing. Waiting. Data file: heart.csv", true);
    EXPECT_EQ(frame.active(), 21);
    EXPECT_EQ(frame.focus(), 21);
}

TEST_F(ThinkingTest, LongTextsAreCutAndAWriteBeforeOpeningDoesNothing)
{
    ui::thinking(ctx, "early", true);
    EXPECT_FALSE(frame.is_open(ui::kThinkingUnit));
    ui::thinking(ctx, "", false);
    platform::Canvas* c = frame.canvas(ui::kThinkingUnit);
    c->clear_journal();
    ui::thinking(ctx, std::string(120, 'x'), true);
    EXPECT_EQ(c->journal().back().text, std::string(80, 'x'));
}
