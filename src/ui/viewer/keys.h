#pragma once
// The viewer's keys, read from the window's own key queue (filled by the window
// as keys are typed, on the one GUI thread; a key typed into a full queue is
// dropped with a beep). Extended keys are delivered by their second code, so
// Page Up reads as "I" and Page Down as "Q".
namespace meru::platform {
class Frame;
}

namespace meru::ui::viewer {

// Empties the key queue of the unit's window and gives the window the focus.
void keystart(platform::Frame& frame, int unit);

// True when a key waits in the unit's window.
bool keywait(const platform::Frame& frame, int unit);

// The next key: its code, or for an extended key its second code. An empty queue
// gives a blank, with a beep.
int keyget(platform::Frame& frame, int unit);

} // namespace meru::ui::viewer
