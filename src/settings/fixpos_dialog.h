#pragma once
// Fix Positive attributes after a ranking run (mode 2): the automatic rule, then,
// outside Search:Go!, dialog 123 "Rank:Fix Positive attributes" where the user
// swaps or ignores lines by hand, then the closing log.
#include "search/fixpos.h"
#include "settings/form.h"

#include <string>
#include <vector>

namespace meru::settings {

namespace fixpos_ids {
inline constexpr int kDialog = 123;
inline constexpr int kList = 1000;
inline constexpr int kSwap = 1001;
inline constexpr int kIgnore = 1991;
inline constexpr int kAsInCf = 1098;
inline constexpr int kHelpButton = 1097;
inline constexpr int kTop = 65530;
inline constexpr int kBottom = 65535;
} // namespace fixpos_ids

struct FixposDialogInput {
    std::vector<std::string> ynames; // the Ys' names (one or several)
    std::vector<int> lines;          // the ranked lines, in rank order
};

// The dialog's top text for the Ys.
std::string fixpos_heading(const std::vector<std::string>& ynames);

// The dialog's Swap: every highlighted row in list order (an empty row ends the
// pass); special, added and censoring attributes are refused with their
// messages; a line is turned once however many of its cuts are highlighted.
void swap_rows(search::FixposState& s, search::FixposRun& run, const std::vector<search::FixposItem>& items,
               const std::vector<bool>& picked);
// The dialog's Ignore: toggles each highlighted row's line once.
void ignore_rows(search::FixposRun& run, const std::vector<search::FixposItem>& items,
                 const std::vector<bool>& picked);

// Runs mode 2: decides the directions, shows the dialog unless Search:Go! is
// running, and writes the closing log.
void fixpos_mode2(search::FixposState& s, search::FixposRun& run, const FixposDialogInput& in, FormDialog& dialog);

} // namespace meru::settings
