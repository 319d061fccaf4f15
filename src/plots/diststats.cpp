#include "plots/diststats.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace meru::plots {
namespace {

constexpr double kSqrtTwoPi = 2.5066283;
constexpr double kNoWidth = 0.00001;

double largest_value(const DistSample& s, const MissingRun& miss)
{
    double top = -1e30;
    for (std::size_t i = static_cast<std::size_t>(miss.m); i < s.x.size(); ++i) top = std::max(top, s.x[i]);
    return top;
}

BinSetup spread_bins(const DistSample& s, const MissingRun& miss, int k)
{
    BinSetup b;
    b.k = k;
    b.start = s.x[static_cast<std::size_t>(miss.m)];
    b.width = (largest_value(s, miss) - b.start) / k;
    if (b.width == 0.0) b.width = kNoWidth;
    return b;
}

} // namespace

std::vector<double> recode_discrete(std::span<const double> x, std::span<const int> categories)
{
    std::vector<double> out(x.begin(), x.end());
    for (double& v : out) {
        const double whole = std::trunc(v);
        for (std::size_t j = categories.size(); j-- > 0;) {
            if (whole == categories[j]) {
                v = static_cast<double>(j + 1);
                break;
            }
        }
    }
    return out;
}

MissingRun missing_run(const DistSample& s)
{
    MissingRun r;
    const std::size_t n = std::min(s.x.size(), s.w.size());
    if (!s.gdist)
        while (static_cast<std::size_t>(r.m) < n && s.x[static_cast<std::size_t>(r.m)] < 0.0) {
            r.missing += std::abs(s.w[static_cast<std::size_t>(r.m)]);
            ++r.m;
        }
    for (std::size_t i = static_cast<std::size_t>(r.m); i < n; ++i) r.total += std::abs(s.w[i]);
    r.neff = s.nobs - r.missing;
    return r;
}

PlotRange plot_range(const DistSample& s, const MissingRun& miss, bool discrete, int categories, double lower,
                     double upper)
{
    PlotRange r;
    if (static_cast<std::size_t>(miss.m) >= s.x.size()) return r;
    r.xmin = s.x[static_cast<std::size_t>(miss.m)];
    r.xmax = largest_value(s, miss);
    r.all_equal = r.xmin == r.xmax;
    if (discrete) {
        r.xmin = 0.5;
        r.xmax = categories + 0.5;
        return r;
    }
    r.xmin = std::min(r.xmin, lower);
    r.xmax = std::max(r.xmax, upper);
    if (s.x.size() < 10) {
        r.xmin -= 0.5;
        r.xmax += 0.5;
    }
    return r;
}

int integer_tick_step(double xmin, double xmax)
{
    return static_cast<int>(std::max(1.0, std::trunc((xmax - xmin) / 5.0)));
}

std::vector<UniqueRun> unique_runs(const DistSample& s, const MissingRun& miss)
{
    std::vector<UniqueRun> runs;
    double count = 0.0;
    const std::size_t n = s.x.size();
    for (std::size_t i = static_cast<std::size_t>(miss.m); i < n; ++i) {
        count += std::abs(s.w[i]);
        if (i + 1 == n || s.x[i] != s.x[i + 1]) {
            runs.push_back({s.x[i], count});
            count = 0.0;
        }
    }
    return runs;
}

int bin_rule(double neff, int n)
{
    double k = 1.0;
    if (neff >= 1.0) k = std::trunc(std::min(std::sqrt(neff), 10.0 * std::log10(neff)));
    k = std::min(k, static_cast<double>(n));
    return static_cast<int>(std::max(k, 1.0));
}

BinSetup auto_bins(const DistSample& s, const MissingRun& miss)
{
    return spread_bins(s, miss, bin_rule(miss.neff, static_cast<int>(s.x.size())));
}

BinSetup step_bins(const DistSample& s, const MissingRun& miss, int k, int step)
{
    return spread_bins(s, miss, std::clamp(k + step, kFewestBins, kMostBins));
}

std::optional<BinSetup> user_bins(const DistSample& s, const MissingRun& miss, double start, double width)
{
    if (!(width > 0.0) || !std::isfinite(start) || !std::isfinite(width)) return std::nullopt;
    BinSetup b;
    b.start = std::min(start, s.x[static_cast<std::size_t>(miss.m)]);
    b.width = width;
    const double k = std::trunc((largest_value(s, miss) - b.start) / width) + 1.0;
    if (!(k >= 1.0 && k <= kMostUserBins)) return std::nullopt;
    b.k = static_cast<int>(k);
    return b;
}

std::vector<double> bin_counts(const DistSample& s, const MissingRun& miss, const BinSetup& bins)
{
    std::vector<double> c(static_cast<std::size_t>(bins.k) + 1, 0.0);
    if (!(miss.neff > 0.0 && bins.width > 0.0)) return c;
    int j = 0;
    for (std::size_t i = static_cast<std::size_t>(miss.m); i < s.x.size(); ++i) {
        while (j < bins.k && s.x[i] >= bins.start + (j + 1) * bins.width) ++j;
        c[static_cast<std::size_t>(j)] += std::abs(s.w[i]);
    }
    return c;
}

double data_range(const DistSample& s, const MissingRun& miss)
{
    if (static_cast<std::size_t>(miss.m) >= s.x.size()) return 1.0;
    const double r = s.x.back() - s.x[static_cast<std::size_t>(miss.m)];
    return r == 0.0 ? 1.0 : r;
}

double first_bandwidth(double range)
{
    double g = range / 460.0;
    if (g == 0.0) g = kNoWidth;
    return std::max(range / 20.0, 4.0 * g);
}

KernelEstimate kernel_estimate(const DistSample& s, const MissingRun& miss, double h)
{
    KernelEstimate k;
    k.range = data_range(s, miss);
    k.step = k.range / 460.0;
    if (k.step == 0.0) k.step = kNoWidth;
    k.bandwidth = h > 0.0 ? h : first_bandwidth(k.range);
    const double half = k.bandwidth / 2.0;
    k.sd = half / 3.0;
    const std::size_t n = s.x.size();
    const std::size_t first = static_cast<std::size_t>(miss.m);
    if (first >= n) return k;
    k.start = s.x[first] - 20.0 * k.step;
    std::size_t lo = first;
    for (int i = 0; i < kGridPoints; ++i) {
        const double u = k.x(i);
        while (lo < n && s.x[lo] < u - half) ++lo;
        double sum = 0.0;
        for (std::size_t j = lo; j < n && (i == kGridPoints - 1 || s.x[j] < u + half); ++j) {
            const double z = std::abs(s.x[j] - u) / k.sd;
            sum += std::abs(s.w[j]) * std::exp(-0.5 * z * z) / (k.sd * kSqrtTwoPi);
        }
        if (miss.total > 0.0 && k.bandwidth > 0.0) k.d[static_cast<std::size_t>(i)] = sum / miss.total;
        k.dmax = std::max(k.dmax, k.d[static_cast<std::size_t>(i)]);
    }
    return k;
}

BandStep band_plus(double& h, double range)
{
    if (1.1 * h <= range) {
        h *= 1.1;
        return BandStep::Redraw;
    }
    h /= 1.1;
    return BandStep::UpperLimit;
}

BandStep band_minus(double& h, double range)
{
    if (0.9 * h >= range / 1000.0) {
        h *= 0.9;
        return BandStep::Redraw;
    }
    h /= 0.9;
    return BandStep::LowerLimit;
}

SurvivalWalk survival_walk(const DistSample& s, const MissingRun& miss)
{
    SurvivalWalk walk;
    double r = miss.total;
    double p = 1.0;
    const std::size_t n = s.x.size();
    int event_values = 0;
    std::optional<double> half_at; // the event value where the survival is 0.5
    std::size_t i = static_cast<std::size_t>(miss.m);
    while (i < n && r > 0.0) {
        // The values tied with x[i]; x[i] itself also when it is not a number.
        std::size_t end = i + 1;
        while (end < n && s.x[end] == s.x[i]) ++end;
        const double before = p;
        bool had_event = false;
        // the events of a tied value go before its censorings
        for (std::size_t j = i; j < end && r > 0.0; ++j) {
            if (s.w[j] < 1) continue;
            p = p * (r - s.w[j]) / r;
            r -= s.w[j];
            ++walk.events;
            had_event = true;
            walk.points.push_back({s.x[j], p, true});
        }
        for (std::size_t j = i; j < end && r > 0.0; ++j) {
            if (s.w[j] >= 1) continue;
            r -= std::abs(s.w[j]);
            walk.censored = true;
            walk.points.push_back({s.x[j], p, false});
        }
        if (had_event) {
            ++event_values;
            if (!walk.median && half_at) {
                walk.median = 0.5 * (*half_at + s.x[i]);
            } else if (!walk.median && before > 0.5 && p <= 0.5 && event_values > 1) {
                if (std::abs(p - 0.5) <= 1e-6) half_at = s.x[i];
                else walk.median = s.x[i];
            }
        }
        i = end;
    }
    if (half_at && !walk.median) walk.median = *half_at;
    walk.final_p = p;
    walk.ylow = std::max(0.0, p - 0.05);
    return walk;
}

bool survival_overlay_fits(double final_p, double first_ylow) { return final_p >= first_ylow; }

bool density_overlay_fits(const KernelEstimate& overlay, double first_dmax)
{
    return overlay.dmax <= 1.4 * first_dmax;
}

} // namespace meru::plots
