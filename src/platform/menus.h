#pragma once
// The frame's menu bar: menus numbered 1.. from the left, items numbered from 1
// within a menu counting separators, item 0 the menu's title. Every item and title
// also has a handle that stays valid while items around it are appended or
// deleted, so code that keeps handles never hits the wrong item.
//
// Flag words: 1 grey, 2 disabled, 4 enabled, 8 separator, 16 checked, 32 unchecked.
// Item 0 acts on the whole menu. A menu whose title was appended with a routine is
// a command of the menu bar itself (it has no drop-down items).
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QAction;
class QMenuBar;
class QObject;

namespace meru::platform {

constexpr int kMenuGrey = 1;
constexpr int kMenuDisabled = 2;
constexpr int kMenuEnabled = 4;
constexpr int kMenuSeparator = 8;
constexpr int kMenuChecked = 16;
constexpr int kMenuUnchecked = 32;

using MenuRoutine = std::function<void(bool checked)>;
using MenuHandle = int; // 0 means none

// Text as a script names it: without "&" and without trailing blanks.
std::string plain_menu_text(std::string_view text);

class Menus {
public:
    explicit Menus(QMenuBar* bar);
    ~Menus();
    Menus(const Menus&) = delete;
    Menus& operator=(const Menus&) = delete;

    // Appends an item to `menu`; `menu` = count() + 1 appends a new menu whose title
    // is `text` (a command when `routine` is given). Returns the new handle, 0 when
    // `menu` is out of range.
    MenuHandle append(int menu, int flags, std::string_view text, MenuRoutine routine = {});
    bool remove(int menu, int item);
    bool remove(MenuHandle handle);
    bool set_flags(int menu, int item, int flags);
    bool set_flags(MenuHandle handle, int flags);
    bool set_text(int menu, int item, std::string_view text);
    bool set_text(MenuHandle handle, std::string_view text);

    MenuHandle handle(int menu, int item) const;           // 0 when there is no such item
    std::pair<int, int> position(MenuHandle handle) const; // {0, 0} once deleted
    int count() const;
    int item_count(int menu) const; // -1 for no such menu
    std::string text(int menu, int item) const;
    bool enabled(int menu, int item) const; // as the program set it
    bool usable(int menu, int item) const;  // what the user can choose now (menu_off and hold counted)
    bool checked(int menu, int item) const;

    // Greys menus 3 to 12 while a graphics window waits for the mouse; menu_on gives
    // them back the state the program last set. Pairs nest: only the outermost pair acts.
    void menu_off();
    void menu_on();
    int off_depth() const;

    // Greys the titles and items named as (menu, item), item 0 a title, on top of
    // the state the program sets, until let_go(): a run is under way that their
    // requests would disturb. What the program sets meanwhile shows once they are
    // let go.
    void hold(std::initializer_list<std::pair<int, int>> items);
    void let_go();

    // The item a user would reach through the title and item texts (compared
    // without "&", trailing blanks and case); `item` empty names a command title.
    MenuHandle find(std::string_view title, std::string_view item) const;
    // Chooses the item as the user's click would. Fails (with the reason) for a
    // greyed item or menu, a title with drop-down items, a separator.
    bool choose(MenuHandle handle, std::string& why);

    QAction* action(MenuHandle handle) const;
    QMenuBar* bar() const;

private:
    struct Entry;
    struct Menu;
    Entry* entry(int menu, int item);
    const Entry* entry(int menu, int item) const;
    bool locate(MenuHandle h, int& menu, int& item) const;
    void apply(int menu);
    void apply_item(Entry& e);
    void make_dropdown(Menu& m);

    QMenuBar* bar_;
    std::unique_ptr<QObject> context_; // the menu routines' connections end with it
    std::vector<Menu> menus_;
    int next_handle_ = 1;
    int off_depth_ = 0;
};

} // namespace meru::platform
