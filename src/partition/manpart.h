#pragma once
// What the user sees when entering a partition by hand: the Manual partition
// dialog (a partition text, a numbered list of the attributes to add from,
// "Representation of A-" and "Simplify/expand expression") and the Control file
// combination dialog (one of the stored combination lines). The dialogs
// themselves are behind `PartitionDialogs`, so the loop that runs them (in the
// main routine) runs without a window system (the program's implementation is
// in src/ui).
#include "files/tables.h"
#include "partition/termlist.h"

#include <string>
#include <vector>

namespace meru::partition {

// Control ids of the two dialogs.
namespace manpart_ids {
inline constexpr int kManualDialog = 114;
inline constexpr int kCombinationDialog = 8537;
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kAdd = 1107;
inline constexpr int kClear = 1108;
inline constexpr int kHelp = 1006;
inline constexpr int kText = 1003;
inline constexpr int kExample = 1004;
inline constexpr int kAminus = 1005;
inline constexpr int kSimplify = 1008;
inline constexpr int kListCaption = 1027;
inline constexpr int kList = 1007;
inline constexpr int kComboHelp = 8538;
inline constexpr int kComboCaption = 8536;
inline constexpr int kComboList = 8535;
} // namespace manpart_ids

// A dialog that could not be built from its template.
inline constexpr int kDialogMissing = -1;

// What the Manual partition dialog shows and what the user leaves in it.
struct ManualView {
    std::string text;                 // the edit box
    bool aminus = false;              // "Representation of A- (otherwise represents A)"
    bool simplify = false;            // "Simplify/expand expression"
    std::vector<std::string> entries; // the attribute list
    std::vector<bool> selected;       // selection of each entry
};

class PartitionDialogs {
public:
    virtual ~PartitionDialogs() = default;
    // Shows the Manual partition dialog with `view` and returns the id of the
    // control that closed it (or kDialogMissing), leaving the user's text, check
    // boxes and selection in `view`.
    virtual int manual(ManualView& view) = 0;
    // Shows the Control file combination dialog with the stored lines and returns
    // the closing control's id (or kDialogMissing), with the selection in `selected`.
    virtual int combination(const std::vector<std::string>& lines, std::vector<bool>& selected) = 0;
};

// The attribute list of the Manual partition dialog: one 45-character entry per
// attribute of the listed lines (in list order, then cut order): the attribute
// number in 5 columns, ": ", and the variable name joined to the label of the
// attribute's own side, squeezed to at most 28 characters.
struct AttributeList {
    std::vector<std::string> entries;
    std::vector<int> attribute; // the attribute number of each entry
};
AttributeList attribute_entries(const files::ControlTables& t, const std::vector<int>& linelist);

// Appends " (n)" for every selected entry, in list order, after the text's last
// non-blank column (a blank text gets it from column 1). When an entry does not
// fit the 200 columns it stops there and returns false.
bool add_selected(std::string& text, const std::vector<bool>& selected, const AttributeList& list);

// Per literal of `list`: its attribute line and its cut index within that line.
// False when the attribute of a literal has no line.
bool literal_places(const TermList& list, const files::ControlTables& t, std::vector<int>& litline,
                    std::vector<int>& litcut);

} // namespace meru::partition
