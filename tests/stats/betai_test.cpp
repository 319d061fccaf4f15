// I_x(a, b) against scipy.special.betainc, with the end points, the clamping of a
// bad x and the boundary shapes.
#include "special_functions_test_util.h"
#include "stats/special_functions.h"

#include <cmath>
#include <limits>

using meru::stats::betai;

TEST(Betai, MatchesReferenceValues)
{
    struct Case {
        double a, b, x, want;
    };
    const Case cases[] = {
        {2, 3, 0.4, 0.5248},
        {0.5, 0.5, 0.1, 0.2048327646991335},
        {1, 1, 0.3, 0.3},
        {10, 20, 0.9, 0.9999999999999593},
        {0.1, 10, 1e-5, 0.4165582261920937},
        {200, 300, 0.4, 0.502428616319897},
        {3, 2, 0.999, 0.999994007997},
        {1e-3, 1e-3, 0.5, 0.5},
        {5e5, 0.5, 0.999996, 0.04550010193252583},
        {1e6, 1e6, 0.5005, 0.9213504224939122},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(RelNear(betai(c.a, c.b, c.x), c.want, 1e-8)) << "a=" << c.a << " b=" << c.b << " x=" << c.x;
    }
}

TEST(Betai, EndPoints)
{
    for (double a : {0.5, 3.0, 1e5})
        for (double b : {0.5, 2.0, 1e5}) {
            EXPECT_EQ(betai(a, b, 0.0), 0.0);
            EXPECT_EQ(betai(a, b, 1.0), 1.0);
        }
}

TEST(Betai, BadXIsClamped)
{
    EXPECT_EQ(betai(2, 3, -0.1), 0.0);
    EXPECT_EQ(betai(2, 3, 1.5), 1.0);
}

TEST(Betai, BoundaryShapesTakeTheirLimits)
{
    EXPECT_EQ(betai(0.0, 2.0, 0.3), 1.0); // all mass at 0
    EXPECT_EQ(betai(0.0, 2.0, 0.0), 0.0);
    EXPECT_EQ(betai(2.0, 0.0, 0.3), 0.0); // all mass at 1
    EXPECT_EQ(betai(2.0, -1.0, 1.0), 1.0);
    EXPECT_TRUE(std::isnan(betai(0.0, 0.0, 0.5)));
    EXPECT_TRUE(std::isnan(betai(1.0, 1.0, std::numeric_limits<double>::quiet_NaN())));
}

TEST(Betai, Symmetry)
{
    // I_x(a, b) = 1 - I_{1-x}(b, a)
    for (double x : {0.05, 0.3, 0.7, 0.95})
        EXPECT_NEAR(betai(2.5, 7.0, x), 1.0 - betai(7.0, 2.5, 1.0 - x), 1e-13) << x;
}

TEST(Betai, SmallLowerTailKeepsItsRelativeAccuracy)
{
    // x far below a / (a + b) with a large shape: x s / a under 1e-16, where
    // x s / a - 1 rounds to -1. Values from mpmath's betainc at 40 digits.
    struct Case {
        double a, b, x, want;
    };
    const Case cases[] = {
        {0.5, 500, 1.57e-23, 9.994965838335085e-11},
        {1, 500, 2e-13, 9.9999999995010003e-11},
        {2, 300, 1e-9, 4.5149991000101011e-14},
        {3, 200, 1e-30, 1.3534000000000003e-84},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(RelNear(betai(c.a, c.b, c.x), c.want, 1e-12)) << "a=" << c.a << " b=" << c.b << " x=" << c.x;
}
