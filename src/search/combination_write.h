#pragma once
// Writing a partition to the control file as a stored combination: one record of
// the 8-character name followed by the partition text, appended at the end of the
// file, and kept with the analysis's combinations while fewer than 30 are held.
#include "core/notices.h"
#include "partition/termlist.h"
#include "platform/io/write_fn.h"

#include <string>
#include <vector>

namespace meru::search {

enum class ComboWrite { written, kept_not, too_long, failed };

// The record for `name` and the plain list `a`, or empty when the partition's
// text would not be read back whole (the text is cut at column 195, or the record
// passes the 200 columns a combination line is read to).
std::string combination_record(const std::string& name, const partition::TermList& a);

// Appends the combination record to the control file at `path` (a line end is
// put first when the file does not end with one); while fewer than 30 are held
// the record is also added to `combos` with the note "NOTE: Boolean combination
// of attribute NAME written to control file $", else the note "NOTE: #
// combinations >30. Exceeds allowable. But is written to CF $". A text too long
// to be read back is not written: "NOTE: Partition too long for a control file
// combination. Not written $". A file that cannot be written gives "NOTE:
// Control file not written: " and the system's reason, and stays as it was (the
// file is written anew beside itself and renamed over the old one when whole).
// The notes are left in `told`. `write` is the test seam of io::replace_contents.
ComboWrite write_combination(const std::string& path, const std::string& name, const partition::TermList& a,
                             std::vector<std::string>& combos, Notices& told, const io::WriteFn& write = {});

} // namespace meru::search
