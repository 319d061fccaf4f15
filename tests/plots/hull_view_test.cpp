// The hull in the search window: the window opened for it (size, Window-menu
// entry, axes holding the best list), the grey symbols by pixel, the curve
// window's arguments, and a Beta+ press of a fake curve window followed by Esc.
// The search headers name a member "slots", which Qt's keyword macro would take: first.
#include "plots/hull_view.h"
#include "plots/search_window.h"

#include "platform/canvas.h"
#include "platform/window.h"
#include "platform/io/random.h"
#include "support/best_entries.h"
#include "ui/plotframe.h"
#include "ui/thinking.h"
#include "ui/ui_fixture.h"

#include <QDir>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace meru;
using test::best_entries;

namespace {

// Records the notes and boxes instead of showing them.
class RecordingHullView : public plots::SearchHullView {
public:
    using SearchHullView::SearchHullView;
    void msgbox(const std::string& t) override { boxes.push_back(t); }
    void note(const std::string& t) override { notes.push_back(t); }
    std::vector<std::string> boxes, notes;
};

int bgr(unsigned argb) { return static_cast<int>(((argb & 0xff) << 16) | (argb & 0xff00) | ((argb >> 16) & 0xff)); }

} // namespace

class HullViewTest : public test::UiTest {};

TEST_F(HullViewTest, WindowSymbolsCurveArgumentsAndBetaPlus)
{
    const auto list = best_entries({{1, 10}, {2, 15}, {3, 18}, {4, 19}, {5, 19.5f}});
    // The search kept y up to 1 and x up to 10: G = 10 widens y to 20, which holds the rest.
    const plots::WindowScale scale = plots::hull_scale({}, list);
    EXPECT_DOUBLE_EQ(scale.ymax, 20);
    EXPECT_DOUBLE_EQ(scale.xmax, 10); // already above 5 + 3
    EXPECT_DOUBLE_EQ(plots::hull_scale({1, 4, 1}, list).xmax, 8);
    EXPECT_DOUBLE_EQ(plots::hull_scale({1, 4, 1}, list).xstep, 2);
    ASSERT_TRUE(plots::open_search_window(ctx, scale, plots::kHullMenuEntry));
    platform::Canvas* canvas = frame.canvas(plots::kSearchWindow);
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->image().width(), 500);
    EXPECT_EQ(canvas->image().height(), 420);
    EXPECT_TRUE(ctx.windows.units.count(plots::kSearchWindow));
    canvas->set_journaling(true);

    std::vector<plots::CurveWindow> seen;
    std::vector<int> red_pixels;
    auto fake = [&](ui::Context&, plots::CurveWindow& w) {
        seen.push_back(w);
        // The symbols are drawn before the curve window is called. By hand: the
        // data area takes 0.75 x 500 = 375 pixels for complexities 0..10 from
        // x 75 (to 90 % of the width) and 0.6 x 420 = 252 pixels for G 0..20 up
        // from y 336.
        for (const auto& e : list) {
            const int x = 75 + static_cast<int>(37.5 * e.complexity);
            const int y = 336 - static_cast<int>(12.6 * e.value);
            red_pixels.push_back(bgr(canvas->image().pixel(x, y)));
        }
        w.y2 += 1.0; // Beta+ raised the line at c = 5 from 2.5 to 3.5; then Esc
        w.clicked = 0;
    };
    std::vector<std::string> shown;
    io::RandomStream random;
    RecordingHullView view(
        ctx, random,
        [&](const search::StoredPartition* e, const std::string& caption) {
            shown.push_back(caption + (e ? std::to_string(e->complexity) : "-"));
        },
        fake);
    search::Penalty pen{0, true};
    search::HullInput in;
    in.entries = list;
    log.set_trace_sink({});
    const search::HullResult r = plots::hullplot(in, pen, &view, log);

    ASSERT_EQ(seen.size(), 1u);
    const plots::CurveWindow& w = seen[0];
    EXPECT_EQ(w.n, 6);
    EXPECT_EQ(std::vector<double>(w.x.begin(), w.x.end()), (std::vector<double>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(w.highlight, 5); // position 4 (c = 4) at beta 0.5
    EXPECT_EQ(w.label, "=4");
    EXPECT_EQ(w.title, "Complexity hull");
    EXPECT_TRUE(w.refline);
    EXPECT_TRUE(w.interactive);
    EXPECT_DOUBLE_EQ(w.x2, 5);
    EXPECT_DOUBLE_EQ(w.y2, 2.5);
    EXPECT_EQ(w.refcolour, 0x0000ff);
    EXPECT_EQ(red_pixels, std::vector<int>(5, plots::kHullGrey));
    bool bar = false;
    for (const auto& c : canvas->journal())
        bar = bar || (c.op == "text" && c.text.find("Beta+") != std::string::npos);
    EXPECT_TRUE(bar);

    EXPECT_EQ(shown, (std::vector<std::string>{"Partition at red point on hull4"}));
    EXPECT_DOUBLE_EQ(pen.beta, 0.7);
    EXPECT_FALSE(pen.automatic);
    EXPECT_EQ(view.notes,
              (std::vector<std::string>{"NOTE: new penalty parameter beta = 0.7 Re-do Search for new optimal$"}));
    EXPECT_TRUE(view.boxes.empty());
    // beta 0.7: G_beta 9.3 13.6 15.9 16.2 16 -> c = 4.
    EXPECT_EQ(r.optimum, 4);
}

TEST_F(HullViewTest, ReopenedSearchWindowKeepsThePlaceAndSizeTheUserGaveIt)
{
    // Each iteration (and each new scale) opens the window afresh: the user moved
    // the first and made it smaller; the next two stand there, as large, so that
    // a click made where the last one stood meets them. The first stands below the
    // progress window, which each progress text raises over the count row.
    // The close box minimises it and a search closes it between two searches:
    // the next stands where it stood.
    ui::thinking(ctx, "", false);
    ui::thinking(ctx, "..500 partitions evaluated. Iteration  1", true);
    ASSERT_TRUE(plots::open_search_window(ctx, {1, 10, 2}, plots::kSearchTitle, "Searching: Iteration  1"));
    const auto p = frame.window_size(ui::kThinkingUnit).value();
    EXPECT_EQ(frame.window_size(plots::kSearchWindow)->y, p.y + p.h);
    ASSERT_TRUE(frame.set_window_size(plots::kSearchWindow, {platform::SizeState::set, 37, 51, 420, 300}));
    // So does the one after the user minimised it with its close box, and the
    // one after a search closed it: restored, where it stood.
    const std::function<void()> between[] = {[] {}, [&] { frame.window(plots::kSearchWindow)->close(); },
                                             [&] { frame.close_window(plots::kSearchWindow); }};
    for (const auto& step : between) {
        step();
        ASSERT_TRUE(plots::open_search_window(ctx, {4, 12, 3}, plots::kSearchTitle, "Searching: Iteration  2"));
        const auto s = frame.window_size(plots::kSearchWindow).value();
        EXPECT_EQ(s.state, platform::SizeState::restored);
        EXPECT_EQ(std::vector<int>({s.x, s.y, s.w, s.h}), std::vector<int>({37, 51, 420, 300}));
        EXPECT_EQ(frame.canvas(plots::kSearchWindow)->image().size(), QSize(500, 420));
    }
}

TEST_F(HullViewTest, AcceptancePicture)
{
    // Seven complexities, two of them under the hull; the red point at c = 4.
    const auto list = best_entries({{1, 10}, {2, 15}, {3, 14}, {4, 22}, {5, 21}, {6, 24}, {8, 24.5f}});
    ASSERT_TRUE(plots::open_search_window(ctx, plots::hull_scale({}, list), plots::kHullMenuEntry));
    io::RandomStream random;
    plots::SearchHullView view(ctx, random, {});
    search::Penalty pen{1.2, false};
    search::HullInput in;
    in.entries = list;
    in.redraw = true; // drawn without waiting
    const search::HullResult r = plots::hullplot(in, pen, &view, log);
    // Hull: (1, 10), (2, 15), (4, 22), (6, 24), (8, 24.5); G_beta at 1.2: 8.8 12.6 17.2 16.8 14.9.
    ASSERT_EQ(r.hull.points.size(), 6u);
    EXPECT_EQ(r.hull.points[3].entry, 4);
    platform::Canvas* canvas = frame.canvas(plots::kSearchWindow);
    const ui::PlotFrame& plot = ctx.plot;
    const int rx = plot.vieworg.x + ui::plot_pixel(plot.plotscale.x * 4);
    const int ry = plot.vieworg.y - ui::plot_pixel(plot.plotscale.y * 22);
    EXPECT_EQ(bgr(canvas->image().pixel(rx, ry)), 0x0000ff); // the red point
    // The penalty line from the origin to (8, 1.2 x 8): red at its middle.
    const int lx = plot.vieworg.x + ui::plot_pixel(plot.plotscale.x * 4);
    const int ly = plot.vieworg.y - ui::plot_pixel(plot.plotscale.y * 4.8);
    bool red = false;
    for (int dy = -1; dy <= 1; ++dy) red = red || bgr(canvas->image().pixel(lx, ly + dy)) == 0x0000ff;
    EXPECT_TRUE(red);

    const char* env = std::getenv("MERU_E2E_SHOTS");
    const QString folder = env && *env ? QString(env) : dir.path();
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath("hull_window.png");
    ASSERT_TRUE(frame.save_canvas_png(plots::kSearchWindow, path));
    EXPECT_EQ(QImage(path).size(), QSize(500, 420));
}
