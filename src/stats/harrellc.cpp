#include "stats/harrellc.h"

#include "core/services.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "stats/sample_filter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace meru::stats {

namespace {

struct Unit {
    float t;
    bool censored;
    int m; // 0 or 1
    double w;
};

std::string pair_count(double v, bool wide)
{
    return wide ? io::fmt_e(v, 13, 6) : io::fmt_i(static_cast<long long>(std::llround(v)), 8);
}

} // namespace

HarrellC harrellc(const SampleView& data, const CompiledList& list, bool skip, const Censoring& censoring,
                  Services& services, io::LogWriter& log)
{
    data.check();
    HarrellC r;
    const SampleFilter filter(data.abyte, data.mask, data.weights, censoring, skip ? &list : nullptr);
    std::vector<Unit> units;
    for (int i = 0; i < data.abyte.n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const float t = data.y[k];
        const int w = data.weights[k];
        const SampleObservation obs = filter.at(k);
        if (!obs.counted || !(t >= 0.0f)) continue;
        const bool censored = obs.censored;
        const int m = list.membership(data.abyte.row(i));
        if (m < 0) continue;
        units.push_back({t, censored, m, static_cast<double>(w)});
    }
    // Descending time; within a time the censored first, so that when the events
    // of a time are reached the censored of that time are already among the
    // partners (a censored time equal to an event time outlives it).
    std::sort(units.begin(), units.end(), [](const Unit& a, const Unit& b) {
        if (a.t != b.t) return a.t > b.t;
        return a.censored && !b.censored;
    });

    services.clear_search_end();
    const std::size_t n = units.size();
    std::array<double, 2> later{0.0, 0.0}; // weight by membership of the partners seen so far
    std::size_t step = 0;
    for (std::size_t g = 0; g < n;) {
        // One time: its censored units join the partners at once; its events are
        // compared with everything longer and with those censored units, then join.
        std::size_t end = g;
        while (end < n && units[end].t == units[g].t) ++end;
        for (std::size_t i = g; i < end; ++i)
            if (units[i].censored) later[static_cast<std::size_t>(units[i].m)] += units[i].w;
        for (std::size_t i = g; i < end; ++i, ++step) {
            services.yield();
            if (services.search_end()) {
                log.write("User Search:End abandoned Harrell!");
                r.abandoned = true;
                return r;
            }
            if (step > 0 && step % 1000 == 0)
                services.thinking(io::fmt_i(static_cast<long long>(100 * step / (n - 1)), 3) +
                                      "% Harrell c-index calculations done (use Search:End to quit)",
                                  true);
            const Unit& u = units[i];
            if (u.censored) continue;
            r.usable += u.w * (later[0] + later[1]);
            r.tied += u.w * later[static_cast<std::size_t>(u.m)];
            if (u.m == 0) r.concordant += u.w * later[1];
        }
        for (std::size_t i = g; i < end; ++i)
            if (!units[i].censored) later[static_cast<std::size_t>(units[i].m)] += units[i].w;
        g = end;
    }
    if (r.usable <= 0.0) {
        log.write(" Harrell c-index not computable: no usable pairs");
        return r;
    }
    r.c = (r.concordant + 0.5 * r.tied) / r.usable;
    r.computed = true;
    log.write(" Harrell c-index=" + io::fmt_f(r.c, 7, 4));
    const bool wide = r.usable >= 1.0e7;
    log.write(" Based on " + pair_count(r.usable, wide) + " comparison pairs with " + pair_count(r.concordant, wide) +
              " concordances and " + pair_count(r.tied, wide) + " tied");
    return r;
}

} // namespace meru::stats
