// What the data readers return of what they met: the notes of each record in
// the order met, and the counts the notes of the whole file are written from.
// Reading itself writes nothing and asks nothing.
#include "data_fixture.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using meru::files::ReadNote;
using meru::test::read_data;
using Kind = ReadNote::Kind;

// (kind, record, variable) of each note.
std::vector<std::tuple<Kind, int, int>> outline(const std::vector<ReadNote>& notes)
{
    std::vector<std::tuple<Kind, int, int>> out;
    for (const auto& n : notes) out.emplace_back(n.kind, n.record, n.var);
    return out;
}

// Reading wrote no log line and only showed its progress.
void reads_quietly(const meru::test::DataRun& r)
{
    EXPECT_EQ(r.lines.size(), r.cf_lines);
    for (std::size_t k = r.cf_calls; k < r.sv.calls.size(); ++k)
        EXPECT_EQ(r.sv.calls[k].rfind("thinking:", 0), 0u) << r.sv.calls[k];
}

TEST(ReadingNotes, FreeFormatNotesComeInTheOrderMetWithTheirPlaces)
{
    // A header of the listed names; record 2 has "+" in a (inadmissible), a number
    // single precision cannot hold in b, a number in the character variable c and
    // a frequency that is not a number; record 3 loses precision again (not noted).
    const auto r = read_data("T\na,b,c,d,_freq_\n*\na i 2\n*\nfree comma\nDATA\n",
                             "a,b,c,d,_freq_\n1,2,x,m,1\n+,123456789,3,f,abc\n5,987654321,y,m,1\n");
    const auto& res = r->r;
    EXPECT_TRUE(res.read_run);
    EXPECT_EQ(outline(res.notes), (std::vector<std::tuple<Kind, int, int>>{{Kind::header_skipped, 0, 0},
                                                                           {Kind::inadmissible, 2, 1},
                                                                           {Kind::precision_lost, 2, 2},
                                                                           {Kind::bad_frequency, 0, 0}}));
    EXPECT_EQ(res.notes[1].ch, '+');
    EXPECT_EQ(res.notes[2].read, 123456789.0);
    EXPECT_EQ(res.notes[2].held, 123456792.0f); // the nearest single-precision value
    EXPECT_EQ(res.nread, 3);
    EXPECT_EQ(res.expected, 3); // four lines less the header
    EXPECT_EQ(res.precision_lost, 2);
    EXPECT_EQ(res.char_vars, 1);  // d
    EXPECT_EQ(res.mixed_vars, 1); // c
    EXPECT_FALSE(res.no_valid_data);
    reads_quietly(*r);
}

TEST(ReadingNotes, FixedFormatErrorsAndAFormatThatCannotBeRead)
{
    // Record 1 is taken for a header; record 3 cannot be read either and is the
    // second error of the file; the others are read.
    const auto r = read_data("F\na b\n*\na i 2\n*\n(2F3.0)\nDATA\n", "A001 x.0 0  1\n  1  2\n  3  x\n  5  6\n");
    EXPECT_EQ(outline(r->r.notes),
              (std::vector<std::tuple<Kind, int, int>>{{Kind::possible_header, 0, 0}, {Kind::read_error, 2, 0}}));
    EXPECT_EQ(r->r.notes[1].text, "  3  x");
    EXPECT_FALSE(r->r.notes[1].first_error);
    EXPECT_EQ(r->r.nread, 2);
    EXPECT_EQ(r->r.expected, 4);
    EXPECT_EQ(r->r.rejected_records, 2);
    reads_quietly(*r);

    const auto bad = read_data("F\na b\n*\na i 2\n*\n(2Q3.0\nDATA\n", "  1  2\n");
    EXPECT_EQ(outline(bad->r.notes), (std::vector<std::tuple<Kind, int, int>>{{Kind::bad_format, 1, 0}}));
    EXPECT_TRUE(bad->r.no_valid_data);
    EXPECT_TRUE(bad->novalid);
    EXPECT_EQ(bad->r.nread, 0);
    EXPECT_EQ(bad->r.expected, 1);
}

} // namespace
