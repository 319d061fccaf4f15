#pragma once
// The complement of a term list, produced in the other form without negating a
// literal: the dual of a plain A (every AND turned into OR and OR into AND) is
// the flipped A-, and the dual of a flipped A- is the plain A.
//
// The dual is built term by term: each term's dual (its literals as one clause,
// multiplied out by `trans`) is multiplied into the result so far by expansion
// over two working attributes, with a reduction after every step. The working
// attributes are numbered above every attribute of the tables and of the lists,
// so the reduction sees them as unrelated to everything else; no table entry or
// definition slot is written.
#include "partition/reduce.h"
#include "partition/skiptally.h"
#include "partition/termlist.h"

namespace meru::io {
class LogWriter;
}

namespace meru::partition {

// Writes the complement of `in` (of form `sense`) into `out` (of form 1 - sense).
// Status:
//   kOk           done (also for a single literal, returned unchanged)
//   kNoInput      no terms: the result is the one-literal list (1)
//   kLimit, kNoConvergence   a transposition or expansion failed; the work stops
//                 there and `out` holds no usable complement
//   otherwise the status of the last transposition or expansion (2, -1, -2 allowed)
// The result stops early only when it becomes the empty set of its own form, which
// no further factor can change. With `debug` the input is dumped to the log.
TermStatus complement(const TermList& in, int sense, TermList& out, const ReduceOptions& opt, SkipTally& tally,
                      io::LogWriter& log, bool debug = false);

} // namespace meru::partition
