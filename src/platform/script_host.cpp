#include "platform/script_host.h"

#include "platform/events.h"
#include "platform/frame.h"
#include "platform/io/strings.h"
#include "platform/menus.h"
#include "platform/window.h"

#include <cstdio>
#include <cstdlib>

namespace meru::platform {

namespace {

// Window units are small numbers; a title is looked for among these.
constexpr int kHighestUnit = 1000;

// Titles compared as a script names them: without "&", outer blanks and case.
std::string folded(std::string_view text) { return io::lower(plain_menu_text(text)); }

} // namespace

FrameScriptHost::FrameScriptHost(Frame& frame, Menus& menus)
    : frame_(frame), menus_(menus), exit_([](int status) { exit_program(status); })
{}

void FrameScriptHost::set_exit(std::function<void(int)> exit) { exit_ = std::move(exit); }

bool FrameScriptHost::choose_menu(std::string_view title, std::string_view item, std::string& why)
{
    MenuHandle h = menus_.find(title, item);
    if (!h) {
        why = "no menu item " + std::string(title) + (item.empty() ? "" : " > " + std::string(item));
        return false;
    }
    return menus_.choose(h, why);
}

int FrameScriptHost::find_window(std::string_view window) const
{
    int unit = 0;
    if (io::to_int(window, unit)) return frame_.is_open(unit) ? unit : -1;
    std::string want = folded(window);
    for (int u = 0; u <= kHighestUnit; ++u)
        if (ChildWindow* w = frame_.window(u); w && folded(w->title()) == want) return u;
    return -1;
}

bool FrameScriptHost::click(std::string_view window, int x, int y, bool right, std::string& why)
{
    int unit = find_window(window);
    if (unit < 0) {
        why = "no window " + std::string(window);
        return false;
    }
    ChildWindow* w = frame_.window(unit);
    int held = right ? mouse_ks_right : mouse_ks_left;
    w->mouse_event(right ? mouse_right_down : mouse_left_down, held, x, y);
    w->mouse_event(right ? mouse_right_up : mouse_left_up, 0, x, y);
    return true;
}

bool FrameScriptHost::key(std::string_view window, const std::vector<int>& codes, std::string& why)
{
    int unit = find_window(window);
    if (unit < 0) {
        why = "no window " + std::string(window);
        return false;
    }
    Keystroke k;
    if (codes.size() == 2 && codes[0] == 0) k = {codes[1], true};
    else k = {codes.empty() ? 0 : codes[0], false};
    if (!frame_.window(unit)->type_key(k)) {
        why = "the key queue is full";
        return false;
    }
    last_key_unit_ = unit;
    return true;
}

bool FrameScriptHost::close(std::string_view window, std::string& why)
{
    const int unit = find_window(window);
    if (unit < 0) {
        why = "no window " + std::string(window);
        return false;
    }
    frame_.window(unit)->close();
    return true;
}

bool FrameScriptHost::input_pending() const
{
    ChildWindow* w = last_key_unit_ >= 0 ? frame_.window(last_key_unit_) : nullptr;
    return w && w->keys().has_key();
}

bool FrameScriptHost::shot(std::string_view target, const std::string& file, std::string& why)
{
    QString path = QString::fromStdString(file);
    if (folded(target) == "frame") {
        if (frame_.save_frame_png(path)) return true;
        why = "the frame could not be saved to " + file;
        return false;
    }
    int unit = find_window(target);
    if (unit < 0) {
        why = "no window " + std::string(target);
        return false;
    }
    if (!frame_.save_canvas_png(unit, path)) {
        why = "window " + std::string(target) + " could not be saved to " + file;
        return false;
    }
    return true;
}

std::vector<std::string> FrameScriptHost::greyed_menus() const
{
    std::vector<std::string> titles;
    for (int m = 1; m <= menus_.count(); ++m)
        if (!menus_.usable(m, 0)) titles.push_back(plain_menu_text(menus_.text(m, 0)));
    return titles;
}

void FrameScriptHost::pump(int ms) { wait(WaitPoint::sleep, ms); }

void FrameScriptHost::end_run(int status, const std::string& message)
{
    if (!message.empty()) {
        std::fprintf(stderr, "%s\n", message.c_str());
        std::fflush(stderr);
    }
    exit_(status);
}

void install_script_hook(Script& script)
{
    set_wait_hook([&script](WaitPoint point, int) {
        if (point == WaitPoint::idle) script.at_idle();
        else if (point == WaitPoint::mouse || point == WaitPoint::keys) script.at_poll();
        else if (point == WaitPoint::busy) script.at_busy();
    });
}

void remove_script_hook() { set_wait_hook({}); }

std::unique_ptr<Script> start_script(ScriptHost& host)
{
    const char* path = std::getenv("MERU_SCRIPT");
    if (!path || !*path) return nullptr;
    std::string error;
    auto script = Script::from_file(path, host, error);
    if (!script) {
        std::fprintf(stderr, "%s\n", error.c_str());
        exit_program(kScriptMismatch);
    }
    install_script_hook(*script);
    script->start_watchdog(script_timeout_from_env());
    return script;
}

} // namespace meru::platform
