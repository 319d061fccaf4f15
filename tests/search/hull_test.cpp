// The complexity hull: its points (slope ties, falling and negative G), the
// automatic penalty, the chosen hull point and the penalised table, against values
// worked out by hand; and a property test over random best lists.
#include "platform/io/logwriter.h"
#include "search/hull.h"

#include "support/best_entries.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

using namespace meru::search;

using meru::test::best_entries;

namespace {

std::vector<int> entries_of(const Hull& h)
{
    std::vector<int> r;
    for (const HullPoint& p : h.points) r.push_back(p.entry);
    return r;
}

struct LogLines {
    meru::io::LogWriter log;
    std::vector<std::string> lines;
    LogLines()
    {
        log.set_trace_sink([this](std::string_view l) { lines.emplace_back(l); });
    }
    bool has(const std::string& s) const { return std::find(lines.begin(), lines.end(), s) != lines.end(); }
};

} // namespace

TEST(Hull, PointsTiesAndChoiceWorkedByHand)
{
    // Slopes from the origin 10, 7.5, 6, 4.75, 3.9; then 5, 4, 3, 2.375; 3, 2, 1.5; 1, 0.75; 0.5.
    const auto five = best_entries({{1, 10}, {2, 15}, {3, 18}, {4, 19}, {5, 19.5f}});
    const Hull h = complexity_hull(five);
    EXPECT_EQ(entries_of(h), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_DOUBLE_EQ(automatic_beta(h), 0.5);
    // G_beta at beta 0.5: 9.5, 14, 16.5, 17, 17 -> the first of the equals.
    EXPECT_EQ(hull_choice(h, 0.5), 4);
    EXPECT_EQ(hull_choice(h, 0.0), 5);
    EXPECT_EQ(hull_choice(h, 10.0), 0); // every G_beta <= 0: the origin
    EXPECT_EQ(h.position_of(3), 3);

    // A slope equal to the best so far keeps the simpler entry (10 and 10 from the
    // origin), and entry 2 lies under the hull.
    EXPECT_EQ(entries_of(complexity_hull(best_entries({{1, 10}, {2, 12}, {3, 30}}))), (std::vector<int>{0, 1, 3}));
    // Within 0.1 % of G_1 (eps 0.01): 10.0025 does not beat 10; 10.015 does.
    EXPECT_EQ(entries_of(complexity_hull(best_entries({{1, 10}, {2, 20.005f}}))), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(entries_of(complexity_hull(best_entries({{1, 10}, {2, 20.03f}}))), (std::vector<int>{0, 2}));
    EXPECT_EQ(complexity_hull(best_entries({{1, 10}, {2, 20.03f}})).position_of(1), -1);
    // Falling G never joins.
    EXPECT_EQ(entries_of(complexity_hull(best_entries({{2, 8}, {3, 6}, {4, 7}}))), (std::vector<int>{0, 1}));
}

TEST(Hull, NegativeEffectivenessGivesNoDownwardHullAndNoNegativeBeta)
{
    // G_1 = -5: a tie margin of -0.005 would let the slope -0.002 of entry 2 in.
    const Hull none = complexity_hull(best_entries({{1, -5}, {2, -0.004f}}));
    EXPECT_FALSE(none.exists());
    EXPECT_EQ(automatic_beta(none), 0.0);
    // Mixed signs: slopes -2, 2, 5/3 from the origin; then 1 from (2, 4).
    const Hull mixed = complexity_hull(best_entries({{1, -2}, {2, 4}, {3, 5}}));
    EXPECT_EQ(entries_of(mixed), (std::vector<int>{0, 2, 3}));
    EXPECT_DOUBLE_EQ(automatic_beta(mixed), 0.1);
    EXPECT_FALSE(complexity_hull({}).exists());
}

TEST(Hull, PenalisedTableWorkedByHand)
{
    const auto five = best_entries({{1, 10}, {2, 15}, {3, 18}, {4, 19}, {5, 19.5f}});
    std::array<std::int64_t, 101> hist{};
    hist[2] = 7, hist[3] = 40, hist[4] = 90, hist[5] = 100; // nothing counted at 1: the reference is c = 2
    const PenalisedTable t = penalised_table(five, hist, 0.5);
    EXPECT_EQ(t.cref, 2);
    ASSERT_EQ(t.rows.size(), 5u);
    EXPECT_DOUBLE_EQ(t.rows[0].increase, (10 - 15) * 100.0 / ((1 - 2) * 15)); // 33.33
    EXPECT_DOUBLE_EQ(t.rows[1].increase, 0);
    EXPECT_DOUBLE_EQ(t.rows[2].increase, 20); // (18 - 15) * 100 / 15
    EXPECT_DOUBLE_EQ(t.rows[4].increase, 10); // 4.5 * 100 / (3 * 15)
    EXPECT_EQ(t.rows[3].generated, 90);
    EXPECT_DOUBLE_EQ(t.rows[3].gbeta, 17);
    EXPECT_EQ(t.optimum, 4);
    // However large beta, the optimum is an entry.
    EXPECT_EQ(penalised_table(five, hist, 100).optimum, 1);
    EXPECT_EQ(penalised_table({}, hist, 0).optimum, 0);

    LogLines out;
    write_penalised_table(t, out.log);
    ASSERT_EQ(out.lines.size(), 7u);
    EXPECT_EQ(out.lines[0], " Complexities generated"); // the log drops trailing blanks
    EXPECT_EQ(out.lines[3], " 2       7      15.000000                        0.00       14.000000");
}

TEST(Hull, RandomListsKeepTheHullProperties)
{
    std::mt19937 rng(31);
    std::uniform_int_distribution<int> count(1, 25), step(1, 4);
    std::uniform_real_distribution<float> gval(-20, 100);
    for (int trial = 0; trial < 500; ++trial) {
        std::vector<StoredPartition> list;
        int c = 0;
        for (int i = count(rng); i > 0; --i) {
            StoredPartition s;
            s.complexity = c += step(rng);
            s.value = gval(rng);
            list.push_back(s);
        }
        const Hull h = complexity_hull(list);
        const double eps = 0.001 * std::fabs(list[0].value);
        for (size_t k = 1; k < h.points.size(); ++k) {
            const HullPoint &a = h.points[k - 1], &b = h.points[k];
            ASSERT_GT(b.c, a.c);
            const double slope = (b.g - a.g) / (b.c - a.c);
            ASSERT_GT(slope, eps);
            // No later entry lies above the segment's line by more than the tie margin.
            for (int j = a.entry + 1; j <= static_cast<int>(list.size()); ++j) {
                const StoredPartition& e = list[static_cast<size_t>(j - 1)];
                ASSERT_LE((e.value - a.g) / (e.complexity - a.c), slope + eps + 1e-9) << trial;
            }
        }
        // The hull ends where no later entry rises above its last point.
        for (int j = h.last().entry + 1; j <= static_cast<int>(list.size()); ++j)
            ASSERT_LE(list[static_cast<size_t>(j - 1)].value - h.last().g,
                      eps * (list[j - 1].complexity - h.last().c));
        const double beta = automatic_beta(h);
        ASSERT_GE(beta, 0.0);
        if (h.exists()) {
            ASSERT_DOUBLE_EQ(beta, 0.05 * h.points[1].g / h.points[1].c);
        }
        const std::array<std::int64_t, 101> hist{};
        const PenalisedTable t = penalised_table(list, hist, beta);
        ASSERT_GE(t.optimum, 1);
        for (size_t j = 0; j < t.rows.size(); ++j) {
            const double top = t.rows[static_cast<size_t>(t.optimum - 1)].gbeta;
            if (static_cast<int>(j) + 1 < t.optimum) {
                ASSERT_LT(t.rows[j].gbeta, top);
            } else {
                ASSERT_LE(t.rows[j].gbeta, top);
            }
        }
    }
}
