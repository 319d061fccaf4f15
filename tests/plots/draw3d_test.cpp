// Rotation against R's Rx %*% Ry %*% Rz, screen truncation, the face order and
// colours of a box, the walls of a cell grid and the names of a cube's axes.
#include "platform/canvas.h"
#include "platform/fonts.h"
#include "plots/draw3d.h"
#include "support/qt_application.h"

#include <gtest/gtest.h>

using namespace meru;
using plots::Angles;
using plots::Point3;

namespace {

std::vector<const platform::DrawCall*> ops(const platform::Canvas& c, const std::string& op)
{
    std::vector<const platform::DrawCall*> out;
    for (const auto& call : c.journal())
        if (call.op == op) out.push_back(&call);
    return out;
}

} // namespace

TEST(Draw3dTest, RotationMatchesTheMatrixProductWorkedInR)
{
    // R: Rx(a1) %*% Ry(a2) %*% Rz(a3) %*% p.
    struct Case {
        Angles a;
        Point3 p, want;
    };
    const Angles plot{45 * 0.017453292f, 45 * 0.017453292f, 2.5307274f};
    const Angles view{130 * 0.017453292f, 330 * 0.017453292f, 45 * 0.017453292f};
    const Case cases[] = {
        {plot, {1, 0, 0}, {-0.5792279726f, -0.0039961925f, 0.8151558048f}},
        {plot, {0, 1, 0}, {-0.40557981f, -0.86601618f, -0.29243972f}},
        {plot, {0, 0, 1}, {0.70710676f, -0.5f, 0.50000002f}},
        {plot, {-1, -1, -1}, {0.27770101f, 1.37001238f, -1.02271611f}},
        {plot, {0.3f, -0.5f, 0.8f}, {0.594706923f, 0.031809234f, 0.790766621f}},
        {view, {0.25f, -0.6f, 0.4f}, {0.32051645f, -0.33649580f, -0.60542529f}},
        {view, {0, 0, 1}, {-0.50000015f, -0.66341392f, -0.55667030f}},
    };
    for (const Case& c : cases) {
        const Point3 r = plots::project3d(c.p, c.a);
        EXPECT_NEAR(r.x, c.want.x, 2e-6);
        EXPECT_NEAR(r.y, c.want.y, 2e-6);
        EXPECT_NEAR(r.z, c.want.z, 2e-6);
    }
}

TEST(Draw3dTest, ZeroAnglesAreTheIdentityAndScreenPointsTruncateTowardZero)
{
    for (float z : {-1.0f, 0.0f, 0.7f}) {
        EXPECT_EQ(plots::screen3d({0.5f, -0.25f, z}, {}, 100, 10, 20), QPoint(60, -5));
        // -0.007 * 100 = -0.7 gives 0, not -1; -0.017 * 100 + 0 = -1.7 gives -1.
        EXPECT_EQ(plots::screen3d({-0.007f, -0.017f, z}, {}, 100, 0, 0), QPoint(0, -1));
    }
}

TEST(Draw3dTest, BoxDarkensEachFaceByFifteenAndLeavesTheCallerSeventyFiveLower)
{
    platform::Canvas c(200, 200);
    c.set_journaling(true);
    int grey = 0x808080;
    plots::box3d(c, {-1, 1, -1, 1, -1, 1}, {{}, 50, 100, 100}, platform::Fill::border, grey);
    EXPECT_EQ(grey, 0x353535);
    const auto faces = ops(c, "polygon");
    ASSERT_EQ(faces.size(), 6u);
    const int want[] = {0x808080, 0x717171, 0x626262, 0x535353, 0x444444, 0x353535};
    for (std::size_t f = 0; f < 6; ++f) EXPECT_EQ(faces[f]->colour, want[f]) << f;
    // Face 1 (x = x1) at the identity: (x1,y1) (x1,y1) (x1,y2) (x1,y2).
    const std::vector<QPoint> face1{{50, 50}, {50, 50}, {50, 150}, {50, 150}};
    EXPECT_EQ(faces[0]->points, face1);
    // A channel below 15 clamps at 0; the others go on.
    int c2 = 0x0a8040; // blue 0x0a and red 0x40 end at 0, green 0x80 at 0x35
    plots::box3d(c, {0, 1, 0, 1, 0, 1}, {{}, 10, 0, 0}, platform::Fill::interior, c2);
    EXPECT_EQ(c2, 0x003500);
}

TEST(Draw3dTest, WallsFaceOtherRegionsAndTheGridsEdge)
{
    // W = 3 cells per row, H = 2 rows, every id equal: only the grid's edge has walls.
    const std::vector<int> same(6, 7);
    const plots::CellGrid g{3, 2, same};
    struct Case {
        int cell;
        bool prevx, nextx, prevy, nexty; // neighbour tests
    };
    const Case cases[] = {
        {1, false, true, false, true}, // first cell: walls x = x1 and y = y1
        {3, false, true, true, false}, // end of the first row: x = x1 and y = y2
        {6, true, false, true, false}, // last cell: x = x2 and y = y2
        {5, true, false, true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(plots::sameprevx(c.cell, g), c.prevx) << c.cell;
        EXPECT_EQ(plots::samenextx(c.cell, g), c.nextx) << c.cell;
        EXPECT_EQ(plots::sameprevy(c.cell, g), c.prevy) << c.cell;
        EXPECT_EQ(plots::samenexty(c.cell, g), c.nexty) << c.cell;
        platform::Canvas canvas(100, 100);
        canvas.set_journaling(true);
        plots::walls3d(canvas, c.cell, g, {0, 1, 0, 1, 0, 1}, {{}, 10, 0, 0}, platform::Fill::border, 0x123456);
        const int walls = !c.prevx + !c.nextx + !c.prevy + !c.nexty;
        EXPECT_EQ(ops(canvas, "polygon").size(), static_cast<std::size_t>(walls)) << c.cell;
    }
    // A lone cell (all ids different) draws all four.
    const std::vector<int> lone{1, 2, 3, 4, 5, 6};
    platform::Canvas canvas(100, 100);
    canvas.set_journaling(true);
    plots::walls3d(canvas, 5, {3, 2, lone}, {0, 1, 0, 1, 0, 1}, {{}, 10, 0, 0}, platform::Fill::border, 0);
    EXPECT_EQ(ops(canvas, "polygon").size(), 4u);
}

TEST(Draw3dTest, AxisNamesAtZeroAnglesAndTheDragDirections)
{
    // Screen directions of the axes at the identity: x (1, 0), y (0, 1), z (0, 0).
    EXPECT_EQ(-plots::direction_tenths(1, 0), 0);
    EXPECT_EQ(-plots::direction_tenths(0, 1), -900);
    EXPECT_EQ(-plots::direction_tenths(0, 0), -900);
    EXPECT_EQ(plots::direction_tenths(1, 1), 450);
    ASSERT_EQ(platform::initialize_fonts(MERU_RUNTIME_DIR), 2);
    platform::Canvas c(300, 300);
    ASSERT_GE(c.set_font("t'arial'h12w7"), 0);
    c.set_journaling(true);
    c.set_vieworg(150, 150);
    plots::axes3d(c, {}, 100, {"age", "lwt", "bwt"});
    const auto dots = ops(c, "ellipse");
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_EQ(dots[0]->colour, 0x222222);
    EXPECT_EQ(dots[0]->points.front(), QPoint(47, 47)); // (-100 - 3 + 150)
    const auto names = ops(c, "text");
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0]->text, "age" + std::string(17, ' '));
    EXPECT_EQ(names[0]->colour, 0x555555);

    struct Move {
        int dx, dy, s1, s2;
    };
    const Move moves[] = {{5, 0, 0, 1}, {-3, 0, 0, -1}, {0, 4, 1, 0}, {0, -1, -1, 0}, {2, 2, 9, 9}, {0, 0, 9, 9}};
    for (const Move& m : moves) {
        int s1 = 9, s2 = 9;
        plots::turn_step(m.dx, m.dy, s1, s2);
        EXPECT_EQ(s1, m.s1);
        EXPECT_EQ(s2, m.s2);
    }
}
