#include "mainloop/earlier_log.h"

#include "platform/io/os.h"

namespace meru::mainloop {

std::string numbered_log_name(const std::string& logname, int n)
{
    const std::size_t dot = logname.rfind('.');
    const std::string base = dot == std::string::npos ? logname : logname.substr(0, dot);
    return base + ".L" + (n < 10 ? "0" : "") + std::to_string(n);
}

KeptLog keep_earlier_log(const std::string& folder, const std::string& logname)
{
    KeptLog kept;
    if (!io::file_exists(folder + logname)) return kept;
    int n = 1;
    while (io::file_exists(folder + numbered_log_name(logname, n))) ++n;
    kept.error = io::rename_file(folder + logname, folder + numbered_log_name(logname, n));
    if (kept.error.empty()) kept.name = numbered_log_name(logname, n);
    return kept;
}

std::string kept_log_line(const std::string& logname, const std::string& kept)
{
    return "NOTE: The earlier " + logname + " is kept as " + kept;
}

} // namespace meru::mainloop
