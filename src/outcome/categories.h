#pragma once
// Ordinal and nominal analysis of a discrete Y: the indicator Ys that stand in
// for its levels, the predicted category combined from the partitions the serial
// searches found, and the partition that selects each level. No Qt here.
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meru::outcome {

enum class CategoryKind { ordinal, nominal };

// The code character of a category value ("?" above 35, "-" when negative).
char category_char(int code);

// The NC - 1 indicator names: nominal "{NAME =c}"; ordinal "{NAME >c}" ascending,
// "{NAME <c}" descending, as long as the categories each holds lie above (below)
// the others, else "{NAME =c,d,..}" of the categories it holds (a Re-order); the
// name in 8 columns, runs of blanks collapsed.
std::vector<std::string> indicator_names(CategoryKind kind, bool ascending, std::span<const int> ycode,
                                         std::string_view ydname);

// The two log lines written before the indicators are made.
std::vector<std::string> indicator_log(CategoryKind kind, std::span<const int> ycode, std::string_view ydname);

// Indicator k (1-based) of value v: -1 when v is missing or no category holds it.
// Indicators follow the positions of the categories in `ycode` (the chosen order):
// with p the position of v, ordinal ascending is [p > k], descending
// [p < NC + 1 - k]; nominal ascending [p = k], descending [p = NC + 1 - k].
float indicator_value(CategoryKind kind, bool ascending, std::span<const int> ycode, int k, float v);

// The level (1 .. ny + 1) of one observation from the attribute bytes of the
// indicators' partitions (1 true, 0 false, anything else missing); 0 when missing.
// Ordinal: 1 + the number of true bytes. Nominal: the first true one, ny + 1 when
// none; a missing byte before the first true one makes the level missing.
int category_level(CategoryKind kind, std::span<const int> bytes);

// The category value that level L stands for: ycode(L) ascending, ycode(ny + 2 - L)
// descending; -1 for a missing level.
float level_value(int level, bool descending, std::span<const int> ycode, int ny);

// The name of the variable that holds the predicted category: "^" and the first
// 7 characters of the discrete Y's name.
std::string hat_name(std::string_view ydname);

// Where the predicted category goes: the existing variable of that name when it
// was made by the program (its number above `ndata`, the data file's variables),
// else a new variable nvar + 1. 0 when a new one is needed and there is no room
// (`room` is the number of variables there is space for).
struct HatPlace {
    int var = 0;
    bool created = false;
};
HatPlace hat_place(const std::vector<std::string>& varname, int nvar, int ndata, int room, std::string_view name);

// One level's partition: a single term of signed attribute numbers (negative for
// the complement) with the caption the Partition window and the log show.
// A level that an indicator with no partition (kNoPartition) leaves with no
// observation, or with every observation, says so in its caption after ": ".
struct LevelPartition {
    std::string caption;
    std::vector<int> term;
    bool side_label = false; // headed by the side label A or A-
    bool nobody = false;     // the level is predicted for no observation (empty term)
};

// The partitions of every level, in the order of `ycode`.
// ordparts: level L of the count selects (-a1) for L = 1, (a_ny) for L = ny + 1,
// else (a_(L-1) -a_L). nomparts: (a_k) for each indicator, then the rest.
// `indicators`: the Ys are the fragments of one discrete Y (else the user's own Ys).
std::vector<LevelPartition> ordparts(std::span<const int> yaddatt, std::span<const int> ycode, bool descending,
                                     bool indicators, std::string_view ydname);
std::vector<LevelPartition> nomparts(std::span<const int> yaddatt, std::span<const int> ycode, bool descending,
                                     bool indicators, std::string_view ydname, std::span<const std::string> yname);

} // namespace meru::outcome

namespace meru::files {
struct ControlTables;
struct DataArrays;
struct VariableTable;
} // namespace meru::files

namespace meru::outcome {

struct Outcome;

// ordinaly (ordinal) and nominaly (nominal): stores the predicted category of each
// of the first `nobs` observations in the "^" variable (a missing attribute byte
// gives -1), sets `hatvar`, and returns "NOTE: Ordinal analysis done" or "NOTE:
// Nominal analysis done". A new variable is a character variable when the discrete
// Y's variable is one (`varischar`, indexed by variable). Empty when there is no
// room for a new variable (nothing is written).
std::string store_predicted(CategoryKind kind, Outcome& y, files::VariableTable& vars, files::DataArrays& data,
                            int nobs, int ndata, std::vector<char>& varischar);

// Shows one level's partition in the Partition window and the log; `first` opens
// and clears the window.
using LevelShow = std::function<void(const LevelPartition& part, bool first)>;

// The name of the added attribute that keeps the partition of Y k (1-based) of an
// ordinal or nominal sequence: "+Y" and k, then the first suffix ("", "b", "c",
// ..) under which no attribute line of another sequence is named for any Y, so
// that a repeated analysis does not give its partitions the names of those
// before. `yaddatt` holds this sequence's partitions of the Ys before k.
std::string level_attribute_name(const files::ControlTables& t, std::span<const int> yaddatt, int k);

// What follows the serial search of the last Y of an ordinal (`yordforce`) or
// nominal analysis: the partition of every level through `show`, the predicted
// category in the "^" variable, and the request to show the discrete Y against it
// in the scatter plot (`scatx`, `scaty`, `direct_scatter`). Returns the note of
// store_predicted (empty when there was no room for the variable).
std::string finish_category_analysis(Outcome& y, files::VariableTable& vars, files::DataArrays& data, int nobs,
                                     int ndata, std::vector<char>& varischar, const LevelShow& show);

} // namespace meru::outcome
