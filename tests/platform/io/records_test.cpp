// Sequential records: line ends, character reads, backspace and rewind.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io/iostat.h"
#include "platform/io/records.h"
#include "platform/io/temp_dir.h"

using namespace meru::io;
using meru::io::testing::TempDir;

namespace {

std::vector<std::string> all_records(RecordReader& r)
{
    std::vector<std::string> out;
    std::string rec;
    int st;
    while ((st = r.read(rec)) == kOk) out.push_back(rec);
    EXPECT_EQ(st, kEndOfFile);
    return out;
}

std::vector<std::string> records_of(const std::string& text)
{
    RecordReader r;
    r.open_text(text);
    return all_records(r);
}

using Recs = std::vector<std::string>;

} // namespace

TEST(RecordEnds, LfCrLfAndLoneCrEachEndOneRecord)
{
    EXPECT_EQ(records_of("a\nb\r\nc\rd"), (Recs{"a", "b", "c", "d"}));
    EXPECT_EQ(records_of("a\r\n\r\nb\n"), (Recs{"a", "", "b"})); // CRLF is one end, never two
    EXPECT_EQ(records_of("\r\r"), (Recs{"", ""}));
    EXPECT_EQ(records_of("\n\r"), (Recs{"", ""})); // LF then CR: two ends
    EXPECT_EQ(records_of(""), Recs{});
    EXPECT_EQ(records_of("abc"), Recs{"abc"}); // last line without a line end
    EXPECT_EQ(records_of("abc\n"), Recs{"abc"});
    EXPECT_EQ(split_records("a\nb\r\nc\rd"), (Recs{"a", "b", "c", "d"}));
    EXPECT_EQ(split_records("x\r\n"), Recs{"x"});
}

TEST(RecordEnds, FileReadAcrossTheBufferBoundary)
{
    TempDir dir;
    // The CR of a CRLF is the last byte of the first 64 KiB block, its LF the first
    // of the next.
    std::string text(65535, 'x');
    text += "\r\nsecond\rthird\r\n";
    const std::string path = dir.write("big.dat", text);
    RecordReader r;
    ASSERT_EQ(r.open(path), kOk);
    const Recs recs = all_records(r);
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[0].size(), 65535u);
    EXPECT_EQ(recs[1], "second");
    EXPECT_EQ(recs[2], "third");
}

TEST(RecordRead, WidthPadsAndCuts)
{
    RecordReader r;
    r.open_text("abc\nabcdefgh\n");
    std::string rec;
    ASSERT_EQ(r.read(rec, 5), kOk);
    EXPECT_EQ(rec, "abc  ");
    ASSERT_EQ(r.read(rec, 5), kOk);
    EXPECT_EQ(rec, "abcde");
    EXPECT_EQ(r.read(rec, 5), kEndOfFile);
    EXPECT_EQ(r.read(rec, 5), kEndOfFile); // stays at the end
}

// Pieces of any size give the records whole, the last of each marked, across
// line ends and the reader's buffer; skipping a record keeps nothing of it.
TEST(RecordRead, PiecesAndSkipsKeepTheRecords)
{
    TempDir dir;
    const std::string path = dir.write("pieces.dat", std::string(65535, 'x') + "\r\nsecond\rthird\n\nlast");
    for (const std::size_t most : {1, 2, 5, 70000}) {
        RecordReader r;
        ASSERT_EQ(r.open(path), kOk);
        Recs got(1);
        std::string piece;
        bool last = false;
        while (r.read_piece(piece, most, last) == kOk) {
            EXPECT_LE(piece.size(), most);
            got.back() += piece;
            if (last) got.emplace_back();
        }
        EXPECT_EQ(got, (Recs{std::string(65535, 'x'), "second", "third", "", "last", ""})) << most;
        ASSERT_EQ(r.rewind(), kOk);
        EXPECT_EQ(r.read_piece(piece, 3, last), kOk);
        EXPECT_EQ(r.skip_record(), kOk);
        EXPECT_EQ(r.read(piece), kOk);
        EXPECT_EQ(piece, "second");
    }
}

TEST(RecordRead, MissingFileAndClosedReader)
{
    TempDir dir;
    RecordReader r;
    EXPECT_EQ(r.open(dir.file("none.txt")), kErrNotFound);
    std::string rec;
    char c;
    EXPECT_EQ(r.read(rec), kErrNotOpen);
    EXPECT_EQ(r.get_char(c), kErrNotOpen);
}

TEST(CharacterRead, EndOfRecordThenEndOfFile)
{
    RecordReader r;
    r.open_text("ab\r\n\ncd");
    std::string got;
    char c;
    int st;
    while ((st = r.get_char(c)) != kEndOfFile) {
        ASSERT_TRUE(st == kOk || st == kEndOfRecord);
        got += st == kOk ? c : '|';
    }
    EXPECT_EQ(got, "ab||cd|");
    EXPECT_EQ(r.get_char(c), kEndOfFile);
}

TEST(CharacterRead, RecordReadTakesTheRest)
{
    RecordReader r;
    r.open_text("head,rest\nnext");
    char c;
    for (int i = 0; i < 5; ++i) ASSERT_EQ(r.get_char(c), kOk);
    EXPECT_EQ(c, ',');
    std::string rec;
    ASSERT_EQ(r.read(rec), kOk);
    EXPECT_EQ(rec, "rest");
    ASSERT_EQ(r.read(rec), kOk);
    EXPECT_EQ(rec, "next");
}

TEST(Backspace, StepsBackOneRecord)
{
    RecordReader r;
    r.open_text("r1\nr2\r\nr3\r");
    std::string rec;
    EXPECT_EQ(r.backspace(), kOk); // at the first record: nothing happens
    r.read(rec);
    r.read(rec);
    EXPECT_EQ(rec, "r2");
    EXPECT_EQ(r.next_record_number(), 3);
    r.backspace();
    r.read(rec);
    EXPECT_EQ(rec, "r2");
    r.backspace();
    r.backspace();
    r.read(rec);
    EXPECT_EQ(rec, "r1");
}

TEST(Backspace, AfterEndOfFileAndWithinARecord)
{
    RecordReader r;
    r.open_text("r1\nr2\nr3");
    std::string rec;
    while (r.read(rec) == kOk) {}
    r.backspace(); // before the end of file: the next read meets it again
    EXPECT_EQ(r.read(rec), kEndOfFile);
    r.backspace();
    r.backspace();
    ASSERT_EQ(r.read(rec), kOk);
    EXPECT_EQ(rec, "r3");

    r.rewind();
    char c;
    r.get_char(c);
    r.get_char(c);
    r.backspace(); // back to the start of the record being read
    ASSERT_EQ(r.read(rec), kOk);
    EXPECT_EQ(rec, "r1");
}

TEST(Backspace, FileRecordsWithMixedEnds)
{
    TempDir dir;
    const std::string path = dir.write("mixed.txt", "one\rtwo\r\nthree\nfour");
    RecordReader r;
    ASSERT_EQ(r.open(path), kOk);
    EXPECT_EQ(all_records(r), (Recs{"one", "two", "three", "four"}));
    std::string rec;
    for (int i = 0; i < 3; ++i) r.backspace();
    ASSERT_EQ(r.read(rec), kOk);
    EXPECT_EQ(rec, "three");
    r.rewind();
    ASSERT_EQ(r.read(rec), kOk);
    EXPECT_EQ(rec, "one");
}
