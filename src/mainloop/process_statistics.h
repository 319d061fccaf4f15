#pragma once
// Process > Statistics and the items that share its steps (Rectangle diagrams,
// Lists, Distribution A v. A-): the count table and its tests, the frequency
// table, the 2x2 statistics, the subgroup and cell tables, the sample size and
// the errors, the recording of a search and the Search Summary.
#include "mainloop/dispatch.h"
#include "partition/termlist.h"
#include "stats/parallel_for.h"

#include <array>
#include <cstdint>
#include <span>

namespace meru::mainloop {

struct Program;

// Where an observation falls and what the partition's sides hold.
struct ResubInput {
    std::span<const float> y;            // negative or NaN: missing
    std::span<const int> weights;        // 0 takes no part
    std::span<const std::uint8_t> mask;  // non-zero: in the sample
    std::span<const std::int8_t> member; // 1 in A, 0 in A-, -1 undetermined
    bool categorical = true;             // the Y classes are int(y)
    // The prediction of each side (A-, A) taken from another sample (the training
    // sample, the by-group) instead of this one's: its class or its mean.
    const std::array<double, 2>* rule = nullptr;
    stats::ParallelFor parallel{}; // shares out the stretches of observations
};

struct Resub {
    long long n = 0;         // weight counted (Y present, membership known)
    long long n_a = 0;       // of it in A
    long long n_a_minus = 0; // and in A-
    // Categorical Y: 100 x the weight outside each side's predicted class / n;
    // otherwise 100 x the sum of squares about each side's prediction / the total
    // sum of squares. -1 when it cannot be formed (no weight, or no spread of Y).
    double error = -1.0;
    // This sample's prediction of each side (A-, A): the heaviest class (the
    // smallest on ties) or the weighted mean; 0 for an empty side.
    std::array<double, 2> prediction{};
    std::array<double, 2> mean{}; // the weighted mean of Y of each side (A-, A); 0 for an empty side
};

Resub resubstitution(const ResubInput& in);

// Statistics over the chosen partition for Y number `ynumber`; says where the loop
// goes next. With `ynumber` 0 the Y is the one the user picks among several outside
// Search:Go! (the statistics end when that is cancelled), else the search's Y.
Flow process_statistics(Program& p, const partition::Partition& cur, int ynumber = 0);

// The A/A- balance after a search: true when the weighted size of A divided by that
// of A- is below 0.05 or above 20 (both sides non-empty).
bool imbalanced(long long n_a, long long n_a_minus);

} // namespace meru::mainloop
