// Transposition of a product of clauses into a sum of terms.
#include "captured_log.h"
#include "partition/termops.h"
#include "partition/transpose.h"
#include "support/list_meaning.h"
#include "support/recording_services.h"
#include "tables_fixture.h"

#include <gtest/gtest.h>

namespace meru::partition::test {
namespace {

struct Trans : ::testing::Test {
    CapturedLog cap;
    meru::test::RecordingServices sv;
    meru::Notices told;
    SkipTally tally;
    ReduceOptions opt;
    Trans() { opt.told = &told; }
};

TEST_F(Trans, OneLiteralIsReturnedAsItIs)
{
    TermList out;
    EXPECT_EQ(trans(list({{-4}}), kPlain, out, opt, tally, cap.log), status::kOk);
    EXPECT_EQ(out.lits, (std::vector<Literal>{-4}));
    EXPECT_EQ(out.lp, (std::vector<int>{1}));
}

TEST_F(Trans, OneClauseGivesOneTermPerLiteral)
{
    TermList out;
    EXPECT_EQ(trans(list({{3, 4, 5}}), kPlain, out, opt, tally, cap.log), status::kOk);
    EXPECT_TRUE(pequal(1, out, 1, list({{3}, {4}, {5}})));
}

TEST_F(Trans, NoClausesIsTheWholeSet)
{
    TermList out;
    EXPECT_EQ(trans(TermList{}, kPlain, out, opt, tally, cap.log), status::kNoInput);
    EXPECT_EQ(out.lits, (std::vector<Literal>{1})); // the whole set of the flipped result
    EXPECT_EQ(trans(TermList{}, kFlipped, out, opt, tally, cap.log), status::kNoInput);
    EXPECT_EQ(out.lits, (std::vector<Literal>{-1}));
}

TEST_F(Trans, AnEmptyClauseMakesTheProductEmpty)
{
    TermList in{{2, 0}, {3, 4}};
    TermList out;
    EXPECT_EQ(trans(in, kPlain, out, opt, tally, cap.log), status::kConstMinus);
    EXPECT_EQ(out.lits, (std::vector<Literal>{-1})); // the empty set of a flipped list
}

TEST_F(Trans, TermsComeInCounterOrderLastClauseFastest)
{
    TermList out;
    EXPECT_EQ(trans(list({{2, 3}, {4, 5}}), kPlain, out, opt, tally, cap.log), status::kOk);
    EXPECT_EQ(out.lits, (std::vector<Literal>{2, 4, 2, 5, 3, 4, 3, 5}));
}

TEST_F(Trans, TooManyCombinationsAreRefusedBeforeAnyReduction)
{
    // 3 x 7 x 2381 = 50001 combinations.
    TermList in;
    int next = 2;
    for (int len : {3, 7, 2381}) {
        in.lp.push_back(len);
        for (int k = 0; k < len; ++k) in.lits.push_back(next++);
    }
    TermList out;
    EXPECT_EQ(trans(in, kPlain, out, opt, tally, cap.log), status::kLimit);
    ASSERT_EQ(cap.lines.size(), 1u);
    EXPECT_EQ(cap.lines[0], " Too many transpose operations : 50001");
    sv.replay(told);
    EXPECT_EQ(sv.with_prefix("help:"), (std::vector<std::string>{"help:ERROR: prohibitive transpose"}));
    EXPECT_TRUE(out.consistent());

    // 2 x 5 x 5000 = 50000 is accepted (and then stops at the 101st term).
    TermList ok;
    for (int len : {2, 5, 5000}) {
        ok.lp.push_back(len);
        for (int k = 0; k < len; ++k) ok.lits.push_back(next++);
    }
    cap.lines.clear();
    EXPECT_EQ(trans(ok, kPlain, out, opt, tally, cap.log), status::kLimit);
    EXPECT_TRUE(cap.lines.empty());
    EXPECT_EQ(out.q(), MAXP);
    EXPECT_TRUE(out.consistent());
}

TEST_F(Trans, AHundredAndFirstSurvivingTermIsALimit)
{
    TermList in;
    for (int c = 0; c < 7; ++c) in.add_term({2 + 2 * c, 3 + 2 * c}); // 128 distinct terms
    TermList out;
    EXPECT_EQ(trans(in, kPlain, out, opt, tally, cap.log), status::kLimit);
    EXPECT_EQ(out.q(), MAXP);
    EXPECT_EQ(out.count(), 7 * MAXP);
}

TEST_F(Trans, APartialSumThatBecomesTheWholeSetStaysWhole)
{
    Tables tb;
    int x = tb.add_line(1, 'i'), z = tb.add_line(2, 'i');
    int a = tb.gt(x, 5), c = tb.gt(z, 3);
    opt.tables = &tb.t;
    opt.label_rules = true;
    // (a + a')(c + c') is the whole set: its complement A- (the flipped result) is whole.
    TermList out;
    EXPECT_EQ(trans(list({{a, -a}, {c, -c}}), kPlain, out, opt, tally, cap.log), status::kConstPlus);
    EXPECT_EQ(out.lits, (std::vector<Literal>{whole_constant(kFlipped)}));
}

TEST_F(Trans, ComplementOfASumOfTermsByDuality)
{
    // A = (2 5)(9): the clauses (2 + 5)(9) multiply out to (2 9)(5 9), the flipped A-.
    TermList out;
    EXPECT_EQ(trans(list({{2, 5}, {9}}), kPlain, out, opt, tally, cap.log), status::kOk);
    EXPECT_TRUE(pequal(1, out, 1, list({{2, 9}, {5, 9}})));
}

TEST_F(Trans, TraceSwitchDumpsTheSteps)
{
    TermList out;
    trans(list({{2, 3}, {4}}), kPlain, out, opt, tally, cap.log);
    EXPECT_TRUE(cap.lines.empty());
    opt.trace = true;
    trans(list({{2, 3}, {4}}), kPlain, out, opt, tally, cap.log);
    EXPECT_EQ(cap.lines, (std::vector<std::string>{"trans: clauses", "(   2 1,   3 1,", "(   4 1,",
                                                   "trans: partial sum", "(   2 1,   4 1,", "(   3 1,   4 1,",
                                                   "trans: result", "(   2 1,   4 1,", "(   3 1,   4 1,"}));
}

} // namespace
} // namespace meru::partition::test

namespace meru::partition::test {
namespace {

// Eight cuts of one interval variable (attributes 2..9) and four code sets of a
// nominal one (10..13), related through the label rules.
struct LabelledTrans : Trans {
    Tables tb;
    LabelledTrans()
    {
        const int x = tb.add_line(1, 'i');
        tb.gt(x, 1), tb.gt(x, 2), tb.le(x, 3), tb.le(x, 1);
        tb.range(x, 0, 2), tb.range(x, 1, 3), tb.range(x, 2, 4), tb.gt(x, 3);
        const int n = tb.add_line(2, 'n', "ABCD");
        tb.codes(n, "A"), tb.codes(n, "AB"), tb.codes(n, "BC"), tb.codes(n, "D");
        opt.tables = &tb.t;
        opt.label_rules = true;
    }
    // The product of the (plain) clauses and the (flipped) result, both read with
    // their literals negated, agree on every value of the two variables.
    void expect_same_sets(const TermList& clauses, const TermList& sum)
    {
        const std::string codes = "ABCD";
        const auto holds = [&](Literal l, int o) {
            return tb.holds(l, 0.5 * (o / 4), codes[static_cast<size_t>(o % 4)]);
        };
        const int nobs = 11 * 4; // x = 0, 0.5, ..., 5
        EXPECT_EQ(meru::test::product_meaning(clauses, -1, nobs, holds),
                  meru::test::list_meaning(sum, kFlipped, nobs, holds));
    }
};

TEST_F(LabelledTrans, WorkIsBoundedAndWhatFitsIsMultipliedOutExactly)
{
    // 38016 combinations, far fewer than the limit, whose partial sums keep
    // reducing back: refused once the work bound is reached.
    const TermList slow = list({{2, -3, 4, -5, 6, -7, 8, -9, 10, 11, 12},
                                {-2, 3, -4, 5},
                                {6, -7, 8, 9},
                                {-10, 11, -12, 13},
                                {2, -4, 6},
                                {3, 5, -7},
                                {8, -9, 10},
                                {-11, 12}});
    TermList out;
    EXPECT_EQ(trans(slow, kPlain, out, opt, tally, cap.log), status::kLimit);
    EXPECT_EQ(cap.lines, (std::vector<std::string>{" Too many transpose operations : 38016"}));
    sv.replay(told);
    EXPECT_EQ(sv.with_prefix("help:"), (std::vector<std::string>{"help:ERROR: prohibitive transpose"}));
    EXPECT_TRUE(out.consistent() && out.within_limits());

    // Its first clauses fit: the result is the product multiplied out (a constant
    // for the first three, whose first clause holds everywhere).
    for (int k = 1; k <= 6; ++k) {
        TermList head;
        int t = 0;
        for (std::span<const Literal> term : slow.terms())
            if (t++ < k) head.add_term(term);
        cap.lines.clear();
        EXPECT_FALSE(failed(trans(head, kPlain, out, opt, tally, cap.log))) << k;
        EXPECT_TRUE(cap.lines.empty());
        expect_same_sets(head, out);
    }
}

} // namespace
} // namespace meru::partition::test
