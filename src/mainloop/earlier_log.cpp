#include "mainloop/earlier_log.h"

#include "platform/io/os.h"

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
        const int err = io::rename_unreplacing(folder + logname, folder + name);
        if (err == EEXIST) continue;
        if (err == 0) kept.name = name;
        else if (err != ENOENT) kept.error = std::strerror(err);
        return kept;
    }
}

std::string kept_log_line(const std::string& logname, const std::string& kept)
{
    return "NOTE: The earlier " + logname + " is kept as " + kept;
}

} // namespace meru::mainloop
