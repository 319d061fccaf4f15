// Splitting free-format records: lines of nothing but items and delimiters give
// the same records as the same lines with blanks put in (which the delimited
// layouts drop), item for item, across continuation lines and empty items.
#include "files/splitrec.h"
#include "platform/io/records.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace meru::test {
namespace {

// Every record of `text`, each as its items joined by "|", with "+" for the
// delimiter seen, "$" for the end of the file and, after "@", its last line;
// lines are read `piece` characters at a time.
std::vector<std::string> records(const std::string& text, files::FreeLayout layout, int expected,
                                 std::size_t piece = files::FreeSplitter::kPiece, int most = 1000)
{
    io::RecordReader in;
    in.open_text(text);
    files::FreeSplitter split(in, layout, expected, most, piece);
    files::FreeRecord rec;
    std::vector<std::string> out;
    do {
        split.next(rec);
        std::string r;
        for (int k = 0; k < rec.count; ++k) r += std::string(rec.items[static_cast<std::size_t>(k)].text) + "|";
        out.push_back(r + (rec.delim_seen ? "+" : "") + (rec.eof ? "$" : "@" + std::to_string(rec.line)));
    } while (!rec.eof);
    return out;
}

TEST(FreeSplitter, BlanksDroppedFromDelimitedLinesChangeNoRecord)
{
    std::mt19937 rng(54);
    const std::string alphabet = "19a.,,,";
    for (const char delim : {',', ';'}) {
        const files::FreeLayout layout{true, delim};
        for (int round = 0; round < 300; ++round) {
            std::string plain, blanked;
            const int lines = 1 + static_cast<int>(rng() % 4);
            for (int l = 0; l < lines; ++l) {
                const int len = static_cast<int>(rng() % 40);
                for (int k = 0; k < len; ++k) {
                    char c = alphabet[rng() % alphabet.size()];
                    if (c == ',') c = delim;
                    plain += c;
                    blanked += c;
                    if (rng() % 3 == 0) blanked += ' ';
                }
                plain += '\n';
                blanked += '\n';
            }
            const int expected = 1 + static_cast<int>(rng() % 5);
            EXPECT_EQ(records(plain, layout, expected), records(blanked, layout, expected)) << plain;
        }
    }
    // Long items keep their first 30 characters either way.
    const std::string item(35, '7');
    EXPECT_EQ(records(item + ",," + item + "\n", {true, ','}, 3),
              (std::vector<std::string>{std::string(30, '7') + "|-1|" + std::string(30, '7') + "|+@1", "$"}));
}

// A line is read in pieces: where a piece ends changes no record, in any layout,
// with quotes, blanks, tabs and continuation lines.
TEST(FreeSplitter, PiecesOfAnySizeGiveTheSameRecords)
{
    std::mt19937 rng(71);
    const std::string alphabet = "12a.,, \t\"\n";
    for (const files::FreeLayout layout :
         {files::FreeLayout{true, ','}, files::FreeLayout{true, '\t'}, files::FreeLayout{false, ' '}}) {
        for (int round = 0; round < 200; ++round) {
            std::string text;
            const int len = static_cast<int>(rng() % 60);
            for (int k = 0; k < len; ++k) text += alphabet[rng() % alphabet.size()];
            const int expected = 1 + static_cast<int>(rng() % 4);
            const auto whole = records(text, layout, expected);
            for (const std::size_t piece : {1, 2, 3, 7})
                EXPECT_EQ(records(text, layout, expected, piece), whole) << text << " piece " << piece;
        }
    }
}

} // namespace
} // namespace meru::test
