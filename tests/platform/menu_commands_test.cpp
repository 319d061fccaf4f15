// The predefined menu commands on a real frame, and the frame's side of a
// scripted run: menus chosen by text, clicks and keys delivered to windows, shots.
#include "platform/canvas.h"
#include "platform/menu_commands.h"
#include "platform/script_host.h"
#include "platform/window.h"
#include "platform_fixture.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTemporaryDir>

using namespace meru::platform;
using meru::test::FrameTest;

namespace {

struct RecordingEnd : FrameScriptHost {
    using FrameScriptHost::FrameScriptHost;
    int status = -1;
    void end_run(int s, const std::string&) override { status = s; }
};

} // namespace

TEST_F(FrameTest, SaveAndPrintWriteTheFocusedCanvasWhereTheScriptSays)
{
    // Names without an extension get the filter's: hull1.png, logprint.pdf.
    QTemporaryDir dir;
    std::string png = dir.filePath("hull1").toStdString();
    std::string pdf = dir.filePath("logprint").toStdString();
    Menus menus(frame.main_window().menuBar());
    RecordingEnd host(frame, menus);
    auto parsed = parse_script("file " + png + "\nfile " + pdf + "\nfile cancel\n");
    Script script(parsed.actions, host);
    ModalHost modal{&frame.main_window(), &script};

    // Nothing focused: nothing to save, and no file dialog is asked for.
    EXPECT_FALSE(run_menu_command(MenuCommand::SaveImage, frame, modal));
    ASSERT_TRUE(frame.open_window(21, "Plot"));
    frame.set_focus(21);
    frame.canvas(21)->clear(0x0000FF); // red
    EXPECT_TRUE(run_menu_command(MenuCommand::SaveImage, frame, modal));
    QImage saved(QString::fromStdString(png + ".png"), "PNG");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(default_canvas_width, default_canvas_height));
    EXPECT_EQ(saved.pixel(10, 10), qRgb(255, 0, 0));

    EXPECT_TRUE(run_menu_command(MenuCommand::Print, frame, modal));
    QFile f(QString::fromStdString(pdf + ".pdf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(4) == "%PDF");
    EXPECT_FALSE(run_menu_command(MenuCommand::SaveImage, frame, modal)); // cancelled
    EXPECT_EQ(host.status, -1);
}

TEST_F(FrameTest, CopyPutsTheFocusedCanvasOnTheClipboardAndTileArrangesWindows)
{
    ASSERT_TRUE(frame.open_window(21, "A"));
    ASSERT_TRUE(frame.open_window(22, "B"));
    frame.set_focus(22);
    frame.canvas(22)->clear(0x00FF00);
    ModalHost modal{&frame.main_window(), nullptr};
    EXPECT_TRUE(run_menu_command(MenuCommand::Copy, frame, modal));
    QImage clip = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(clip.isNull());
    EXPECT_EQ(clip.pixel(5, 5), qRgb(0, 255, 0));

    EXPECT_TRUE(run_menu_command(MenuCommand::Tile, frame, modal));
    auto subs = frame.mdi_area().subWindowList();
    ASSERT_EQ(subs.size(), 2);
    EXPECT_FALSE(subs[0]->geometry().intersects(subs[1]->geometry()));
    EXPECT_TRUE(run_menu_command(MenuCommand::Cascade, frame, modal));
    EXPECT_NE(subs[0]->geometry().topLeft(), subs[1]->geometry().topLeft());
}

TEST_F(FrameTest, TheScriptReachesMenusWindowsAndShotsThroughTheFrame)
{
    Menus menus(frame.main_window().menuBar());
    int opened = 0;
    menus.append(1, kMenuEnabled, "&File");
    menus.append(1, kMenuEnabled, "&Open", [&](bool) { ++opened; });
    RecordingEnd host(frame, menus);
    std::string why;
    EXPECT_TRUE(host.choose_menu("File", "Open", why));
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(host.choose_menu("File", "Close", why));
    EXPECT_EQ(why, "no menu item File > Close");

    ASSERT_TRUE(frame.open_window(19, "Scatter plot"));
    std::vector<MouseSample> events;
    frame.register_mouse(19, mouse_left_down | mouse_left_up | mouse_right_down,
                         [&](int, int e, int ks, int x, int y) {
                             events.push_back({e, ks, x, y});
                         });
    EXPECT_EQ(host.find_window("19"), 19);
    EXPECT_EQ(host.find_window("scatter plot"), 19);
    EXPECT_EQ(host.find_window("20"), -1);
    EXPECT_TRUE(host.click("Scatter plot", 12, 34, false, why));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].event, mouse_left_down);
    EXPECT_EQ(events[0].x, 12);
    EXPECT_EQ(events[1].event, mouse_left_up);
    // The latch still holds the press for a poller that reads after the release.
    MouseSample m = frame.window(19)->latch().read();
    EXPECT_EQ(m.event, mouse_left_down);
    EXPECT_EQ(m.y, 34);
    EXPECT_TRUE(host.click("19", 1, 2, true, why));
    EXPECT_EQ(events.back().event, mouse_right_down);
    EXPECT_FALSE(host.click("Nowhere", 1, 2, false, why));

    EXPECT_TRUE(host.key("19", {0, 81}, why));
    EXPECT_TRUE(host.input_pending());
    KeyQueue& keys = frame.window(19)->keys();
    EXPECT_EQ(keys.get(), 0);
    EXPECT_EQ(keys.get(), 81);
    EXPECT_FALSE(host.input_pending());

    QTemporaryDir dir;
    EXPECT_TRUE(host.shot("frame", dir.filePath("f.png").toStdString(), why));
    EXPECT_FALSE(QImage(dir.filePath("f.png")).isNull());
    EXPECT_TRUE(host.shot("19", dir.filePath("c.png").toStdString(), why));
    EXPECT_EQ(QImage(dir.filePath("c.png")).size(), QSize(default_canvas_width, default_canvas_height));
    EXPECT_FALSE(host.shot("7", dir.filePath("x.png").toStdString(), why));
}
