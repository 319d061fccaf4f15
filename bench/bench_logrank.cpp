// Log-rank statistic of one candidate over 100,000 observations with 30% censoring
// and tied times, as the search evaluates it: the sorted order is kept from the
// first call (sort switch non-zero), so each candidate is one downward walk. A
// second case sorts on every call. Items are observation-candidates.
#include "platform/io/logwriter.h"
#include "stats/logrank.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

struct BenchData {
    static constexpr int n = 100000;
    static constexpr int lc = 3;
    std::vector<std::uint8_t> abyte;
    std::vector<float> time;
    std::vector<std::uint8_t> mask;
    std::vector<int> weight;
    std::vector<std::int8_t> membership;

    BenchData()
    {
        std::mt19937 rng(7u);
        std::uniform_real_distribution<double> u(0, 1);
        abyte.resize(static_cast<std::size_t>(n) * lc);
        time.resize(n);
        membership.resize(n);
        for (int i = 0; i < n; ++i) {
            abyte[static_cast<std::size_t>(i) * lc + 1] = u(rng) < 0.3 ? 1 : 0;
            time[static_cast<std::size_t>(i)] = static_cast<float>(1 + static_cast<int>(u(rng) * 2000));
            membership[static_cast<std::size_t>(i)] = static_cast<std::int8_t>(u(rng) < 0.4);
        }
        mask.assign(n, 1);
        weight.assign(n, 1);
    }
    meru::stats::SampleView view() const
    {
        meru::stats::SampleView v;
        v.abyte = meru::stats::AttributeMatrix(abyte, lc, n);
        v.y = time;
        v.mask = mask;
        v.weights = weight;
        return v;
    }
};

void run(benchmark::State& state, int sort_switch)
{
    static const BenchData d;
    const meru::stats::SampleView v = d.view();
    const meru::stats::Censoring censoring{true, 2, 2, ""};
    meru::stats::LogRankOrder order;
    meru::io::LogWriter log;
    log.set_trace_sink([](std::string_view) {});
    meru::stats::LOGRANK(v, d.membership, censoring, 0, {1, 0, 0}, order, log);
    for (auto _ : state) {
        const auto r = meru::stats::LOGRANK(v, d.membership, censoring, sort_switch, {1, 0, 0}, order, log);
        benchmark::DoNotOptimize(r.g);
    }
    state.SetItemsProcessed(state.iterations() * BenchData::n);
}

void BM_LogrankKeptOrder(benchmark::State& state) { run(state, 1); }
void BM_LogrankSortEachCall(benchmark::State& state) { run(state, 0); }

BENCHMARK(BM_LogrankKeptOrder)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LogrankSortEachCall)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
