#pragma once
// The discrete-Y dialog's logic: how a Y with 3 to 5 categories is treated (as a
// number, nominal or ordinal fragments), in which order its categories stand, and
// whether the analysis runs descending. No Qt here.
#include "outcome/ydialogs.h"

#include <string>
#include <string_view>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::outcome {

struct DiscreteChoice {
    std::vector<int> first;      // the category codes, ascending
    std::vector<long long> freq; // weighted frequency of each, in the order of `first`
    std::vector<int> order;      // the current order (in and out)
    std::string name;            // the Y variable's name
    bool ordinal = true;         // Ordinal Fragment (in and out)
    bool nominal = false;        // Nominal Fragment (in and out)
    bool descending = false;     // Descending analysis (in and out)
};

// One code character per code, each right-aligned in 3 columns.
std::string order_text(const std::vector<int>& codes);
// The frequencies of the categories in `order`, each in 6 columns, blank runs collapsed.
std::string frequency_text(const DiscreteChoice& c, const std::vector<int>& order);

// Reads a typed order: the first character of each of n items separated by blanks
// or commas, as codes. False when fewer than n items can be read.
bool read_order(std::string_view text, std::size_t n, std::vector<int>& codes);
// True when `codes` holds every category code exactly once.
bool is_permutation_of(const std::vector<int>& codes, const std::vector<int>& categories);

// Shows the dialog until OK or Cancel and writes the choice to the log. Returns
// false when cancelled (or the template is missing: "Error: dialog box discrete
// not found" in the log); `msgline` receives the help topic when Help is used.
bool discrete(DiscreteChoice& c, YDialogs& dialogs, Services& sv, io::LogWriter& log, std::string& msgline);

} // namespace meru::outcome
