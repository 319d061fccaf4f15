#pragma once
// The dialogue of the log-rank criterion's censoring set-up: whether to change
// a censoring attribute already chosen, then the picker for the attribute and
// the side that marks censored observations (Cancel: no censoring).
#include "settings/form.h"
#include "stats/censoring.h"
#include "stats/membership_kernels.h"

#include <string>
#include <string_view>
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

namespace meru::settings {

struct CensoringSetup {
    const files::ControlTables& tables;
    const std::vector<int>& varline;
    int lastvar;
    int icrit;
    const stats::SampleView& base; // observation weights and the base selection
    std::string_view yname;
    std::string& msgline;
};

// Returns the log-rank incidence mode.
bool logrank_setup(const CensoringSetup& in, stats::Censoring& censoring, FormDialog& dialog, Services& services,
                   io::LogWriter& log);

} // namespace meru::settings
