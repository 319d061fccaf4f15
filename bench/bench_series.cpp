// Series of searches as the user runs them: the program itself on a script,
// offscreen, display graphics off, Chi-square on a binary Y, Extent at its
// defaults and non-iterative searches (one hull window each, closed by a click):
//   BM_BootstrapSeries_bcw/S   S consecutive bootstrap series of ten searches
//       on bcw (699 observations, malig first): Edit > Bootstrap sample, Go!,
//       the log shown after the tenth and closed. The counters give the time
//       of a series early (series 2-11) and late (the last ten), from the
//       log's time lines, their ratio, the resident memory after ten series
//       and at the end, the searches made (samples drawn) and the longest
//       time the program did not pump events over all the series.
//   BM_SeriesOverSearches_synth/1  one bootstrap series on 100,000 synthetic
//       observations against ten single Search:Go! runs on the same data, both
//       less a run that only opens the data and sets up; `ratio` is the series'
//       time over the ten searches' (the driver's own share).
#include "scripted_program.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <sstream>

namespace {

using namespace meru::bench;

const fs::path& work_folder()
{
    static const WorkFolder folder("meru_bench_series");
    return folder.path;
}

// Open, Y:OK, display graphics off, Chi-square, non-iterative.
std::string setup(const fs::path& dir, const std::string& mrc, const std::string& y)
{
    return "dismiss\nmenu File > Open\nfile " + (dir / mrc).string() + "\ndismiss\nmenu Y > Ok  " + y +
           "\nanswer no\ndismiss\nmenu Options\ndialog Options\n  set Display graphics while searching = off\n"
           "  press OK\nmenu Criteria\ndialog Criteria\n  set Criterion = Chi-square\n  press OK\n"
           "menu Strategy\ndialog Strategy\n  set Iterative mode = off\n  press OK\n";
}

std::string bootstrap_series()
{
    std::string s = "menu Edit > Bootstrap sample\ndismiss\nmenu Search > Go!\n";
    for (int k = 0; k < 10; ++k) s += "dismiss\nclick 15 20 8\n";
    return s + "key 57 Esc\n";
}

std::string write(const fs::path& dir, const std::string& name, const std::string& text)
{
    const fs::path file = dir / name;
    std::ofstream(file) << text;
    return file.string();
}

// Seconds of the day of each "%time" line that follows a "%Search:Go!" heading.
std::vector<double> go_times(const fs::path& log)
{
    std::vector<double> t;
    std::ifstream in(log);
    bool after_go = false;
    for (std::string line; std::getline(in, line);) {
        if (after_go && line.starts_with("%time")) {
            int h = 0, m = 0, s = 0, c = 0;
            char sep = 0;
            std::istringstream(line.substr(5)) >> h >> sep >> m >> sep >> s >> sep >> c;
            t.push_back(h * 3600.0 + m * 60.0 + s + c / 100.0);
        }
        after_go = line.starts_with("%Search:Go!");
    }
    return t;
}

long count_lines(const fs::path& log, const std::string& prefix)
{
    std::ifstream in(log);
    long n = 0;
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(prefix)) ++n;
    return n;
}

std::vector<double> resident_kb(const ScriptedRun& r)
{
    std::vector<double> kb;
    for (const std::string& line : r.err)
        if (line.starts_with("resident memory ")) kb.push_back(std::atof(line.c_str() + 16));
    return kb;
}

double mean_ms(const std::vector<double>& t, std::size_t from, std::size_t to)
{
    double sum = 0;
    for (std::size_t k = from; k < to; ++k) sum += t[k + 1] - t[k];
    return to > from ? 1000.0 * sum / static_cast<double>(to - from) : 0.0;
}

void BM_BootstrapSeries_bcw(benchmark::State& state)
{
    const fs::path& dir = work_folder();
    if (!fs::exists(dir / "bcwm.mrc")) write_bcw(dir);
    const int series = static_cast<int>(state.range(0));
    std::string text = setup(dir, "bcwm.mrc", "malig") + "pumpgap\n";
    for (int k = 1; k <= series; ++k) {
        text += bootstrap_series();
        if (k == 10 || k == series) text += "memory\n";
    }
    text += "pumpgap\n";
    const std::string script = write(dir, "series.txt", text);
    ScriptedRun run;
    for (auto _ : state) {
        run = run_script(dir, script, 0);
        if (run.status != 0) {
            state.SkipWithError("the scripted series did not run to its end");
            return;
        }
        state.SetIterationTime(run.seconds);
    }
    const fs::path log = dir / "BCWM.LOG";
    const std::vector<double> t = go_times(log);
    const std::vector<double> kb = resident_kb(run);
    const std::size_t n = t.size();
    state.counters["series"] = static_cast<double>(n);
    state.counters["searches"] = static_cast<double>(count_lines(log, "Bootstrap sample #"));
    if (n >= 22) {
        // Series 1 pays for the first drawing of its windows: the early ten start at 2.
        const double early = mean_ms(t, 1, 11), late = mean_ms(t, n - 11, n - 1);
        state.counters["series_ms_early"] = early;
        state.counters["series_ms_late"] = late;
        state.counters["late_over_early"] = early > 0 ? late / early : 0.0;
    }
    // The longest time the program did not pump events during the series.
    for (const std::string& line : run.err)
        if (line.starts_with("longest pump gap "))
            state.counters["longest_pump_gap_ms"] = std::atof(line.c_str() + 17);
    if (kb.size() == 2) {
        state.counters["rss_kb_after_10"] = kb[0];
        state.counters["rss_kb_end"] = kb[1];
        state.counters["rss_growth_pct"] = 100.0 * (kb[1] - kb[0]) / kb[0];
    }
}

void BM_SeriesOverSearches_synth(benchmark::State& state)
{
    const fs::path& dir = work_folder();
    if (!fs::exists(dir / "synth.mrc")) write_synthetic(dir, 100000);
    const std::string base = setup(dir, "synth.mrc", "y");
    std::string single;
    for (int k = 0; k < 10; ++k) single += "menu Search > Go!\ndismiss\nclick 15 20 8\n";
    const std::string open = write(dir, "open.txt", base);
    const std::string plain = write(dir, "plain.txt", base + single);
    const std::string boot = write(dir, "boot.txt", base + bootstrap_series());
    double series_s = 0, searches_s = 0;
    for (auto _ : state) {
        const ScriptedRun o = run_script(dir, open, 0);
        const ScriptedRun p = run_script(dir, plain, 0);
        const ScriptedRun b = run_script(dir, boot, 0);
        if (o.status != 0 || p.status != 0 || b.status != 0) {
            state.SkipWithError("a scripted run did not reach its end");
            return;
        }
        searches_s += std::max(0.0, p.seconds - o.seconds);
        series_s += std::max(0.0, b.seconds - o.seconds);
        state.SetIterationTime(std::max(0.0, b.seconds - o.seconds));
    }
    const double it = static_cast<double>(state.iterations());
    state.counters["series_ms"] = 1000.0 * series_s / it;
    state.counters["ten_searches_ms"] = 1000.0 * searches_s / it;
    state.counters["ratio"] = searches_s > 0 ? series_s / searches_s : 0.0;
}

BENCHMARK(BM_BootstrapSeries_bcw)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SeriesOverSearches_synth)->Arg(1)->Iterations(2)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

BENCHMARK_MAIN();
