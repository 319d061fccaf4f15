// The attribute-line grammar shared by the pre-scan and the reader.
#include "files/cf_notes.h"
#include "files/cutgrammar.h"

#include <gtest/gtest.h>

using namespace meru::files;
using V = std::vector<std::string>;

namespace {

V tokens(std::string_view text)
{
    auto n = normalise_line(text, false, nullptr);
    return n ? n->tokens : V{};
}

} // namespace

TEST(NormaliseLine, TypesSignsAndDefaults)
{
    struct Case {
        const char* line;
        V tokens;
    };
    const Case cases[] = {
        {"age i 40 50", {"age", "?", "i", "40", "50"}},
        {"age 40", {"age", "?", "i", "40"}},     // no type: "i", the token is the first cut
        {"age", {"age", "?", "i", "mean"}},      // only a name: one cut at the mean
        {"age + o- 3", {"age", "?", "o-", "3"}}, // the sign becomes "?"
        {"sex b", {"sex", "?", "n01", "mean"}},
        {"sex b 1=yes", {"sex", "?", "n01", "1=yes"}},
        {"sex b- 1", {"sex", "?", "n01-", "1"}},
        {"g cv2", {"g", "?", "i", "p50,p0", "p100,p50"}},
        {"g CV2 ignored", {"g", "?", "i", "p50,p0", "p100,p50"}},
        {"x i (10-30-10)", {"x", "?", "i", "10", "20", "30"}},
        {"x i <p(10-25-5) 99", {"x", "?", "i", "<p10", "<p15", "<p20", "<p25", "99"}},
        {"x i (0.1-0.3-0.1)", {"x", "?", "i", "0.1", "0.2", "0.3"}},
    };
    for (const Case& c : cases) EXPECT_EQ(tokens(c.line), c.tokens) << c.line;
    EXPECT_FALSE(normalise_line("   ", false, nullptr));
}

TEST(NormaliseLine, CvOperator)
{
    auto cv4 = normalise_line("grade cv4", false, nullptr);
    ASSERT_TRUE(cv4);
    EXPECT_EQ(cv4->ncuts(), 4);
    EXPECT_EQ(cvcuts(4), (V{"p25,p0", "p50,p25", "p75,p50", "p100,p75"}));
    EXPECT_EQ(cvcuts(10).back(), "p100,p90");
    EXPECT_EQ(cvcuts(7)[3], "p57,p43");
    for (const char* bad : {"g cv11", "g cvx", "g cv", "g cv1", "g cv2x"}) {
        auto n = normalise_line(bad, false, nullptr);
        ASSERT_TRUE(n);
        EXPECT_TRUE(n->cv_error) << bad;
    }
}

TEST(CutSyntax, SequenceLimitsAndErrors)
{
    using N = std::vector<CfNote>;
    const auto ok = [](const char* text) { return N{{CfNote::Kind::ok, text}}; };
    CfNotes notes;
    V t{"x", "i", "(1-100-1)"};
    CutCount c = cutsyntax(t, true, &notes);
    EXPECT_EQ(c.ncuts, 50);
    EXPECT_EQ(t.back(), "50");
    EXPECT_EQ(notes.items, ok("ERROR for (1-100-1):too many cuts (>50) $"));

    // No cuts come of a step not above 0, a start above the end, or a number that
    // is not finite: the sequence is refused with one message.
    const std::pair<const char*, const char*> refused[] = {
        {"(1-5-0)", "ERROR for (1-5-0):step must be above 0 $"},
        {"(9-5-1)", "ERROR for (9-5-1):start above end $"},
        {"(1-inf-1)", "ERROR syntax in (1-inf-1)$"},
        {"(1-5-nan)", "ERROR syntax in (1-5-nan)$"},
    };
    for (const auto& [token, message] : refused) {
        CfNotes n;
        V tokens{"x", "i", token};
        const CutCount cc = cutsyntax(tokens, true, &n);
        EXPECT_TRUE(cc.refused) << token;
        EXPECT_EQ(cc.ncuts, 1) << token;
        EXPECT_EQ(n.items, ok(message));
    }
    EXPECT_FALSE(c.refused);

    CfNotes notes3;
    V bad{"x", "i", "(1-x-2)"};
    EXPECT_EQ(cutsyntax(bad, true, &notes3).ncuts, 1);
    EXPECT_EQ(notes3.items, ok("ERROR syntax in (1-x-2)$"));

    CfNotes notes4;
    V nom{"x", "n012", "(1-2-1)"};
    EXPECT_EQ(cutsyntax(nom, true, &notes4).ncuts, 1);
    EXPECT_EQ(notes4.items, ok("ERROR: (1-2-1) syntax not allowed for nominal$"));

    V quiet{"x", "i", "(1-100-1)"};
    EXPECT_EQ(cutsyntax(quiet, false, nullptr).ncuts, 50);
}

TEST(JoinContinued, ThreePhysicalLinesAtMost)
{
    V recs{"x i 1 !", "2 !", "3", "next"};
    JoinedLine j = join_continued(recs, 0);
    EXPECT_EQ(j.text, "x i 1 2 3");
    EXPECT_EQ(j.nphys, 3);
    EXPECT_FALSE(j.too_many);

    V four{"x i 1 !", "2 !", "3 !", "4"};
    JoinedLine k = join_continued(four, 0);
    EXPECT_TRUE(k.too_many);
    EXPECT_EQ(k.nphys, 3);
    EXPECT_EQ(k.text, "x i 1 2 3 ");

    V eof{"x i 1 !"};
    EXPECT_TRUE(join_continued(eof, 0).eof);
}

TEST(RangeToken, WholeTokenCount)
{
    auto r = range_token("weight1:12");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->stem, "weight");
    EXPECT_EQ(r->n, 12);
    EXPECT_EQ(range_token("x1:0")->n, -1);
    EXPECT_EQ(range_token("x1:")->n, -1);
    EXPECT_FALSE(range_token("x12"));
}

TEST(StateWord, OppositeWords)
{
    const std::pair<const char*, const char*> cases[] = {
        {"^yes", "_no"},    {"^no", "_yes"},  {"^low", "_high"},          {"^high", "_low"},
        {"^+ve", "_-ve"},   {"^-ve", "_+ve"}, {"^positive", "_negative"}, {"^negative", "_positive"},
        {"^male", "^male"},
    };
    for (auto [in, out] : cases) {
        std::string got = state_word(make_label("", in));
        EXPECT_EQ(got.substr(0, got.find_last_not_of(' ') + 1), out) << in;
    }
}
