#pragma once
// Writing a partition to the control file as a stored combination: one record of
// the 8-character name followed by the partition text, and under it the check
// line of its attribute numbers (search/combination_check.h), appended at the end
// of the file, the record kept with the analysis's combinations while fewer than
// 30 are held.
#include "core/notices.h"
#include "files/tables.h"
#include "partition/termlist.h"
#include "platform/io/write_fn.h"

#include <string>

namespace meru::search {

enum class ComboWrite { written, kept_not, present, too_long, failed };

// The record for `name` and the plain list `a`, or empty when the partition's
// text would not be read back whole (the text is cut at column 195, or the record
// passes the 200 columns a combination line is read to).
std::string combination_record(const std::string& name, const partition::TermList& a);

// Appends the combination record and its check line (labels from `t`) to the
// control file at `path` (a line end is put first when the file does not end with
// one); while fewer than 30 are held the record is also added to t.cfcomb with the
// note "NOTE: Boolean combination of attribute NAME written to control file $",
// else the note "NOTE: # combinations >30. Exceeds allowable. But is written to CF
// $". A file that holds the record with the same check line under it already is
// left as it is: "NOTE: Boolean combination of attribute NAME is already in the
// control file $". A text too long to be read back is not written: "NOTE:
// Partition too long for a control file combination. Not written $". A file that
// cannot be written gives "NOTE: Control file not written: " and the system's
// reason, and stays as it was (the file is written anew beside itself and renamed
// over the old one when whole). The notes are left in `told`. `write` is the test
// seam of io::replace_contents.
ComboWrite write_combination(const std::string& path, const std::string& name, const partition::TermList& a,
                             files::ControlTables& t, Notices& told, const io::WriteFn& write = {});

} // namespace meru::search
