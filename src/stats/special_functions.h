#pragma once
// Special functions behind the p-values: ln Gamma, the regularised incomplete beta
// function (F test) and the regularised upper incomplete gamma function (chi-square
// tails). Everything is computed in double precision; the iterations stop at a
// relative change of about 1e-15, with an iteration limit that grows with the size of
// the shape arguments, so results hold to about 1e-9 relative even for shape
// arguments in the millions (F tests over millions of weighted observations).
//
// None of these functions has anything to tell its caller:
//  - the series and continued fractions converge for every argument the program
//    can pass (shape arguments up to 1e12, far beyond half the degrees of freedom
//    of any table that fits in memory, and every x);
//  - the program calls betai only through fprob, whose x lies in [0, 1];
//  - every caller of gammq passes a > 0 and x >= 0 (a chi-square or log-rank
//    statistic and half its degrees of freedom).
// A NaN argument gives NaN.

namespace meru::stats {

// Natural logarithm of the gamma function, ln Gamma(x), for x > 0 (Lanczos
// approximation, six terms, relative error of Gamma below 2e-10).
// x <= 0 or NaN gives NaN; x = +inf gives +inf.
double lngamma(double x);

// Regularised incomplete beta function I_x(a, b) = B(x; a, b) / B(a, b).
//  - I_0 = 0 and I_1 = 1 for any a, b > 0.
//  - x outside [0, 1] is clamped into [0, 1].
//  - Shapes on the boundary take the limits of the distribution: a <= 0 (all mass
//    at 0) gives 1 for x > 0 and 0 for x = 0; b <= 0 (all mass at 1) gives 0 for
//    x < 1 and 1 for x = 1; both <= 0 gives NaN.
// Continued fraction (modified Lentz) in the tail where it converges fastest; when
// it has not converged within its iteration limit its last value is used, silently.
double betai(double a, double b, double x);

// Upper-tail probability P(F' > f) of the F distribution with df1 and df2 degrees of
// freedom: I_x(df2/2, df1/2) with x = df2 / (df2 + df1 f).
//  - df1 <= 0 or df2 <= 0 gives 1 (no test possible), as does f <= 0.
//  - f = +inf gives 0. The result is never above 1.
double fprob(double df1, double df2, double f);

// Regularised upper incomplete gamma function Q(a, x) = Gamma(a, x) / Gamma(a);
// Q(df/2, chi2/2) is the upper tail of chi-square with df degrees of freedom.
//  - Q(a, 0) = 1; Q(a, +inf) = 0; Q(+inf, x) = 1 for finite x.
//  - x < 0 or a <= 0 gives 1 (no evidence against the null hypothesis, the same
//    value the callers give when df <= 0).
// Series for x < a + 1, continued fraction (modified Lentz) from x = a + 1 on.
double gammq(double a, double x);

} // namespace meru::stats
