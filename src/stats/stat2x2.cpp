#include "stats/stat2x2.h"

#include "files/charcodes.h"
#include "files/textutil.h"
#include "platform/io/edit.h"

#include <algorithm>
#include <cmath>

namespace meru::stats {

using files::safediv;
using io::fmt_a;
using io::fmt_e;
using io::fmt_f;
using io::fmt_i;
using io::fmt_x;

namespace {

constexpr double kZ = 1.96;
constexpr double kZ2 = 3.8416;

double primed(std::int64_t x) { return std::max(static_cast<double>(x), 0.5); }

Interval log_ci(double value, double se)
{
    const double f = std::exp(kZ * se);
    return {value / f, value * f};
}

// "lower,upper)" with both bounds as F6.3, after `lead`.
std::string f63_ci(std::string_view lead, const Interval& ci)
{
    return std::string(lead) + fmt_f(ci.lower, 6, 3) + "," + fmt_f(ci.upper, 6, 3) + ")";
}

std::string line(std::string_view first, std::string_view label, std::string_view fields)
{
    return std::string(first) + fmt_x(6) + std::string(label) + std::string(fields);
}

} // namespace

Cells2x2 scan_2x2(std::span<const std::int64_t> table)
{
    Cells2x2 c;
    const int classes = std::min<int>(kScan2x2Classes, static_cast<int>(table.size() / 2));
    for (int j = 0; j < classes; ++j) {
        const std::int64_t a_minus = table[2 * static_cast<std::size_t>(j)];
        const std::int64_t a = table[2 * static_cast<std::size_t>(j) + 1];
        c.total += a_minus + a;
        if (a_minus + a == 0) continue;
        if (c.y0 < 0) {
            c.y0 = j;
            c.tn = a_minus;
            c.fp = a;
        } else if (c.y1 < 0) {
            c.y1 = j;
            c.fn = a_minus;
            c.tp = a;
        }
    }
    return c;
}

Interval wilson(double x, double n)
{
    if (n <= 0.0) return {};
    const double p = x / n;
    const double centre = 2.0 * n * p + kZ2;
    const double half = kZ * std::sqrt(std::max(0.0, 4.0 * n * p * (1.0 - p) + kZ2));
    const double den = 2.0 * (n + kZ2);
    return {(centre - half) / den, (centre + half) / den};
}

double kappa2x2(double t11, double t12, double t21, double t22)
{
    const double t = t11 + t12 + t21 + t22;
    const double po = safediv(t11 + t22, t);
    const double pe = safediv((t11 + t12) * (t11 + t21) + (t12 + t22) * (t21 + t22), t * t);
    if (t == 0.0 || std::fabs(1.0 - pe) <= 1.0e-20) return po == 1.0 ? 1.0 : 0.0;
    return (po - pe) / (1.0 - pe);
}

double bayes_odds_ratio(const Cells2x2& c, const std::array<double, 4>& prior)
{
    return ((prior[0] + static_cast<double>(c.tn)) / (prior[2] + static_cast<double>(c.fp))) *
           ((prior[3] + static_cast<double>(c.tp)) / (prior[1] + static_cast<double>(c.fn)));
}

Stats2x2 compute_2x2(std::span<const std::int64_t> table, double r)
{
    Stats2x2 s;
    s.cells = scan_2x2(table);
    const Cells2x2& c = s.cells;
    const double tn = static_cast<double>(c.tn), fp = static_cast<double>(c.fp);
    const double fn = static_cast<double>(c.fn), tp = static_cast<double>(c.tp);
    const double tn1 = primed(c.tn), fp1 = primed(c.fp), fn1 = primed(c.fn), tp1 = primed(c.tp);
    const double ny0 = primed(c.n_y0()), ny1 = primed(c.n_y1());
    const double nam = primed(c.n_a_minus()), na = primed(c.n_a());
    const double n = static_cast<double>(c.n());

    s.odds_ratio = tn1 * tp1 / (fp1 * fn1);
    s.or_se = std::sqrt(1.0 / tn1 + 1.0 / fp1 + 1.0 / fn1 + 1.0 / tp1);
    s.or_ci = log_ci(s.odds_ratio, s.or_se);
    s.rel_risk = (tp1 / na) / (fn1 / nam);
    s.rr_se = std::sqrt(tn1 / (fn1 * nam) + fp1 / (tp1 * na));
    s.rr_ci = log_ci(s.rel_risk, s.rr_se);

    s.indices = c.margins_nonzero();
    if (!s.indices) return s;

    s.specificity = tn / ny0;
    s.sp_ci = wilson(tn, ny0);
    s.prevalence = safediv(ny1, n);
    const double p = s.prevalence;
    s.sensitivity = tp / ny1;
    s.se_ci = wilson(tp, ny1);
    s.misclass_pct = 100.0 * safediv(fp + fn, n);
    s.misclass_ci = wilson(fp + fn, n);

    const double q0 = fn / nam, q1 = tp / na;
    s.brier = (tn * q0 * q0 + fn * (1 - q0) * (1 - q0) + fp * q1 * q1 + tp * (1 - q1) * (1 - q1)) / n;
    s.brier_se = std::sqrt(nam * (1 - 2 * q0) * (1 - 2 * q0) * q0 * (1 - q0) +
                           na * (1 - 2 * q1) * (1 - 2 * q1) * q1 * (1 - q1)) /
                 n;

    const double qp = tn * (1 - p) / ny0 + fn * p / ny1; // Q'
    const double q = 1 - qp;
    s.qi1 = safediv(s.sensitivity - q, qp);
    s.qi0 = safediv(s.specificity - qp, q);

    const double x1 = (n - fn1) / fn1 - na / nam - ny0 / ny1 - 2 * s.qi1;
    const double v1 = safediv(std::max(0.0, x1), n);
    const double h1 = kZ * (1 - s.qi1) * std::sqrt(v1);
    s.qi1_ci = {s.qi1 - h1, s.qi1 + h1};
    const double x0 = (n - fp1) / fp1 - nam / na - ny1 / ny0 - 2 * s.qi0;
    const double v0 = safediv(std::max(0.0, x0), n);
    const double h0 = kZ * (1 - s.qi0) * std::sqrt(v0);
    s.qi0_ci = {s.qi0 - h0, s.qi0 + h0};

    const double t2 = tn1 * n / (ny0 * nam) - 1 + tp1 * n / (ny1 * na);
    // O = log QI(1)/QI(0) is defined only while both indices are positive.
    if (s.qi1 > 1e-20 && s.qi0 > 1e-20) {
        const double u1 = (1 - s.qi1) / s.qi1, u0 = (1 - s.qi0) / s.qi0;
        s.var_o = (x1 * u1 * u1 - 2 * t2 * u0 * u1 + x0 * u0 * u0) / n;
    }

    s.qir = safediv(r * p * qp * s.qi1 + (1 - r) * (1 - p) * q * s.qi0, r * p * qp + (1 - r) * (1 - p) * q);
    s.npv = safediv(s.specificity * (1 - p), qp);
    s.npv_ci = wilson(tn, nam);
    s.ppv = safediv(p * s.sensitivity, q);
    s.ppv_ci = wilson(tp, na);
    s.auc = (s.sensitivity + s.specificity) / 2;
    return s;
}

void pool_stratum(const Stats2x2& s, PoolStat& pool)
{
    const Cells2x2& c = s.cells;
    const double n = static_cast<double>(c.n());
    const double w1 = static_cast<double>(c.fp) * static_cast<double>(c.fn) / n;
    const double w2 = static_cast<double>(c.fn) * static_cast<double>(c.n_a()) / n;
    pool.strata += 1;
    // OR w1 and RR w2 on the plain counts: TN TP / N and TP nA- / N. A stratum with
    // an empty FP or FN cell has w = 0 but still adds to these numerators.
    pool.or_w += static_cast<double>(c.tn) * static_cast<double>(c.tp) / n;
    pool.w1 += w1;
    pool.rr_w += static_cast<double>(c.tp) * static_cast<double>(c.n_a_minus()) / n;
    pool.w2 += w2;
    pool.ln_or_w += std::log(s.odds_ratio) / (s.or_se * s.or_se);
    pool.or_inv_var += 1.0 / (s.or_se * s.or_se);
    pool.ln_rr_w += std::log(s.rel_risk) / (s.rr_se * s.rr_se);
    pool.rr_inv_var += 1.0 / (s.rr_se * s.rr_se);
    pool.misclassified += static_cast<double>(c.fp + c.fn);
    pool.total += n;
}

std::vector<std::string> block_2x2(const Stats2x2& s, double r)
{
    const Interval mis{100.0 * s.misclass_ci.lower, 100.0 * s.misclass_ci.upper};
    std::vector<std::string> out;
    out.push_back(line("1", "Negative predictive value=", fmt_f(s.npv, 6, 3) + f63_ci("(95% CI", s.npv_ci)));
    out.push_back(line("1", "Positive predictive value=", fmt_f(s.ppv, 6, 3) + f63_ci("   (", s.ppv_ci)));
    out.push_back(line("2", "              Specificity=", fmt_f(s.specificity, 6, 3) + f63_ci("   (", s.sp_ci)));
    out.push_back(line("2", "              Sensitivity=", fmt_f(s.sensitivity, 6, 3) + f63_ci("   (", s.se_ci)));
    out.push_back(line("", "           AUC (c-index)  =", fmt_f(s.auc, 6, 3)));
    out.push_back(line("1", "     Quality index  QI(1)=", fmt_f(s.qi1, 6, 3) + f63_ci("   (", s.qi1_ci)));
    out.push_back(line("1", "     Quality index  QI(0)=", fmt_f(s.qi0, 6, 3) + f63_ci("   (", s.qi0_ci)));
    out.push_back(line("1", "        Kappa  [QI(", fmt_f(r, 4, 2) + ")]=" + fmt_f(s.qir, 6, 3)));
    out.push_back(line("1", "    Quality index  Var(O)=",
                       (s.var_o ? fmt_e(*s.var_o, 13, 6) : fmt_x(2) + "not defined") + "  [O=log QI(1)/QI(0)]"));
    out.push_back(line("2", "               Odds Ratio=",
                       fmt_f(s.odds_ratio, 10, 2) + " (" + fmt_f(s.or_ci.lower, 10, 2) + "," +
                           fmt_f(s.or_ci.upper, 10, 2) + ")"));
    out.push_back(line("2", "            Relative Risk=",
                       fmt_f(s.rel_risk, 10, 2) + " (" + fmt_f(s.rr_ci.lower, 10, 2) + "," +
                           fmt_f(s.rr_ci.upper, 10, 2) + ")"));
    out.push_back(
        line("1", "  Misclassification error=",
             fmt_f(s.misclass_pct, 7, 2) + "%" + " (" + fmt_f(mis.lower, 6, 2) + "," + fmt_f(mis.upper, 6, 2) + ")"));
    out.push_back(line(
        "", "               Brier score=", fmt_f(s.brier, 8, 3) + "  (  Std Err= " + fmt_f(s.brier_se, 8, 3) + ")"));
    return out;
}

Stat2x2Result stat2x2(std::span<const std::int64_t> table, double p, const Stat2x2Options& opt,
                      const CritSettings& crit, PoolStat& pool)
{
    Stat2x2Result res;
    std::vector<std::string>& out = res.lines;
    if (opt.compute && opt.two_class) {
        const Stats2x2 s = compute_2x2(table, crit.qi_r);
        const Cells2x2& c = s.cells;
        res.n_a_minus = c.n_a_minus();
        res.n_a = c.n_a();
        if (s.indices) pool_stratum(s, pool);

        if (opt.print) {
            if (s.indices) {
                out = block_2x2(s, crit.qi_r);
                if (c.any_zero()) out.push_back("NOTE: 0.5 replaces zero in empty cells for some calculations");
                const double naive =
                    100.0 * static_cast<double>(std::min(c.n_y0(), c.n_y1())) / static_cast<double>(c.n());
                if (s.misclass_pct > naive)
                    out.push_back("NOTE: no better than naive predictor (plurality rule)" + fmt_f(naive, 6, 2) + "%");
                const bool costs = crit.specify_costs || crit.weigh_by_costs;
                if (opt.expected_cost && costs) {
                    // The cost pairs of the two classes present, by class value.
                    const CostPair& k0 = crit.cost[static_cast<std::size_t>(c.y0)];
                    const CostPair& k1 = crit.cost[static_cast<std::size_t>(c.y1)];
                    const double expected =
                        safediv(k0.in_a_minus * static_cast<double>(c.tn) + k0.in_a * static_cast<double>(c.fp) +
                                    k1.in_a * static_cast<double>(c.tp) + k1.in_a_minus * static_cast<double>(c.fn),
                                static_cast<double>(c.total));
                    out.push_back(fmt_x(19) + "Expected cost=" + fmt_f(expected, 6, 2));
                }
            } else {
                out.push_back(fmt_a("Zero marginal. No computed 2x2 statistics", 50));
            }
        }
    }

    if (opt.correlation < -1.0) {
        if (opt.print) out.push_back(fmt_x(12) + "Correlation         = Cannot be computed");
    } else if (opt.print && opt.correlation_line) {
        out.push_back(fmt_x(12) + "         Correlation=" + fmt_f(opt.correlation, 6, 3));
    }
    res.p = p;
    if (opt.compute) {
        if (res.p < 1.0e-6) res.p = 0.0;
        if (opt.print) {
            out.push_back(fmt_x(9) + "       Chi-sq statistic=" + fmt_f(opt.chisq, 8, 2) +
                          " (P= " + fmt_f(res.p, 7, 5) + ")");
            out.push_back(fmt_x(12) + "     Phi-coefficient=" + fmt_f(opt.phi, 6, 3));
        }
    }
    return res;
}

std::vector<std::string> freqtab(std::span<const std::int64_t> table, int nclasses, std::int64_t total_a_minus,
                                 std::int64_t total_a, std::span<const double> present, std::int64_t grand_total,
                                 std::string_view yname, bool char_coded)
{
    const auto pct = [&](std::int64_t x) {
        return fmt_f(safediv(static_cast<double>(x) * 100.0, static_cast<double>(grand_total)), 5, 1);
    };
    const std::string rule = fmt_x(4) + std::string(80, '-');
    std::vector<std::string> out;
    out.push_back(rule);
    out.push_back(fmt_x(4) + "|" + fmt_x(2) + fmt_a(yname, 20) + fmt_x(5) + "   A-" + fmt_x(12) + "    A" +
                  fmt_x(15) + "Total" + fmt_x(9) + "|");
    out.push_back(rule);
    const int classes =
        std::min<int>({nclasses, static_cast<int>(table.size() / 2), static_cast<int>(present.size())});
    for (int k = 0; k < classes; ++k) {
        if (present[static_cast<std::size_t>(k)] == 0.0) continue;
        const long long am = table[2 * static_cast<std::size_t>(k)];
        const long long a = table[2 * static_cast<std::size_t>(k) + 1];
        const std::string label = char_coded ? fmt_x(3) + files::codechar(k) : fmt_x(2) + fmt_i(k, 2);
        out.push_back(fmt_x(4) + "|" + label + fmt_x(12) + " |" + fmt_i(am, 12) + " (" + pct(am) + "%)" + fmt_x(3) +
                      fmt_i(a, 7) + " (" + pct(a) + "%)" + " |" + fmt_x(2) + fmt_i(am + a, 7) + " (" + pct(am + a) +
                      "%)" + "|");
    }
    out.push_back(rule);
    out.push_back(fmt_x(4) + "|" + fmt_x(2) + fmt_a("Total", 5) + fmt_x(10) + "|" + fmt_x(5) +
                  fmt_i(total_a_minus, 7) + " (" + pct(total_a_minus) + "%)" + fmt_x(3) + fmt_i(total_a, 7) + " (" +
                  pct(total_a) + "%)" + " |" + fmt_x(2) + fmt_i(grand_total, 7) + " (" + fmt_f(100.0, 5, 1) + "%)" +
                  "|");
    out.push_back(rule);
    return out;
}

} // namespace meru::stats
