// Added attributes: making them, making room by deleting the oldest, and the
// meaning of every stored definition and partition through a deletion.
#include "search/added_attributes.h"

#include "partition/complement.h"
#include "partition/parttext.h"
#include "platform/io/logwriter.h"
#include "search/search_loop.h"
#include "search/search_results.h"
#include "search/shape_cache.h"
#include "stats/membership.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

namespace meru::search {
namespace {

using partition::TermList;

std::size_t z(int i) { return static_cast<std::size_t>(i); }

struct NoHost : SearchHost {
    void progress(std::string_view) override {}
    bool search_end() override { return false; }
};

// Six plain attributes (2..7, one line and variable each, attribute 1 the null
// line's) over random 0/1 bytes, with `spare` free attribute slots.
struct Analysis {
    files::ControlTables t;
    files::DataArrays d;
    partition::AddedAttributes added;
    std::vector<std::string> log;
    io::LogWriter writer;
    AddedContext c{t, d, added};

    explicit Analysis(int spare = 60, int n = 150, unsigned seed = 7)
    {
        files::ScanCounts counts;
        counts.attbound = 7 + spare - files::kSpareSlots;
        counts.varbound = 7 + spare - files::kSpareSlots;
        files::allocate(t, counts);
        t.natt = 7;
        t.nlines = 7;
        t.vars.nvar = 6;
        t.line[1].ncuts = 1;
        t.line[1].attoff = 1;
        t.att[1].attline = 1;
        for (int k = 2; k <= 7; ++k) {
            t.line[z(k)].var = k - 1;
            t.line[z(k)].ncuts = 1;
            t.line[z(k)].attoff = k;
            t.line[z(k)].name = "v" + std::to_string(k);
            t.att[z(k)].attline = k;
            t.vars.varname[z(k - 1)] = t.line[z(k)].name;
        }
        files::allocate_data(d, n, t.dims.nv, t.dims.lc);
        std::mt19937 rng(seed);
        for (int i = 1; i <= n; ++i)
            for (int a = 2; a <= 7; ++a) {
                d.ab(a, i) = static_cast<std::uint8_t>(rng() % 2);
                d.x(i, a - 1) = static_cast<float>(d.ab(a, i));
            }
        writer.set_trace_sink([this](std::string_view l) { log.emplace_back(l); });
    }

    bool logged(std::string_view s) const { return std::find(log.begin(), log.end(), s) != log.end(); }

    // Membership of every observation in a list of the given form.
    std::vector<std::int8_t> meaning(const TermList& l, int sense) const
    {
        std::vector<std::int8_t> sign(z(t.natt) + 1, 1);
        stats::CompiledList cl;
        cl.compile(l, sense, sign, d.lc);
        std::vector<std::int8_t> out(z(d.n));
        stats::membership_column(stats::AttributeMatrix(d.abyte, d.lc, d.n), cl, false, out);
        return out;
    }
    std::vector<std::int8_t> column(int a) const
    {
        std::vector<std::int8_t> out;
        for (int i = 1; i <= d.n; ++i) out.push_back(static_cast<std::int8_t>(d.ab(a, i)));
        return out;
    }

    partition::Partition pair_of(const TermList& a)
    {
        partition::Partition p;
        p.first = a;
        partition::ReduceOptions opt;
        opt.tables = &t;
        partition::SkipTally tally;
        EXPECT_FALSE(partition::failed(partition::complement(a, partition::kPlain, p.second, opt, tally, writer)));
        return p;
    }
};

// A random list over the plain attributes and the added ones made so far; the
// latest added attribute is always used, so definitions chain one on another.
TermList random_list(std::mt19937& rng, int natt, bool chain)
{
    TermList l;
    const int terms = 1 + static_cast<int>(rng() % 2);
    for (int k = 0; k < terms; ++k) {
        std::vector<int> term;
        const int lits = 1 + static_cast<int>(rng() % 2);
        for (int j = 0; j < lits; ++j) {
            int a = 2 + static_cast<int>(rng() % static_cast<unsigned>(natt - 1));
            if (chain && k == 0 && j == 0) a = natt;
            const int lit = rng() % 3 == 0 ? -a : a;
            if (std::find(term.begin(), term.end(), lit) == term.end() &&
                std::find(term.begin(), term.end(), -lit) == term.end())
                term.push_back(lit);
        }
        l.add_term(term);
    }
    return l;
}

TEST(AddedAttributes, DeletionKeepsTheMeaningOfEveryDefinitionAndStoredPartition)
{
    Analysis an;
    std::mt19937 rng(11);
    std::vector<char> usable(z(an.t.dims.lc) + 1, 1);
    std::vector<int> attribute_set{2, 3, 4};
    SearchResults results;
    TermList picked, last;
    HeldReferences refs;
    refs.lists = {{&picked, partition::kPlain}, {&last, partition::kFlipped}};
    refs.results = &results;
    refs.attribute_set = &attribute_set;
    refs.usable = &usable;

    std::map<std::string, std::vector<std::int8_t>> columns; // by name
    for (int k = 1; k <= partition::kMaxAdded; ++k) {
        const TermList a = random_list(rng, an.t.natt, an.t.natt > 7);
        const MadeAttribute m = make_added(an.c, an.pair_of(a), iteration_name(1, k), false, refs, an.writer);
        ASSERT_TRUE(m.made) << k;
        EXPECT_FALSE(m.deleted_first);
        EXPECT_EQ(an.column(m.attribute), an.meaning(a, partition::kPlain)) << k;
        columns[iteration_name(1, k)] = an.column(m.attribute);
        if (k >= 45) attribute_set.push_back(m.line);
    }
    EXPECT_EQ(an.t.natt, 7 + 48);
    // Stored partitions naming deleted and kept added attributes, both signs.
    picked.add_term({9, -3});
    picked.add_term({-50, 30});
    last.add_term({-12, 54});
    TermList best;
    best.add_term({20, 5});
    best.add_term({-40});
    results.bestlist.offer(3, 0.5f, 1, best);
    results.top10.offer(2, 0.7f, 0.0, 1, picked);
    const auto picked_before = an.meaning(picked, partition::kPlain);
    const auto last_before = an.meaning(last, partition::kFlipped);
    const auto best_before = an.meaning(best, partition::kPlain);
    const auto plain_before = an.column(4);

    const TermList a49 = random_list(rng, an.t.natt, true);
    const auto col49 = an.meaning(a49, partition::kPlain);
    const MadeAttribute m = make_added(an.c, an.pair_of(a49), iteration_name(1, 49), false, refs, an.writer);
    ASSERT_TRUE(m.made);
    EXPECT_TRUE(m.deleted_first);
    EXPECT_TRUE(an.logged("NOTE:too many added attributes. Fix up deletions done"));
    EXPECT_EQ(m.renumbering.deleted, 40);
    EXPECT_EQ(m.renumbering.lost, 0);
    EXPECT_EQ(an.added.count, 9);
    EXPECT_EQ(an.t.natt, 7 + 9);
    EXPECT_EQ(an.t.nlines, 7 + 9);
    EXPECT_EQ(an.t.vars.nvar, 6 + 9);
    EXPECT_EQ(m.attribute, 16);
    EXPECT_EQ(an.column(16), col49);
    EXPECT_EQ(an.column(4), plain_before);

    for (int a = 8; a <= 16; ++a) {
        const int slot = an.added.slot_of(a);
        ASSERT_EQ(slot, a - 7);
        const files::Attribute& at = an.t.att[z(a)];
        const files::AttrLine& ln = an.t.line[z(at.attline)];
        EXPECT_EQ(at.attline, a);
        EXPECT_EQ(ln.attoff, a);
        EXPECT_EQ(an.t.vars.varname[z(ln.var)], ln.name);
        EXPECT_EQ(ln.name, iteration_name(1, 41 + slot - 1));
        const auto col = an.column(a);
        if (a < 16) {
            EXPECT_EQ(col, columns[ln.name]) << ln.name;
        }
        for (int i = 1; i <= an.d.n; ++i) EXPECT_EQ(an.d.x(i, ln.var), static_cast<float>(col[z(i - 1)]));
        EXPECT_EQ(an.meaning(an.added.a_set[z(slot)], partition::kPlain), col) << ln.name;
        EXPECT_EQ(an.meaning(an.added.aminus_set[z(slot)], partition::kFlipped), col) << ln.name;
    }
    EXPECT_EQ(an.meaning(picked, partition::kPlain), picked_before);
    EXPECT_EQ(an.meaning(last, partition::kFlipped), last_before);
    ASSERT_EQ(results.bestlist.count(), 1);
    EXPECT_EQ(an.meaning(results.bestlist.entries()[0].list, partition::kPlain), best_before);
    ASSERT_EQ(results.top10.count(), 1);
    EXPECT_EQ(an.meaning(results.top10.entries()[0].list, partition::kPlain), picked_before);
    // The set keeps its plain lines and the kept added lines renumbered (+a45..+a48
    // are now lines 12..15), then the new one's line is the caller's to add.
    EXPECT_EQ(attribute_set, (std::vector<int>{2, 3, 4, 12, 13, 14, 15}));
    EXPECT_EQ(usable[16], 1);
}

TEST(AddedAttributes, FullTablesDeleteWhatIsHeldAndNeverGoBelowZero)
{
    Analysis an(3);
    HeldReferences refs;
    TermList a;
    a.add_term({2, 3});
    for (int k = 1; k <= 3; ++k)
        ASSERT_TRUE(make_added(an.c, an.pair_of(a), process_name(k), false, refs, an.writer).made);
    EXPECT_TRUE(tables_full(an.c));
    const MadeAttribute m = make_added(an.c, an.pair_of(a), process_name(4), false, refs, an.writer);
    ASSERT_TRUE(m.made);
    EXPECT_EQ(m.renumbering.deleted, 3);
    EXPECT_EQ(an.added.count, 1);
    EXPECT_EQ(an.t.natt, 8);
    EXPECT_EQ(an.t.vars.nvar, 7);
    EXPECT_EQ(an.t.line[8].name, "+04");

    // What a growing tree's splits stand on is not taken: +04 (attribute 8) kept,
    // +05 and +06 go, and +07 follows +04.
    for (int k = 5; k <= 6; ++k) make_added(an.c, an.pair_of(a), process_name(k), false, refs, an.writer);
    refs.kept = {8};
    EXPECT_EQ(make_added(an.c, an.pair_of(a), process_name(7), false, refs, an.writer).renumbering.deleted, 2);
    EXPECT_EQ(an.t.line[8].name + an.t.line[9].name, "+04+07");
}

TEST(AddedAttributes, NoRoomRefusesAndChangesNothing)
{
    struct Case {
        const char* what;
        void (*fill)(Analysis&);
    };
    const Case cases[] = {
        {"attributes", [](Analysis& an) { an.t.natt = an.t.dims.lc; }},
        {"lines", [](Analysis& an) { an.t.nlines = an.t.dims.nv; }},
        {"variable names", [](Analysis& an) { an.t.vars.nvar = an.t.dims.nv; }},
        {"data columns", [](Analysis& an) { an.d.ncols = an.t.vars.nvar; }},
        {"matrix columns", [](Analysis& an) { an.d.maxatt = an.t.natt; }},
    };
    for (const Case& c : cases) {
        Analysis an;
        c.fill(an);
        const files::ControlTables before = an.t;
        HeldReferences refs;
        TermList a;
        a.add_term({2});
        const MadeAttribute m = make_added(an.c, an.pair_of(a), "+01", false, refs, an.writer);
        EXPECT_FALSE(m.made) << c.what;
        EXPECT_TRUE(an.logged("NOTE: no room for another added attribute")) << c.what;
        EXPECT_EQ(an.t.natt, before.natt) << c.what;
        EXPECT_EQ(an.t.nlines, before.nlines) << c.what;
        EXPECT_EQ(an.added.count, 0) << c.what;
    }
}

TEST(AddedAttributes, NewAttributeLabelsSignAndDefinition)
{
    Analysis an;
    HeldReferences refs;
    TermList a;
    a.add_term({2, -3});
    a.add_term({5});
    const partition::Partition p = an.pair_of(a);
    const MadeAttribute m = make_added(an.c, p, "+a_1", false, refs, an.writer);
    ASSERT_TRUE(m.made);
    const files::Attribute& at = an.t.att[8];
    EXPECT_EQ(at.attlab[0], std::string("= 0") + std::string(17, ' '));
    EXPECT_EQ(at.attlab[1], std::string("= 1") + std::string(17, ' '));
    EXPECT_EQ(at.savedlab[0].substr(0, 4), "^=1 ");
    EXPECT_EQ(at.savedlab[1].substr(0, 4), "=$1 ");
    EXPECT_EQ(at.attname, "+a_1$$$$");
    EXPECT_EQ(at.signbyte, 1);
    EXPECT_TRUE(at.added);
    EXPECT_EQ(an.t.line[8].var, 7);
    EXPECT_EQ(an.t.vars.varname[7], "+a_1");
    EXPECT_EQ(an.added.slot_of(8), 1);
    EXPECT_EQ(an.added.a_set[1].lits, p.first.lits);
    EXPECT_EQ(an.added.aminus_set[1].lits, p.second.lits);
}

TEST(AddedAttributes, Names)
{
    const std::pair<std::string, std::string> cases[] = {
        {iteration_name(1, 1), "+a_1"},    {iteration_name(1, 9), "+a_9"},  {iteration_name(1, 10), "+a10"},
        {iteration_name(26, 2), "+z_2"},   {iteration_name(27, 3), "+A_3"}, {iteration_name(52, 12), "+Z12"},
        {iteration_name(1, 100), "+a100"}, {process_name(1), "+01"},        {process_name(99), "+99"},
        {process_name(100), "+100"},
    };
    for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
}

TEST(AddedAttributes, TextFitsOnlyWhatParttextWritesWhole)
{
    // One term of 4-digit literals: literal i starts at column 2 + 5i, so 39 of
    // them start before column 195; written negated each takes 6 columns, so 33.
    for (const auto& [n, form, fits] :
         {std::tuple{39, 1, true}, std::tuple{40, 1, false}, std::tuple{33, 0, true}, std::tuple{34, 0, false}}) {
        TermList l;
        l.add_term(std::vector<int>(z(n), 1000));
        EXPECT_EQ(partition::text_fits(l, form), fits) << n << " " << form;
        bool aminus = false;
        const std::string text = partition::parttext(l, form, aminus);
        EXPECT_EQ(text.find(')') != std::string::npos, fits) << n << " " << form;
    }
}

// A second iteration whose newest item is an added attribute: its candidates
// are not plain, so they go through their pairs, some skipped as fitting the
// extent. Made and scored on the workers (the merge making again only what
// the lists may take), with or without the pattern counts, they give what one
// thread gives making every pair at the merge.
TEST(AddedAttributes, ASecondIterationOnWorkersGivesWhatOneThreadGives)
{
    Analysis an(60, 400, 23);
    HeldReferences refs;
    TermList a;
    a.add_term({2, 3});
    a.add_term({-5});
    const MadeAttribute m = make_added(an.c, an.pair_of(a), iteration_name(1, 1), false, refs, an.writer);
    ASSERT_TRUE(m.made);
    std::mt19937 rng(5);
    std::vector<float> y(z(an.d.n));
    for (int i = 1; i <= an.d.n; ++i) y[z(i - 1)] = rng() % 10 < (an.d.ab(m.attribute, i) ? 7u : 3u) ? 1.0f : 0.0f;
    const std::vector<std::uint8_t> mask(z(an.d.n), 1);
    const std::vector<int> weights(z(an.d.n), 1);
    const std::vector<std::int8_t> sign(z(an.t.dims.lc) + 1, 1);
    EvaluationData d;
    d.abyte = stats::AttributeMatrix(an.d.abyte, an.d.lc, an.d.n);
    d.y[0] = y;
    d.ymax[0] = 1.0;
    d.mask = mask;
    d.weights = weights;
    d.signbyte = sign;
    stats::CritSettings crit;
    crit.icrit = static_cast<int>(stats::Criterion::ChiSquare);
    EvaluationSettings es;
    es.search_stage = true;
    LoopSettings s;
    s.tables = &an.t;
    s.lines = {2, 3, 4, 5, 6, 7, m.line};
    s.pair.added = &an.added;
    s.pair.reduce.tables = &an.t;
    s.iterative = s.pair.iterative = true;
    s.iteration = s.pair.iteration = 2;
    s.parallel_from = 0;
    s.data = &d;
    s.crit = &crit;
    for (const std::vector<int>& bounds : {std::vector<int>{2, 2}, std::vector<int>{3, 3}}) {
        s.extent.upto = true;
        stats::set_extent(s.extent, bounds);
        s.pair.upto = bounds;
        std::vector<SearchResults> results;
        std::vector<long long> tallied;
        for (const auto& [threads, patterns] : {std::pair{1, -1}, {3, -1}, {3, 1}, {1, 1}}) {
            s.threads = threads;
            s.patterns = patterns;
            Evaluator ev(d, crit, es);
            SearchResults res;
            partition::SkipTally skips;
            stats::ExtentBox box;
            partition::SubsizeMemory memory;
            NoHost host;
            const LoopResult r = run_search_loop(s, ev, res, skips, box, memory, an.writer, host);
            tallied.push_back(0);
            for (const LoopResult::Vector& v : r.per_vector) tallied.back() += v.tallied;
            results.push_back(res);
        }
        for (std::size_t k = 1; k < results.size(); ++k) {
            SCOPED_TRACE("bounds " + std::to_string(bounds[0]) + " run " + std::to_string(k));
            EXPECT_EQ(tallied[k], tallied[0]);
            EXPECT_EQ(results[k].evaluated, results[0].evaluated);
            EXPECT_EQ(results[k].splithist, results[0].splithist);
            EXPECT_EQ(results[k].cplxhist, results[0].cplxhist);
            ASSERT_EQ(results[k].bestlist.count(), results[0].bestlist.count());
            for (int e = 0; e < results[0].bestlist.count(); ++e) {
                EXPECT_EQ(results[k].bestlist.entries()[z(e)].value, results[0].bestlist.entries()[z(e)].value);
                EXPECT_EQ(results[k].bestlist.entries()[z(e)].list.lits,
                          results[0].bestlist.entries()[z(e)].list.lits);
            }
            EXPECT_TRUE(
                std::equal(results[k].saved_g().begin(), results[k].saved_g().end(), results[0].saved_g().begin()));
        }
        EXPECT_GT(results[0].evaluated, 100);
        EXPECT_GT(tallied[0], 0); // without the newest item, or skipped
    }
}

// Candidates holding added attributes (their definitions chained one on
// another) keyed by their shape with their definitions' attributes and the
// definitions written in: the shape cache gives what mkpair gives, skips
// (also as fitting the extent) and their reasons included, with the label
// rules or without and each complexity measure.
TEST(AddedAttributes, TheShapeCacheGivesWhatMkpairGivesWithAddedAttributes)
{
    Analysis an;
    std::mt19937 rng(29);
    HeldReferences refs;
    std::vector<int> made;
    for (int k = 1; k <= 3; ++k) {
        const MadeAttribute m = make_added(an.c, an.pair_of(random_list(rng, an.t.natt, k > 1)), iteration_name(1, k),
                                           false, refs, an.writer);
        ASSERT_TRUE(m.made);
        made.push_back(m.attribute);
    }
    const std::vector<int> upto{2, 2};
    for (int variant = 0; variant < 6; ++variant) {
        partition::PairSettings ps;
        ps.measure = 1 + variant % 3;
        ps.full_reduction = variant >= 3;
        ps.reduce.tables = &an.t;
        ps.added = &an.added;
        ps.iterative = true;
        ps.iteration = 2;
        ps.upto = upto;
        ShapeCache cache(ps, &an.t);
        io::LogWriter log;
        log.set_trace_sink([](std::string_view) {});
        for (int t = 0; t < 2000; ++t) {
            TermList cand;
            for (int j = 1 + static_cast<int>(rng() % 2); j > 0; --j) {
                std::vector<partition::Literal> term;
                for (int k = 1 + static_cast<int>(rng() % 3); k > 0; --k) {
                    const int a = rng() % 3 ? 2 + static_cast<int>(rng() % 6) : made[rng() % made.size()];
                    term.push_back(rng() % 3 ? a : -a);
                }
                cand.add_term(term);
            }
            const int rep = static_cast<int>(rng() % 2);
            // What making the pair leaves: skipped, the reasons, and else the
            // complexity, the candidate as reduced and the pair's lists.
            const auto made = [&](auto&& make) {
                TermList c = cand, comp;
                partition::Partition pair;
                partition::SkipTally tally;
                const partition::PairResult r = make(c, comp, pair, tally);
                std::vector<std::vector<int>> out{{r.skip}, {tally.count.begin(), tally.count.end()}};
                if (!r.skip)
                    out.insert(out.end(), {{r.complexity, r.cut_expansions},
                                           c.lits,
                                           c.lp,
                                           pair.first.lits,
                                           pair.first.lp,
                                           pair.second.lits,
                                           pair.second.lp});
                return out;
            };
            EXPECT_EQ(made([&](TermList& c, TermList& comp, partition::Partition& pair, partition::SkipTally& tally) {
                          return cache.make(c, comp, rep, pair, tally, log);
                      }),
                      made([&](TermList& c, TermList& comp, partition::Partition& pair, partition::SkipTally& tally) {
                          return partition::mkpair(c, comp, rep, pair, ps, tally, log);
                      }));
        }
        EXPECT_GT(cache.hits(), 300) << variant;
    }
}

} // namespace
} // namespace meru::search
