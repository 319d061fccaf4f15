// The menu bar: numbering with separators and titles, stable handles, flags,
// command titles, menu_off/menu_on nesting, and choosing items by their texts.
#include "platform/menus.h"
#include "support/qt_application.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using namespace meru::platform;

namespace {

struct MenuBarTest : ::testing::Test {
    QMenuBar bar;
    Menus menus{&bar};
    std::vector<std::string> chosen;

    MenuRoutine note(std::string what)
    {
        return [this, what](bool) { chosen.push_back(what); };
    }

    // A bar shaped like the program's first menus: File, Edit, Y, Criteria (a command).
    void build()
    {
        menus.append(1, kMenuEnabled, "File");
        menus.append(1, kMenuEnabled, "Open", note("open"));
        menus.append(1, kMenuEnabled, "New", note("new"));
        menus.append(1, kMenuSeparator, "");
        menus.append(1, kMenuEnabled, "E&xit  ", note("exit"));
        menus.append(2, kMenuGrey, "Edit");
        menus.append(2, kMenuEnabled, "Copy", note("copy"));
        menus.append(3, kMenuGrey, "Y");
        menus.append(3, kMenuGrey, "&Distribution", note("dist"));
        menus.append(4, kMenuGrey, "Criteria", note("crit"));
    }
};

} // namespace

TEST_F(MenuBarTest, ItemsAreNumberedFromOneCountingSeparatorsWithTheTitleAtZero)
{
    build();
    EXPECT_EQ(menus.count(), 4);
    EXPECT_EQ(menus.item_count(1), 4);
    EXPECT_EQ(menus.text(1, 0), "File");
    EXPECT_EQ(menus.text(1, 2), "New");
    EXPECT_EQ(menus.text(1, 4), "E&xit  ");
    EXPECT_EQ(menus.item_count(4), 0);
    EXPECT_EQ(menus.item_count(5), -1);
    // Appending beyond the next new menu is refused.
    EXPECT_EQ(menus.append(6, kMenuEnabled, "Far"), 0);
    // The bar shows four top-level entries; the File drop-down holds four actions.
    ASSERT_EQ(bar.actions().size(), 4);
    EXPECT_EQ(bar.actions()[0]->menu()->actions().size(), 4);
    EXPECT_TRUE(bar.actions()[0]->menu()->actions()[2]->isSeparator());
}

TEST_F(MenuBarTest, HandlesStayOnTheirItemWhenItemsAroundThemComeAndGo)
{
    build();
    MenuHandle open = menus.handle(1, 1);
    MenuHandle exit = menus.handle(1, 4);
    MenuHandle w1 = menus.append(1, kMenuEnabled, "window one");
    MenuHandle w2 = menus.append(1, kMenuEnabled, "window two");
    EXPECT_EQ(menus.position(w2), std::make_pair(1, 6));
    EXPECT_TRUE(menus.remove(1, 2)); // "New"
    EXPECT_EQ(menus.position(open), std::make_pair(1, 1));
    EXPECT_EQ(menus.position(exit), std::make_pair(1, 3));
    EXPECT_EQ(menus.position(w2), std::make_pair(1, 5));
    EXPECT_TRUE(menus.remove(w1));
    EXPECT_EQ(menus.position(w1), std::make_pair(0, 0));
    EXPECT_FALSE(menus.set_text(w1, "gone"));
    EXPECT_TRUE(menus.set_text(w2, "log window"));
    EXPECT_EQ(menus.text(1, 4), "log window");
    EXPECT_FALSE(menus.remove(1, 0)); // the title is not an item
    EXPECT_FALSE(menus.remove(1, 9));
}

TEST_F(MenuBarTest, FlagsGreyEnableAndCheckAndItemZeroActsOnTheWholeMenu)
{
    build();
    EXPECT_FALSE(menus.enabled(2, 0));
    EXPECT_FALSE(menus.usable(2, 1)); // the item is enabled but its menu is grey
    menus.set_flags(2, 0, kMenuEnabled);
    EXPECT_TRUE(menus.usable(2, 1));
    EXPECT_TRUE(bar.actions()[1]->isEnabled());
    menus.set_flags(1, 2, kMenuGrey);
    EXPECT_FALSE(menus.usable(1, 2));
    EXPECT_FALSE(menus.action(menus.handle(1, 2))->isEnabled());
    menus.set_flags(1, 1, kMenuChecked);
    EXPECT_TRUE(menus.checked(1, 1));
    EXPECT_TRUE(menus.action(menus.handle(1, 1))->isChecked());
    menus.set_flags(1, 1, kMenuUnchecked);
    EXPECT_FALSE(menus.checked(1, 1));
    // A check mark stays what the program set when the user clicks the item.
    menus.set_flags(1, 1, kMenuChecked);
    menus.action(menus.handle(1, 1))->trigger();
    EXPECT_TRUE(menus.action(menus.handle(1, 1))->isChecked());
    EXPECT_EQ(chosen, std::vector<std::string>{"open"});
}

TEST_F(MenuBarTest, ACommandTitleRunsItsRoutineWhenClicked)
{
    build();
    menus.set_flags(4, 0, kMenuEnabled);
    QAction* crit = bar.actions()[3];
    EXPECT_EQ(crit->menu(), nullptr);
    crit->trigger();
    EXPECT_EQ(chosen, std::vector<std::string>{"crit"});
    std::string why;
    ASSERT_TRUE(menus.choose(menus.find("criteria", ""), why));
    EXPECT_EQ(chosen.size(), 2u);
}

TEST_F(MenuBarTest, MenuOffAndOnRestoreEachMenusOwnStateAndNest)
{
    build();
    for (int m = 5; m <= 12; ++m) menus.append(m, m % 2 ? kMenuGrey : kMenuEnabled, "M" + std::to_string(m));
    std::vector<bool> before;
    for (int m = 1; m <= 12; ++m) before.push_back(bar.actions()[m - 1]->isEnabled());
    menus.menu_off();
    menus.menu_off(); // nested pair
    for (int m = 3; m <= 12; ++m) EXPECT_FALSE(bar.actions()[m - 1]->isEnabled()) << m;
    EXPECT_TRUE(bar.actions()[0]->isEnabled()); // File and Edit are left alone
    menus.menu_on();
    for (int m = 3; m <= 12; ++m) EXPECT_FALSE(bar.actions()[m - 1]->isEnabled()) << "inner menu_on acted on " << m;
    // A menu the program enables while they are off comes back enabled.
    menus.set_flags(3, 0, kMenuEnabled);
    EXPECT_FALSE(bar.actions()[2]->isEnabled());
    menus.menu_on();
    before[2] = true;
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(bar.actions()[m - 1]->isEnabled(), before[m - 1]) << m;
    // A menu_on without its menu_off does nothing.
    menus.menu_on();
    EXPECT_EQ(menus.off_depth(), 0);
    EXPECT_FALSE(bar.actions()[4]->isEnabled());
}

TEST_F(MenuBarTest, ChoosingByTextRefusesWhatTheUserCouldNotClick)
{
    build();
    std::string why;
    EXPECT_EQ(menus.find("file", "exit"), menus.handle(1, 4)); // "&" and trailing blanks ignored
    EXPECT_EQ(menus.find("File", "Save"), 0);
    ASSERT_TRUE(menus.choose(menus.find("File", "Open"), why));
    EXPECT_FALSE(menus.choose(menus.find("Y", "Distribution"), why));
    EXPECT_EQ(why, "menu Y is greyed");
    menus.set_flags(3, 0, kMenuEnabled);
    menus.set_flags(3, 1, kMenuGrey);
    EXPECT_FALSE(menus.choose(menus.find("Y", "Distribution"), why));
    EXPECT_EQ(why, "menu item Y > Distribution is greyed");
    EXPECT_FALSE(menus.choose(menus.find("File", ""), why));
    EXPECT_EQ(why, "menu File has items: name one");
    menus.menu_off();
    menus.set_flags(3, 1, kMenuEnabled);
    EXPECT_FALSE(menus.choose(menus.find("Y", "Distribution"), why));
    menus.menu_on();
    EXPECT_TRUE(menus.choose(menus.find("Y", "Distribution"), why));
    EXPECT_EQ(chosen, (std::vector<std::string>{"open", "dist"}));
}

TEST(MenuTextTest, PlainTextDropsMnemonicsAndOuterBlanks)
{
    EXPECT_EQ(plain_menu_text("E&xit"), "Exit");
    EXPECT_EQ(plain_menu_text("F&ix Positi&ve attributes"), "Fix Positive attributes");
    EXPECT_EQ(plain_menu_text("Tree "), "Tree");
    EXPECT_EQ(plain_menu_text("Fish && Chips"), "Fish & Chips");
}
