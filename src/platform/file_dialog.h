#pragma once
// The file-open dialog, owned by the frame: a title, filters and a start folder;
// the chosen path of an existing file, or nothing when cancelled. In a scripted
// run the script answers it (`file PATH` or `file cancel`).
#include "platform/modal_host.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meru::platform {

struct FileFilter {
    std::string description; // "Control files (*.mrc)"
    std::string patterns;    // "*.mrc", several separated by ";" or blanks
};

// Reads the filter list the program writes as one text: description and pattern
// pairs, each ended by NUL, the list ended by an extra NUL (a missing final NUL and a
// description without its pattern are tolerated).
std::vector<FileFilter> parse_filter_list(std::string_view list);

// The filter as the dialog shows it: "description (patterns)". File names match
// whatever the case of their letters: each pattern is also given in upper and in
// lower case ("*.log" shows "KYPHOSIS.LOG" too).
std::string name_filter(const FileFilter& filter);

// Whether the file named by `path` is one that `filter` shows (its patterns in
// any case).
bool filter_shows(const FileFilter& filter, std::string_view path);

// `path` with "." + `suffix` added when its file name has no extension (an
// empty suffix leaves it as it is): the name a file is saved under.
std::string with_extension(const std::string& path, std::string_view suffix);

// A typed name without an extension that names no file gets "." + `suffix`
// (an empty suffix, or a name that exists or has an extension, stays as it is).
std::string with_default_suffix(const std::string& path, std::string_view suffix);

// `start_folder` empty starts in the current directory; `initial_name` is the file
// name shown at the start (may be empty; a file the first filter does not show
// only gives its folder); `default_suffix` is added to a typed name as
// with_default_suffix says.
std::optional<std::string> open_file_dialog(const ModalHost& host, std::string_view title,
                                            const std::vector<FileFilter>& filters, std::string_view start_folder,
                                            std::string_view initial_name = {}, std::string_view default_suffix = {});

} // namespace meru::platform
