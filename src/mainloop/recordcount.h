#pragma once
// Counting the records of a data file before the arrays are sized. No Qt here.
//
// Free format: a data file's records end at line feeds. When the first record
// holds a carriage return that is not part of a CR LF pair, the file is taken to
// separate its lines by carriage returns: every such carriage return and every
// record end then counts one line. A CR LF pair always ends one line only, so a
// file written with CR LF line ends counts each line once.
//
// Fixed format: every record counts one; a record that cannot be read as text
// (it holds a NUL byte, as a binary file does) makes the count fail.
#include <cstddef>
#include <string_view>

namespace meru::mainloop {

struct RecordCount {
    int n = 0;          // records (lines) counted
    bool hascr = false; // the first record holds a lone carriage return
    bool bad = false;   // fixed format: a record could not be read
};

RecordCount count_records(std::string_view bytes, bool freefmt);

} // namespace meru::mainloop
