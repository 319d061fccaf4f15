#include "stats/hypergeometric.h"

#include "platform/io/random.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace meru::stats {

namespace {

// Up to this many units are drawn one at a time.
constexpr std::int64_t kOneByOne = 10;
// The table mountain's constants: 2 sqrt(2/e) and 3 - 2 sqrt(3/e).
constexpr double kHatScale = 1.7155277699214135;
constexpr double kHatShift = 0.8989161620588988;
// From here on log x! is taken from Stirling's series (its error below 1e-12).
constexpr int kSeriesFrom = 16;
// Within this many of the mode a probability is compared with the mode's by the
// ratios of neighbouring probabilities, without calling the logarithm.
constexpr std::int64_t kNear = 100;

// Marked units among `draws` taken one at a time, each marked with the share of
// marked units still left.
std::int64_t one_by_one(std::int64_t population, std::int64_t marked, std::int64_t draws, io::RandomStream& random)
{
    std::int64_t got = 0;
    for (; draws > 0; --draws, --population)
        if (random.next() < static_cast<double>(marked - got) / static_cast<double>(population)) ++got;
    return got;
}

// log x! - ((x + 1/2) log x - x + log sqrt(2 pi)) for x >= kSeriesFrom.
double stirling_tail(double x)
{
    const double r = 1.0 / (x * x);
    return (1.0 / 12.0 - r * (1.0 / 360.0 - r / 1260.0)) / x;
}

double log_factorial(std::int64_t x)
{
    static const std::array<double, kSeriesFrom> small = [] {
        std::array<double, kSeriesFrom> t{};
        for (int k = 2; k < kSeriesFrom; ++k)
            t[static_cast<std::size_t>(k)] = t[static_cast<std::size_t>(k - 1)] + std::log(k);
        return t;
    }();
    if (x < kSeriesFrom) return small[static_cast<std::size_t>(x)];
    const double d = static_cast<double>(x);
    return (d + 0.5) * std::log(d) - d + 0.91893853320467274 + stirling_tail(d);
}

// log a! - log b!. When both are large the large parts of the series cancel
// exactly on paper: they are differenced before they are added up.
double log_factorial_ratio(std::int64_t a, std::int64_t b)
{
    if (a == b) return 0.0;
    if (std::min(a, b) < kSeriesFrom) return log_factorial(a) - log_factorial(b);
    const double x = static_cast<double>(a), y = static_cast<double>(b), d = x - y;
    return (y + 0.5) * std::log1p(d / y) + d * std::log(x) - d + stirling_tail(x) - stirling_tail(y);
}

// P(j) / P(mode), P(j) being proportional to 1 / (j! (marked-j)! (draws-j)! (rest+j)!),
// as the product of the ratios of neighbouring probabilities.
double near_ratio(std::int64_t marked, std::int64_t draws, std::int64_t rest, std::int64_t mode, std::int64_t j)
{
    const auto d = [](std::int64_t x) { return static_cast<double>(x); };
    double r = 1.0;
    for (std::int64_t i = mode; i < j; ++i) r *= d(marked - i) / d(i + 1) * (d(draws - i) / d(rest + i + 1));
    for (std::int64_t i = mode; i > j; --i) r *= d(i) / d(marked - i + 1) * (d(rest + i) / d(draws - i + 1));
    return r;
}

// The ratio-of-uniforms draw for marked <= population / 2 and draws <= population / 2.
std::int64_t ratio_of_uniforms(std::int64_t population, std::int64_t marked, std::int64_t draws,
                               io::RandomStream& random)
{
    const double n = static_cast<double>(population), m = static_cast<double>(marked), k = static_cast<double>(draws);
    const double p = m / n;
    const double centre = k * p + 0.5;
    const double spread = std::sqrt((n - k) * k * p * (1.0 - p) / (n - 1.0) + 0.5);
    const double hat = kHatScale * spread + kHatShift;
    const auto mode = static_cast<std::int64_t>(std::floor((k + 1.0) * (m + 1.0) / (n + 2.0)));
    const std::int64_t rest = population - marked - draws; // unmarked units left out, less the marked drawn
    const double end =
        std::min(static_cast<double>(std::min(draws, marked)) + 1.0, std::floor(centre + 16.0 * spread));
    for (;;) {
        const double u = random.next();
        const double x = centre + hat * (random.next() - 0.5) / u;
        if (x < 0.0 || x >= end) continue;
        const auto j = static_cast<std::int64_t>(x);
        if (std::abs(j - mode) <= kNear) {
            if (u * u <= near_ratio(marked, draws, rest, mode, j)) return j;
            continue;
        }
        // The same test on log(P(j) / P(mode)), with squeezes that spare the logarithm of u.
        const double t = log_factorial_ratio(mode, j) + log_factorial_ratio(marked - mode, marked - j) +
                         log_factorial_ratio(draws - mode, draws - j) + log_factorial_ratio(rest + mode, rest + j);
        if (u * (4.0 - u) - 3.0 <= t) return j; // below the inner squeeze of 2 log u
        if (u * (u - t) >= 1.0) continue;       // above the outer one
        if (2.0 * std::log(u) <= t) return j;
    }
}

} // namespace

std::int64_t hypergeometric(std::int64_t population, std::int64_t marked, std::int64_t draws,
                            io::RandomStream& random)
{
    if (draws <= kOneByOne) return one_by_one(population, marked, draws, random);
    // The marked units among those left out, when few are left out.
    if (population - draws <= kOneByOne) return marked - one_by_one(population, marked, population - draws, random);
    // The smaller of the marked and unmarked units among the smaller of the drawn
    // and the left-out units, turned back.
    const bool unmarked = marked > population - marked, left_out = draws > population - draws;
    const std::int64_t fewer = unmarked ? population - marked : marked;
    const std::int64_t taken = left_out ? population - draws : draws;
    std::int64_t got = fewer == 0 ? 0 : ratio_of_uniforms(population, fewer, taken, random);
    if (left_out) got = fewer - got;
    return unmarked ? draws - got : got;
}

} // namespace meru::stats
