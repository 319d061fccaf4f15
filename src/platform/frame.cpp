#include "platform/frame.h"

#include "platform/canvas.h"
#include "platform/events.h"
#include "platform/window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMdiArea>
#include <QPixmap>
#include <QResizeEvent>
#include <QScreen>
#include <QStatusBar>
#include <QString>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace meru::platform {

QRect fit_on_screen(const QRect& inner, const QRect& outer, const QRect& screen)
{
    if (screen.isEmpty() || (outer.width() <= screen.width() && outer.height() <= screen.height())) return inner;
    const QSize cut = (outer.size() - screen.size()).expandedTo(QSize(0, 0));
    QRect fitted(outer.topLeft(), outer.size() - cut);
    fitted.moveLeft(std::clamp(fitted.left(), screen.left(), screen.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), screen.top(), screen.bottom() + 1 - fitted.height()));
    return {fitted.topLeft() + (inner.topLeft() - outer.topLeft()), inner.size() - cut};
}

// The frame's main window: its close box asks the program instead of closing.
// The program maximises it at its start; restored from maximised by the user it
// comes back at its first size, which may stand taller than the screen (title
// bar, status line and the lower windows past its bottom edge): from then on it
// is kept within the screen's free area.
class FrameWindow final : public QMainWindow {
public:
    std::function<void()> on_close;

    FrameWindow()
    {
        // Fitted once the window system has settled the restored size: it may pass
        // through the maximised one first, and a fit of that would be kept instead.
        fit_timer_.setSingleShot(true);
        fit_timer_.setInterval(150);
        QObject::connect(&fit_timer_, &QTimer::timeout, this, [this] { fit(); });
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        if (on_close) on_close();
        else exit_program(0);
    }
    void changeEvent(QEvent* event) override
    {
        QMainWindow::changeEvent(event);
        if (event->type() != QEvent::WindowStateChange) return;
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMaximized) && windowState() == Qt::WindowNoState) {
            restored_ = true;
            fit_timer_.start();
        }
    }
    void resizeEvent(QResizeEvent* event) override
    {
        QMainWindow::resizeEvent(event);
        if (restored_) fit_timer_.start();
    }

private:
    void fit()
    {
        if (windowState() != Qt::WindowNoState || !screen()) return;
        const QRect fitted = fit_on_screen(geometry(), frameGeometry(), screen()->availableGeometry());
        if (fitted != geometry()) setGeometry(fitted);
    }
    QTimer fit_timer_;
    bool restored_ = false;
};

Frame::Frame(UnitRegistry& units) : units_(units), frame_(std::make_unique<FrameWindow>())
{
    frame_->setWindowTitle(QStringLiteral("MERU"));
    mdi_ = new QMdiArea(frame_.get());
    frame_->setCentralWidget(mdi_);
    // Made now, so that the area of the child windows keeps its size. The text
    // is a label of its own: a menu item's (empty) tip passing over the bar
    // hides it only while the menu is open.
    status_ = new QLabel(frame_.get());
    frame_->statusBar()->setSizeGripEnabled(false);
    frame_->statusBar()->addWidget(status_, 1);
    frame_->resize(1024, 768);
    window_icon_ = mdi_->style()->standardIcon(QStyle::SP_TitleBarMenuButton);
}

Frame::~Frame()
{
    for (auto& [unit, w] : windows_) {
        units_.release(unit, UnitKind::window);
        delete w;
    }
    windows_.clear();
}

QMainWindow& Frame::main_window() { return *frame_; }

QMenuBar* Frame::menu_bar() { return frame_->menuBar(); }

QWidget* Frame::dialog_owner() { return frame_.get(); }

QMdiArea& Frame::mdi_area() { return *mdi_; }

void Frame::show() { frame_->show(); }

void Frame::maximise() { frame_->showMaximized(); }

void Frame::set_status(std::string_view text) { status_->setText(QString::fromStdString(std::string(text))); }

std::string Frame::status() const { return status_->text().toStdString(); }

void Frame::set_close_handler(std::function<void()> handler) { frame_->on_close = std::move(handler); }

QSize Frame::room() const { return mdi_->viewport()->size(); }

bool Frame::open_window(int unit, std::string_view title)
{
    if (ChildWindow* w = window(unit)) {
        w->set_title(std::string(title));
        return true;
    }
    if (!units_.claim(unit, UnitKind::window)) return false;
    auto* w = new ChildWindow(unit, std::string(title), default_canvas_width, default_canvas_height);
    w->canvas().set_journaling(journaling_);
    w->setWindowIcon(window_icon_);
    mdi_->addSubWindow(w);
    w->show();
    // Shown first, so that the window's frame is known when it is fitted to the canvas.
    w->resize_canvas(default_canvas_width, default_canvas_height, room());
    keep_inside(*w);
    windows_[unit] = w;
    keep_waiting_in_front();
    return true;
}

void Frame::keep_inside(ChildWindow& w) const
{
    if (w.isMinimized() || w.isMaximized()) return;
    const QSize r = room();
    const QRect g = w.geometry();
    const int x = std::clamp(g.x(), 0, std::max(0, r.width() - g.width()));
    const int y = std::clamp(g.y(), 0, std::max(0, r.height() - g.height()));
    if (x != g.x() || y != g.y()) w.move(x, y);
}

void Frame::close_window(int unit)
{
    auto it = windows_.find(unit);
    if (it == windows_.end()) return;
    ChildWindow* w = it->second;
    if (w->normal_geometry().isValid()) closed_places_[unit] = w->normal_geometry();
    windows_.erase(it);
    units_.release(unit, UnitKind::window);
    if (active_ == unit) active_ = no_window;
    std::erase(waiting_, unit);
    mdi_->removeSubWindow(w);
    delete w;
    // The area makes another window current in its place.
    keep_waiting_in_front();
}

bool Frame::is_open(int unit) const { return windows_.count(unit) != 0; }

ChildWindow* Frame::window(int unit) const
{
    auto it = windows_.find(unit);
    return it == windows_.end() ? nullptr : it->second;
}

Canvas* Frame::canvas(int unit) const
{
    ChildWindow* w = window(unit);
    return w ? &w->canvas() : nullptr;
}

std::optional<WindowConfig> Frame::window_config(int unit) const
{
    ChildWindow* w = window(unit);
    if (!w) return std::nullopt;
    WindowConfig c;
    c.numxpixels = w->canvas().width();
    c.numypixels = w->canvas().height();
    // The text grid of the default 8 x 16 text font.
    c.numtextcols = c.numxpixels / 8;
    c.numtextrows = c.numypixels / 16;
    c.numcolors = 1 << 24;
    c.fontsize = (8 << 16) | 16;
    c.title = w->title();
    c.bitsperpixel = 24;
    return c;
}

bool Frame::set_window_config(int unit, const WindowConfig& config)
{
    ChildWindow* w = window(unit);
    if (!w) return false;
    const int width = config.numxpixels > 0 ? config.numxpixels : default_canvas_width;
    const int height = config.numypixels > 0 ? config.numypixels : default_canvas_height;
    if (!w->resize_canvas(width, height, room())) return false;
    keep_inside(*w);
    if (!config.title.empty()) w->set_title(config.title);
    return true;
}

std::optional<WindowSize> Frame::window_size(int unit) const
{
    ChildWindow* w = window(unit);
    if (!w) return std::nullopt;
    WindowSize s;
    s.state = w->isMinimized() ? SizeState::minimised : w->isMaximized() ? SizeState::maximised : SizeState::restored;
    const QRect g = w->geometry();
    s.x = g.x();
    s.y = g.y();
    s.w = g.width();
    s.h = g.height();
    return s;
}

std::optional<WindowSize> Frame::normal_place(int unit) const
{
    QRect g;
    SizeState state = SizeState::restored;
    if (const ChildWindow* w = window(unit)) {
        g = w->normal_geometry();
        state = w->isMinimized() ? SizeState::minimised : w->isMaximized() ? SizeState::maximised : state;
    } else if (auto it = closed_places_.find(unit); it != closed_places_.end()) {
        g = it->second;
    }
    if (!g.isValid()) return std::nullopt;
    return WindowSize{state, g.x(), g.y(), g.width(), g.height()};
}

bool Frame::set_window_size(int unit, const WindowSize& size)
{
    ChildWindow* w = window(unit);
    if (!w) return false;
    switch (size.state) {
    case SizeState::minimised: w->showMinimized(); break;
    case SizeState::maximised: w->showMaximized(); break;
    case SizeState::restored: w->showNormal(); break;
    case SizeState::set:
        if (w->isMinimized() || w->isMaximized()) w->showNormal();
        w->setGeometry(size.x, size.y, size.w > 0 ? size.w : w->width(), size.h > 0 ? size.h : w->height());
        keep_inside(*w);
        break;
    }
    keep_waiting_in_front();
    return true;
}

bool Frame::set_active(int unit)
{
    if (!is_open(unit)) return false;
    active_ = unit;
    return true;
}

Canvas* Frame::active_canvas() const { return canvas(active_); }

bool Frame::set_focus(int unit)
{
    ChildWindow* w = window(unit);
    if (!w) return false;
    if (w->isHidden()) w->show();
    // A window that waits for the user stands wholly in view, however the area
    // placed it or was resized since.
    keep_inside(*w);
    mdi_->setActiveSubWindow(w);
    // On top even when it was the active window already and another was opened over it.
    w->raise();
    w->view().setFocus(Qt::OtherFocusReason);
    keep_waiting_in_front();
    return true;
}

void Frame::keep_waiting_in_front()
{
    for (int unit : waiting_)
        if (ChildWindow* w = window(unit); w && !w->isMinimized()) w->raise();
}

int Frame::focus() const
{
    // The current child, even while another application has the desktop's focus.
    auto* w = dynamic_cast<ChildWindow*>(mdi_->currentSubWindow());
    return w ? w->unit() : no_window;
}

int Frame::register_mouse(int unit, int mask, MouseCallback callback)
{
    ChildWindow* w = window(unit);
    if (!w) return -1;
    // In view, where the user can reach it.
    if (w->isMinimized()) w->showNormal();
    keep_inside(*w);
    std::erase(waiting_, unit);
    waiting_.push_back(unit);
    keep_waiting_in_front();
    return w->register_mouse(mask, std::move(callback));
}

int Frame::unregister_mouse(int unit)
{
    ChildWindow* w = window(unit);
    std::erase(waiting_, unit);
    return w ? w->unregister_mouse() : -1;
}

void Frame::unregister_all_mouse()
{
    waiting_.clear();
    for (auto& [unit, w] : windows_) w->unregister_mouse();
}

bool Frame::save_canvas_png(int unit, const QString& path) const
{
    const Canvas* c = canvas(unit);
    return c && c->image().save(path, "PNG");
}

bool Frame::save_frame_png(const QString& path)
{
    // A frame shown, resized or given its menus since the event loop last ran is
    // brought up to date first, so that the picture is the frame as it is shown.
    QCoreApplication::sendPostedEvents();
    frame_->ensurePolished();
    if (QLayout* layout = frame_->layout()) layout->activate();
    return frame_->grab().save(path, "PNG");
}

void Frame::set_journaling(bool on)
{
    journaling_ = on;
    for (auto& [unit, w] : windows_) w->canvas().set_journaling(on);
}

} // namespace meru::platform
