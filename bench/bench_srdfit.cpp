// Fitting a rectangle diagram as Process > Rectangle diagrams does when it opens:
// every start, the hops and the final minimisation, from the program's random
// stream at its start. Cells of the lung data: q = 3 female, ph_ecog >= 1,
// age >= 65; q = 6 adds ph_karno >= 80, wt_loss >= 5, pt_karno >= 80 (a missing
// value counts as outside). Counters: E reached and the fit's time in ms.
#include "platform/io/random.h"
#include "srdfit/fit.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

namespace {

const std::vector<double> kLung3{21, 21, 50, 36, 16, 6, 51, 27};
const std::vector<double> kLung6{0,  0, 2, 4, 0, 0, 3, 4, 1, 3, 5, 4, 0,  0, 4,  0,  1, 0, 7,  1,  0,  0,
                                 13, 7, 0, 0, 7, 3, 5, 1, 6, 1, 0, 0, 3,  0, 0,  0,  2, 3, 9,  10, 11, 12,
                                 7,  3, 9, 6, 0, 0, 4, 2, 0, 0, 1, 1, 10, 8, 11, 10, 4, 2, 13, 5};

void fit_cells(benchmark::State& state, const std::vector<double>& f)
{
    const meru::srdfit::Counts counts{f, 0};
    double error = 0, ms = 0;
    for (auto _ : state) {
        meru::io::RandomStream random;
        const auto t0 = std::chrono::steady_clock::now();
        const meru::srdfit::Layout l = meru::srdfit::fit(counts, meru::srdfit::FitSettings{}, random);
        ms += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        error = l.error;
        benchmark::DoNotOptimize(l.boxes.data());
    }
    state.counters["E"] = error;
    state.counters["fit_ms"] = ms / static_cast<double>(state.iterations());
}

void BM_FitLungQ3(benchmark::State& state) { fit_cells(state, kLung3); }
void BM_FitLungQ6(benchmark::State& state) { fit_cells(state, kLung6); }

} // namespace

BENCHMARK(BM_FitLungQ3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitLungQ6)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
