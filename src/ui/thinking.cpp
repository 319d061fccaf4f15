#include "ui/thinking.h"

#include "platform/canvas.h"
#include "platform/frame.h"
#include "ui/context.h"
#include "ui/selfont.h"

namespace meru::ui {

namespace {

constexpr const char* kTitle = "I'm thinking....";
constexpr std::size_t kTextMax = 80;

void blank(platform::Canvas& c)
{
    c.set_vieworg(0, 0);
    c.set_color_rgb(0xffffff);
    c.rectangle(platform::Fill::interior, 0, 0, kThinkingWidth - 1, kThinkingHeight - 1);
}

void give_back(platform::Frame& frame, int unit, bool focus)
{
    if (unit == platform::no_window || !frame.is_open(unit)) return;
    frame.set_active(unit);
    if (focus) frame.set_focus(unit);
}

} // namespace

void thinking(Context& ctx, std::string_view text, bool write)
{
    platform::Frame& frame = ctx.frame;
    const int remembered = frame.active();

    if (!write) {
        frame.close_window(kThinkingUnit);
        if (!frame.open_window(kThinkingUnit, kTitle)) return;
        platform::WindowConfig config;
        config.numxpixels = kThinkingWidth;
        config.numypixels = kThinkingHeight;
        config.title = kTitle;
        if (!frame.set_window_config(kThinkingUnit, config)) frame.set_window_config(kThinkingUnit, config);
        frame.set_active(kThinkingUnit);
        selfont(ctx, -5);
        platform::Canvas& c = *frame.canvas(kThinkingUnit);
        c.set_viewport(0, 0, kThinkingWidth - 1, kThinkingHeight - 1);
        blank(c);
        give_back(frame, remembered, true);
        return;
    }

    if (!frame.is_open(kThinkingUnit)) return;
    frame.set_active(kThinkingUnit);
    frame.set_focus(kThinkingUnit);
    platform::Canvas& c = *frame.canvas(kThinkingUnit);
    blank(c);
    c.moveto(20, 20);
    c.set_color_rgb(kThinkingColour);
    c.outgtext(text.substr(0, std::min(text.size(), kTextMax)));
    give_back(frame, remembered, text.starts_with("... about noth"));
}

} // namespace meru::ui
