#pragma once
// Rows of text 14 pixels high in the active graphics window, each over a
// coloured bar, and the button bar on row 1. Every window that shows status
// lines, prompts, text lines or a button bar writes them here.
//
// Row r's text starts at y = 14r - 14 and its bar covers y = 14r - 13 .. 14r.
// Button i of the bar is a face over x = 45i - 44 .. 45i - 1, y = 0 .. 13, with
// a blue border to (45i, 14) and its word at (45i - 39, 2). Clicks on the bar
// are read by bar_button (ui/mouse_state.h). Colours are 0xBBGGRR.
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meru::ui {

struct Context;

constexpr int kRowHeight = 14;
constexpr int kMaxButtons = 20;   // words of a button bar beyond these are not shown
constexpr int kButtonChars = 5;   // characters of a button's word
constexpr int kCellWidth = 7;     // pixels of a character in cell mode
constexpr int kCellColumns = 100; // last column cell mode draws
constexpr int kButtonOdd = 0xbbbbbb;
constexpr int kButtonEven = 0xcccccc;
constexpr int kButtonBorder = 0xff0000;
constexpr int kButtonGreyed = 0x999999;
// Pixels a button's word has from its start (5 pixels into the face) to 2
// pixels short of the face's right edge, so that a screen's font drawing a
// little wider than its advance is not cut by the next face; a wider word is
// drawn condensed to fit.
constexpr int kButtonRoom = 36;

// The y of row r's text (its bar starts one pixel lower).
constexpr int row_top(int r) { return kRowHeight * r - kRowHeight; }

// The bar a row gets over a background `back`: the whole row, or (a coloured
// background on a row below 1) up to int(6.9 (L + 2)) pixels, L being the last
// non-blank column, over a white row. A first character "%" or blank on such a
// row is shown as a blank and gives the whole row.
struct RowBar {
    bool full = true;         // the bar runs over the whole row
    int last_x = 0;           // else its last pixel column; the row is white beyond it
    bool blank_first = false; // the text's first character is shown as a blank
};
RowBar row_bar(std::string_view text, int back, int r);

// The words of a button bar: at most 20, each cut to 5 characters.
std::vector<std::string> bar_words(std::string_view text);

// Writes `text` on row r (r >= 2: from column ctx.textcol1; r = 1: the whole
// text over the row) in font `fontcode`, colour `fore`, over a bar in `back`.
// In cell mode (ctx.cellmode) a row below 1 is drawn character by character in
// 7-pixel cells without a bar, up to column 100, and row 1 is left alone. The
// first overload leaves the text as it is; the second sets a first "%" to a
// blank in the caller's text when the row shows it so.
void textrow(Context& ctx, std::string_view text, int back, int r, int fontcode, int fore);
void textrow(Context& ctx, std::string& text, int back, int r, int fontcode, int fore);

// Writes the button bar of `text` (its words, see bar_words) on row 1, the rest
// of the row in `back`; the buttons whose numbers are in `greyed` show their
// word in grey. Nothing is drawn in cell mode. While a window's bar starts with
// Esc, the Esc key typed into it is a click on that button; a bar or row 1 text
// without it makes the key a key again.
void buttonbar(Context& ctx, std::string_view text, int back, int fontcode, int fore,
               std::span<const int> greyed = {});

} // namespace meru::ui
