#include "platform/clock.h"

#include <QDateTime>
#include <chrono>
#include <ctime>

namespace meru::platform {

DateTime SystemClock::now()
{
    const QDateTime t = QDateTime::currentDateTime();
    const QDate d = t.date();
    const QTime tm = t.time();
    return {d.year(), d.month(), d.day(), tm.hour(), tm.minute(), tm.second(), tm.msec() / 10};
}

std::int64_t SystemClock::elapsed_ms()
{
#ifdef CLOCK_MONOTONIC_COARSE
    // A search asks for the time after every candidate it evaluates (yield()),
    // so the read must cost far less than an evaluation: the coarse clock takes
    // a few nanoseconds against some 25 for the precise one, and its resolution
    // (a few milliseconds) is well below the pump's interval.
    timespec t{};
    if (clock_gettime(CLOCK_MONOTONIC_COARSE, &t) == 0)
        return static_cast<std::int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
#endif
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

FakeClock::FakeClock(DateTime start, int step_ms) : start_(start), step_ms_(step_ms) {}

DateTime FakeClock::now()
{
    // Counted in UTC, so no daylight-saving change moves the virtual time.
    const QDateTime base(QDate(start_.year, start_.month, start_.day),
                         QTime(start_.hour, start_.minute, start_.second, start_.hundredths * 10), Qt::UTC);
    const QDateTime t = base.addMSecs(ms_);
    ms_ += step_ms_;
    const QDate d = t.date();
    const QTime tm = t.time();
    return {d.year(), d.month(), d.day(), tm.hour(), tm.minute(), tm.second(), tm.msec() / 10};
}

bool FakeClock::pass(int ms)
{
    if (ms > 0) ms_ += ms;
    return true;
}

} // namespace meru::platform
