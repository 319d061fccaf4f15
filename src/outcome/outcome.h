#pragma once
// The Outcome description: which variables are Y, what each Y looks like (range,
// levels, binary or not), how several Ys are analysed, and the discrete Y with its
// categories. Plain struct, owned by the open analysis (File:Open replaces it with
// the analysis) and passed by reference; every later stage reads it. The Y values
// themselves are the analysis's `ymat`. No Qt here.
#include <array>
#include <string>
#include <vector>

namespace meru::outcome {

inline constexpr int kMaxYs = 5;        // Ys of one outcome
inline constexpr int kMaxLevels = 5;    // categories of a discrete Y offered for fragmentation
inline constexpr int kMaxCharCats = 36; // category codes of a character Y
inline constexpr int kY1Values = 10;    // distinct values of Y 1 kept in y1vals
inline constexpr int kNoPartition = -1; // yaddatt of an indicator for which no partition was kept

// The summary of a discrete Y kept while its indicator Ys stand in for it.
struct CategorySave {
    int ncat = 0; // categories
    double ymax = 0, ymin = 0;
    bool ybin = false;
    double yhigh = 0, ylow = 0;
    bool ynonint = false;
};

struct Outcome {
    int ny = 1;                                  // number of Ys, 1 to 5
    std::array<std::string, kMaxYs> yname;       // names (at most 20 characters)
    std::array<int, kMaxYs> ycol{1, 0, 0, 0, 0}; // data column of each Y (indicator Ys repeat theirs)
    bool yallbin = false;                        // every Y is binary
    std::array<bool, kMaxYs> ybin{};             // Y k is binary

    // Per-Y tables, written by the per-Y summary.
    std::array<double, kMaxYs> ymin{};     // smallest non-missing value (1e30 when none)
    std::array<double, kMaxYs> ymax{};     // largest non-missing value (0 when none)
    std::array<double, kMaxYs> yvar{};     // weighted population variance
    std::array<int, kMaxYs> ylev{};        // distinct non-missing values
    std::array<double, kMaxYs> ylow{};     // lowest distinct non-missing value
    std::array<double, kMaxYs> yhigh{};    // highest one; for a binary Y its second value
    std::array<long long, kMaxYs> ymode{}; // largest weighted count of one non-missing value
    std::array<bool, kMaxYs> ynonint{};    // some non-missing value is not whole
    double ymean = 0;                      // weighted mean of the last Y summarised
    bool yunique = false;                  // the last Y has as many distinct values as its weight

    std::vector<int> ycats;                  // category codes of a character Y (at most 36)
    std::vector<double> y1vals;              // the first ten distinct non-missing values of Y 1
    std::array<int, kMaxLevels + 1> ycode{}; // value of each level of a discrete Y, in the chosen order
    int ncat = 0;                            // levels of the discrete Y (0 when there is none)
    std::string ydname;                      // the discrete Y's name (8 characters)
    CategorySave ycatsave;
    std::array<int, kMaxYs> yattr{}; // attributes chosen as Ys (0 past the last)

    // Flags of the outcome.
    bool yenabled = false;  // a Y has been confirmed
    bool yfromatt = false;  // the Y values are attribute bytes of the Y variable
    bool yserial = false;   // several Ys analysed one after another
    bool yordforce = false; // an ordinal analysis was asked for
    bool ynomforce = false; // a nominal analysis was asked for
    bool yordind = false;   // the Ys are the ordinal indicators of one discrete Y
    bool ynomind = false;   // the Ys are the nominal indicators of one discrete Y
    bool ydesc = false;     // Descending analysis was chosen in the discrete-Y dialog
    bool yascend = true;    // the category analysis runs ascending
    bool ydescend = false;  // ... or descending

    // The serial searches of an ordinal or nominal analysis record here the added
    // attribute holding each indicator's partition (kNoPartition when none was kept:
    // it holds no observation); the predicted category goes to the "^" variable `hatvar`.
    std::array<int, kMaxYs> yaddatt{};
    int hatvar = 0;
    bool ydisc = false;    // the current Y can be treated as categorical
    std::string defyname;  // the current Y's variable: the first variable until a Y is confirmed
    bool yabandon = false; // the last call of the Y menu was cancelled or refused

    // Several Ys analysed one after another, each as if it were the only one.
    bool serial() const { return ny > 1 && yserial; }

    // The scatter plot's variables and the request to open it without its dialog.
    int scatx = 1;
    int scaty = 0;
    bool direct_scatter = false;
};

// The outcome as an analysis starts it: the first variable as the only Y, not
// yet confirmed.
inline Outcome first_variable_outcome(const std::string& first_name)
{
    Outcome y;
    y.yname[0] = first_name;
    y.defyname = first_name;
    return y;
}

} // namespace meru::outcome
