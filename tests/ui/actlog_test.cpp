// Log headings: the time line's form, a second heading in the same hundredth
// waiting for the clock, the remembered "%" headings with their "~" mark, and the
// full history whose last entry is replaced.
#include "platform/events.h"
#include "ui/actlog.h"
#include "ui_fixture.h"

#include <deque>
#include <set>

using namespace meru;
using meru::test::UiTest;
using platform::DateTime;

namespace {

// Gives the listed times in order, then the last one for ever.
class ListedClock final : public platform::Clock {
public:
    explicit ListedClock(std::deque<DateTime> times) : times_(std::move(times)) {}
    DateTime now() override
    {
        ++reads;
        if (!times_.empty()) {
            last_ = times_.front();
            times_.pop_front();
        }
        return last_;
    }
    std::int64_t elapsed_ms() override { return 0; }
    bool pass(int) override { return true; }
    int reads = 0;

private:
    std::deque<DateTime> times_;
    DateTime last_;
};

class ActlogTest : public UiTest {
protected:
    void TearDown() override { platform::set_clock(nullptr); }
    void heading(std::string text) { ui::actlog(log, ctx.history, text); }
};

DateTime at(int h, int m, int s, int cc) { return {2026, 12, 7, h, m, s, cc}; }

} // namespace

TEST(TimeLineTest, HourInTwoColumnsAndTheRestWithLeadingZeros)
{
    EXPECT_EQ(ui::time_line(at(9, 5, 3, 7)), "%time 9:05:03:07");
    EXPECT_EQ(ui::time_line(at(23, 59, 59, 99)), "%time23:59:59:99");
    EXPECT_EQ(ui::time_line(at(0, 0, 0, 0)), "%time 0:00:00:00");
}

TEST_F(ActlogTest, TwoHeadingsInTheSameHundredthGetDifferentTimeLines)
{
    ListedClock clock({at(10, 15, 30, 5), at(10, 15, 30, 5), at(10, 15, 30, 5), at(10, 15, 30, 6)});
    platform::set_clock(&clock);
    heading("%File:Open ");
    heading("%Search:Go!");
    EXPECT_EQ(clock.reads, 4); // the second heading waited two reads for the clock
    EXPECT_EQ(log_lines(),
              (std::vector<std::string>{"%File:Open", "%time10:15:30:05", "%Search:Go!", "%time10:15:30:06"}));
    EXPECT_EQ(ctx.history.lasttime, "%time10:15:30:06");
    ASSERT_EQ(ctx.history.entries.size(), 2u);
    EXPECT_EQ(ctx.history.entries[1].heading, "Search:Go!");
    EXPECT_EQ(ctx.history.entries[1].time, "%time10:15:30:06");
}

TEST_F(ActlogTest, AFindTextLeftInLasttimeDoesNotLetATimeLineRepeat)
{
    // The log viewer writes its find text into lasttime; the time lines stay
    // unique against the last one written.
    ListedClock clock({at(10, 15, 30, 5), at(10, 15, 30, 5), at(10, 15, 30, 6)});
    platform::set_clock(&clock);
    heading("%File:Open ");
    ctx.history.lasttime = "abc";
    heading("%Search:Go!");
    EXPECT_EQ(log_lines()[3], "%time10:15:30:06");
    EXPECT_EQ(ctx.history.lasttime, "%time10:15:30:06");
}

TEST_F(ActlogTest, LongHeadingsAreMarkedAndOnlyPercentHeadingsRemembered)
{
    platform::FakeClock clock;
    platform::set_clock(&clock);
    const std::string x29(29, 'x');
    std::string runs_on = "%" + x29 + "yz";
    ui::actlog(log, ctx.history, runs_on);
    EXPECT_EQ(runs_on, "%" + x29 + "~z"); // column 31 marked in the caller's text
    std::string fits = "%" + x29;
    ui::actlog(log, ctx.history, fits);
    EXPECT_EQ(fits, "%" + x29);
    std::string gap = "%" + x29 + "   later"; // columns 31-33 blank: no mark
    ui::actlog(log, ctx.history, gap);
    std::string plain = "NOTE: not a section";
    ui::actlog(log, ctx.history, plain);
    std::string too_long = "%" + std::string(99, 'L');
    ui::actlog(log, ctx.history, too_long);

    ASSERT_EQ(ctx.history.entries.size(), 4u);
    EXPECT_EQ(ctx.history.entries[0].heading, x29 + "~");
    EXPECT_EQ(ctx.history.entries[1].heading, x29);
    EXPECT_EQ(ctx.history.entries[2].heading, x29 + " ");
    EXPECT_EQ(ctx.history.entries[3].heading, std::string(29, 'L') + "~");
    const auto lines = log_lines();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "%" + x29 + "yz"); // logged before the mark
    EXPECT_EQ(lines[6], "NOTE: not a section");
    EXPECT_EQ(lines[8], "%" + std::string(79, 'L')); // cut to 80 columns
    EXPECT_EQ(ctx.history.lasttime, lines[9]);
}

TEST_F(ActlogTest, TheHundredAndFirstHeadingReplacesTheHundredth)
{
    platform::FakeClock clock(at(12, 0, 0, 0), 3); // several reads per hundredth
    platform::set_clock(&clock);
    for (int i = 1; i <= 101; ++i) heading("%H" + std::to_string(i));
    ASSERT_EQ(ctx.history.entries.size(), 100u);
    EXPECT_EQ(ctx.history.entries[0].heading, "H1");
    EXPECT_EQ(ctx.history.entries[98].heading, "H99");
    EXPECT_EQ(ctx.history.entries[99].heading, "H101");
    std::set<std::string> times;
    for (const auto& line : log_lines())
        if (line.starts_with("%time")) times.insert(line);
    EXPECT_EQ(times.size(), 101u);
    EXPECT_EQ(ctx.history.entries[99].time, *times.rbegin());
}
