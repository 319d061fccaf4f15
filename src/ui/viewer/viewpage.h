#pragma once
// Draws one page of the text viewer in the active window: the button bar on row
// 1, for the data file its name row (red on white) on row 2, then the page's
// lines in font -5, one text row each: log lines in their colours, delimited
// data in 9-column fields, other files black on white; the highlighted line white
// on black; grey rows past the end of the file.
#include "ui/viewer/pager.h"
#include "ui/viewer/row_text.h"

#include <string>

namespace meru::ui {
struct Context;
}

namespace meru::ui::viewer {

class LineIndex;

// The longest part of a line a row holds.
constexpr std::size_t kLineWidth = 2250;
// Font size codes of the bar and of the rows.
constexpr int kBarFont = 2;
constexpr int kRowFont = -5;

// How a viewer shows its file.
struct PageStyle {
    bool log = false;       // colours by first characters; the bar with Goto
    bool data = false;      // the data file: a name row on row 2
    bool delimited = false; // data: delimited, laid out in fields
    DataLayout layout;      // data: how the fields are delimited
    std::string name_row;   // data: the name row's text
};

// The button bars: the log's has 13 buttons, with Goto; the others 12.
std::string bar_text(bool log);

// Draws the bar, the name row and the page's rows.
void viewpage(Context& ctx, const LineIndex& index, const PageStyle& style, const Page& page);

} // namespace meru::ui::viewer
