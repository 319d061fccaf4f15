// The membership rule and the count table on hand-built observations.
#include "stats/membership.h"
#include "stats/membership_kernels.h"
#include "stats/partition_sample.h"
#include "three_threads.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

using meru::partition::TermList;
using meru::stats::AttributeMatrix;
using meru::stats::CompiledList;
using meru::stats::CountTable;

namespace {

constexpr std::uint8_t M = 255;

// Membership of one observation with attributes 1..rowbytes.size().
int member(std::vector<std::uint8_t> row, const TermList& list, int s, std::vector<std::int8_t> sign = {})
{
    if (sign.empty()) sign.assign(row.size() + 1, 1);
    CompiledList c;
    c.compile(list, s, sign, static_cast<int>(row.size()));
    return c.membership(row.data());
}

TermList terms(std::initializer_list<std::initializer_list<int>> ts)
{
    TermList t;
    for (auto term : ts) t.add_term(term);
    return t;
}

} // namespace

TEST(MembershipRule, FailingLiteralBeatsMissingOne)
{
    // Term (3 -5): byte of 3 missing, byte of 5 = 1: -5 fails, the term is false.
    EXPECT_EQ(member({1, 1, M, 1, 1}, terms({{3, -5}}), 1), 0);
    // Byte of 5 = 0: nothing fails, 3 is missing: undetermined.
    EXPECT_EQ(member({1, 1, M, 1, 0}, terms({{3, -5}}), 1), -1);
    // A later true term settles it.
    EXPECT_EQ(member({1, 1, M, 1, 0}, terms({{3, -5}, {2}}), 1), 1);
    // An earlier true term ends the scan before the undetermined one.
    EXPECT_EQ(member({1, 1, M, 1, 0}, terms({{2}, {3, -5}}), 1), 1);
    // A false term after an undetermined one leaves it undetermined.
    EXPECT_EQ(member({1, 0, M, 1, 0}, terms({{3, -5}, {2}}), 1), -1);
}

TEST(MembershipRule, EmptyListAndEmptyTerm)
{
    const TermList none;
    EXPECT_EQ(member({1, 0}, none, 1), 0);
    EXPECT_EQ(member({1, 0}, none, 0), 1);
    TermList empty_term;
    empty_term.add_term(std::span<const int>{});
    EXPECT_EQ(member({M, M}, empty_term, 1), 1);
    EXPECT_EQ(member({M, M}, empty_term, 0), 0);
}

TEST(MembershipRule, FlippedComplementMarksTheSameMembers)
{
    // A = (3 -5) in plain form; A- = (-3)(5), flipped: (3)(-5) read with s = 0.
    const TermList a = terms({{3, -5}});
    const TermList aminus_flipped = terms({{3}, {-5}});
    for (std::uint8_t b3 : {0, 1, 255})
        for (std::uint8_t b5 : {0, 1, 255}) {
            const std::vector<std::uint8_t> row{1, 1, b3, 1, b5};
            EXPECT_EQ(member(row, a, 1), member(row, aminus_flipped, 0)) << int(b3) << "," << int(b5);
        }
}

TEST(MembershipRule, SignBytesTurnLiteralsButNeverThePositiveNullLiteral)
{
    // Attribute 2 of sign -1: its positive literal stands for byte 0.
    EXPECT_EQ(member({1, 0}, terms({{2}}), 1, {0, 1, -1}), 1);
    EXPECT_EQ(member({1, 1}, terms({{2}}), 1, {0, 1, -1}), 0);
    EXPECT_EQ(member({1, 1}, terms({{-2}}), 1, {0, 1, -1}), 1);
    // Sign byte 0 counts as +1.
    EXPECT_EQ(member({1, 1}, terms({{2}}), 1, {0, 1, 0}), 1);
    // +1 is never turned: with s = 1 it holds where attribute 1's byte is 1.
    EXPECT_EQ(member({1, 0}, terms({{1}}), 1, {0, -1, 1}), 1);
    EXPECT_EQ(member({0, 0}, terms({{1}}), 1, {0, -1, 1}), 0);
}

TEST(MembershipRule, BadListsAreRefused)
{
    CompiledList c;
    std::vector<std::int8_t> sign(4, 1);
    EXPECT_THROW(c.compile(terms({{4}}), 1, sign, 3), std::invalid_argument);
    EXPECT_THROW(c.compile(terms({{0}}), 1, sign, 3), std::invalid_argument);
    TermList broken;
    broken.lp = {2};
    broken.lits = {1};
    EXPECT_THROW(c.compile(broken, 1, sign, 3), std::invalid_argument);
}

namespace {

// Five observations, attributes 1..3; Y classes and weights chosen per test.
struct Small {
    std::vector<std::uint8_t> abyte{1, 1, 0, //
                                    1, 0, 0, //
                                    1, 1, M, //
                                    1, M, 1, //
                                    1, 1, 1};
    std::vector<std::int8_t> sign{0, 1, 1, 1};
    std::vector<float> y{2, 0, 1, 1, 2};
    std::vector<std::uint8_t> mask{1, 1, 1, 1, 1};
    std::vector<int> w{3, 1, 1, 1, 1};
    meru::stats::SampleView view() const { return {AttributeMatrix(abyte, 3, 5), y, mask, w}; }
};

CountTable fast_partab(const Small& d, const TermList& list, int s, bool skip, int nclasses)
{
    meru::stats::PartitionSample sample(d.view(), nclasses);
    CountTable t;
    sample.partab(list, s, d.sign, skip, t);
    return t;
}

} // namespace

TEST(Partab, WeightGoesToTheCellOfClassAndMembership)
{
    Small d;
    // (2 -3): obs 1 member (Y 2, w 3), obs 2 non-member, obs 3 undetermined,
    // obs 4 non-member (-3 fails), obs 5 non-member.
    const CountTable t = fast_partab(d, terms({{2, -3}}), 1, false, 3);
    EXPECT_EQ(t.cells[5], 3); // cell 6 counted from 1: class 2, member
    EXPECT_EQ(t.cells[0], 1); // class 0, non-member
    EXPECT_EQ(t.cells[2], 1); // class 1, non-member (obs 4)
    EXPECT_EQ(t.cells[4], 1); // class 2, non-member (obs 5)
    EXPECT_EQ(t.w1, 3);
    EXPECT_EQ(t.w0, 3);
}

TEST(Partab, SkipFlagDropsObservationsWithAMissingLiteral)
{
    Small d;
    // (3)(2): obs 4 has byte 2 missing but term (3) true: counted without skip,
    // dropped with it; obs 3 is true through (2) without skip, dropped with it.
    const TermList list = terms({{3}, {2}});
    const CountTable plain = fast_partab(d, list, 1, false, 3);
    const CountTable skipped = fast_partab(d, list, 1, true, 3);
    EXPECT_EQ(plain.w1, 3 + 1 + 1 + 1);
    EXPECT_EQ(skipped.w1, 3 + 1);
    EXPECT_EQ(skipped.w0, 1);
}

TEST(Partab, MissingYZeroWeightAndMaskAreNeverCounted)
{
    Small d;
    d.y[1] = -0.5f;
    d.w[2] = 0;
    d.mask[4] = 0;
    d.y[3] = std::numeric_limits<float>::quiet_NaN();
    const CountTable t = fast_partab(d, TermList{}, 1, false, 3);
    EXPECT_EQ(t.w0, 3); // only observation 1
    EXPECT_EQ(t.w1, 0);
}

TEST(Partab, ClassesBeyondTheTableAreNeverWritten)
{
    Small d;
    d.y = {150, 1e30f, 99, 100, std::numeric_limits<float>::infinity()};
    const CountTable t = fast_partab(d, TermList{}, 1, false, 500); // clamped to 100 classes
    EXPECT_EQ(t.cells[198], 1);                                     // class 99
    EXPECT_EQ(t.beyond, 3 + 1 + 1 + 1);
    EXPECT_EQ(t.w0, 1);

    CompiledList c;
    c.compile(TermList{}, 1, d.sign, 3);
    CountTable plain;
    meru::stats::partab(d.view(), c, false, 2, plain);
    EXPECT_EQ(plain.beyond, 7);
    EXPECT_EQ(plain.w0 + plain.w1, 0);
}

TEST(Partab, FractionalYCountsInTheClassOfItsIntegerPart)
{
    Small d;
    d.y = {2.5f, 0.99f, 1.0f, 1.5f, 0.0f};
    const CountTable t = fast_partab(d, TermList{}, 1, false, 3);
    EXPECT_EQ(t.at(2, 0), 3);
    EXPECT_EQ(t.at(1, 0), 2);
    EXPECT_EQ(t.at(0, 0), 2);
}

// Random observations (bytes 0, 1 or missing; Y classes, missing and beyond
// the table; weights 0..3; a mask) over three stretches of the membership
// column: worked out on three threads as on one, and the count table and the
// correlation read from it as from the list, with and without the skip flag.
TEST(MembershipColumn, SharedOutAndReadAsTheListGivesIt)
{
    std::mt19937 rng(62);
    const int n = 150000, lc = 4;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n * lc));
    for (auto& b : bytes) b = rng() % 9 == 0 ? M : static_cast<std::uint8_t>(rng() % 2);
    std::vector<float> y(n);
    std::vector<std::uint8_t> mask(n);
    std::vector<int> w(n);
    for (std::size_t i = 0; i < y.size(); ++i) {
        y[i] = static_cast<float>(static_cast<int>(rng() % 5) - 1);
        mask[i] = rng() % 7 != 0;
        w[i] = static_cast<int>(rng() % 4);
    }
    const meru::stats::SampleView view{AttributeMatrix(bytes, lc, n), y, mask, w};
    const meru::stats::ParallelFor threads = meru::test::three_threads();
    const std::vector<std::int8_t> sign(lc + 1, 1);
    for (const bool skip : {false, true})
        for (const int sense : {0, 1}) {
            CompiledList c;
            c.compile(terms({{2, -3}, {4}}), sense, sign, lc);
            std::vector<std::int8_t> one(n), shared(n);
            meru::stats::membership_column(view.abyte, c, skip, one);
            meru::stats::membership_column(view.abyte, c, skip, shared, threads);
            EXPECT_EQ(one, shared);
            CountTable from_list, from_column;
            meru::stats::partab(view, c, skip, 2, from_list);
            meru::stats::partab(view, shared, 2, from_column);
            EXPECT_EQ(from_column.cells, from_list.cells);
            EXPECT_EQ(from_column.w0, from_list.w0);
            EXPECT_EQ(from_column.w1, from_list.w1);
            EXPECT_EQ(from_column.beyond, from_list.beyond);
            EXPECT_EQ(meru::stats::partcor(view, shared), meru::stats::partcor(view, c, skip));
        }
}

// The new attribute's byte and data column of random observations over three
// stretches, stored on three threads as on one, the skip flag dropping some.
TEST(Partattr, SharedOutStoresWhatOnePassStores)
{
    std::mt19937 rng(7204);
    const int n = 150000, lc = 5;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n * lc));
    for (auto& b : bytes) b = rng() % 9 == 0 ? M : static_cast<std::uint8_t>(rng() % 2);
    const std::vector<std::int8_t> sign(lc + 1, 1);
    CompiledList c;
    c.compile(terms({{2, -3}, {4}}), 1, sign, lc);
    for (const bool skip : {false, true}) {
        std::vector<std::uint8_t> one = bytes, shared = bytes;
        std::vector<float> x1(2 * n), x3(2 * n);
        ASSERT_TRUE(meru::stats::partattr(one, lc, n, c, skip, 5, {x1, n, 2}));
        ASSERT_TRUE(meru::stats::partattr(shared, lc, n, c, skip, 5, {x3, n, 2}, meru::test::three_threads()));
        EXPECT_EQ(one, shared);
        EXPECT_EQ(x1, x3);
        EXPECT_EQ(x1[n + 7], static_cast<float>(member({bytes.begin() + 7 * lc, bytes.begin() + 8 * lc},
                                                        terms({{2, -3}, {4}}), 1)));
    }
}
