#include "ui/selfont.h"

#include "files/textutil.h"
#include "platform/canvas.h"
#include "platform/fonts.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "ui/context.h"
#include "ui/messages.h"

namespace meru::ui {

std::string_view font_option(int code)
{
    switch (code) {
    case -5: return "t'courier'h15w7";
    case -2: return "t'Arial'h7w4";
    case -1: return "t'Arial'h9w5";
    case 0: return "t'Arial'h10w6";
    case 1: return "t'arial'h11w7";
    case 2: return "t'arial'h12w7";
    case 3: return "t'arial'h14w9";
    case 4: return "t'arial'h16w12";
    case 5: return "t'arial'h18w14";
    default: return {};
    }
}

int selfont(Context& ctx, int code)
{
    FontState& st = ctx.font;
    st.status = platform::initialize_fonts(ctx.font_folder);
    if (st.status < 0) {
        msgok(ctx, "ERROR: Unable to register graphics fonts$");
        msgok(ctx, st.status < -3 ? " Not enough free memory to register fonts$"
                                  : " Font File MERU.FON required or faulty$");
    }

    if (const std::string_view option = font_option(code); !option.empty()) st.options = option;

    platform::Canvas* canvas = ctx.frame.active_canvas();
    const int result = canvas ? canvas->set_font(st.options) : platform::gr_font_error;
    if (result >= 0) return result;

    ctx.log.write("ERROR: Unable to SETFONT specs=" + files::pad(st.options, 30));
    msgok(ctx, "unable to register font $");
    st.status = canvas ? canvas->status() : platform::gr_font_error;
    ctx.log.write(io::list_record(st.status, -1, -8, 3));
    return result;
}

} // namespace meru::ui
