#pragma once
// The check line a control file keeps under a stored combination. A combination
// names attributes by their numbers, and the numbers follow the attribute lines:
// once the cuts are edited the same numbers may name other attributes, and the
// combination would silently become another subgroup. So each combination the
// program writes is followed by a line of "*", its 8-character name and, for each
// attribute number of its text in the order first met, the number, "=" and what
// the attribute was then: its variable and label without blanks ("9=bmi>27.25").
// A control-file reader skips that line, as it skips every line after the
// data-file name that does not start with "+"; when the file is opened again the
// numbers are checked against the attributes they name now.
#include "core/notices.h"
#include "files/tables.h"

#include <string>

namespace meru::io {
class LogWriter;
}

namespace meru::search {

// What attribute `a` is, as the check line writes it: its variable name and the
// operator-and-value label of its literal +a, blanks and fillers dropped; empty
// for a number that names no attribute of `t`.
std::string attribute_meaning(int a, const files::ControlTables& t);

// The check line of the combination record `record` (the name, then the
// partition text from its first "(").
std::string combination_check_line(const std::string& record, const files::ControlTables& t);

// Checks each stored combination of `t` against the check line read under it
// (t.cfcheck) and leaves out those of which a number listed there names another
// attribute now, or none: each is logged with the first such number and a note
// tells how many, "View log". A combination without a check line, and a number
// its check line does not list, are taken as they stand. A number beyond the
// attributes of `t` names an added attribute that a combination before it makes:
// the kept ones, made in their order, take the numbers after t.natt, each named
// by its combination ("+01=1"). The combinations left out no longer count in
// t.ncombfound, and t.cfcheck keeps the check lines of those kept. Returns how
// many were left out.
int check_combinations(files::ControlTables& t, Notices& told, io::LogWriter& log);

// Whether a combination may be made now, as its check line tells: the added
// attributes it names may have been made in another order than the file's.
// Empty when it may, else "NOTE: combination NAME not made: attribute N was X
// when written, is Y now" (or "names no attribute now") for its first number
// that has changed.
std::string combination_not_made(const std::string& record, const std::string& check, const files::ControlTables& t);

} // namespace meru::search
