// Reading a 1,000,000-row, 20-column comma-delimited data file and building the
// attribute matrix with 5 cuts a column (cv5: percentile intervals), on one core.
#include "../fuzz/quiet_services.h"
#include "files/controlfile.h"
#include "files/readdata.h"
#include "platform/io/logwriter.h"
#include "platform/io/random.h"
#include "platform/io/records.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 1'000'000;
constexpr int kCols = 20;

// Columns of mixed kinds: small integers, decimals with one and two places, an
// occasional missing ".".
std::string make_data_file()
{
    const std::string path = (std::filesystem::temp_directory_path() / "meru_bench_readdata.csv").string();
    if (std::filesystem::exists(path) && std::filesystem::file_size(path) > 50'000'000) return path;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    meru::io::RandomStream rng;
    char buf[64];
    for (int i = 0; i < kRows; ++i) {
        std::string line;
        for (int j = 0; j < kCols; ++j) {
            if (j) line += ',';
            const double u = rng.next();
            if (u < 0.01) {
                line += '.';
            } else if (j % 3 == 0) {
                std::snprintf(buf, sizeof buf, "%d", static_cast<int>(u * 10));
                line += buf;
            } else if (j % 3 == 1) {
                std::snprintf(buf, sizeof buf, "%.1f", u * 100);
                line += buf;
            } else {
                std::snprintf(buf, sizeof buf, "%.2f", u * 5000);
                line += buf;
            }
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), f);
    }
    std::fclose(f);
    return path;
}

void BM_ReadData(benchmark::State& state)
{
    const std::string path = make_data_file();
    std::string cf = "benchmark\n";
    for (int j = 1; j <= kCols; ++j) cf += (j > 1 ? "," : "") + std::string("c") + std::to_string(j);
    cf += "\n*\n";
    for (int j = 1; j <= kCols; ++j) cf += "c" + std::to_string(j) + " cv5\n";
    cf += "*\nfree comma\n" + path + "\n";
    const auto cfrec = meru::io::split_records(cf);
    meru::fuzz::QuietServices sv;
    meru::io::LogWriter log;
    log.set_trace_sink([](std::string_view) {});
    long long rows = 0;
    for (auto _ : state) {
        meru::files::ControlTables t;
        std::string datapath = path;
        meru::files::ScanFlags flags;
        meru::files::NoValidData nvd;
        meru::files::CfNotes notes;
        const auto counts = meru::files::scancf(cfrec, datapath, flags, true, nvd, notes);
        meru::files::allocate(t, counts);
        t.format.datapath = datapath;
        std::string msgline;
        meru::files::Scratch scratch;
        meru::files::readcf(cfrec, t, flags, msgline, scratch, notes, sv);
        // The main routine counts the records before it sizes the arrays.
        int n = 0;
        {
            meru::io::RecordReader counter;
            counter.open(path);
            std::string rec;
            while (counter.read(rec) == 0) ++n;
        }
        meru::files::DataArrays d;
        meru::files::allocate_data(d, n, t.dims.nv, t.dims.lc);
        meru::io::RecordReader in;
        in.open(path);
        meru::io::RandomStream rng;
        meru::files::ReadDataContext cx{sv, log, msgline, rng, false};
        bool novalid = false;
        const auto r = meru::files::readdata(t, d, in, n, novalid, cx);
        if (r.nread != kRows || novalid || t.natt != 1 + 5 * kCols) state.SkipWithError("data not read as expected");
        rows += r.nread;
        benchmark::DoNotOptimize(d.abyte.data());
    }
    state.counters["rows_per_second"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_ReadData)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
