// The partition text form: writing, reading with repairs, errors, round trips.
#include "captured_log.h"
#include "partition/parttext.h"
#include "partition/termops.h"
#include "tables_fixture.h"

#include <gtest/gtest.h>

#include <random>

namespace meru::partition::test {
namespace {

std::string trimmed(const std::string& s) { return s.substr(0, s.find_last_not_of(' ') + 1); }

TEST(Parttext, WritesTermsInParentheses)
{
    bool aminus = true;
    std::string t = parttext(list({{3, -2}, {-6}, {2, 4}}), 1, aminus);
    EXPECT_EQ(t.size(), 200u);
    EXPECT_EQ(trimmed(t), "(3 -2)(-6)(2 4)");
    EXPECT_FALSE(aminus);
}

TEST(Parttext, EmptyListIsBlankAndAMinusIsWrittenNegated)
{
    bool aminus = true;
    EXPECT_EQ(trimmed(parttext(TermList{}, 1, aminus)), "");
    EXPECT_EQ(trimmed(parttext(list({{-3, 2}}), 0, aminus)), "(3 -2)");
    EXPECT_TRUE(aminus);
    // lp {0, 2}: a term of no literals gets its "(" overwritten by ")"
    EXPECT_EQ(trimmed(parttext(TermList{{0, 2}, {3, 4}}, 1, aminus)), ")(3 4)");
}

// Leading terms (5) and (50) fill the text up to column c - 1; then the term
// (-10 11 -12 13) starts at column c. Its literals start at c+1, c+5, c+8 and
// c+12, so it is whole only for c <= 182. Written, a list that fits reads back
// as itself; one that does not reads back as its leading terms alone, never with
// a shortened last term.
TEST(Parttext, OnlyWholeTermsAreWrittenAtTheColumnLimit)
{
    CapturedLog cap;
    for (int c = 150; c <= 194; ++c) {
        TermList l;
        const int wide = (c - 1) % 3; // c - 1 columns = 4 * wide + 3 * narrow
        for (int k = 0; k < wide; ++k) l.add_term({50});
        for (int k = 0; k < (c - 1 - 4 * wide) / 3; ++k) l.add_term({5});
        const TermList leading = l;
        l.add_term({-10, 11, -12, 13});
        ASSERT_EQ(text_fits(l), c <= 182) << c;
        bool aminus;
        std::string t = parttext(l, 1, aminus);
        ASSERT_EQ(t.size(), 200u);
        ParsedPartition p = parse_partition(t, 10000, false);
        ASSERT_EQ(p.result, ParseResult::Ok) << t;
        const TermList& expect = c <= 182 ? l : leading;
        EXPECT_EQ(p.list.lp, expect.lp) << t;
        EXPECT_EQ(p.list.lits, expect.lits) << t;
        // The Manual partition dialog keeps only a text of the whole list.
        EXPECT_EQ(trimmed(dialog_text(l, 1, aminus, cap.log)).empty(), c > 182);
    }
}

// A text cut at column 200 inside a term would read as a shorter term: refused.
// The same open term ending before column 200 is a typed text without its ")".
TEST(Parttext, ATermCutAtColumn200IsRefused)
{
    for (const std::string tail : {"(-10 11 -", "(-10 11 -1", "(-10 11"}) {
        std::string t = std::string(200 - tail.size(), ' ') + tail;
        const ParsedPartition p = parse_partition(t, 10000, false);
        EXPECT_EQ(p.result, ParseResult::BadSyntax) << tail;
        EXPECT_FALSE(p.accepted) << tail;
        EXPECT_TRUE(p.cut) << tail;
        t = tail + std::string(" ");
        EXPECT_EQ(parse_partition(t, 10000, false).result,
                  tail.back() == '-' ? ParseResult::BadSyntax : ParseResult::Ok);
    }
}

struct Parse : ::testing::Test {
    ParsedPartition run(std::string text, int natt = 20, bool aminus = false)
    {
        text_ = std::move(text);
        return parse_partition(text_, natt, aminus);
    }
    std::string text_;
};

TEST_F(Parse, ReadsTheExample)
{
    ParsedPartition p = run("(3 -2)(-6)(2 4)");
    ASSERT_EQ(p.result, ParseResult::Ok);
    EXPECT_TRUE(pequal(1, p.list, 1, list({{3, -2}, {-6}, {2, 4}})));
    EXPECT_EQ(p.repflag, 1);
    EXPECT_TRUE(p.accepted);
    EXPECT_FALSE(p.query);
}

TEST_F(Parse, MissingParenthesesAreRepairedWithAQuery)
{
    for (const char* text : {"3 -2", "(3 -2"}) {
        ParsedPartition p = run(text);
        ASSERT_EQ(p.result, ParseResult::Ok) << text;
        EXPECT_TRUE(pequal(1, p.list, 1, list({{3, -2}})));
        EXPECT_TRUE(p.query) << text;
    }
    ParsedPartition p = run("((3))");
    ASSERT_EQ(p.result, ParseResult::Ok);
    EXPECT_TRUE(pequal(1, p.list, 1, list({{3}})));
    EXPECT_TRUE(p.query);
}

TEST_F(Parse, RepairsChangeTheText)
{
    EXPECT_EQ(run("3 -2").result, ParseResult::Ok);
    EXPECT_EQ(trimmed(text_), "3 -2"); // read as one term without any repair
    EXPECT_EQ(run("(3 -2").result, ParseResult::Ok);
    EXPECT_EQ(trimmed(text_), "(3 -2"); // an open term at the end is only a query
    TokenPass pass = parsetext("(3 (4)");
    EXPECT_FALSE(pass.bad);
    EXPECT_EQ(pass.tokens, (std::vector<std::string>{"3", "4"}));
}

TEST_F(Parse, UnrepairableTextsAreBadSyntax)
{
    for (const char* text : {"(3)(4) 5", "", "()", ")"}) {
        ParsedPartition p = run(text);
        EXPECT_EQ(p.result, ParseResult::BadSyntax) << text;
        EXPECT_FALSE(p.accepted) << text;
    }
    run("()");
    EXPECT_EQ(trimmed(text_), "())");
    run("");
    EXPECT_EQ(trimmed(text_), "(");
}

TEST_F(Parse, TokensThatAreNotAttributeNumbers)
{
    ParsedPartition p = run("(3 x)");
    EXPECT_EQ(p.result, ParseResult::BadSyntax);
    EXPECT_TRUE(p.accepted);
    // More than five digits is not cut to five (it would name another attribute).
    EXPECT_EQ(run("(123456)", 20000).result, ParseResult::BadSyntax);
    EXPECT_EQ(run("(2--3)").result, ParseResult::BadSyntax);
    p = run("(-10000 10000)", 10000);
    ASSERT_EQ(p.result, ParseResult::Ok);
    EXPECT_EQ(p.list.lits, (std::vector<Literal>{-10000, 10000}));
}

TEST_F(Parse, NumbersOutOfRange)
{
    ParsedPartition p = run("(0)");
    EXPECT_EQ(p.result, ParseResult::OutOfRange);
    EXPECT_EQ(p.out_of_range, 0);
    p = run("(2)(-21)");
    EXPECT_EQ(p.result, ParseResult::OutOfRange);
    EXPECT_EQ(p.out_of_range, -21);
    EXPECT_EQ(run("(2)(-20)").result, ParseResult::Ok);
}

TEST_F(Parse, AMinusTextsAreNegated)
{
    ParsedPartition p = run("(3 -2)(6)", 20, true);
    ASSERT_EQ(p.result, ParseResult::Ok);
    EXPECT_EQ(p.list.lits, (std::vector<Literal>{-3, 2, -6}));
    EXPECT_EQ(p.repflag, 0);
}

TEST(FitText, WarnsWhenTheTextRunsPastColumn200)
{
    const FittedText t = fit_text(std::string(199, ' ') + "77");
    ASSERT_EQ(t.text.size(), 200u);
    EXPECT_EQ(t.text.back(), '7');
    EXPECT_TRUE(t.maybe_too_long);
    EXPECT_FALSE(fit_text(std::string(199, ' ') + ")").maybe_too_long);
    EXPECT_FALSE(fit_text("(2)").maybe_too_long);
}

TEST(TextRoundTrip, WriteThenReadGivesTheSameList)
{
    std::mt19937 rng(7);
    for (int n = 0; n < 2000; ++n) {
        TermList l;
        const int q = 1 + static_cast<int>(rng() % 8);
        for (int t = 0; t < q; ++t) {
            std::vector<Literal> term;
            const int len = 1 + static_cast<int>(rng() % 4);
            for (int k = 0; k < len; ++k) {
                Literal a = 1 + static_cast<int>(rng() % (rng() % 2 ? 10000 : 30));
                term.push_back(rng() % 2 ? a : -a);
            }
            l.add_term(term);
        }
        const int form = static_cast<int>(rng() % 2);
        bool aminus;
        std::string text = parttext(l, form, aminus);
        ParsedPartition p = parse_partition(text, 10000, aminus);
        if (!text_fits(l, form)) continue; // checked at the limit above
        ASSERT_EQ(p.result, ParseResult::Ok) << text;
        EXPECT_EQ(p.repflag, form);
        ASSERT_EQ(p.list.lits, l.lits) << text;
        ASSERT_EQ(p.list.lp, l.lp) << text;
        EXPECT_FALSE(p.query) << text;
    }
}

} // namespace
} // namespace meru::partition::test
