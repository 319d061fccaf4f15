#pragma once
// The program's main routine. Started from inside the event loop on the one GUI
// thread; it never returns, and every wait in it pumps events.
#include <string>

namespace meru::platform {
class Frame;
class UnitRegistry;
} // namespace meru::platform

namespace meru::mainloop {

struct Program;

// The status the program ends with when a start-up file is missing or another
// copy is running.
constexpr int kStartupFailure = 1;

// Builds the program's state and menu bar, starts a scripted run when
// MERU_SCRIPT is set, runs the start-up and then the main loop.
[[noreturn]] void mainprog(platform::Frame& frame, platform::UnitRegistry& units);

// The start-up, in its order, with the program's own files in `folder`: the
// help index and help text (false, after the messages, when one cannot be
// opened or another copy runs), the preferences, the banner and its help topic,
// the fonts, the progress window, the scratch file, the options and the recent
// files.
bool startup(Program& program, const std::string& folder);

} // namespace meru::mainloop
