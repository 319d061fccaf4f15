#pragma once
// Process > Random: random partitions of the analysis sample as a reference
// distribution for the G values of the last search and for G_test, the G of the
// partition in hand.
//
// The user chooses in dialog 124 how many partitions to draw and how large the
// random subgroup A is (mimicking the split sizes of the last search, uniform, or
// a fixed percentage). Each partition draws exactly s of the W weight units into A
// by selection sampling and is scored by the current criterion. The run logs the
// exceedances of G_test, the empirical upper 5% point, the largest random G and,
// when the last search evaluated m > 10 partitions, the Gumbel and the empirical
// extreme-value P of G_test being the best of m; both distributions go to the
// distribution plot.
//
// The dialog and the plot are reached through the abstract interfaces below, so the
// run needs no window system (the program's dialog is in src/ui).
#include "stats/censoring.h"
#include "stats/criteria.h"
#include "stats/criterion.h"
#include "stats/membership.h"
#include "stats/orders.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
class RandomStream;
} // namespace meru::io

namespace meru::stats {

// Dialog 124 "Random partitions" and its controls.
namespace random_ids {
inline constexpr int kDialog = 124;
inline constexpr int kHeader = 65535; // static: the header line
inline constexpr int kNumber = 1003;  // edit: number of partitions
inline constexpr int kMimic = 1000;   // radio "Mimic split distribution"
inline constexpr int kUniform = 1001; // radio "Random  U(0,1) split distribution"
inline constexpr int kFixed = 1002;   // radio "Fixed % split distribution. Enter %:"
inline constexpr int kPercent = 1004; // edit: the fixed percentage
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kDialogMissing = -1; // the template could not be loaded
} // namespace random_ids

// How the size of the random subgroup A is chosen.
enum class SplitMode { Mimic, Uniform, Fixed };

// What the dialog shows, and what the user leaves in it.
struct RandomDialogView {
    std::string header;           // the header line
    std::string number = "10000"; // number of partitions, read as an integer
    SplitMode mode = SplitMode::Uniform;
    std::string percent; // fixed percentage, read as a number
};

class RandomDialog {
public:
    virtual ~RandomDialog() = default;
    // Shows the dialog with `view`; returns the id of the control that closed it
    // (random_ids::kOk, kCancel) or kDialogMissing, with the user's entries in `view`.
    virtual int run(RandomDialogView& view) = 0;
};

// One series handed to the distribution plot.
struct HistSeries {
    std::span<const double> values; // ascending
    std::span<const int> freq;      // frequency of each value
    std::string title;
    std::string axis;     // "%G" padded to 20 characters
    bool overlay = false; // drawn over the series before
    int style = 0;        // 0 random values, 255 search values
    std::string label;    // "R " random, "G " search values
    double lower = 0.0, upper = 0.0;
    bool last = false;   // the last series of the picture
    double marker = 0.0; // G_test
    std::string marker_label = "Gtest";
};

// The distribution plot, and text in the current graphics window.
class DistributionPlot {
public:
    virtual ~DistributionPlot() = default;
    // Draws one series. `first_call` is true on the first call of a run (the plot may
    // clear it). Returns true once the user has left the plot.
    virtual bool yhist(const HistSeries& series, bool& first_call) = 0;
    // Draws `text` in black with its top left at (x, y) of the current graphics
    // window, in the font selected last.
    virtual void text(int x, int y, std::string_view text) = 0;
};

// What the run works on. Observation i (0-based) is included when mask[i] is set
// and weights[i] > 0; it stands for weights[i] weight units, numbered in
// observation order. A Y value below 0 (or NaN) is missing.
struct RandomInput {
    std::vector<std::span<const float>> y; // one column per Y (at most 5)
    std::span<const int> weights;          // observation weights
    std::span<const std::uint8_t> mask;    // the analysis sample
    AttributeMatrix abyte;                 // for the censoring attribute
    Censoring censoring;
    double g_test = 0.0;              // G of the partition in hand
    long long n_a_minus = 0, n_a = 0; // its side sizes
    std::span<double> searchg;        // G of the last search (sorted here, in place)
    std::span<const int> splithist;   // 100 bins of the last search's A- shares
    long long seed = -1;              // -1 seeds from the clock; > 0 fixes the stream
};

struct RandomResult {
    bool ran = false;           // the dialog was accepted
    int nrand = 0;              // partitions generated
    bool escaped = false;       // stopped by Search:End
    std::vector<double> gs;     // their G, ascending
    long long exceedances = 0;  // G >= G_test
    double upper5 = 0.0;        // empirical upper 5% point
    long long m = 0;            // partitions on the last search
    bool extreme_lines = false; // m > 10: the extreme-value lines were written
    GumbelApprox gumbel;
    int extremes = 0; // block maxima above G_test
    int blocks = 0;   // block maxima filled
};

// G of one partition: the sum over the Ys of G_k times crit.yweight(k), G_k by
// `criterion` over the units of Y >= 0 (in_a[u] != 0: unit u is in A), as its
// random_scoring() says: the between-sides mean square (Within MSE); the
// criterion's score of the units' count table (classes 0..99; a unit of a higher
// class counts in its side but in no cell); log-rank over the units in stored
// order (every unit its own time; a unit whose censoring byte is neither 0 nor 1
// takes no part). A side without units gives G_k = 0; with crit.balanced G_k is
// multiplied by ((n_A/n)(n_A-/n))^gamma.
double random_g(const RandomInput& in, std::span<const std::uint8_t> in_a, const SplitCriterion& criterion,
                const CritSettings& crit);

// Size s of A for one partition of w weight units: Fixed gives `fixed`; Uniform
// int(U w); Mimic draws U and takes the first bin j (1-based) of `splithist` whose
// cumulative share of m exceeds U, s = int((j - 0.5)(w + 1)/100), or w when no bin
// does; without shares (m <= 0) Mimic sizes as Uniform.
long long split_size(SplitMode mode, long long fixed, long long w, long long m, std::span<const int> splithist,
                     io::RandomStream& random);

// Selection sampling: unit u joins A (in_a[u] = 1) when U < (s still to take) /
// (units left), so exactly s units (0 <= s <= in_a.size()) end in A.
void select_units(std::span<std::uint8_t> in_a, long long s, io::RandomStream& random);

// Runs Process > Random. `msgline` receives the status and the last result line.
RandomResult randy(const RandomInput& in, const CritSettings& crit, std::string& msgline, io::RandomStream& random,
                   RandomDialog& dialog, DistributionPlot& plot, Services& services, io::LogWriter& log);

} // namespace meru::stats
