#pragma once
// A new analysis's log never overwrites an earlier log of the same name: the
// earlier one is kept beside it under the first free numbered name, whose
// extension "LOG" becomes "L01", "L02", ... (KYPHOSIS.LOG is kept as
// KYPHOSIS.L01). An 8.3 name stays 8.3, and no other control file's log can
// have the name. A log that another program has open as the live log of its
// analysis is never moved: the new log then takes the first free numbered name.
#include <functional>
#include <string>

namespace meru::io {
class LogWriter;
}

namespace meru::mainloop {

// `logname` with the number n in its extension.
std::string numbered_log_name(const std::string& logname, int n);

struct KeptLog {
    std::string name;  // the name the earlier log now has; empty when there was none
    std::string error; // why it could not be moved
    bool live = false; // another program has it open as its log: it stays
};

// Moves the log `folder + logname`, when there is one, to its first free
// numbered name in the same folder. A name is claimed without replacing what
// has it: when another program opening the same analysis takes the name first,
// the next number is tried, and when it has moved the log itself there is no
// earlier log left to keep. A log another program holds stays where it is.
// `meanwhile` (a test seam) runs with each numbered path just before it is claimed.
KeptLog keep_earlier_log(const std::string& folder, const std::string& logname,
                         const std::function<void(const std::string&)>& meanwhile = {});

struct NewLog {
    std::string name;       // the new log's name in the folder
    std::string kept;       // the name the earlier log now has; empty when none was kept
    bool elsewhere = false; // `logname` is another program's live log: the new log has another name
    std::string error;      // why no log could be made
};

// Makes the new log of an analysis in `folder`, never over another file: the
// earlier log `logname` is kept first, and while another program has it open
// the new log takes the first free numbered name instead.
NewLog make_new_log(io::LogWriter& log, const std::string& folder, const std::string& logname);

// The new log's first line, which says where the earlier one went.
std::string kept_log_line(const std::string& logname, const std::string& kept);

// What the user and the new log are told when `logname` is open elsewhere.
std::string elsewhere_log_line(const std::string& logname, const std::string& name);

} // namespace meru::mainloop
