// The views of the distribution plot: the step curve of the distribution
// function or survival, the unique-value bars, the grouped histogram and the
// kernel density curve.
#include "files/textutil.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "plots/yhist_run.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/selfont.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace meru::plots {
namespace {

constexpr const char* kAxisReset = "Note: output below is repeated, due to axis re-set!";
// Pixels below the x axis of the two legend lines of a distribution of G.
constexpr int kFirstLegend = 50;
constexpr int kSecondLegend = 66;

} // namespace

bool DistRun::draw_survival(bool cdf)
{
    const SurvivalWalk walk = survival_walk(sample_, miss_);
    // A second curve that ends below the axis: the axis is set again to hold
    // both, and the first curve drawn again under the second.
    if (call_.overlay && !survival_overlay_fits(walk.final_p, st_.ylow)) {
        st_.fit_ylow = walk.ylow;
        redraw_first(st_.view);
    }
    if (!call_.overlay) {
        st_.ylow = std::min(walk.ylow, st_.fit_ylow);
        std::string title = cdf ? (walk.censored ? "Kaplan-Meier Empirical CDF" : "Empirical CDF")
                                : (walk.censored ? "Kaplan-Meier Survival" : "Survival Prob");
        // Distributions of G are titled by what they show.
        if (st_.gdist && !call_.title.empty()) title = call_.title;
        if (!(cdf ? axes(title, 0.0, 1.0 - st_.ylow, "probability") : axes(title, st_.ylow, 1.0, "probability")))
            return false;
        category_marks();
    }
    platform::Canvas& c = canvas();
    const double sx = ctx_.plot.plotscale.x, sy = ctx_.plot.plotscale.y;
    c.set_color_rgb(colour_);
    if (st_.gdist) {
        // Below the tick labels and the axis title, one line each.
        const int x0 = ui::plot_pixel(st_.xmin * sx);
        const int y = call_.overlay ? kSecondLegend : kFirstLegend;
        for (int dy = 0; dy < 2; ++dy) {
            c.moveto(x0, y + dy);
            c.lineto(x0 + 20, y + dy);
        }
        ui::selfont(ctx_, 2);
        c.moveto(x0 + 24, y - 6);
        ui::boldtext(c, call_.overlay ? "Search distribution of G" : "Random partition distribution");
    }
    const auto height = [&](double p) { return -ui::plot_pixel(sy * (cdf ? 1.0 - p : p)); };
    int lx = ui::plot_pixel(st_.xmin * sx);
    int ly = height(1.0);
    c.moveto(lx, ly);
    for (std::size_t i = 0; i < walk.points.size(); ++i) {
        const SurvivalPoint& pt = walk.points[i];
        const int px = ui::plot_pixel(sx * pt.x);
        if (pt.event) {
            c.lineto(px, ly);
            ly = height(pt.p);
            c.lineto(px, ly);
            lx = px;
        } else if (pt.x == x_.back()) {
            c.lineto(px, ly);
            lx = px;
        }
    }
    st_.censored = walk.censored;
    st_.median_found = walk.median.has_value();
    median_now_ = st_.median_found;
    if (walk.median) st_.median_px = ui::plot_pixel(sx * *walk.median);
    if (walk.events == 0) {
        ui::helpshow(ctx_, "NOTE: no data points");
        return false;
    }
    if (!call_.overlay || survival_overlay_fits(walk.final_p, st_.ylow)) {
        ui::selfont(ctx_, 2);
        label_at(lx + 8, ly - 5, -2);
        return true;
    }
    call_.overlay = false;
    st_.bandwidth = 0.0;
    ctx_.log.write(std::string(" ") + kAxisReset);
    draw_view(st_.view);
    return false;
}

bool DistRun::draw_bars(bool percent)
{
    const std::vector<UniqueRun> runs = unique_runs(sample_, miss_);
    const auto height = [&](const UniqueRun& r) { return percent ? 100.0 * r.count / miss_.total : r.count; };
    double top = 0.0;
    for (const UniqueRun& r : runs) top = std::max(top, height(r));
    // Bars taller than the first curve's axis: the axis is set again to hold
    // both, and the first curve drawn again under the second.
    if (call_.overlay && top > st_.bar_max) {
        st_.fit_top = top;
        if (!redraw_first(st_.view)) {
            call_.overlay = false;
            draw_view(st_.view);
            return false;
        }
    }
    if (!call_.overlay) {
        top = std::max(top, st_.fit_top);
        st_.bar_max = top;
        if (!axes(percent ? "Relative Frequencies of unique values" : "Frequencies of unique values", 0.0, top,
                  percent ? "%" : "number"))
            return false;
        category_marks();
    }
    platform::Canvas& c = canvas();
    const double sx = ctx_.plot.plotscale.x, sy = ctx_.plot.plotscale.y;
    const std::size_t n = x_.size();
    const int h = n < 10 ? 3 : n < 31 ? 2 : n < 101 ? 1 : 0;
    c.set_color_rgb(colour_);
    for (const UniqueRun& r : runs) {
        if (!(r.count > 0.0)) continue;
        const int x = ui::plot_pixel(sx * r.value);
        const int y = -ui::plot_pixel(sy * height(r));
        int left = x - h, right = x + h;
        if (!call_.interactive) {
            left = call_.overlay ? x + 1 : x - 2 * h;
            right = call_.overlay ? x + 1 + 2 * h : x;
        }
        if (left == right) {
            c.moveto(left, 0);
            c.lineto(left, y);
        } else {
            c.rectangle(platform::Fill::interior, left, 0, right, y);
        }
    }
    if (!files::trim(call_.label).empty()) {
        const int o = call_.overlay ? 20 : 0;
        c.set_vieworg(84, 416);
        c.set_color_rgb(colour_);
        c.rectangle(platform::Fill::interior, 100 + o, 50, 110 + o, 55);
        ui::selfont(ctx_, 2);
        label_at(100 + o, 60, 0);
        restore_origin();
    }
    if (!st_.density.empty() && call_.interactive) {
        c.set_color_rgb(kBlack);
        c.moveto(st_.density.front().x, st_.density.front().y);
        for (const ui::PlotPixel& p : st_.density) c.lineto(p.x, p.y);
    }
    if (grouping_allowed() && st_.group_next) {
        bins_bar(percent);
        return true;
    }
    st_.group_next = true;
    return true;
}

void DistRun::draw_histogram(bool percent)
{
    const BinSetup& b = st_.bins;
    const std::vector<double> counts = bin_counts(sample_, miss_, b);
    st_.bandwidth = b.width;
    ctx_.log.write("Histogram bins: starting " + io::fmt_f(b.start, 13, 6) + " width " + io::fmt_f(b.width, 13, 6));
    for (int j = 0; j <= b.k; ++j) {
        const double lo = b.start + j * b.width;
        const double hi = j == b.k ? 1e20 : b.start + (j + 1) * b.width;
        // The last bin's open bound (1e20) keeps all its digits instead of a field of "*".
        ctx_.log.write(io::side_by_side({io::fmt_i(j, 3), io::fmt_f(lo, 13, 6)}) + "<= X <" + io::fmt_f(hi, 13, 6) +
                       "     " + io::fmt_i(static_cast<long long>(counts[static_cast<std::size_t>(j)]), 6));
    }
    const double sum = std::accumulate(counts.begin(), counts.end(), 0.0);
    if (sum != miss_.total) {
        ctx_.log.write(" testsum ne ftot " + io::fmt_g(sum, 13, 6) + " " + io::fmt_g(miss_.total, 13, 6));
        ui::msgok(ctx_, "testsum fail in YHIST. Tell Kelb$");
    }
    const auto height = [&](double c) { return percent ? 100.0 * c / miss_.total : c; };
    double top = 0.0;
    for (double c : counts) top = std::max(top, height(c));
    // The axis holds every bin whole, the last one (from the largest value up) too.
    const std::pair<double, double> span{std::min(st_.xmin, b.start),
                                         std::max(st_.xmax, b.start + (b.k + 1) * b.width)};
    if (!axes(percent ? "Rel. Freq. Grouped" : "Bar Grouped", 0.0, top, percent ? "%" : "number", true, span))
        return;
    platform::Canvas& c = canvas();
    const double sx = ctx_.plot.plotscale.x, sy = ctx_.plot.plotscale.y;
    ui::selfont(ctx_, 2);
    text(ui::plot_pixel(st_.xmin * sx), 70,
         "Bin width=" + io::fmt_f(b.width, 13, 6) + " starting at " + io::fmt_f(b.start, 13, 6), kBlack);
    std::vector<std::pair<int, int>> edges; // (right edge, top) of the drawn bars
    c.set_color_rgb(colour_);
    for (int j = 0; j <= b.k; ++j) {
        const double count = counts[static_cast<std::size_t>(j)];
        if (!(count > 0.0)) continue;
        // Each bar covers its own bin, from its lower to its upper limit.
        const double a = b.start + j * b.width;
        const int left = ui::plot_pixel(sx * a + 0.5);
        const int right = ui::plot_pixel(sx * (a + b.width) + 0.5);
        const int top_px = -ui::plot_pixel(sy * height(count));
        c.set_color_rgb(colour_);
        c.rectangle(platform::Fill::interior, left, 0, right, top_px);
        if (edges.size() == 1) label_at(left + 6, top_px, -2);
        edges.emplace_back(right, top_px);
    }
    c.set_color_rgb(kBarEdge);
    for (auto [right, top_px] : edges) {
        c.moveto(right, 0);
        c.lineto(right, top_px);
    }
}

bool DistRun::draw_density(bool after_step)
{
    for (;;) {
        const double h = call_.overlay || st_.bandwidth != 0.0 ? st_.bandwidth : 0.0;
        const KernelEstimate k = kernel_estimate(sample_, miss_, h);
        st_.bandwidth = k.bandwidth;
        if (!call_.overlay) {
            st_.dmax = k.dmax;
            const std::pair<double, double> span{std::min(st_.xmin, k.x(0)),
                                                 std::max(st_.xmax, k.x(kGridPoints - 1))};
            if (!axes("Empirical pdf", 0.0, 1.1 * k.dmax, "density", !after_step, span)) return false;
            ui::selfont(ctx_, 2);
            text(ui::plot_pixel(st_.xmin * ctx_.plot.plotscale.x), 70,
                 "Normal Kernel std.dev=" + io::fmt_f(k.sd, 13, 6), kBlack);
            category_marks();
        }
        platform::Canvas& c = canvas();
        const double sx = ctx_.plot.plotscale.x, sy = ctx_.plot.plotscale.y;
        c.set_color_rgb(colour_);
        std::vector<ui::PlotPixel> px(kGridPoints);
        for (int i = 0; i < kGridPoints; ++i) {
            const double d = k.d[static_cast<std::size_t>(i)];
            int y = -ui::plot_pixel(sy * d);
            if (d > 0.0 && y == 0) y = -1;
            px[static_cast<std::size_t>(i)] = {ui::plot_pixel(sx * k.x(i)), y};
            if (i == 0) c.moveto(px[0].x, px[0].y);
            else c.lineto(px[static_cast<std::size_t>(i)].x, y);
        }
        st_.density.assign(px.begin() + 1, px.end());
        ui::selfont(ctx_, 2);
        if (call_.overlay) label_at(px.back().x + 6, px.back().y, -4);
        else label_at(px[1].x - 10, px[1].y, -4);
        if (call_.overlay && !density_overlay_fits(k, st_.dmax)) {
            call_.overlay = false;
            st_.bandwidth = 0.0;
            ctx_.log.write(std::string(" ") + kAxisReset);
            after_step = false;
            continue;
        }
        if (call_.overlay || !density_bar()) return true;
        after_step = true;
    }
}

} // namespace meru::plots
