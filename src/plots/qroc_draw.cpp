#include "plots/qroc_draw.h"

#include "platform/canvas.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "plots/plotwin.h"
#include "ui/context.h"
#include "ui/plotframe.h"
#include "ui/selfont.h"

namespace meru::plots {

std::string qroc_title(const std::string& name) { return "Test variable " + io::fmt_a(name, 8); }

void draw_qroc(ui::Context& ctx, const QrocDrawing& d)
{
    if (d.curve == nullptr || d.curve->x.size() < 3) return;
    const QrocCurve& c = *d.curve;
    const int n = static_cast<int>(c.x.size()) - 2;
    CurveWindow w;
    w.x = c.x;
    w.y = c.y;
    w.n = n + 2;
    w.colour = d.colour;
    w.highlight = d.optimised >= 0 ? d.optimised + 1 : 0;
    w.title = qroc_title(d.name);
    w.refline = true;
    w.x1 = 0, w.y1 = 0, w.x2 = 1, w.y2 = 1;
    w.refcolour = 0x0000ff;
    w.size = d.superimpose ? 2 : 12;
    w.join = d.connect;
    plotwin(ctx, w);

    ui::selfont(ctx, 2);
    ctx.log.write(" Cut of " + io::fmt_a(d.name, 8) + std::string(12, ' ') + "QI(1)       QI(0)");
    platform::Canvas* canvas = ctx.frame.active_canvas();
    for (int e = 1; e <= n; ++e) {
        const std::string label = e - 1 < static_cast<int>(d.labels.size()) ? d.labels[e - 1] : std::string();
        if (e == d.optimised && canvas != nullptr) {
            canvas->set_vieworg(ctx.plot.vieworg.x, ctx.plot.vieworg.y);
            canvas->moveto(ui::plot_pixel(ctx.plot.plotscale.x * c.x[e]),
                           -ui::plot_pixel(ctx.plot.plotscale.y * c.y[e]));
            canvas->outgtext(io::fmt_a(label, 20));
        }
        ctx.log.write(cut_table_line(label, c.y[e], c.x[e]));
    }
}

} // namespace meru::plots
