#pragma once
// Result text written into the current graphics window (the random-partition
// results under their distribution plot, for one).
#include <string_view>

namespace meru::ui {

struct Context;

// Draws `text` in black with its top left at (x, y) of the active graphics window,
// in that window's current font (select it first with selfont). False, and
// nothing drawn, when no graphics window is active.
bool plot_text(Context& ctx, int x, int y, std::string_view text);

} // namespace meru::ui
