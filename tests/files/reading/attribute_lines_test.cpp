// Attribute-creating lines through the pre-scan and the reader: labels, cut
// values, notes and errors, and counts that always cover what is stored.
#include "cf_fixture.h"

#include <gtest/gtest.h>

using namespace meru::files;
using meru::test::cf_text;
using meru::test::CfRun;

namespace {

CfRun& read(CfRun& r, const std::string& vars, const std::string& lines) { return r.run(cf_text(vars, lines)); }

} // namespace

TEST(AttributeLabels, IntervalForms)
{
    CfRun r;
    read(r, "x", "x i 5 >6 <7 =8 1,2 9=high\n");
    ASSERT_EQ(r.t.natt, 7);
    struct Want {
        const char* own;
        const char* comp;
        double cut1, cut2;
        bool range, direction;
    };
    const Want want[] = {
        {">$5", "<=5", 5, 1e30, false, true},  {">$6", "<=6", 6, 1e30, false, true},
        {"<=7", ">$7", 7, 1e30, false, false}, {"=$8", "^=8", 7.99, 8, true, false},
        {"(]1,2", "](1,2", 1, 2, true, true},  {"$=high", "^=high", 9, 1e30, false, true},
    };
    for (int i = 0; i < 6; ++i) {
        const Attribute& a = r.att(i + 2);
        EXPECT_EQ(r.own(i + 2), want[i].own) << i;
        EXPECT_EQ(r.comp(i + 2), want[i].comp) << i;
        EXPECT_DOUBLE_EQ(a.cut1, want[i].cut1) << i;
        EXPECT_DOUBLE_EQ(a.cut2, want[i].cut2) << i;
        EXPECT_EQ(a.range, want[i].range) << i;
        EXPECT_EQ(a.direction, want[i].direction) << i;
    }
    EXPECT_EQ(r.att(7).savedlab[1].substr(0, 3), ">$9"); // the saved label keeps the value
    EXPECT_TRUE(r.att(5).ordered);
    EXPECT_TRUE(r.logged("NOTE: direction change within cuts of control file line:x i 5 >6 <7 =8 1,2 9=high"));
}

TEST(AttributeLabels, NominalForms)
{
    CfRun r;
    read(r, "s y z w", "s nMFU M=male FU\ny b 1=yes\nz b- 1\nw n 01 AB=low\n");
    EXPECT_EQ(r.errors, 0);
    EXPECT_EQ(r.own(2), "_male");
    EXPECT_EQ(r.comp(2), "^male");
    EXPECT_EQ(r.own(3), "=$FU");
    EXPECT_EQ(r.comp(3), "=$M"); // the universe's other codes, in universe order
    EXPECT_EQ(r.line(3).universe, "01");
    EXPECT_EQ(r.own(4), "_yes");
    EXPECT_EQ(r.comp(4), "_no");
    EXPECT_EQ(r.att(4).savedlab[1].substr(0, 3), "=$1");
    EXPECT_EQ(r.att(4).savedlab[0].substr(0, 3), "=$0");
    EXPECT_EQ(r.line(4).universe, "01-");
    EXPECT_EQ(r.comp(5), "=$0-");
    // n without a universe: all 36 codes, "^=" complements, and the note.
    EXPECT_EQ(r.line(5).universe, kAllStates);
    EXPECT_FALSE(r.line(5).universe_given);
    EXPECT_EQ(r.comp(6), "^=01");
    EXPECT_EQ(r.own(7), "_low");
    EXPECT_EQ(r.comp(7), "_high");
    EXPECT_EQ(r.att(7).codes, "AB");
    EXPECT_TRUE(r.logged("NOTE: no universe specified in:w n 01 AB=low"));
    EXPECT_TRUE(r.called("help:NOTE: no universe"));
}

TEST(AttributeLines, ErrorsAndNotes)
{
    struct Case {
        const char* vars;
        const char* lines;
        int errors;
        int natt;
        const char* logline; // expected in the log ("" none)
        const char* call;    // expected service call ("" none)
    };
    // A file left with only the null line counts one more error (no attributes).
    const Case cases[] = {
        {"sex", "sex nMF X\n", 1, 2, "element X not in univ MF", "help:NOTE: bad states"},
        {"sex", "sex nMF X\n", 1, 2, "ERROR: bad states or non-specified in:sex nMF X", ""},
        {"x", "x i 5 <5\n", 1, 3, "NOTE: opposite attributes", "help:NOTE: duplicate or opposite attributes"},
        {"x", "x i 5 5\n", 1, 3, "NOTE: repeated attributes", "help:NOTE: repeated attributes"},
        {"age", "age i p50 60\n", 0, 3, "", ""},
        {"age", "age i 60 p50\n", 2, 1, "ERROR. Percentiles cut expected. Line ignored:age i 60 p50",
         "help:ERROR: percentile cut expected"},
        {"age", "age o p50\n", 2, 1, "", "help:ERROR: percentile cut expected"},
        {"age", "age i p50=mid\n", 1, 2, "NOTE:cannot attach a label to percentile cuts p50=mid", ""},
        {"age", "age i median\n", 0, 2, "", ""},
        {"g", "g cv11\n", 2, 1, "", "msgbox:ERROR: in cv<x> specification. Must be cv2, cv3, ...cv10$ kind=okcancel"},
        {"g", "g cvx\n", 2, 1, "", "msgbox:ERROR: in cv<x> specification. Must be cv2, cv3, ...cv10$ kind=okcancel"},
        {"g", "g CV4\n", 0, 5, "", ""},
        {"x", "y i 1\n", 2, 1, "ERROR y not a valid variable to make attribute. Ignored",
         "help:ERROR: attribute not a variable name "},
        {"x", "x\n", 0, 2, "NOTE: No cuts specified. Line:x", "help:NOTE: No specified cuts"},
        {"x", "x + 3\n", 0, 2, "", "help:NOTE: unnecessary + - or ?"},
        {"x", "x i abc\n", 1, 2, "ERROR: reading cuts for x MS error 8",
         "help:ERROR: character cut of interval variable"},
        // Values that are not finite numbers are cut texts that are not numbers.
        {"x", "x i nan\n", 1, 2, "ERROR: reading cuts for x MS error 8",
         "help:ERROR: character cut of interval variable"},
        {"x", "x i 1 inf\n", 1, 3, "ERROR: reading cuts for x MS error 8", ""},
        {"x", "x i 1e999\n", 1, 2, "ERROR: reading cuts for x MS error 8", ""},
        {"x", "x i p25 pnan\n", 1, 3, "ERROR: reading cuts for x MS error 8", ""},
        {"x", "x i 1,nan\n", 1, 2, "ERROR: reading cuts for x MS error 8", ""},
        // A sequence that gives no cuts: one message, the line ignored.
        {"x", "x (1-100-0)\n", 2, 1, "ERROR: sequence of cuts gives no cuts. Line ignored: x (1-100-0)",
         "msgok:ERROR for (1-100-0):step must be above 0 $"},
        {"x", "x (100-1-5)\n", 2, 1, "", "msgok:ERROR for (100-1-5):start above end $"},
        {"x", "x i 1 2\nx i 2\n", 0, 4, "NOTE: duplicate or opposite attributes: x>2  x>2", ""},
        {"x", "x i 1\nx i <1\n", 0, 3, "NOTE: duplicate or opposite attributes: x>1  x<=1", ""},
        {"x", "x i 1\nx n01 1\n", 0, 3, "NOTE: mixed types for x", "help:NOTE: inconsistent universe"},
        {"x", "x n01 1\nx n012 1\n", 0, 3, "NOTE: differing universes for x", "help:NOTE: inconsistent universe"},
        {"x", "x n0@ 1\n", 2, 2, "ERROR: Inadmissible @ in universe n0@", "help:ERROR: inadmissible universe"},
        // A nominal line needs a code set: no silent cut at {M, E, A, N}.
        {"x", "x n\n", 1, 2, "ERROR: bad states or non-specified in:x n", ""},
        // Named nominal cuts are compared by their whole names: one-letter names differ.
        {"g", "g nAB A A\n", 1, 3, "NOTE: repeated attributes", "help:NOTE: repeated attributes"},
        {"g", "g nAB A B\n", 1, 3, "NOTE: opposite attributes", ""},
        {"g", "g nABC A=a B=b\n", 0, 3, "", ""},
        {"g", "g nABC A=a B=a\n", 1, 3, "NOTE: repeated attributes", ""},
    };
    for (const Case& c : cases) {
        CfRun r;
        read(r, c.vars, c.lines);
        SCOPED_TRACE(c.lines);
        EXPECT_EQ(r.errors, c.errors);
        EXPECT_EQ(r.t.natt, c.natt);
        if (*c.logline) {
            EXPECT_TRUE(r.logged(c.logline));
        }
        if (*c.call) {
            EXPECT_TRUE(r.called(c.call));
        }
    }
}

// Notes met again in one reading are shown once and logged after that: 30 equal
// cuts give 435 repeated pairs but one help topic.
TEST(AttributeLines, ANoteIsShownOncePerReading)
{
    std::string line = "x i";
    for (int k = 0; k < 30; ++k) line += " 5";
    CfRun r;
    read(r, "x", line + "\n");
    EXPECT_EQ(std::count(r.sv.calls.begin(), r.sv.calls.end(), "help:NOTE: repeated attributes"), 1);
    EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), "NOTE: repeated attributes"), 2 * 435 - 1);
}

TEST(AttributeLines, EqualityCutsUpperCaseInput)
{
    CfRun r;
    read(r, "x", "x i =3 >=4\n");
    EXPECT_DOUBLE_EQ(r.att(2).cut2, 3);
    EXPECT_TRUE(r.att(2).ordered);
}

TEST(AttributeLines, StarEndsTheSectionAnywhere)
{
    CfRun r;
    r.run("T\nx y\n*\nx i 1\ny i 2 * whatever\nfree space\nX.DAT\n");
    EXPECT_EQ(r.t.nlines, 2);
    EXPECT_TRUE(r.t.format.freefmt);
    EXPECT_EQ(r.t.format.cfdataname, "X.DAT");
}

TEST(AttributeLines, ContinuationLimits)
{
    CfRun r;
    read(r, "x", "x i 1 !\n2 !\n3\n");
    EXPECT_EQ(r.errors, 0);
    EXPECT_EQ(r.line(2).ncuts, 3);

    CfRun four;
    read(four, "x", "x i 1 !\n2 !\n3 !\nx i 4\n");
    EXPECT_TRUE(four.called("help:ERROR: too many continue lines"));
    EXPECT_EQ(four.t.nlines, 3); // the fourth physical line is a line of its own
    EXPECT_EQ(four.line(3).ncuts, 1);
}

TEST(AttributeLines, AllAndNumberedRanges)
{
    CfRun r;
    read(r, "age1:4 sex", "age1:4 i 30\n_all_ mean\n");
    ASSERT_EQ(r.t.vars.nvar, 5);
    EXPECT_EQ(r.t.vars.varname[4], "age4");
    EXPECT_EQ(r.t.nlines, 1 + 4 + 5);
    EXPECT_EQ(r.t.natt, 10);
    EXPECT_EQ(r.line(5).name, "age4");
    EXPECT_EQ(r.line(10).name, "sex");
    // Range lines are not written out; the _all_ line once.
    EXPECT_FALSE(r.logged_prefix(" #    2"));
    EXPECT_TRUE(r.logged(" #    6      _all_ mean"));
    EXPECT_EQ(r.errors, 0);
    EXPECT_GE(r.counts.attbound, r.t.natt);
    EXPECT_GE(r.counts.varbound, r.t.nlines);
}

TEST(AttributeLines, RangeNamesAreNeverCut)
{
    CfRun r;
    read(r, "abcdefg1 abcdefg2 verylong", "abcdefg1:10 i 1\nverylongname i 2\n");
    EXPECT_EQ(r.t.nlines, 1 + 2 + 1);
    EXPECT_TRUE(r.logged("ERROR abcdefg10 not a valid variable to make attribute. Ignored"));
    EXPECT_EQ(r.line(4).name, "verylong"); // a plain name is cut to 8 as in the list
    EXPECT_EQ(r.errors, 8);                // abcdefg3 ... abcdefg10
}

TEST(AttributeLines, GroupedDataPseudoVariables)
{
    CfRun r;
    read(r, "x _FREQ_", "_i_ i 1\n_r_ i 1\n_r_ i 2\n_r_ i 3\n_r_ i 4\n_r_ i 5\n_r_ i 6\n");
    ASSERT_EQ(r.t.vars.nvar, 3);
    EXPECT_EQ(r.t.vars.varname[2], "_i_");
    EXPECT_EQ(r.t.vars.varname[3], "_r_");
    EXPECT_TRUE(r.called("help:NOTE: grouped data with _i_"));
    EXPECT_TRUE(r.called("help:NOTE: grouped data with _r_"));
    EXPECT_TRUE(r.called("help:ERROR: too many _r_ lines"));
    EXPECT_EQ(r.t.nlines, 1 + 1 + 5);
}

// The pre-scan's counts cover what the reader stores, even where a line is
// continued or a range is longer than 8 characters.
TEST(PreScanCounts, CoverTheReader)
{
    struct Case {
        const char* vars;
        const char* lines;
        int attbound;
    };
    const Case cases[] = {
        {"x1:12", "x1:12 i 30\n", 12 * 2 + 1},
        {"age", "age cv5\n", 6 + 1},
        {"b", "b i !\n(10-50-10)\n", 6 + 1},            // the continuation is joined before counting
        {"weight1:12", "weight1:12 i 1\n", 12 * 2 + 1}, // the count after "1:" in a long token
        {"a b c", "_all_ mean\n", 13 * 2 + 1},          // 3 names + 10
        {"x1:30", "_all_ 1\n", 40 * 2 + 1},
    };
    for (const Case& c : cases) {
        CfRun r;
        read(r, c.vars, c.lines);
        SCOPED_TRACE(c.lines);
        EXPECT_EQ(r.counts.attbound, c.attbound);
        EXPECT_GE(r.counts.attbound, r.t.natt);
        EXPECT_GE(r.counts.varbound, r.t.nlines);
        EXPECT_GE(r.counts.varbound + kSpareSlots, r.t.vars.nvar);
    }
    CfRun seq;
    read(seq, "b", "b i !\n(10-50-10)\n");
    EXPECT_EQ(seq.t.natt, 6);
    EXPECT_EQ(seq.line(2).ncuts, 5);
}

TEST(VariableList, NumbersBlanksAndTooMany)
{
    CfRun r;
    r.flags.comma = true;
    r.run(cf_text("a,,12", "a i 1\n", "free comma\nX.CSV\n"));
    ASSERT_EQ(r.t.vars.nvar, 3);
    EXPECT_EQ(r.t.vars.varname[2], "_");
    EXPECT_TRUE(r.logged("NOTE: 12 is a number, not a variable name?"));
    EXPECT_TRUE(r.called("help:NOTE: variable name is a number"));

    CfRun none;
    none.run(cf_text("_ID_", ""));
    EXPECT_TRUE(none.called("help:ERROR: no variables named"));
}
