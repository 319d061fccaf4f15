// Mouse and keys of a child window: callbacks in canvas pixels, the latched
// press that a quick click leaves, the key queue's codes, order and overflow.
#include "platform/events.h"
#include "platform/key_queue.h"
#include "platform/mouse.h"
#include "platform/window.h"
#include "platform_fixture.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <vector>

using namespace meru::platform;
using meru::test::FrameTest;

namespace {

struct Event {
    int unit, event, keystate, x, y;
    bool operator==(const Event&) const = default;
};

} // namespace

TEST(MouseLatchTest, PressIsKeptUntilReadOnce)
{
    MouseLatch m;
    m.record({mouse_left_down, mouse_ks_left, 10, 20});
    m.record({mouse_move, mouse_ks_left, 11, 21});
    m.record({mouse_left_up, 0, 12, 22});
    EXPECT_TRUE(m.latched());
    const MouseSample first = m.read();
    EXPECT_EQ(first.event, mouse_left_down);
    EXPECT_EQ(first.x, 10);
    EXPECT_EQ(first.y, 20);
    EXPECT_FALSE(m.latched());
    // The next read sees the release that waited behind the press.
    const MouseSample second = m.read();
    EXPECT_EQ(second.event, mouse_left_up);
    EXPECT_EQ(second.x, 12);
    m.record({mouse_move, 0, 30, 40});
    EXPECT_EQ(m.read().event, mouse_move);
    EXPECT_FALSE(m.latched());
    // A newer press replaces a latched one.
    m.record({mouse_left_down, 1, 1, 1});
    m.record({mouse_right_down, 2, 2, 2});
    EXPECT_EQ(m.read().event, mouse_right_down);
    m.record({mouse_left_down, 1, 1, 1});
    m.clear();
    EXPECT_FALSE(m.latched());
    EXPECT_EQ(m.read().event, 0);
}

TEST_F(FrameTest, QuickClickBetweenTwoPollsIsSeenOnce)
{
    ASSERT_TRUE(frame.open_window(19, "Scatter"));
    std::vector<Event> events;
    ASSERT_GE(frame.register_mouse(19, mouse_left_down | mouse_left_up | mouse_right_down | mouse_move,
                                   [&](int u, int e, int ks, int x, int y) {
                                       events.push_back({u, e, ks, x, y});
                                   }),
              0);
    CanvasView& view = frame.window(19)->view();
    MouseLatch& latch = frame.window(19)->latch();

    // Poll 1 clears and waits; the user clicks quickly during the wait.
    latch.clear();
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(30, 40));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(30, 40));
    sleep_ms(1);
    const MouseSample seen = latch.read();
    EXPECT_EQ(seen.event, mouse_left_down);
    EXPECT_EQ(seen.keystate & mouse_ks_left, mouse_ks_left);
    EXPECT_EQ(seen.x, 30);
    EXPECT_EQ(seen.y, 40);
    // Poll 2: the click is not seen again.
    sleep_ms(1);
    const MouseSample again = latch.read();
    EXPECT_NE(again.event, mouse_left_down);
    EXPECT_EQ(again.keystate & mouse_ks_left, 0);

    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0], (Event{19, mouse_left_down, mouse_ks_left, 30, 40}));
    EXPECT_EQ(events.back(), (Event{19, mouse_left_up, 0, 30, 40}));

    // Right button.
    events.clear();
    QTest::mousePress(&view, Qt::RightButton, {}, QPoint(5, 6));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], (Event{19, mouse_right_down, mouse_ks_right, 5, 6}));
    QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(5, 6));
    EXPECT_EQ(events.size(), 1u); // right up is not in the mask
    EXPECT_EQ(latch.read().event, mouse_right_down);
    EXPECT_EQ(latch.read().event, mouse_right_up); // the platform's latch sees every event

    EXPECT_EQ(frame.unregister_mouse(19), 0);
    EXPECT_EQ(frame.unregister_mouse(19), -1);
    events.clear();
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_TRUE(events.empty());
    EXPECT_LT(frame.register_mouse(20, mouse_left_down, [](int, int, int, int, int) {}), 0);
}

TEST_F(FrameTest, MouseCoordinatesAreCanvasPixelsWhenScrolled)
{
    ASSERT_TRUE(frame.open_window(25, "Large"));
    WindowConfig cfg;
    cfg.numxpixels = 3000;
    cfg.numypixels = 2000;
    ASSERT_TRUE(frame.set_window_config(25, cfg));
    ASSERT_TRUE(frame.set_window_size(25, {SizeState::set, 0, 0, 300, 200}));
    auto* scroll = frame.window(25)->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    scroll->horizontalScrollBar()->setValue(1000);
    scroll->verticalScrollBar()->setValue(500);
    pump();
    std::vector<Event> events;
    frame.register_mouse(25, mouse_left_down, [&](int u, int e, int ks, int x, int y) {
        events.push_back({u, e, ks, x, y});
    });
    // A click 10,10 inside the visible part lands on canvas pixel 1010,510.
    QWidget* port = scroll->viewport();
    const QPoint at = frame.window(25)->view().mapFrom(port, QPoint(10, 10));
    QTest::mouseClick(&frame.window(25)->view(), Qt::LeftButton, {}, at);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].x, 1010);
    EXPECT_EQ(events[0].y, 510);
}

TEST(KeyQueueTest, ExtendedKeysComeAsZeroThenScanCode)
{
    KeyQueue q;
    EXPECT_FALSE(q.has_key());
    EXPECT_FALSE(q.get());
    q.push({'a', false});
    q.push({81, true}); // PgDn
    q.push({27, false});
    EXPECT_EQ(q.size(), 3);
    EXPECT_EQ(q.get(), 'a');
    EXPECT_EQ(q.get(), 0);
    EXPECT_TRUE(q.has_key());
    EXPECT_EQ(q.get(), 81);
    EXPECT_EQ(q.get(), 27);
    EXPECT_FALSE(q.has_key());
    EXPECT_EQ(q.get(), std::nullopt);
}

TEST(KeyQueueTest, HoldsTwoHundredFiftyFiveKeysAndDropsTheNewest)
{
    KeyQueue q;
    for (int i = 0; i < KeyQueue::capacity; ++i) ASSERT_TRUE(q.push({i % 200 + 32, false})) << i;
    EXPECT_FALSE(q.push({'X', false}));
    EXPECT_FALSE(q.push({73, true}));
    EXPECT_EQ(q.size(), 255);
    for (int i = 0; i < KeyQueue::capacity; ++i) ASSERT_EQ(q.get(), i % 200 + 32) << i;
    EXPECT_FALSE(q.has_key());
}

TEST_F(FrameTest, TypedKeysReachTheFocusedWindowsQueue)
{
    ASSERT_TRUE(frame.open_window(57, "View log"));
    ASSERT_TRUE(frame.set_focus(57));
    CanvasView& view = frame.window(57)->view();
    KeyQueue& keys = frame.window(57)->keys();
    QTest::keyClick(&view, Qt::Key_PageDown);
    QTest::keyClick(&view, Qt::Key_PageUp);
    QTest::keyClick(&view, Qt::Key_Escape);
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Up);
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Home);
    QTest::keyClick(&view, Qt::Key_End);
    QTest::keyClick(&view, '5');
    QTest::keyClick(&view, Qt::Key_Shift); // no code
    std::vector<int> codes;
    while (auto c = keys.get()) codes.push_back(*c);
    const std::vector<int> expected = {0, 81, 0, 73, 27, 13, 0, 72, 0, 80, 0, 75, 0, 77, 0, 71, 0, 79, '5'};
    EXPECT_EQ(codes, expected);

    // Overflow from real key presses: the 256th is dropped with a beep.
    const int beeps = beep_count();
    for (int i = 0; i < 256; ++i) QTest::keyClick(&view, 'q');
    EXPECT_EQ(keys.size(), 255);
    EXPECT_EQ(beep_count(), beeps + 1);
}
