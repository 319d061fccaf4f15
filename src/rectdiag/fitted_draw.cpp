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

bool meets(const srdfit::Rect& a, const srdfit::Rect& b)
{
    return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

// The number of sides of `r` that pass through `box`.
int crossings(const srdfit::Rect& box, const srdfit::Rect& r)
{
    const bool across_y = r.y1 < box.y2 && box.y1 < r.y2, across_x = r.x1 < box.x2 && box.x1 < r.x2;
    int n = 0;
    for (double x : {r.x1, r.x2}) n += across_y && box.x1 <= x && x <= box.x2;
    for (double y : {r.y1, r.y2}) n += across_x && box.y1 <= y && y <= box.y2;
    return n;
}

srdfit::Rect pixel_box(const srdfit::Rect& frame_units, const srdfit::Rect& frame)
{
    const srdfit::Rect r = in_pixels(frame_units, frame);
    return {static_cast<double>(px(r.x1)), static_cast<double>(px(r.x2) - 1), static_cast<double>(px(r.y1)),
            static_cast<double>(px(r.y2) - 1)};
}

} // namespace

std::vector<srdfit::Rect> number_places(std::span<const srdfit::Rect> boxes,
                                        std::span<const std::pair<int, int>> sizes)
{
    constexpr double kInset = 3;
    std::vector<srdfit::Rect> placed;
    for (std::size_t j = 0; j < boxes.size() && j < sizes.size(); ++j) {
        const srdfit::Rect& r = boxes[j];
        const double w = sizes[j].first, h = sizes[j].second;
        const double left = r.x1 + kInset, right = r.x2 - kInset - w, top = r.y1 + kInset, bottom = r.y2 - kInset - h;
        const auto at = [&](double x, double y) { return srdfit::Rect{x, x + w, y, y + h}; };
        const auto free = [&](const srdfit::Rect& b) {
            return std::none_of(placed.begin(), placed.end(), [&](const srdfit::Rect& o) { return meets(b, o); });
        };
        srdfit::Rect best = at(left, top);
        int best_crossings = -1;
        if (right >= left && bottom >= top) {
            for (const srdfit::Rect& b : {at(left, top), at(right, top), at(left, bottom), at(right, bottom)}) {
                if (!free(b)) continue;
                int n = 0;
                for (std::size_t k = 0; k < boxes.size(); ++k)
                    if (k != j) n += crossings(b, boxes[k]);
                if (best_crossings < 0 || n < best_crossings) best = b, best_crossings = n;
            }
        }
        if (best_crossings < 0)
            while (!free(best)) best = at(best.x2 + 1, top);
        placed.push_back(best);
    }
    return placed;
}

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
    // The outlines, two pixels wide.
    const auto& layout_boxes = p.diagram.layout.boxes;
    std::vector<srdfit::Rect> boxes;
    std::vector<std::pair<int, int>> sizes;
    for (std::size_t j = 0; j < layout_boxes.size(); ++j) {
        const srdfit::Rect b = pixel_box(layout_boxes[j], p.frame);
        boxes.push_back(b);
        sizes.emplace_back(c.text_width(std::to_string(j + 1)), kTextHeight);
        const int x1 = px(b.x1), y1 = px(b.y1), x2 = px(b.x2), y2 = px(b.y2);
        if (x2 <= x1 || y2 <= y1) continue;
        c.set_color_rgb(j < p.colours.size() ? p.colours[j] : kBlack);
        c.rectangle(platform::Fill::border, x1, y1, x2, y2);
        if (x2 - x1 > 2 && y2 - y1 > 2) c.rectangle(platform::Fill::border, x1 + 1, y1 + 1, x2 - 1, y2 - 1);
    }
    const std::vector<srdfit::Rect> numbers = number_places(boxes, sizes);
    // The counts, each in the largest piece of its cell that holds it, clear of
    // the numbers.
    c.set_color_rgb(kBlack);
    for (std::size_t cell = 0; cell < p.counts.size(); ++cell) {
        if (p.counts[cell] <= 0) continue;
        const std::string text = diagram_number(p.counts[cell]);
        const int tw = c.text_width(text);
        const double fw = p.frame.x2 - p.frame.x1, fh = p.frame.y2 - p.frame.y1;
        const srdfit::Rect unit = srdfit::widest_piece(g, static_cast<int>(cell), fw > 0 ? (tw + 4) / fw : 0,
                                                       fh > 0 ? (kTextHeight + 2) / fh : 0);
        if (unit.area() <= 0) continue;
        const srdfit::Rect piece = in_pixels(unit, p.frame);
        srdfit::Rect box{(piece.x1 + piece.x2 - tw) / 2, 0, (piece.y1 + piece.y2 - kTextHeight) / 2, 0};
        box.x2 = box.x1 + tw, box.y2 = box.y1 + kTextHeight;
        for (const srdfit::Rect& n : numbers)
            if (meets(box, n)) box.y1 = n.y2 + 1, box.y2 = box.y1 + kTextHeight;
        if (box.y2 > piece.y2 ||
            std::any_of(numbers.begin(), numbers.end(), [&](const srdfit::Rect& n) { return meets(box, n); }))
            continue;
        c.moveto(px(box.x1), px(box.y1));
        c.outgtext(text);
    }
    c.set_color_rgb(kBlack);
    c.rectangle(platform::Fill::border, px(p.frame.x1), px(p.frame.y1), px(p.frame.x2) - 1, px(p.frame.y2) - 1);
    // The numbers last, each on white in its rectangle's colour.
    for (std::size_t j = 0; j < numbers.size(); ++j) {
        const srdfit::Rect& n = numbers[j];
        if (boxes[j].x2 <= boxes[j].x1 || boxes[j].y2 <= boxes[j].y1) continue;
        c.set_color_rgb(kWhite);
        c.rectangle(platform::Fill::interior, px(n.x1) - 1, px(n.y1), px(n.x2), px(n.y2) - 1);
        c.set_color_rgb(j < p.colours.size() ? p.colours[j] : kBlack);
        c.moveto(px(n.x1), px(n.y1));
        c.outgtext(std::to_string(j + 1));
    }
}

void draw_legend(platform::Canvas& c, const ShadeScale& s, std::string_view caption, int x, int y)
{
    if (!s.any) return;
    c.set_color_rgb(kBlack);
    c.moveto(x, y);
    c.outgtext(caption);
    for (int k = 0; k < kLegendSteps; ++k) {
        // The ends are the values themselves, not sums that miss them by a rounding.
        const double v = k == 0 ? s.hi : k == kLegendSteps - 1 ? s.lo : s.hi - (s.hi - s.lo) * k / (kLegendSteps - 1);
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
