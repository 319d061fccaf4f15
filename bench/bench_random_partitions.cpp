// One random partition of 10,000 weight units as Process > Random makes it: the
// selection sampling of s units into A (one draw per unit) and its score under a
// count-table criterion (chi-square), the within MSE and the log-rank (its
// times ordered once per run, before the loop). Items are weight units.
#include "platform/io/random.h"
#include "stats/random_partitions.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

struct BenchData {
    static constexpr int n = 10000;
    std::vector<float> y;
    std::vector<int> weight;
    std::vector<std::uint8_t> mask;

    BenchData()
    {
        std::mt19937 rng(11u);
        std::uniform_int_distribution<int> cls(0, 3);
        for (int i = 0; i < n; ++i) y.push_back(static_cast<float>(cls(rng)));
        weight.assign(n, 1);
        mask.assign(n, 1);
    }
};

void run(benchmark::State& state, int icrit)
{
    static const BenchData d;
    meru::stats::RandomInput in;
    in.y = {d.y};
    in.weights = d.weight;
    in.mask = d.mask;
    meru::stats::CritSettings crit;
    crit.icrit = icrit;
    const auto criterion = meru::stats::make_criterion(crit);
    meru::io::RandomStream random;
    std::vector<std::uint8_t> in_a(BenchData::n);
    meru::stats::RandomScorer scorer(in, *criterion, crit);
    for (auto _ : state) {
        meru::stats::select_units(in_a, BenchData::n / 3, random);
        benchmark::DoNotOptimize(scorer.g(in_a));
    }
    state.SetItemsProcessed(state.iterations() * BenchData::n);
}

void BM_RandomPartitionChiSquare(benchmark::State& state) { run(state, 5); }
void BM_RandomPartitionWithinMse(benchmark::State& state) { run(state, 1); }
void BM_RandomPartitionLogRank(benchmark::State& state) { run(state, 7); }

} // namespace

BENCHMARK(BM_RandomPartitionChiSquare);
BENCHMARK(BM_RandomPartitionWithinMse);
BENCHMARK(BM_RandomPartitionLogRank);
BENCHMARK_MAIN();
