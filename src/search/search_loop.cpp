#include "search/search_loop.h"

#include "platform/io/edit.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace meru::search {

using partition::Literal;
using partition::TermList;

std::vector<int> covering_shape(std::span<const int> p)
{
    // (p1, 1, .., 1) is the complement of a sum of p1 terms of q literals each.
    if (p.empty()) return {};
    return std::vector<int>(static_cast<std::size_t>(p[0]), static_cast<int>(p.size()));
}

namespace {

// The loop's work storage, kept across candidates so that a candidate allocates
// nothing once the largest size vector has been seen.
struct Work {
    partition::Combinations comb;
    std::vector<int> chosen;       // attribute lines of the chosen positions
    std::vector<Literal> lits;     // their literals (termcodes)
    std::vector<int> floating;     // positions whose line floats its cuts
    std::vector<int> first, ncuts; // per floating position: first attribute, cuts
    std::vector<int> cut;          // the odometer: current cut per floating position
    TermList work, cand, comp;
    partition::Partition cur;
};

int sign_of(int attribute, const files::ControlTables* t)
{
    if (!t || attribute < 1 || static_cast<std::size_t>(attribute) >= t->att.size()) return 1;
    return t->att[static_cast<std::size_t>(attribute)].signbyte < 0 ? -1 : 1;
}

// Positions whose line floats its cuts, with the line's first attribute and cut count.
void find_floating(const LoopSettings& s, Work& w)
{
    w.floating.clear();
    w.first.clear();
    w.ncuts.clear();
    if (!s.tables) return;
    for (std::size_t i = 0; i < w.chosen.size(); ++i) {
        const int k = w.chosen[i];
        if (k < 1 || static_cast<std::size_t>(k) >= s.tables->line.size()) continue;
        const files::AttrLine& line = s.tables->line[static_cast<std::size_t>(k)];
        if (!line.firstattr || line.ncuts <= 1) continue;
        w.floating.push_back(static_cast<int>(i));
        w.first.push_back(line.first_attribute());
        w.ncuts.push_back(line.ncuts);
    }
    w.cut.assign(w.floating.size(), 0);
}

// Writes the current cuts of the floating positions into the literals.
void apply_cuts(const LoopSettings& s, Work& w)
{
    for (std::size_t j = 0; j < w.floating.size(); ++j) {
        const int a = w.first[j] + w.cut[j];
        w.lits[static_cast<std::size_t>(w.floating[j])] = sign_of(a, s.tables) * a;
    }
}

// The next combination of cuts; false after the last.
bool next_cuts(Work& w)
{
    for (std::size_t j = w.cut.size(); j-- > 0;) {
        if (++w.cut[j] < w.ncuts[j]) return true;
        w.cut[j] = 0;
    }
    return false;
}

bool usable(const LoopSettings& s, std::span<const Literal> lits)
{
    if (s.usable.empty() || s.rank_stage || s.process_mode) return true;
    return std::all_of(lits.begin(), lits.end(), [&](Literal l) {
        const auto a = static_cast<std::size_t>(partition::attribute_of(l));
        return a < s.usable.size() && s.usable[a] != 0;
    });
}

std::string sizes(std::span<const int> p, int width)
{
    std::string s;
    for (int v : p) s += io::fmt_i(v, width);
    return s;
}

// The loop over one size vector's candidates.
class VectorRun {
public:
    VectorRun(const LoopSettings& s, Evaluator& ev, SearchResults& res, partition::SkipTally& skips,
              WindowScale& scale, io::LogWriter& log, SearchHost& host, ShapeCache& cache, Work& w)
        : s_(s), ev_(ev), res_(res), skips_(skips), scale_(scale), log_(log), host_(host), cache_(cache), w_(w)
    {}

    // Returns false when Search:End was polled.
    bool run(std::span<const int> p, int lo, int hi, long long target, bool tilde)
    {
        const int n = static_cast<int>(s_.lines.size());
        p_ = p;
        target_ = target;
        tilde_ = tilde;
        w_.work.lp.assign(p.begin(), p.end());
        w_.comb.start(n, p);
        while (w_.comb.nextcomb()) {
            ++generated;
            const std::span<const int> index = w_.comb.index();
            w_.chosen.resize(index.size());
            for (std::size_t i = 0; i < index.size(); ++i)
                w_.chosen[i] = s_.lines[static_cast<std::size_t>(index[i] - 1)];
            partition::termcodes(w_.chosen, *s_.tables, w_.lits);
            const bool newest =
                !(s_.iterative && s_.iteration >= 2) || std::find(index.begin(), index.end(), n) != index.end();
            find_floating(s_, w_);
            do {
                apply_cuts(s_, w_);
                if (!usable(s_, w_.lits)) continue;
                w_.work.lits.assign(w_.lits.begin(), w_.lits.end());
                for (int r = lo; r <= hi; ++r) {
                    if (!newest) {
                        partition::skip_add(skips_, partition::kSkipCovered);
                        continue;
                    }
                    if (!candidate(r)) return false;
                }
            } while (next_cuts(w_));
        }
        return true;
    }

    long long generated = 0, evaluated = 0;

private:
    // One side of the current candidate; false when Search:End was polled.
    bool candidate(int r)
    {
        if (s_.forcing && !s_.rank_stage) {
            if (!partition::packcand(r, s_.join0, s_.join1, w_.work, s_.forced, w_.cand, skips_)) return true;
        } else {
            w_.cand.lp.assign(w_.work.lp.begin(), w_.work.lp.end());
            w_.cand.lits.assign(w_.work.lits.begin(), w_.work.lits.end());
        }
        if (s_.process_mode) host_.progress(".. doing Boolean algebra manipulations ");
        const partition::PairResult pr = s_.use_cache
                                             ? cache_.make(w_.cand, w_.comp, r, w_.cur, skips_, log_)
                                             : partition::mkpair(w_.cand, w_.comp, r, w_.cur, s_.pair, skips_, log_);
        if (pr.skip) return true;
        const Candidate c{w_.cur, w_.cand, pr.complexity};
        const Score sc = ev_.score(c);
        const char mark = record(c, sc, ev_.settings(), res_, skips_);
        ++evaluated;
        if (++progress_count >= 500) {
            std::string text =
                ".." + io::fmt_i(evaluated, 6) + " partitions evaluated. Iteration " + io::fmt_i(s_.iteration, 2);
            if (s_.serial_y > 0) text += " Serial Y=" + io::fmt_i(s_.serial_y, 2);
            host_.progress(text);
            progress_count = 0;
        }
        if (s_.dispgraph && !s_.rank_stage) show(mark, sc.g, pr.complexity);
        host_.yield();
        if (host_.search_end()) {
            log_.write("** User Requested Search:End **");
            return false;
        }
        return true;
    }

    void show(char mark, float g, int complexity)
    {
        if (evaluated % 10 == 0) {
            std::string row = "Esc  Pause #=" + io::fmt_i(evaluated, 6) + " Target=" + io::fmt_i(target_, 6) +
                              (tilde_ ? "~" : " ") + " p_1-p_q" + mark;
            const std::size_t m = std::min<std::size_t>(w_.cand.lp.size(), 12);
            row += sizes(std::span<const int>(w_.cand.lp.data(), m), 2);
            host_.window_row(row);
        }
        if (g > scale_.ymax) {
            scale_.ymax = 2.0 * g;
            // A complexity of 0 would leave the x axis no range.
            scale_.xmax = std::max(1.0, 3.0 * complexity);
            scale_.xstep = std::max(1.0, std::floor(scale_.xmax / 4.0));
            host_.window_rescale(scale_.ymax, scale_.xmax, scale_.xstep);
        }
        host_.window_mark(complexity, g, mark);
    }

    const LoopSettings& s_;
    Evaluator& ev_;
    SearchResults& res_;
    partition::SkipTally& skips_;
    WindowScale& scale_;
    io::LogWriter& log_;
    SearchHost& host_;
    ShapeCache& cache_;
    Work& w_;
    std::span<const int> p_;
    long long target_ = 0;
    bool tilde_ = false;
    int progress_count = 0;
};

bool any_floating(const LoopSettings& s)
{
    if (!s.tables) return false;
    return std::any_of(s.lines.begin(), s.lines.end(), [&](int k) {
        return k >= 1 && static_cast<std::size_t>(k) < s.tables->line.size() &&
               s.tables->line[static_cast<std::size_t>(k)].firstattr;
    });
}

} // namespace

LoopResult run_search_loop(const LoopSettings& s, Evaluator& evaluator, SearchResults& results,
                           partition::SkipTally& skips, stats::ExtentBox& box, partition::SubsizeMemory& memory,
                           WindowScale& scale, io::LogWriter& log, SearchHost& host)
{
    LoopResult out;
    const int n = static_cast<int>(s.lines.size());
    stats::SizeWalk walk = s.extent.start;
    ShapeCache cache(s.pair, s.tables);
    Work w;
    const bool floats = any_floating(s);
    while (true) {
        ++out.vectors;
        const std::span<const int> p(walk.p);
        int literals = 0;
        long long product = 1;
        for (int v : p) {
            literals += v;
            product *= v;
        }
        const int q = static_cast<int>(p.size());
        int lo = s.extent.first_side, hi = s.extent.last_side;
        const bool single = literals == 1;
        if (single) lo = hi = 0;
        if (s.detailed && !s.rank_stage) log.write(std::string(10, ' ') + "Class p_1...p_q=" + sizes(p, 3));
        const partition::SizeCount count = partition::sizemult(n, p);
        partition::SubsizeResult sub;
        if (!s.rank_stage && s.tables) {
            partition::SubsizeInput in;
            in.iterative = s.iterative;
            in.iteration = s.iteration;
            in.vector_number = out.vectors;
            in.count = count;
            in.over_cuts = floats;
            in.lines = s.lines;
            in.literals = literals;
            in.one_representation = s.extent.one_side;
            in.detailed = s.detailed;
            sub = partition::subsize(in, *s.tables, memory, log);
        }
        stats::BoxLine line;
        line.p.assign(p.begin(), p.end());
        line.classes = static_cast<long long>(count.size);
        line.classes_exact = count.exact;
        // Without both sides (p1, 1, .., 1) is not covered by its complement's shape.
        const bool skip = s.extent.upto && !s.rank_stage && !single && !s.extent.one_side && q > 1 &&
                          p[0] == product && s.extent.qmax() >= p[0] && !s.extent.bounds.empty() &&
                          q <= s.extent.bounds.back();
        bool go_on = true;
        if (skip) {
            line.all_skipped = true;
            line.subset_of = covering_shape(p);
            if (s.detailed) log.write("Class is skipped as it is subset of " + sizes(line.subset_of, 2));
        } else {
            VectorRun run(s, evaluator, results, skips, scale, log, host, cache, w);
            go_on =
                run.run(p, lo, hi, static_cast<long long>(sub.size_times_factor), !count.exact || !sub.equal_cuts);
            out.evaluated += run.evaluated;
            line.exclusions = static_cast<long long>(sub.excluded);
            line.subsearch = sub.e;
            line.searches = static_cast<long long>(sub.size_times_factor);
            line.searches_exact = count.exact;
            line.done = run.evaluated;
        }
        line.skipped = partition::skip_report(skips, s.detailed, log);
        box.add(line);
        out.per_vector.push_back({line.p, line.all_skipped, line.done, line.skipped});
        if (!go_on) {
            out.ended_by_user = true;
            break;
        }
        if (!s.extent.upto || !stats::nextsize(walk, s.extent.bounds, n)) break;
    }
    out.real_mkpair = cache.real_calls();
    out.cached_mkpair = cache.hits();
    return out;
}

bool evaluate_single(const partition::TermList& work, int repflag, const partition::PairSettings& pair,
                     Evaluator& evaluator, SearchResults& results, partition::SkipTally& skips, io::LogWriter& log)
{
    TermList cand = work, comp;
    partition::Partition cur;
    const partition::PairResult pr = partition::mkpair(cand, comp, repflag, cur, pair, skips, log);
    if (pr.skip) return false;
    const Candidate c{cur, cand, pr.complexity};
    record(c, evaluator.score(c), evaluator.settings(), results, skips);
    return true;
}

} // namespace meru::search
