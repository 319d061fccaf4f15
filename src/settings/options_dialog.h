#pragma once
// The Options dialog (dialog 108): the program-wide option flags. On OK the
// flags are stored and written to the log as the "%Options" block; the caller
// then saves the options line in the preferences file.
#include "settings/form.h"
#include "settings/options.h"

#include <string>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::settings {

namespace options_ids {
inline constexpr int kDialog = 108;
inline constexpr int kFullred = 1003;   // "Full Boolean reduction"
inline constexpr int kPrimattr = 1004;  // "Attributes are primitive"
inline constexpr int kTiedlast = 1005;  // "Tied partitions: use last found"
inline constexpr int kDetailout = 1010; // "Detailed output"
inline constexpr int kSkipset = 1007;   // radio "Skip if missing in attribute set"
inline constexpr int kSkipcomb = 1008;  // radio "Skip if any missing in combination"
inline constexpr int kSkipNone = 1009;  // radio kSkipNoneText: neither flag set
inline constexpr int kTurbo = 3010;     // "Turbo data compression  on"
inline constexpr int kDispgraph = 3011; // "Display graphics while searching"
inline constexpr int kShowtip = 3012;   // "Show Tip of Day"
} // namespace options_ids

// With neither skip flag set an observation counts wherever the partition puts
// it: only one it leaves in neither A nor A- is skipped. The group's third button
// shows that setting, and the log names it.
inline constexpr const char* kSkipNoneText = "Skip only if in neither A nor A-";

// Shows the dialog until its entries are accepted; true when they were (the
// caller rewrites the preferences file), false for Cancel or a missing template.
bool optdlg(Options& options, FormDialog& dialog, Services& services, io::LogWriter& log);

// The options a search names in the log because they decide its sample or its
// result: how observations missing an attribute are skipped, and the Boolean
// reduction rule when one of the two is on. Tied partitions steer no search,
// Turbo groups observations without changing a result (and says when it is
// used), and the others change only what is shown.
std::vector<std::string> options_in_force(const Options& options);

} // namespace meru::settings
