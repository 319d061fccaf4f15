#include "ui/viewer/keys.h"

#include "platform/events.h"
#include "platform/frame.h"
#include "platform/window.h"

namespace meru::ui::viewer {

void keystart(platform::Frame& frame, int unit)
{
    if (platform::ChildWindow* w = frame.window(unit)) w->keys().clear();
    frame.set_focus(unit);
}

bool keywait(const platform::Frame& frame, int unit)
{
    platform::ChildWindow* w = frame.window(unit);
    return w && w->keys().has_key();
}

int keyget(platform::Frame& frame, int unit)
{
    platform::ChildWindow* w = frame.window(unit);
    std::optional<int> code = w ? w->keys().get() : std::nullopt;
    if (code && *code == 0 && w->keys().has_key()) code = w->keys().get();
    if (!code) {
        platform::beep();
        return ' ';
    }
    return *code;
}

} // namespace meru::ui::viewer
