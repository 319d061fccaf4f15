#pragma once
// The Process step of the main loop: the Process items (Statistics, Rectangle
// diagrams, Lists, Distribution A v. A-, Random, Tree, Switch to test sample,
// Create added attribute) and View > Added attributes, with the heading, the
// common checks and the partition each works on. The statistics of a search
// raised by Search:Go! run through the same step.
#include "mainloop/dispatch.h"

#include <string>

namespace meru::mainloop {

struct MenuFlags;
struct Program;
struct SearchEnd;

// The Process heading of the raised items; the last raised in the fixed order wins.
std::string process_title(const MenuFlags& flags);

// The Process step's handler.
Flow process_request(Program& p);

// The end of a search hands its winner to the statistics: the winner becomes the
// current partition and the Statistics item is raised for the next poll round.
Flow search_statistics(Program& p, const SearchEnd& s);

// A by-group's search found nothing: the next group's pass is raised.
Flow next_group_pass(Program& p);

} // namespace meru::mainloop
