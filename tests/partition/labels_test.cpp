// Relations between literals of one variable, read from labels and cut values.
#include "partition/labels.h"
#include "tables_fixture.h"

#include <gtest/gtest.h>

namespace meru::partition::test {
namespace {

struct Nominal : ::testing::Test {
    Tables tb;
    int line = tb.add_line(2, 'n'); // no universe: complements are labelled "^="
    int abc = tb.codes(line, "ABC"), ab = tb.codes(line, "AB"), cd = tb.codes(line, "CD"), bc = tb.codes(line, "BC"),
        a = tb.codes(line, "A");
};

TEST_F(Nominal, CodeSetsCoverOrExclude)
{
    LiteralRelation r = covers(abc, ab, tb.t);
    EXPECT_TRUE(r.covers);
    EXPECT_FALSE(r.disjoint);
    r = covers(ab, cd, tb.t);
    EXPECT_FALSE(r.covers);
    EXPECT_TRUE(r.disjoint);
    r = covers(ab, bc, tb.t);
    EXPECT_FALSE(r.covers);
    EXPECT_FALSE(r.disjoint);
}

TEST_F(Nominal, ExcludedSetsCoverInTheOtherDirection)
{
    // -ab is "^=AB", -a is "^=A".
    EXPECT_FALSE(covers(-ab, -a, tb.t).covers);
    EXPECT_TRUE(covers(-a, -ab, tb.t).covers);
    // "^AB" holds for every value of "=CD" but not of "=BC".
    EXPECT_TRUE(covers(-ab, cd, tb.t).covers);
    EXPECT_FALSE(covers(-ab, bc, tb.t).covers);
    EXPECT_TRUE(covers(-ab, a, tb.t).disjoint);
}

TEST_F(Nominal, ExcludedSetIsComplementOnlyOfItsOwnCodes)
{
    // x = "^=AB" and y = "=$A": x + y misses B, so they are not complements.
    EXPECT_FALSE(complements(-ab, a, tb.t));
    EXPECT_FALSE(cover_whole(-ab, a, tb.t));
    EXPECT_TRUE(complements(-ab, ab, tb.t));
    EXPECT_TRUE(cover_whole(-ab, abc, tb.t));
}

TEST(NominalUniverse, TwoCodeSetsAreComplementsWhenTheyShareTheUniverse)
{
    Tables tb;
    int l1 = tb.add_line(2, 'n', "ABCD"), l2 = tb.add_line(2, 'n', "ABCD");
    int ab = tb.codes(l1, "AB"), cd = tb.codes(l2, "CD"), c = tb.codes(l2, "C");
    EXPECT_TRUE(complements(ab, cd, tb.t));
    EXPECT_FALSE(complements(ab, c, tb.t));
    // -ab is labelled "=$CD" by the reader: the same codes as cd.
    EXPECT_TRUE(covers(-ab, cd, tb.t).identical);
    EXPECT_TRUE(covers(cd, -ab, tb.t).covers);
}

TEST(NamedCuts, AreComparedByTheirCodesNotTheirNames)
{
    Tables tb;
    int line = tb.add_line(2, 'n');
    int high = tb.named(line, "AB", "high"), thigh = tb.named(line, "C", "thigh");
    // Display labels "^high" and "^thigh": read as code sets they would make
    // "not high" cover "not thigh". Their codes say otherwise.
    EXPECT_FALSE(covers(-high, -thigh, tb.t).covers);
    EXPECT_TRUE(covers(-thigh, high, tb.t).covers);
}

TEST(NamedCuts, IntervalCutsWithOneNameAreNotIdentical)
{
    Tables tb;
    int x = tb.add_line(1, 'i');
    int a = tb.gt(x, 10), b = tb.gt(x, 20);
    for (int k : {a, b}) tb.t.att[static_cast<size_t>(k)].attlab = {pad20("^=high"), pad20("$=high")};
    LiteralRelation r = covers(a, b, tb.t);
    EXPECT_FALSE(r.identical);
    EXPECT_TRUE(r.covers); // x > 10 holds wherever x > 20 does
    EXPECT_FALSE(covers(b, a, tb.t).covers);
}

TEST(NamedCuts, LabelsOfUnknownFormRelateOnlyToThemselves)
{
    Tables tb;
    int x = tb.add_line(1, 'i');
    int a = tb.gt(x, 10), b = tb.gt(x, 20);
    for (int k : {a, b}) {
        auto& at = tb.t.att[static_cast<size_t>(k)];
        at.attlab = at.savedlab = {pad20("^=high"), pad20("$=high")};
    }
    LiteralRelation r = covers(a, b, tb.t);
    EXPECT_FALSE(r.covers || r.disjoint || r.identical);
    EXPECT_TRUE(covers(a, a, tb.t).identical);
    EXPECT_TRUE(covers(a, -a, tb.t).disjoint);
}

struct Interval : ::testing::Test {
    Tables tb;
    int line = tb.add_line(1, 'i');
    int other = tb.add_line(1, 'o');
};

TEST_F(Interval, UpperBoundsNest)
{
    int le5 = tb.le(line, 5), le3 = tb.le(line, 3);
    EXPECT_TRUE(covers(le5, le3, tb.t).covers);
    EXPECT_FALSE(covers(le3, le5, tb.t).covers);
}

TEST_F(Interval, AboveAndBelowAreDisjointUpToTheCut)
{
    int gt5 = tb.gt(line, 5), le3 = tb.le(line, 3), le5 = tb.le(other, 5), le7 = tb.le(other, 7);
    LiteralRelation r = covers(gt5, le3, tb.t);
    EXPECT_FALSE(r.covers);
    EXPECT_TRUE(r.disjoint);
    EXPECT_TRUE(covers(gt5, le5, tb.t).disjoint);
    EXPECT_FALSE(covers(gt5, le7, tb.t).disjoint);
}

TEST_F(Interval, RangesNestOrPartAndReversedRangesAreTheOutside)
{
    int r28 = tb.range(line, 2, 8), r35 = tb.range(line, 3, 5), r89 = tb.range(line, 8, 9);
    LiteralRelation r = covers(r28, r35, tb.t);
    EXPECT_TRUE(r.covers);
    EXPECT_FALSE(r.disjoint);
    r = covers(r28, r89, tb.t);
    EXPECT_FALSE(r.covers);
    EXPECT_TRUE(r.disjoint);
    // "p50,p0"-style range: first value above the second, true outside (0, 50].
    int out = tb.range(other, 50, 0), in = tb.range(line, 10, 20), gt60 = tb.gt(other, 60);
    EXPECT_TRUE(covers(out, gt60, tb.t).covers);
    EXPECT_TRUE(covers(out, in, tb.t).disjoint);
    EXPECT_TRUE(covers(-out, in, tb.t).covers);
}

TEST_F(Interval, EqualLabelsAndCutsAreIdentical)
{
    int a = tb.gt(line, 4), b = tb.gt(other, 4);
    LiteralRelation r = covers(a, b, tb.t);
    EXPECT_TRUE(r.identical);
    EXPECT_TRUE(r.covers);
    EXPECT_FALSE(r.disjoint);
}

TEST_F(Interval, ComplementsNeedEqualCutsAndOppositeForms)
{
    int gt15 = tb.gt(line, 15), le5 = tb.le(line, 5), le15 = tb.le(other, 15);
    // "<=5" is found inside ">$15", but the two leave (5, 15] out.
    EXPECT_FALSE(complements(gt15, le5, tb.t));
    EXPECT_FALSE(cover_whole(gt15, le5, tb.t));
    EXPECT_TRUE(complements(gt15, le15, tb.t));
    int in = tb.range(line, 2, 6), out = tb.range(other, 6, 2);
    EXPECT_TRUE(complements(in, out, tb.t));
    int eq = tb.eq(line, 3);
    EXPECT_TRUE(complements(eq, -eq, tb.t));
    EXPECT_TRUE(covers(tb.le(other, 3), eq, tb.t).covers);
}

TEST_F(Interval, ReversedAttributesAreReadThroughTheirSwappedLabels)
{
    int gt5 = tb.gt(line, 5), le3 = tb.le(other, 3);
    tb.reverse(gt5);
    // +gt5 still means x > 5 (its label is now in column 1).
    EXPECT_TRUE(covers(gt5, le3, tb.t).disjoint);
    EXPECT_TRUE(covers(-gt5, le3, tb.t).covers);
}

TEST(KindMismatch, NominalAndIntervalLiteralsDoNotRelate)
{
    Tables tb;
    int x = tb.add_line(1, 'i'), c = tb.add_line(1, 'n');
    int a = tb.gt(x, 5), b = tb.codes(c, "5");
    LiteralRelation r = covers(a, b, tb.t);
    EXPECT_FALSE(r.covers || r.disjoint || r.identical);
    EXPECT_EQ(kind_of(a, tb.t), 'i');
    EXPECT_EQ(kind_of(b, tb.t), 'n');
    EXPECT_EQ(variable_of(a, tb.t), 1);
    EXPECT_EQ(kind_of(999, tb.t), 0);
}

TEST(ListText, TermsJoinedByOrTheirLiteralsByAndAsTheirLabelsRead)
{
    Tables tb;
    const int lwt = tb.le(tb.add_line(1, 'i'), 110), ui = tb.codes(tb.add_line(2, 'n', "01"), "1");
    tb.t.att[static_cast<size_t>(lwt)].attname = "lwt$$$$$";
    tb.t.att[static_cast<size_t>(ui)].attname = "ui$$$$$$";
    TermList split;
    split.add_term({lwt});
    split.add_term({ui});
    EXPECT_EQ(list_text(split, kPlain, tb.t), "lwt<=110 or ui=1");
    // The same list read as a flipped one (A- of the partition) names the complements.
    EXPECT_EQ(list_text(split, kFlipped, tb.t), "lwt>110 or ui=0");
    TermList two;
    two.add_term({lwt, -ui});
    two.add_term({ui});
    EXPECT_EQ(list_text(two, kPlain, tb.t), "(lwt<=110 & ui=0) or ui=1");
    TermList one;
    one.add_term({lwt, ui});
    EXPECT_EQ(list_text(one, kPlain, tb.t), "lwt<=110 & ui=1");
    // A turned direction (Fix Positive) leaves what a literal says as it was.
    tb.reverse(lwt);
    EXPECT_EQ(list_text(split, kPlain, tb.t), "lwt<=110 or ui=1");
}

} // namespace
} // namespace meru::partition::test
