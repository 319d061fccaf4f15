#include "stats/logrank.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "stats/sample_filter.h"
#include "stats/sort2.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>

namespace meru::stats {

namespace {

// A time that is not a number is missing, like a negative one.
float sort_key(float y) { return std::isnan(y) ? -1.0f : y; }

// Whether `earlier` sorted bit for bit the keys of the first n times of y:
// sorting them again would give its order.
bool sorted_before(const LogRankOrder& earlier, std::span<const float> y, int n)
{
    const auto size = static_cast<std::size_t>(n);
    if (!earlier.valid || earlier.times.size() != size || earlier.obs.size() != size) return false;
    for (std::size_t i = 0; i < size; ++i) {
        const auto k = static_cast<std::size_t>(earlier.obs[i]);
        if (k >= size || std::bit_cast<std::uint32_t>(sort_key(y[k])) != std::bit_cast<std::uint32_t>(earlier.times[i]))
            return false;
    }
    return true;
}

} // namespace

void sort_order(std::span<const float> y, std::size_t n, LogRankOrder& order)
{
    order.times.resize(n);
    for (std::size_t k = 0; k < n; ++k) order.times[k] = sort_key(y[k]);
    order.obs.resize(n);
    std::iota(order.obs.begin(), order.obs.end(), 0);
    sort2(std::span<float>(order.times), std::span<int>(order.obs));
}

namespace {

void sort_times(const SampleView& d, int n, const LogRankKey& key, LogRankOrder& order, io::LogWriter& log,
                const LogRankOrder* earlier)
{
    long long zero = 0;
    for (int i = 0; i < n; ++i)
        if (d.mask[static_cast<std::size_t>(i)] && d.y[static_cast<std::size_t>(i)] == 0.0f)
            zero += d.weights[static_cast<std::size_t>(i)];
    if (zero > 0) log.write("NOTE: " + io::fmt_i(zero, 4) + " zero survival times omitted in log-rank");
    if (earlier && sorted_before(*earlier, d.y, n)) {
        order.times = earlier->times;
        order.obs = earlier->obs;
    } else {
        sort_order(d.y, static_cast<std::size_t>(n), order);
    }
    order.key = key;
    order.valid = true;
}

// Calls f(observation, time, last of its time) for the counted observations of
// the kept order, latest time first.
template <class F> void for_each_counted(const SampleFilter& filter, const LogRankOrder& order, int n, F&& f)
{
    constexpr int kAhead = 16; // the positions whose observations are fetched ahead
    // Whether the observation at a sorted position takes part (its time is the
    // kept sorted value, -1 when missing).
    const auto counted = [&](int pos) {
        if (pos >= kAhead) filter.prefetch(static_cast<std::size_t>(order.obs[static_cast<std::size_t>(pos - kAhead)]));
        if (!(order.times[static_cast<std::size_t>(pos)] >= 0.0f)) return false;
        return filter.at(static_cast<std::size_t>(order.obs[static_cast<std::size_t>(pos)])).counted;
    };
    const auto next_counted = [&](int pos) {
        while (pos >= 0 && !counted(pos)) --pos;
        return pos;
    };
    for (int pos = next_counted(n - 1); pos >= 0;) {
        const float t = order.times[static_cast<std::size_t>(pos)];
        const int next = next_counted(pos - 1);
        f(order.obs[static_cast<std::size_t>(pos)], t, next < 0 || order.times[static_cast<std::size_t>(next)] != t);
        pos = next;
    }
}

} // namespace

int order_times(const SampleView& data, std::size_t members, const Censoring& censoring, int sort_switch,
                const LogRankKey& key, LogRankOrder& order, io::LogWriter& log, const LogRankOrder* earlier)
{
    const SampleFilter filter(data.abyte, data.mask, data.weights, censoring);
    const int n = static_cast<int>(std::min({filter.size(), data.y.size(), members}));
    if (n < 1) return n;
    if (sort_switch == 0 || !order.valid || !(order.key == key) ||
        order.times.size() != static_cast<std::size_t>(n) || order.obs.size() != order.times.size())
        sort_times(data, n, key, order, log, earlier);
    return n;
}

LogRankResult LOGRANK(const SampleView& data, std::span<const std::int8_t> membership, const Censoring& censoring_in,
                      int sort_switch, const LogRankKey& key, LogRankOrder& order, io::LogWriter& log,
                      const LogRankOrder* earlier)
{
    const SampleFilter filter(data.abyte, data.mask, data.weights, censoring_in);
    const int n = order_times(data, membership.size(), censoring_in, sort_switch, key, order, log, earlier);
    if (n < 1) return {};
    LogRankSums walker;
    for_each_counted(filter, order, n, [&](int i, float t, bool last_of_time) {
        const auto k = static_cast<std::size_t>(i);
        walker.add(membership[k], data.weights[k], t, !filter.at(k).censored);
        if (last_of_time) walker.close_time(t);
    });
    return walker.finish();
}

void prepare_walk(const SampleView& data, const Censoring& censoring, const LogRankOrder& order, LogRankWalk& walk)
{
    walk.steps.clear();
    const SampleFilter filter(data.abyte, data.mask, data.weights, censoring);
    const int n = static_cast<int>(std::min({filter.size(), data.y.size(), order.times.size(), order.obs.size()}));
    if (!order.valid || n < 1) return;
    walk.steps.reserve(static_cast<std::size_t>(n));
    for_each_counted(filter, order, n, [&](int i, float t, bool last_of_time) {
        const auto k = static_cast<std::size_t>(i);
        walk.steps.push_back({i, data.weights[k], t, !filter.at(k).censored, last_of_time});
    });
}

LogRankResult logrank_walk(const LogRankWalk& walk, std::span<const std::int8_t> membership)
{
    LogRankSums walker;
    for (const LogRankWalk::Step& s : walk.steps) {
        const auto k = static_cast<std::size_t>(s.obs);
        walker.add(k < membership.size() ? membership[k] : -1, s.w, s.t, s.event);
        if (s.closes) walker.close_time(s.t);
    }
    return walker.finish();
}

void LogRankSums::add(int m, int w, float t, bool event)
{
    // Without branches on the membership: an observation of the other side,
    // or an undetermined one, adds zeros, which change no sum.
    const bool in0 = m == 0, in1 = m == 1;
    const std::int64_t wa0 = in0 ? w : 0, wa1 = in1 ? w : 0;
    const double e0 = event ? static_cast<double>(wa0) : 0.0, e1 = event ? static_cast<double>(wa1) : 0.0;
    add_weights(wa0, wa1, e0, e1);
    const double wt = static_cast<double>(w) * t;
    r.t0 += in0 ? wt : 0.0;
    r.t1 += in1 ? wt : 0.0;
}

void LogRankSums::add_weights(std::int64_t wa0, std::int64_t wa1, double e0, double e1)
{
    w0 += wa0;
    w1 += wa1;
    d0 += e0;
    d1 += e1;
    r.d0 += e0;
    r.d1 += e1;
}

void LogRankSums::close_time(float t)
{
    if (t == 0.0f) return;
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

LogRankResult LogRankSums::finish()
{
    r.w0 = w0;
    r.w1 = w1;
    r.o = o;
    r.e = e;
    r.v = v;
    r.g = v > 0.0 ? (o - e) * (o - e) / v : 0.0;
    return r;
}

CensoredCount censpct(const SampleView& data, const Censoring& censoring_in, std::string_view yname, Notices& told)
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
    c.percent = files::safediv(100.0 * static_cast<double>(c.censored), static_cast<double>(c.total));
    if (censoring.in_force) {
        const std::string text = " There are " + io::fmt_i(c.censored, 7) + "(" + io::fmt_f(c.percent, 6, 2) +
                                 "%) censored " + io::fmt_a(yname, 8) + " observations$";
        told.add_note(text, NoteKind::Cut79, true);
    }
    return c;
}

} // namespace meru::stats
