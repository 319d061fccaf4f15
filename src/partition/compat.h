#pragma once
// Consistency check of a pair A / A-: every attribute on one side has a
// counterpart on the other (the same literal, an attribute of the same variable,
// or one linked by the duplicate mark), and the term counts and lengths respect
// the bounds that multiplying out a sum of terms imposes.
#include "core/notices.h"
#include "files/tables.h"
#include "partition/termlist.h"

#include <functional>
#include <string_view>

namespace meru::io {
class LogWriter;
}

namespace meru::partition {

// Opens the Partition window on a list with a representation flag and a caption.
using PartitionWindow = std::function<void(const TermList& list, int repflag, std::string_view caption)>;

// The caption of the Partition window on the second list of a failing pair.
inline constexpr const char* kNotCompatibleCaption = "NOTE: not compatible with:";

struct CompatResult {
    bool compatible = true;
    bool problem = false;
    bool show_second = false; // the caller opens the Partition window on the second list
};

// Checks the pair (first, second) held as `repflag` says. A counterpart failure
// writes its note and both lists to the log every time; the first failure after
// `note_once` was set also leaves the help topic "NOTE: Boolean algebra problem"
// in `told`, after which the caller shows the Partition window on the second
// list (flag 1 - repflag, kNotCompatibleCaption). A size failure is silent.
// Either failure clears `note_once`.
CompatResult compat(const TermList& first, const TermList& second, int repflag, const files::ControlTables& t,
                    bool& note_once, Notices& told, io::LogWriter& log);

} // namespace meru::partition
