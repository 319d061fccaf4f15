#include "mainloop/earlier_log.h"

#include "platform/io/logwriter.h"
#include "platform/io/os.h"
#include "platform/io/write_locks.h"

#include <cerrno>
#include <cstring>

namespace meru::mainloop {

std::string numbered_log_name(const std::string& logname, int n)
{
    const std::size_t dot = logname.rfind('.');
    const std::string base = dot == std::string::npos ? logname : logname.substr(0, dot);
    return base + ".L" + (n < 10 ? "0" : "") + std::to_string(n);
}

KeptLog keep_earlier_log(const std::string& folder, const std::string& logname,
                         const std::function<void(const std::string&)>& meanwhile)
{
    KeptLog kept;
    if (!io::file_exists(folder + logname)) return kept;
    for (int n = 1;; ++n) {
        const std::string name = numbered_log_name(logname, n);
        if (meanwhile) meanwhile(folder + name);
        const int err = io::rename_unheld(folder + logname, folder + name);
        if (err == EEXIST) continue;
        if (err == 0) kept.name = name;
        else if (err == EWOULDBLOCK) kept.live = true;
        else if (err != ENOENT) kept.error = std::strerror(err);
        return kept;
    }
}

NewLog make_new_log(io::LogWriter& log, const std::string& folder, const std::string& logname)
{
    NewLog made;
    // Makes the log as `name`: true once it is made or cannot be made at all,
    // false while another file has the name.
    const auto settled = [&](const std::string& name) {
        made.name = name;
        if (log.create_new(folder + name) == 0) return true;
        if (errno != EEXIST) made.error = std::strerror(errno);
        return !made.error.empty();
    };
    for (;;) {
        const KeptLog earlier = keep_earlier_log(folder, logname);
        if (!earlier.name.empty()) made.kept = earlier.name;
        made.error = earlier.error;
        if (!made.error.empty()) return made;
        made.elsewhere = earlier.live;
        // A name taken meanwhile by another program's log: look at it again.
        if (!made.elsewhere) {
            if (settled(logname)) return made;
            continue;
        }
        for (int n = 1;; ++n)
            if (settled(numbered_log_name(logname, n))) return made;
    }
}

std::string kept_log_line(const std::string& logname, const std::string& kept)
{
    return "NOTE: The earlier " + logname + " is kept as " + kept;
}

std::string elsewhere_log_line(const std::string& logname, const std::string& name)
{
    return "NOTE: " + logname + " is open in another copy of MERU; this log is " + name;
}

} // namespace meru::mainloop
