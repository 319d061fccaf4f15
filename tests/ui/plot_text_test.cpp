// Result text in the active graphics window.
#include "ui/plot_text.h"

#include "platform/canvas.h"
#include "ui/selfont.h"
#include "ui_fixture.h"

using namespace meru;
using meru::test::UiTest;

TEST_F(UiTest, PlotTextDrawsBlackAtThePosition)
{
    EXPECT_FALSE(ui::plot_text(ctx, 0, 10, "nothing active"));
    ASSERT_TRUE(frame.open_window(21, "Distribution"));
    ASSERT_TRUE(frame.set_active(21));
    ASSERT_GE(ui::selfont(ctx, 2), 0);
    platform::Canvas& canvas = *frame.canvas(21);
    canvas.set_color_rgb(0x00ff00);
    canvas.set_journaling(true);
    ASSERT_TRUE(ui::plot_text(ctx, 5, 40, " # exceedances"));
    ASSERT_EQ(canvas.journal().size(), 1u);
    const auto& call = canvas.journal()[0];
    EXPECT_EQ(call.op, "text");
    EXPECT_EQ(call.text, " # exceedances");
    EXPECT_EQ(call.colour, 0x000000);
    EXPECT_EQ(call.points.at(0), QPoint(5, 40));
    // Black pixels where the text went.
    bool black = false;
    for (int y = 40; y < 54 && !black; ++y)
        for (int x = 5; x < 80 && !black; ++x) black = canvas.get_pixel_rgb(x, y) == 0x000000;
    EXPECT_TRUE(black);
}
