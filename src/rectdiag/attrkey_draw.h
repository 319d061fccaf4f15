#pragma once
// Draws a rectangle diagram's attribute key (stats/attrkey.h) on a canvas.
#include "files/tables.h"
#include "partition/termlist.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace meru::platform {
class Canvas;
}

namespace meru::rectdiag {

// A key line cut into rows that `fits`, at its " & " joins: each later row
// starts with two blanks and the "&". A part that does not fit alone keeps a row
// of its own.
std::vector<std::string> wrap_key_line(const std::string& text, const std::function<bool(const std::string&)>& fits);

// Draws the key lines of `list` in black, the first with its top left at (x, y),
// each following row one 10 pixels lower, in the canvas's current font; a line
// wider than `width` pixels is wrapped (wrap_key_line). `y` ends 10 below the
// last row, where the current position is left. Returns the top of each term's
// first row. Nothing is drawn for a list without terms. `side` and `s` as for
// stats::attrkey_lines.
std::vector<int> attrkey(platform::Canvas& canvas, std::span<const int> side, const partition::TermList& list,
                         const files::ControlTables& tables, int s, int x, int& y, int width);

} // namespace meru::rectdiag
