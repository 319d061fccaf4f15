// File > Open of a 1,000,000-row, 20-column comma-delimited data file as the user
// sees it: the program itself, offscreen, on a script that opens the file
// through its control file (20 interval lines, one cut each) and then writes its
// resident memory. The same run on a 10-row file of the same layout is taken
// off, so that starting the program is not counted:
//   open_seconds           wall time of the opening;
//   open_cpu_seconds       the program's CPU time over it;
//   bytes_per_observation  resident memory after the opening, per observation.
// MERU_OPEN_PROGRAMS may name other builds of the program (separated by ":");
// each iteration runs every one in turn, so that their figures are measured side
// by side under the same load, and the counters of the k-th (from 0) end in _k.
#include "scripted_program.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace meru::bench;

constexpr int kRows = 1'000'000;
constexpr int kCols = 20;

const fs::path& work_folder()
{
    static const WorkFolder folder("meru_bench_open");
    return folder.path;
}

// `rows` rows from a fixed seed: small integers, and decimals with one and two
// places; the control file cuts every column once.
void write_data(const fs::path& dir, const std::string& name, int rows)
{
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::FILE* f = std::fopen((dir / (name + ".csv")).c_str(), "wb");
    std::string line;
    char buf[32];
    for (int i = 0; i < rows; ++i) {
        line.clear();
        for (int j = 0; j < kCols; ++j) {
            if (j) line += ',';
            const double v = u(rng);
            const auto r = j % 3 == 0   ? std::to_chars(buf, buf + sizeof buf, static_cast<int>(v * 10))
                           : j % 3 == 1 ? std::to_chars(buf, buf + sizeof buf, v * 100, std::chars_format::fixed, 1)
                                        : std::to_chars(buf, buf + sizeof buf, v * 5000, std::chars_format::fixed, 2);
            line.append(buf, r.ptr);
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), f);
    }
    std::fclose(f);
    std::ofstream mrc(dir / (name + ".mrc"));
    mrc << "Generated data, " << rows << " rows\n";
    for (int j = 1; j <= kCols; ++j) mrc << (j > 1 ? "," : "") << 'x' << j;
    mrc << "\n*\n";
    for (int j = 1; j <= kCols; ++j)
        mrc << 'x' << j << " i " << (j % 3 == 0 ? "5" : j % 3 == 1 ? "50" : "2500") << '\n';
    mrc << "*\nfree comma\n" << name << ".csv\n";
}

std::string write_script(const fs::path& dir, const std::string& name)
{
    const fs::path file = dir / (name + ".txt");
    std::ofstream(file) << "dismiss\nmenu File > Open\nfile " << (dir / (name + ".mrc")).string()
                        << "\ndismiss\nmemory\n";
    return file.string();
}

struct Opened {
    double seconds = 0, cpu = 0;
    double kb = -1; // resident memory after the opening
};

Opened open_with(const std::string& program, const std::string& script)
{
    const ScriptedRun r = run_script(work_folder(), script, 0, program);
    Opened o{r.seconds, r.cpu};
    if (r.status != 0) return o;
    for (const std::string& line : r.err) {
        double kb = 0;
        if (std::sscanf(line.c_str(), "resident memory %lf kB", &kb) == 1) o.kb = kb;
    }
    return o;
}

std::vector<std::string> programs()
{
    std::vector<std::string> out;
    if (const char* list = std::getenv("MERU_OPEN_PROGRAMS")) {
        std::istringstream in(list);
        for (std::string p; std::getline(in, p, ':');)
            if (!p.empty()) out.push_back(p);
    }
    if (out.empty()) out.push_back(MERU_EXECUTABLE);
    return out;
}

void BM_Open_1M_x_20(benchmark::State& state)
{
    const fs::path& dir = work_folder();
    if (!fs::exists(dir / "open.csv")) {
        write_data(dir, "open", kRows);
        write_data(dir, "small", 10);
    }
    const std::string big = write_script(dir, "open"), small = write_script(dir, "small");
    const std::vector<std::string> progs = programs();
    std::vector<double> seconds(progs.size()), cpu(progs.size()), bytes(progs.size());
    for (auto _ : state) {
        for (std::size_t k = 0; k < progs.size(); ++k) {
            const Opened base = open_with(progs[k], small);
            const Opened full = open_with(progs[k], big);
            if (base.kb < 0 || full.kb < 0) {
                state.SkipWithError(("the opening did not end at the idle poll: " + progs[k]).c_str());
                return;
            }
            seconds[k] += full.seconds - base.seconds;
            cpu[k] += full.cpu - base.cpu;
            bytes[k] += (full.kb - base.kb) * 1024.0 / kRows;
        }
    }
    const double n = static_cast<double>(state.iterations());
    for (std::size_t k = 0; k < progs.size(); ++k) {
        const std::string end = k == 0 ? "" : "_" + std::to_string(k);
        state.counters["open_seconds" + end] = seconds[k] / n;
        state.counters["open_cpu_seconds" + end] = cpu[k] / n;
        state.counters["bytes_per_observation" + end] = bytes[k] / n;
    }
    state.SetLabel(progs.size() > 1 ? std::to_string(progs.size()) + " programs" : "");
}

BENCHMARK(BM_Open_1M_x_20)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
