// Equality, copy, counts, regularity, prefixing and the trace dump of term lists.
#include "captured_log.h"
#include "partition/termops.h"
#include "tables_fixture.h"

#include <gtest/gtest.h>

namespace meru::partition::test {
namespace {

TEST(Pequal, OrderDoesNotMatterButTheFlagDoes)
{
    EXPECT_TRUE(pequal(1, list({{2, 3}, {4}}), 1, list({{4}, {3, 2}})));
    EXPECT_FALSE(pequal(1, list({{2, 3}, {4}}), 0, list({{4}, {3, 2}})));
    EXPECT_TRUE(pequal(0, TermList{}, 0, TermList{}));
    EXPECT_FALSE(pequal(1, list({{2}}), 1, list({{-2}})));
}

TEST(Pequal, TermsAndListsCompareAsMultisets)
{
    EXPECT_FALSE(pequal(1, list({{2, 2}, {3}}), 1, list({{2, 3}, {2}})));
    EXPECT_TRUE(pequal(1, list({{2}, {2}}), 1, list({{2}, {2}})));
    EXPECT_FALSE(pequal(1, list({{2}, {2}}), 1, list({{2}, {3}})));
}

TEST(Pcopy, CopiesAndCounts)
{
    TermList a = list({{3, -2}, {-6}, {2, 4}}), b = list({{9}});
    pcopy(a, b);
    EXPECT_EQ(b.lits, a.lits);
    EXPECT_EQ(b.lp, a.lp);
    EXPECT_EQ(nlits(b), 5);
    EXPECT_EQ(nlits(TermList{}), 0);
}

TEST(Samesign, SignsTimesSignBytesMustAgree)
{
    Tables tb;
    int x = tb.add_line(1, 'i');
    int a3 = tb.gt(x, 1), a4 = tb.gt(x, 2);
    std::vector<Literal> lits{a3, -a4};
    EXPECT_FALSE(samesign(lits, tb.t));
    tb.reverse(a4);
    EXPECT_TRUE(samesign(lits, tb.t));
    EXPECT_TRUE(samesign(std::vector<Literal>{-a3}, tb.t));
    tb.t.att[static_cast<size_t>(a4)].signbyte = 0; // a zero sign byte is skipped
    EXPECT_TRUE(samesign(std::vector<Literal>{-a3, a4}, tb.t));
}

TEST(Prefixlit, PutsTheLiteralInFrontOfEveryTerm)
{
    TermList out;
    ASSERT_TRUE(prefixlit(list({{2, 3}, {4}}), 7, out));
    EXPECT_TRUE(pequal(1, out, 1, list({{7, 2, 3}, {7, 4}})));
    EXPECT_EQ(out.lits.front(), 7);
    EXPECT_EQ(out.count(), 5);

    TermList big;
    big.add_term(std::vector<Literal>(MAXLITS - 1, 5));
    big.add_term({6});
    EXPECT_FALSE(prefixlit(big, 7, out)); // would need 10002 literals
    EXPECT_EQ(out.count(), 5);
}

TEST(Pdump, WritesTheLabelAndOneLinePerTerm)
{
    Tables tb;
    int x = tb.add_line(1, 'i');
    int a = tb.gt(x, 1), b = tb.gt(x, 2);
    tb.reverse(b);
    CapturedLog cap;
    pdump("lpmem", list({{a, -b}, {b}}), tb.t, cap.log);
    pdump("lp", TermList{}, tb.t, cap.log);
    EXPECT_EQ(cap.lines, (std::vector<std::string>{"lpmem", "(   2 1,  -3-1,", "(   3-1,", "lp", "q=0"}));
}

} // namespace
} // namespace meru::partition::test
