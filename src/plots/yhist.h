#pragma once
// The distribution plot window: one sample's density, unique-value bars,
// grouped histogram, distribution function or survival curve, in the
// interactive window (unit 11, "Y:Distribution") with its button bars, or in
// the process window (unit 49, "Process:Distribution") one view per call, a
// second call drawing over the first.
#include "plots/diststats.h"
#include "ui/plotframe.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace meru::ui {
struct Context;
}

namespace meru::plots {

inline constexpr int kDistWindow = 11;
inline constexpr int kProcessDistWindow = 49;
inline constexpr int kDistWidth = 600;
inline constexpr int kDistHeight = 520;
// Colours as 0xBBGGRR.
inline constexpr int kCurveColour = 0x997755;  // red 85, green 119, blue 153
inline constexpr int kSecondColour = 0x0066ff; // red 255, green 102, blue 0
inline constexpr int kBarEdge = 0xaaaaaa;
inline constexpr int kHistogramBinsDialog = 152;

enum class DistView { Density, Counts, Percent, Cdf, Survival };

// The process window's first curve, kept so that it can be drawn again under a
// second curve that needs larger axes.
struct KeptCurve {
    std::vector<double> x;
    std::vector<long long> w;
    std::vector<int> categories;
    std::string name, label, marklabel, group_label;
    long long nobs = 0;
    double lower = 0.0, upper = 0.0, markvalue = 0.0;
    bool mark = false, discrete = false, integer_ticks = false;
};

// What the window keeps between calls; the program owns one.
struct DistWindowState {
    DistView view = DistView::Percent;
    bool gdist = false;        // a distribution of G values
    bool first_display = true; // set when the window is opened
    bool group_next = false;   // the next unique-value bar drawing groups
    double xmin = 0.0, xmax = 1.0;
    double dmax = 0.0;     // largest density of the first curve
    double bar_max = 0.0;  // bar axis maximum of the first curve
    double ylow = 0.0;     // lowest survival axis value of the first curve
    bool censored = false; // the last survival walk met a censored entry
    bool median_found = false;
    int median_px = 0;
    std::vector<ui::PlotPixel> density; // the kept density curve (0 or 500 points)
    std::string entry_title;            // the title of the last Window-menu entry
    std::vector<int> greyed;            // unavailable main-bar buttons
    double bandwidth = 0.0;             // kernel window and bin width; 0 chooses
    BinSetup bins;
    std::optional<KeptCurve> first; // the process window's first curve
    double fit_top = 0.0;           // the bars' axis reaches at least this high ...
    double fit_ylow = 1.0;          // ... the survival axis at least this low
};

// One call's arguments.
struct DistCall {
    std::span<const double> x;    // ascending
    std::span<const long long> w; // weights; below 1 censored
    long long nobs = 0;           // observations, missing included
    std::string title;            // for "...waiting mouse in "; set to "Y:Distribution" when opened
    std::string name;             // x label; a leading "%" marks G values (blanked on opening)
    bool overlay = false;         // in and out: false once the axes were re-set
    bool interactive = true;
    std::string label = "  "; // curve label; "X-" draws X with a bar
    double lower = 0.0, upper = 0.0;
    bool mark = false;
    double markvalue = 0.0;
    std::string marklabel = "mean ";
    bool discrete = false;
    std::span<const int> categories; // the discrete outcome's category values
    bool integer_ticks = false;
    bool open = true;
    std::string group_label; // by-group mode: the current group's label
};

// Runs the window; returns the status: 0, or -1 when all values are missing,
// the user left with Esc, the bins dialog was cancelled or missing, the window
// could not be opened, and at the end of an overlay in a G distribution.
int yhist(ui::Context& ctx, DistWindowState& state, DistCall& call);

} // namespace meru::plots
