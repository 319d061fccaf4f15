#pragma once
// Statistics of a partition against a binary outcome: the 2x2 table of the first
// two Y classes present, odds ratio and relative risk, Wilson intervals, the
// quality indices QI(1), QI(0) and QI(r), the Bayes odds ratio, the Brier score,
// Cohen's kappa of a 2x2 table, the pooled by-group sums and the frequency table.
//
// Count tables have the layout of the evaluation count table: one pair per class
// value from 0, (count in A-, count in A), so the pair of class j is
// table[2 * j], table[2 * j + 1].
#include "stats/criteria.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meru::stats {

// Classes scanned for the 2x2 table (class values 0..36).
inline constexpr int kScan2x2Classes = 37;

// A is read as the predicted positives, the first class present (Y0) as the
// negative and the second (Y1) as the positive class.
struct Cells2x2 {
    std::int64_t tn = 0;    // (Y0, A-)
    std::int64_t fp = 0;    // (Y0, A)
    std::int64_t fn = 0;    // (Y1, A-)
    std::int64_t tp = 0;    // (Y1, A)
    int y0 = -1, y1 = -1;   // class values, -1 when absent
    std::int64_t total = 0; // every scanned cell

    std::int64_t n_y0() const { return tn + fp; }
    std::int64_t n_y1() const { return fn + tp; }
    std::int64_t n_a_minus() const { return tn + fn; }
    std::int64_t n_a() const { return fp + tp; }
    std::int64_t n() const { return n_a_minus() + n_a(); }
    bool margins_nonzero() const { return n_a_minus() != 0 && n_a() != 0 && n_y0() != 0 && n_y1() != 0; }
    bool any_zero() const { return tn == 0 || fp == 0 || fn == 0 || tp == 0; }
};

// The cells of the first two non-empty class pairs among classes 0..36.
Cells2x2 scan_2x2(std::span<const std::int64_t> table);

struct Interval {
    double lower = 0.0;
    double upper = 0.0;
};

// 95% Wilson score interval of the proportion x / n (z = 1.96, z^2 = 3.8416).
// n <= 0 gives (0, 0).
Interval wilson(double x, double n);

// Cohen's kappa of the 2x2 table (t11 t12 / t21 t22), products in double. An empty
// table, or chance agreement 1, gives 1 when the observed agreement is 1, else 0.
double kappa2x2(double t11, double t12, double t21, double t22);

// Every statistic of the 2x2 table. Primed values (zero replaced by 0.5) enter the
// odds ratio, relative risk and the denominators, as documented per field.
struct Stats2x2 {
    Cells2x2 cells;
    bool indices = false; // all four margins non-zero: the indices below are computed

    double odds_ratio = 0.0, or_se = 0.0; // TN'TP'/(FP'FN'), SE of its log
    Interval or_ci;
    double rel_risk = 0.0, rr_se = 0.0; // (TP'/nA')/(FN'/nA-'), SE of its log
    Interval rr_ci;

    double specificity = 0.0, sensitivity = 0.0;
    Interval sp_ci, se_ci;
    double prevalence = 0.0;
    double misclass_pct = 0.0; // 100 (FP + FN) / N
    Interval misclass_ci;      // of the proportion (not times 100)
    double brier = 0.0, brier_se = 0.0;
    double qi1 = 0.0, qi0 = 0.0;
    Interval qi1_ci, qi0_ci;
    std::optional<double> var_o; // variance of log(QI(1)/QI(0)); none unless both indices are positive
    double qir = 0.0;            // QI(r), 0 unless `indices`
    double npv = 0.0, ppv = 0.0;
    Interval npv_ci, ppv_ci;
    double auc = 0.0; // (Se + Sp) / 2
};

// Computes the statistics of a table for the QI parameter r.
Stats2x2 compute_2x2(std::span<const std::int64_t> table, double r);

// Bayes odds ratio ((p1 + TN)/(p3 + FP)) ((p4 + TP)/(p2 + FN)) with the prior cells
// p1..p4 of TN, FN, FP, TP.
double bayes_odds_ratio(const Cells2x2& c, const std::array<double, 4>& prior);

// Pooled sums over the by-group strata. The weights are those of the
// Mantel-Haenszel estimators, on the plain counts: w1 = FP FN / N for the odds
// ratio and w2 = FN nA / N for the relative risk, and OR w1 and RR w2 are taken
// on the plain counts too (TN TP / N and TP nA- / N, also for a stratum with an
// empty cell), so that sum(OR w1) / sum(w1) and sum(RR w2) / sum(w2) are the
// Mantel-Haenszel odds ratio and risk ratio.
struct PoolStat {
    int strata = 0;
    double or_w = 0.0;          // sum of OR * w1
    double w1 = 0.0;            // sum of w1
    double rr_w = 0.0;          // sum of RR * w2
    double w2 = 0.0;            // sum of w2
    double ln_or_w = 0.0;       // sum of ln(OR) / SE^2
    double or_inv_var = 0.0;    // sum of 1 / SE^2 (log odds ratio)
    double ln_rr_w = 0.0;       // sum of ln(RR) / SE^2
    double rr_inv_var = 0.0;    // sum of 1 / SE^2 (log relative risk)
    double misclassified = 0.0; // sum of FP + FN
    double total = 0.0;         // sum of N
};

// Adds one stratum (a table whose four margins are non-zero) to the pooled sums.
void pool_stratum(const Stats2x2& s, PoolStat& pool);

// The 13-line block of the 2x2 statistics (the table must have non-zero margins).
std::vector<std::string> block_2x2(const Stats2x2& s, double r);

// What the caller hands to `stat2x2`.
struct Stat2x2Options {
    double correlation = -2.0; // below -1: not available
    bool two_class = true;     // Y binary, or the chi-square test had one df
    double chisq = 0.0;
    double phi = 0.0;
    bool compute = true; // Y is categorical
    bool print = false;
    bool expected_cost = false;    // QI(r) in force: list the expected cost when costs are given
    bool correlation_line = false; // Within MSE in force: list the correlation
};

struct Stat2x2Result {
    std::int64_t n_a_minus = 0;
    std::int64_t n_a = 0;
    double p = 1.0;                 // the caller's p, 0 below 1e-6 with compute
    std::vector<std::string> lines; // the listing, with print
};

// The 2x2 statistics of a count table for the report of a partition. A table with
// non-zero margins is added to `pool`; with print the block, its notes and the
// correlation, chi-square and phi lines are returned for the log. With compute a
// p below 1e-6 is set to 0 (it prints as 0.00000). The search scores QI(r) and
// the Bayes odds ratio through their criterion classes (criterion.h) instead.
Stat2x2Result stat2x2(std::span<const std::int64_t> table, double p, const Stat2x2Options& opt,
                      const CritSettings& crit, PoolStat& pool);

// The frequency table of the Y classes by A- and A, as lines for the log.
// `present[k]` non-zero lists class k; labels are code characters (char_coded) or
// the class value as I2. The totals are whole weights.
std::vector<std::string> freqtab(std::span<const std::int64_t> table, int nclasses, std::int64_t total_a_minus,
                                 std::int64_t total_a, std::span<const double> present, std::int64_t grand_total,
                                 std::string_view yname, bool char_coded);

} // namespace meru::stats
