#include "outcome/scatter_scan.h"

#include "files/dataset.h"

#include <algorithm>
#include <cmath>

namespace meru::outcome {
namespace {

double value(const ScatterInput& in, int i, int var) { return in.data.x(i, var); }

int code(double v) { return v < 0.0 ? -1 : std::min(static_cast<int>(v), tree::CrossTab::kHigh); }

} // namespace

bool included(const ScatterInput& in, int i)
{
    const auto k = static_cast<std::size_t>(i - 1);
    if (k < in.mask.size() && !in.mask[k]) return false;
    return k < in.data.obswt.size() && in.data.obswt[k] != 0;
}

bool other_group(const ScatterInput& in, int i)
{
    if (in.dattr <= 0 || in.dattr > in.data.lc) return false;
    return in.data.ab(in.dattr, i) != in.dvalue;
}

ScatterScan scan_scatter(const ScatterInput& in, bool size_by_z)
{
    ScatterScan s;
    s.x.character = in.xchar;
    s.y.character = in.ychar;
    double zmin = 1e20, zmax = 0.0;
    const int n = std::min(in.nobs, in.data.n);
    for (int i = 1; i <= n; ++i) {
        if (!included(in, i)) continue;
        const double x = value(in, i, in.xvar);
        const double y = value(in, i, in.yvar);
        if (size_by_z && in.zvar > 0) {
            const double z = value(in, i, in.zvar);
            if (z >= 0.0) {
                zmin = std::min(zmin, z);
                zmax = std::max(zmax, z);
            }
        }
        if (x < 0.0 || y < 0.0) s.missing_seen = true;
        s.x.add(x);
        s.y.add(y);
    }
    if (size_by_z && zmax >= zmin) {
        s.zmin = zmin;
        s.zmax = zmax;
    }
    s.x.finish();
    s.y.finish();
    s.xr = axis_range(s.x);
    s.yr = axis_range(s.y);
    return s;
}

ScatterCloud collect_scatter(const ScatterInput& in, const ScatterScan& s, tree::CrossTab* counts,
                             tree::CrossTab* counts2)
{
    ScatterCloud c;
    const bool one = s.one_discrete();
    const VarScan& disc = s.x.is_discrete() ? s.x : s.y;
    if (one) c.levels.resize(static_cast<std::size_t>(disc.nlevels()));
    if (counts) *counts = {};
    if (counts2) *counts2 = {};
    const int n = std::min(in.nobs, in.data.n);
    for (int i = 1; i <= n; ++i) {
        if (!included(in, i)) continue;
        const auto k = static_cast<std::size_t>(i - 1);
        if (k < in.group.size() && !in.group[k]) continue;
        const int w = in.data.obswt[k];
        const double xv = value(in, i, in.xvar);
        const double yv = value(in, i, in.yvar);
        const bool other = other_group(in, i);
        c.n += w;
        if (xv < 0.0 && yv < 0.0) c.both_missing += w;
        if (counts) {
            tree::CrossTab& t = (other && counts2) ? *counts2 : *counts;
            t.at(code(xv), code(yv)) += w;
            continue;
        }
        PlotPoint p{i, 0, 0, xv < 0.0, yv<0.0, w, other, in.zvar> 0 ? value(in, i, in.zvar) : 0.0};
        p.x = p.xmiss ? missing_position(s.xr, s.x.is_discrete(), true) : s.x.position(xv);
        p.y = p.ymiss ? missing_position(s.yr, s.y.is_discrete(), false) : s.y.position(yv);
        if (one) {
            const double dv = s.x.is_discrete() ? xv : yv;
            const double v = s.x.is_discrete() ? yv : xv;
            const int lev = disc.level_of(dv);
            if (v >= 0.0 && lev > 0) {
                LevelSums& l = c.levels[static_cast<std::size_t>(lev - 1)];
                ++l.n;
                l.sw += w;
                l.swv += w * v;
                if (other) {
                    l.sw2 += w;
                    l.swv2 += w * v;
                }
                l.values.push_back(static_cast<float>(v));
                l.weights.push_back(w);
            }
        }
        if (!p.xmiss && !p.ymiss) {
            c.all.add(p.x, p.y, w);
            (other ? c.other : c.chosen).add(p.x, p.y, w);
        }
        c.points.push_back(p);
    }
    return c;
}

} // namespace meru::outcome
