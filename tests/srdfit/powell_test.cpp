// The direction-set minimiser on functions with known minima: a coupled
// quadratic, Rosenbrock's valley, and a kinked sum of absolute values.
#include "srdfit/powell.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace meru::srdfit;

TEST(PowellTest, FindsKnownMinimaAndNeverEndsWorseThanItStarts)
{
    struct Case {
        const char* name;
        Objective f;
        std::vector<double> start, minimum;
        double accuracy;
    };
    const Case cases[] = {
        // Zero at x = 1, y = 3, z = y - x = 2, w = 0.5; the third term couples x, y, z.
        {"quadratic",
         [](std::span<const double> p) {
             return (p[0] - 1) * (p[0] - 1) + (p[1] - 3) * (p[1] - 3) + (p[0] - p[1] + p[2]) * (p[0] - p[1] + p[2]) +
                    (p[3] - 0.5) * (p[3] - 0.5);
         },
         {5, -5, 5, 5},
         {1, 3, 2, 0.5},
         1e-4},
        {"Rosenbrock",
         [](std::span<const double> p) { return 100 * std::pow(p[1] - p[0] * p[0], 2) + std::pow(1 - p[0], 2); },
         {-1.2, 1},
         {1, 1},
         1e-3},
        {"absolute values",
         [](std::span<const double> p) {
             return std::fabs(p[0] - 0.25) + 2 * std::fabs(p[1] + 0.5) + std::fabs(p[0] + p[1] + 0.25);
         },
         {1, 1},
         {0.25, -0.5},
         1e-4},
    };
    for (const Case& c : cases) {
        std::vector<double> x = c.start;
        PowellSettings s;
        s.ftol = 1e-10;
        s.line_tol = 1e-8;
        const PowellResult r = powell(c.f, x, s);
        for (std::size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(x[i], c.minimum[i], c.accuracy) << c.name << " " << i;
        EXPECT_NEAR(r.value, c.f(c.minimum), 1e-6) << c.name;
        EXPECT_LE(r.value, c.f(c.start));
    }
}
