#include "platform/window.h"

#include "platform/events.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

namespace meru::platform {

namespace {

int keystate_of(const QMouseEvent& e)
{
    int ks = 0;
    if (e.buttons() & Qt::LeftButton) ks |= mouse_ks_left;
    if (e.buttons() & Qt::RightButton) ks |= mouse_ks_right;
    if (e.modifiers() & Qt::ShiftModifier) ks |= mouse_ks_shift;
    if (e.modifiers() & Qt::ControlModifier) ks |= mouse_ks_control;
    return ks;
}

} // namespace

CanvasView::CanvasView(ChildWindow& owner, QWidget* parent) : QWidget(parent), owner_(owner)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CanvasView::paintEvent(QPaintEvent* event)
{
    ++paints_;
    QPainter p(this);
    p.drawImage(event->rect(), owner_.canvas().image(), event->rect());
}

void CanvasView::deliver(QMouseEvent* event, int what)
{
    const QPoint at = event->position().toPoint();
    owner_.mouse_event(what, keystate_of(*event), at.x(), at.y());
}

void CanvasView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) deliver(event, mouse_left_down);
    else if (event->button() == Qt::RightButton) deliver(event, mouse_right_down);
}

void CanvasView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press like any other.
    mousePressEvent(event);
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) deliver(event, mouse_left_up);
    else if (event->button() == Qt::RightButton) deliver(event, mouse_right_up);
}

void CanvasView::mouseMoveEvent(QMouseEvent* event) { deliver(event, mouse_move); }

void CanvasView::keyPressEvent(QKeyEvent* event)
{
    const auto key = keystroke_of(*event);
    if (!key) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!owner_.type_key(*key)) beep();
}

ChildWindow::ChildWindow(int unit, const std::string& title, int width, int height)
    : unit_(unit), canvas_(width, height)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    scroll_ = new QScrollArea(this);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->setWidgetResizable(false);
    view_ = new CanvasView(*this, scroll_);
    view_->setFixedSize(canvas_.width(), canvas_.height());
    scroll_->setWidget(view_);
    setWidget(scroll_);
    setFocusProxy(view_);
    set_title(title);
    canvas_.set_change_listener([this](const QRect& r) { view_->update(r); });
}

std::string ChildWindow::title() const { return windowTitle().toStdString(); }

void ChildWindow::set_title(const std::string& title) { setWindowTitle(QString::fromStdString(title)); }

void ChildWindow::fit(const QSize& room)
{
    if (isMinimized() || isMaximized()) return;
    // Canvas plus the scroll area's frame and the window's own frame and title bar.
    const int border = 2 * scroll_->frameWidth();
    const QSize decoration = size() - scroll_->size();
    QSize want = view_->size() + QSize(border, border) + decoration.expandedTo(QSize(0, 0));
    if (room.isValid() && !room.isEmpty()) want = want.boundedTo(room);
    resize(want);
}

bool ChildWindow::resize_canvas(int width, int height, const QSize& room)
{
    if (!canvas_.resize(width, height)) return false;
    view_->setFixedSize(canvas_.width(), canvas_.height());
    fit(room);
    return true;
}

void ChildWindow::bind_key_click(int code, int x, int y) { key_clicks_[code] = {x, y}; }

void ChildWindow::unbind_key_click(int code) { key_clicks_.erase(code); }

bool ChildWindow::type_key(Keystroke key)
{
    const auto it = key.extended ? key_clicks_.end() : key_clicks_.find(key.code);
    if (it == key_clicks_.end()) return keys_.push(key);
    const QPoint at = it->second;
    mouse_event(mouse_left_down, mouse_ks_left, at.x(), at.y());
    mouse_event(mouse_left_up, 0, at.x(), at.y());
    return true;
}

int ChildWindow::register_mouse(int mask, MouseCallback callback)
{
    mouse_mask_ = mask;
    mouse_cb_ = std::move(callback);
    return 0;
}

int ChildWindow::unregister_mouse()
{
    if (!mouse_cb_) return -1;
    mouse_cb_ = nullptr;
    mouse_mask_ = 0;
    return 0;
}

void ChildWindow::mouse_event(int event, int keystate, int x, int y)
{
    latch_.record({event, keystate, x, y});
    if (mouse_cb_ && (mouse_mask_ & event)) {
        // Copy: the callback may unregister itself.
        MouseCallback cb = mouse_cb_;
        cb(unit_, event, keystate, x, y);
    }
}

void ChildWindow::note_normal()
{
    if (!isMinimized() && !isMaximized()) normal_ = geometry();
}

void ChildWindow::moveEvent(QMoveEvent* event)
{
    QMdiSubWindow::moveEvent(event);
    note_normal();
}

void ChildWindow::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    note_normal();
}

void ChildWindow::closeEvent(QCloseEvent* event)
{
    // The unit stays open: closing only minimises. A window that waits for the
    // user goes on waiting: it is answered with its own buttons and keys.
    event->ignore();
    showMinimized();
}

} // namespace meru::platform
