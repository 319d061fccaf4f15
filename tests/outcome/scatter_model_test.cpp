// The scatter plot's numbers apart from the window: the discrete test and levels,
// the axis ranges, the correlation, the per-level sums and quartiles and the
// cross-tab counts on the example data (values from R: cor(), tapply(),
// chisq.test(correct = FALSE)), and the glyph and symbol sizes worked by hand.
#include "outcome/scatter_scan.h"
#include "stats/chisqtab.h"
#include "ymenu_fixture.h"

#include <cmath>

namespace meru::test {
namespace {

using outcome::VarScan;

VarScan scanned(std::initializer_list<double> values, bool character = false)
{
    VarScan v;
    v.character = character;
    for (double x : values) v.add(x);
    v.finish();
    return v;
}

TEST(ScatterModel, DiscreteLevelsAndAxisRanges)
{
    const struct {
        VarScan v;
        bool discrete;
        std::vector<int> values; // of the levels
        double lo, hi;           // the axis
    } cases[] = {
        {scanned({0, 1, 2, 1}), true, {0, 1, 2}, 0.5, 3.5},
        {scanned({-1, 5, 3, -2}), true, {3, 5}, 0.5, 2.5},
        {scanned({0, 36}), false, {}, 0, 36},
        {scanned({1.5, 2}), false, {}, 1.5, 2},
        {scanned({2.5, 2.5}), false, {}, 0, 2.5}, // a constant starts at 0
        {scanned({7, 7}), true, {7}, 0.5, 1.5},
        {scanned({}), false, {}, 0, 1}, // no value at all
        {scanned({-1, -3}), false, {}, 0, 1},
        {scanned({10, 11, 40.5}, true), true, {10, 11}, 0.5, 2.5}, // codes stay discrete
        {scanned({35, 34}), true, {34, 35}, 0.5, 2.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.values));
        EXPECT_EQ(c.v.is_discrete(), c.discrete);
        EXPECT_EQ(c.v.values, c.values);
        const outcome::AxisRange r = outcome::axis_range(c.v);
        EXPECT_EQ(r.lo, c.lo);
        EXPECT_EQ(r.hi, c.hi);
    }
    const VarScan v = scanned({0, 1, 2});
    EXPECT_EQ(v.position(0), 1);
    EXPECT_EQ(v.position(2), 3);
    EXPECT_EQ(scanned({0, 1, 2.5}).position(2.5), 2.5);
    // Missing values below the axis: 0.18 / 0.25 of the range, 0.1 when discrete.
    EXPECT_DOUBLE_EQ(outcome::missing_position({10, 60}, false, true), 1.0);
    EXPECT_DOUBLE_EQ(outcome::missing_position({10, 60}, false, false), -2.5);
    EXPECT_DOUBLE_EQ(outcome::missing_position({0.5, 3.5}, true, false), 0.2);
}

TEST(ScatterModel, WeightedCorrelationEqualsRepeatedPoints)
{
    // Weight 3 on a point is the same as the point three times over.
    outcome::CorrSums weighted, repeated;
    const double pts[][3] = {{1, 2, 3}, {2, 1, 1}, {4, 5, 2}, {3, 3, 1}, {5, 4, 1}};
    for (const auto& p : pts) {
        weighted.add(p[0], p[1], p[2]);
        for (int k = 0; k < p[2]; ++k) repeated.add(p[0], p[1], 1);
    }
    ASSERT_TRUE(weighted.r());
    EXPECT_NEAR(*weighted.r(), *repeated.r(), 1e-12);
    EXPECT_NEAR(weighted.xmean(), 21.0 / 8.0, 1e-12);
    outcome::CorrSums flat;
    flat.add(1, 2, 1);
    flat.add(3, 2, 1);
    EXPECT_FALSE(flat.r()); // no spread in y
    EXPECT_FALSE(outcome::CorrSums{}.r());
}

class ScatterDataTest : public YMenuTest {
protected:
    outcome::ScatterInput input(const std::string& x, const std::string& y)
    {
        return {run->d, run->r.nread, mask, {}, var(x), var(y)};
    }
};

TEST_F(ScatterDataTest, BirthWeightAgainstWeightAndRace)
{
    open_example("birthwt");
    const auto in = input("lwt", "bwt");
    auto s = outcome::scan_scatter(in, false);
    EXPECT_FALSE(s.any_discrete());
    auto c = outcome::collect_scatter(in, s, nullptr, nullptr);
    EXPECT_EQ(c.n, 189);
    ASSERT_TRUE(c.all.r());
    EXPECT_NEAR(*c.all.r(), 0.1857332844, 1e-8); // cor(lwt, bwt)

    const auto by_race = input("race", "bwt");
    s = outcome::scan_scatter(by_race, false);
    ASSERT_TRUE(s.one_discrete());
    EXPECT_EQ(s.x.values, (std::vector<int>{1, 2, 3}));
    c = outcome::collect_scatter(by_race, s, nullptr, nullptr);
    ASSERT_EQ(c.levels.size(), 3u);
    const double n[] = {96, 26, 67};
    const double mean[] = {3102.71875, 2719.692308, 2805.283582}; // tapply(bwt, race, mean)
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(c.levels[k].n, n[k]);
        EXPECT_EQ(c.levels[k].sw, n[k]);
        EXPECT_NEAR(c.levels[k].mean(), mean[k], 1e-5);
    }
    const stats::Quartiles q = c.levels[0].quartiles();
    EXPECT_FLOAT_EQ(q.q25, 2557.0f);
    EXPECT_FLOAT_EQ(q.q50, 3054.75f);
    EXPECT_FLOAT_EQ(q.q75, 3647.0f);
    // Race drawn at its levels 1..3; the correlation then uses the level numbers.
    for (const auto& p : c.points) EXPECT_EQ(p.x, run->x(p.obs, "race"));
}

TEST_F(ScatterDataTest, ThicknessAgainstMalignancyCounts)
{
    std::string cf = read_text(std::string(MERU_EXAMPLES_DIR) + "/bcw.mrc");
    cf.replace(cf.find("bcw_orig.csv"), 12, "DATA");
    open(run_data(cf, read_text(std::string(MERU_EXAMPLES_DIR) + "/bcw_orig.csv"), "bcw_orig.csv"));
    auto in = input("thick", "malig");
    const auto s = outcome::scan_scatter(in, false);
    ASSERT_TRUE(s.both_discrete());
    tree::CrossTab t;
    const auto c = outcome::collect_scatter(in, s, &t, nullptr);
    EXPECT_TRUE(c.points.empty());
    EXPECT_EQ(t.at(1, 0), 142);
    EXPECT_EQ(t.at(10, 1), 69);
    EXPECT_FALSE(t.has_missing());
    std::vector<std::int64_t> cells;
    for (int y = -1; y <= 36; ++y)
        for (int x = -1; x <= 36; ++x) cells.push_back(t.at(x, y));
    std::vector<double> rs(38), cs(38);
    const auto chi = stats::chisqtab(cells, 38, 38, rs, cs);
    EXPECT_NEAR(chi.chisq, 389.1946229, 1e-5);
    EXPECT_EQ(chi.df, 9);
    // Distinguishing by an attribute splits the counts between the two tables.
    tree::CrossTab a, b;
    in.dattr = 1;
    outcome::collect_scatter(in, s, &a, &b);
    std::int64_t total = 0;
    for (int x = 1; x <= 10; ++x)
        for (int y = 0; y <= 1; ++y) {
            EXPECT_EQ(a.at(x, y) + b.at(x, y), t.at(x, y));
            total += a.at(x, y) + b.at(x, y);
        }
    EXPECT_EQ(total, c.n);
}

TEST(ScatterModel, SizesShiftsAndHits)
{
    EXPECT_EQ(outcome::box_halfwidth(10), 10);
    EXPECT_EQ(outcome::box_halfwidth(7), 14);
    EXPECT_EQ(outcome::box_halfwidth(6), 15);
    EXPECT_EQ(outcome::box_halfwidth(1), 15);
    // M = 1: factor 1 times the scale 1.5, size int(1.5 + 0.5) = 2.
    EXPECT_EQ(outcome::circle_size(1, outcome::circle_factor(1, 1.5), 300), 2);
    // M = 4: 28 / (2 - 1) = 28, times 1.5 = 42; a count of 4 gives 84, 1 gives 42.
    EXPECT_EQ(outcome::circle_factor(4, 1.5), 42.0);
    EXPECT_EQ(outcome::circle_size(4, 42.0, 300), 84);
    EXPECT_EQ(outcome::circle_size(1, 42.0, 300), 42);
    // M = 2 would give 143 pixels (28 / 0.414 * 1.414 * 1.5): held to the plot.
    EXPECT_EQ(outcome::circle_size(2, outcome::circle_factor(2, 1.5), 120), 120);
    // Size by Z with size 20: f = 1 -> 20, f = 1/4 -> int(21 / 2 - 1) = 9, f = 0 and a missing Z -> 0.
    EXPECT_EQ(outcome::z_size(8, 0, 8, 20), 20);
    EXPECT_EQ(outcome::z_size(2, 0, 8, 20), 9);
    EXPECT_EQ(outcome::z_size(0, 0, 8, 20), 0);
    EXPECT_EQ(outcome::z_size(-1, 0, 8, 20), 0);
    EXPECT_EQ(outcome::z_size(3, 3, 3, 20), 20);
    // t = (5 - log10 n) 24.5 + 2: n = 1e5 -> 2; n = 0 as 1 -> 124.5; n = 10 -> 100.
    EXPECT_EQ(outcome::density_shift(1e5, true, 2), 1);
    EXPECT_EQ(outcome::density_shift(1e5, false, 2), 1);
    EXPECT_EQ(outcome::density_shift(0, true, 2), 37);
    EXPECT_EQ(outcome::density_shift(0, false, 2), 41);
    EXPECT_EQ(outcome::density_shift(10, true, 2), 30);
    EXPECT_EQ(outcome::density_shift(10, false, 4), 20);
    EXPECT_EQ(outcome::density_shift(1e9, false, 2), 1);
    // The hit reach is max(size div 2, 3), exclusive, in both directions.
    EXPECT_TRUE(outcome::label_hit(10, 10, 12, 8, 2));
    EXPECT_FALSE(outcome::label_hit(10, 10, 13, 10, 2));
    EXPECT_TRUE(outcome::label_hit(10, 10, 14, 14, 10));
    EXPECT_FALSE(outcome::label_hit(10, 10, 10, 15, 10));
}

TEST(ScatterModel, BoxGlyphAlongEitherAxis)
{
    stats::Quartiles q;
    q.lower_fence = 10;
    q.q25 = 20;
    q.q50 = 30;
    q.q75 = 40;
    q.upper_fence = 70;
    // Discrete X, level 2 at 2 * 50 = 100 px; Y at 2 px per unit, upward.
    auto g = outcome::box_glyph(q, 33, 2, 50, 2, true, 10);
    EXPECT_EQ(g.band, (outcome::PixRect{89, -140, 111, -20}));
    EXPECT_EQ(g.low, (outcome::PixRect{90, -60, 110, -40}));
    EXPECT_EQ(g.high, (outcome::PixRect{90, -80, 110, -61}));
    EXPECT_EQ(g.lower_whisker, (outcome::PixRect{100, -40, 100, -20}));
    EXPECT_EQ(g.upper_whisker, (outcome::PixRect{100, -140, 100, -80}));
    EXPECT_EQ(g.meanx, 100);
    EXPECT_EQ(g.meany, -66);
    // Discrete Y, level 3 at 3 * 40 = 120 px above the axis; X at 3 px per unit.
    g = outcome::box_glyph(q, 33, 3, 3, 40, false, 5);
    EXPECT_EQ(g.band, (outcome::PixRect{30, -126, 210, -114}));
    EXPECT_EQ(g.low, (outcome::PixRect{60, -125, 90, -115}));
    EXPECT_EQ(g.high, (outcome::PixRect{91, -125, 120, -115}));
    EXPECT_EQ(g.lower_whisker, (outcome::PixRect{30, -120, 60, -120}));
    EXPECT_EQ(g.upper_whisker, (outcome::PixRect{120, -120, 210, -120}));
    EXPECT_EQ(g.meanx, 99);
    EXPECT_EQ(g.meany, -120);
}

} // namespace
} // namespace meru::test
