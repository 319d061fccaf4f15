#include "ui/axes.h"

#include "platform/canvas.h"
#include "platform/frame.h"
#include "platform/io/format.h"
#include "platform/io/strings.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/selfont.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

namespace meru::ui {

namespace {

// The automatic scale lowers the power of ten at most this often; a range that
// still holds too few ticks then keeps the ticks it has.
constexpr int kMaxDecrements = 40;
// A requested step never makes more ticks than this (more than any window has pixels).
constexpr double kMaxTicks = 1000;
constexpr std::size_t kLabelWidth = 9;
constexpr std::size_t kTitleWidth = 80;

bool whole(double v) { return v == std::trunc(v); }

// Nearest integer, halves away from zero.
double nint(double v) { return std::round(v); }

// The tick count after the end adjustment: one fewer when the last tick lies
// beyond hi, one more when the room left above it is most of a step.
int adjust_end(int n, double last, double hi, double step)
{
    if (last > hi) return n - 1;
    if ((hi - last) / step > 0.9) return n + 1;
    return n;
}

std::optional<AxisTicks> automatic_ticks(PlotFrame& frame, double lo, double hi)
{
    int k = static_cast<int>(std::trunc(std::log10(hi)));
    double p = 0, b = 0, cnt = 0;
    for (int lowered = 0;; ++lowered) {
        p = std::pow(10.0, k);
        const double a = std::trunc(hi / p);
        b = std::trunc(lo / p);
        cnt = a - b + 1;
        if (cnt > 6 || lowered >= kMaxDecrements) break;
        --k;
    }
    AxisTicks t;
    t.first = b * p;
    t.step = p;
    do {
        t.step *= 2;
        cnt = std::floor((cnt + 1) / 2);
    } while (cnt > 6);
    t.n = static_cast<int>(cnt);
    double last = 0;
    t.fmt = axisfmt(t.first, t.step, t.n, frame.sign, last);
    frame.last_tick = last;
    t.n = adjust_end(t.n, last, hi, t.step);
    return t;
}

std::optional<AxisTicks> requested_ticks(PlotFrame& frame, double lo, double hi, double want)
{
    AxisTicks t;
    t.first = whole(want) ? nint(lo) : lo;
    t.step = want;
    const double m = std::clamp(nint((hi - t.first) / t.step), -kMaxTicks, kMaxTicks);
    t.n = std::max(static_cast<int>(m) + 1, 2);
    double last = m * t.step + t.first;
    if (whole(want)) {
        // The digits of the upper end; "(i-1)" and the like are left for the
        // label write to refuse.
        const double top = std::abs(hi);
        const int digits = top > 0 ? static_cast<int>(nint(std::log10(top))) + 1 : 1;
        t.fmt = "(i" + std::to_string(digits) + ")";
    } else {
        t.fmt = axisfmt(t.first, t.step, t.n, frame.sign, last);
    }
    frame.last_tick = last;
    t.n = adjust_end(t.n, last, hi, t.step);
    return t;
}

// The label of tick value v written with fmt into 9 characters: the whole part
// for an integer format, the value itself otherwise. False when the format
// cannot write it.
bool tick_label(const std::string& fmt, double v, std::string& out)
{
    int status = 0;
    if (fmt.size() > 1 && (fmt[1] == 'i' || fmt[1] == 'I')) {
        const double whole_part = std::trunc(v);
        if (!(std::abs(whole_part) < 9.0e18)) return false;
        status = io::write_with_format(fmt, static_cast<long long>(whole_part), kLabelWidth, out);
    } else {
        status = io::write_with_format(fmt, v, kLabelWidth, out);
    }
    return status == 0;
}

// Y titles of at most this many characters are written upright.
constexpr std::size_t kUprightTitle = 2;

// Pixels between a y label's last digit and its tick mark, and between the
// y title and the labels.
constexpr int kLabelGap = 13;
constexpr int kTitleGap = 3;

// A tick label's leading blanks and its printed part, in pixels of the current
// font (the bold copy one pixel further right included): x labels are centred
// under their tick, y labels end left of theirs, whatever the font's widths.
struct LabelExtent {
    int lead = 0;
    int digits = 0;
};

LabelExtent label_extent(const platform::Canvas& canvas, std::string_view label)
{
    const std::size_t first = label.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = label.find_last_not_of(' ');
    return {canvas.text_width(label.substr(0, first)), canvas.text_width(label.substr(first, last - first + 1)) + 1};
}

void format_error(Context& ctx, const std::string& fmt)
{
    std::string text = "Axis label format error " + fmt.substr(0, 6) + "$";
    msgbox(ctx, text, BoxKind::Ok, false);
}

// An ordered range of nonzero width: swapped when lo > hi, hi = lo + 1 when equal.
std::pair<double, double> ordered(double lo, double hi)
{
    if (lo >= hi) std::swap(lo, hi);
    if (lo == hi) hi = lo + 1;
    return {lo, hi};
}

} // namespace

std::string axisfmt(double start, double step, int n, bool& sign, double& end)
{
    if (start < 0) sign = true;
    const int s = sign ? 1 : 0;
    end = (n - 1) * step + start;
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(end)) return "(g9.4)";
    const int e = end == 0 ? 0 : std::max(static_cast<int>(std::trunc(std::log10(std::abs(end)))), 0);
    const int d = std::max(1 - static_cast<int>(std::trunc(std::log10(step))), 0);
    if (s + e + d >= 7 || d >= 9) return "(g9.4)";
    if (d == 0) return "(i" + std::to_string(e + 2) + ")";
    return "(f" + std::to_string(e + d + s + 3) + "." + std::to_string(d + 1) + ")";
}

std::optional<AxisTicks> axis_ticks(PlotFrame& frame, double lo, double& hi, double want)
{
    if (!std::isfinite(lo) || !std::isfinite(hi) || !std::isfinite(want)) return std::nullopt;
    if (want == 0) {
        if (hi < 0) return std::nullopt;
        if (hi == 0) hi = 1.0;
    }
    const double low = std::min(lo, hi), high = std::max(lo, hi);
    if (want == 0) return automatic_ticks(frame, low, high);
    return requested_ticks(frame, low, high, want);
}

std::optional<AxisTicks> axisscale(Context& ctx, double lo, double& hi, double want)
{
    if (want == 0 && hi < 0) helpshow(ctx, kUpperBelowZeroTopic);
    return axis_ticks(ctx.plot, lo, hi, want);
}

bool drawaxis(Context& ctx, const AxisLayout& layout)
{
    platform::Frame& frame = ctx.frame;
    platform::Canvas* canvas = frame.active_canvas();
    if (!canvas) return false;
    PlotFrame& plot = ctx.plot;
    selfont(ctx, 3);
    if (layout.resize) {
        if (auto config = frame.window_config(frame.active()))
            plot.winpix = {double(config->numxpixels), double(config->numypixels)};
        plot.xfraction = 0.75 * layout.ylen * layout.xfac;
    }
    const double w = plot.winpix.x, h = plot.winpix.y, fx = plot.xfraction;

    // Non-finite ends give the unit range and no ticks on that axis.
    const bool xfinite = std::isfinite(layout.xlo) && std::isfinite(layout.xhi);
    const bool yfinite = std::isfinite(layout.ylo) && std::isfinite(layout.yhi);
    const auto [xlo, xhi] = xfinite ? ordered(layout.xlo, layout.xhi) : std::pair{0.0, 1.0};
    const auto [ylo, yhi] = yfinite ? ordered(layout.ylo, layout.yhi) : std::pair{0.0, 1.0};
    plot.xlo = xlo, plot.xhi = xhi, plot.ylo = ylo, plot.yhi = yhi;

    const double xscale = fx * w / (xhi - xlo);
    const double yscale = layout.ylen * h / (yhi - ylo);
    plot.plotscale = {xscale, yscale};
    const int x0 = plot_pixel(xlo * xscale);
    const int y0 = plot_pixel(yscale * ylo);

    const int right = plot_pixel(w) - 1, bottom = plot_pixel(h) - 1;
    canvas->set_viewport(0, 0, right, bottom);
    canvas->set_color_rgb(layout.backcol);
    if (layout.offx == 0 && layout.offy == 0) canvas->rectangle(platform::Fill::interior, 0, 0, right, bottom);
    plot.vieworg = {plot_pixel(0.15 * w - x0), plot_pixel(0.8 * h + y0)};
    canvas->set_vieworg(plot.vieworg.x + layout.offx, plot.vieworg.y + layout.offy);

    canvas->set_color_rgb(layout.axiscol);
    canvas->rectangle(platform::Fill::border, x0 - 10, 10 - y0, plot_pixel(fx * w + 10 + x0),
                      -plot_pixel(h * layout.ylen + 10 + y0));

    std::string label;
    double xtop = xhi;
    const auto xticks = axisscale(ctx, xlo, xtop, layout.xwant);
    if (xticks && xfinite && !layout.noxticks) {
        selfont(ctx, 0);
        for (int i = 0; i < xticks->n; ++i) {
            const double v = xticks->first + i * xticks->step;
            if (v < xlo) continue;
            const int px = plot_pixel(xscale * v);
            canvas->moveto(px, 10 - y0);
            canvas->lineto(px, 5 - y0);
            if (!tick_label(xticks->fmt, v, label)) {
                format_error(ctx, xticks->fmt);
                return false;
            }
            const LabelExtent e = label_extent(*canvas, label);
            canvas->moveto(px - e.lead - e.digits / 2, 15 - y0);
            boldtext(*canvas, label);
        }
    }
    double ytop = yhi;
    int labels_left = x0 - 40; // the leftmost y label's start
    const auto yticks = axisscale(ctx, ylo, ytop, layout.ywant);
    if (yticks && yfinite && !layout.noyticks) {
        selfont(ctx, 0);
        const double slack = 0.1 * yticks->step;
        for (int i = -1; i <= yticks->n; ++i) {
            const double v = yticks->first + i * yticks->step;
            if (v < ylo - slack || v > yhi + slack) continue;
            const int py = -plot_pixel(yscale * v);
            canvas->moveto(x0 - 10, py);
            canvas->lineto(x0 - 5, py);
            if (!tick_label(yticks->fmt, v, label)) {
                format_error(ctx, yticks->fmt);
                return false;
            }
            const LabelExtent e = label_extent(*canvas, label);
            canvas->moveto(x0 - kLabelGap - e.lead - e.digits, py - 5);
            labels_left = std::min(labels_left, x0 - kLabelGap - e.digits);
            boldtext(*canvas, label);
        }
    }
    plot.ticks = yticks.value_or(AxisTicks{});

    selfont(ctx, 2);
    // The y title stands left of the widest y label (but not past the window's edge).
    const int ytitle_y = -plot_pixel((ylo + 0.25 * (yhi - ylo)) * yscale);
    const int window_left = -plot.vieworg.x;
    if (const std::string short_title = io::trim(layout.ytitle); short_title.size() <= kUprightTitle) {
        // A title of a letter or two ("G", "%") reads better upright, a size larger.
        selfont(ctx, 3);
        const int width = canvas->text_width(short_title) + 1;
        canvas->moveto(std::max(window_left, std::min(x0 - 55, labels_left - kTitleGap - width)), ytitle_y);
        boldtext(*canvas, short_title);
        selfont(ctx, 2);
    } else {
        // Turned upward, the text's lines stand to the right of its start.
        const int height = canvas->font() ? canvas->font()->cell_height : 0;
        canvas->set_gtext_vector(0, 1);
        canvas->moveto(std::max(window_left, std::min(x0 - 55, labels_left - kTitleGap - height)), ytitle_y);
        boldtext(*canvas, layout.ytitle);
    }
    canvas->set_gtext_vector(1, 0);
    canvas->moveto(plot_pixel((xhi - xlo) / 3 * xscale) + x0, 25 - y0);
    boldtext(*canvas, layout.xtitle);
    canvas->moveto(x0, -30 - plot_pixel(yhi * yscale));
    selfont(ctx, 3);
    boldtext(*canvas, std::string_view(layout.title).substr(0, kTitleWidth));
    selfont(ctx, 2);
    return true;
}

} // namespace meru::ui
