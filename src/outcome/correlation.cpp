#include "outcome/correlation.h"

#include "platform/io/edit.h"

#include <algorithm>
#include <cmath>

namespace meru::outcome {

std::optional<double> weighted_correlation(std::span<const float> a, std::span<const float> b,
                                           std::span<const int> weights, std::span<const char> mask)
{
    double sw = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    const std::size_t n = std::min({a.size(), b.size(), weights.size()});
    for (std::size_t i = 0; i < n; ++i) {
        if (!mask.empty() && (i >= mask.size() || !mask[i])) continue;
        const double w = weights[i];
        const double x = a[i], y = b[i];
        if (w == 0 || x < 0 || y < 0) continue;
        sw += w;
        sx += w * x;
        sy += w * y;
        sxx += w * x * x;
        syy += w * y * y;
        sxy += w * x * y;
    }
    if (sw <= 0) return std::nullopt;
    const double mx = sx / sw, my = sy / sw;
    const double vx = sxx - mx * sx, vy = syy - my * sy;
    if (vx <= 0 || vy <= 0) return std::nullopt;
    return (sxy - mx * sy) / std::sqrt(vx * vy);
}

std::vector<std::string> correlation_lines(const std::vector<std::string>& names,
                                           const std::vector<std::span<const float>>& columns,
                                           std::span<const int> weights, std::span<const char> mask)
{
    std::vector<std::string> out{"Correlation matrix:"};
    std::string header = io::fmt_x(22);
    for (const auto& name : names) header += io::fmt_a(name, 10);
    out.push_back(header);
    for (std::size_t k = 0; k < names.size() && k < columns.size(); ++k) {
        std::string row = " " + io::fmt_a(names[k], 15) + " ";
        for (std::size_t j = 0; j < k; ++j) {
            const auto r = weighted_correlation(columns[k], columns[j], weights, mask);
            row += r ? io::fmt_f(*r, 10, 3) : io::fmt_x(6) + "----";
        }
        row += io::fmt_f(1.0, 10, 3);
        out.push_back(row);
    }
    return out;
}

} // namespace meru::outcome
