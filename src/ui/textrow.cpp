#include "ui/textrow.h"

#include "files/textutil.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/fonts.h"
#include "platform/frame.h"
#include "platform/window.h"
#include "ui/context.h"
#include "ui/mouse_state.h"
#include "ui/selfont.h"

#include <algorithm>

namespace meru::ui {

namespace {

// Pixels a character of the text widens a bar by.
constexpr double kBarPixelsPerChar = 6.9;

// Selects the font and puts the origin at the window's corner; the active
// window's canvas, or null when there is none.
platform::Canvas* start_row(Context& ctx, int fontcode)
{
    platform::Canvas* canvas = ctx.frame.active_canvas();
    if (!canvas) return nullptr;
    selfont(ctx, fontcode);
    canvas->set_vieworg(0, 0);
    return canvas;
}

// A bar whose first button is Esc takes the Esc key as a click on that button;
// any other row 1 lets the key be a key again.
void bind_esc(Context& ctx, bool esc_button)
{
    platform::ChildWindow* w = ctx.frame.window(ctx.frame.active());
    if (!w) return;
    if (esc_button) w->bind_key_click(platform::kEscCode, kButtonWidth / 2, kRowHeight / 2);
    else w->unbind_key_click(platform::kEscCode);
}

void fill(platform::Canvas& canvas, int colour, int x1, int y1, int x2, int y2)
{
    canvas.set_color_rgb(colour);
    canvas.rectangle(platform::Fill::interior, x1, y1, x2, y2);
}

void draw_row(Context& ctx, std::string_view text, const RowBar& bar, int back, int r, int fontcode, int fore)
{
    platform::Canvas* canvas = start_row(ctx, fontcode);
    if (!canvas) return;
    const int top = row_top(r);
    canvas->moveto(0, top);
    if (r == 1 && ctx.cellmode) {
        canvas->set_color_rgb(fore);
        return;
    }
    const int right = canvas->width() - 1;
    if (ctx.cellmode) {
        canvas->set_color_rgb(fore);
        const size_t first = static_cast<size_t>(std::max(ctx.textcol1, 1) - 1);
        const size_t last = std::min(text.size(), static_cast<size_t>(kCellColumns));
        for (size_t c = first; c < last; ++c) {
            if (text[c] == ' ') continue;
            canvas->moveto(kCellWidth * static_cast<int>(c - first), top);
            canvas->outgtext(text.substr(c, 1));
        }
        return;
    }
    fill(*canvas, back, 0, top + 1, right, top + kRowHeight);
    if (r == 1) {
        bind_esc(ctx, false);
        fill(*canvas, back, 0, 0, right, kRowHeight);
        canvas->moveto(0, 0);
        canvas->set_color_rgb(fore);
        canvas->outgtext(text);
        return;
    }
    if (!bar.full) {
        fill(*canvas, kWhite, 0, top + 1, right, top + kRowHeight);
        fill(*canvas, back, 0, top + 1, bar.last_x, top + kRowHeight);
    }
    canvas->moveto(0, top);
    canvas->set_color_rgb(fore);
    const size_t first = static_cast<size_t>(std::max(ctx.textcol1, 1) - 1);
    if (first < text.size()) canvas->outgtext(text.substr(first));
}

// Selects a narrower cut of the bar's font until `word` fits its button. True
// when the font was changed.
bool condense(Context& ctx, platform::Canvas& canvas, std::string_view word)
{
    if (canvas.text_width(word) <= kButtonRoom) return false;
    auto font = platform::parse_font_options(ctx.font.options);
    if (!font || font->height < 1 || font->width < 2) return false;
    for (--font->width; font->width >= 2; --font->width)
        if (canvas.set_font(platform::font_options_text(*font)) >= 0 && canvas.text_width(word) <= kButtonRoom) break;
    return true;
}

} // namespace

RowBar row_bar(std::string_view text, int back, int r)
{
    RowBar bar;
    if (r == 1 || back == kWhite || back == kBlack) return bar;
    const size_t end = text.find_last_not_of(' ');
    const int last = end == std::string_view::npos ? 0 : static_cast<int>(end) + 1;
    if (!text.empty() && (text[0] == '%' || text[0] == ' ')) {
        bar.blank_first = true;
        return bar;
    }
    if (last == 0) return bar;
    bar.full = false;
    bar.last_x = static_cast<int>((last + 2) * kBarPixelsPerChar);
    return bar;
}

std::vector<std::string> bar_words(std::string_view text)
{
    std::vector<std::string> words = files::splitline(text, ' ', kButtonChars);
    if (words.size() > static_cast<size_t>(kMaxButtons)) words.resize(kMaxButtons);
    return words;
}

void textrow(Context& ctx, std::string_view text, int back, int r, int fontcode, int fore)
{
    const RowBar bar = row_bar(text, back, r);
    if (!bar.blank_first) {
        draw_row(ctx, text, bar, back, r, fontcode, fore);
        return;
    }
    std::string shown(text);
    shown[0] = ' ';
    draw_row(ctx, shown, bar, back, r, fontcode, fore);
}

void textrow(Context& ctx, std::string& text, int back, int r, int fontcode, int fore)
{
    const RowBar bar = row_bar(text, back, r);
    if (bar.blank_first) text[0] = ' ';
    draw_row(ctx, text, bar, back, r, fontcode, fore);
}

void buttonbar(Context& ctx, std::string_view text, int back, int fontcode, int fore, std::span<const int> greyed)
{
    platform::Canvas* canvas = start_row(ctx, fontcode);
    if (!canvas) return;
    canvas->moveto(0, 0);
    if (ctx.cellmode) {
        canvas->set_color_rgb(fore);
        return;
    }
    const int right = canvas->width() - 1;
    fill(*canvas, back, 0, 1, right, kRowHeight);
    const std::vector<std::string> words = bar_words(text);
    bind_esc(ctx, !words.empty() && files::trim(words.front()) == "Esc");
    for (int i = 1; i <= static_cast<int>(words.size()); ++i) {
        const int left = kButtonWidth * (i - 1) + 1;
        fill(*canvas, i % 2 == 0 ? kButtonEven : kButtonOdd, left, 0, kButtonWidth * i - 1, kRowHeight - 1);
        canvas->set_color_rgb(kButtonBorder);
        canvas->rectangle(platform::Fill::border, left, 0, kButtonWidth * i, kRowHeight);
        canvas->moveto(kButtonWidth * i - 39, 2);
        const bool grey = std::find(greyed.begin(), greyed.end(), i) != greyed.end();
        canvas->set_color_rgb(grey ? kButtonGreyed : fore);
        const std::string& word = words[static_cast<size_t>(i - 1)];
        const bool condensed = condense(ctx, *canvas, files::trim(word));
        canvas->outgtext(word);
        if (condensed) canvas->set_font(ctx.font.options);
    }
    // The rest of the row (past an empty bar's first button place).
    const int rest = words.empty() ? kButtonWidth + 1 : kButtonWidth * static_cast<int>(words.size()) + 1;
    fill(*canvas, back, rest, 0, right, kRowHeight);
    canvas->moveto(0, 2);
    canvas->set_color_rgb(fore);
}

} // namespace meru::ui
