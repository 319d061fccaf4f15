#include "plots/qroc_draw.h"

#include "platform/canvas.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "plots/plotwin.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/plotframe.h"
#include "ui/selfont.h"

namespace meru::plots {

namespace {

int row_height(const platform::Canvas& canvas) { return canvas.font() ? canvas.font()->cell_height : 12; }

} // namespace

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
            if (d.superimpose) canvas->set_color_rgb(d.colour);
            canvas->moveto(ui::plot_pixel(ctx.plot.plotscale.x * c.x[e]),
                           -ui::plot_pixel(ctx.plot.plotscale.y * c.y[e]) + d.label_row * row_height(*canvas));
            canvas->outgtext(io::fmt_a(label, 20));
        }
        ctx.log.write(cut_table_line(label, c.y[e], c.x[e]));
    }
}

void draw_qroc_key(ui::Context& ctx, std::span<const QrocKeyEntry> key)
{
    platform::Canvas* canvas = ctx.frame.active_canvas();
    if (canvas == nullptr) return;
    ui::selfont(ctx, 2);
    canvas->set_vieworg(ctx.plot.vieworg.x, ctx.plot.vieworg.y);
    const int x = ui::plot_pixel(1.2 * ctx.plot.plotscale.x), top = -ui::plot_pixel(ctx.plot.plotscale.y);
    for (std::size_t i = 0; i < key.size(); ++i) {
        canvas->set_color_rgb(key[i].colour);
        canvas->moveto(x, top + static_cast<int>(i) * row_height(*canvas));
        ui::boldtext(*canvas, key[i].name);
    }
}

} // namespace meru::plots
