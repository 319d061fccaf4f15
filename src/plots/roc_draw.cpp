#include "plots/roc_draw.h"

#include "platform/canvas.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/plotframe.h"
#include "ui/selfont.h"

namespace meru::plots {

RocSummary draw_roc(ui::Context& ctx, const RocDrawing& d)
{
    RocSummary out;
    platform::Canvas* canvas = ctx.frame.active_canvas();
    if (canvas == nullptr || d.curve == nullptr || d.curve->ncuts() < 1) return out;
    const RocCurve& c = *d.curve;
    const int n = c.ncuts();
    const double sx = ctx.plot.plotscale.x, sy = ctx.plot.plotscale.y;
    const auto px = [&](double x) { return ui::plot_pixel(sx * x); };
    const auto py = [&](double s) { return -ui::plot_pixel(sy * s); };
    const auto xof = [&](int e) { return d.x_specificity ? c.specificity[e] : c.fpr[e]; };

    canvas->set_color_rgb(d.colour);
    canvas->set_vieworg(ctx.plot.vieworg.x, ctx.plot.vieworg.y);
    ui::selfont(ctx, 2);

    const int previous = canvas->set_color_rgb(d.diagonal ? kRocRed : 0xffffff);
    canvas->moveto(px(0), py(d.x_specificity ? 1 : 0));
    canvas->lineto(px(1), py(d.x_specificity ? 0 : 1));
    canvas->set_color_rgb(previous);

    canvas->moveto(px(xof(0)), py(c.sens[0]));
    ctx.log.write(" Cut of " + io::fmt_a(d.name, 8) + std::string(10, ' ') + "Sensitivity Specificity");
    for (int e = 1; e <= n; ++e) {
        const int x = px(xof(e)), y = py(c.sens[e]);
        if (d.connect) canvas->lineto(x, y);
        canvas->rectangle(platform::Fill::interior, x - 2, y - 2, x + 2, y + 2);
        const std::string label = e - 1 < static_cast<int>(d.labels.size()) ? d.labels[e - 1] : std::string();
        if (e == d.optimised) {
            canvas->set_color_rgb(kRocRed);
            canvas->rectangle(platform::Fill::interior, x - 2, y - 2, x + 2, y + 2);
            canvas->outgtext(io::fmt_a(label, 20));
            canvas->set_color_rgb(d.colour);
        }
        canvas->moveto(x, y);
        ctx.log.write(cut_table_line(label, c.sens[e], c.specificity[e]));
    }
    if (d.connect) canvas->lineto(px(xof(n + 1)), py(c.sens[n + 1]));

    ui::selfont(ctx, 0);
    if (d.notes) {
        if (below_diagonal(c)) ui::helpshow(ctx, "NOTE: Below diagonal line");
        if (d.connect && zigzag(c)) ui::helpshow(ctx, "NOTE: Zigzag detected");
    }
    out.auc = roc_area(c);
    out.se = auc_se(out.auc, c.n1, c.n0);

    const int tx = ui::plot_pixel(1.2 * sx), ty = -ui::plot_pixel(0.5 * sy);
    if (!d.superimpose) {
        canvas->set_color_rgb(0);
        canvas->moveto(tx, ty);
        ui::boldtext(*canvas, "var    AUC%  (SE%)");
        canvas->moveto(tx, ty + 10);
        canvas->outgtext(std::string(26, '-'));
    }
    canvas->set_color_rgb(d.superimpose ? d.colour : 0);
    canvas->moveto(tx, 10 * d.k + ty + 20);
    ui::boldtext(*canvas, auc_side_line(d.name, out.auc, out.se));
    ctx.log.write(auc_log_line(out.auc, out.se));
    return out;
}

} // namespace meru::plots
