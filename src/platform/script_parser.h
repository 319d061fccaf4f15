#pragma once
// The scripted run's file, read into actions: one action a line, a dialog block
// running from its "dialog" line to its "press" line. The format is described in
// docs/scripting.md; script.h runs the actions.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meru::platform {

struct ScriptSet {
    std::string control; // id or label
    std::string value;
};

struct ScriptAction {
    enum class Kind { Menu, File, Answer, Dialog, Click, Key, Close, Dismiss, Wait, Shot, Greyed, Memory, PumpGap, Exit };
    Kind kind = Kind::Exit;
    int line = 0;
    std::string source;      // the line as written (trimmed)
    std::string title, item; // menu
    std::string path;        // file (empty with cancel); shot file
    bool cancel = false;     // file cancel
    std::string word;        // answer: yes, no, ok, cancel
    std::string target;      // dialog id, caption or "*"; window of click, key, close, shot
    std::vector<ScriptSet> sets;
    std::string press; // dialog: the closing control
    int x = 0, y = 0;
    bool right = false;
    std::vector<int> keys; // key codes as the key queue holds them (0 then a scan code)
    int ms = 0;
    int busy = 0; // menu: taken at the busy-th busy pump (0: at the idle poll)
};

struct ParsedScript {
    std::vector<ScriptAction> actions;
    std::vector<std::string> errors; // "line N: what"
};

ParsedScript parse_script(std::string_view text);

// Key names of `key WINDOW KEY`: a single character, a number (the code), or
// Esc, Enter, Tab, Space, Backspace, PgUp, PgDn, Up, Down, Left, Right, Home, End.
std::optional<std::vector<int>> parse_key(std::string_view key);

} // namespace meru::platform
