// Combinatorics, candidate enumeration and search sizes: nextcomb against a brute-force listing
// for every size-vector shape over small n, the closed-form counts, and the
// sub-search sizes with their log lines.
#include "partition/combinations.h"
#include "partition/combinatorics.h"
#include "partition/search_size.h"

#include "captured_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace meru::partition::test {
namespace {

using Combo = std::vector<int>;

std::vector<Combo> all_subsets(int n, int k)
{
    std::vector<Combo> out;
    Combo c;
    std::function<void(int)> rec = [&](int from) {
        if (static_cast<int>(c.size()) == k) {
            out.push_back(c);
            return;
        }
        for (int i = from; i <= n; ++i) {
            c.push_back(i);
            rec(i + 1);
            c.pop_back();
        }
    };
    rec(1);
    return out;
}

bool is_subset(const Combo& u, const Combo& s)
{
    if (u.empty()) return true;
    return std::includes(s.begin(), s.end(), u.begin(), u.end());
}

// Every candidate the rules allow, in lexicographic order of the terms' ranks.
std::vector<Combo> brute_force(int n, const std::vector<int>& p)
{
    const int q = static_cast<int>(p.size());
    bool allequal = std::all_of(p.begin(), p.end(), [&](int v) { return v == p[0]; });
    std::vector<std::vector<Combo>> subsets;
    for (int s : p) subsets.push_back(all_subsets(n, s));
    std::vector<Combo> out;
    std::vector<size_t> rank(static_cast<size_t>(q));
    std::function<void(int)> rec = [&](int t) {
        if (t == q) {
            Combo all;
            for (int u = 0; u < q; ++u) {
                const Combo& c = subsets[static_cast<size_t>(u)][rank[static_cast<size_t>(u)]];
                all.insert(all.end(), c.begin(), c.end());
            }
            out.push_back(all);
            return;
        }
        const size_t ut = static_cast<size_t>(t);
        const bool same = t > 0 && p[ut] == p[ut - 1];
        for (size_t r = same ? rank[ut - 1] + 1 : 0; r < subsets[ut].size(); ++r) {
            rank[ut] = r;
            bool ok = true;
            if (!allequal)
                for (int s = 0; s < t && ok; ++s)
                    ok = !is_subset(subsets[ut][r], subsets[static_cast<size_t>(s)][rank[static_cast<size_t>(s)]]);
            if (ok) rec(t + 1);
        }
    };
    rec(0);
    return out;
}

std::vector<Combo> listing(int n, const std::vector<int>& p, int limit = 1000000)
{
    std::vector<Combo> out;
    Combinations c;
    c.start(n, p);
    while (static_cast<int>(out.size()) < limit && c.nextcomb()) out.emplace_back(c.index().begin(), c.index().end());
    return out;
}

// Every non-increasing vector of 1..4 sizes from 1..n.
std::vector<std::vector<int>> shapes(int n, int largest = 0)
{
    std::vector<std::vector<int>> out;
    std::vector<int> v;
    std::function<void(int)> rec = [&](int maxsize) {
        if (!v.empty()) out.push_back(v);
        if (v.size() == 4) return;
        for (int s = 1; s <= maxsize; ++s) {
            v.push_back(s);
            rec(s);
            v.pop_back();
        }
    };
    rec(largest > 0 ? largest : n);
    return out;
}

TEST(Binom, ValuesAndOverflow)
{
    EXPECT_EQ(binom(5, 0), 1);
    EXPECT_EQ(binom(6, 2), 15);
    EXPECT_EQ(binom(4, 5), 0);
    EXPECT_EQ(binom(2000, 3), 1331334000);         // 2000*1999*1998/6
    EXPECT_EQ(binom(161700, 3), 704645612108900);  // C(C(100,3),3)
    EXPECT_FALSE(binom(67, 33).has_value());       // 14226520737620288370 needs 64 unsigned bits
    EXPECT_EQ(binom(66, 33), 7219428434016265740); // the largest central coefficient in 63 bits
}

TEST(Unrank, FourChooseTwoInRankOrder)
{
    const std::vector<Combo> want = {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};
    for (int r = 1; r <= 6; ++r) {
        Combo c(2);
        unrank(4, 2, r, c);
        EXPECT_EQ(c, want[static_cast<size_t>(r - 1)]) << r;
    }
    // Every rank of every subset size agrees with the lexicographic listing.
    for (int n = 1; n <= 9; ++n)
        for (int k = 1; k <= n; ++k) {
            std::vector<Combo> all = all_subsets(n, k);
            for (size_t r = 0; r < all.size(); ++r) {
                Combo c(static_cast<size_t>(k));
                unrank(n, k, static_cast<Count>(r + 1), c);
                ASSERT_EQ(c, all[r]) << n << " " << k << " " << r + 1;
            }
        }
}

TEST(Nextcomb, WorkedExamples)
{
    std::vector<Combo> two_two = listing(4, {2, 2});
    ASSERT_EQ(two_two.size(), 15u);
    EXPECT_EQ(two_two.front(), (Combo{1, 2, 1, 3}));
    EXPECT_EQ(two_two.back(), (Combo{2, 4, 3, 4}));

    std::vector<Combo> two_one = listing(4, {2, 1});
    ASSERT_EQ(two_one.size(), 12u);
    for (const Combo& c : two_one) EXPECT_TRUE(c[2] != c[0] && c[2] != c[1]);

    EXPECT_TRUE(listing(4, {1, 2}).empty()); // increasing sizes
    EXPECT_TRUE(listing(4, {5}).empty());    // a size above n
    EXPECT_EQ(listing(5, {3}), all_subsets(5, 3));
}

TEST(Nextcomb, SameAsBruteForceForEveryShape)
{
    // Sizes above n (more items per term than the attribute set holds) give no
    // candidate and a count of 0.
    int checked = 0;
    for (int n = 1; n <= 6; ++n)
        for (const std::vector<int>& p : shapes(n, n + 2)) {
            const std::vector<Combo> want = brute_force(n, p);
            ASSERT_EQ(listing(n, p), want) << "n=" << n << " sizes " << ::testing::PrintToString(p);
            const SizeCount sc = sizemult(n, p);
            EXPECT_FALSE(sc.too_large);
            if (sc.exact)
                EXPECT_EQ(sc.size, static_cast<Count>(want.size()))
                    << "n=" << n << " sizes " << ::testing::PrintToString(p);
            else EXPECT_GE(sc.size, static_cast<Count>(want.size()));
            ++checked;
        }
    EXPECT_GT(checked, 200);
}

// A jump of k lands 1..k candidates further on in the walk's order; a copy of
// the walk goes on from where it was copied; ranks tell candidates apart and
// grow in the walk's order.
TEST(Nextcomb, JumpsAndCopiesStayOnTheWalk)
{
    for (int n = 1; n <= 6; ++n)
        for (const std::vector<int>& p : shapes(n)) {
            const std::vector<Combo> want = brute_force(n, p);
            for (Count k : {Count{1}, Count{2}, Count{3}, Count{7}}) {
                SCOPED_TRACE("n=" + std::to_string(n) + " k=" + std::to_string(k) + " sizes " +
                             ::testing::PrintToString(p));
                Combinations c;
                c.start(n, p);
                std::size_t at = 0, landed = 0;
                std::vector<Count> last_rank;
                for (bool more = c.nextcomb(); more; more = c.jump(k)) {
                    const Combo now(c.index().begin(), c.index().end());
                    const auto found = std::find(want.begin() + static_cast<std::ptrdiff_t>(at), want.end(), now);
                    ASSERT_NE(found, want.end());
                    const auto pos = static_cast<std::size_t>(found - want.begin());
                    if (!last_rank.empty()) {
                        EXPECT_GE(pos, at + 1);
                        EXPECT_LE(pos, at + static_cast<std::size_t>(k));
                    }
                    const std::vector<Count> rank(c.rank().begin(), c.rank().end());
                    EXPECT_TRUE(last_rank.empty() || last_rank < rank);
                    last_rank = rank;
                    at = pos;
                    ++landed;
                    if (k < 7 || n > 5) continue;
                    Combinations copy = c;
                    std::vector<Combo> rest{now};
                    while (copy.nextcomb()) rest.emplace_back(copy.index().begin(), copy.index().end());
                    ASSERT_TRUE(std::equal(rest.begin(), rest.end(), want.begin() + static_cast<std::ptrdiff_t>(pos),
                                           want.end()));
                }
                if (k == 1) {
                    EXPECT_EQ(landed, want.size());
                }
            }
        }
}

TEST(Nextcomb, StartBeginsAgainAndTheEndStays)
{
    Combinations c;
    c.start(5, std::vector<int>{2});
    ASSERT_TRUE(c.nextcomb());
    ASSERT_TRUE(c.nextcomb());
    EXPECT_EQ(Combo(c.index().begin(), c.index().end()), (Combo{1, 3}));
    c.start(5, std::vector<int>{3, 1});
    ASSERT_TRUE(c.nextcomb());
    EXPECT_EQ(Combo(c.index().begin(), c.index().end()), (Combo{1, 2, 3, 4}));
    // Exhausted once, exhausted until the next start.
    c.start(2, std::vector<int>{2});
    EXPECT_TRUE(c.nextcomb());
    EXPECT_FALSE(c.nextcomb());
    EXPECT_FALSE(c.nextcomb());
    Combinations never;
    EXPECT_FALSE(never.nextcomb());
}

TEST(Nextcomb, LargeItemCountsKeepTheirRanks)
{
    // n = 2000: C(2000, 3) = 1331334000 ranks per term, beyond 32-bit products.
    Combinations c;
    const std::vector<int> p = {3, 3, 3};
    c.start(2000, p);
    ASSERT_TRUE(c.nextcomb());
    EXPECT_EQ(Combo(c.index().begin(), c.index().end()), (Combo{1, 2, 3, 1, 2, 4, 1, 2, 5}));
    EXPECT_EQ(std::vector<Count>(c.maxrank().begin(), c.maxrank().end()),
              (std::vector<Count>{1331333998, 1331333999, 1331334000}));
    ASSERT_TRUE(c.nextcomb());
    EXPECT_EQ(Combo(c.index().begin(), c.index().end()), (Combo{1, 2, 3, 1, 2, 4, 1, 2, 6}));
    Combo last(3);
    unrank(2000, 3, 1331334000, last);
    EXPECT_EQ(last, (Combo{1998, 1999, 2000}));
    unrank(2000, 3, 1331333999, last);
    EXPECT_EQ(last, (Combo{1997, 1999, 2000}));
    // Positions beyond the index capacity end the enumeration at once.
    c.start(20000, std::vector<int>{10001});
    EXPECT_FALSE(c.nextcomb());
}

TEST(Sizemult, ClosedFormsAndLargeCounts)
{
    EXPECT_EQ(sizemult(4, std::vector<int>{2, 2}).size, 15);
    EXPECT_EQ(sizemult(4, std::vector<int>{2, 1}).size, 12);
    EXPECT_FALSE(sizemult(6, std::vector<int>{2, 1, 1, 1}).exact);
    // n = 100, extent 3 3 3: C(C(100,3),3), far beyond 32 bits.
    const SizeCount big = sizemult(100, std::vector<int>{3, 3, 3});
    EXPECT_TRUE(big.exact);
    EXPECT_FALSE(big.too_large);
    EXPECT_EQ(big.size, 704645612108900);
    // n = 100, (3, 2, 1): X over a multiplicity of 1.
    const SizeCount mixed = sizemult(100, std::vector<int>{3, 2, 1});
    EXPECT_FALSE(mixed.too_large);
    EXPECT_GT(mixed.size, Count(161700) * 4950 * 90);
    // A count beyond 64 bits is reported, not wrapped.
    const SizeCount huge = sizemult(2000, std::vector<int>{3, 3, 3});
    EXPECT_TRUE(huge.too_large);
}

TEST(Sizemult, ThreeUnequalSizesAreExactUpToTheLastCountThatFits)
{
    // Counted independently: for (3, 3, 1), each unordered pair of 3-subsets
    // sharing k items leaves n - 6 + k singletons outside both; for (3, 2, 1), a
    // pair that is not a subset shares 0 or 1 items and leaves n - 5 or n - 4.
    // n = 900, (3, 3, 1): the intermediate X is beyond 64 bits, the count is not.
    const SizeCount a = sizemult(900, std::vector<int>{3, 3, 1});
    EXPECT_FALSE(a.too_large);
    EXPECT_TRUE(a.exact);
    EXPECT_EQ(a.size, 6554913307941398400);
    // n = 2000, (3, 2, 1): beyond 2^53, so a pass through double loses the last digits.
    EXPECT_EQ(sizemult(2000, std::vector<int>{3, 2, 1}).size, 5309366656658004000);
    // n = 950, (3, 3, 1) = 9577235426678440950: beyond 64 bits.
    EXPECT_TRUE(sizemult(950, std::vector<int>{3, 3, 1}).too_large);
}
TEST(MeanSubsetProduct, ClosedFormEqualsEnumeration)
{
    const std::vector<double> c = {2, 3, 1, 5, 4, 2, 7};
    for (int L = 0; L <= 7; ++L) {
        double sum = 0;
        std::vector<Combo> subs = all_subsets(7, L);
        for (const Combo& s : subs) {
            double prod = 1;
            for (int i : s) prod *= c[static_cast<size_t>(i - 1)];
            sum += prod;
        }
        const double want = L == 0 ? 1.0 : sum / static_cast<double>(subs.size());
        EXPECT_NEAR(mean_subset_product(c, L), want, 1e-9 * want) << L;
    }
    EXPECT_EQ(mean_subset_product(c, 8), 0.0);
}

TEST(MeanSubsetProduct, IsBoundedForTwoHundredLines)
{
    std::vector<double> c(200);
    for (size_t i = 0; i < c.size(); ++i) c[i] = 1 + static_cast<double>(i % 5);
    const double e = mean_subset_product(c, 10);
    // Cut counts 1..5 in equal shares: the mean product lies between 1 and 5^10.
    EXPECT_GT(e, 1.0);
    EXPECT_LT(e, 9765625.0);
}

struct SubsizeFixture : ::testing::Test {
    files::ControlTables t;
    std::vector<int> lines;
    SubsizeMemory mem;
    CapturedLog cap;

    void set_lines(const std::vector<std::pair<int, bool>>& cuts)
    {
        t.line.assign(cuts.size() + 1, files::AttrLine{});
        lines.clear();
        for (size_t k = 0; k < cuts.size(); ++k) {
            t.line[k + 1].ncuts = cuts[k].first;
            t.line[k + 1].firstattr = cuts[k].second;
            lines.push_back(static_cast<int>(k + 1));
        }
    }
    SubsizeResult run(SubsizeInput in) { return subsize(in, t, mem, cap.log); }
};

TEST_F(SubsizeFixture, WithoutCutsBothRepresentationsDouble)
{
    set_lines({{3, true}, {3, true}});
    SubsizeInput in;
    in.count = {15, true, false};
    in.lines = lines;
    in.literals = 4;
    in.detailed = true;
    SubsizeResult r = run(in);
    EXPECT_EQ(r.size_times_factor, 30);
    EXPECT_EQ(r.class_size, 30);
    EXPECT_EQ(r.e, 1.0);
    EXPECT_TRUE(r.equal_cuts);
    EXPECT_EQ(cap.lines, std::vector<std::string>{" Class size is       15 x2 partitions"});
}

TEST_F(SubsizeFixture, EqualCutsMultiplyByCutsToThePowerL)
{
    set_lines({{3, true}, {3, true}, {3, true}, {3, true}});
    SubsizeInput in;
    in.count = {6, true, false};
    in.over_cuts = true;
    in.lines = lines;
    in.literals = 2;
    in.one_representation = true;
    in.detailed = true;
    SubsizeResult r = run(in);
    EXPECT_TRUE(r.equal_cuts);
    EXPECT_EQ(r.e, 9.0);
    EXPECT_EQ(r.class_size, 54);
    EXPECT_EQ(r.size_times_factor, 6);
    EXPECT_EQ(cap.lines, (std::vector<std::string>{" Class size is        6    partitions",
                                                   " Equal # of cuts: Each subsearch is size    9",
                                                   " Class size over all cuts is exactly            54"}));
}

TEST_F(SubsizeFixture, UnequalCutsTakeTheMeanProduct)
{
    // Cuts 1, 2, 4 with L = 2: products 2, 4, 8, mean 14/3.
    set_lines({{1, true}, {2, true}, {4, true}});
    SubsizeInput in;
    in.count = {3, true, false};
    in.over_cuts = true;
    in.lines = lines;
    in.literals = 2;
    in.detailed = true;
    SubsizeResult r = run(in);
    EXPECT_FALSE(r.equal_cuts);
    EXPECT_NEAR(r.e, 14.0 / 3.0, 1e-12);
    EXPECT_EQ(r.class_size, 28); // 2 x 14/3 x 3
    EXPECT_EQ(cap.lines[1], " Unequal # of cuts: E(subsearch size)=   4.67");
    EXPECT_EQ(cap.lines[2], " Class size over all cuts estimated as         28");
}

TEST_F(SubsizeFixture, NoLineCountedGivesOne)
{
    set_lines({{3, false}, {5, false}});
    SubsizeInput in;
    in.count = {1, true, false};
    in.over_cuts = true;
    in.lines = lines;
    in.literals = 2;
    SubsizeResult r = run(in);
    EXPECT_FALSE(r.equal_cuts);
    EXPECT_EQ(r.e, 1.0);
    EXPECT_EQ(r.class_size, 2);
}

TEST_F(SubsizeFixture, MoreLiteralsThanLinesIsAGuess)
{
    set_lines({{2, true}, {8, true}});
    SubsizeInput in;
    in.count = {4, false, false};
    in.over_cuts = true;
    in.lines = lines;
    in.literals = 4;
    in.detailed = true;
    SubsizeResult r = run(in);
    EXPECT_EQ(r.e, 256.0); // (2 x 8)^(4/2)
    EXPECT_EQ(cap.lines[0], " Class size is <=     4 x2 partitions");
    EXPECT_EQ(cap.lines[1], " Subsearch size is guesstimate! May be bad approx");
    EXPECT_EQ(cap.lines[3], " Upper bound on class size over cuts is        2048");
}

TEST_F(SubsizeFixture, LaterIterationsExcludeWhatTheFirstCovered)
{
    set_lines({{2, true}});
    SubsizeInput in;
    in.iterative = true;
    in.vector_number = 2;
    in.count = {10, true, false};
    in.lines = lines;
    in.literals = 1;
    in.detailed = true;
    run(in);
    in.iteration = 2;
    in.count = {14, true, false};
    cap.lines.clear();
    SubsizeResult r = run(in);
    EXPECT_EQ(r.excluded, 20);
    EXPECT_EQ(r.class_size, 8);
    EXPECT_EQ(cap.lines[1], " Anticipate excluding   10 x2 already covered: No added attribute");
}

TEST_F(SubsizeFixture, LargeCountsArePrintedWhole)
{
    set_lines({{3, true}});
    SubsizeInput in;
    in.count = sizemult(100, std::vector<int>{3, 3, 3});
    in.lines = lines;
    in.literals = 9;
    in.detailed = true;
    SubsizeResult r = run(in);
    EXPECT_EQ(r.size_times_factor, 1409291224217800);
    EXPECT_EQ(cap.lines[0], " Class size is    704645612108900 x2 partitions"); // whole, after a blank
}

TEST_F(SubsizeFixture, TwoHundredLinesTenLiteralsInMilliseconds)
{
    std::vector<std::pair<int, bool>> cuts;
    for (int k = 0; k < 200; ++k) cuts.push_back({1 + k % 4, true});
    set_lines(cuts);
    SubsizeInput in;
    in.count = {1000, true, false};
    in.over_cuts = true;
    in.lines = lines;
    in.literals = 10;
    SubsizeResult r = run(in);
    EXPECT_FALSE(r.equal_cuts);
    EXPECT_GT(r.e, 1.0);
}

} // namespace
} // namespace meru::partition::test
