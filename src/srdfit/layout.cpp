#include "srdfit/layout.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace meru::srdfit {

namespace {

// The distinct edges along one axis, ascending, with the mask of the rectangles
// that cover each strip between two neighbouring edges.
struct Strips {
    std::array<double, 2 * kMaxGroups + 2> edge{};
    std::array<unsigned, 2 * kMaxGroups + 1> mask{};
    int edges = 0;

    void add(double v)
    {
        int k = 0;
        while (k < edges && edge[static_cast<std::size_t>(k)] < v) ++k;
        if (k < edges && edge[static_cast<std::size_t>(k)] == v) return;
        for (int m = edges; m > k; --m) edge[static_cast<std::size_t>(m)] = edge[static_cast<std::size_t>(m - 1)];
        edge[static_cast<std::size_t>(k)] = v;
        ++edges;
    }
    int strips() const { return edges - 1; }
    double width(int s) const { return edge[static_cast<std::size_t>(s + 1)] - edge[static_cast<std::size_t>(s)]; }
};

// Strips along x (`along_x`) or y of the rectangles, already in the frame.
Strips strips_of(std::span<const Rect> boxes, bool along_x)
{
    Strips st;
    st.add(0.0);
    st.add(1.0);
    for (const Rect& b : boxes) {
        if (b.area() <= 0) continue;
        st.add(along_x ? b.x1 : b.y1);
        st.add(along_x ? b.x2 : b.y2);
    }
    for (int s = 0; s < st.strips(); ++s) {
        const double lo = st.edge[static_cast<std::size_t>(s)], hi = st.edge[static_cast<std::size_t>(s + 1)];
        unsigned m = 0;
        for (std::size_t j = 0; j < boxes.size(); ++j) {
            const Rect& b = boxes[j];
            const double b1 = along_x ? b.x1 : b.y1, b2 = along_x ? b.x2 : b.y2;
            if (b.area() > 0 && b1 <= lo && hi <= b2) m |= 1u << j;
        }
        st.mask[static_cast<std::size_t>(s)] = m;
    }
    return st;
}

std::array<Rect, kMaxGroups> framed(std::span<const Rect> boxes)
{
    std::array<Rect, kMaxGroups> in{};
    for (std::size_t j = 0; j < boxes.size() && j < in.size(); ++j) in[j] = in_frame(boxes[j]);
    return in;
}

} // namespace

Rect in_frame(const Rect& r)
{
    Rect o{std::min(r.x1, r.x2), std::max(r.x1, r.x2), std::min(r.y1, r.y2), std::max(r.y1, r.y2)};
    o.x1 = std::clamp(o.x1, 0.0, 1.0), o.x2 = std::clamp(o.x2, 0.0, 1.0);
    o.y1 = std::clamp(o.y1, 0.0, 1.0), o.y2 = std::clamp(o.y2, 0.0, 1.0);
    return o;
}

void cell_areas(std::span<const Rect> boxes, std::span<double> areas)
{
    std::fill(areas.begin(), areas.end(), 0.0);
    const std::size_t q = std::min<std::size_t>(boxes.size(), kMaxGroups);
    const std::array<Rect, kMaxGroups> in = framed(boxes);
    const std::span<const Rect> b(in.data(), q);
    const Strips xs = strips_of(b, true), ys = strips_of(b, false);
    for (int r = 0; r < xs.strips(); ++r)
        for (int c = 0; c < ys.strips(); ++c) {
            const std::size_t cell = xs.mask[static_cast<std::size_t>(r)] & ys.mask[static_cast<std::size_t>(c)];
            if (cell < areas.size()) areas[cell] += xs.width(r) * ys.width(c);
        }
}

std::vector<double> cell_areas(std::span<const Rect> boxes)
{
    std::vector<double> areas(std::size_t{1} << std::min<std::size_t>(boxes.size(), kMaxGroups));
    cell_areas(boxes, areas);
    return areas;
}

CellGrid cell_grid(std::span<const Rect> boxes)
{
    const std::size_t q = std::min<std::size_t>(boxes.size(), kMaxGroups);
    const std::array<Rect, kMaxGroups> in = framed(boxes);
    const std::span<const Rect> b(in.data(), q);
    const Strips xs = strips_of(b, true), ys = strips_of(b, false);
    CellGrid g;
    g.xs.assign(xs.edge.begin(), xs.edge.begin() + xs.edges);
    g.ys.assign(ys.edge.begin(), ys.edge.begin() + ys.edges);
    for (int r = 0; r < xs.strips(); ++r)
        for (int c = 0; c < ys.strips(); ++c)
            g.cell.push_back(
                static_cast<int>(xs.mask[static_cast<std::size_t>(r)] & ys.mask[static_cast<std::size_t>(c)]));
    return g;
}

Rect widest_piece(const CellGrid& grid, int c, double min_w, double min_h)
{
    const int rows = grid.rows(), cols = grid.columns();
    const auto at = [&](int r, int k) { return grid.cell[static_cast<std::size_t>(r * cols + k)]; };
    Rect best;
    double best_area = 0;
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < cols; ++k) {
            if (at(r, k) != c) continue;
            int k2 = k; // last column of the run in row r
            while (k2 + 1 < cols && at(r, k2 + 1) == c) ++k2;
            for (int last = k; last <= k2; ++last) {
                int r2 = r;
                const auto row_holds = [&](int rr) {
                    for (int kk = k; kk <= last; ++kk)
                        if (at(rr, kk) != c) return false;
                    return true;
                };
                while (r2 + 1 < rows && row_holds(r2 + 1)) ++r2;
                const Rect piece{grid.xs[static_cast<std::size_t>(r)], grid.xs[static_cast<std::size_t>(r2 + 1)],
                                 grid.ys[static_cast<std::size_t>(k)], grid.ys[static_cast<std::size_t>(last + 1)]};
                const bool holds = piece.x2 - piece.x1 >= min_w && piece.y2 - piece.y1 >= min_h;
                if (holds && piece.area() > best_area) best_area = piece.area(), best = piece;
            }
        }
    return best;
}

} // namespace meru::srdfit
