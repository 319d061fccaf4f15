#pragma once
// The program's command line, as the program sees it.
#include <string>

namespace meru::platform {

// Where the program was pointed at its start: its first argument as an absolute
// path, with a trailing "/" when it names a folder; without an argument, the
// current folder with a trailing "/".
std::string start_path();

} // namespace meru::platform
