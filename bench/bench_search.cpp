// The search loop from the first size vector to the last, non-iterative, both
// sides, display graphics off, on synthetic data from a fixed seed:
//   (a) 569 observations, 20 ordinal lines of 3 cuts (fixed cut), binary Y, 3%
//       missing bytes, Chi-square, "Up to 3 3";
//   (b) 100,000 observations, 10 lines, 5% missing, "Up to 2 2": Chi-square on a
//       binary Y (Turbo off and on), Within MSE on a continuous Y, Log-rank;
//   (a) in a second iteration (candidates without the newest line are tallied);
//   (c) as (a) with every line's 3 cuts floating;
//   (g) generated data with a planted rule at 1M and 10M observations: 20
//       variables uniform on (0, 1), each cut once at 0.5, no missing; the rule
//       A = (x1 > 0.5 and x2 > 0.5) or (x3 > 0.5 and x4 > 0.5) sets Y: binary with
//       P(1) 0.7 in A and 0.3 outside, continuous (in eighths) 5 higher in A,
//       survival times half as long in A; Chi-square, Within MSE and Log-rank,
//       "Up to 2 2" and "Up to 3 3".
// MERU_BENCH_PATTERNS=-1 runs the search without pattern counting (for the
// figures before and after it), =1 with it wherever it can be counted. The
// searches the direct path does not take, for their cost beside those it
// takes: MERU_BENCH_FORCE=a forces attribute a in by intersection,
// MERU_BENCH_SERIAL=l intersects every candidate with literal l (a serial
// analysis's earlier Y), MERU_BENCH_FULLRED=1 turns on Full Boolean reduction
// (its label rules keep floating cuts off the direct path).
// Counters: evaluations per second, allocations per candidate (a counting
// operator new), the share of candidates that ran the real mkpair, the best G
// and the sum of the saved G values (equal before and after a change of the
// engine), and the most memory the search held at once (heap bytes allocated
// and not yet freed, over the calling thread and the workers).
#include "search/search_loop.h"
#include "search/threads.h"
#include "stats/analysis_sample.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <numeric>
#include <random>
#include <string>

namespace {

std::atomic<long long> g_allocs{0};
// Bytes allocated and not yet freed, and their peak since it was last reset.
std::atomic<long long> g_live{0}, g_peak{0};

void* counted(std::size_t n) noexcept
{
    void* p = std::malloc(n ? n : 1);
    if (!p) return nullptr;
    g_allocs.fetch_add(1, std::memory_order_relaxed);
    const long long live =
        g_live.fetch_add(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed) +
        static_cast<long long>(malloc_usable_size(p));
    long long peak = g_peak.load(std::memory_order_relaxed);
    while (live > peak && !g_peak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {}
    return p;
}

void uncounted(void* p) noexcept
{
    if (!p) return;
    g_live.fetch_sub(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

} // namespace

// The replacement pair allocates with malloc and frees with free; the compiler
// cannot see that they match.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n)
{
    if (void* p = counted(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return ::operator new(n); }
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { uncounted(p); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return counted(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return counted(n); }
void operator delete(void* p, const std::nothrow_t&) noexcept { uncounted(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { uncounted(p); }

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
        lay_out(nlines, cuts, floating, 2);
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
        finish();
    }

    // The generated data of the (g) cases: nlines variables of one cut each.
    explicit Problem(int nobs)
    {
        std::mt19937_64 rng(20270115);
        lay_out(20, 1, false, 1);
        n = nobs;
        const auto un = static_cast<std::size_t>(n), ulc = static_cast<std::size_t>(lc);
        abyte.assign(un * ulc, 0);
        ybin.resize(un);
        ycont.resize(un);
        ytime.resize(un);
        // Uniform draws from the top 53 bits of one 64-bit step each.
        const auto u = [&rng] { return static_cast<double>(rng() >> 11) * 0x1.0p-53; };
        for (std::size_t i = 0; i < un; ++i) {
            std::uint8_t* row = abyte.data() + i * ulc;
            for (std::size_t a = 1; a < ulc; ++a) row[a] = u() > 0.5 ? 1 : 0;
            const bool in_a = (row[1] && row[2]) || (row[3] && row[4]);
            ybin[i] = u() < (in_a ? 0.7 : 0.3) ? 1.0f : 0.0f;
            ycont[i] = static_cast<float>(std::floor(8.0 * (10.0 * u() + (in_a ? 5.0 : 0.0)))) / 8.0f;
            ytime[i] = static_cast<float>(1 + static_cast<int>(365.0 * u() * (in_a ? 0.5 : 1.0)));
        }
        finish();
    }

    // Lines 2..nlines + 1 of `cuts` attributes each after the null line.
    void lay_out(int nlines, int cuts, bool floating, int inuse)
    {
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
            l.inuse = inuse;
            lines.push_back(k);
        }
        lc = tables.line[static_cast<std::size_t>(nlines + 1)].attoff;
        tables.att.resize(static_cast<std::size_t>(lc) + 1);
        for (int k = 1; k <= nlines + 1; ++k) {
            const files::AttrLine& l = tables.line[static_cast<std::size_t>(k)];
            for (int a = l.first_attribute(); a <= l.attoff; ++a) tables.att[static_cast<std::size_t>(a)].attline = k;
        }
    }

    void finish()
    {
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
    bool turbo = false;     // the weights from Turbo data compression
    bool generated = false; // the (g) data
};

struct NullHost : search::SearchHost {
    void progress(std::string_view) override {}
    bool search_end() override { return false; }
};

int threads_of(int arg) { return arg > 0 ? arg : meru::search::available_cores(); }

void run_case(benchmark::State& state, const Case& c)
{
    static std::unique_ptr<Problem> pb;
    static const Case* made = nullptr;
    if (!made || made->nobs != c.nobs || made->generated != c.generated || made->floating != c.floating ||
        made->nlines != c.nlines) {
        pb.reset();
        pb = c.generated ? std::make_unique<Problem>(c.nobs)
                         : std::make_unique<Problem>(c.nobs, c.nlines, c.cuts, c.missing, c.floating);
    }
    made = &c;
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
    if (const char* p = std::getenv("MERU_BENCH_PATTERNS")) s.patterns = std::atoi(p);
    if (const char* f = std::getenv("MERU_BENCH_FORCE")) {
        s.forcing = true;
        s.forced = std::atoi(f);
        s.join0 = true; // by intersection: a term of its own in a flipped list
    }
    if (const char* l = std::getenv("MERU_BENCH_SERIAL")) s.serial.push_back(std::atoi(l));
    s.pair.full_reduction = std::getenv("MERU_BENCH_FULLRED") != nullptr;
    s.data = &d;
    s.crit = &crit;
    long long evals = 0, real = 0, allocs = 0;
    double best_g = 0.0, saved_sum = 0.0, added_mib = 0.0;
    for (auto _ : state) {
        const long long live = g_live.load();
        g_peak.store(live);
        search::Evaluator ev(d, crit, es);
        io::LogWriter log;
        log.set_trace_sink([](std::string_view) {});
        ev.sort_times(log);
        search::SearchResults res;
        partition::SkipTally skips;
        stats::ExtentBox box;
        partition::SubsizeMemory mem;
        NullHost host;
        const long long a0 = g_allocs.load();
        const search::LoopResult r = search::run_search_loop(s, ev, res, skips, box, mem, log, host);
        allocs += g_allocs.load() - a0;
        evals += r.evaluated;
        real += r.real_mkpair;
        best_g = res.top10.count() > 0 ? res.top10.entries()[0].value : 0.0;
        const std::span<const float> saved = res.saved_g();
        saved_sum = std::accumulate(saved.begin(), saved.end(), 0.0);
        added_mib = std::max(added_mib, static_cast<double>(g_peak.load() - live) / (1024.0 * 1024.0));
    }
    // Per evaluated candidate; the allocations include building the workers'
    // snapshots once per search.
    const double cands = static_cast<double>(evals);
    state.counters["evaluations"] = benchmark::Counter(static_cast<double>(evals) / state.iterations());
    state.counters["evals_per_s"] = benchmark::Counter(static_cast<double>(evals), benchmark::Counter::kIsRate);
    state.counters["allocs_per_candidate"] = cands > 0 ? static_cast<double>(allocs) / cands : 0.0;
    state.counters["real_mkpair_share"] = cands > 0 ? static_cast<double>(real) / cands : 0.0;
    state.counters["threads"] = s.threads;
    state.counters["best_g"] = best_g;
    state.counters["saved_g_sum"] = saved_sum;
    state.counters["search_peak_mib"] = added_mib;
}

const Case kA{569, 20, 3, 0.03, false, {3, 3}, stats::Criterion::ChiSquare, 0};
const Case kBChi{100000, 10, 3, 0.05, false, {2, 2}, stats::Criterion::ChiSquare, 0};
const Case kBChiTurbo{100000, 10, 3, 0.05, false, {2, 2}, stats::Criterion::ChiSquare, 0, false, true};
const Case kBMse{100000, 10, 3, 0.05, false, {2, 2}, stats::Criterion::WithinMse, 1};
const Case kBLogRank{100000, 10, 3, 0.05, false, {2, 2}, stats::Criterion::LogRank, 2};
const Case kAIterative{569, 20, 3, 0.03, false, {3, 3}, stats::Criterion::ChiSquare, 0, true};
const Case kC{569, 20, 3, 0.03, true, {3, 3}, stats::Criterion::ChiSquare, 0};
const Case kC22{569, 20, 3, 0.03, true, {2, 2}, stats::Criterion::ChiSquare, 0};
const Case kGChi1M{1000000, 20, 1, 0.0, false, {2, 2}, stats::Criterion::ChiSquare, 0, false, false, true};
const Case kGChi3_1M{1000000, 20, 1, 0.0, false, {3, 3}, stats::Criterion::ChiSquare, 0, false, false, true};
const Case kGMse1M{1000000, 20, 1, 0.0, false, {2, 2}, stats::Criterion::WithinMse, 1, false, false, true};
const Case kGLogRank1M{1000000, 20, 1, 0.0, false, {2, 2}, stats::Criterion::LogRank, 2, false, false, true};
const Case kGChi10M{10000000, 20, 1, 0.0, false, {2, 2}, stats::Criterion::ChiSquare, 0, false, false, true};

void BM_A_ChiSquare_569(benchmark::State& s) { run_case(s, kA); }
void BM_B_ChiSquare_100k(benchmark::State& s) { run_case(s, kBChi); }
void BM_B_ChiSquareTurbo_100k(benchmark::State& s) { run_case(s, kBChiTurbo); }
void BM_B_WithinMse_100k(benchmark::State& s) { run_case(s, kBMse); }
void BM_B_LogRank_100k(benchmark::State& s) { run_case(s, kBLogRank); }
void BM_A_Iteration2_569(benchmark::State& s) { run_case(s, kAIterative); }
void BM_C_Floating_569(benchmark::State& s) { run_case(s, kC); }
void BM_C_Floating22_569(benchmark::State& s) { run_case(s, kC22); }
void BM_G_ChiSquare_1M(benchmark::State& s) { run_case(s, kGChi1M); }
void BM_G_ChiSquare_Upto33_1M(benchmark::State& s) { run_case(s, kGChi3_1M); }
void BM_G_WithinMse_1M(benchmark::State& s) { run_case(s, kGMse1M); }
void BM_G_LogRank_1M(benchmark::State& s) { run_case(s, kGLogRank1M); }
void BM_G_ChiSquare_10M(benchmark::State& s) { run_case(s, kGChi10M); }

// Argument: threads (0: all cores).
BENCHMARK(BM_A_ChiSquare_569)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_B_ChiSquare_100k)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_B_ChiSquareTurbo_100k)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_B_WithinMse_100k)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_B_LogRank_100k)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_A_Iteration2_569)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
// About 10^9 evaluations: it takes minutes (leave it out with --benchmark_filter).
BENCHMARK(BM_C_Floating_569)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_C_Floating22_569)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
// The generated cases (each data set is made once, before its first run).
BENCHMARK(BM_G_ChiSquare_1M)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_G_ChiSquare_Upto33_1M)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_G_WithinMse_1M)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_G_LogRank_1M)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_G_ChiSquare_10M)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
