#pragma once
// The effectiveness criteria as classes behind one interface. A criterion scores
// one Y's summary of a split -- the weighted sums of the two sides, the 2 x K count
// table of membership by Y class, or the log-rank statistic -- and tells its
// callers what it needs: which summary the evaluation must build, whether
// swapping A and A- leaves it unchanged, the value of a split without effect, how
// random partitions score it and how the rank stage measures a direction.
//
// A criterion object is made once from the settings (`make_criterion`) before a
// search and is immutable afterwards: every score is a pure function of its
// arguments and of those settings, so several threads may score with one object.
// Every criterion ranks higher G as more effective.
//
// Balancing (gamma), the Y weights and the rule that an empty side scores 0 apply
// to every criterion alike and are left to the caller that combines the Ys.
#include "stats/criteria.h"
#include "stats/criterion_value.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace meru::stats {

struct LogRankResult;

// The summary of a split that a criterion scores.
enum class ScoreInput {
    SplitSums,  // weighted sums of each side (Within MSE, Subgroup MSE)
    CountTable, // 2 x K count table of membership by Y class
    LogRank,    // the log-rank statistic of the two sides
};

// What random partitions draw for a criterion.
enum class RandomScoring {
    Refused,    // no random partitions (Subgroup MSE)
    SideMeans,  // the between-sides mean square of the units' Y sums
    CountTable, // a count table of the units, scored by the criterion
    LogRank,    // the log-rank statistic of the units
};

// How the rank stage measures the direction of an attribute (Fix Positive
// attributes).
enum class Direction {
    Correlation, // the correlation of Y with membership
    EventRates,  // the contrast of the event rates per unit of follow-up time
};

// Weighted sums of one Y over the two sides of a split: side 1 where the first
// list holds, side 2 where the second holds.
struct SplitSums {
    std::int64_t n1 = 0, n2 = 0; // weight of each side
    double ss1 = 0.0, ss2 = 0.0; // sum of squares about the side's mean
    double s1 = 0.0, s2 = 0.0;   // pooled within-term sums of squares (per term)
    std::int64_t m1 = 0, m2 = 0; // the term counts s1 and s2 are taken over
    double sst = 0.0;            // sum of squares about the common mean
    double y1 = 0.0, y2 = 0.0;   // weighted sum of Y of each side
};

class SplitCriterion {
public:
    virtual ~SplitCriterion() = default;

    virtual Criterion code() const = 0;
    const CriterionTraits& traits() const { return *criterion_traits(static_cast<int>(code())); }
    std::string_view name() const { return traits().name; }
    virtual ScoreInput input() const = 0;
    // True when scoring the split with A and A- swapped gives the same G.
    virtual bool symmetric() const = 0;
    // G of a split whose two sides are alike (1 for the odds ratio, else 0).
    virtual double no_effect() const { return 0.0; }
    virtual RandomScoring random_scoring() const = 0;
    virtual Direction direction() const { return Direction::Correlation; }

    // Scores the summary that input() names; the others throw std::logic_error.
    // Sums: c0 = n1, c1 = n2, p = 1 (the rank stage takes its F test apart).
    virtual CriterionValue score(const SplitSums& sums) const;
    // A 2 x nj count table column by column, cell (membership m, class j) at
    // 2j + m: the chi-square test of the table gives p, c0 and c1 (rows 0 and 1)
    // and the criterion G. nj is clamped to the table and to kMaxClasses.
    virtual CriterionValue score(std::span<const std::int64_t> table, int nj) const;
    // The same without the p-value (p stays 1): for a search, which ranks by G alone.
    virtual CriterionValue score_without_p(std::span<const std::int64_t> table, int nj) const;
    // The log-rank statistic: G, its p-value (chi-square, one degree of freedom)
    // and c0, c1 the weights of membership 0 and 1.
    virtual CriterionValue score(const LogRankResult& logrank) const;
    // The same without the p-value (p stays 1).
    virtual CriterionValue score_without_p(const LogRankResult& logrank) const;
};

// The criterion of crit.icrit (1..kCriterionCount), holding a copy of the settings it reads.
// Throws std::invalid_argument for another code.
std::unique_ptr<const SplitCriterion> make_criterion(const CritSettings& crit);

} // namespace meru::stats
