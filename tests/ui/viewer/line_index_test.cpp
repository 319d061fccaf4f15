// The viewer's line index: lines as the record reader splits them under every
// line end, across block boundaries, extended over appended bytes; and the search
// in the first 80 columns, checked against a line-by-line search.
#include "platform/io/records.h"
#include "support/temp_path.h"
#include "ui/viewer/line_index.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace meru::ui::viewer {
namespace {

void write_file(const std::string& path, const std::string& bytes, bool append = false)
{
    std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    out << bytes;
}

std::vector<std::string> all_lines(const LineIndex& index, std::size_t width = 5000)
{
    return index.lines(0, index.lines(), width);
}

TEST(LineIndex, EveryLineEndSplitsAsTheRecordReaderDoes)
{
    std::mt19937 rng(7);
    const char* ends[] = {"\n", "\r", "\r\n"};
    const std::string path = test::temp_path("mixed.txt");
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const int nlines = static_cast<int>(rng() % 30);
        for (int i = 0; i < nlines; ++i) {
            text += std::string(rng() % 12, static_cast<char>('a' + i % 26));
            if (i + 1 < nlines || rng() % 2) text += ends[rng() % 3];
        }
        write_file(path, text);
        LineIndex index;
        ASSERT_TRUE(index.open(path));
        EXPECT_EQ(all_lines(index), io::split_records(text)) << "round " << round;
        EXPECT_EQ(index.lines(), static_cast<long long>(io::split_records(text).size()));
    }
}

TEST(LineIndex, LineEndsAcrossTheBlockBoundary)
{
    // A carriage return as the last byte of the first 1 MiB block and its line
    // feed as the first byte of the next: one line end.
    const std::size_t block = std::size_t{1} << 20;
    std::string text(block - 1, 'x');
    text += "\r\nnext\rlast";
    const std::string path = test::temp_path("boundary.txt");
    write_file(path, text);
    LineIndex index;
    ASSERT_TRUE(index.open(path));
    ASSERT_EQ(index.lines(), 3);
    EXPECT_EQ(index.line(1, 80), "next");
    EXPECT_EQ(index.line(2, 80), "last");
    EXPECT_EQ(index.line(0, 3), "xxx");
}

TEST(LineIndex, ExtendsOverAppendedBytesAndRebuildsAReplacedFile)
{
    const std::string path = test::temp_path("grow.txt");
    write_file(path, "a\nb");
    LineIndex index;
    ASSERT_TRUE(index.open(path));
    EXPECT_EQ(all_lines(index), (std::vector<std::string>{"a", "b"}));
    index.close();

    write_file(path, "c\r", true); // the open last line goes on, ended by a CR
    ASSERT_TRUE(index.open(path));
    EXPECT_EQ(all_lines(index), (std::vector<std::string>{"a", "bc"}));
    index.close();

    write_file(path, "\nd\n", true); // the LF belongs to the CR before it
    ASSERT_TRUE(index.open(path));
    EXPECT_EQ(all_lines(index), (std::vector<std::string>{"a", "bc", "d"}));
    index.close();

    write_file(path, "other\nfile\nlonger than before\n"); // replaced, and longer
    ASSERT_TRUE(index.open(path));
    EXPECT_EQ(all_lines(index), (std::vector<std::string>{"other", "file", "longer than before"}));

    EXPECT_FALSE(index.open(test::temp_path("missing.txt")));
    EXPECT_EQ(index.lines(), 0);
}

TEST(LineIndex, SearchLooksAtTheFirst80ColumnsBlankPadded)
{
    // Case-sensitive; trailing blanks of the needle stand past a line's end; a
    // needle must end by column 80.
    EXPECT_TRUE(holds("%time12:00:00:00", "%time12:00:00:00   "));
    EXPECT_FALSE(holds("%time12:00:00:00x", "%time12:00:00:00   "));
    EXPECT_FALSE(holds("NOTE", "note"));
    EXPECT_TRUE(holds(std::string(60, '.') + "abc", "abc"));
    EXPECT_TRUE(holds(std::string(77, '.') + "abc", "abc"));
    EXPECT_FALSE(holds(std::string(78, '.') + "abc", "abc"));
    EXPECT_TRUE(holds("", ""));
    EXPECT_TRUE(holds("abc", "   "));

    const std::string path = test::temp_path("find.txt");
    write_file(path, "one\r\ntwo abc\r\n" + std::string(78, '-') + "abc\r\nabc\r\nx  \r\n");
    LineIndex index;
    ASSERT_TRUE(index.open(path));
    EXPECT_EQ(index.find(0, "abc"), 1);
    EXPECT_EQ(index.find(2, "abc"), 3); // the hit past column 80 does not count
    EXPECT_EQ(index.find(4, "abc"), std::nullopt);
    EXPECT_EQ(index.find(3, ""), 3);
    EXPECT_EQ(index.find(0, "x    "), 4);
    EXPECT_EQ(index.find(0, std::string(81, 'a')), std::nullopt);
}

TEST(LineIndex, FindAgreesWithALineByLineSearchOverSeveralBlocks)
{
    // About 6 MiB of lines, so the search crosses read blocks, with one line
    // longer than a block.
    std::mt19937 rng(11);
    std::string text;
    std::vector<std::string> lines;
    for (int i = 0; i < 120000; ++i) {
        std::string line;
        const int len = static_cast<int>(rng() % 90);
        for (int j = 0; j < len; ++j) line += "ab c"[rng() % 4];
        if (i == 50000) line = std::string(5 << 20, 'a') + "zz";
        lines.push_back(line);
        text += line + (i % 3 == 0 ? "\r\n" : "\n");
    }
    const std::string path = test::temp_path("blocks.txt");
    write_file(path, text);
    LineIndex index;
    ASSERT_TRUE(index.open(path));
    ASSERT_EQ(index.lines(), static_cast<long long>(lines.size()));
    for (const std::string needle : {"abcab", "cc c", "aaaab  ", "zz", "bbbbbbb"}) {
        for (long long from : {0LL, 49990LL, 50001LL, 119000LL}) {
            std::optional<long long> expect;
            for (long long k = from; k < static_cast<long long>(lines.size()) && !expect; ++k)
                if (holds(lines[static_cast<std::size_t>(k)], needle)) expect = k;
            EXPECT_EQ(index.find(from, needle), expect) << '"' << needle << "\" from " << from;
        }
    }
}

} // namespace
} // namespace meru::ui::viewer
