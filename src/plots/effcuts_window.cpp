// The effectiveness v. cuts window: the variable dialog, then for the chosen
// line its cuts' effectiveness by cut number through the curve window, the best
// cut highlighted, the cuts labelled and their table in the log, until Cancel.
#include "platform/canvas.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "plots/plotwin.h"
#include "plots/rank_window_common.h"
#include "plots/rank_windows.h"
#include "plots/roc_model.h"
#include "ui/axes.h"
#include "ui/context.h"
#include "ui/messages.h"
#include "ui/selfont.h"

#include <cmath>

namespace meru::plots {

namespace {

constexpr const char* kZeroNote = "NOTE: maximum effectiveness is zero !";

// The values of cuts 1..n of the line whose cut 1 is attribute `first`.
std::vector<double> cut_values(std::span<const double> attg, int first, int n)
{
    std::vector<double> v(static_cast<std::size_t>(n), std::nan(""));
    for (int j = 0; j < n; ++j) {
        const int a = first + j;
        if (a >= 1 && a <= static_cast<int>(attg.size()))
            v[static_cast<std::size_t>(j)] = attg[static_cast<std::size_t>(a - 1)];
    }
    return v;
}

void plot_line(ui::Context& ctx, const EffcutsCall& call, int line)
{
    const CutLines& lines = *call.lines;
    const int n = lines.ncut(line), first = lines.first(line);
    const std::vector<double> values = cut_values(call.attg, first, n);
    const BestCut best = effectiveness_best(values);
    const std::string name =
        line <= static_cast<int>(lines.names.size()) ? lines.names[static_cast<std::size_t>(line - 1)] : "";
    ctx.frame.set_active(kEffcutsWindow);
    ui::AxisLayout layout;
    layout.ylen = 0.6, layout.xfac = 1.3;
    layout.xlo = 1, layout.xhi = n, layout.ylo = 0, layout.yhi = 1.3 * best.m;
    // A tick at every cut, where its point and its label stand.
    layout.xwant = 1;
    layout.xtitle = " ";
    layout.ytitle = call.critname.substr(0, 20);
    layout.title = io::fmt_a(name, 8);
    ui::drawaxis(ctx, layout);
    ui::selfont(ctx, 2);
    platform::Canvas* canvas = ctx.frame.canvas(kEffcutsWindow);
    if (canvas == nullptr) return;
    const double sx = ctx.plot.plotscale.x;
    canvas->set_vieworg(ctx.plot.vieworg.x, ctx.plot.vieworg.y);
    canvas->set_color_rgb(0xffffff);
    canvas->rectangle(platform::Fill::interior, 1, 11, ui::plot_pixel((n + 1) * sx), 25);
    if (best.m == 0) {
        ui::helpshow(ctx, kZeroNote);
        return;
    }
    canvas->set_color_rgb(0x000000);
    std::vector<std::string> labels;
    for (int j = 1; j <= n; ++j) labels.push_back(lines.label(first + j - 1));
    for (int j : labelled_cuts(n, best.cut)) {
        canvas->moveto(ui::plot_pixel(j * sx) - 15, 25);
        canvas->outgtext(labels[static_cast<std::size_t>(j - 1)]);
    }
    ui::selfont(ctx, 3);
    // The cuts the ranking scored; the others are not drawn.
    std::vector<double> xs, ys;
    int highlight = 0;
    for (int j = 1; j <= n; ++j) {
        const double v = values[static_cast<std::size_t>(j - 1)];
        if (std::isnan(v)) continue;
        xs.push_back(j);
        ys.push_back(v);
        if (j == best.cut) highlight = static_cast<int>(xs.size());
    }
    CurveWindow w;
    w.x = xs;
    w.y = ys;
    w.n = static_cast<int>(xs.size());
    w.colour = 0x000000;
    w.label = std::string(10, ' ');
    w.highlight = highlight;
    w.title = name;
    w.refline = false;
    w.x1 = 0, w.y1 = 0, w.x2 = 1, w.y2 = 1;
    w.refcolour = 0x0000ff;
    w.size = 3;
    w.join = true;
    plotwin(ctx, w);
    for (const std::string& l : effcuts_log(name, labels, values)) ctx.log.write(l);
}

} // namespace

void effcuts(ui::Context& ctx, const EffcutsCall& call)
{
    if (call.lines == nullptr) return;
    if (call.maximum == 0) {
        ui::helpshow(ctx, kZeroNote);
        return;
    }
    std::map<int, bool> checks;
    for (;;) {
        const LineList list = offered_lines(ctx, *call.lines, 2);
        // The list comes back beside the plot just drawn.
        const VariablePick pick = pick_variable(ctx, kEffcutsDialog, list, checks, kEffcutsWindow);
        if (pick.missing) {
            ctx.log.write("Error: dialog box 56 not found");
            return;
        }
        if (pick.closed != 1 || list.entries.empty() || pick.line == 0) {
            ctx.frame.set_focus(kEffcutsWindow);
            return;
        }
        const std::string title = "Effectiveness v. cuts plot";
        if (!open_plot_window(ctx, kEffcutsWindow, title, "Effectiveness v. cuts", 620, 520)) return;
        plot_line(ctx, call, pick.line);
    }
}

} // namespace meru::plots
