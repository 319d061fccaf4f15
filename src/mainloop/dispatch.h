#pragma once
// The main loop's dispatch: twelve steps in a fixed order, each run only when
// its request is raised. A step's handler says where the loop goes next: on to
// the following step, back to the loop head (which clears every request but the
// user's choices whose step has not run), or back to the idle poll with the
// requests kept (the stages of Search:Go!).
//
// Every step's handler comes from the one constant list of step_handlers.h.
#include <array>
#include <functional>

namespace meru::mainloop {

struct MenuFlags;
struct Program;

enum class Flow { next, loop_head, poll };

enum class Step {
    rank_titles,  // Rank items outside Search:Go!: the log heading, Fix Positive
    series,       // Search:Go! continuation: by-group and bootstrap driver
    close_search, // a Go! run under way: close the search and partition windows
    edit,
    options,
    view,
    help,
    file,
    y,
    settings, // Criteria, Strategy, Extent
    process,
    search, // rank stage and the search
};
constexpr int kSteps = 12;

using Handler = std::function<Flow(Program&)>;

// Whether the step's request is raised.
bool step_raised(Step step, const MenuFlags& flags);

class Dispatch {
public:
    Dispatch(); // every step with its handler from step_handlers()
    // Test seam: a test stands its own handler in for a step's.
    void set(Step step, Handler handler) { handlers_[static_cast<int>(step)] = std::move(handler); }
    const Handler& get(Step step) const { return handlers_[static_cast<int>(step)]; }
    // In bootstrap mode the poll draws a new bootstrap sample before a
    // continuation is dispatched.
    std::function<void(Program&)> bootstrap_draw;
    // The Y menu's handler, which the Y request runs before its follow-up; it
    // leaves the open analysis's outcome.yabandon set when the request was
    // cancelled or refused.
    std::function<void(Program&)> ymenu;
    // Calls of the settings follow-ups into other modules; unset, they do nothing.
    std::function<void(Program&)> xconstr;       // the X-constraint step after Strategy
    std::function<void(Program&)> forceattr;     // the forcing step after Strategy
    std::function<void(Program&)> logrank_setup; // the censoring set-up of the log-rank criterion
    std::function<void(Program&)> empty_results; // a new Y: best lists, top-10 list and split counts emptied
    std::function<void(Program&)> clear_saved_g; // the count of saved search G values := 0
    std::function<void(Program&)> reset_ranking; // a new Y: the rank stage's tables reset

private:
    std::array<Handler, kSteps> handlers_;
};

// The steps of the user's own requests (Edit, Options, View, Help, File, Y),
// which wait while a Search:Go! run is under way.
bool user_step(Step step);

// Runs the raised steps in order; returns where the loop goes next (loop_head
// when every step ran through).
Flow dispatch(Program& program);

} // namespace meru::mainloop
