// Counting a data file's records: line feeds, lone carriage returns, CR LF pairs,
// and unreadable fixed-format records.
#include "mainloop/recordcount.h"

#include <gtest/gtest.h>

#include <string>

namespace meru::test {
namespace {

using mainloop::count_records;

TEST(RecordCount, FreeFormatLineEnds)
{
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += "1,2\n";
    auto r = count_records(ten, true);
    EXPECT_EQ(r.n, 10);
    EXPECT_FALSE(r.hascr);

    EXPECT_EQ(count_records("1,2\n3,4", true).n, 2); // a last line without its line feed
    EXPECT_EQ(count_records("", true).n, 0);
    EXPECT_EQ(count_records("\n", true).n, 1);

    // Lines separated by carriage returns alone: each one counts, and so does the
    // end of the one record they make when text follows the last one.
    r = count_records("1 2\r3 4\r5 6", true);
    EXPECT_EQ(r.n, 3);
    EXPECT_TRUE(r.hascr);
    EXPECT_EQ(count_records("1 2\r3 4\r5 6\r", true).n, 3);

    // CR LF ends one line, with or without a line end after the last line.
    r = count_records("a,b\r\n1,2\r\n3,4\r\n", true);
    EXPECT_EQ(r.n, 3);
    EXPECT_FALSE(r.hascr);
    EXPECT_EQ(count_records("a,b\r\n1,2\r\n3,4", true).n, 3);
}

TEST(RecordCount, FixedFormatRecords)
{
    EXPECT_EQ(count_records("  1  2\n  3  4\n", false).n, 2);
    EXPECT_EQ(count_records("  1  2\r\n  3  4\r\n", false).n, 2);
    EXPECT_EQ(count_records("  1  2\r  3  4", false).n, 2);
    const auto bad = count_records(std::string("  1  2\n  3\0 4\n", 14), false);
    EXPECT_TRUE(bad.bad);
}

TEST(RecordCount, ACountInPiecesEqualsTheCountOfTheWhole)
{
    // Every split of each text into two or three pieces, for both layouts: a
    // carriage return at the end of a piece is only known to be lone from the next.
    const std::string texts[] = {"1 2\r3 4\r5 6", "a,b\r\n1,2\r\n3,4",          "x\ry\n\r\n\r", "\r\r\n\n",
                                 "1\n2\r",        std::string("  1\r\n\0 2", 9)};
    for (const std::string& t : texts) {
        for (const bool freefmt : {true, false}) {
            const auto whole = count_records(t, freefmt);
            for (std::size_t a = 0; a <= t.size(); ++a) {
                for (std::size_t b = a; b <= t.size(); ++b) {
                    mainloop::RecordCounter c(freefmt);
                    c.feed(std::string_view(t).substr(0, a));
                    c.feed(std::string_view(t).substr(a, b - a));
                    c.feed(std::string_view(t).substr(b));
                    const auto parts = c.finish();
                    EXPECT_EQ(parts.n, whole.n) << a << " " << b;
                    EXPECT_EQ(parts.hascr, whole.hascr) << a << " " << b;
                    EXPECT_EQ(parts.bad, whole.bad) << a << " " << b;
                }
            }
        }
    }
    // Two lone carriage returns and two line feeds; nothing follows the last.
    EXPECT_EQ(count_records("x\ry\n\r\n\r", true).n, 4);
}

} // namespace
} // namespace meru::test
