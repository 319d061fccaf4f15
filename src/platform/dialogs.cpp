#include "platform/dialogs.h"

#include "platform/dialog_impl.h"
#include "platform/fonts.h"
#include "platform/io/strings.h"
#include "platform/modal_front.h"
#include "platform/qtext.h"
#include "platform/script.h"

#include <QRect>

#include <algorithm>
#include <cmath>

namespace meru::platform {

namespace {

// Dialog units to pixels (horizontal and vertical factors of the dialog font).
int dlu_x(int v) { return static_cast<int>(std::lround(v * 1.5)); }
int dlu_y(int v) { return static_cast<int>(std::lround(v * 1.625)); }

} // namespace

void Dialog::Impl::build()
{
    dlg = new ModalDialog(host.owner);
    dlg->on_reject = [this] {
        result = kCancelId;
        is_closed = true;
    };
    dlg->setWindowTitle(qs(tpl.caption));
    dlg->setFont(dialog_font());
    dlg->setFixedSize(dlu_x(tpl.width), dlu_y(tpl.height));
    dlg->setModal(true);

    QButtonGroup* radio_group = nullptr;
    for (const auto& t : tpl.controls) {
        const QRect r(dlu_x(t.x), dlu_y(t.y), dlu_x(t.width), dlu_y(t.height));
        DialogControl* c = controls.emplace_back(make_control(t, dlg.data(), r, radio_group)).get();
        // A button presses (runs its callback or closes the dialog); the others
        // report to their callbacks.
        if (c->kind() == ControlKind::Button)
            c->connect(dlg.data(), [this, c](CallbackKind) { self->press(c->id()); });
        else c->connect(dlg.data(), [this, c](CallbackKind kind) { fire(*c, kind); });
    }
}

std::unique_ptr<Dialog> Dialog::load(const DialogLibrary& library, int id, ModalHost host)
{
    const DialogTemplate* t = library.find(id);
    if (!t) return nullptr;
    return std::make_unique<Dialog>(*t, host);
}

Dialog::Dialog(const DialogTemplate& tpl, ModalHost host) : impl_(std::make_unique<Impl>())
{
    impl_->self = this;
    impl_->tpl = tpl;
    impl_->host = host;
    impl_->build();
}

Dialog::~Dialog() = default;

int Dialog::id() const { return impl_->tpl.id; }
const DialogTemplate& Dialog::layout() const { return impl_->tpl; }
std::string Dialog::caption() const { return ss(impl_->dlg->windowTitle()); }
bool Dialog::has_control(int control) const { return impl_->find(control) != nullptr; }
QDialog* Dialog::widget() const { return impl_->dlg.data(); }

QWidget* Dialog::control_widget(int control) const
{
    const auto* c = impl_->find(control);
    return c ? c->widget() : nullptr;
}

bool Dialog::set_text(int control, std::string_view text, int index)
{
    return impl_->set_quietly(control, [&](DialogControl& c) { return c.set_text(text, index); });
}

bool Dialog::get_text(int control, std::string& out, int index) const
{
    return impl_->read(control, [&](const DialogControl& c) { return c.get_text(out, index); });
}

bool Dialog::set_logical(int control, bool value, int index)
{
    return impl_->set_quietly(control, [&](DialogControl& c) { return c.set_logical(value, index); });
}

bool Dialog::get_logical(int control, bool& out, int index) const
{
    return impl_->read(control, [&](const DialogControl& c) { return c.get_logical(out, index); });
}

bool Dialog::set_int(int control, int value, int index)
{
    return impl_->set_quietly(control, [&](DialogControl& c) { return c.set_int(value, index); });
}

bool Dialog::get_int(int control, int& out, int index) const
{
    return impl_->read(control, [&](const DialogControl& c) { return c.get_int(out, index); });
}

bool Dialog::set_enabled(int control, bool enabled)
{
    auto* c = impl_->find(control);
    if (!c) return false;
    c->widget()->setEnabled(enabled);
    return true;
}

bool Dialog::is_enabled(int control) const
{
    const auto* c = impl_->find(control);
    return c && c->widget()->isEnabled();
}

bool Dialog::set_callback(int control, DialogCallback callback)
{
    auto* c = impl_->find(control);
    if (!c || !c->takes_callback()) return false;
    c->callback = std::move(callback);
    return true;
}

bool Dialog::press(int control)
{
    auto* c = impl_->find(control);
    if (!c || c->kind() != ControlKind::Button || !c->widget()->isEnabled()) return false;
    if (c->callback) {
        DialogCallback cb = c->callback;
        cb(*this, control, CallbackKind::Clicked);
    } else {
        impl_->close(control);
    }
    return true;
}

QPoint beside_window(const QRect& window, const QSize& size, const QRect& area)
{
    const bool right = area.right() - window.right() >= window.left() - area.left();
    const int x = right ? window.right() + 1 : window.left() - size.width();
    return {std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width())),
            std::clamp(window.top(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height()))};
}

void Dialog::set_beside(QWidget* window) { impl_->beside = window; }

int Dialog::run_modal()
{
    impl_->is_closed = false;
    impl_->result = kCancelId;
    for (auto& c : impl_->controls) c->before_show();
    QWidget* owner = impl_->dlg->parentWidget();
    if (QWidget* w = impl_->beside.data(); w && w->isVisible() && owner) {
        const auto global = [](const QWidget* v) { return QRect(v->mapToGlobal(QPoint(0, 0)), v->size()); };
        impl_->dlg->move(beside_window(global(w), impl_->dlg->size(), global(owner)));
    }
    if (impl_->host.script) return impl_->host.script->at_dialog(*this);
    exec_in_front(*impl_->dlg);
    impl_->is_closed = true;
    return impl_->result;
}

void Dialog::close_with(int control) { impl_->close(control); }
bool Dialog::closed() const { return impl_->is_closed; }
int Dialog::result() const { return impl_->result; }

void Dialog::set_answer(std::string word, int control) { impl_->answers[std::move(word)] = control; }

int Dialog::answer_control(std::string_view word) const
{
    auto it = impl_->answers.find(std::string(word));
    return it == impl_->answers.end() ? 0 : it->second;
}

void Dialog::set_dismissable(bool on) { impl_->dismiss_ok = on; }
bool Dialog::dismissable() const { return impl_->dismiss_ok; }

int Dialog::default_button() const
{
    for (const auto& c : impl_->controls)
        if (c->kind() == ControlKind::Button && c->layout().has_style("default")) return c->id();
    return 0;
}

std::string Dialog::shown_text() const
{
    std::string out;
    const auto add = [&out](const std::string& text) {
        const std::string t = io::trim(text);
        if (t.empty()) return;
        if (!out.empty()) out += ' ';
        out += t;
    };
    for (const auto& c : impl_->controls) {
        std::string t;
        int items = 0;
        if (c->kind() == ControlKind::Static && c->get_text(t, 0)) add(t);
        else if (c->kind() == ControlKind::List && c->get_int(items, kNumItems))
            for (int i = 1; i <= items; ++i)
                if (c->get_text(t, i)) add(t);
    }
    return out;
}

} // namespace meru::platform
