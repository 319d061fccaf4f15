#include "mainloop/prefs.h"

#include "platform/io/safe_files.h"
#include "platform/io/strings.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

namespace meru::mainloop {

namespace {

namespace fs = std::filesystem;

// A line of the file without its trailing blanks and line ends.
std::string trim_right(std::string_view s) { return io::rtrim(s, " \r\n"); }

bool is_leading_line(std::string_view line)
{
    const std::string shown = trim_right(line);
    return shown.empty() || shown.front() == '#';
}

// The seven saved options in their column order.
std::array<bool settings::Options::*, 7> columns()
{
    using O = settings::Options;
    return {&O::fullred, &O::primattr, &O::tiedlast, &O::detailout, &O::skipset, &O::skipcomb, &O::showtip};
}

} // namespace

std::string preferences_path()
{
    if (const char* p = std::getenv("MERU_PREFS"); p && *p) return p;
    fs::path folder;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) folder = fs::path(x) / "meru";
    else if (const char* h = std::getenv("HOME"); h && *h) folder = fs::path(h) / ".config" / "meru";
    else folder = fs::current_path();
    std::error_code ec;
    fs::create_directories(folder, ec);
    return (folder / "meru.prf").string();
}

PrefRead read_preferences(const std::string& path)
{
    PrefRead r;
    io::remove_stale_temporaries(path);
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        r.prefs.leading = {std::string(kPrefHeading)};
        r.prefs.options_line = kNewOptionsLine;
        r.options_line = kNewOptionsLine;
        r.why = write_preferences(path, r.prefs);
        r.status = r.why.empty() ? PrefStatus::created : PrefStatus::unreadable;
        return r;
    }
    // Read whole and at once: a pipe or a device in its place is refused, never
    // waited on.
    std::string text;
    if (r.why = io::read_regular_file(path, text); !r.why.empty()) {
        r.status = PrefStatus::unreadable;
        return r;
    }
    std::istringstream in(text);
    std::string line;
    bool have_options = false;
    while (std::getline(in, line)) {
        if (is_leading_line(line)) {
            r.prefs.leading.emplace_back(trim_right(line));
            continue;
        }
        have_options = true;
        break;
    }
    if (!have_options) {
        r.status = PrefStatus::no_options;
        return r;
    }
    settings::Options probe;
    if (apply_options_line(line, probe)) {
        r.status = PrefStatus::read;
        r.options_line = std::string(trim_right(line));
    } else {
        r.status = PrefStatus::bad_options;
    }
    while (static_cast<int>(r.prefs.recent.size()) < Preferences::kMaxRecent && std::getline(in, line)) {
        const std::string path_line = trim_right(line);
        if (!path_line.empty()) r.prefs.recent.emplace_back(path_line);
    }
    return r;
}

std::string write_preferences(const std::string& path, const Preferences& prefs)
{
    std::vector<std::string> lines;
    for (const auto& l : prefs.leading) lines.push_back(trim_right(l));
    lines.push_back(trim_right(prefs.options_line));
    const int n = std::min<int>(static_cast<int>(prefs.recent.size()), Preferences::kMaxRecent);
    for (int k = 0; k < n; ++k) lines.push_back(trim_right(prefs.recent[static_cast<size_t>(k)]));
    return io::write_replacing(path, lines);
}

bool apply_options_line(std::string_view line, settings::Options& options)
{
    if (line.size() < 7) return false;
    for (size_t i = 0; i < 7; ++i)
        if (line[i] != 'T' && line[i] != 'F') return false;
    const auto cols = columns();
    for (size_t i = 0; i < cols.size(); ++i) options.*cols[i] = line[i] == 'T';
    return true;
}

void settle_skip_options(settings::Options& options)
{
    if (options.skipset && options.skipcomb) options.skipset = false;
}

std::string options_line(const settings::Options& options)
{
    std::string line;
    for (auto member : columns()) line += options.*member ? 'T' : 'F';
    return line;
}

bool note_opened(Preferences& prefs, std::string_view path, int& recentix)
{
    const std::string chosen(trim_right(path));
    auto& list = prefs.recent;
    for (size_t i = 0; i < list.size(); ++i) {
        if (trim_right(list[i]) == chosen) {
            recentix = static_cast<int>(i) + 1;
            note_recent_chosen(prefs, recentix);
            return false;
        }
    }
    const bool grew = static_cast<int>(list.size()) < Preferences::kMaxRecent;
    list.insert(list.begin(), chosen);
    if (static_cast<int>(list.size()) > Preferences::kMaxRecent) list.resize(Preferences::kMaxRecent);
    return grew;
}

void note_recent_chosen(Preferences& prefs, int recentix)
{
    auto& list = prefs.recent;
    if (recentix <= 1 || recentix > static_cast<int>(list.size())) return;
    std::string chosen = list[static_cast<size_t>(recentix - 1)];
    list.erase(list.begin() + (recentix - 1));
    list.insert(list.begin(), std::move(chosen));
}

} // namespace meru::mainloop
