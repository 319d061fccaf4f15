// Scoring candidates: each criterion's G on a small data set (chi-square and
// log-rank checked against scipy and R's survival package), balancing, Y weights,
// the Y range, the split histogram band, the ranking's p-value and direction, and
// the record step that feeds the results.
#include "search/evaluate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

using meru::partition::Partition;
using meru::partition::SkipTally;
using meru::partition::TermList;
using meru::search::Candidate;
using meru::search::EvaluationData;
using meru::search::EvaluationSettings;
using meru::search::Evaluator;
using meru::search::RecordHooks;
using meru::search::Score;
using meru::search::SearchResults;
using meru::stats::CritSettings;

namespace {

// Twelve observations. Attribute 2 is A (the first five), attribute 3 the censoring
// byte (1: censored), attribute 4 splits the sample in halves.
// Y1: binary class; Y2: survival time; Y3: continuous; Y4: binary; Y5: binary.
struct Sample {
    int n = 12, lc = 4;
    std::vector<std::uint8_t> abyte;
    std::vector<std::vector<float>> y;
    std::vector<std::uint8_t> mask = std::vector<std::uint8_t>(12, 1);
    std::vector<int> w = std::vector<int>(12, 1);
    std::vector<std::int8_t> sign = std::vector<std::int8_t>(5, 1);

    Sample()
    {
        const int a[12] = {1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
        const int cens[12] = {0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0};
        for (int i = 0; i < n; ++i) {
            abyte.insert(abyte.end(), {0, static_cast<std::uint8_t>(a[i]), static_cast<std::uint8_t>(cens[i]),
                                       static_cast<std::uint8_t>(i < 6 ? 1 : 0)});
        }
        y = {{1, 1, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0},
             {5, 8, 3, 12, 7, 10, 15, 7, 20, 9, 11, 14},
             {1, 2, 3, 4, 5, 2, 4, 6, 8, 10, 12, 14},
             {0, 1, 0, 1, 0, 1, 1, 1, 0, 0, 1, 0},
             {1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0}};
    }

    EvaluationData data(int ny = 1) const
    {
        EvaluationData d;
        d.abyte = meru::stats::AttributeMatrix(abyte, lc, n);
        for (int k = 0; k < 5; ++k) {
            d.y[static_cast<std::size_t>(k)] = y[static_cast<std::size_t>(k)];
            d.ymax[static_cast<std::size_t>(k)] = k == 1 ? 20.0 : (k == 2 ? 14.0 : 1.0);
        }
        d.ny = ny;
        d.mask = mask;
        d.weights = w;
        d.signbyte = sign;
        return d;
    }
};

// The pair of a single attribute: A plain, A- flipped.
struct Single {
    Partition pair;
    TermList packed;
    explicit Single(int attribute, int repflag = 1)
    {
        pair.first.add_term({attribute});
        pair.second.add_term({attribute});
        pair.repflag = repflag;
        packed.add_term({attribute});
    }
    Candidate candidate(int complexity = 1) const { return {pair, packed, complexity}; }
};

CritSettings criterion(int icrit)
{
    CritSettings c;
    c.icrit = icrit;
    c.subgroup_mse = icrit == 2;
    return c;
}

Score score_of(const Sample& s, const CritSettings& crit, const EvaluationSettings& set, int attribute = 2,
               int ny = 5)
{
    Evaluator e(s.data(ny), crit, set);
    return e.score(Single(attribute).candidate());
}

EvaluationSettings serial(int y)
{
    EvaluationSettings e;
    e.serial_y = y;
    return e;
}

} // namespace

TEST(Evaluation, ChiSquareAndLogRankMatchReferenceValues)
{
    const Sample s;
    // Y1 by A: A = (Y0 1, Y1 4), A- = (Y0 6, Y1 1).
    // scipy.stats.chi2_contingency([[1, 4], [6, 1]], correction=False):
    //   chi2 = 5.182040816326531, p = 0.02282150367148815
    const Score chi = score_of(s, criterion(5), serial(1));
    EXPECT_NEAR(chi.g, 5.18204082, 1e-5);
    EXPECT_NEAR(chi.p, 0.0228215037, 1e-7);
    EXPECT_EQ(chi.c0, 7); // membership 0: A-
    EXPECT_EQ(chi.c1, 5);

    // Y2 as survival time, attribute 3 marking the censored observations.
    // R: survdiff(Surv(t, status) ~ a) with status = 1 - cens gives
    //   chisq = 3.00718206377, p = 1 - pchisq(chisq, 1) = 0.0828962877522.
    Sample surv;
    EvaluationData d = surv.data();
    d.censoring.in_force = true;
    d.censoring.attribute = 3;
    d.censoring.side = 2;
    d.y[0] = surv.y[1];
    Evaluator e(d, criterion(7), serial(1));
    meru::io::LogWriter log;
    e.sort_times(log);
    const Score lr = e.score(Single(2).candidate());
    EXPECT_NEAR(lr.g, 3.00718206, 1e-5);
    EXPECT_NEAR(lr.p, 0.0828962878, 1e-6);
    EXPECT_EQ(lr.c0, 7);
    EXPECT_EQ(lr.c1, 5);

    // Evaluators of one request: the first leaves its order of the times, the
    // next takes it over (times unchanged) and scores alike; other times are
    // sorted anew.
    std::shared_ptr<const meru::stats::LogRankOrder> kept;
    d.kept_order = &kept;
    for (int k = 0; k < 2; ++k) {
        Evaluator again(d, criterion(7), serial(1));
        again.sort_times(log);
        const Score same = again.score(Single(2).candidate());
        EXPECT_EQ(same.g, lr.g);
        EXPECT_EQ(same.p, lr.p);
        ASSERT_TRUE(kept && kept->valid);
        EXPECT_EQ(kept->obs.size(), 12u);
    }
    std::vector<float> later = surv.y[1];
    later[0] = 21; // observation 1, in A, now outlives every other
    d.y[0] = later;
    Evaluator other(d, criterion(7), serial(1));
    other.sort_times(log);
    other.score(Single(2).candidate());
    EXPECT_EQ(kept->obs.back(), 0);
}

TEST(Evaluation, BalancingAndYWeights)
{
    const Sample s;
    // Attribute 4 halves the sample: ((6/12)(6/12))^0.5 = 0.5.
    CritSettings c = criterion(5);
    const float plain = score_of(s, c, serial(1), 4).g;
    c.balanced = true;
    c.gamma = 0.5;
    EXPECT_FLOAT_EQ(score_of(s, c, serial(1), 4).g, 0.5f * plain);

    // Three Ys in parallel: the chi-squares add up, weighted by yweight only while
    // inverse variance weighting is on.
    CritSettings three = criterion(5);
    three.yweight = {0.5, 0.25, 0.25, 1.0, 1.0};
    EvaluationData d = s.data(3);
    d.y[1] = s.y[3]; // three binary Ys: Y1, Y4 and Y5 of the sample
    d.y[2] = s.y[4];
    d.ymax[1] = d.ymax[2] = 1.0;
    float each[3];
    for (int k = 1; k <= 3; ++k) each[k - 1] = Evaluator(d, three, serial(k)).score(Single(2).candidate()).g;
    EXPECT_GT(each[1], 0.0f);
    EXPECT_GT(each[2], 0.0f);
    EvaluationSettings parallel = serial(0);
    EXPECT_FLOAT_EQ(Evaluator(d, three, parallel).score(Single(2).candidate()).g, each[0] + each[1] + each[2]);
    three.inverse_variance = true;
    const Score weighted = Evaluator(d, three, parallel).score(Single(2).candidate());
    EXPECT_FLOAT_EQ(weighted.g, 0.5f * each[0] + 0.25f * each[1] + 0.25f * each[2]);
    EXPECT_FLOAT_EQ(weighted.gk[1], 0.25f * each[1]);
}

TEST(Evaluation, MeanSquareCriteria)
{
    const Sample s;
    // Y3: A holds 1..5 (mean 3), A- holds 2, 4, ..., 14 (mean 8). Between-sides sum of
    // squares (5 * 7 / 12) * 25 = 72.9166..., G = 72.9166 / 12 = 6.0763888...
    const Score within = score_of(s, criterion(1), serial(3));
    EXPECT_NEAR(within.g, 6.0763888, 1e-5);
    EXPECT_EQ(within.c0, 5); // side 1: where the first list (A) holds
    // One term per side: the subgroup criterion equals the within criterion.
    EXPECT_FLOAT_EQ(score_of(s, criterion(2), serial(3)).g, within.g);

    // Equal side means give 0.
    Sample equal;
    equal.y[2] = {1, 2, 3, 4, 5, 3, 3, 3, 3, 3, 3, 3};
    EXPECT_EQ(score_of(equal, criterion(1), serial(3)).g, 0.0f);

    // Ranking F test with two observations (N - 2 = 0): p is 1, not undefined.
    Sample two = s;
    two.mask.assign(12, 0);
    two.mask[0] = two.mask[5] = 1;
    EvaluationSettings rank = serial(3);
    rank.rank_stage = true;
    const Score r2 = score_of(two, criterion(1), rank);
    EXPECT_EQ(r2.n, 2);
    EXPECT_EQ(r2.p, 1.0);
    EXPECT_NEAR(r2.g, 0.25, 1e-7); // Y 1 and 2: SS_T 0.5, N 2
    // With the whole sample the F test gives a proper p-value.
    const Score r12 = score_of(s, criterion(1), rank);
    EXPECT_GT(r12.p, 0.0);
    EXPECT_LT(r12.p, 0.05);
}

TEST(Evaluation, EmptySidesScoreZeroAndNullPartitionsAreCountedPerY)
{
    Sample s;
    s.mask.assign(12, 0);
    EvaluationData d = s.data(2);
    d.y[1] = s.y[2];
    const Score none = Evaluator(d, criterion(1), serial(0)).score(Single(2).candidate());
    EXPECT_EQ(none.g, 0.0f);
    EXPECT_EQ(none.null_partitions, 2);
    SearchResults results;
    SkipTally skips;
    EvaluationSettings search = serial(0);
    search.search_stage = true;
    meru::search::record(Single(2).candidate(0), none, search, results, skips);
    EXPECT_EQ(skips.count[meru::partition::kSkipNullPartition], 2);
    // Complexity 0 is counted and its G saved, but it enters no best-at-each-complexity slot.
    EXPECT_EQ(results.evaluated, 1);
    EXPECT_EQ(results.searchg_count, 1);
    EXPECT_EQ(results.cplxhist[0], 1);
    EXPECT_EQ(results.bestlist.count(), 0);
    EXPECT_EQ(results.top10.count(), 1);
}

TEST(Evaluation, SplitHistogramBand)
{
    const Sample s;
    // A weighs 5 of 12. Criterion 1 bands A's weight: int(5 / 0.13) + 1 = 39;
    // criterion 5 bands A-'s weight: int(7 / 0.13) + 1 = 54.
    EXPECT_EQ(score_of(s, criterion(1), serial(1)).band, 39);
    EXPECT_EQ(score_of(s, criterion(5), serial(1)).band, 54);
    EXPECT_EQ(meru::search::split_band(0, 0), 1);
    EXPECT_EQ(meru::search::split_band(100, 100), 100);
    EXPECT_EQ(meru::search::split_band(5, 1000000000), 1);
    EXPECT_EQ(meru::search::split_band(3, -5), 1); // negative weights: no band beyond the first
    // Told by one multiplication: the same band as the float divisions for every
    // side weight of every sample size the scale covers, whole shares included.
    const std::vector<double> scale = meru::search::split_band_scale(4096);
    EXPECT_EQ(meru::search::split_band(5, 12, scale), 39);
    EXPECT_EQ(meru::search::split_band(1, 99, scale), 2);    // share exactly 1
    EXPECT_EQ(meru::search::split_band(50, 99, scale), 51);  // exactly 50
    EXPECT_EQ(meru::search::split_band(20, 5000, scale), 1); // beyond the scale
    long long differ = 0;
    for (std::int64_t n = 0; n < 4096; ++n)
        for (std::int64_t c0 = -1; c0 <= n + 1; ++c0)
            differ += meru::search::split_band(c0, n, scale) != meru::search::split_band(c0, n);
    EXPECT_EQ(differ, 0);
    // The search of serial Y 3 keeps its own split (A 5 of 12); Process mode adds nothing.
    EXPECT_EQ(score_of(s, criterion(1), serial(3), 2, 3).band, 39);
    EvaluationSettings process = serial(1);
    process.process_mode = true;
    EXPECT_EQ(score_of(s, criterion(1), process).band, 0);
}

TEST(Evaluation, RankingDirectionAndHandOff)
{
    // Log-rank: A (membership 1) has two censored times 5 and 8, A- three events at
    // 2, 4 and 6. A's event count is raised to 0.5: rates 0.5/13 and 3/12, so
    // r = (1/4 - 1/26) / (1/4 + 1/26) = 22/30.
    Sample s;
    s.n = 5;
    s.abyte = {0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    s.y[1] = {5, 8, 2, 4, 6};
    s.mask.assign(5, 1);
    s.w.assign(5, 1);
    EvaluationData d = s.data();
    d.y[0] = s.y[1];
    d.ymax[0] = 8;
    d.censoring.in_force = true;
    d.censoring.attribute = 3;
    d.censoring.side = 2;
    EvaluationSettings rank = serial(1);
    rank.rank_stage = true;
    rank.fixpos = true;
    rank.rank_plot = true;
    rank.lc = 54;
    Evaluator e(d, criterion(7), rank);
    const Single single(2);
    const Score sc = e.score(single.candidate());
    EXPECT_NEAR(sc.rdir, 22.0 / 30.0, 1e-12);
    EXPECT_EQ(sc.pmin, sc.p);
    // R: survdiff(Surv(t, status) ~ a) gives chisq 2.64864864864865, p 0.103637964013962.
    EXPECT_NEAR(sc.g, 2.64864865, 1e-6);
    EXPECT_NEAR(sc.p, 0.103637964, 1e-7);
    // The same with every literal's summary worked out beforehand on threads.
    Evaluator ahead(d, criterion(7), rank);
    const std::vector<meru::partition::Literal> literals{3, 2, -4, 2};
    ahead.rank_literals(literals, [](std::size_t n, const std::function<void(std::size_t)>& f) {
        std::vector<std::thread> threads;
        for (std::size_t k = 0; k < n; ++k) threads.emplace_back(f, k);
        for (auto& t : threads) t.join();
    });
    const Score early = ahead.score(single.candidate());
    EXPECT_EQ(early.g, sc.g);
    EXPECT_EQ(early.p, sc.p);
    EXPECT_EQ(early.rdir, sc.rdir);

    SearchResults results;
    results.topg.start_ranking();
    SkipTally skips;
    std::string progress;
    int handed = 0;
    double handed_r = 0;
    const RecordHooks hooks{[&](std::string_view t) { progress = t; },
                            [&](int l, double r) {
                                handed = l;
                                handed_r = r;
                            }};
    EXPECT_EQ(meru::search::record(single.candidate(), sc, rank, results, skips, hooks), '=');
    EXPECT_EQ(progress, "... ranking attributes   3.7% done");
    EXPECT_EQ(handed, 2);
    EXPECT_EQ(handed_r, sc.rdir);
    ASSERT_EQ(results.topg.count(), 1);
    EXPECT_EQ(results.topg.entries()[0].value, sc.g);
    EXPECT_EQ(results.topg.entries()[0].p, static_cast<float>(sc.pmin));
    EXPECT_EQ(results.bestlist.count(), 0); // the ranking fills TopG, not the best list

    // A point-biserial direction for the other criteria: Y1 is higher in A.
    const Sample full;
    EvaluationSettings rank5 = rank;
    Evaluator e5(full.data(), criterion(5), rank5);
    EXPECT_GT(e5.score(Single(2).candidate()).rdir, 0.0);
}

TEST(Evaluation, RankingDirectionsOfWholeClassesAreTheCorrelationsBitForBit)
{
    // Three classes, weights 0..3, missing bytes and Ys: each literal's
    // direction, worked out ahead or on scoring, is partcor() over the
    // observations to the last bit, under either skip flag.
    std::mt19937 rng(7205);
    const int n = 3000, lc = 5;
    std::vector<std::uint8_t> abyte(static_cast<std::size_t>(n * lc));
    for (auto& b : abyte) b = rng() % 13 == 0 ? 255 : static_cast<std::uint8_t>(rng() % 2);
    std::vector<float> y(n);
    std::vector<std::uint8_t> mask(n);
    std::vector<int> w(n);
    for (std::size_t i = 0; i < y.size(); ++i) {
        y[i] = static_cast<float>(static_cast<int>(rng() % 4) - 1);
        mask[i] = rng() % 8 != 0;
        w[i] = static_cast<int>(rng() % 4);
    }
    const std::vector<std::int8_t> sign{1, 1, -1, 1, 1, 1};
    EvaluationData d;
    d.abyte = meru::stats::AttributeMatrix(abyte, lc, n);
    d.y[0] = y;
    d.ymax[0] = 2.0;
    d.mask = mask;
    d.weights = w;
    d.signbyte = sign;
    const std::vector<meru::partition::Literal> literals{1, 2, -3, 4, 5};
    for (const bool skip : {false, true}) {
        EvaluationSettings rank = serial(1);
        rank.rank_stage = rank.fixpos = true;
        rank.skipcomb = skip;
        Evaluator ahead(d, criterion(5), rank), later(d, criterion(5), rank);
        ahead.rank_literals(literals, {});
        for (const meru::partition::Literal l : literals) {
            meru::stats::CompiledList c;
            c.compile(Single(l).packed, meru::partition::kPlain, sign, lc);
            const double r = meru::stats::partcor({d.abyte, y, mask, w}, c, skip);
            EXPECT_EQ(ahead.score(Single(l).candidate()).rdir, r) << l;
            EXPECT_EQ(later.score(Single(l).candidate()).rdir, r) << l;
        }
    }
}

TEST(Evaluation, RecordStep)
{
    const Sample s;
    SearchResults results;
    SkipTally skips;
    EvaluationSettings search = serial(1);
    search.search_stage = true;
    Evaluator e(s.data(), criterion(5), search);
    const Single single(2);
    const Score sc = e.score(single.candidate(3));
    results.searchg_count = SearchResults::kSavedG;
    meru::search::record(single.candidate(3), sc, search, results, skips);
    EXPECT_EQ(results.searchg_count, SearchResults::kSavedG + 1); // counted, not stored
    EXPECT_EQ(results.saved_g().size(), static_cast<std::size_t>(SearchResults::kSavedG));
    EXPECT_EQ(results.splithist[54], 1);
    EXPECT_EQ(results.cplxhist[3], 1);
    EXPECT_EQ(results.last_n, 12);
    ASSERT_EQ(results.bestlist.count(), 1);
    EXPECT_EQ(results.bestlist.entries()[0].value, sc.g);
    EXPECT_EQ(results.bestlist.entries()[0].complexity, 3);
    // The plot mark: '>' for a packed candidate of more than 12 terms.
    Single wide(2);
    for (int t = 0; t < 12; ++t) wide.packed.add_term({2});
    EXPECT_EQ(meru::search::record(wide.candidate(3), sc, search, results, skips), '>');
    wide.packed.lp.pop_back();
    wide.packed.lits.pop_back();
    EXPECT_EQ(meru::search::record(wide.candidate(3), sc, search, results, skips), '=');
    // A single given partition is entered in no list.
    SearchResults single_results;
    search.combination = false;
    meru::search::record(single.candidate(3), sc, search, single_results, skips);
    EXPECT_EQ(single_results.bestlist.count(), 0);
    EXPECT_EQ(single_results.top10.count(), 0);
    EXPECT_EQ(single_results.evaluated, 1);
}

TEST(Evaluation, ParallelYsScoreAsTheSerialOnesAddUp)
{
    // Three Ys scored together (one membership evaluation per candidate) give each
    // Y's serial value, under every criterion; the ranking direction is the one
    // of largest magnitude over the Ys.
    const Sample s;
    EvaluationData d = s.data(3);
    d.y[0] = s.y[0];
    d.y[1] = s.y[3];
    d.y[2] = s.y[4];
    d.ymax = {1.0, 1.0, 1.0, 1.0, 1.0};
    EvaluationSettings parallel = serial(0);
    parallel.rank_stage = true;
    parallel.fixpos = true;
    for (int icrit = 1; icrit <= 8; ++icrit) {
        float sum = 0.0f;
        double rdir = 0.0;
        for (int k = 1; k <= 3; ++k) {
            EvaluationSettings one = parallel;
            one.serial_y = k;
            const Score sk = Evaluator(d, criterion(icrit), one).score(Single(2).candidate());
            sum += sk.g;
            if (std::fabs(sk.rdir) > std::fabs(rdir)) rdir = sk.rdir;
        }
        const Score all = Evaluator(d, criterion(icrit), parallel).score(Single(2).candidate());
        EXPECT_EQ(all.g, sum) << "criterion " << icrit;
        EXPECT_NEAR(all.rdir, rdir, 1e-12) << "criterion " << icrit;
    }
}

TEST(Evaluation, GBoundOfTwoByTwoTablesIsAtLeastTheirChiSquare)
{
    // Over random tables, many near independence or with an empty row or
    // column, and counts up to 2^27: the bound is never below G, and within a
    // millionth of it; sides_of() gives score_table()'s sides and band.
    const Sample s;
    EvaluationSettings es = serial(1);
    es.search_stage = true;
    Evaluator e(s.data(1), criterion(5), es);
    std::mt19937_64 rng(7);
    std::vector<meru::search::ClassOrderedSample::Cells> run; // every table, for run_bounds() below
    for (int k = 0; k < 20000; ++k) {
        meru::stats::CountTable t;
        const std::int64_t scale = std::int64_t{1} << (rng() % 28);
        for (int c = 0; c < 4; ++c)
            t.cells[static_cast<std::size_t>(c)] = static_cast<std::int64_t>(rng() % 8) * scale / 4;
        if (k % 3 == 0)
            t.cells[3] = t.cells[0] * t.cells[1] / std::max<std::int64_t>(1, t.cells[2]); // near independence
        if (k % 7 == 0) t.cells[static_cast<std::size_t>(rng() % 4)] = 0;
        t.w0 = t.cells[0] + t.cells[2];
        t.w1 = t.cells[1] + t.cells[3];
        run.push_back({t.cells[0], t.cells[1], t.cells[2], t.cells[3]});
        const Score full = e.score_table(t);
        const float bound = e.g_bound(t);
        const double n = static_cast<double>(t.w0 + t.w1);
        if (n >= 0x1p31) { // beyond the exact integers of the bound
            ASSERT_TRUE(std::isinf(bound));
            continue;
        }
        ASSERT_GE(bound, full.g) << k;
        ASSERT_LE(bound, full.g * (1 + 1e-6) + 1e-6 * (n + 1)) << k;
        // The test without a division holds only for limits at or above the
        // bound, and does hold a little above a bound well clear of zero.
        for (const float f : {bound, std::nextafter(bound, 0.0f), bound * 0.999999f, bound * 1.000001f})
            if (e.bound_at_most(t, f)) {
                ASSERT_LE(bound, f) << k;
            }
        if (full.g > 1e-3 * n) {
            ASSERT_TRUE(e.bound_at_most(t, bound * 1.00001f)) << k;
        }
        Score sides;
        sides.band = 77;
        sides.null_partitions = 1;
        e.sides_of(t, bound, sides);
        ASSERT_EQ(sides.c0, full.c0);
        ASSERT_EQ(sides.c1, full.c1);
        ASSERT_EQ(sides.n, full.n);
        ASSERT_EQ(sides.band, full.band);
        ASSERT_EQ(sides.null_partitions, 0);
    }
    // A run's bounds and bands are those of its tables one by one, also for a
    // negative cell (no bound) and an empty table, with the vector code of
    // every instruction level; the run of the tables whose cells are below
    // 2^26 takes the AVX2 code throughout.
    run.push_back({-3, 5, 2, 1});
    run.push_back({0, 0, 0, 0});
    run.push_back({0, 7, 0, 2});
    // Cells of every bit below 2^26, and below 2^30 (products no longer exact in double precision, totals
    // of 2^31 and more: no bound).
    for (const int bits : {26, 30})
        for (int k = 0; k < 2000; ++k) {
            meru::search::ClassOrderedSample::Cells c;
            for (auto& v : c) v = static_cast<std::int64_t>(rng() >> (64 - bits));
            run.push_back(c);
        }
    std::vector<meru::search::ClassOrderedSample::Cells> small;
    for (const auto& c : run)
        if (std::all_of(c.begin(), c.end(), [](std::int64_t v) { return v >= 0 && v < (std::int64_t{1} << 26); }))
            small.push_back(c);
    for (const auto* tables : {&run, &small})
        for (const auto level :
             {meru::search::ClassOrderedSample::Level::avx512, meru::search::ClassOrderedSample::Level::avx2,
              meru::search::ClassOrderedSample::Level::generic}) {
            std::vector<float> bound(tables->size());
            std::vector<int> band(tables->size());
            const meru::CpuLevelCap cap(level);
            const Evaluator at_level(s.data(1), criterion(5), es);
            at_level.run_bounds(*tables, bound, band);
            for (std::size_t i = 0; i < tables->size(); ++i) {
                meru::stats::CountTable t;
                std::copy((*tables)[i].begin(), (*tables)[i].end(), t.cells.begin());
                t.w0 = t.cells[0] + t.cells[2];
                t.w1 = t.cells[1] + t.cells[3];
                Score sides;
                e.sides_of(t, 0.0f, sides);
                ASSERT_EQ(bound[i], e.g_bound(t)) << i << " level " << static_cast<int>(level);
                ASSERT_EQ(band[i], sides.band) << i << " level " << static_cast<int>(level);
            }
        }
    // The table of the worked value above: [[1, 4], [6, 1]], X^2 = 5.18204...
    meru::stats::CountTable t;
    t.cells = {};
    t.cells[0] = 1, t.cells[1] = 6, t.cells[2] = 4, t.cells[3] = 1;
    t.w0 = 5, t.w1 = 7;
    EXPECT_NEAR(e.g_bound(t), 5.18204082, 1e-5);
    // Balanced or Y-weighted G: no bound.
    CritSettings balanced = criterion(5);
    balanced.balanced = true;
    balanced.gamma = 1.0;
    EXPECT_TRUE(std::isinf(Evaluator(s.data(1), balanced, es).g_bound(t)));
}
