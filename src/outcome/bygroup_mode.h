#pragma once
// The Y menu's by-group mode (the choice of groups through the by-group dialog,
// the cap on their number and their list in the log) and the walk over the
// groups that the distribution and scatter-plot modes run: the quit note of each
// group, its label and the mask of its observations. No Qt here.
#include "outcome/bygroup.h"
#include "outcome/mode_dialogs.h"
#include "outcome/sp4.h"

#include <span>
#include <string>
#include <vector>

namespace meru::outcome {

struct Outcome;

// What the by-group mode reads besides the by-group dialog's inputs.
struct ByGroupRequest {
    bool split = false;            // a training/test split is in force
    bool yserial = false;          // several Ys analysed in serial mode
    bool* strategy_tree = nullptr; // the Strategy dialog's Tree flag (cleared here)
    std::span<const char> varischar;
};

// The by-group mode of the Y menu. It never abandons the request.
void bygroup_mode(ByGroup& by, const Sp4Input& in, const ByGroupRequest& req, ModeDialogs& dialogs, Services& sv,
                  io::LogWriter& log);

// The label of group g (from 1) shown by both the list and the walk: the
// variable's name and "=" with its value (its character for a character
// variable, "missing" for a negative one), or the label of the group's
// attribute. `label` gets the group's label (28 characters, blanks collapsed).
struct GroupText {
    std::string line;    // " By-group   g: NAME    =value" as composed
    std::string note;    // the walk's note
    std::string label;   // bylabel
    std::string notetxt; // by attribute: the attribute's label, blanks collapsed
    bool missing = false;
};
GroupText group_text(const ByGroup& by, const files::ControlTables& t, bool character, int g);

// Whether the by-group variable holds character codes.
bool by_character(const ByGroup& by, std::span<const char> varischar);

// The walk: steps `by.current` to the next group the user does not skip with
// "Quit by group", writing its note to the log and leaving `by.bylabel` and
// `msgline` on it. False when no group is left. With `missing_groups` false a
// negative group value is composed as a numeric one (the scatter plot's walk).
bool next_group(ByGroup& by, const files::ControlTables& t, std::span<const char> varischar, ModeDialogs& dialogs,
                io::LogWriter& log, std::string& msgline, bool missing_groups = true);

// The observations of group g (from 1): `obsmask` (all when empty) with those
// outside the group switched off. By value, an observation whose value differs
// from the group's value; by attribute, one whose byte of the group's attribute
// is 0. One flag per observation, n of them.
std::vector<char> group_mask(const ByGroup& by, const files::ControlTables& t, const files::DataArrays& data, int n,
                             std::span<const char> obsmask, int g);

} // namespace meru::outcome
