#pragma once
// The tree's stopping-rules dialog: shows the rules, reads the user's entries and
// shows the dialog again after a refused entry.
#include "settings/form.h"
#include "tree/tree_rules.h"

#include <functional>
#include <string>

namespace meru::mainloop {

namespace tree_rules_ids {
inline constexpr int kDialog = 160;
inline constexpr int kParentMin = 1000;
inline constexpr int kTerminalMin = 1001;
inline constexpr int kCritical = 1002;
inline constexpr int kSameStop = 1003;
inline constexpr const char* kMissingLine = "Error: dialog box 60 not found";
} // namespace tree_rules_ids

// settings::kOk when OK changed `rules` to the entries; settings::kCancel or
// settings::kMissing (no template) leave them. `refuse` shows the note of a
// refused entry before the dialog comes again.
int tree_rules_dialog(settings::FormDialog& dialog, tree::TreeRules& rules,
                      const std::function<void(std::string)>& refuse);

// The log line of the rules a tree is grown by.
std::string tree_rules_line(const tree::TreeRules& rules);

} // namespace meru::mainloop
