#pragma once
// What the user sees when entering a partition by hand: the Manual partition
// dialog (a partition text, a numbered list of the attributes to add from,
// "Representation of A-" and "Simplify/expand expression") and the Control file
// combination dialog (one of the stored combination lines), on the platform's
// dialog library.
#include <string>
#include <vector>

namespace meru::ui {

struct Context;

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

// The two dialogs as the hand-entry loop (src/mainloop) sees them, so that it
// runs without a window system in tests.
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

class QtPartitionDialogs final : public PartitionDialogs {
public:
    explicit QtPartitionDialogs(Context& ctx) : ctx_(ctx) {}
    int manual(ManualView& view) override;
    int combination(const std::vector<std::string>& lines, std::vector<bool>& selected) override;

private:
    Context& ctx_;
};

} // namespace meru::ui
