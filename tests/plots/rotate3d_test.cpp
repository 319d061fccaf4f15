// The rotating plot: used observations, ranges and counted cubes (with the
// whole-number and size tests and the failed count array), the darkening step
// and point sizes; the window fed with clicks, moves and drags: the cube's edges
// at given angles, 3 x 3 points, every button, Movie under a resting pointer,
// the counted cubes drawn, the large-data note, and the menus as before.
#include "plots/rotate3d.h"
#include "support/mouse_feed.h"
#include "ui/textrow.h"
#include "ui/ui_fixture.h"

using namespace meru;
using test::MouseStep;

namespace {

struct Data {
    std::vector<float> x{0, 1, 1, 2, 5}, y{0, 0, 0, 1, -1}, z{1, 1, 1, 3, 2};
    std::vector<int> w{1, 2, 1, 1, 1};
    std::vector<char> in;
    plots::RotateData data() const { return {x, y, z, w, in}; }
};

int button_x(int b) { return 45 * (b - 1) + 10; }

} // namespace

TEST(RotateCloudTest, UsedObservationsRangesAndCountedCubes)
{
    Data d;
    plots::RotateCloud c = plots::rotate_cloud(d.data(), false, true);
    EXPECT_EQ(c.used, (std::vector<int>{0, 1, 2, 3})); // observation 5 has a missing Y
    EXPECT_EQ(c.max[0], 2.0f);
    EXPECT_EQ(c.min[2], 1.0f);
    EXPECT_EQ(c.maxw, 2);
    ASSERT_TRUE(c.cubes);
    EXPECT_EQ(c.ext[0], 3);
    EXPECT_EQ(c.ext[1], 2);
    EXPECT_EQ(c.ext[2], 4);
    EXPECT_EQ(c.count(1, 0, 1), 3);
    EXPECT_EQ(c.count(2, 1, 3), 1);
    EXPECT_EQ(c.maxc, 3);
    EXPECT_FLOAT_EQ(c.scene(0, 1.0f), 0.0f);
    EXPECT_FLOAT_EQ(c.scene(2, 3.0f), 1.0f);

    // Weight 0 and an unselected observation leave it out.
    d.w[0] = 0;
    d.in = {1, 1, 0, 1, 1};
    EXPECT_EQ(plots::rotate_cloud(d.data(), false, true).used, (std::vector<int>{1, 3}));
    // A Z of 36 or of 2.5 keeps point mode, unless Z is discrete; so do X, Y not discrete.
    for (float zv : {36.0f, 2.5f}) {
        Data e;
        e.z[3] = zv;
        EXPECT_FALSE(plots::rotate_cloud(e.data(), false, true).cubes) << zv;
        EXPECT_TRUE(plots::rotate_cloud(e.data(), true, true).cubes) << zv;
    }
    EXPECT_FALSE(plots::rotate_cloud(Data().data(), false, false).cubes);
    // A count array too large counts as failed: point mode.
    const plots::RotateCloud big = plots::rotate_cloud(Data().data(), false, true, 10);
    EXPECT_TRUE(big.alloc_failed);
    EXPECT_FALSE(big.cubes);
    // No used observation: nothing to count, ranges left at their start.
    Data none;
    none.w.assign(5, 0);
    const plots::RotateCloud empty = plots::rotate_cloud(none.data(), false, true);
    EXPECT_TRUE(empty.used.empty());
    EXPECT_EQ(empty.maxc, 0);
    // A variable without spread sits at -1.
    Data flat;
    flat.x.assign(5, 3.0f);
    EXPECT_FLOAT_EQ(plots::rotate_cloud(flat.data(), false, false).scene(0, 3.0f), -1.0f);

    // Darkening: truncate(((5 - log10 max(N, 1)) 24.5 + 2) / (k + 1)), at least 1.
    EXPECT_EQ(plots::darkening_step(0, 2), 41);
    EXPECT_EQ(plots::darkening_step(1000, 2), 17);
    EXPECT_EQ(plots::darkening_step(1000, 0), 51);
    EXPECT_EQ(plots::darkening_step(100000, 2), 1);
    EXPECT_EQ(plots::darkening_step(10000000, 2), 1);
    // Sizes: k when maxw <= 1; truncate((w / maxw)^0.333 (2k + 2) - 1) otherwise.
    EXPECT_EQ(plots::point_size(1, 1, 2), 2);
    EXPECT_EQ(plots::point_size(8, 8, 2), 5);
    EXPECT_EQ(plots::point_size(1, 8, 2), 2);
    EXPECT_EQ(plots::point_size(1, 1000, 0), 0); // 0.1 * 2 - 1 truncates toward zero
}

class RotateWindowTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ctx.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        ASSERT_TRUE(frame.open_window(plots::kRotateUnit, "Scatter"));
        platform::WindowConfig config;
        config.numxpixels = 600;
        config.numypixels = 520;
        ASSERT_TRUE(frame.set_window_config(plots::kRotateUnit, config));
        frame.set_active(plots::kRotateUnit);
        ctx.plot.winpix = {600, 520};
        canvas = frame.canvas(plots::kRotateUnit);
        canvas->set_journaling(true);
    }
    void TearDown() override
    {
        EXPECT_EQ(menus.off_depth(), 0);
        for (int m = 3; m <= 12; ++m) EXPECT_TRUE(menus.usable(m, 1)) << m;
        EXPECT_FALSE(menus.usable(5, 2));
    }
    plots::RotateState run(std::deque<MouseStep> steps, plots::RotateCall& call, int x = 300, int y = 300)
    {
        test::MouseFeed feed(frame, plots::kRotateUnit, std::move(steps));
        ui::mouse_clear(ctx.mouse, x, y);
        const plots::RotateState st = plots::rotate3d(ctx, plots::kRotateUnit, memory, call);
        EXPECT_EQ(feed.overrun, 1);
        return st;
    }
    plots::RotateCall call_of(const Data& d, bool xy_discrete = false)
    {
        plots::RotateCall c;
        c.data = d.data();
        c.nobs = static_cast<int>(d.x.size());
        c.xname = "age", c.yname = "lwt", c.zname = "bwt";
        c.xy_discrete = xy_discrete;
        return c;
    }
    int count(const std::string& op, int colour, platform::Fill fill = platform::Fill::interior) const
    {
        int n = 0;
        for (const auto& c : canvas->journal())
            if (c.op == op && c.colour == colour && c.fill == fill) ++n;
        return n;
    }
    std::vector<std::string> topics;
    plots::RotateMemory memory;
    platform::Canvas* canvas = nullptr;
};

TEST_F(RotateWindowTest, AFrameDrawsTheCubeTwiceAndEachPointAsAThreePixelSquare)
{
    Data d;
    d.w = {1, 1, 1, 1, 1};
    plots::RotateCall call = call_of(d);
    run({{MouseStep::move, 310, 300}}, call); // the first pass draws the frame at 45, 45
    // Face 1 of the cube (x = -1) at angles 45, 45, 145 degrees, truncated about
    // the scene's centre, which the viewport origin puts at (300, 275).
    const plots::Angles a{plots::radians(45), plots::radians(45), plots::kRotateThirdAngle};
    std::vector<QPoint> face1;
    for (plots::Point3 p : {plots::Point3{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}})
        face1.push_back(plots::screen3d(p, a, 145, 0, 0) + QPoint(300, 275));
    std::vector<std::vector<QPoint>> cube_faces;
    for (const auto& c : canvas->journal())
        if (c.op == "polygon" && c.colour == 0xaaaaaa) cube_faces.push_back(c.points);
    ASSERT_EQ(cube_faces.size(), 2u); // face 1 of the cube before and after the points
    EXPECT_EQ(cube_faces[0], face1);
    // Four used points (one has a missing Y), each 3 x 3 pixels in blue.
    std::vector<std::vector<QPoint>> points;
    for (const auto& c : canvas->journal())
        if (c.op == "rectangle" && c.colour == 0xff0000 && c.fill == platform::Fill::interior)
            points.push_back(c.points);
    ASSERT_EQ(points.size(), 4u);
    const QPoint p0 = plots::screen3d({-1, -1, -1}, a, 145, 0, 0) + QPoint(300, 275); // every minimum
    EXPECT_EQ(points[0].front(), p0 - QPoint(1, 1));
    EXPECT_EQ(points[0].back(), p0 + QPoint(1, 1));
}

TEST_F(RotateWindowTest, ButtonsMovieAndDrags)
{
    Data d;
    plots::RotateCall call = call_of(d);
    const plots::RotateState st = run({{MouseStep::click, button_x(2), 5}, // +pts: 3
                                       {MouseStep::click, button_x(3), 5}, // -pts: 2
                                       {MouseStep::click, button_x(3), 5}, // 1
                                       {MouseStep::click, button_x(3), 5}, // 0
                                       {MouseStep::click, button_x(3), 5}, // stays 0
                                       {MouseStep::click, button_x(5), 5}, // Dense on
                                       {MouseStep::click, button_x(6), 5}, // Help
                                       {MouseStep::click, button_x(7), 5}, // Fun on
                                       {MouseStep::click, button_x(4), 5}, // Movie: 50
                                       {MouseStep::idle},                  // 55
                                       {MouseStep::move, 300, 300},        // stops; (300, 300) seen before
                                       {MouseStep::move, 300, 300},        // remembered
                                       {MouseStep::drag, 300, 310},        // down: step (1, 0)
                                       {MouseStep::drag, 300, 320}},       // held: again
                                      call);
    EXPECT_EQ(st.k, 0);
    EXPECT_TRUE(call.dense);
    EXPECT_TRUE(memory.fun);
    EXPECT_EQ(topics, std::vector<std::string>{"Rotating X,Y,Z plot"});
    EXPECT_EQ(st.deg2, 60);
    EXPECT_EQ(st.deg1, 47);
    EXPECT_EQ(memory.step1, 1);
    EXPECT_EQ(memory.step2, 0);
    // The step and the trails carry over to the next plot; the angles start afresh.
    const plots::RotateState again = run({{MouseStep::drag, 300, 330}}, call, 300, 5);
    EXPECT_EQ(again.deg1, 46);
    EXPECT_TRUE(memory.fun);
}

TEST_F(RotateWindowTest, ArrowKeysTurnTheCubeFiveDegreesAPress)
{
    Data d;
    plots::RotateCall call = call_of(d);
    // Right, Right, Up, a key that is not an arrow, Left: one at each wait.
    std::deque<platform::Keystroke> keys{{77, true}, {77, true}, {72, true}, {'x', false}, {75, true}};
    test::MouseFeed feed(frame, plots::kRotateUnit, std::deque<MouseStep>(6, {MouseStep::idle}));
    feed.before_step = [&](const MouseStep&) {
        if (keys.empty()) return;
        frame.window(plots::kRotateUnit)->keys().push(keys.front());
        keys.pop_front();
    };
    ui::mouse_clear(ctx.mouse, 300, 300);
    const plots::RotateState st = plots::rotate3d(ctx, plots::kRotateUnit, memory, call);
    EXPECT_EQ(st.deg2, 45 + 5 + 5 - 5);
    EXPECT_EQ(st.deg1, 45 - 5);
    EXPECT_EQ(memory.step1, 0); // the last key, Left, as a drag to the left
    EXPECT_EQ(memory.step2, -1);
    EXPECT_FALSE(frame.window(plots::kRotateUnit)->keys().has_key());
}

TEST_F(RotateWindowTest, CountedCubesOneBlockPerNonEmptyCellAndDenseGreyed)
{
    Data d;
    plots::RotateCall call = call_of(d, true);
    run({{MouseStep::move, 310, 300}, {MouseStep::click, button_x(5), 5}}, call);
    EXPECT_FALSE(call.dense); // Dense is greyed in this mode
    // Cells (0,0,1), (1,0,1) and (2,1,3): face 1 of each block filled and outlined.
    EXPECT_EQ(count("polygon", 0xdddddd), 2 * 3);
    EXPECT_EQ(count("polygon", 0xff3333, platform::Fill::border), 2 * 3);
    bool greyed = false;
    for (const auto& c : canvas->journal())
        if (c.op == "text" && c.text == "Dense" && c.colour == ui::kButtonGreyed) greyed = true;
    EXPECT_TRUE(greyed);
}

TEST_F(RotateWindowTest, NoUsedObservationDrawsOnlyTheCubeAndALargeSetGetsTheNote)
{
    Data none;
    none.w.assign(5, 0);
    plots::RotateCall call = call_of(none);
    run({{MouseStep::move, 310, 300}}, call);
    EXPECT_EQ(count("rectangle", 0xff0000), 0); // filled points only
    EXPECT_EQ(count("polygon", 0xaaaaaa, platform::Fill::border), 2);

    // A count array that cannot be had: the log line, then point mode.
    Data wide;
    wide.x[3] = 2e6f;
    plots::RotateCall cubes = call_of(wide, true);
    canvas->clear_journal();
    run({{MouseStep::move, 310, 300}}, cubes);
    const std::vector<std::string> lines = log_lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Unable to allocate 3D array NARRAY"), 1);
    EXPECT_EQ(count("rectangle", 0xff0000), 4);

    Data big;
    big.x.assign(50001, 1), big.y.assign(50001, 1), big.z.assign(50001, 1), big.w.assign(50001, 0);
    plots::RotateCall large = call_of(big);
    test::ModalAnswerer answers({"OK"});
    run({}, large, 20, 5);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_NE(answers.shown[0].text.find(">50000 data points. Animated movement may be jerky or slow"),
              std::string::npos);
}
