#pragma once
// Process > Random: asks in dialog 124 how many random partitions to draw and how
// large the random subgroup A is (mimicking the split sizes of the last search,
// uniform, or a fixed percentage), has them generated (stats::randy) with the
// progress shown, writes the report to the log and hands both distributions to
// the distribution plot.
//
// The dialog and the plot are reached through the abstract interfaces below, so
// the run can be driven without windows (the program's dialog is QtRandomDialog).
#include "stats/random_partitions.h"

#include <span>
#include <string>
#include <string_view>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
class RandomStream;
} // namespace meru::io

namespace meru::ui {

using stats::SplitMode;

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
    std::span<const double> values;  // ascending
    std::span<const long long> freq; // frequency of each value
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

// Runs Process > Random. The search values in.searchg are sorted in place, those
// that are not finite moved behind the others and left out of the run; the
// stream is seeded from in.seed. `msgline` receives the status and the last
// result line.
stats::RandomResult process_random(const stats::RandomInput& in, const stats::CritSettings& crit,
                                   std::string& msgline, io::RandomStream& random, RandomDialog& dialog,
                                   DistributionPlot& plot, Services& services, io::LogWriter& log);

} // namespace meru::ui
