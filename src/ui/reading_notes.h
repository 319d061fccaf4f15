#pragma once
// The notes of reading a data file, written from what files::readdata returns:
// what reading the records met, in the order met, then the notes of the whole
// file, with their help notes and messages.
#include "files/readdata.h"

namespace meru::ui {

// The notes of each record (header skipped, missing delimiter, frequencies,
// precision, inadmissible characters, fixed-layout read errors), then: the
// records skipped, a record count that does not match, the message that reading
// was abandoned or found no valid data (and nothing more), the records with items
// beyond the variables and the notes of character data. Nothing when reading did
// not run.
void reading_notes(const files::ControlTables& t, const files::ReadDataResult& r, files::ReadDataContext& cx);

} // namespace meru::ui
