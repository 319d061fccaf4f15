#pragma once
// Termination signals (SIGTERM, SIGHUP, SIGINT) turned into an event of the event
// loop. The signal handler only writes a byte to a pipe; the handler the program
// installs runs later, on the GUI thread, at the next pump of events, where it can
// flush files and end the process as File:Exit does.
#include <functional>
#include <string>

namespace meru::platform {

// Installs `on_signal`, called with the signal's number inside the event loop.
// Needs a QCoreApplication. Returns false when the pipe or the handlers could not
// be set up (the signals then keep their default action).
bool watch_termination_signals(std::function<void(int signal)> on_signal);

// The name of a termination signal ("SIGTERM"); "signal N" for another.
std::string signal_name(int signal);

} // namespace meru::platform
