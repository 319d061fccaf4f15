#include "outcome/scatter_model.h"

#include "ui/plotframe.h"

#include <algorithm>
#include <cmath>

namespace meru::outcome {

void VarScan::add(double v)
{
    if (!(v >= 0.0)) return;
    any = true;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
    const bool whole = v == std::floor(v) && v < kLevelValues;
    if (whole) ++count[static_cast<std::size_t>(v)];
    else if (!character) discrete = false;
}

void VarScan::finish()
{
    level.fill(0);
    values.clear();
    if (!is_discrete()) return;
    for (int v = 0; v < kLevelValues; ++v)
        if (count[static_cast<std::size_t>(v)] > 0) {
            values.push_back(v);
            level[static_cast<std::size_t>(v)] = static_cast<int>(values.size());
        }
}

int VarScan::level_of(double v) const
{
    if (!(v >= 0.0) || v >= kLevelValues) return 0;
    return level[static_cast<std::size_t>(v)];
}

double VarScan::position(double v) const { return is_discrete() ? level_of(v) : v; }

AxisRange axis_range(const VarScan& v)
{
    if (!v.any) return {0.0, 1.0};
    if (v.is_discrete()) return {0.5, v.nlevels() + 0.5};
    AxisRange r{std::max(v.lo, 0.0), v.hi};
    if (v.lo == v.hi) r.lo = 0.0;
    return r;
}

double missing_position(const AxisRange& r, bool discrete, bool is_x)
{
    const double f = discrete ? 0.1 : (is_x ? 0.18 : 0.25);
    return r.lo - f * (r.hi - r.lo);
}

void CorrSums::add(double x, double y, double w)
{
    sxy += w * x * y;
    sxx += w * x * x;
    syy += w * y * y;
    sx += w * x;
    sy += w * y;
    sw += w;
}

std::optional<double> CorrSums::r() const
{
    if (sw == 0) return std::nullopt;
    const double xbar = sx / sw;
    const double ybar = sy / sw;
    const double p = (sxx - xbar * sx) * (syy - ybar * sy);
    if (!(p > 0)) return std::nullopt;
    return (sxy - xbar * sy) / std::sqrt(p);
}

int box_halfwidth(int levels) { return levels > 0 ? std::min(100 / levels, 15) : 15; }

BoxGlyph box_glyph(const stats::Quartiles& q, double mean, int k, double sx, double sy, bool discrete_x, int w)
{
    BoxGlyph g;
    if (discrete_x) {
        const int x0 = ui::plot_pixel(k * sx);
        auto y = [sy](double v) { return -ui::plot_pixel(v * sy); };
        g.band = {x0 - w - 1, y(q.upper_fence), x0 + w + 1, y(q.lower_fence)};
        g.low = {x0 - w, y(q.q50), x0 + w, y(q.q25)};
        g.high = {x0 - w, y(q.q75), x0 + w, y(q.q50) - 1};
        g.lower_whisker = {x0, y(q.q25), x0, y(q.lower_fence)};
        g.upper_whisker = {x0, y(q.upper_fence), x0, y(q.q75)};
        g.meanx = x0;
        g.meany = y(mean);
    } else {
        const int y0 = -ui::plot_pixel(k * sy);
        auto x = [sx](double v) { return ui::plot_pixel(v * sx); };
        g.band = {x(q.lower_fence), y0 - w - 1, x(q.upper_fence), y0 + w + 1};
        g.low = {x(q.q25), y0 - w, x(q.q50), y0 + w};
        g.high = {x(q.q50) + 1, y0 - w, x(q.q75), y0 + w};
        g.lower_whisker = {x(q.lower_fence), y0, x(q.q25), y0};
        g.upper_whisker = {x(q.q75), y0, x(q.upper_fence), y0};
        g.meanx = x(mean);
        g.meany = y0;
    }
    return g;
}

double circle_factor(double most, double scale)
{
    const double f = most > 1.0 ? 28.0 / (std::sqrt(most) - 1.0) : 1.0;
    return f * scale;
}

int circle_size(double count, double factor, int largest)
{
    const double s = std::max(std::sqrt(std::max(count, 0.0)) * factor + 0.5, 0.0);
    return static_cast<int>(std::min(s, static_cast<double>(std::max(largest, 0))));
}

int z_size(double z, double zmin, double zmax, int size)
{
    double f = 0.0;
    if (z >= 0.0) f = zmax > zmin ? std::clamp((z - zmin) / (zmax - zmin), 0.0, 1.0) : 1.0;
    return std::max(static_cast<int>((size + 1) * std::sqrt(f) - 1.0), 0);
}

int density_shift(double n, bool one_discrete, int size)
{
    const double t = (5.0 - std::log10(std::max(n, 1.0))) * 24.5 + 2.0;
    const double s = one_discrete ? t * 0.3 : t / (size + 1);
    return std::max(static_cast<int>(std::clamp(s, -1e6, 1e6)), 1);
}

bool label_hit(int px, int py, int cx, int cy, int size)
{
    const int reach = std::max(size / 2, 3);
    return std::abs(px - cx) < reach && std::abs(py - cy) < reach;
}

} // namespace meru::outcome
