#pragma once
// Graphics fonts by size code: -5 the fixed-pitch face 15 px high and 7 px wide,
// -2 to 5 the proportional face from 7 to 18 px high; -4, -3 and codes outside
// -5..5 keep the current selection text.
#include <string>
#include <string_view>

namespace meru::ui {

struct Context;

struct FontState {
    std::string options; // the current option text; empty until a code sets it
    int status = 0;       // result of the last font call or status query
};

// The option text of a size code; empty for the codes that keep the current one.
std::string_view font_option(int code);

// Registers the fonts of ctx.font_folder (two boxes when that fails, then goes on),
// sets ctx.font.options from `code` and selects it in the active window. Returns
// the font index (>= 0); on failure (no active window, an empty or unusable option
// text) writes "ERROR: Unable to SETFONT specs=" + the 30-column option text and a status
// line to the log, shows "unable to register font " and returns a negative value;
// the window's previous font stays.
int selfont(Context& ctx, int code);

} // namespace meru::ui
