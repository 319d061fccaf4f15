// The text viewer on a 100 MB output log of about 1.5 million lines: opening at
// the last section's time line (indexing the file and searching it), a page or
// line move, a Find that wraps without a hit, and indexing the lines appended
// since the last viewing. The index size is reported as a counter.
#include "platform/dialog_template.h"
#include "platform/fonts.h"
#include "platform/frame.h"
#include "platform/io/logwriter.h"
#include "platform/io/units.h"
#include "platform/menus.h"
#include "ui/context.h"
#include "ui/viewer/line_index.h"
#include "ui/viewer/session.h"
#include "ui/viewer/viewpage.h"

#include <QApplication>
#include <QMainWindow>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using meru::ui::viewer::LineIndex;
using meru::ui::viewer::Page;
using meru::ui::viewer::Session;
using meru::ui::viewer::SessionSetup;

constexpr long long kTargetBytes = 100'000'000;

std::string log_path() { return (std::filesystem::temp_directory_path() / "meru_bench_viewer.log").string(); }

// Sections of a log: a heading, its time line, notes and result lines.
std::string make_log(std::string& last_time)
{
    const std::string path = log_path();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    long long bytes = 0;
    char line[128];
    for (int section = 0; bytes < kTargetBytes; ++section) {
        auto put = [&](const char* text) { bytes += std::fprintf(f, "%s\n", text); };
        std::snprintf(line, sizeof line, "%%Search:Go! section %d", section);
        put(line);
        std::snprintf(last_time.data(), last_time.size() + 1, "%%time%2d:%02d:%02d:%02d", (section / 360000) % 24,
                      (section / 6000) % 60, (section / 100) % 60, section % 100);
        put(last_time.c_str());
        put("NOTE: a note of the search");
        for (int r = 0; r < 40; ++r) {
            std::snprintf(line, sizeof line, " %3d  (3 -2)(-6)         G= %10.4f  p= %8.6f  n= %6d", r, 12.5 + r,
                          0.001 * r, 100 + section % 1000);
            put(line);
        }
        put(" --------------------------------------------------");
    }
    std::fclose(f);
    return path;
}

struct Fixture {
    std::string last_time = std::string(16, ' ');
    std::string path;
    Fixture() { path = make_log(last_time); }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// Reads the page's lines as the drawing does.
void read_page(const LineIndex& index, const Page& page)
{
    long long first = -1, count = 0;
    for (long long r : page.rows)
        if (r >= 0) {
            if (first < 0) first = r;
            ++count;
        }
    if (first >= 0) benchmark::DoNotOptimize(index.lines(first, count, 2250));
}

void BM_OpenAtLastTime(benchmark::State& state)
{
    Fixture& fx = fixture();
    long long lines = 0;
    std::size_t index_bytes = 0;
    for (auto _ : state) {
        LineIndex index; // built anew each time: the first viewing of the log
        index.open(fx.path);
        int textcol1 = 1;
        Session session(index, {45, true, true}, textcol1, [&](const Page& p) { read_page(index, p); }, {});
        session.open(fx.last_time);
        lines = index.lines();
        index_bytes = index.index_bytes();
        benchmark::DoNotOptimize(session.pager().p);
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(fx.path)) / 1e6;
    state.counters["index_MB"] = static_cast<double>(index_bytes) / 1e6;
}
BENCHMARK(BM_OpenAtLastTime)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PageAndLineMoves(benchmark::State& state)
{
    Fixture& fx = fixture();
    LineIndex index;
    index.open(fx.path);
    int textcol1 = 1;
    Session session(index, {45, true, true}, textcol1, [&](const Page& p) { read_page(index, p); }, {});
    session.open(fx.last_time);
    session.top();
    long long moves = 0;
    for (auto _ : state) {
        // One of each move, from the middle of the file.
        switch (moves++ % 8) {
        case 0: session.page_down(); break;
        case 1: session.page_up(); break;
        case 2: session.line_down(); break;
        case 3: session.line_up(); break;
        case 4: session.right(); break;
        case 5: session.left(); break;
        case 6: session.end(); break;
        case 7: session.page_up(); break;
        }
    }
}
BENCHMARK(BM_PageAndLineMoves)->Unit(benchmark::kMicrosecond);

// A page move drawn into the viewer's window, as the user sees it: the bar and 44
// rows of coloured text (offscreen).
void BM_PageMoveDrawn(benchmark::State& state)
{
    Fixture& fx = fixture();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench_viewer";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    meru::platform::initialize_fonts(MERU_RUNTIME_DIR);
    meru::platform::UnitRegistry units;
    meru::platform::Frame frame(units);
    meru::platform::Menus menus(frame.main_window().menuBar());
    meru::platform::DialogLibrary dialogs;
    meru::io::LogWriter log;
    meru::ui::Context ctx{frame, menus, {&frame.main_window(), nullptr}, dialogs, log, MERU_RUNTIME_DIR, {}, {},
                          {},    {}};
    frame.open_window(57, "View bench");
    meru::platform::WindowConfig config;
    config.numxpixels = 640;
    config.numypixels = 630;
    frame.set_window_config(57, config);
    frame.set_active(57);

    LineIndex index;
    index.open(fx.path);
    meru::ui::viewer::PageStyle style;
    style.log = true;
    Session session(index, {45, true, true}, ctx.textcol1,
                    [&](const Page& p) { meru::ui::viewer::viewpage(ctx, index, style, p); }, {});
    session.open(fx.last_time);
    session.top();
    long long moves = 0;
    for (auto _ : state) {
        if (moves++ % 2 == 0) session.page_down();
        else session.line_up();
    }
}
BENCHMARK(BM_PageMoveDrawn)->Unit(benchmark::kMillisecond);

void BM_FindWrapsWithoutHit(benchmark::State& state)
{
    Fixture& fx = fixture();
    LineIndex index;
    index.open(fx.path);
    int textcol1 = 1;
    int misses = 0;
    Session session(
        index, {45, false, false}, textcol1, [&](const Page& p) { read_page(index, p); }, [&] { ++misses; });
    session.open("");
    for (auto _ : state) session.find("no such text");
    state.counters["not_found"] = misses;
}
BENCHMARK(BM_FindWrapsWithoutHit)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExtendOverAppendedLines(benchmark::State& state)
{
    Fixture& fx = fixture();
    LineIndex index;
    index.open(fx.path);
    index.close();
    const std::string copy = fx.path + ".grow";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(fx.path, copy, std::filesystem::copy_options::overwrite_existing);
        LineIndex grown;
        grown.open(copy);
        grown.close();
        std::FILE* f = std::fopen(copy.c_str(), "ab");
        for (int k = 0; k < 1000; ++k) std::fprintf(f, " appended line %d\n", k);
        std::fclose(f);
        state.ResumeTiming();
        grown.open(copy); // extends over the 1000 new lines
        benchmark::DoNotOptimize(grown.lines());
    }
    std::filesystem::remove(copy);
}
BENCHMARK(BM_ExtendOverAppendedLines)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
