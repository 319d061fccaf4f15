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
//
// BM_Go_planted: the planted-rule data of bench/planted_data.py (rows in
// thousands, 20 uniform variables of one cut each, Top m 20), Search:Go! with
// the extent "Up to p p" (a second argument p), Chi-square on y with the
// control file's lines as the variables stand (order 0) or in the order of
// their rank (order 1, the attribute set's numbers ascending), Log-rank on
// t (order 2), or Within MSE on y with the lines as written (order 3). Its time is the search phase from the log's time lines (from
// "%Search:Go!" to "%Search Summary"); counters: best_g (the chosen
// partition's G, from its G_beta and the automatic beta) and, for
// Chi-square, those of bench/pattern_peer.py run on the same data just
// before (peer_s, its search alone over the program's candidates;
// peer_setup_s, its attribute bits apart; peer_best_g; and ratio: the
// search over peer_s), with
// the load average before and after. The data are made with
// $MERU_PYTHON (python3 with numpy) into $MERU_PLANTED_DIR/<rows> when that
// is set and kept there, else into the benchmark's work folder.
// Arguments: rows in thousands, order, p, threads (0: every core).
#include "scripted_program.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <regex>
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

std::string python() { return std::getenv("MERU_PYTHON") ? std::getenv("MERU_PYTHON") : "python3"; }

// The folder of the planted data of `rows` observations, made if need be.
fs::path planted_folder(long long rows)
{
    const char* kept = std::getenv("MERU_PLANTED_DIR");
    const fs::path dir = (kept ? fs::path(kept) : work_folder()) / std::to_string(rows);
    if (!fs::exists(dir / "planted.csv")) {
        const std::string cmd = python() + " '" + MERU_SOURCE_DIR + "/bench/planted_data.py' " +
                                std::to_string(rows) + " '" + dir.string() + "' >/dev/null";
        if (std::system(cmd.c_str()) != 0) return {};
    }
    return dir;
}

double load_average()
{
    double load = 0.0;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

// The value after `key` on the first line of `text` that holds it (NaN: none).
double value_after(const std::string& text, const std::string& key)
{
    const auto at = text.find(key);
    return at == std::string::npos ? std::nan("") : std::strtod(text.c_str() + at + key.size(), nullptr);
}

// Seconds of the day of the %time line after the first line starting `heading`
// (the hour is written in two places, before ten with a space).
double time_after(const std::string& log, const std::string& heading)
{
    static const std::regex time_line(R"(%time *(\d+):(\d+):(\d+):(\d+))");
    const auto at = log.find("\n" + heading);
    std::smatch m;
    const std::string rest = at == std::string::npos ? std::string() : log.substr(at);
    if (!std::regex_search(rest, m, time_line)) return std::nan("");
    return 3600.0 * std::stod(m[1]) + 60.0 * std::stod(m[2]) + std::stod(m[3]) + std::stod(m[4]) / 100.0;
}

void BM_Go_planted(benchmark::State& state)
{
    const long long rows = state.range(0) * 1000;
    const int order = static_cast<int>(state.range(1));
    const int p = static_cast<int>(state.range(2));
    const int threads = static_cast<int>(state.range(3));
    const fs::path dir = planted_folder(rows);
    if (dir.empty()) {
        state.SkipWithError("the planted data could not be made (MERU_PYTHON: python3 with numpy)");
        return;
    }
    const bool logrank = order == 2, mse = order == 3;
    const std::string mrc = order == 1 ? "planted_rank.mrc" : logrank ? "planted_lr.mrc" : "planted.mrc";
    std::ostringstream script;
    script << "dismiss\nmenu Options\ndialog Options\n  set Display graphics while searching = off\n  press OK\n"
           << "menu File > Open\nfile " << (dir / mrc).string() << "\ndismiss\n"
           << "menu Y > Select Y\ndialog Select  Y variable(s)\n  set 1000 = " << (logrank ? "t" : "y")
           << "\n  press OK\n"
           << (logrank ? "" : "answer no\n") << "dismiss\nmenu Criteria\ndialog Criteria\n  set Criterion = "
           << (logrank ? "Log-rank"
               : mse   ? "Within MSE"
                       : "Chi-square")
           << "\n  press OK\n";
    if (logrank) script << "dialog Select attribute\n  set 1007 = \" dead=0\"\n  press OK\ndismiss\n";
    script << "menu Strategy\ndialog Strategy\n  press Set Extent Parameters\ndialog Extent Parameters\n"
           << "  set Size p_1,..,p_q = " << p << ' ' << p << "\n  set Up to p_1,..,p_q = on\n  press OK\n"
           << "dialog Strategy\n  set Top m attributes: = 20\n  press OK\nmenu Search > Go!\ndismiss\n";
    for (int k = 0; k < 10; ++k) script << "click 15 20 8\n";
    const fs::path file = dir / ("go_" + std::to_string(order) + "_" + std::to_string(p) + ".txt");
    std::ofstream(file) << script.str();
    double search = 0.0, best = 0.0, peer = 0.0, peer_setup = 0.0, peer_best = 0.0, before = 0.0, after = 0.0;
    for (auto _ : state) {
        before = load_average();
        if (!logrank && !mse) {
            const std::string cmd = python() + " -W ignore '" + MERU_SOURCE_DIR + "/bench/pattern_peer.py' '" +
                                    dir.string() + "' " + std::to_string(p);
            std::string out;
            if (FILE* f = popen(cmd.c_str(), "r")) {
                char buf[512];
                while (std::fgets(buf, sizeof buf, f)) out += buf;
                pclose(f);
            }
            peer = value_after(out, "\nseconds ");
            peer_setup = value_after(out, "setup_seconds ");
            peer_best = value_after(out, "best_g ");
        }
        const ScriptedRun r = run_script(dir, file.string(), threads);
        std::string log;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().extension() == ".LOG") {
                std::ifstream in(e.path());
                log.assign(std::istreambuf_iterator<char>(in), {});
            }
        search = time_after(log, "%Search Summary") - time_after(log, "%Search:Go!");
        const auto g_at = log.find(" Best at complexity");
        const double beta = value_after(log, "Penalty parameter beta automatically set to ");
        best = g_at == std::string::npos ? std::nan("")
                                         : value_after(log.substr(g_at), "; G_beta=") +
                                               beta * value_after(log.substr(g_at), " Best at complexity");
        after = load_average();
        if (r.status != 3 || !(search >= 0.0)) {
            state.SkipWithError("the scripted run did not reach the end of the search");
            break;
        }
        state.SetIterationTime(search);
    }
    state.counters["best_g"] = best;
    state.counters["threads"] = threads;
    state.counters["load_before"] = before;
    state.counters["load_after"] = after;
    if (!logrank && !mse) {
        state.counters["peer_s"] = peer;
        state.counters["peer_setup_s"] = peer_setup;
        state.counters["peer_best_g"] = peer_best;
        state.counters["ratio"] = peer > 0.0 ? search / peer : 0.0;
    }
}

void BM_Go_bcw(benchmark::State& s) { run_go(s, "bcwm.mrc", "malig"); }
void BM_Go_synth_100k(benchmark::State& s) { run_go(s, "synth.mrc", "y"); }

BENCHMARK(BM_Go_bcw)->Arg(1)->Arg(0)->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_Go_synth_100k)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
// The cases of the search figures: 1M "Up to 2 2" on one thread and "Up to 3 3" on every
// core, each with the lines as written and in rank order; 10M "Up to 2 2" and
// Log-rank 1M "Up to 2 2" on every core; one thread, "Up to 3 3" from 100k to
// 1M rows (the time should not fall as the rows grow), and Within MSE beside
// Chi-square at 1M.
BENCHMARK(BM_Go_planted)
    ->Args({1000, 0, 2, 1})
    ->Args({1000, 1, 2, 1})
    ->Args({1000, 0, 3, 0})
    ->Args({1000, 1, 3, 0})
    ->Args({10000, 0, 2, 0})
    ->Args({1000, 2, 2, 0})
    ->Args({100, 0, 3, 1})
    ->Args({400, 0, 3, 1})
    ->Args({600, 0, 3, 1})
    ->Args({1000, 0, 3, 1})
    ->Args({1000, 3, 2, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

} // namespace

BENCHMARK_MAIN();
