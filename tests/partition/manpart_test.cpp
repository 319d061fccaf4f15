// The hand-entry dialog's attribute list and the numbers it adds to the text.
#include "partition/manpart.h"
#include "partition/manpart_tables.h"

#include <gtest/gtest.h>

namespace meru::partition::test {
namespace {

TEST(AttributeEntries, NumbersNamesAndOwnSideLabels)
{
    const files::ControlTables t = make_tables();
    AttributeList l = attribute_entries(t, {3, 2});
    ASSERT_EQ(l.entries.size(), 6u);
    EXPECT_EQ(l.attribute, (std::vector<int>{7, 2, 3, 4, 5, 6}));
    EXPECT_EQ(l.entries[0], "    7: sex=F" + std::string(33, ' ')); // sign byte -1: the other side's label
    EXPECT_EQ(l.entries[1].substr(0, 14), "    2: age>40 ");
    EXPECT_EQ(l.entries[1].size(), 45u);
}

TEST(AddSelected, AppendsAfterTheText)
{
    AttributeList l;
    l.attribute = {2, 3, 12};
    l.entries.resize(3);
    std::string text = "(1 2)";
    EXPECT_TRUE(add_selected(text, {false, true, true}, l));
    EXPECT_EQ(text.substr(0, 15), "(1 2) (3) (12) ");
    text = "";
    EXPECT_TRUE(add_selected(text, {false, true, true}, l));
    EXPECT_EQ(text.substr(0, 10), " (3) (12) ");
    EXPECT_EQ(text.size(), 200u);
}

TEST(AddSelected, StopsAtTwoHundredColumns)
{
    AttributeList l;
    for (int a = 1000; a < 1100; ++a) l.attribute.push_back(a);
    l.entries.resize(l.attribute.size());
    std::string text = "(2)";
    EXPECT_FALSE(add_selected(text, std::vector<bool>(100, true), l));
    EXPECT_EQ(text.size(), 200u);
    EXPECT_EQ(text.substr(190), "6) (1027) "); // 3 + 28 x 7 = 199 columns; the 29th does not fit
}

} // namespace
} // namespace meru::partition::test
