#pragma once
// Scripted runs (a test seam): when MERU_SCRIPT names a file, the user's actions
// come from it, one a line, each taken when the program next waits for the user.
// The format is described in docs/scripting.md.
//
// Wait points call into the Script: the main loop's idle poll (at_idle), every
// modal (at_dialog, at_message_box, at_question, at_file_dialog) and the mouse and
// key polls of graphics windows (at_poll). A wait that does not match the next
// action, or a modal wait after the last action, ends the run with status 3; the
// end of the script at the idle poll or a poll ends it with status 0 (as File:Exit
// does, without its question); a program that has not waited for the user within
// the time-out ends with status 4 (start_watchdog).
#include "platform/script_parser.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class QPixmap;
class QWidget;

namespace meru::platform {

class Dialog;

constexpr int kScriptDone = 0;
constexpr int kScriptMismatch = 3;
constexpr int kScriptTimeout = 4;
// Window polls a typed key may wait to be read before the run ends with
// kScriptMismatch.
constexpr int kMaxUnreadPolls = 50;

// What the script needs of the rest of the platform. The program implements it on
// the frame; tests implement it with fakes.
class ScriptHost {
public:
    virtual ~ScriptHost() = default;
    // Chooses a menu item by its title and item texts (item empty: a command title).
    virtual bool choose_menu(std::string_view title, std::string_view item, std::string& why) = 0;
    // Delivers a click (press and release) or key codes to `window` (a unit number
    // or a window title).
    virtual bool click(std::string_view window, int x, int y, bool right, std::string& why) = 0;
    virtual bool key(std::string_view window, const std::vector<int>& codes, std::string& why) = 0;
    // Presses `window`'s close box (a host without windows has none).
    virtual bool close(std::string_view, std::string& why)
    {
        why = "no close box";
        return false;
    }
    // True while delivered input has not yet been read by the program.
    virtual bool input_pending() const = 0;
    // Saves the frame ("frame") or a window's canvas as PNG.
    virtual bool shot(std::string_view target, const std::string& file, std::string& why) = 0;
    // The titles of the menus the user cannot choose now, in menu-bar order.
    virtual std::vector<std::string> greyed_menus() const { return {}; }
    // Waits `ms` milliseconds, handling events.
    virtual void pump(int ms) = 0;
    // Ends the run with `status` after writing `message` (if any) to standard error.
    // The program ends the process; a test fake records it and returns.
    virtual void end_run(int status, const std::string& message) = 0;
};

// Message box buttons as the script sees them.
enum class BoxChoice { Ok, OkCancel };

class Script {
public:
    Script(std::vector<ScriptAction> actions, ScriptHost& host);
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    // Reads MERU_SCRIPT's file; null with `error` set when it cannot be read or parsed.
    static std::unique_ptr<Script> from_file(const std::string& path, ScriptHost& host, std::string& error);

    void at_idle();
    int at_dialog(Dialog& dialog);
    // `shown`: the box as it would be shown, which `shot frame` draws on the frame.
    int at_message_box(std::string_view text, std::string_view caption, BoxChoice buttons, QWidget* shown = nullptr);
    bool at_question(std::string_view text, QWidget* shown = nullptr);
    // `must_exist`: the file dialog opens a file (a save dialog names a new one).
    // A relative PATH is taken in `folder`, where the dialog starts (the current
    // directory when empty), as a name typed into the dialog would be.
    std::optional<std::string> at_file_dialog(std::string_view title, bool must_exist = true,
                                              std::string_view default_suffix = {}, std::string_view folder = {});
    // A window polling the mouse or its keys: takes a click, key or close action.
    void at_poll();
    // A pump from a long computation: takes an `at busy N menu` action at the
    // N-th such pump since the action before it was taken.
    void at_busy();

    // Writes a line the program shows (window text, message text) to standard error.
    void echo(std::string_view line) const;

    // Ends the process with status 4 when no wait point is reached within `seconds`.
    void start_watchdog(double seconds);

    bool ended() const;
    size_t position() const; // index of the next action
    bool dismissing() const;

private:
    const ScriptAction* next() const;
    // Takes the actions every wait point accepts (wait, shot, exit, dismiss); returns
    // false when the run has ended.
    bool take_common(std::string_view waiting_for);
    void fail(const ScriptAction* action, std::string_view waiting_for, std::string_view why = {});
    void finish(int status, const std::string& message);
    void stamp();
    bool apply_dialog_block(Dialog& dialog, const ScriptAction& a, std::string& why);
    void note(const ScriptAction& a) const;

    std::vector<ScriptAction> actions_;
    ScriptHost& host_;
    size_t pos_ = 0;
    bool ended_ = false;
    bool dismiss_ = false;
    size_t busy_pos_ = 0; // the action the busy pumps are counted for
    int busy_seen_ = 0;
    int unread_polls_ = 0;     // window polls since a typed key is waiting to be read
    Dialog* dialog_ = nullptr; // the dialog the script is answering (for `shot dialog`)
    QWidget* box_ = nullptr;   // the message box or question it is answering
    // Draws the modal window the script is answering (a dialog, message box or
    // question) on the frame's picture in `path`, centred as it is shown.
    bool draw_modal_on(const std::string& path) const;

    std::atomic<long long> last_wait_{0};
    std::atomic<bool> in_pump_{false};
    std::atomic<bool> stop_{false};
    std::thread watchdog_;
};

// The picture of a modal window the script answers (and so never shows), laid
// out as it would be shown.
QPixmap picture_as_shown(QWidget& modal);

// The time-out of MERU_SCRIPT_TIMEOUT in seconds (default 600; unreadable values give the default).
double script_timeout_from_env();

} // namespace meru::platform
