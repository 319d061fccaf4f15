#pragma once
// Section headings of the output log: each heading is followed by a time line
// "%time hh:mm:ss:cc" that differs from every time line before it, and the
// headings that begin with "%" are remembered (up to 100) for the log viewer's Goto.
#include "platform/clock.h"

#include <string>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::ui {

struct HistoryEntry {
    std::string heading; // columns 2 to 31 of the heading ("%" dropped)
    std::string time;    // the time line written after it
};

struct ActionHistory {
    static constexpr std::size_t kCapacity = 100;
    static constexpr std::size_t kHeadingMax = 80;
    std::vector<HistoryEntry> entries; // in order; when full the last one is replaced
    // Where the log viewer opens: the last time line written, or the find text
    // the user left the log viewer with.
    std::string lasttime = "MERU Output log from";
    std::string last_written; // the last time line written: the next one must differ
};

// "%time" + hour in two columns + ":mm:ss:cc".
std::string time_line(const platform::DateTime& t);

// Writes `text` (cut to 80 characters) and a fresh time line to the log, reading
// the installed clock until its time line differs from history.last_written
// (then both it and history.lasttime hold the new time line). A
// heading that begins with "%" is remembered; when any of its columns 31 to 33 is
// not blank, column 31 of `text` becomes "~" first.
void actlog(io::LogWriter& log, ActionHistory& history, std::string& text);

} // namespace meru::ui
