// Plot drawing on a 640 x 480 window: 10,000 plot symbols, and Beta+ presses of
// the curve window (each restores the stored picture and draws the line again),
// timed per press over a wait fed with 200 presses and an Esc.
#include "platform/dialog_template.h"
#include "platform/events.h"
#include "platform/fonts.h"
#include "platform/frame.h"
#include "platform/io/logwriter.h"
#include "platform/io/random.h"
#include "platform/menus.h"
#include "platform/window.h"
#include "plots/plotwin.h"
#include "ui/axes.h"
#include "ui/context.h"
#include "ui/plotsym.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace meru;

struct Plot {
    Plot()
    {
        platform::initialize_fonts(MERU_RUNTIME_DIR);
        frame.open_window(21, "Plot");
        frame.set_active(21);
        ui::AxisLayout layout;
        layout.xhi = 10;
        ui::drawaxis(ctx, layout);
    }
    platform::UnitRegistry units;
    platform::Frame frame{units};
    platform::Menus menus{frame.main_window().menuBar()};
    platform::DialogLibrary dialogs;
    io::LogWriter log;
    ui::Context ctx{frame, menus, {&frame.main_window(), nullptr}, dialogs, log, MERU_RUNTIME_DIR, {}, {}, {}, {}};
};

void BM_TenThousandSymbols(benchmark::State& state)
{
    Plot plot;
    io::RandomStream random;
    std::vector<double> xs(10000), ys(10000);
    for (std::size_t i = 0; i < xs.size(); ++i) xs[i] = 10 * random.next(), ys[i] = random.next();
    for (auto _ : state) {
        for (std::size_t i = 0; i < xs.size(); ++i) {
            int control = ui::kSymbolOverlap;
            ui::Symbol s;
            s.x = xs[i], s.y = ys[i], s.size = 4, s.colour = 0x999999;
            ui::plotsym(plot.ctx, random, s, control);
        }
    }
}
BENCHMARK(BM_TenThousandSymbols)->Unit(benchmark::kMillisecond);

void BM_BetaPlus(benchmark::State& state)
{
    Plot plot;
    platform::FakeClock clock;
    platform::set_clock(&clock);
    constexpr int kPresses = 200;
    int fed = 0;
    platform::set_wait_hook([&](platform::WaitPoint point, int) {
        if (point != platform::WaitPoint::mouse) return;
        const bool esc = ++fed > kPresses;
        auto* w = plot.frame.window(21);
        w->mouse_event(platform::mouse_left_down, platform::mouse_ks_left, esc ? 5 : 60, 5);
    });
    std::vector<double> x{1, 2, 4, 8}, y{0.2, 0.5, 0.75, 0.8};
    for (auto _ : state) {
        fed = 0;
        plots::CurveWindow c;
        c.x = x, c.y = y, c.n = 4, c.refline = true, c.x2 = 8, c.y2 = 0.01, c.linelabel = "=";
        c.interactive = true;
        plots::plotwin(plot.ctx, c);
    }
    // Seconds per press (the one drawing of the curve included).
    state.counters["s_per_press"] = benchmark::Counter(double(state.iterations()) * kPresses,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    platform::set_wait_hook({});
    platform::set_clock(nullptr);
}
BENCHMARK(BM_BetaPlus)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
