#pragma once
// The settings a G value depends on beyond the partition and the data: the
// criterion with its priors, costs and weights, the Ys it was computed for, and
// the sample (observations and their weights, which a training sample sets).
// A G held from an earlier search is shown only while these are unchanged.
#include "stats/criteria.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace meru::mainloop {

struct Program;

// The observations of the sample and their weights, held once for the keys
// that agree on them (a search's keys of its lists and of its winner).
struct SampleKey {
    struct Values {
        std::vector<std::uint8_t> sample;
        std::vector<int> weights;
        bool operator==(const Values&) const = default;
    };
    std::shared_ptr<const Values> values; // null: no sample

    bool operator==(const SampleKey& o) const
    {
        return values == o.values || (values && o.values && *values == *o.values);
    }
};

struct ScoreKey {
    bool set = false; // false: nothing has been scored yet
    int icrit = 0;
    double gamma = 0.0;
    bool balanced = false;
    bool priors_given = false;
    std::array<double, stats::kMaxClasses> prior{};
    bool weigh_by_costs = false;
    std::array<double, 2 * stats::kMaxClasses> cost{};
    double qi_r = 0.0;
    std::array<double, 4> or_prior{};
    std::array<double, stats::kMaxYs> yweight{};
    bool inverse_variance = false;
    int ny = 0;
    bool yserial = false;
    std::array<int, stats::kMaxYs> ycol{};
    std::array<int, stats::kMaxYs> yattr{};
    int y = 0; // the Y of a serial analysis the G is of (0: every Y together)
    SampleKey sample;

    bool operator==(const ScoreKey&) const = default;
};

// The Y under analysis: the current Y of a serial analysis of several Ys, else Y 1.
int search_y(const Program& p);

// The Y a G is scored on, as the ranking, the search and the Process items score
// it: in a serial analysis Y `y`, or the Y under analysis when `y` is 0; several
// Ys searched together, 0 (every Y); a single Y, 1.
int scored_y(const Program& p, int y = 0);

// The key of the settings in force now, for the G of Y `y` as scored_y says.
ScoreKey score_key(const Program& p, int y = 0);

} // namespace meru::mainloop
