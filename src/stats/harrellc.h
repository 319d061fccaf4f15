#pragma once
// Harrell's concordance index between a survival time and the membership of a
// term list: over the usable pairs, how often the observation with the shorter
// time is the non-member (members survive longer).
#include "stats/censoring.h"
#include "stats/membership.h"
#include "stats/membership_kernels.h"

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::stats {

struct HarrellC {
    bool computed = false;   // false when abandoned or without a usable pair
    bool abandoned = false;  // Search:End during the pair loop
    double c = 0.0;          // (K + H/2) / U
    double usable = 0.0;     // U: weight of the usable pairs (product of the two weights)
    double concordant = 0.0; // K
    double tied = 0.0;       // H: usable pairs of equal membership
};

// The times are the view's Y (negative: missing), the weights the observation
// weights (frequencies: a pair counts with the product of its two weights).
// Observations take part when in the mask, with a time >= 0, a weight other than 0,
// a usable censoring byte and a membership of 0 or 1 (undetermined ones, and those
// the skip flag drops, take no part). A pair is usable when the shorter time is an
// event; of equal times, one event and one censored, the event is the shorter;
// equal times with two events, or two censored, are not usable.
// The times are sorted here, afresh. The loop over the observations calls
// services.yield(), polls services.search_end() (cleared first) and shows its
// progress every 1000 steps. Writes " Harrell c-index=" c and the pair counts, or
// "User Search:End abandoned Harrell!", or, with no usable pair,
// " Harrell c-index not computable: no usable pairs".
HarrellC harrellc(const SampleView& data, const CompiledList& list, bool skip, const Censoring& censoring,
                  Services& services, io::LogWriter& log);

} // namespace meru::stats
