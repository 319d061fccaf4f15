#pragma once
// Weighted quartiles with box-plot fences.
#include <span>

namespace meru::stats {

struct Quartiles {
    float q25 = 0, q50 = 0, q75 = 0;
    float upper_fence = 0, lower_fence = 0;
};

// The 25%, 50% and 75% points of the values >= 0 (negative values are missing)
// weighted by `weights`, found by interpolating the cumulative percentage between
// adjacent distinct values (values within 1e-20 are merged). Fences:
// upper = min(q75 + 1.5 IQR, maximum), lower = max(q25 - 1.5 IQR, minimum).
// With no value >= 0, or no positive total weight, all five results are 0.
Quartiles quartiles(std::span<const float> values, std::span<const int> weights);

// One step of the cumulative walk shared by the quartile routines: distinct sorted
// values x with cumulative percentages p; fills q25, q50, q75.
struct QuartileWalk {
    float q[3] = {0, 0, 0};
    bool found[3] = {false, false, false};
    float p_prev = 0, x_prev = 0;
    bool first = true;
    void step(float x, float p);
};

} // namespace meru::stats
