// List-directed reading of numbers from text.
#include <array>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io/iostat.h"
#include "platform/io/listread.h"

using namespace meru::io;

TEST(ParseReal, NumberForms)
{
    EXPECT_EQ(parse_real("1.5"), 1.5);
    EXPECT_EQ(parse_real("+3"), 3.0);
    EXPECT_EQ(parse_real("-.5"), -0.5);
    EXPECT_EQ(parse_real("5."), 5.0);
    EXPECT_EQ(parse_real("1.5e3"), 1500.0);
    EXPECT_EQ(parse_real("1.5D2"), 150.0);
    EXPECT_EQ(parse_real("1.5+3"), 1500.0); // exponent written as a bare sign
    EXPECT_EQ(parse_real("25E-1"), 2.5);
    EXPECT_FALSE(parse_real(".").has_value());
    EXPECT_FALSE(parse_real("1.2.3").has_value());
    EXPECT_FALSE(parse_real("1e").has_value());
    EXPECT_FALSE(parse_real("abc").has_value());
    EXPECT_FALSE(parse_real("").has_value());
    // Only finite numbers are numbers.
    for (const char* t : {"NaN", "nan", "-Infinity", "inf", "1e999", "-2.5D400"})
        EXPECT_FALSE(parse_real(t).has_value()) << t;
    EXPECT_EQ(parse_real("1e-999"), 0.0);
}

TEST(ParseInt, DigitsOnly)
{
    EXPECT_EQ(parse_int("42"), 42);
    EXPECT_EQ(parse_int("-7"), -7);
    EXPECT_FALSE(parse_int("3.5").has_value());
    EXPECT_FALSE(parse_int("+").has_value());
    EXPECT_FALSE(parse_int("99999999999999999999").has_value());
}

TEST(ListRead, SeparatorsNullsRepeatsAndSlash)
{
    std::array<double, 3> v{9, 9, 9};
    EXPECT_EQ(list_read(" 1, 2.5   3", v), kOk);
    EXPECT_EQ(v, (std::array<double, 3>{1, 2.5, 3}));

    v = {9, 9, 9};
    EXPECT_EQ(list_read("1,,3", v), kOk); // a null value leaves its target
    EXPECT_EQ(v, (std::array<double, 3>{1, 9, 3}));

    v = {9, 9, 9};
    EXPECT_EQ(list_read("2*5 1", v), kOk);
    EXPECT_EQ(v, (std::array<double, 3>{5, 5, 1}));

    v = {9, 9, 9};
    EXPECT_EQ(list_read("1\t2 / 3", v), kEndOfFile); // the slash ends the list
    EXPECT_EQ(v, (std::array<double, 3>{1, 2, 9}));

    EXPECT_EQ(list_read("4 5", v), kEndOfFile);
    EXPECT_GT(list_read("1 x 3", v), 0);
}

TEST(ListRead, IntegersAndFirstValue)
{
    std::array<int, 2> n{};
    EXPECT_EQ(list_read("12 -3", n), kOk);
    EXPECT_EQ(n, (std::array<int, 2>{12, -3}));
    EXPECT_GT(list_read("12 3.5", n), 0);
    EXPECT_EQ(list_read_int(" 42 "), 42);
    EXPECT_FALSE(list_read_int("3.5").has_value());
    EXPECT_EQ(list_read_real("  7.25, 8"), 7.25);
    EXPECT_FALSE(list_read_real("   ").has_value());
    EXPECT_FALSE(list_read_real("-").has_value());
}
