// The whole default Search:Go! as the user sees it: the program itself, run
// offscreen on a script, from the criteria stage (ranking, attribute set, the
// search and every iteration) to the end of the search, display graphics off,
// Strategy and Extent at their defaults, Chi-square on a binary Y:
//   bcw    the breast cytology example (699 observations, malig first);
//   synth  100,000 observations from a fixed seed, ten ordinal scores 1-10
//          (3% missing), a binary Y leaning on the first three.
// Each iteration runs the program twice: once up to the Criteria dialog and
// ended there, once on to the end of Go!; the time reported is the difference
// (manual time), so opening the file and starting the program are not counted.
// It includes the script's pace (the program handles the events pending
// between the stages of Go!); the counter cpu_ms is the program's CPU time over
// the same part, summed over its threads.
// The hull window of each iteration is closed with Esc; the script holds more
// Esc clicks than iterations, so a run that reached the end of the search stops
// at the idle poll on the first surplus click (status 3, reported on standard
// error), which the benchmark checks.
// Argument: threads (0: every core, MERU_THREADS unset).
#include "scripted_program.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <sstream>
#include <string>

namespace {

using namespace meru::bench;

const fs::path& work_folder()
{
    static const WorkFolder folder("meru_bench_go");
    return folder.path;
}

// The script: open, Y:OK, display graphics off, Chi-square; with `go`, Search:Go!
// and Esc on up to 40 hull windows.
std::string write_script(const fs::path& dir, const std::string& mrc, const std::string& y, bool go)
{
    std::ostringstream s;
    s << "dismiss\nmenu File > Open\nfile " << (dir / mrc).string() << "\ndismiss\nmenu Y > Ok  " << y
      << "\nanswer no\ndismiss\nmenu Options\ndialog Options\n  set Display graphics while searching = off\n"
         "  press OK\nmenu Criteria\ndialog Criteria\n  set Criterion = Chi-square\n  press OK\n";
    if (go) {
        s << "menu Search > Go!\ndismiss\n";
        for (int k = 0; k < 40; ++k) s << "click 15 20 8\n";
    }
    const fs::path file = dir / (mrc + (go ? ".go.txt" : ".open.txt"));
    std::ofstream(file) << s.str();
    return file.string();
}

struct Run {
    double seconds = 0;
    double cpu = 0; // the program's CPU time, every thread
    int status = 0;
    int hulls = 0;      // hull windows closed
    bool ended = false; // stopped at the idle poll after the search
};

Run run_program(const fs::path& dir, const std::string& script, int threads)
{
    const ScriptedRun s = run_script(dir, script, threads);
    Run r{s.seconds, s.cpu, s.status};
    for (const std::string& line : s.err) {
        if (line.starts_with("script ") && line.ends_with(": click 15 20 8")) ++r.hulls;
        if (line.find("\"click 15 20 8\" does not fit: the program waits at the idle poll") != std::string::npos)
            r.ended = true;
    }
    return r;
}

void run_go(benchmark::State& state, const std::string& mrc, const std::string& y)
{
    const fs::path& dir = work_folder();
    if (!fs::exists(dir / mrc)) {
        if (mrc == "bcwm.mrc") write_bcw(dir);
        else write_synthetic(dir, 100000);
    }
    const std::string open = write_script(dir, mrc, y, false);
    const std::string go = write_script(dir, mrc, y, true);
    const int threads = static_cast<int>(state.range(0));
    Run last;
    double cpu = 0;
    for (auto _ : state) {
        const Run base = run_program(dir, open, threads);
        last = run_program(dir, go, threads);
        if (base.status != 0 || last.status != 3 || !last.ended) {
            state.SkipWithError("the scripted run did not reach the end of the search");
            break;
        }
        state.SetIterationTime(std::max(0.0, last.seconds - base.seconds));
        cpu += std::max(0.0, last.cpu - base.cpu);
    }
    state.counters["cpu_ms"] = state.iterations() > 0 ? 1000.0 * cpu / static_cast<double>(state.iterations()) : 0.0;
    state.counters["iterations_of_search"] = last.hulls;
    state.counters["threads"] = threads;
}

void BM_Go_bcw(benchmark::State& s) { run_go(s, "bcwm.mrc", "malig"); }
void BM_Go_synth_100k(benchmark::State& s) { run_go(s, "synth.mrc", "y"); }

BENCHMARK(BM_Go_bcw)->Arg(1)->Arg(0)->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_Go_synth_100k)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

BENCHMARK_MAIN();
