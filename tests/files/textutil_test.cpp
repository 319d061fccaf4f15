// Text and numeric helpers: splitters, 8.3 names, squeezing, sums.
#include "files/cf_notes.h"
#include "files/textutil.h"

#include <gtest/gtest.h>

using namespace meru::files;

namespace {

std::vector<std::string> names(std::string_view line, char delim, int capacity = 100)
{
    CfNotes notes;
    return splitnames(line, delim, 8, capacity, &notes).fields;
}

} // namespace

TEST(SplitNames, CommaDelimitedFieldsAndEmptyOnes)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(names("x y,z", ','), (V{"x", "y", "z"}));
    EXPECT_EQ(names("x,,z", ','), (V{"x", "", "z"}));
    EXPECT_EQ(names(",x", ','), (V{"", "x"}));
    EXPECT_EQ(names("\"x y\",z", ','), (V{"xy", "z"}));
    EXPECT_EQ(names("a  b\t c", ' '), (V{"a", "b\t", "c"})); // a tab is no separator under the blank
    EXPECT_EQ(names("a\tb", '\t'), (V{"a", "b"}));
    EXPECT_EQ(names("verylongname short", ' '), (V{"verylong", "short"}));
}

TEST(SplitNames, NumberedRanges)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(names("x1:3 y", ' '), (V{"x1", "x2", "x3", "y"}));
    // The count is read from the whole field, not its first 8 characters.
    auto many = names("abcde1:100", ' ', 1000);
    ASSERT_EQ(many.size(), 100u);
    EXPECT_EQ(many.front(), "abcde1");
    EXPECT_EQ(many.back(), "abcde100");

    CfNotes notes;
    auto bad = splitnames("x1:0 y", ' ', 8, 100, &notes);
    EXPECT_TRUE(bad.range_error);
    EXPECT_EQ(notes.items, (std::vector<CfNote>{{CfNote::Kind::help, "ERROR: x1:10 type problem"}}));
    // A name that would not fit 8 characters is refused, not cut.
    CfNotes notes2;
    EXPECT_TRUE(splitnames("abcdefg1:12", ' ', 8, 100, &notes2).range_error);
}

TEST(SplitNames, CapacityStopsStoringButCounts)
{
    auto r = splitnames("a b c x1:9999", ' ', 8, 5, nullptr);
    EXPECT_TRUE(r.overflow);
    EXPECT_EQ(r.fields.size(), 5u);
    EXPECT_EQ(r.count, 3 + 9999);
}

TEST(SplitLine, BlanksAndCommas)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(splitline("  age   i 40 ", ' ', 37), (V{"age", "i", "40"}));
    EXPECT_EQ(splitline("a,,b", ',', 37), (V{"a", "", "b"}));
    EXPECT_EQ(splitline("abcdef", ' ', 3), (V{"abc"}));
}

TEST(Fname83, LogNames)
{
    EXPECT_EQ(fname83("mydata.mrc", "LOG").name, "MYDATA.LOG");
    EXPECT_EQ(fname83("verylongname.mrc", "LOG").name, "VERYLONG.LOG");
    EXPECT_EQ(fname83("  ab cd", "log").name, "AB.LOG");
    EXPECT_EQ(fname83("  verylongname", "LOG").name, "VERYLO.LOG"); // column 9 ends the name
    EXPECT_EQ(fname83("   ", "LOG").status, 1);
}

TEST(LogName, WholeBaseNameBeyondEightCharacters)
{
    EXPECT_EQ(log_name("kyphosis"), "KYPHOSIS.LOG"); // 8 characters: as before
    EXPECT_EQ(log_name("lung"), "LUNG.LOG");
    EXPECT_EQ(log_name("ab cd"), "AB.LOG");
    EXPECT_EQ(log_name("study2024_men"), "STUDY2024_MEN.LOG");
    EXPECT_NE(log_name("study2024_men"), log_name("study2024_women"));
    EXPECT_EQ(log_name("  pima_mass "), "PIMA_MASS.LOG");
}

TEST(Numeric, InterpMeanSdRsumSafediv)
{
    EXPECT_DOUBLE_EQ(interp(0, 5, 0, 9, 3), 5.0);
    EXPECT_DOUBLE_EQ(interp(0, 0, 10, 100, 2.5), 25.0);
    MeanSd one = meansd(4, 16, 1);
    EXPECT_EQ(one.mean, 0);
    EXPECT_EQ(one.sd, 0);
    MeanSd m = meansd(6, 14, 3);
    EXPECT_DOUBLE_EQ(m.mean, 2);
    EXPECT_DOUBLE_EQ(m.var, 1);
    EXPECT_DOUBLE_EQ(m.sd, 1);
    std::vector<double> a{1, 2, 3, 4};
    EXPECT_EQ(rsum(a, 1, 2), 5);
    EXPECT_EQ(rsum(a, 3, 1), 0);
    EXPECT_EQ(safediv(1, 1e-21), 0);
    EXPECT_EQ(safediv(1, 4), 0.25);
}

TEST(TextHelpers, SqueezeNoblanksCharsinAndFlags)
{
    EXPECT_EQ(squeeze("age     >$40   "), "age >40 ");
    EXPECT_EQ(squeeze("a$ b", ' '), "a$b");
    EXPECT_EQ(noblanks(std::string(3000, ' ') + "a b"), "ab"); // the whole text, not 2250 characters
    EXPECT_TRUE(numtoken(" 12.5 "));
    EXPECT_FALSE(numtoken("1a"));
    bool none = false;
    EXPECT_TRUE(charsin("AB ZZ", "ABC", &none));
    EXPECT_FALSE(none);
    EXPECT_FALSE(charsin("XY", "ABC", &none));
    EXPECT_TRUE(none);
    EXPECT_TRUE(charsin(" ", "ABC", &none));
    EXPECT_FALSE(none);
    EXPECT_EQ(yesno(true), "Yes");
    EXPECT_EQ(yesno(false), "No ");
    EXPECT_EQ(alabel(true), " A");
    EXPECT_EQ(alabel(false), "A-");
}
