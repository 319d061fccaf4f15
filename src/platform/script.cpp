#include "platform/script.h"

#include "platform/file_dialog.h"

#include "platform/dialogs.h"
#include "platform/events.h"
#include "platform/io/os.h"
#include "platform/io/strings.h"
#include "platform/menus.h"

#include <QDialog>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace meru::platform {

namespace {

long long now_ms()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

Script::Script(std::vector<ScriptAction> actions, ScriptHost& host) : actions_(std::move(actions)), host_(host)
{
    stamp();
}

Script::~Script()
{
    stop_ = true;
    if (watchdog_.joinable()) watchdog_.join();
}

std::unique_ptr<Script> Script::from_file(const std::string& path, ScriptHost& host, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "script " + path + " cannot be read";
        return nullptr;
    }
    std::ostringstream text;
    text << in.rdbuf();
    ParsedScript parsed = parse_script(text.str());
    if (!parsed.errors.empty()) {
        error.clear();
        for (const auto& e : parsed.errors) error += "script " + path + ", " + e + "\n";
        return nullptr;
    }
    return std::make_unique<Script>(std::move(parsed.actions), host);
}

double script_timeout_from_env()
{
    const char* v = std::getenv("MERU_SCRIPT_TIMEOUT");
    if (!v || !*v) return 600;
    char* end = nullptr;
    double s = std::strtod(v, &end);
    return (end && *end == '\0' && s > 0) ? s : 600;
}

void Script::start_watchdog(double seconds)
{
    if (watchdog_.joinable()) return;
    long long limit = static_cast<long long>(seconds * 1000);
    watchdog_ = std::thread([this, limit, seconds] {
        while (!stop_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (!in_pump_ && now_ms() - last_wait_ > limit) {
                std::fprintf(stderr, "script: the program has not waited for the user within %g s\n", seconds);
                std::fflush(stderr);
                std::_Exit(kScriptTimeout);
            }
        }
    });
}

void Script::stamp() { last_wait_ = now_ms(); }
bool Script::ended() const { return ended_; }
size_t Script::position() const { return pos_; }
bool Script::dismissing() const { return dismiss_; }
const ScriptAction* Script::next() const { return pos_ < actions_.size() ? &actions_[pos_] : nullptr; }

void Script::echo(std::string_view line) const
{
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
    std::fflush(stderr);
}

void Script::note(const ScriptAction& a) const { echo("script " + std::to_string(a.line) + ": " + a.source); }

void Script::finish(int status, const std::string& message)
{
    if (ended_) return;
    ended_ = true;
    stop_ = true;
    host_.end_run(status, message);
}

void Script::fail(const ScriptAction* a, std::string_view waiting_for, std::string_view why)
{
    std::string msg;
    if (!a) msg = "script: the script has ended while the program waits at " + std::string(waiting_for);
    else
        msg = "script line " + std::to_string(a->line) + ": \"" + a->source +
              "\" does not fit: the program waits at " + std::string(waiting_for);
    if (!why.empty()) msg += " (" + std::string(why) + ")";
    finish(kScriptMismatch, msg);
}

bool Script::take_common(std::string_view waiting_for)
{
    while (!ended_) {
        const ScriptAction* a = next();
        if (!a) return true;
        switch (a->kind) {
        case ScriptAction::Kind::Wait:
            note(*a);
            ++pos_;
            in_pump_ = true;
            host_.pump(a->ms);
            in_pump_ = false;
            stamp();
            break;
        case ScriptAction::Kind::Shot: {
            note(*a);
            ++pos_;
            std::string why;
            if (io::lower(a->target) == "dialog") {
                if (!dialog_) why = "no dialog is shown";
                else if (!dialog_->widget()->grab().save(QString::fromStdString(a->path), "PNG"))
                    why = "the dialog could not be saved to " + a->path;
                if (!why.empty()) {
                    fail(a, waiting_for, why);
                    return false;
                }
                break;
            }
            if (!host_.shot(a->target, a->path, why)) {
                fail(a, waiting_for, why);
                return false;
            }
            if (io::lower(a->target) == "frame" && !draw_modal_on(a->path)) {
                fail(a, waiting_for, "the shown window could not be drawn on " + a->path);
                return false;
            }
            break;
        }
        case ScriptAction::Kind::Greyed: {
            note(*a);
            ++pos_;
            std::string list;
            for (const std::string& title : host_.greyed_menus()) list += (list.empty() ? "" : ", ") + title;
            echo("greyed menus: " + (list.empty() ? std::string("none") : list));
            break;
        }
        case ScriptAction::Kind::Memory: {
            note(*a);
            ++pos_;
            const std::optional<long> kb = io::resident_kb();
            echo(kb ? "resident memory " + std::to_string(*kb) + " kB" : std::string("resident memory unknown"));
            break;
        }
        case ScriptAction::Kind::PumpGap:
            note(*a);
            ++pos_;
            echo("longest pump gap " + std::to_string(take_longest_pump_gap()) + " ms");
            break;
        case ScriptAction::Kind::Dismiss:
            note(*a);
            ++pos_;
            dismiss_ = true;
            break;
        case ScriptAction::Kind::Exit:
            note(*a);
            ++pos_;
            finish(kScriptDone, {});
            return false;
        default: return true;
        }
    }
    return false;
}

void Script::at_idle()
{
    stamp();
    if (ended_) return;
    dismiss_ = false;
    if (!take_common("the idle poll")) return;
    const ScriptAction* a = next();
    if (!a) {
        finish(kScriptDone, {});
        return;
    }
    if (a->kind != ScriptAction::Kind::Menu || a->busy > 0) {
        fail(a,
             a->busy > 0 ? "the idle poll (the action waits for a busy pump)" : "the idle poll (a menu action fits)");
        return;
    }
    note(*a);
    ++pos_;
    std::string why;
    if (!host_.choose_menu(a->title, a->item, why)) fail(a, "the idle poll", why);
    stamp();
}

void Script::at_busy()
{
    // A busy pump is not a wait for the user: the watchdog keeps counting.
    if (ended_) return;
    // `dismiss` lines before the busy action are taken here: left for the next
    // wait for the user, they would hold the busy action back until the
    // computation had ended.
    size_t ahead = pos_;
    while (ahead < actions_.size() && actions_[ahead].kind == ScriptAction::Kind::Dismiss) ++ahead;
    if (ahead == actions_.size() || actions_[ahead].kind != ScriptAction::Kind::Menu || actions_[ahead].busy < 1)
        return;
    for (; pos_ < ahead; ++pos_) {
        note(actions_[pos_]);
        dismiss_ = true;
    }
    const ScriptAction* a = next();
    if (busy_pos_ != pos_) {
        busy_pos_ = pos_;
        busy_seen_ = 0;
    }
    if (++busy_seen_ < a->busy) return;
    note(*a);
    ++pos_;
    std::string why;
    if (!host_.choose_menu(a->title, a->item, why)) fail(a, "a busy pump", why);
    stamp();
}

int Script::at_dialog(Dialog& d)
{
    stamp();
    Dialog* const outer = dialog_;
    dialog_ = &d;
    struct Restore {
        Dialog*& slot;
        Dialog* value;
        ~Restore() { slot = value; }
    } restore{dialog_, outer};
    std::string what = "dialog " + std::to_string(d.id()) + " \"" + d.caption() + "\"";
    // The default button is pressed for `dismiss` once only: when it is disabled,
    // or its callback leaves the dialog open, the script's next lines must answer.
    bool dismiss_tried = false;
    if (!ended_ && dismiss_ && d.dismissable() && d.default_button()) {
        echo(d.shown_text());
        dismiss_tried = true;
        d.press(d.default_button());
    } else {
        if (!d.dismissable()) dismiss_ = false;
    }
    while (!ended_ && !d.closed()) {
        if (!take_common(what)) break;
        if (dismiss_ && !dismiss_tried && d.dismissable() && d.default_button()) {
            echo(d.shown_text());
            dismiss_tried = true;
            d.press(d.default_button());
            continue;
        }
        const ScriptAction* a = next();
        if (!a) {
            fail(nullptr, what);
            break;
        }
        if (a->kind == ScriptAction::Kind::Answer && d.answer_control(a->word)) {
            note(*a);
            ++pos_;
            echo(d.shown_text());
            if (!d.press(d.answer_control(a->word))) fail(a, what, "its button is disabled");
            continue;
        }
        bool fits = a->kind == ScriptAction::Kind::Dialog &&
                    (a->target == "*" || a->target == std::to_string(d.id()) ||
                     io::lower(plain_menu_text(a->target)) == io::lower(plain_menu_text(d.caption())));
        if (!fits) {
            fail(a, what);
            break;
        }
        note(*a);
        ++pos_;
        std::string why;
        if (!apply_dialog_block(d, *a, why)) fail(a, what, why);
    }
    stamp();
    if (!d.closed()) d.close_with(kCancelId);
    return d.result();
}

bool Script::apply_dialog_block(Dialog& d, const ScriptAction& a, std::string& why)
{
    for (const auto& s : a.sets) {
        auto id = d.find_control(s.control);
        if (!id) {
            why = "no control \"" + s.control + "\"";
            return false;
        }
        if (!d.user_set(*id, s.value, why)) {
            why = "control \"" + s.control + "\": " + why;
            return false;
        }
    }
    std::string press = io::lower(a.press);
    if (press == "esc" || press == "close") {
        d.close_with(kCancelId);
        return true;
    }
    if (press == "enter") {
        if (d.default_button() && d.press(d.default_button())) return true;
        why = "no enabled default button for Enter";
        return false;
    }
    auto id = d.find_control(a.press);
    if (!id) {
        why = "no control \"" + a.press + "\" to press";
        return false;
    }
    if (!d.press(*id)) {
        why = "\"" + a.press + "\" is not an enabled button";
        return false;
    }
    return true;
}

QPixmap picture_as_shown(QWidget& modal)
{
    if (modal.isVisible()) return modal.grab();
    // Shown off the screen for the picture: a message box wraps its text and
    // takes its size only when it is shown.
    const bool off_screen = modal.testAttribute(Qt::WA_DontShowOnScreen);
    modal.setAttribute(Qt::WA_DontShowOnScreen, true);
    modal.show();
    const QPixmap picture = modal.grab();
    modal.hide();
    modal.setAttribute(Qt::WA_DontShowOnScreen, off_screen);
    return picture;
}

bool Script::draw_modal_on(const std::string& path) const
{
    QWidget* modal = dialog_ ? dialog_->widget() : box_;
    if (!modal) return true;
    QImage frame(QString::fromStdString(path));
    if (frame.isNull()) return false;
    const QPixmap shown = picture_as_shown(*modal);
    // Centred, as the modal shows itself, unless it was placed (beside a window).
    QPoint at((frame.width() - shown.width()) / 2, (frame.height() - shown.height()) / 2);
    if (const QWidget* owner = modal->parentWidget(); owner && modal->testAttribute(Qt::WA_Moved))
        at = modal->pos() - owner->mapToGlobal(QPoint(0, 0));
    QPainter paint(&frame);
    paint.drawPixmap(at, shown);
    paint.end();
    return frame.save(QString::fromStdString(path), "PNG");
}

namespace {

// Holds `widget` in `slot` while a modal is answered.
struct ShownModal {
    QWidget*& slot;
    QWidget* outer;
    ShownModal(QWidget*& s, QWidget* widget) : slot(s), outer(s) { slot = widget; }
    ~ShownModal() { slot = outer; }
    ShownModal(const ShownModal&) = delete;
    ShownModal& operator=(const ShownModal&) = delete;
};

} // namespace

int Script::at_message_box(std::string_view text, std::string_view caption, BoxChoice buttons, QWidget* shown)
{
    const ShownModal hold(box_, shown);
    stamp();
    echo(text);
    int cancel = buttons == BoxChoice::Ok ? 1 : 2;
    if (ended_) return cancel;
    std::string what = "message box \"" + std::string(caption) + "\"";
    if (!dismiss_ && !take_common(what)) return cancel;
    if (dismiss_) return 1;
    const ScriptAction* a = next();
    if (!a) {
        fail(nullptr, what);
        return cancel;
    }
    if (a->kind == ScriptAction::Kind::Answer &&
        (a->word == "ok" || (a->word == "cancel" && buttons == BoxChoice::OkCancel))) {
        note(*a);
        ++pos_;
        stamp();
        return a->word == "ok" ? 1 : 2;
    }
    fail(a, what + (buttons == BoxChoice::Ok ? " (answer ok fits)" : " (answer ok or cancel fits)"));
    return cancel;
}

bool Script::at_question(std::string_view text, QWidget* shown)
{
    const ShownModal hold(box_, shown);
    stamp();
    echo(text);
    if (ended_) return false;
    std::string what = "the question \"" + std::string(text) + "\"";
    if (!dismiss_ && !take_common(what)) return false;
    if (dismiss_) return true;
    const ScriptAction* a = next();
    if (!a) {
        fail(nullptr, what);
        return false;
    }
    if (a->kind == ScriptAction::Kind::Answer && (a->word == "yes" || a->word == "no")) {
        note(*a);
        ++pos_;
        stamp();
        return a->word == "yes";
    }
    fail(a, what + " (answer yes or no fits)");
    return false;
}

std::optional<std::string> Script::at_file_dialog(std::string_view title, bool must_exist,
                                                  std::string_view default_suffix, std::string_view folder)
{
    stamp();
    if (ended_) return std::nullopt;
    dismiss_ = false;
    std::string what = "the file dialog \"" + std::string(title) + "\"";
    if (!take_common(what)) return std::nullopt;
    const ScriptAction* a = next();
    if (!a) {
        fail(nullptr, what);
        return std::nullopt;
    }
    if (a->kind != ScriptAction::Kind::File) {
        fail(a, what + " (file PATH or file cancel fits)");
        return std::nullopt;
    }
    note(*a);
    ++pos_;
    stamp();
    if (a->cancel) return std::nullopt;
    std::filesystem::path typed(a->path);
    if (typed.is_relative() && !folder.empty()) typed = std::filesystem::path(folder) / typed;
    const std::string path = with_default_suffix(typed.string(), default_suffix);
    std::error_code ec;
    if (must_exist && !std::filesystem::is_regular_file(path, ec)) {
        fail(a, what, "no such file");
        return std::nullopt;
    }
    return path;
}

void Script::at_poll()
{
    stamp();
    if (ended_) return;
    if (host_.input_pending()) {
        // A window that polls only its mouse never reads the key: end the run
        // rather than wait for it for ever.
        if (++unread_polls_ > kMaxUnreadPolls)
            finish(kScriptMismatch, "script: a key typed into a window has not been read in " +
                                        std::to_string(kMaxUnreadPolls) + " polls of the window");
        return;
    }
    unread_polls_ = 0;
    const std::string what = "a window's mouse or key poll";
    if (!take_common(what)) return;
    const ScriptAction* a = next();
    if (!a) {
        finish(kScriptDone, {});
        return;
    }
    using Kind = ScriptAction::Kind;
    if (a->kind != Kind::Click && a->kind != Kind::Key && a->kind != Kind::Close) {
        fail(a, what + " (click, key or close fits)");
        return;
    }
    note(*a);
    ++pos_;
    std::string why;
    bool ok = a->kind == Kind::Click ? host_.click(a->target, a->x, a->y, a->right, why)
              : a->kind == Kind::Key ? host_.key(a->target, a->keys, why)
                                     : host_.close(a->target, why);
    if (!ok) fail(a, what, why);
    stamp();
}

} // namespace meru::platform
