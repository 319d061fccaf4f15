#pragma once
// Draws a rectangle diagram's attribute key (stats/attrkey.h) on a canvas.
#include "files/tables.h"
#include "partition/termlist.h"

#include <span>

namespace meru::platform {
class Canvas;
}

namespace meru::rectdiag {

// Draws the key lines of `list` in black, the first with its top left at (x, y),
// each following one 10 pixels lower, in the canvas's current font; `y` ends 10
// below the last line, where the current position is left. Nothing is drawn for a
// list without terms. `side` and `s` as for stats::attrkey_lines.
void attrkey(platform::Canvas& canvas, std::span<const int> side, const partition::TermList& list,
             const files::ControlTables& tables, int s, int x, int& y);

} // namespace meru::rectdiag
