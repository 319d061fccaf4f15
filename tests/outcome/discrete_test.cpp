// The discrete-Y dialog's loop: the texts it shows, Reverse order, Re-order with
// a typed order (a permutation of the codes only), Help, Cancel and the log.
#include "outcome/discrete.h"
#include "stats/log_capture.h"
#include "support/recording_services.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace meru::outcome {
namespace {

class StepDialogs : public YDialogs {
public:
    std::deque<std::function<int(DiscreteView&)>> steps;
    std::vector<DiscreteView> seen;
    int select_y(const std::vector<std::string>&, std::vector<bool>&) override { return kCancel; }
    int attribute_y(const std::vector<std::string>&, std::vector<bool>&) override { return kCancel; }
    int discrete(DiscreteView& v) override
    {
        seen.push_back(v);
        if (steps.empty()) return kCancel;
        auto f = steps.front();
        steps.pop_front();
        return f(v);
    }
};

struct DiscreteRun {
    DiscreteChoice c{{0, 1, 2}, {10, 20, 30}, {0, 1, 2}, "Y", true, false, false};
    StepDialogs dialogs;
    test::RecordingServices sv;
    test::LogCapture log;
    std::string msgline;
    bool run() { return discrete(c, dialogs, sv, log.log, msgline); }
};

int press(int id) { return id; }

TEST(DiscreteDialog, ReverseThenReorderShowsTheFrequenciesInOrder)
{
    DiscreteRun r;
    r.dialogs.steps = {[](DiscreteView&) { return press(ids::kReverse); },
                       [](DiscreteView& v) {
                           v.neworder = "0 1 2";
                           return press(ids::kReorder);
                       },
                       [](DiscreteView&) { return press(kOk); }};
    EXPECT_TRUE(r.run());
    ASSERT_EQ(r.dialogs.seen.size(), 3u);
    EXPECT_EQ(r.dialogs.seen[0].variable, "Variable: Y         ");
    EXPECT_EQ(r.dialogs.seen[0].order, "  0  1  2");
    EXPECT_EQ(r.dialogs.seen[0].frequency, " 10 20 30");
    EXPECT_EQ(r.dialogs.seen[1].order, "  2  1  0");
    EXPECT_EQ(r.dialogs.seen[1].neworder, "  2  1  0");
    EXPECT_EQ(r.dialogs.seen[1].frequency, " 30 20 10");
    EXPECT_EQ(r.dialogs.seen[2].frequency, " 10 20 30");
    EXPECT_EQ(r.c.order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(r.log.lines, (std::vector<std::string>{" Doing ordinal analysis", " Ascending analysis"}));
}

TEST(DiscreteDialog, LettersAreCodesAndABadOrderIsRefused)
{
    std::vector<int> codes;
    EXPECT_TRUE(read_order("a b", 2, codes));
    EXPECT_EQ(codes, (std::vector<int>{10, 11}));
    EXPECT_EQ(order_text({10, 11}), "  A  B");
    EXPECT_FALSE(read_order("1", 2, codes));
    EXPECT_TRUE(is_permutation_of({2, 0, 1}, {0, 1, 2}));
    EXPECT_FALSE(is_permutation_of({2, 2, 1}, {0, 1, 2}));
    EXPECT_FALSE(is_permutation_of({2, 0, 100}, {0, 1, 2}));

    DiscreteRun r;
    r.dialogs.steps = {[](DiscreteView& v) {
                           v.neworder = "1,1,2";
                           return press(ids::kReorder);
                       },
                       [](DiscreteView&) { return press(kOk); }};
    EXPECT_TRUE(r.run());
    ASSERT_EQ(r.dialogs.seen.size(), 2u);
    EXPECT_EQ(r.c.order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(r.sv.with_prefix("msgbox:").size(), 1u);
    EXPECT_EQ(r.dialogs.seen[1].neworder, "  0  1  2");

    // Too few items cannot be read: the order is kept and the dialog ends as OK.
    DiscreteRun s;
    s.dialogs.steps = {[](DiscreteView& v) {
        v.neworder = "2 1";
        v.ordinal = false;
        v.nominal = true;
        return press(ids::kReorder);
    }};
    EXPECT_TRUE(s.run());
    EXPECT_EQ(s.c.order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(s.log.lines, (std::vector<std::string>{" Cannot read newovalues", " Doing nominal analysis",
                                                     " Ascending analysis"}));
    EXPECT_TRUE(s.c.nominal && !s.c.ordinal);
}

TEST(DiscreteDialog, CancelHelpAndNumericChoice)
{
    DiscreteRun cancel;
    EXPECT_FALSE(cancel.run());
    EXPECT_TRUE(cancel.log.lines.empty());
    EXPECT_TRUE(cancel.c.ordinal);

    DiscreteRun numeric;
    numeric.dialogs.steps = {[](DiscreteView&) { return press(ids::kDiscreteHelp); },
                             [](DiscreteView& v) {
                                 v.nofrag = true;
                                 v.ordinal = false;
                                 v.descending = true;
                                 return press(kOk);
                             }};
    EXPECT_TRUE(numeric.run());
    EXPECT_EQ(numeric.sv.calls, std::vector<std::string>{"help:Help: Discrete Y 2<categories<=5"});
    EXPECT_EQ(numeric.msgline, "Help: Discrete Y 2<categories<=5");
    EXPECT_FALSE(numeric.c.descending || numeric.c.ordinal || numeric.c.nominal);
    EXPECT_EQ(numeric.log.lines, std::vector<std::string>{" Treated as numeric"});

    DiscreteRun missing;
    missing.dialogs.steps = {[](DiscreteView&) { return kDialogMissing; }};
    EXPECT_FALSE(missing.run());
    EXPECT_EQ(missing.log.lines, std::vector<std::string>{" Error: dialog box discrete  not found"});
}

} // namespace
} // namespace meru::outcome
