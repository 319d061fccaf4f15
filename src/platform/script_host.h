#pragma once
// The script's view of the running program: the frame's menus, windows, mouse and
// keys, and the wait points of the event pump. start_script() is what a program
// calls once its frame and menus exist.
#include "platform/script.h"

#include <functional>
#include <memory>

namespace meru::platform {

class Frame;
class Menus;

class FrameScriptHost : public ScriptHost {
public:
    FrameScriptHost(Frame& frame, Menus& menus);

    // What ending the run does; the default ends the process with the status
    // (exit_program). The program passes its File:Exit without the question.
    void set_exit(std::function<void(int status)> exit);

    bool choose_menu(std::string_view title, std::string_view item, std::string& why) override;
    bool click(std::string_view window, int x, int y, bool right, std::string& why) override;
    bool key(std::string_view window, const std::vector<int>& codes, std::string& why) override;
    bool close(std::string_view window, std::string& why) override;
    bool input_pending() const override;
    bool shot(std::string_view target, const std::string& file, std::string& why) override;
    std::vector<std::string> greyed_menus() const override;
    void pump(int ms) override;
    void end_run(int status, const std::string& message) override;

    // The unit of an open window named by its unit number or title; -1 when none.
    int find_window(std::string_view window) const;

private:
    Frame& frame_;
    Menus& menus_;
    std::function<void(int)> exit_;
    int last_key_unit_ = -1;
};

// When MERU_SCRIPT names a file: reads it, hooks the script into the wait points of
// the event pump and starts the MERU_SCRIPT_TIMEOUT watchdog. Returns null when
// the variable is not set. A script that cannot be read or has errors ends the
// process with status 3 after naming them.
std::unique_ptr<Script> start_script(ScriptHost& host);

// Hooks `script` into the event pump's wait points (idle poll, mouse and key polls);
// remove_script_hook takes it out again.
void install_script_hook(Script& script);
void remove_script_hook();

} // namespace meru::platform
