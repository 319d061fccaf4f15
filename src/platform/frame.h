#pragma once
// The program's frame: a main window with an MDI area holding the child windows,
// each bound to a unit number. The frame owns the child windows and deletes them
// itself. The active window (where graphics go) is set only by the program; a
// user's click moves the focus only.
#include "platform/io/units.h"
#include "platform/mouse.h"

#include <QIcon>
#include <QRect>
#include <QSize>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QMainWindow;
class QMdiArea;
class QMenuBar;
class QWidget;
class QString;

namespace meru::platform {

class Canvas;
class ChildWindow;
class FrameWindow;

// "No window" for the active and focus queries.
constexpr int no_window = -1;

// Canvas size of a window opened without a configuration.
constexpr int default_canvas_width = 640;
constexpr int default_canvas_height = 480;

// A window's configuration. -1 in a field that is set means the default. The
// canvas size is in pixels; the text fields are recorded only.
struct WindowConfig {
    int numxpixels = -1;
    int numypixels = -1;
    int numtextcols = -1;
    int numtextrows = -1;
    int numcolors = -1;
    int fontsize = -1;
    std::string title;
    int bitsperpixel = -1;
};

enum class SizeState { set, minimised, maximised, restored };

// Position and size of a child on the frame's MDI area, in pixels.
struct WindowSize {
    SizeState state = SizeState::set;
    int x = 0, y = 0, w = 0, h = 0;
};

// The frame window's rectangle `inner` made to fit `screen`, where `outer` is the
// same window with its title bar and borders: smaller by as much as `outer` is
// larger than `screen`, and moved so that `outer` lies inside it. Unchanged when
// `outer` fits.
QRect fit_on_screen(const QRect& inner, const QRect& outer, const QRect& screen);

class Frame {
public:
    explicit Frame(UnitRegistry& units);
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    QMainWindow& main_window();
    QMdiArea& mdi_area();
    QMenuBar* menu_bar();
    // The frame as the owner of modal dialogs.
    QWidget* dialog_owner();
    void show();
    void maximise();
    // The frame's status line, along its bottom edge: what the user can do next.
    void set_status(std::string_view text);
    std::string status() const;
    // Run when the user closes the frame (instead of closing it). Without one,
    // closing the frame ends the program.
    void set_close_handler(std::function<void()> handler);

    // Opens a child window on `unit` with a white canvas of the default size, or,
    // when the unit's window is open already, keeps it (with its pixels) and sets
    // the title. False when the unit is a file.
    bool open_window(int unit, std::string_view title);
    // Deletes the unit's window and frees the unit (nothing happens for a unit
    // that is not a window).
    void close_window(int unit);
    bool is_open(int unit) const;
    ChildWindow* window(int unit) const;
    Canvas* canvas(int unit) const;

    std::optional<WindowConfig> window_config(int unit) const;
    // Sets the canvas size (pixels kept at the top left, new area white) and the
    // title when given. False when the unit has no window or the size is more
    // than memory allows (the window keeps its canvas).
    bool set_window_config(int unit, const WindowConfig& config);

    std::optional<WindowSize> window_size(int unit) const;
    // Where the unit's window last stood at its normal size, with its state:
    // the open window's, or, once closed, the last one's (state restored).
    // Nothing for a unit that never had a window.
    std::optional<WindowSize> normal_place(int unit) const;
    // Minimises, maximises, restores, or (state set) moves and resizes the window.
    bool set_window_size(int unit, const WindowSize& size);

    // The window that graphics calls draw into.
    bool set_active(int unit);
    int active() const { return active_; }
    Canvas* active_canvas() const;

    // Raises the window over every other (but those that wait for the mouse: see
    // register_mouse) and gives it the keyboard focus.
    bool set_focus(int unit);
    // The unit of the window with the focus, or no_window.
    int focus() const;

    // One mouse callback per window; >= 0 when registered, < 0 when the unit has
    // no window. With its callback the window waits for the user: it is restored
    // to its normal size when minimised and raised over every other, and every
    // window the program opens, shows or raises after it stands below it until
    // the callback is removed or the window closed. Of two waiting windows the
    // later is in front. The focus and the active window are left as they are;
    // a window the user clicks comes up as usual.
    int register_mouse(int unit, int mask, MouseCallback callback);
    int unregister_mouse(int unit);
    // Removes every window's callback: no window waits for the mouse any more.
    void unregister_all_mouse();

    // Saves a window's canvas, or the whole frame as it is shown, as PNG.
    bool save_canvas_png(int unit, const QString& path) const;
    bool save_frame_png(const QString& path);

    // Keeps a journal of draw calls on every canvas, present and future.
    void set_journaling(bool on);

private:
    QSize room() const;
    // Moves a window that reaches past the visible area back inside it (as far as
    // its size allows: a window larger than the area keeps its top left corner at
    // the area's).
    void keep_inside(ChildWindow& w) const;
    // Raises the windows that wait for the mouse over the others, the one that
    // began waiting last on top; a waiting window the user minimised stays so.
    void keep_waiting_in_front();

    UnitRegistry& units_;
    std::unique_ptr<FrameWindow> frame_;
    QMdiArea* mdi_ = nullptr;
    QLabel* status_ = nullptr; // owned by the frame's status bar
    // One icon for every child window's title bar: the style's scaled copies of it
    // are cached once, not once per window opened.
    QIcon window_icon_;
    std::map<int, ChildWindow*> windows_; // owned; deleted by close_window and ~Frame
    std::map<int, QRect> closed_places_;  // normal geometry of each unit's last window closed
    std::vector<int> waiting_;            // units with a mouse callback, in the order they began waiting
    int active_ = no_window;
    bool journaling_ = false;
};

} // namespace meru::platform
