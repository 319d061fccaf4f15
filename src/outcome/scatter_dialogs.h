#pragma once
// The scatter plot's two dialogs as its logic sees them: the choice of X and Y
// ("Scatter diagram") and the third variable Z. Each call shows its dialog once
// and returns the id of the control that closed it (kDialogMissing when the
// template cannot be loaded). The program shows them with the platform's dialog
// library (qt_scatter_dialogs.h); tests answer them from a script. No Qt here.
#include "outcome/ydialogs.h"

#include <string>
#include <vector>

namespace meru::outcome {

namespace ids {
inline constexpr int kScatter = 103;
inline constexpr int kScatterY = 1905;
inline constexpr int kScatterX = 1906;

inline constexpr int kThirdZ = 9113;
inline constexpr int kZRotate = 1010;
inline constexpr int kZSize = 1011;
inline constexpr int kZDistinguish = 1009;
inline constexpr int kZVarText = 9115;
inline constexpr int kZVarList = 9114;
inline constexpr int kZAttrText = 9117;
inline constexpr int kZAttrList = 9116;
inline constexpr int kZHelp = 1008;
} // namespace ids

// What the Z dialog shows and the user may change. The highlighted items are
// numbered from 1; 0 when nothing is highlighted.
struct ZView {
    bool rotate = false, size = false, distinguish = false;
    std::vector<std::string> variables;
    std::vector<std::string> attributes;
    std::string variable_text, attribute_text; // the two statics
    int variable = 0, attribute = 0;           // out
};

class ScatterDialogs {
public:
    virtual ~ScatterDialogs() = default;
    // Both lists hold the variable names; y and x (from 1, 0 none) out.
    virtual int scatter(const std::vector<std::string>& names, int& y, int& x) = 0;
    virtual int third(ZView& view) = 0;
};

} // namespace meru::outcome
