#pragma once
// Feeds mouse events to a window at each of its mouse waits, under the fake
// clock: a click (down and up), a move without a button, a held drag step, or
// nothing. Once the list is used up every wait gets a click on Esc (the bar's
// first button), so a test never hangs.
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "platform/mouse.h"
#include "platform/window.h"

#include <deque>

namespace meru::test {

struct MouseStep {
    enum Kind { click, move, drag, idle, right } kind = click;
    int x = 0, y = 0;
};

class MouseFeed {
public:
    MouseFeed(platform::Frame& frame, int unit, std::deque<MouseStep> steps) : steps_(std::move(steps))
    {
        platform::set_clock(&clock_);
        previous_ = platform::set_wait_hook([&frame, unit, this](platform::WaitPoint point, int) {
            if (point != platform::WaitPoint::mouse || !frame.window(unit)) return;
            ++waits;
            MouseStep s{MouseStep::click, 20, 5};
            if (!steps_.empty()) {
                s = steps_.front();
                steps_.pop_front();
            } else {
                ++overrun;
            }
            if (before_step) before_step(s);
            auto* w = frame.window(unit);
            switch (s.kind) {
            case MouseStep::click:
                w->mouse_event(platform::mouse_left_down, platform::mouse_ks_left, s.x, s.y);
                w->mouse_event(platform::mouse_left_up, 0, s.x, s.y);
                break;
            case MouseStep::move: w->mouse_event(platform::mouse_move, 0, s.x, s.y); break;
            case MouseStep::drag: w->mouse_event(platform::mouse_move, platform::mouse_ks_left, s.x, s.y); break;
            case MouseStep::right:
                w->mouse_event(platform::mouse_right_down, platform::mouse_ks_right, s.x, s.y);
                break;
            case MouseStep::idle: break;
            }
        });
    }
    ~MouseFeed()
    {
        platform::set_wait_hook(previous_);
        platform::set_clock(nullptr);
    }
    MouseFeed(const MouseFeed&) = delete;
    MouseFeed& operator=(const MouseFeed&) = delete;

    int waits = 0;
    int overrun = 0;
    std::function<void(const MouseStep&)> before_step;

private:
    platform::FakeClock clock_;
    platform::WaitHook previous_;
    std::deque<MouseStep> steps_;
};

} // namespace meru::test
