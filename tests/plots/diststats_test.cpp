#include "plots/diststats.h"

#include "example_csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace meru::plots {
namespace {

using test::csv_column;

struct Owned {
    std::vector<double> x;
    std::vector<long long> w;
    long long nobs = 0;
    bool gdist = false;
    DistSample sample() const { return {x, w, nobs, gdist}; }
};

Owned weighted(std::vector<std::pair<double, int>> v, bool gdist = false)
{
    std::stable_sort(v.begin(), v.end(), [](auto& a, auto& b) { return a.first < b.first; });
    Owned o;
    for (auto [x, w] : v) {
        o.x.push_back(x);
        o.w.push_back(w);
        o.nobs += std::abs(w);
    }
    o.gdist = gdist;
    return o;
}

Owned birthweights()
{
    std::vector<std::pair<double, int>> v;
    for (double b : csv_column("birthwt.csv", "bwt")) v.push_back({b, 1});
    return weighted(v);
}

double survival_at(const SurvivalWalk& walk, double t)
{
    double p = 1.0;
    for (const auto& pt : walk.points)
        if (pt.x <= t) p = pt.p;
    return p;
}

TEST(DistStats, MissingRunRangeAndRecoding)
{
    Owned o = weighted({{-1.0, 1}, {-1.0, 2}, {2.0, 1}, {3.0, 1}});
    o.nobs = 6;
    MissingRun m = missing_run(o.sample());
    EXPECT_EQ(m.m, 2);
    EXPECT_DOUBLE_EQ(m.missing, 3.0);
    EXPECT_DOUBLE_EQ(m.neff, 3.0);
    EXPECT_DOUBLE_EQ(m.total, 2.0);
    EXPECT_FALSE(m.consistent());

    o.gdist = true; // a negative G is a value
    m = missing_run(o.sample());
    EXPECT_EQ(m.m, 0);
    EXPECT_DOUBLE_EQ(m.total, 5.0);

    const Owned few = weighted({{2.0, 1}, {3.0, 1}, {7.0, 2}});
    const MissingRun fm = missing_run(few.sample());
    PlotRange r = plot_range(few.sample(), fm, false, 0, 0.0, 5.0);
    EXPECT_DOUBLE_EQ(r.xmin, -0.5); // takes in the caller's lower 0, widened for n < 10
    EXPECT_DOUBLE_EQ(r.xmax, 7.5);
    EXPECT_FALSE(r.all_equal);
    r = plot_range(few.sample(), fm, true, 4, 0.0, 5.0);
    EXPECT_DOUBLE_EQ(r.xmin, 0.5);
    EXPECT_DOUBLE_EQ(r.xmax, 4.5);
    const Owned same = weighted({{4.0, 1}, {4.0, 3}});
    EXPECT_TRUE(plot_range(same.sample(), missing_run(same.sample()), false, 0, 4.0, 4.0).all_equal);
    EXPECT_EQ(integer_tick_step(0.0, 4.0), 1);
    EXPECT_EQ(integer_tick_step(0.0, 27.0), 5);

    const std::vector<double> x{0.0, 2.0, 2.7, 5.0, 7.0};
    const std::vector<int> cats{0, 2, 5, 2}; // a repeated category: the last match wins
    EXPECT_EQ(recode_discrete(x, cats), (std::vector<double>{1.0, 4.0, 4.0, 3.0, 7.0}));
    EXPECT_EQ(x[1], 2.0); // the caller's values are left alone
}

TEST(DistStats, UniqueRunsSumMagnitudes)
{
    const Owned o = weighted({{-2.0, 1}, {1.0, 2}, {1.0, -1}, {3.0, 1}, {4.0, 2}, {4.0, 2}});
    const auto runs = unique_runs(o.sample(), missing_run(o.sample()));
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_DOUBLE_EQ(runs[0].value, 1.0);
    EXPECT_DOUBLE_EQ(runs[0].count, 3.0);
    EXPECT_DOUBLE_EQ(runs[1].count, 1.0);
    EXPECT_DOUBLE_EQ(runs[2].count, 4.0);
}

TEST(DistStats, BinRule)
{
    EXPECT_EQ(bin_rule(100.0, 500), 10);
    EXPECT_EQ(bin_rule(10000.0, 20000), 40); // 10 log10(10000) is exactly 40
    EXPECT_EQ(bin_rule(189.0, 189), 13);
    EXPECT_EQ(bin_rule(100.0, 7), 7);
    EXPECT_EQ(bin_rule(1.0, 1), 1); // never 0 bins
    EXPECT_EQ(bin_rule(0.0, 0), 1);
}

TEST(DistStats, BirthweightHistogramMatchesR)
{
    const Owned o = birthweights();
    const MissingRun m = missing_run(o.sample());
    const BinSetup b = auto_bins(o.sample(), m);
    EXPECT_EQ(b.k, 13);
    EXPECT_DOUBLE_EQ(b.start, 709.0);
    EXPECT_NEAR(b.width, 329.307692, 1e-6);
    const std::vector<double> want{2, 2, 3, 12, 21, 29, 29, 34, 26, 22, 7, 1, 0, 1};
    const auto c = bin_counts(o.sample(), m, b);
    EXPECT_EQ(c, want);
    EXPECT_DOUBLE_EQ(std::accumulate(c.begin(), c.end(), 0.0), m.total);
}

TEST(DistStats, BinLimitsAndSteps)
{
    const Owned o = weighted({{0.0, 1}, {1.0, 2}, {2.0, 1}, {2.5, 1}, {10.0, 3}});
    const MissingRun m = missing_run(o.sample());
    const BinSetup b{4, 0.0, 1.0};
    // bins [0,1) [1,2) [2,3) [3,4) [4,inf): a value on a limit goes up, the last bin is open
    EXPECT_EQ(bin_counts(o.sample(), m, b), (std::vector<double>{1, 2, 2, 0, 3}));

    EXPECT_EQ(step_bins(o.sample(), m, 5, -1).k, 5);
    EXPECT_EQ(step_bins(o.sample(), m, 100, +1).k, 100);
    const BinSetup s = step_bins(o.sample(), m, 9, +1);
    EXPECT_EQ(s.k, 10);
    EXPECT_DOUBLE_EQ(s.start, 0.0);
    EXPECT_DOUBLE_EQ(s.width, 1.0);
    const Owned same = weighted({{3.0, 1}, {3.0, 1}});
    EXPECT_DOUBLE_EQ(step_bins(same.sample(), missing_run(same.sample()), 5, 1).width, 0.00001);

    const auto u = user_bins(o.sample(), m, 4.0, 2.0); // start lowered to the smallest value
    ASSERT_TRUE(u);
    EXPECT_DOUBLE_EQ(u->start, 0.0);
    EXPECT_EQ(u->k, 6);
    EXPECT_FALSE(user_bins(o.sample(), m, 0.0, 0.0));
    EXPECT_FALSE(user_bins(o.sample(), m, 0.0, -1.0));
    EXPECT_FALSE(user_bins(o.sample(), m, 0.0, 1e-6)); // ten million bins
    EXPECT_TRUE(user_bins(o.sample(), m, 0.0, 10.0 / 999.0));
}

TEST(DistStats, KernelMatchesDirectSumsAndDensity)
{
    const Owned o = birthweights();
    const MissingRun m = missing_run(o.sample());
    const KernelEstimate k = kernel_estimate(o.sample(), m, 0.0);
    EXPECT_NEAR(k.sd, 35.675, 1e-9);
    EXPECT_NEAR(k.bandwidth, 214.05, 1e-9);
    // sum(w*dnorm(x, u, h/6)*(x >= u - h/2 & x < u + h/2))/S at grid points 0, 100, 250, 400, 500
    const std::pair<int, double> direct[] = {
        {0, 0.0}, {100, 5.01803642325261e-05}, {250, 0.000469337313764562}, {400, 7.3150873464551e-05}, {500, 0.0}};
    for (auto [i, d] : direct) EXPECT_NEAR(k.d[static_cast<std::size_t>(i)], d, 1e-11) << i;
    // density(x, bw = h/6, weights = w/S, from = a0, to = a0 + 500 g, n = 501)
    const std::pair<int, double> smooth[] = {{100, 5.02305981e-05}, {250, 0.000472083101}, {400, 7.341536882e-05}};
    for (auto [i, d] : smooth) EXPECT_NEAR(k.d[static_cast<std::size_t>(i)] / d, 1.0, 0.01) << i;
    EXPECT_DOUBLE_EQ(k.dmax, *std::max_element(k.d.begin(), k.d.end()));

    const Owned one = weighted({{5.0, 4}});
    const KernelEstimate k1 = kernel_estimate(one.sample(), missing_run(one.sample()), 0.0);
    EXPECT_DOUBLE_EQ(k1.step, 1.0 / 460.0);
    EXPECT_DOUBLE_EQ(k1.bandwidth, 1.0 / 20.0);
}

TEST(DistStats, BandwidthSteps)
{
    double h = 9.0;
    EXPECT_EQ(band_plus(h, 10.0), BandStep::Redraw);
    EXPECT_DOUBLE_EQ(h, 9.0 * 1.1);
    h = 9.5;
    EXPECT_EQ(band_plus(h, 9.6), BandStep::UpperLimit);
    EXPECT_DOUBLE_EQ(h, 9.5 / 1.1);
    h = 0.0112;
    EXPECT_EQ(band_minus(h, 10.0), BandStep::Redraw);
    EXPECT_DOUBLE_EQ(h, 0.0112 * 0.9);
    h = 0.0105;
    EXPECT_EQ(band_minus(h, 10.0), BandStep::LowerLimit);
    EXPECT_DOUBLE_EQ(h, 0.0105 / 0.9);
}

TEST(DistStats, KaplanMeierOnLungMatchesR)
{
    const auto time = csv_column("lung.csv", "time");
    const auto dead = csv_column("lung.csv", "dead");
    std::vector<std::pair<double, int>> v;
    for (std::size_t i = 0; i < time.size(); ++i) v.push_back({time[i], dead[i] == 1.0 ? 1 : -1});
    const Owned o = weighted(v);
    const SurvivalWalk walk = survival_walk(o.sample(), missing_run(o.sample()));
    EXPECT_TRUE(walk.censored);
    EXPECT_NEAR(survival_at(walk, 100), 0.863969, 1e-6);
    EXPECT_NEAR(survival_at(walk, 200), 0.680273, 1e-6);
    EXPECT_NEAR(survival_at(walk, 300), 0.530608, 1e-6);
    EXPECT_NEAR(survival_at(walk, 500), 0.293269, 1e-6);
    ASSERT_TRUE(walk.median);
    EXPECT_DOUBLE_EQ(*walk.median, 310.0);
}

TEST(DistStats, WeightedTiesEventsBeforeCensorings)
{
    // survfit(Surv(t, st) ~ 1, weights = wt); the censorings are listed first at ties
    const Owned o = weighted({{1, 2}, {2, -2}, {2, 1}, {3, 3}, {4, -1}, {4, 2}, {5, 1}, {6, -1}});
    const SurvivalWalk walk = survival_walk(o.sample(), missing_run(o.sample()));
    const std::pair<double, double> want[] = {
        {1, 0.8461538462}, {2, 0.7692307692}, {3, 0.4807692308}, {4, 0.2884615385}, {5, 0.1442307692}};
    for (auto [t, p] : want) EXPECT_NEAR(survival_at(walk, t), p, 1e-9) << t;
    ASSERT_TRUE(walk.median);
    EXPECT_DOUBLE_EQ(*walk.median, 3.0);
    EXPECT_NEAR(walk.ylow, 0.1442307692 - 0.05, 1e-9);

    const Owned lowered = weighted({{1, -2}, {2, 3}, {3, 5}}); // 10 observations at risk
    EXPECT_NEAR(survival_at(survival_walk(lowered.sample(), missing_run(lowered.sample())), 2), 0.625, 1e-12);
}

TEST(DistStats, EmpiricalDistributionAndMedian)
{
    const Owned o = weighted({{1, 1}, {2, 1}, {2, 1}, {3, 1}, {5, 1}, {5, 1}, {5, 1}, {8, 1}});
    const SurvivalWalk walk = survival_walk(o.sample(), missing_run(o.sample()));
    EXPECT_FALSE(walk.censored);
    const std::pair<double, double> ecdf[] = {{1, 0.125}, {2, 0.375}, {3, 0.5}, {5, 0.875}, {8, 1.0}};
    for (auto [t, f] : ecdf) EXPECT_NEAR(1.0 - survival_at(walk, t), f, 1e-12) << t;
    EXPECT_DOUBLE_EQ(*walk.median, 4.0); // S is 0.5 from 3 to 5
    EXPECT_DOUBLE_EQ(walk.final_p, 0.0);

    const Owned four = weighted({{1, 1}, {2, 1}, {3, 1}, {4, 1}});
    EXPECT_DOUBLE_EQ(*survival_walk(four.sample(), missing_run(four.sample())).median, 2.5);
    const Owned single = weighted({{7, 3}});
    EXPECT_FALSE(survival_walk(single.sample(), missing_run(single.sample())).median);
    const Owned halves = weighted({{1, 1}, {2, 1}});
    EXPECT_FALSE(survival_walk(halves.sample(), missing_run(halves.sample())).median);
    // A value that is not a number equals nothing, not even itself: it is a tie
    // of its own, and each of the four observations is still taken once.
    const Owned odd{{1.0, std::nan(""), 2.0, 3.0}, {1, 1, 1, 1}, 4};
    EXPECT_EQ(survival_walk(odd.sample(), missing_run(odd.sample())).events, 4);
}

TEST(DistStats, GDistributionWithFrequenciesStaysNonNegative)
{
    // the random partitions pass distinct G values with frequencies and their count as N
    Owned o = weighted({{-0.2, 5}, {0.1, 3}, {0.4, 2}, {0.9, 7}}, true);
    o.nobs = 4;
    const MissingRun m = missing_run(o.sample());
    EXPECT_FALSE(m.consistent());
    const SurvivalWalk walk = survival_walk(o.sample(), m);
    for (const auto& pt : walk.points) EXPECT_GE(pt.p, 0.0);
    EXPECT_NEAR(walk.points[0].p, 12.0 / 17.0, 1e-12);
    EXPECT_DOUBLE_EQ(walk.final_p, 0.0);

    EXPECT_TRUE(survival_overlay_fits(0.3, 0.25));
    EXPECT_FALSE(survival_overlay_fits(0.2, 0.25));
}

} // namespace
} // namespace meru::plots
