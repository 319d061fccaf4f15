// The QROC curves window: the variable dialog and one curve per pass drawn
// through the curve window, superimposed when asked (each curve in its own
// colour, named in the key), until Cancel.
#include "platform/frame.h"
#include "platform/io/logwriter.h"
#include "plots/qroc_draw.h"
#include "plots/rank_window_common.h"
#include "plots/rank_windows.h"
#include "ui/axes.h"
#include "ui/context.h"
#include "ui/messages.h"

namespace meru::plots {

void qrocplot(ui::Context& ctx, const RocCall& call)
{
    namespace ids = rank_dialog_ids;
    if (call.lines == nullptr) return;
    if (call.ynames.size() != 1) {
        std::string text = "Multivariate Y: cannot do QROC $";
        ui::msgbox(ctx, text, BoxKind::Ok, true);
        return;
    }
    ui::helpshow(ctx, "Rank: QROC curves");
    close_plot_window(ctx, kQrocWindow);
    const CutLines& lines = *call.lines;
    std::map<int, bool> checks{{ids::kSuperimpose, false}, {ids::kConnect, true}};
    int k = 0;
    std::vector<QrocKeyEntry> key; // the curves on the axes
    for (int pass = 1;; ++pass) {
        const LineList list = offered_lines(ctx, lines, 1);
        VariablePick pick = pick_variable(ctx, kQrocDialog, list, checks);
        if (pick.missing) {
            ctx.log.write("Error: dialog box 51 not found");
            return;
        }
        if (pick.closed != 1) return;
        if (pick.line == 0) {
            std::string text = " Need to select a variable from list or Cancel$";
            ui::msgbox(ctx, text, BoxKind::Ok, false);
            --pass;
            continue;
        }
        const int line = pick.line;
        const bool super = checks[ids::kSuperimpose];
        const bool fresh = !super || pass == 1 || !ctx.frame.is_open(kQrocWindow);
        if (fresh) {
            const std::string title = curve_window_title("QROC curve for ", call.ynames.front());
            if (!open_plot_window(ctx, kQrocWindow, title, title.substr(0, 39), 600, 520)) return;
        }
        k = super ? k + 1 : 0;
        const int n = lines.ncut(line), first = lines.first(line);
        const QrocCurve curve = qroc_points(cut_tables(call.sample, call.signbyte, first, n, call.skip));
        const std::string name =
            line <= static_cast<int>(lines.names.size()) ? lines.names[static_cast<std::size_t>(line - 1)] : "";
        ctx.frame.set_active(kQrocWindow);
        if (fresh) {
            ui::AxisLayout layout;
            layout.ylen = 0.6, layout.xfac = 1.25, layout.xhi = 1.05, layout.yhi = 1.05;
            layout.xwant = 0.2, layout.ywant = 0.2;
            layout.xtitle = "QI(0)";
            layout.ytitle = "QI(1)";
            layout.title = qroc_title(name);
            ui::drawaxis(ctx, layout);
            key.clear();
        }
        if (!curve.evaluable) {
            ui::helpshow(ctx, "NOTE: Sensitivity/specificity not evaluable");
            continue;
        }
        QrocDrawing d;
        d.curve = &curve;
        d.name = name;
        for (int j = 0; j < n; ++j) d.labels.push_back(lines.label(first + j));
        d.optimised = lines.best(line);
        d.colour = superimposed_colour(k);
        d.superimpose = super;
        d.connect = checks[ids::kConnect];
        d.label_row = static_cast<int>(key.size());
        draw_qroc(ctx, d);
        key.push_back({name, d.colour});
        if (key.size() > 1) draw_qroc_key(ctx, key);
    }
}

} // namespace meru::plots
