#include "ui/plot_text.h"

#include "platform/canvas.h"
#include "platform/frame.h"
#include "ui/context.h"

namespace meru::ui {

bool plot_text(Context& ctx, int x, int y, std::string_view text)
{
    platform::Canvas* canvas = ctx.frame.active_canvas();
    if (!canvas) return false;
    canvas->set_color_rgb(0x000000);
    canvas->moveto(x, y);
    canvas->outgtext(text);
    return true;
}

} // namespace meru::ui
