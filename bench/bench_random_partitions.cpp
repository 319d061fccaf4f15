// One random partition of 10,000 observations as Process > Random makes it: the
// draw of s weight units into A (how many of each observation's units join A) and
// its score under a count-table criterion (chi-square), the within MSE and the
// log-rank (its times ordered once per run, before the loop). The observations
// weigh 1, or 1000 units each (the draw's cost follows the observations, not the
// units). Items are observations.
#include "platform/io/random.h"
#include "stats/random_partitions.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

struct BenchData {
    static constexpr int n = 10000;
    std::vector<float> y;
    std::vector<std::uint8_t> mask;

    BenchData()
    {
        std::mt19937 rng(11u);
        std::uniform_int_distribution<int> cls(0, 3);
        for (int i = 0; i < n; ++i) y.push_back(static_cast<float>(cls(rng)));
        mask.assign(n, 1);
    }
};

void run(benchmark::State& state, int icrit, int weight = 1)
{
    static const BenchData d;
    const std::vector<int> weights(BenchData::n, weight);
    meru::stats::RandomInput in;
    in.y = {d.y};
    in.weights = weights;
    in.mask = d.mask;
    meru::stats::CritSettings crit;
    crit.icrit = icrit;
    const auto criterion = meru::stats::make_criterion(crit);
    meru::io::RandomStream random;
    std::vector<int> in_a(BenchData::n);
    meru::stats::RandomScorer scorer(in, *criterion, crit);
    for (auto _ : state) {
        meru::stats::select_units(in_a, weights, static_cast<long long>(BenchData::n) * weight / 3, random);
        benchmark::DoNotOptimize(scorer.g(in_a));
    }
    state.SetItemsProcessed(state.iterations() * BenchData::n);
}

void BM_RandomPartitionChiSquare(benchmark::State& state) { run(state, 5); }
void BM_RandomPartitionWithinMse(benchmark::State& state) { run(state, 1); }
void BM_RandomPartitionLogRank(benchmark::State& state) { run(state, 7); }
void BM_RandomPartitionChiSquareWeighted(benchmark::State& state) { run(state, 5, 1000); }

} // namespace

BENCHMARK(BM_RandomPartitionChiSquare);
BENCHMARK(BM_RandomPartitionWithinMse);
BENCHMARK(BM_RandomPartitionLogRank);
BENCHMARK(BM_RandomPartitionChiSquareWeighted);
BENCHMARK_MAIN();
