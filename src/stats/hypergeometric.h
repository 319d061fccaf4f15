#pragma once
// Exact draws from the hypergeometric distribution: how many of `draws` units,
// taken without replacement from `population` units of which `marked` are marked,
// are marked. The same distribution as drawing the units one at a time, at a cost
// that does not grow with the counts: a handful of units (or all but a handful)
// are drawn one at a time from the stream; otherwise the draw is by the ratio of
// uniforms under a table-mountain hat (Stadlober), whose acceptance tests use the
// probabilities themselves, worked out without losing digits to the size of the
// counts (populations far beyond 2^32 units).
#include <cstdint>

namespace meru::io {
class RandomStream;
} // namespace meru::io

namespace meru::stats {

// 0 <= marked <= population and 0 <= draws <= population. A single unit (draws 1)
// takes one number u of the stream and is marked when u < marked / population.
std::int64_t hypergeometric(std::int64_t population, std::int64_t marked, std::int64_t draws,
                            io::RandomStream& random);

} // namespace meru::stats
