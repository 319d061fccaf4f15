#pragma once
// Consistency check of a pair A / A-: every attribute on one side has a
// counterpart on the other (the same literal, an attribute of the same variable,
// or one linked by the duplicate mark), and the term counts and lengths respect
// the bounds that multiplying out a sum of terms imposes.
#include "files/tables.h"
#include "partition/termlist.h"

#include <functional>
#include <string_view>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::partition {

// Opens the Partition window on a list with a representation flag and a caption.
using PartitionWindow = std::function<void(const TermList& list, int repflag, std::string_view caption)>;

struct CompatResult {
    bool compatible = true;
    bool problem = false;
};

// Checks the pair (first, second) held as `repflag` says. A counterpart failure
// writes its note and both lists to the log every time; the first failure after
// `note_once` was set also shows the help topic "NOTE: Boolean algebra problem"
// and the Partition window on the second list ("NOTE: not compatible with:").
// A size failure is silent. Either failure clears `note_once`.
CompatResult compat(const TermList& first, const TermList& second, int repflag, const files::ControlTables& t,
                    bool& note_once, Services& sv, io::LogWriter& log, const PartitionWindow& partwin = {});

} // namespace meru::partition
