#include "files/charcodes.h"

#include <gtest/gtest.h>

using namespace meru::files;

TEST(CharCodes, CodeTable)
{
    EXPECT_EQ(charcode('0'), 0);
    EXPECT_EQ(charcode('9'), 9);
    EXPECT_EQ(charcode('a'), 10);
    EXPECT_EQ(charcode('A'), 10);
    EXPECT_EQ(charcode('z'), 35);
    EXPECT_EQ(charcode('Z'), 35);
    EXPECT_EQ(charcode('_'), 100);
    EXPECT_EQ(charcode('-'), 100);
    EXPECT_EQ(codechar(-1), '-');
    EXPECT_EQ(codechar(-999), '-');
    EXPECT_EQ(codechar(0), '0');
    EXPECT_EQ(codechar(10), 'A');
    EXPECT_EQ(codechar(35), 'Z');
    EXPECT_EQ(codechar(36), '?');
    for (int c = 0; c <= 35; ++c) EXPECT_EQ(charcode(codechar(c)), c);
}

TEST(CharCodes, Instate)
{
    EXPECT_TRUE(instate(10, "ABC"));
    EXPECT_FALSE(instate(10.5, "ABC"));
    EXPECT_FALSE(instate(13, "ABC"));
    EXPECT_TRUE(instate(-3, "01-"));
    EXPECT_TRUE(instate(-999, "01-"));
    EXPECT_FALSE(instate(-3, "012345-")); // "-" in column 7 is not seen
    EXPECT_TRUE(instate(1, "01-"));
    EXPECT_FALSE(instate(2, "01-"));
    EXPECT_FALSE(instate(19, "0123456789ABCDEFGHIJ")); // J stands in column 20
    EXPECT_TRUE(in_code_set(19, "0123456789ABCDEFGHIJ"));
    EXPECT_TRUE(in_code_set(-1, "0123456789ABCDEFGHIJ-"));
    EXPECT_FALSE(in_code_set(2.5, "23"));
}
