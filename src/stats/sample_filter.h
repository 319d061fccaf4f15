#pragma once
// The one rule for which observations of the analysis sample a statistic counts,
// and whether each is censored. Observation i takes part when
//  - it is in the sample mask and its weight is positive,
//  - with censoring in force, its censoring byte is usable (0 or 1), and
//  - with the skip flag ("Skip if any missing in combination") and a list of at
//    least one term, no literal of the list finds its byte missing.
// Censoring applies only when the attribute matrix holds the censoring attribute
// (Censoring::within). Whether the Y value itself is missing is left to the
// statistic: some leave such observations out, others count them apart.
#include "stats/censoring.h"
#include "stats/membership.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace meru::stats {

struct SampleObservation {
    bool counted = false;
    bool censored = false;
};

class SampleFilter {
public:
    // `skip` is the compiled list whose missing bytes drop an observation, or null.
    SampleFilter(const AttributeMatrix& abyte, std::span<const std::uint8_t> mask, std::span<const int> weights,
                 const Censoring& censoring, const CompiledList* skip = nullptr)
        : abyte_(abyte), mask_(mask), weights_(weights), censoring_(censoring.within(abyte.bytes ? abyte.lc : 0)),
          skip_(skip && skip->q() >= 1 ? skip : nullptr)
    {
        n_ = std::min(mask.size(), weights.size());
        if (censoring_.in_force || skip_) n_ = std::min(n_, static_cast<std::size_t>(std::max(abyte.n, 0)));
    }

    // Observations that every array the rule reads covers.
    std::size_t size() const { return n_; }
    // The censoring in force.
    const Censoring& censoring() const { return censoring_; }

    // Observation i (0-based, below size()).
    SampleObservation at(std::size_t i) const
    {
        if (mask_[i] == 0 || weights_[i] <= 0) return {};
        bool censored = false;
        if (censoring_.in_force || skip_) {
            const std::uint8_t* row = abyte_.row(static_cast<int>(i));
            if (censoring_.in_force) {
                const std::uint8_t b = row[censoring_.attribute - 1];
                if (!censoring_.usable(b)) return {};
                censored = censoring_.is_censored(b);
            }
            if (skip_ && skip_->skipped(row)) return {};
        }
        return {true, censored};
    }
    // Asks the processor to load what at(i) reads (a walk in another order
    // than the observations' calls it some steps ahead).
    void prefetch(std::size_t i) const
    {
        __builtin_prefetch(&mask_[i]);
        __builtin_prefetch(&weights_[i]);
        if (censoring_.in_force || skip_) __builtin_prefetch(abyte_.row(static_cast<int>(i)));
    }

private:
    AttributeMatrix abyte_;
    std::span<const std::uint8_t> mask_;
    std::span<const int> weights_;
    Censoring censoring_;
    const CompiledList* skip_;
    std::size_t n_ = 0;
};

} // namespace meru::stats
