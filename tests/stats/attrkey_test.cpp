// The texts of a diagram's attribute key.
#include "stats/attrkey.h"

#include "files/textutil.h"

#include <gtest/gtest.h>

using namespace meru;

namespace {

files::ControlTables key_tables()
{
    files::ControlTables t;
    t.natt = 5;
    t.att.resize(6);
    const char* names[] = {".", "AGE$$$$$", "SEX$$$$$", "BMI$$$$$", "SMOKER$$"};
    const char* lab1[] = {"", "<=40", "F", "<=25", "never"};
    const char* lab2[] = {"", ">40", "M", ">25", "ever"};
    for (int a = 1; a <= 5; ++a) {
        t.att[a].attname = names[a - 1];
        t.att[a].attlab = {files::pad(std::string("  ") + lab1[a - 1], files::kLabelLen),
                           files::pad(std::string("  ") + lab2[a - 1], files::kLabelLen)};
    }
    return t;
}

} // namespace

TEST(AttrKey, OneLiteralTermsShowNameAndLabel)
{
    const auto t = key_tables();
    partition::TermList list;
    list.add_term({3});
    list.add_term({-5});
    list.add_term({2, 4});
    const std::vector<int> shown{1, 1, 1};
    // s = 1: attribute 3 shown as itself (label 2), -5 as its complement (label 1).
    // The term of two literals is numbered and defined.
    EXPECT_EQ(stats::attrkey_lines(shown, list, t, 1),
              (std::vector<std::string>{"SEX M", "SMOKER never", "3 AGE >40 & BMI >25"}));
    // The third term's complement shown: "^3".
    const std::vector<int> third_complement{1, 1, 0};
    EXPECT_EQ(stats::attrkey_lines(third_complement, list, t, 1)[2], "^3");
    // s = 0 turns the columns round; so does a side flag other than 1.
    EXPECT_EQ(stats::attrkey_lines(shown, list, t, 0),
              (std::vector<std::string>{"SEX F", "SMOKER ever", "3 AGE <=40 & BMI <=25"}));
    const std::vector<int> first_complement{0, 1, 1};
    EXPECT_EQ(stats::attrkey_lines(first_complement, list, t, 1)[0], "SEX F");
}

TEST(AttrKey, TermNumbersAboveNineInFull)
{
    const auto t = key_tables();
    partition::TermList list;
    for (int j = 0; j < 12; ++j) list.add_term({2, 3});
    std::vector<int> side(12, 1);
    side[11] = 2;
    const auto lines = stats::attrkey_lines(side, list, t, 1);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[9], "10 AGE >40 & SEX M");
    EXPECT_EQ(lines[11], "^12");
}

TEST(AttrKey, EmptyListAndUnknownAttribute)
{
    const auto t = key_tables();
    EXPECT_TRUE(stats::attrkey_lines({}, partition::TermList{}, t, 1).empty());
    partition::TermList list;
    list.add_term({-9});
    EXPECT_EQ(stats::attrkey_lines({}, list, t, 1), std::vector<std::string>{"-9"});
}
