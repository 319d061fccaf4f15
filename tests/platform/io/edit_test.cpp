// Output editing into fixed fields and list-directed records. Expected texts are
// worked out by hand from the exact binary values (checked with Python's decimal).
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "platform/io/edit.h"
#include "platform/io/listread.h"

using namespace meru::io;

TEST(EditInteger, RightAlignedAndWidenedAfterABlankOnOverflow)
{
    EXPECT_EQ(fmt_i(7, 3), "  7");
    EXPECT_EQ(fmt_i(-5, 4), "  -5");
    EXPECT_EQ(fmt_i(-12, 3), "-12");
    EXPECT_EQ(fmt_i(0, 1), "0");
    EXPECT_EQ(fmt_i(123456, 6), "123456"); // a full field stays as it is
    EXPECT_EQ(fmt_i(123, 2), " 123");      // too wide: whole, after one blank
    EXPECT_EQ(fmt_i(-12, 2), " -12");
    EXPECT_EQ("5" + fmt_i(1000000, 6), "5 1000000");
}

TEST(EditFixed, RoundsHalfAwayOnTheExactValue)
{
    EXPECT_EQ(fmt_f(3.14159, 8, 3), "   3.142");
    EXPECT_EQ(fmt_f(0.125, 5, 2), " 0.13"); // exact tie: away from zero
    EXPECT_EQ(fmt_f(-0.125, 5, 2), "-0.13");
    EXPECT_EQ(fmt_f(2.675, 5, 2), " 2.67"); // 2.67499999... in binary
    EXPECT_EQ(fmt_f(99.96, 5, 1), "100.0"); // the carry adds a digit
    EXPECT_EQ(fmt_f(100.0 * 37 / 120, 5, 1), " 30.8");
    EXPECT_EQ(fmt_f(7.0, 3, 0), " 7.");
    EXPECT_EQ(fmt_f(0.4, 2, 0), "0.");
    EXPECT_EQ(fmt_f(0.6, 2, 0), "1.");
    EXPECT_EQ(fmt_f(0.0, 5, 2), " 0.00");
}

TEST(EditFixed, LeadingZeroOnlyWhenThereIsRoom)
{
    EXPECT_EQ(fmt_f(0.5, 4, 2), "0.50");
    EXPECT_EQ(fmt_f(0.5, 3, 2), ".50");
    EXPECT_EQ(fmt_f(-0.5, 4, 2), "-.50");
    EXPECT_EQ(fmt_f(-0.5, 5, 2), "-0.50");
}

TEST(EditFixed, OverflowAndSpecialValues)
{
    EXPECT_EQ(fmt_f(99.96, 4, 1), " 100.0");
    EXPECT_EQ(fmt_f(12345678.5, 8, 2), " 12345678.50");
    EXPECT_EQ(fmt_f(1.5, 8, 2), "    1.50");
    EXPECT_EQ(fmt_f(999999999999999.0, 5, 1), " 999999999999999.0");
    EXPECT_EQ(fmt_f(1e15, 13, 6), " 0.100000E+16"); // past the digits a double holds
    EXPECT_EQ(fmt_f(-2.5e20, 8, 2), " -0.250000E+21");
    EXPECT_EQ(fmt_f(-0.001, 5, 2), " 0.00"); // no minus on a value shown as zero
    EXPECT_EQ(fmt_f(std::nan(""), 6, 2), "   NaN");
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(fmt_f(inf, 10, 2), "  Infinity");
    EXPECT_EQ(fmt_f(-inf, 5, 2), " -Inf");
    EXPECT_EQ(fmt_f(-inf, 3, 0), " -Inf");
}

TEST(EditExponent, MantissaBelowOneAndExponentForms)
{
    EXPECT_EQ(fmt_e(1234.5, 10, 3), " 0.123E+04");
    EXPECT_EQ(fmt_e(-0.000123456, 10, 4), "-.1235E-03"); // no room for the zero
    EXPECT_EQ(fmt_e(9.9996, 10, 3), " 0.100E+02");       // rounding carries into the exponent
    EXPECT_EQ(fmt_e(0.0, 9, 2), " 0.00E+00");
    // A three-digit exponent keeps its letter: the zero goes first, then the
    // field widens, the number after one blank.
    EXPECT_EQ(fmt_e(1e150, 10, 3), "0.100E+151");
    EXPECT_EQ(fmt_e(1e-300, 10, 3), "0.100E-299");
    EXPECT_EQ(fmt_e(2.0798e-187, 11, 5), ".20798E-186");
    EXPECT_EQ(fmt_e(-2.0798e-187, 11, 5), " -0.20798E-186");
    EXPECT_EQ(fmt_e(2.0798e-187, 9, 5), " 0.20798E-186");
    EXPECT_EQ(fmt_e(1234.5, 8, 3), ".123E+04");
    EXPECT_EQ(fmt_e(1234.5, 7, 3), " 0.123E+04");
}

TEST(EditGeneral, FixedFormInsideTheRangeElseExponent)
{
    EXPECT_EQ(fmt_g(3.14, 20, 15), "3.14000000000000    ");
    EXPECT_EQ(fmt_g(1234.5, 9, 4), "1235.    ");    // tie rounded away, F5.0
    EXPECT_EQ(fmt_g(0.1, 9, 4), ".1000    ");       // F5.4 has no room for the zero
    EXPECT_EQ(fmt_g(0.05, 10, 3), " 0.500E-01");    // below 0.1
    EXPECT_EQ(fmt_g(99999.6, 10, 5), ".10000E+06"); // rounds up to 10^5
    EXPECT_EQ(fmt_g(99999.4, 11, 5), " 99999.    ");
    EXPECT_EQ(fmt_g(0.0, 10, 3), "  0.00    ");
    EXPECT_EQ(fmt_g(-2.5, 10, 3), " -2.50    ");
    EXPECT_EQ(fmt_g(1.5, 7, 4), " 1.500"); // F3.3 cannot hold 1.500: widened after a blank
    EXPECT_EQ(fmt_g(0.0, 6, 3), "  0.00");
}

TEST(EditText, CharactersLogicalsAndBlanks)
{
    EXPECT_EQ(fmt_a("AGE", 8), "AGE     ");
    EXPECT_EQ(fmt_a("ABCDEFGHIJ", 8), "ABCDEFGH");
    EXPECT_EQ(fmt_a("X", 0), "");
    EXPECT_EQ(fmt_l(true, 3), "  T");
    EXPECT_EQ(fmt_l(false, 1), "F");
    EXPECT_EQ(fmt_x(3), "   ");
    EXPECT_EQ("NOTE: " + fmt_i(12, 4) + fmt_x(2) + fmt_a("AB", 3) + fmt_f(1.5, 5, 2), "NOTE:   12  AB  1.50");
}

TEST(ListDirected, RecordStartsWithBlankAndSeparatesNumbers)
{
    EXPECT_EQ(list_record("Mis-match ", 10, 12), " Mis-match 10 12");
    EXPECT_EQ(list_record("Error reading help file meruhlp.txt error=", 36),
              " Error reading help file meruhlp.txt error= 36");
    EXPECT_EQ(list_record(3, "items"), " 3 items");
    EXPECT_EQ(list_record("n=", std::size_t{7}, true), " n= 7 T");
    EXPECT_EQ(list_record(), " ");
    EXPECT_EQ(list_real(2.0), "2.0");
    EXPECT_EQ(list_real(0.1), "0.1");
    EXPECT_EQ(list_real(-0.25), "-0.25");
    EXPECT_EQ(list_real(1e20), "1.0E+20");
    EXPECT_EQ(list_real(1.5e-5), "1.5E-05");
    EXPECT_EQ(list_real(123456789.0), "123456789.0");
    EXPECT_EQ(list_real(1.0f / 3.0f), "0.33333334");
}

TEST(ListDirected, RealsReadBackExactly)
{
    std::mt19937_64 gen(12345);
    std::uniform_real_distribution<double> mant(-10.0, 10.0);
    std::uniform_int_distribution<int> ex(-40, 40);
    for (int i = 0; i < 2000; ++i) {
        const double x = std::ldexp(mant(gen), ex(gen));
        const auto back = parse_real(list_real(x));
        ASSERT_TRUE(back.has_value()) << list_real(x);
        EXPECT_EQ(*back, x) << list_real(x);
    }
}

TEST(EditRoundTrip, FixedFieldsReadBackWithinHalfAUnit)
{
    // A value written with Fw.d reads back (list-directed) to within half a unit
    // of the last decimal place.
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> u(-999.0, 999.0);
    for (int i = 0; i < 2000; ++i) {
        const double x = u(gen);
        const std::string f = fmt_f(x, 10, 3);
        ASSERT_EQ(f.find('*'), std::string::npos);
        const auto back = list_read_real(f);
        ASSERT_TRUE(back.has_value());
        EXPECT_LE(std::fabs(*back - x), 0.0005 + 1e-12) << f;
        const std::string e = fmt_e(x, 12, 5);
        const auto eback = list_read_real(e);
        ASSERT_TRUE(eback.has_value()) << e;
        EXPECT_LE(std::fabs(*eback - x), 0.5e-5 * std::pow(10.0, std::ceil(std::log10(std::fabs(x)))) + 1e-12) << e;
    }
    // Every exponent a double reaches is written with its letter and reads back.
    for (int p = -307; p <= 307; ++p) {
        const double x = 1.2345 * std::pow(10.0, p);
        const std::string e = fmt_e(x, 11, 5);
        ASSERT_NE(e.find('E'), std::string::npos) << e;
        const auto back = list_read_real(e);
        ASSERT_TRUE(back.has_value()) << e;
        EXPECT_NEAR(*back / x, 1.0, 1e-4) << e;
    }
}
