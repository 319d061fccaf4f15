// Cell areas of random layouts against a raster count, and the elementary grid
// with the piece of a cell where its count is written.
#include "srdfit/layout.h"

#include <gtest/gtest.h>

#include <random>

using namespace meru::srdfit;

namespace {

// Bounds on multiples of 1/40, some outside the frame or given in reverse order;
// a raster of 80 x 80 pixel centres then counts every area exactly.
std::vector<Rect> random_layout(std::mt19937& gen, int q)
{
    std::uniform_int_distribution<int> k(-6, 46);
    std::vector<Rect> boxes;
    for (int j = 0; j < q; ++j) boxes.push_back({k(gen) / 40.0, k(gen) / 40.0, k(gen) / 40.0, k(gen) / 40.0});
    return boxes;
}

std::vector<double> raster_areas(const std::vector<Rect>& boxes)
{
    std::vector<double> areas(std::size_t{1} << boxes.size(), 0.0);
    for (int px = 0; px < 80; ++px)
        for (int py = 0; py < 80; ++py) {
            const double x = (px + 0.5) / 80, y = (py + 0.5) / 80;
            std::size_t cell = 0;
            for (std::size_t j = 0; j < boxes.size(); ++j) {
                const Rect& b = boxes[j];
                const bool in_x = (x > b.x1 && x < b.x2) || (x > b.x2 && x < b.x1);
                const bool in_y = (y > b.y1 && y < b.y2) || (y > b.y2 && y < b.y1);
                if (in_x && in_y) cell |= std::size_t{1} << j;
            }
            areas[cell] += 1.0 / 6400;
        }
    return areas;
}

} // namespace

TEST(CellAreasTest, MatchARasterCountOnRandomLayouts)
{
    std::mt19937 gen(49);
    for (int trial = 0; trial < 300; ++trial) {
        const int q = 1 + trial % kMaxGroups;
        const std::vector<Rect> boxes = random_layout(gen, q);
        const std::vector<double> want = raster_areas(boxes);
        const std::vector<double> got = cell_areas(boxes);
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t c = 0; c < got.size(); ++c)
            EXPECT_NEAR(got[c], want[c], 1e-12) << "trial " << trial << " cell " << c;
        // The grid's pieces add up to the same areas.
        const CellGrid g = cell_grid(boxes);
        std::vector<double> pieces(got.size(), 0.0);
        for (int r = 0; r < g.rows(); ++r)
            for (int k = 0; k < g.columns(); ++k)
                pieces[static_cast<std::size_t>(g.cell[static_cast<std::size_t>(r * g.columns() + k)])] +=
                    (g.xs[static_cast<std::size_t>(r + 1)] - g.xs[static_cast<std::size_t>(r)]) *
                    (g.ys[static_cast<std::size_t>(k + 1)] - g.ys[static_cast<std::size_t>(k)]);
        for (std::size_t c = 0; c < got.size(); ++c) EXPECT_NEAR(pieces[c], want[c], 1e-12);
    }
}

TEST(CellGridTest, TheWidestPieceOfACellIsItsLargestRectangleOfGridCells)
{
    // Two overlapping rectangles: cell 1 (the first alone) is an L of the strip
    // x 0.1..0.3, y 0.1..0.6 (area 0.1) and the strip x 0.1..0.6, y 0.1..0.25
    // (0.075). The cell of neither is widest in the band above y 0.8 (1 x 0.2),
    // beating 0.3 x 0.4 at the top left and 0.4 x 0.25 at the bottom right.
    const std::vector<Rect> boxes{{0.1, 0.6, 0.1, 0.6}, {0.3, 0.9, 0.25, 0.8}};
    const CellGrid g = cell_grid(boxes);
    EXPECT_EQ(g.xs, (std::vector<double>{0, 0.1, 0.3, 0.6, 0.9, 1}));
    EXPECT_EQ(g.ys, (std::vector<double>{0, 0.1, 0.25, 0.6, 0.8, 1}));
    EXPECT_EQ(widest_piece(g, 1), (Rect{0.1, 0.3, 0.1, 0.6}));
    EXPECT_EQ(widest_piece(g, 3), (Rect{0.3, 0.6, 0.25, 0.6}));
    EXPECT_EQ(widest_piece(g, 0), (Rect{0, 1, 0.8, 1}));
    EXPECT_DOUBLE_EQ(widest_piece(g, 5).area(), 0.0); // no such cell
    // Asked for a piece at least 0.3 high, the cell of neither offers the 0.3 x 0.4
    // at the top left (x 0..0.3 from y 0.6), not its lower band; at least 0.25 wide,
    // cell 1 offers its other strip; nothing is 0.6 wide.
    EXPECT_EQ(widest_piece(g, 0, 0, 0.3), (Rect{0, 0.3, 0.6, 1}));
    EXPECT_EQ(widest_piece(g, 1, 0.25, 0), (Rect{0.1, 0.6, 0.1, 0.25}));
    EXPECT_DOUBLE_EQ(widest_piece(g, 1, 0.6, 0).area(), 0.0);
}
