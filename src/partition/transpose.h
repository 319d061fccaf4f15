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

// The work one transposition may do, so that no product a user types or a search
// makes can hold the program for long. Each look for a new term in the growing
// sum counts the sum's literals times the term's, each reduction of the sum its
// terms times its literals, and each relation between two literals asked of the
// label rules kRelationWork (such a lookup costs that much more).
inline constexpr long long kMaxTransposeWork = 10000000;
inline constexpr long long kRelationWork = 8;

// Status (termlist.h):
//   kOk         transposed and reduced
//   kLimit      more than MAXLITS literals, MAXP terms or kMaxCombinations
//               combinations, or more work than kMaxTransposeWork (both logged
//               as "Too many transpose operations" with the number of
//               combinations, with the help topic "ERROR: prohibitive
//               transpose" left in opt.told), or the reduction reported a limit
//   kNoInput    no clauses: the result is the whole set (the empty product)
//   kNoConvergence  a reduction did not settle (counted as a skipped combination)
//   kConstPlus / kConstMinus  the result is a constant
// A clause of no literals makes the product empty. On every return `out` is a
// consistent term list within the limits.
TermStatus trans(const TermList& clauses, int sense, TermList& out, const ReduceOptions& opt, SkipTally& tally,
                 io::LogWriter& log);

} // namespace meru::partition
