// The search loop from the first size vector to the last, non-iterative, both
// sides, display graphics off, on synthetic data from a fixed seed:
//   (a) 569 observations, 20 ordinal lines of 3 cuts (fixed cut), binary Y, 3%
//       missing bytes, Chi-square, "Up to 3 3";
//   (b) 100,000 observations, 10 lines, 5% missing, "Up to 2 2": Chi-square on a
//       binary Y (Turbo off and on), Within MSE on a continuous Y, Log-rank;
//   (a) in a second iteration (candidates without the newest line are tallied);
//   (c) as (a) with every line's 3 cuts floating;
// Counters: evaluations per second, allocations per candidate (a counting
// operator new), the share of candidates that ran the real mkpair.
#include "search/search_loop.h"
#include "stats/analysis_sample.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <thread>

namespace {

std::atomic<long long> g_allocs{0};

} // namespace

// The replacement pair allocates with malloc and frees with free; the compiler
// cannot see that they match.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n)
{
    g_allocs.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return ::operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using namespace meru;

struct Problem {
    files::ControlTables tables;
    std::vector<std::uint8_t> abyte;
    std::vector<float> ybin, ycont, ytime;
    std::vector<std::uint8_t> mask;
    std::vector<int> weights;
    std::vector<std::int8_t> sign;
    std::vector<int> lines;
    int n = 0, lc = 1;

    Problem(int nobs, int nlines, int cuts, double missing, bool floating)
    {
        std::mt19937 rng(20261207);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        tables.line.resize(static_cast<std::size_t>(nlines) + 2);
        tables.nlines = nlines + 1;
        tables.line[1].ncuts = 1;
        tables.line[1].attoff = 1;
        for (int k = 2; k <= nlines + 1; ++k) {
            files::AttrLine& l = tables.line[static_cast<std::size_t>(k)];
            l.var = k;
            l.type = 'o';
            l.ncuts = cuts;
            l.attoff = tables.line[static_cast<std::size_t>(k - 1)].attoff + cuts;
            l.firstattr = floating;
            l.inuse = 2;
            lines.push_back(k);
        }
        lc = tables.line[static_cast<std::size_t>(nlines + 1)].attoff;
        tables.att.resize(static_cast<std::size_t>(lc) + 1);
        for (int k = 1; k <= nlines + 1; ++k) {
            const files::AttrLine& l = tables.line[static_cast<std::size_t>(k)];
            for (int a = l.first_attribute(); a <= l.attoff; ++a) tables.att[static_cast<std::size_t>(a)].attline = k;
        }
        n = nobs;
        abyte.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(lc), 0);
        for (int i = 0; i < n; ++i) {
            double lean = 0;
            for (int k = 0; k < nlines; ++k) {
                const double x = u(rng); // the line's value; its cuts at 0.25, 0.5, 0.75
                const bool miss = u(rng) < missing;
                for (int c = 0; c < cuts; ++c) {
                    const int a = 2 + k * cuts + c;
                    abyte[static_cast<std::size_t>(i) * static_cast<std::size_t>(lc) +
                          static_cast<std::size_t>(a - 1)] = miss ? 255 : (x > (c + 1.0) / (cuts + 1.0) ? 1 : 0);
                }
                if (k < 3 && x > 0.5) lean += 0.15;
            }
            ybin.push_back(u(rng) < 0.2 + lean ? 1.0f : 0.0f);
            ycont.push_back(static_cast<float>(std::floor(100.0 * (u(rng) + lean))) / 8.0f);
            ytime.push_back(static_cast<float>(1 + static_cast<int>(365 * u(rng) * (1.0 - lean))));
        }
        mask.assign(static_cast<std::size_t>(n), 1);
        weights.assign(static_cast<std::size_t>(n), 1);
        sign.assign(static_cast<std::size_t>(lc) + 1, 1);
    }
};

struct Case {
    int nobs, nlines, cuts;
    double missing;
    bool floating;
    std::vector<int> bounds;
    stats::Criterion crit;
    int ykind; // 0 binary, 1 continuous, 2 time
    bool second_iteration = false;
    bool turbo = false; // the weights from Turbo data compression
};

struct NullHost : search::SearchHost {
    void progress(std::string_view) override {}
    bool search_end() override { return false; }
};

int threads_of(int arg) { return arg > 0 ? arg : std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

void run_case(benchmark::State& state, const Case& c)
{
    static std::unique_ptr<Problem> pb;
    static const Case* made = nullptr;
    if (made != &c) {
        pb = std::make_unique<Problem>(c.nobs, c.nlines, c.cuts, c.missing, c.floating);
        made = &c;
    }
    search::EvaluationData d;
    d.abyte = stats::AttributeMatrix(pb->abyte, pb->lc, pb->n);
    d.y[0] = c.ykind == 0 ? pb->ybin : (c.ykind == 1 ? pb->ycont : pb->ytime);
    d.ymax[0] = c.ykind == 0 ? 1.0 : (c.ykind == 1 ? 25.0 : 366.0);
    d.mask = pb->mask;
    d.weights = pb->weights;
    std::vector<int> grouped(pb->weights.size());
    if (c.turbo) {
        const std::vector<float> distinct{0.0f, 1.0f};
        const stats::TurboInput in{true, true, d.y[0], distinct};
        const std::vector<int> key = stats::attributes_in_use(pb->tables, pb->lines);
        stats::turbo(in, d.abyte, key, pb->mask, pb->weights, grouped, nullptr);
        d.weights = grouped;
    }
    d.signbyte = pb->sign;
    stats::CritSettings crit;
    crit.icrit = static_cast<int>(c.crit);
    search::EvaluationSettings es;
    es.search_stage = true;
    search::LoopSettings s;
    s.tables = &pb->tables;
    s.lines = pb->lines;
    s.extent.upto = true;
    stats::set_extent(s.extent, c.bounds);
    s.pair.reduce.tables = &pb->tables;
    if (c.second_iteration) {
        s.iterative = s.pair.iterative = true;
        s.iteration = s.pair.iteration = 2;
    }
    s.threads = threads_of(static_cast<int>(state.range(0)));
    s.data = &d;
    s.crit = &crit;
    long long evals = 0, real = 0, allocs = 0;
    for (auto _ : state) {
        search::Evaluator ev(d, crit, es);
        io::LogWriter log;
        log.set_trace_sink([](std::string_view) {});
        ev.sort_times(log);
        search::SearchResults res;
        partition::SkipTally skips;
        stats::ExtentBox box;
        partition::SubsizeMemory mem;
        search::WindowScale scale;
        NullHost host;
        const long long a0 = g_allocs.load();
        const search::LoopResult r = search::run_search_loop(s, ev, res, skips, box, mem, scale, log, host);
        allocs += g_allocs.load() - a0;
        evals += r.evaluated;
        real += r.real_mkpair;
    }
    // Per evaluated candidate; the allocations include building the workers'
    // snapshots once per search.
    const double cands = static_cast<double>(evals);
    state.counters["evaluations"] = benchmark::Counter(static_cast<double>(evals) / state.iterations());
    state.counters["evals_per_s"] = benchmark::Counter(static_cast<double>(evals), benchmark::Counter::kIsRate);
    state.counters["allocs_per_candidate"] = cands > 0 ? static_cast<double>(allocs) / cands : 0.0;
    state.counters["real_mkpair_share"] = cands > 0 ? static_cast<double>(real) / cands : 0.0;
    state.counters["threads"] = s.threads;
}

const Case kA{569, 20, 3, 0.03, false, {3, 3}, stats::Criterion::ChiSquare, 0};
const Case kBChi{100000, 10, 3, 0.05, false, {2, 2}, stats::Criterion::ChiSquare, 0};
const Case kBChiTurbo{100000, 10, 3, 0.05, false, {2, 2}, stats::Criterion::ChiSquare, 0, false, true};
const Case kBMse{100000, 10, 3, 0.05, false, {2, 2}, stats::Criterion::WithinMse, 1};
const Case kBLogRank{100000, 10, 3, 0.05, false, {2, 2}, stats::Criterion::LogRank, 2};
const Case kAIterative{569, 20, 3, 0.03, false, {3, 3}, stats::Criterion::ChiSquare, 0, true};
const Case kC{569, 20, 3, 0.03, true, {3, 3}, stats::Criterion::ChiSquare, 0};

void BM_A_ChiSquare_569(benchmark::State& s) { run_case(s, kA); }
void BM_B_ChiSquare_100k(benchmark::State& s) { run_case(s, kBChi); }
void BM_B_ChiSquareTurbo_100k(benchmark::State& s) { run_case(s, kBChiTurbo); }
void BM_B_WithinMse_100k(benchmark::State& s) { run_case(s, kBMse); }
void BM_B_LogRank_100k(benchmark::State& s) { run_case(s, kBLogRank); }
void BM_A_Iteration2_569(benchmark::State& s) { run_case(s, kAIterative); }
void BM_C_Floating_569(benchmark::State& s) { run_case(s, kC); }

// Argument: threads (0: all cores).
BENCHMARK(BM_A_ChiSquare_569)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_B_ChiSquare_100k)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_B_ChiSquareTurbo_100k)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_B_WithinMse_100k)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_B_LogRank_100k)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_A_Iteration2_569)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
// About 10^9 evaluations: it takes minutes (leave it out with --benchmark_filter).
BENCHMARK(BM_C_Floating_569)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
