#include "platform/script_parser.h"

#include "platform/io/strings.h"

#include <map>
#include <sstream>

namespace meru::platform {

namespace {

using io::lower;
using io::to_int;
using io::unquote;

// Blanks around a script's words, also those of a file with CR LF line ends.
constexpr std::string_view kBlanks = " \t\r";

std::string trim(std::string_view s) { return io::trim(s, kBlanks); }

std::vector<std::string> words(std::string_view s)
{
    std::vector<std::string> out;
    std::istringstream in{std::string(s)};
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

std::string join(const std::vector<std::string>& w, size_t from, size_t to)
{
    std::string out;
    for (size_t i = from; i < to; ++i) {
        if (!out.empty()) out += ' ';
        out += w[i];
    }
    return out;
}

} // namespace

std::optional<std::vector<int>> parse_key(std::string_view key)
{
    static const std::map<std::string, std::vector<int>> names = {
        {"esc", {27}},      {"enter", {13}},   {"tab", {9}},     {"space", {32}},   {"backspace", {8}},
        {"pgup", {0, 73}},  {"pgdn", {0, 81}}, {"up", {0, 72}},  {"down", {0, 80}}, {"left", {0, 75}},
        {"right", {0, 77}}, {"home", {0, 71}}, {"end", {0, 79}},
    };
    if (key.size() == 1) return std::vector<int>{static_cast<unsigned char>(key[0])};
    auto it = names.find(lower(key));
    if (it != names.end()) return it->second;
    int code = 0;
    if (to_int(key, code) && code >= 0 && code <= 255) return std::vector<int>{code};
    return std::nullopt;
}

ParsedScript parse_script(std::string_view text)
{
    ParsedScript out;
    std::istringstream in{std::string(text)};
    std::string raw;
    int lineno = 0;
    ScriptAction* block = nullptr; // the open dialog block
    auto error = [&](int line, const std::string& what) {
        out.errors.push_back("line " + std::to_string(line) + ": " + what);
    };
    while (std::getline(in, raw)) {
        ++lineno;
        std::string line = trim(raw);
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> w = words(line);
        std::string verb = lower(w[0]);
        std::string rest = trim(std::string_view(line).substr(w[0].size()));

        if (block) {
            if (verb == "set") {
                size_t eq = rest.find('=');
                if (eq == std::string::npos || trim(rest.substr(0, eq)).empty()) {
                    error(lineno, "expected: set CONTROL = VALUE");
                    continue;
                }
                block->sets.push_back({unquote(trim(rest.substr(0, eq))), trim(rest.substr(eq + 1))});
                continue;
            }
            if (verb == "press") {
                if (rest.empty()) error(lineno, "expected: press CONTROL");
                block->press = unquote(rest);
                block = nullptr;
                continue;
            }
            error(block->line, "dialog block without its closing \"press\"");
            block = nullptr;
        }

        ScriptAction a;
        a.line = lineno;
        a.source = line;
        if (verb == "at") {
            // at busy N menu TITLE > ITEM
            const bool shape = w.size() >= 5 && lower(w[1]) == "busy" && lower(w[3]) == "menu";
            int n = 0;
            if (!shape || !to_int(w[2], n)) n = 0;
            if (n < 1) {
                error(lineno, "expected: at busy N menu TITLE > ITEM (N a count above 0)");
                continue;
            }
            a.busy = n;
            verb = "menu";
            rest = trim(std::string_view(rest).substr(rest.find(w[3]) + w[3].size()));
        }
        if (verb == "menu") {
            a.kind = ScriptAction::Kind::Menu;
            size_t gt = rest.find('>');
            a.title = trim(rest.substr(0, gt));
            if (gt != std::string::npos) a.item = trim(rest.substr(gt + 1));
            if (a.title.empty() || (gt != std::string::npos && a.item.empty())) {
                error(lineno, "expected: menu TITLE > ITEM, or menu TITLE");
                continue;
            }
        } else if (verb == "file") {
            a.kind = ScriptAction::Kind::File;
            if (rest.empty()) {
                error(lineno, "expected: file PATH, or file cancel");
                continue;
            }
            if (lower(rest) == "cancel") a.cancel = true;
            else a.path = unquote(rest);
        } else if (verb == "answer") {
            a.kind = ScriptAction::Kind::Answer;
            a.word = lower(rest);
            if (a.word != "yes" && a.word != "no" && a.word != "ok" && a.word != "cancel") {
                error(lineno, "expected: answer yes, no, ok or cancel");
                continue;
            }
        } else if (verb == "dialog") {
            a.kind = ScriptAction::Kind::Dialog;
            a.target = unquote(rest);
            if (a.target.empty()) {
                error(lineno, "expected: dialog ID, dialog CAPTION or dialog *");
                continue;
            }
        } else if (verb == "click") {
            a.kind = ScriptAction::Kind::Click;
            size_t n = w.size();
            if (n >= 2 && lower(w[n - 1]) == "right") {
                a.right = true;
                --n;
            }
            if (n < 4 || !to_int(w[n - 2], a.x) || !to_int(w[n - 1], a.y)) {
                error(lineno, "expected: click WINDOW X Y [right]");
                continue;
            }
            a.target = unquote(join(w, 1, n - 2));
        } else if (verb == "key") {
            a.kind = ScriptAction::Kind::Key;
            auto codes = w.size() >= 3 ? parse_key(w.back()) : std::nullopt;
            if (!codes) {
                error(lineno, "expected: key WINDOW KEY (a character, a code or a key name)");
                continue;
            }
            a.keys = *codes;
            a.target = unquote(join(w, 1, w.size() - 1));
        } else if (verb == "close") {
            a.kind = ScriptAction::Kind::Close;
            a.target = unquote(join(w, 1, w.size()));
            if (a.target.empty()) {
                error(lineno, "expected: close WINDOW");
                continue;
            }
        } else if (verb == "dismiss") {
            a.kind = ScriptAction::Kind::Dismiss;
        } else if (verb == "wait") {
            a.kind = ScriptAction::Kind::Wait;
            if (w.size() != 2 || !to_int(w[1], a.ms) || a.ms < 0) {
                error(lineno, "expected: wait MILLISECONDS");
                continue;
            }
        } else if (verb == "shot") {
            a.kind = ScriptAction::Kind::Shot;
            if (w.size() < 3) {
                error(lineno, "expected: shot WINDOW FILE.png, or shot frame FILE.png");
                continue;
            }
            a.path = w.back();
            a.target = unquote(join(w, 1, w.size() - 1));
        } else if (verb == "greyed") {
            a.kind = ScriptAction::Kind::Greyed;
        } else if (verb == "memory") {
            a.kind = ScriptAction::Kind::Memory;
        } else if (verb == "pumpgap") {
            a.kind = ScriptAction::Kind::PumpGap;
        } else if (verb == "exit") {
            a.kind = ScriptAction::Kind::Exit;
        } else {
            error(lineno, "unknown action \"" + w[0] + "\"");
            continue;
        }
        out.actions.push_back(std::move(a));
        if (out.actions.back().kind == ScriptAction::Kind::Dialog) block = &out.actions.back();
    }
    if (block) error(block->line, "dialog block without its closing \"press\"");
    return out;
}

} // namespace meru::platform
