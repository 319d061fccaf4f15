#pragma once
// The Options, Y and settings requests of the main loop's dispatch: the Options
// dialog; the Y menu handler and its follow-up (did the Y change, what a new Y
// resets, the menus a chosen Y enables); and the Criteria, Strategy and Extent
// stages, which Search:Go! runs silently one poll round after another.
#include "mainloop/dispatch.h"
#include "settings/ydescription.h"

namespace meru::mainloop {

struct Analysis;
struct Program;

Flow options_request(Program& program);
Flow y_request(Program& program);
// Criteria, then Strategy, then Extent.
Flow settings_request(Program& program);

// The Ys of the open analysis as the settings dialogs check them.
settings::YDescription describe_ys(const Analysis& analysis);

// Switches the Tree strategy off outside the Strategy dialog (an opening, or
// by-group mode chosen): when the tree's settings are still held, iterative mode
// and Decide positivity come back as they were before Tree was chosen, and the
// tree's extent of single attributes becomes "2 2".
void end_tree_strategy(Program& program);

// True when no attribute line has more than one cut.
bool single_cuts(const Analysis& analysis);

} // namespace meru::mainloop
