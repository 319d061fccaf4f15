#pragma once
// The Window menu's entries for child windows: each unit's window is entered
// once, by the handle of its item, so renaming and re-enabling always hit that
// item whatever was appended or deleted around it.
#include "platform/menus.h"

#include <map>
#include <string_view>

namespace meru::ui {

// The Window menu is menu 11.
constexpr int kWindowMenu = 11;

struct WindowEntry {
    bool open = false;               // the window is open and entered
    platform::MenuHandle handle = 0; // its Window-menu item; 0 = never entered
};

struct WindowMenu {
    std::map<int, WindowEntry> units; // by window unit
};

// Enters the unit's window: renames its item to `text` + " " when the window is
// open already; re-enables the item when the window was entered before and closed
// since; otherwise appends an enabled item with `routine` to the Window menu. An
// item that was deleted meanwhile is appended anew.
void winmenu(platform::Menus& menus, WindowMenu& windows, int unit, std::string_view text,
             platform::MenuRoutine routine);

// Records that the unit's window was closed (its item stays).
void winmenu_closed(WindowMenu& windows, int unit);

} // namespace meru::ui
