#pragma once
// Y > Transform: the Transform dialog, shown until a new variable is made or the
// user cancels, and the attribute offered for a 0/1 result. No Qt here.
#include "outcome/mode_dialogs.h"

#include <string>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
class RandomStream;
} // namespace meru::io
namespace meru::files {
struct ControlTables;
struct DataArrays;
} // namespace meru::files

namespace meru::outcome {

struct TransformContext {
    files::ControlTables& tables;
    files::DataArrays& data;
    int nobs = 0;
    std::vector<char>& varischar;
    std::string& name; // the new variable's name, kept from one opening to the next
    io::RandomStream& rng;
    ModeDialogs& dialogs;
    Services& sv;
    io::LogWriter& log;
};

struct TransformDone {
    bool made = false; // false: cancelled, the template missing or no room
    int code = 0;      // the transform applied (1..12)
    int var = 0;       // the new variable
};

// One opening of the Transform dialog.
TransformDone ytransdlg(TransformContext& cx);

// The Y menu's Transform mode: the dialog, then for a 0/1 result the question
// "?Binary transformation. Create attibute?" and the attribute with its line.
// Returns true when the request is abandoned (cancelled).
bool transform_mode(TransformContext& cx);

} // namespace meru::outcome
