// Control-file pre-scan and reader on whole files: the worked example, awkward
// files of the catalogue in data/, and the counts that size the tables.
#include "cf_fixture.h"
#include "platform/io/temp_dir.h"

#include <gtest/gtest.h>

using namespace meru::files;
using meru::test::cf_data;
using meru::test::cf_text;
using meru::test::CfRun;

TEST(ControlFileExample, AttributesOneToTenAsTheFormatSays)
{
    CfRun r;
    r.run(meru::test::read_file(cf_data("cohort.mrc")), cf_data("cohort.dat"));
    EXPECT_EQ(r.errors, 0);
    EXPECT_FALSE(r.nvd.nodatafile);
    // Pre-scan: 4 name ends + 10; lines 4+2+5+2 plus the null attribute.
    EXPECT_EQ(r.counts.attbound, 14);
    EXPECT_EQ(r.counts.varbound, 14);
    EXPECT_EQ(r.counts.cutbound, 5);

    ASSERT_EQ(r.t.vars.nvar, 4);
    EXPECT_EQ(r.t.vars.varname[3], "grade");
    EXPECT_FALSE(r.t.vars.hasid);
    EXPECT_EQ(r.t.vars.idcol, 14);

    ASSERT_EQ(r.t.nlines, 5);
    ASSERT_EQ(r.t.natt, 10);
    // 1 null, 2-4 age, 5 sex, 6-9 grade, 10 score.
    const int attoff[] = {0, 1, 4, 5, 9, 10};
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(r.line(k).attoff, attoff[k]) << k;
    EXPECT_EQ(r.line(1).var, 0);
    EXPECT_EQ(r.att(1).attname, ".");
    EXPECT_EQ(r.own(1), "=$null");

    EXPECT_EQ(r.line(2).type, 'i');
    EXPECT_EQ(r.own(2), ">$40");
    EXPECT_EQ(r.comp(2), "<=40");
    EXPECT_EQ(r.att(3).cut1, 50.0);
    EXPECT_EQ(r.att(3).cut2, 1.0e30);
    EXPECT_EQ(r.att(4).attname, "age$$$$$");
    EXPECT_EQ(r.att(4).attline, 2);

    EXPECT_EQ(r.line(3).type, 'n');
    EXPECT_EQ(r.line(3).universe, "MF");
    EXPECT_EQ(r.own(5), "_male");
    EXPECT_EQ(r.comp(5), "^male");
    EXPECT_EQ(r.att(5).savedlab[1].substr(0, 3), "=$M");
    EXPECT_EQ(r.att(5).savedlab[0].substr(0, 3), "=$F");
    EXPECT_EQ(r.att(5).codes, "M");

    // cv4: percentile intervals written higher percentile first.
    EXPECT_TRUE(r.line(4).percentile);
    EXPECT_EQ(r.own(6), "(]p25,p0");
    EXPECT_EQ(r.att(6).cut1, 25.0);
    EXPECT_EQ(r.att(6).cut2, 0.0);
    EXPECT_TRUE(r.att(6).range);
    EXPECT_FALSE(r.att(6).ordered);
    EXPECT_EQ(r.own(9), "(]p100,p75");

    EXPECT_TRUE(r.line(5).mean);
    EXPECT_EQ(r.own(10), ">$mean");
    EXPECT_EQ(r.att(10).cut1, -1.0);

    EXPECT_TRUE(r.t.format.freefmt);
    EXPECT_FALSE(r.t.format.comma);
    EXPECT_EQ(r.t.format.cfdataname, "COHORT.DAT");
    ASSERT_EQ(r.t.cfcomb.size(), 1u);
    EXPECT_EQ(r.t.cfcomb[0], "+combo  (2 5)(10)");

    const std::vector<std::string> expected = {
        "Cohort study of 1996",
        " There are 4 input variables:",
        " age      sex      grade    score",
        "Attribute creating lines and assigned attribute #s:",
        " #    1      . n null",
        " #    2-   4 age i 40 50 60",
        " #    5      sex nMF M=male",
        " #    6-   9 grade cv4",
        " #   10      score mean",
        " Space delimited free format",
        " Data format: free space",
        " Control file Boolean combinations found:",
        "+combo  (2 5)(10)",
    };
    EXPECT_EQ(r.lines, expected);
    EXPECT_EQ(r.msgline, "free space");
}

TEST(ControlFileCatalogue, CrlfWithoutFinalLineEndReadsTheSame)
{
    CfRun a, b;
    a.run(meru::test::read_file(cf_data("cohort.mrc")), cf_data("cohort.dat"));
    b.run(meru::test::read_file(cf_data("cohort_crlf_nofinal.mrc")), cf_data("cohort.dat"));
    EXPECT_EQ(b.errors, 0);
    EXPECT_EQ(a.lines, b.lines);
    ASSERT_EQ(b.t.natt, a.t.natt);
    for (int i = 1; i <= a.t.natt; ++i) EXPECT_EQ(a.att(i).attlab, b.att(i).attlab);
    EXPECT_EQ(b.t.cfcomb, a.t.cfcomb);
}

TEST(ControlFileCatalogue, BlankLinesAndColumnsBeyond80)
{
    CfRun r;
    r.run(meru::test::read_file(cf_data("blanks_long.mrc")));
    EXPECT_EQ(r.errors, 0);
    EXPECT_EQ(r.t.vars.nvar, 2);
    EXPECT_EQ(r.t.natt, 3); // null, a > 1, b > 2 (the text past column 80 is ignored)
    EXPECT_TRUE(r.called("help:NOTE: beyond 80th column"));
}

TEST(ControlFileCatalogue, DuplicatedNamesAreRenamed)
{
    CfRun r;
    r.run(meru::test::read_file(cf_data("dupnames.mrc")));
    ASSERT_EQ(r.t.vars.nvar, 4);
    EXPECT_EQ(r.t.vars.varname[1], "weight");
    EXPECT_EQ(r.t.vars.varname[2], "weight_2");
    EXPECT_EQ(r.t.vars.varname[3], "weight_3");
    EXPECT_EQ(r.t.vars.varname[4], "x");
    EXPECT_TRUE(r.logged("ERROR: duplicate var name: weight    Fix up with weight_2"));
    EXPECT_TRUE(r.called("help:NOTE: Duplicate var names fix-up re-names done$"));
    EXPECT_EQ(r.line(2).var, 2); // "weight_2 i 5" names the renamed column
}

TEST(ControlFileCatalogue, NamesFromTheDataFile)
{
    CfRun r;
    r.flags.comma = true;
    r.run("Names from the data file\n*\n_all_ mean\n*\nfree comma\nSURVEY.CSV\n", cf_data("survey.csv"));
    ASSERT_EQ(r.t.vars.nvar, 4);
    EXPECT_TRUE(r.t.vars.names_from_data);
    EXPECT_EQ(r.t.vars.varname[3], "weight_2");
    EXPECT_EQ(r.t.nlines, 5); // _all_ gives lines 2-5
    EXPECT_EQ(r.t.natt, 5);
    EXPECT_EQ(r.line(5).name, "grp");
    EXPECT_TRUE(r.t.format.comma);
    // Only the first of the lines made by _all_ is written out and logged.
    EXPECT_TRUE(r.logged(" #    2      _all_ mean"));
    EXPECT_FALSE(r.logged_prefix(" #    3"));
    EXPECT_GE(r.counts.varbound, 4 + 10);
}

TEST(ControlFileReader, IdAndFreqAreRemovedAndFixedFormatChecked)
{
    CfRun r;
    r.run(cf_text("x _ID_ y _FREQ_ z", "x i 1\n_ID_ i 2\n", "(F4.1,A4,F2.0,I3,F2.0)\nX.DAT\n"));
    ASSERT_EQ(r.t.vars.nvar, 3);
    EXPECT_EQ(r.t.vars.varname[2], "y");
    EXPECT_EQ(r.t.vars.idcol, 2);
    EXPECT_EQ(r.t.vars.freqcol, 4);
    EXPECT_TRUE(r.logged(" Identifier variable (_id_) is defined"));
    EXPECT_TRUE(r.logged(" Frequency variable (_freq_) is defined"));
    EXPECT_TRUE(r.logged("ERROR _ID_ cannot be used to create attributes"));
    EXPECT_TRUE(r.called("help:ERROR: attributes from _id_ and _freq_"));
    EXPECT_FALSE(r.t.format.freefmt);
    EXPECT_EQ(r.t.format.fmttext, "(F4.1,A4,F2.0,I3,F2.0)");
    EXPECT_TRUE(r.called("msgbox:NOTE:_ID_ variable must be first column in fixed format$ kind=okcancel"));
    EXPECT_TRUE(r.called("msgbox:NOTE:_FREQ_ variable must be last column in fixed format$ kind=okcancel"));
    EXPECT_EQ(r.errors, 1);
}

TEST(ControlFileReader, OnlyTheNullLine)
{
    CfRun r;
    r.run(cf_text("a b", ""));
    EXPECT_EQ(r.t.natt, 1);
    EXPECT_TRUE(r.called("help:NOTE: .MRC file has no attributes"));
    EXPECT_EQ(r.errors, 1);
}

TEST(ControlFileReader, EndOfFileBeforeTheDataFileName)
{
    CfRun r;
    r.run("Title\na b\n*\na i 1\n");
    EXPECT_TRUE(r.nvd.nodatafile);
    EXPECT_TRUE(r.nvd.nodata);
    EXPECT_TRUE(r.called("help:NOTE: novaliddata "));
    EXPECT_TRUE(r.called("help:ERROR: end of .mrc file"));
    EXPECT_GE(r.errors, 1);
}

TEST(ControlFileReader, CombinationsKeepThirty)
{
    std::string tail = "free space\nX.DAT\n";
    for (int i = 1; i <= 31; ++i) tail += "\n+c" + std::to_string(i) + " (2)\n";
    CfRun r;
    r.run(cf_text("a", "a i 1\n", tail));
    EXPECT_EQ(r.t.cfcomb.size(), 30u);
    EXPECT_EQ(r.t.ncombfound, 31);
    EXPECT_TRUE(r.logged(" Note: only 30 of the 31 specified are retained"));
}

// A combination line past its 200 columns would be kept cut; it is left out.
TEST(ControlFileReader, CombinationsLongerThan200AreLeftOut)
{
    const std::string whole = "+full   " + std::string(187, ' ') + "(2 3)";   // 200 columns
    const std::string cut = "+cut    " + std::string(185, ' ') + "(-2 3 -4)"; // 202 columns
    CfRun r;
    r.run(cf_text("a", "a i 1 2 3\n", "free space\nX.DAT\n" + whole + "\n" + cut + "\n"));
    ASSERT_EQ(r.t.cfcomb.size(), 1u);
    EXPECT_EQ(r.t.cfcomb[0], whole);
    EXPECT_EQ(r.t.ncombfound, 1);
    EXPECT_TRUE(r.logged("NOTE: combination longer than 200 characters ignored: +cut ..."));
    EXPECT_EQ(r.errors, 1);
}

TEST(PreScan, MissingDataFileAndExtensionNotes)
{
    CfRun r;
    r.run(cf_text("a", "a i 1\n"), cf_data("no-such-file.dat"));
    EXPECT_TRUE(r.called("help:ERROR: data file not found"));
    EXPECT_TRUE(r.nvd.nodatafile);

    CfRun c;
    c.run(cf_text("a", "a i 1\n", "free comma\nDATA.TXT\n"), cf_data("plain.dat"));
    EXPECT_TRUE(c.called("msgbox:NOTE: .CSV file expected for comma delimited, may fail $ kind=okcancel"));
    EXPECT_FALSE(c.nvd.nodatafile);
}

// Tables smaller than the control file needs (as after a changed file): every
// store is checked and reported, nothing is written past the tables.
TEST(ControlFileReader, TablesTooSmallAreReportedNotOverrun)
{
    std::string vars;
    for (int i = 1; i <= 60; ++i) vars += "v" + std::to_string(i) + " ";
    const auto recs = meru::io::split_records(cf_text(vars, "v1 i 1\n"));
    CfRun r;
    allocate(r.t, ScanCounts{1, 1, 1}); // room for 51 variables and 51 attributes
    r.read(recs);
    EXPECT_TRUE(r.called("msgbox:ERROR: too many variables,$ kind=okcancel"));
    EXPECT_TRUE(r.logged(" too many variables = 60 > 51"));
    EXPECT_EQ(r.errors, 1);

    const auto many = meru::io::split_records(cf_text("x", "x i (1-50-1)\nx i (1-50-1)\n"));
    CfRun s;
    allocate(s.t, ScanCounts{1, 1, 1});
    s.read(many);
    EXPECT_EQ(s.t.natt, 1 + 50);
    EXPECT_TRUE(s.logged_prefix("ERROR too many attributes. Line ignored:"));
    EXPECT_EQ(s.t.att.size(), 52u);
}

// The variable list may take 5000 characters, a blank standing for each line end
// between its lines; a longer one (every second case: 5001) is refused whole, in
// the control file as in the data file's first line.
TEST(ControlFileReader, VariableListOfAtMost5000Characters)
{
    std::string names; // 833 names of 5 characters with blanks: 4997 characters
    for (int i = 1; i <= 833; ++i) names += (i > 1 ? " v" : "v") + std::to_string(1000 + i);
    const std::string two = names.substr(0, 2501) + "\n"; // a first line ending at a blank
    const std::string lists[][2] = {{names + "abc", ""}, {names + "abcd", ""}, {two + names.substr(2502) + "abc", ""},
                                    {two + names.substr(2501) + "abc", ""}, {"", names + "abc"}, {"", names + "abcd"}};
    const meru::io::testing::TempDir dir;
    for (int k = 0; k < 6; ++k) {
        const auto& [list, first_line] = lists[k];
        const bool refused = k % 2 == 1;
        CfRun r;
        r.run(cf_text(list, "v1001 i 1\n"), dir.write("names.dat", first_line + "\n1\n"));
        EXPECT_EQ(r.nvd.names_refused, refused) << k;
        EXPECT_EQ(r.called("help:ERROR: too many characters"), refused) << k;
        EXPECT_EQ(r.called(list.empty() ? "help:NOTE: too long variable list in data file"
                                         : "help:NOTE: too long variable list in control file"),
                  refused)
            << k;
        if (!refused) {
            EXPECT_TRUE(r.t.vars.nvar == 833 && r.t.vars.varname[833] == "v1833abc") << k;
        }
    }
}

TEST(ControlFileReader, NamesFromAMissingDataFile)
{
    CfRun r;
    r.run("T\n*\n_all_ mean\n*\nfree space\nX.DAT\n", cf_data("missing.dat"));
    EXPECT_TRUE(r.called("help:ERROR: data file not found"));
    EXPECT_TRUE(r.called("msgok:ERROR opening data file" + cf_data("missing.dat").substr(0, 30) + " for var names$"));
    EXPECT_EQ(r.t.vars.nvar, 0);
    EXPECT_GE(r.errors, 1);
}

TEST(ControlFileReader, TabDelimitedListAndTheMissingDelimiterNote)
{
    CfRun r;
    r.flags.tab = true;
    r.run(cf_text("a b\tc d", "ab i 1\n", "free tab\nX.TXT\n"));
    ASSERT_EQ(r.t.vars.nvar, 2); // blanks are removed before the split at tabs
    EXPECT_EQ(r.t.vars.varname[1], "ab");
    EXPECT_EQ(r.t.vars.varname[2], "cd");
    EXPECT_TRUE(r.t.format.tab);
    EXPECT_TRUE(r.logged(" Tab delimited free format"));

    CfRun c;
    c.flags.comma = true;
    c.run("T\n*\na i 1\n*\nfree comma\nPLAIN.DAT\n", cf_data("plain.dat"));
    EXPECT_TRUE(c.called("msgbox:NOTE: csv file expected, but no comma in var list. May fail$ kind=okcancel"));
}
