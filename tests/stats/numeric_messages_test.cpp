// Messages of the special functions: each distinct text shown once per run.
#include "stats/numeric_issues.h"
#include "stats/special_functions.h"

#include <gtest/gtest.h>

using meru::stats::NumericIssues;
using meru::stats::NumericMessages;

TEST(NumericMessages, EachMessageShownOncePerRun)
{
    NumericMessages messages;
    NumericIssues issues;
    std::vector<std::string_view> shown;
    for (int i = 0; i < 5; ++i) {
        meru::stats::gammq(0.5, -1.0, &issues);
        for (std::string_view t : messages.report(issues)) shown.push_back(t);
        EXPECT_FALSE(issues.any());
    }
    meru::stats::betai(1, 1, 2.0, &issues);
    for (std::string_view t : messages.report(issues)) shown.push_back(t);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "x<0 or a<=0 in gammq$");
    EXPECT_EQ(shown[1], "bad argument x in betai $");
    EXPECT_EQ(messages.repeats(), 4);
}
