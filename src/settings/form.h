#pragma once
// A settings dialog as plain data: the texts, check states and list contents of
// its controls by control id. The settings routines fill a Form, let a FormDialog
// show it, read the user's entries back from it and check them; so the checks are
// plain code that tests drive with a scripted FormDialog. No Qt here.
#include <map>
#include <string>
#include <vector>

namespace meru::settings {

struct Form {
    std::map<int, std::string> text;               // statics and edits
    std::map<int, bool> on;                        // check boxes and radio buttons
    std::map<int, std::vector<std::string>> items; // list boxes: their items
    std::map<int, std::string> choice;             // list boxes: the selected item's text
    std::map<int, std::vector<bool>> picked;       // multi-select lists: item j+1 selected at [j]
    // A static that reads a list's selection while the dialog is shown, from the
    // choice it opens with to each item the user picks: the static's id and its
    // prefix, by list id (the static reads prefix + item).
    std::map<int, std::pair<int, std::string>> captions;

    bool is_on(int id) const
    {
        const auto it = on.find(id);
        return it != on.end() && it->second;
    }
};

// Closing ids common to the settings dialogs.
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kHelp = 3;
inline constexpr int kMissing = -1; // the template could not be loaded

class FormDialog {
public:
    virtual ~FormDialog() = default;
    // Shows dialog `id` filled from `form` and waits; returns the id of the control
    // that closed it, or kMissing, with the user's entries in `form`.
    virtual int run(int id, Form& form) = 0;
};

} // namespace meru::settings
