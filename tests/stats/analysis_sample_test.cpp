// Analysis sample (attrition), Turbo grouping and the Y range.
#include "files/tables.h"
#include "platform/io/logwriter.h"
#include "stats/analysis_sample.h"
#include "stats/partition_sample.h"

#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using meru::stats::AttributeMatrix;

namespace {
constexpr std::uint8_t M = 255;

struct CapturedLog {
    meru::io::LogWriter log;
    std::vector<std::string> lines;
    CapturedLog()
    {
        log.set_trace_sink([this](std::string_view l) { lines.emplace_back(l); });
    }
};
} // namespace

TEST(Sampmask, WithoutTheCheckCopiesTheBaseMaskAndWritesNothing)
{
    std::vector<std::uint8_t> abyte{1, M, 1, 1};
    std::vector<std::uint8_t> base{1, 0}, sample{0, 1};
    std::vector<int> w{1, 1};
    CapturedLog c;
    const std::vector<int> attrs{2};
    EXPECT_EQ(meru::stats::sampmask(attrs, AttributeMatrix(abyte, 2, 2), base, sample, false, false, false, w, c.log),
              0.0);
    EXPECT_EQ(sample, base);
    EXPECT_TRUE(c.lines.empty());
    // Bypass (the Rank menu group) also turns the check off.
    EXPECT_EQ(meru::stats::sampmask(attrs, AttributeMatrix(abyte, 2, 2), base, sample, true, true, false, w, c.log),
              0.0);
    EXPECT_EQ(sample, base);
    EXPECT_TRUE(c.lines.empty());
}

TEST(Sampmask, AttritionOverTheSampleOnly)
{
    // Obs 2 (w 2) misses attribute 3; obs 4 misses it too but is outside the base mask.
    std::vector<std::uint8_t> abyte{1, 1, 0, //
                                    1, 0, M, //
                                    1, 1, 1, //
                                    1, 1, M, //
                                    1, 0, 0};
    std::vector<std::uint8_t> base{1, 1, 1, 0, 1}, sample(5, 0);
    std::vector<int> w{1, 2, 3, 50, 4};
    CapturedLog c;
    const std::vector<int> attrs{2, 3};
    const double pct =
        meru::stats::sampmask(attrs, AttributeMatrix(abyte, 3, 5), base, sample, true, false, false, w, c.log);
    EXPECT_DOUBLE_EQ(pct, 20.0);
    EXPECT_EQ(sample, (std::vector<std::uint8_t>{1, 0, 1, 0, 1}));
    ASSERT_EQ(c.lines.size(), 2u);
    EXPECT_EQ(c.lines[0], " Complete data for attribute set       8 observations");
    EXPECT_EQ(c.lines[1], "NOTE: attrition by discarding incomplete obs=  20.0% from      10 to       8");
}

TEST(Sampmask, NothingLostWritesOnlyTheCompleteLine)
{
    std::vector<std::uint8_t> abyte{1, 1, 1, 0};
    std::vector<std::uint8_t> base{1, 1}, sample(2);
    std::vector<int> w{3, 4};
    CapturedLog c;
    const std::vector<int> attrs{2};
    EXPECT_EQ(meru::stats::sampmask(attrs, AttributeMatrix(abyte, 2, 2), base, sample, true, false, false, w, c.log),
              0.0);
    ASSERT_EQ(c.lines.size(), 1u);
    EXPECT_EQ(c.lines[0], " Complete data for attribute set       7 observations");
}

TEST(Sampmask, EmptySampleGivesZeroPercent)
{
    std::vector<std::uint8_t> abyte{1, M};
    std::vector<std::uint8_t> base{0}, sample(1);
    std::vector<int> w{5};
    CapturedLog c;
    const std::vector<int> attrs{2};
    EXPECT_EQ(meru::stats::sampmask(attrs, AttributeMatrix(abyte, 2, 1), base, sample, true, false, false, w, c.log),
              0.0);
    ASSERT_EQ(c.lines.size(), 1u);
    EXPECT_EQ(c.lines[0], " Complete data for attribute set       0 observations");
}

TEST(Sampmask, ByGroupRunKeepsItsMask)
{
    std::vector<std::uint8_t> abyte{1, 1, 1, M, 1, 1};
    std::vector<std::uint8_t> base{1, 1, 1}, sample{0, 1, 1};
    std::vector<int> w{1, 1, 1};
    CapturedLog c;
    const std::vector<int> attrs{2};
    meru::stats::sampmask(attrs, AttributeMatrix(abyte, 2, 3), base, sample, true, false, true, w, c.log);
    EXPECT_EQ(sample, (std::vector<std::uint8_t>{0, 0, 1}));
    EXPECT_EQ(c.lines[0], " Complete data for attribute set       1 observations");
}

namespace {

struct TurboData {
    int n = 1000, lc = 4;
    std::vector<std::uint8_t> abyte;
    std::vector<float> y;
    std::vector<std::uint8_t> mask;
    std::vector<int> obswt, grpwt;
    explicit TurboData(unsigned seed)
    {
        std::mt19937 rng(seed);
        abyte.resize(static_cast<std::size_t>(n * lc));
        y.resize(static_cast<std::size_t>(n));
        mask.assign(static_cast<std::size_t>(n), 1);
        obswt.resize(static_cast<std::size_t>(n));
        grpwt.assign(static_cast<std::size_t>(n), -7);
        for (int i = 0; i < n; ++i) {
            abyte[static_cast<std::size_t>(i * lc)] = 1;
            for (int a = 2; a <= lc; ++a) abyte[static_cast<std::size_t>(i * lc + a - 1)] = rng() % 2;
            y[static_cast<std::size_t>(i)] = static_cast<float>(rng() % 2);
            obswt[static_cast<std::size_t>(i)] = 1 + static_cast<int>(rng() % 3);
        }
    }
    AttributeMatrix matrix() const { return AttributeMatrix(abyte, lc, n); }
};

} // namespace

TEST(Turbo, GroupsCarryTheirSummedWeightOnTheLastMember)
{
    TurboData d(11u);
    d.y[5] = -999.0f;       // missing Y keeps its own weight
    d.abyte[7 * 4 + 2] = M; // missing key byte keeps its own weight
    d.mask[9] = 0;          // outside the sample: own weight
    const std::vector<float> distinct{0.0f, 1.0f};
    const std::vector<int> key{2, 3, 4};
    CapturedLog c;
    const auto r = meru::stats::turbo({true, true, d.y, distinct}, d.matrix(), key, d.mask, d.obswt, d.grpwt, &c.log);
    ASSERT_TRUE(r.used);

    // Expected groups worked out directly: key bytes and Y -> (last index, weight).
    std::map<std::vector<int>, std::pair<int, int>> groups;
    for (int i = 0; i < d.n; ++i) {
        if (i == 5 || i == 7 || i == 9) continue;
        std::vector<int> k{static_cast<int>(d.y[static_cast<std::size_t>(i)])};
        for (int a : key) k.push_back(d.abyte[static_cast<std::size_t>(i * d.lc + a - 1)]);
        auto& g = groups[k];
        g.first = i;
        g.second += d.obswt[static_cast<std::size_t>(i)];
    }
    EXPECT_EQ(r.groups, static_cast<int>(groups.size()));
    EXPECT_LE(r.groups, 16);
    std::vector<int> want(static_cast<std::size_t>(d.n), 0);
    for (const auto& [k, g] : groups) want[static_cast<std::size_t>(g.first)] = g.second;
    for (int i : {5, 7, 9}) want[static_cast<std::size_t>(i)] = d.obswt[static_cast<std::size_t>(i)];
    EXPECT_EQ(d.grpwt, want);
    EXPECT_EQ(std::accumulate(d.grpwt.begin(), d.grpwt.end(), 0LL),
              std::accumulate(d.obswt.begin(), d.obswt.end(), 0LL));
    ASSERT_EQ(c.lines.size(), 1u);
    EXPECT_EQ(c.lines[0], "  Turbo used: collapsed no. of groups " + std::to_string(groups.size()));
}

TEST(Turbo, GroupedWeightsGiveTheSameCountTables)
{
    TurboData d(5u);
    const std::vector<float> distinct{1.0f, 0.0f};
    const std::vector<int> key{2, 3, 4};
    meru::stats::turbo({true, true, d.y, distinct}, d.matrix(), key, d.mask, d.obswt, d.grpwt, nullptr);
    meru::stats::PartitionSample all({d.matrix(), d.y, d.mask, d.obswt}, 2);
    meru::stats::PartitionSample grouped({d.matrix(), d.y, d.mask, d.grpwt}, 2);
    EXPECT_LE(grouped.units(), 16);
    const std::vector<std::int8_t> sign{0, 1, 1, -1, 1};
    for (auto terms : {std::vector<std::vector<int>>{{2, -3}, {4}}, {{-2}}, {{3, 4}, {-3, -4}}}) {
        meru::partition::TermList t;
        for (const auto& term : terms) t.add_term(term);
        for (int s : {0, 1}) {
            meru::stats::CountTable a, b;
            all.partab(t, s, sign, false, a);
            grouped.partab(t, s, sign, false, b);
            EXPECT_EQ(a.cells, b.cells);
            EXPECT_EQ(a.w0, b.w0);
            EXPECT_EQ(a.w1, b.w1);
        }
    }
}

TEST(Turbo, RefusalsKeepTheFrequencyWeights)
{
    TurboData d(3u);
    const std::vector<int> key{2, 3, 4};
    CapturedLog c;
    const std::vector<float> two{0.0f, 1.0f};

    auto r = meru::stats::turbo({false, true, d.y, two}, d.matrix(), key, d.mask, d.obswt, d.grpwt, &c.log);
    EXPECT_FALSE(r.used);
    EXPECT_EQ(d.grpwt, d.obswt);
    EXPECT_TRUE(c.lines.empty());

    r = meru::stats::turbo({true, false, d.y, two}, d.matrix(), key, d.mask, d.obswt, d.grpwt, &c.log);
    EXPECT_FALSE(r.used);
    const std::vector<float> eleven{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    meru::stats::turbo({true, true, d.y, eleven}, d.matrix(), key, d.mask, d.obswt, d.grpwt, &c.log);
    const std::vector<int> fifteen(15, 2);
    meru::stats::turbo({true, true, d.y, two}, d.matrix(), fifteen, d.mask, d.obswt, d.grpwt, &c.log);
    EXPECT_EQ(d.grpwt, d.obswt);
    ASSERT_EQ(c.lines.size(), 3u);
    EXPECT_EQ(c.lines[0], " Turbo cannot be used for multivariate Y");
    EXPECT_EQ(c.lines[1], " Turbo cannot be used: >10 distinct Y");
    EXPECT_EQ(c.lines[2], " Turbo cannot be used. Binary list length=   16(>15)");

    // Without the report flag nothing is written.
    c.lines.clear();
    meru::stats::turbo({true, false, d.y, two}, d.matrix(), key, d.mask, d.obswt, d.grpwt, nullptr);
    EXPECT_TRUE(c.lines.empty());
}

TEST(Turbo, YValueOutsideTheTableIsNotMerged)
{
    // Two observations, same bytes; Y 1 is listed, Y 3 is not (a stale table).
    std::vector<std::uint8_t> abyte{1, 1, 1, 1, 1, 1};
    std::vector<float> y{1, 3, 1};
    std::vector<std::uint8_t> mask(3, 1);
    std::vector<int> w{2, 5, 4}, g(3);
    const std::vector<float> distinct{0.0f, 1.0f};
    const std::vector<int> key{2};
    meru::stats::turbo({true, true, y, distinct}, AttributeMatrix(abyte, 2, 3), key, mask, w, g, nullptr);
    EXPECT_EQ(g, (std::vector<int>{0, 5, 6}));
}

TEST(Yrange, RangeAndWeightedMean)
{
    const std::vector<float> y{2, -1, 5, 1, 9};
    const std::vector<int> w{1, 4, 3, 2, 1};
    const std::vector<std::uint8_t> mask{1, 1, 1, 1, 0};
    const auto r = meru::stats::yrange(y, w, mask);
    EXPECT_EQ(r.min, 1.0f);
    EXPECT_EQ(r.max, 5.0f);
    EXPECT_EQ(r.weight, 6);
    EXPECT_DOUBLE_EQ(r.mean, (2.0 + 15.0 + 2.0) / 6.0);
    EXPECT_EQ(meru::stats::y_class_count(r.max), 6);
}

TEST(Yrange, NoValidYGivesDefinedBoundsAndOneClass)
{
    const std::vector<float> y{-1, -999};
    const std::vector<int> w{1, 1};
    const std::vector<std::uint8_t> mask{1, 1};
    const auto r = meru::stats::yrange(y, w, mask);
    EXPECT_EQ(r.min, 0.0f);
    EXPECT_EQ(r.max, 0.0f);
    EXPECT_EQ(r.mean, 0.0);
    EXPECT_EQ(meru::stats::y_class_count(r.max), 1);
    EXPECT_EQ(meru::stats::y_class_count(1e30f), 100);
    EXPECT_EQ(meru::stats::y_class_count(99.5f), 100);
    EXPECT_EQ(meru::stats::y_class_count(-5.0f), 1);
}

TEST(AttributeSet, AttributesOfTheListedLines)
{
    meru::files::ControlTables t;
    t.nlines = 3;
    t.line.resize(4);
    t.line[1].ncuts = 1; // the null line: attribute 1
    t.line[1].attoff = 1;
    t.line[2].ncuts = 3; // attributes 2..4, the second in use
    t.line[2].attoff = 4;
    t.line[2].inuse = 2;
    t.line[3].ncuts = 2; // attributes 5..6, the first in use
    t.line[3].attoff = 6;
    t.line[3].inuse = 1;
    const std::vector<int> lines{2, 3, 9};
    EXPECT_EQ(meru::stats::attributes_in_use(t, lines), (std::vector<int>{3, 5}));
    const std::vector<std::uint8_t> flags{0, 1, 0, 1, 1, 0, 1};
    EXPECT_EQ(meru::stats::flagged_attributes(t, lines, flags), (std::vector<int>{3, 4, 6}));
}
