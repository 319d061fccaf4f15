// The bit-packed evaluation against the naive reference of the membership rule, on
// thousands of random small data sets and partitions: missing and odd bytes, sign
// bytes -1/0/+1, attribute 1, both senses, the skip flag, the mask, zero, large and
// negative weights, Y missing, NaN, fractional or beyond the table.
#include "evaluation_reference.h"
#include "random_samples.h"
#include "stats/membership_kernels.h"
#include "stats/partition_sample.h"

#include <gtest/gtest.h>

using meru::partition::TermList;
using meru::stats::CompiledList;
using meru::stats::CountTable;
using meru::stats::PartitionSample;
using meru::stats::SampleView;
using meru::test::Gen;
using meru::test::make_random_data;
using meru::test::make_random_list;
using meru::test::RefData;
using meru::test::view_of;

namespace {

void expect_same_table(const CountTable& got, const CountTable& want, const std::string& where)
{
    EXPECT_EQ(got.w0, want.w0) << where;
    EXPECT_EQ(got.w1, want.w1) << where;
    EXPECT_EQ(got.beyond, want.beyond) << where;
    for (std::size_t c = 0; c < got.cells.size(); ++c)
        EXPECT_EQ(got.cells[c], want.cells[c]) << where << " cell " << c;
}

void check_many(unsigned seed, int datasets, int nmin, int nmax, int lists_per_set)
{
    Gen g(seed);
    for (int ds = 0; ds < datasets; ++ds) {
        const RefData d = make_random_data(g, g.uni(nmin, nmax));
        const int nclasses = g.coin(0.1) ? 200 : g.uni(0, 7);
        const SampleView v = view_of(d);
        PartitionSample sample(v, nclasses);
        if (g.coin(0.5)) {
            std::vector<int> all;
            for (int a = 1; a <= d.lc; ++a) all.push_back(a);
            sample.prepare(all);
        }
        for (int k = 0; k < lists_per_set; ++k) {
            const TermList list = make_random_list(g, d.lc);
            const int s = g.uni(0, 1);
            const bool skip = g.coin(0.5);
            const std::string where = "seed " + std::to_string(seed) + " set " + std::to_string(ds) + " list " +
                                      std::to_string(k) + " s=" + std::to_string(s) + " skip=" + std::to_string(skip);
            const CountTable want = meru::test::ref_partab(d, list, s, skip, nclasses);

            CountTable fast;
            sample.partab(list, s, d.sign, skip, fast);
            expect_same_table(fast, want, "fast " + where);

            CompiledList compiled;
            compiled.compile(list, s, d.sign, d.lc);
            CountTable plain;
            meru::stats::partab(v, compiled, skip, nclasses, plain);
            expect_same_table(plain, want, "plain " + where);

            std::vector<std::int8_t> m(static_cast<std::size_t>(d.n), 7);
            sample.memberships(list, s, d.sign, skip, m);
            for (int i = 0; i < d.n; ++i) {
                const int r = meru::test::ref_counted(d, i, list, s, skip);
                ASSERT_EQ(m[static_cast<std::size_t>(i)], r < 0 ? -1 : r) << where << " obs " << i;
            }

            const double rc = meru::test::ref_partcor(d, list, s, skip);
            EXPECT_NEAR(sample.partcor(list, s, d.sign, skip), rc, 1e-9) << where;
            EXPECT_NEAR(meru::stats::partcor(v, compiled, skip), rc, 1e-9) << where;
            if (::testing::Test::HasFailure()) return;
        }
    }
}

} // namespace

TEST(PartabFastPath, SmallRandomDataSetsMatchTheReference) { check_many(1234u, 3000, 0, 70, 4); }

TEST(PartabFastPath, SeveralBlocksAndPartialWordsMatchTheReference) { check_many(99u, 12, 4000, 9000, 6); }

TEST(PartabFastPath, TurboLikeWeightsMatchTheReference)
{
    // Few units carrying large weights, most weights 0, as after Turbo grouping.
    Gen g(7u);
    for (int ds = 0; ds < 200; ++ds) {
        RefData d = make_random_data(g, g.uni(1, 300));
        for (auto& w : d.w) w = g.coin(0.8) ? 0 : g.uni(1, 100000);
        PartitionSample sample(view_of(d), 6);
        for (int k = 0; k < 5; ++k) {
            const TermList list = make_random_list(g, d.lc);
            const int s = g.uni(0, 1);
            const bool skip = g.coin(0.5);
            CountTable fast;
            sample.partab(list, s, d.sign, skip, fast);
            expect_same_table(fast, meru::test::ref_partab(d, list, s, skip, 6), "turbo set " + std::to_string(ds));
        }
        if (HasFailure()) return;
    }
}
