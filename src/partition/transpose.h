#pragma once
// Transposition: multiplies a product of clauses (each clause the union of its
// literals) out into a sum of terms, reducing the growing sum after every term.
// The clauses are held as a term list of form `sense`; the result is a term list
// of the opposite form, 1 - sense, and every reduction inside uses that form.
// (The complement of a plain A, read as clauses, is the flipped A-.)
#include "partition/reduce.h"
#include "partition/skiptally.h"
#include "partition/termlist.h"

namespace meru::io {
class LogWriter;
}

namespace meru::partition {

inline constexpr long long kMaxCombinations = 50000;

// Status (termlist.h):
//   kOk         transposed and reduced
//   kLimit      more than MAXLITS literals, MAXP terms or kMaxCombinations
//               combinations (logged, with the help topic "ERROR: prohibitive
//               transpose"), or the reduction reported a limit
//   kNoInput    no clauses: the result is the whole set (the empty product)
//   kNoConvergence  a reduction did not settle (counted as a skipped combination)
//   kConstPlus / kConstMinus  the result is a constant
// A clause of no literals makes the product empty. On every return `out` is a
// consistent term list within the limits.
TermStatus trans(const TermList& clauses, int sense, TermList& out, const ReduceOptions& opt, SkipTally& tally,
                 io::LogWriter& log);

} // namespace meru::partition
