#pragma once
// A child window of the frame bound to a unit: a retained canvas shown at 1:1
// (scrolled when the window is smaller), with its own mouse callback and key
// queue. Its close box only minimises it (a wait in it goes on); only the frame
// deletes it.
#include "platform/canvas.h"
#include "platform/key_queue.h"
#include "platform/mouse.h"

#include <QMdiSubWindow>
#include <QWidget>
#include <map>
#include <string>

class QScrollArea;

namespace meru::platform {

class ChildWindow;

// Shows a canvas and turns mouse and key events into the window's own.
class CanvasView final : public QWidget {
public:
    CanvasView(ChildWindow& owner, QWidget* parent);
    // Times the view has painted itself (a test sees repaints happen).
    int paint_count() const { return paints_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void deliver(QMouseEvent* event, int what);

    ChildWindow& owner_;
    int paints_ = 0;
};

class ChildWindow final : public QMdiSubWindow {
public:
    ChildWindow(int unit, const std::string& title, int width, int height);

    int unit() const { return unit_; }
    Canvas& canvas() { return canvas_; }
    CanvasView& view() { return *view_; }
    KeyQueue& keys() { return keys_; }
    MouseLatch& latch() { return latch_; }
    std::string title() const;
    void set_title(const std::string& title);

    // New canvas size (pixels kept at the top left, new area white); the window
    // grows or shrinks to show it, within `room`. False when the canvas cannot
    // have that size (it keeps its old one).
    bool resize_canvas(int width, int height, const QSize& room);

    // A key that stands for a click: once bound, typing the (not extended) key
    // `code` is a left click at canvas pixel (x, y), not a key of the queue.
    void bind_key_click(int code, int x, int y);
    void unbind_key_click(int code);
    // A key typed into the window: a click when bound, else the key queue's.
    // False when the queue is full.
    bool type_key(Keystroke key);

    // One callback for the events in `mask`. Returns 0.
    int register_mouse(int mask, MouseCallback callback);
    // Removes the callback; returns 0, or -1 when none was registered.
    int unregister_mouse();
    void mouse_event(int event, int keystate, int x, int y);

    // Where the window last stood at its normal size (neither minimised nor
    // maximised), in the MDI area's pixels.
    QRect normal_geometry() const { return normal_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fit(const QSize& room);

    int unit_;
    Canvas canvas_;
    QScrollArea* scroll_;
    CanvasView* view_;
    KeyQueue keys_;
    MouseLatch latch_;
    int mouse_mask_ = 0;
    MouseCallback mouse_cb_;
    std::map<int, QPoint> key_clicks_; // by key code
    QRect normal_;
    void note_normal();
};

} // namespace meru::platform
