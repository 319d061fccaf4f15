// Building search candidates as the search loop does, per candidate: the next
// item choice (nextcomb), its literal codes (termcodes) and the reduced pair with
// its complement (mkpair). 30 interval lines with 3 cuts each; size vectors
// (2, 2) and (2, 1, 1); label rules off and on ("Full Boolean reduction").
// Items are candidates.
#include "partition/candidate.h"
#include "partition/combinations.h"
#include "platform/io/logwriter.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace meru;
using namespace meru::partition;

std::string label(const std::string& s)
{
    std::string r = s;
    r.resize(files::kLabelLen, ' ');
    return r;
}

files::ControlTables make_tables(int lines, int cuts)
{
    files::ControlTables t;
    t.line.resize(static_cast<size_t>(lines) + 2);
    t.att.resize(static_cast<size_t>(lines * cuts) + 2);
    t.line[1].ncuts = 1;
    t.line[1].attoff = 1;
    t.att[1].attline = 1;
    int a = 1;
    for (int k = 2; k <= lines + 1; ++k) {
        files::AttrLine& l = t.line[static_cast<size_t>(k)];
        l.var = k - 1;
        l.type = 'i';
        l.ncuts = cuts;
        l.inuse = 2;
        for (int j = 1; j <= cuts; ++j) {
            files::Attribute& at = t.att[static_cast<size_t>(++a)];
            at.attline = k;
            at.cut1 = 10.0 * j;
            at.attlab = {label("<=" + std::to_string(10 * j)), label(">$" + std::to_string(10 * j))};
            at.savedlab = at.attlab;
        }
        l.attoff = a;
    }
    t.nlines = lines + 1;
    t.natt = a;
    return t;
}

void BM_Candidates(benchmark::State& state)
{
    const int nlines = 30;
    const files::ControlTables t = make_tables(nlines, 3);
    const std::vector<int> sizes = state.range(0) == 0 ? std::vector<int>{2, 2} : std::vector<int>{2, 1, 1};
    std::vector<int> itemlines(static_cast<size_t>(nlines));
    for (int i = 0; i < nlines; ++i) itemlines[static_cast<size_t>(i)] = i + 2;

    io::LogWriter log;
    log.set_trace_sink([](std::string_view) {});
    SkipTally tally;
    PairSettings s;
    s.reduce.tables = &t;
    s.full_reduction = state.range(1) != 0;
    Combinations combos;
    combos.start(nlines, sizes);
    std::vector<int> lines;
    TermList cand, comp;
    Partition cur;
    long long made = 0, skipped = 0;
    for (auto _ : state) {
        if (!combos.nextcomb()) {
            combos.start(nlines, sizes);
            combos.nextcomb();
        }
        const std::span<const int> idx = combos.index();
        lines.resize(idx.size());
        for (size_t i = 0; i < idx.size(); ++i) lines[i] = itemlines[static_cast<size_t>(idx[i] - 1)];
        cand.lp.assign(sizes.begin(), sizes.end());
        termcodes(lines, t, cand.lits);
        PairResult r = mkpair(cand, comp, 1, cur, s, tally, log);
        skipped += r.skip;
        ++made;
        benchmark::DoNotOptimize(r.complexity);
    }
    state.SetItemsProcessed(made);
    state.counters["skipped"] = static_cast<double>(skipped);
}
BENCHMARK(BM_Candidates)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1});

} // namespace

BENCHMARK_MAIN();
