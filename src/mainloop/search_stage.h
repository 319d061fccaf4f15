#pragma once
// The stages of Search:Go! after the rank stage: the strategy stage's attribute
// set, the extent stage's cuts, the continuation step, and the search stage
// itself: its set-up, the search loop over the extent's size vectors, the extent
// box, then the end of the search.
#include "search/search_loop.h"

#include <cstdint>
#include <span>
#include <vector>

namespace meru::mainloop {

struct Program;
enum class Flow;

// Strategy stage of Search:Go!: the search's copies of the iterative and forcing
// switches, the list of attributes that may enter, the attribute set.
void go_strategy(Program& p);

// Extent stage of Search:Go! after the extent is accepted: the cuts of the
// search and the forced attribute made usable.
void go_extent(Program& p);

// The continuation step (Step::series): a search's next stage without a series
// of searches: no Y ends at the loop head, otherwise on to the stages.
Flow series_step(Program& p);

// The search stage (Step::search without the Rank request).
Flow search_stage(Program& p);

// The attributes of the set that the search may name: the usable cuts of the
// given lines (every cut of a floating line), and the forced attribute.
std::vector<int> set_attributes(const Program& p, std::span<const int> lines);

// The distinct Y values of the sample (Turbo groups by them), ascending: at
// most 11 are collected (the first 11 in observation order), which is already
// too many. Each stretch of observations collects its own (on the workers
// through `parallel`), joined in order.
std::vector<float> distinct_y(std::span<const float> y, std::span<const std::uint8_t> mask,
                              const stats::ParallelFor& parallel = {});

// Sets the hooks that empty the search results for a new Y.
void install_search_hooks(Program& p);

} // namespace meru::mainloop
