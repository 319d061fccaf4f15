#include "stats/impurity.h"

#include "files/charcodes.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace meru::stats {

using files::safediv;

namespace {

int usable_classes(std::span<const std::int64_t> table, int nj)
{
    const int fit = static_cast<int>(table.size() / 2);
    return std::clamp(nj, 0, std::min(fit, kMaxClasses));
}

double impurity_of(double p, bool gini) { return gini ? p * p : -p * std::log(p); }

// Impurity of a set of class weights with total `total` (> 0).
template <class Weights> double impurity_index(const Weights& w, int nj, double total, bool gini)
{
    double s = 0.0;
    for (int j = 0; j < nj; ++j) {
        const double x = w[static_cast<std::size_t>(j)];
        if (x != 0.0) s += impurity_of(x / total, gini);
    }
    return gini ? 1.0 - s : s;
}

// The table re-weighted by the class factors (or copied), with its margins.
struct Weighted {
    std::array<double, kMaxClasses> row0{}, row1{}, col{};
    double r0 = 0.0, r1 = 0.0, n = 0.0;
    double cost0 = 0.0, cost1 = 0.0; // cost sums of the two rows
};

Weighted weigh(std::span<const std::int64_t> table, int nj, const CritSettings& crit, const PriorFactors* priorfac)
{
    Weighted t;
    const bool costs = crit.specify_costs || crit.weigh_by_costs;
    for (int j = 0; j < nj; ++j) {
        const auto k = static_cast<std::size_t>(j);
        const double f = priorfac ? (*priorfac)[k] : 1.0;
        t.row0[k] = table[2 * k] * f;
        t.row1[k] = table[2 * k + 1] * f;
        t.col[k] = t.row0[k] + t.row1[k];
        t.r0 += t.row0[k];
        t.r1 += t.row1[k];
        if (costs) {
            t.cost0 += t.row0[k] * crit.cost[k].in_a_minus;
            t.cost1 += t.row1[k] * crit.cost[k].in_a;
        }
    }
    t.n = t.r0 + t.r1;
    return t;
}

} // namespace

PriorFactors prior_factors(std::span<const double> totals, const CritSettings& crit)
{
    PriorFactors f{};
    if (!crit.priors_given) return f;
    double n = 0.0;
    for (double t : totals) n += t;
    const std::size_t classes = std::min(totals.size(), f.size());
    for (std::size_t k = 0; k < classes; ++k) f[k] = safediv(crit.prior[k], totals[k]) * n;
    return f;
}

ImpurityValue impurity(std::span<const std::int64_t> table, int nj, bool gini, const CritSettings& crit)
{
    ImpurityValue v;
    nj = usable_classes(table, nj);
    const bool costs = crit.specify_costs || crit.weigh_by_costs;

    // Class totals of the data, and the prior factors from them.
    if (crit.priors_given) {
        std::array<double, kMaxClasses> totals{};
        for (int j = 0; j < nj; ++j)
            totals[static_cast<std::size_t>(j)] = static_cast<double>(table[2 * j]) + table[2 * j + 1];
        v.priorfac = prior_factors(std::span<const double>(totals.data(), static_cast<std::size_t>(nj)), crit);
    }

    const Weighted t = weigh(table, nj, crit, crit.priors_given ? &v.priorfac : nullptr);
    if (t.n <= 0.0) return v;

    const double whole = impurity_index(t.col, nj, t.n, gini);
    double split = 0.0;
    if (t.r0 != 0.0) split += impurity_index(t.row0, nj, t.r0, gini) * t.r0 / t.n;
    if (t.r1 != 0.0) split += impurity_index(t.row1, nj, t.r1, gini) * t.r1 / t.n;
    v.g = whole - split;

    if (costs) {
        v.costwt = (t.cost0 + t.cost1) / t.n;
        if (crit.weigh_by_costs) v.g *= v.costwt;
    }
    return v;
}

double prior_error(std::span<const std::int64_t> table, int nj, const CritSettings& crit,
                   const PriorFactors& priorfac)
{
    if (!crit.priors_given) return 0.0;
    nj = usable_classes(table, nj);
    const Weighted t = weigh(table, nj, crit, &priorfac);
    double sum = 0.0;
    int k = 0;
    for (int j = 0; j < nj; ++j)
        if (t.col[static_cast<std::size_t>(j)] > 0.0) ++k;
    int a = 0;
    for (int j = 0; j < nj; ++j) {
        const auto c = static_cast<std::size_t>(j);
        if (t.col[c] == 0.0) continue;
        sum += a * t.row0[c] + (k - 1 - a) * t.row1[c];
        ++a;
    }
    return safediv(sum, (k - 1) * t.n);
}

double priortab(std::span<const std::int64_t> table, int nj, std::string_view yname, bool detailed,
                const CritSettings& crit, const ImpurityValue& scored, io::LogWriter& log)
{
    using io::fmt_a;
    using io::fmt_f;
    using io::fmt_x;
    if (!crit.priors_given) return 0.0;
    const double error = prior_error(table, nj, crit, scored.priorfac);
    if (!detailed) return error;

    nj = usable_classes(table, nj);
    const Weighted t = weigh(table, nj, crit, &scored.priorfac);
    const auto cell = [&](double w) { return fmt_f(w, 9, 1) + " (" + fmt_f(safediv(100.0 * w, t.n), 5, 1) + "%)"; };
    const std::string rule = fmt_x(4) + std::string(68, '-');
    log.write(io::list_record("Table of prior adjusted psuedo-counts"));
    log.write(rule);
    log.write(fmt_x(4) + "|" + fmt_x(2) + fmt_a(yname, 8) + fmt_x(5) + "   A-" + fmt_x(12) + "    A" + fmt_x(15) +
              "Total" + fmt_x(9) + "|");
    log.write(rule);
    for (int j = 0; j < nj; ++j) {
        const auto k = static_cast<std::size_t>(j);
        if (t.col[k] == 0.0) continue;
        log.write(fmt_x(4) + "|" + fmt_x(3) + files::codechar(j) + " |" + fmt_x(3) + cell(t.row0[k]) + fmt_x(1) +
                  cell(t.row1[k]) + " |" + fmt_x(1) + cell(t.col[k]) + "|");
    }
    log.write(rule);
    log.write(fmt_x(4) + "|" + " Tot " + "|" + fmt_x(3) + cell(t.r0) + fmt_x(1) + cell(t.r1) + " |" + fmt_x(1) +
              fmt_f(t.n, 9, 0) + " (" + fmt_f(100.0, 5, 1) + "%)" + "|");
    log.write(rule);
    log.write(fmt_x(7) + "  Misclassification error=" + fmt_f(100.0 * error, 8, 2) + "%");
    if (crit.specify_costs) {
        const double cost = safediv(t.cost0 + t.cost1, t.n);
        log.write(fmt_x(4) + "Expected prior adjusted cost=" + fmt_f(cost, 8, 2));
        if (std::fabs(cost - scored.costwt) > 1.0e-5 * std::max(std::fabs(cost), std::fabs(scored.costwt)))
            log.write(io::list_record("error in check on EU"));
    }
    return error;
}

} // namespace meru::stats
