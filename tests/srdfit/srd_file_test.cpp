// Saved configurations: written and read back, and refused when damaged or of
// another partition.
#include "srdfit/srd_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace meru::srdfit;

namespace {

SavedDiagram sample()
{
    SavedDiagram d;
    d.terms = {{-7}, {8, 3}};
    d.boxes = {{0, 0.25, 0, 1}, {0.125, 0.5, 0.375, 1}};
    d.error = 0.0123456;
    d.e_max = 0.004;
    d.fit_p = 0.98765;
    d.start = "Random";
    return d;
}

} // namespace

TEST(SrdFileTest, SavedAndLoadedBackNextToTheLog)
{
    EXPECT_EQ(srd_path_for("/data/LUNG.LOG"), "/data/LUNG.srd");
    EXPECT_EQ(srd_path_for("/data.d/lung"), "/data.d/lung.srd");
    EXPECT_EQ(srd_path_for("/data/.hidden"), "/data/.hidden.srd");

    const SavedDiagram d = sample();
    EXPECT_EQ(srd_text(d), "MERU rectangle diagram\n"
                           "q 2\n"
                           "term 1 -7\n"
                           "term 2 8 3\n"
                           "rectangle 1 0.000000 0.250000 0.000000 1.000000\n"
                           "rectangle 2 0.125000 0.500000 0.375000 1.000000\n"
                           "fit E 0.012346 E_max 0.004000 P 0.9877 start Random\n");
    const std::string path = (std::filesystem::temp_directory_path() / "meru_srd_file_test.srd").string();
    ASSERT_TRUE(save_srd(path, d));
    const SrdRead r = load_srd(path, d.terms);
    std::remove(path.c_str());
    ASSERT_EQ(r.status, SrdStatus::ok);
    EXPECT_EQ(r.diagram.boxes, d.boxes);
    EXPECT_EQ(r.diagram.start, "Random");
    EXPECT_DOUBLE_EQ(r.diagram.fit_p, 0.9877);
    EXPECT_EQ(load_srd(path, d.terms).status, SrdStatus::missing);
    // Written on another system: CRLF line ends and blank lines are read the same.
    std::string crlf;
    for (char ch : srd_text(d)) crlf += ch == '\n' ? std::string("\r\n\r\n") : std::string(1, ch);
    EXPECT_EQ(parse_srd(crlf, d.terms).status, SrdStatus::ok);
}

TEST(SrdFileTest, AnotherPartitionIsAMismatchAndABrokenFileIsDamaged)
{
    const SavedDiagram d = sample();
    const std::string good = srd_text(d);
    EXPECT_EQ(parse_srd(good, {{-7}, {8}}).status, SrdStatus::mismatch);         // other terms
    EXPECT_EQ(parse_srd(good, {{-7}, {8, 3}, {2}}).status, SrdStatus::mismatch); // other q
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    const std::string damaged[] = {
        "",
        good.substr(0, good.size() / 2),             // cut short
        replaced("MERU rectangle", "MERU triangle"), // not a diagram
        replaced("q 2", "q 7"),                      // more subgroups than a diagram holds
        replaced("q 2", "q two"),
        replaced("term 2 8 3", "term 2 8 x"),
        replaced("term 2 8 3", "term 3 8 3"),               // out of order
        replaced("0.125000 0.500000", "0.500000 0.125000"), // x1 beyond x2
        replaced("0.375000 1.000000", "0.375000 1.500000"), // outside the frame
        replaced("0.375000 1.000000", "0.375000 nan"),
        replaced("0.375000 1.000000", "0.375000"), // a bound missing
        replaced("fit E", "fit X"),
        good + "rectangle 3 0 1 0 1\n", // a line too many
        std::string(70000, 'x'),
    };
    for (const std::string& text : damaged) EXPECT_EQ(parse_srd(text, d.terms).status, SrdStatus::damaged) << text;
}
