#include "ui/bring_to_front.h"

#include "platform/frame.h"

namespace meru::ui {

void bring_to_front(platform::Frame& frame, int unit)
{
    if (!frame.is_open(unit)) return;
    frame.set_focus(unit);
    frame.set_active(unit);
    frame.set_window_size(unit, {platform::SizeState::restored});
}

void front19(platform::Frame& frame) { bring_to_front(frame, kScatterWindow); }

} // namespace meru::ui
