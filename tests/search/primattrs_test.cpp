// The lines a search really combines: added attributes replaced by the lines of
// their definitions, the forced attribute's line, each line once.
#include "search/primattrs.h"

#include <gtest/gtest.h>

namespace meru::search {
namespace {

partition::TermList list_of(std::initializer_list<std::initializer_list<int>> terms)
{
    partition::TermList l;
    for (auto t : terms) l.add_term(t);
    return l;
}

TEST(Primattrs, AddedLinesBecomeTheLinesOfTheirDefinitions)
{
    // Lines 2..6 hold attributes 2..6; lines 7 and 8 the added attributes 7 and 8,
    // both made from attributes 3 and 5.
    files::ControlTables t;
    t.att.resize(9);
    t.line.resize(9);
    t.natt = t.nlines = 8;
    for (int k = 1; k <= 8; ++k) {
        t.att[static_cast<std::size_t>(k)].attline = k;
        t.att[static_cast<std::size_t>(k)].added = k >= 7;
        t.line[static_cast<std::size_t>(k)].attoff = k;
        t.line[static_cast<std::size_t>(k)].ncuts = 1;
    }
    partition::AddedAttributes added;
    added.slotmap.assign(9, 0);
    added.slotmap[7] = 1;
    added.slotmap[8] = 2;
    added.count = 2;
    added.aminus_set[1] = list_of({{-3}, {-5}});
    added.aminus_set[2] = list_of({{5, 3}});
    const std::vector<int> set{2, 7, 8, 3};

    PrimattrsInput in;
    in.lines = set;
    in.tables = &t;
    in.added = &added;
    PrimattrsResult r = primattrs(in);
    EXPECT_EQ(r.lines, (std::vector<int>{2, 3, 5}));
    EXPECT_EQ(r.replaced, 2);
    EXPECT_TRUE(r.note);

    // Later iterations give no note; a forced attribute already listed stays once.
    in.first_iteration = false;
    in.forcein = true;
    in.forcedattr = -5;
    r = primattrs(in);
    EXPECT_EQ(r.lines, (std::vector<int>{2, 3, 5}));
    EXPECT_FALSE(r.note);

    // "Attributes are primitive": added attributes are searched as single lines.
    in.primattr = true;
    in.forcedattr = 6;
    r = primattrs(in);
    EXPECT_EQ(r.lines, (std::vector<int>{2, 7, 8, 3, 6}));
    EXPECT_EQ(r.replaced, 0);
}

} // namespace
} // namespace meru::search
