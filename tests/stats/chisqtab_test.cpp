// Pearson chi-square of count tables; reference values from
// scipy.stats.chi2_contingency(correction=False) on the table without its empty
// rows and columns.
#include "special_functions_test_util.h"
#include "stats/chisqtab.h"
#include "stats/count_table.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

using meru::stats::chisqtab;
using meru::stats::ChiSquareTest;

namespace {

// Builds a column-by-column table from rows given row by row.
std::vector<std::int64_t> by_columns(const std::vector<std::vector<std::int64_t>>& rows)
{
    std::vector<std::int64_t> t;
    for (std::size_t j = 0; j < rows[0].size(); ++j)
        for (const auto& r : rows) t.push_back(r[j]);
    return t;
}

ChiSquareTest run(const std::vector<std::vector<std::int64_t>>& rows, std::vector<double>* rs = nullptr,
                  std::vector<double>* cs = nullptr)
{
    const auto t = by_columns(rows);
    std::vector<double> r(rows.size()), c(rows[0].size());
    auto res = chisqtab(t, int(rows.size()), int(rows[0].size()), r, c);
    if (rs) *rs = r;
    if (cs) *cs = c;
    return res;
}

} // namespace

TEST(Chisqtab, PerfectAssociation)
{
    std::vector<double> rs, cs;
    const auto r = run({{10, 0}, {0, 10}}, &rs, &cs);
    EXPECT_DOUBLE_EQ(r.chisq, 20.0);
    EXPECT_EQ(r.df, 1.0);
    EXPECT_DOUBLE_EQ(r.coef, 1.0);
    EXPECT_DOUBLE_EQ(r.total, 20.0);
    EXPECT_TRUE(RelNear(r.p, 7.744216431044088e-06, 1e-9));
    EXPECT_EQ(rs, (std::vector<double>{10, 10}));
    EXPECT_EQ(cs, (std::vector<double>{10, 10}));
}

TEST(Chisqtab, TwoByKTables)
{
    auto r = run({{12, 5, 7}, {3, 9, 14}});
    EXPECT_TRUE(RelNear(r.chisq, 8.810286935286934, 1e-12));
    EXPECT_EQ(r.df, 2.0);
    EXPECT_TRUE(RelNear(r.p, 0.012214353924559529, 1e-9));

    r = run({{20, 30, 10, 5}, {25, 10, 40, 8}});
    EXPECT_TRUE(RelNear(r.chisq, 27.464930332770923, 1e-12));
    EXPECT_EQ(r.df, 3.0);
    EXPECT_TRUE(RelNear(r.p, 4.703520744022695e-06, 1e-9));
}

TEST(Chisqtab, EmptyColumnCarriesNoDegreeOfFreedom)
{
    const auto with = run({{3, 0, 7}, {9, 0, 1}});
    const auto without = run({{3, 7}, {9, 1}});
    EXPECT_DOUBLE_EQ(with.chisq, 7.5);
    EXPECT_EQ(with.df, 1.0);
    EXPECT_TRUE(RelNear(with.p, 0.0061698993205441645, 1e-9));
    EXPECT_DOUBLE_EQ(with.chisq, without.chisq);
    EXPECT_EQ(with.df, without.df);
    EXPECT_DOUBLE_EQ(with.p, without.p);
}

TEST(Chisqtab, OneNonEmptyRowOrColumnGivesNoTest)
{
    // An empty subgroup (all weight in one row).
    auto r = run({{0, 0, 0}, {4, 5, 6}});
    EXPECT_EQ(r.df, 0.0);
    EXPECT_EQ(r.chisq, 0.0);
    EXPECT_EQ(r.p, 1.0);
    // A single non-empty Y class.
    r = run({{5, 0}, {3, 0}});
    EXPECT_EQ(r.df, 0.0);
    EXPECT_EQ(r.chisq, 0.0);
    EXPECT_EQ(r.p, 1.0);
    EXPECT_EQ(r.coef, 0.0);
}

TEST(Chisqtab, EmptyTableHasZeroDegreesOfFreedom)
{
    const auto r = run({{0, 0}, {0, 0}});
    EXPECT_EQ(r.total, 0.0);
    EXPECT_EQ(r.chisq, 0.0);
    EXPECT_EQ(r.df, 0.0);
    EXPECT_EQ(r.p, 1.0);
    EXPECT_EQ(r.coef, 0.0);

    std::vector<double> none;
    const auto z = chisqtab({}, 0, 3, none, none);
    EXPECT_EQ(z.df, 0.0);
    EXPECT_EQ(z.p, 1.0);
}

TEST(Chisqtab, LargeCountsStayExact)
{
    const auto r = run({{1000000, 2000000, 1500000}, {1100000, 1900000, 1500000}});
    EXPECT_TRUE(RelNear(r.chisq, 7326.007326007326, 1e-12));
    EXPECT_EQ(r.df, 2.0);
    EXPECT_GE(r.p, 0.0);
    EXPECT_LT(r.p, 1e-300);
}

TEST(Chisqtab, ReadsTheCountTableLayout)
{
    meru::stats::CountTable t;
    t.cells[0] = 10; // class 0, non-members
    t.cells[3] = 10; // class 1, members
    std::array<double, 2> rs{};
    std::array<double, 2> cs{};
    const auto r = chisqtab(t.columns(2), 2, 2, rs, cs);
    EXPECT_DOUBLE_EQ(r.chisq, 20.0);
    EXPECT_EQ(r.df, 1.0);
}

TEST(Chisqtab, ShortArraysAreAProgrammingError)
{
    std::vector<std::int64_t> t{1, 2, 3};
    std::vector<double> rs(2), cs(2);
    EXPECT_THROW(chisqtab(t, 2, 2, rs, cs), std::invalid_argument);
    std::vector<std::int64_t> t4{1, 2, 3, 4};
    std::vector<double> one(1);
    EXPECT_THROW(chisqtab(t4, 2, 2, one, cs), std::invalid_argument);
}
