// The exact-area mosaic: the lung table of sex by ECOG score (R's table() of
// the two term memberships), areas against counts for random tables, empty
// cells, the elementary grid with its region ids, and the fit report's E = 0.
#include "platform/io/logwriter.h"
#include "plots/draw3d.h"
#include "rectdiag/srdwin.h"
#include "srdfit/mosaic.h"
#include "stats/diagram_fit_report.h"
#include "stats/subgroup_stats.h"

#include <gtest/gtest.h>

#include <random>

using namespace meru;
using srdfit::Rect;

namespace {

stats::SubStat cells_of(const std::vector<std::int64_t>& counts)
{
    stats::SubStat st;
    st.cells.resize(counts.size());
    for (std::size_t c = 0; c < counts.size(); ++c) st.cells[c].weight = counts[c];
    return st;
}

} // namespace

TEST(MosaicTest, LungSexByEcogCellsHaveTheirCountsAsAreas)
{
    // R: table(sex == 2, ph.ecog >= 1) on lung: cell 0 (neither) 37, cell 1
    // (female, ECOG 0) 27, cell 2 (male, ECOG >= 1) 101, cell 3 (both) 63; N 228.
    const stats::SubStat st = cells_of({37, 27, 101, 63});
    const rectdiag::MosaicLayout l = rectdiag::mosaic_layout(st, 2, rectdiag::kMosaicFrame);
    // Term 1 splits the width 360 at 138 : 90, term 2 each part's height.
    EXPECT_NEAR(l.cells[0].x2, 130 + 360.0 * 138 / 228, 1e-9);
    EXPECT_NEAR(l.cells[1].x1, 347.894736842, 1e-6);
    EXPECT_NEAR(l.cells[0].y2, 50 + 360.0 * 37 / 138, 1e-9);
    EXPECT_NEAR(l.cells[1].y2, 50 + 360.0 * 27 / 90, 1e-9);
    const double unit = 360.0 * 360.0 / 228;
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(l.cells[static_cast<std::size_t>(c)].area() / unit, l.counts[static_cast<std::size_t>(c)], 1e-9);
        EXPECT_NEAR(l.state.area[static_cast<std::size_t>(c)], l.state.count[static_cast<std::size_t>(c)], 1e-9);
    }
    // Pixels: every edge rounds to within one pixel of its exact place, so a
    // drawn cell's area is within one pixel per edge of its count's share.
    for (const Rect& r : l.cells) {
        const double w = std::lround(r.x2) - std::lround(r.x1), h = std::lround(r.y2) - std::lround(r.y1);
        EXPECT_LE(std::abs(w * h - r.area()), (r.x2 - r.x1) + (r.y2 - r.y1) + 1);
    }

    // The grid: x edges 130, 347.9, 490 (H = 2 rows), y edges 50, 146.5, 158, 410
    // (W = 3 per row); regions row by row.
    EXPECT_EQ(l.grid.h, 2);
    EXPECT_EQ(l.grid.w, 3);
    EXPECT_EQ(l.grid.region, (std::vector<int>{0, 2, 2, 1, 1, 3}));
    const plots::CellGrid g{l.grid.w, l.grid.h, l.grid.region};
    EXPECT_FALSE(plots::sameprevy(2, g)); // cell 0 below it
    EXPECT_TRUE(plots::samenexty(2, g));  // the same region 2 above it
    EXPECT_TRUE(plots::sameprevy(5, g));

    // The fit report of an exact mosaic: E = 0 and Fit P = 1.
    io::LogWriter log;
    stats::DiagramState state = l.state;
    const std::vector<int> display{1, 2};
    const stats::DiagramFit fit = stats::kappas(state, 2, display, "Mosaic", false, log);
    EXPECT_NEAR(fit.e_max, 0.0, 1e-12);
    EXPECT_NEAR(fit.fit_p, 1.0, 1e-12);
    EXPECT_EQ(fit.nonempty, 4);
    EXPECT_EQ(fit.absent + fit.surplus, 0);
}

TEST(MosaicTest, EveryCellsAreaIsItsShareForRandomTablesWithEmptyCells)
{
    std::mt19937 gen(38);
    const Rect frame{0, 300, 0, 200};
    for (int q = 1; q <= 6; ++q) {
        for (int rep = 0; rep < 20; ++rep) {
            std::vector<double> counts(std::size_t{1} << q);
            double total = 0;
            for (double& c : counts) {
                c = gen() % 3 == 0 ? 0 : static_cast<double>(gen() % 50);
                total += c;
            }
            const std::vector<Rect> cells = srdfit::mosaic(counts, frame);
            double sum = 0;
            for (std::size_t c = 0; c < counts.size(); ++c) {
                const Rect& r = cells[c];
                EXPECT_GE(r.x1, frame.x1 - 1e-9);
                EXPECT_LE(r.x2, frame.x2 + 1e-9);
                EXPECT_GE(r.y1, frame.y1 - 1e-9);
                EXPECT_LE(r.y2, frame.y2 + 1e-9);
                if (total > 0) {
                    EXPECT_NEAR(r.area(), counts[c] * frame.area() / total, 1e-6);
                }
                sum += r.area();
            }
            EXPECT_NEAR(sum, total > 0 ? frame.area() : 0.0, 1e-6);
            // Each grid cell lies in a mosaic cell that holds a count.
            const srdfit::Grid g = srdfit::elementary_grid(cells, frame);
            EXPECT_EQ(g.region.size(), static_cast<std::size_t>(g.w * g.h));
            if (total > 0) {
                for (int id : g.region) EXPECT_GT(counts[static_cast<std::size_t>(id)], 0) << q;
            }
        }
    }
    // All empty: every cell sits at the corner with no area.
    for (const Rect& r : srdfit::mosaic(std::vector<double>(8, 0.0), frame)) EXPECT_EQ(r.area(), 0.0);
    EXPECT_EQ(srdfit::highest_term(0), 0);
    EXPECT_EQ(srdfit::highest_term(5), 3);
    EXPECT_EQ(srdfit::highest_term(63), 6);
}
