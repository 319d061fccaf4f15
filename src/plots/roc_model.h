#pragma once
// Pure models of the ROC and QROC curves of an attribute line against a binary Y:
// the operating point of each cut read from its count table, the area under the
// curve and its standard error, the quality indices of each cut, and the Y column
// mapped onto the count table's classes 0 and 1. No drawing here: the windows in
// roc_window.cpp and qroc_window.cpp draw what these functions compute.
#include "stats/count_table.h"
#include "stats/membership_kernels.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace meru::plots {

// Y classes scanned for the two classes of a binary outcome.
inline constexpr int kRocClasses = 36;

// The first two nonempty Y classes of a cut's count table (classes 0..35 in order,
// a class counting when members plus non-members is not 0).
struct ClassPair {
    bool ok = false;        // both classes found
    std::int64_t n0 = 0;    // total of the first class
    std::int64_t n1 = 0;    // total of the second class
    std::int64_t m0 = 0;    // members of the first class
    std::int64_t m1 = 0;    // members of the second class
    std::int64_t total = 0; // total of every nonempty class
    double fpr() const;     // m0 / n0 (0 when the class is missing)
    double sens() const;    // m1 / n1 (0 when the class is missing)
};
ClassPair class_pair(const stats::CountTable& t);

// A binary Y column with its two values `ylow` and `yhigh` turned into classes 0
// and 1, so a Y coded 0/100 (or 1/2) lands in the count table like one coded
// 0/1. Missing values (negative or NaN) stay -1; any other value becomes -1 too.
std::vector<float> binary_classes(std::span<const float> y, float ylow, float yhigh);

// The count table of each cut of an attribute line: cut j (1-based) is attribute
// first + j - 1, taken in its positive direction (the literal is the attribute
// times its sign byte). `s.y` holds the classes of binary_classes.
std::vector<stats::CountTable> cut_tables(const stats::SampleView& s, std::span<const std::int8_t> signbyte,
                                          int first, int ncuts, bool skip);

// The points of one ROC curve: entries 0..n+1, entries 1..n for the cuts and
// entries 0 and n+1 the end points (0, 0) and (1, 1) in the curve's direction.
struct RocCurve {
    bool evaluable = false; // every cut has both classes
    bool rising = false;    // sensitivity(n) >= sensitivity(1) and FPR(n) > FPR(1)
    std::vector<double> sens, fpr, specificity;
    std::int64_t n0 = 0, n1 = 0; // class sizes at the last cut
    int ncuts() const { return static_cast<int>(sens.size()) - 2; }
};
RocCurve roc_points(std::span<const stats::CountTable> tables);

// Area under the curve through the operating points sorted by FPR (ties by
// sensitivity) from (0, 0) to (1, 1): in [0, 1] whatever the order of the cuts, the
// same for a curve and its reverse, and the Mann-Whitney statistic of the binned
// score when the cuts are nested.
double roc_area(std::span<const double> fpr, std::span<const double> sens);
double roc_area(const RocCurve& c);

// Hanley-McNeil standard error of an area `a` with n1 cases and n0 controls; none
// when a class is empty, the area lies outside [0, 1] or the variance is negative.
std::optional<double> auc_se(double a, std::int64_t n1, std::int64_t n0);

// The shape notes: every point on or below the diagonal; a zigzag (a step against
// the curve's direction) over entries 0..n.
bool below_diagonal(const RocCurve& c);
bool zigzag(const RocCurve& c);

// "          AUC% (SE%) " with AUC x 100 in F5.1 and "(" SE x 100 in F5.2 ")",
// the SE field "  n/a" when there is none.
std::string auc_log_line(double a, std::optional<double> se);
// The line beside the plot: name (A8), AUC% (F5.1), " (", SE% (F5.2 or "  n/a"), ")".
std::string auc_side_line(const std::string& name, double a, std::optional<double> se);
// A cut's line of the log table: blank, label (A20), 5 blanks, F6.3, 6 blanks, F6.3.
std::string cut_table_line(const std::string& label, double v1, double v2);

// Quality indices of one cut: Q = positives / N over every nonempty class,
// QI(1) = (Se - Q) / (1 - Q), QI(0) = (Q - FPR) / Q, each division 0 when its
// divisor is 0 (so Q = 0 or 1 gives (0, 0)).
struct QrocPoint {
    double qi0 = 0, qi1 = 0, level = 0;
};
QrocPoint qroc_point(const ClassPair& p);

// QROC curve: entries 0..n+1, entries 0 and n+1 both (0, 0); evaluable as the ROC.
struct QrocCurve {
    bool evaluable = false;
    std::vector<double> x, y; // QI(0), QI(1)
};
QrocCurve qroc_points(std::span<const stats::CountTable> tables);

// Index (1-based) of the first largest value, 0 for no values.
int best_cut(std::span<const double> values);
// The cuts (1-based) that get a label: all up to five, else the first, the last
// and `best` (when it is a cut), in increasing order without repeats.
std::vector<int> labelled_cuts(int ncuts, int best);

} // namespace meru::plots
