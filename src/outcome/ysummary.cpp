#include "outcome/ysummary.h"

#include "platform/io/logwriter.h"

#include <algorithm>
#include <cmath>

namespace meru::outcome {

YSummary summarize_y(std::span<const float> y, std::span<const int> weights, std::span<const char> mask)
{
    YSummary s;
    double sum = 0;
    const auto included = [&](std::size_t i) { return mask.empty() || (i < mask.size() && mask[i]); };
    const std::size_t n = std::min(y.size(), weights.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!included(i)) continue;
        // Whole weights are summed as integers: a double loses units beyond 2^53.
        const int w = weights[i];
        const double v = y[i];
        if (v < 0) {
            s.missing += w;
            continue;
        }
        s.n += w;
        sum += w * v;
        s.ymin = std::min(s.ymin, v);
        s.ymax = std::max(s.ymax, v);
        if (v != std::trunc(v)) s.nonint = true;
    }
    if (s.n > 0) {
        s.mean = sum / static_cast<double>(s.n);
        double ss = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!included(i) || y[i] < 0) continue;
            const double d = y[i] - s.mean;
            ss += weights[i] * d * d;
        }
        if (ss > 0) {
            s.var = ss / static_cast<double>(s.n);
            s.sd = std::sqrt(s.var);
        }
    }

    io::LogWriter quiet;
    quiet.set_trace_sink([](std::string_view) {});
    stats::QuartabInput in;
    in.y = y.first(n);
    in.weights = weights.first(n);
    in.mask = mask;
    in.print = false;
    const stats::QuartabResult q = stats::quartab(in, quiet);
    for (const auto& e : q.entries)
        if (e.value >= 0) s.values.push_back(e);
    s.ylev = static_cast<int>(s.values.size());
    for (const auto& e : s.values) s.ymode = std::max(s.ymode, e.weight);
    if (!s.values.empty()) {
        s.ylow = s.values.front().value;
        s.yhigh = s.values.back().value;
    }
    s.binary = s.ylev <= 2 && !s.nonint;
    if (s.binary) s.yhigh = s.ylev == 2 ? s.values[1].value : s.ylow;
    return s;
}

bool discrete_candidate(const YSummary& s, bool character)
{
    if (s.ylev < 3 || s.ylev > 5) return false;
    return character || (!s.nonint && s.ymax <= 9);
}

bool ydiscok(bool binary, int ylev, double ymax, bool nonint, bool character)
{
    if (binary || character) return true;
    return ylev <= 36 && ymax <= 36.0 && !nonint;
}

bool ydiscok(const Outcome& y, int k, bool character)
{
    if (k < 1 || k > kMaxYs) return false;
    const auto u = static_cast<std::size_t>(k - 1);
    return ydiscok(y.ybin[u], y.ylev[u], y.ymax[u], y.ynonint[u], character);
}

} // namespace meru::outcome
