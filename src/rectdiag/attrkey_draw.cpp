#include "rectdiag/attrkey_draw.h"

#include "platform/canvas.h"
#include "stats/attrkey.h"

namespace meru::rectdiag {

void attrkey(platform::Canvas& canvas, std::span<const int> side, const partition::TermList& list,
             const files::ControlTables& tables, int s, int x, int& y)
{
    canvas.set_color_rgb(0x000000);
    if (list.q() < 1) return;
    canvas.moveto(x, y);
    for (const std::string& text : stats::attrkey_lines(side, list, tables, s)) {
        canvas.outgtext(text);
        y += 10;
        canvas.moveto(x, y);
    }
}

} // namespace meru::rectdiag
