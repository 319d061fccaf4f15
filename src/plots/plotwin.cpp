#include "plots/plotwin.h"

#include "files/textutil.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "plots/curve_drawing.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/plotsym.h"
#include "ui/selfont.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace meru::plots {

namespace detail {

QPoint CurveDrawing::at(double u, double v) const { return {ui::plot_pixel(sx * u), -ui::plot_pixel(sy * v)}; }

void select_refcolour(platform::Canvas& canvas, int refcolour)
{
    if (refcolour <= 15) canvas.set_color(refcolour);
    else canvas.set_color_rgb(refcolour);
}

void draw_refline(ui::Context& ctx, const CurveWindow& curve, CurveDrawing& d)
{
    platform::Canvas& canvas = d.canvas;
    const QPoint from = d.at(curve.x1, curve.y1);
    const QPoint to = d.at(curve.x2, curve.y2);
    canvas.moveto(from.x(), from.y());
    canvas.lineto(to.x(), to.y());
    std::string text = curve.linelabel.substr(0, 11);
    if (!text.empty() && text[0] == '=') {
        ui::marker(canvas, ui::plot_pixel(d.sx * curve.x2 + 2), -ui::plot_pixel(d.sy * curve.y2 + 5), ' ');
        text = "=" + io::fmt_g(d.slope, 10, 5);
        canvas.moveto(ui::plot_pixel(d.sx * curve.x2 + 15), -ui::plot_pixel(d.sy * curve.y2 + 25));
    }
    ui::selfont(ctx, 2);
    canvas.outgtext(text);
}

} // namespace detail

namespace {

constexpr double kTiny = 1e-20; // ends of the reference line closer than this in x draw no line

// The points the arrays hold from the first positions on, at most n.
int usable_points(const CurveWindow& c)
{
    if (c.n <= 0 || c.ix < 1 || c.iy < 1) return 0;
    const auto fit = [](std::size_t size, int first) { return size >= std::size_t(first) ? size - first + 1 : 0; };
    return static_cast<int>(std::min<std::size_t>({std::size_t(c.n), fit(c.x.size(), c.ix), fit(c.y.size(), c.iy)}));
}

double xof(const CurveWindow& c, int i) { return c.x[c.ix + i - 2]; }
double yof(const CurveWindow& c, int i) { return c.y[c.iy + i - 2]; }

// A filled square of half side `half`, or with `circle` a filled circle of radius `half`.
void symbol(platform::Canvas& canvas, QPoint p, int half, bool circle)
{
    half = std::max(half, 0);
    if (circle) canvas.ellipse(platform::Fill::interior, p.x() - half, p.y() - half, p.x() + half, p.y() + half);
    else canvas.rectangle(platform::Fill::interior, p.x() - half, p.y() - half, p.x() + half, p.y() + half);
}

} // namespace

int hit_point(const CurveWindow& curve, double sx, double sy, int ox, int oy, int mx, int my, bool x_only)
{
    int hit = 0;
    const int n = usable_points(curve);
    for (int i = 1; i <= n; ++i) {
        const int dx = ui::plot_pixel(sx * xof(curve, i)) - (mx - ox);
        const int dy = (oy - my) - ui::plot_pixel(sy * yof(curve, i));
        if (std::abs(dx) <= 5 && (x_only || std::abs(dy) <= 5)) hit = i;
    }
    return hit;
}

double beta_step(double slope, double sx, double sy) { return std::max(1.0, ui::safediv(10 * slope * sy, sx)); }

void plotwin(ui::Context& ctx, CurveWindow& curve)
{
    platform::Frame& frame = ctx.frame;
    const int unit = frame.active();
    platform::Canvas* canvas = frame.active_canvas();
    const int n = usable_points(curve);
    if (!canvas || n <= 0) return;
    ui::selfont(ctx, 3);

    detail::CurveDrawing d{*canvas};
    d.unit = unit;
    d.width = canvas->width();
    d.height = canvas->height();
    d.sx = ctx.plot.plotscale.x;
    d.sy = ctx.plot.plotscale.y;
    // Points lie from the origin the axes left (a button bar drawn since moved the canvas's).
    d.origin = {ctx.plot.vieworg.x, ctx.plot.vieworg.y};
    canvas->set_vieworg(d.origin.x(), d.origin.y());
    canvas->set_color_rgb(curve.colour);
    d.line = curve.refline && std::abs(curve.x2 - curve.x1) > kTiny;
    if (d.line) {
        d.slope = (curve.y2 - curve.y1) / (curve.x2 - curve.x1);
        d.intercept = curve.y1 - curve.x1 * d.slope;
    }

    const bool circles = curve.size >= 10;
    const int half = circles ? curve.size - 10 : curve.size;
    QPoint p = d.at(xof(curve, 1), yof(curve, 1));
    canvas->moveto(p.x(), p.y());
    for (int i = 1; i <= n; ++i) {
        p = d.at(xof(curve, i), yof(curve, i));
        if (curve.join) canvas->lineto(p.x(), p.y());
        symbol(*canvas, p, half, circles);
        canvas->moveto(p.x(), p.y());
    }
    QPoint label_at = p;
    if (curve.highlight >= 1 && curve.highlight <= n) {
        label_at = d.at(xof(curve, curve.highlight), yof(curve, curve.highlight));
        detail::select_refcolour(*canvas, curve.refcolour);
        symbol(*canvas, label_at, half - 1, circles);
    }
    canvas->set_color_rgb(curve.colour);
    // The label ends 10 pixels above the point, its left 15 pixels left of it, so
    // that neither the point nor a mark on it is written over; it starts 10
    // pixels below the point instead when it would reach the frame's top line
    // (10 pixels above the data area).
    const int label_height = canvas->font() ? canvas->font()->cell_height : 0;
    const int frame_top =
        -ui::plot_pixel(d.sy * (ctx.plot.yhi - ctx.plot.ylo) + 10 + ui::plot_pixel(d.sy * ctx.plot.ylo));
    const int above = label_at.y() - 10 - label_height;
    canvas->moveto(label_at.x() - 15, above > frame_top + 1 ? above : label_at.y() + 10);
    ui::boldtext(*canvas, std::string_view(curve.label).substr(0, 10));
    ui::selfont(ctx, 2);

    if (d.line) {
        detail::select_refcolour(*canvas, curve.refcolour);
        canvas->set_viewport(0, 0, d.width - 1, d.height - 1);
        d.stored = canvas->get_image(0, 0, d.width - 1, d.height - 1);
        d.has_image = !d.stored.pixels.isNull();
        if (!d.has_image) ctx.log.write("cannot store image ierr=" + std::to_string(canvas->status()));
        canvas->set_vieworg(d.origin.x(), d.origin.y());
        detail::draw_refline(ctx, curve, d);
    }

    if (!curve.interactive) {
        const std::string rest = curve.notetxt.size() > 50 ? curve.notetxt.substr(50) : std::string();
        curve.notetxt = files::pad(std::string_view(curve.title).substr(0, 20), 50) + rest;
        if (curve.menus_held) {
            ui::menuon(ctx.menus);
            curve.menus_held = false;
        }
        return;
    }
    detail::wait_for_click(ctx, curve, d);
}

} // namespace meru::plots
