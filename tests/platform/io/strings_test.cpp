// The shared text helpers: which characters trimming takes, lower case of ASCII
// only, one pair of quotes, and integers that fill the whole text.
#include "platform/io/strings.h"

#include <gtest/gtest.h>

using namespace meru::io;

TEST(StringsTest, TrimTakesOnlyTheGivenBlanks)
{
    EXPECT_EQ(trim("  a b  "), "a b");
    EXPECT_EQ(trim("\t a \r"), "\t a \r"); // blanks only by default
    EXPECT_EQ(trim("\t a \r", " \t\r"), "a");
    EXPECT_EQ(trim("    "), "");
    EXPECT_EQ(trim(""), "");
    EXPECT_EQ(rtrim("  a  "), "  a");
    EXPECT_EQ(rtrim("path \r\n", " \r\n"), "path");
    EXPECT_EQ(rtrim("   "), "");
}

TEST(StringsTest, LowerCaseAndCaseBlindEquality)
{
    EXPECT_EQ(lower("AbC-Z9 \xC4"), "abc-z9 \xC4");
    EXPECT_TRUE(iequals("NaN", "nan"));
    EXPECT_FALSE(iequals("inf", "infinity"));
    EXPECT_FALSE(iequals("a", "b"));
}

TEST(StringsTest, UnquoteTakesOnePairOfEnclosingQuotes)
{
    EXPECT_EQ(unquote("\"AGE\""), "AGE");
    EXPECT_EQ(unquote("\"\"x\"\""), "\"x\"");
    EXPECT_EQ(unquote("\""), "\"");
    EXPECT_EQ(unquote("\"open"), "\"open");
    EXPECT_EQ(unquote("\"\""), "");
}

TEST(StringsTest, WholeTextIntegers)
{
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    for (const Case& c : {Case{"42", true, 42}, Case{"-7", true, -7}, Case{"0", true, 0},
                          Case{"2147483647", true, 2147483647}, Case{"2147483648", false, 0}, Case{"+5", false, 0},
                          Case{" 5", false, 0}, Case{"5 ", false, 0}, Case{"", false, 0}, Case{"x", false, 0}}) {
        int v = 0;
        EXPECT_EQ(to_int(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}
