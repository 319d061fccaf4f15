#pragma once
// The scatter plot of two variables in the Y plots window: the choice of X and Y,
// the plot with its button bar (missing values, swap, symbol size, third variable
// Z, density, jitter, box plots and frequency circles), the level table, box
// quartiles, cross-tabs and correlation in the log. Reached from the Y menu, or
// directly (box mode on, no dialog) after an ordinal or nominal analysis.
#include "outcome/outcome.h"
#include "outcome/scatter_dialogs.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace meru {
class Services;
}
namespace meru::files {
struct ControlTables;
struct DataArrays;
} // namespace meru::files
namespace meru::ui {
struct Context;
}

namespace meru::outcome {

struct ByGroup;
class ModeDialogs;

// What the rotating X, Y, Z plot is handed when the Z dialog asks for it.
struct RotateRequest {
    int xvar = 0, yvar = 0, zvar = 0;
    std::string xname, yname, zname;
    bool zchar = false;
    bool both_discrete = false;
    bool density = false; // in and out: the plot's Dense state comes back here
};

struct ScatterContext {
    ui::Context& ui;
    Services& sv;
    ScatterDialogs& dialogs;
    const files::ControlTables& tables;
    const files::DataArrays& data;
    int nobs = 0;                    // N
    std::span<const char> mask;      // [i - 1]: observation i selected (empty: all)
    std::span<const char> varischar; // [j]: variable j holds character codes
    Outcome& y;                      // scatx, scaty and the direct request
    std::string& msgline;
    std::vector<int> attset;                      // attribute lines the Z dialog lists
    bool bymode = false;                          // by-group mode: the current group only
    std::span<const char> group;                  // [i - 1]: in the current group
    std::string bylabel;                          // its label
    std::function<void(RotateRequest&)> rotate3d; // the rotating plot (may be empty)
    double xmean = 0;                             // out: mean of X over the correlation's points
};

// Runs the scatter mode until Cancel in the dialog or Esc in a direct plot.
// True when the Y menu is to report the call as abandoned (Esc in a direct plot
// outside by-group mode).
bool scatter(ScatterContext& cx);

// The scatter mode once for each by-group the user does not skip at its note,
// on that group's observations with its label. True: the walk is over and the
// Y menu reports the call as abandoned.
bool scatter_by_groups(ScatterContext& cx, ByGroup& by, ModeDialogs& dialogs);

} // namespace meru::outcome
