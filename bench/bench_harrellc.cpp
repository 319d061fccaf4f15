// Harrell's c-index of one partition over 100,000 observations with 30% censoring
// and tied times (the statistics pass after a search). Items are observations.
#include "../fuzz/quiet_services.h"
#include "platform/io/logwriter.h"
#include "stats/harrellc.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

struct BenchData {
    static constexpr int n = 100000;
    static constexpr int lc = 3; // null attribute, membership attribute, censoring attribute
    std::vector<std::uint8_t> abyte;
    std::vector<float> time;
    std::vector<std::uint8_t> mask;
    std::vector<int> weight;

    BenchData()
    {
        std::mt19937 rng(11u);
        std::uniform_real_distribution<double> u(0, 1);
        abyte.resize(static_cast<std::size_t>(n) * lc);
        time.resize(n);
        for (int i = 0; i < n; ++i) {
            abyte[static_cast<std::size_t>(i) * lc + 1] = u(rng) < 0.4 ? 1 : 0;
            abyte[static_cast<std::size_t>(i) * lc + 2] = u(rng) < 0.3 ? 1 : 0;
            time[static_cast<std::size_t>(i)] = static_cast<float>(1 + static_cast<int>(u(rng) * 2000));
        }
        mask.assign(n, 1);
        weight.assign(n, 1);
    }
};

void BM_HarrellC(benchmark::State& state)
{
    static const BenchData d;
    const meru::stats::SampleView v{meru::stats::AttributeMatrix(d.abyte, BenchData::lc, BenchData::n), d.time,
                                    d.mask, d.weight};
    meru::partition::TermList list;
    list.add_term({2});
    meru::stats::CompiledList compiled;
    compiled.compile(list, 1, {}, BenchData::lc);
    const meru::stats::Censoring censoring{true, 3, 2, ""};
    meru::fuzz::QuietServices services;
    meru::io::LogWriter log;
    log.set_trace_sink([](std::string_view) {});
    for (auto _ : state) {
        const auto r = meru::stats::harrellc(v, compiled, false, censoring, services, log);
        benchmark::DoNotOptimize(r.c);
    }
    state.SetItemsProcessed(state.iterations() * BenchData::n);
}

BENCHMARK(BM_HarrellC)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
