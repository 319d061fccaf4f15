#include "platform/events.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace meru::platform {

namespace {

// The pump's state: it belongs to the one GUI thread, like Qt's own event loop.
struct PumpState {
    SystemClock system_clock;
    Clock* clock = &system_clock;
    WaitHook hook;
    std::int64_t last_pump = 0;
    std::int64_t longest_gap = 0; // the longest time between two pumps since it was last taken
    int yield_interval = 40;
    int beeps = 0;
};

PumpState& state()
{
    static PumpState s;
    static const bool started = (s.last_pump = s.clock->elapsed_ms(), true);
    (void)started;
    return s;
}

bool have_app() { return QCoreApplication::instance() != nullptr; }

// A pump at time t: the time since the last one may be the longest gap.
void pumped_at(PumpState& s, std::int64_t t)
{
    s.longest_gap = std::max(s.longest_gap, t - s.last_pump);
    s.last_pump = t;
}

} // namespace

WaitHook set_wait_hook(WaitHook hook) { return std::exchange(state().hook, std::move(hook)); }

void set_clock(Clock* c)
{
    state().clock = c ? c : &state().system_clock;
    state().last_pump = state().clock->elapsed_ms();
}

Clock& clock() { return *state().clock; }

DateTime now() { return state().clock->now(); }

void pump()
{
    PumpState& s = state();
    pumped_at(s, s.clock->elapsed_ms());
    if (have_app()) QCoreApplication::processEvents(QEventLoop::AllEvents);
    s.last_pump = s.clock->elapsed_ms();
}

void wait(WaitPoint point, int ms)
{
    PumpState& s = state();
    if (s.hook) {
        // Copy: the hook may replace itself while it runs.
        WaitHook hook = s.hook;
        hook(point, ms);
    }
    if (ms <= 0 || s.clock->pass(ms) || !have_app()) {
        pump();
        return;
    }
    pumped_at(s, s.clock->elapsed_ms());
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::AllEvents);
    s.last_pump = s.clock->elapsed_ms();
}

void wait_until(WaitPoint point, int ms, const std::function<bool()>& done)
{
    PumpState& s = state();
    if (s.hook) {
        WaitHook hook = s.hook;
        hook(point, ms);
    }
    if (done()) return;
    if (ms <= 0 || s.clock->pass(ms) || !have_app()) {
        pump();
        return;
    }
    pumped_at(s, s.clock->elapsed_ms());
    QEventLoop loop;
    bool over = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&over] { over = true; });
    timer.start(ms);
    while (!over && !done()) loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    s.last_pump = s.clock->elapsed_ms();
}

void yield()
{
    PumpState& s = state();
    const std::int64_t t = s.clock->elapsed_ms();
    if (t - s.last_pump < s.yield_interval) return;
    pumped_at(s, t);
    if (s.hook) {
        WaitHook hook = s.hook;
        hook(WaitPoint::busy, 0);
    }
    if (have_app()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void set_yield_interval(int ms) { state().yield_interval = ms < 0 ? 0 : ms; }

void yield_interval_from_env()
{
    const char* v = std::getenv("MERU_YIELD_MS");
    if (!v || !*v) return;
    char* end = nullptr;
    const long ms = std::strtol(v, &end, 10);
    if (end && *end == '\0' && ms >= 0 && ms <= 60000) set_yield_interval(static_cast<int>(ms));
}

void beep()
{
    ++state().beeps;
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
}

int beep_count() { return state().beeps; }

std::int64_t take_longest_pump_gap() { return std::exchange(state().longest_gap, 0); }

void exit_program(int status)
{
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

} // namespace meru::platform
