#include "stats/quartiles.h"

#include "files/textutil.h"
#include "stats/sort2.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace meru::stats {

void QuartileWalk::step(float x, float p)
{
    if (first) {
        x_prev = x;
        p_prev = 0;
        first = false;
    }
    static constexpr float kThreshold[3] = {25.0f, 50.0f, 75.0f};
    for (int t = 0; t < 3; ++t) {
        if (!found[t] && p_prev < kThreshold[t] && p >= kThreshold[t]) {
            q[t] = static_cast<float>(files::interp(p_prev, x_prev, p, x, kThreshold[t]));
            found[t] = true;
        }
    }
    p_prev = p;
    x_prev = x;
}

Quartiles quartiles(std::span<const float> values, std::span<const int> weights)
{
    Quartiles out;
    const std::size_t n = std::min(values.size(), weights.size());
    std::vector<float> x;
    std::vector<int> w;
    x.reserve(n);
    w.reserve(n);
    double total = 0;
    float lo = 0, hi = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!(values[i] >= 0)) continue;
        if (x.empty()) lo = hi = values[i];
        lo = std::min(lo, values[i]);
        hi = std::max(hi, values[i]);
        x.push_back(values[i]);
        w.push_back(weights[i]);
        total += weights[i];
    }
    if (x.empty() || !(total > 0)) return out;
    if (lo == hi) {
        out.q25 = out.q50 = out.q75 = out.upper_fence = out.lower_fence = lo;
        return out;
    }
    sort2(std::span<float>(x), std::span<int>(w));
    QuartileWalk walk;
    double cum = 0;
    for (std::size_t i = 0; i < x.size();) {
        const float v = x[i];
        std::size_t j = i;
        while (j < x.size() && std::fabs(x[j] - v) <= 1.0e-20f) cum += w[j++];
        walk.step(v, static_cast<float>(100.0 * cum / total));
        i = j;
    }
    out.q25 = walk.q[0];
    out.q50 = walk.q[1];
    out.q75 = walk.q[2];
    const float h = 1.5f * (out.q75 - out.q25);
    out.upper_fence = std::min(out.q75 + h, hi);
    out.lower_fence = std::max(out.q25 - h, lo);
    return out;
}

} // namespace meru::stats
