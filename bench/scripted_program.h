#pragma once
// What the benchmarks that run the program itself share: a work folder of their
// own, the example and synthetic data sets they open, and a scripted run of the
// program with its wall and CPU time and its standard error.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace meru::bench {

namespace fs = std::filesystem;

// A folder of its own for the data, scripts and logs, removed at the end.
struct WorkFolder {
    fs::path path;
    explicit WorkFolder(const std::string& name)
        : path(fs::temp_directory_path() / (name + "_" + std::to_string(::getpid())))
    {
        fs::create_directories(path);
    }
    ~WorkFolder()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

// bcw with its last column (malig) moved first, so that Y:OK offers it.
inline void write_bcw(const fs::path& dir)
{
    std::ifstream in(std::string(MERU_SOURCE_DIR) + "/examples/bcw_orig.csv");
    std::ofstream out(dir / "bcwm.csv");
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto comma = line.rfind(',');
        out << line.substr(comma + 1) << ',' << line.substr(0, comma) << '\n';
    }
    std::ifstream mrc(std::string(MERU_SOURCE_DIR) + "/examples/bcw.mrc");
    std::ofstream mout(dir / "bcwm.mrc");
    for (std::string line; std::getline(mrc, line);)
        mout << (line.starts_with("bcw_orig.csv") ? std::string("bcwm.csv") : line) << '\n';
}

// nobs observations from a fixed seed: ten ordinal scores 1-10 cut at 2 4 6 8
// (3% missing) and a binary Y leaning on the first three.
inline void write_synthetic(const fs::path& dir, int nobs)
{
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> score(1, 10);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::ofstream out(dir / "synth.csv");
    out << "y";
    for (int k = 1; k <= 10; ++k) out << ",x" << k;
    out << '\n';
    for (int i = 0; i < nobs; ++i) {
        int x[10];
        double lean = 0;
        for (int k = 0; k < 10; ++k) {
            x[k] = score(rng);
            if (k < 3 && x[k] > 5) lean += 0.15;
        }
        out << (u(rng) < 0.2 + lean ? 1 : 0);
        for (int k = 0; k < 10; ++k) {
            if (u(rng) < 0.03) out << ",.";
            else out << ',' << x[k];
        }
        out << '\n';
    }
    std::ofstream mrc(dir / "synth.mrc");
    mrc << "Synthetic scores against a binary outcome\n*\n";
    for (int k = 1; k <= 10; ++k) mrc << 'x' << k << " o 2 4 6 8\n";
    mrc << "y b 1\n*\nfree comma\nsynth.csv\n";
}

struct ScriptedRun {
    double seconds = 0;
    double cpu = 0; // the program's CPU time, every thread
    int status = 0;
    std::vector<std::string> err; // standard error, one line each
};

inline double children_cpu()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    const auto sec = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return sec(u.ru_utime) + sec(u.ru_stime);
}

// The program on `script` in `dir` (its logs removed first), offscreen, with
// MERU_THREADS when threads > 0; `program` names another build of it.
inline ScriptedRun run_script(const fs::path& dir, const std::string& script, int threads,
                              const std::string& program = MERU_EXECUTABLE)
{
    const fs::path err = dir / "err.txt";
    std::string cmd = "cd '" + dir.string() + "' && rm -f *.LOG && env QT_QPA_PLATFORM=offscreen MERU_PREFS='" +
                      (dir / "meru.prf").string() + "' MERU_SCRIPT='" + script + "'";
    if (threads > 0) cmd += " MERU_THREADS=" + std::to_string(threads);
    cmd += " '" + program + "' >/dev/null 2>'" + err.string() + "'";
    const auto t0 = std::chrono::steady_clock::now();
    const double cpu0 = children_cpu();
    const int rc = std::system(cmd.c_str());
    ScriptedRun r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    r.cpu = children_cpu() - cpu0;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    std::ifstream in(err);
    for (std::string line; std::getline(in, line);) r.err.push_back(line);
    return r;
}

} // namespace meru::bench
