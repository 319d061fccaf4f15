// Free-format data files: the comma, tab and space layouts, items, records and
// the missing-value rules.
#include "support/reported_data.h"

#include "files/splitrec.h"

#include <cmath>

using meru::files::kMissing;
using meru::test::run_data;

namespace {

const char* kAbc = "abc\na,b,c\n*\na i 1\nb i 1\nc i 1\n*\nfree comma\nDATA\n";

} // namespace

TEST(FreeComma, EmptyFieldsAndBlanks)
{
    auto r = run_data(kAbc, "1,,3\n,2,3\n1 , 2,3\n");
    ASSERT_EQ(r->r.nread, 3);
    EXPECT_EQ(r->x(1, "a"), 1);
    EXPECT_EQ(r->x(1, "b"), kMissing);
    EXPECT_EQ(r->x(1, "c"), 3);
    EXPECT_EQ(r->x(2, "a"), kMissing);
    EXPECT_EQ(r->x(2, "b"), 2);
    EXPECT_EQ(r->x(3, "a"), 1);
    EXPECT_EQ(r->x(3, "b"), 2);
    EXPECT_EQ(r->x(3, "c"), 3);
    EXPECT_EQ(r->r.missing_total, 2);
    EXPECT_EQ(r->r.incomplete, 2);
    EXPECT_EQ(r->r.nobsin, 3);
    EXPECT_TRUE(r->logged("# missing values=       2( 22.2%) # incomplete records=     2( 66.7%)."));
    EXPECT_FALSE(r->logged("Expecting csv_or_tab"));
}

TEST(FreeComma, QuotesAndPrecision)
{
    auto r = run_data(kAbc, "\"1,234\",123456789,\"5\"\n30.2,0.30000000,16777216\n");
    ASSERT_EQ(r->r.nread, 2);
    EXPECT_EQ(r->x(1, "a"), 1234);
    EXPECT_EQ(r->x(1, "b"), 123456792.0f); // nearest single-precision value
    EXPECT_EQ(r->x(1, "c"), 5);
    EXPECT_EQ(r->r.precision_lost, 1);
    EXPECT_TRUE(r->logged("NOTE: loss of precision var b        read as"));
    EXPECT_TRUE(r->called("help:NOTE: loss of precision"));
}

TEST(FreeComma, MissingMarksAndInadmissibleCharacters)
{
    // -5, ?, #, . and +5 are all missing; +5 is also an inadmissible character.
    const char* cf = "m\na,b,c,d,e\n*\na i 1\n*\nfree comma\nDATA\n";
    auto r = run_data(cf, "-5,?,#,.,+5\n1,2,3,4,5\n");
    ASSERT_EQ(r->r.nread, 2);
    for (const char* v : {"a", "b", "c", "d", "e"}) EXPECT_EQ(r->x(1, v), kMissing) << v;
    EXPECT_EQ(r->r.allmissing, 1);
    EXPECT_EQ(r->d.obswt[0], 0);
    EXPECT_EQ(r->r.nobsin, 1);
    EXPECT_EQ(r->r.inadmissible, 1);
    EXPECT_TRUE(r->logged("NOTE: inadmissible character:  +  at record: var       1:e"));
    EXPECT_TRUE(r->logged("NOTE: one record  with all missing variables is ignored"));
    EXPECT_TRUE(r->logged(" Missed record is #       1"));
}

TEST(FreeComma, ShortLineContinuesAndTrailingDelimiterEndsRecord)
{
    const char* cf = "m\na,b,c,d\n*\na i 1\n*\nfree comma\nDATA\n";
    auto r = run_data(cf, "1,2\n3,4\n5,6,\n7,8,9,10\n");
    ASSERT_EQ(r->r.nread, 3);
    EXPECT_EQ(r->x(1, "c"), 3);
    EXPECT_EQ(r->x(1, "d"), 4);
    // "5,6," ends after a delimiter: the record is complete and fields 3-4 missing.
    EXPECT_EQ(r->x(2, "a"), 5);
    EXPECT_EQ(r->x(2, "c"), kMissing);
    EXPECT_EQ(r->x(2, "d"), kMissing);
    EXPECT_EQ(r->x(3, "d"), 10);
    EXPECT_EQ(r->r.incomplete, 1);
    EXPECT_EQ(r->r.missing_total, 2);
    EXPECT_TRUE(r->called("help:NOTE: Mis-match expected # lines"));
}

TEST(FreeComma, LastLineWithoutLineEndIsARecordAndCrlfReadsAsLf)
{
    const std::string lf = "1,2,3\n4,,6\n7,8,9";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    auto a = run_data(kAbc, lf, "twin.csv");
    auto b = run_data(kAbc, crlf, "twin.csv");
    ASSERT_EQ(a->r.nread, 3);
    EXPECT_EQ(a->d.obswt, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(a->x(3, "c"), 9);
    EXPECT_EQ(a->r.nobsin, 3);
    EXPECT_EQ(b->r.nread, a->r.nread);
    EXPECT_EQ(b->d.xdata, a->d.xdata);
    EXPECT_EQ(b->d.obswt, a->d.obswt);
    EXPECT_EQ(b->d.abyte, a->d.abyte);
    EXPECT_EQ(b->sv.calls, a->sv.calls);
    EXPECT_EQ(b->lines, a->lines);
}

TEST(FreeComma, EmptyLinesAreSkippedWithoutUsingAnObservation)
{
    auto r = run_data(kAbc, "1,2,3\n\n4,5,6\n");
    ASSERT_EQ(r->r.nread, 2);
    EXPECT_EQ(r->x(2, "a"), 4);
}

TEST(FreeComma, OneColumnFileGivesTheDelimiterNoteOnce)
{
    const char* cf = "m\na\n*\na i 1\n*\nfree comma\nDATA\n";
    auto r = run_data(cf, "1\n2\n3\n");
    EXPECT_EQ(r->r.nread, 3);
    EXPECT_EQ(r->r.nodelim_records, 3);
    EXPECT_EQ(r->count_logged("NOTE: Expecting csv_or_tab file, yet no comma or tab"), 1);
    EXPECT_EQ(r->sv.with_prefix("help:NOTE: Expecting csv_or_tab").size(), 1u);
}

TEST(FreeSpace, LeadingAndRepeatedBlanksGiveNoEmptyFields)
{
    const char* cf = "m\na b c\n*\na i 1\n*\nfree space\nDATA\n";
    auto r = run_data(cf, "   1    2 3\n4 5 6   \n\"7 0\" 8 9\n", "s.dat");
    ASSERT_EQ(r->r.nread, 3);
    EXPECT_EQ(r->x(1, "a"), 1);
    EXPECT_EQ(r->x(1, "b"), 2);
    EXPECT_EQ(r->x(1, "c"), 3);
    EXPECT_EQ(r->x(2, "c"), 6);
    EXPECT_EQ(r->x(3, "a"), 70); // a blank inside quotes is dropped
    EXPECT_EQ(r->r.missing_total, 0);
}

TEST(FreeSpace, TabsSeparateTheNamesOfAHeaderAsTheyDoTheItems)
{
    const char* cf = "m\n*\n_all_ mean\n*\nfree space\nDATA\n";
    auto r = run_data(cf, "a\tb c\n1\t2 3\n4\t5 6\n", "h.dat");
    ASSERT_EQ(r->t.vars.nvar, 3);
    EXPECT_EQ(r->t.vars.varname[2], "b");
    ASSERT_EQ(r->r.nread, 2);
    EXPECT_EQ(r->x(2, "b"), 5);
    EXPECT_FLOAT_EQ(static_cast<float>(r->t.att[4].cut1), 4.5f); // mean of c
}

TEST(FreeTab, TwoTabsGiveAMissingField)
{
    const char* cf = "m\na\tb\tc\n*\na i 1\n*\nfree tab\nDATA\n";
    auto r = run_data(cf, "1\t\t3\n4\t 5 \t6\n", "t.txt");
    ASSERT_EQ(r->r.nread, 2);
    EXPECT_EQ(r->x(1, "a"), 1);
    EXPECT_EQ(r->x(1, "b"), kMissing);
    EXPECT_EQ(r->x(1, "c"), 3);
    EXPECT_EQ(r->x(2, "b"), 5);
    EXPECT_FALSE(r->r.marks.charflag[2]);
}

TEST(CharacterData, CodesAmbiguityAndMixedVariables)
{
    const char* cf = "m\ng,h,k\n*\ng n 0\n*\nfree comma\nDATA\n";
    auto r = run_data(cf, "male,35.2,@\nMale,A,x\nM,7,0\nF,12,-\n");
    ASSERT_EQ(r->r.nread, 4);
    EXPECT_EQ(r->x(1, "g"), 22);
    EXPECT_EQ(r->x(2, "g"), 22);
    EXPECT_EQ(r->x(3, "g"), 22);
    EXPECT_EQ(r->x(4, "g"), 15);
    // Mixed: a number keeps its first digit as the state, a letter its code.
    EXPECT_EQ(r->x(1, "h"), 3);
    EXPECT_EQ(r->x(2, "h"), 10);
    EXPECT_EQ(r->x(3, "h"), 7);
    EXPECT_EQ(r->x(4, "h"), 1);
    // An inadmissible character stays missing (never the state "1"); "0" is state 0.
    EXPECT_EQ(r->x(1, "k"), kMissing);
    EXPECT_EQ(r->x(2, "k"), 33);
    EXPECT_EQ(r->x(3, "k"), 0);
    EXPECT_EQ(r->x(4, "k"), kMissing);
    EXPECT_TRUE(r->logged("NOTE: Character data for variable:   g"));
    EXPECT_TRUE(r->logged("NOTE: Mixed numeric/character data for h"));
    EXPECT_TRUE(
        r->logged(" Ambiguity for category male       There are other categories of g        beginning with m"));
    EXPECT_TRUE(r->called("help:NOTE:  data coding ambiguity"));
    EXPECT_TRUE(r->logged(" Mixed data: only first digit of number is retained as character"));
}

TEST(CharacterData, MissingStatesCountAsMissingValues)
{
    // "?" in a character variable is as missing as "." in a numeric one: record 2
    // and 3 are incomplete, record 4 has nothing but missing values.
    const char* cf = "m\nsex,b\n*\nsex nMF M\nb i 1\n*\nfree comma\nDATA\n";
    auto r = run_data(cf, "M,1\n?,2\nF,.\n?,.\n");
    ASSERT_EQ(r->r.nread, 4);
    EXPECT_EQ(r->r.missing_total, 2); // record 4 keeps no weight: its values count in no share
    EXPECT_EQ(r->r.incomplete, 3);
    EXPECT_EQ(r->r.allmissing, 1);
    EXPECT_EQ(r->r.last_missed, 4);
    EXPECT_EQ(r->r.nobsin, 3);
    EXPECT_EQ(r->d.obswt[3], 0);
    EXPECT_TRUE(r->logged("# missing values=       2( 33.3%) # incomplete records=     3( 75.0%)."));
    EXPECT_TRUE(r->logged(" Missed record is #       4"));
}

// Whole frequencies up to 2^31 - 1 are weights as they stand, their total passing
// 2^31; one beyond, or negative, is refused and one with a fraction gives its whole
// part, each told by its line as what it is; only an item that is no number is
// told as non-numeric.
TEST(Frequency, WeightsAndBadFrequencies)
{
    const char* cf = "m\n_ID_ x _FREQ_\n*\nx mean\n*\nfree space\nDATA\n";
    auto r = run_data(cf,
                      "P1 10 2\nP2 20 -3\nP3 30 x\nP4 40 1\nP5 50 2147483647\nP6 60 2147483648\n"
                      "P7 70 1049420482\nP8 80 2.5\n",
                      "f.dat");
    ASSERT_EQ(r->r.nread, 8);
    EXPECT_EQ(r->d.obswt, (std::vector<int>{2, 0, 0, 1, 2147483647, 0, 1049420482, 2}));
    EXPECT_EQ(r->d.obsid[0], "P1");
    EXPECT_EQ(r->d.obsid[3], "P4");
    EXPECT_EQ(r->r.nobsin, 3196904134LL);
    EXPECT_EQ(r->r.bad_frequency, 1);
    EXPECT_EQ(r->count_logged("ERROR reading frequency count.Assumed missed"), 1);
    EXPECT_TRUE(r->logged("ERROR: negative frequency count on line 2: -3. Assumed missed"));
    EXPECT_TRUE(r->logged("ERROR: frequency count too large (above 2147483647) on line 6: 2147483648. Assumed missed"));
    EXPECT_TRUE(r->logged("NOTE: frequency count not whole on line 8: 2.5. Its whole part is taken"));
    EXPECT_TRUE(r->called("msgbox:NOTE: Non_numeric frequency variable. Assumed zero$ kind=ok"));
    EXPECT_TRUE(r->called("msgbox:NOTE: Frequency too large or negative on 2 record(s). Assumed zero. View log $ kind=ok"));
    EXPECT_TRUE(r->called("msgbox:NOTE: Frequency not whole on 1 record(s). Whole part taken. View log $ kind=ok"));
    // Weighted mean (2*10 + 40 + 2147483647*50 + 1049420482*70 + 2*80) / 3196904134
    // = 56.5652; x > 56.5652 holds for 70 and 80 only.
    const auto& a = r->t.att[2];
    EXPECT_NEAR(a.cut1, 56.5652, 1e-4);
    EXPECT_EQ(r->ab(2, 5), 0);
    EXPECT_EQ(r->ab(2, 7), 1);
    EXPECT_EQ(r->r.att[2].positive, 1049420482LL + 2);
    EXPECT_EQ(r->r.att[2].negative, 2147483647LL + 2 + 1);
}

TEST(DecodeItem, NumbersMissingAndStates)
{
    using meru::files::decode_item;
    using meru::files::ItemKind;
    EXPECT_EQ(decode_item("12.5", false).kind, ItemKind::number);
    EXPECT_EQ(decode_item(".5", false).value, 0.5);
    EXPECT_EQ(decode_item(".", false).kind, ItemKind::missing);
    EXPECT_EQ(decode_item("-5", false).kind, ItemKind::missing);
    EXPECT_EQ(decode_item("#", false).kind, ItemKind::missing);
    EXPECT_EQ(decode_item("?x", false).kind, ItemKind::missing);
    EXPECT_EQ(decode_item("+5", false).kind, ItemKind::inadmissible);
    EXPECT_EQ(decode_item("12", true).kind, ItemKind::character); // ends inside a quote
    EXPECT_EQ(decode_item("1.2.3", false).kind, ItemKind::character);
    EXPECT_EQ(decode_item("zeta", false).value, 35);
}

TEST(DecodeItem, ExponentFormsAreNumbersWhenFiniteInSinglePrecision)
{
    using meru::files::decode_item;
    using meru::files::ItemKind;
    const struct {
        const char* text;
        double number;
    } numbers[] = {{"1e2", 100}, {"2.5E+1", 25},     {"7D0", 7},   {"15d-1", 1.5},
                   {".5e1", 5},  {"3.4e38", 3.4e38}, {"1e-999", 0}};
    for (const auto& c : numbers) {
        const auto v = decode_item(c.text, false);
        EXPECT_EQ(v.kind, ItemKind::number) << c.text;
        EXPECT_EQ(v.value, c.number) << c.text;
    }
    // Not finite numbers (or not numbers at all): the first character is a state.
    const struct {
        const char* text;
        int code;
    } states[] = {{"1e999", 1}, {"3.5e38", 3}, {"nan", 23}, {"inf", 18}, {"1e", 1}, {"2e1.5", 2}, {"2020-01", 2}};
    for (const auto& c : states) {
        const auto v = decode_item(c.text, false);
        EXPECT_EQ(v.kind, ItemKind::character) << c.text;
        EXPECT_EQ(v.value, c.code) << c.text;
    }
}

TEST(FreeComma, ExponentFormsKeepAColumnNumericAndMixedColumnsAreShownInABox)
{
    // The "1e2" of age is the number 100; one letter in w makes w mixed: its
    // numbers become the codes of their first digits, and a box says so.
    const char* cf = "m\nage,w\n*\nage i 50\nw i 1\n*\nfree comma\nDATA\n";
    auto r = run_data(cf, "71,12\n35,2\n1e2,x\n");
    ASSERT_EQ(r->r.nread, 3);
    EXPECT_EQ(r->x(1, "age"), 71);
    EXPECT_EQ(r->x(3, "age"), 100);
    EXPECT_EQ(r->r.att[2].positive, 2); // age > 50: 71 and 100
    EXPECT_EQ(r->x(1, "w"), 1);
    EXPECT_EQ(r->x(3, "w"), 33);
    EXPECT_EQ(r->r.mixed_vars, 1);
    EXPECT_FALSE(r->logged("Mixed numeric/character data for age"));
    EXPECT_TRUE(r->called("msgbox:NOTE: Mixed numeric/character data for w. Their numbers are kept only as the "
                          "code of their first digit. View log $ kind=ok"));
}

TEST(FreeComma, ItemsKeepTheirFirstThirtyCharacters)
{
    const char* cf = "m\na,b\n*\na i 1\n*\nfree comma\nDATA\n";
    const std::string digits = "1234567890123456789012345678901234"; // 34 digits
    auto r = run_data(cf, digits + ",Alphabetical_order_is_long_enough_here\n", "long.csv");
    ASSERT_EQ(r->r.nread, 1);
    EXPECT_EQ(r->x(1, "a"), static_cast<float>(1.23456789012345678901234567890e29));
    EXPECT_EQ(r->x(1, "b"), 10);
    EXPECT_EQ(r->r.marks.cattext[2][10], "Alphabetical_order_is_long_eno");
}

// A negative number is a missing value in every layout; the variables that lost
// values that way are named with their counts, in a box and in the log. A lone
// minus sign (the missing state) and a minus before a word are not numbers.
TEST(NegativeNumbers, AreMissingAndNamedWithTheirCounts)
{
    const std::string box = "msgbox:NOTE: Negative numbers read as missing values: a (2), b (2). View log $ kind=ok";
    auto f = run_data("m\na,b,c\n*\na i 1\n*\nfree comma\nDATA\n", "-5,-.25,-\n1,-1e2,-x\n-0,2,3\n");
    auto x = run_data("m\na b c\n*\na i 1\n*\n(3F5.1)\nDATA\n", " -5.0 -2.5  1.0\n  1.0-10.0  2.0\n -0.5  2.0  3.0\n",
                      "neg.dat");
    EXPECT_EQ(f->x(1, "a"), kMissing); // free: the item stands for a missing value
    EXPECT_EQ(x->x(1, "a"), -5.0f);    // fixed: the value is kept, and is missing as negative
    for (const auto* r : {f.get(), x.get()}) {
        EXPECT_EQ(r->r.marks.negatives[3], 0);
        EXPECT_TRUE(r->called(box));
        EXPECT_TRUE(r->logged("NOTE: Negative numbers read as missing values:"));
        EXPECT_TRUE(r->logged("   a                2"));
        EXPECT_TRUE(r->logged("   b                2"));
    }
    auto none = run_data("m\na,b\n*\na i 1\n*\nfree comma\nDATA\n", "1,-\n2,.\n");
    EXPECT_TRUE(none->sv.with_prefix("msgbox:NOTE: Negative").empty());
}
