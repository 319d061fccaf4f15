#pragma once
// The numbers behind the scatter plot of two variables, apart from any window:
// the scan of each variable (range, missing values, whether it is discrete and
// its levels), the axis ranges, the weighted correlation sums, the per-level
// sums and values of a continuous variable against a discrete one, the box-plot
// geometry, the frequency-circle and Size-by-Z sizes, the density shift and the
// label hit test. No Qt here.
#include "stats/quartiles.h"

#include <array>
#include <optional>
#include <vector>

namespace meru::outcome {

// Whole values 0 to 35 can be levels of a discrete variable.
inline constexpr int kLevelValues = 36;

// One variable as the scan of its values >= 0 finds it.
struct VarScan {
    bool character = false; // codes 0-35: discrete whatever its values
    bool any = false;       // a value >= 0 was seen
    bool discrete = true;   // every value seen is a whole number 0 to 35 (or a code)
    double lo = 1e30, hi = 0;
    std::array<int, kLevelValues> count{}; // observations per whole value
    // Level tables (finish()): level number of each value (0 when it does not
    // occur) and the value of each level (level k at [k - 1]).
    std::array<int, kLevelValues> level{};
    std::vector<int> values;

    // Takes one value; negative values are missing and change nothing.
    void add(double v);
    // Numbers the values that occur 1, 2, ... upward. A variable without any
    // value counts as continuous.
    void finish();
    int nlevels() const { return static_cast<int>(values.size()); }
    bool is_discrete() const { return discrete && any; }
    // Where a value >= 0 is drawn: its level number for a discrete variable.
    double position(double v) const;
    // The level of a value >= 0 of a discrete variable (0 when it has none).
    int level_of(double v) const;
};

struct AxisRange {
    double lo = 0, hi = 1;
};

// The axis of a scanned variable: 0.5 to L + 0.5 for a discrete one; else the
// least value (not below 0) to the greatest, from 0 when they are equal, and 0
// to 1 without any value.
AxisRange axis_range(const VarScan& v);

// Where a missing value is drawn below the axis: lo - f (hi - lo), f = 0.1 for a
// discrete variable, else 0.18 along X and 0.25 along Y.
double missing_position(const AxisRange& r, bool discrete, bool is_x);

// Weighted sums of one cloud of points and its correlation.
struct CorrSums {
    double sxy = 0, sxx = 0, syy = 0, sx = 0, sy = 0, sw = 0;
    void add(double x, double y, double w);
    double xmean() const { return sw != 0 ? sx / sw : 0.0; }
    // r = (Swxy - xbar Swy) / sqrt(P), P = (Swx2 - xbar Swx)(Swy2 - ybar Swy);
    // none unless P > 0.
    std::optional<double> r() const;
};

// The other variable's values of one level of a discrete variable.
struct LevelSums {
    int n = 0;                 // observations
    long long sw = 0, sw2 = 0; // weight, and weight outside the distinguished value
    double swv = 0, swv2 = 0;  // their weighted sums
    std::vector<float> values; // the values, for the box plot
    std::vector<int> weights;  // and their weights
    double mean() const { return sw != 0 ? swv / static_cast<double>(sw) : 0.0; }
    double mean2() const { return sw2 != 0 ? swv2 / static_cast<double>(sw2) : 0.0; }
    stats::Quartiles quartiles() const { return stats::quartiles(values, weights); }
};

// Box half-width when box mode starts: 100 div L, at most 15.
int box_halfwidth(int levels);

// A rectangle in pixels from the plot origin (y grows downward).
struct PixRect {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const PixRect&) const = default;
};

// A box glyph: the white band from whisker end to whisker end, the boxes Q1-Q2
// and (one pixel past Q2)-Q3, the two whiskers one pixel wide and the mean
// marker's centre.
struct BoxGlyph {
    PixRect band, low, high, lower_whisker, upper_whisker;
    int meanx = 0, meany = 0;
};

// The glyph of level k: along Y (upright) for a discrete X, along X for a
// discrete Y; sx, sy the plot's pixels per unit, w the half-width.
BoxGlyph box_glyph(const stats::Quartiles& q, double mean, int k, double sx, double sy, bool discrete_x, int w);

// Frequency circles: k = 28 / (sqrt(M) - 1) times the scale (1 times the scale
// when M <= 1); a count c gets the whole part of max(sqrt(c) k + 0.5, 0),
// at most `largest` pixels.
double circle_factor(double most, double scale);
int circle_size(double count, double factor, int largest);

// Size by Z: the whole part of (size + 1) sqrt(f) - 1, f = (z - zmin) /
// (zmax - zmin) (1 when the range is empty), over Z >= 0; a missing Z gets the
// smallest size; never below 0.
int z_size(double z, double zmin, double zmax, int size);

// The darkening step of overlapping density symbols after a drawing of n
// points: t = (5 - log10 n) 24.5 + 2 (n taken as at least 1), then t 0.3 with
// exactly one discrete variable, else t / (size + 1); at least 1.
int density_shift(double n, bool one_discrete, int size);

// A click at pixel (cx, cy) hits the point at (px, py) when both distances are
// below max(size div 2, 3).
bool label_hit(int px, int py, int cx, int cy, int size);

} // namespace meru::outcome
