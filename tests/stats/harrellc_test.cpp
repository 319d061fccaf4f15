// Harrell's c-index of a partition. Reference values from R's
// survival::concordance(Surv(time, status) ~ m, weights = w): c and its counts,
// with U = concordant + discordant + tied.x (pairs tied in time are left out).
#include "stats/harrellc.h"

#include "support/recording_services.h"

#include "log_capture.h"
#include "partition_stats_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace meru::stats {
namespace {

using test::LogCapture;
using test::PartitionStatsData;
using test::RecordingServices;

// Survival data whose membership is attribute 2 and whose censoring attribute is
// attribute 3 (byte 1 censored); attribute 1 is the null attribute.
struct Pairs {
    std::vector<float> time;
    std::vector<int> status, group, weight;
    std::vector<std::uint8_t> bytes, mask;

    Pairs(std::vector<float> t, std::vector<int> s, std::vector<int> g, std::vector<int> w)
        : time(std::move(t)), status(std::move(s)), group(std::move(g)), weight(std::move(w))
    {
        for (std::size_t i = 0; i < time.size(); ++i) {
            bytes.push_back(0);
            bytes.push_back(static_cast<std::uint8_t>(group[i]));
            bytes.push_back(static_cast<std::uint8_t>(status[i] == 0));
        }
        mask.assign(time.size(), 1);
    }
    HarrellC run(Services& sv, LogCapture& cap) const
    {
        SampleView v{AttributeMatrix(bytes, 3, static_cast<int>(time.size())), time, mask, weight};
        partition::TermList list;
        list.add_term({2});
        CompiledList compiled;
        compiled.compile(list, 1, {}, 3);
        Censoring c;
        c.in_force = true;
        c.attribute = 3;
        c.side = 2;
        return harrellc(v, compiled, false, c, sv, cap.log);
    }
    // The same data in another order.
    Pairs permuted(unsigned seed) const
    {
        std::vector<std::size_t> idx(time.size());
        std::iota(idx.begin(), idx.end(), 0);
        std::shuffle(idx.begin(), idx.end(), std::mt19937(seed));
        std::vector<float> t;
        std::vector<int> s, g, w;
        for (std::size_t k : idx) {
            t.push_back(time[k]);
            s.push_back(status[k]);
            g.push_back(group[k]);
            w.push_back(weight[k]);
        }
        return Pairs(t, s, g, w);
    }
};

// 40 observations with many tied times (R: set.seed(7), times 1..15).
Pairs forty(bool weighted)
{
    std::vector<float> t{10, 3, 15, 12, 7,  2,  15, 10, 6,  8, 8, 3,  8, 8,  6, 15, 8, 11, 10, 12,
                         3,  4, 8,  2,  15, 15, 6,  6,  11, 5, 4, 11, 6, 10, 7, 2,  4, 6,  8,  11};
    std::vector<int> s{1, 0, 1, 0, 1, 1, 0, 0, 0, 1, 0, 0, 1, 0, 1, 1, 1, 1, 1, 1,
                       1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 0, 0};
    std::vector<int> g{1, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 1, 1, 0, 1, 0, 0,
                       0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 0, 1, 1};
    std::vector<int> w{2, 1, 2, 1, 1, 3, 1, 2, 2, 3, 1, 2, 1, 2, 3, 2, 1, 3, 2, 1,
                       3, 3, 3, 2, 3, 2, 2, 1, 1, 1, 1, 3, 2, 3, 3, 1, 3, 2, 2, 1};
    if (!weighted) w.assign(t.size(), 1);
    return Pairs(t, s, g, w);
}

TEST(HarrellC, ThreeObservations)
{
    // Times 1 (event, member), 2 (event, non-member), 3 (censored, member).
    Pairs p({1, 2, 3}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1});
    RecordingServices sv;
    LogCapture cap;
    const HarrellC r = p.run(sv, cap);
    EXPECT_TRUE(r.computed);
    EXPECT_DOUBLE_EQ(r.usable, 3.0);
    EXPECT_DOUBLE_EQ(r.concordant, 1.0);
    EXPECT_DOUBLE_EQ(r.tied, 1.0);
    const std::vector<std::string> expected{
        " Harrell c-index= 0.5000",
        " Based on        3 comparison pairs with        1 concordances and        1 tied",
    };
    EXPECT_EQ(cap.lines, expected);
}

TEST(HarrellC, TiedTimesMatchReferenceWhateverTheOrder)
{
    // R: concordant 137, discordant 143, tied.x 266, c = 0.494505494505.
    const Pairs p = forty(false);
    for (unsigned seed : {0u, 1u, 2u, 3u}) {
        RecordingServices sv;
        LogCapture cap;
        const HarrellC r = (seed == 0 ? p : p.permuted(seed)).run(sv, cap);
        EXPECT_DOUBLE_EQ(r.concordant, 137.0);
        EXPECT_DOUBLE_EQ(r.tied, 266.0);
        EXPECT_DOUBLE_EQ(r.usable, 137.0 + 143.0 + 266.0);
        EXPECT_NEAR(r.c, 0.494505494505, 1e-12);
    }
}

TEST(HarrellC, FrequencyWeightsMatchReference)
{
    // R with weights: concordant 552, discordant 531, tied.x 1020, c = 0.504992867332.
    RecordingServices sv;
    LogCapture cap;
    const HarrellC r = forty(true).run(sv, cap);
    EXPECT_NEAR(r.c, 0.504992867332, 1e-12);
    const std::vector<std::string> expected{
        " Harrell c-index= 0.5050",
        " Based on     2103 comparison pairs with      552 concordances and     1020 tied",
    };
    EXPECT_EQ(cap.lines, expected);
}

TEST(HarrellC, UndeterminedAndMissingTimesTakeNoPart)
{
    // The 12-observation set: 7 has no time, 11 is undetermined. R on the other ten
    // (12 with weight 2): concordant 5, discordant 5, tied.x 22, c = 0.5.
    PartitionStatsData d;
    CompiledList list;
    list.compile(d.a, 1, d.signbyte, PartitionStatsData::lc);
    RecordingServices sv;
    LogCapture cap;
    const HarrellC r = harrellc(d.view(d.time), list, false, PartitionStatsData::censoring(), sv, cap.log);
    EXPECT_DOUBLE_EQ(r.usable, 32.0);
    EXPECT_DOUBLE_EQ(r.concordant, 5.0);
    EXPECT_DOUBLE_EQ(r.tied, 22.0);
    EXPECT_DOUBLE_EQ(r.c, 0.5);

    // With the skip flag observation 10 (AGE missing) goes too. R on the other nine:
    // concordant 4, discordant 5, tied.x 18.
    LogCapture cap2;
    const HarrellC s = harrellc(d.view(d.time), list, true, PartitionStatsData::censoring(), sv, cap2.log);
    EXPECT_DOUBLE_EQ(s.usable, 27.0);
    EXPECT_DOUBLE_EQ(s.concordant, 4.0);
    EXPECT_NEAR(s.c, 0.481481481481, 1e-12);
    EXPECT_EQ(cap2.lines[0], " Harrell c-index= 0.4815");
}

TEST(HarrellC, NoUsablePair)
{
    Pairs p({1, 2, 3}, {0, 0, 0}, {1, 0, 1}, {1, 1, 1});
    RecordingServices sv;
    LogCapture cap;
    const HarrellC r = p.run(sv, cap);
    EXPECT_FALSE(r.computed);
    EXPECT_EQ(cap.lines, std::vector<std::string>{" Harrell c-index not computable: no usable pairs"});
}

// Raises Search:End at the given yield.
struct EndingServices : RecordingServices {
    int end_at = 0;
    void yield() override
    {
        RecordingServices::yield();
        if (yields == end_at) end_requested = true;
    }
};

TEST(HarrellC, SearchEndAbandons)
{
    const Pairs p = forty(false);
    EndingServices sv;
    sv.end_requested = true; // a request left from before is cleared first
    sv.end_at = 5;
    LogCapture cap;
    const HarrellC r = p.run(sv, cap);
    EXPECT_TRUE(r.abandoned);
    EXPECT_FALSE(r.computed);
    EXPECT_EQ(sv.yields, 5);
    EXPECT_EQ(cap.lines, std::vector<std::string>{"User Search:End abandoned Harrell!"});
}

TEST(HarrellC, ProgressAndLargeCounts)
{
    // 5000 events at distinct times, members at the even times: every pair is
    // usable, U = 5000 * 4999 / 2.
    const int n = 5000;
    std::vector<float> t(n);
    std::vector<int> s(n, 1), g(n), w(n, 1);
    for (int i = 0; i < n; ++i) {
        t[static_cast<std::size_t>(i)] = static_cast<float>(i + 1);
        g[static_cast<std::size_t>(i)] = (i + 1) % 2 == 0;
    }
    Pairs p(t, s, g, w);
    RecordingServices sv;
    LogCapture cap;
    const HarrellC r = p.run(sv, cap);
    EXPECT_DOUBLE_EQ(r.usable, 12497500.0);
    EXPECT_EQ(sv.yields, n);
    const auto progress = sv.with_prefix("thinking:");
    ASSERT_EQ(progress.size(), 4u);
    EXPECT_EQ(progress[0], "thinking: 20% Harrell c-index calculations done (use Search:End to quit)");
    ASSERT_EQ(cap.lines.size(), 2u);
    EXPECT_EQ(cap.lines[1].substr(0, 45), " Based on  0.124975E+08 comparison pairs with");
}

} // namespace
} // namespace meru::stats
