// Reduction and transposition must keep the meaning of a list: for random small
// sums of terms over attributes of an interval and a nominal variable, the set of
// observations described is compared before and after, on one observation for
// every piece into which the cut values divide the values and for every code.
#include "partition/candidate.h"
#include "partition/complement.h"
#include "partition/reduce.h"
#include "partition/transpose.h"
#include "platform/io/logwriter.h"
#include "support/list_meaning.h"
#include "support/recording_services.h"
#include "tables_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>
#include <sstream>

namespace meru::partition::test {
namespace {

struct Obs {
    double x;
    char c;
};

struct Case {
    Tables tab;
    std::vector<int> attrs;
    std::vector<Obs> obs;
};

Case random_case(std::mt19937& rng)
{
    Case k;
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const int xline1 = k.tab.add_line(1, 'i');
    const int xline2 = k.tab.add_line(1, 'o');
    const bool with_universe = pick(2) == 0;
    const int cline1 = k.tab.add_line(2, 'n', with_universe ? "ABCD" : "");
    const int cline2 = k.tab.add_line(2, 'n', with_universe ? "ABCD" : "");
    const int nx = 1 + pick(4), nc = pick(3);
    for (int i = 0; i < nx; ++i) {
        const int line = pick(2) ? xline1 : xline2;
        const double v = 1 + pick(4), w = 1 + pick(4);
        switch (pick(5)) {
        case 0: k.attrs.push_back(k.tab.gt(line, v)); break;
        case 1: k.attrs.push_back(k.tab.le(line, v)); break;
        case 2: k.attrs.push_back(k.tab.range(line, v, w)); break;
        case 3: k.attrs.push_back(k.tab.eq(line, v)); break;
        default: k.attrs.push_back(k.tab.range(line, w, v)); break;
        }
    }
    for (int i = 0; i < nc; ++i) {
        std::string codes;
        for (char c : std::string("ABCD"))
            if (pick(2)) codes += c;
        if (codes.empty() || codes.size() == 4) codes = "B";
        const int line = pick(2) ? cline1 : cline2;
        k.attrs.push_back(pick(4) == 0 ? k.tab.named(line, codes, "grp" + codes) : k.tab.codes(line, codes));
    }
    for (int a : k.attrs)
        if (pick(4) == 0) k.tab.reverse(a);
    // Observations: every cut value, a value between each two, one below and one above;
    // every code, for each value.
    std::set<double> cuts;
    for (int a : k.attrs) {
        const Def& d = k.tab.def[static_cast<size_t>(a)];
        if (d.op == Op::Codes) continue;
        cuts.insert(d.c1);
        if (d.c2 < files::kNoSecondCut) cuts.insert(d.c2);
    }
    std::vector<double> xs;
    double prev = 0;
    bool first = true;
    for (double c : cuts) {
        xs.push_back(first ? c - 1 : (prev + c) / 2);
        xs.push_back(c);
        prev = c;
        first = false;
    }
    xs.push_back(first ? 0 : prev + 1);
    // Without a universe every code is admissible: E stands for the codes no cut names.
    const std::string all_codes = with_universe ? "ABCD" : "ABCDE";
    for (double x : xs)
        for (char c : all_codes) k.obs.push_back({x, c});
    return k;
}

TermList random_list(std::mt19937& rng, const std::vector<int>& attrs)
{
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    TermList l;
    const int q = 1 + pick(5);
    for (int t = 0; t < q; ++t) {
        std::vector<Literal> term;
        const int n = 1 + pick(4);
        for (int i = 0; i < n; ++i) {
            Literal a = pick(25) == 0 ? 1 : attrs[static_cast<size_t>(pick(static_cast<int>(attrs.size())))];
            term.push_back(pick(2) ? a : -a);
        }
        l.add_term(term);
    }
    return l;
}

// The set a list stands for, and the product of its terms read as clauses, as a
// truth value per observation.
std::vector<bool> meaning(const TermList& l, int sense, const Case& k)
{
    return meru::test::list_meaning(l, sense, static_cast<int>(k.obs.size()), [&](Literal x, int o) {
        return k.tab.holds(x, k.obs[static_cast<size_t>(o)].x, k.obs[static_cast<size_t>(o)].c);
    });
}

std::vector<bool> product_meaning(const TermList& l, int sign, const Case& k)
{
    return meru::test::product_meaning(l, sign, static_cast<int>(k.obs.size()), [&](Literal x, int o) {
        return k.tab.holds(x, k.obs[static_cast<size_t>(o)].x, k.obs[static_cast<size_t>(o)].c);
    });
}

std::string show(const TermList& l)
{
    std::ostringstream s;
    for (std::span<const Literal> t : l.terms()) {
        s << "(";
        for (size_t i = 0; i < t.size(); ++i) s << (i ? " " : "") << t[i];
        s << ")";
    }
    return s.str();
}

std::string describe(const Case& k)
{
    std::ostringstream s;
    for (int a : k.attrs) {
        const files::Attribute& at = k.tab.t.att[static_cast<size_t>(a)];
        s << " " << a << "[line " << at.attline << " '" << at.savedlab[1] << "' / '" << at.savedlab[0] << "' sign "
          << int(at.signbyte) << "]";
    }
    return s.str();
}

TEST(ReduceTransProperty, MeaningIsKeptOnEveryObservation)
{
    std::mt19937 rng(20261207);
    io::LogWriter log;
    log.set_trace_sink([](std::string_view) {});
    meru::test::RecordingServices sv;
    int reduced_changed = 0, nonconverged = 0, trans_done = 0;
    const int kCases = 10000;
    for (int n = 0; n < kCases; ++n) {
        Case k = random_case(rng);
        const TermList input = random_list(rng, k.attrs);
        const int sense = static_cast<int>(rng() % 2);
        ReduceOptions opt;
        opt.tables = &k.tab.t;
        opt.label_rules = rng() % 4 != 0;
        opt.primitive = rng() % 8 == 0;
        opt.services = &sv;

        TermList r = input;
        const TermStatus st = reduce(r, sense, opt);
        if (st == status::kNoConvergence) ++nonconverged;
        if (st != status::kUnchanged) ++reduced_changed;
        ASSERT_TRUE(r.consistent());
        ASSERT_EQ(meaning(input, sense, k), meaning(r, sense, k))
            << "reduce, sense " << sense << " labels " << opt.label_rules << " primitive " << opt.primitive << ": "
            << show(input) << " -> " << show(r) << "\n  attributes:" << describe(k);

        // The list read as clauses, multiplied out: a list of the other form whose
        // meaning is the product of the clauses over the same literals.
        SkipTally tally;
        TermList out;
        const TermStatus ts = trans(input, sense, out, opt, tally, log);
        ASSERT_TRUE(out.consistent());
        ASSERT_TRUE(out.within_limits());
        if (ts == status::kLimit) continue;
        ++trans_done;
        const int outsense = 1 - sense;
        ASSERT_EQ(product_meaning(input, outsense == kPlain ? 1 : -1, k), meaning(out, outsense, k))
            << "trans, sense " << sense << " labels " << opt.label_rules << ": " << show(input) << " -> " << show(out)
            << " status " << static_cast<int>(ts) << "\n  attributes:" << describe(k);
    }
    EXPECT_EQ(nonconverged, 0);
    EXPECT_GT(reduced_changed, kCases / 3); // the reduction does real work on these lists
    EXPECT_GT(trans_done, kCases * 9 / 10);
}

// Search candidates over these cuts that also use added attributes (the second
// defined with the first): the pair must mean the candidate with every definition
// substituted, and its exact complement, with or without the label rules.
TEST(ReduceTransProperty, CandidatePairsWithAddedAttributesKeepTheirMeaning)
{
    std::mt19937 rng(20261208);
    io::LogWriter log;
    log.set_trace_sink([](std::string_view) {});
    meru::test::RecordingServices sv;
    int made = 0;
    const int kCases = 2000;
    for (int n = 0; n < kCases; ++n) {
        Case k = random_case(rng);
        AddedAttributes added;
        std::vector<std::pair<int, TermList>> defs;
        std::function<bool(Literal, int)> holds = [&](Literal x, int o) {
            for (const auto& [att, def] : defs)
                if (att == attribute_of(x)) {
                    const bool v = meru::test::list_holds(def, kPlain, o, holds);
                    return x > 0 ? v : !v;
                }
            return k.tab.holds(x, k.obs[static_cast<size_t>(o)].x, k.obs[static_cast<size_t>(o)].c);
        };
        auto mean = [&](const TermList& l, int sense) {
            return meru::test::list_meaning(l, sense, static_cast<int>(k.obs.size()), holds);
        };
        ReduceOptions opt;
        opt.tables = &k.tab.t;
        opt.label_rules = true;
        opt.services = &sv;
        SkipTally tally;
        std::vector<int> attrs = k.attrs;
        for (int slot = 1; slot <= 2; ++slot) {
            const TermList a = random_list(rng, attrs);
            TermList aminus;
            ASSERT_NE(complement(a, kPlain, aminus, opt, tally, log), status::kLimit);
            const int att = k.tab.add(k.tab.add_line(10 + slot, 'n'), "=$1", "^=1", {Op::Codes, 0, 0, "1"});
            added.slotmap.resize(static_cast<size_t>(att) + 1, 0);
            added.slotmap[static_cast<size_t>(att)] = slot;
            addstore(aminus, a, slot, added.aminus_set, added.a_set);
            defs.push_back({att, a});
            attrs.push_back(att);
        }
        PairSettings s;
        s.added = &added;
        s.reduce = opt;
        s.reduce.primitive = rng() % 8 == 0;
        s.full_reduction = rng() % 4 != 0;
        const TermList cand = random_list(rng, attrs);
        const int repflag = static_cast<int>(rng() % 2);
        TermList work = cand, comp;
        Partition cur;
        if (mkpair(work, comp, repflag, cur, s, tally, log).skip) continue;
        ++made;
        const int sense = repflag == 1 ? kPlain : kFlipped;
        ASSERT_EQ(mean(cur.first, sense), mean(cand, sense)) << "repflag " << repflag << ": " << show(cand) << " -> "
                                                             << show(cur.first) << "\n  attributes:" << describe(k);
        ASSERT_EQ(mean(cur.second, 1 - sense), meru::test::negation(mean(cand, sense)))
            << "repflag " << repflag << ": " << show(cand) << " -> " << show(cur.second)
            << "\n  attributes:" << describe(k);
    }
    EXPECT_GT(made, kCases * 9 / 10);
}

} // namespace
} // namespace meru::partition::test
