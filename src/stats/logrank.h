#pragma once
// Log-rank comparison of the survival of the subgroup A (membership 1) with its
// complement A- (membership 0), weights taken as frequencies, and the count of
// censored observations.
#include "core/notices.h"
#include "stats/censoring.h"
#include "stats/membership_kernels.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::stats {

// What the ascending order of the times depends on: the Y, the data it was read
// from (a counter the owner raises whenever the data change) and the sample (raised
// whenever the sample mask changes).
struct LogRankKey {
    int y = -1;
    std::uint64_t data_generation = 0;
    std::uint64_t sample_generation = 0;
    bool operator==(const LogRankKey&) const = default;
};

// The times in ascending order with the index of each observation, kept between
// calls so that the walk need not sort again.
struct LogRankOrder {
    std::vector<float> times;
    std::vector<int> obs; // 0-based observation index of each sorted time
    LogRankKey key;
    bool valid = false;
};

struct LogRankResult {
    std::int64_t w0 = 0, w1 = 0; // weight counted in A- and in A
    double g = 0.0;              // (O - E)^2 / V, 0 when V <= 0
    double o = 0.0, e = 0.0, v = 0.0;
    double d0 = 0.0, d1 = 0.0; // event weight of A- and of A (events at time 0 included)
    double t0 = 0.0, t1 = 0.0; // weight times time of A- and of A
};

// The running sums of a walk from the latest time down: each counted
// observation joins the risk set of its side; after the last observation of a
// time other than 0 the time's events enter O, E and V.
struct LogRankSums {
    // One observation of membership m (1, 0, or -1: left out).
    void add(int m, int w, float t, bool event);
    // Observations of one time added at once: the weights of each side and their
    // events' weights (integers, so the sums are those of add() one by one;
    // t0 and t1 are left alone).
    void add_weights(std::int64_t w0, std::int64_t w1, double e0, double e1);
    void close_time(float t);
    LogRankResult finish();

    LogRankResult r;
    std::int64_t w0 = 0, w1 = 0; // weight at risk so far (times >= the current one)
    double d0 = 0.0, d1 = 0.0;   // events at the current time
    double o = 0.0, e = 0.0, v = 0.0;
};

// Log-rank statistic of the split given by `membership` (1 member, 0 non-member,
// -1 undetermined: left out), one value per observation; the survival time is the
// view's Y.
//  - Observations count when their mask entry is set, their time is >= 0, their
//    weight is not 0 and, with censoring in force, their censoring byte is 0 or 1.
//  - The statistics are taken once per distinct time after every observation of
//    that time has joined the risk set; events at time 0 enter D0 and D1 but not O,
//    E or V.
//  - The times are sorted (into `order`) when `sort_switch` is 0, when `order` is
//    empty or does not match `key` or the number of observations; otherwise the
//    kept order is used. Sorting writes "NOTE: " Z " zero survival times omitted in
//    log-rank" when the sample holds weight Z at time 0. Where `earlier` (an
//    order sorted before, of any Y) sorted bit for bit the same times, sorting
//    takes its order over, which is the order sorting them again would give.
LogRankResult LOGRANK(const SampleView& data, std::span<const std::int8_t> membership, const Censoring& censoring,
                      int sort_switch, const LogRankKey& key, LogRankOrder& order, io::LogWriter& log,
                      const LogRankOrder* earlier = nullptr);
// What LOGRANK does to `order` for a membership of `members` values (the
// times sorted under the same conditions, with the same note), without the
// walk; returns the number of observations taken (none below 1).
int order_times(const SampleView& data, std::size_t members, const Censoring& censoring, int sort_switch,
                const LogRankKey& key, LogRankOrder& order, io::LogWriter& log,
                const LogRankOrder* earlier = nullptr);

// The counted observations of a kept order, latest time first, with their
// weights, times, event flags and whether each is the last of its time: made once
// for a sample (prepare_walk), then walked for each membership (logrank_walk),
// which gives exactly what LOGRANK gives for that membership and order.
struct LogRankWalk {
    struct Step {
        int obs;
        int w;
        float t;
        bool event;
        bool closes; // the last counted observation of its time
    };
    std::vector<Step> steps;
};

// Sorts the first n times of y into order.times and order.obs as LOGRANK does
// (a time that is not a number is missing, like a negative one), without its
// note; leaves order.key and order.valid alone.
void sort_order(std::span<const float> y, std::size_t n, LogRankOrder& order);

// Builds the walk of a valid order (an invalid order gives an empty walk).
void prepare_walk(const SampleView& data, const Censoring& censoring, const LogRankOrder& order, LogRankWalk& walk);
// The log-rank statistic of a membership (one value per observation) over the walk.
LogRankResult logrank_walk(const LogRankWalk& walk, std::span<const std::int8_t> membership);

struct CensoredCount {
    std::int64_t censored = 0; // weight of the censored observations
    std::int64_t total = 0;    // weight of the counted observations
    double percent = 0.0;      // 100 censored / total, 0 for an empty sample
};

// Counts the censored observations (mask set, weight not 0, censoring byte usable;
// the caller's view holds the observation weights and the base selection, its Y is
// not read) and, with censoring in force, shows " There are " C "(" pct "%)
// censored " name " observations$" as a note that is also written to the log
// (left in `told`).
CensoredCount censpct(const SampleView& data, const Censoring& censoring, std::string_view yname, Notices& told);

} // namespace meru::stats
