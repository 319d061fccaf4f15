// Term lists: limits, iteration; literal label columns and subterms.
#include "partition/labels.h"
#include "partition/termlist.h"
#include "tables_fixture.h"

#include <gtest/gtest.h>

namespace meru::partition::test {
namespace {

TEST(TermList, HoldsTheExampleExpression)
{
    TermList l = list({{3, -2}, {-6}, {2, 4}});
    EXPECT_EQ(l.q(), 3);
    EXPECT_EQ(l.count(), 5);
    EXPECT_EQ(l.lp, (std::vector<int>{2, 1, 2}));
    EXPECT_EQ(l.lits, (std::vector<Literal>{3, -2, -6, 2, 4}));
    EXPECT_EQ(l.offsets(), (std::vector<int>{0, 2, 3}));
    std::vector<size_t> sizes;
    for (auto t : l.terms()) sizes.push_back(t.size());
    EXPECT_EQ(sizes, (std::vector<size_t>{2, 1, 2}));
}

TEST(TermList, RefusesToGrowPastItsLimits)
{
    TermList l;
    for (int t = 0; t < MAXP; ++t) ASSERT_TRUE(l.add_term({t + 2}));
    EXPECT_FALSE(l.add_term({5}));
    EXPECT_EQ(l.q(), MAXP);

    TermList big;
    std::vector<Literal> lits(MAXLITS - 1, 7);
    ASSERT_TRUE(big.add_term(lits));
    EXPECT_FALSE(big.add_term({2, 3}));
    EXPECT_TRUE(big.add_term({2}));
    EXPECT_EQ(big.count(), MAXLITS);
    EXPECT_TRUE(big.consistent());
}

TEST(TermList, ConstantsDependOnTheForm)
{
    EXPECT_EQ(empty_constant(kPlain), 1);
    EXPECT_EQ(whole_constant(kPlain), -1);
    EXPECT_EQ(empty_constant(kFlipped), -1);
    EXPECT_EQ(whole_constant(kFlipped), 1);
    Partition p;
    p.first = list({{2}});
    p.second = list({{-2}});
    EXPECT_EQ(&p.a(), &p.first);
    p.repflag = 0;
    EXPECT_EQ(&p.a(), &p.second);
    EXPECT_EQ(p.first_sense(), kFlipped);
}

TEST(Litval, AgreeingSignsPickTheSecondColumn)
{
    EXPECT_EQ(litval(5, 1, 1), 2);
    EXPECT_EQ(litval(-5, 1, 1), 1);
    EXPECT_EQ(litval(5, 1, -1), 1);
    EXPECT_EQ(litval(-5, 1, -1), 2);
    EXPECT_EQ(litval(5, 0, 1), 1);
    EXPECT_EQ(litval(-5, 0, 1), 2);
}

TEST(Litval, LiteralPlusOneIgnoresTheSignTableAndZeroSignCountsAsAgreeing)
{
    EXPECT_EQ(litval(1, 1, -1), 2);
    EXPECT_EQ(litval(1, 0, -1), 1);
    EXPECT_EQ(litval(-1, 1, -1), 2); // -1 follows the sign table
    EXPECT_EQ(litval(-1, 1, 1), 1);
    EXPECT_EQ(litval(7, 1, 0), 2);
    EXPECT_EQ(litval(-7, 1, 0), 2);
}

TEST(Litval, ReadsTheSignByteFromTheTablesAndTakesPlusOneOutsideThem)
{
    Tables tb;
    int x = tb.add_line(1, 'i');
    int a = tb.gt(x, 5);
    tb.reverse(a);
    EXPECT_EQ(litval(a, 1, tb.t), 1);
    EXPECT_EQ(litval(-a, 1, tb.t), 2);
    EXPECT_EQ(litval(20000, 1, tb.t), 2);
    EXPECT_EQ(litval(-20000, 1, tb.t), 1);
}

TEST(Subterm, EveryLiteralWithItsSignMustOccur)
{
    std::vector<Literal> a{3, -4}, b{5, -4, 3}, c{3, 4, 5};
    EXPECT_TRUE(subterm(a, b));
    EXPECT_FALSE(subterm(a, c));
    EXPECT_FALSE(subterm({}, b));
    EXPECT_FALSE(subterm(a, {}));
}

} // namespace
} // namespace meru::partition::test
