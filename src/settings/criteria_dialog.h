#pragma once
// The Criteria dialog (dialog 109): criterion, complexity measure, beta, gamma,
// priors and costs, checked against the Ys in use. Outside Search:Go! the dialog
// is shown at once; during Go! the stored settings are checked silently and the
// dialog shown only when a check fails. Accepted settings are written to the log.
#include "settings/form.h"
#include "settings/ydescription.h"
#include "stats/criteria.h"

#include <string>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::settings {

namespace criteria_ids {
inline constexpr int kDialog = 109;
inline constexpr int kBeta = 1007;          // edit: beta or "automatic"
inline constexpr int kGamma = 1008;         // edit: gamma
inline constexpr int kCriterionList = 1010; // list: the criteria, in code order
inline constexpr int kComplexity = 1011;    // list: the three complexity measures
inline constexpr int kShownComplexity = 1012;
inline constexpr int kShownCriterion = 1013;
inline constexpr int kHelp = 1016;
inline constexpr int kDataPriors = 1019;  // radio "Data priors"
inline constexpr int kEqualPriors = 1020; // radio "Equal priors"
inline constexpr int kUserPriors = 1021;  // radio "User priors. Enter:"
inline constexpr int kValuesOf = 1022;    // static: "Values of " and the Y name
inline constexpr int kCodes = 1023;       // static: the category codes above the priors
inline constexpr int kPriors = 1024;      // edit: one prior per category
inline constexpr int kSpecifyCosts = 2025;
inline constexpr int kWeighByCosts = 2026;
inline constexpr int kCostA = 2027;      // edit "For A"
inline constexpr int kCostAMinus = 2028; // edit "For A-"
inline constexpr int kCostCodes = 2029;  // static: the category codes above the costs
} // namespace criteria_ids

// The dialog's own texts, kept between calls.
struct CritTexts {
    std::string criterion = "Within MSE";
    std::string complexity = "q + q' - 1";
    std::string beta;
    std::string gamma;
    std::string priors;
    std::string cost_a;
    std::string cost_a_minus;
};

struct CritInput {
    bool go = false;       // during Search:Go!
    bool treemode = false; // the Strategy's tree analysis
};

struct CritResult {
    bool cancelled = false;
    bool missing = false; // the template could not be loaded (cancelled as well)
    bool changed = false; // criterion, beta, gamma or complexity differ from entry
};

CritResult critdlg(stats::CritSettings& c, CritTexts& t, const YDescription& y, const CritInput& in,
                   FormDialog& dialog, Services& services, io::LogWriter& log);

// The log block of accepted settings; asks the multivariate question and sets
// `yweight` where its line stands.
void write_criteria(stats::CritSettings& c, const YDescription& y, const CritInput& in, Services& services,
                    io::LogWriter& log);

} // namespace meru::settings
