// The event pump: waits at named wait points, the time gate of yield(), the
// replaceable clock.
#include "platform/events.h"
#include "support/qt_application.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

using namespace meru::platform;

namespace {

// Installs a fake clock and a recording wait hook for one test.
class EventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_clock(&fake);
        set_wait_hook([this](WaitPoint p, int ms) { seen.emplace_back(p, ms); });
    }
    void TearDown() override
    {
        set_wait_hook({});
        set_clock(nullptr);
    }

    FakeClock fake{{2026, 12, 31, 23, 59, 59, 98}, 10};
    std::vector<std::pair<WaitPoint, int>> seen;
};

} // namespace

TEST_F(EventsTest, EachWaitNamesItsWaitPoint)
{
    idle_wait(200);
    mouse_wait(100);
    keys_wait(50);
    sleep_ms(10);
    wait(WaitPoint::sleep, 0);
    const std::vector<std::pair<WaitPoint, int>> expected = {{WaitPoint::idle, 200},
                                                             {WaitPoint::mouse, 100},
                                                             {WaitPoint::keys, 50},
                                                             {WaitPoint::sleep, 10},
                                                             {WaitPoint::sleep, 0}};
    EXPECT_EQ(seen, expected);
    // A fake clock makes the waits pass virtually: 360 ms in all.
    EXPECT_EQ(fake.elapsed_ms(), 360);
}

TEST_F(EventsTest, WaitsPumpEvents)
{
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    sleep_ms(5);
    EXPECT_TRUE(fired);
}

TEST_F(EventsTest, YieldPumpsOnlyWhenItsIntervalHasPassed)
{
    set_yield_interval(40);
    pump();
    for (int i = 0; i < 1000; ++i) yield();
    EXPECT_TRUE(seen.empty());
    fake.advance(39);
    yield();
    EXPECT_TRUE(seen.empty());
    fake.advance(1);
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    yield();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, WaitPoint::busy);
    EXPECT_TRUE(fired);
    yield();
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(EventsTest, LongestPumpGapIsTheLongestStretchWithoutAPumpSinceTaken)
{
    set_yield_interval(40);
    pump();
    take_longest_pump_gap();
    fake.advance(30);
    yield(); // below the interval: no pump
    fake.advance(120);
    yield(); // pumps 150 ms after the last pump
    fake.advance(60);
    pump();
    EXPECT_EQ(take_longest_pump_gap(), 150);
    EXPECT_EQ(take_longest_pump_gap(), 0); // taken: it starts again
    fake.advance(70);
    sleep_ms(0); // a wait pumps too
    EXPECT_EQ(take_longest_pump_gap(), 70);
}

TEST_F(EventsTest, FakeClockGivesDateAndHundredthsAndMovesOnEachRead)
{
    const DateTime a = now();
    EXPECT_EQ(a.year, 2026);
    EXPECT_EQ(a.month, 12);
    EXPECT_EQ(a.day, 31);
    EXPECT_EQ(a.hour, 23);
    EXPECT_EQ(a.minute, 59);
    EXPECT_EQ(a.second, 59);
    EXPECT_EQ(a.hundredths, 98);
    const DateTime b = now(); // 10 ms later
    EXPECT_EQ(b.hundredths, 99);
    const DateTime c = now(); // past midnight: the new year
    EXPECT_EQ(c.year, 2027);
    EXPECT_EQ(c.month, 1);
    EXPECT_EQ(c.day, 1);
    EXPECT_EQ(c.hour, 0);
    EXPECT_EQ(c.hundredths, 0);
}

TEST(SystemClockTest, RealWaitTakesItsTimeAndTheDateIsPlausible)
{
    set_clock(nullptr);
    QElapsedTimer t;
    t.start();
    sleep_ms(60);
    EXPECT_GE(t.elapsed(), 55);
    const DateTime d = now();
    EXPECT_GE(d.year, 2024);
    EXPECT_GE(d.hundredths, 0);
    EXPECT_LE(d.hundredths, 99);
}

TEST(SystemClockTest, WaitUntilReturnsAsSoonAsItsConditionHolds)
{
    set_clock(nullptr);
    // A timer far inside the wait's limit: a wait that ignored its condition
    // would still be waiting when it fires.
    bool late = false;
    QTimer::singleShot(30000, [&] { late = true; });
    bool done = false;
    // Raised by the wait hook (a scripted user's choice): no event is waited for.
    set_wait_hook([&](WaitPoint, int) { done = true; });
    wait_until(WaitPoint::idle, 60000, [&] { return done; });
    set_wait_hook({});
    // Raised by an event handled during the wait.
    done = false;
    QTimer::singleShot(0, [&] { done = true; });
    wait_until(WaitPoint::idle, 60000, [&] { return done; });
    EXPECT_TRUE(done);
    EXPECT_FALSE(late);
}

TEST(BeepTest, BeepsAreCounted)
{
    const int before = beep_count();
    beep();
    beep();
    EXPECT_EQ(beep_count(), before + 2);
}
