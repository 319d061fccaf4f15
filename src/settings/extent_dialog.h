#pragma once
// The Extent dialog (dialog 107): the size vector, "Up to", the side the
// candidates are built as and the float levels of multi-cut attributes.
#include "settings/form.h"
#include "stats/extent.h"

#include <functional>
#include <string>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::settings {

using stats::ExtentSettings;

namespace extent_ids {
inline constexpr int kDialog = 107;
inline constexpr int kSizes = 1000;  // edit: the size vector
inline constexpr int kUpto = 1002;   // check "Up to p_1,..,p_q"
inline constexpr int kBoth = 1004;   // radio "A and A-"
inline constexpr int kAMinus = 1005; // radio "A- only"
inline constexpr int kA = 1006;      // radio "A only"
inline constexpr int kFloat = 8128;  // edit: float levels, one digit
} // namespace extent_ids

struct ExtentInput {
    bool go = false;         // during Search:Go!: check first, show only on a failure
    bool singlecuts = false; // no attribute line has more than one cut
};

// Shows the dialog (or, during Go!, checks the settings) until they are accepted;
// true when they were, false for Cancel (the message line becomes "ESC") or a
// missing template. `prefwrite` rewrites the preferences file.
bool extdlg(ExtentSettings& e, const ExtentInput& in, std::string& msgline, FormDialog& dialog, Services& services,
            io::LogWriter& log, const std::function<void()>& prefwrite);

} // namespace meru::settings
