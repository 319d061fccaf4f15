#pragma once
// The three dialogs of the Y menu as the menu's logic sees them: each call shows
// its dialog once with the values given and returns the id of the control that
// closed it (kDialogMissing when the template cannot be loaded), leaving what the
// user set in the arguments. The program shows them with the platform's dialog
// library (qt_ydialogs.h); tests answer them from a script. No Qt here.
#include <string>
#include <vector>

namespace meru::outcome {

inline constexpr int kDialogMissing = -1;
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

// Dialog templates and their controls (resources/dialogs/outcome.dlg).
namespace ids {
inline constexpr int kSelectY = 102;
inline constexpr int kSelectList = 1000;

inline constexpr int kAttributeY = 147;
inline constexpr int kAttributeList = 1000;
inline constexpr int kAttributeHelp = 1097;

inline constexpr int kDiscrete = 148;
inline constexpr int kReverse = 9100;
inline constexpr int kReorder = 9101;
inline constexpr int kOrderText = 9102;
inline constexpr int kNewOrderText = 9103;
inline constexpr int kNoFragment = 9106;
inline constexpr int kNominal = 9107;
inline constexpr int kOrdinal = 9108;
inline constexpr int kDiscreteHelp = 9109;
inline constexpr int kFrequencyText = 9110;
inline constexpr int kVariable = 9112;
inline constexpr int kDescending = 1005;
} // namespace ids

// What the discrete-Y dialog shows and the user may change.
struct DiscreteView {
    std::string variable; // "Variable: " and the name
    bool nofrag = false;  // the three radio buttons
    bool nominal = false;
    bool ordinal = false;
    bool descending = false; // check box
    std::string order;       // the Order text
    std::string neworder;    // the New order text
    std::string frequency;   // the Frequency text
};

class YDialogs {
public:
    virtual ~YDialogs() = default;
    // Select Y: one item per variable name; `selected` (one flag per item) out.
    virtual int select_y(const std::vector<std::string>& names, std::vector<bool>& selected) = 0;
    // Y from attributes: the items (a blank one separates lines); `selected` out.
    virtual int attribute_y(const std::vector<std::string>& items, std::vector<bool>& selected) = 0;
    // The discrete-Y dialog.
    virtual int discrete(DiscreteView& view) = 0;
};

} // namespace meru::outcome
