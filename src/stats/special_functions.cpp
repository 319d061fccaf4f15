#include "stats/special_functions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace meru::stats {

namespace {

constexpr double kEps = 1.0e-15;    // relative convergence tolerance of the iterations
constexpr double kFpMin = 1.0e-300; // keeps a Lentz denominator away from zero
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The series and continued fractions need a number of terms that grows like the
// square root of the largest shape argument (about 8.3 sqrt(a) at x = a); 100
// suffices for small shapes. The cap keeps shapes up to 2e12 converging.
int iteration_limit(double shape)
{
    const double extra = 20.0 * std::sqrt(std::max(shape, 0.0));
    return 100 + static_cast<int>(std::min(extra, 1.0e7));
}

// Continued fraction of the incomplete beta function (modified Lentz). Not
// converged within the iteration limit, it returns the last iteration's value
// without a flag.
double betafrac(double a, double b, double x)
{
    const double qab = a + b, qap = a + 1.0, qam = a - 1.0;
    double cc = 1.0;
    double dd = 1.0 - qab * x / qap;
    if (std::fabs(dd) < kFpMin) dd = kFpMin;
    dd = 1.0 / dd;
    double h = dd;
    // One step of the fraction with coefficient aa: the factor it multiplies h by.
    const auto step = [&](double aa) {
        dd = 1.0 + aa * dd;
        if (std::fabs(dd) < kFpMin) dd = kFpMin;
        cc = 1.0 + aa / cc;
        if (std::fabs(cc) < kFpMin) cc = kFpMin;
        dd = 1.0 / dd;
        return dd * cc;
    };
    const int itmax = iteration_limit(std::max(a, b));
    for (int m = 1; m <= itmax; ++m) {
        const double m2 = 2.0 * m;
        h *= step(m * (b - m) * x / ((qam + m2) * (a + m2)));
        const double del = step(-(a + m) * (qab + m) * x / ((a + m2) * (qap + m2)));
        h *= del;
        if (std::fabs(del - 1.0) < kEps) break;
    }
    return h;
}

// Shapes from which the prefactors are taken in the form that never adds and
// subtracts log-gamma terms of the size of the shape (below it, the plain form).
constexpr double kLargeShape = 100.0;
constexpr double kHalfLog2Pi = 0.91893853320467274178;

// The error of Stirling's formula: ln Gamma(a) - ((a - 1/2) ln a - a + ln(2 pi) / 2).
// Its asymptotic series for a > 15 (the first omitted term is below 1e-19 there).
double stirling_error(double a)
{
    if (a <= 15.0) return std::lgamma(a) - ((a - 0.5) * std::log(a) - a + kHalfLog2Pi);
    const double r = 1.0 / a, r2 = r * r;
    return r * (1.0 / 12 - r2 * (1.0 / 360 - r2 * (1.0 / 1260 - r2 * (1.0 / 1680 - r2 / 1188))));
}

// a (t - ln r) for r = 1 + t > 0, which is >= 0: the deviance of a shape a at the
// ratio r, t = r - 1 given apart so that neither loses precision. Near r = 1 the
// series in t avoids the cancellation of a ln r against a t; far from it ln r is
// taken from r itself, since a t of -1 + 1e-20 rounds to -1 and ln(1 + t) would
// lose the whole of r.
double deviance(double a, double t, double r)
{
    if (std::fabs(t) < 0.1) {
        // t^2/2 - t^3/3 + t^4/4 - ...
        double term = t * t, sum = 0.0;
        for (int k = 2; k < 60; ++k) {
            const double add = (k % 2 == 0 ? term : -term) / k;
            sum += add;
            if (std::fabs(add) < 1e-17 * sum) break;
            term *= t;
        }
        return a * sum;
    }
    return a * (t - std::log(r));
}

// ln(x^a y^b Gamma(a + b) / (Gamma(a) Gamma(b))), y = 1 - x.
double log_beta_prefactor(double a, double b, double x, double y)
{
    if (std::max(a, b) < kLargeShape)
        return lngamma(a + b) - lngamma(a) - lngamma(b) + a * std::log(x) + b * std::log(y);
    const double s = a + b;
    const double t1 = (x * s - a) / a; // x / (a / s) - 1
    const double t2 = (y * s - b) / b;
    return -deviance(a, t1, x * s / a) - deviance(b, t2, y * s / b) + 0.5 * std::log(a * b / s) - kHalfLog2Pi +
           stirling_error(s) - stirling_error(a) - stirling_error(b);
}

// ln(x^a e^-x / Gamma(a)).
double log_gamma_prefactor(double a, double x)
{
    if (a < kLargeShape) return -x + a * std::log(x) - lngamma(a);
    return -deviance(a, (x - a) / a, x / a) + 0.5 * std::log(a) - kHalfLog2Pi - stirling_error(a);
}

// I_x(a, b) for a, b > 0 and 0 <= x <= 1, with y = 1 - x supplied by the caller so
// that a y near 0 keeps its precision.
double betai_xy(double a, double b, double x, double y)
{
    if (x <= 0.0) return 0.0;
    if (y <= 0.0) return 1.0;
    const double lbt = log_beta_prefactor(a, b, x, y);
    const double bt = std::exp(lbt);
    if (x < (a + 1.0) / (a + b + 2.0)) return bt * betafrac(a, b, x) / a;
    return 1.0 - bt * betafrac(b, a, y) / b;
}

// P(a, x) by its series, for x < a + 1.
double gser(double a, double x)
{
    if (x <= 0.0) return 0.0;
    double ap = a;
    double sum = 1.0 / a;
    double del = sum;
    const int itmax = iteration_limit(a);
    for (int n = 1; n <= itmax; ++n) {
        ap += 1.0;
        del *= x / ap;
        sum += del;
        if (std::fabs(del) < std::fabs(sum) * kEps) break;
    }
    return sum * std::exp(log_gamma_prefactor(a, x));
}

// Q(a, x) by its continued fraction (modified Lentz), for x >= a + 1.
double gcf(double a, double x)
{
    double bb = x + 1.0 - a;
    double cc = 1.0 / kFpMin;
    double dd = 1.0 / bb;
    double h = dd;
    const int itmax = iteration_limit(a);
    for (int i = 1; i <= itmax; ++i) {
        const double an = -i * (i - a);
        bb += 2.0;
        dd = an * dd + bb;
        if (std::fabs(dd) < kFpMin) dd = kFpMin;
        cc = bb + an / cc;
        if (std::fabs(cc) < kFpMin) cc = kFpMin;
        dd = 1.0 / dd;
        const double del = dd * cc;
        h *= del;
        if (std::fabs(del - 1.0) < kEps) break;
    }
    return std::exp(log_gamma_prefactor(a, x)) * h;
}

} // namespace

double lngamma(double x)
{
    if (std::isnan(x) || x <= 0.0) return kNaN;
    if (std::isinf(x)) return kInf;
    static constexpr double cof[6] = {76.18009172947146,  -86.50532032941678,    24.01409824083091,
                                      -1.231739572450155, 0.1208650973866179e-2, -0.5395239384953e-5};
    const double tmp = (x + 0.5) * std::log(x + 5.5) - (x + 5.5);
    double ser = 1.000000000190015;
    for (int j = 0; j < 6; ++j) ser += cof[j] / (x + 1.0 + j);
    return tmp + std::log(2.5066282746310005 * ser / x);
}

double betai(double a, double b, double x)
{
    if (std::isnan(a) || std::isnan(b) || std::isnan(x)) return kNaN;
    x = std::clamp(x, 0.0, 1.0);
    if (a <= 0.0 && b <= 0.0) return kNaN;
    if (a <= 0.0) return x > 0.0 ? 1.0 : 0.0;
    if (b <= 0.0) return x < 1.0 ? 0.0 : 1.0;
    return betai_xy(a, b, x, 1.0 - x);
}

double fprob(double df1, double df2, double f)
{
    if (std::isnan(df1) || std::isnan(df2) || std::isnan(f)) return kNaN;
    if (df1 <= 0.0 || df2 <= 0.0 || f <= 0.0) return 1.0;
    if (std::isinf(f)) return 0.0;
    // x = df2 / (df2 + df1 f) and 1 - x computed apart, both in [0, 1].
    const double denom = df2 + df1 * f;
    const double x = std::clamp(df2 / denom, 0.0, 1.0);
    const double y = std::clamp(df1 * f / denom, 0.0, 1.0);
    double p = betai_xy(0.5 * df2, 0.5 * df1, x, y);
    if (p > 1.0) p = 2.0 - p;
    return p;
}

double gammq(double a, double x)
{
    if (std::isnan(a) || std::isnan(x)) return kNaN;
    if (x < 0.0 || a <= 0.0) return 1.0;
    if (x == 0.0) return 1.0;
    if (std::isinf(x)) return 0.0;
    if (std::isinf(a)) return 1.0;
    if (x < a + 1.0) return 1.0 - gser(a, x);
    return gcf(a, x);
}

} // namespace meru::stats
