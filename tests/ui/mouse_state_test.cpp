// The mouse state the graphics windows poll: the callback's state rule, the
// registered masks, the latch that keeps a quick click for one poll, and clicks
// fed to a window's poll through the wait hook under the fake clock.
#include "ui/mouse_state.h"

#include "platform/events.h"
#include "platform/script_host.h"
#include "platform/window.h"
#include "ui_fixture.h"

#include <QMdiArea>

#include <deque>
#include <vector>

using namespace meru;
using namespace meru::platform;
using meru::test::UiTest;

namespace {

struct Ev {
    int event, keystate, x, y;
};

// Feeds the events of one batch to a window at each mouse wait, as a user's
// hand (or a script's click) would between two polls; time is the fake clock's.
class MouseFeed {
public:
    MouseFeed(Frame& frame, int unit, std::deque<std::vector<Ev>> batches) : batches_(std::move(batches))
    {
        set_clock(&clock_);
        previous_ = set_wait_hook([&frame, unit, this](WaitPoint point, int) {
            if (point != WaitPoint::mouse) return;
            ++waits;
            if (batches_.empty()) return;
            for (const Ev& e : batches_.front()) frame.window(unit)->mouse_event(e.event, e.keystate, e.x, e.y);
            batches_.pop_front();
        });
    }
    ~MouseFeed()
    {
        set_wait_hook(previous_);
        set_clock(nullptr);
    }
    int waits = 0;

private:
    FakeClock clock_;
    WaitHook previous_;
    std::deque<std::vector<Ev>> batches_;
};

constexpr Ev left_down{mouse_left_down, mouse_ks_left, 50, 5};
constexpr Ev left_up{mouse_left_up, 0, 50, 5};

} // namespace

TEST(MouseStateTest, StateIsTwoWhileRightIsHeldElseTheLeftBit)
{
    struct Case {
        int event, keystate, state;
    } cases[] = {
        {mouse_left_down, mouse_ks_left, 1},
        {mouse_right_down, mouse_ks_right, 2},
        {mouse_right_down, mouse_ks_right | mouse_ks_left, 2}, // right wins over a held left
        {mouse_move, mouse_ks_left | mouse_ks_shift, 1},
        {mouse_move, mouse_ks_shift, 0},
        {mouse_left_up, 0, 0},
    };
    for (const Case& c : cases) {
        ui::MouseBlock m;
        ui::mousecb(m, 19, c.event, c.keystate, 7, 9);
        EXPECT_EQ(ui::mouse_read(m), c.state) << c.event << " " << c.keystate;
        EXPECT_EQ(m.x, 7);
        EXPECT_EQ(m.y, 9);
    }
}

TEST(MouseStateTest, ClearForgetsAndPresetsTheBlock)
{
    ui::MouseBlock m;
    ui::mousecb(m, 19, mouse_left_down, mouse_ks_left, 1, 2);
    ui::mouse_clear(m, 600, 16);
    EXPECT_EQ(ui::mouse_read(m), 0);
    EXPECT_EQ(m.x, 600);
    EXPECT_EQ(m.y, 16);
    // Without a new event a read keeps what the block holds.
    ui::mousecb(m, 19, mouse_left_down, mouse_ks_left, 3, 4);
    EXPECT_EQ(ui::mouse_read(m), 1);
    EXPECT_EQ(ui::mouse_read(m), 1);
    EXPECT_EQ(m.x, 3);
}

TEST(MouseStateTest, TheMasksOfTheWindows)
{
    EXPECT_EQ(ui::kMouseClicks, 9);
    EXPECT_EQ(ui::kMouseLeftMove, 65);
    EXPECT_EQ(ui::kMouseClicksMove, 73);
    EXPECT_EQ(ui::kMouseClicksMoveUp, 75);
}

TEST(MouseStateTest, BarClickRule)
{
    // Buttons span x 1-44, 46-89, ...; a click at y 15 is still on the bar.
    struct Case {
        int x, y, button;
    } cases[] = {{0, 5, 1},   {44, 5, 1},  {45, 0, 2},  {50, 5, 2}, {89, 15, 2},
                 {224, 5, 5}, {230, 5, 6}, {50, 16, 0}, {-1, 5, 0}};
    for (const Case& c : cases) EXPECT_EQ(ui::bar_button(c.x, c.y), c.button) << c.x << "," << c.y;
}

TEST_F(UiTest, QuickClickBetweenPollsIsSeenOnce)
{
    ASSERT_TRUE(frame.open_window(19, "Scatter"));
    ASSERT_GE(ui::register_mousecb(ctx, 19, ui::kMouseClicksMoveUp), 0);
    MouseFeed feed(frame, 19, {{left_down, {mouse_move, 0, 51, 6}, left_up}, {}, {}});
    ui::mouse_clear(ctx.mouse);
    int polls = 1;
    while (ui::mouse_poll(ctx.mouse, 100) != 1) ++polls;
    EXPECT_EQ(polls, 1);
    EXPECT_EQ(ctx.mouse.x, 50); // the press's own position
    EXPECT_EQ(ui::bar_button(ctx.mouse.x, ctx.mouse.y), 2);
    ui::mouse_clear(ctx.mouse);
    EXPECT_EQ(ui::mouse_poll(ctx.mouse, 100), 0);
    EXPECT_EQ(ui::mouse_poll(ctx.mouse, 100), 0);
    EXPECT_EQ(feed.waits, 3);
    EXPECT_EQ(ui::unregister_mousecb(ctx, 19), 0);
    EXPECT_LT(ui::register_mousecb(ctx, 20, ui::kMouseClicks), 0); // no window
}

TEST_F(UiTest, QuickClickWithoutClearIsAlsoSeenOnceThenTheRelease)
{
    ASSERT_TRUE(frame.open_window(19, "Scatter"));
    ASSERT_GE(ui::register_mousecb(ctx, 19, ui::kMouseClicksMoveUp), 0);
    MouseFeed feed(frame, 19, {{left_down, left_up}, {}});
    ui::mouse_clear(ctx.mouse);
    EXPECT_EQ(ui::mouse_poll(ctx.mouse, 100), 1);
    EXPECT_EQ(ui::mouse_poll(ctx.mouse, 100), 0);
}

TEST_F(UiTest, HeldButtonWithMovesKeepsReadingOne)
{
    ASSERT_TRUE(frame.open_window(19, "Scatter"));
    ASSERT_GE(ui::register_mousecb(ctx, 19, ui::kMouseLeftMove), 0);
    MouseFeed feed(frame, 19,
                   {{left_down, {mouse_move, mouse_ks_left, 60, 5}},
                    {{mouse_move, mouse_ks_left, 70, 5}},
                    {{mouse_move, mouse_ks_left, 80, 5}, left_up}, // left up is not in the mask
                    {{mouse_move, 0, 90, 5}}});
    ui::mouse_clear(ctx.mouse);
    EXPECT_EQ(ui::mouse_poll(ctx.mouse, 10), 1);
    EXPECT_EQ(ctx.mouse.x, 50);
    std::vector<int> xs;
    for (int i = 0; i < 3; ++i) {
        ui::mouse_clear(ctx.mouse);
        ui::mouse_poll(ctx.mouse, 10);
        xs.push_back(ctx.mouse.state == 1 ? ctx.mouse.x : -ctx.mouse.x);
    }
    EXPECT_EQ(xs, (std::vector<int>{70, 80, -90}));
}

TEST_F(UiTest, ClickMaskLeavesOutMoves)
{
    ASSERT_TRUE(frame.open_window(19, "Scatter"));
    ASSERT_GE(ui::register_mousecb(ctx, 19, ui::kMouseClicks), 0);
    MouseFeed feed(frame, 19,
                   {{{mouse_move, mouse_ks_left, 5, 5}},
                    {{mouse_left_down, mouse_ks_left | mouse_ks_right, 8, 8}},
                    {{mouse_right_down, mouse_ks_right, 9, 9}}});
    ui::mouse_clear(ctx.mouse);
    EXPECT_EQ(ui::mouse_poll(ctx.mouse, 100), 0);
    EXPECT_EQ(ui::mouse_poll(ctx.mouse, 100), 2);
    ui::mouse_clear(ctx.mouse);
    EXPECT_EQ(ui::mouse_poll(ctx.mouse, 100), 2);
    EXPECT_EQ(ctx.mouse.x, 9);
}

TEST_F(UiTest, ScriptedClickIsSeenOnceByThePoll)
{
    ASSERT_TRUE(frame.open_window(19, "Scatter"));
    ASSERT_GE(ui::register_mousecb(ctx, 19, ui::kMouseClicksMoveUp), 0);
    FrameScriptHost host(frame, menus);
    int ended = -1;
    host.set_exit([&ended](int status) { ended = status; });
    auto script = test::make_script("click Scatter 50 5\n", host);
    FakeClock clock;
    set_clock(&clock);
    install_script_hook(*script);
    ui::mouse_clear(ctx.mouse);
    EXPECT_EQ(ui::mouse_poll(ctx.mouse, 100), 1);
    EXPECT_EQ(ui::bar_button(ctx.mouse.x, ctx.mouse.y), 2);
    EXPECT_EQ(ui::mouse_poll(ctx.mouse, 100), 0); // the release; the script has run out
    remove_script_hook();
    set_clock(nullptr);
    EXPECT_EQ(ended, 0);
}

TEST_F(UiTest, AWindowThatStartsWaitingIsRestoredAndInFront)
{
    // The tree diagram, minimised by its close box, then covered by a window
    // opened later: waiting for the mouse again brings it back where it stood,
    // over the other, without taking the active window.
    ASSERT_TRUE(frame.open_window(23, "Tree diagram"));
    ASSERT_TRUE(frame.set_window_size(23, {SizeState::set, 40, 30, 300, 200}));
    frame.window(23)->close();
    ASSERT_TRUE(frame.open_window(18, "Partition"));
    ASSERT_TRUE(frame.set_window_size(18, {SizeState::set, 20, 10, 400, 300}));
    frame.set_active(18);
    ASSERT_GE(ui::register_mousecb(ctx, 23, ui::kMouseClicks), 0);
    const auto s = frame.window_size(23).value();
    EXPECT_EQ(s.state, SizeState::restored);
    EXPECT_EQ(QRect(s.x, s.y, s.w, s.h), QRect(40, 30, 300, 200));
    EXPECT_EQ(frame.mdi_area().subWindowList(QMdiArea::StackingOrder).back(), frame.window(23));
    EXPECT_EQ(frame.active(), 18);
}
