#pragma once
// Normal random deviates by the ratio of uniforms (inner acceptance test only, so
// the result is only approximately normal; it serves random start configurations).
#include <cmath>

namespace meru::stats {

// `uniform` returns numbers in [0, 1) from the program's random stream; two are
// drawn per attempt (u first, then v).
template <class Uniform> float rnormal(float mean, float sd, Uniform&& uniform)
{
    for (;;) {
        const double u = uniform();
        const double v = 1.7156 * (uniform() - 0.5);
        const double x = u - 0.449871;
        const double y = std::fabs(v) + 0.386595;
        const double q = x * x + y * (0.196 * y - 0.25472 * x);
        if (q < 0.27597 && u > 0) return static_cast<float>(mean + sd * (v / u));
    }
}

} // namespace meru::stats
