#pragma once
// The preferences file: kept from one run to the next, it holds seven option
// flags (the options line) and the control files opened most recently. Its
// lines, in order:
//   - any number of leading lines, each empty or beginning with "#", kept and
//     written back unchanged;
//   - the options line: seven flags "T" or "F" in columns 1 to 7 (fullred,
//     primattr, tiedlast, detailout, skipset, skipcomb, showtip); the rest of
//     the line is ignored;
//   - the recent control files, most recent first, one whole path a line, at
//     most ten.
// No Qt here.
#include "settings/options.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meru::mainloop {

struct Preferences {
    static constexpr int kMaxRecent = 10;
    std::vector<std::string> leading; // the lines before the options line
    std::string options_line;         // as it will be written
    std::vector<std::string> recent;  // whole paths, most recent first
};

// The leading line a new preferences file gets, and the options line it is
// created with (tied partitions on, the other flags off).
inline constexpr std::string_view kPrefHeading =
    "# MERU preferences: the options line (seven T/F flags), then the recent control files";
inline constexpr std::string_view kNewOptionsLine = "FFTFFFFTT";

enum class PrefStatus {
    read,        // the options line was read
    created,     // the file did not exist and was created
    no_options,  // the file ends before an options line
    bad_options, // the line in the options line's place is not seven T/F flags
    unreadable,  // the file cannot be read (or created)
};

struct PrefRead {
    Preferences prefs;
    PrefStatus status = PrefStatus::read;
    std::string options_line; // the options line as read (read and created)
    std::string why;          // the system's reason when the file could not be read or created
};

// The preferences file's path: $MERU_PREFS when set, else meru.prf in
// $XDG_CONFIG_HOME/meru or ~/.config/meru (the folder is created when missing).
std::string preferences_path();

// Reads the file at `path`, creating it (heading, the new options line) when it
// does not exist. Blank lines among the recent files are skipped; recent files
// after the tenth are not read. Temporaries of the file left by a write that was
// killed are removed.
PrefRead read_preferences(const std::string& path);

// Rewrites the file whole (through a temporary file renamed over it, in turn
// with other programs writing it). The system's reason when it cannot be
// written (the file is then as it was), else empty.
std::string write_preferences(const std::string& path, const Preferences& prefs);

// Sets the seven saved options from an options line; false (nothing changed)
// when its first seven columns are not each "T" or "F".
bool apply_options_line(std::string_view line, settings::Options& options);
// Both skip options set: only "skip if any missing in the combination" stays.
void settle_skip_options(settings::Options& options);
// The options line of `options`: seven columns "T" or "F".
std::string options_line(const settings::Options& options);

// File:Open or File:New opened `path`. A path found in the list (trailing blanks
// ignored) moves to the top and `recentix` becomes its former position; a new
// one goes on top, the oldest dropping out when there were ten already. True
// when the list grew (a menu item is to be added).
bool note_opened(Preferences& prefs, std::string_view path, int& recentix);
// Recent file `recentix` (1 = most recent) was reopened: it moves to the top.
void note_recent_chosen(Preferences& prefs, int recentix);

} // namespace meru::mainloop
