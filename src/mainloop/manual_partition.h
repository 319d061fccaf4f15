#pragma once
// Entering a partition by hand: the Manual partition dialog and the Control file
// combination dialog, each shown again until its text parses or the user
// cancels, with the messages and log lines of a text that does not parse.
#include "files/tables.h"
#include "partition/manpart.h"
#include "partition/termlist.h"
#include "ui/partition_dialogs.h"

#include <string>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::mainloop {

// The text state that outlives a call (the main routine's).
struct ManualText {
    std::string ptext = "(2)(3)(4)"; // the partition text, 200 columns once edited
    bool aminus = false;
    bool simplify = false;
    std::string saved; // restored by Cancel
};

struct ManpartResult {
    bool cancelled = false;
    partition::TermList list; // the work partition's list
    int repflag = 1;
    std::vector<int> litline; // per literal: its attribute line
    std::vector<int> litcut;  // per literal: its cut index within the line
    std::string combname;     // combination mode: the line's name, 8 characters
};

// The loop. `combmode` starts with the Control file combination dialog. A text
// that does not parse is reported (" Bad Boolean expression" and "Bad expression
// syntax$" when it cannot be repaired, "Bad expression syntax: the last term
// runs to column 200 without its ")"$" for a term cut there; " Syntax query. Will try to ignore" for a
// doubtful construction; "Bad expression syntax$" for a token that is not an
// attribute number; "Attribute number(s) not in range$" with "out of range:" and
// the value; " Partition:combination: " and the text once it parses).
ManpartResult manpart(bool combmode, ManualText& state, const files::ControlTables& t,
                      const std::vector<int>& linelist, ui::PartitionDialogs& dialogs, Services& sv,
                      io::LogWriter& log);

} // namespace meru::mainloop
