#pragma once
// A new analysis's log never overwrites an earlier log of the same name: the
// earlier one is kept beside it under the first free numbered name, whose
// extension "LOG" becomes "L01", "L02", ... (KYPHOSIS.LOG is kept as
// KYPHOSIS.L01). An 8.3 name stays 8.3, and no other control file's log can
// have the name.
#include <functional>
#include <string>

namespace meru::mainloop {

// `logname` with the number n in its extension.
std::string numbered_log_name(const std::string& logname, int n);

struct KeptLog {
    std::string name;  // the name the earlier log now has; empty when there was none
    std::string error; // why it could not be moved
};

// Moves the log `folder + logname`, when there is one, to its first free
// numbered name in the same folder. A name is claimed without replacing what
// has it: when another program opening the same analysis takes the name first,
// the next number is tried, and when it has moved the log itself there is no
// earlier log left to keep. `meanwhile` (a test seam) runs with each numbered
// path just before it is claimed.
KeptLog keep_earlier_log(const std::string& folder, const std::string& logname,
                         const std::function<void(const std::string&)>& meanwhile = {});

// The new log's first line, which says where the earlier one went.
std::string kept_log_line(const std::string& logname, const std::string& kept);

} // namespace meru::mainloop
