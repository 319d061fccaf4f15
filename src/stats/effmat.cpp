#include "stats/effmat.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>
#include <cmath>

namespace meru::stats {

namespace {

constexpr double kZ = 1.96;
constexpr double kEps = 1.0e-5;
constexpr double kShift = 0.0001;

enum class Measure { RelativeRisk, RiskDifference, OddsRatio, RateRatio, RateDifference, MeanDifference };

struct Estimate {
    double value = 0.0, var = 0.0;
};

bool is_ratio(Measure m) { return m == Measure::RelativeRisk || m == Measure::OddsRatio || m == Measure::RateRatio; }

Estimate estimate(const PartStat& p, Measure m, const EffmatOptions& opt)
{
    const double n = static_cast<double>(p.n);
    const double mean = p.s / n;
    switch (m) {
    case Measure::RelativeRisk:
    case Measure::RiskDifference:
    case Measure::OddsRatio: {
        const double prop = files::safediv(mean - opt.ymin, opt.ymax - opt.ymin);
        double pp = prop <= kEps ? prop + kShift : prop;
        if (pp > 1.0 - kEps) pp -= kShift;
        const double a = std::max(0.5, pp * n);
        const double b = std::max(0.5, (1.0 - pp) * n);
        if (m == Measure::RelativeRisk) return {std::log(pp), b / (n * a)};
        if (m == Measure::RiskDifference) return {pp, pp * (1.0 - pp) / n};
        const double odds = pp / (1.0 - pp);
        return {odds > 0.0 ? std::log(odds) : 0.0, 1.0 / a + 1.0 / b};
    }
    case Measure::RateRatio:
    case Measure::RateDifference: {
        const double events = static_cast<double>(p.n - p.censored);
        const double rate = files::safediv(events, p.s);
        if (m == Measure::RateDifference) return {rate, files::safediv(rate, p.s)};
        if (rate > 0.0) return {std::log(rate), 1.0 / events};
        return {-10.0, 0.0};
    }
    case Measure::MeanDifference: return {mean, (p.q - p.s * mean) / n / n};
    }
    return {};
}

std::string part_label(int part, int q) { return part == q + 1 ? std::string(" A") : io::fmt_i(part, 2); }

int first_part(const SubStat& st) { return st.q == 1 ? 2 : 1; }

} // namespace

std::vector<EffectMatrix> effmat(const SubStat& rows, const SubStat& cols, const EffmatOptions& opt,
                                 std::string& text, io::LogWriter& log)
{
    std::vector<EffectMatrix> out;
    if (rows.part.empty() || cols.part.empty() || rows.whole().n <= 1 || cols.whole().n <= 1) return out;

    std::vector<std::pair<Measure, std::string>> measures;
    if (opt.incidence) {
        measures = {{Measure::RateRatio, "IR ratio matrix (A-  /  A) "},
                    {Measure::RateDifference, "IR difference matrix (A-  -  A) "}};
    } else if (opt.binary) {
        measures = {{Measure::RelativeRisk, "Relative  risk matrix"},
                    {Measure::RiskDifference, "Risk difference matrix"},
                    {Measure::OddsRatio, "Odds ratio matrix"}};
    } else {
        measures = {{Measure::MeanDifference, "Mean difference matrix with 95% CI"}};
    }

    for (const auto& [measure, name] : measures) {
        EffectMatrix mat;
        mat.name = name;
        text = io::fmt_a(name, 30) + " with 95% CI ";
        log.write(text);
        for (int i = first_part(rows); i <= rows.q + 1; ++i) {
            const PartStat& pi = rows.part[static_cast<std::size_t>(i - 1)];
            if (pi.n <= 1) continue;
            const Estimate ei = estimate(pi, measure, opt);
            for (int j = first_part(cols); j <= cols.q + 1; ++j) {
                const PartStat& pj = cols.part[static_cast<std::size_t>(j - 1)];
                if (pj.n <= 1) continue;
                const Estimate ej = estimate(pj, measure, opt);
                const double var = ei.var + ej.var;
                const double se = var > 0.0 ? std::sqrt(var) : 0.0;
                // Incidence measures compare the column part with the row part.
                const double d = opt.incidence ? ej.value - ei.value : ei.value - ej.value;
                EffectCell cell{i, j, d, d - kZ * se, d + kZ * se};
                if (is_ratio(measure)) {
                    cell.value = std::exp(cell.value);
                    cell.lower = std::exp(cell.lower);
                    cell.upper = std::exp(cell.upper);
                }
                text = "  " + part_label(i, rows.q) + "  " + part_label(j, cols.q) + "- " + "  " +
                       io::fmt_g(cell.value, 10, 4) + " (" + io::fmt_g(cell.lower, 10, 4) + ", " +
                       io::fmt_g(cell.upper, 10, 4) + ")";
                log.write(text);
                mat.cells.push_back(cell);
            }
        }
        out.push_back(std::move(mat));
    }
    return out;
}

} // namespace meru::stats
