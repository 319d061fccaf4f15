#pragma once
// Dialog templates: the program's dialogs described as data in text files
// (resources/dialogs/*.dlg), parsed here and looked up by dialog id.
//
// File format (one or more dialogs per file; "#" starts a comment line):
//
//   dialog 127 "Query:" 58 20 200 77
//     button 1    "Yes"  20 50 50 14 default
//     button 7    "No"  140 50 50 14
//     static -1   ""     35 10 155 30
//     icon   1001 "quest" 7 14 20 20
//   end
//
// The header line gives the dialog id, its caption and its frame (x, y, width,
// height in dialog units). Each control line gives the kind, the control id, the
// text in double quotes ("" inside a text stands for one quote), the position and
// size in dialog units, then any styles. Kinds and their styles:
//   button    default
//   static    (none)
//   edit      multiline readonly
//   check     (none)
//   radio     group        (a radio marked "group" starts a new group; any other
//                           radio joins the group of the radio before it)
//   list      multi extended sort vscroll notify
//   combo     edit list sort vscroll   (edit: the text can be typed; list: it cannot)
//   scrollbar horizontal vertical
//   group     (none)       (a framed box with a title)
//   icon      (none)       (text names the icon)
// No Qt here: the templates are plain data.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace meru::platform {

enum class ControlKind { Button, Static, Edit, Check, Radio, List, Combo, ScrollBar, Group, Icon };

struct ControlTemplate {
    ControlKind kind = ControlKind::Static;
    int id = -1;
    std::string text;
    int x = 0, y = 0, width = 0, height = 0; // dialog units
    std::vector<std::string> styles;
    bool has_style(std::string_view style) const;
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int x = 0, y = 0, width = 0, height = 0; // dialog units
    std::vector<ControlTemplate> controls;   // in file order
    std::string source;                      // "file:line" of the header, for messages
};

// Every dialog template of one or more files, by dialog id.
struct DialogLibrary {
    std::map<int, DialogTemplate> dialogs;
    const DialogTemplate* find(int id) const;
};

// Parses the text of one template file into `library`. Each error (unknown kind or
// style, bad number, unterminated text, missing "end", a dialog or control id used
// twice) is appended to `errors` as "NAME:LINE: what"; a dialog with errors is not added.
void parse_dialog_templates(std::string_view text, std::string_view name, DialogLibrary& library,
                            std::vector<std::string>& errors);

// Reads every *.dlg file in `folder` (sorted by name). A folder that cannot be read
// is an error; a folder without templates gives an empty library.
DialogLibrary load_dialog_folder(const std::string& folder, std::vector<std::string>& errors);

} // namespace meru::platform
