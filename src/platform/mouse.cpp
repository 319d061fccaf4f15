#include "platform/mouse.h"

namespace meru::platform {

namespace {

bool is_press(int event)
{
    return (event & (mouse_left_down | mouse_left_double | mouse_right_down | mouse_right_double)) != 0;
}

} // namespace

void MouseLatch::record(const MouseSample& sample)
{
    const bool press = is_press(sample.event);
    fresh_ = true;
    if (latched_ && !press) {
        behind_ = sample;
        has_behind_ = true;
        return;
    }
    sample_ = sample;
    latched_ = press;
    has_behind_ = false;
}

MouseSample MouseLatch::read()
{
    const MouseSample seen = sample_;
    fresh_ = latched_ && has_behind_;
    if (fresh_) sample_ = behind_;
    latched_ = false;
    has_behind_ = false;
    return seen;
}

void MouseLatch::clear()
{
    sample_ = {};
    latched_ = false;
    has_behind_ = false;
    fresh_ = false;
}

} // namespace meru::platform
