#pragma once
// Small operations on term lists: equality of two partitions regardless of the
// order of terms and literals, copy, literal count, the regularity test of a
// list's signs, prefixing a literal to every term, and the trace dump.
#include "files/tables.h"
#include "partition/termlist.h"

#include <span>
#include <string_view>

namespace meru::io {
class LogWriter;
}

namespace meru::partition {

// True when the flags are equal and the lists hold the same terms, terms compared
// as multisets of literals and lists as multisets of terms.
bool pequal(int flag1, const TermList& a, int flag2, const TermList& b);

void pcopy(const TermList& from, TermList& to);

// lp(1) + ... + lp(q); 0 for an empty list.
int nlits(const TermList& list);

// Regularity: every literal whose effective sign (its sign times its attribute's
// sign byte) is not 0 has the sign of the first literal (a 0 counting as positive).
bool samesign(std::span<const Literal> lits, const files::ControlTables& t);

// `out` becomes `in` with `v` put at the front of every term. Returns false,
// leaving `out` unchanged, when the result would exceed MAXLITS literals.
bool prefixlit(const TermList& in, Literal v, TermList& out);

// Trace dump: the label as one log line, then "q=0" or one line per term: "(" and
// per literal the literal (4 columns), its attribute's sign byte (2 columns) and ",".
void pdump(std::string_view label, const TermList& list, const files::ControlTables& t, io::LogWriter& log);

} // namespace meru::partition
