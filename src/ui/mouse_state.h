#pragma once
// The mouse state the graphics windows poll: one block, written only by the
// callback `mousecb` that every such window registers, read by the window's own
// polling loop. A button press is latched: a move or release that follows it
// waits until a poller has seen the press once, so a quick click between two
// polls is seen exactly once, while a held button keeps reading 1 at each move.
#include "platform/mouse.h"

namespace meru::ui {

struct Context;

// Registration masks of the graphics windows.
constexpr int kMouseClicks = platform::mouse_left_down | platform::mouse_right_down; // 9
constexpr int kMouseLeftMove = platform::mouse_left_down | platform::mouse_move;     // 65
constexpr int kMouseClicksMove = kMouseClicks | platform::mouse_move;                // 73
constexpr int kMouseClicksMoveUp = kMouseClicksMove | platform::mouse_left_up;       // 75

// State values.
constexpr int kMouseNone = 0;  // nothing recorded
constexpr int kMouseLeft = 1;  // left button down
constexpr int kMouseRight = 2; // right button down

struct MouseBlock {
    int state = kMouseNone;
    int x = 0; // canvas pixels of the latest event seen
    int y = 0;
    platform::MouseLatch latch; // events recorded by mousecb, not yet seen by a poller
};

// The callback: records the event (state 2 while the right button is held,
// otherwise keystate AND 1) for the next poll.
void mousecb(MouseBlock& mouse, int unit, int event, int keystate, int x, int y);

// Binds mousecb on the context's block to the unit's window for the events in
// `mask`: the window waits for the user, so it is restored when minimised and
// raised over every other. Returns >= 0 when registered, < 0 when the unit has
// no window.
int register_mousecb(Context& ctx, int unit, int mask);
int unregister_mousecb(Context& ctx, int unit);

// Pollers: clear, wait, read.
// Forgets the recorded state and any event not yet seen.
void mouse_clear(MouseBlock& mouse);
// The same, presetting the position (a window that reads x and y without a click).
void mouse_clear(MouseBlock& mouse, int x, int y);
// Takes the next event into state, x and y (a latched press first); returns the
// state. Without a new event the block keeps what it holds.
int mouse_read(MouseBlock& mouse);
// Waits `ms` milliseconds at the mouse wait point (where a script's click is
// taken), then reads.
int mouse_poll(MouseBlock& mouse, int ms);

// The one click rule of a button bar: a click at y <= 15 selects button
// x div 45 + 1; 0 when the click is below the bar. A number above the count of
// buttons is a click beside the bar.
constexpr int kButtonWidth = 45;
constexpr int kBarClickHeight = 15;
constexpr int bar_button(int x, int y) { return y <= kBarClickHeight && x >= 0 ? x / kButtonWidth + 1 : 0; }

} // namespace meru::ui
