#pragma once
// The third variable Z of the scatter plot: the dialog that chooses a rotating
// three-dimensional view, symbol sizes by Z, or points distinguished by one
// attribute, with the checks that the choices fit together. No Qt here.
#include "outcome/scatter_dialogs.h"

#include <span>
#include <string>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}
namespace meru::files {
struct ControlTables;
}

namespace meru::outcome {

// The Z choices the scatter plot keeps.
struct ZChoice {
    bool rotate = false, size = false, distinguish = false;
    int zvar = 0;      // the Z variable (0 when neither rotate nor size)
    std::string zname; // its name
    int attribute = 0; // the distinguishing attribute
    int value = 1;     // the attribute byte that marks the chosen group
    bool cancelled = false;
    bool none = false; // OK with no box ticked (counts as cancelled)
};

// One item of the attribute list: the squeezed " NAME" + label, and its attribute.
struct ZAttribute {
    std::string label;
    int attribute = 0;
};

// The attributes of the lines in `attset` (line 1, which makes none, passed over).
std::vector<ZAttribute> z_attributes(const files::ControlTables& t, std::span<const int> attset);

// Shows the dialog until it is accepted or cancelled, with the conflict messages
// (each in a box and in the log). Unticking all three boxes counts as Cancel.
// A cancelled choice (and a missing template, which writes its error line)
// leaves the three flags off.
void thirdz(ZChoice& z, const std::vector<std::string>& varnames, const std::vector<ZAttribute>& attributes,
            ScatterDialogs& dialogs, Services& sv, io::LogWriter& log);

} // namespace meru::outcome
