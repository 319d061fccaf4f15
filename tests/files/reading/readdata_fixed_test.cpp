// Fixed-column data files read through the control file's format text.
#include "support/reported_data.h"

using meru::files::kMissing;
using meru::test::run_data;

namespace {

const char* kFixed = "Fixed columns test\n_ID_ x y _FREQ_ \n*\nx i 2.5\ny b 1=yes\n*\n(A4,F4.1,F2.0,I3)\nDATA\n";

} // namespace

TEST(FixedFormat, ImpliedDecimalsBlankFieldsAndFrequencies)
{
    auto r = run_data(kFixed,
                      "A001  25 1  2\n"
                      "A002 3.0 0  1\n"
                      "A003  -1 1  1\n"
                      "A004 4.5    4\n"
                      "A005 1.0 2  1\n",
                      "fixed.dat");
    ASSERT_EQ(r->r.nread, 5);
    EXPECT_EQ(r->d.obsid[0], "A001");
    EXPECT_FLOAT_EQ(r->x(1, "x"), 2.5f);  // "  25" under F4.1
    EXPECT_FLOAT_EQ(r->x(3, "x"), -0.1f); // negative: missing
    EXPECT_EQ(r->x(4, "y"), 0);           // a blank field reads 0
    EXPECT_EQ(r->d.obswt, (std::vector<int>{2, 1, 1, 4, 1}));
    EXPECT_EQ(r->r.nobsin, 9);
    EXPECT_EQ(r->r.incomplete, 1);
    // x > 2.5: 2.5 is not above the cut; the missing x is excluded.
    EXPECT_EQ(r->ab(2, 1), 0);
    EXPECT_EQ(r->ab(2, 2), 1);
    EXPECT_EQ(r->ab(2, 3), 255);
    EXPECT_EQ(r->ab(2, 4), 1);
    EXPECT_EQ(r->ab(2, 5), 0);
    // y = 1 ("_yes"); y = 2 lies outside the universe 01.
    EXPECT_EQ(r->ab(3, 1), 1);
    EXPECT_EQ(r->ab(3, 2), 0);
    EXPECT_EQ(r->ab(3, 4), 0);
    EXPECT_EQ(r->ab(3, 5), 255);
    EXPECT_EQ(r->r.att[2].positive, 4 + 1);
    EXPECT_EQ(r->r.att[2].negative, 2 + 1);
    EXPECT_EQ(r->r.att[2].excluded, 1);
    EXPECT_FALSE(r->called("help:NOTE: Mis-match expected # lines"));
}

TEST(FixedFormat, HeaderRecordIsSkippedAndBadRecordsReported)
{
    auto r = run_data(kFixed,
                      "ID   X  Y  F\n"
                      "A001  25 1  2\n"
                      "A002 x.0 0  1\n"
                      "A003 3.5 1 -2\n",
                      "hdr.dat");
    ASSERT_EQ(r->r.nread, 2);
    EXPECT_EQ(r->d.obsid[0], "A001");
    EXPECT_EQ(r->d.obsid[1], "A003");
    EXPECT_EQ(r->d.obswt, (std::vector<int>{2, 0, 0, 0}));
    EXPECT_EQ(r->r.frequency_refused, 1);
    EXPECT_TRUE(r->logged("ERROR: negative frequency count on line 4: -2. Assumed missed"));
    EXPECT_TRUE(r->called("msgbox:NOTE: Possible character header in file. Record ignored:$ kind=ok"));
    EXPECT_TRUE(r->logged("ERROR: Data READ error in record     2 Record skipped. It is:"));
    EXPECT_TRUE(r->logged("A002 x.0 0  1"));
    EXPECT_FALSE(r->called("help:NOTE: read error")); // the first error was in record 1
    EXPECT_TRUE(r->called("help:NOTE: Mis-match expected # lines"));
    EXPECT_TRUE(r->called("msgbox:NOTE: there are data or control file errors. View output log $ kind=ok"));
}

TEST(FixedFormat, AFormatThatCannotBeInterpretedEndsTheReading)
{
    auto r = run_data("bad\nx\n*\nx i 1\n*\n(F4.1,Q9)\nDATA\n", " 1.5\n 2.5\n", "bad.dat");
    EXPECT_EQ(r->r.nread, 0);
    EXPECT_TRUE(r->novalid);
    EXPECT_TRUE(r->called("msgbox:End of data file and apparently no valid data$ kind=ok"));
}

TEST(FixedFormat, FieldsOfOnlyAPointOrASignAreMissingAndTheRecordKept)
{
    auto r = run_data(kFixed,
                      "A001  25 1  2\n"
                      "A002   . 0  1\n"
                      "A003  -  1  1\n"
                      "A004   + 1  1\n"
                      "A005 1.0 .  1\n",
                      "dots.dat");
    ASSERT_EQ(r->r.nread, 5);
    EXPECT_EQ(r->r.errors, 0);
    for (int i : {2, 3, 4}) EXPECT_EQ(r->x(i, "x"), kMissing) << i;
    EXPECT_EQ(r->x(5, "y"), kMissing);
    EXPECT_FLOAT_EQ(r->x(5, "x"), 1.0f);
    EXPECT_EQ(r->d.obswt, (std::vector<int>{2, 1, 1, 1, 1}));
    // The missing x is excluded from the cut on x.
    EXPECT_EQ(r->ab(2, 2), 255);
}

TEST(FixedFormat, ValuesThatAreNotFiniteInSinglePrecisionCannotBeRead)
{
    // NaN, Inf, 1e999 and 1e99 (beyond single precision) are read errors: each
    // record is skipped with its log lines; 1e2 is the number 100.
    auto r = run_data("F\na b\n*\na i 2\n*\n(2F5.0)\nDATA\n",
                      "    1    2\n  nan    5\n    3  inf\n 1e99    6\n1e999    7\n  1e2    8\n", "nonfinite.dat");
    ASSERT_EQ(r->r.nread, 2);
    EXPECT_EQ(r->x(1, "a"), 1);
    EXPECT_EQ(r->x(2, "a"), 100);
    EXPECT_EQ(r->x(2, "b"), 8);
    EXPECT_EQ(r->r.rejected_records, 4);
    EXPECT_EQ(r->count_logged("ERROR: Data READ error in record     2 Record skipped. It is:"), 4);
    for (const char* rec : {"  nan    5", "    3  inf", " 1e99    6", "1e999    7"})
        EXPECT_TRUE(r->logged(rec)) << rec;
    EXPECT_TRUE(r->called("help:NOTE: read error"));
}
