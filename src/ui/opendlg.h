#pragma once
// The file-open dialog as every File > Open and browse button shows it: owned by
// the frame, no title, the caller's filter list with its first filter chosen, the
// current folder, and the caller's text as the initial file name; only an existing
// file can be chosen; a typed name without an extension gets ".txt".
#include "platform/modal_host.h"

#include <string>
#include <string_view>

namespace meru::ui {

// The longest path the dialog hands back, in characters.
constexpr std::size_t kOpenPathMax = 511;
// The extension given to a typed name that has none.
constexpr std::string_view kDefaultExtension = "txt";

// `path`: in, the initial file name (up to its first NUL; empty for none); out,
// the chosen path. `filter`: description and pattern pairs, each ended by NUL, the
// list ended by an extra NUL. Returns 1 when a file was chosen, 0 when the dialog
// was cancelled or the chosen path is too long (then `path` is unchanged).
int opendlg(const platform::ModalHost& host, std::string& path, std::string_view filter);

} // namespace meru::ui
