// The prepared log-rank walk (over the order order_times() keeps) against
// LOGRANK on random samples: ties, censoring, zero times, missing and NaN
// times, weights, undetermined memberships.
#include "platform/io/logwriter.h"
#include "random_samples.h"
#include "stats/logrank.h"

#include <gtest/gtest.h>

using meru::test::Gen;
using meru::test::RefData;

TEST(LogRankWalk, MatchesLogRankOnRandomSamples)
{
    Gen g(4242u);
    meru::io::LogWriter log;
    log.set_trace_sink([](std::string_view) {});
    for (int ds = 0; ds < 500; ++ds) {
        RefData d = meru::test::make_random_data(g, g.uni(0, 120));
        for (auto& y : d.y)
            if (y >= 0) y = static_cast<float>(g.uni(0, 12)); // ties and zero times
        meru::stats::Censoring c;
        c.in_force = g.coin(0.7);
        c.attribute = g.uni(1, d.lc);
        c.side = g.uni(1, 2);
        const auto view = meru::test::view_of(d);
        meru::stats::LogRankOrder order, by_logrank;
        std::vector<std::int8_t> m(static_cast<std::size_t>(d.n));
        meru::stats::order_times(view, m.size(), c, 0, {1, 0, 0}, order, log);
        meru::stats::LOGRANK(view, m, c, 0, {1, 0, 0}, by_logrank, log);
        EXPECT_EQ(order.obs, by_logrank.obs);
        EXPECT_EQ(order.valid, by_logrank.valid);
        meru::stats::LogRankWalk walk;
        meru::stats::prepare_walk(view, c, order, walk);
        for (int k = 0; k < 5; ++k) {
            for (auto& v : m) v = static_cast<std::int8_t>(g.uni(-1, 1));
            const auto want = meru::stats::LOGRANK(view, m, c, 1, {1, 0, 0}, order, log);
            const auto got = meru::stats::logrank_walk(walk, m);
            const std::string where = "set " + std::to_string(ds) + " membership " + std::to_string(k);
            EXPECT_EQ(got.w0, want.w0) << where;
            EXPECT_EQ(got.w1, want.w1) << where;
            EXPECT_EQ(got.g, want.g) << where;
            EXPECT_EQ(got.o, want.o) << where;
            EXPECT_EQ(got.e, want.e) << where;
            EXPECT_EQ(got.v, want.v) << where;
            EXPECT_EQ(got.d0, want.d0) << where;
            EXPECT_EQ(got.d1, want.d1) << where;
            EXPECT_EQ(got.t0, want.t0) << where;
            EXPECT_EQ(got.t1, want.t1) << where;
        }
        if (HasFailure()) return;
    }
}
