#pragma once
// The frame's menu bar of twelve menus (File, Edit, Y, Criteria, Rank, Strategy,
// Search, Process, Options, View, Window, Help) and the menu routines. Almost
// every routine only raises request flags; the few that act at once are
// declared here.
#include "mainloop/dispatch.h"
#include "platform/menus.h"

#include <functional>

namespace meru::mainloop {

struct Program;

// Menu numbers.
constexpr int kFileMenu = 1;
constexpr int kEditMenu = 2;
constexpr int kYMenu = 3;
constexpr int kCriteriaMenu = 4;
constexpr int kRankMenu = 5;
constexpr int kStrategyMenu = 6;
constexpr int kSearchMenu = 7;
constexpr int kProcessMenu = 8;
constexpr int kOptionsMenu = 9;
constexpr int kViewMenu = 10;
constexpr int kWindowMenu = 11;
constexpr int kHelpMenu = 12;

// Appends every menu and item with its text, state and routine, and records
// each request item's name in program.item_names.
void menubar(Program& program);

// A routine that raises a request and keeps the choice until its step is served.
platform::MenuRoutine chosen(Program& program, Step step, std::function<void()> raise_request);

// Search:Go!: counts the search, raises the Go! requests, writes the log
// heading, greys Go! and enables End, restores the progress window.
void gomenu(Program& program);
// Help:Tip of the Day: lowers the Help requests and shows the tips at once.
void tipmenu(Program& program);
// File:Save As and File:Print: ask, then save or print the focused window.
void saveasmenu(Program& program);
void printmenu(Program& program);
// File:Exit: with an analysis open, asks first and writes "User File:Exit of
// MERU" to the log; then ends the program.
void exitmenu(Program& program);
// The progress window's Window-menu routine: focus, active, normal size.
void front37(Program& program);

} // namespace meru::mainloop
