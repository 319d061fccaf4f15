// The frame and its child windows: units, configuration, size states, active
// window versus focus, saving as PNG, and repaints while a long loop yields.
#include "platform/canvas.h"
#include "platform/events.h"
#include "platform/window.h"
#include "platform_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMainWindow>
#include <QMdiArea>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include <array>

using namespace meru::platform;
using meru::test::FrameTest;

TEST(UnitRegistryTest, AUnitIsAWindowOrAFileNeverBoth)
{
    UnitRegistry r;
    EXPECT_EQ(r.kind(7), UnitKind::none);
    EXPECT_TRUE(r.claim(7, UnitKind::file));
    EXPECT_TRUE(r.claim(7, UnitKind::file)); // again by the same kind
    EXPECT_FALSE(r.claim(7, UnitKind::window));
    EXPECT_EQ(r.kind(7), UnitKind::file);
    r.release(7, UnitKind::window); // not the owner: nothing happens
    EXPECT_EQ(r.kind(7), UnitKind::file);
    r.release(7, UnitKind::file);
    EXPECT_TRUE(r.claim(7, UnitKind::window));
    // Any number is a unit number.
    EXPECT_TRUE(r.claim(-3, UnitKind::window));
    EXPECT_TRUE(r.claim(1000000, UnitKind::file));
    EXPECT_FALSE(r.claim(5, UnitKind::none));
}

TEST_F(FrameTest, WindowsAreBoundToUnits)
{
    ASSERT_TRUE(units.claim(41, UnitKind::file));
    EXPECT_FALSE(frame.open_window(41, "Control file"));
    EXPECT_FALSE(frame.is_open(41));

    ASSERT_TRUE(frame.open_window(11, "Plot"));
    EXPECT_EQ(units.kind(11), UnitKind::window);
    ASSERT_NE(frame.canvas(11), nullptr);
    EXPECT_EQ(frame.canvas(11)->width(), default_canvas_width);
    EXPECT_EQ(frame.canvas(11)->height(), default_canvas_height);
    EXPECT_EQ(frame.canvas(11)->get_pixel_rgb(100, 100), 0xffffff);

    // Opening again keeps the window and its pixels and sets the title.
    frame.canvas(11)->set_color_rgb(0x0000ff);
    frame.canvas(11)->rectangle(Fill::interior, 0, 0, 9, 9);
    ChildWindow* w = frame.window(11);
    ASSERT_TRUE(frame.open_window(11, "Plot again"));
    EXPECT_EQ(frame.window(11), w);
    EXPECT_EQ(w->title(), "Plot again");
    EXPECT_EQ(frame.canvas(11)->get_pixel_rgb(5, 5), 0x0000ff);

    frame.close_window(11);
    EXPECT_FALSE(frame.is_open(11));
    EXPECT_EQ(units.kind(11), UnitKind::none);
    EXPECT_EQ(frame.canvas(11), nullptr);
    frame.close_window(11); // closing a closed unit does nothing
    frame.close_window(41); // nor does closing a file unit
    EXPECT_EQ(units.kind(41), UnitKind::file);
}

TEST_F(FrameTest, EveryWindowOpenedSharesOneTitleBarIcon)
{
    // One icon, so the style caches its scaled pixmaps once for the whole run.
    ASSERT_TRUE(frame.open_window(11, "One"));
    const qint64 key = frame.window(11)->windowIcon().cacheKey();
    EXPECT_FALSE(frame.window(11)->windowIcon().isNull());
    frame.close_window(11);
    ASSERT_TRUE(frame.open_window(12, "Two"));
    EXPECT_EQ(frame.window(12)->windowIcon().cacheKey(), key);
}

TEST_F(FrameTest, CloseBoxMinimisesAndTheUnitStaysOpen)
{
    ASSERT_TRUE(frame.open_window(18, "Partition"));
    ChildWindow* w = frame.window(18);
    w->close();
    EXPECT_TRUE(frame.is_open(18));
    EXPECT_TRUE(w->isMinimized());
    EXPECT_EQ(frame.window_size(18)->state, SizeState::minimised);
    ASSERT_TRUE(frame.set_window_size(18, {SizeState::restored}));
    EXPECT_FALSE(w->isMinimized());
    ASSERT_TRUE(frame.set_window_size(18, {SizeState::maximised}));
    EXPECT_EQ(frame.window_size(18)->state, SizeState::maximised);
    ASSERT_TRUE(frame.set_window_size(18, {SizeState::set, 92, 0, 300, 200}));
    const auto s = frame.window_size(18);
    EXPECT_EQ(s->state, SizeState::restored);
    EXPECT_EQ(QRect(s->x, s->y, s->w, s->h), QRect(92, 0, 300, 200));
    EXPECT_FALSE(frame.set_window_size(99, {SizeState::minimised}));
}

TEST_F(FrameTest, CloseBoxOfAWaitingWindowOnlyMinimisesIt)
{
    // The close box of a window that waits with Esc on its bar neither clicks
    // Esc nor types a key: the wait goes on. Esc itself still clicks.
    ASSERT_TRUE(frame.open_window(16, "Diagram"));
    ChildWindow* w = frame.window(16);
    std::vector<std::array<int, 3>> events;
    w->register_mouse(mouse_left_down, [&](int, int e, int, int x, int y) { events.push_back({e, x, y}); });
    w->bind_key_click(kEscCode, 22, 7);
    w->close();
    EXPECT_TRUE(w->isMinimized());
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(w->keys().has_key());
    w->type_key({kEscCode, false});
    EXPECT_EQ(events, (std::vector<std::array<int, 3>>{{mouse_left_down, 22, 7}}));
}

TEST_F(FrameTest, FrameCloseBoxAsksTheProgram)
{
    int asked = 0;
    frame.set_close_handler([&] { ++asked; });
    frame.main_window().close();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(frame.main_window().isVisible());
}

TEST_F(FrameTest, ConfigurationSetsTheCanvasSizeAndKeepsPixels)
{
    ASSERT_TRUE(frame.open_window(37, "I'm thinking...."));
    Canvas& c = *frame.canvas(37);
    c.set_color_rgb(0x00ff00);
    c.rectangle(Fill::interior, 0, 0, 19, 19);
    WindowConfig cfg;
    cfg.numxpixels = 500;
    cfg.numypixels = 60;
    ASSERT_TRUE(frame.set_window_config(37, cfg));
    const auto got = frame.window_config(37);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->numxpixels, 500);
    EXPECT_EQ(got->numypixels, 60);
    EXPECT_EQ(got->title, "I'm thinking....");
    EXPECT_EQ(frame.canvas(37)->get_pixel_rgb(19, 19), 0x00ff00);
    EXPECT_EQ(frame.canvas(37)->get_pixel_rgb(400, 50), 0xffffff);
    EXPECT_EQ(frame.window(37)->view().size(), QSize(500, 60));
    // The window fits itself to show the whole canvas without scrolling.
    auto* scroll = frame.window(37)->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->viewport()->size(), QSize(500, 60));

    cfg.numxpixels = 2000000000; // far beyond memory: refused, canvas kept
    EXPECT_FALSE(frame.set_window_config(37, cfg));
    EXPECT_EQ(frame.window_config(37)->numxpixels, 500);
    EXPECT_EQ(frame.canvas(37)->get_pixel_rgb(19, 19), 0x00ff00);

    cfg = {}; // -1 everywhere: the default size
    ASSERT_TRUE(frame.set_window_config(37, cfg));
    EXPECT_EQ(frame.window_config(37)->numxpixels, default_canvas_width);
    EXPECT_FALSE(frame.set_window_config(36, cfg));
    EXPECT_FALSE(frame.window_config(36));
}

TEST_F(FrameTest, WindowsStayInsideTheVisibleAreaAndAWaitingOneIsOnTop)
{
    frame.main_window().resize(1024, 768);
    pump();
    const QSize room = frame.mdi_area().viewport()->size();
    const auto inside = [&](int unit) {
        const QRect g = frame.window(unit)->geometry();
        return g.left() >= 0 && g.top() >= 0 && g.right() < room.width() && g.bottom() < room.height();
    };
    // Many windows the size of the plots: the area's own placement puts the later
    // ones far to the right and below, past its edge.
    WindowConfig plot;
    plot.numxpixels = 600;
    plot.numypixels = 520;
    for (int unit = 11; unit <= 19; ++unit) {
        ASSERT_TRUE(frame.open_window(unit, "Plot"));
        ASSERT_TRUE(frame.set_window_config(unit, plot));
        EXPECT_TRUE(inside(unit)) << unit;
    }
    // Reopened, moved past the edge, or given a larger canvas: still inside.
    frame.close_window(15);
    ASSERT_TRUE(frame.open_window(15, "Searching"));
    ASSERT_TRUE(frame.set_window_config(15, plot));
    EXPECT_TRUE(inside(15));
    ASSERT_TRUE(frame.set_window_size(12, {SizeState::set, 900, 700, 0, 0}));
    EXPECT_TRUE(inside(12));
    EXPECT_EQ(frame.window(12)->geometry().bottomRight(), QPoint(room.width() - 1, room.height() - 1));
    // Placed past the edge behind the frame's back (the area's own placement, a
    // smaller frame): brought inside when it is given the focus to wait.
    frame.window(13)->move(room.width() - 100, room.height() - 50);
    ASSERT_TRUE(frame.set_focus(13));
    EXPECT_TRUE(inside(13));

    // The window given the focus is raised over one opened later, also when it
    // was the current window already.
    ASSERT_TRUE(frame.set_focus(15));
    ASSERT_TRUE(frame.open_window(18, "Partition"));
    ASSERT_TRUE(frame.set_focus(15));
    pump();
    EXPECT_EQ(frame.mdi_area().subWindowList(QMdiArea::StackingOrder).back(), frame.window(15));
}

TEST_F(FrameTest, AWindowWaitingForTheMouseStaysOverWindowsTheProgramBringsUp)
{
    const auto top = [this] {
        pump();
        return static_cast<ChildWindow*>(frame.mdi_area().subWindowList(QMdiArea::StackingOrder).back())->unit();
    };
    const auto wait = [this](int unit) { return frame.register_mouse(unit, 1, [](int, int, int, int, int) {}) >= 0; };
    ASSERT_TRUE(frame.open_window(18, "Partition") && frame.open_window(15, "Searching") && wait(15));
    const QRect place = frame.window(15)->geometry();
    // Moved, maximised, restored, opened or given the focus by the program while
    // 15 waits: below it. The focus goes where the program sends it.
    for (const WindowSize& size : {WindowSize{SizeState::set, 0, 0, 600, 200}, WindowSize{SizeState::maximised},
                                   WindowSize{SizeState::minimised}, WindowSize{SizeState::restored}}) {
        frame.set_window_size(18, size);
        EXPECT_EQ(top(), 15);
    }
    frame.open_window(37, "I'm thinking....");
    EXPECT_EQ(top(), 15);
    frame.set_focus(37);
    EXPECT_EQ(top(), 15);
    EXPECT_EQ(frame.focus(), 37);
    EXPECT_EQ(frame.window(15)->geometry(), place);
    // The user's click brings a window up as usual.
    QTest::mouseClick(&frame.window(18)->view(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(top(), 18);
    // A window that starts waiting meanwhile is over it until it stops waiting;
    // once 15 stops too, what the program brings up is on top.
    ASSERT_TRUE(frame.open_window(23, "Tree diagram") && wait(23) && frame.open_window(19, "Scatter"));
    EXPECT_EQ(top(), 23);
    frame.unregister_mouse(23);
    frame.set_focus(23);
    EXPECT_EQ(top(), 15);
    frame.unregister_mouse(15);
    frame.set_focus(18);
    EXPECT_EQ(top(), 18);
}

TEST_F(FrameTest, OnlyTheProgramChangesTheActiveWindow)
{
    ASSERT_TRUE(frame.open_window(11, "One"));
    ASSERT_TRUE(frame.open_window(12, "Two"));
    EXPECT_EQ(frame.active(), no_window);
    EXPECT_EQ(frame.active_canvas(), nullptr);
    EXPECT_FALSE(frame.set_active(13));

    ASSERT_TRUE(frame.set_active(11));
    ASSERT_TRUE(frame.set_focus(12));
    EXPECT_EQ(frame.focus(), 12);
    EXPECT_EQ(frame.active(), 11);
    EXPECT_EQ(frame.active_canvas(), frame.canvas(11));

    // A user's click on the other window moves the focus, not the drawing target.
    ASSERT_TRUE(frame.set_focus(11));
    QTest::mouseClick(&frame.window(12)->view(), Qt::LeftButton, {}, QPoint(20, 20));
    pump();
    EXPECT_EQ(frame.focus(), 12);
    EXPECT_EQ(frame.active(), 11);

    frame.close_window(11);
    EXPECT_EQ(frame.active(), no_window);
}

TEST_F(FrameTest, CanvasAndFrameAreSavedAsPng)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(frame.open_window(15, "Saved"));
    frame.canvas(15)->set_color_rgb(0x123456);
    frame.canvas(15)->rectangle(Fill::interior, 10, 10, 30, 30);
    const QString canvas_png = dir.filePath("canvas.png");
    ASSERT_TRUE(frame.save_canvas_png(15, canvas_png));
    QImage back(canvas_png);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), QSize(default_canvas_width, default_canvas_height));
    EXPECT_EQ(back.pixel(20, 20), qRgb(0x56, 0x34, 0x12));
    EXPECT_FALSE(frame.save_canvas_png(16, dir.filePath("none.png")));

    const QString frame_png = dir.filePath("frame.png");
    ASSERT_TRUE(frame.save_frame_png(frame_png));
    EXPECT_FALSE(QImage(frame_png).isNull());
}

TEST_F(FrameTest, JournalingReachesEveryCanvas)
{
    ASSERT_TRUE(frame.open_window(11, "One"));
    frame.set_journaling(true);
    ASSERT_TRUE(frame.open_window(12, "Two"));
    frame.canvas(11)->clear(0);
    frame.canvas(12)->clear(0);
    EXPECT_EQ(frame.canvas(11)->journal().size(), 1u);
    EXPECT_EQ(frame.canvas(12)->journal().size(), 1u);
}

TEST_F(FrameTest, LongLoopThatYieldsKeepsRepainting)
{
    ASSERT_TRUE(frame.open_window(21, "Busy"));
    Canvas& c = *frame.canvas(21);
    CanvasView& view = frame.window(21)->view();
    pump();

    // Without yield nothing repaints, however much is drawn.
    int before = view.paint_count();
    QElapsedTimer t;
    t.start();
    for (int i = 0; t.elapsed() < 150; ++i) {
        c.moveto(i % 600, 0);
        c.lineto(i % 600, 100);
    }
    EXPECT_EQ(view.paint_count(), before);

    // With yield in the loop the window keeps repainting.
    before = view.paint_count();
    t.restart();
    for (int i = 0; t.elapsed() < 400; ++i) {
        c.set_color_rgb(i & 0xffffff);
        c.moveto(i % 600, 200);
        c.lineto(i % 600, 300);
        yield();
    }
    EXPECT_GE(view.paint_count() - before, 4);
}

TEST_F(FrameTest, RestoredFromMaximisedTheFrameFitsTheScreen)
{
    // A 20 px title bar and 2 px borders: 22 px too tall for a 1366 x 768 screen.
    EXPECT_EQ(fit_on_screen({10, 30, 1024, 768}, {8, 10, 1028, 790}, {0, 0, 1366, 768}), QRect(10, 20, 1024, 746));
    // The offscreen screen is 800 x 800: the frame's first size is taller.
    const QRect screen = frame.main_window().screen()->availableGeometry();
    frame.main_window().resize(700, screen.height() + 200);
    frame.maximise();
    pump();
    frame.main_window().showNormal();
    QTest::qWait(400); // the restored size settles, then the frame is fitted
    EXPECT_TRUE(screen.contains(frame.main_window().frameGeometry()));
}
