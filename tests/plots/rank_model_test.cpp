#include "plots/rank_model.h"

#include <gtest/gtest.h>

using namespace meru::plots;

TEST(RankModel, SelectionRepairsAndHides)
{
    // Lines: 1 age (2 cuts), 2 lwt (3 cuts), 3 race (1 cut), 4 AGE2 made into the Y.
    const std::vector<int> rankline{2, 1, 3, 4};
    const std::vector<int> ncuts{2, 3, 1, 1};
    const std::vector<int> attoff{0, 2, 5, 6, 7};
    const std::vector<std::string> names{"age", "age", "lwt", "lwt", "lwt", "race", "ind$"};
    const std::vector<int> cols{2, 2, 3, 3, 3, 4, 9};
    const std::vector<std::string> ynames{"low", "ind"};
    const std::vector<int> ycols{1, 2};
    const std::vector<int> added(7, 0);
    RankInputs in{rankline, ncuts, attoff, names, cols, ynames, ycols, added, 0, 57, true};
    std::vector<int> lpf{1, 4, 1, 1}; // line 2's best cut 4 is beyond its 3 cuts
    RankSelection s = rank_selection(in, lpf);
    EXPECT_EQ(lpf[1], 1);
    EXPECT_EQ(s.repaired, (std::vector<int>{2}));
    EXPECT_EQ(s.bad_value, (std::vector<int>{6}));
    EXPECT_EQ(s.best, (std::vector<int>{3, 1, 6, 7}));
    // age hidden by its data column (a Y made from it), ind$ by its name.
    EXPECT_EQ(s.hidden, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(s.s, 2);
    EXPECT_EQ(s.m, 2);
    EXPECT_EQ(lpf_message(6), "N.B.ARRAY BOUND LPF DETECTED LPF= 6");
    EXPECT_EQ(lpf_message(123), "N.B.ARRAY BOUND LPF DETECTED LPF= 123");

    // Censor attribute, and an added attribute with the Add overlay off.
    in.ycols = {};
    in.ynames = {};
    in.censor_att = 6;
    std::vector<int> added2(7, 0);
    added2[2] = 1;
    in.addedno = added2;
    in.add_on = false;
    s = rank_selection(in, lpf);
    EXPECT_EQ(s.hidden, (std::vector<bool>{true, false, true, false}));
}

TEST(RankModel, AtMostFiftyShown)
{
    std::vector<int> rankline(60), ncuts(60, 1), attoff(61), cols(60, 0), lpf(60, 1);
    std::vector<std::string> names(60, "x");
    for (int i = 0; i < 60; ++i) rankline[i] = i + 1, attoff[i + 1] = i + 1;
    RankInputs in{rankline, ncuts, attoff, names, cols, {}, {}, {}, 0, 110, true};
    const RankSelection s = rank_selection(in, lpf);
    EXPECT_EQ(s.s, 60);
    EXPECT_EQ(s.m, 50);
}
