#pragma once
// Recording the censoring choice of the log-rank criterion, once the user has
// picked the censoring attribute (or none), with its log lines.
#include "core/notices.h"
#include "stats/censoring.h"
#include "stats/membership_kernels.h"

#include <string>
#include <string_view>

namespace meru::io {
class LogWriter;
}

namespace meru::stats {

// What the attribute picker returned.
struct CensoringChoice {
    int attribute = 0;        // 0: nothing chosen (no censoring)
    int side = 1;             // label (1 or 2) that describes the censored side
    std::string name;         // the attribute's variable name (8 characters are used)
    std::string chosen_label; // label of the chosen side (20 characters are used)
    std::string other_label;  // label of the other side
};

// The 28-character text of one side: the name in 8 characters followed by the label
// in 20, "$" dropped and runs of blanks collapsed, cut to 28 characters.
std::string censoring_side_text(std::string_view name, std::string_view label);

// Applies the choice to `censoring`: no attribute switches censoring off (attribute
// 1) and writes "No censoring"; an attribute switches it on and writes
// "Censor attribute : " with the chosen side's text. Unless `kept` (the attribute
// already in force was kept and only its texts are rebuilt), the censored share of
// `base` (observation weights and the base selection) is then told by `censpct`.
// Returns the log-rank incidence mode (the criterion Log-rank with censoring in force) and,
// when it is on, writes "Log-rank - incidence rates will be calculated" (behind
// the note, in `told`).
bool apply_censoring_choice(const CensoringChoice& choice, bool kept, Criterion criterion, const SampleView& base,
                            std::string_view yname, Censoring& censoring, Notices& told, io::LogWriter& log);

} // namespace meru::stats
