// Every kernel family at every instruction level this processor has, against
// the family's plain reference (its generic level, itself held to the plain
// kernels of stats/membership_kernels.h by the other tests): the snapshot's list, term
// and run counts, the run bounds, the log-rank walk and the general sample's
// count tables and split sums, on random samples (missing bytes, weights of
// every width, masked units) and random lists of both senses, with and without
// the skip flag. MERU_SIMD and the cap below lower the level the same way; a
// snapshot takes the level in force when it is made.
#include "core/cpu_level.h"
#include "platform/io/logwriter.h"
#include "search/class_sample.h"
#include "search/evaluate.h"
#include "search/logrank_bits.h"
#include "stats/partition_sample.h"
#include "stats/sample_kernels.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace meru::search {
namespace {

struct Problem {
    int n, lc;
    std::vector<std::uint8_t> abyte;
    std::vector<float> y;
    std::vector<std::uint8_t> mask;
    std::vector<int> w;
    std::vector<std::int8_t> sign;
    stats::SampleView view() const { return {stats::AttributeMatrix(abyte, lc, n), y, mask, w}; }
};

// `ones`: every weight 1 and every unit in the mask with a Y of two classes
// (the snapshot then has run kernels); `two`: a Y of two classes, and weights
// of a few values (segments) or of many (weight bits).
Problem random_problem(std::mt19937& rng, bool ones, bool two = false)
{
    auto pick = [&](int k) { return static_cast<int>(rng() % static_cast<unsigned>(k)); };
    Problem p;
    p.n = std::vector<int>{1, 63, 130, 513, 700, 1100, 4200, 70000}[static_cast<std::size_t>(pick(8))];
    p.lc = 3 + pick(5);
    const bool missing = pick(2) == 0;
    for (int i = 0; i < p.n * p.lc; ++i)
        p.abyte.push_back(missing && pick(10) == 0 ? 255 : static_cast<std::uint8_t>(pick(2)));
    for (int i = 0; i < p.n; ++i) {
        p.y.push_back(ones || two ? static_cast<float>(pick(2))
                                  : (pick(12) == 0 ? -1.0f : static_cast<float>(pick(4))));
        p.mask.push_back(ones || pick(10) != 0);
        p.w.push_back(ones  ? 1
                      : two ? (p.n % 2 ? 1 + pick(6) : pick(1 << pick(20)))
                            : (pick(20) == 0 ? static_cast<int>(0x80000000u | rng() % 9) : pick(1 << pick(20))));
    }
    for (int a = 0; a <= p.lc; ++a) p.sign.push_back(static_cast<std::int8_t>(pick(3) - 1));
    return p;
}

partition::TermList random_list(std::mt19937& rng, int lc)
{
    partition::TermList list;
    for (int q = 1 + static_cast<int>(rng() % 3); q > 0; --q) {
        std::vector<int> term;
        for (int j = 1 + static_cast<int>(rng() % 3); j > 0; --j)
            term.push_back((rng() % 2 ? 1 : -1) * (1 + static_cast<int>(rng() % static_cast<unsigned>(lc - 1))));
        list.add_term(term);
    }
    return list;
}

class KernelLevels : public ::testing::TestWithParam<CpuLevel> {};

TEST_P(KernelLevels, EveryFamilyEqualsItsPlainReference)
{
    std::mt19937 rng(5301);
    io::LogWriter quiet;
    quiet.set_trace_sink([](std::string_view) {});
    for (int trial = 0; trial < 36; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const bool ones = trial % 3 == 0, two = trial % 3 == 1;
        const Problem p = random_problem(rng, ones, two);
        const stats::SampleView view = p.view();
        const int nclasses = ones || two ? 2 : 4;
        ClassOrderedSample plain_sample(view, nclasses, CpuLevel::generic);
        stats::PartitionSample plain_general(view, nclasses, stats::sample_kernels(CpuLevel::generic));
        const CpuLevelCap cap(GetParam());
        ClassOrderedSample sample(view, nclasses);
        stats::PartitionSample general(view, nclasses);
        // Term words of the whole units, as the direct path keeps them: the
        // accumulated terms before the last and a run of last terms (holds,
        // undetermined, missing), random bits.
        const std::size_t words = sample.unit_words();
        auto random_words = [&](std::size_t k) {
            std::vector<std::uint64_t> v(k);
            for (auto& x : v) x = (std::uint64_t{rng()} << 32 | rng()) & (std::uint64_t{rng()} << 32 | rng());
            return v;
        };
        const std::vector<std::uint64_t> before = random_words(3 * words);
        const TermWords acc{before.data(), before.data() + words, before.data() + 2 * words};
        std::vector<std::vector<std::uint64_t>> lasts;
        std::vector<const std::uint64_t*> last_at;
        for (int k = 0; k < 9; ++k) lasts.push_back(random_words(3 * words));
        for (const auto& l : lasts) last_at.push_back(l.data());
        for (int c = 0; c < 10; ++c) {
            const partition::TermList list = random_list(rng, p.lc);
            const int sense = static_cast<int>(rng() % 2);
            const bool skip = rng() % 2 == 0;
            stats::CountTable want, got;
            plain_sample.partab(list, sense, p.sign, skip, want);
            sample.partab(list, sense, p.sign, skip, got);
            ASSERT_EQ(got.cells, want.cells) << "list counts";
            partition::Partition pair;
            pair.first = list;
            pair.second = random_list(rng, p.lc);
            stats::SplitSlots slots;
            stats::SplitSums a;
            plain_general.partab(list, sense, p.sign, skip, want);
            a = plain_general.splittab(pair, p.sign, skip, c % 2 == 0, slots);
            general.partab(list, sense, p.sign, skip, got);
            ASSERT_EQ(got.cells, want.cells) << "general counts";
            const stats::SplitSums b = general.splittab(pair, p.sign, skip, c % 2 == 0, slots);
            ASSERT_EQ(std::vector<double>({a.ss1, a.ss2, a.s1, a.s2, a.sst}),
                      std::vector<double>({b.ss1, b.ss2, b.s1, b.s2, b.sst}))
                << "split sums";
            ASSERT_EQ(a.n1 + 2 * a.n2, b.n1 + 2 * b.n2);
            const TermWords last{lasts[0].data(), lasts[0].data() + words, lasts[0].data() + 2 * words};
            plain_sample.partab_terms(acc, last, skip, sense, want);
            sample.partab_terms(acc, last, skip, sense, got);
            ASSERT_EQ(got.cells, want.cells) << "term counts";
            if (nclasses != 2) continue;
            std::vector<ClassOrderedSample::Cells> run_want(lasts.size()), run_got(lasts.size());
            plain_sample.partab_run(acc, last_at, skip, sense, run_want);
            sample.partab_run(acc, last_at, skip, sense, run_got);
            ASSERT_EQ(run_got, run_want) << "run counts";
            // Lists no missing byte touches: the terms hold or fail, nothing else.
            std::vector<std::vector<std::uint64_t>> two(lasts);
            two.push_back(before);
            std::vector<const std::uint64_t*> two_at;
            for (auto& l : two) {
                std::fill(l.begin() + static_cast<std::ptrdiff_t>(words), l.end(), 0);
                two_at.push_back(l.data());
            }
            const TermWords acc2{two.back().data(), two.back().data() + words, two.back().data() + 2 * words};
            two_at.pop_back();
            plain_sample.partab_run(acc2, two_at, skip, sense, run_want);
            sample.partab_run(acc2, two_at, skip, sense, run_got, true);
            ASSERT_EQ(run_got, run_want) << "two-valued run counts";
        }
        if (ones) {
            // Bounds of the run tables and of tables with cells beyond 2^26.
            std::vector<ClassOrderedSample::Cells> cells(37);
            for (std::size_t i = 0; i < cells.size(); ++i)
                for (auto& v : cells[i]) v = static_cast<std::int64_t>(rng() >> (i < 20 || rng() % 2 ? 6 : 1));
            stats::CritSettings crit;
            crit.icrit = 5;
            EvaluationSettings es;
            es.search_stage = true;
            EvaluationData d;
            d.abyte = view.abyte;
            d.y[0] = p.y;
            d.ymax[0] = 1.0;
            d.mask = p.mask;
            d.weights = p.w;
            d.signbyte = p.sign;
            const Evaluator ev(d, crit, es);
            std::vector<float> bound(cells.size()), plain_bound(cells.size());
            std::vector<int> band(cells.size()), plain_band(cells.size());
            ev.run_bounds(cells, bound, band);
            const CpuLevelCap generic(CpuLevel::generic);
            Evaluator(d, crit, es).run_bounds(cells, plain_bound, plain_band);
            ASSERT_EQ(bound, plain_bound);
            ASSERT_EQ(band, plain_band);
        }
        // The log-rank walk over the Y as survival times.
        std::vector<std::int8_t> member(static_cast<std::size_t>(p.n), -1);
        stats::LogRankOrder order;
        const stats::Censoring cens;
        stats::LOGRANK(view, member, cens, 0, {1, 0, 0}, order, quiet);
        stats::LogRankWalk walk;
        stats::prepare_walk(view, cens, order, walk);
        LogRankBits bits(view.abyte, walk), plain_bits(view.abyte, walk, kernel_set(CpuLevel::generic));
        for (int c = 0; c < 6; ++c) {
            const partition::TermList list = random_list(rng, p.lc);
            const stats::LogRankResult got = bits.statistic(list, c % 2, p.sign, c % 3 == 0);
            const stats::LogRankResult want = plain_bits.statistic(list, c % 2, p.sign, c % 3 == 0);
            ASSERT_EQ(got.g, want.g) << "log-rank";
            ASSERT_EQ(got.w0 + 3 * got.w1, want.w0 + 3 * want.w1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(MachineLevels, KernelLevels, ::testing::ValuesIn(machine_levels()),
                         [](const auto& info) { return std::string(level_name(info.param)); });

TEST(CpuLevel, NamesAndCapsLowerTheLevelAndNeverRaiseIt)
{
    bool known = false;
    EXPECT_EQ(parse_level("avx2", &known), CpuLevel::avx2);
    EXPECT_TRUE(known);
    EXPECT_EQ(parse_level("sse9", &known), CpuLevel::generic);
    EXPECT_FALSE(known);
    for (const CpuLevel l : machine_levels()) EXPECT_EQ(parse_level(level_name(l)), l);
    const CpuLevel start = cpu_level();
    {
        const CpuLevelCap low(CpuLevel::generic);
        EXPECT_EQ(cpu_level(), CpuLevel::generic);
        const CpuLevelCap high(CpuLevel::avx512); // a cap never raises
        EXPECT_EQ(cpu_level(), CpuLevel::generic);
    }
    EXPECT_EQ(cpu_level(), start);
    EXPECT_LE(start, machine_level());
}

} // namespace
} // namespace meru::search
