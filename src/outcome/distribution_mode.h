#pragma once
// Y > Distribution: the user picks variables one after another, until Cancel,
// and each is shown in the distribution window with its frequency table in the
// log, once per by-group in by-group mode. The outcome is left as it is: the
// plotted variable is the mode's own. No Qt here.
#include "outcome/bygroup.h"
#include "outcome/mode_dialogs.h"
#include "outcome/outcome.h"

#include <span>
#include <string>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}
namespace meru::stats {
struct Censoring;
}
namespace meru::files {
struct ControlTables;
struct DataArrays;
} // namespace meru::files

namespace meru::outcome {

inline constexpr const char* kPickPrompt = "Pick variable to be plotted:";

struct DistributionContext {
    const files::ControlTables& tables;
    const files::DataArrays& data;
    int nobs = 0;
    std::span<const char> obsmask;   // [i - 1]: observation i is in use (empty: all are)
    std::span<const char> varischar; // [j]: variable j holds character codes
    const Outcome& y;
    ByGroup& bygroup;
    const stats::Censoring* censoring; // the log-rank criterion's censoring (null for other criteria)
    std::string& msgline;
    ModeDialogs& dialogs;
    Services& sv;
    io::LogWriter& log;
};

// Runs the mode; it ends with Cancel (or a missing template), which abandons
// the request: returns true then.
bool distribution_mode(DistributionContext& cx);

} // namespace meru::outcome
