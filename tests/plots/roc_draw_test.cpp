#include "plots/qroc_draw.h"
#include "plots/roc_draw.h"

#include "platform/canvas.h"
#include "ui/axes.h"
#include "ui/plotframe.h"
#include "ui/ui_fixture.h"

#include <gtest/gtest.h>

using namespace meru;
using namespace meru::plots;

namespace {

class RocDrawTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ctx.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        ASSERT_TRUE(frame.open_window(25, "ROC"));
        platform::WindowConfig config;
        config.numxpixels = 600;
        config.numypixels = 520;
        ASSERT_TRUE(frame.set_window_config(25, config));
        ASSERT_TRUE(frame.set_active(25));
        ui::AxisLayout layout;
        layout.ylen = 0.6, layout.xfac = 1.25, layout.xhi = 1.05, layout.yhi = 1.05, layout.xwant = 0.2,
        layout.ywant = 0.2;
        layout.xtitle = "1-Specificity", layout.ytitle = "Sensitivity", layout.title = "ROC curve ";
        ASSERT_TRUE(ui::drawaxis(ctx, layout));
        canvas = frame.canvas(25);
        canvas->set_journaling(true);
        // birthwt: "lwt > 110", "> 130", "> 150" against low (controls 130, cases 59).
        const std::int64_t members[3][2] = {{102, 34}, {52, 14}, {29, 7}};
        for (const auto& m : members) {
            stats::CountTable t;
            t.cells[0] = 130 - m[0], t.cells[1] = m[0], t.cells[2] = 59 - m[1], t.cells[3] = m[1];
            tables.push_back(t);
        }
        curve = roc_points(tables);
        drawing.curve = &curve;
        drawing.name = "lwt";
        drawing.labels = {"lwt > 110", "lwt > 130", "lwt > 150"};
        drawing.optimised = 2;
    }
    std::vector<platform::DrawCall> calls(const std::string& op) const
    {
        std::vector<platform::DrawCall> out;
        for (const auto& c : canvas->journal())
            if (c.op == op) out.push_back(c);
        return out;
    }
    platform::Canvas* canvas = nullptr;
    std::vector<std::string> topics;
    std::vector<stats::CountTable> tables;
    RocCurve curve;
    RocDrawing drawing;
};

TEST_F(RocDrawTest, SquaresDiagonalLabelsAndLog)
{
    const RocSummary s = draw_roc(ctx, drawing);
    EXPECT_NEAR(s.auc, 0.3709257, 1e-7);
    const double sx = ctx.plot.plotscale.x, sy = ctx.plot.plotscale.y;
    const int ox = ctx.plot.vieworg.x, oy = ctx.plot.vieworg.y;
    const auto rects = calls("rectangle");
    ASSERT_EQ(rects.size(), 4u); // three squares and the optimised one again
    for (int e = 1; e <= 3; ++e) {
        const int x = ox + int(sx * curve.fpr[e]), y = oy - int(sy * curve.sens[e]);
        EXPECT_EQ(rects[e - 1 + (e > 2)].points[0], QPoint(x - 2, y - 2));
        EXPECT_EQ(rects[e - 1 + (e > 2)].points[1], QPoint(x + 2, y + 2));
    }
    EXPECT_EQ(rects[2].colour, kRocRed);
    EXPECT_EQ(rects[0].colour, 0);
    EXPECT_EQ(calls("lineto").front().colour, kRocRed); // the diagonal first
    bool labelled = false;
    for (const auto& t : calls("text")) labelled |= t.text.rfind("lwt > 130", 0) == 0 && t.colour == kRocRed;
    EXPECT_TRUE(labelled);
    EXPECT_EQ(topics, (std::vector<std::string>{"NOTE: Below diagonal line"}));
    const auto lines = log_lines();
    ASSERT_GE(lines.size(), 5u);
    const std::vector<std::string> tail(lines.end() - 5, lines.end());
    EXPECT_EQ(tail[0], " Cut of lwt               Sensitivity Specificity");
    EXPECT_EQ(tail[1], " lwt > 110                 0.576       0.215");
    EXPECT_EQ(tail[4], "           AUC% (SE%)  37.1( 4.21)");
}

TEST_F(RocDrawTest, DiagonalOffRedrawsWhiteWithoutNotes)
{
    drawing.diagonal = false;
    drawing.notes = false;
    drawing.connect = false;
    draw_roc(ctx, drawing);
    EXPECT_TRUE(topics.empty());
    const auto lines = calls("lineto");
    ASSERT_EQ(lines.size(), 1u); // only the diagonal when the points are not joined
    EXPECT_EQ(lines[0].colour, 0xffffff);
}

} // namespace

namespace {

TEST_F(RocDrawTest, QrocThroughTheCurveWindow)
{
    const QrocCurve q = qroc_points(tables);
    QrocDrawing d;
    d.curve = &q;
    d.name = "lwt";
    d.labels = drawing.labels;
    d.optimised = 1;
    draw_qroc(ctx, d);
    const double sx = ctx.plot.plotscale.x, sy = ctx.plot.plotscale.y;
    const int ox = ctx.plot.vieworg.x, oy = ctx.plot.vieworg.y;
    bool labelled = false;
    for (const auto& t : calls("text"))
        labelled |=
            t.text.rfind("lwt > 110", 0) == 0 && t.points[0] == QPoint(ox + int(sx * q.x[1]), oy - int(sy * q.y[1]));
    EXPECT_TRUE(labelled);
    const auto lines = log_lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 4], " Cut of lwt                 QI(1)       QI(0)");
    EXPECT_EQ(lines[lines.size() - 3], " lwt > 110                -0.511      -0.090");
    EXPECT_EQ(qroc_title("lwt"), "Test variable lwt     ");
}

} // namespace
