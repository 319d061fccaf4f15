#pragma once
// The choice of a partition from the best at each complexity (dialog 113): one
// line per complexity with its penalised effectiveness, "*" at the optimum and
// "+" at every hull point; the optimum taken without the dialog during Search:Go!
// or when it is the entry asked for; and the range of beta over which a chosen
// hull point is optimal.
#include "search/hull.h"
#include "settings/form.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::settings {

namespace bestdlg_ids {
inline constexpr int kDialog = 113;
inline constexpr int kList = 1003;
inline constexpr int kHeading = 1004;
inline constexpr int kBeta = 1005;
} // namespace bestdlg_ids

inline constexpr const char* kBestHeading =
    "Best at each complexity. G is effectiveness. *=optimal, +=point on hull.  Penalised with beta=";

// The dialog's lines: "iii. G_beta=" G - c * beta (13 columns, 6 decimals) " at c=" cc,
// or "iii. G_beta= unknown      at c=" cc for an empty entry, padded to 40 columns
// with "*" in column 39 for the optimum (1-based entry) and "+" in column 40 for
// each entry on the hull.
std::vector<std::string> best_lines(std::span<const search::StoredPartition> entries, const search::Hull& hull,
                                    int optimum, double beta);

// The range of beta over which hull position `h` is optimal: from the slope to
// the next hull point (0 when none) to the slope from the previous one.
struct BetaRange {
    double lower = 0;
    double upper = 0;
};
BetaRange beta_range(const search::Hull& hull, int h);
std::string beta_range_line(int complexity, const BetaRange& range);

struct BestChoiceInput {
    std::span<const search::StoredPartition> entries;
    const search::Hull* hull = nullptr;
    int optimum = 0; // 1-based entry; 0 none
    double beta = 0;
    bool in_go = false; // Search:Go! is running
    int asked = 0;      // the entry asked for (in and out: the chosen one)
};

struct BestChoice {
    bool cancelled = false;
    int entry = 0; // 1-based
    const search::StoredPartition* chosen = nullptr;
};

// Takes the optimum silently during Search:Go! or when it is the entry asked for;
// otherwise shows the dialog until OK with a line selected, or Cancel.
BestChoice bestdlg(const BestChoiceInput& in, FormDialog& dialog, io::LogWriter& log);

} // namespace meru::settings
