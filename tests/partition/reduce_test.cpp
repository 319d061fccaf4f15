// Boolean reduction: the worked examples, and lists that a reduction must leave
// alone because no Boolean identity applies to them.
#include "partition/reduce.h"
#include "partition/termops.h"
#include "support/recording_services.h"
#include "tables_fixture.h"

#include <gtest/gtest.h>

namespace meru::partition::test {
namespace {

ReduceOptions plain_rules() { return {}; }

TEST(Reduce, DuplicateTermsGo)
{
    TermList l = list({{3, 4}, {3, 4}});
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{3, 4}})));
}

TEST(Reduce, TermsDifferingInOneSignMerge)
{
    TermList l = list({{3, 4}, {-3, 4}});
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{4}})));
}

TEST(Reduce, AbsorptionUnlessAttributesArePrimitive)
{
    TermList l = list({{3}, {3, 4}});
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{3}})));

    ReduceOptions prim;
    prim.primitive = true;
    l = list({{3}, {3, 4}});
    EXPECT_EQ(reduce(l, kPlain, prim), status::kUnchanged);
    EXPECT_TRUE(pequal(1, l, 1, list({{3}, {3, 4}})));
    l = list({{3, 3, 4}});
    EXPECT_EQ(reduce(l, kPlain, prim), status::kOk); // repeated literals still go
    EXPECT_TRUE(pequal(1, l, 1, list({{3, 4}})));
}

TEST(Reduce, ContradictoryTermIsEmpty)
{
    TermList l = list({{3, -3}, {5}});
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{5}})));
    l = list({{3, -3}});
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kConstPlus);
    EXPECT_EQ(l.lits, (std::vector<Literal>{1}));
}

TEST(Reduce, SingleLiteralsComplementOnlyWithTheLabelRules)
{
    TermList l = list({{3}, {-3}});
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kUnchanged);
    EXPECT_EQ(l.q(), 2);

    Tables tb;
    int x = tb.add_line(1, 'i');
    tb.gt(x, 5); // attribute 2
    int a = tb.gt(x, 7);
    ReduceOptions full;
    full.tables = &tb.t;
    full.label_rules = true;
    l = list({{a}, {-a}});
    EXPECT_EQ(reduce(l, kPlain, full), status::kConstMinus);
    EXPECT_EQ(l.lits, (std::vector<Literal>{-1}));
}

TEST(Reduce, NothingToDo)
{
    TermList l = list({{7}});
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kUnchanged);
    l = list({{3, 4}, {5}, {-3, 6}});
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kUnchanged);
    EXPECT_TRUE(pequal(1, l, 1, list({{3, 4}, {5}, {-3, 6}})));
}

TEST(Reduce, MoreThanMaxpTermsIsRefusedUnchanged)
{
    TermList l;
    for (int t = 0; t <= MAXP; ++t) {
        l.lp.push_back(1);
        l.lits.push_back(t + 2);
    }
    const TermList before = l;
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kLimit);
    EXPECT_EQ(l.lits, before.lits);
}

TEST(Reduce, ConstantsAreReportedAsConstants)
{
    TermList l = list({{1, 3}}); // +1 is the empty set of a plain list
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kConstPlus);
    l = list({{-1}, {3}});
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kConstMinus);
    l = list({{-1, 3}, {4}});
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{3}, {4}})));
    // In a flipped list the roles of +1 and -1 are exchanged.
    l = list({{1, 3}, {4}});
    EXPECT_EQ(reduce(l, kFlipped, plain_rules()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{3}, {4}})));
    l = list({{-1, 3}});
    EXPECT_EQ(reduce(l, kFlipped, plain_rules()), status::kConstMinus);
    // The empty list is the empty set; a term without literals the whole set.
    l = TermList{};
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kConstPlus);
    l = TermList{{2, 0}, {3, 4}};
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kConstMinus);
}

TEST(Reduce, ThreeComplementaryPairsAreNotTheWholeSet)
{
    // ab + a'b' + cd + c'd' + ef + e'f' is false at a=1, b=0, c=1, d=0, e=1, f=0.
    TermList l = list({{2, 3}, {-2, -3}, {4, 5}, {-4, -5}, {6, 7}, {-6, -7}});
    EXPECT_EQ(reduce(l, kPlain, plain_rules()), status::kUnchanged);
    EXPECT_EQ(l.q(), 6);
}

struct LabelRules : ::testing::Test {
    Tables tb;
    int x = tb.add_line(1, 'i');
    int x2 = tb.add_line(1, 'i');
    int z = tb.add_line(2, 'i');
    int u = tb.add_line(3, 'i');
    int v = tb.add_line(4, 'i');
    int w = tb.add_line(5, 'i');
    meru::test::RecordingServices sv;
    ReduceOptions full()
    {
        ReduceOptions o;
        o.tables = &tb.t;
        o.label_rules = true;
        o.services = &sv;
        return o;
    }
};

TEST_F(LabelRules, DistantCutsAreNotComplements)
{
    int gt15 = tb.gt(x, 15), le5 = tb.le(x, 5), zz = tb.gt(z, 1);
    TermList l = list({{gt15}, {le5}});
    EXPECT_EQ(reduce(l, kPlain, full()), status::kUnchanged);
    EXPECT_EQ(l.q(), 2);
    l = list({{gt15}, {le5, zz}});
    EXPECT_EQ(reduce(l, kPlain, full()), status::kUnchanged);
    EXPECT_TRUE(pequal(1, l, 1, list({{gt15}, {le5, zz}})));
}

TEST_F(LabelRules, ComplementaryCutsOfTwoAttributesSimplify)
{
    int gt5 = tb.gt(x, 5), le5 = tb.le(x2, 5), zz = tb.gt(z, 1);
    TermList l = list({{gt5}, {le5, zz}}); // x > 5 + (x <= 5) z = x > 5 + z
    EXPECT_EQ(reduce(l, kPlain, full()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{gt5}, {zz}})));
    l = list({{gt5}, {le5}});
    EXPECT_EQ(reduce(l, kPlain, full()), status::kConstMinus);
}

TEST_F(LabelRules, NestedCutsWithinATermKeepTheNarrowerOne)
{
    int le3 = tb.le(x, 3), le5 = tb.le(x, 5), gt5 = tb.gt(x2, 5);
    TermList l = list({{le5, le3}});
    EXPECT_EQ(reduce(l, kPlain, full()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{le3}})));
    l = list({{le3, gt5}}); // never together
    EXPECT_EQ(reduce(l, kPlain, full()), status::kConstPlus);
    // A term implied by another is absorbed: x <= 3 implies x <= 5.
    l = list({{le5}, {le3, tb.gt(z, 1)}});
    EXPECT_EQ(reduce(l, kPlain, full()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{le5}})));
}

TEST_F(LabelRules, AFlippedListIsReducedByTheMeaningOfItsNegatedLiterals)
{
    int le3 = tb.le(x, 3), le5 = tb.le(x, 5);
    // Flipped (le3 le5) stands for the A- term (x > 3)(x > 5) = x > 5: literal le5 stays.
    TermList l = list({{le3, le5}});
    EXPECT_EQ(reduce(l, kFlipped, full()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{le5}})));
    l = list({{le3, le5}});
    EXPECT_EQ(reduce(l, kPlain, full()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{le3}})));
}

TEST_F(LabelRules, SubstitutionOnlyWhenTheTwoCutsCoverEveryValue)
{
    int le3 = tb.le(x, 3), le10 = tb.le(x, 10), c = tb.gt(z, 1);
    // (x<=3)(x<=10) + (x>10) C: replacing x>10 by x<=3 would lose x>10 and C.
    TermList l = list({{-le10, c}, {le3, le10}});
    reduce(l, kPlain, full());
    EXPECT_TRUE(pequal(1, l, 1, list({{-le10, c}, {le3}})));

    // a = x<=5, b = x>3 cover every value: ab + b'C = ab + aC = a(b + C).
    int a = tb.le(x2, 5), b = tb.gt(x2, 3);
    l = list({{a, b}, {-b, c}});
    EXPECT_EQ(reduce(l, kPlain, full()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{a, b}, {a, c}})));
}

TEST_F(LabelRules, ConsensusTermIsDropped)
{
    int p = tb.gt(x, 5), a = tb.gt(z, 1), b = tb.gt(u, 2), c = tb.gt(v, 3);
    // x A + x' B + A B C = x A + x' B
    TermList l = list({{p, a}, {-p, b}, {a, b, c}});
    EXPECT_EQ(reduce(l, kPlain, full()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{p, a}, {-p, b}})));
}

TEST_F(LabelRules, ConsensusWithOneLiteralSharedByTheThirdTerm)
{
    int p = tb.gt(x, 5), a = tb.gt(z, 1), b = tb.gt(u, 2), c = tb.gt(v, 8), d = tb.gt(w, 9);
    // x a + x' b + a b' C = x a + x' b + a C
    TermList l = list({{p, a}, {-p, b}, {a, -b, c}});
    EXPECT_EQ(reduce(l, kPlain, full()), status::kOk);
    EXPECT_TRUE(pequal(1, l, 1, list({{p, a}, {-p, b}, {a, c}}))) << ::testing::PrintToString(l.lits);
    // With b = a' the third term (a c) must keep its literal a.
    l = list({{p, a}, {-p, -a}, {a, c, d}});
    reduce(l, kPlain, full());
    EXPECT_TRUE(pequal(1, l, 1, list({{p, a}, {-p, -a}, {a, c, d}}))) << ::testing::PrintToString(l.lits);
}

} // namespace
} // namespace meru::partition::test
