#pragma once
// The search window (unit 15, "Searching ", 500 x 420 pixels): opened afresh,
// entered in the Window menu, made active with the focus, and its axes drawn
// over the scale the search keeps (y from 0 to y-max, x up to x-max by x-step).
#include "search/best_lists.h"

#include <span>
#include <string_view>

namespace meru::ui {
struct Context;
}

namespace meru::plots {

constexpr int kSearchWindow = 15;
constexpr int kSearchWidth = 500;
constexpr int kSearchHeight = 420;
constexpr const char* kSearchTitle = "Searching ";
constexpr const char* kHullMenuEntry = "Complexity hull of search";

// The window's scale: y from 0 to ymax, x up to xmax by xstep.
struct WindowScale {
    double ymax = 1.0;
    double xmax = 10.0;
    double xstep = 2.0;
};

// Opens the window and draws its axes, with `title` above them; false when the
// window cannot be opened.
bool open_search_window(ui::Context& ctx, const WindowScale& scale, std::string_view menu_entry,
                        std::string_view title = {});

// True when every entry of the best list lies within the scale's axes.
bool holds(const WindowScale& scale, std::span<const search::StoredPartition> entries);

// The scale widened to hold every entry of the best list: y-max twice a G above
// it, x-max at least the largest complexity + 3, the x step a quarter of x-max
// (whole, at least 1).
WindowScale hull_scale(WindowScale scale, std::span<const search::StoredPartition> entries);

} // namespace meru::plots
