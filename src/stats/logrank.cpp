#include "stats/logrank.h"

#include "core/services.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "stats/sample_filter.h"
#include "stats/sort2.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace meru::stats {

namespace {

void sort_times(const SampleView& d, int n, const LogRankKey& key, LogRankOrder& order, io::LogWriter& log)
{
    // A time that is not a number is missing, like a negative one.
    order.times.resize(static_cast<std::size_t>(n));
    for (std::size_t k = 0; k < order.times.size(); ++k) order.times[k] = std::isnan(d.y[k]) ? -1.0f : d.y[k];
    order.obs.resize(static_cast<std::size_t>(n));
    std::iota(order.obs.begin(), order.obs.end(), 0);
    long long zero = 0;
    for (int i = 0; i < n; ++i)
        if (d.mask[static_cast<std::size_t>(i)] && d.y[static_cast<std::size_t>(i)] == 0.0f)
            zero += d.weights[static_cast<std::size_t>(i)];
    if (zero > 0) log.write("NOTE: " + io::fmt_i(zero, 4) + " zero survival times omitted in log-rank");
    sort2(std::span<float>(order.times), std::span<int>(order.obs));
    order.key = key;
    order.valid = true;
}

} // namespace

LogRankResult LOGRANK(const SampleView& data, std::span<const std::int8_t> membership, const Censoring& censoring_in,
                      int sort_switch, const LogRankKey& key, LogRankOrder& order, io::LogWriter& log)
{
    LogRankResult r;
    const SampleFilter filter(data.abyte, data.mask, data.weights, censoring_in);
    const int n = static_cast<int>(std::min({filter.size(), data.y.size(), membership.size()}));
    if (n < 1) return r;
    if (sort_switch == 0 || !order.valid || !(order.key == key) ||
        order.times.size() != static_cast<std::size_t>(n) || order.obs.size() != order.times.size())
        sort_times(data, n, key, order, log);

    // Whether the observation at a sorted position takes part (its time is the
    // kept sorted value, -1 when missing).
    const auto counted = [&](int pos) {
        if (!(order.times[static_cast<std::size_t>(pos)] >= 0.0f)) return false;
        return filter.at(static_cast<std::size_t>(order.obs[static_cast<std::size_t>(pos)])).counted;
    };
    const auto next_counted = [&](int pos) {
        while (pos >= 0 && !counted(pos)) --pos;
        return pos;
    };

    std::int64_t w0 = 0, w1 = 0; // weight at risk so far (times >= the current one)
    double d0 = 0.0, d1 = 0.0;   // events at the current time
    double o = 0.0, e = 0.0, v = 0.0;
    for (int pos = next_counted(n - 1); pos >= 0;) {
        const int i = order.obs[static_cast<std::size_t>(pos)];
        const float t = order.times[static_cast<std::size_t>(pos)];
        const int next = next_counted(pos - 1);
        const bool last_of_time = next < 0 || order.times[static_cast<std::size_t>(next)] != t;

        const int m = membership[static_cast<std::size_t>(i)];
        const int w = data.weights[static_cast<std::size_t>(i)];
        const bool event = !filter.at(static_cast<std::size_t>(i)).censored;
        if (m == 0) {
            w0 += w;
            if (event) {
                d0 += w;
                r.d0 += w;
            }
            r.t0 += static_cast<double>(w) * t;
        } else if (m == 1) {
            w1 += w;
            if (event) {
                d1 += w;
                r.d1 += w;
            }
            r.t1 += static_cast<double>(w) * t;
        }

        if (last_of_time && t != 0.0f) {
            const double dd = d0 + d1;
            const double at_risk = static_cast<double>(w0 + w1);
            o += d1;
            if (at_risk >= 1.0) e += dd * static_cast<double>(w1) / at_risk;
            if (at_risk > 1.0) {
                const double term = dd * (at_risk - dd) / (at_risk - 1.0) * (static_cast<double>(w1) / at_risk) *
                                    (static_cast<double>(w0) / at_risk);
                v += std::max(0.0, term);
            }
            d0 = d1 = 0.0;
        }
        pos = next;
    }
    r.w0 = w0;
    r.w1 = w1;
    r.o = o;
    r.e = e;
    r.v = v;
    r.g = v > 0.0 ? (o - e) * (o - e) / v : 0.0;
    return r;
}

CensoredCount censpct(const SampleView& data, const Censoring& censoring_in, std::string_view yname,
                      Services& services)
{
    CensoredCount c;
    const SampleFilter filter(data.abyte, data.mask, data.weights, censoring_in);
    const Censoring& censoring = filter.censoring();
    for (std::size_t k = 0; k < filter.size(); ++k) {
        const SampleObservation obs = filter.at(k);
        if (!obs.counted) continue;
        if (obs.censored) c.censored += data.weights[k];
        c.total += data.weights[k];
    }
    c.percent = files::safediv(100.0 * c.censored, c.total);
    if (censoring.in_force) {
        const std::string text = " There are " + io::fmt_i(static_cast<long long>(c.censored), 7) + "(" +
                                 io::fmt_f(c.percent, 6, 2) + "%) censored " + io::fmt_a(yname, 8) + " observations$";
        services.note(text, NoteKind::Cut79, true);
    }
    return c;
}

} // namespace meru::stats
