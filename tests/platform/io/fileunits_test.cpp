// Files on units: open statuses, sequential and direct access, rewind, backspace.
#include <string>

#include <gtest/gtest.h>

#include "platform/io/fileunits.h"
#include "platform/io/iostat.h"
#include "platform/io/temp_dir.h"

using namespace meru::io;
using meru::io::testing::read_all;
using meru::io::testing::TempDir;
using meru::platform::UnitKind;
using meru::platform::UnitRegistry;

namespace {

struct Fixture {
    TempDir dir;
    UnitRegistry registry;
    FileUnits units{registry};
};

} // namespace

TEST(FileUnitOpen, StatusesOldNewReplaceUnknown)
{
    Fixture fx;
    const std::string p = fx.dir.file("a.txt");
    EXPECT_EQ(fx.units.open(1, {p, FileStatus::Old}), kErrNotFound);
    EXPECT_FALSE(fx.units.is_open(1));
    EXPECT_EQ(fx.units.open(1, {p, FileStatus::Unknown}), kOk); // created
    EXPECT_TRUE(fx.units.is_open(1));
    EXPECT_EQ(fx.units.path(1), p);
    EXPECT_EQ(fx.registry.kind(1), UnitKind::file);
    EXPECT_EQ(fx.units.write(1, "kept"), kOk);
    EXPECT_EQ(fx.units.close(1), kOk);
    EXPECT_EQ(fx.registry.kind(1), UnitKind::none);
    EXPECT_EQ(read_all(p), "kept\n");

    EXPECT_EQ(fx.units.open(2, {p, FileStatus::New}), kErrExists);
    EXPECT_EQ(fx.units.open(2, {p, FileStatus::Old}), kOk);
    std::string rec;
    EXPECT_EQ(fx.units.read(2, rec), kOk);
    EXPECT_EQ(rec, "kept");
    EXPECT_EQ(fx.units.open(2, {p, FileStatus::Replace}), kOk); // reopening closes first
    EXPECT_EQ(fx.units.read(2, rec), kEndOfFile);
    fx.units.close(2);
    EXPECT_EQ(read_all(p), "");
    EXPECT_EQ(fx.units.open(3, {fx.dir.file("no/such/dir/x"), FileStatus::Replace}), kErrOpen);
    EXPECT_EQ(fx.units.close(3), kOk); // closing a unit that holds nothing
}

TEST(FileUnitOpen, AWindowUnitIsNeverAFile)
{
    Fixture fx;
    ASSERT_TRUE(fx.registry.claim(37, UnitKind::window));
    EXPECT_EQ(fx.units.open(37, {fx.dir.file("x"), FileStatus::Unknown}), kErrUnitInUse);
    EXPECT_EQ(fx.registry.kind(37), UnitKind::window);
    EXPECT_EQ(fx.units.close(37), kOk);
    EXPECT_EQ(fx.registry.kind(37), UnitKind::window); // the window keeps its unit
    std::string rec;
    EXPECT_EQ(fx.units.read(37, rec), kErrNotOpen);
}

TEST(FileUnitSequential, ScratchWrittenRewoundAndReadBack)
{
    Fixture fx;
    ASSERT_EQ(fx.units.open(3, {fx.dir.file("SCRATCH.TXT"), FileStatus::Unknown}), kOk);
    fx.units.write(3, "age interval");
    fx.units.write(3, "20   ");
    fx.units.write(3, "");
    std::string rec;
    EXPECT_EQ(fx.units.read(3, rec), kEndOfFile); // a read after a write meets the end
    ASSERT_EQ(fx.units.rewind(3), kOk);
    ASSERT_EQ(fx.units.read(3, rec, 20), kOk);
    EXPECT_EQ(rec, "age interval        ");
    ASSERT_EQ(fx.units.read(3, rec), kOk);
    EXPECT_EQ(rec, "20   ");
    ASSERT_EQ(fx.units.read(3, rec), kOk);
    EXPECT_EQ(rec, "");
    EXPECT_EQ(fx.units.read(3, rec), kEndOfFile);
}

TEST(FileUnitSequential, WriteAfterReadsCutsTheRest)
{
    Fixture fx;
    const std::string p = fx.dir.write("c.mrc", "one\r\ntwo\r\nthree\r\n");
    ASSERT_EQ(fx.units.open(1, {p, FileStatus::Old}), kOk);
    std::string rec;
    fx.units.read(1, rec);
    fx.units.read(1, rec);
    ASSERT_EQ(fx.units.write(1, "new"), kOk);
    fx.units.close(1);
    EXPECT_EQ(read_all(p), "one\r\ntwo\r\nnew\n");
}

TEST(FileUnitSequential, AppendAddsALineEndToAnUnendedLastRecord)
{
    Fixture fx;
    const std::string p = fx.dir.write("c.mrc", "a\nb");
    ASSERT_EQ(fx.units.open(1, {p, FileStatus::Old, FileAccess::Append}), kOk);
    std::string rec;
    EXPECT_EQ(fx.units.read(1, rec), kEndOfFile);
    ASSERT_EQ(fx.units.write(1, "(3 -2)(-6)"), kOk);
    fx.units.close(1);
    EXPECT_EQ(read_all(p), "a\nb\n(3 -2)(-6)\n");

    ASSERT_EQ(fx.units.open(1, {p, FileStatus::Unknown, FileAccess::Append}), kOk);
    fx.units.write(1, "x");
    fx.units.close(1);
    EXPECT_EQ(read_all(p), "a\nb\n(3 -2)(-6)\nx\n");
}

TEST(FileUnitSequential, BackspaceAfterReadsAndAfterAWrite)
{
    Fixture fx;
    const std::string p = fx.dir.write("l.txt", "r1\rr2\rr3\r");
    ASSERT_EQ(fx.units.open(4, {p, FileStatus::Old}), kOk);
    std::string rec;
    fx.units.read(4, rec);
    fx.units.read(4, rec);
    fx.units.backspace(4);
    fx.units.backspace(4);
    ASSERT_EQ(fx.units.read(4, rec), kOk);
    EXPECT_EQ(rec, "r1");
    fx.units.read(4, rec);
    fx.units.read(4, rec);
    fx.units.write(4, "w4");
    ASSERT_EQ(fx.units.backspace(4), kOk);
    ASSERT_EQ(fx.units.read(4, rec), kOk);
    EXPECT_EQ(rec, "w4");
    EXPECT_EQ(fx.units.read(4, rec), kEndOfFile);
}

TEST(FileUnitSequential, CharacterAndFormattedReads)
{
    Fixture fx;
    const std::string p = fx.dir.write("d.dat", "ab\r\n 1.5 2\r\n");
    ASSERT_EQ(fx.units.open(2, {p, FileStatus::Old}), kOk);
    char c;
    EXPECT_EQ(fx.units.get_char(2, c), kOk);
    EXPECT_EQ(fx.units.get_char(2, c), kOk);
    EXPECT_EQ(c, 'b');
    EXPECT_EQ(fx.units.get_char(2, c), kEndOfRecord);
    Format f;
    ASSERT_EQ(f.parse("(F4.1,I2)"), kOk);
    FormattedReader r(f, fx.units.source(2));
    double x = 0;
    long long n = 0;
    ASSERT_EQ(r.read_real(x), kOk);
    ASSERT_EQ(r.read_int(n), kOk);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(n, 2);
    FormattedReader r2(f, fx.units.source(2));
    EXPECT_EQ(r2.read_real(x), kEndOfFile);
}

TEST(FileUnitDirect, FixedLengthRecordsByNumber)
{
    Fixture fx;
    // Help-text layout: 75 characters and CR LF per record; the last one is short.
    std::string text;
    for (char ch : {'A', 'B', 'C'}) text += std::string(75, ch) + "\r\n";
    text += "--------------------";
    const std::string p = fx.dir.write("meruhlp.txt", text);
    EXPECT_EQ(fx.units.open(4, {p, FileStatus::Old, FileAccess::Direct}), kErrWrongAccess); // no length
    ASSERT_EQ(fx.units.open(4, {p, FileStatus::Old, FileAccess::Direct, 77}), kOk);
    std::string rec;
    ASSERT_EQ(fx.units.read_direct(4, 2, rec), kOk);
    EXPECT_EQ(rec, std::string(75, 'B') + "\r\n");
    ASSERT_EQ(fx.units.read_direct(4, 1, rec), kOk);
    EXPECT_EQ(rec.substr(0, 75), std::string(75, 'A'));
    ASSERT_EQ(fx.units.read_direct(4, 4, rec), kOk);
    EXPECT_EQ(rec, "--------------------" + std::string(57, ' '));
    EXPECT_EQ(fx.units.read_direct(4, 0, rec), kErrBadRecord); // never a negative offset
    EXPECT_EQ(fx.units.read_direct(4, -3, rec), kErrBadRecord);
    EXPECT_EQ(fx.units.read_direct(4, 5, rec), kErrBadRecord);
    EXPECT_EQ(fx.units.read(4, rec), kErrWrongAccess);
    EXPECT_EQ(fx.units.write(4, "x"), kErrWrongAccess);
}
