// The block view: its sorted copy and heights (equal and all-zero values, a
// degenerate frame), the axis labels, and the window fed with clicks, moves and
// drags: Movie, every button, the scale's floor, View greyed, the menus as
// before and the caller's values untouched.
#include "plots/srd3d.h"
#include "support/mouse_feed.h"
#include "ui/selfont.h"
#include "ui/textrow.h"
#include "ui/ui_fixture.h"

#include <QPolygon>
#include <cmath>

using namespace meru;
using test::MouseStep;

namespace {

struct Cells {
    // Three cells and the frame (last) of a 0..100 square.
    std::vector<double> x1{0, 50, 0, 0}, x2{50, 100, 50, 100}, y1{0, 0, 50, 0}, y2{50, 100, 100, 100};
    std::vector<double> values{6, 2, 4, 0};
    std::vector<int> colours{0xffffff, 0x0000ff, 0x00c000};
    std::vector<int> index{1, 2, 1, 0};
    plots::Srd3dCall call(int mode = 1)
    {
        plots::Srd3dCall c;
        c.mode = mode;
        c.x1 = x1, c.x2 = x2, c.y1 = y1, c.y2 = y2;
        c.values = values;
        c.colours = colours;
        c.colour_index = index;
        c.caption = "Count in A";
        c.hide_last = true;
        c.p = 200, c.q = 200;
        return c;
    }
};

int button_x(int b) { return 45 * (b - 1) + 10; }

} // namespace

TEST(Srd3dModelTest, SortedCopyHeightsAndScaledEdges)
{
    struct Case {
        std::vector<double> values;
        bool zero;
        std::vector<float> heights; // in ascending order of value
        bool view_disabled;
    };
    const Case cases[] = {
        {{2, 4, 6, 2}, false, {0, 0, 0.5f, 1}, false}, {{2, 4, 6, 2}, true, {1.0f / 3, 1.0f / 3, 2.0f / 3, 1}, false},
        {{3, 3, 3, 3}, false, {0, 0, 0, 0}, false}, // equal values: no division by zero
        {{3, 3, 3, 3}, true, {1, 1, 1, 1}, false},     {{0, 0, 0, 0}, true, {0, 0, 0, 0}, true},
        {{0, 0, 0, 0}, false, {0, 0, 0, 0}, true},
    };
    Cells cells;
    for (const Case& c : cases) {
        cells.values = c.values;
        const plots::Srd3dModel m = plots::srd3d_model(cells.call());
        EXPECT_EQ(m.view_disabled, c.view_disabled);
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(m.height(k, c.zero), c.heights[static_cast<std::size_t>(k)], 1e-6);
    }
    cells.values = {6, 2, 4, 0};
    const plots::Srd3dModel m = plots::srd3d_model(cells.call());
    EXPECT_EQ(m.order, (std::vector<int>{3, 1, 2, 0}));
    EXPECT_FLOAT_EQ(m.x2[0], 0.0f); // 50 of 0..100
    EXPECT_FLOAT_EQ(m.y2[1], 1.0f);
    EXPECT_FLOAT_EQ(m.x1[3], -1.0f);
    // A frame without width puts every edge at -1 instead of dividing by zero.
    cells.x2[3] = 0;
    const plots::Srd3dModel flat = plots::srd3d_model(cells.call());
    for (float v : flat.x2) EXPECT_EQ(v, -1.0f);
    // Mode 2: the edges hold one entry more than the values.
    Cells grid;
    grid.values.pop_back();
    EXPECT_EQ(plots::srd3d_model(grid.call(2)).n, 3);

    EXPECT_EQ(plots::axis_value_label(0), "0");
    EXPECT_EQ(plots::axis_value_label(-2.5), "-2.5");
    EXPECT_EQ(plots::axis_value_label(101), "101");
    EXPECT_EQ(plots::axis_value_label(0.125), "0.125");
}

class Srd3dWindowTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ctx.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        ASSERT_TRUE(frame.open_window(16, "Diagram"));
        platform::WindowConfig config;
        config.numxpixels = 640;
        config.numypixels = 480;
        ASSERT_TRUE(frame.set_window_config(16, config));
        frame.set_active(16);
    }
    void TearDown() override
    {
        EXPECT_EQ(menus.off_depth(), 0);
        for (int m = 3; m <= 12; ++m) EXPECT_TRUE(menus.usable(m, 1)) << m;
        EXPECT_FALSE(menus.usable(5, 2));
    }
    plots::Srd3dState run(std::deque<MouseStep> steps, int x, int y, plots::Srd3dCall call)
    {
        test::MouseFeed feed(frame, 16, std::move(steps));
        ui::mouse_clear(ctx.mouse, x, y);
        const plots::Srd3dState st = plots::srd3d(ctx, 16, call);
        EXPECT_EQ(feed.overrun, 1); // the final Esc
        return st;
    }
    std::vector<std::string> topics;
};

TEST_F(Srd3dWindowTest, EveryButtonAndTheScalesFloor)
{
    Cells cells;
    const std::vector<double> values = cells.values;
    // Movie goes on while the pointer rests on it.
    std::deque<MouseStep> steps{{MouseStep::click, button_x(2), 5}, {MouseStep::idle}, {MouseStep::idle}};
    for (int i = 0; i < 31; ++i) steps.push_back({MouseStep::click, button_x(7), 5}); // 205 -> 50
    for (int b : {7, 6, 7, 7, 3, 4, 8, 9, 5, 10, 5}) steps.push_back({MouseStep::click, button_x(b), 5});
    const plots::Srd3dState st = run(steps, button_x(2), 5, cells.call());
    EXPECT_EQ(st.deg3, 60); // the press and one turn at each of the two waits after it
    EXPECT_EQ(st.s, 50);    // 50 stays, +5 gives 55, then back to 50 and it stays
    EXPECT_FALSE(st.block);
    EXPECT_TRUE(st.image);
    EXPECT_TRUE(st.zero);
    EXPECT_TRUE(st.view);
    EXPECT_FALSE(st.fun);
    EXPECT_EQ(topics, std::vector<std::string>{"3D SRD diagram"});
    EXPECT_EQ(cells.values, values);
    EXPECT_EQ(plots::smaller_scale(53), 50);
    EXPECT_EQ(plots::smaller_scale(50), 50);
    EXPECT_EQ(plots::smaller_scale(205), 200);
}

TEST_F(Srd3dWindowTest, DragTurnsOneDegreePerPassAgainstThePositionBeforeThePress)
{
    Cells cells;
    const plots::Srd3dState st = run({{MouseStep::move, 300, 300},
                                      {MouseStep::move, 300, 300},
                                      {MouseStep::drag, 310, 300},
                                      {MouseStep::drag, 320, 300},
                                      {MouseStep::drag, 320, 300},
                                      {MouseStep::move, 320, 300},
                                      {MouseStep::drag, 320, 310},
                                      {MouseStep::drag, 330, 330}}, // diagonal: the step stays
                                     300, 300, cells.call());
    EXPECT_EQ(st.deg2, 333);
    EXPECT_EQ(st.deg1, 132);
    EXPECT_EQ(st.deg3, 45);
}

TEST_F(Srd3dWindowTest, AllZeroValuesGreyViewAndZeroLabelsTheBase)
{
    Cells cells;
    cells.values = {0, 0, 0, 0};
    platform::Canvas* c = frame.canvas(16);
    c->set_journaling(true);
    const plots::Srd3dState st =
        run({{MouseStep::move, 310, 300}, {MouseStep::click, button_x(9), 5}, {MouseStep::click, button_x(5), 5}},
            300, 300, cells.call());
    EXPECT_FALSE(st.view);
    EXPECT_TRUE(st.fun);
    bool greyed = false, f_off = false;
    for (const auto& call : c->journal()) {
        if (call.op == "text" && call.text == "View" && call.colour == ui::kButtonGreyed) greyed = true;
        if (call.op == "text" && call.text == "F_off") f_off = true;
    }
    EXPECT_TRUE(greyed);
    EXPECT_TRUE(f_off);
}

TEST_F(Srd3dWindowTest, ZeroOnLabelsTheAxisBaseZeroAndTheGridDrawsRegionWalls)
{
    Cells cells;
    cells.values = {6, 2, 4, 3};
    platform::Canvas* c = frame.canvas(16);
    c->set_journaling(true);
    run({{MouseStep::click, button_x(8), 5}}, 300, 300, cells.call());
    std::vector<std::string> labels;
    for (const auto& call : c->journal())
        if (call.op == "text" && call.colour == 0x444444) labels.push_back(call.text);
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels[labels.size() - 3], "0"); // base, top, caption of the last axis
    EXPECT_EQ(labels[labels.size() - 2], "6");

    // Grid of 2 x 2 cells, regions {0, 0, 1, 1}: cells 1 and 2 share a region.
    std::vector<double> x1{0, 0, 50, 50, 0}, x2{50, 50, 100, 100, 100}, y1{0, 50, 0, 50, 0},
        y2{50, 100, 50, 100, 100};
    std::vector<double> values{3, 3, 5, 5};
    std::vector<int> ids{0, 0, 1, 1};
    plots::Srd3dCall g = cells.call(2);
    g.x1 = x1, g.x2 = x2, g.y1 = y1, g.y2 = y2;
    g.values = values;
    g.grid = {2, 2, ids};
    g.hide_last = false;
    c->clear_journal();
    run({{MouseStep::move, 310, 300}}, 300, 300, g);
    int walls = 0;
    for (const auto& call : c->journal())
        if (call.op == "polygon" && call.fill == platform::Fill::border &&
            (call.colour == 0x0000ff || call.colour == 0x00c000))
            ++walls;
    EXPECT_EQ(walls, 3 * 4); // each cell: three walls, the fourth faces its own region
}

TEST_F(Srd3dWindowTest, ValueLabelsAndCaptionStandBesideTheBlocks)
{
    // As the view opens, and larger without blocks: each frame's labels (the two
    // values and the caption, in 0x444444, drawn under the blocks and again over
    // them) lie below the status row and meet no polygon of that frame, which
    // starts where the scene right of x 120 and below y 28 is cleared.
    const std::deque<MouseStep> cases[] = {
        {{MouseStep::move, 310, 300}},
        {{MouseStep::click, button_x(6), 5}, {MouseStep::click, button_x(3), 5}},
    };
    platform::Canvas* c = frame.canvas(16);
    c->set_journaling(true);
    for (const auto& steps : cases) {
        c->clear_journal();
        run(steps, 300, 300, Cells().call());
        ui::selfont(ctx, 2);
        std::vector<QRect> labels, shapes;
        for (const platform::DrawCall& d : c->journal()) {
            if (d.op == "rectangle" && d.colour == 0xeeefee && d.points[0] == QPoint(120, 29)) {
                labels.clear();
                shapes.clear();
            }
            if (d.op == "text" && d.colour == 0x444444)
                labels.emplace_back(d.points[0], QSize(c->text_width(d.text), c->font()->cell_height));
            if (d.op == "polygon")
                shapes.push_back(QPolygon(QList<QPoint>(d.points.begin(), d.points.end())).boundingRect());
        }
        ASSERT_EQ(labels.size(), 6u);
        for (const QRect& l : labels) {
            EXPECT_GE(l.top(), 29);
            for (const QRect& b : shapes) EXPECT_FALSE(l.intersects(b)) << steps.size();
        }
    }
}

TEST_F(Srd3dWindowTest, MovieStopsAtEscClickedDuringItsPauseOrTypedNotAtTheCloseBoxAndDrawsBelowTheBar)
{
    enum class Leave { click_in_pause, key, close_box };
    // Movie turns 5 degrees at its press and at each frame: the click made in the
    // second frame's pause is read after that frame; the key at the poll before
    // it. The close box there only minimises: the key at the next poll stops it.
    const std::pair<Leave, int> cases[] = {{Leave::click_in_pause, 55}, {Leave::key, 50}, {Leave::close_box, 55}};
    for (const auto& [leave, deg3] : cases) {
        Cells cells;
        plots::Srd3dCall call = cells.call();
        call.q = -150; // the scene reaches far above the bar
        platform::ChildWindow* w = frame.window(16);
        w->showNormal();
        // The caller's status row under the bar.
        ui::textrow(ctx, std::string_view("E= 1.9% E_max= 3.0%"), 0xffffff, 2, 2, 0x000000);
        QImage bar_before;
        // Movie, then frames with the pointer resting on it; the way out comes
        // at the second frame's pause, or before its poll.
        test::MouseFeed feed(frame, 16, {{MouseStep::click, button_x(2), 5}, {MouseStep::idle}, {MouseStep::idle}});
        feed.before_step = [&](const MouseStep&) {
            if (feed.waits == 1) bar_before = frame.canvas(16)->image().copy(0, 0, 640, 29);
            if (leave == Leave::close_box && feed.waits == 2) w->close();
            if (feed.waits == (leave == Leave::close_box ? 3 : 2) && leave != Leave::click_in_pause)
                w->keys().push({27, false});
        };
        platform::WaitHook to_feed;
        int pauses = 0;
        to_feed = platform::set_wait_hook([&](platform::WaitPoint point, int ms) {
            if (point == platform::WaitPoint::sleep && ++pauses == 2 && leave == Leave::click_in_pause) {
                w->mouse_event(platform::mouse_left_down, platform::mouse_ks_left, button_x(1), 5);
                w->mouse_event(platform::mouse_left_up, 0, button_x(1), 5);
            }
            to_feed(point, ms);
        });
        ui::mouse_clear(ctx.mouse, button_x(2), 5);
        const plots::Srd3dState st = plots::srd3d(ctx, 16, call);
        platform::set_wait_hook(to_feed);
        EXPECT_EQ(feed.overrun, 0);
        EXPECT_EQ(st.deg3, deg3);
        // The whole bar (its Help button too) and the status row stay as they were.
        EXPECT_EQ(frame.canvas(16)->image().copy(0, 0, 640, 29), bar_before);
    }
    frame.window(16)->showNormal();
}

TEST_F(Srd3dWindowTest, AFullTurnOfMovieKeepsTheBlocksInTheSceneAndTheLabelsApart)
{
    // The diagram window's size and position of the view; the tallest cell at a
    // corner of the floor. In every frame of a whole turn (72 of 5 degrees) no
    // point of a face or line leaves the scene (right of x 120, below y 28) and
    // the three labels of the value axis meet neither each other nor the bar.
    platform::WindowConfig config;
    config.numxpixels = 900;
    config.numypixels = 640;
    ASSERT_TRUE(frame.set_window_config(16, config));
    Cells cells;
    plots::Srd3dCall call = cells.call();
    call.p = 460, call.q = 277;
    std::deque<MouseStep> steps{{MouseStep::click, button_x(2), 5}};
    for (int k = 0; k < 72; ++k) steps.push_back({MouseStep::idle});
    platform::Canvas* c = frame.canvas(16);
    c->set_journaling(true);
    run(steps, button_x(2), 5, call);
    ui::selfont(ctx, 2);
    int frames = 0, outside = 0, meeting = 0;
    std::vector<QRect> labels;
    const auto frame_done = [&] { // the labels as drawn again over the blocks: the last three
        for (std::size_t a = labels.size() >= 3 ? labels.size() - 3 : 0; a < labels.size(); ++a)
            for (std::size_t b = a + 1; b < labels.size(); ++b) meeting += labels[a].intersects(labels[b]);
        labels.clear();
    };
    for (const platform::DrawCall& d : c->journal()) {
        if (d.op == "rectangle" && d.colour == 0xeeefee && d.points[0] == QPoint(120, 29)) {
            frame_done();
            ++frames;
        }
        if (frames == 0) continue;
        if (d.op == "text" && d.colour == 0x444444)
            labels.emplace_back(d.points[0], QSize(c->text_width(d.text), c->font()->cell_height));
        if (d.op == "polygon" || d.op == "lineto")
            for (const QPoint& pt : d.points) outside += pt.x() < 120 || pt.x() > 899 || pt.y() < 29 || pt.y() > 639;
    }
    frame_done();
    EXPECT_GE(frames, 72);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(meeting, 0);
}
