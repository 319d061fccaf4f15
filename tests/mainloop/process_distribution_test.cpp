// The samples of A and A- that Process > Distribution A v. A- draws: each
// side's distinct Y values with their weights and the count of those with a
// value, censored weight negative, missing values, observations outside the
// sample or of weight 0 or of undetermined membership left out.
#include "mainloop/process_distribution.h"
#include "stats/censoring.h"
#include "stats/membership_kernels.h"

#include <gtest/gtest.h>

namespace meru::test {
namespace {

TEST(ProcessDistribution, EachSideHoldsItsOwnObservations)
{
    // Eight observations; attribute 1 is the censoring attribute (1 = censored).
    const std::vector<float> y{3, 1, 3, -1, 2, 5, 1, 4};
    const std::vector<int> w{1, 2, 1, 1, 0, 1, 3, 2};
    const std::vector<std::uint8_t> mask{1, 1, 1, 1, 1, 0, 1, 1};
    const std::vector<std::int8_t> member{1, 1, 0, 1, 1, 1, 0, -1}; // -1: undetermined
    const std::vector<std::uint8_t> censor{0, 1, 0, 0, 0, 0, 1, 0};
    const stats::SampleView view{stats::AttributeMatrix(censor, 1, 8), y, mask, w};

    struct Case {
        int side;
        bool censoring;
        std::vector<double> x;
        std::vector<long long> w;
        long long nobs;
        double mean;
    };
    // A: observations 1, 2 and 4 (missing, not counted); 5 has weight 0, 6 is
    // outside the sample. Mean (3 + 2 x 1) / 3. A-: observations 3 and 7; mean
    // (3 + 3 x 1) / 4.
    const Case cases[] = {
        {1, false, {1, 3}, {2, 1}, 3, 5.0 / 3.0},
        {0, false, {1, 3}, {3, 1}, 4, 1.5},
        {1, true, {1, 3}, {-2, 1}, 3, 5.0 / 3.0},
        {0, true, {1, 3}, {-3, 1}, 4, 1.5},
    };
    for (const Case& c : cases) {
        stats::Censoring censoring;
        censoring.in_force = c.censoring;
        censoring.side = 2; // the label of value 1 describes the censored side
        const mainloop::SideSample s = mainloop::side_sample(view, member, c.side, censoring);
        EXPECT_EQ(s.x, c.x) << c.side << c.censoring;
        EXPECT_EQ(s.w, c.w) << c.side << c.censoring;
        EXPECT_EQ(s.nobs, c.nobs) << c.side << c.censoring;
        EXPECT_NEAR(s.mean, c.mean, 1e-12) << c.side << c.censoring;
    }
}

} // namespace
} // namespace meru::test
