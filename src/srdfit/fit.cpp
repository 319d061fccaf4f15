#include "srdfit/fit.h"

#include "srdfit/layout.h"
#include "srdfit/mosaic.h"
#include "srdfit/powell.h"
#include "stats/rnormal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <limits>

namespace meru::srdfit {

namespace {

constexpr std::size_t kMaxCells = std::size_t{1} << kMaxGroups;
// An E this small is exact as far as the fit report shows it: no further starts.
constexpr double kExact = 1e-6;
// An empty cell's area counts double: a layout gives area to a cell without
// observations only where that buys more than twice as much elsewhere.
constexpr double kEmptyWeight = 2.0;
// A rectangle's side counts as thin below this share of the side of the square
// of its subgroup's share; the shortfall weighs this much against E.
constexpr double kThinSide = 0.5;
constexpr double kThinWeight = 0.1;

// Share of the cells holding subgroup j (0-based) whose membership of the other
// subgroups of `mask` is `pattern`.
double marginal(const Counts& c, unsigned mask, unsigned pattern)
{
    double sum = 0;
    for (std::size_t i = static_cast<std::size_t>(c.first_cell); i < c.f.size(); ++i)
        if ((static_cast<unsigned>(i) & mask) == pattern) sum += c.share(i);
    return sum;
}

double group_share(const Counts& c, int j) { return marginal(c, 1u << j, 1u << j); }

Rect from_params(std::span<const double> p, std::size_t j)
{
    return {p[4 * j], p[4 * j + 1], p[4 * j + 2], p[4 * j + 3]};
}

// The shortfall of a rectangle's sides below kThinSide times the side of the
// square of `share`.
double thin_sides(const Rect& box, double share)
{
    const Rect b = in_frame(box);
    const double least = kThinSide * std::sqrt(std::max(share, 0.0));
    return std::max(0.0, least - (b.x2 - b.x1)) + std::max(0.0, least - (b.y2 - b.y1));
}

// How a cell's area is held against its share: by the squared difference (smooth,
// so the minimiser finds its way from a rough start), or by the absolute
// difference, the error E itself.
enum class Measure { squares, absolute };

// What the minimiser sees: the cells' differences (an empty cell's area counted
// double), the distance of every bound outside the frame, and (pulling) the
// subgroups' absolute differences between area and share.
class Discrepancy {
public:
    Discrepancy(const Counts& c, Measure m, bool pull)
        : c_(c), q_(static_cast<std::size_t>(c.q())), measure_(m), pull_(pull)
    {
        for (std::size_t i = 0; i < c.f.size(); ++i) share_[i] = c.share(i);
        for (std::size_t j = 0; j < q_; ++j) group_[j] = group_share(c, static_cast<int>(j));
    }
    double operator()(std::span<const double> p) const
    {
        std::array<Rect, kMaxGroups> boxes{};
        double d = 0;
        for (std::size_t j = 0; j < q_; ++j) {
            boxes[j] = from_params(p, j);
            for (std::size_t k = 4 * j; k < 4 * j + 4; ++k) d += std::max(0.0, -p[k]) + std::max(0.0, p[k] - 1);
        }
        std::array<double, kMaxCells> areas{};
        const std::span<double> a(areas.data(), c_.f.size());
        cell_areas(std::span<const Rect>(boxes.data(), q_), a);
        for (std::size_t i = static_cast<std::size_t>(c_.first_cell); i < a.size(); ++i) {
            const double diff = a[i] - share_[i];
            const double w = share_[i] > 0 ? 1.0 : kEmptyWeight;
            d += w * (measure_ == Measure::squares ? diff * diff : std::fabs(diff));
        }
        if (measure_ == Measure::absolute)
            for (std::size_t j = 0; j < q_; ++j) d += kThinWeight * thin_sides(boxes[j], group_[j]);
        if (pull_) {
            for (std::size_t j = 0; j < q_; ++j) {
                double area = 0;
                for (std::size_t i = static_cast<std::size_t>(c_.first_cell); i < a.size(); ++i)
                    if (i & (std::size_t{1} << j)) area += a[i];
                d += std::fabs(area - group_[j]);
            }
        }
        return d;
    }

private:
    const Counts& c_;
    std::size_t q_;
    Measure measure_;
    bool pull_;
    std::array<double, kMaxCells> share_{};
    std::array<double, kMaxGroups> group_{};
};

// Two strips along one axis for subgroups j and j + 1 (0-based; j + 1 may not
// exist), from `from` toward `to` (0 and 1, or 1 and 0 to start at the far edge).
// With a = the share of j alone, b = of j + 1 alone and ab = of both, j covers
// [0, a + ab] and j + 1 covers [a, a + ab + b]: they overlap over [a, a + ab], so
// every cell of the pair gets exactly its share, and the rest of the frame is the
// share of neither. The other axis is covered whole.
void strip_pair(const Counts& c, int j, bool along_x, bool mirrored, std::vector<Rect>& out)
{
    const int q = c.q();
    const auto place = [&](int g, double lo, double hi) {
        if (mirrored) std::swap(lo, hi), lo = 1 - lo, hi = 1 - hi;
        out[static_cast<std::size_t>(g)] = along_x ? Rect{lo, hi, 0, 1} : Rect{0, 1, lo, hi};
    };
    if (j + 1 >= q) {
        place(j, 0, group_share(c, j));
        return;
    }
    const unsigned mask = (1u << j) | (1u << (j + 1));
    const double a = marginal(c, mask, 1u << j), b = marginal(c, mask, 1u << (j + 1)), ab = marginal(c, mask, mask);
    place(j, 0, a + ab);
    place(j + 1, a, a + ab + b);
}

// The pair of subgroups j and j + 1 (0-based; j + 1 may not exist) laid out
// exactly for their cells from the corner (0, 0) up and to the right, not thin
// (see blocks_start); false when the layout would leave the frame.
bool block_pair(const Counts& c, int j, std::vector<Rect>& out)
{
    const auto at = [&out](int g) -> Rect& { return out[static_cast<std::size_t>(g)]; };
    if (j + 1 >= c.q()) {
        const double side = std::sqrt(group_share(c, j));
        at(j) = {0, side, 0, side};
        return side <= 1;
    }
    const unsigned mask = (1u << j) | (1u << (j + 1));
    const double a = marginal(c, mask, 1u << j), b = marginal(c, mask, 1u << (j + 1)), ab = marginal(c, mask, mask);
    const double union_share = a + ab + b;
    if (union_share <= 0) {
        at(j) = at(j + 1) = {};
        return true;
    }
    const double s1 = a + ab, s2 = b + ab;
    if (std::min(s1, s2) >= union_share / 4) {
        // One height, the square of the union's side: each width at least half
        // the side of its own square.
        const double h = std::sqrt(union_share);
        at(j) = {0, s1 / h, 0, h};
        at(j + 1) = {a / h, union_share / h, 0, h};
        return true;
    }
    // Two squares: the smaller overlaps the larger's right side by the common
    // cell's share, d x t with t its side (d <= t, as ab <= its share).
    const int big = s1 >= s2 ? j : j + 1, small = big == j ? j + 1 : j;
    const double w = std::sqrt(std::max(s1, s2)), t = std::sqrt(std::min(s1, s2));
    const double d = t > 0 ? ab / t : 0;
    at(big) = {0, w, 0, w};
    at(small) = {w - d, w - d + t, 0, t};
    return w - d + t <= 1;
}

} // namespace

double Layout::cost() const { return error + kThinWeight * thin; }

double thinness(const Counts& counts, std::span<const Rect> boxes)
{
    double t = 0;
    for (std::size_t j = 0; j < boxes.size() && static_cast<int>(j) < counts.q(); ++j)
        t += thin_sides(boxes[j], group_share(counts, static_cast<int>(j)));
    return t;
}

int Counts::q() const { return std::min(kMaxGroups, std::max(0, static_cast<int>(std::bit_width(f.size())) - 1)); }

double Counts::total() const
{
    double t = 0;
    for (std::size_t i = static_cast<std::size_t>(std::max(first_cell, 0)); i < f.size(); ++i)
        t += std::max(f[i], 0.0);
    return t;
}

double Counts::share(std::size_t cell) const
{
    const double t = total();
    if (t <= 0 || cell < static_cast<std::size_t>(std::max(first_cell, 0)) || cell >= f.size()) return 0;
    return std::max(f[cell], 0.0) / t;
}

double layout_error(const Counts& counts, std::span<const double> areas)
{
    double e = 0;
    for (std::size_t i = static_cast<std::size_t>(std::max(counts.first_cell, 0));
         i < areas.size() && i < counts.f.size(); ++i)
        e += std::fabs(areas[i] - counts.share(i));
    return e;
}

Layout layout_of(const Counts& counts, std::span<const Rect> boxes, std::string start)
{
    Layout l;
    for (const Rect& b : boxes) l.boxes.push_back(in_frame(b));
    l.areas = cell_areas(l.boxes);
    l.error = layout_error(counts, l.areas);
    l.thin = thinness(counts, l.boxes);
    l.start = std::move(start);
    return l;
}

std::vector<Rect> strips_start(const Counts& counts)
{
    const int q = counts.q();
    std::vector<Rect> out(static_cast<std::size_t>(q));
    for (int j = 0; j < q; j += 2) strip_pair(counts, j, (j / 2) % 2 == 0, j >= 4, out);
    return out;
}

std::vector<Rect> blocks_start(const Counts& counts)
{
    const int q = counts.q();
    std::vector<Rect> out(static_cast<std::size_t>(q));
    for (int j = 0; j < q; j += 2) {
        if (!block_pair(counts, j, out)) strip_pair(counts, j, true, false, out);
        // The pair's corner: bottom left, top right, top left.
        const int corner = j / 2;
        for (int g = j; g < std::min(j + 2, q); ++g) {
            Rect& r = out[static_cast<std::size_t>(g)];
            if (corner == 1) r = {1 - r.x2, 1 - r.x1, 1 - r.y2, 1 - r.y1};
            if (corner == 2) r = {r.x1, r.x2, 1 - r.y2, 1 - r.y1};
        }
    }
    return out;
}

std::vector<Rect> mosaic_start(const Counts& counts)
{
    const int q = counts.q();
    std::vector<double> f(counts.f.size());
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = counts.share(i);
    const std::vector<Rect> cells = mosaic(f, {0, 1, 0, 1});
    std::vector<Rect> out(static_cast<std::size_t>(q));
    for (int j = 0; j < q; ++j) {
        Rect span{1, 0, 1, 0};
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const Rect& r = cells[i];
            if (!(i & (std::size_t{1} << j)) || r.area() <= 0) continue;
            span = {std::min(span.x1, r.x1), std::max(span.x2, r.x2), std::min(span.y1, r.y1),
                    std::max(span.y2, r.y2)};
        }
        out[static_cast<std::size_t>(j)] = span.x1 <= span.x2 ? span : Rect{};
    }
    return out;
}

std::vector<Rect> random_start(const Counts& counts, io::RandomStream& random)
{
    const auto uniform = [&random] { return random.next(); };
    std::vector<Rect> out;
    for (int j = 0; j < counts.q(); ++j) {
        const double s = group_share(counts, j);
        const double cx = stats::rnormal(0.5f, 0.2f, uniform), cy = stats::rnormal(0.5f, 0.2f, uniform);
        const double aspect =
            std::exp(std::clamp(static_cast<double>(stats::rnormal(0.0f, 0.5f, uniform)), -3.0, 3.0));
        const double w = std::min(1.0, std::sqrt(s * aspect)), h = std::min(1.0, w > 0 ? s / w : 0.0);
        const double x1 = std::clamp(cx - w / 2, 0.0, 1 - w), y1 = std::clamp(cy - h / 2, 0.0, 1 - h);
        out.push_back({x1, x1 + w, y1, y1 + h});
    }
    return out;
}

std::vector<Rect> nudged_start(const Counts& counts, std::span<const Rect> boxes)
{
    std::vector<Rect> out;
    for (std::size_t j = 0; j < boxes.size(); ++j) {
        const Rect b = in_frame(boxes[j]);
        const double s = group_share(counts, static_cast<int>(j));
        const double area = b.area();
        double w = b.x2 - b.x1, h = b.y2 - b.y1;
        if (area > 0) {
            const double k = std::sqrt(s / area);
            w *= k, h *= k;
        } else {
            w = h = std::sqrt(s);
        }
        if (w > 1) h = std::min(1.0, h * w), w = 1;
        if (h > 1) w = std::min(1.0, w * h), h = 1;
        const double cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2;
        const double x1 = std::clamp(cx - w / 2, 0.0, 1 - w), y1 = std::clamp(cy - h / 2, 0.0, 1 - h);
        out.push_back({x1, x1 + w, y1, y1 + h});
    }
    return out;
}

Layout fit_from(const Counts& counts, std::span<const Rect> start, std::string name, const FitSettings& s,
                bool pull_groups)
{
    const std::size_t q = std::min(start.size(), static_cast<std::size_t>(counts.q()));
    std::vector<double> p;
    for (std::size_t j = 0; j < q; ++j) {
        const Rect b = in_frame(start[j]);
        p.insert(p.end(), {b.x1, b.x2, b.y1, b.y2});
    }
    const Discrepancy rough(counts, Measure::squares, pull_groups), d(counts, Measure::absolute, pull_groups);
    PowellSettings ps;
    ps.ftol = s.tolerance;
    // Each rectangle's bounds start with steps of the side of a square of its
    // subgroup's share, times the step setting.
    std::vector<double> steps;
    for (std::size_t j = 0; j < q; ++j)
        steps.insert(steps.end(), 4, s.step * std::max(0.01, std::sqrt(group_share(counts, static_cast<int>(j)))));
    ps.steps = steps;
    ps.on_sweep = s.pump;
    std::vector<Rect> boxes(q);
    const auto boxes_of = [&] {
        for (std::size_t j = 0; j < q; ++j) boxes[j] = from_params(p, j);
        return layout_of(counts, boxes, name);
    };
    Layout best = boxes_of();
    if (best.cost() > kExact) {
        powell(rough, p, ps);
        if (Layout now = boxes_of(); now.cost() < best.cost()) best = std::move(now);
    }
    // Minimised on E itself (and thinness), again and again from where the last
    // pass ended with fresh directions, until a pass gains less than the
    // tolerance's share of the cost.
    for (int pass = 0; pass < 50 && best.cost() > kExact; ++pass) {
        powell(d, p, ps);
        Layout now = boxes_of();
        const double gain = best.cost() - now.cost();
        if (now.cost() < best.cost()) best = std::move(now);
        if (gain <= s.tolerance * best.cost()) break;
        for (std::size_t j = 0; j < q; ++j) {
            const Rect b = in_frame(from_params(p, j));
            std::copy_n(std::array<double, 4>{b.x1, b.x2, b.y1, b.y2}.begin(), 4,
                        p.begin() + static_cast<std::ptrdiff_t>(4 * j));
        }
    }
    return best;
}

Layout fit(const Counts& counts, const FitSettings& s, io::RandomStream& random, std::span<const Layout> also)
{
    if (counts.total() <= 0) return layout_of(counts, strips_start(counts), "Strips"); // nothing to fit
    Layout best;
    best.error = std::numeric_limits<double>::infinity();
    const auto consider = [&best](Layout l) {
        if (l.cost() < best.cost()) best = std::move(l);
    };
    const auto start = [&](std::span<const Rect> boxes, const std::string& name) {
        Layout l = fit_from(counts, boxes, name, s);
        if (s.on_stage) s.on_stage(l.start, l.error);
        consider(std::move(l));
    };
    for (const Layout& l : also) start(l.boxes, l.start);
    if (also.empty()) {
        start(strips_start(counts), "Strips");
        if (best.cost() > kExact) start(blocks_start(counts), "Blocks");
        start(mosaic_start(counts), "Mosaic");
    }
    for (int k = 0; k < s.random_starts && best.cost() > kExact; ++k)
        start(random_start(counts, random), s.random_name);
    // Hops: one rectangle of the best layout placed afresh at random, the whole
    // layout minimised again, kept when it is better; until `s.patience` hops in
    // a row have not improved it.
    int hop = 0;
    for (int idle = 0; hop < s.max_hops && idle < s.patience && best.cost() > kExact && !best.boxes.empty(); ++hop) {
        std::vector<Rect> boxes = best.boxes;
        const std::vector<Rect> fresh = random_start(counts, random);
        const auto j =
            std::min(boxes.size() - 1, static_cast<std::size_t>(random.next() * static_cast<double>(boxes.size())));
        boxes[j] = fresh[j];
        Layout l = fit_from(counts, boxes, best.start, s);
        if (l.cost() < best.cost() - 1e-9) idle = 0;
        else ++idle;
        consider(std::move(l));
    }
    if (s.on_stage && hop > 0) s.on_stage("Hops", best.error);
    FitSettings fine = s;
    fine.tolerance = s.tolerance * 1e-3;
    consider(fit_from(counts, best.boxes, best.start, fine));
    return best;
}

Layout nudge(const Counts& counts, const Layout& current, const FitSettings& s)
{
    return fit_from(counts, nudged_start(counts, current.boxes), "Nudge", s, true);
}

} // namespace meru::srdfit
