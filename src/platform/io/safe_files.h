#pragma once
// Files read and written safely: a file replaced only when its new contents are
// complete, a check that a file can be written before anything is replaced, and
// a check that a file is a regular text file before it is read as data. Each
// returns the system's reason for a failure ("Permission denied"), empty on
// success, for messages that name the file and say why.
#include "platform/io/write_fn.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace meru::io {

// The temporary file that replace_contents writes beside `path`: the path with
// ".meru-tmp-" and six characters added ("kyphosis.mrc.meru-tmp-a1B2c3").
inline constexpr std::string_view kTempMark = ".meru-tmp-";

// Writes `text` to a temporary file beside `path` and renames it over `path` once
// it is whole and on disk: the old file stays whole until the new one replaces it,
// and a failure (a full disk) removes the temporary file and leaves the old one as
// it was. Writers of one file take turns: each holds the file's lock until its
// copy has replaced it. Temporaries of `path` left by a write that was killed are
// removed first (those of live writers stay). A link is followed: the file it
// names is replaced; a link that loops or names no file is refused, and so is
// anything but a regular file (a device, a pipe, a folder), left as it is.
// `write` is the test seam.
std::string replace_contents(const std::string& path, std::string_view text, const WriteFn& write = {});

// replace_contents with what `change` makes of the file's present contents,
// read under the same lock, so that no other writer's change falls between the
// reading and the renaming. `change` edits the text in place and returns a reason
// to write nothing, empty to write it.
std::string update_contents(const std::string& path, const std::function<std::string(std::string&)>& change,
                            const WriteFn& write = {});

// Removes the temporaries of `path` left by writes that were killed, as a write
// of it does; for a reader opening the file.
void remove_stale_temporaries(const std::string& path);

// replace_contents with `lines`, each ended by a line feed.
std::string write_replacing(const std::string& path, const std::vector<std::string>& lines);

// Whether `path` could be written (appended to when it exists, created in its
// folder when not), without changing it. A link that loops cannot.
std::string can_write(const std::string& path);

// Why `path` cannot be read as a text file: it cannot be opened, is not a regular
// file (a device, a folder, a pipe), holds NUL bytes in its first 4 KB, or is
// plainly not text there (more than one byte in 20 a control character other
// than tab, line feed, carriage return and form feed).
std::string not_text_reason(const std::string& path);

// Reads a regular file block by block, handing each block to `take` in order;
// nothing of the file is kept. The reason on failure.
std::string read_file_blocks(const std::string& path, const std::function<void(std::string_view)>& take);

// Reads a whole regular file into `text`, or only its first `most` bytes when it
// is longer; the reason on failure.
std::string read_regular_file(const std::string& path, std::string& text, std::size_t most = SIZE_MAX);

} // namespace meru::io
