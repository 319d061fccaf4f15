#include "ui/plotsym.h"

#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/frame.h"
#include "platform/io/random.h"
#include "ui/context.h"
#include "ui/drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace meru::ui {

namespace {

constexpr std::size_t kMaxDeviates = 1000;
// Batches of the polar method before gaussfill gives up (never reached: a batch
// keeps about 79 % of its pairs).
constexpr int kMaxBatches = 1000;

platform::Fill fill_of(int control)
{
    return control == kSymbolOutline ? platform::Fill::border : platform::Fill::interior;
}

// The box with a shape drawn over it, then the grid's small shapes: squares of
// `size` pixels every `step` pixels from the box's low corner, or for an ellipse
// only those whose corner lies inside the circle of half the box's width.
void hatch(platform::Canvas& canvas, int x1, int y1, int x2, int y2, int step, int size, int control, bool ellipse)
{
    const platform::Fill fill = fill_of(control);
    if (ellipse) canvas.ellipse(fill, x1, y1, x2, y2);
    else canvas.rectangle(fill, x1, y1, x2, y2);
    if (step < 1) return;
    const int t = size - 1;
    const int xmin = std::min(x1, x2), xmax = std::max(x1, x2);
    const int ymin = std::min(y1, y2), ymax = std::max(y1, y2);
    const int columns = (xmax - t - xmin + step) / step;
    const int rows = (ymax - t - ymin + step) / step;
    const double rx = (xmax - xmin) / 2.0;
    const double cx = (xmin + xmax) / 2.0, cy = (ymin + ymax) / 2.0;
    for (int i = 0; i < columns; ++i) {
        const int gx = xmin + i * step;
        const double room = rx * rx - (gx - cx) * (gx - cx);
        for (int j = 0; j < rows; ++j) {
            const int gy = ymin + j * step;
            if (!ellipse) {
                canvas.rectangle(fill, gx, gy, gx + t, gy + t);
            } else if (room > 0 && std::sqrt(room) > std::abs(gy - cy)) {
                canvas.ellipse(fill, gx, gy, gx + t, gy + t);
            }
        }
    }
}

// One standard normal deviate from the jitter stream.
double jitter(io::UniformGenerator::Seed& seed)
{
    std::array<double, 2> out{};
    gaussfill(seed, out);
    return out[0];
}

} // namespace

void plotsym(Context& ctx, io::RandomStream& random, const Symbol& symbol, int& control)
{
    platform::Canvas* canvas = ctx.frame.active_canvas();
    if (!canvas) return;
    const PlotPair scale = ctx.plot.plotscale;
    const int size = symbol.size;
    const double h = size * 0.5;

    const int colour = symbol.colour == kRandomColour ? randcol(random, 1) : symbol.colour;
    canvas->set_color_rgb(colour);

    const double dx = ctx.symbols.jitterx ? 3 * jitter(ctx.symbols.symseed) : 0.0;
    const int px = plot_pixel(dx + scale.x * symbol.x - h);
    const double dy = ctx.symbols.jittery ? 3 * jitter(ctx.symbols.symseed) : 0.0;
    const int py = -plot_pixel(dy + scale.y * symbol.y - h);

    if (control == kSymbolOverlap) {
        const int half = size / 2;
        int cx = px + half, cy = py - half;
        if (size % 2 != 0) {
            if (random.next() > 0.5) ++cx;
            if (random.next() > 0.5) --cy;
        }
        // Off the canvas there is nothing drawn yet: as on white.
        const int under = canvas->get_pixel_rgb(cx, cy);
        const bool blank = under == kWhite || under < 0;
        canvas->set_color_rgb(blank ? colour : colshift(under, -ctx.symbols.overlapstep));
        control = kSymbolFilled;
    }

    const platform::Fill fill = fill_of(control);
    if (symbol.stipple) hatch(*canvas, px, py, px + size, py - size, 4, 1, control, symbol.ellipse);
    else if (symbol.ellipse) canvas->ellipse(fill, px, py, px + size, py - size);
    else canvas->rectangle(fill, px, py, px + size, py - size);

    if (symbol.label) {
        canvas->set_color_rgb(randcol(random, -10));
        canvas->moveto(px + size, py - 5);
        canvas->outgtext(symbol.text);
    }
}

void gaussfill(io::UniformGenerator::Seed& seed, std::span<double> out)
{
    const std::size_t m = std::min(out.size(), kMaxDeviates);
    io::UniformGenerator gen;
    gen.put_seed(seed);
    std::vector<double> u(2 * m);
    std::size_t filled = 0;
    for (int batch = 0; filled < m && batch < kMaxBatches; ++batch) {
        for (double& v : u) v = 2 * gen.next() - 1;
        for (std::size_t k = 0; k < m && filled < m; ++k) {
            const double p = u[k], q = u[m + k];
            const double s = p * p + q * q;
            if (!(s > 0 && s <= 1)) continue;
            const double f = std::sqrt(-2 * std::log(s) / s);
            out[filled++] = p * f;
            if (filled < m) out[filled++] = q * f;
        }
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(filled), out.begin() + static_cast<std::ptrdiff_t>(m), 0.0);
    seed = gen.get_seed();
}

double trirand(io::RandomStream& random, double a)
{
    const double u = random.next();
    if (u < 0.5) return a * (std::sqrt(2 * u) - 1);
    return a * (1 - std::sqrt(2 * (u - 0.5)));
}

void marker(platform::Canvas& canvas, int x, int y, char ch)
{
    static constexpr std::array<std::array<int, 2>, 18> kOutline{{{-2, 0},
                                                                  {1, -8},
                                                                  {3, -13},
                                                                  {6, -19},
                                                                  {7, -20},
                                                                  {8, -20},
                                                                  {10, -19},
                                                                  {11, -17},
                                                                  {10, -15},
                                                                  {8, -15},
                                                                  {4, -15},
                                                                  {8, -14},
                                                                  {10, -13},
                                                                  {10, -11},
                                                                  {9, -9},
                                                                  {8, -8},
                                                                  {4, -6},
                                                                  {1, -8}}};
    std::vector<QPoint> points;
    points.reserve(kOutline.size());
    for (const auto& [ox, oy] : kOutline) points.emplace_back(x + ox, y + oy);
    canvas.polygon(platform::Fill::border, points);
    if (ch != ' ') {
        canvas.moveto(x + 6, y);
        canvas.outgtext(std::string(1, ch));
    }
}

void hatchrect(platform::Canvas& canvas, int x1, int y1, int x2, int y2, int step, int size, int control)
{
    hatch(canvas, x1, y1, x2, y2, step, size, control, false);
}

void hatchell(platform::Canvas& canvas, int x1, int y1, int x2, int y2, int step, int size, int control)
{
    hatch(canvas, x1, y1, x2, y2, step, size, control, true);
}

} // namespace meru::ui
