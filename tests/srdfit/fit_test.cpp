// Fitting layouts to cell counts: two subgroups fit exactly for any counts,
// three subgroups of the example data sets fit closely, the frame without the
// cell outside every subgroup, and the starts Nudge and Strips build.
#include "srdfit/fit.h"
#include "srdfit/layout.h"

#include <gtest/gtest.h>

#include <random>

using namespace meru;
using namespace meru::srdfit;

TEST(FitTest, TwoSubgroupsFitExactlyWhateverTheCountsEmptyCellsIncluded)
{
    // The lung cells of sex by ECOG score, F = 228: subgroup 1 covers x from 0 to
    // (27 + 63) / 228, subgroup 2 from 27 / 228 to (27 + 101 + 63) / 228.
    const std::vector<double> lung{37, 27, 101, 63};
    const std::vector<Rect> strips = strips_start({lung, 0});
    EXPECT_EQ(strips[0], (Rect{0, 90.0 / 228, 0, 1}));
    EXPECT_EQ(strips[1], (Rect{27.0 / 228, 191.0 / 228, 0, 1}));

    std::mt19937 gen(2);
    std::uniform_int_distribution<int> count(0, 60);
    io::RandomStream random;
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<double> f(4);
        for (double& v : f) v = count(gen) < 15 ? 0 : count(gen); // a quarter of the cells empty
        if (trial == 0) f = {0, 0, 0, 5};
        const Counts c{f, trial % 3 == 0 ? 1 : 0};
        const Layout l = fit(c, FitSettings{}, random);
        if (c.total() == 0) continue;
        EXPECT_LT(l.error, 1e-6) << trial;
        for (std::size_t i = static_cast<std::size_t>(c.first_cell); i < 4; ++i)
            if (f[i] == 0) {
                EXPECT_LT(l.areas[i], 1e-9) << trial << " cell " << i;
            }
    }
}

TEST(FitTest, ThreeSubgroupsOfTheExamplesFitClosely)
{
    // Cells by Python over the example data: lung female, ph_ecog >= 1, age >= 65;
    // pima glu >= 140, bmi >= 30, age >= 40; birthwt smoke, race white, ptl >= 1.
    const std::vector<std::vector<double>> tables{
        {21, 21, 50, 36, 16, 6, 51, 27}, {140, 16, 186, 72, 23, 7, 44, 44}, {61, 16, 42, 40, 10, 6, 2, 12}};
    io::RandomStream random;
    for (const std::vector<double>& f : tables) {
        const Counts c{f, 0};
        const Layout l = fit(c, FitSettings{}, random);
        EXPECT_LT(l.error, 1e-3);
        // The reported figures are those of the reported rectangles.
        EXPECT_EQ(l.areas, cell_areas(l.boxes));
        EXPECT_DOUBLE_EQ(l.error, layout_error(c, l.areas));
        for (const Rect& b : l.boxes) EXPECT_EQ(b, in_frame(b));
    }
}

TEST(FitTest, NudgeScalesEachRectangleToItsShareAndKeepsItInTheFrame)
{
    // Shares: subgroup 1 0.5, subgroup 2 0.25 (cells 1 and 3 = 30 + 20 of 100;
    // cells 2 and 3 = 5 + 20).
    const std::vector<double> f{45, 30, 5, 20};
    const Counts c{f, 0};
    const std::vector<Rect> boxes{{0.1, 0.3, 0.1, 0.3}, {0.5, 1.0, 0.0, 1.0}};
    const std::vector<Rect> n = nudged_start(c, boxes);
    EXPECT_NEAR(n[0].area(), 0.5, 1e-12);
    EXPECT_NEAR(n[1].area(), 0.25, 1e-12);
    // Rectangle 1 keeps its square shape, side sqrt(0.5), moved right and up to
    // stay inside; rectangle 2 keeps its centre (0.75, 0.5) and its 1 : 2 aspect,
    // each side times sqrt(1/2).
    EXPECT_NEAR(n[0].x1, 0.0, 1e-12);
    EXPECT_NEAR(n[0].x2 - n[0].x1, std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(n[1].x2 - n[1].x1, 0.5 / std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(n[1].y1, 0.5 - 0.5 / std::sqrt(2.0), 1e-12);

    const Layout nudged = nudge(c, layout_of(c, boxes, "Random"), FitSettings{});
    EXPECT_EQ(nudged.start, "Nudge");
    EXPECT_LT(nudged.error, 1e-6);
}

TEST(FitTest, SmallSubgroupsGetRectanglesNotThinStrips)
{
    // The pbc A- of three terms (cells from the log of that run, F = 418): 1 and 2
    // share 26 of their 50 and 33 observations, 3 (8) lies apart from both. Exact
    // full-height strips exist, but a fit of rectangles no side of which is below
    // half the side of its subgroup's square exists too, and is the one kept.
    const std::vector<double> pbc{353, 24, 7, 26, 8, 0, 0, 0};
    io::RandomStream random;
    const Layout l = fit({pbc, 0}, FitSettings{}, random);
    EXPECT_LT(l.error, 1e-6);
    const double shares[] = {50.0 / 418, 33.0 / 418, 8.0 / 418};
    for (std::size_t j = 0; j < 3; ++j) {
        const Rect& b = l.boxes[j];
        EXPECT_GE(std::min(b.x2 - b.x1, b.y2 - b.y1), 0.5 * std::sqrt(shares[j]) - 1e-9) << "rectangle " << j + 1;
    }
    // Blocks is exact for two subgroups and not thin: lung's sex by ECOG (one
    // height, neither below a quarter of the union) and a small subgroup (8 of a
    // union of 68) beside a large one (63), as two squares.
    for (const std::vector<double>& f : {std::vector<double>{37, 27, 101, 63}, std::vector<double>{100, 5, 60, 3}}) {
        const Counts c{f, 0};
        const Layout b = layout_of(c, blocks_start(c), "Blocks");
        EXPECT_LT(b.error, 1e-12);
        EXPECT_EQ(b.thin, 0.0);
    }
}
