// The cross-tabulation written to the log and its misclassification error, on
// tables made by hand (errors worked out as 100 (1 - diagonal / total)).
#include "stats/log_capture.h"
#include "tree/classtab.h"

#include <gtest/gtest.h>

namespace meru::test {
namespace {

tree::CrossTab table(std::initializer_list<std::tuple<int, int, int>> cells)
{
    tree::CrossTab t;
    for (auto [x, y, n] : cells) t.at(x, y) = n;
    return t;
}

TEST(ClassTab, MisclassificationOverTheWholeTable)
{
    const auto three = table({{0, 0, 5}, {0, 1, 2}, {1, 0, 1}, {1, 1, 7}, {1, 2, 3}, {2, 1, 2}, {2, 2, 9}});
    auto with_missing = three;
    with_missing.at(-1, 1) = 2;
    with_missing.at(2, -1) = 1;
    auto only_missing = table({{-1, -1, 4}});
    const struct {
        const tree::CrossTab* t;
        double error;
    } cases[] = {
        {&three, 100.0 * 8.0 / 29.0},         // diagonal 21 of 29
        {&with_missing, 100.0 * 11.0 / 32.0}, // the missing row and column count in N
        {&only_missing, 100.0},               // the missing cell is no agreement
    };
    for (const auto& c : cases) EXPECT_NEAR(tree::misclassification(*c.t), c.error, 1e-12);
    EXPECT_EQ(tree::misclassification(tree::CrossTab{}), -1.0);

    EXPECT_FALSE(three.has_missing());
    EXPECT_TRUE(with_missing.has_missing());
    with_missing.drop_missing();
    EXPECT_FALSE(with_missing.has_missing());
    EXPECT_NEAR(tree::misclassification(with_missing), 100.0 * 8.0 / 29.0, 1e-12);
    // Codes 35 agree like any other; a code pair off the diagonal does not.
    EXPECT_NEAR(tree::misclassification(table({{35, 35, 3}, {35, 34, 1}})), 25.0, 1e-12);
}

TEST(ClassTab, WritesNonEmptyRowsAndColumnsWithTotals)
{
    // Rows 2 and 5 only (rows 0, 1, 3, 4 empty), columns 0 and 5, and a missing row.
    const auto t = table({{2, 0, 4}, {2, 5, 1}, {5, 5, 6}, {-1, 0, 2}, {5, 0, 10}});
    LogCapture cap;
    const double e = tree::classtab(cap.log, t, {"thick", "malig", false, false});
    EXPECT_NEAR(e, 100.0 * (1.0 - 6.0 / 23.0), 1e-12);
    EXPECT_EQ(cap.lines, (std::vector<std::string>{
                             " Cross-tab of rows thick by columns malig", "               0       5   Total",
                             "       -       2       0       2", "       2       4       1       5",
                             "       5      10       6      16", "   Total      16       7      23"}));
}

TEST(ClassTab, CharacterCodesAndAnEmptyTable)
{
    // Codes 10 and 11 are A and B for a character variable; the numeric side shows 10.
    const auto t = table({{10, 10, 3}, {11, 10, 1}, {11, -1, 2}});
    LogCapture cap;
    EXPECT_NEAR(tree::classtab(cap.log, t, {"grp", "code", true, false}), 100.0 * 3.0 / 6.0, 1e-12);
    EXPECT_EQ(cap.lines,
              (std::vector<std::string>{" Cross-tab of rows grp by columns code", "               -      10   Total",
                                        "       A       0       3       3", "       B       2       1       3",
                                        "   Total       2       4       6"}));
    LogCapture empty;
    EXPECT_EQ(tree::classtab(empty.log, tree::CrossTab{}, {"a", "b", false, false}), -1.0);
    EXPECT_EQ(empty.lines, (std::vector<std::string>{" Cross-tab of rows a by columns b", " no counts"}));
}

} // namespace
} // namespace meru::test
