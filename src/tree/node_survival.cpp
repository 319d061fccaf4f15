#include "tree/node_survival.h"

#include "stats/logrank.h"
#include "stats/special_functions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace meru::tree {

namespace {

// An estimate this close to one half is one half.
constexpr double kHalfTolerance = 1e-9;

struct KaplanMeier {
    double at_risk = 0.0;
    double survival = 1.0;
    std::optional<double> half_at; // the event time where the estimate is one half
};

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// Per node, what one time adds: its events and every observation that leaves.
struct TimeStep {
    std::vector<std::int64_t> events, leaving;
    std::vector<int> touched;
    explicit TimeStep(std::size_t slots) : events(slots), leaving(slots) {}
    void add(int n, int w, bool event)
    {
        if (leaving[at(n)] == 0) touched.push_back(n);
        leaving[at(n)] += w;
        if (event) events[at(n)] += w;
    }
};

} // namespace

void survival_nodes(const TreeData& d, TreeStats& s)
{
    s.survival = true;
    std::vector<int> order;
    for (std::size_t i = 0; i < s.deepest.size(); ++i)
        if (s.deepest[i] >= 0) order.push_back(static_cast<int>(i));
    const auto time = [&](int i) { return d.y[at(i)]; };
    const auto event = [&](int i) { return at(i) < d.event.size() && d.event[at(i)] != 0; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return time(a) < time(b); });
    // The nodes an observation reaches, from its deepest up to the root.
    const auto path = [&](int i, auto&& each) {
        for (int n = s.deepest[at(i)];; n = parent_of(n)) {
            each(n);
            if (n == 0) break;
        }
    };
    const std::size_t slots = s.node.size();
    std::vector<KaplanMeier> km(slots);
    for (std::size_t n = 0; n < slots; ++n) km[n].at_risk = static_cast<double>(s.node[n].n);
    // From the earliest time up: the censored observations of a time are still at
    // risk at its events.
    for (std::size_t a = 0, b = 0; a < order.size(); a = b) {
        const double t = time(order[a]);
        TimeStep step(slots);
        for (; b < order.size() && time(order[b]) == t; ++b) {
            const int i = order[b], w = s.weight[at(i)];
            path(i, [&](int n) { step.add(n, w, event(i)); });
        }
        for (int n : step.touched) {
            KaplanMeier& k = km[at(n)];
            TreeNode& nd = s.node[at(n)];
            const std::int64_t died = step.events[at(n)];
            nd.events += died;
            if (died > 0 && !nd.median) {
                if (k.half_at) {
                    nd.median = 0.5 * (*k.half_at + t);
                } else {
                    k.survival *= 1.0 - static_cast<double>(died) / k.at_risk;
                    if (k.survival < 0.5 - kHalfTolerance) nd.median = t;
                    else if (k.survival <= 0.5 + kHalfTolerance) k.half_at = t;
                }
            }
            k.at_risk -= static_cast<double>(step.leaving[at(n)]);
        }
    }
    for (std::size_t n = 0; n < slots; ++n)
        if (!s.node[n].median) s.node[n].median = km[n].half_at;

    // From the latest time down: each observation joins the risk set of its child
    // of every split above it.
    std::vector<stats::LogRankSums> sums(slots);
    for (std::size_t b = order.size(), a = b; b > 0; b = a) {
        const double t = time(order[b - 1]);
        TimeStep step(slots);
        for (; a > 0 && time(order[a - 1]) == t; --a) {
            const int i = order[a - 1], w = s.weight[at(i)];
            path(i, [&](int m) {
                if (m == 0) return;
                const int n = parent_of(m);
                step.add(n, w, false);
                sums[at(n)].add(m == inside_child(n) ? 1 : 0, w, static_cast<float>(t), event(i));
            });
        }
        for (int n : step.touched) sums[at(n)].close_time(static_cast<float>(t));
    }
    for (std::size_t n = 0; n < slots; ++n) {
        TreeNode& nd = s.node[n];
        if (!nd.tested) continue;
        nd.stat = sums[n].finish().g;
        nd.p = stats::gammq(0.5, 0.5 * nd.stat);
        nd.z = std::sqrt(nd.stat);
    }
}

} // namespace meru::tree
