#pragma once
// A serial analysis searches each Y as if it were the only one: what each Y's
// search found is kept for that Y, and a Process item that names a Y afterwards
// works on that Y's own partition and compares with that Y's own search.
#include "partition/termlist.h"

namespace meru::mainloop {

struct Program;

// After the search of the Y under analysis of a serial analysis, and once the
// current pair is its winner: keeps the search's G values and split histogram,
// the winner with its G, complexity and penalty, for that Y.
void keep_serial_search(Program& p);

// The Y of a serial analysis whose search found `cur` (0: none).
int found_for(const Program& p, const partition::Partition& cur);

// The partition that Y `k`'s search found becomes the current pair, with its G,
// complexity and, under automatic beta, its penalty. False when that Y has none.
bool take_found(Program& p, int k);

} // namespace meru::mainloop
