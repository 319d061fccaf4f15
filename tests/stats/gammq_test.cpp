// Q(a, x) against scipy.special.gammaincc and R's pgamma, including the branch
// point, very small and very large arguments, and the arguments no caller passes.
#include "special_functions_test_util.h"
#include "stats/special_functions.h"

#include <cmath>
#include <limits>

using meru::stats::gammq;

TEST(Gammq, MatchesReferenceValues)
{
    struct Case {
        double a, x, want;
    };
    const Case cases[] = {
        {0.5, 1.92075, 0.049998772071222324}, // 5% point of chi-square, 1 df
        {3, 4, 0.23810330555354436},          // x = a + 1: continued fraction
        {1, 1e-10, 0.9999999999},
        {0.5, 1e-8, 0.9998871620836666},
        {10, 9, 0.5874082443319417},
        {10, 11, 0.3405106424656608},
        {30, 29, 0.5491708852818761},
        {50, 30, 0.999481108537452},
        {49.5, 60, 0.07424385580596692}, // chi-square of 99 df
        {10, 100, 1.1253473960842808e-31},
        {0.5, 200, 5.507248237212379e-89},
        {0.5, 350, 2.990226975124623e-154},
        {0.001, 0.001, 0.006312353291139709},
        {1e4, 1e4 + 100, 0.15865124955282037},
        {1e6, 1e6 - 2000, 0.9773038859932632},
        {1e6, 1e6 + 3000, 0.0013617406462175913},
    };
    for (const auto& c : cases) EXPECT_TRUE(RelNear(gammq(c.a, c.x), c.want, 1e-9)) << "a=" << c.a << " x=" << c.x;
}

TEST(Gammq, Limits)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(gammq(0.5, 0.0), 1.0);
    EXPECT_EQ(gammq(7.0, 0.0), 1.0);
    EXPECT_EQ(gammq(0.5, inf), 0.0);
    EXPECT_EQ(gammq(inf, 3.0), 1.0);
    EXPECT_GE(gammq(2.5, 1e5), 0.0); // underflows to 0, never negative or NaN
    EXPECT_LT(gammq(2.5, 1e5), 1e-300);
}

TEST(Gammq, BadArgumentsGiveOneAndNaNPropagates)
{
    EXPECT_EQ(gammq(0.5, -1.0), 1.0);
    EXPECT_EQ(gammq(0.0, 2.0), 1.0);
    EXPECT_EQ(gammq(-3.0, 2.0), 1.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(gammq(nan, 1.0)));
    EXPECT_TRUE(std::isnan(gammq(1.0, nan)));
}

// The series and the continued fraction converge for every shape from 1e-12 to
// 1e12 (ten per decade): where they are slowest, at the branch point x = a + 1,
// the two agree to within the series' cancellation, and at x = a, a + 1 and a + 3 sqrt(a) they give R's pgamma.
// A series or fraction cut short leaves a visible step (0.4% at a = 2.5e12).
TEST(Gammq, ConvergesForEveryShapeUpTo1e12)
{
    for (int k = -120; k <= 120; ++k) {
        const double a = std::pow(10.0, k / 10.0);
        const double below = gammq(a, std::nextafter(a + 1.0, 0.0));
        const double at = gammq(a, a + 1.0);
        // 1 - P of the series keeps about 1e-14 of absolute precision.
        EXPECT_NEAR(below, at, 1e-9 * at + 1e-14) << "a=" << a;
        EXPECT_GT(at, 0.0);
        EXPECT_LT(at, 1.0);
    }
    struct Case {
        double a, at_a, at_a1, at_3sd;
    };
    const Case cases[] = {
        {1e2, 0.48670120172085113, 0.44710370656548876, 0.0027504083673065261},
        {1e4, 0.49867019166004478, 0.49468106803778139, 0.0014704948963856824},
        {1e6, 0.49986701923912741, 0.49946807725793241, 0.0013617406462175894},
        {1e8, 0.49998670192398592, 0.49994680769624494, 0.0013510801016019564},
        {1e10, 0.49999867019239869, 0.49999468076959491, 0.0013500162166919078},
        {1e12, 0.49999986701923987, 0.49999946807695944, 0.001349909849916901},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(RelNear(gammq(c.a, c.a), c.at_a, 1e-9)) << c.a;
        EXPECT_TRUE(RelNear(gammq(c.a, c.a + 1.0), c.at_a1, 1e-9)) << c.a;
        EXPECT_TRUE(RelNear(gammq(c.a, c.a + 3.0 * std::sqrt(c.a)), c.at_3sd, 1e-8)) << c.a;
    }
}

TEST(Gammq, MonotoneAcrossTheBranchPoint)
{
    // The series below x = a + 1 and the fraction from there on must join without a visible step.
    for (double a : {0.5, 2.0, 17.5, 400.0}) {
        const double below = gammq(a, std::nextafter(a + 1.0, 0.0));
        const double at = gammq(a, a + 1.0);
        EXPECT_TRUE(RelNear(below, at, 1e-9)) << a;
    }
}
