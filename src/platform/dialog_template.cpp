#include "platform/dialog_template.h"

#include "platform/io/strings.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace meru::platform {

namespace {

struct KindInfo {
    std::string_view name;
    ControlKind kind;
    std::vector<std::string_view> styles;
};

const std::vector<KindInfo>& kinds()
{
    static const std::vector<KindInfo> table = {
        {"button", ControlKind::Button, {"default"}},
        {"static", ControlKind::Static, {}},
        {"edit", ControlKind::Edit, {"multiline", "readonly"}},
        {"check", ControlKind::Check, {}},
        {"radio", ControlKind::Radio, {"group"}},
        {"list", ControlKind::List, {"multi", "extended", "sort", "vscroll", "notify"}},
        {"combo", ControlKind::Combo, {"edit", "list", "sort", "vscroll"}},
        {"scrollbar", ControlKind::ScrollBar, {"horizontal", "vertical"}},
        {"group", ControlKind::Group, {}},
        {"icon", ControlKind::Icon, {}},
    };
    return table;
}

// Splits a line into words; a word in double quotes keeps its blanks ("" is one quote).
// Returns false on an unterminated quote. Quoted words are marked in `quoted`.
bool split_words(std::string_view line, std::vector<std::string>& words, std::vector<bool>& quoted)
{
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '"') {
            std::string w;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        w += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                w += line[i++];
            }
            if (!closed) return false;
            words.push_back(w);
            quoted.push_back(true);
            continue;
        }
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
        words.emplace_back(line.substr(i, j - i));
        quoted.push_back(false);
        i = j;
    }
    return true;
}

using io::to_int;

} // namespace

bool ControlTemplate::has_style(std::string_view style) const
{
    return std::find(styles.begin(), styles.end(), style) != styles.end();
}

const DialogTemplate* DialogLibrary::find(int id) const
{
    auto it = dialogs.find(id);
    return it == dialogs.end() ? nullptr : &it->second;
}

void parse_dialog_templates(std::string_view text, std::string_view name, DialogLibrary& library,
                            std::vector<std::string>& errors)
{
    DialogTemplate current;
    bool open = false;
    bool current_ok = true;
    std::set<int> control_ids;
    int lineno = 0;
    int header_line = 0;
    auto error = [&](int line, const std::string& what) {
        errors.push_back(std::string(name) + ":" + std::to_string(line) + ": " + what);
        current_ok = false;
    };

    size_t pos = 0;
    while (pos <= text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        ++lineno;

        std::vector<std::string> w;
        std::vector<bool> quoted;
        if (!split_words(line, w, quoted)) {
            error(lineno, "text without its closing quote");
            continue;
        }
        if (w.empty() || (!quoted[0] && w[0].starts_with("#"))) continue;

        if (w[0] == "dialog" && !quoted[0]) {
            if (open) error(header_line, "dialog " + std::to_string(current.id) + " has no \"end\"");
            current = DialogTemplate{};
            header_line = lineno;
            current_ok = true;
            control_ids.clear();
            open = true;
            current.source = std::string(name) + ":" + std::to_string(lineno);
            if (w.size() != 7 || !quoted[2]) {
                error(lineno, "expected: dialog ID \"CAPTION\" X Y WIDTH HEIGHT");
                continue;
            }
            bool ok = to_int(w[1], current.id) && to_int(w[3], current.x) && to_int(w[4], current.y) &&
                      to_int(w[5], current.width) && to_int(w[6], current.height);
            current.caption = w[2];
            if (!ok) error(lineno, "dialog id and frame must be whole numbers");
            else if (current.width <= 0 || current.height <= 0) error(lineno, "dialog size must be positive");
            continue;
        }
        if (w[0] == "end" && !quoted[0]) {
            if (!open) {
                error(lineno, "\"end\" without a dialog");
                continue;
            }
            open = false;
            if (!current_ok) continue;
            if (library.dialogs.count(current.id)) {
                error(lineno, "dialog " + std::to_string(current.id) + " defined twice (first at " +
                                  library.dialogs[current.id].source + ")");
                continue;
            }
            library.dialogs[current.id] = current;
            continue;
        }
        if (!open) {
            error(lineno, "\"" + w[0] + "\" outside a dialog");
            continue;
        }
        auto kind = std::find_if(kinds().begin(), kinds().end(),
                                 [&](const KindInfo& k) { return !quoted[0] && k.name == w[0]; });
        if (kind == kinds().end()) {
            error(lineno, "unknown control kind \"" + w[0] + "\"");
            continue;
        }
        if (w.size() < 7 || !quoted[2]) {
            error(lineno, "expected: " + std::string(kind->name) + " ID \"TEXT\" X Y WIDTH HEIGHT [STYLES]");
            continue;
        }
        ControlTemplate c;
        c.kind = kind->kind;
        c.text = w[2];
        if (!to_int(w[1], c.id) || !to_int(w[3], c.x) || !to_int(w[4], c.y) || !to_int(w[5], c.width) ||
            !to_int(w[6], c.height)) {
            error(lineno, "control id and position must be whole numbers");
            continue;
        }
        if (c.width < 0 || c.height < 0) {
            error(lineno, "control size must not be negative");
            continue;
        }
        bool styles_ok = true;
        for (size_t k = 7; k < w.size(); ++k) {
            if (quoted[k] || std::find(kind->styles.begin(), kind->styles.end(), w[k]) == kind->styles.end()) {
                error(lineno, "style \"" + w[k] + "\" does not apply to " + std::string(kind->name));
                styles_ok = false;
                continue;
            }
            c.styles.push_back(w[k]);
        }
        if (!styles_ok) continue;
        if (c.id != -1 && !control_ids.insert(c.id).second) {
            error(lineno, "control id " + std::to_string(c.id) + " used twice");
            continue;
        }
        if (c.kind == ControlKind::Button && c.has_style("default")) {
            bool other = std::any_of(current.controls.begin(), current.controls.end(), [](const ControlTemplate& o) {
                return o.kind == ControlKind::Button && o.has_style("default");
            });
            if (other) {
                error(lineno, "a second default button");
                continue;
            }
        }
        current.controls.push_back(std::move(c));
    }
    if (open) error(header_line, "dialog " + std::to_string(current.id) + " has no \"end\"");
}

DialogLibrary load_dialog_folder(const std::string& folder, std::vector<std::string>& errors)
{
    namespace fs = std::filesystem;
    DialogLibrary library;
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".dlg") files.push_back(it->path());
    if (ec) {
        errors.push_back(folder + ": " + ec.message());
        return library;
    }
    std::sort(files.begin(), files.end());
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        if (!in) {
            errors.push_back(f.string() + ": cannot be read");
            continue;
        }
        std::ostringstream text;
        text << in.rdbuf();
        parse_dialog_templates(text.str(), f.filename().string(), library, errors);
    }
    return library;
}

} // namespace meru::platform
