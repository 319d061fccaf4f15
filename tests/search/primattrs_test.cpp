// The lines a search really combines: added attributes replaced by the lines of
// their definitions, the forced attribute's line and a serial analysis's joined
// partitions, each line once; which partitions a serial analysis joins.
#include "search/primattrs.h"
#include "search/serial_joins.h"

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

    // The partitions of earlier Ys that a serial analysis joins to every candidate
    // bring the lines of their definitions, and count for no note.
    in.primattr = false;
    in.first_iteration = true;
    in.forcein = false;
    const std::vector<int> two{2, 6};
    in.lines = two;
    const std::vector<int> joined{7, -8};
    in.joined = joined;
    r = primattrs(in);
    EXPECT_EQ(r.lines, (std::vector<int>{2, 6, 3, 5}));
    EXPECT_FALSE(r.note);
}

// What a serial analysis intersects the search of Y k with: ordinal, the
// partition of the latest Y before that has one; nominal, those of all the Ys
// before, negated; none for Y 1 or an entry naming no attribute.
TEST(SerialJoins, FollowTheKindOfAnalysisAndTheCurrentY)
{
    const std::vector<int> found{7, 0, 9, 12, 0}; // Y 2's partition is not kept
    struct Case {
        SerialKind kind;
        int y;
        std::vector<partition::Literal> want;
    };
    const std::vector<Case> cases{{SerialKind::ordinal, 1, {}},       {SerialKind::ordinal, 2, {7}},
                                  {SerialKind::ordinal, 5, {9}},      {SerialKind::ordinal, 3, {7}},
                                  {SerialKind::nominal, 4, {-7, -9}}, {SerialKind::nominal, 1, {}},
                                  {SerialKind::none, 4, {}}};
    for (const Case& c : cases) EXPECT_EQ(serial_joins(c.kind, c.y, found, 10), c.want) << c.y;
}

} // namespace
} // namespace meru::search
