// The per-Y summary: which Ys are binary, which are offered as discrete, and the
// weighted moments, with missing values and weights.
#include "outcome/ysummary.h"

#include <gtest/gtest.h>

#include <cmath>

namespace meru::outcome {
namespace {

YSummary of(std::vector<float> y, std::vector<int> w = {})
{
    if (w.empty()) w.assign(y.size(), 1);
    return summarize_y(y, w, {});
}

TEST(YSummary, BinaryClassification)
{
    struct Case {
        std::vector<float> y;
        bool binary;
        int ylev;
        double ylow, yhigh;
    };
    const std::vector<Case> cases{{{0, 1, 1, 0}, true, 2, 0, 1}, {{1, 1}, true, 1, 1, 1},
                                  {{-1, -999}, true, 0, 0, 0},   {{0, 0.5f, 1}, false, 3, 0, 1},
                                  {{2, 5, -1}, true, 2, 2, 5},   {{0.5f}, false, 1, 0.5, 0.5},
                                  {{1, 2, 3}, false, 3, 1, 3}};
    for (const Case& c : cases) {
        const YSummary s = of(c.y);
        EXPECT_EQ(s.binary, c.binary) << ::testing::PrintToString(c.y);
        EXPECT_EQ(s.ylev, c.ylev);
        EXPECT_EQ(s.ylow, c.ylow);
        EXPECT_EQ(s.yhigh, c.yhigh);
    }
}

TEST(YSummary, DiscreteCandidates)
{
    EXPECT_TRUE(discrete_candidate(of({1, 2, 3}), false));
    EXPECT_FALSE(discrete_candidate(of({1, 2, 12}), false));
    EXPECT_TRUE(discrete_candidate(of({1, 2, 12}), true)); // three character codes
    EXPECT_FALSE(discrete_candidate(of({1, 2, 3, 4, 5, 6}), false));
    EXPECT_FALSE(discrete_candidate(of({0, 1}), false));
    EXPECT_FALSE(discrete_candidate(of({1, 2, 2.5f}), false));
}

TEST(YSummary, WeightedMomentsMaskAndMissing)
{
    // Weights 1, 2, 3 on 1, 2, 4: weighted.mean = 17/6; population variance
    // sum(w * (y - m)^2) / sum(w) = 53/36; the masked and missing ones do not count.
    const std::vector<float> y{1, 2, 4, 100, -1};
    const std::vector<int> w{1, 2, 3, 5, 4};
    const std::vector<char> mask{1, 1, 1, 0, 1};
    const YSummary s = summarize_y(y, w, mask);
    EXPECT_DOUBLE_EQ(s.n, 6);
    EXPECT_DOUBLE_EQ(s.missing, 4);
    EXPECT_NEAR(s.mean, 17.0 / 6, 1e-12);
    EXPECT_NEAR(s.var, 53.0 / 36, 1e-12);
    EXPECT_EQ(s.ymode, 3);
    EXPECT_DOUBLE_EQ(s.ymax, 4);
    EXPECT_DOUBLE_EQ(s.missing_percent(), 40);

    const YSummary none = of({-1, -1});
    EXPECT_EQ(none.mean, 0);
    EXPECT_EQ(none.sd, 0);
    EXPECT_EQ(none.ymin, 1e30);
    EXPECT_EQ(none.ymax, 0);
}

} // namespace
} // namespace meru::outcome
