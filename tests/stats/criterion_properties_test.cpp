// Properties every criterion has, checked through its class on observation-level
// data (a Y value, a frequency weight and a side per observation), with the
// summary each criterion scores built as the search's kernels build it: the split
// sums, the count table, or the log-rank statistic of the log-rank kernel.
//  - The perfect split of a binary outcome scores at least as high as every other
//    split with two non-empty sides.
//  - Two sides alike score the criterion's no-effect value.
//  - A frequency weight w scores as w repeated rows.
//  - Swapping A and A- leaves G unchanged exactly for the symmetric criteria.
#include "stats/criterion_kinds.h"
#include "stats/logrank.h"

#include "log_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace meru::stats {
namespace {

struct Obs {
    float y;
    int w;
    int side; // 1: A, 0: A-
};
using Data = std::vector<Obs>;

SplitSums split_sums(const Data& d)
{
    // Side 1 is A (the first list), side 2 A-, each one term.
    double sum[2]{}, sq[2]{};
    std::int64_t n[2]{};
    for (const Obs& o : d) {
        const int s = o.side == 1 ? 0 : 1;
        n[s] += o.w;
        sum[s] += o.w * static_cast<double>(o.y);
        sq[s] += o.w * static_cast<double>(o.y) * o.y;
    }
    SplitSums r;
    r.n1 = n[0];
    r.n2 = n[1];
    const auto ss = [&](int s) { return n[s] > 0 ? sq[s] - sum[s] * sum[s] / static_cast<double>(n[s]) : 0.0; };
    r.ss1 = r.s1 = ss(0);
    r.ss2 = r.s2 = ss(1);
    r.m1 = n[0];
    r.m2 = n[1];
    const double nt = static_cast<double>(n[0] + n[1]);
    r.sst = nt > 0 ? sq[0] + sq[1] - (sum[0] + sum[1]) * (sum[0] + sum[1]) / nt : 0.0;
    return r;
}

double score(const SplitCriterion& c, const Data& d)
{
    switch (c.input()) {
    case ScoreInput::SplitSums: return c.score(split_sums(d)).g;
    case ScoreInput::CountTable: {
        std::vector<std::int64_t> table(2 * kMaxClasses, 0);
        int nj = 0;
        for (const Obs& o : d) {
            const int j = static_cast<int>(o.y);
            table[static_cast<std::size_t>(2 * j + o.side)] += o.w;
            nj = std::max(nj, j + 1);
        }
        return c.score(table, nj).g;
    }
    case ScoreInput::LogRank: {
        std::vector<float> y;
        std::vector<int> w;
        std::vector<std::int8_t> m;
        for (const Obs& o : d) {
            y.push_back(o.y);
            w.push_back(o.w);
            m.push_back(static_cast<std::int8_t>(o.side));
        }
        const std::vector<std::uint8_t> bytes(d.size(), 1), mask(d.size(), 1);
        SampleView v;
        v.abyte = AttributeMatrix(bytes, 1, static_cast<int>(d.size()));
        v.y = y;
        v.weights = w;
        v.mask = mask;
        LogRankOrder order;
        test::LogCapture cap;
        return c.score(LOGRANK(v, m, Censoring{}, 0, {1, 0, 0}, order, cap.log)).g;
    }
    }
    return 0.0;
}

Data swapped(Data d)
{
    for (Obs& o : d) o.side = 1 - o.side;
    return d;
}

// Eight observations of a binary outcome coded 1 and 2 (a class, a value or a
// survival time), with weights.
const Data kBase{{1, 2, 0}, {2, 1, 0}, {1, 1, 0}, {2, 3, 0}, {1, 1, 0}, {2, 2, 0}, {1, 3, 0}, {2, 1, 0}};

// Every split of kBase with both sides non-empty.
std::vector<Data> all_splits()
{
    std::vector<Data> out;
    const unsigned n = static_cast<unsigned>(kBase.size());
    for (unsigned bits = 1; bits + 1 < (1u << n); ++bits) {
        Data d = kBase;
        for (unsigned i = 0; i < n; ++i) d[i].side = (bits >> i) & 1u;
        out.push_back(d);
    }
    return out;
}

template <class C> class CriterionProperties : public ::testing::Test {
protected:
    CritSettings settings;
    C criterion{settings};
};

using AllCriteria =
    ::testing::Types<WithinMse, SubgroupMse, Entropy, QualityIndex, ChiSquare, OddsRatioBayes, LogRank, Gini>;
TYPED_TEST_SUITE(CriterionProperties, AllCriteria);

TYPED_TEST(CriterionProperties, TheFactoryMakesThisClassForItsCode)
{
    CritSettings s;
    s.icrit = static_cast<int>(this->criterion.code());
    EXPECT_EQ(make_criterion(s)->code(), this->criterion.code());
    EXPECT_EQ(make_criterion(s)->input(), this->criterion.input());
}

TYPED_TEST(CriterionProperties, PerfectSplitScoresHighest)
{
    Data perfect = kBase;
    for (Obs& o : perfect) o.side = o.y == 2 ? 1 : 0;
    const double best = score(this->criterion, perfect);
    EXPECT_GT(best, this->criterion.no_effect());
    for (const Data& d : all_splits()) EXPECT_LE(score(this->criterion, d), best * (1 + 1e-12));
}

TYPED_TEST(CriterionProperties, IdenticalSidesScoreNoEffect)
{
    Data both = kBase;
    for (Obs o : kBase) {
        o.side = 1;
        both.push_back(o);
    }
    EXPECT_NEAR(score(this->criterion, both), this->criterion.no_effect(), 1e-12);
}

TYPED_TEST(CriterionProperties, FrequencyWeightsEqualRepeatedRows)
{
    for (const Data& d : all_splits()) {
        Data repeated;
        for (const Obs& o : d)
            for (int k = 0; k < o.w; ++k) repeated.push_back({o.y, 1, o.side});
        EXPECT_NEAR(score(this->criterion, d), score(this->criterion, repeated), 1e-9);
    }
}

TYPED_TEST(CriterionProperties, SwappingSidesChangesNothingExactlyWhenSymmetric)
{
    bool all_equal = true;
    for (const Data& d : all_splits()) {
        const double g = score(this->criterion, d), h = score(this->criterion, swapped(d));
        if (this->criterion.symmetric()) {
            EXPECT_NEAR(g, h, 1e-9 * std::max(1.0, std::fabs(g)));
        }
        all_equal = all_equal && std::fabs(g - h) <= 1e-9 * std::max(1.0, std::fabs(g));
    }
    EXPECT_EQ(all_equal, this->criterion.symmetric());
}

TEST(CriterionClasses, WeighingByCostsMakesImpurityAsymmetric)
{
    CritSettings s;
    s.weigh_by_costs = true;
    const Gini gini(s);
    const Entropy entropy(s);
    EXPECT_FALSE(gini.symmetric());
    EXPECT_FALSE(entropy.symmetric());
    const auto changes = [&](const SplitCriterion& c) {
        const auto splits = all_splits();
        return std::any_of(splits.begin(), splits.end(),
                           [&](const Data& d) { return std::fabs(score(c, d) - score(c, swapped(d))) > 1e-9; });
    };
    EXPECT_TRUE(changes(gini));
    EXPECT_TRUE(changes(entropy));
}

TEST(CriterionClasses, WhatEachCriterionAsksOfItsCallers)
{
    CritSettings s;
    EXPECT_EQ(SubgroupMse(s).random_scoring(), RandomScoring::Refused);
    EXPECT_EQ(WithinMse(s).random_scoring(), RandomScoring::SideMeans);
    EXPECT_EQ(Gini(s).random_scoring(), RandomScoring::CountTable);
    EXPECT_EQ(LogRank(s).random_scoring(), RandomScoring::LogRank);
    EXPECT_EQ(LogRank(s).direction(), Direction::EventRates);
    EXPECT_EQ(ChiSquare(s).direction(), Direction::Correlation);
    // A summary of another kind is refused.
    const std::vector<std::int64_t> t{1, 2, 3, 4};
    EXPECT_THROW(WithinMse(s).score(t, 2), std::logic_error);
    EXPECT_THROW(ChiSquare(s).score(SplitSums{}), std::logic_error);
    s.icrit = kCriterionCount + 1; // one past the last row of the table
    EXPECT_THROW(make_criterion(s), std::invalid_argument);
}

TEST(CriterionClasses, SubgroupMseOfOneTermPerSideEqualsWithinMse)
{
    CritSettings s;
    for (const Data& d : all_splits())
        EXPECT_DOUBLE_EQ(WithinMse(s).score(split_sums(d)).g, SubgroupMse(s).score(split_sums(d)).g);
    // Two terms on side 1 pooled over m1 = 5 > n1 = 4: W = 4 * 2 / 5 + 4 * 3 / 4.
    SplitSums sums{4, 4, 3.0, 3.0, 2.0, 3.0, 5, 4, 10.0};
    EXPECT_DOUBLE_EQ(SubgroupMse(s).score(sums).g, (10.0 - (4.0 * 2.0 / 5.0 + 3.0)) / 8.0);
    EXPECT_DOUBLE_EQ(WithinMse(s).score(sums).g, (10.0 - 6.0) / 8.0);
}

} // namespace
} // namespace meru::stats

namespace meru::stats {
namespace {

// The table of criteria agrees with the classes that score them: the F test
// belongs to the criteria of split sums, the log-rank statistic to the survival
// Y, class priors and costs to those of a count table; names fit the dialog.
TEST(CriterionTable, AgreesWithTheScoringClasses)
{
    for (const CriterionTraits& k : kCriterionTable) {
        CritSettings s;
        s.icrit = static_cast<int>(k.code);
        const auto c = make_criterion(s);
        EXPECT_EQ(&c->traits(), criterion_traits(s.icrit));
        EXPECT_EQ(c->name(), k.name);
        EXPECT_LE(k.name.size(), 30u);
        EXPECT_EQ(k.f_test, c->input() == ScoreInput::SplitSums) << k.name;
        EXPECT_EQ(k.y == YSuit::Survival, c->input() == ScoreInput::LogRank) << k.name;
        EXPECT_TRUE(!(k.priors || k.costs || k.two_class_bound) || c->input() == ScoreInput::CountTable) << k.name;
        EXPECT_TRUE(!k.per_term_sums || k.f_test) << k.name;
        EXPECT_TRUE(!(k.cost_weighted || k.needs_costs) || k.costs) << k.name;
    }
    EXPECT_EQ(criterion_traits(0), nullptr);
    EXPECT_EQ(criterion_traits(kCriterionCount + 1), nullptr);
}

} // namespace
} // namespace meru::stats
