#pragma once
// Random partitions of the analysis sample as a reference distribution for the G
// values of the last search and for G_test, the G of the partition in hand.
//
// Each partition draws exactly s of the W weight units into A, every s-subset
// equally likely, and is scored by the current criterion. The units of one
// observation are drawn together (how many of them join A), so that the cost
// follows the observations, not W. `randy` generates the partitions and the
// statistics of their G: the exceedances of G_test, the empirical upper 5% point
// and, when the last search evaluated m > 10 partitions, the Gumbel and the
// empirical extreme-value P of G_test being the best of m. Process > Random
// (ui/random_run.h) asks for the request, shows the progress, writes the report
// and draws the distributions.
#include "stats/censoring.h"
#include "stats/criteria.h"
#include "stats/criterion.h"
#include "stats/extreme_value.h"
#include "stats/logrank.h"
#include "stats/membership.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace meru::io {
class RandomStream;
} // namespace meru::io

namespace meru::stats {

// How the size of the random subgroup A is chosen.
enum class SplitMode { Mimic, Uniform, Fixed };

// What the run works on. Observation i (0-based) is included when mask[i] is set
// and weights[i] > 0; it stands for weights[i] weight units, numbered in
// observation order. A Y value below 0 (or NaN) is missing.
struct RandomInput {
    std::vector<std::span<const float>> y; // one column per Y (at most 5)
    std::span<const int> weights;          // observation weights
    std::span<const std::uint8_t> mask;    // the analysis sample
    AttributeMatrix abyte;                 // for the censoring attribute
    Censoring censoring;
    double g_test = 0.0;                 // G of the partition in hand (tested_g when `member` is given)
    std::span<const std::int8_t> member; // the partition in hand per observation: 1 A, 0 A-, else in neither
    long long n_a_minus = 0, n_a = 0;    // its side sizes
    std::span<double> searchg;           // G of the last search (sorted here, in place)
    std::span<const int> splithist;      // 100 bins of the last search's A- shares
    long long seed = -1;                 // -1 seeds from the clock; > 0 fixes the stream
    long long max_nrand = 0;             // most partitions one run may hold (0: as the machine's memory allows)
};

// How many partitions to draw, and how large A is.
struct RandomRequest {
    long long nrand = 0;
    SplitMode mode = SplitMode::Uniform;
    long long fixed = 0; // size of A in weight units (Fixed)
};

struct RandomResult {
    bool ran = false;           // the request was accepted (set by the caller)
    bool allocated = true;      // the work arrays could be had
    int nrand = 0;              // partitions generated
    bool escaped = false;       // stopped by the progress callback
    std::vector<double> gs;     // their G, ascending
    long long exceedances = 0;  // G >= G_test
    double upper5 = 0.0;        // empirical upper 5% point (nrand > 0)
    long long m = 0;            // partitions on the last search
    bool extreme_lines = false; // m > 10: the extreme-value lines were written (set by the caller)
    GumbelApprox gumbel;        // of G_test as the best of m (m > 10, nrand > 0)
    int extremes = 0;           // block maxima above G_test
    int blocks = 0;             // block maxima filled
};

// Scores the random partitions of one run. The G of a partition is the sum over
// the Ys of G_k, times crit.yweight(k) except under Log-rank (as a search sums
// them), G_k by `criterion` over the units of Y >= 0 (in_a[i]: how many of
// observation i's units are in A), as its random_scoring() says: the
// between-sides mean square (Within MSE); the criterion's score of the units'
// count table (classes 0..99; a unit of a higher class counts in its side but in
// no cell); the log-rank statistic of the
// units with their times in ascending order, tied times taken together, as
// LOGRANK takes them. A side without units gives G_k = 0; with crit.balanced G_k
// is multiplied by ((n_A/n)(n_A-/n))^gamma. The order of the times is found once,
// when the scorer is made; `in`, `criterion` and `crit` must outlive it.
class RandomScorer {
public:
    RandomScorer(const RandomInput& in, const SplitCriterion& criterion, const CritSettings& crit);
    double g(std::span<const int> in_a);

private:
    double side_g(std::span<const float> y, std::span<const int> in_a, long long& n0, long long& n1) const;
    double logrank_g(std::size_t k, std::span<const int> in_a, long long& n0, long long& n1) const;

    const RandomInput& in_;
    const SplitCriterion& criterion_;
    const CritSettings& crit_;
    RandomScoring scoring_;
    std::vector<LogRankWalk> walks_;    // per Y under Log-rank: the counted observations, latest time first
    std::vector<std::uint8_t> counted_; // per observation: it takes part
};

// G of the partition in hand scored as a random partition is (so a random
// partition with the same split has exactly the same G): over the included
// observations whose `member` is 0 or 1, each unit in A when 1.
double tested_g(const RandomInput& in, const SplitCriterion& criterion, const CritSettings& crit);

// Size s of A for one partition of w weight units: Fixed gives `fixed`; Uniform
// int(U w); Mimic draws U and takes the first bin j (1-based) of `splithist` whose
// cumulative share of m exceeds U, s = int((j - 0.5)(w + 1)/100), or w when no bin
// does; without shares (m <= 0) Mimic sizes as Uniform.
long long split_size(SplitMode mode, long long fixed, long long w, long long m, std::span<const int> splithist,
                     io::RandomStream& random);

// Draws s of the units (observation i has units[i] >= 0 of them) into A, as if
// unit by unit with each taken with chance (s still to take) / (units left):
// in_a[i] gets how many of observation i's units join A, the hypergeometric
// count given those still to take. s is held within 0 .. the sum of the units.
void select_units(std::span<int> in_a, std::span<const int> units, long long s, io::RandomStream& random);

// Weight units of the run: the sum of the weights of the included observations.
long long weight_units(const RandomInput& in);

// m, the partitions of the last search: the sum of `splithist` when search values
// are handed in, else 0.
long long search_partitions(const RandomInput& in);

// Told before the first partition (i = 0) and after each partition i (1-based);
// false stops the generation before partition i + 1.
using RandomProgress = std::function<bool(int i)>;

// Generates request.nrand random partitions of the W = weight_units(in) >= 1
// units from `random` (seeded by the caller), scores each with `criterion` (and
// crit's balancing and Y weights) and returns their G ascending with the
// statistics above, m = search_partitions(in). A request of more partitions than
// can be held gives allocated = false and nothing else. Writes nothing and shows
// nothing.
RandomResult randy(const RandomInput& in, const SplitCriterion& criterion, const CritSettings& crit,
                   const RandomRequest& request, io::RandomStream& random, const RandomProgress& progress);

} // namespace meru::stats
