#pragma once
// One adapter per kind of dialog control (dialog_template.h): it builds the
// control's widget and sets and reads its values in the forms the dialog library
// offers (the index argument of dialogs.h), connects the widget's user signals,
// and sets the control as a user would for a script.
#include "platform/dialog_template.h"
#include "platform/dialogs.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QButtonGroup;
class QObject;
class QRect;
class QWidget;

namespace meru::platform {

class DialogControl {
public:
    DialogControl(const ControlTemplate& t, QWidget* w) : t_(t), w_(w) {}
    virtual ~DialogControl() = default;
    DialogControl(const DialogControl&) = delete;
    DialogControl& operator=(const DialogControl&) = delete;

    const ControlTemplate& layout() const { return t_; }
    int id() const { return t_.id; }
    ControlKind kind() const { return t_.kind; }
    QWidget* widget() const { return w_; }

    // The value forms of dialogs.h; false where a form does not apply to the kind.
    virtual bool set_text(std::string_view text, int index);
    virtual bool get_text(std::string& out, int index) const;
    virtual bool set_logical(bool value, int index);
    virtual bool get_logical(bool& out, int index) const;
    virtual bool set_int(int value, int index);
    virtual bool get_int(int& out, int index) const;

    // True for the kinds that take a callback (buttons, check boxes, radio
    // buttons, lists and combo boxes).
    virtual bool takes_callback() const { return false; }
    // Connects the widget's user signals (a click, a selection change) to `report`.
    virtual void connect(QObject* context, std::function<void(CallbackKind)> report);
    // Called before the dialog is shown (a sorted list sorts its items).
    virtual void before_show() {}

    // The text a script names the control by (buttons, check boxes, radio buttons,
    // groups, static texts); none for the others.
    virtual std::optional<std::string> label() const { return std::nullopt; }
    // An edit, list, combo box or scroll bar: named by the static text before it.
    virtual bool is_field() const { return false; }
    // Sets the control as the user would, so that its signals report it (dialogs.h,
    // Dialog::user_set). False with the reason otherwise.
    virtual bool user_set(std::string_view value, std::string& why);

    DialogCallback callback;

private:
    const ControlTemplate& t_;
    QWidget* w_;
};

// A label, or a script's word, as a script compares it: without "&", outer
// blanks and tabs, and case.
std::string fold_label(std::string_view text);

// The adapter of `t` with its widget made in `parent` at `geometry`. Radio buttons
// join `radio_group`; the first one, and one of the "group" style, start a new group.
std::unique_ptr<DialogControl> make_control(const ControlTemplate& t, QWidget* parent, const QRect& geometry,
                                            QButtonGroup*& radio_group);

} // namespace meru::platform
