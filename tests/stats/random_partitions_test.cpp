// Random partitions: the hypergeometric draw, selection of units, the split sizes, the scoring of a random
// partition under each kind of criterion, and the generation with its progress
// callback and statistics.
#include "stats/random_partitions.h"

#include "platform/io/random.h"
#include "stats/hypergeometric.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <vector>

using namespace meru;
using namespace meru::stats;

namespace {

CritSettings criterion(int icrit)
{
    CritSettings c;
    c.icrit = icrit;
    return c;
}

} // namespace

// ---------------------------------------------------------------- sampling and sizes

namespace {

// The mean and variance of draws within 5 and 6 standard errors of the
// hypergeometric's (N, M, n): nM/N and n (M/N)(1 - M/N)(N - n)/(N - 1).
void expect_moments(const std::vector<double>& x, double N, double M, double n)
{
    const double r = static_cast<double>(x.size()), mean = n * M / N, var = mean * (1 - M / N) * (N - n) / (N - 1);
    const double m = std::accumulate(x.begin(), x.end(), 0.0) / r;
    const double v = std::inner_product(x.begin(), x.end(), x.begin(), 0.0) / r - m * m;
    EXPECT_NEAR(m, mean, 5 * std::sqrt(var / r) + 1e-9) << N << " " << M << " " << n;
    EXPECT_NEAR(v, var, 6 * var * std::sqrt(2 / r) + 1e-9) << N << " " << M << " " << n;
}

} // namespace

TEST(RandomSampling, HypergeometricDrawsFollowTheDistribution)
{
    // One at a time, all but a few left out, the ratio of uniforms (near the mode
    // and far from it, marked and drawn turned round or not), and 532 observations
    // of weight 2^31 - 1: the moments, and for the smaller populations the largest
    // gap between the draws' distribution function and the one from P(k+1)/P(k) =
    // (M-k)(n-k) / ((k+1)(N-M-n+k+1)) within Kolmogorov's bound (at about 0.001).
    io::RandomStream random;
    random.seed(12345);
    const std::int64_t huge = 532LL * 2147483647LL, cases[][3] = {{37, 12, 5},
                                                                  {40, 15, 33},
                                                                  {1000, 300, 200},
                                                                  {1000, 700, 900},
                                                                  {2000, 1, 500},
                                                                  {100000, 50000, 50000},
                                                                  {huge, huge / 3, 2147483647},
                                                                  {huge, 5, huge - 99}};
    for (const auto& [N, M, n] : cases) {
        const std::int64_t lo = std::max<std::int64_t>(0, n - (N - M)), size = N <= 100000 ? std::min(n, M) + 1 : 0;
        std::vector<double> x, p(static_cast<std::size_t>(size), -HUGE_VAL), freq(p.size());
        for (int r = 0; r < 20000; ++r) {
            const std::int64_t k = hypergeometric(N, M, n, random);
            ASSERT_TRUE(k >= lo && k <= std::min(n, M)) << k;
            x.push_back(static_cast<double>(k));
            if (size > 0) ++freq[static_cast<std::size_t>(k)];
        }
        expect_moments(x, static_cast<double>(N), static_cast<double>(M), static_cast<double>(n));
        if (size == 0) continue;
        double log_p = 0.0, total = 0.0, gap = 0.0, cum = 0.0, seen = 0.0;
        for (std::int64_t k = lo; k < size; ++k) {
            p[static_cast<std::size_t>(k)] = log_p;
            log_p += std::log(double(M - k) * double(n - k)) - std::log(double(k + 1) * double(N - M - n + k + 1));
        }
        const double top = *std::max_element(p.begin(), p.end());
        for (double& q : p) total += q = std::exp(q - top);
        for (std::size_t k = 0; k < p.size(); ++k)
            gap = std::max(gap, std::abs((seen += freq[k]) / 20000.0 - (cum += p[k] / total)));
        EXPECT_LT(gap, 2.0 / std::sqrt(20000.0)) << N << " " << M << " " << n;
    }
}

TEST(RandomSampling, SelectionTakesSUnitsWithTheirMoments)
{
    // An observation's count has the moments of its units among all; the counts
    // add up to s (held within 0 .. W).
    const std::vector<int> units{3, 0, 50, 1, 200000, 7, 1000};
    io::RandomStream random;
    std::vector<int> in_a(units.size());
    std::vector<double> x;
    for (int r = 0; r < 4000; ++r, x.push_back(in_a[6])) {
        select_units(in_a, units, 80000, random);
        ASSERT_EQ(std::accumulate(in_a.begin(), in_a.end(), 0LL), 80000);
    }
    expect_moments(x, 201061, 80000, 1000);
    select_units(in_a, units, 201066, random);
    EXPECT_EQ(in_a, units);
}

TEST(RandomSampling, SplitSizes)
{
    io::RandomStream random;
    std::vector<int> hist(100, 0);
    hist[0] = 5; // every candidate of the last search had its A- share in bin 1
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(split_size(SplitMode::Mimic, 0, 400, 5, hist, random), 2); // int(0.5 * 401 / 100)
    hist[0] = 0;
    hist[99] = 3;
    EXPECT_EQ(split_size(SplitMode::Mimic, 0, 400, 3, hist, random), 398); // int(99.5 * 401 / 100)
    EXPECT_EQ(split_size(SplitMode::Fixed, 17, 400, 0, hist, random), 17);
    // No shares recorded: a uniform size, never the whole sample for every draw.
    const std::vector<int> empty(100, 0);
    random.seed(5);
    io::RandomStream again;
    again.seed(5);
    EXPECT_EQ(split_size(SplitMode::Mimic, 0, 400, 0, empty, random), static_cast<long long>(again.next() * 400));
    random.seed(99);
    io::RandomStream copy;
    copy.seed(99);
    EXPECT_EQ(split_size(SplitMode::Uniform, 0, 400, 0, hist, random), static_cast<long long>(copy.next() * 400));
}

// ---------------------------------------------------------------- scoring

TEST(RandomScore, WithinMseCountTableAndEmptySide)
{
    const std::vector<float> y{1, 2, 3, 4};
    const std::vector<int> w{1, 1, 1, 1};
    const std::vector<std::uint8_t> mask(4, 1);
    RandomInput in;
    in.y = {y};
    in.weights = w;
    in.mask = mask;
    // A = {1, 2}: (3^2/2 + 7^2/2 - 10^2/4) / 4 = 1.
    const std::vector<int> a12{1, 1, 0, 0};
    CritSettings mse = criterion(1);
    EXPECT_DOUBLE_EQ(RandomScorer(in, *make_criterion(mse), mse).g(a12), 1.0);
    // Balanced with gamma 1: times (2/4)(2/4).
    mse.balanced = true;
    mse.gamma = 1.0;
    EXPECT_DOUBLE_EQ(RandomScorer(in, *make_criterion(mse), mse).g(a12), 0.25);
    // An empty side scores 0 under every criterion (the Bayes odds ratio too).
    const std::vector<int> all{1, 1, 1, 1};
    for (int icrit : {1, 3, 4, 5, 6, 7, 8}) {
        CritSettings c = criterion(icrit);
        EXPECT_EQ(RandomScorer(in, *make_criterion(c), c).g(all), 0.0) << icrit;
    }
}

TEST(RandomScore, ChiSquareOverWeightUnitsAndTwoYs)
{
    // Observation weights 2, 1, 1, 2 give six units; units 1-2 and 4 in A- (Y 0),
    // 3, 5, 6 in A (0, 1, 0 and 2 units of each observation): A- = (Y0: 2, Y1: 1),
    // A = (Y0: 1, Y1: 2);
    // X^2 = n (ad - bc)^2 / (3 3 3 3) = 6 * 9 / 81 = 2/3.
    const std::vector<float> y{0, 0, 1, 1};
    const std::vector<float> y2{0, 0, 1, 1};
    const std::vector<int> w{2, 1, 1, 2};
    const std::vector<std::uint8_t> mask(4, 1);
    RandomInput in;
    in.y = {y};
    in.weights = w;
    in.mask = mask;
    const std::vector<int> units{0, 1, 0, 2};
    CritSettings chi = criterion(5);
    EXPECT_NEAR(RandomScorer(in, *make_criterion(chi), chi).g(units), 2.0 / 3.0, 1e-12);
    // A second Y with weight 0.5 adds half its G.
    in.y = {y, y2};
    chi.yweight[1] = 0.5;
    EXPECT_NEAR(RandomScorer(in, *make_criterion(chi), chi).g(units), 1.0, 1e-12);
    // A missing Y leaves its units out; a Y class beyond the table counts on its
    // side but in no cell.
    const std::vector<float> ym{0, -1, 1, 150};
    in.y = {ym};
    const std::vector<int> split{0, 1, 1, 2};
    CritSettings chi1 = criterion(5);
    // Cells: (Y0, A-) = 2, (Y1, A) = 1: a table with one entry per row and column
    // gives X^2 = n = 3.
    EXPECT_NEAR(RandomScorer(in, *make_criterion(chi1), chi1).g(split), 3.0, 1e-12);
}

TEST(RandomScore, LogRankOfTheUnits)
{
    // Four events, A- the last unit: G = (1 - 25/12)^2 / (3/16 + 2/9 + 1/4) =
    // 1.7789474 (the log-rank test on the times 1..4).
    const std::vector<float> t{1, 2, 3, 4};
    const std::vector<int> w{1, 1, 1, 1};
    const std::vector<std::uint8_t> mask(4, 1);
    RandomInput in;
    in.y = {t};
    in.weights = w;
    in.mask = mask;
    const std::vector<int> units{1, 1, 1, 0};
    CritSettings lr = criterion(7);
    EXPECT_NEAR(RandomScorer(in, *make_criterion(lr), lr).g(units), 1.7789473684, 1e-9);
    // Units of one observation on both sides, tied times together: times 2
    // (weight 2) and 1, A = a unit of time 2 and the unit of time 1: G = 0.5, as
    // R's survdiff(Surv(c(2, 2, 1), c(1, 1, 1)) ~ c(1, 0, 1)).
    const std::vector<float> t2{2, 1};
    const std::vector<int> w2{2, 1};
    in.y = {t2};
    in.weights = w2;
    EXPECT_NEAR(RandomScorer(in, *make_criterion(lr), lr).g(std::vector<int>{1, 1}), 0.5, 1e-12);

    // Censoring: attribute 1 censors byte 1 (label 2). A unit whose censoring
    // byte is 255 takes no part at all.
    const std::vector<float> t5{1, 2, 3, 4, 5};
    const std::vector<int> w5(5, 1);
    const std::vector<std::uint8_t> mask5(5, 1);
    const std::vector<std::uint8_t> bytes{0, 0, 0, 0, 255};
    in.y = {t5};
    in.weights = w5;
    in.mask = mask5;
    in.abyte = AttributeMatrix(bytes, 1, 5);
    in.censoring.in_force = true;
    in.censoring.attribute = 1;
    in.censoring.side = 2;
    const std::vector<int> units5{1, 1, 1, 0, 0};
    EXPECT_NEAR(RandomScorer(in, *make_criterion(lr), lr).g(units5), 1.7789473684, 1e-9);
    // The same with the first unit censored: risk (1, 3); unit 1 leaves without an
    // event; then E = 1/3 + 1/2 + 1, V = 2/9 + 1/4, O = 1: G = (1 - 11/6)^2 / (17/36).
    const std::vector<std::uint8_t> bytes2{1, 0, 0, 0, 255};
    in.abyte = AttributeMatrix(bytes2, 1, 5);
    EXPECT_NEAR(RandomScorer(in, *make_criterion(lr), lr).g(units5), (25.0 / 36.0) / (17.0 / 36.0), 1e-12);
}

// ---------------------------------------------------------------- generation

namespace {

// 30 observations, Y binary, unit weights.
struct Sample {
    std::vector<float> y;
    std::vector<int> w = std::vector<int>(30, 1);
    std::vector<std::uint8_t> mask = std::vector<std::uint8_t>(30, 1);
    std::vector<double> searchg{1.0, 2.0};
    std::vector<int> splithist = std::vector<int>(100, 0);
    Sample()
    {
        for (int i = 0; i < 30; ++i) y.push_back(i % 3 == 0 ? 1.0f : 0.0f);
        splithist[50] = 12; // m = 12
    }
    RandomInput input()
    {
        RandomInput in;
        in.y = {y};
        in.weights = w;
        in.mask = mask;
        in.g_test = 1.0;
        in.searchg = searchg;
        in.splithist = splithist;
        return in;
    }
};

} // namespace

TEST(RandomGeneration, ProgressIsToldOfEveryPartitionAndCanStopIt)
{
    Sample s;
    const CritSettings crit = criterion(5);
    const auto chi = make_criterion(crit);
    const RandomRequest request{50, SplitMode::Uniform, 0};
    std::vector<int> told;
    io::RandomStream random;
    random.seed(3);
    const RandomResult all = randy(s.input(), *chi, crit, request, random, [&](int i) {
        told.push_back(i);
        return true;
    });
    std::vector<int> expected(51);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(told, expected);
    EXPECT_EQ(all.nrand, 50);
    EXPECT_FALSE(all.escaped);
    EXPECT_TRUE(std::is_sorted(all.gs.begin(), all.gs.end()));
    EXPECT_EQ(all.exceedances, std::count_if(all.gs.begin(), all.gs.end(), [](double g) { return g >= 1.0; }));
    // m = 12: four blocks of 12 among 50 partitions, and the Gumbel P.
    EXPECT_EQ(all.m, 12);
    EXPECT_EQ(all.blocks, 4);
    EXPECT_TRUE(all.gumbel.found);
    // 20 j > 19 * 50 first at j = 48.
    EXPECT_DOUBLE_EQ(all.upper5, (all.gs[47] + all.gs[46]) / 2);

    // The same stream stopped after partition 20 keeps the first 20.
    random.seed(3);
    const RandomResult part = randy(s.input(), *chi, crit, request, random, [](int i) { return i < 20; });
    EXPECT_EQ(part.nrand, 20);
    EXPECT_TRUE(part.escaped);
    random.seed(3);
    const RandomResult twenty =
        randy(s.input(), *chi, crit, {20, SplitMode::Uniform, 0}, random, [](int) { return true; });
    EXPECT_EQ(part.gs, twenty.gs);
    EXPECT_FALSE(twenty.escaped); // the answer after the last partition stops nothing
}

TEST(RandomGeneration, StoppedBeforeTheFirstOrTooManyToHold)
{
    Sample s;
    const CritSettings crit = criterion(1);
    const auto mse = make_criterion(crit);
    io::RandomStream random;
    const RandomResult none =
        randy(s.input(), *mse, crit, {10, SplitMode::Uniform, 0}, random, [](int) { return false; });
    EXPECT_EQ(none.nrand, 0);
    EXPECT_TRUE(none.escaped);
    EXPECT_TRUE(none.gs.empty());

    int calls = 0;
    const RandomResult huge =
        randy(s.input(), *mse, crit, {5'000'000'000LL, SplitMode::Uniform, 0}, random, [&](int) {
            ++calls;
            return true;
        });
    EXPECT_FALSE(huge.allocated);
    EXPECT_EQ(calls, 0);
}
