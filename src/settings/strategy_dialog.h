#pragma once
// The Strategy dialog (dialog 106): iterative mode, X constraints, forcing,
// positivity, tree analysis, Top m attributes and the iteration limit.
#include "settings/form.h"
#include "settings/strategy.h"

#include <optional>
#include <string>
#include <string_view>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::settings {

namespace strategy_ids {
inline constexpr int kDialog = 106;
inline constexpr int kConstrainx = 1001; // "Constrain X space"
inline constexpr int kForcein = 1002;    // "Force in attribute"
inline constexpr int kIterative = 1005;  // "Iterative mode"
inline constexpr int kTree = 1007;       // "Tree "
inline constexpr int kDecidepos = 1669;  // "Decide positivity"
inline constexpr int kTopm = 1063;       // edit "Top m attributes:"
inline constexpr int kExtent = 1064;     // button "Set Extent Parameters"
inline constexpr int kMaxiter = 1065;    // edit "Maximum iterations"
inline constexpr int kNote = 1067;       // static: why the dialog is shown again
} // namespace strategy_ids

struct StrategyResult {
    bool cancelled = false;
    bool wantextent = false;     // closed with "Set Extent Parameters"
    bool bygroup_undone = false; // the user ended by-group mode for the tree
};

// Shows the dialog until its entries are accepted, then logs the settings in
// force. Cancel gives back the settings as they were when the dialog was
// opened, whatever earlier showings read or changed. `bygroup` is cleared when
// the user agrees to undo by-group mode; `nattr` is the largest Top m.
StrategyResult stratdlg(StrategySettings& s, bool& bygroup, bool serialy, int nattr, FormDialog& dialog,
                        Services& services, io::LogWriter& log);

// What the dialog says when a tree has turned boxes off and it is shown again:
// the boxes `before` had on that `after` has off; empty when none.
std::string tree_note(const StrategySettings& before, const StrategySettings& after);

// An integer in a fixed field of `width` characters: blanks are ignored and a
// blank field is 0; nothing when the field holds anything but a signed number.
std::optional<long long> read_int_field(std::string_view text, int width);

} // namespace meru::settings
