// Subgroup table and incidence rates of a term list, on the 12-observation data
// set of partition_stats_fixture.h. Expected numbers worked out by hand from the
// table in that header.
#include "stats/subgroup_stats.h"

#include "stats/effmat.h"

#include "support/recording_services.h"

#include "log_capture.h"
#include "partition_stats_fixture.h"
#include "three_threads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace meru::stats {
namespace {

using test::LogCapture;
using test::PartitionStatsData;
using test::RecordingServices;

const std::string kDashes = " " + std::string(79, '-');

SubStat run(const PartitionStatsData& d, const std::vector<float>& y, LogCapture& cap, RecordingServices& sv,
            PartStatsOptions opt = {}, const partition::TermList* list = nullptr, int sense = 1)
{
    if (opt.yname.empty()) opt.yname = "Y-cont";
    Notices told;
    SubStat st = partstats(d.view(y), list ? *list : d.a, sense, d.signbyte, d.tables, opt, told, cap.log);
    sv.replay(told, &cap.log);
    return st;
}

TEST(PartStats, ContinuousYTable)
{
    PartitionStatsData d;
    LogCapture cap;
    RecordingServices sv;
    const SubStat st = run(d, d.ycont, cap, sv);
    // Term 1 (AGE >50): obs 1, 2, 6, 8 and 12 (weight 2): n 6, S 24, Q 108.5,
    // SS 12.5; unique: 1, 6, 8. Term 2: 2, 3, 10, 12 (7 lacks Y): n 5, S 17.5,
    // Q 72.25, SS 11; unique 3 and 10. The list: n 8, S 28, Q 118.5, SS 20.5.
    const std::vector<std::string> expected{
        "Subgroups for  A : N is # in subgroup, U is # unique to subgroup",
        "         N    mean        SD           U     Sub-group definition",
        kDashes,
        "  1       6   4.000      1.443          3 AGE >50",
        "  2       5   3.500      1.483          2 SEX =M SMOKE =no",
        "  A       8   3.500      1.601",
        "        1   missing Y-cont",
        kDashes,
    };
    EXPECT_EQ(cap.lines, expected);
    ASSERT_EQ(st.q, 2);
    EXPECT_EQ(st.part[0].unique, 3);
    EXPECT_EQ(st.part[1].missing, 1);
    EXPECT_DOUBLE_EQ(st.part[2].s, 28.0);
    EXPECT_DOUBLE_EQ(st.part[2].q, 118.5);
    EXPECT_NEAR(st.pooled_var, 23.5 / 11.0, 1e-12);
    EXPECT_NEAR(st.whole_var, 20.5 / 8.0, 1e-12);
    // Observation 10 is paired with term 2 only (term 1 is undetermined), 11 with none.
    const std::vector<std::pair<int, int>> pairs{{1, 0}, {1, 1}, {2, 1}, {2, 2},  {1, 5},
                                                 {2, 6}, {1, 7}, {2, 9}, {1, 11}, {2, 11}};
    ASSERT_EQ(st.pairs.size(), pairs.size());
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        EXPECT_EQ(st.pairs[k].term, pairs[k].first);
        EXPECT_EQ(st.pairs[k].obs, pairs[k].second);
    }
    EXPECT_TRUE(sv.calls.empty());
}

// The 12 observations repeated over three stretches of observations, tallied
// alone and on three threads: the same block, each count and sum the table's
// times the repeats.
TEST(PartStats, StretchesOnThreadsAddUpAsOnePass)
{
    PartitionStatsData d;
    constexpr int kRepeats = 12000;
    std::vector<std::uint8_t> bytes;
    std::vector<float> y;
    std::vector<int> w;
    for (int r = 0; r < kRepeats; ++r) {
        bytes.insert(bytes.end(), d.bytes.begin(), d.bytes.end());
        y.insert(y.end(), d.ycont.begin(), d.ycont.end());
        w.insert(w.end(), d.w.begin(), d.w.end());
    }
    const std::vector<std::uint8_t> mask(y.size(), 1);
    const SampleView view{AttributeMatrix(bytes, d.lc, static_cast<int>(y.size())), y, mask, w};
    PartStatsOptions alone;
    alone.print = false;
    PartStatsOptions shared = alone;
    shared.parallel = test::three_threads();
    LogCapture cap;
    Notices told;
    const SubStat one = partstats(view, d.a, 1, d.signbyte, d.tables, alone, told, cap.log);
    const SubStat three = partstats(view, d.a, 1, d.signbyte, d.tables, shared, told, cap.log);
    const auto fields = [](const SubStat& st) {
        std::vector<double> v;
        for (const PartStat& p : st.part) v.insert(v.end(), {double(p.n), double(p.unique), p.s, p.q, p.sd});
        for (const CellStat& c : st.cells) v.insert(v.end(), {double(c.weight), c.sum});
        for (const TermPair& p : st.pairs) v.insert(v.end(), {double(p.term), double(p.obs)});
        return v;
    };
    EXPECT_EQ(fields(one), fields(three));
    ASSERT_EQ(three.pairs.size(), 10u * kRepeats);
    // Hand values of ContinuousYTable, times the repeats.
    EXPECT_EQ(three.part[0].n, 6 * kRepeats);
    EXPECT_EQ(three.part[0].unique, 3 * kRepeats);
    EXPECT_EQ(three.part[1].missing, kRepeats);
    EXPECT_EQ(three.part[2].s, 28.0 * kRepeats);
    EXPECT_EQ(three.part[2].q, 118.5 * kRepeats);
    EXPECT_EQ(three.pairs[10].term, 1);
    EXPECT_EQ(three.pairs[10].obs, 12);
    EXPECT_TRUE(three.complete);
}

TEST(PartStats, BinaryYTableAndEffectsAgainstAMinus)
{
    PartitionStatsData d;
    LogCapture cap;
    RecordingServices sv;
    PartStatsOptions opt;
    opt.yname = "Y-bin";
    // Term 1: 5 positives of 6 (SS 5/6); term 2: 4 of 5 (SS 0.8); the list 6 of 8 (SS 1.5).
    const SubStat a = run(d, d.ybin, cap, sv, opt);
    const std::vector<std::string> expected{
        "Subgroups for  A : N is # in subgroup, U is # unique to subgroup",
        "         N    mean        SD           U     Sub-group definition",
        kDashes,
        "  1       6  0.8333     0.3727          3 AGE >50",
        "  2       5  0.8000     0.4000          2 SEX =M SMOKE =no",
        "  A       8  0.7500     0.4330",
        "        1   missing Y-bin",
        kDashes,
    };
    EXPECT_EQ(cap.lines, expected);
    // A- (observations 4, 5, 9) has no positive: every part is held at 0.0001 and
    // every effect stays finite.
    opt.print = false;
    const SubStat am = run(d, d.ybin, cap, sv, opt, &d.aminus, 0);
    EXPECT_EQ(am.whole().n, 3);
    EXPECT_EQ(am.whole().s, 0.0);
    EffmatOptions eopt;
    eopt.binary = true;
    std::string text;
    LogCapture ecap;
    const auto m = effmat(a, am, eopt, text, ecap.log);
    ASSERT_EQ(m.size(), 3u);
    ASSERT_EQ(m[1].cells.size(), 9u);
    EXPECT_NEAR(m[1].cells[8].value, 0.75 - 0.0001, 1e-12); // risk difference of the whole lists
    for (const auto& mat : m)
        for (const auto& c : mat.cells) EXPECT_TRUE(std::isfinite(c.lower) && std::isfinite(c.upper));
}

TEST(PartStats, CellsKeepMissingYApart)
{
    PartitionStatsData d;
    LogCapture cap;
    RecordingServices sv;
    const SubStat st = run(d, d.ycont, cap, sv);
    ASSERT_EQ(st.cells.size(), 4u);
    // Cell 0: obs 4, 5 and 9 (11 is undetermined, in no cell); cell 1: 1, 6, 8;
    // cell 2: 3, 7 (no Y), 10; cell 3: 2, 12.
    EXPECT_EQ(st.cells[0].weight, 3);
    EXPECT_DOUBLE_EQ(st.cells[0].sum, 6.0);
    EXPECT_EQ(st.cells[2].weight, 3);
    EXPECT_EQ(st.cells[2].missing, 1);
    EXPECT_DOUBLE_EQ(st.cells[2].sum, 4.0);
    EXPECT_EQ(st.cells[3].weight, 3);
    EXPECT_DOUBLE_EQ(st.cells[3].sumsq, 12.25 + 50.0);
}

TEST(PartStats, FlippedListDescribesAMinus)
{
    // A- = (-2 -3)(-2 4) held flipped as (2 3)(2 -4): term 1 holds for obs 5 and 9,
    // term 2 for 4 and 9; 10 and 11 are undetermined.
    PartitionStatsData d;
    LogCapture cap;
    RecordingServices sv;
    const SubStat st = run(d, d.ycont, cap, sv, {}, &d.aminus, 0);
    const std::vector<std::string> expected{
        "Subgroups for  A-: N is # in subgroup, U is # unique to subgroup",
        "         N    mean        SD           U     Sub-group definition",
        kDashes,
        "  1-      2   1.000     0.5000          1 AGE <=50 SEX =F",
        "  2-      2   2.750      1.250          1 AGE <=50 SMOKE =yes",
        "  A-      3   2.000      1.472",
        kDashes,
    };
    EXPECT_EQ(cap.lines, expected);
    EXPECT_EQ(st.whole().n, 3);
}

TEST(PartStats, DefinitionsWrapThreeLiteralsALine)
{
    PartitionStatsData d;
    partition::TermList list;
    list.add_term({2, 3, -4, 5});
    LogCapture cap;
    RecordingServices sv;
    run(d, d.ycont, cap, sv, {}, &list);
    // Only obs 2 and 12 hold (AGE >50, SEX =M, SMOKE =no, CENS censored).
    ASSERT_GE(cap.lines.size(), 6u);
    EXPECT_EQ(cap.lines[3], "  1       3   4.500     0.7071          3 AGE >50 SEX =M SMOKE =no");
    EXPECT_EQ(cap.lines[4], std::string(42, ' ') + "CENS censored");
}

TEST(PartStats, CensoredSurvivalCountsAndIncidence)
{
    PartitionStatsData d;
    LogCapture cap;
    RecordingServices sv;
    PartStatsOptions opt;
    opt.censoring = PartitionStatsData::censoring();
    opt.print = false;
    opt.yname = "TIME";
    const SubStat st = run(d, d.time, cap, sv, opt);
    EXPECT_TRUE(cap.lines.empty());
    // Term 1: censored 2 and 12 (weight 3), person-time 44; term 2: censored 2, 10,
    // 12 (weight 4), person-time 40; the list: censored 4, person-time 56.
    EXPECT_EQ(st.part[0].censored, 3);
    EXPECT_DOUBLE_EQ(st.part[0].s, 44.0);
    EXPECT_EQ(st.part[1].censored, 4);
    EXPECT_EQ(st.part[2].censored, 4);
    EXPECT_DOUBLE_EQ(st.part[2].s, 56.0);
    incrate(st, "deaths", cap.log);
    // Rates 3/44, 1/40 and 4/56 with half-widths 1.96 sqrt(p/T): 0.077155, 0.049, 0.07.
    const std::vector<std::string> expected{
        " Incidence rates in subgroups of A . Cases are: deaths",
        " No.       #cases     Person time        Incidence (95% CI)",
        kDashes,
        "  1             3             44.0         0.6818E-01(-0.8973E-02, 0.1453    )",
        "  2             1             40.0         0.2500E-01(-0.2400E-01, 0.7400E-01)",
        kDashes,
        "  A             4             56.0         0.7143E-01( 0.1429E-02, 0.1414    )",
        kDashes,
    };
    EXPECT_EQ(cap.lines, expected);
}

TEST(PartStats, IncidenceWithoutPersonTimeIsZero)
{
    SubStat st;
    st.q = 1;
    st.part.resize(2);
    st.part[0].n = 3; // all at time 0
    LogCapture cap;
    incrate(st, "x", cap.log);
    ASSERT_EQ(cap.lines.size(), 7u);
    EXPECT_EQ(cap.lines[3], "  1             3              0.0          0.000    (  0.000    ,  0.000    )");
}

TEST(PartStats, UnusableCensoringByteLeavesTheObservationOut)
{
    PartitionStatsData d;
    d.bytes[11 * PartitionStatsData::lc + 4] = 255; // obs 12, weight 2
    LogCapture cap;
    RecordingServices sv;
    PartStatsOptions opt;
    opt.censoring = PartitionStatsData::censoring();
    opt.print = false;
    const SubStat st = run(d, d.time, cap, sv, opt);
    EXPECT_EQ(st.part[2].n, 6);
    EXPECT_EQ(st.part[2].censored, 2);
}

TEST(PartStats, SkipFlagDropsObservationsWithAMissingLiteral)
{
    PartitionStatsData d;
    LogCapture cap;
    RecordingServices sv;
    PartStatsOptions opt;
    opt.skip = true;
    const SubStat st = run(d, d.ycont, cap, sv, opt);
    // Observation 10 (AGE missing) no longer counts in term 2.
    EXPECT_EQ(st.part[1].n, 4);
    EXPECT_EQ(st.cells[2].weight, 2);
}

TEST(PartStats, WithoutAChosenYNothingIsPrinted)
{
    PartitionStatsData d;
    LogCapture cap;
    RecordingServices sv;
    PartStatsOptions opt;
    opt.ychosen = false;
    const SubStat st = run(d, d.ycont, cap, sv, opt);
    EXPECT_TRUE(cap.lines.empty());
    EXPECT_EQ(st.part[2].n, 8);
    EXPECT_EQ(st.part[2].mean, 0.0);
}

TEST(PartStats, HundredTermsAreDescribedByNinetyNineAndTheListStays)
{
    PartitionStatsData d;
    partition::TermList list;
    for (int t = 0; t < partition::MAXP; ++t) list.add_term({t % 2 ? 3 : 2});
    const partition::TermList before = list;
    LogCapture cap;
    RecordingServices sv;
    PartStatsOptions opt;
    opt.print = false;
    const SubStat st = run(d, d.ycont, cap, sv, opt, &list);
    EXPECT_EQ(st.q, 99);
    EXPECT_EQ(st.part.size(), 100u);
    EXPECT_TRUE(st.cells.empty());
    EXPECT_EQ(list.lp, before.lp);
    EXPECT_EQ(list.lits, before.lits);
    EXPECT_EQ(sv.calls, std::vector<std::string>{"help:ERROR: q+1>MAXP"});
    ASSERT_EQ(cap.lines.size(), 1u);
    EXPECT_EQ(cap.lines[0], "ERROR fix. Truncate q value to 99");
}

TEST(PartStats, EmptyTermAndSingleObservation)
{
    PartitionStatsData d;
    partition::TermList list;
    list.add_term({2, -2}); // never true
    list.add_term({5, 4});  // only obs 9
    LogCapture cap;
    RecordingServices sv;
    PartStatsOptions opt;
    opt.print = false;
    const SubStat st = run(d, d.ycont, cap, sv, opt, &list);
    EXPECT_EQ(st.part[0].n, 0);
    EXPECT_EQ(st.part[0].mean, 0.0);
    EXPECT_EQ(st.part[1].n, 1);
    EXPECT_FLOAT_EQ(static_cast<float>(st.part[1].mean), 1.5f);
    EXPECT_EQ(st.part[1].sd, 0.0);
    EXPECT_EQ(st.pooled_var, 0.0);
}

} // namespace
} // namespace meru::stats
