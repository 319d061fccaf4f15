// ln Gamma against scipy.special.gammaln.
#include "special_functions_test_util.h"
#include "stats/special_functions.h"

#include <cmath>
#include <limits>

using meru::stats::lngamma;

TEST(Lngamma, MatchesReferenceValues)
{
    struct Case {
        double x, want;
    };
    const Case cases[] = {
        {0.001, 6.907178885383853},  {0.5, 0.5723649429247},     {1.0, 0.0},
        {1.5, -0.12078223763524526}, {10.0, 12.801827480081469}, {100.0, 359.1342053695754},
        {1e4, 82099.71749644238},    {1e7, 151180949.36947393},
    };
    for (const auto& c : cases) EXPECT_TRUE(RelNear(lngamma(c.x), c.want, 1e-12, 1e-9)) << "x=" << c.x;
}

TEST(Lngamma, OutsideDomainIsNaN)
{
    EXPECT_TRUE(std::isnan(lngamma(0.0)));
    EXPECT_TRUE(std::isnan(lngamma(-2.5)));
    EXPECT_TRUE(std::isnan(lngamma(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(lngamma(std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
}
