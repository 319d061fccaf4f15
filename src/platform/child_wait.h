#pragma once
// Running another program (an editor, the desktop's opener) while this one keeps
// serving its events: windows repaint and menus answer until the child ends.
#include <string>
#include <vector>

namespace meru::platform {

// Milliseconds between looks at the child; the events are pumped meanwhile.
inline constexpr int kChildPollMs = 50;

// io::run_and_wait with a pumping wait (a timed sleep) between looks at the child.
int run_and_wait(const std::string& program, const std::vector<std::string>& args);
int open_url(const std::string& url, const std::string& opener);

} // namespace meru::platform
