#pragma once
// The rank stage: the Rank menu's items and the stage of Search:Go! between the
// criteria and the strategy stages. Ranks every usable attribute line's cuts on
// their own, runs Fix Positive attributes over the ranking and the Rank plots
// through their hooks.
#include "search/evaluate.h"
#include "search/exclusions.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace meru::mainloop {

struct Analysis;
struct Program;
enum class Flow;

// The exclusion rule's context for the open analysis: its Ys, its discrete Y's
// levels, the attributes taken as Ys and censoring while in force.
search::ExclusionContext exclusion_context(const Program& p);

// The data a search or ranking scores against, over the open analysis. The spans
// point into `a` and into `keep` (the signs and the sample mask), which must
// outlive the evaluator.
struct EvaluationInputs {
    std::vector<std::int8_t> signbyte; // [a]
    std::vector<std::uint8_t> mask;    // [i - 1]
    // A search's own sample and its analysis weights (Turbo), which `data`
    // reads while the search runs; they go with it.
    std::vector<std::uint8_t> sample; // [i - 1]
    std::vector<int> weights;         // [i - 1]
    search::EvaluationData data;
};
void evaluation_inputs(const Program& p, EvaluationInputs& keep);

// The evaluator over `in` with the program's criterion; null, with the log line
// "NOTE: <what> not possible: " and the reason, when it cannot be made.
std::unique_ptr<search::Evaluator> make_evaluator(Program& p, const EvaluationInputs& in,
                                                  const search::EvaluationSettings& settings, std::string_view what);

// The rank stage (Step::search with the Rank request raised).
Flow rank_stage(Program& p);

// Sets the reset_ranking hook and the rank plots' hooks.
void install_rank_hooks(Program& p);

} // namespace meru::mainloop
