// Format texts: parsing, fixed-column reads of records and formatted writes.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io/format.h"
#include "platform/io/iostat.h"
#include "platform/io/records.h"

using namespace meru::io;

namespace {

Format parsed(std::string_view text)
{
    Format f;
    EXPECT_EQ(f.parse(text), kOk) << text;
    return f;
}

} // namespace

TEST(FormatText, InvalidTextsGiveTheFormatError)
{
    for (const char* bad : {"F5.1", "(I-1)", "(F5)", "(F5.x)", "(I3,,I2)", "(I3", "(Q3)", "(3T2)", "(,I3)", "(I3,)",
                            "(A0)", "(I0)", "('open", "", "(2(I3)",
                            // Accepted once and then ignored: now refused.
                            "(E9.3E3)", "(G12.4E3)", "(SP,I5)", "(SP I5)", "(SS,I5)", "(S,I5)"}) {
        Format f;
        EXPECT_EQ(f.parse(bad), kErrBadFormat) << bad;
        EXPECT_FALSE(f.valid());
    }
    for (const char* good : {"(F5.1,2X,A1,T20,I3)", "(i6,1x,a50)", "( 3 ( F 5 . 1 ) )", "(I3/I3)", "(A)",
                             "(E10.3,G9.4)", "('it''s',TL2,TR1,BZ,BN,:,L1)", "()", "(I3) trailing"}) {
        Format f;
        EXPECT_EQ(f.parse(good), kOk) << good;
    }
    // Nesting: a hundred groups deep reads; a text of 100000 nested groups is an
    // error, not a stack overflow.
    for (int depth : {100, 100000}) {
        const std::string text = std::string(static_cast<std::size_t>(depth), '(') + "I1" +
                                 std::string(static_cast<std::size_t>(depth), ')');
        Format f;
        EXPECT_EQ(f.parse(text), depth == 100 ? kOk : kErrBadFormat) << depth;
    }
}

TEST(FixedColumns, ReadsFieldsByColumnWithTabAndSkip)
{
    const Format f = parsed("(F5.1,2X,A1,T20,I3)");
    RecordReader in;
    in.open_text("  1.5  Mxxxxxxxxxxx 42\r\n 12.25  F           -7\n");
    auto source = [&](std::string& r) { return in.read(r); };

    double x = 0;
    std::string s;
    long long n = 0;
    FormattedReader r1(f, source);
    ASSERT_EQ(r1.read_real(x), kOk);
    ASSERT_EQ(r1.read_text(s, 1), kOk);
    ASSERT_EQ(r1.read_int(n), kOk);
    EXPECT_EQ(r1.finish(), kOk);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(s, "M");
    EXPECT_EQ(n, 42);

    FormattedReader r2(f, source);
    ASSERT_EQ(r2.read_real(x), kOk);
    ASSERT_EQ(r2.read_text(s, 1), kOk);
    ASSERT_EQ(r2.read_int(n), kOk);
    EXPECT_EQ(x, 12.2); // the field is " 12.2": F5.1 takes five columns
    EXPECT_EQ(s, " ");  // column 8 of the second record
    EXPECT_EQ(n, -7);

    FormattedReader r3(f, source);
    EXPECT_EQ(r3.read_real(x), kEndOfFile);
    EXPECT_EQ(r3.read_int(n), kEndOfFile);
}

TEST(FixedColumns, ImpliedDecimalsExponentsAndBlanks)
{
    struct Case {
        const char* format;
        const char* record;
        double value;
    };
    const Case cases[] = {
        {"(F5.2)", "12345", 123.45}, // no point: two implied decimals
        {"(F5.2)", "  -12", -0.12},
        {"(F5.2)", "    5", 0.05},
        {"(F5.2)", "1.5  ", 1.5}, // a written point wins
        {"(F5.2)", "", 0.0},      // a short record reads as blanks: zero
        {"(F6.1)", "1.5E2 ", 150.0},
        {"(F4.1)", "15E1", 15.0},       // 1.5 x 10
        {"(E9.2)", " 1 2 5E-1", 0.125}, // blanks ignored: 1.25 (implied decimals) x 10^-1
        {"(BZ,F4.1)", "1 5 ", 105.0},   // blanks as zeros: 1050 with one implied decimal
        {"(G8.3)", "  2.5D+1", 25.0},
    };
    for (const auto& c : cases) {
        const Format f = parsed(c.format);
        FormattedReader r(f, TextRecords({c.record}));
        double x = -1;
        ASSERT_EQ(r.read_real(x), kOk) << c.format << " " << c.record;
        EXPECT_DOUBLE_EQ(x, c.value) << c.format << " '" << c.record << "'";
    }
}

TEST(FixedColumns, RepeatsGroupsSlashAndReversion)
{
    auto ints = [](const char* format, std::vector<std::string> recs, int count, int* used = nullptr) {
        static Format f;
        EXPECT_EQ(f.parse(format), kOk);
        auto src = std::make_shared<TextRecords>(std::move(recs));
        int nrec = 0;
        FormattedReader r(f, [&nrec, src](std::string& s) {
            const int st = (*src)(s);
            if (st == 0) ++nrec;
            return st;
        });
        std::vector<long long> out;
        for (int i = 0; i < count; ++i) {
            long long v = 0;
            EXPECT_EQ(r.read_int(v), kOk) << format << " value " << i;
            out.push_back(v);
        }
        EXPECT_EQ(r.finish(), kOk);
        if (used) *used = nrec;
        return out;
    };
    using V = std::vector<long long>;
    EXPECT_EQ(ints("(I2,2(1X,I3))", {"12 001 -25"}, 3), (V{12, 1, -25}));
    int used = 0;
    // No group: the format starts again from its beginning on a new record.
    EXPECT_EQ(ints("(2I3)", {"  1  2", "  3  4", "  5"}, 6, &used), (V{1, 2, 3, 4, 5, 0}));
    EXPECT_EQ(used, 3);
    // Reversion goes to the last top-level group, with its repeat count.
    EXPECT_EQ(ints("(I1,2(I2))", {"1 2 3", " 4 5", " 6 7"}, 7, &used), (V{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(used, 3);
    EXPECT_EQ(ints("(I3/I3)", {"  1", "  2"}, 2), (V{1, 2}));
    // A "/" after the last value is still carried out: two records are read.
    EXPECT_EQ(ints("(I3/)", {"  9", "skipped", "x"}, 1, &used), V{9});
    EXPECT_EQ(used, 2);
    EXPECT_EQ(ints("(BZ,I3)", {"1  "}, 1), V{100});
    EXPECT_EQ(ints("(I3)", {"1  "}, 1), V{1});
    EXPECT_EQ(ints("(2X,TL1,I2,TR1,I1)", {"a1234"}, 2), (V{12, 4}));
    EXPECT_EQ(ints("(Z6)", {"FF00a0"}, 1), V{0xFF00A0}); // a colour read as six hex digits
}

TEST(FixedColumns, TextAndLogicalFields)
{
    std::string s;
    bool b = false;
    const Format a3 = parsed("(A3)");
    FormattedReader r1(a3, TextRecords({"ABCDEF"}));
    ASSERT_EQ(r1.read_text(s, 8), kOk);
    EXPECT_EQ(s, "ABC     "); // shorter field: blank-padded
    const Format a10 = parsed("(A10)");
    FormattedReader r2(a10, TextRecords({"0123456789"}));
    ASSERT_EQ(r2.read_text(s, 8), kOk);
    EXPECT_EQ(s, "23456789"); // longer field: the rightmost characters
    const Format a = parsed("(A,1X,L3,L2)");
    FormattedReader r3(a, TextRecords({"ID000001  .tF"}));
    ASSERT_EQ(r3.read_text(s, 8), kOk);
    EXPECT_EQ(s, "ID000001");
    ASSERT_EQ(r3.read_logical(b), kOk);
    EXPECT_TRUE(b);
    ASSERT_EQ(r3.read_logical(b), kOk);
    EXPECT_FALSE(b);
}

TEST(FixedColumns, ErrorsAreReportedNotThrown)
{
    double x = 0;
    long long n = 0;
    const Format i3 = parsed("(I3)");
    FormattedReader r1(i3, TextRecords({"ab "}));
    EXPECT_EQ(r1.read_int(n), kErrBadInput);
    EXPECT_EQ(r1.read_int(n), kErrBadInput); // the failure sticks
    FormattedReader r2(i3, TextRecords({"  1"}));
    EXPECT_EQ(r2.read_real(x), kErrBadInput); // an I field for a real value
    const Format f52 = parsed("(F5.2)");
    FormattedReader r3(f52, TextRecords({"1.2.3"}));
    EXPECT_EQ(r3.read_real(x), kErrBadInput);
    const Format none = parsed("(5X)");
    FormattedReader r4(none, TextRecords({"1", "2"}));
    EXPECT_EQ(r4.read_real(x), kErrBadFormat); // no data descriptor to read with
    Format bad;
    bad.parse("(F5.x)");
    FormattedReader r5(bad, TextRecords({"1"}));
    EXPECT_EQ(r5.read_real(x), kErrBadFormat);
    FormattedReader r6(i3, TextRecords({}));
    EXPECT_EQ(r6.finish(), kEndOfFile);
}

TEST(FormattedWrite, AxisLabelFormats)
{
    std::string out;
    EXPECT_EQ(write_with_format("(f4.2)", 1.5, 9, out), kOk);
    EXPECT_EQ(out, "1.50     ");
    EXPECT_EQ(write_with_format("(i4)", 20LL, 9, out), kOk);
    EXPECT_EQ(out, "  20     ");
    EXPECT_EQ(write_with_format("(g9.4)", 1234.5, 9, out), kOk);
    EXPECT_EQ(out, "1235.    ");
    EXPECT_EQ(write_with_format("(i4)", 12345LL, 9, out), kOk);
    EXPECT_EQ(out, " 12345   "); // too wide: whole, after one blank
    EXPECT_EQ(write_with_format("(i-1)", 5LL, 9, out), kErrBadFormat);
    EXPECT_EQ(write_with_format("(i10)", 5LL, 9, out), kErrWrite);   // longer than the text
    EXPECT_EQ(write_with_format("(i4)", 2.0, 9, out), kErrBadInput); // a real under I
    EXPECT_EQ(write_with_format("(z6)", 0xA0B0LL, 6, out), kOk);
    EXPECT_EQ(out, "  A0B0");
}

TEST(FormattedWrite, LiteralsPositionsAndRecords)
{
    const Format f = parsed("('NOTE: ',I3,' items',T3,'X'/2(F4.1))");
    FormattedWriter w(f);
    EXPECT_EQ(w.write_int(5), kOk);
    EXPECT_EQ(w.write_real(1.25), kOk);
    EXPECT_EQ(w.write_real(-0.25), kOk);
    std::vector<std::string> recs;
    EXPECT_EQ(w.finish(recs), kOk);
    EXPECT_EQ(recs, (std::vector<std::string>{"NOXE:   5 items", " 1.3-0.3"}));
}

TEST(FormatText, HugeRepeatCountsEndWithAnErrorNotAHang)
{
    const Format wide = parsed("(99999(99999X),F5.1)"); // far beyond the record: a blank field
    FormattedReader r0(wide, TextRecords({"1.5"}));
    double x = -1;
    EXPECT_EQ(r0.read_real(x), kOk);
    EXPECT_EQ(x, 0.0);
    const Format f = parsed("(9999(9999(X)),F5.1)"); // 10^8 items before the value
    FormattedReader r(f, TextRecords({"1.5"}));
    EXPECT_EQ(r.read_real(x), kErrBadFormat);
    // Groups that hold only groups give nothing, however large their repeats;
    // the format reverts to the last of them at each new record.
    const Format hollow = parsed("(99999(99999(99999(()))),F5.1)");
    FormattedReader rh(hollow, TextRecords({"  1.5", "  2.5", "  3.5"}));
    for (const double want : {1.5, 2.5, 3.5}) {
        EXPECT_EQ(rh.read_real(x), kOk);
        EXPECT_EQ(x, want);
    }
    std::string out;
    EXPECT_EQ(write_with_format("(99999(99999(())),I3)", 12LL, 80, out), kOk);
    EXPECT_EQ(out, " 12" + std::string(77, ' ')); // the record filled to its length
    EXPECT_NE(write_with_format("(99999(99999('abc')),F5.1)", 1.0, 80, out), kOk);
    EXPECT_NE(write_with_format("(99999(99999/),F5.1)", 1.0, 80, out), kOk);
}

TEST(FormattedWrite, EveryDescriptorReadsBackUnderTheSameFormat)
{
    const Format f = parsed("(I5,F8.3,E12.4,G12.5,1X,A6,L2,2X,Z4,T60,D11.3)");
    FormattedWriter w(f);
    ASSERT_EQ(w.write_int(-1234), kOk);
    ASSERT_EQ(w.write_real(3.14159), kOk);
    ASSERT_EQ(w.write_real(-0.000123456), kOk);
    ASSERT_EQ(w.write_real(42.125), kOk);
    ASSERT_EQ(w.write_text("AGE"), kOk);
    ASSERT_EQ(w.write_logical(true), kOk);
    ASSERT_EQ(w.write_int(0xBEEF), kOk);
    ASSERT_EQ(w.write_real(6.02e23), kOk);
    std::vector<std::string> recs;
    ASSERT_EQ(w.finish(recs), kOk);
    ASSERT_EQ(recs.size(), 1u);
    // Field by field: I5, F8.3, E12.4, G12.5 (F8.3 and four blanks), 1X, A6, L2,
    // 2X, Z4, blanks up to column 60, D11.3.
    EXPECT_EQ(recs[0], std::string("-1234") + "   3.142" + " -0.1235E-03" + "  42.125    " + " " + "AGE   " + " T" +
                           "  " + "BEEF" + std::string(7, ' ') + "  0.602D+24");

    FormattedReader r(f, TextRecords(recs));
    long long n = 0;
    double a = 0, b = 0, c = 0, e = 0;
    std::string s;
    bool l = false;
    long long z = 0;
    ASSERT_EQ(r.read_int(n), kOk);
    ASSERT_EQ(r.read_real(a), kOk);
    ASSERT_EQ(r.read_real(b), kOk);
    ASSERT_EQ(r.read_real(c), kOk);
    ASSERT_EQ(r.read_text(s, 6), kOk);
    ASSERT_EQ(r.read_logical(l), kOk);
    ASSERT_EQ(r.read_int(z), kOk);
    ASSERT_EQ(r.read_real(e), kOk);
    EXPECT_EQ(n, -1234);
    EXPECT_DOUBLE_EQ(a, 3.142);
    EXPECT_DOUBLE_EQ(b, -0.1235e-3);
    EXPECT_DOUBLE_EQ(c, 42.125);
    EXPECT_EQ(s, "AGE   ");
    EXPECT_TRUE(l);
    EXPECT_EQ(z, 0xBEEF);
    EXPECT_DOUBLE_EQ(e, 0.602e24);
}

// The columns a record may be read to: the furthest T column and every step of
// one walk of the format (worked by hand).
TEST(FormatText, RecordReachBoundsTheColumnsRead)
{
    EXPECT_EQ(parsed("(F5.1,2X,A1,T20,I3)").record_reach(8), 20u + 5 + 2 + 1 + 3);
    EXPECT_EQ(parsed("(A,3(F4.1,1X),TL2,'ab')").record_reach(8), 8u + 3 * 5 + 2);
    EXPECT_EQ(parsed("(2I3/I2)").record_reach(8), 8u);
    EXPECT_EQ(parsed("(99999(99999(99999X)))").record_reach(8), 99999ull * 99999 * 99999);
}
