// gammq, betai and fprob at shape arguments up to 1e7, to the documented 1e-9
// relative. Reference values: R 4.2 (pgamma, pbeta, pf with lower.tail = FALSE).
#include "special_functions_test_util.h"
#include "stats/special_functions.h"

using meru::stats::betai;
using meru::stats::fprob;
using meru::stats::gammq;

TEST(LargeShapes, GammqKeepsNineDigits)
{
    struct Case {
        double a, x, want;
    };
    for (const Case& c :
         {Case{1e7, 9997000.0, 0.82860646659902804}, Case{1e7, 10003162.277660169, 0.1586552498994932},
          Case{5e6, 5004000.0, 0.036845540965524136}, Case{1e7, 10010000.0, 0.00078525343460562826}})
        EXPECT_TRUE(RelNear(gammq(c.a, c.x), c.want, 1e-9)) << c.a << " " << c.x;
}

TEST(LargeShapes, BetaiKeepsNineDigits)
{
    struct Case {
        double a, b, x, want;
    };
    for (const Case& c :
         {Case{5e6, 5e6, 0.5002, 0.89704839803511605}, Case{1e7, 3.0, 0.9999996, 0.23810312970657058},
          Case{5e6, 0.5, 0.9999992, 0.0046777277470096993}, Case{1e7, 1e7, 0.4999, 0.1855466853593159}})
        EXPECT_TRUE(RelNear(betai(c.a, c.b, c.x), c.want, 1e-9)) << c.a << " " << c.b << " " << c.x;
}

TEST(LargeShapes, FprobKeepsNineDigits)
{
    struct Case {
        double df1, df2, f, want;
    };
    for (const Case& c : {Case{1, 1e7, 3.841459149, 0.050000017939607892}, Case{1, 1e7, 2.0, 0.15729923818334682},
                          Case{5, 1e7, 2.214, 0.050009704956327804}, Case{1e7, 1e7, 1.001, 0.057013514704197431}})
        EXPECT_TRUE(RelNear(fprob(c.df1, c.df2, c.f), c.want, 1e-9)) << c.df1 << " " << c.df2 << " " << c.f;
}
