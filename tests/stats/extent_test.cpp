// Size vectors of the extent: reading the typed vector, the walk of `nextsize`
// over the shapes, the side settings, the iterative-mode check and the extent box.
#include "stats/extent.h"
#include "support/recording_services.h"

#include <gtest/gtest.h>

namespace meru::stats {
namespace {

std::vector<std::vector<int>> walk_all(ExtentSettings e)
{
    std::vector<std::vector<int>> shapes;
    SizeWalk w = e.start;
    do {
        shapes.push_back(w.p);
    } while (nextsize(w, e.bounds, 10) && shapes.size() < 100);
    return shapes;
}

TEST(Extent, UpToWalksEveryShapeInOrderThenStops)
{
    ExtentSettings e;
    set_extent(e, {3, 2});
    const std::vector<std::vector<int>> expected{{1}, {2}, {3}, {1, 1}, {2, 1}, {3, 1}, {2, 2}, {3, 2}};
    EXPECT_EQ(walk_all(e), expected);

    SizeWalk w = e.start;
    for (int k = 0; k < 3; ++k) nextsize(w, e.bounds, 10);
    EXPECT_EQ(w.q, 2);
    EXPECT_EQ(w.companion, 9); // n - q + 1
}

TEST(Extent, WithoutUpToOnlyTheTypedShape)
{
    ExtentSettings e;
    e.upto = false;
    set_extent(e, {3, 2});
    EXPECT_EQ(walk_all(e), (std::vector<std::vector<int>>{{3, 2}}));
}

TEST(Extent, SizeTextsAreReadAndChecked)
{
    std::vector<int> p, q;
    EXPECT_EQ(read_sizes("3,2", p), SizeRead::ok);
    EXPECT_EQ(read_sizes("3 2", q), SizeRead::ok);
    EXPECT_EQ(p, q);
    EXPECT_EQ(p, (std::vector<int>{3, 2}));
    EXPECT_EQ(read_sizes(" 3 , 2 ", p), SizeRead::ok);
    EXPECT_EQ(p, (std::vector<int>{3, 2}));
    const std::pair<const char*, SizeRead> cases[] = {
        {"2 3", SizeRead::not_descending}, {"0 1", SizeRead::not_positive},
        {"-1", SizeRead::not_positive},    {"", SizeRead::empty},
        {"   ", SizeRead::empty},          {"2 x", SizeRead::bad_number},
        {"2.5", SizeRead::bad_number},     {"101", SizeRead::too_large},
        {"100 1", SizeRead::ok},
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(read_sizes(text, p), want) << text;
}

TEST(Extent, SidesFollowTheChoiceAndTheShape)
{
    struct Case {
        Side side;
        std::vector<int> bounds;
        int first, last;
        bool one;
    };
    const Case cases[] = {
        {Side::Both, {1}, 0, 0, true},       {Side::Both, {2, 2}, 0, 1, false}, {Side::Both, {1, 1}, 0, 1, false},
        {Side::AMinusOnly, {3}, 0, 0, true}, {Side::AOnly, {3}, 1, 1, true},
    };
    for (const Case& c : cases) {
        ExtentSettings e;
        e.side = c.side;
        set_extent(e, c.bounds);
        EXPECT_EQ(e.first_side, c.first);
        EXPECT_EQ(e.last_side, c.last);
        EXPECT_EQ(e.one_side, c.one);
    }
}

TEST(Extent, IterativeModeStartsFromOneTermOfSizeOneAndSaysSoOnce)
{
    test::RecordingServices sv;
    ExtentSettings e;
    e.upto = false;
    set_extent(e, {3, 2});
    Notices told;
    itercheck(e, told);
    sv.replay(told);
    EXPECT_TRUE(e.upto);
    EXPECT_EQ(e.start.q, 1);
    EXPECT_EQ(e.start.p, std::vector<int>{1});
    EXPECT_EQ(sv.calls, (std::vector<std::string>{"help:NOTE: up to in iterative mode", "help:NOTE: q=1 and p_1=1"}));
    sv.calls.clear();
    itercheck(e, told);
    sv.replay(told);
    EXPECT_TRUE(sv.calls.empty());
}

TEST(ExtentBox, KeepsThirtyThreeLinesAndEveryTotal)
{
    ExtentBox box;
    box.reset();
    for (int k = 1; k <= 34; ++k) {
        BoxLine l;
        l.p = {k % 9 + 1};
        l.classes = 10;
        l.exclusions = 1;
        l.searches = 5;
        l.done = 4;
        l.skipped = 1;
        box.add(l);
    }
    BoxLine skipped;
    skipped.p = {2, 2};
    skipped.all_skipped = true;
    skipped.subset_of = {3, 2};
    skipped.classes = 99;
    box.add(skipped);
    EXPECT_EQ(box.count(), 35);
    EXPECT_EQ(box.total_classes(), 340);
    EXPECT_EQ(box.total_done(), 136);
    const auto printed = box.print(true);
    ASSERT_EQ(box.lines().size(), 33u);
    EXPECT_EQ(box.lines().back().substr(0, 11), " Overall  |");
    EXPECT_EQ(box.lines().back().substr(11, 7), "    340");
    ASSERT_EQ(printed.size(), 5u + 33u + 1u);
    EXPECT_EQ(printed[0], "                     SEARCH EXTENT BOX");
    EXPECT_EQ(printed[1], " " + std::string(74, '-'));
    EXPECT_EQ(printed[5].substr(0, 30), " |  2        |      10       1");
    EXPECT_EQ(printed[5].size(), 77u);

    ExtentBox quiet;
    quiet.add(skipped);
    EXPECT_TRUE(quiet.print(false).empty());
    EXPECT_EQ(quiet.lines()[0].substr(0, 49), "  2 2      |      99  All skipped; subset of  3 2");
    EXPECT_EQ(quiet.total_classes(), 0);
}

TEST(ExtentBox, ACountTooWideForItsColumnWidensTheColumnInEveryLine)
{
    ExtentBox box;
    box.add(
        {.p = {1}, .subset_of = {}, .classes = 10, .exclusions = 1, .searches = 5, .done = 34207687, .skipped = 1});
    box.add({.p = {2}, .subset_of = {}, .classes = 10, .exclusions = 1, .searches = 5, .done = 4, .skipped = 1});
    const auto printed = box.print(true);
    // #Done takes 8 digits (the total 34207691 too): one column more under
    // ACTUAL, in the headings, the dashes and every line.
    const std::string dashes = " " + std::string(75, '-');
    EXPECT_EQ(printed,
              (std::vector<std::string>{
                  "                     SEARCH EXTENT BOX", dashes,
                  "|           |             ANTICIPATED               |        ACTUAL         |",
                  "| p_1...p_q | #Class   #Excl  #SubSch #Search |  #Done    #Skipped    |", dashes,
                  " |  1        |      10       1     0.0          5    |34207687      1        |",
                  " |  2        |      10       1     0.0          5    |       4      1        |",
                  " | Overall  |     20       2                 10    |34207691      2          |", dashes}));
}

} // namespace
} // namespace meru::stats
