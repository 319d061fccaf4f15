// Split sums of the mean-square criteria: worked cases, and the plain kernel, the
// bit-packed kernel and the naive reference against each other on random samples.
#include "core/cpu_level.h"
#include "evaluation_reference.h"
#include "random_samples.h"
#include "stats/partition_sample.h"
#include "stats/split_sums.h"

#include "three_threads.h"

#include <gtest/gtest.h>

using meru::partition::Partition;
using meru::partition::TermList;
using meru::stats::CompiledList;
using meru::stats::PartitionSample;
using meru::stats::SplitSlots;
using meru::stats::SplitSums;
using meru::test::Gen;
using meru::test::RefData;

namespace {

// Observations given as (attribute bytes of 2..lc, weight, y); attribute 1 is 0.
RefData data_of(int lc, const std::vector<std::vector<int>>& bytes, const std::vector<int>& w,
                const std::vector<float>& y)
{
    RefData d;
    d.n = static_cast<int>(w.size());
    d.lc = lc;
    for (const auto& row : bytes) {
        d.abyte.push_back(0);
        for (int b : row) d.abyte.push_back(static_cast<std::uint8_t>(b));
    }
    d.sign.assign(static_cast<std::size_t>(lc) + 1, 1);
    d.y = y;
    d.w = w;
    d.mask.assign(w.size(), 1);
    return d;
}

SplitSums plain(const RefData& d, const Partition& p, bool skip, bool per_term, SplitSlots& slots)
{
    CompiledList a, b;
    a.compile(p.first, p.first_sense(), d.sign, d.lc);
    b.compile(p.second, 1 - p.first_sense(), d.sign, d.lc);
    return meru::stats::splittab(meru::test::view_of(d), a, b, skip, per_term, slots);
}

SplitSums packed(const RefData& d, const Partition& p, bool skip, bool per_term, SplitSlots& slots)
{
    PartitionSample sample(meru::test::view_of(d), 0);
    return sample.splittab(p, d.sign, skip, per_term, slots);
}

// Both kernels give `want` for the pair.
void expect_both(const RefData& d, const Partition& p, bool skip, bool per_term, const SplitSums& want)
{
    SplitSlots slots;
    for (const SplitSums& got : {plain(d, p, skip, per_term, slots), packed(d, p, skip, per_term, slots)}) {
        EXPECT_EQ(got.n1, want.n1);
        EXPECT_EQ(got.n2, want.n2);
        EXPECT_DOUBLE_EQ(got.ss1, want.ss1);
        EXPECT_DOUBLE_EQ(got.ss2, want.ss2);
        EXPECT_DOUBLE_EQ(got.s1, want.s1);
        EXPECT_DOUBLE_EQ(got.s2, want.s2);
        EXPECT_EQ(got.m1, want.m1);
        EXPECT_EQ(got.m2, want.m2);
        EXPECT_DOUBLE_EQ(got.sst, want.sst);
    }
}

Partition pair_of(std::initializer_list<std::vector<int>> first, std::initializer_list<std::vector<int>> second,
                  int repflag = 1)
{
    Partition p;
    for (const auto& t : first) p.first.add_term(t);
    for (const auto& t : second) p.second.add_term(t);
    p.repflag = repflag;
    return p;
}

} // namespace

TEST(SplitSums, WorkedCases)
{
    // A = attribute 2, A- = its complement (flipped form "(2)").
    const Partition a2 = pair_of({{2}}, {{2}});
    {
        // Weights 2 and 1, Y 1 and 4, both in A: n1 = 3, sums 6 and 18, SS1 = 18 - 6*2 = 6.
        const RefData d = data_of(2, {{1}, {1}}, {2, 1}, {1.0f, 4.0f});
        expect_both(d, a2, false, false, {3, 0, 6.0, 0.0, 0.0, 0.0, 0, 0, 6.0});
        SplitSlots slots;
        plain(d, a2, false, false, slots);
        EXPECT_EQ(slots.first.sum[1], 6.0);
        EXPECT_EQ(slots.first.sumsq[1], 18.0);
    }
    {
        // One observation on each side: Y 1 (weight 1) in A, Y 3 (weight 1) in A-.
        // SS_T = 10 - 16/2 = 2; each side alone has SS 0.
        const RefData d = data_of(2, {{1}, {0}}, {1, 1}, {1.0f, 3.0f});
        expect_both(d, a2, false, false, {1, 1, 0.0, 0.0, 0.0, 0.0, 0, 0, 2.0});
        // The same pair held the other way round (first list A-, repflag 0).
        expect_both(d, pair_of({{2}}, {{2}}, 0), false, false, {1, 1, 0.0, 0.0, 0.0, 0.0, 0, 0, 2.0});
    }
    {
        // Both lists empty: nothing counts anywhere.
        const RefData d = data_of(2, {{1}, {0}}, {1, 1}, {1.0f, 3.0f});
        expect_both(d, Partition{}, false, true, {});
    }
    {
        // An observation with weight 0, outside the mask, or with a negative Y
        // counts nowhere.
        RefData d = data_of(2, {{1}, {1}, {1}, {1}}, {0, 1, 1, 1}, {5.0f, 5.0f, -1.0f, 2.0f});
        d.mask[1] = 0;
        expect_both(d, a2, false, false, {1, 0, 0.0, 0.0, 0.0, 0.0, 0, 0, 0.0});
    }
}

TEST(SplitSums, PerTermSlots)
{
    // A = (2)(3): observation 1 lies in both terms, observation 2 in term 2 only,
    // observation 3 in neither (A-).
    const Partition p = pair_of({{2}, {3}}, {{2, 3}});
    const RefData d = data_of(3, {{1, 1}, {0, 1}, {0, 0}}, {2, 1, 1}, {1.0f, 4.0f, 7.0f});
    // Term 1: weight 2, SS 0. Term 2: weights 2 and 1 at Y 1 and 4: sums 6, 18, SS 6.
    // Side 1 the same as term 2. m1 = 2 + 3 = 5 exceeds n1 = 3.
    // SS_T over Y 1, 1, 4, 7: sum 13, sumsq 67, 67 - 169/4 = 24.75.
    expect_both(d, p, false, true, {3, 1, 6.0, 0.0, 6.0, 0.0, 5, 1, 24.75});
    // Switch off: no pooled sums, whatever the data.
    expect_both(d, p, false, false, {3, 1, 6.0, 0.0, 0.0, 0.0, 0, 0, 24.75});
}

TEST(SplitSums, MissingBytesSkipAndSigns)
{
    // A = (2)(3). Observation 1: attribute 2 missing, attribute 3 true (term 2 holds).
    // Observation 2: attribute 2 missing, attribute 3 false: A's only candidate term
    // has a missing byte, so it is not on side 1; A- "(2 3)" with t = 1 fails on
    // attribute 3 only when its byte is 1, so with byte 0 and byte 2 missing the
    // clause term is missing too: it counts nowhere.
    const Partition p = pair_of({{2}, {3}}, {{2, 3}});
    const RefData d = data_of(3, {{255, 1}, {255, 0}, {0, 0}}, {1, 1, 1}, {1.0f, 2.0f, 5.0f});
    expect_both(d, p, false, false, {1, 1, 0.0, 0.0, 0.0, 0.0, 0, 0, 8.0});
    // Skipping combinations: observations 1 and 2 are missing in a literal of the
    // first list and count nowhere, even though term 2 holds for observation 1.
    expect_both(d, p, true, false, {0, 1, 0.0, 0.0, 0.0, 0.0, 0, 0, 0.0});

    // The literal +1 is compared with t even when attribute 1 has sign -1: with
    // t = 0 and byte 0 it fails, so side 1 stays empty and side 2 ("(1)" tested with
    // t = 1, byte 0) takes both observations.
    RefData e = data_of(2, {{1}, {0}}, {1, 1}, {1.0f, 3.0f});
    e.sign[1] = -1;
    expect_both(e, pair_of({{1}}, {{1}}), false, false, {0, 2, 0.0, 2.0, 0.0, 0.0, 0, 0, 2.0});
}

TEST(SplitSums, EmptySideHasNoLeftoverSumOfSquares)
{
    SplitSlots slots;
    const Partition a2 = pair_of({{2}}, {{2}});
    const SplitSums both = plain(data_of(2, {{1}, {0}, {0}}, {1, 1, 1}, {1.0f, 3.0f, 5.0f}), a2, false, false, slots);
    EXPECT_EQ(both.ss2, 2.0);
    const SplitSums one = plain(data_of(2, {{1}, {1}}, {1, 1}, {1.0f, 3.0f}), a2, false, false, slots);
    EXPECT_EQ(one.n2, 0);
    EXPECT_EQ(one.ss2, 0.0);
    const SplitSums packed_one = packed(data_of(2, {{1}, {1}}, {1, 1}, {1.0f, 3.0f}), a2, false, false, slots);
    EXPECT_EQ(packed_one.ss2, 0.0);
}

namespace {

void expect_identical(const SplitSums& got, const meru::test::RefSplit& want, const std::string& where)
{
    EXPECT_EQ(got.n1, want.n1) << where;
    EXPECT_EQ(got.n2, want.n2) << where;
    EXPECT_EQ(got.m1, want.m1) << where;
    EXPECT_EQ(got.m2, want.m2) << where;
    EXPECT_EQ(got.ss1, want.ss1) << where;
    EXPECT_EQ(got.ss2, want.ss2) << where;
    EXPECT_EQ(got.s1, want.s1) << where;
    EXPECT_EQ(got.s2, want.s2) << where;
    EXPECT_EQ(got.sst, want.sst) << where;
}

// Two independent random lists held as a pair either way round.
Partition random_pair(Gen& g, int lc)
{
    Partition p;
    p.first = meru::test::make_random_list(g, lc);
    p.second = meru::test::make_random_list(g, lc);
    p.repflag = g.uni(0, 1);
    return p;
}

void check_random(unsigned seed, int datasets, int nmin, int nmax, bool turbo)
{
    Gen g(seed);
    SplitSlots slots_plain, slots_packed, slots_copy;
    for (int ds = 0; ds < datasets; ++ds) {
        RefData d = meru::test::make_random_data(g, g.uni(nmin, nmax));
        if (turbo)
            for (auto& w : d.w) w = g.coin(0.8) ? 0 : g.uni(1, 100000);
        const auto view = meru::test::view_of(d);
        PartitionSample sample(view, g.uni(0, 3));
        // A copy for another thread reads the sample's split state.
        sample.prepare_split();
        PartitionSample copy(sample, PartitionSample::Share{});
        for (int k = 0; k < 4; ++k) {
            const Partition p = random_pair(g, d.lc);
            const bool skip = g.coin(0.5), per_term = g.coin(0.5);
            const std::string where =
                "seed " + std::to_string(seed) + " set " + std::to_string(ds) + " pair " + std::to_string(k);
            const auto want = meru::test::ref_splittab(d, p.first, p.second, p.repflag, skip, per_term);
            CompiledList a, b;
            a.compile(p.first, p.first_sense(), d.sign, d.lc);
            b.compile(p.second, 1 - p.first_sense(), d.sign, d.lc);
            expect_identical(meru::stats::splittab(view, a, b, skip, per_term, slots_plain), want, "plain " + where);
            expect_identical(sample.splittab(p, d.sign, skip, per_term, slots_packed), want, "packed " + where);
            expect_identical(copy.splittab(p, d.sign, skip, per_term, slots_copy), want, "copy " + where);
            for (int t = 0; per_term && t < p.first.q(); ++t)
                EXPECT_EQ(slots_plain.first.sum[static_cast<std::size_t>(t)],
                          slots_packed.first.sum[static_cast<std::size_t>(t)])
                    << where;
            if (::testing::Test::HasFailure()) return;
        }
    }
}

} // namespace

TEST(SplitSums, KernelsAgreeWithTheReferenceOnRandomSamples)
{
    check_random(2027u, 3000, 0, 70, false);
    check_random(31u, 10, 4000, 9000, false);
    check_random(5u, 300, 1, 300, true);
}

// Samples of several stretches of observations built with their passes on
// three threads (units, their order by weight width, the class planes): the
// count tables, correlations and split sums are those of the reference; so
// are the split sums from each observation's side worked out on the threads.
TEST(SplitSums, SamplesBuiltOnThreadsMatchTheReference)
{
    const meru::stats::ParallelFor threads = meru::test::three_threads();
    Gen g(7203u);
    SplitSlots slots;
    for (int ds = 0; ds < 4; ++ds) {
        const RefData d = meru::test::make_random_data(g, 140000);
        const auto view = meru::test::view_of(d);
        const int nclasses = g.uni(1, 4);
        PartitionSample alone(view, nclasses);
        PartitionSample shared(view, nclasses, meru::stats::sample_kernels(meru::cpu_level()), threads);
        for (int k = 0; k < 3; ++k) {
            const Partition p = random_pair(g, d.lc);
            const bool skip = g.coin(0.5);
            const std::string where = "set " + std::to_string(ds) + " pair " + std::to_string(k);
            CompiledList a;
            a.compile(p.first, p.first_sense(), d.sign, d.lc);
            meru::stats::CountTable want, got;
            meru::stats::partab(view, a, skip, nclasses, want);
            shared.partab(p.first, p.first_sense(), d.sign, skip, got);
            EXPECT_EQ(got.cells, want.cells) << where;
            EXPECT_EQ(got.beyond, want.beyond) << where;
            EXPECT_EQ(shared.partcor(p.first, p.first_sense(), d.sign, skip),
                      alone.partcor(p.first, p.first_sense(), d.sign, skip))
                << where;
            const auto sums = meru::test::ref_splittab(d, p.first, p.second, p.repflag, skip, false);
            expect_identical(shared.splittab(p, d.sign, skip, false, slots), sums, where);
            CompiledList b;
            b.compile(p.second, 1 - p.first_sense(), d.sign, d.lc);
            expect_identical(meru::stats::splittab(view, a, b, skip, slots, threads), sums, "sides shared, " + where);
        }
    }
}

// Large samples whose sums are exact in any order (a coarse grid of Y, whatever
// its total, with unit or small weights) and whose sums are not (full-precision
// floats, and a grid too fine for its total): at every instruction level the
// packed kernel equals the observation-order reference bit for bit.
TEST(SplitSums, LargeSamplesOnAndOffAnExactGridMatchTheReference)
{
    struct Case {
        const char* name;
        float (*y)(Gen&);
        int wmax;
    };
    const Case cases[] = {
        {"eighths", [](Gen& g) { return static_cast<float>(g.uni(0, 200)) / 8.0f; }, 1},
        {"weighted quarters", [](Gen& g) { return static_cast<float>(g.uni(0, 90)) / 4.0f; }, 5},
        {"floats", [](Gen& g) { return static_cast<float>(g.uni(1, 1 << 20)) / 1048.576f; }, 1},
        {"fine grid", [](Gen& g) { return g.coin(0.5) ? 4096.0f : 1.0f + 0x1p-20f * static_cast<float>(g.uni(0, 3)); },
         1},
    };
    Gen g(4242u);
    SplitSlots slots;
    for (const Case& c : cases) {
        RefData d = meru::test::make_random_data(g, 150000);
        for (auto& v : d.y) v = c.y(g);
        for (auto& w : d.w) w = g.uni(1, c.wmax);
        const Partition p = random_pair(g, d.lc);
        const auto want = meru::test::ref_splittab(d, p.first, p.second, p.repflag, false, false);
        for (const meru::CpuLevel level : meru::machine_levels()) {
            const meru::CpuLevelCap cap(level);
            PartitionSample sample(meru::test::view_of(d), 0);
            expect_identical(sample.splittab(p, d.sign, false, false, slots), want,
                             std::string(c.name) + " " + std::string(meru::level_name(level)));
        }
    }
}

TEST(SplitSums, LayersOfSeveralYsMatchASampleOfEachY)
{
    // One sample over the observations that have any of three Ys, a layer per Y:
    // the split sums and count tables equal those of a sample built for each Y.
    Gen g(77u);
    SplitSlots slots_layer, slots_one;
    for (int ds = 0; ds < 400; ++ds) {
        RefData d = meru::test::make_random_data(g, g.uni(0, 200));
        if (g.coin(0.3))
            for (auto& w : d.w) w = g.coin(0.7) ? 0 : g.uni(1, 1000);
        std::vector<std::vector<float>> ys(3, d.y);
        for (auto& y : ys)
            for (auto& v : y) v = g.coin(0.2) ? -1.0f : static_cast<float>(g.uni(0, 4));
        std::vector<float> any(d.y.size(), -1.0f);
        for (std::size_t i = 0; i < any.size(); ++i)
            for (const auto& y : ys)
                if (y[i] >= 0) any[i] = 0.0f;
        RefData shared = d;
        shared.y = any;
        PartitionSample sample(meru::test::view_of(shared), 0);
        std::vector<PartitionSample::YLayer> layers;
        for (const auto& y : ys) layers.push_back(sample.layer(y, 4));
        std::vector<PartitionSample::YLayer*> ptrs;
        for (auto& l : layers) ptrs.push_back(&l);
        for (int k = 0; k < 3; ++k) {
            const Partition p = random_pair(g, d.lc);
            const bool skip = g.coin(0.5), per_term = g.coin(0.5);
            SplitSums sums[3];
            sample.splittab(p, d.sign, skip, per_term,
                            std::span<const PartitionSample::YLayer* const>(ptrs.data(), 3), sums, slots_layer);
            meru::stats::CountTable tables[3];
            sample.partab(p.first, p.first_sense(), d.sign, skip, ptrs, tables);
            for (std::size_t j = 0; j < 3; ++j) {
                RefData one = d;
                one.y = ys[j];
                PartitionSample alone(meru::test::view_of(one), 4);
                const SplitSums want = alone.splittab(p, d.sign, skip, per_term, slots_one);
                const std::string where = "set " + std::to_string(ds) + " Y " + std::to_string(j);
                EXPECT_EQ(sums[j].n1, want.n1) << where;
                EXPECT_EQ(sums[j].n2, want.n2) << where;
                EXPECT_EQ(sums[j].m1, want.m1) << where;
                EXPECT_EQ(sums[j].ss1, want.ss1) << where;
                EXPECT_EQ(sums[j].ss2, want.ss2) << where;
                EXPECT_EQ(sums[j].s2, want.s2) << where;
                EXPECT_EQ(sums[j].sst, want.sst) << where;
                meru::stats::CountTable t;
                alone.partab(p.first, p.first_sense(), d.sign, skip, t);
                EXPECT_EQ(tables[j].cells, t.cells) << where;
                EXPECT_EQ(tables[j].w0, t.w0) << where;
                EXPECT_EQ(tables[j].w1, t.w1) << where;
                EXPECT_EQ(tables[j].beyond, t.beyond) << where;
            }
            if (HasFailure()) return;
        }
    }
}

// The F test of a split on 1 and N - 2 degrees of freedom. Y = 1 1 1 1 | 0 0 0 1:
// SS 0 and 0.75 on the sides, SST 1.875, F = 1.125 x 6 / 0.75 = 9, and R's
// pf(9, 1, 6, lower.tail = FALSE) = 0.0240082. Two observations leave no degree
// of freedom, a side without weight no split, and sides without spread an F of 1e20
// when they differ; a constant Y (SST 0, or the rounding noise of single-precision
// squares, which may be negative) shows no split at all: F = 0, P = 1. Weights
// beyond 2^24 keep N - 2 whole (9119999998, not the 9120000000 of a float), and
// R's pf(4, 1, 9119999998, lower.tail = FALSE) = 0.0455003.
TEST(SplitSums, FTestOfTheSplit)
{
    struct Case {
        SplitSums sums;
        double f, p;
    };
    const double w = 2e9;
    const Case cases[] = {
        {{4, 4, 0.0, 0.75, 0, 0, 0, 0, 1.875}, 9.0, 0.0240082},
        {{1, 1, 0.0, 0.0, 0, 0, 0, 0, 0.5}, 1e20, 1.0},
        {{5, 0, 2.0, 0.0, 0, 0, 0, 0, 2.0}, 0.0, 1.0},
        {{3, 3, 1.0, 1.0, 0, 0, 0, 0, 2.0}, 0.0, 1.0},
        {{4, 4, 0.0, 0.0, 0, 0, 0, 0, 0.0}, 0.0, 1.0},
        {{4559999999, 4560000001, w / 2, w / 2, 0, 0, 0, 0, w + 4 * w / 9119999998.0}, 4.0, 0.0455003},
    };
    for (const Case& c : cases) {
        const meru::stats::SplitFTest t = meru::stats::split_f_test(c.sums);
        EXPECT_FLOAT_EQ(static_cast<float>(t.f), static_cast<float>(c.f));
        EXPECT_NEAR(t.p, c.p, 2e-6) << c.f;
    }
    EXPECT_EQ(meru::stats::split_f_test(cases[5].sums).df2, 9119999998);
    // SST over a weight of 2^24 + 3, Y 1 on all but 1 of it: (2^24 + 2) / (2^24 + 3),
    // where a single-precision total would give about 2.
    SplitSlots slots;
    slots.first.count[0] = 16777218;
    slots.first.sum[0] = slots.first.sumsq[0] = 16777218.0;
    slots.second.count[0] = 1;
    EXPECT_NEAR(meru::stats::finish_split(slots, 0, 0, false).sst, 16777218.0 / 16777219.0, 1e-9);
    // A constant Y over 1999 observations split 1000 | 999.
    std::vector<std::vector<int>> bytes(1999, {0});
    std::fill_n(bytes.begin(), 1000, std::vector<int>{1});
    for (const float y : {1.0f, 0.1f, 0.3f, 3.7f, 1000.3f}) {
        SplitSlots slots;
        const RefData d = data_of(2, bytes, std::vector<int>(1999, 1), std::vector<float>(1999, y));
        const meru::stats::SplitFTest t =
            meru::stats::split_f_test(plain(d, pair_of({{2}}, {{2}}), false, false, slots));
        EXPECT_TRUE(t.f == 0.0 && t.p == 1.0) << y << ": F " << t.f << ", P " << t.p;
    }
}
