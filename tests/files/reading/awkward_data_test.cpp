// Awkward data files of the kinds users have (tests/files/data/): each is read as
// written, or what could not be read is said in the log.
#include "cf_fixture.h"
#include "support/reported_data.h"

using meru::files::kMissing;
using meru::test::cf_data;
using meru::test::read_file;
using meru::test::run_data;

namespace {

std::unique_ptr<meru::test::DataRun> run_file(const std::string& cf, const std::string& name)
{
    return run_data(cf, read_file(cf_data(name)), name);
}

} // namespace

TEST(AwkwardData, EmptyHeaderCellOfATabFileIsNamedAndColumnsStayAligned)
{
    auto r = run_file("m\n*\n_all_ mean\n*\nfree tab\nDATA\n", "tab_empty_header.txt");
    ASSERT_EQ(r->t.vars.nvar, 3);
    EXPECT_EQ(r->t.vars.varname[2].substr(0, 1), "_");
    ASSERT_EQ(r->r.nread, 2);
    EXPECT_EQ(r->x(1, "a"), 1);
    EXPECT_EQ(r->x(1, "c"), 3);
    EXPECT_EQ(r->x(2, "c"), 6);
}

TEST(AwkwardData, BlanksAndTabsTogetherAreOneSeparatorInTheSpaceLayout)
{
    auto r = run_file("m\n*\n_all_ mean\n*\nfree space\nDATA\n", "space_blank_tab.dat");
    ASSERT_EQ(r->t.vars.nvar, 3);
    ASSERT_EQ(r->r.nread, 2);
    for (int i : {1, 2}) {
        EXPECT_EQ(r->x(i, "a"), i == 1 ? 1 : 4);
        EXPECT_EQ(r->x(i, "b"), i == 1 ? 2 : 5);
        EXPECT_EQ(r->x(i, "c"), i == 1 ? 3 : 6);
    }
    EXPECT_EQ(r->r.missing_total, 0);
}

TEST(AwkwardData, ItemsBeyondTheVariablesAreNotedOnceWithTheirRecordCount)
{
    auto r = run_file("m\na b c\n*\na i 1\n*\nfree space\nDATA\n", "extra_items.dat");
    ASSERT_EQ(r->r.nread, 4);
    EXPECT_EQ(r->x(3, "c"), 15);
    EXPECT_EQ(r->r.extra_item_records, 2);
    EXPECT_EQ(r->count_logged("items beyond the variables listed"), 1);
    EXPECT_TRUE(r->logged("NOTE: 2 record(s) held items beyond the variables listed; those items were not read"));
}

TEST(AwkwardData, ByteOrderMarkIsSkippedInDataAndControlFiles)
{
    auto r = run_file("m\n*\n_all_ mean\nid i 1\n*\nfree comma\nDATA\n", "bom.csv");
    ASSERT_EQ(r->t.vars.nvar, 2);
    EXPECT_EQ(r->t.vars.varname[1], "id");
    EXPECT_EQ(r->cf_errors, 0);
    EXPECT_EQ(r->x(2, "x"), 6);

    const std::string cf = read_file(cf_data("bom.mrc"));
    ASSERT_EQ(cf.substr(0, 3), "\xEF\xBB\xBF");
    auto c = run_data(cf, "1,5\n2,6\n");
    EXPECT_EQ(c->t.title.rfind("Bom control file", 0), 0u);
    EXPECT_EQ(c->cf_errors, 0);
    EXPECT_EQ(c->x(2, "id"), 2);
}

TEST(AwkwardData, SharesOfMissingValuesNeverExceedAHundredPercent)
{
    // One whole record and nine whose every field is empty.
    auto r = run_file("m\n*\n_all_ mean\n*\nfree comma\nDATA\n", "all_empty.csv");
    ASSERT_EQ(r->r.nread, 10);
    EXPECT_EQ(r->r.nobsin, 1);
    EXPECT_EQ(r->r.allmissing, 9);
    EXPECT_EQ(r->r.missing_total, 0);
    EXPECT_FALSE(r->logged("900.0%"));
    EXPECT_TRUE(r->logged("# missing values=       0(  0.0%) # incomplete records=     9( 90.0%)."));
}

TEST(AwkwardData, HeaderOfTheListedNamesIsSkippedWithANote)
{
    auto r = run_file("m\nage,number,start\n*\nage mean\n*\nfree comma\nDATA\n", "header_listed.csv");
    ASSERT_EQ(r->r.nread, 3);
    EXPECT_TRUE(r->r.header_skipped);
    EXPECT_EQ(r->x(1, "age"), 71);
    EXPECT_EQ(r->x(3, "start"), 5);
    EXPECT_TRUE(r->logged("NOTE: the first line of the data file holds the variable names: skipped as a header"));
    EXPECT_FALSE(r->logged("Mis-match"));

    // A first line of data is read as data.
    auto d = run_data("m\nage,number,start\n*\nage mean\n*\nfree comma\nDATA\n", "71,3,5\n158,3,14\n");
    EXPECT_EQ(d->r.nread, 2);
    EXPECT_FALSE(d->r.header_skipped);
    EXPECT_EQ(d->x(1, "age"), 71);
}

TEST(AwkwardData, UnreadableFixedRecordsShowOneBoxAndTheirCountInTheLog)
{
    // (2F3.0) over eight records of letters.
    auto r = run_file("m\na b\n*\na i 2\n*\n(2F3.0)\nDATA\n", "fixed_letters.dat");
    EXPECT_EQ(r->sv.with_prefix("msgbox:NOTE: Possible character header").size(), 1u);
    EXPECT_EQ(r->r.rejected_records, 8);
    EXPECT_EQ(r->r.nread, 0);
    EXPECT_TRUE(r->logged("NOTE: 8 record(s) could not be read and were skipped"));
}

TEST(AwkwardData, ClassesOfACvLineHoldEveryValueTheMinimumIncluded)
{
    // Seven values, the minimum 1 twice: the cv classes (their attributes'
    // negative sides) add up to all seven, for every k.
    for (int k : {2, 3, 4}) {
        auto r = run_file("m\n*\nx cv" + std::to_string(k) + "\n*\nfree comma\nDATA\n", "cv_minimum.csv");
        ASSERT_EQ(r->r.nread, 7);
        long long in_classes = 0;
        for (int a = 2; a <= 1 + k; ++a) in_classes += r->r.att[static_cast<std::size_t>(a)].negative;
        EXPECT_EQ(in_classes, 7) << "cv" << k;
    }
}

TEST(AwkwardData, LongNamesOnAttributeLinesResolveToTheVariableTheyName)
{
    // measurement1 and measurement2 share their first 8 characters; the second
    // is renamed measure2 in the list.
    auto r = run_file("m\n*\n_all_ mean\n*\nfree space\nDATA\n", "long_names.dat");
    ASSERT_EQ(r->t.vars.nvar, 2);
    auto l = run_data("m\nmeasurement1 measurement2\n*\nmeasurement2 i 25\nmeasurement1 i 2\nmeasurement3 i 1\n*\n"
                      "free space\nDATA\n",
                      "1 10\n2 20\n3 30\n", "l.dat");
    ASSERT_EQ(l->t.vars.varname[2], "measure2");
    ASSERT_GE(l->t.nlines, 3);
    EXPECT_EQ(l->t.line[2].var, 2); // measurement2: its own column
    EXPECT_EQ(l->t.line[3].var, 1);
    EXPECT_EQ(l->r.att[2].positive, 1); // only 30 > 25
    EXPECT_TRUE(l->logged("ERROR measurement3 not a valid variable to make attribute. Ignored"));
}
