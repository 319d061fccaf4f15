#include "platform/modal_front.h"

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace meru::platform {

namespace {

// Keeps a modal window centred on its owner while the owner changes size or
// place under it: the window system maximises the frame at start-up only once
// the banner already stands centred on the frame's first size. A window the
// program placed, or one the user has moved away from the centre, stays put.
class KeepCentred final : public QObject {
public:
    KeepCentred(QDialog& dialog, QWidget& owner) : dialog_(dialog), owner_(&owner), last_(global_rect(owner))
    {
        owner.installEventFilter(this);
    }
    ~KeepCentred() override
    {
        if (owner_) owner_->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == owner_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) follow();
        return false;
    }

private:
    // The owner's inside, in screen pixels: what a dialog is centred on.
    static QRect global_rect(const QWidget& w) { return {w.mapToGlobal(QPoint(0, 0)), w.size()}; }

    void follow()
    {
        const QRect now = global_rect(*owner_);
        const QRect frame = dialog_.frameGeometry();
        // Qt centres a dialog less a guessed window frame of up to 10 x 40 pixels,
        // and the window system's frame may differ from the guess.
        constexpr int kSlack = 16;
        const QPoint off = frame.center() - last_.center();
        if (dialog_.isVisible() && std::abs(off.x()) <= 10 + kSlack && std::abs(off.y()) <= 40 + kSlack) {
            QPoint at = now.center() - QPoint(frame.width() / 2, frame.height() / 2);
            if (const QScreen* screen = owner_->screen()) {
                const QRect area = screen->availableGeometry();
                at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())));
                at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
            }
            dialog_.move(at);
        }
        last_ = now;
    }

    QDialog& dialog_;
    QPointer<QWidget> owner_;
    QRect last_;
};

} // namespace

int exec_in_front(QDialog& dialog)
{
    // A dialog the program has not placed is centred on its owner when shown.
    QWidget* owner = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr;
    std::optional<KeepCentred> centred;
    if (owner && !dialog.testAttribute(Qt::WA_Moved)) centred.emplace(dialog, *owner);
    // Queued before exec() shows the dialog, run by its loop once it is shown.
    QTimer::singleShot(0, &dialog, [&dialog] {
        if (!dialog.isVisible()) return;
        dialog.raise();
        dialog.activateWindow();
    });
    return dialog.exec();
}

} // namespace meru::platform
