#pragma once
// Window-menu routines that bring a child window back: focus, active, normal size.
namespace meru::platform {
class Frame;
}

namespace meru::ui {

// The scatter-plot window's unit.
constexpr int kScatterWindow = 19;

// Gives the unit's window the focus, makes it the active window and shows it at
// its normal size; nothing happens when the unit has no window.
void bring_to_front(platform::Frame& frame, int unit);

// The Window-menu routine of the scatter-plot window.
void front19(platform::Frame& frame);

} // namespace meru::ui
