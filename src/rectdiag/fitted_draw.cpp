#include "rectdiag/fitted_draw.h"

#include "platform/canvas.h"
#include "platform/colour.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace meru::rectdiag {

namespace {

constexpr int kLightest = 0xf0;
constexpr int kDarkest = 0x80;
constexpr int kLegendSteps = 6;
constexpr int kTextHeight = 12; // the diagram's font, size code 2

int px(double v) { return static_cast<int>(std::lround(v)); }

void fill(platform::Canvas& c, const srdfit::Rect& r, int colour)
{
    if (px(r.x2) <= px(r.x1) || px(r.y2) <= px(r.y1)) return;
    c.set_color_rgb(colour);
    c.rectangle(platform::Fill::interior, px(r.x1), px(r.y1), px(r.x2) - 1, px(r.y2) - 1);
}

// Each rectangle's outline, two pixels wide, and its number inside its top left
// corner, moved right past the numbers already placed there.
void outlines(platform::Canvas& c, const FittedPicture& p)
{
    std::vector<std::pair<int, int>> placed;
    const auto& boxes = p.diagram.layout.boxes;
    for (std::size_t j = 0; j < boxes.size(); ++j) {
        const srdfit::Rect r = in_pixels(boxes[j], p.frame);
        const int x1 = px(r.x1), y1 = px(r.y1), x2 = px(r.x2) - 1, y2 = px(r.y2) - 1;
        if (x2 <= x1 || y2 <= y1) continue;
        c.set_color_rgb(j < p.colours.size() ? p.colours[j] : kBlack);
        c.rectangle(platform::Fill::border, x1, y1, x2, y2);
        if (x2 - x1 > 2 && y2 - y1 > 2) c.rectangle(platform::Fill::border, x1 + 1, y1 + 1, x2 - 1, y2 - 1);
        int lx = x1 + 4;
        const int ly = y1 + 3;
        const auto taken = [&](int x) {
            return std::any_of(placed.begin(), placed.end(), [&](const auto& q) {
                return std::abs(q.first - x) < 8 && std::abs(q.second - ly) < 12;
            });
        };
        while (taken(lx)) lx += 8;
        placed.emplace_back(lx, ly);
        c.moveto(lx, ly);
        c.outgtext(std::to_string(j + 1));
    }
}

} // namespace

int ShadeScale::shade(double v) const
{
    const double t = hi > lo ? std::clamp((v - lo) / (hi - lo), 0.0, 1.0) : 0.0;
    const int g = static_cast<int>(std::lround(kLightest - t * (kLightest - kDarkest)));
    return g * 0x010101;
}

ShadeScale shade_scale(std::span<const double> counts, std::span<const double> values)
{
    ShadeScale s;
    for (std::size_t i = 0; i < counts.size() && i < values.size(); ++i) {
        if (counts[i] <= 0) continue;
        s.lo = s.any ? std::min(s.lo, values[i]) : values[i];
        s.hi = s.any ? std::max(s.hi, values[i]) : values[i];
        s.any = true;
    }
    return s;
}

srdfit::Rect in_pixels(const srdfit::Rect& r, const srdfit::Rect& frame)
{
    const double w = frame.x2 - frame.x1, h = frame.y2 - frame.y1;
    return {frame.x1 + w * r.x1, frame.x1 + w * r.x2, frame.y1 + h * r.y1, frame.y1 + h * r.y2};
}

std::string diagram_number(double v)
{
    char buf[32];
    if (v == std::floor(v) && std::fabs(v) < 1e9) std::snprintf(buf, sizeof buf, "%.0f", v);
    else std::snprintf(buf, sizeof buf, "%.3g", v);
    return buf;
}

void draw_fitted(platform::Canvas& c, const FittedPicture& p)
{
    const srdfit::CellGrid& g = p.diagram.grid;
    const ShadeScale scale = shade_scale(p.counts, p.values);
    const auto cell_at = [&](int r, int k) {
        return static_cast<std::size_t>(g.cell[static_cast<std::size_t>(r * g.columns() + k)]);
    };
    for (int r = 0; r < g.rows(); ++r)
        for (int k = 0; k < g.columns(); ++k) {
            const std::size_t cell = cell_at(r, k);
            const bool held = cell < p.counts.size() && p.counts[cell] > 0;
            const srdfit::Rect piece{g.xs[static_cast<std::size_t>(r)], g.xs[static_cast<std::size_t>(r + 1)],
                                     g.ys[static_cast<std::size_t>(k)], g.ys[static_cast<std::size_t>(k + 1)]};
            fill(c, in_pixels(piece, p.frame), held && cell < p.values.size() ? scale.shade(p.values[cell]) : kWhite);
        }
    outlines(c, p);
    c.set_color_rgb(kBlack);
    for (std::size_t cell = 0; cell < p.counts.size(); ++cell) {
        if (p.counts[cell] <= 0) continue;
        const srdfit::Rect piece = in_pixels(srdfit::widest_piece(g, static_cast<int>(cell)), p.frame);
        const std::string text = diagram_number(p.counts[cell]);
        const int tw = c.text_width(text);
        if (piece.x2 - piece.x1 < tw + 4 || piece.y2 - piece.y1 < kTextHeight + 2) continue;
        c.moveto(px((piece.x1 + piece.x2 - tw) / 2), px((piece.y1 + piece.y2 - kTextHeight) / 2));
        c.outgtext(text);
    }
    c.set_color_rgb(kBlack);
    c.rectangle(platform::Fill::border, px(p.frame.x1), px(p.frame.y1), px(p.frame.x2) - 1, px(p.frame.y2) - 1);
}

void draw_legend(platform::Canvas& c, const ShadeScale& s, std::string_view caption, int x, int y)
{
    if (!s.any) return;
    c.set_color_rgb(kBlack);
    c.moveto(x, y);
    c.outgtext(caption);
    for (int k = 0; k < kLegendSteps; ++k) {
        const double v = s.hi - (s.hi - s.lo) * k / (kLegendSteps - 1);
        const int top = y + 16 + 12 * k;
        c.set_color_rgb(s.shade(v));
        c.rectangle(platform::Fill::interior, x, top, x + 14, top + 11);
        c.set_color_rgb(kBlack);
        c.rectangle(platform::Fill::border, x, top, x + 14, top + 11);
        if (k == 0 || k == kLegendSteps - 1) {
            c.moveto(x + 20, top);
            c.outgtext(diagram_number(v));
        }
    }
}

} // namespace meru::rectdiag
