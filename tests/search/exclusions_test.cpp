// The one exclusion rule of the ranking and the search's attribute list: every
// reason a line or attribute is left out, and what stays.
#include "search/exclusions.h"

#include "rank_tables.h"

#include <gtest/gtest.h>

using meru::search::Exclusion;
using meru::search::ExclusionContext;
using meru::search::line_exclusion;
using meru::search::usable_attributes;
using meru::search::usable_lines;

TEST(Exclusions, EachReasonLeavesItsLineOut)
{
    // lines: 2 y, 3 a(2 cuts), 4 _i_x, 5 _r_z, 6 grp, 7 cens, 8 b, 9 c, 10 d, 11 +A1, 12 lev
    auto t = meru::test::rank_tables({{"y", 1},
                                      {"a", 2},
                                      {"_i_x", 1},
                                      {"_r_z", 1},
                                      {"grp", 1},
                                      {"cens", 1},
                                      {"b", 1},
                                      {"c", 1},
                                      {"d", 3},
                                      {"+A1", 1},
                                      {"lev", 1}});
    ExclusionContext c;
    c.yvars = {1, 11}; // the Y and a discrete-Y level variable
    c.byvar = 5;
    c.censoring.in_force = true;
    c.censoring.attribute = t.line[7].attoff;
    t.line[8].banned = true;
    t.line[9].ignored = true;
    t.att[static_cast<std::size_t>(t.line[11].attoff)].added = true;

    const Exclusion want[] = {Exclusion::Special, Exclusion::Outcome, Exclusion::None,      Exclusion::Special,
                              Exclusion::Special, Exclusion::ByGroup, Exclusion::Censoring, Exclusion::Banned,
                              Exclusion::Ignored, Exclusion::None,    Exclusion::Added,     Exclusion::Outcome};
    for (int k = 1; k <= t.nlines; ++k) EXPECT_EQ(line_exclusion(t, k, c), want[k - 1]) << "line " << k;

    EXPECT_EQ(usable_lines(t, c), (std::vector<int>{3, 10}));
    EXPECT_EQ(usable_lines(t, c, true), (std::vector<int>{3, 8, 9, 10})); // the ranking keeps banned and ignored
    // attributes of lines 3 (two cuts) and 10 (three cuts)
    const int a3 = t.line[3].first_attribute(), a10 = t.line[10].first_attribute();
    EXPECT_EQ(usable_attributes(t, c), (std::vector<int>{a3, a3 + 1, a10, a10 + 1, a10 + 2}));

    // Censoring no longer in force: its line is usable; an attribute taken as Y
    // leaves its line out.
    c.censoring.in_force = false;
    c.yattrs = {t.line[3].attoff};
    EXPECT_EQ(usable_lines(t, c), (std::vector<int>{7, 10}));
}
