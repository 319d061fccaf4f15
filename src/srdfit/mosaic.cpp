#include "srdfit/mosaic.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace meru::srdfit {

namespace {

// Splits `r` among the cells whose low `depth` bits are `prefix`, by term depth + 1.
void split(std::span<const double> counts, int q, int depth, int prefix, const Rect& r, std::vector<Rect>& out)
{
    if (depth == q) {
        out[static_cast<std::size_t>(prefix)] = r;
        return;
    }
    const int bit = 1 << depth;
    double outside = 0, inside = 0;
    for (std::size_t c = 0; c < counts.size(); ++c) {
        const int ci = static_cast<int>(c);
        if ((ci & (bit - 1)) != prefix) continue;
        ((ci & bit) ? inside : outside) += counts[c];
    }
    const double total = outside + inside;
    const double share = total > 0 ? outside / total : 1.0;
    Rect lo = r, hi = r;
    if (depth % 2 == 0) {
        const double cut = r.x1 + (r.x2 - r.x1) * share;
        lo.x2 = cut;
        hi.x1 = cut;
    } else {
        const double cut = r.y1 + (r.y2 - r.y1) * share;
        lo.y2 = cut;
        hi.y1 = cut;
    }
    split(counts, q, depth + 1, prefix, lo, out);
    split(counts, q, depth + 1, prefix | bit, hi, out);
}

std::vector<double> distinct(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

} // namespace

std::vector<Rect> mosaic(std::span<const double> counts, const Rect& frame)
{
    std::vector<Rect> out(counts.size());
    if (counts.empty()) return out;
    const int q = std::bit_width(counts.size()) - 1;
    double total = 0;
    for (double c : counts) total += std::max(c, 0.0);
    if (total <= 0) {
        for (Rect& r : out) r = {frame.x1, frame.x1, frame.y1, frame.y1};
        return out;
    }
    std::vector<double> clean(counts.begin(), counts.end());
    for (double& c : clean) c = std::max(c, 0.0);
    split(clean, q, 0, 0, frame, out);
    return out;
}

Grid elementary_grid(std::span<const Rect> cells, const Rect& frame)
{
    Grid g;
    std::vector<double> xs{frame.x1, frame.x2}, ys{frame.y1, frame.y2};
    for (const Rect& r : cells) {
        if (r.area() <= 0) continue;
        xs.push_back(r.x1), xs.push_back(r.x2);
        ys.push_back(r.y1), ys.push_back(r.y2);
    }
    g.xs = distinct(std::move(xs));
    g.ys = distinct(std::move(ys));
    g.h = static_cast<int>(g.xs.size()) - 1;
    g.w = static_cast<int>(g.ys.size()) - 1;
    for (int r = 0; r < g.h; ++r) {
        for (int c = 0; c < g.w; ++c) {
            const Rect cell{g.xs[static_cast<std::size_t>(r)], g.xs[static_cast<std::size_t>(r + 1)],
                            g.ys[static_cast<std::size_t>(c)], g.ys[static_cast<std::size_t>(c + 1)]};
            const double mx = (cell.x1 + cell.x2) / 2, my = (cell.y1 + cell.y2) / 2;
            int id = 0;
            for (std::size_t k = 0; k < cells.size(); ++k) {
                const Rect& m = cells[k];
                if (m.area() > 0 && mx > m.x1 && mx < m.x2 && my > m.y1 && my < m.y2) {
                    id = static_cast<int>(k);
                    break;
                }
            }
            g.region.push_back(id);
            g.cells.push_back(cell);
        }
    }
    return g;
}

int highest_term(int cell) { return cell <= 0 ? 0 : std::bit_width(static_cast<unsigned>(cell)); }

} // namespace meru::srdfit
