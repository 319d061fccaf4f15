#pragma once
// The dialogs and windows of the Y menu's by-group, distribution and Transform
// modes as their logic sees them. Each dialog call shows its dialog once and
// returns the id of the control that closed it (kDialogMissing when the template
// cannot be loaded), leaving what the user set in the arguments. The program
// shows them with the platform's dialog library (qt_mode_dialogs.h); tests answer
// them from a script and record the plots.
#include "outcome/ydialogs.h"
#include "plots/yhist.h"

#include <string>
#include <vector>

namespace meru::outcome {

namespace ids {
inline constexpr int kByVariable = 15; // "By group analysis variable"
inline constexpr int kByList = 1002;
inline constexpr int kByValue = 1003;
inline constexpr int kByAttribute = 1004;
inline constexpr int kByHelp = 1303;

inline constexpr int kAttributeGroups = 16; // "Attribute groups"
inline constexpr int kGroupList = 1004;

inline constexpr int kDistribution = 139; // "Variable for distribution"
inline constexpr int kDistPrompt = 65535;
inline constexpr int kDistList = 1160;

inline constexpr int kTransform = 137; // "Transform: Create a new variable"
inline constexpr int kY1List = 1374;
inline constexpr int kY2List = 1375;
inline constexpr int kTransformList = 1376;
inline constexpr int kNewName = 1377;
inline constexpr int kValuesText = 1378;
} // namespace ids

// The first by-group dialog: the variables, the two radio buttons and the
// highlighted variable.
struct ByVariableView {
    std::vector<std::string> names;
    bool byvalue = false;
    bool byattribute = true;
    std::vector<bool> selected; // out: one flag per name
};

// The Transform dialog. The selection flags are what the three lists' callbacks
// last recorded: a list the user leaves untouched keeps its flags.
struct TransformView {
    std::vector<std::string> names;      // the Y1 and the Y2 list
    std::vector<std::string> transforms; // the transform list
    std::string name;                    // the new variable's name
    std::string values;                  // the values text
    std::vector<bool> y1, y2, transform; // selection flags
};

// What the modes keep from one call of the Y menu to the next; the program owns it.
struct ModeState {
    plots::DistWindowState dist; // the distribution window
    std::string transform_name;  // the name last entered in the Transform dialog
};

class ModeDialogs {
public:
    virtual ~ModeDialogs() = default;
    virtual int by_variable(ByVariableView& view) = 0;
    virtual int attribute_groups(const std::vector<std::string>& items, std::vector<bool>& selected) = 0;
    // The variable for a distribution: `prompt` in the static text.
    virtual int distribution_variable(const std::string& prompt, const std::vector<std::string>& names,
                                      std::vector<bool>& selected) = 0;
    virtual int transform(TransformView& view) = 0;
    // The quit note of a by-group run: 1 OK, 2 "Quit by group", 4 "Yes to all".
    virtual int quit_note(const std::string& text) = 0;
    // One distribution window; returns its status.
    virtual int distribution_plot(plots::DistCall& call) = 0;
};

} // namespace meru::outcome
