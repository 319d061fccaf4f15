#include "ui/mouse_state.h"

#include "platform/events.h"
#include "platform/frame.h"
#include "ui/context.h"

namespace meru::ui {

namespace {

int state_of(int keystate)
{
    if (keystate & platform::mouse_ks_right) return kMouseRight;
    return keystate & platform::mouse_ks_left;
}

} // namespace

void mousecb(MouseBlock& mouse, int, int event, int keystate, int x, int y)
{
    mouse.latch.record({event, keystate, x, y});
}

int register_mousecb(Context& ctx, int unit, int mask)
{
    // The window waits for the user from now on: in view, over every other.
    MouseBlock& mouse = ctx.mouse;
    return ctx.frame.register_mouse(unit, mask, [&mouse](int u, int event, int keystate, int x, int y) {
        mousecb(mouse, u, event, keystate, x, y);
    });
}

int unregister_mousecb(Context& ctx, int unit) { return ctx.frame.unregister_mouse(unit); }

void mouse_clear(MouseBlock& mouse)
{
    mouse.state = kMouseNone;
    mouse.latch.clear();
}

void mouse_clear(MouseBlock& mouse, int x, int y)
{
    mouse_clear(mouse);
    mouse.x = x;
    mouse.y = y;
}

int mouse_read(MouseBlock& mouse)
{
    if (!mouse.latch.fresh()) return mouse.state;
    const platform::MouseSample s = mouse.latch.read();
    mouse.state = state_of(s.keystate);
    mouse.x = s.x;
    mouse.y = s.y;
    return mouse.state;
}

int mouse_poll(MouseBlock& mouse, int ms)
{
    platform::mouse_wait(ms);
    return mouse_read(mouse);
}

} // namespace meru::ui
