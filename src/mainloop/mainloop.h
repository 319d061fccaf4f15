#pragma once
// The main loop: the loop head (idle text, every request cleared but the user's
// choices not yet served), the 200 ms idle poll that finds a raised request, and
// the fixed-order dispatch (dispatch.h). mainprog runs them for ever.
#include "mainloop/dispatch.h"

#include <string>

namespace meru::mainloop {

struct Program;

// The idle text of the progress window.
inline constexpr const char* kIdleNoData = "...expecting some data via File: menu!";
inline constexpr const char* kIdleData = "... about nothing. Waiting. Data file: ";

// The frame's status line while the analysis whose log is `logname` is open.
std::string log_status(const std::string& logname);

void loop_head(Program& program);

// One round of the idle poll: the tree-partition question, the 200 ms wait,
// then the requests in the poll's order. True when a request is to be
// dispatched.
bool poll_round(Program& program);

// Loop head, poll, dispatch, for ever.
[[noreturn]] void run_main_loop(Program& program);

// Sets the hooks between the modules (the steps' handlers are the constant
// list of step_handlers.h): the settings follow-ups, the emptying of results
// for a new Y, the rank plots, the Y menu and where the file dialogs start.
void install_hooks(Program& program);
Flow rank_titles(Program& program);
Flow close_search(Program& program);
Flow help_requests(Program& program);

} // namespace meru::mainloop
