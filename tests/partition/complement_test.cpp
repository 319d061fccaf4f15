// The complement and the expansion of added attributes, checked by their meaning
// on every observation pattern: A and its complement must be exact complements,
// and an expanded list must mean what the list means with each added attribute's
// definition substituted.
#include "partition/complement.h"
#include "partition/expand.h"
#include "partition/termops.h"

#include "captured_log.h"
#include "support/list_meaning.h"
#include "support/recording_services.h"
#include "tables_fixture.h"

#include <gtest/gtest.h>

#include <random>

namespace meru::partition::test {
namespace {

using meru::test::list_meaning;
using meru::test::negation;
using meru::test::Patterns;

constexpr int kPrimaries = 5; // attributes 2..6

bool holds_primary(Literal l, int o)
{
    const int a = attribute_of(l);
    const bool v = a == 1 ? false : Patterns::primary(a, o);
    return l > 0 ? v : !v;
}

std::vector<bool> meaning(const TermList& l, int sense)
{
    return list_meaning(l, sense, 1 << kPrimaries, holds_primary);
}

TermList random_list(std::mt19937& rng, const std::vector<int>& attrs, int maxq = 4, int maxlen = 3)
{
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    TermList l;
    const int q = 1 + pick(maxq);
    for (int t = 0; t < q; ++t) {
        std::vector<Literal> term;
        const int n = 1 + pick(maxlen);
        for (int i = 0; i < n; ++i) {
            const Literal a = attrs[static_cast<size_t>(pick(static_cast<int>(attrs.size())))];
            term.push_back(pick(2) ? a : -a);
        }
        l.add_term(term);
    }
    return l;
}

struct Engine {
    CapturedLog cap;
    meru::test::RecordingServices sv;
    SkipTally tally;
    ReduceOptions opt;
    Engine() { opt.services = &sv; }
    TermStatus comp(const TermList& in, int sense, TermList& out)
    {
        return complement(in, sense, out, opt, tally, cap.log);
    }
};

TEST(Complement, SmallCases)
{
    Engine e;
    TermList out;
    EXPECT_EQ(e.comp(list({{-4}}), kPlain, out), status::kOk);
    EXPECT_TRUE(pequal(1, out, 1, list({{-4}})));
    EXPECT_EQ(e.comp(TermList{}, kPlain, out), status::kNoInput);
    EXPECT_TRUE(pequal(1, out, 1, list({{1}})));
    e.comp(list({{2, 3, 4}}), kPlain, out);
    EXPECT_TRUE(pequal(1, out, 1, list({{2}, {3}, {4}})));
    e.comp(list({{2}, {3}}), kPlain, out);
    EXPECT_TRUE(pequal(1, out, 1, list({{2, 3}})));
    // (2 3)(4): A- = (-2 -4)(-3 -4), held flipped as (2 4)(3 4).
    e.comp(list({{2, 3}, {4}}), kPlain, out);
    EXPECT_TRUE(pequal(1, out, 1, list({{2, 4}, {3, 4}})));
    TermList back;
    e.comp(out, kFlipped, back);
    EXPECT_TRUE(pequal(1, back, 1, list({{2, 3}, {4}})));
}

TEST(Complement, DoesNotStopOnTheWholeSet)
{
    // A = (1 4)(3) with the null attribute 1 is just 3; its dual's first factor is
    // the whole set, which must not end the product: A- = 3', held flipped as (3).
    Engine e;
    TermList out;
    const TermStatus st = e.comp(list({{1, 4}, {3}}), kPlain, out);
    EXPECT_NE(st, status::kLimit);
    EXPECT_TRUE(pequal(1, out, 1, list({{3}})));
    // The empty set of the result's form does end it: A = (-1)(...) is the whole set,
    // so A- is empty whatever follows.
    e.comp(list({{-1}, {2, 3}}), kPlain, out);
    EXPECT_EQ(meaning(out, kFlipped), std::vector<bool>(32, false));
}

TEST(Complement, ExactComplementOnEveryPattern)
{
    std::mt19937 rng(7);
    std::vector<int> attrs = {1, 2, 3, 4, 5, 6};
    Engine e;
    for (int n = 0; n < 3000; ++n) {
        const TermList in = random_list(rng, attrs);
        const int sense = static_cast<int>(rng() % 2);
        e.opt.primitive = rng() % 4 == 0;
        TermList out, back;
        const TermStatus st = e.comp(in, sense, out);
        ASSERT_NE(st, status::kLimit);
        ASSERT_NE(st, status::kNoConvergence);
        ASSERT_TRUE(out.consistent());
        ASSERT_EQ(meaning(out, 1 - sense), negation(meaning(in, sense))) << n;
        // The complement of the complement means the input again (without the
        // reduction, a product may grow past the term limit: that is reported).
        if (e.comp(out, 1 - sense, back) == status::kLimit) {
            ASSERT_TRUE(e.opt.primitive) << n;
            continue;
        }
        ASSERT_EQ(meaning(back, sense), meaning(in, sense)) << n;
    }
}

TEST(Complement, WithLabelRulesOverIntervalCuts)
{
    // Cuts of one variable x at 1, 2, 3 in both directions; with the label rules the
    // reduction merges them by their values, and the result must still be exact.
    Tables tab;
    const int line = tab.add_line(1, 'i');
    std::vector<int> attrs = {tab.gt(line, 1), tab.gt(line, 2), tab.le(line, 3), tab.range(line, 1, 3)};
    const int nom = tab.add_line(2, 'n', "ABC");
    attrs.push_back(tab.codes(nom, "A"));
    attrs.push_back(tab.codes(nom, "AB"));
    std::vector<std::pair<double, char>> obs;
    for (double x : {0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5})
        for (char c : std::string("ABC")) obs.push_back({x, c});
    auto holds = [&](Literal l, int o) {
        return tab.holds(l, obs[static_cast<size_t>(o)].first, obs[static_cast<size_t>(o)].second);
    };
    const int nobs = static_cast<int>(obs.size());
    std::mt19937 rng(11);
    Engine e;
    e.opt.tables = &tab.t;
    e.opt.label_rules = true;
    for (int n = 0; n < 2000; ++n) {
        const TermList in = random_list(rng, attrs);
        const int sense = static_cast<int>(rng() % 2);
        TermList out;
        const TermStatus st = e.comp(in, sense, out);
        ASSERT_NE(st, status::kLimit);
        ASSERT_EQ(list_meaning(out, 1 - sense, nobs, holds), negation(list_meaning(in, sense, nobs, holds))) << n;
    }
}

// ---- added attributes ----

struct Added {
    AddedAttributes tab;
    // Attribute number -> its A definition (plain) for the evaluation.
    std::vector<std::pair<int, TermList>> defs;

    void add(int attribute, int slot, const TermList& a, const TermList& aminus_flipped)
    {
        if (tab.slotmap.size() <= static_cast<size_t>(attribute))
            tab.slotmap.resize(static_cast<size_t>(attribute) + 1);
        tab.slotmap[static_cast<size_t>(attribute)] = slot;
        addstore(aminus_flipped, a, slot, tab.aminus_set, tab.a_set);
        defs.push_back({attribute, a});
        tab.count = std::max(tab.count, slot);
    }
    bool holds(Literal l, int o) const
    {
        const int a = attribute_of(l);
        for (const auto& [att, def] : defs)
            if (att == a) {
                const bool v =
                    meru::test::list_holds(def, kPlain, o, [&](Literal x, int ob) { return holds(x, ob); });
                return l > 0 ? v : !v;
            }
        return holds_primary(l, o);
    }
    std::vector<bool> meaning(const TermList& l, int sense) const
    {
        return list_meaning(l, sense, 1 << kPrimaries, [&](Literal x, int o) { return holds(x, o); });
    }
    TermStatus run(const TermList& in, int sense, TermList& out, Engine& e) const
    {
        return expand(in, tab.positive_set(sense), tab.negative_set(sense), tab.slotmap, out, sense, e.opt, e.tally);
    }
};

TEST(Expand, WithoutAddedAttributesOnlyReduces)
{
    Engine e;
    Added ad;
    TermList out;
    EXPECT_EQ(ad.run(list({{3}}), kPlain, out, e), status::kUnchanged);
    EXPECT_EQ(ad.run(list({{3}, {3, 4}}), kPlain, out, e), status::kOk);
    EXPECT_TRUE(pequal(1, out, 1, list({{3}})));
}

TEST(Expand, SubstitutesEachSideOfTheDefinition)
{
    Engine e;
    e.opt.primitive = true; // keep the expanded terms as they are built
    Added ad;
    // Attribute 10 in slot 1: A = (2 3)(4), A- = (-2 -4)(-3 -4) held flipped.
    ad.add(10, 1, list({{2, 3}, {4}}), list({{2, 4}, {3, 4}}));
    TermList out;
    ad.run(list({{10, 5}}), kPlain, out, e);
    EXPECT_TRUE(pequal(1, out, 1, list({{5, 2, 3}, {5, 4}})));
    ad.run(list({{-10, 5}}), kPlain, out, e);
    EXPECT_TRUE(pequal(1, out, 1, list({{5, -2, -4}, {5, -3, -4}})));
}

TEST(Expand, EmptyAndSelfDefinitions)
{
    Engine e;
    Added ad;
    ad.add(10, 1, TermList{}, list({{-1}}));   // a definition with no terms
    ad.add(11, 2, list({{11}}), list({{11}})); // its own literal
    TermList out;
    ad.run(list({{10, 2}, {3}}), kPlain, out, e);
    EXPECT_TRUE(pequal(1, out, 1, list({{3}})));
    EXPECT_EQ(ad.run(list({{11, 2}}), kPlain, out, e), status::kUnchanged);
    EXPECT_TRUE(pequal(1, out, 1, list({{11, 2}})));
}

TEST(Expand, ThreeAddedAttributesInOneTerm)
{
    Engine e;
    Added ad;
    ad.add(10, 1, list({{2}, {3}}), list({{2, 3}}));
    ad.add(11, 2, list({{4, 5}}), list({{4}, {5}}));
    ad.add(12, 3, list({{6}}), list({{6}}));
    TermList out;
    EXPECT_EQ(ad.run(list({{10, 11, -12}}), kPlain, out, e), status::kUnchanged);
    EXPECT_TRUE(pequal(1, out, 1, list({{4, 5, -6, 2}, {4, 5, -6, 3}})));
    EXPECT_TRUE(e.sv.calls.empty());
}

TEST(Expand, PassLimit)
{
    // A chain: attribute 20 + k is defined as attribute 21 + k, the last as 2.
    auto chain = [](int depth, Added& ad) {
        for (int k = 0; k < depth; ++k) {
            const Literal next = k + 1 < depth ? 21 + k : 2;
            ad.add(20 + k, k + 1, list({{next}}), list({{next}}));
        }
    };
    {
        Engine e;
        Added ad;
        chain(21, ad);
        TermList out;
        EXPECT_NE(ad.run(list({{20}}), kPlain, out, e), status::kPassLimit);
        EXPECT_TRUE(pequal(1, out, 1, list({{2}})));
        EXPECT_TRUE(e.sv.calls.empty());
    }
    {
        Engine e;
        Added ad;
        chain(23, ad);
        TermList out;
        // The caller shows the message; the expansion itself shows nothing.
        EXPECT_EQ(ad.run(list({{20}}), kPlain, out, e), status::kPassLimit);
        EXPECT_FALSE(failed(status::kPassLimit));
        EXPECT_TRUE(e.sv.calls.empty());
        EXPECT_TRUE(pequal(1, out, 1, list({{42}}))); // 22 passes: 20 -> ... -> 42
    }
}

TEST(Expand, LimitsEndWithStatusOne)
{
    Engine e;
    Added ad;
    // 99 terms of two literals into a term of 103 literals: 99 x 104 > 10000 literals.
    TermList def;
    for (int t = 0; t < 99; ++t) def.add_term({200 + t, 400 + t});
    ad.add(10, 1, def, list({{-1}}));
    std::vector<Literal> big = {10};
    for (int a = 2; a < 104; ++a) big.push_back(1000 + a);
    TermList in;
    in.add_term(big);
    TermList out;
    EXPECT_EQ(ad.run(in, kPlain, out, e), status::kLimit);
    EXPECT_TRUE(out.within_limits());
    EXPECT_TRUE(out.consistent());
    // 2 terms plus a definition of 99 terms: 101 terms.
    TermList two = list({{10, 2}, {3}, {4}});
    EXPECT_EQ(ad.run(two, kPlain, out, e), status::kLimit);
    EXPECT_TRUE(out.within_limits());
}

TEST(Expand, MeansTheSubstitutedListOnEveryPattern)
{
    std::mt19937 rng(3);
    Engine e;
    for (int n = 0; n < 1500; ++n) {
        Added ad;
        // Two added attributes over the primaries; the second may use the first.
        const TermList a10 = random_list(rng, {2, 3, 4, 5, 6});
        TermList c10;
        ASSERT_NE(e.comp(a10, kPlain, c10), status::kLimit);
        ad.add(10, 1, a10, c10);
        const TermList a11 = random_list(rng, {2, 3, 10, 6});
        TermList c11;
        ASSERT_NE(e.comp(a11, kPlain, c11), status::kLimit);
        ad.add(11, 2, a11, c11);

        const TermList in = random_list(rng, {2, 3, 4, 10, 11}, 3, 3);
        const int sense = static_cast<int>(rng() % 2);
        e.opt.primitive = rng() % 4 == 0;
        TermList out;
        const TermStatus st = ad.run(in, sense, out, e);
        if (st == status::kLimit) continue;
        ASSERT_EQ(ad.meaning(out, sense), ad.meaning(in, sense)) << n;
        for (Literal l : out.lits) ASSERT_LT(attribute_of(l), 10) << n;
    }
}

} // namespace
} // namespace meru::partition::test
