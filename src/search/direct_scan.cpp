#include "search/direct_scan.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace meru::search {

void DirectScan::keep(ScanChunk& chunk, ScanRecord& rec, std::span<const partition::Literal> lits)
{
    rec.at = static_cast<std::int32_t>(chunk.lits.size());
    chunk.lits.insert(chunk.lits.end(), lits.begin(), lits.end());
}

int DirectScan::learn(int r)
{
    int c = cache_.simple_complexity(cand_, r);
    if (c != ShapeCache::kUnknown) return c;
    copy_ = cand_;
    bool pending = false;
    (void)cache_.make_lazy(copy_, comp_, r, cur_, tally_, quiet_, pending);
    c = cache_.simple_complexity(cand_, r);
    return c == ShapeCache::kUnknown ? ShapeCache::kNotSimple : c;
}

DirectScan::Settled DirectScan::settle(int r, std::span<const partition::Literal> lits, int& complexity, Score& score,
                                       partition::SkipTally& counted)
{
    const long long written = written_;
    counted = {};
    copy_.lp = cand_.lp;
    copy_.lits.assign(lits.begin(), lits.end());
    const partition::PairResult pr = cache_.make(copy_, comp_, r, cur_, counted, quiet_);
    const bool none = std::all_of(counted.count.begin(), counted.count.end(), [](long long c) { return c == 0; });
    if (pr.cut_expansions > 0 || written_ != written) return Settled::kNo;
    if (pr.skip) return Settled::kSkipped;
    if (!none) return Settled::kNo;
    complexity = pr.complexity;
    score = ev_.score(Candidate{cur_, copy_, complexity});
    return Settled::kScored;
}

bool DirectScan::begin_runs(const ScanVector& v, std::span<const int> index, std::size_t last_from, std::size_t run)
{
    const std::size_t stride = direct_.term_stride();
    if (run < 2 || run * stride > kRunWords) return false;
    // The words of the last term of each set of the last term's cuts (the
    // walk's first run), for both sides; the walk then starts again.
    for (std::size_t r = 0; r < 2; ++r) {
        run_words_[r].resize(run * stride);
        run_at_[r].resize(run);
        run_cells_[r].resize(run);
        run_bound_[r].resize(run);
        run_band_[r].resize(run);
    }
    run_ok_.resize(run);
    for (std::size_t i = 0; i < run; ++i) {
        const std::span<const partition::Literal> last = walk_.lits().subspan(last_from);
        run_ok_[i] = usable(*v.settings, last) && direct_.plain(last);
        direct_.prepare(walk_.lits());
        for (std::size_t r = 0; r < 2; ++r) {
            std::copy_n(direct_.last(static_cast<int>(r)), stride, run_words_[r].data() + i * stride);
            run_at_[r][i] = run_words_[r].data() + i * stride;
        }
        if (i + 1 < run) walk_.next();
    }
    walk_.begin(*v.settings, index, &direct_);
    return true;
}

void DirectScan::count_run(const ScanVector& v, bool gate)
{
    direct_.prepare(walk_.lits()); // the terms before the last
    for (int r = v.lo; r <= v.hi; ++r) {
        const auto side = static_cast<std::size_t>(r);
        direct_.count_lasts(r, run_at_[side], run_cells_[side]);
        if (gate) ev_.run_bounds(run_cells_[side], run_bound_[side], run_band_[side]);
    }
}

// Whether the walk stands at the next chunk's first combination (the last
// term's rank, which moves most, compared first).
static bool at_end(const partition::Combinations& comb, const ScanChunk& chunk)
{
    const std::span<const partition::Count> rank = comb.rank();
    return rank.back() == chunk.end.back() && std::equal(rank.begin(), rank.end() - 1, chunk.end.begin());
}

void DirectScan::scan(const ScanVector& v, ScanChunk& chunk, const std::atomic<bool>& cancel)
{
    const LoopSettings& s = *v.settings;
    chunk.used = 0;
    chunk.lits.clear();
    chunk.scores.clear();
    chunk.quiet_split.fill(0);
    chunk.tallies.clear();
    chunk.quiet_cplx.fill(0);
    chunk.runs.clear();
    gate_.reset();
    cand_.lp.assign(v.p.begin(), v.p.end());
    partition::Combinations& comb = chunk.start;
    // Once the saved G values are full and no window plots them, a quiet
    // candidate's G is read by nothing: the chunk has runs, and its quiet
    // records' histogram counts are summed here.
    const bool gate = chunk.bounds.saved_full() && !s.dispgraph;
    const auto quiet = [&](const ScanRecord& rec) {
        if (gate) SearchResults::count(chunk.quiet_split, chunk.quiet_cplx, rec.band, rec.complexity);
    };
    // Candidates that differ only in their last term's cuts are counted as a
    // run, against terms before the last made once (a Y of two classes).
    const auto width = static_cast<std::size_t>(std::accumulate(v.p.begin(), v.p.end(), 0));
    const std::size_t last_from = width - static_cast<std::size_t>(v.p.back());
    const bool runs = !direct_.fixed() && direct_.two_classes();
    // The shape key read last, and the first position whose literal may have
    // changed since: a cut that moves no shape keeps the key.
    std::uint64_t key = 0;
    bool keyed = false;
    std::size_t moved = 0;
    const auto step = [&] {
        if (!walk_.next()) return false;
        moved = std::min(moved, walk_.changed());
        return true;
    };
    const auto walk_lits = [&] { return walk_.lits(); };
    // The run's count of side r of its candidate `at` (kNoRun: none).
    const auto counted = [&](int r, std::size_t at) {
        const auto side = static_cast<std::size_t>(r);
        return at == kNoRun ? Counted{} : Counted{&run_cells_[side][at], run_bound_[side][at], run_band_[side][at]};
    };
    // The record `rec` of a scored side of complexity `complexity`: quiet, or
    // of `kind` (its score and literals, lits(), kept) where it may enter a
    // list.
    const auto scored = [&](ScanRecord& rec, int complexity, const Score& sc, ScanRecord::Kind kind, auto&& lits) {
        const bool enters = chunk.bounds.may_enter(complexity, sc.g);
        chunk.bounds.saw(complexity, sc.g); // a later candidate of this complexity now needs more
        if (enters) {
            rec.kind = kind;
            rec.score = static_cast<std::int32_t>(chunk.scores.size());
            chunk.scores.push_back(sc);
            keep(chunk, rec, lits());
            return;
        }
        rec.g = sc.g;
        rec.n = sc.n;
        rec.band = static_cast<std::uint8_t>(sc.band);
        quiet(rec);
    };
    // The record of side r of a candidate through its pair: settled here
    // where it can be (not where the window plots: the merge's marks and rows
    // read the pair), else left to the merge.
    const bool settles = !s.dispgraph && !s.process_mode;
    const auto through_pair = [&](ScanRecord& rec, int r, std::span<const partition::Literal> lits) {
        int complexity = 0;
        switch (settles ? settle(r, lits, complexity, sides_, tally_) : Settled::kNo) {
        case Settled::kNo:
            rec.kind = ScanRecord::kOther;
            keep(chunk, rec, lits);
            return;
        case Settled::kSkipped:
            rec.kind = ScanRecord::kSkipped;
            rec.at = static_cast<std::int32_t>(chunk.tallies.size());
            chunk.tallies.push_back(tally_);
            return;
        case Settled::kScored:
            rec.complexity = complexity;
            scored(rec, complexity, sides_, ScanRecord::kSettled, [&] { return lits; });
            return;
        }
    };
    // The record `rec` of side r of a plain candidate of a known shape, of
    // that shape's complexity `known`: its table, bound and band as counted
    // in a run (cells null: counted alone); lits() gives its literals.
    const auto side_record = [&](ScanRecord & rec, int r, int known, Counted run, auto&& lits)
        __attribute__((always_inline))
    {
        rec.complexity = known;
        if (run.cells) {
            const ClassOrderedSample::Cells& cells = *run.cells;
            // Its G is needed only if it could enter a list: the bound
            // settles most candidates without the criterion's arithmetic.
            if (gate && gate_.quiet(chunk.bounds, known, run.bound)) {
                rec.g = run.bound;
                rec.n = cells[0] + cells[1] + cells[2] + cells[3];
                rec.band = static_cast<std::uint8_t>(run.band);
                quiet(rec);
                return;
            }
            direct_.table_of(cells, table_);
        } else {
            direct_.table(lits(), r, table_);
            float bound = 0.0f;
            if (gate && gate_.quiet_table(
                            chunk.bounds, known, [&](float f) { return ev_.bound_at_most(table_, f); },
                            [&] { return ev_.g_bound(table_); }, bound)) {
                ev_.sides_of(table_, bound, sides_);
                rec.g = bound;
                rec.n = sides_.n;
                rec.band = static_cast<std::uint8_t>(sides_.band);
                quiet(rec);
                return;
            }
        }
        scored(rec, known, ev_.score_table(table_), ScanRecord::kEntrant, lits);
    };
    // One candidate (the walk's literals); `at`: its place in the counted run,
    // kNoRun when it is counted alone.
    const auto candidate = [&](bool newest, std::size_t at) {
        const std::span<const partition::Literal> lits = walk_.lits();
        if (!usable(s, lits)) return;
        const bool plain = newest && direct_.plain(lits);
        if (plain && (!keyed || moved < walk_.shape_fixed_from())) {
            key = direct_.key(lits);
            keyed = true;
            moved = lits.size();
        }
        for (int r = v.lo; r <= v.hi; ++r) {
            // Each side writes one record, in place.
            ScanRecord& rec = chunk.records[chunk.used++];
            rec = ScanRecord{};
            rec.side = static_cast<std::uint8_t>(r);
            if (!newest) {
                rec.kind = ScanRecord::kCovered;
                continue;
            }
            int* known = plain ? &direct_.shape(r, key) : nullptr;
            if (known && *known == ShapeTable::kUnknown) {
                cand_.lits.assign(lits.begin(), lits.end());
                *known = learn(r);
                rec.kind = ScanRecord::kFirst;
                keep(chunk, rec, lits);
                continue;
            }
            if (!known || *known < 0) {
                through_pair(rec, r, lits);
                continue;
            }
            side_record(rec, r, *known, counted(r, at), walk_lits);
        }
    };
    // The records of the fixed walk's newest candidate i of its block, `at`
    // among the newest; usable, its literals written only when a record
    // keeps them or its plainness needs them.
    const auto fixed_candidate = [&](FixedWalk& f, std::size_t i, std::size_t at) {
        std::span<const partition::Literal> lits;
        const auto lits_of = [&] {
            if (lits.empty()) lits = f.lits_of(i);
            return lits;
        };
        const bool plain = direct_.all_plain() || direct_.plain(lits_of());
        for (int r = v.lo; r <= v.hi; ++r) {
            ScanRecord& rec = chunk.records[chunk.used++];
            rec = ScanRecord{};
            rec.side = static_cast<std::uint8_t>(r);
            int* known = plain ? &direct_.shape(r, f.keys[at]) : nullptr;
            if (known && *known == ShapeTable::kUnknown) {
                const std::span<const partition::Literal> l = lits_of();
                cand_.lits.assign(l.begin(), l.end());
                *known = learn(r);
                rec.kind = ScanRecord::kFirst;
                keep(chunk, rec, l);
                continue;
            }
            if (!known || *known < 0) {
                through_pair(rec, r, lits_of());
                continue;
            }
            const auto side = static_cast<std::size_t>(r);
            side_record(rec, r, *known, Counted{&f.cells[side][at], f.bound[side][at], f.band[side][at]}, lits_of);
        }
    };
    // Whether the candidates of the run about to be counted have their
    // literals before the last term usable and plain (their last terms' are
    // in run_ok_).
    const auto uniform = [&] {
        const std::span<const partition::Literal> before = walk_.lits().first(last_from);
        return usable(s, before) && direct_.plain(before);
    };
    // Reads the shape of the walk's candidate when a cut moved it (or `fresh`):
    // whether it is known on every side (run_known_).
    bool known = false;
    const auto shape_known = [&](bool fresh) {
        if (!fresh && keyed && moved >= walk_.shape_fixed_from()) return known;
        key = direct_.key(walk_.lits());
        keyed = true;
        moved = width;
        known = true;
        for (int r = v.lo; r <= v.hi; ++r) {
            const int c = direct_.shape(r, key);
            known = known && c >= 0;
            run_known_[static_cast<std::size_t>(r)] = c;
        }
        return known;
    };
    const auto sides = static_cast<std::size_t>(v.hi - v.lo + 1);
    if (direct_.fixed() && direct_.runs()) {
        // One literal per item: the fixed walk, each block written as records.
        const std::span<const int> end =
            chunk.to_end ? std::span<const int>{} : std::span<const int>(chunk.end_items);
        fixed_.walk(direct_, ev_, s, comb, v.p, v.lo, v.hi, end, [&](FixedWalk& f) {
            const std::size_t room = chunk.used + f.m * sides;
            if (chunk.records.size() < room) chunk.records.resize(std::max(room, 2 * chunk.records.size()));
            for (std::size_t i = 0, at = 0; i < f.m; ++i) {
                if (f.newest[i]) fixed_candidate(f, i, at++);
                else
                    for (int r = v.lo; r <= v.hi; ++r) {
                        ScanRecord& rec = chunk.records[chunk.used++];
                        rec = ScanRecord{};
                        rec.side = static_cast<std::uint8_t>(r);
                        rec.kind = ScanRecord::kCovered;
                    }
            }
            return !cancel.load(std::memory_order_relaxed);
        });
    } else {
        do {
            if (cancel.load(std::memory_order_relaxed)) break;
            const std::span<const int> index = comb.index();
            walk_.begin(s, index, &direct_);
            keyed = false;
            // Room for a record per side of every set of cuts.
            const std::size_t room = chunk.used + walk_.settings() * static_cast<std::size_t>(v.hi - v.lo + 1);
            if (chunk.records.size() < room) chunk.records.resize(std::max(room, 2 * chunk.records.size()));
            const bool newest =
                !(s.iterative && s.iteration >= 2) || std::find(index.begin(), index.end(), v.n) != index.end();
            const std::size_t run = walk_.settings_from(last_from);
            if (runs && newest && begin_runs(v, index, last_from, run)) {
                bool more = true;
                while (more) {
                    count_run(v, gate);
                    std::size_t at = 0;
                    if (gate && uniform()) {
                        // Every candidate of the run is plain, and usable where
                        // its last term's cuts are; one whose shape is known on
                        // every side is recorded at once.
                        for (bool fresh = true; at < run && more; ++at) {
                            if (run_ok_[at]) {
                                if (shape_known(fresh))
                                    for (int r = v.lo; r <= v.hi; ++r) {
                                        ScanRecord& rec = chunk.records[chunk.used++];
                                        rec = ScanRecord{};
                                        rec.side = static_cast<std::uint8_t>(r);
                                        side_record(rec, r, run_known_[static_cast<std::size_t>(r)], counted(r, at),
                                                    walk_lits);
                                    }
                                else candidate(newest, at);
                                fresh = false;
                            }
                            more = step();
                        }
                    }
                    for (; at < run && more; ++at) {
                        candidate(newest, at);
                        more = step();
                    }
                }
                continue;
            }
            do candidate(newest, kNoRun);
            while (step());
        } while (comb.nextcomb() && (chunk.to_end || !at_end(comb, chunk)));
    }
    if (!gate) return;
    for (std::size_t i = 0; i < chunk.used; ++i) {
        const bool q = chunk.records[i].kind == ScanRecord::kQuiet;
        if (chunk.runs.empty() || chunk.runs.back().quiet != q) chunk.runs.push_back({i, i, q});
        chunk.runs.back().to = i + 1;
    }
}

} // namespace meru::search
