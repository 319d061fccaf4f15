// The scatter plot of discrete variables: the level table with its box plots and
// mean markers (one discrete variable), and the frequency circles with the
// cross-tabs in the log (two discrete variables).
#include "files/charcodes.h"
#include "files/tables.h"
#include "files/textutil.h"
#include "outcome/scatter_run.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "stats/chisqtab.h"
#include "ui/context.h"
#include "ui/plotsym.h"
#include "ui/selfont.h"

#include <algorithm>
#include <cmath>

namespace meru::outcome {
namespace {

const std::string kDashes(25, '-');

// The label of a level's value: its code character for a character variable,
// else the value in two columns.
std::string value_label(int value, bool character)
{
    return character ? std::string(1, files::codechar(value)) : io::fmt_i(value, 2);
}

stats::ChiSquareTest chisq(const tree::CrossTab& t)
{
    constexpr int side = tree::CrossTab::kSide;
    std::vector<std::int64_t> cells;
    cells.reserve(static_cast<std::size_t>(side) * side);
    for (int y = tree::CrossTab::kLow; y <= tree::CrossTab::kHigh; ++y)
        for (int x = tree::CrossTab::kLow; x <= tree::CrossTab::kHigh; ++x) cells.push_back(t.at(x, y));
    std::vector<double> rows(side), cols(side);
    return stats::chisqtab(cells, side, side, rows, cols);
}

std::string chisq_line(const stats::ChiSquareTest& c, bool excluding)
{
    return std::string(excluding ? " Chi-square excluding missing with " : " Chi-square with ") +
           io::fmt_i(static_cast<long long>(c.df), 3) + " df =" + io::fmt_e(c.chisq, 10, 4) +
           " P=" + io::fmt_f(c.p, 8, 5);
}

std::string error_line(double e, bool excluding)
{
    return std::string(excluding ? " Misclassification error excluding missing=" : " Misclassification error=") +
           io::fmt_f(e, 6, 2) + "%";
}

} // namespace

void ScatterRun::mean_marker(int x, int y, int colour) const
{
    platform::Canvas* c = canvas();
    if (!c) return;
    c->set_color_rgb(colour);
    c->ellipse(platform::Fill::interior, x - 2, y - 2, x + 2, y + 2);
    c->set_color_rgb(kBlack);
    c->ellipse(platform::Fill::border, x - 3, y - 3, x + 3, y + 3);
}

void ScatterRun::box_glyph(const LevelSums& l, int k)
{
    platform::Canvas* c = canvas();
    if (!c) return;
    const ui::PlotPair& sc = cx_.ui.plot.plotscale;
    const BoxGlyph g = outcome::box_glyph(l.quartiles(), l.mean(), k, sc.x, sc.y, scan_.x.is_discrete(), v_.box_half);
    auto rect = [c](platform::Fill fill, const PixRect& r) {
        c->rectangle(fill, std::min(r.x1, r.x2), std::min(r.y1, r.y2), std::max(r.x1, r.x2), std::max(r.y1, r.y2));
    };
    c->set_color_rgb(kWhite);
    rect(platform::Fill::interior, g.band);
    c->set_color_rgb(kBoxOutline);
    rect(platform::Fill::border, g.low);
    rect(platform::Fill::border, g.high);
    rect(platform::Fill::interior, g.lower_whisker);
    rect(platform::Fill::interior, g.upper_whisker);
    mean_marker(g.meanx, g.meany, kMeanMarker);
}

void ScatterRun::level_table(const ScatterCloud& c, bool first, bool log_quartiles)
{
    io::LogWriter& log = cx_.ui.log;
    const bool dx = scan_.x.is_discrete();
    const VarScan& d = dx ? scan_.x : scan_.y;
    const int dvar = dx ? cx_.y.scatx : cx_.y.scaty;
    const int cvar = dx ? cx_.y.scaty : cx_.y.scatx;
    if (first) {
        if (v_.z.distinguish) log.write(io::fmt_a(legend(true), 40));
        log.write(" " + io::fmt_a(varname(dvar), 8) + " n    mean of " + io::fmt_a(varname(cvar), 8));
        log.write(kDashes);
    }
    bool quartile_head = true;
    for (int k = 1; k <= static_cast<int>(c.levels.size()); ++k) {
        const LevelSums& l = c.levels[static_cast<std::size_t>(k - 1)];
        if (!(l.sw > 0)) continue;
        const std::string label = value_label(d.values[static_cast<std::size_t>(k - 1)], d.character);
        if (first) log.write("     " + label + "   " + io::fmt_i(l.sw, 5) + " " + io::fmt_e(l.mean(), 13, 6));
        if (!v_.box) continue;
        if (log_quartiles) {
            if (quartile_head) log.write("Box plot quartiles:");
            quartile_head = false;
            const stats::Quartiles q = l.quartiles();
            log.write("     " + io::fmt_a(varname(dvar), 8) + "=" + label + " Q1=" + io::fmt_e(q.q25, 13, 6) +
                      " Q2=" + io::fmt_e(q.q50, 13, 6) + " Q3=" + io::fmt_e(q.q75, 13, 6));
        }
        box_glyph(l, k);
    }
    if (first) log.write(kDashes);
    if (!v_.z.distinguish) return;
    if (first) log.write(io::fmt_a(legend(false), 40));
    const ui::PlotPair& sc = cx_.ui.plot.plotscale;
    for (int k = 1; k <= static_cast<int>(c.levels.size()); ++k) {
        const LevelSums& l = c.levels[static_cast<std::size_t>(k - 1)];
        if (!(l.sw2 > 0)) continue;
        const int value = d.values[static_cast<std::size_t>(k - 1)];
        if (first)
            log.write("     " + std::string(1, files::codechar(value)) + "   " + io::fmt_i(l.sw2, 5) + " " +
                      io::fmt_e(l.mean2(), 13, 6));
        const int x = dx ? ui::plot_pixel(k * sc.x) : ui::plot_pixel(l.mean2() * sc.x);
        const int y = dx ? -ui::plot_pixel(l.mean2() * sc.y) : -ui::plot_pixel(k * sc.y);
        mean_marker(x, y, kPointRed);
    }
}

void ScatterRun::circles()
{
    const int lo = v_.show_missing ? -1 : 0;
    const bool two = v_.z.distinguish;
    double most = 0;
    for (int x = lo; x < kLevelValues; ++x)
        for (int y = lo; y < kLevelValues; ++y) {
            most = std::max(most, static_cast<double>(v_.counts->at(x, y)));
            if (two) most = std::max(most, static_cast<double>(v_.counts2->at(x, y)));
        }
    const double k = circle_factor(most, v_.circle_scale);
    const ui::PlotPair& sc = cx_.ui.plot.plotscale;
    const int largest = std::max(1, std::min(ui::plot_pixel(std::abs((scan_.xr.hi - scan_.xr.lo) * sc.x)),
                                             ui::plot_pixel(std::abs((scan_.yr.hi - scan_.yr.lo) * sc.y))));
    for (int x = lo; x < kLevelValues; ++x)
        for (int y = lo; y < kLevelValues; ++y)
            for (int table = 0; table < (two ? 2 : 1); ++table) {
                const std::int64_t n = (table == 0 ? *v_.counts : *v_.counts2).at(x, y);
                if (n == 0) continue;
                const bool missing = x < 0 || y < 0;
                ui::Symbol s;
                s.x = x < 0 ? missing_position(scan_.xr, true, true) : scan_.x.level_of(x);
                s.y = y < 0 ? missing_position(scan_.yr, true, false) : scan_.y.level_of(y);
                s.colour = table == 0 ? (missing ? kMissingBlue : kPointBlue) : (missing ? kMissingRed : kPointRed);
                s.size = circle_size(static_cast<double>(n), k, largest);
                s.ellipse = true;
                s.stipple = true;
                int control = ui::kSymbolOutline;
                ui::plotsym(cx_.ui, random_, s, control);
            }
}

void ScatterRun::crosstabs(bool first)
{
    if (v_.crosstabs_done) return;
    v_.crosstabs_done = true;
    io::LogWriter& log = cx_.ui.log;
    const tree::CrossTabNames names{varname(cx_.y.scatx), varname(cx_.y.scaty), is_char(cx_.y.scatx),
                                    is_char(cx_.y.scaty)};
    if (v_.z.distinguish) {
        cx_.msgline = files::squeeze(legend(true)).substr(0, 28);
        if (first) log.write(cx_.msgline.substr(0, 20));
    }
    tree::CrossTab t = *v_.counts;
    double e = tree::classtab(log, t, names);
    log.write(chisq_line(chisq(t), false));
    std::string last;
    if (e >= 0) log.write(last = error_line(e, false));
    if (t.has_missing()) {
        t.drop_missing();
        e = tree::classtab(log, t, names);
        log.write(chisq_line(chisq(t), true));
        if (e >= 0) log.write(last = error_line(e, true));
    }
    if (cx_.y.direct_scatter && !last.empty()) {
        ui::selfont(cx_.ui, 2);
        text(ui::plot_pixel(scan_.xr.lo * cx_.ui.plot.plotscale.x), below_axis(45), last, kBlack);
    }
    if (!v_.z.distinguish) return;
    cx_.msgline = files::squeeze(legend(false)).substr(0, 28);
    if (first) log.write(cx_.msgline.substr(0, 20));
    t = *v_.counts2;
    e = tree::classtab(log, t, names);
    log.write(chisq_line(chisq(t), false));
    if (t.has_missing()) {
        t.drop_missing();
        log.write(chisq_line(chisq(t), true));
    }
    if (e >= 0) log.write(error_line(e, false));
}

} // namespace meru::outcome
