// Recording the censoring choice and its log lines.
#include "stats/censoring_setup.h"

#include "support/recording_services.h"

#include "log_capture.h"

#include <gtest/gtest.h>

#include <vector>

namespace meru::stats {
namespace {

struct Base {
    std::vector<float> y{3, 4, 5, 6};
    std::vector<int> weight{1, 1, 1, 1};
    std::vector<std::uint8_t> mask{1, 1, 1, 1};
    // Attribute 2: observations 1 and 3 have byte 0 (label 1 "Alive").
    std::vector<std::uint8_t> abyte{0, 0, 0, 1, 0, 0, 0, 1};
    SampleView view() const
    {
        SampleView v;
        v.abyte = AttributeMatrix(abyte, 2, 4);
        v.y = y;
        v.mask = mask;
        v.weights = weight;
        return v;
    }
};

TEST(CensoringSetup, ChosenSideIsRecordedLoggedAndCounted)
{
    Base b;
    Censoring c;
    test::RecordingServices sv;
    Notices told;
    test::LogCapture cap;
    const CensoringChoice choice{2, 1, "STATUS", "Alive$", "Dead"};
    EXPECT_TRUE(apply_censoring_choice(choice, false, Criterion::LogRank, b.view(), "Months", c, told, cap.log));
    sv.replay(told, &cap.log);
    EXPECT_TRUE(c.in_force);
    EXPECT_EQ(c.attribute, 2);
    EXPECT_EQ(c.side, 1);
    EXPECT_TRUE(c.is_censored(0));
    EXPECT_EQ(c.other_side, "STATUS Dead ");
    EXPECT_EQ(cap.lines, (std::vector<std::string>{"Censor attribute : STATUS Alive",
                                                   "Log-rank - incidence rates will be calculated"}));
    EXPECT_EQ(sv.calls, std::vector<std::string>{
                            "note: There are       2( 50.00%) censored Months   observations$ [log] kind=cut79"});
}

TEST(CensoringSetup, CancelMeansNoCensoringAndKeptChoiceIsNotCountedAgain)
{
    Base b;
    Censoring c{true, 2, 2, "x"};
    test::RecordingServices sv;
    Notices told;
    test::LogCapture cap;
    EXPECT_FALSE(
        apply_censoring_choice(CensoringChoice{}, false, Criterion::LogRank, b.view(), "Months", c, told, cap.log));
    sv.replay(told, &cap.log);
    EXPECT_FALSE(c.in_force);
    EXPECT_EQ(c.attribute, 1);
    EXPECT_EQ(cap.lines, std::vector<std::string>{"No censoring"});
    EXPECT_TRUE(sv.calls.empty());

    test::LogCapture kept;
    const CensoringChoice choice{2, 2, "STATUS", "Dead", "Alive"};
    EXPECT_FALSE(apply_censoring_choice(choice, true, Criterion::ChiSquare, b.view(), "Months", c, told, kept.log));
    sv.replay(told, &kept.log);
    EXPECT_EQ(kept.lines, std::vector<std::string>{"Censor attribute : STATUS Dead"});
    EXPECT_TRUE(sv.calls.empty());
}

TEST(CensoringSetup, SideTextIsSqueezedToTwentyEightCharacters)
{
    // The name keeps 8 characters and the label 20 before the blanks collapse.
    EXPECT_EQ(censoring_side_text("AVERYLONGNAME", "a label   with   many blanks and more"),
              "AVERYLONa label with man");
    EXPECT_EQ(censoring_side_text("AGE", "Over 65 years of age"), "AGE Over 65 years of age");
}

} // namespace
} // namespace meru::stats
