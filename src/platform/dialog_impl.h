#pragma once
// The inside of a Dialog (dialogs.h), shared by dialogs.cpp and the script-facing
// control lookup (dialog_lookup.cpp): the Qt dialog and one adapter per control.
#include "platform/dialog_controls.h"
#include "platform/dialogs.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace meru::platform {

// A QDialog whose Esc and close box end the modal with the cancel id.
class ModalDialog : public QDialog {
public:
    std::function<void()> on_reject;
    using QDialog::QDialog;
    void reject() override
    {
        if (on_reject) on_reject();
        QDialog::reject();
    }
};

struct Dialog::Impl {
    // While the program sets values, selection changes raise no callbacks.
    struct QuietScope {
        bool& flag;
        bool old;
        explicit QuietScope(bool& f) : flag(f), old(f) { flag = true; }
        ~QuietScope() { flag = old; }
        QuietScope(const QuietScope&) = delete;
        QuietScope& operator=(const QuietScope&) = delete;
    };

    Dialog* self = nullptr;
    DialogTemplate tpl;
    ModalHost host;
    // Parented to the owner so that it shows over the frame; the owner may delete it first.
    QPointer<ModalDialog> dlg;
    ~Impl() { delete dlg.data(); }
    std::vector<std::unique_ptr<DialogControl>> controls;
    int result = kCancelId;
    bool is_closed = false;
    bool quiet = false; // the program is setting values: no callbacks
    std::map<std::string, int> answers;
    bool dismiss_ok = false;
    QPointer<QWidget> beside; // the window the dialog stands beside, when set

    DialogControl* find(int id) const
    {
        for (const auto& c : controls)
            if (c->id() == id) return c.get();
        return nullptr;
    }

    // `set` on the control `id` while the program sets values (no callbacks);
    // false when there is no such control.
    template <class Set> bool set_quietly(int id, Set set)
    {
        DialogControl* c = find(id);
        if (!c) return false;
        QuietScope scope(quiet);
        return set(*c);
    }
    // `get` on the control `id`; false when there is no such control.
    template <class Get> bool read(int id, Get get) const
    {
        const DialogControl* c = find(id);
        return c && get(*c);
    }

    void build();
    void fire(DialogControl& c, CallbackKind kind)
    {
        if (!quiet && c.callback) {
            DialogCallback cb = c.callback; // the callback may replace itself
            cb(*self, c.id(), kind);
        }
    }
    void close(int id)
    {
        result = id;
        is_closed = true;
        if (dlg->isVisible()) dlg->done(QDialog::Accepted);
    }
};

} // namespace meru::platform
