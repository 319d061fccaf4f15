#pragma once
// Date and time for the program, through a clock that tests can replace.
#include <cstdint>

namespace meru::platform {

struct DateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, hundredths = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time of day, to hundredths of a second.
    virtual DateTime now() = 0;
    // Monotonic milliseconds (any origin); gates yield().
    virtual std::int64_t elapsed_ms() = 0;
    // Lets `ms` milliseconds pass. Returns true when the clock moved its own time
    // forward (then a wait pumps events once and returns at once), false when real
    // time has to pass.
    virtual bool pass(int ms) = 0;
};

// The machine's clock.
class SystemClock final : public Clock {
public:
    DateTime now() override;
    std::int64_t elapsed_ms() override;
    bool pass(int) override { return false; }
};

// A virtual clock for tests: time stands still except where it is made to move.
// Every read of now() moves it on by `step_ms` (so a loop waiting for the
// hundredths to change ends), and every wait moves it on by the time waited.
class FakeClock final : public Clock {
public:
    explicit FakeClock(DateTime start = {2026, 1, 1, 12, 0, 0, 0}, int step_ms = 10);
    DateTime now() override;
    std::int64_t elapsed_ms() override { return ms_; }
    bool pass(int ms) override;
    void advance(std::int64_t ms) { ms_ += ms; }

private:
    DateTime start_;
    int step_ms_;
    std::int64_t ms_ = 0;
};

} // namespace meru::platform
