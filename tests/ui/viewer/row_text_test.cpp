// Log line colours (each rule of the table, and which later rule wins) and the
// field layout of delimited data lines.
#include "ui/viewer/row_text.h"

#include <gtest/gtest.h>

namespace meru::ui::viewer {
namespace {

TEST(RowText, LogColoursByFirstCharacters)
{
    struct Case {
        std::string line;
        int fore, back;
        std::string shown;
    };
    const Case cases[] = {
        {" plain result", kBlack, kWhite, " plain result"},
        {"", kBlack, kWhite, ""},
        {"NOTE: something", kBlue, kWhite, "NOTE: something"},
        {"Note: something", kBlack, kPaleYellow, "Note: something"},
        {"+stored", kBlue, kWhite, " stored"},
        {"+1 stays", kBlue, kWhite, " 1 stays"}, // "1" is tested after the "+" is blanked
        {"ERROR: bad", kRed, kWhite, "ERROR: bad"},
        {"ERRO-----", kBlue, kWhite, "ERRO-----"},
        {"result 1.5", kBlack, kPaleYellow, "result 1.5"},
        {"Analysis of BY group 2", kBlack, kPaleBlue, "Analysis of BY group 2"},
        {"Analysis of by", kBlack, kPaleYellow, "Analysis of by"},
        {"%File:Open x.mrc", kBlack, kPaleGreen, "%File:Open x.mrc"},
        {"%time12:00:00:00", kGrey, kWhite, "%time12:00:00:00"},
        {"%tim", kBlack, kPaleGreen, "%tim"},
        {"1first", kBlack, kWhite, " first"},
        {"2second", kBlack, kLightGrey, " second"},
        {"2 -----", kBlue, kWhite, "  -----"},
        {" ----", kBlack, kWhite, " ----"},
        {" -----", kBlue, kWhite, " -----"},
    };
    for (const Case& c : cases) {
        std::string line = c.line;
        const RowColours got = log_colours(line);
        EXPECT_EQ(got.fore, c.fore) << '"' << c.line << '"';
        EXPECT_EQ(got.back, c.back) << '"' << c.line << '"';
        EXPECT_EQ(line, c.shown);
    }
}

TEST(RowText, DelimitedDataInNineColumnFields)
{
    // Comma data lose their blanks first: "1, 2,3" shows at columns 1, 10 and 19.
    EXPECT_EQ(data_row("1, 2,3", {false, true}), "1        2        3        ");
    EXPECT_EQ(data_row("a\tb c\td", {true, false}), "a        b        c        d        ");
    EXPECT_EQ(data_row("  x   yy  ", {}), "x        yy       ");
    EXPECT_EQ(data_row("longername,b", {false, true}), "longerna b        ");
    // Two commas in a row are an empty field.
    EXPECT_EQ(data_row("1,,3", {false, true}), "1                 3        ");

    // At most 250 fields, whatever the line holds.
    std::string many;
    for (int j = 1; j <= 300; ++j) many += std::to_string(j) + ",";
    const std::string row = data_row(many, {false, true});
    EXPECT_EQ(row.size(), 250u * 9);
    EXPECT_EQ(row.substr(249 * 9, 9), "250      ");
    EXPECT_EQ(field_row({"_id_", "age", "_freq_"}), "_id_     age      _freq_   ");
}

} // namespace
} // namespace meru::ui::viewer
