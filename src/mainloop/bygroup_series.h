#pragma once
// A by-group series of Search:Go!: one search per group, started when the
// criteria stage of a pass is raised, each group's heading in the log, the quit
// dialog while several groups are left, the groups skipped for having no or one
// observation, and the Search Summary of the cross-validation at the end.
#include "mainloop/dispatch.h"

#include <string>

namespace meru::files {
struct ControlTables;
}
namespace meru::outcome {
struct ByGroup;
}

namespace meru::mainloop {

struct Program;

// "Analysis of BY group nnn: NAME=value n=nnnnnn" with runs of blanks collapsed
// ("=missing" for a negative value; the attribute's label for attribute groups;
// with `character`, the value's character code).
std::string group_heading(const outcome::ByGroup& by, const files::ControlTables& t, int g, long long nobsin,
                          bool character = false);

// The weighted number of observations of group g inside X space.
long long group_weight(const Program& p, int g);

// The Search:Go! continuation step: the by-group entry, then the stages.
Flow bygroup_series_step(Program& p);

} // namespace meru::mainloop
