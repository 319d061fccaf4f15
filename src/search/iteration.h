#pragma once
// The iterative search: each iteration stores its winner as an added attribute
// and searches again with only candidates that use it, until the winner stops
// changing, a cycle is seen, the iteration limit is reached or the user ends the
// search. These are the bookkeeping steps between two iterations; the search
// itself, the winner and the hull are the driver's.
#include "core/notices.h"
#include "files/tables.h"
#include "partition/compat.h"
#include "partition/expand.h"
#include "partition/termlist.h"

#include <string>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::search {

// Letters that name searches: the counter runs 1..52.
inline constexpr int kLetterCount = 52;

struct IterationState {
    bool iterative = false; // the search's iterative switch
    int iteration = 1;
    int letter = 0;               // letter counter of named searches (1..52 once one started)
    bool stop = false;            // a stop rule has fired
    bool max_reached = false;     // the iteration limit was passed
    partition::TermList lastpart; // the previous iteration's first list ...
    int lastflag = 1;             // ... and its representation flag
};

// The next letter of a named search (an iterative search or a tree): the counter
// rises by one; past 52 the log gets "NOTE: alphabet run out!" and it starts again.
void next_letter(int& letter, io::LogWriter& log);

// An iterative search starts: the next letter, iteration 1, no stop, no last partition.
void start_iterative(IterationState& s, io::LogWriter& log);

// How an iterative search ended.
enum class Ending { none, identical, stuck, maximum, user };

// The stop tests after an iteration's winner is known (the current pair `cur`):
// the same partition as the last iteration ("     ***Identical to partition on
// last iteration***   $" in `msgline`), a stuck cycle with "Attributes are
// primitive" (" Seems stuck in infinite cycle ?$"), and on iteration 1 a single
// attribute (two log lines and the list shown as "Partition:"). Then, when
// Search:End was chosen, a test fired or the limit was passed, the iterative
// search ends (see finish_iterative). Returns the ending, none to go on.
Ending stop_rules(IterationState& s, const partition::Partition& cur, bool primattr,
                  const partition::AddedAttributes& added, std::vector<int>& attribute_set, std::string& msgline,
                  Services& sv, Notices& told, io::LogWriter& log, const partition::PartitionWindow& show = {});

// Ends the iterative search when Search:End was chosen, a stop test fired or the
// limit was passed: the user's note "User ended iterative search during
// iteration" (Search:End cleared), "Maximum allowed iterations reached", or the
// convergence line; from iteration 2 on the attribute set loses its last entry;
// the iterative switch is cleared. Returns none when it does not end. The note
// is left in `told`.
Ending finish_iterative(IterationState& s, std::vector<int>& attribute_set, Services& sv, Notices& told,
                        io::LogWriter& log);

// After the iteration's added attribute (on line `new_line`) was made: it takes
// the attribute set's extra entry (added on iteration 1, replaced later); the
// winner becomes the last partition; the iteration number rises. Past `maxiter`
// the search ends ("Iterations stopped. Maximum allowed reached"); with Search:End
// pending it ends dropping the new entry. Otherwise "New Iteration", under
// Detailed output the attribute set's names, and the progress text "Searching:
// Iteration " with the number: the driver then restarts the search.
// Returns true when the next iteration is to run.
bool next_iteration(IterationState& s, const partition::Partition& cur, int new_line, int maxiter, bool detailed,
                    const files::ControlTables& t, std::vector<int>& attribute_set, Services& sv, Notices& told,
                    io::LogWriter& log);

} // namespace meru::search
