#pragma once
// The handler of every step of the dispatch, as one constant list in step
// order: each step has exactly one handler, whatever the order in which the
// modules set up their hooks.
#include "mainloop/dispatch.h"

#include <array>

namespace meru::mainloop {

struct StepHandler {
    Step step;
    Flow (*run)(Program&);
};

const std::array<StepHandler, kSteps>& step_handlers();

// The search step: the rank stage when a Rank item asked for it, else the
// stages of Search:Go!.
Flow search_request(Program& program);

} // namespace meru::mainloop
