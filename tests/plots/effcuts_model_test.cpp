#include "plots/effcuts_model.h"

#include <gtest/gtest.h>

using namespace meru::plots;

TEST(EffcutsModel, ListSkipsShortLinesAndNumbersRepeatedNames)
{
    const std::vector<int> ncuts{3, 1, 2, 4};
    const std::vector<std::string> names{"age", "race", "age", "lwt"};
    const LineList l = line_list(std::vector<int>{1, 2, 3, 4}, ncuts, names, 2);
    ASSERT_EQ(l.entries.size(), 3u); // the one-cut line is not offered
    EXPECT_EQ(l.entries[0].text, "age      1");
    EXPECT_EQ(l.entries[1].text, "age      2");
    EXPECT_EQ(l.entries[1].line, 3);
    EXPECT_EQ(l.entries[2].text, "lwt     ");
    EXPECT_EQ(line_list(std::vector<int>{2}, ncuts, names, 1).entries.size(), 1u);
    std::vector<int> many(1002, 1);
    EXPECT_EQ(line_list(many, ncuts, names, 1).refused, 2);
}

TEST(EffcutsModel, BestCutFirstStrictMaximumAboveZero)
{
    EXPECT_EQ(effectiveness_best(std::vector<double>{0.1, 0.3, 0.3, 0.2}).cut, 2);
    EXPECT_DOUBLE_EQ(effectiveness_best(std::vector<double>{0.1, 0.3, 0.3, 0.2}).m, 0.3);
    EXPECT_EQ(effectiveness_best(std::vector<double>{0, -1, 0}).cut, 0);
    EXPECT_EQ(effectiveness_best({}).m, 0.0);
}

TEST(EffcutsModel, LogTable)
{
    const std::vector<std::string> labels{"age > 20", "age > 30"};
    const auto log = effcuts_log("age", labels, std::vector<double>{0.125, 0});
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], " Cuts v effectiveness plot drawn for age     ");
    EXPECT_EQ(log[1], "    Cut   Defn                   Effectiveness");
    EXPECT_EQ(log[2], "     1     age > 20             0.125000E+00");
    EXPECT_EQ(log[3].substr(0, 31), "     2     age > 30            ");
}
