#include "stats/extreme_value.h"

#include "files/textutil.h"

#include <cmath>
#include <cstddef>
#include <optional>

namespace meru::stats {

GumbelApprox orders(std::span<const double> values, std::span<const int> freq, long long m, double g_test)
{
    GumbelApprox r;
    const std::size_t len = values.size() < freq.size() ? values.size() : freq.size();
    double n = 0.0;
    for (std::size_t i = 0; i < len; ++i) n += freq[i];
    if (len == 0 || n <= 0.0 || m < 1) return r;

    const double md = static_cast<double>(m);
    const double t1 = (md - 1.0) * n / md;
    const double t2 = (md * kGumbelE - 1.0) * n / (md * kGumbelE);

    std::optional<double> u, top;
    double c_lo = 0.0, x_lo = 0.0;
    for (std::size_t i = 0; i < len && !(u && top); ++i) {
        const double c_hi = c_lo + freq[i];
        const double x = values[i];
        const auto at = [&](double t) { return x_lo + files::safediv((t - c_lo) * (x - x_lo), c_hi - c_lo); };
        if (!u && c_lo <= t1 && t1 < c_hi) u = at(t1);
        if (u && !top && c_lo <= t2 && t2 < c_hi) top = at(t2);
        c_lo = c_hi;
        x_lo = x;
    }
    if (!u || !top) return r;

    r.found = true;
    r.u = *u;
    r.alpha = *top - *u;
    if (r.alpha == 0.0) {
        r.alpha_zero = true;
        r.z = 0.0;
    } else {
        r.z = (g_test - r.u) / r.alpha;
    }
    const double ez = std::exp(-r.z);
    r.p = ez > 10.0 ? 1.0 : 1.0 - std::exp(-ez);
    return r;
}

} // namespace meru::stats
