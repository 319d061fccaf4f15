#pragma once
// The attribute picker (dialog 105 "Select attribute "): a list of attribute
// labels from which the user highlights one. The list is built afresh for every
// call from the attribute tables; the loop shows it until an item is chosen or
// the user cancels. Used by the X constraints, the forcing step, the training
// sample and the censoring choice of the log-rank criterion.
#include "settings/form.h"

#include <string>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}
namespace meru::files {
struct ControlTables;
}

namespace meru::settings {

namespace picker_ids {
inline constexpr int kDialog = 105;
inline constexpr int kList = 1007;
inline constexpr int kCaption = 1026;
inline constexpr int kHelp = 1008;
} // namespace picker_ids

inline constexpr int kItemWidth = 40;    // characters of a list item
inline constexpr int kCaptionWidth = 80; // characters of the caption shown

// One line of the list.
struct PickItem {
    std::string text;  // 40 characters
    int attribute = 0; // attribute number
    int side = 0;      // 0: label 1 (the false value), 1: label 2 (the true value)
    int line = 0;      // the attribute's line
    bool tagged = false;
};

// What the list shows: the variables first..last, their attributes through
// `varline` (variable -> attribute line, element 0 unused), the label columns
// lo+1 .. hi+1 (lo, hi each 0 or 1), and the forcing layout in which each
// attribute is listed twice under label 2, the second time tagged.
struct PickRange {
    int first = 1;
    int last = 0;
    int lo = 0;
    int hi = 1;
    bool forcing = false;
};

// Builds the list: per variable whose line is not 1, its line's attributes in
// order, one item per shown column. An item reads " " + squeeze(name + label) in
// 40 characters; with both columns shown the label-2 item starts with "*".
std::vector<PickItem> picker_items(const files::ControlTables& tables, const std::vector<int>& varline,
                                   const PickRange& range);

// The attribute line of each variable (element 0 unused; 1, the null line, for
// a variable without a line of its own), from the lines' variables.
std::vector<int> variable_lines(const files::ControlTables& tables);

// The picker's answer: result 0 when nothing was chosen (Cancel or a missing
// template), else the chosen attribute's line.
struct Pick {
    int attribute = 0;
    int side = 0;
    int result = 0;
};

// Shows the list with `caption` (its first 80 characters) until the user
// chooses: OK with nothing highlighted and Help (which shows `help`) show the
// list again. A missing template writes "Error: dialog box 5 not found".
Pick pick_from(const std::vector<PickItem>& items, const std::string& caption, const std::string& help,
               FormDialog& dialog, Services& services, io::LogWriter& log);

// picker_items and pick_from together.
Pick selattr(const files::ControlTables& tables, const std::vector<int>& varline, const PickRange& range,
             const std::string& caption, const std::string& help, FormDialog& dialog, Services& services,
             io::LogWriter& log);

// name (8 characters) + label (20 characters), "$" dropped, runs of blanks
// collapsed, cut to 28 characters, trailing blanks dropped.
std::string attribute_text(const files::ControlTables& tables, int attribute, int label_column);

} // namespace meru::settings
