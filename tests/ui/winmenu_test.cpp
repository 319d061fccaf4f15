// Window-menu entries: one item per window unit, renamed in place after other
// items were deleted, re-enabled when the window comes back, appended anew when
// its item was deleted; the routine is the item's.
#include "ui/winmenu.h"
#include "ui_fixture.h"

using namespace meru;
using meru::test::UiTest;

TEST_F(UiTest, EachWindowHasOneItemRenamedInPlace)
{
    std::vector<int> chosen;
    auto routine = [&](int unit) { return [&chosen, unit](bool) { chosen.push_back(unit); }; };
    ASSERT_EQ(menus.item_count(ui::kWindowMenu), 2);
    ui::winmenu(menus, ctx.windows, 21, "Plot A", routine(21));
    ui::winmenu(menus, ctx.windows, 22, "Plot B", routine(22));
    ui::winmenu(menus, ctx.windows, 150, "Any unit", routine(150));
    EXPECT_EQ(menus.item_count(ui::kWindowMenu), 5);
    EXPECT_EQ(menus.text(ui::kWindowMenu, 4), "Plot B ");

    ui::winmenu(menus, ctx.windows, 22, "Plot B, Y=2", routine(22)); // open: renamed
    EXPECT_EQ(menus.item_count(ui::kWindowMenu), 5);
    EXPECT_EQ(menus.text(ui::kWindowMenu, 4), "Plot B, Y=2 ");

    ASSERT_TRUE(menus.remove(ui::kWindowMenu, 1)); // items before it go away
    ASSERT_TRUE(menus.remove(ui::kWindowMenu, 2)); // "Plot A"
    ui::winmenu(menus, ctx.windows, 150, "Renamed", routine(150));
    EXPECT_EQ(menus.item_count(ui::kWindowMenu), 3);
    EXPECT_EQ(menus.text(ui::kWindowMenu, 2), "Plot B, Y=2 ");
    EXPECT_EQ(menus.text(ui::kWindowMenu, 3), "Renamed ");

    // Closed and greyed, then opened again: the same item, enabled.
    ui::winmenu_closed(ctx.windows, 22);
    menus.set_flags(ui::kWindowMenu, 2, platform::kMenuGrey);
    ui::winmenu(menus, ctx.windows, 22, "Plot B again", routine(22));
    EXPECT_EQ(menus.item_count(ui::kWindowMenu), 3);
    EXPECT_TRUE(menus.enabled(ui::kWindowMenu, 2));

    // The deleted item of unit 21 is appended anew.
    ui::winmenu(menus, ctx.windows, 21, "Plot A", routine(21));
    EXPECT_EQ(menus.item_count(ui::kWindowMenu), 4);
    EXPECT_EQ(menus.text(ui::kWindowMenu, 4), "Plot A ");

    std::string why;
    ASSERT_TRUE(menus.choose(ctx.windows.units[22].handle, why)) << why;
    ASSERT_TRUE(menus.choose(ctx.windows.units[21].handle, why)) << why;
    EXPECT_EQ(chosen, (std::vector<int>{22, 21}));
}
