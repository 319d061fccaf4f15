#include "platform/key_queue.h"

#include <QKeyEvent>

namespace meru::platform {

std::optional<Keystroke> keystroke_of(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Escape: return Keystroke{27, false};
    case Qt::Key_Return:
    case Qt::Key_Enter: return Keystroke{13, false};
    case Qt::Key_Backspace: return Keystroke{8, false};
    case Qt::Key_Tab: return Keystroke{9, false};
    case Qt::Key_PageUp: return Keystroke{73, true};
    case Qt::Key_PageDown: return Keystroke{81, true};
    case Qt::Key_Up: return Keystroke{72, true};
    case Qt::Key_Down: return Keystroke{80, true};
    case Qt::Key_Left: return Keystroke{75, true};
    case Qt::Key_Right: return Keystroke{77, true};
    case Qt::Key_Home: return Keystroke{71, true};
    case Qt::Key_End: return Keystroke{79, true};
    case Qt::Key_Insert: return Keystroke{82, true};
    case Qt::Key_Delete: return Keystroke{83, true};
    default: break;
    }
    if (event.key() >= Qt::Key_F1 && event.key() <= Qt::Key_F10)
        return Keystroke{59 + (event.key() - Qt::Key_F1), true};
    const QString text = event.text();
    if (text.size() == 1 && text[0].unicode() > 0 && text[0].unicode() < 256)
        return Keystroke{text[0].unicode(), false};
    return std::nullopt;
}

bool KeyQueue::push(Keystroke key)
{
    if (size() >= capacity) return false;
    keys_.push_back(key);
    return true;
}

std::optional<int> KeyQueue::get()
{
    if (keys_.empty()) return std::nullopt;
    const Keystroke front = keys_.front();
    if (front.extended && !scan_code_next_) {
        scan_code_next_ = true;
        return 0;
    }
    scan_code_next_ = false;
    keys_.pop_front();
    return front.code;
}

void KeyQueue::clear()
{
    keys_.clear();
    scan_code_next_ = false;
}

} // namespace meru::platform
