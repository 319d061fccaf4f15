// Messages of the special functions: each distinct text shown once per run.
#include "stats/numeric_issues.h"
#include "stats/special_functions.h"
#include "support/recording_services.h"

#include <gtest/gtest.h>

using meru::stats::NumericIssues;
using meru::stats::NumericMessages;

TEST(NumericMessages, EachMessageShownOncePerRun)
{
    meru::test::RecordingServices ui;
    NumericMessages messages(ui);
    NumericIssues issues;
    for (int i = 0; i < 5; ++i) {
        meru::stats::gammq(0.5, -1.0, &issues);
        messages.report(issues);
        EXPECT_FALSE(issues.any());
    }
    meru::stats::betai(1, 1, 2.0, &issues);
    messages.report(issues);
    ASSERT_EQ(ui.calls.size(), 2u);
    EXPECT_EQ(ui.calls[0], "msgok:x<0 or a<=0 in gammq$");
    EXPECT_EQ(ui.calls[1], "msgok:bad argument x in betai $");
    EXPECT_EQ(messages.repeats(), 4);
}
