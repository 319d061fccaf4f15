// Count table of one candidate partition over the analysis sample, as the search
// evaluates it: two terms of two literals, binary Y, 100,000 observations with 5%
// missing attribute bytes; unit weights, then Turbo weights. Items are
// observation-candidates (observations of the sample per evaluated candidate).
#include "partition/termlist.h"
#include "stats/analysis_sample.h"
#include "stats/partition_sample.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

struct BenchData {
    static constexpr int n = 100000;
    static constexpr int lc = 12;
    std::vector<std::uint8_t> abyte;
    std::vector<float> y;
    std::vector<std::uint8_t> mask;
    std::vector<int> obswt, grpwt;
    std::vector<std::int8_t> sign;
    meru::partition::TermList list;

    BenchData()
    {
        std::mt19937 rng(20240607u);
        std::uniform_real_distribution<double> u(0, 1);
        abyte.resize(static_cast<std::size_t>(n) * lc);
        for (auto& b : abyte) b = u(rng) < 0.05 ? 255 : static_cast<std::uint8_t>(u(rng) < 0.5);
        y.resize(n);
        for (auto& v : y) v = u(rng) < 0.3 ? 1.0f : 0.0f;
        mask.assign(n, 1);
        obswt.assign(n, 1);
        grpwt.assign(n, 1);
        sign.assign(lc + 1, 1);
        sign[5] = -1;
        list.add_term({2, -5});
        list.add_term({7, 9});
    }
    meru::stats::AttributeMatrix matrix() const { return meru::stats::AttributeMatrix(abyte, lc, n); }
};

const BenchData& data()
{
    static const BenchData d;
    return d;
}

void run(benchmark::State& state, const std::vector<int>& weights)
{
    const BenchData& d = data();
    meru::stats::PartitionSample sample({d.matrix(), d.y, d.mask, weights}, 2);
    const std::vector<int> attrs{2, 5, 7, 9};
    sample.prepare(attrs);
    meru::stats::CountTable t;
    for (auto _ : state) {
        sample.partab(d.list, 1, d.sign, false, t);
        benchmark::DoNotOptimize(t.cells.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * BenchData::n);
    state.counters["units"] = sample.units();
}

void BM_PartabUnitWeights(benchmark::State& state) { run(state, data().obswt); }

void BM_PartabTurboWeights(benchmark::State& state)
{
    const BenchData& d = data();
    std::vector<int> grpwt(BenchData::n);
    const std::vector<float> distinct{0.0f, 1.0f};
    const std::vector<int> key{2, 5, 7, 9};
    meru::stats::turbo({true, true, d.y, distinct}, d.matrix(), key, d.mask, d.obswt, grpwt, nullptr);
    run(state, grpwt);
}

} // namespace

BENCHMARK(BM_PartabUnitWeights);
BENCHMARK(BM_PartabTurboWeights);
BENCHMARK_MAIN();
