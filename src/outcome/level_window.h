#pragma once
// The level partitions of an ordinal or nominal analysis shown in the Partition
// window and written to the log.
#include "outcome/categories.h"

namespace meru::files {
struct ControlTables;
}
namespace meru::ui {
struct Context;
}

namespace meru::outcome {

// Shows each level as the A side of its one-term partition with its caption,
// window and log on, without the side label except where the level asks for it;
// the first level opens the window afresh and one row is left after each level.
// `t` names the attributes; both references must outlive the returned function.
LevelShow level_window(ui::Context& ctx, const files::ControlTables& t);

} // namespace meru::outcome
