#pragma once
// The dialog library: a dialog built from its template (dialog_template.h), whose
// control values are set and read by control id, with callbacks on list boxes and
// buttons, run modally until a button closes it.
//
// Index argument of the set/get calls:
//   0                 the control's own value (text of a static, edit, button, check,
//                     radio, group or combo; state of a check or radio; position of a
//                     scroll bar; icon name of an icon)
//   kNumItems (-13)   list and combo: the number of items (set grows or cuts the list)
//   kCurrentText (-5) list and combo: the current item's text (combo: the typed text)
//   j >= 1            list and combo, text form: item j's text;
//                     integer form: the j-th selected item's number, 0 after the last
//                     (set: the j-th selected item becomes that item, 0 ends the
//                     selection there); logical form: item j selected or not
//   kRangeMin/kRangeMax   scroll bar range (integer form)
// Item numbers are the order in which the caller set the items, also in a sorted list.
// Every set/get returns false for an unknown control id or a form that does not apply.
#include "platform/dialog_template.h"
#include "platform/modal_host.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QDialog;
class QPoint;
class QRect;
class QSize;
class QWidget;

namespace meru::platform {

constexpr int kNumItems = -13;
constexpr int kCurrentText = -5;
constexpr int kRangeMin = -20;
constexpr int kRangeMax = -21;

// The id a modal run returns when it is closed by Esc or the close box.
constexpr int kCancelId = 2;

class Dialog;

// The top left corner of a box of `size` beside `window` within `area` (all in
// one coordinate system): right of the window when there is at least as much
// room right of it as left of it, else left of it; then moved inside the area.
// Its top is the window's top.
QPoint beside_window(const QRect& window, const QSize& size, const QRect& area);


// Callback kinds: a list box's selection changed; a button was pressed.
enum class CallbackKind { SelectionChanged = 1, Clicked = 2 };
using DialogCallback = std::function<void(Dialog&, int control_id, CallbackKind kind)>;

class Dialog {
public:
    // Builds the dialog `id` of `library`; null when no such template exists (the
    // caller reports it). The dialog's values live as long as the object.
    static std::unique_ptr<Dialog> load(const DialogLibrary& library, int id, ModalHost host);
    explicit Dialog(const DialogTemplate& tpl, ModalHost host);
    ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    int id() const;
    const DialogTemplate& layout() const;
    std::string caption() const;

    bool set_text(int control, std::string_view text, int index = 0);
    bool set_logical(int control, bool value, int index = 0);
    bool set_int(int control, int value, int index = 0);
    bool get_text(int control, std::string& out, int index = 0) const;
    bool get_logical(int control, bool& out, int index = 0) const;
    bool get_int(int control, int& out, int index = 0) const;
    bool set_enabled(int control, bool enabled);
    bool is_enabled(int control) const;
    bool has_control(int control) const;

    // A list box's callback runs on every selection change; a button's callback runs
    // instead of closing the dialog (it may call close_with).
    bool set_callback(int control, DialogCallback callback);

    // Shows the dialog modally and returns the id of the control that closed it:
    // a button without a callback, kCancelId for Esc and the close box, the
    // default button for Enter. In a scripted run the script answers instead.
    int run_modal();
    // Ends the running modal with `control` as its result (from a callback).
    void close_with(int control);
    bool closed() const;

    // How a script's `answer` and `dismiss` treat a dialog that stands for a note or
    // a question: `answer WORD` presses `control`; `dismiss` presses the default button.
    void set_answer(std::string word, int control);
    int answer_control(std::string_view word) const; // 0 when not set
    void set_dismissable(bool on);
    bool dismissable() const;
    int default_button() const; // 0 when none
    // Every static text and list item of the dialog (a help topic's text is a
    // list), without outer blanks, joined by blanks: what `dismiss` echoes.
    std::string shown_text() const;

    // Presses a button as the user would: runs its callback, or closes with its id.
    bool press(int control);
    // The id the last modal run closed with (kCancelId until a control closes it).
    int result() const;

    // For scripts: the control named by its id, or by its label (the text of a
    // button, check box, radio button or group; for an edit, list, combo box or
    // scroll bar the static text just before it), compared without "&", outer
    // blanks and case.
    std::optional<int> find_control(std::string_view id_or_label) const;
    // Sets a control as the user would, so callbacks run: an edit's text; a check
    // box or radio button "on"/"off"; a list's selection as item numbers or item
    // texts separated by commas (texts may be quoted; empty selects nothing); a
    // combo box's item by number or text (or the typed text of an editable one);
    // a scroll bar's position. False with the reason otherwise.
    bool user_set(int control, std::string_view value, std::string& why);

    // Shows the dialog beside `window` rather than centred on its owner: on the
    // side of the window with more room in the owner, moved inside the owner, its
    // top level with the window's. A dialog that comes back after each plot so
    // leaves the plot in view. Null: centred again.
    void set_beside(QWidget* window);

    QDialog* widget() const; // the Qt dialog (tests click it)
    QWidget* control_widget(int control) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace meru::platform
