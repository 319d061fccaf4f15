#pragma once
// Mouse events of a graphics window, in canvas pixels from the canvas's top left.
#include <functional>

namespace meru::platform {

// Event bits (also the bits of a registration mask).
constexpr int mouse_left_down = 1;
constexpr int mouse_left_up = 2;
constexpr int mouse_left_double = 4;
constexpr int mouse_right_down = 8;
constexpr int mouse_right_up = 16;
constexpr int mouse_right_double = 32;
constexpr int mouse_move = 64;
// Key-state bits passed with every event.
constexpr int mouse_ks_left = 1;
constexpr int mouse_ks_right = 2;
constexpr int mouse_ks_shift = 4;
constexpr int mouse_ks_control = 8;

// (unit, event, keystate, x, y); called at the next event pump.
using MouseCallback = std::function<void(int unit, int event, int keystate, int x, int y)>;

struct MouseSample {
    int event = 0;
    int keystate = 0;
    int x = 0;
    int y = 0;
};

// The latest mouse event of a window as a poller sees it. A button press is
// latched: later moves and releases wait behind it until a poller has read it
// once, so a click that goes down and up between two polls is still seen, once,
// and the next read sees the release.
class MouseLatch {
public:
    void record(const MouseSample& sample);
    // The latest sample (or the latched press); releases the latch.
    MouseSample read();
    // Forgets everything (pollers clear before they wait).
    void clear();
    bool latched() const { return latched_; }
    // An event was recorded that read() has not returned yet.
    bool fresh() const { return fresh_; }

private:
    MouseSample sample_;
    bool latched_ = false;
    MouseSample behind_; // the latest event that came while a press was latched
    bool has_behind_ = false;
    bool fresh_ = false;
};

} // namespace meru::platform
