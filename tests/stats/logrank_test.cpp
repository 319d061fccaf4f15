// Log-rank statistic and censoring count. Reference values from R's
// survival::survdiff on the same data (weights as replicated rows).
#include "stats/logrank.h"

#include "stats/criterion_value.h"
#include "support/recording_services.h"

#include "log_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace meru::stats {
namespace {

using test::close_rel;
using test::LogCapture;

// Sixteen observations in two groups, with ties and censoring. Attribute 1 is the
// null attribute, attribute 2 the censoring attribute (byte 1: censored).
struct Survival {
    std::vector<float> time{1, 2, 2, 3, 4, 4, 4, 5, 6, 7, 8, 8, 9, 10, 12, 12};
    std::vector<int> status{1, 1, 0, 1, 1, 1, 0, 1, 0, 1, 1, 1, 0, 1, 1, 0};
    std::vector<std::int8_t> group{0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 1, 1, 1, 0, 1, 1};
    std::vector<int> weight{1, 2, 1, 1, 3, 1, 1, 2, 1, 1, 1, 2, 1, 1, 1, 1};
    std::vector<std::uint8_t> mask = std::vector<std::uint8_t>(16, 1);
    std::vector<std::uint8_t> abyte;
    Censoring censoring{true, 2, 2, ""};

    Survival() { set_censor_bytes(1); }
    // Byte `censored_byte` for the censored observations, the other one for events.
    void set_censor_bytes(int censored_byte)
    {
        abyte.clear();
        for (int s : status) {
            abyte.push_back(0);
            abyte.push_back(static_cast<std::uint8_t>(s == 0 ? censored_byte : 1 - censored_byte));
        }
    }
    SampleView view() const
    {
        SampleView v;
        v.abyte = AttributeMatrix(abyte, 2, static_cast<int>(time.size()));
        v.y = time;
        v.mask = mask;
        v.weights = weight;
        return v;
    }
    LogRankResult run(LogCapture& cap, const LogRankKey& key = {1, 0, 0}) const
    {
        LogRankOrder order;
        return LOGRANK(view(), group, censoring, 0, key, order, cap.log);
    }
};

TEST(Logrank, UnweightedMatchesReference)
{
    Survival s;
    s.weight.assign(16, 1);
    LogCapture cap;
    const LogRankResult r = s.run(cap);
    EXPECT_TRUE(close_rel(r.g, 6.08256639037882));
    EXPECT_TRUE(close_rel(r.o, 4.0));
    EXPECT_TRUE(close_rel(r.e, 7.52967032967033));
    EXPECT_TRUE(close_rel(r.v, 2.04824277066035));
    EXPECT_TRUE(close_rel(logrank_p(r.g), 0.0136522297768035));
    EXPECT_EQ(r.w0, 8);
    EXPECT_EQ(r.w1, 8);
    EXPECT_EQ(r.d0, 7.0);
    EXPECT_EQ(r.d1, 4.0);
    EXPECT_EQ(r.t0, 35.0);
    EXPECT_EQ(r.t1, 62.0);
    EXPECT_TRUE(cap.lines.empty());
}

TEST(Logrank, WeightsCountAsFrequencies)
{
    Survival s;
    LogCapture cap;
    const LogRankResult r = s.run(cap);
    EXPECT_TRUE(close_rel(r.g, 9.24522782764066));
    EXPECT_TRUE(close_rel(r.o, 5.0));
    EXPECT_TRUE(close_rel(r.e, 10.1188057040998));
    EXPECT_TRUE(close_rel(r.v, 2.83412938272734));
    EXPECT_TRUE(close_rel(logrank_p(r.g), 0.00236109919137351));
    EXPECT_EQ(r.d0, 11.0);
    EXPECT_EQ(r.d1, 5.0);
    EXPECT_EQ(r.t0, 50.0);
    EXPECT_EQ(r.t1, 70.0);
}

TEST(Logrank, CensoringLabelSelectsItsByte)
{
    // Label 2 names byte 1 and label 1 names byte 0.
    Censoring label1{true, 2, 1, ""}, label2{true, 2, 2, ""};
    EXPECT_TRUE(label1.is_censored(0));
    EXPECT_FALSE(label1.is_censored(1));
    EXPECT_TRUE(label2.is_censored(1));
    EXPECT_FALSE(label2.is_censored(0));
    EXPECT_FALSE(label2.is_censored(255));

    // The censored side coded 0 and chosen by label 1 gives the same statistic.
    Survival s;
    s.set_censor_bytes(0);
    s.censoring.side = 1;
    LogCapture cap;
    EXPECT_TRUE(close_rel(s.run(cap).g, 9.24522782764066));
}

TEST(Logrank, WithoutCensoringEveryObservationIsAnEvent)
{
    Survival s;
    s.censoring.in_force = false;
    LogCapture cap;
    const LogRankResult r = s.run(cap);
    EXPECT_TRUE(close_rel(r.g, 6.02549470387004));
    EXPECT_TRUE(close_rel(r.o, 9.0));
    EXPECT_TRUE(close_rel(r.e, 13.5965834818776));
    EXPECT_TRUE(close_rel(r.v, 3.50653029240895));
}

TEST(Logrank, MissingCensoringByteUndeterminedMembershipAndMaskLeaveTheObservationOut)
{
    // Observation 5 (time 4, A-, event, weight 3) left out in three ways.
    const double g = 7.37580863057416, o = 5.0, e = 9.07788779847603, v = 2.25455536197463;
    Survival missing_byte;
    missing_byte.abyte[2 * 4 + 1] = 255;
    Survival undetermined;
    undetermined.group[4] = -1;
    Survival masked;
    masked.mask[4] = 0;
    for (const Survival* s : {&missing_byte, &undetermined, &masked}) {
        LogCapture cap;
        const LogRankResult r = s->run(cap);
        EXPECT_TRUE(close_rel(r.g, g));
        EXPECT_TRUE(close_rel(r.o, o));
        EXPECT_TRUE(close_rel(r.e, e));
        EXPECT_TRUE(close_rel(r.v, v));
        EXPECT_EQ(r.d0, 8.0);
        EXPECT_EQ(r.t0, 38.0);
    }
    Survival negative_time;
    negative_time.time[4] = -1.0f;
    LogCapture cap;
    EXPECT_TRUE(close_rel(negative_time.run(cap).g, g));
}

TEST(Logrank, EventsAtTimeZeroEnterOnlyTheEventTotals)
{
    Survival s;
    for (int m : {0, 1}) {
        s.time.push_back(0.0f);
        s.status.push_back(1);
        s.group.push_back(static_cast<std::int8_t>(m));
        s.weight.push_back(1);
        s.mask.push_back(1);
    }
    s.set_censor_bytes(1);
    LogCapture cap;
    const LogRankResult r = s.run(cap);
    EXPECT_TRUE(close_rel(r.g, 9.24522782764066));
    EXPECT_TRUE(close_rel(r.e, 10.1188057040998));
    EXPECT_EQ(r.d0, 12.0);
    EXPECT_EQ(r.d1, 6.0);
    EXPECT_EQ(cap.lines, std::vector<std::string>{"NOTE:    2 zero survival times omitted in log-rank"});
}

TEST(Logrank, TwoTiedEventsOneInEachGroupGiveZero)
{
    const std::vector<float> time{5, 5};
    const std::vector<std::int8_t> group{0, 1};
    const std::vector<int> weight{1, 1};
    const std::vector<std::uint8_t> mask{1, 1};
    SampleView v;
    v.y = time;
    v.mask = mask;
    v.weights = weight;
    LogRankOrder order;
    LogCapture cap;
    const LogRankResult r = LOGRANK(v, group, Censoring{}, 0, {1, 0, 0}, order, cap.log);
    EXPECT_EQ(r.o, 1.0);
    EXPECT_EQ(r.e, 1.0);
    EXPECT_EQ(r.v, 0.0);
    EXPECT_EQ(r.g, 0.0);

    const LogRankResult none = LOGRANK(SampleView{}, {}, Censoring{}, 0, {1, 0, 0}, order, cap.log);
    EXPECT_EQ(none.g, 0.0);
    EXPECT_EQ(none.w0 + none.w1, 0);
}

TEST(Logrank, KeptOrderIsReusedOnlyForTheSameYAndSample)
{
    Survival s;
    LogCapture cap;
    LogRankOrder order;
    const SampleView first = s.view();
    const LogRankResult a = LOGRANK(first, s.group, s.censoring, 0, {1, 7, 3}, order, cap.log);
    // Another Y in the same arrays' place: times reversed. With a running sort
    // switch the order must still be rebuilt, because the key differs.
    Survival other = s;
    std::reverse(other.time.begin(), other.time.end());
    const LogRankResult b = LOGRANK(other.view(), other.group, other.censoring, 5, {2, 7, 3}, order, cap.log);
    LogRankOrder fresh;
    const LogRankResult ref = LOGRANK(other.view(), other.group, other.censoring, 0, {2, 7, 3}, fresh, cap.log);
    EXPECT_EQ(b.g, ref.g);
    EXPECT_NE(b.g, a.g);
    EXPECT_EQ(order.key, (LogRankKey{2, 7, 3}));

    // Same key and a running switch: the kept order serves another candidate.
    std::vector<std::int8_t> flipped(other.group);
    for (auto& m : flipped) m = static_cast<std::int8_t>(1 - m);
    const std::vector<float> kept = order.times;
    const LogRankResult c = LOGRANK(other.view(), flipped, other.censoring, 6, {2, 7, 3}, order, cap.log);
    EXPECT_EQ(order.times, kept);
    EXPECT_TRUE(close_rel(c.g, ref.g)); // swapping the groups keeps (O - E)^2 / V

    // A new sample generation re-sorts too.
    Survival masked = other;
    masked.mask[0] = 0;
    LogRankOrder fresh2;
    const LogRankResult m1 = LOGRANK(masked.view(), masked.group, masked.censoring, 9, {2, 7, 4}, order, cap.log);
    const LogRankResult m2 = LOGRANK(masked.view(), masked.group, masked.censoring, 0, {2, 7, 4}, fresh2, cap.log);
    EXPECT_EQ(m1.g, m2.g);
}

TEST(Logrank, AnOrderSortedBeforeIsTakenOverOnlyForTheSameTimes)
{
    Survival s;
    s.time[0] = 0.0f; // one zero time, for the note
    LogCapture cap;
    LogRankOrder fresh;
    order_times(s.view(), s.group.size(), s.censoring, 0, {1, 0, 0}, fresh, cap.log);
    // Observations 5 and 6 share time 4: swapped, the order still sorts the
    // same times, and the sort takes it over as it stands.
    LogRankOrder earlier = fresh;
    const auto at = [&](int obs) { return std::find(earlier.obs.begin(), earlier.obs.end(), obs); };
    std::iter_swap(at(5), at(6));
    LogRankOrder order;
    order_times(s.view(), s.group.size(), s.censoring, 0, {1, 0, 0}, order, cap.log, &earlier);
    EXPECT_EQ(order.obs, earlier.obs);
    EXPECT_EQ(order.times, fresh.times);
    EXPECT_TRUE(order.valid);
    EXPECT_EQ(cap.lines, std::vector<std::string>(2, "NOTE:    1 zero survival times omitted in log-rank"));
    // Another time in observation 6's place: sorted anew.
    s.time[6] = 4.5f;
    LogRankOrder other, again;
    order_times(s.view(), s.group.size(), s.censoring, 0, {1, 0, 0}, other, cap.log, &earlier);
    order_times(s.view(), s.group.size(), s.censoring, 0, {1, 0, 0}, again, cap.log);
    EXPECT_EQ(other.obs, again.obs);
    EXPECT_EQ(other.times, again.times);
    EXPECT_NE(other.obs, earlier.obs);
}

TEST(Censpct, CountsAndShowsCensoredShare)
{
    std::vector<float> time(20, 1.0f);
    std::vector<int> weight(20, 1);
    std::vector<std::uint8_t> mask(20, 1);
    std::vector<std::uint8_t> abyte(40, 0);
    for (int i = 0; i < 5; ++i) abyte[static_cast<std::size_t>(2 * i + 1)] = 1;
    abyte[2 * 19 + 1] = 255; // excluded
    weight[18] = 0;          // takes no part
    SampleView v;
    v.abyte = AttributeMatrix(abyte, 2, 20);
    v.y = time;
    v.mask = mask;
    v.weights = weight;
    test::RecordingServices sv;
    Notices told;
    const CensoredCount c = censpct(v, Censoring{true, 2, 2, ""}, "Survival time", told);
    sv.replay(told);
    EXPECT_EQ(c.censored, 5.0);
    EXPECT_EQ(c.total, 18.0);
    EXPECT_EQ(sv.calls, std::vector<std::string>{
                            "note: There are       5( 27.78%) censored Survival observations$ [log] kind=cut79"});

    // Twenty counted, five censored: 25.00%.
    weight[18] = 1;
    abyte[2 * 19 + 1] = 0;
    test::RecordingServices sv2;
    EXPECT_EQ(censpct(v, Censoring{true, 2, 2, ""}, "T", told).percent, 25.0);
    sv2.replay(told);
    EXPECT_EQ(sv2.calls.front(), "note: There are       5( 25.00%) censored T        observations$ [log] kind=cut79");
}

TEST(Censpct, EmptySampleAndNoCensoring)
{
    std::vector<float> time(3, 1.0f);
    std::vector<int> weight(3, 1);
    std::vector<std::uint8_t> mask(3, 0);
    std::vector<std::uint8_t> abyte(6, 1);
    SampleView v;
    v.abyte = AttributeMatrix(abyte, 2, 3);
    v.y = time;
    v.mask = mask;
    v.weights = weight;
    test::RecordingServices sv;
    Notices told;
    EXPECT_EQ(censpct(v, Censoring{true, 2, 2, ""}, "T", told).percent, 0.0);
    sv.replay(told);
    EXPECT_EQ(sv.calls.front(), "note: There are       0(  0.00%) censored T        observations$ [log] kind=cut79");

    mask.assign(3, 1);
    test::RecordingServices quiet;
    const CensoredCount c = censpct(v, Censoring{}, "T", told);
    quiet.replay(told);
    EXPECT_EQ(c.total, 3.0);
    EXPECT_EQ(c.censored, 0.0);
    EXPECT_TRUE(quiet.calls.empty());
}

} // namespace
} // namespace meru::stats
