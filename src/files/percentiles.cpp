#include "files/percentiles.h"

#include "files/textutil.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace meru::files {

// A stable radix sort on the bit patterns, which order non-negative floats as
// their values.
void sort_by_value(std::vector<WeightedValue>& v, std::vector<WeightedValue>& tmp)
{
    tmp.resize(v.size());
    auto key = [](const WeightedValue& x) {
        std::uint32_t k;
        std::memcpy(&k, &x.value, sizeof k);
        return k;
    };
    for (int shift = 0; shift < 32; shift += 8) {
        std::size_t count[257] = {};
        for (const auto& x : v) ++count[((key(x) >> shift) & 0xFF) + 1];
        if (count[1] == v.size() && shift > 0) continue; // this byte is 0 everywhere
        for (int b = 0; b < 256; ++b) count[b + 1] += count[b];
        for (const auto& x : v) tmp[count[(key(x) >> shift) & 0xFF]++] = x;
        v.swap(tmp);
    }
}

PercentileWalk::PercentileWalk(std::span<const float> sorted, std::span<const int> weights)
    : n_(std::min(sorted.size(), weights.size()))
{
    if (n_ == 0) return;
    smallest_ = sorted[0];
    largest_ = sorted[n_ - 1];
    double total = 0;
    for (std::size_t i = 0; i < n_; ++i) total += weights[i];
    if (!(total > 0)) return;
    double f = 0;
    for (std::size_t i = 0; i + 1 < n_; ++i) {
        f += weights[i] / total;
        if (sorted[i] < sorted[i + 1]) {
            cum_.push_back(f);
            value_.push_back(sorted[i]);
        }
    }
}

Percentile PercentileWalk::at(double p) const
{
    if (n_ == 0) return {};
    const double t = p / 100.0;
    if (t > 0.9999) return {largest_, 100.0f};
    if (t <= 0) return {smallest_, 0.0f};
    // The first boundary whose proportion reaches t; the one before it lies below t.
    const auto it = std::lower_bound(cum_.begin(), cum_.end(), t);
    if (it == cum_.end()) return {largest_, cum_.empty() ? 0.0f : static_cast<float>(100.0 * cum_.back())};
    const std::size_t b = static_cast<std::size_t>(it - cum_.begin());
    const double fb = b == 0 ? 0.0 : cum_[b - 1];
    const float vb = b == 0 ? smallest_ : value_[b - 1];
    return {static_cast<float>(interp(fb, vb, cum_[b], value_[b], t)), static_cast<float>(100.0 * fb)};
}

Percentile weighted_percentile(std::span<const float> sorted, std::span<const int> weights, double p)
{
    return PercentileWalk(sorted, weights).at(p);
}

LinePercentiles line_percentiles(std::vector<WeightedValue>& pairs, std::vector<WeightedValue>& scratch,
                                 std::span<const double> asked)
{
    LinePercentiles r;
    sort_by_value(pairs, scratch);
    std::vector<float> sv(pairs.size());
    std::vector<int> sw(pairs.size());
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        sv[i] = pairs[i].value;
        sw[i] = pairs[i].weight;
    }
    r.no_variation = !sv.empty() && sv.front() == sv.back();
    const PercentileWalk walk(sv, sw);
    r.distinct = walk.distinct();
    for (const double p : asked) r.cuts.push_back({p, walk.at(p)});
    return r;
}

} // namespace meru::files
