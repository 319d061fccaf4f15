// Means, percentiles, the attribute matrix and the attribute frequency table.
#include "support/reported_data.h"

#include <algorithm>
#include <cmath>
#include <numeric>

using meru::files::weighted_percentile;
using meru::test::run_data;

TEST(Percentile, UnitWeightsMatchQuantileType4)
{
    const std::vector<float> v{1, 2, 3, 4};
    const std::vector<int> w{1, 1, 1, 1};
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 25).value, 1);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 50).value, 2);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 75).value, 3);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 0).value, 1);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 0).actual, 0);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 100).value, 4);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 100).actual, 100);
    // 10 20 30 40 50, p30: n p = 1.5, x1 + 0.5 (x2 - x1) = 15; reached at 20%.
    const std::vector<float> v5{10, 20, 30, 40, 50};
    const std::vector<int> w5(5, 1);
    EXPECT_FLOAT_EQ(weighted_percentile(v5, w5, 30).value, 15);
    EXPECT_FLOAT_EQ(weighted_percentile(v5, w5, 30).actual, 20);
    EXPECT_FLOAT_EQ(weighted_percentile(v5, w5, 70).value, 35);
}

TEST(Percentile, OnlyAboveTheTopThresholdIsTheLargestValue)
{
    // 1..1000: p 99.5 still interpolates (995, reached at 99.4%); up to 99.99 the walk
    // runs past its last boundary (999 at 99.9%), so the largest value comes with the
    // proportion reached; only above 99.99 is it taken as the 100th percentile.
    std::vector<float> v(1000);
    std::iota(v.begin(), v.end(), 1.0f);
    const std::vector<int> w(1000, 1);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 99.5).value, 995);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 99.5).actual, 99.4f);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 99.98).value, 1000);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 99.98).actual, 99.9f);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 99.995).value, 1000);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 99.995).actual, 100);
}

TEST(Percentile, WeightsAndTies)
{
    // 10(1) 20(3) 40(1) 50(5): proportions 0.1, 0.4, 0.5, 1 at the boundaries.
    const std::vector<float> v{10, 20, 20, 20, 40, 50};
    const std::vector<int> w{1, 1, 2, 0, 1, 5};
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 25).value, 15); // interp(.1,10, .4,20, .25)
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 25).actual, 10);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 50).value, 40); // interp(.4,20, .5,40, .5)
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 50).actual, 40);
}

TEST(Percentile, BeyondTheLastBoundaryGivesTheLargestValue)
{
    // p90 of 1 2 2 2 2: the only boundary is at 20%; the answer is 2, never 1.
    const std::vector<float> v{1, 2, 2, 2, 2};
    const std::vector<int> w(5, 1);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 90).value, 2);
    EXPECT_FLOAT_EQ(weighted_percentile(v, w, 90).actual, 20);
    const std::vector<float> one{7};
    const std::vector<int> w1{3};
    EXPECT_FLOAT_EQ(weighted_percentile(one, w1, 50).value, 7);
    EXPECT_EQ(weighted_percentile({}, {}, 50).value, 0);
}

TEST(Attributes, PercentileLineCutsAndLabels)
{
    const char* cf = "p\nx\n*\nx i p25 p50 p90\nx cv4\n*\nfree space\nDATA\n";
    auto r = run_data(cf, "1\n2\n3\n4\n5\n6\n7\n8\n", "p.dat");
    ASSERT_EQ(r->r.nread, 8);
    // p25: boundaries at 1/8 and 2/8: interp(.125,1, .25,2, .25) = 2.
    EXPECT_FLOAT_EQ(static_cast<float>(r->t.att[2].cut1), 2);
    EXPECT_FLOAT_EQ(static_cast<float>(r->t.att[3].cut1), 4);
    // p90 lies beyond the last boundary (7/8 at the value 7): the largest value.
    EXPECT_FLOAT_EQ(static_cast<float>(r->t.att[4].cut1), 8);
    EXPECT_EQ(r->t.att[2].attlab[1].substr(0, 8), ">$2.000 ");
    // cv4: "p25,p0" is false exactly on [minimum, p25] = [1, 2]: the lowest class
    // is closed at the minimum.
    const int a = 5;
    EXPECT_FALSE(r->t.att[a].ordered);
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(r->ab(a, i), i <= 2 ? 0 : 1) << i;
    EXPECT_TRUE(r->logged("NOTE: only  8 distinct values. Percentiles not meaningful?"));
    EXPECT_TRUE(r->logged("              25.0     2.000         12.50"));
}

TEST(Attributes, ReversedLinesCompareMissingValues)
{
    const char* cf = "r\nx\n*\nx i- 10\nx i 10\n*\nfree space\nDATA\n";
    auto r = run_data(cf, "5\n-1\n15\n", "r.dat");
    ASSERT_EQ(r->r.nread, 3);
    EXPECT_EQ(r->ab(2, 1), 0);
    EXPECT_EQ(r->ab(2, 2), 0); // missing, compared with 10: not above it
    EXPECT_EQ(r->ab(2, 3), 1);
    EXPECT_EQ(r->ab(3, 2), 255);
}

TEST(Attributes, NominalCodeSetsIncludingMissingAndLongUniverses)
{
    const char* cf = "n\ng h\n*\ng n01- 0- 1\nh n0123456789ABCDEFGHIJ 0\n*\nfree space\nDATA\n";
    auto r = run_data(cf, "0 J\n1 0\n- 5\n2 K\n", "n.dat");
    ASSERT_EQ(r->r.nread, 4);
    // g = 0 or missing
    EXPECT_EQ(r->ab(2, 1), 1);
    EXPECT_EQ(r->ab(2, 2), 0);
    EXPECT_EQ(r->ab(2, 3), 1);
    EXPECT_EQ(r->ab(2, 4), 255); // 2 is outside the universe
    // g = 1: a missing value lies in the complement "0-"
    EXPECT_EQ(r->ab(3, 3), 0);
    EXPECT_EQ(r->ab(3, 2), 1);
    // h = 0: the complement holds twenty codes; J (19) is false, not excluded.
    EXPECT_EQ(r->ab(4, 1), 0);
    EXPECT_EQ(r->ab(4, 2), 1);
    EXPECT_EQ(r->ab(4, 3), 0);
    EXPECT_EQ(r->ab(4, 4), 255); // K is outside the universe
}

TEST(Attributes, RedundantAndMostlyExcludedAttributesAreBanned)
{
    const char* cf = "b\nx y z\n*\nx i 0\ny i 5\nz i 1 5\n*\nfree space\nDATA\n";
    auto r = run_data(cf, "1 1 0\n2 - 3\n3 9 1\n4 8 3\n5 7 0\n", "b.dat");
    ASSERT_EQ(r->r.nread, 5);
    EXPECT_TRUE(r->t.line[2].banned);  // x > 0 for every observation
    EXPECT_TRUE(r->t.line[3].banned);  // y: 1 of 4 excluded (> 10%)
    EXPECT_FALSE(r->t.line[4].banned); // two cuts: redundant, but not banned
    EXPECT_EQ(r->count_logged("NOTE: Attribute is redundant."), 2);
    EXPECT_TRUE(r->logged("NOTE: Attribute has >10% excluded values.  By default banned in searches"));
    EXPECT_TRUE(r->logged("1   1  . =null"));
    EXPECT_TRUE(r->logged("2   2  x >0                           5  x <=0                          0"));
    for (int a = 1; a <= r->t.natt; ++a) EXPECT_EQ(r->t.att[a].signbyte, 1);
}

TEST(Attributes, ZeroWeightObservationsCountNowhere)
{
    const char* cf = "w\nx _FREQ_\n*\nx i p0 p50\nx mean\n*\nfree space\nDATA\n";
    auto r = run_data(cf, "20 2\n5 0\n30 1\n", "w.dat");
    ASSERT_EQ(r->r.nread, 3);
    EXPECT_FLOAT_EQ(static_cast<float>(r->t.att[2].cut1), 20); // p0 is 20, not 5
    EXPECT_NEAR(r->t.att[4].cut1, 70.0 / 3.0, 1e-4);           // (2*20 + 30) / 3
    const auto& s = r->r.line[2];
    EXPECT_EQ(s.count, 3);
    EXPECT_EQ(s.min, 20);
    EXPECT_EQ(s.max, 30);
    EXPECT_EQ(r->r.att[4].positive + r->r.att[4].negative, 3);
}

TEST(Attributes, AllMissingVariableHasAZeroMeanAndNoData)
{
    const char* cf = "z\nx y\n*\nx mean\ny i 1\n*\nfree space\nDATA\n";
    auto r = run_data(cf, "- 1\n? 2\n", "z.dat");
    ASSERT_EQ(r->r.nread, 2);
    EXPECT_EQ(r->t.att[2].cut1, 0);
    EXPECT_TRUE(std::isfinite(r->t.att[2].cut1));
    EXPECT_TRUE(r->logged("NOTE: No data on x        All missing!"));
    EXPECT_TRUE(r->called("help:NOTE: All missing"));
    EXPECT_EQ(r->ab(2, 1), 255);
}

TEST(Attributes, OrdinalValueErrorsAreCountedAndCapped)
{
    const char* cf = "o\nx\n*\nx o 3\n*\nfree space\nDATA\n";
    std::string data = "2.5\n40\n";
    for (int i = 0; i < 12; ++i) data += "1.5\n";
    auto r = run_data(cf, data, "o.dat");
    EXPECT_EQ(r->r.errors, 14);
    EXPECT_TRUE(r->logged("ERROR: record      1 of x        type o is non-integer. Value=    2.50"));
    EXPECT_TRUE(r->logged("ERROR: record      2 for x       , type o is >35. Value=   40.00"));
    EXPECT_EQ(r->count_logged("ERROR: record"), 10);
    EXPECT_EQ(r->count_logged("ERROR: More errors occurred."), 1);
    EXPECT_TRUE(r->called("msgbox:NOTE: there are data or control file errors. View output log $ kind=ok"));
}

TEST(Attributes, PseudoVariables)
{
    const char* cf = "g\nx\n*\n_i_ i 2\n_r_ i 2\n*\nfree space\nDATA\n";
    auto r = run_data(cf, "7\n8\n9\n10\n", "g.dat");
    ASSERT_EQ(r->r.nread, 4);
    EXPECT_EQ(r->ab(2, 1), 0);
    EXPECT_EQ(r->ab(2, 2), 0);
    EXPECT_EQ(r->ab(2, 3), 1);
    ASSERT_EQ(r->r.perm.size(), 1u);
    std::vector<int> p = r->r.perm[0];
    std::sort(p.begin(), p.end());
    EXPECT_EQ(p, (std::vector<int>{1, 2, 3, 4}));
    // The permutation values are stored in the "_r_" column and cut at 2.
    int above = 0;
    for (int i = 1; i <= 4; ++i) above += r->ab(3, i);
    EXPECT_EQ(above, 2);
    EXPECT_TRUE(r->logged("NOTE: non-repeatable permutation index _r_"));
}

TEST(Attributes, NominalLineWithoutCutExcludesEveryObservation)
{
    // "y b" has no code set to test: its attribute is excluded, never read from a mean.
    const char* cf = "c\ny\n*\ny b\n*\nfree space\nDATA\n";
    auto r = run_data(cf, "0\n1\n1\n", "c.dat");
    ASSERT_EQ(r->r.nread, 3);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(r->ab(2, i), 255);
    EXPECT_TRUE(r->t.line[2].banned);
    EXPECT_EQ(r->t.att[2].attlab[1].find("0.6"), std::string::npos);
}

TEST(Attributes, ReadingBuildsWithoutReportingAndTheReportsFollowFromItsResult)
{
    // Percentile cuts on a, "_r_", a value error on n (40 > 35), one record all
    // missing: reading alone writes none of the attribute reports, and writing them
    // afterwards from its result gives the whole opening log.
    const std::string cf = "T\n*\na p 50\n_r_ i 2\nn n 1\n*\nfree comma\nDATA\n";
    const std::string data = "a,n\n1,2\n2,40\n3,1\n,\n4,2\n";
    const auto quiet = run_data(cf, data, "t.csv", false);
    const auto full = run_data(cf, data, "t.csv", true);
    for (const char* report : {"Percentiles of P<x> cuts", "non-repeatable permutation", "is >35",
                               " n=", "attributes created", "Statistics of variables", "Code# Positive"})
        EXPECT_FALSE(quiet->logged(report)) << report;
    EXPECT_TRUE(quiet->r.found.permuted);
    ASSERT_EQ(quiet->r.found.percentiles.size(), 1u);
    EXPECT_EQ(quiet->r.found.percentiles[0].first, 2);
    ASSERT_EQ(quiet->r.found.value_errors.size(), 1u);
    EXPECT_EQ(quiet->r.found.value_errors[0].obs, 2);
    EXPECT_EQ(quiet->r.found.notes.size(), static_cast<std::size_t>(quiet->t.natt) + 1);
    // The matrix is the same with or without the reports.
    EXPECT_EQ(quiet->d.abyte, full->d.abyte);
    // The reports add lines after reading's own, in the order of the log.
    ASSERT_GT(full->lines.size(), quiet->lines.size());
    EXPECT_TRUE(std::equal(quiet->lines.begin(), quiet->lines.end(), full->lines.begin()));
    std::vector<std::size_t> at;
    for (const char* report : {"non-repeatable permutation", "Percentiles of P<x> cuts", "is >35",
                               " n=", "Statistics of variables", "Code# Positive"}) {
        const auto it = std::find_if(full->lines.begin(), full->lines.end(),
                                     [&](const std::string& l) { return l.find(report) != std::string::npos; });
        ASSERT_NE(it, full->lines.end()) << report;
        at.push_back(static_cast<std::size_t>(it - full->lines.begin()));
    }
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
}

TEST(Attributes, WithoutDataOnlyTheNoDataReportIsWritten)
{
    // Nothing read: the no-data report, and no summary or frequency table.
    const auto run = run_data("T\na\n*\na i 1\n*\nfree comma\nDATA\n", "", "empty.csv");
    EXPECT_TRUE(run->novalid);
    EXPECT_EQ(run->count_logged(" There is no data read in to analyse."), 1);
    EXPECT_FALSE(run->logged("%Attribute frequencies:"));
    EXPECT_TRUE(run->r.found.notes.empty());
}
