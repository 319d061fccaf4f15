#pragma once
// Counting the records of a data file before the arrays are sized, in one scan
// of the file that keeps none of it. No Qt here.
//
// Free format: a data file's records end at line feeds. When the first record
// holds a carriage return that is not part of a CR LF pair, the file is taken to
// separate its lines by carriage returns: every such carriage return counts one
// line, and so does the end of a record that holds text after its last one. A
// CR LF pair always ends one line only, so a file written with CR LF line ends
// counts each line once.
//
// Fixed format: every record counts one; a record that cannot be read as text
// (it holds a NUL byte, as a binary file does) makes the count fail.
#include <cstddef>
#include <string>
#include <string_view>

namespace meru::mainloop {

struct RecordCount {
    int n = 0;          // records (lines) counted
    bool hascr = false; // the first record holds a lone carriage return
    bool bad = false;   // fixed format: a record could not be read
};

// Counts records from the file's bytes handed over in pieces, in order.
class RecordCounter {
public:
    explicit RecordCounter(bool freefmt) : freefmt_(freefmt) {}
    void feed(std::string_view bytes);
    RecordCount finish() const;

private:
    // A carriage return not followed by a line feed.
    void lone_cr(bool in_first_record);

    bool freefmt_;
    long long feeds_ = 0;     // line feeds
    long long lone_crs_ = 0;  // carriage returns not followed by a line feed
    bool seen_lf_ = false;    // the first record has ended
    bool pending_cr_ = false; // the last piece ended in a carriage return (lone unless a line feed follows)
    bool any_ = false;        // some byte was read
    char last_ = 0;           // the last byte read
    bool hascr_ = false;
    bool nul_ = false;
};

RecordCount count_records(std::string_view bytes, bool freefmt);

// Counts the records of the file at `path`; `why` receives the system's reason
// when it cannot be read.
RecordCount count_file_records(const std::string& path, bool freefmt, std::string& why);

} // namespace meru::mainloop
