#pragma once
// The event pump. The program runs on the one GUI thread; every wait in it pumps
// Qt events, so menu routines, mouse callbacks, key presses and repaints run
// inside these calls.
#include "platform/clock.h"

#include <functional>

namespace meru::platform {

// The distinct places where the program waits. A wait hook sees which one it is
// called from (a scripted run takes its next menu action at the idle poll, its
// clicks and keys at the window polls).
enum class WaitPoint {
    idle,  // the main loop's idle poll
    mouse, // a graphics window polling the mouse
    keys,  // a window polling its key queue
    sleep, // any other timed sleep
    busy,  // a pump from yield() inside a long computation
};

// Called at the start of every wait (and of every pump that yield() lets through)
// with the wait point and the milliseconds about to be waited (0 for busy). The
// hook may pump events or run menu routines itself.
using WaitHook = std::function<void(WaitPoint point, int ms)>;

// Installs `hook` (an empty function removes it); returns the previous hook.
WaitHook set_wait_hook(WaitHook hook);

// Replaces the clock (nullptr restores the machine's clock). The caller keeps the
// clock alive while it is installed.
void set_clock(Clock* clock);
Clock& clock();
// Date and time of day, to hundredths, from the installed clock.
DateTime now();

// Waits `ms` milliseconds at wait point `point`, pumping events all the while.
// With a clock that moves its own time, pumps once and returns.
void wait(WaitPoint point, int ms);
inline void sleep_ms(int ms) { wait(WaitPoint::sleep, ms); }
inline void idle_wait(int ms) { wait(WaitPoint::idle, ms); }
inline void mouse_wait(int ms) { wait(WaitPoint::mouse, ms); }
inline void keys_wait(int ms) { wait(WaitPoint::keys, ms); }

// Waits like wait(), but returns as soon as `done` holds: at once when it holds
// after the wait hook has run, else after the first event that makes it hold.
// The program waits only while it has nothing to do.
void wait_until(WaitPoint point, int ms, const std::function<bool()>& done);

// Processes the pending events once, without waiting.
void pump();

// For long loops: pumps pending events when at least the yield interval has
// passed since the last pump, else returns at once (one clock read). Cheap enough
// to call once per candidate of a search.
void yield();
// Milliseconds between pumps that yield() lets through (default 40).
void set_yield_interval(int ms);
// Sets the yield interval from MERU_YIELD_MS when it holds a whole number of
// milliseconds (0: every yield() pumps); otherwise leaves it.
void yield_interval_from_env();

// A short beep that does not block. Tests count the beeps.
void beep();
int beep_count();

// The longest time in milliseconds between two pumps of events (a wait, a pump,
// a yield that pumped) since the last call; the record starts again at 0.
std::int64_t take_longest_pump_gap();

// Flushes the standard streams and ends the process with `status` at once (safe
// from inside nested event loops). Whatever the program must flush first (the log,
// preferences) it flushes before calling this.
[[noreturn]] void exit_program(int status);

} // namespace meru::platform
