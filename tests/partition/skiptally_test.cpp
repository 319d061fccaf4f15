// The skip tally and its report.
#include "captured_log.h"
#include "partition/skiptally.h"

#include <gtest/gtest.h>

namespace meru::partition::test {
namespace {

TEST(SkipTally, EmptyReportWritesNothing)
{
    SkipTally t;
    CapturedLog cap;
    EXPECT_EQ(skip_report(t, true, cap.log), 0);
    EXPECT_TRUE(cap.lines.empty());
}

TEST(SkipTally, DetailedReportUsesIsForOneAndAreForMore)
{
    SkipTally t;
    skip_add(t, 1, 3);
    skip_add(t, 3);
    CapturedLog cap;
    EXPECT_EQ(skip_report(t, true, cap.log), 4);
    // (the log drops the trailing blanks of the 40-character reason texts)
    EXPECT_EQ(cap.lines, (std::vector<std::string>{"      3 are skipped because  Array or Algebra Fail in REDUCE",
                                                   "      1 is  skipped because  Null partition N=0"}));
    cap.lines.clear();
    EXPECT_EQ(skip_report(t, true, cap.log), 0); // the report emptied the counters
    EXPECT_TRUE(cap.lines.empty());
}

TEST(SkipTally, WithoutDetailedOutputOnlyTheTotalComesBack)
{
    SkipTally t;
    skip_add(t, 1, 3);
    skip_add(t, 3);
    CapturedLog cap;
    EXPECT_EQ(skip_report(t, false, cap.log), 4);
    EXPECT_TRUE(cap.lines.empty());
}

TEST(SkipTally, MaxpLinesAreAlwaysWritten)
{
    SkipTally t;
    skip_add(t, kSkipExpandFail, 2);
    skip_add(t, kSkipTransFail, 1);
    CapturedLog cap;
    EXPECT_EQ(skip_report(t, false, cap.log), 3);
    EXPECT_EQ(cap.lines,
              (std::vector<std::string>{"NOTE: MAXP exceedance violated in TRANS    1 times. Combination skipped",
                                        "NOTE: MAXP exceedance violated in EXPAND    2 times. Combination skipped"}));
}

TEST(SkipTally, InterruptionIsReportedButNotCounted)
{
    SkipTally t;
    skip_add(t, kSkipInterrupted, 7);
    skip_add(t, 12, 2);
    skip_add(t, 8, 1234567);
    CapturedLog cap;
    EXPECT_EQ(skip_report(t, true, cap.log), 1234569);
    EXPECT_EQ(cap.lines,
              (std::vector<std::string>{"  1234567 are skipped because  Already covered; no added attribute",
                                        "      Remaining      7 lost because  user interrupted search",
                                        "      All are skipped because  search is null or G<=0"}));
}

TEST(SkipTally, ReasonTextsAreFortyCharacters)
{
    for (int k = 1; k <= kSkipReasons; ++k) {
        EXPECT_EQ(skip_reason(k).size(), 40u);
        EXPECT_EQ(skip_reason(k)[0], ' ');
    }
    EXPECT_EQ(skip_reason(6), " Less than initial specified \"upto\"     ");
}

} // namespace
} // namespace meru::partition::test
