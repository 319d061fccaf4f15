// Scoring one candidate as the search does, per criterion: Within MSE on a
// continuous Y (whole numbers 0..7, whose sums are exact in any order, and any
// floats 0..100, summed in observation order), Chi-square on a binary Y, Log-rank
// on a survival time. The
// candidate has two terms of two literals; 5% of the attribute bytes are missing;
// 569 and 100,000 observations; unit weights, then Turbo weights. The counter
// "us_per_candidate" is the time of one evaluation in microseconds.
#include "partition/termlist.h"
#include "search/evaluate.h"
#include "stats/analysis_sample.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using meru::search::EvaluationData;
using meru::search::Evaluator;

struct BenchData {
    static constexpr int lc = 12;
    int n = 0;
    std::vector<std::uint8_t> abyte;
    std::vector<float> ycont, yreal, ybin, ytime;
    std::vector<std::uint8_t> mask;
    std::vector<int> unit;
    std::vector<std::int8_t> sign;
    meru::partition::Partition pair;
    meru::partition::TermList packed;

    explicit BenchData(int nobs) : n(nobs)
    {
        std::mt19937 rng(20261207u);
        std::uniform_real_distribution<double> u(0, 1);
        abyte.resize(static_cast<std::size_t>(n) * lc);
        for (auto& b : abyte) b = u(rng) < 0.05 ? 255 : static_cast<std::uint8_t>(u(rng) < 0.5);
        for (int i = 0; i < n; ++i) {
            ybin.push_back(u(rng) < 0.3 ? 1.0f : 0.0f);
            ycont.push_back(static_cast<float>(std::floor(u(rng) * 8.0))); // few values: Turbo applies
            yreal.push_back(static_cast<float>(u(rng) * 100.0));           // any float: sums in order
            ytime.push_back(static_cast<float>(1.0 + std::floor(u(rng) * 365.0)));
        }
        mask.assign(static_cast<std::size_t>(n), 1);
        unit.assign(static_cast<std::size_t>(n), 1);
        sign.assign(lc + 1, 1);
        sign[5] = -1;
        // A = (2 -5)(7 9); A- = (-2 or 5)(-7 or -9), held flipped.
        pair.first.add_term({2, -5});
        pair.first.add_term({7, 9});
        pair.second.add_term({2, 7});
        pair.second.add_term({2, 9});
        pair.second.add_term({-5, 7});
        pair.second.add_term({-5, 9});
        packed = pair.first;
    }
    meru::stats::AttributeMatrix matrix() const { return meru::stats::AttributeMatrix(abyte, lc, n); }
};

const BenchData& data(int n)
{
    static const BenchData small(569), large(100000);
    return n == 569 ? small : large;
}

void run(benchmark::State& state, int icrit, bool turbo, bool real_y = false)
{
    const BenchData& d = data(static_cast<int>(state.range(0)));
    const std::vector<float>& y = icrit == 1 ? (real_y ? d.yreal : d.ycont) : (icrit == 5 ? d.ybin : d.ytime);
    std::vector<int> weights = d.unit;
    if (turbo) {
        const std::vector<float> distinct =
            icrit == 1 ? std::vector<float>{0, 1, 2, 3, 4, 5, 6, 7} : std::vector<float>{0.0f, 1.0f};
        const std::vector<int> key{2, 5, 7, 9};
        if (icrit == 7) {
            state.SkipWithError("Turbo needs 10 or fewer Y values; survival times have more");
            return;
        }
        const auto t =
            meru::stats::turbo({true, true, y, distinct}, d.matrix(), key, d.mask, d.unit, weights, nullptr);
        state.counters["turbo_groups"] = t.used ? t.groups : -1;
    }
    EvaluationData ed;
    ed.abyte = d.matrix();
    ed.y[0] = y;
    ed.ymax[0] = icrit == 1 ? (real_y ? 100.0 : 7.0) : (icrit == 5 ? 1.0 : 365.0);
    ed.mask = d.mask;
    ed.weights = weights;
    ed.signbyte = d.sign;
    meru::stats::CritSettings crit;
    crit.icrit = icrit;
    meru::search::EvaluationSettings settings;
    settings.search_stage = true;
    Evaluator e(ed, crit, settings);
    meru::io::LogWriter log;
    e.sort_times(log);
    const meru::search::Candidate c{d.pair, d.packed, 3};
    meru::search::Score score;
    for (auto _ : state) {
        score = e.score(c);
        benchmark::DoNotOptimize(&score);
        benchmark::ClobberMemory();
    }
    state.counters["us_per_candidate"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * 1e-6, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["G"] = static_cast<double>(score.g);
    state.counters["units"] = static_cast<double>(score.n);
}

void BM_WithinMse(benchmark::State& s) { run(s, 1, false); }
void BM_WithinMseTurbo(benchmark::State& s) { run(s, 1, true); }
void BM_WithinMseRealY(benchmark::State& s) { run(s, 1, false, true); }
void BM_ChiSquare(benchmark::State& s) { run(s, 5, false); }
void BM_ChiSquareTurbo(benchmark::State& s) { run(s, 5, true); }
void BM_LogRank(benchmark::State& s) { run(s, 7, false); }

} // namespace

BENCHMARK(BM_WithinMse)->Arg(569)->Arg(100000);
BENCHMARK(BM_WithinMseTurbo)->Arg(569)->Arg(100000);
BENCHMARK(BM_WithinMseRealY)->Arg(569)->Arg(100000);
BENCHMARK(BM_ChiSquare)->Arg(569)->Arg(100000);
BENCHMARK(BM_ChiSquareTurbo)->Arg(569)->Arg(100000);
BENCHMARK(BM_LogRank)->Arg(569)->Arg(100000);
BENCHMARK_MAIN();
