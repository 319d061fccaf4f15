#pragma once
// The progress window "I'm thinking....": unit 37, 500 by 60 pixels, in which the
// program says what it is doing, in blue on white in font -5.
#include <string_view>

namespace meru::ui {

struct Context;

constexpr int kThinkingUnit = 37;
constexpr int kThinkingWidth = 500;
constexpr int kThinkingHeight = 60;
constexpr int kThinkingColour = 0xff0000; // blue (0xBBGGRR)

// `write` false (re)opens the window (white, font -5) and leaves the previously
// active window active and focused. `write` true shows `text` (at most 80
// characters) at (20, 20); the previously active window is made active again, and
// gets the focus back only for the idle text "... about noth..."; otherwise the
// progress window keeps the focus. A write while the window is not open does nothing.
void thinking(Context& ctx, std::string_view text, bool write);

} // namespace meru::ui
