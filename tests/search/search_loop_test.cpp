// The search loop: which size vectors run and which are skipped, the counts per
// vector, the reason-8 rule of later iterations, floating cuts, progress, the
// search window calls and Search:End; the loop with the shape cache, its count
// tables and one or several threads against a plain reference loop on random
// problems; the shape cache against mkpair.
#include "search/search_loop.h"
#include "search_fixture.h"

#include "search/grouped_search.h"

#include "partition/combinatorics.h"
#include "stats/membership.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <random>
#include <string>

namespace meru::search {
namespace {

using partition::Literal;
using partition::SkipTally;
using partition::TermList;
using test::RecordingHost;
using test::SearchProblem;

stats::ExtentSettings extent(std::vector<int> bounds, bool upto, stats::Side side = stats::Side::Both)
{
    stats::ExtentSettings e;
    e.upto = upto;
    e.side = side;
    stats::set_extent(e, std::move(bounds));
    return e;
}

stats::CritSettings chi_square()
{
    stats::CritSettings c;
    c.icrit = static_cast<int>(stats::Criterion::ChiSquare);
    return c;
}

struct Run {
    SearchResults results;
    SkipTally skips;
    stats::ExtentBox box;
    partition::SubsizeMemory memory;
    io::LogWriter log;
    std::vector<std::string> lines;
    RecordingHost host;
    LoopResult r;

    bool logged(const std::string& text) const { return std::find(lines.begin(), lines.end(), text) != lines.end(); }
};

// `skip`: units missing in a candidate's literals are left out. `predicts`: a
// split whose A holds the lower mean of Y scores as no split.
EvaluationSettings search_settings(double penalty = 0.0, bool skip = false, bool predicts = false)
{
    EvaluationSettings e;
    e.serial_y = 1;
    e.search_stage = true;
    e.penalty = penalty;
    e.skipcomb = skip;
    e.a_predicts = predicts;
    return e;
}

// `saved`: G values counted before the search (from kSavedG on, none is kept).
std::unique_ptr<Run> run(const SearchProblem& pb, LoopSettings s, const stats::CritSettings& crit = chi_square(),
                         int end_at = -1, bool continuous = false, std::int64_t saved = 0, double penalty = 0.0,
                         bool skip = false, bool predicts = false)
{
    auto out = std::make_unique<Run>();
    out->results.searchg_count = saved;
    out->log.set_trace_sink([r = out.get()](std::string_view l) { r->lines.emplace_back(l); });
    out->host.end_at = end_at;
    s.tables = &pb.tables;
    if (s.lines.empty()) s.lines = pb.lines;
    const EvaluationData data = pb.data(continuous);
    s.data = &data;
    s.crit = &crit;
    Evaluator ev(data, crit, search_settings(penalty, skip, predicts));
    out->r = run_search_loop(s, ev, out->results, out->skips, out->box, out->memory, out->log, out->host);
    return out;
}

std::vector<std::vector<int>> shapes(const LoopResult& r, bool skipped)
{
    std::vector<std::vector<int>> v;
    for (const auto& x : r.per_vector)
        if (x.skipped == skipped) v.push_back(x.p);
    return v;
}

using Shapes = std::vector<std::vector<int>>;

TEST(SearchLoop, FixedAndUptoExtentsRunTheirSizeVectors)
{
    const SearchProblem pb(60, {1, 1, 1, 1, 1}, 1);
    LoopSettings s;
    s.extent = extent({2, 1}, false);
    auto fixed = run(pb, s);
    ASSERT_EQ(fixed->r.per_vector.size(), 1u);
    EXPECT_EQ(fixed->r.per_vector[0].p, (std::vector<int>{2, 1}));
    // 10 pairs, each with one of the 3 other attributes as the second term, both sides.
    EXPECT_EQ(fixed->r.per_vector[0].evaluated + fixed->r.per_vector[0].tallied, 60);

    s.extent = extent({2, 2}, true);
    auto upto = run(pb, s);
    EXPECT_EQ(shapes(upto->r, false), (Shapes{{1}, {2}, {2, 2}}));
    // (1,1) and (2,1) are covered by the complements of (2) and (2,2).
    EXPECT_EQ(shapes(upto->r, true), (Shapes{{1, 1}, {2, 1}}));
    // A single-attribute vector evaluates each attribute once.
    EXPECT_EQ(upto->r.per_vector[0].evaluated, 5);
    EXPECT_EQ(upto->box.count(), 5);
}

TEST(SearchLoop, UptoSkipRuleNeedsBothSidesAndTheCoveringShape)
{
    const SearchProblem pb(40, {1, 1, 1, 1}, 2);
    LoopSettings s;
    s.detailed = true;
    s.extent = extent({2, 2}, true, stats::Side::AOnly);
    auto one = run(pb, s);
    EXPECT_TRUE(shapes(one->r, true).empty()); // one side: nothing may be skipped
    EXPECT_EQ(shapes(one->r, false).size(), 5u);

    s.extent = extent({3, 3}, true);
    auto two = run(pb, s);
    const Shapes ran = shapes(two->r, false);
    EXPECT_NE(std::find(ran.begin(), ran.end(), std::vector<int>{3, 1}), ran.end()); // extent q 2 < 3

    s.extent = extent({3, 3, 3}, true);
    auto three = run(pb, s);
    const Shapes skipped = shapes(three->r, true);
    EXPECT_NE(std::find(skipped.begin(), skipped.end(), std::vector<int>{3, 1}), skipped.end());
    EXPECT_TRUE(three->logged("Class is skipped as it is subset of  2 2 2"));
    EXPECT_TRUE(three->logged("          Class p_1...p_q=  3  1"));
}

TEST(SearchLoop, LaterIterationsTallyCandidatesWithoutTheNewestAttribute)
{
    const SearchProblem pb(50, {1, 1, 1, 1}, 3);
    LoopSettings s;
    s.extent = extent({2}, false);
    s.iterative = true;
    s.iteration = 2;
    s.pair.iterative = true;
    s.pair.iteration = 2;
    s.detailed = true;
    auto r = run(pb, s);
    // Of the 6 pairs of 4 entries, 3 hold the last one; the others are tallied per side.
    EXPECT_EQ(r->r.per_vector[0].evaluated + r->r.per_vector[0].tallied - 6, 6);
    EXPECT_EQ(r->r.per_vector[0].evaluated, 6);
    bool covered = false;
    for (const auto& l : r->lines) covered |= l.find("Already covered; no added attribute") != std::string::npos;
    EXPECT_TRUE(covered);
}

TEST(SearchLoop, FloatingLinesTryEveryCut)
{
    SearchProblem pb(80, {3, 4}, 4);
    pb.tables.line[2].firstattr = true;
    pb.tables.line[3].firstattr = true;
    LoopSettings s;
    s.extent = extent({2}, false, stats::Side::AOnly);
    s.pair.measure = 3;
    auto r = run(pb, s);
    EXPECT_EQ(r->r.per_vector[0].evaluated, 12);
    // Cuts that may not enter are dropped.
    std::vector<char> usable(static_cast<std::size_t>(pb.lc) + 1, 1);
    usable[3] = 0;
    s.usable = usable;
    EXPECT_EQ(run(pb, s)->r.per_vector[0].evaluated, 8);
}

TEST(SearchLoop, AnExpansionStoppedByItsPassLimitIsShownOncePerSideOfThePair)
{
    // Attribute 4 is an added attribute defined through itself: A = (4 2),
    // A- = (-4)(-2), held flipped. Its expansion never settles, on either side
    // of the pair; attribute 2's candidate expands nothing.
    const SearchProblem pb(40, {1, 1, 1}, 5);
    partition::AddedAttributes added;
    added.slotmap.assign(5, 0);
    added.slotmap[4] = 1;
    added.a_set[1].add_term({4, 2});
    added.aminus_set[1].add_term({4});
    added.aminus_set[1].add_term({2});
    LoopSettings s;
    s.extent = extent({1}, false, stats::Side::AOnly);
    s.lines = {2, 4};
    s.pair.added = &added;
    auto r = run(pb, s);
    EXPECT_EQ(r->r.per_vector[0].evaluated, 2);
    EXPECT_EQ(r->host.messages, std::vector<std::string>(2, partition::kExpandLoopMessage));
}

TEST(SearchLoop, ProgressWindowAndSearchEnd)
{
    const SearchProblem pb(60, std::vector<int>(12, 1), 5);
    LoopSettings s;
    s.extent = extent({2, 2}, true);
    auto r = run(pb, s);
    // (1): 12, (2): 132 with both sides, (2,2): the rest; progress every 500 evaluations.
    const long long total = r->r.evaluated;
    EXPECT_EQ(static_cast<long long>(r->host.texts.size()), r->r.per_vector[0].evaluated / 500 +
                                                                r->r.per_vector[1].evaluated / 500 +
                                                                r->r.per_vector[4].evaluated / 500);
    ASSERT_FALSE(r->host.texts.empty());
    EXPECT_EQ(r->host.texts[0], ".."
                                "   500 partitions evaluated. Iteration  1");
    // A count past six digits widens its field instead of turning into "******".
    EXPECT_EQ(progress_text(31547579, 1, 0), ".. 31547579 partitions evaluated. Iteration  1");
    EXPECT_EQ(progress_text(1000000, 12, 3), ".. 1000000 partitions evaluated. Iteration 12 Serial Y= 3");
    EXPECT_TRUE(r->host.rows.empty()); // graphics off
    EXPECT_EQ(r->host.marks, 0);

    s.dispgraph = true;
    auto g = run(pb, s);
    EXPECT_EQ(g->host.marks, total);
    ASSERT_FALSE(g->host.rows.empty());
    EXPECT_EQ(g->host.rows[0].substr(0, 19), "Esc  Pause #=    10");
    // The search window's target widens too: one term of 4 of 70 lines, both
    // sides, is 2 C(70, 4) = 1833790 candidates.
    LoopSettings wide;
    wide.extent = extent({4}, false);
    wide.dispgraph = true;
    auto t = run(SearchProblem(40, std::vector<int>(70, 1), 3), wide, chi_square(), 12);
    ASSERT_FALSE(t->host.rows.empty());
    EXPECT_EQ(t->host.rows[0].substr(0, 35), "Esc  Pause #=    10 Target= 1833790");

    // Search:End in the second vector: its report and box line are written, no third.
    auto e = run(pb, s, chi_square(), 12 + 5);
    EXPECT_TRUE(e->r.ended_by_user);
    ASSERT_EQ(e->r.per_vector.size(), 2u);
    EXPECT_EQ(e->r.per_vector[1].evaluated, 5);
    EXPECT_EQ(e->box.count(), 2);
    EXPECT_TRUE(e->logged("** User Requested Search:End **"));
}

// ---- the plain reference loop ----------------------------------------------

struct Reference {
    SearchResults results;
    std::vector<LoopResult::Vector> per_vector;
};

// A intersected with literal f, in the list of side r: a plain list (A) takes f
// into every term, a flipped one (A-, read as a product of clauses) takes the
// clause (f).
TermList within(const TermList& l, int r, Literal f)
{
    TermList out;
    if (r == 0) {
        out.lp.push_back(1);
        out.lits.push_back(f);
        out.lp.insert(out.lp.end(), l.lp.begin(), l.lp.end());
        out.lits.insert(out.lits.end(), l.lits.begin(), l.lits.end());
        return out;
    }
    std::size_t at = 0;
    for (int len : l.lp) {
        out.lp.push_back(len + 1);
        out.lits.push_back(f);
        out.lits.insert(out.lits.end(), l.lits.begin() + static_cast<std::ptrdiff_t>(at),
                        l.lits.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(len)));
        at += static_cast<std::size_t>(len);
    }
    return out;
}

// Every candidate, side and cut through termcodes, packcand, mkpair, scoring
// and recording, written out without the loop's structure or cache.
Reference reference(const SearchProblem& pb, const LoopSettings& s, const stats::CritSettings& crit, bool cont,
                    std::int64_t saved = 0, double penalty = 0.0, bool skip = false, bool predicts = false)
{
    Reference ref;
    ref.results.searchg_count = saved;
    EvaluationSettings es = search_settings(penalty, skip, predicts);
    es.snapshots = false; // the general bit-packed sample, not the loop's snapshot
    Evaluator ev(pb.data(cont), crit, es);
    SkipTally skips;
    io::LogWriter log;
    log.set_trace_sink([](std::string_view) {});
    stats::SizeWalk walk = s.extent.start;
    const int n = static_cast<int>(s.lines.size());
    while (true) {
        LoopResult::Vector v;
        v.p = walk.p;
        int lits = 0, prod = 1;
        for (int x : walk.p) lits += x, prod *= x;
        const bool single = lits == 1;
        if (s.extent.upto && !single && !s.extent.one_side && walk.q > 1 && walk.p[0] == prod &&
            s.extent.qmax() >= walk.p[0] && walk.q <= s.extent.bounds.back()) {
            v.skipped = true;
        } else {
            partition::Combinations comb;
            comb.start(n, walk.p);
            while (comb.nextcomb()) {
                std::vector<int> chosen;
                for (int i : comb.index()) chosen.push_back(s.lines[static_cast<std::size_t>(i - 1)]);
                std::vector<Literal> base;
                partition::termcodes(chosen, pb.tables, base);
                // Every choice of cuts of the floating lines, first position slowest.
                std::vector<std::vector<Literal>> choices{base};
                for (std::size_t i = 0; i < chosen.size(); ++i) {
                    const files::AttrLine& line = pb.tables.line[static_cast<std::size_t>(chosen[i])];
                    if (!line.firstattr || line.ncuts <= 1) continue;
                    std::vector<std::vector<Literal>> more;
                    for (const auto& c : choices)
                        for (int k = 0; k < line.ncuts; ++k) {
                            auto d = c;
                            const int a = line.first_attribute() + k;
                            d[i] = pb.tables.att[static_cast<std::size_t>(a)].signbyte < 0 ? -a : a;
                            more.push_back(d);
                        }
                    choices = more;
                }
                const auto& idx = comb.index();
                const bool newest =
                    !(s.iterative && s.iteration >= 2) || std::find(idx.begin(), idx.end(), n) != idx.end();
                for (const auto& c : choices) {
                    bool ok = true;
                    for (Literal l : c) ok &= s.usable.empty() || s.usable[static_cast<std::size_t>(std::abs(l))];
                    if (!ok) continue;
                    for (int r = single ? 0 : s.extent.first_side; r <= (single ? 0 : s.extent.last_side); ++r) {
                        if (!newest) {
                            partition::skip_add(skips, partition::kSkipCovered);
                            continue;
                        }
                        TermList work;
                        work.lp = walk.p;
                        work.lits = c;
                        TermList cand, comp;
                        if (s.forcing) {
                            if (!partition::packcand(r, s.join0, s.join1, work, s.forced, cand, skips)) continue;
                        } else {
                            cand = work;
                            for (Literal f : s.serial) cand = within(cand, r, f);
                        }
                        partition::Partition cur;
                        const auto pr = partition::mkpair(cand, comp, r, cur, s.pair, skips, log);
                        if (pr.skip) continue;
                        const Candidate cd{cur, cand, pr.complexity};
                        record(cd, ev.score(cd), ev.settings(), ref.results, skips);
                        ++v.evaluated;
                    }
                }
            }
        }
        v.tallied = partition::skip_report(skips, false, log);
        ref.per_vector.push_back(v);
        if (!s.extent.upto || !stats::nextsize(walk, s.extent.bounds, n)) break;
    }
    return ref;
}

void expect_same_list(std::span<const StoredPartition> a, std::span<const StoredPartition> b)
{
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].complexity, b[i].complexity);
        EXPECT_EQ(a[i].value, b[i].value);
        EXPECT_EQ(a[i].flag, b[i].flag);
        EXPECT_EQ(a[i].list.lp, b[i].list.lp);
        EXPECT_EQ(a[i].list.lits, b[i].list.lits);
    }
}

void expect_same(const SearchResults& a, const SearchResults& b)
{
    expect_same_list(a.bestlist.entries(), b.bestlist.entries());
    expect_same_list(a.top10.entries(), b.top10.entries());
    EXPECT_EQ(a.searchg_count, b.searchg_count);
    EXPECT_TRUE(std::equal(a.saved_g().begin(), a.saved_g().end(), b.saved_g().begin()));
    EXPECT_EQ(a.splithist, b.splithist);
    EXPECT_EQ(a.cplxhist, b.cplxhist);
    EXPECT_EQ(a.evaluated, b.evaluated);
}

TEST(SearchLoop, EqualsThePlainReferenceLoopOnRandomProblems)
{
    std::mt19937 rng(28);
    long long cached = 0;
    for (int trial = 0; trial < 60; ++trial) {
        std::uniform_int_distribution<int> pick(0, 1000);
        std::vector<int> cuts;
        const int nlines = 3 + pick(rng) % 4;
        for (int k = 0; k < nlines; ++k) cuts.push_back(pick(rng) % 4 == 0 ? 2 + pick(rng) % 2 : 1);
        SearchProblem pb(20 + pick(rng) % 60, cuts, static_cast<unsigned>(trial), 0.05 * (pick(rng) % 3));
        for (int k = 2; k <= nlines + 1; ++k)
            pb.tables.line[static_cast<std::size_t>(k)].firstattr = pick(rng) % 3 == 0;
        for (int a = 2; a <= pb.lc; ++a) pb.tables.att[static_cast<std::size_t>(a)].signbyte = pick(rng) % 4 ? 1 : -1;
        for (int a = 2; a <= pb.lc; ++a)
            pb.sign[static_cast<std::size_t>(a)] = pb.tables.att[static_cast<std::size_t>(a)].signbyte;
        if (trial % 3 == 1) { // grouped weights, zero weights and a sample mask
            for (auto& w : pb.weights) w = pick(rng) % 6;
            for (auto& m : pb.mask) m = pick(rng) % 8 != 0;
        }
        LoopSettings s;
        s.threads = trial % 2 ? 3 : 1;
        s.parallel_from = 0; // the workers score even the smallest vectors
        s.tables = &pb.tables;
        s.lines = pb.lines;
        const std::vector<std::vector<int>> bounds{{2, 2}, {2, 1}, {3}, {1, 1, 1}, {3, 3, 3}, {2}};
        const auto sides = std::array{stats::Side::Both, stats::Side::AOnly, stats::Side::AMinusOnly};
        s.extent = extent(bounds[static_cast<std::size_t>(pick(rng) % 6)], pick(rng) % 3 != 0,
                          sides[static_cast<std::size_t>(pick(rng) % 3)]);
        s.pair.measure = 1 + pick(rng) % 3;
        s.pair.reduce.tables = &pb.tables;
        s.pair.full_reduction = pick(rng) % 2 == 0;
        s.pair.reduce.primitive = !s.pair.full_reduction && pick(rng) % 4 == 0;
        if (pick(rng) % 4 == 0) {
            s.forcing = true;
            s.forced = (pick(rng) % 2 ? 1 : -1) * (2 + pick(rng) % (pb.lc - 1));
            s.join0 = pick(rng) % 2;
            s.join1 = pick(rng) % 2;
        } else if (pick(rng) % 3 == 0) { // a serial analysis's partitions of earlier Ys
            for (int j = 1 + pick(rng) % 2; j > 0; --j)
                s.serial.push_back((pick(rng) % 2 ? 1 : -1) * (2 + pick(rng) % (pb.lc - 1)));
        }
        if (pick(rng) % 5 == 0) {
            s.iterative = s.pair.iterative = true;
            s.iteration = s.pair.iteration = 2;
        }
        std::vector<char> usable(static_cast<std::size_t>(pb.lc) + 1, 1);
        if (pick(rng) % 3 == 0) usable[static_cast<std::size_t>(2 + pick(rng) % (pb.lc - 1))] = 0;
        s.usable = usable;
        stats::CritSettings crit;
        const int kind = pick(rng) % 4;
        const auto criteria = std::array{stats::Criterion::ChiSquare, stats::Criterion::WithinMse,
                                         stats::Criterion::Gini, stats::Criterion::LogRank};
        crit.icrit = static_cast<int>(criteria[static_cast<std::size_t>(kind)]);
        const bool cont = kind == 1 || kind == 3; // the continuous Y is the survival time

        // Half the searches start with the saved G values full: G is then needed
        // only where a list could change; some have a penalty, so that the best
        // list and the top-10 list part.
        const std::int64_t saved = trial % 4 >= 2 ? SearchResults::kSavedG : 0;
        const double penalty = trial % 8 >= 5 ? 0.5 : 0.0;
        const bool predicts = trial % 3 == 0; // as in an ordinal or nominal sequence
        const Reference ref = reference(pb, s, crit, cont, saved, penalty, false, predicts);
        auto got = run(pb, s, crit, -1, cont, saved, penalty, false, predicts);
        SCOPED_TRACE("trial " + std::to_string(trial) + " criterion " + std::to_string(crit.icrit) + " threads " +
                     std::to_string(s.threads) + " saved " + std::to_string(saved) + " penalty " +
                     std::to_string(penalty));
        ASSERT_EQ(got->r.per_vector.size(), ref.per_vector.size());
        for (std::size_t v = 0; v < ref.per_vector.size(); ++v) {
            EXPECT_EQ(got->r.per_vector[v].p, ref.per_vector[v].p);
            EXPECT_EQ(got->r.per_vector[v].skipped, ref.per_vector[v].skipped);
            EXPECT_EQ(got->r.per_vector[v].evaluated, ref.per_vector[v].evaluated);
            EXPECT_EQ(got->r.per_vector[v].tallied, ref.per_vector[v].tallied);
        }
        expect_same(got->results, ref.results);
        cached += got->r.cached_mkpair;
    }
    EXPECT_GT(cached, 0); // the cache was used, not bypassed
}

// Many observations over few attributes: the search counts each group of
// observations with the same bytes and class once, and gives what the plain
// loop gives over every observation, with missing bytes, weights, a mask,
// negated and floating attributes, the skip flag and several threads.
TEST(SearchLoop, GroupedObservationsGiveTheResultsOfEveryObservation)
{
    std::mt19937 rng(55);
    const auto criteria = std::array{stats::Criterion::ChiSquare, stats::Criterion::Gini};
    for (int trial = 0; trial < 8; ++trial) {
        SearchProblem pb(1500, {1, 2, 1, 1}, static_cast<unsigned>(100 + trial), trial % 2 ? 0.05 : 0.0);
        pb.tables.line[3].firstattr = trial % 4 >= 2;
        pb.tables.att[4].signbyte = pb.sign[4] = -1;
        if (trial % 3 == 0) {
            for (auto& w : pb.weights) w = static_cast<int>(rng() % 6);
            for (auto& m : pb.mask) m = rng() % 8 != 0;
        }
        LoopSettings s;
        s.threads = trial % 2 ? 3 : 1;
        s.parallel_from = 0;
        s.tables = &pb.tables;
        s.lines = pb.lines;
        s.extent = extent({2, 2}, true);
        s.pair.reduce.tables = &pb.tables;
        stats::CritSettings crit;
        crit.icrit = static_cast<int>(criteria[static_cast<std::size_t>(trial % 2)]);
        const bool skip = trial % 4 == 1;
        SCOPED_TRACE("trial " + std::to_string(trial));
        {
            const EvaluationData data = pb.data();
            s.data = &data;
            s.crit = &crit;
            Evaluator ev(data, crit, search_settings(0.0, skip));
            EXPECT_TRUE(GroupedSearch(s, ev).grouped());
        }
        const Reference ref = reference(pb, s, crit, false, 0, 0.0, skip);
        const auto got = run(pb, s, crit, -1, false, 0, 0.0, skip);
        ASSERT_EQ(got->r.per_vector.size(), ref.per_vector.size());
        for (std::size_t v = 0; v < ref.per_vector.size(); ++v)
            EXPECT_EQ(got->r.per_vector[v].evaluated, ref.per_vector[v].evaluated);
        expect_same(got->results, ref.results);
    }
}

// Every line floats three cuts and some cuts have sign byte -1: candidates of
// several cuts of one line and negated literals, all plain.
TEST(SearchLoop, FloatingCutsWithNegatedAttributesEqualTheReferenceLoop)
{
    SearchProblem pb(120, {3, 3, 3, 3}, 41, 0.05);
    for (int k = 2; k <= 5; ++k) pb.tables.line[static_cast<std::size_t>(k)].firstattr = true;
    for (int a = 2; a <= pb.lc; ++a) {
        const std::int8_t sign = a % 3 == 0 ? -1 : 1;
        pb.tables.att[static_cast<std::size_t>(a)].signbyte = sign;
        pb.sign[static_cast<std::size_t>(a)] = sign;
    }
    for (int threads : {1, 3}) {
        LoopSettings s;
        s.threads = threads;
        s.parallel_from = 0;
        s.tables = &pb.tables;
        s.lines = pb.lines;
        s.extent = extent({2, 2}, true);
        s.pair.reduce.tables = &pb.tables;
        const Reference ref = reference(pb, s, chi_square(), false);
        auto got = run(pb, s);
        SCOPED_TRACE("threads " + std::to_string(threads));
        ASSERT_EQ(got->r.per_vector.size(), ref.per_vector.size());
        for (std::size_t v = 0; v < ref.per_vector.size(); ++v)
            EXPECT_EQ(got->r.per_vector[v].evaluated, ref.per_vector[v].evaluated);
        expect_same(got->results, ref.results);
        EXPECT_GT(got->r.cached_mkpair, got->r.real_mkpair); // the shapes repeat: most are scored directly
    }
}

// A Y of four ordered levels searched as its indicators Y>1, Y>2, Y>3 one after
// another over single attributes 2..5; the partition found for each Y becomes
// attribute 6 or 7, within which the next search stays. The counts and G values
// are those of tools/reference/serial_ordinal.py.
TEST(SearchLoop, SerialOrdinalSearchesKeepEachYWithinThePartitionsFoundBefore)
{
    const std::array level{1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4};
    const std::array<std::array<int, 16>, 4> x{{{0, 0, 1, 0, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 0, 1},
                                                {0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 1, 1, 1, 1, 1},
                                                {0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1, 1, 1, 1, 0},
                                                {1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1}}};
    struct Want {
        double first_g, best_g;
        int attribute, members;
    };
    const std::array want{Want{4.751515, 4.751515, 2, 11}, Want{2.618182, 6.349206, 3, 7},
                          Want{2.116402, 3.418803, 5, 3}};
    SearchProblem pb(16, {1, 1, 1, 1, 1, 1}, 1, 0.0);
    const auto byte = [&](int i, int a) -> std::uint8_t& {
        return pb.abyte[static_cast<std::size_t>(i * pb.lc + a - 1)];
    };
    for (int i = 0; i < 16; ++i)
        for (int a = 2; a <= 5; ++a) byte(i, a) = static_cast<std::uint8_t>(x[static_cast<std::size_t>(a - 2)][i]);
    std::array<int, 3> found{};
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE("Y " + std::to_string(k));
        for (int i = 0; i < 16; ++i) pb.ybin[static_cast<std::size_t>(i)] = level[static_cast<std::size_t>(i)] > k;
        LoopSettings s;
        s.lines = {2, 3, 4, 5};
        s.extent = extent({1}, false);
        s.pair.reduce.tables = &pb.tables;
        s.serial = serial_joins(SerialKind::ordinal, k, found, pb.lc);
        EXPECT_EQ(s.serial.size(), k > 1 ? 1U : 0U); // the latest partition, within those before it
        const auto got = run(pb, s);
        const Want& w = want[static_cast<std::size_t>(k - 1)];
        EXPECT_EQ(got->r.evaluated, 4);
        EXPECT_NEAR(got->results.saved_g()[0], w.first_g, 1e-4);
        const auto entries = got->results.bestlist.entries();
        const auto best = std::max_element(entries.begin(), entries.end(),
                                           [](const auto& a, const auto& b) { return a.value < b.value; });
        ASSERT_NE(best, entries.end());
        EXPECT_NEAR(best->value, w.best_g, 1e-4);
        EXPECT_NE(std::find(best->list.lits.begin(), best->list.lits.end(), w.attribute), best->list.lits.end());
        // The partition found is kept as the next attribute for the Ys after it.
        stats::CompiledList a;
        a.compile(best->list, best->flag, pb.sign, pb.lc);
        int members = 0;
        for (int i = 0; i < 16; ++i) {
            const int m = a.membership(&pb.abyte[static_cast<std::size_t>(i * pb.lc)]);
            members += m == 1;
            if (k < 3) byte(i, 5 + k) = static_cast<std::uint8_t>(m);
        }
        EXPECT_EQ(members, w.members);
        if (k < 3) found[static_cast<std::size_t>(k - 1)] = 5 + k;
    }
}

// Chi-square of a binary Y with the saved G values full: most candidates are
// tallied from their sides alone; those that could enter a list are scored.
// With the penalty one attribute may not enter.
TEST(SearchLoop, WithTheSavedGValuesFullTheListsEqualTheReferenceLoop)
{
    // Fixed cuts, and three lines floating three cuts each, whose candidates
    // that differ in the last term's cuts the workers count as one run; a Y of
    // two classes, or the continuous Y as a Y of many (no runs then).
    SearchProblem fixed(150, {1, 1, 1, 1, 1, 1, 1, 1}, 9, 0.05);
    SearchProblem floating(150, {3, 3, 3, 1, 1}, 9, 0.05);
    for (std::size_t k = 2; k <= 4; ++k) floating.tables.line[k].firstattr = true;
    for (SearchProblem* pb : {&fixed, &floating}) {
        std::vector<char> usable(static_cast<std::size_t>(pb->lc) + 1, 1);
        usable[6] = 0;
        for (const auto& [penalty, many] : {std::pair{0.0, false}, {4.0, false}, {0.0, true}, {4.0, true}})
            for (int threads : {1, 3}) {
                // Units missing in a candidate's literals left out, or counted.
                const bool skip = threads == 1 ? penalty > 0.0 : penalty == 0.0;
                LoopSettings s;
                if (penalty > 0.0) s.usable = usable;
                s.threads = threads;
                s.parallel_from = 0;
                s.tables = &pb->tables;
                s.lines = pb->lines;
                s.extent = extent({2, 2}, true);
                s.pair.reduce.tables = &pb->tables;
                const Reference ref = reference(*pb, s, chi_square(), many, SearchResults::kSavedG, penalty, skip);
                auto got = run(*pb, s, chi_square(), -1, many, SearchResults::kSavedG, penalty, skip);
                SCOPED_TRACE("threads " + std::to_string(threads) + " penalty " + std::to_string(penalty) +
                             (pb == &floating ? " floating" : "") + (skip ? " skip" : "") + (many ? " many" : ""));
                expect_same(got->results, ref.results);
            }
    }
}

// Terms of up to three items: the one-thread walk's last terms of two and
// three items, blocks that end within a last term's first items, a line that
// may not enter (no candidate of its items), shapes enough to share slots of
// the scorer's small cache, both sides or one. Against the reference loop, and stopped anywhere
// as the workers stop.
TEST(SearchLoop, TermsOfThreeItemsWithTheSavedGValuesFullEqualTheReferenceLoop)
{
    SearchProblem pb(120, std::vector<int>(9, 1), 21, 0.04);
    std::vector<char> usable(static_cast<std::size_t>(pb.lc) + 1, 1);
    usable[4] = 0;
    LoopSettings s;
    s.tables = &pb.tables;
    s.lines = pb.lines;
    s.pair.reduce.tables = &pb.tables;
    s.parallel_from = 0;
    // Both sides, or one (each candidate's one side marked on its own).
    const std::array cases{std::pair{0.0, stats::Side::Both}, std::pair{2.0, stats::Side::Both},
                           std::pair{2.0, stats::Side::AOnly}, std::pair{0.0, stats::Side::AMinusOnly}};
    for (const auto& [penalty, side] : cases) {
        s.extent = extent({3, 3}, true, side);
        s.usable = penalty > 0.0 ? std::span<const char>(usable) : std::span<const char>();
        SCOPED_TRACE("penalty " + std::to_string(penalty) + " side " + std::to_string(static_cast<int>(side)));
        const Reference ref = reference(pb, s, chi_square(), false, SearchResults::kSavedG, penalty);
        s.threads = 1;
        const auto all = run(pb, s, chi_square(), -1, false, SearchResults::kSavedG, penalty);
        expect_same(all->results, ref.results);
        for (const int end_at : {1, 777, static_cast<int>(all->r.evaluated) - 3}) {
            s.threads = 1;
            const auto one = run(pb, s, chi_square(), end_at, false, SearchResults::kSavedG, penalty);
            s.threads = 3;
            const auto three = run(pb, s, chi_square(), end_at, false, SearchResults::kSavedG, penalty);
            expect_same(one->results, three->results);
            EXPECT_EQ(one->host.texts, three->host.texts);
            EXPECT_EQ(one->results.evaluated, end_at);
        }
        // Stopped anywhere on one thread (also between a candidate's two
        // sides), each histogram holds every evaluation made, and only those.
        std::mt19937 rng(5);
        s.threads = 1;
        for (int t = 0; t < 12; ++t) {
            const int end_at = static_cast<int>(rng() % static_cast<unsigned>(all->r.evaluated)) + 1;
            const auto one = run(pb, s, chi_square(), end_at, false, SearchResults::kSavedG, penalty);
            const SearchResults& h = one->results;
            EXPECT_EQ(std::accumulate(h.cplxhist.begin(), h.cplxhist.end(), std::int64_t{0}), end_at);
            EXPECT_EQ(std::accumulate(h.splithist.begin() + 1, h.splithist.end(), std::int64_t{0}), end_at);
            EXPECT_EQ(h.splithist[0], 0);
        }
    }
}

TEST(SearchLoop, WorkerThreadsGiveTheResultsOfOneThreadAndStopAtTheSamePoint)
{
    SearchProblem pb(150, {1, 1, 1, 2, 1, 1, 1, 3, 1, 1, 1, 1}, 11);
    LoopSettings s;
    s.extent = extent({2, 2}, true);
    s.dispgraph = true;
    s.parallel_from = 0;
    // Without a floating line every plain candidate is scored by the direct path.
    // In a second iteration candidates without the newest line are tallied
    // between the evaluated ones, and the stop falls among them.
    struct Case {
        bool floating;
        int end_at, iteration;
    };
    for (const Case& c : std::vector<Case>{{true, -1, 1},
                                           {true, 1, 1},
                                           {true, 700, 1},
                                           {true, 5000, 1},
                                           {false, -1, 1},
                                           {false, 3, 1},
                                           {false, 4001, 1},
                                           {false, -1, 2},
                                           {false, 333, 2},
                                           {true, 1000, 2}}) {
        const int end_at = c.end_at;
        pb.tables.line[9].firstattr = c.floating;
        s.iterative = s.pair.iterative = c.iteration > 1;
        s.iteration = s.pair.iteration = c.iteration;
        SCOPED_TRACE("end at " + std::to_string(end_at) + (c.floating ? " floating" : "") + " iteration " +
                     std::to_string(c.iteration));
        s.threads = 1;
        auto one = run(pb, s, chi_square(), end_at);
        s.threads = 4;
        auto four = run(pb, s, chi_square(), end_at);
        expect_same(four->results, one->results);
        EXPECT_EQ(four->lines, one->lines);
        EXPECT_EQ(four->host.texts, one->host.texts);
        EXPECT_EQ(four->host.rows, one->host.rows);
        EXPECT_EQ(four->host.polls, one->host.polls);
        EXPECT_EQ(four->r.ended_by_user, end_at > 0);
        ASSERT_EQ(four->r.per_vector.size(), one->r.per_vector.size());
        for (std::size_t v = 0; v < one->r.per_vector.size(); ++v) {
            EXPECT_EQ(four->r.per_vector[v].evaluated, one->r.per_vector[v].evaluated);
            EXPECT_EQ(four->r.per_vector[v].tallied, one->r.per_vector[v].tallied);
        }
        if (end_at < 0) {
            EXPECT_GT(one->r.evaluated, c.iteration == 1 ? 4001 : 1000);
        } else {
            EXPECT_EQ(one->results.evaluated, end_at);
        }
    }
}

// A search of tens of thousands of candidates without the search window: the
// workers' chunks wrap around their ring many times, the saved G values fill
// and the workers settle most candidates by a bound of G. Stopped anywhere, or
// not at all, it ends as on one thread.
TEST(SearchLoop, ManyChunksStopWhereOneThreadStops)
{
    SearchProblem pb(200, std::vector<int>(12, 1), 17, 0.03);
    LoopSettings s;
    s.extent = extent({3, 2}, true);
    s.parallel_from = 0;
    std::mt19937 rng(3);
    // The saved G values fill during the search, or are full from its start
    // (then the workers' quiet candidates come in runs the merge passes
    // without reading them).
    for (const std::int64_t saved : {std::int64_t{0}, std::int64_t{SearchResults::kSavedG}}) {
        s.threads = 1;
        const auto all = run(pb, s, chi_square(), -1, false, saved);
        ASSERT_GT(all->r.evaluated, 25000); // beyond the saved G values
        for (int end_at : {-1, 2, static_cast<int>(rng() % 20000) + 1, static_cast<int>(rng() % 5000) + 20000}) {
            s.threads = 1;
            const auto one = end_at < 0 ? nullptr : run(pb, s, chi_square(), end_at, false, saved);
            const auto& want = one ? *one : *all;
            for (int threads : {2, 5}) {
                SCOPED_TRACE("end at " + std::to_string(end_at) + ", threads " + std::to_string(threads) +
                             ", saved " + std::to_string(saved));
                s.threads = threads;
                const auto got = run(pb, s, chi_square(), end_at, false, saved);
                expect_same(got->results, want.results);
                EXPECT_EQ(got->host.polls, want.host.polls);
                EXPECT_EQ(got->host.texts, want.host.texts);
                EXPECT_EQ(got->r.evaluated, want.r.evaluated);
                EXPECT_EQ(got->r.per_vector.back().tallied, want.r.per_vector.back().tallied);
            }
        }
    }
}

// The attribute set's lines in any order (the items' attributes need not
// ascend), the tables counted over the units or from the pattern counts,
// against the reference loop on random problems: the direct path's routes
// on one thread and on workers, fixed or floating cuts, both sides or one,
// two classes or many, the saved G values filling or full, and searches off
// the direct path (forcing, serial joins).
TEST(SearchLoop, LinesInAnyOrderAndCountedPatternsEqualTheReferenceLoop)
{
    std::mt19937 rng(62);
    std::array<int, 6> routes{};
    int counted = 0;
    for (int trial = 0; trial < 48; ++trial) {
        std::uniform_int_distribution<int> pick(0, 1000);
        const int nlines = 4 + pick(rng) % 5;
        std::vector<int> cuts;
        for (int k = 0; k < nlines; ++k) cuts.push_back(pick(rng) % 5 == 0 ? 2 + pick(rng) % 2 : 1);
        SearchProblem pb(60 + pick(rng) % 150, cuts, 300u + static_cast<unsigned>(trial), trial % 3 ? 0.0 : 0.04);
        for (int k = 2; k <= nlines + 1; ++k)
            pb.tables.line[static_cast<std::size_t>(k)].firstattr = trial % 4 == 3 && pick(rng) % 2 == 0;
        for (int a = 2; a <= pb.lc; ++a) pb.sign[static_cast<std::size_t>(a)] = pick(rng) % 4 ? 1 : -1;
        for (int a = 2; a <= pb.lc; ++a)
            pb.tables.att[static_cast<std::size_t>(a)].signbyte = pb.sign[static_cast<std::size_t>(a)];
        if (trial % 5 == 1)
            for (auto& w : pb.weights) w = pick(rng) % 4;
        LoopSettings s;
        s.threads = trial % 2 ? 3 : 1;
        s.parallel_from = 0;
        s.tables = &pb.tables;
        s.lines = pb.lines;
        std::shuffle(s.lines.begin(), s.lines.end(), rng);
        const std::vector<std::vector<int>> bounds{{2, 2}, {3, 3}, {2, 1}, {3}, {1, 1, 1}};
        const auto sides = std::array{stats::Side::Both, stats::Side::AOnly, stats::Side::AMinusOnly};
        s.extent = extent(bounds[static_cast<std::size_t>(pick(rng) % 5)], pick(rng) % 4 != 0,
                          sides[static_cast<std::size_t>(pick(rng) % 3)]);
        s.pair.reduce.tables = &pb.tables;
        s.pair.full_reduction = pick(rng) % 2 == 0;
        s.pair.measure = 1 + pick(rng) % 3;
        if (trial % 5 == 4) { // off the direct path, its lists still counted from the patterns
            s.forcing = true;
            s.forced = (pick(rng) % 2 ? 1 : -1) * (2 + pick(rng) % (pb.lc - 1));
            s.join0 = pick(rng) % 2;
            s.join1 = pick(rng) % 2;
        } else if (trial % 7 == 6) {
            s.serial.push_back((pick(rng) % 2 ? 1 : -1) * (2 + pick(rng) % (pb.lc - 1)));
        }
        stats::CritSettings crit = chi_square();
        if (trial % 3 == 2) crit.icrit = static_cast<int>(stats::Criterion::Gini);
        const bool many = trial % 7 == 3; // the continuous Y as 16 classes
        const std::int64_t saved = trial % 4 >= 2 ? SearchResults::kSavedG : 0;
        const double penalty = trial % 6 == 5 ? 0.5 : 0.0;
        SCOPED_TRACE("trial " + std::to_string(trial));
        const bool predicts = trial % 3 == 0;
        const Reference ref = reference(pb, s, crit, many, saved, penalty, false, predicts);
        for (const int patterns : {-1, 1}) {
            s.patterns = patterns;
            auto got = run(pb, s, crit, -1, many, saved, penalty, false, predicts);
            ASSERT_EQ(got->r.per_vector.size(), ref.per_vector.size());
            for (std::size_t v = 0; v < ref.per_vector.size(); ++v) {
                EXPECT_EQ(got->r.per_vector[v].evaluated, ref.per_vector[v].evaluated);
                EXPECT_EQ(got->r.per_vector[v].tallied, ref.per_vector[v].tallied);
                ++routes[static_cast<std::size_t>(got->r.per_vector[v].route)];
                counted += got->r.per_vector[v].patterns;
            }
            expect_same(got->results, ref.results);
        }
    }
    EXPECT_GT(counted, 20) << counted;
    // The routes but those of combinations with too many cuts for a chunk.
    for (Route r : {Route::kPair, Route::kRuns, Route::kScanHere, Route::kScan})
        EXPECT_GT(routes[static_cast<std::size_t>(r)], 0) << route_name(r);
}

// Over three stretches of observations, told on one thread or three whether
// the items' literals are two valued: counted from their patterns when they
// are, not when the last observation has a byte missing, the same lists.
TEST(SearchLoop, PatternsToldOnThreadsAsOnOne)
{
    SearchProblem pb(140000, {1, 1, 1, 1}, 62, 0.0);
    LoopSettings s;
    s.parallel_from = 0;
    s.extent = extent({2, 2}, true);
    s.patterns = 1;
    for (const bool missing : {false, true}) {
        if (missing) pb.abyte[pb.abyte.size() - 1] = 255;
        s.threads = 1;
        const auto one = run(pb, s);
        s.threads = 3;
        const auto three = run(pb, s);
        long long counted[2] = {0, 0};
        for (const auto& v : one->r.per_vector) counted[0] += v.patterns;
        for (const auto& v : three->r.per_vector) counted[1] += v.patterns;
        EXPECT_EQ(counted[0] > 0, !missing);
        EXPECT_EQ(counted[1] > 0, !missing);
        expect_same(three->results, one->results);
    }
}

// The mean-square criteria with their split sums from the pattern sums: the
// same candidates, tallies and lists as the walk that sums over the
// observations, G (single precision, from sums within rounding) within a few
// of its last places, one thread or several, the lines in any order.
TEST(SearchLoop, SplitSumsFromPatternsGiveTheWalksLists)
{
    std::mt19937 rng(64);
    for (int trial = 0; trial < 16; ++trial) {
        SearchProblem pb(80 + 40 * trial, std::vector<int>(5 + trial % 3, 1), 400u + static_cast<unsigned>(trial),
                         0.0);
        LoopSettings s;
        s.threads = trial % 2 ? 3 : 1;
        s.parallel_from = 0;
        s.lines = pb.lines;
        std::shuffle(s.lines.begin(), s.lines.end(), rng);
        s.extent = extent(trial % 4 < 2 ? std::vector<int>{2, 2} : std::vector<int>{3, 2}, true);
        s.pair.reduce.tables = &pb.tables;
        stats::CritSettings crit;
        crit.icrit = static_cast<int>(trial % 3 ? stats::Criterion::WithinMse : stats::Criterion::SubgroupMse);
        const std::int64_t saved = trial % 4 == 3 ? SearchResults::kSavedG : 0;
        s.patterns = -1;
        const auto walk = run(pb, s, crit, -1, true, saved);
        s.patterns = 1;
        const auto counted = run(pb, s, crit, -1, true, saved);
        SCOPED_TRACE("trial " + std::to_string(trial));
        ASSERT_EQ(counted->r.per_vector.size(), walk->r.per_vector.size());
        for (std::size_t v = 0; v < walk->r.per_vector.size(); ++v) {
            EXPECT_EQ(counted->r.per_vector[v].evaluated, walk->r.per_vector[v].evaluated);
            EXPECT_EQ(counted->r.per_vector[v].tallied, walk->r.per_vector[v].tallied);
        }
        const auto close = [](float a, float b) { return std::fabs(a - b) <= 4e-7f * std::max(std::fabs(b), 1.0f); };
        for (const auto& [a, b] : {std::pair{counted->results.bestlist.entries(), walk->results.bestlist.entries()},
                                   {counted->results.top10.entries(), walk->results.top10.entries()}}) {
            ASSERT_EQ(a.size(), b.size());
            for (std::size_t i = 0; i < a.size(); ++i) {
                EXPECT_EQ(a[i].complexity, b[i].complexity);
                EXPECT_EQ(a[i].list.lits, b[i].list.lits);
                EXPECT_TRUE(close(a[i].value, b[i].value)) << a[i].value << " " << b[i].value;
            }
        }
        const auto ga = counted->results.saved_g(), gb = walk->results.saved_g();
        ASSERT_EQ(ga.size(), gb.size());
        for (std::size_t i = 0; i < ga.size(); ++i) EXPECT_TRUE(close(ga[i], gb[i])) << i;
    }
}

// Each route forced on every size vector that can take it, against the pair
// route on one thread: the same candidates and tallies per vector, the same
// lists, winners, G values and histograms, to the last bit. Searches with a
// direct scorer (a count table, nothing joined) take every route the walk
// allows; the others (forcing, serial joins, the mean-square criteria,
// Log-rank) keep the pair route whatever is forced.
TEST(SearchLoop, EveryRouteGivesThePairRoutesResults)
{
    using stats::Criterion;
    struct Case {
        std::string name;
        Criterion crit;
        double missing;
        int patterns;
        bool weights = false, floating = false, forcing = false, serial = false, full = false;
    };
    const std::vector<Case> cases{
        {"chi-square, stored terms", Criterion::ChiSquare, 0.0, -1},
        {"chi-square, counted patterns", Criterion::ChiSquare, 0.0, 1},
        {"chi-square, missing bytes", Criterion::ChiSquare, 0.04, 0},
        {"chi-square, weights, saved G full", Criterion::ChiSquare, 0.0, 1, true, false, false, false, true},
        {"gini of 16 classes, floating cuts", Criterion::Gini, 0.02, 0, true, true},
        {"chi-square, forcing", Criterion::ChiSquare, 0.0, 1, false, false, true},
        {"chi-square, serial", Criterion::ChiSquare, 0.03, 0, false, false, false, true},
        {"within MSE, pattern sums", Criterion::WithinMse, 0.0, 1, true},
        {"within MSE, missing bytes", Criterion::WithinMse, 0.03, 0},
        {"log-rank", Criterion::LogRank, 0.02, 0, true},
    };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(c.name);
        // A vector of more candidates than the workers take in one batch, so
        // that queued candidates of known shapes are scored on the workers.
        SearchProblem pb(240, {1, 1, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 700u + static_cast<unsigned>(k), c.missing);
        pb.tables.line[4].firstattr = c.floating;
        for (int a = 2; a <= pb.lc; ++a) pb.sign[static_cast<std::size_t>(a)] = a % 3 ? 1 : -1;
        if (c.weights)
            for (std::size_t i = 0; i < pb.weights.size(); ++i) pb.weights[i] = static_cast<int>(i % 4);
        LoopSettings s;
        s.parallel_from = 0;
        s.extent = extent({3, 2}, true);
        s.pair.reduce.tables = &pb.tables;
        s.patterns = c.patterns;
        s.forcing = c.forcing;
        s.forced = -3;
        s.join1 = true;
        if (c.serial) s.serial = {5};
        stats::CritSettings crit;
        crit.icrit = static_cast<int>(c.crit);
        const bool cont = c.crit == Criterion::WithinMse || c.crit == Criterion::LogRank || c.floating;
        const std::int64_t saved = c.full ? SearchResults::kSavedG : 0;
        const double penalty = c.full ? 0.5 : 0.0;
        s.route = Route::kPair;
        const auto want = run(pb, s, crit, -1, cont, saved, penalty);
        const bool direct = !c.forcing && !c.serial && (c.crit == Criterion::ChiSquare || c.crit == Criterion::Gini);
        for (const Route r :
             {Route::kPair, Route::kDirect, Route::kQueued, Route::kRuns, Route::kScanHere, Route::kScan}) {
            SCOPED_TRACE(std::string(route_name(r)));
            s.route = r;
            s.threads = r == Route::kQueued || r == Route::kScan || r == Route::kPair ? 2 : 1;
            const auto got = run(pb, s, crit, -1, cont, saved, penalty);
            ASSERT_EQ(got->r.per_vector.size(), want->r.per_vector.size());
            int taken = 0;
            for (std::size_t v = 0; v < want->r.per_vector.size(); ++v) {
                EXPECT_EQ(got->r.per_vector[v].evaluated, want->r.per_vector[v].evaluated);
                EXPECT_EQ(got->r.per_vector[v].tallied, want->r.per_vector[v].tallied);
                taken += got->r.per_vector[v].route == r;
            }
            // Runs need each item's literal fixed and two classes.
            const bool takes = direct && !(r == Route::kRuns && (c.floating || c.crit == Criterion::Gini));
            EXPECT_EQ(taken > 0, takes || r == Route::kPair);
            expect_same(got->results, want->results);
        }
    }
}

TEST(ShapeCache, GivesWhatMkpairGivesOnRandomCandidates)
{
    const SearchProblem pb(10, std::vector<int>(8, 1), 9);
    std::mt19937 rng(7);
    for (int variant = 0; variant < 6; ++variant) {
        partition::PairSettings ps;
        ps.measure = 1 + variant % 3;
        ps.full_reduction = variant >= 3;
        ps.reduce.tables = &pb.tables;
        ShapeCache cache(ps, &pb.tables), lazy(ps, &pb.tables);
        if (variant % 2) lazy.set_budget(4096); // a worker's share: it starts again empty now and then
        long long pending_seen = 0;
        io::LogWriter log;
        log.set_trace_sink([](std::string_view) {});
        for (int t = 0; t < 3000; ++t) {
            TermList cand;
            const int q = 1 + static_cast<int>(rng() % 3);
            for (int j = 0; j < q; ++j) {
                std::vector<Literal> term;
                const int len = 1 + static_cast<int>(rng() % 3);
                for (int k = 0; k < len; ++k)
                    term.push_back((rng() % 3 ? 1 : -1) * (2 + static_cast<int>(rng() % 5)));
                cand.add_term(term);
            }
            const int rep = static_cast<int>(rng() % 2);
            TermList a = cand, b = cand, ca, cb;
            partition::Partition pa, pbb;
            SkipTally ta, tb;
            const auto ra = partition::mkpair(a, ca, rep, pa, ps, ta, log);
            const auto rb = cache.make(b, cb, rep, pbb, tb, log);
            ASSERT_EQ(ra.skip, rb.skip);
            EXPECT_EQ(ta.count, tb.count);
            if (ra.skip) continue;
            EXPECT_EQ(ra.complexity, rb.complexity);
            EXPECT_EQ(a.lits, b.lits);
            EXPECT_EQ(a.lp, b.lp);
            EXPECT_EQ(pa.first.lits, pbb.first.lits);
            EXPECT_EQ(pa.first.lp, pbb.first.lp);
            EXPECT_EQ(pa.second.lits, pbb.second.lits);
            EXPECT_EQ(pa.second.lp, pbb.second.lp);
            EXPECT_EQ(pa.repflag, pbb.repflag);
            // Left unwritten, the pair's first list is the candidate; written on demand.
            TermList c = cand, cc;
            partition::Partition pl;
            SkipTally tl;
            bool pending = false;
            const auto rl = lazy.make_lazy(c, cc, rep, pl, tl, log, pending);
            EXPECT_EQ(rl.complexity, ra.complexity);
            EXPECT_EQ(tl.count, ta.count);
            EXPECT_EQ(c.lits, a.lits);
            EXPECT_EQ(pl.repflag, pa.repflag);
            if (pending) {
                ++pending_seen;
                EXPECT_EQ(c.lits, pa.first.lits);
                EXPECT_EQ(c.lp, pa.first.lp);
                lazy.fill_pair(pl);
            }
            EXPECT_EQ(pl.first.lits, pa.first.lits);
            EXPECT_EQ(pl.second.lits, pa.second.lits);
            EXPECT_EQ(pl.second.lp, pa.second.lp);
        }
        EXPECT_GT(cache.hits(), 500);
        EXPECT_GT(pending_seen, variant % 2 ? 20 : 100);
        if (variant % 2) {
            EXPECT_LT(lazy.hits() + 200, cache.hits());
        }
    }
}

} // namespace
} // namespace meru::search
