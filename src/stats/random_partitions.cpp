#include "stats/random_partitions.h"

#include "core/cpu_level.h"
#include "platform/io/random.h"
#include "stats/criterion.h"
#include "stats/hypergeometric.h"
#include "stats/sample_filter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>

namespace meru::stats {

namespace {

// The included observations, each standing for its weight in units.
SampleFilter unit_filter(const RandomInput& in) { return {in.abyte, in.mask, in.weights, Censoring{}}; }

// The counted observations of one Y for the log-rank walk, latest time first:
// the order LOGRANK sorts them into, found without its note on zero times.
LogRankWalk units_walk(const RandomInput& in, std::span<const float> y)
{
    const SampleView view{in.abyte, y, in.mask, in.weights};
    const std::size_t n = std::min({y.size(), in.mask.size(), in.weights.size()});
    LogRankOrder order;
    sort_order(y, n, order);
    order.valid = true;
    // Censoring counts only when the attribute matrix covers every observation.
    const bool covered = static_cast<std::size_t>(std::max(in.abyte.n, 0)) >= n;
    LogRankWalk walk;
    prepare_walk(view, covered ? in.censoring : Censoring{}, order, walk);
    return walk;
}

} // namespace

long long weight_units(const RandomInput& in)
{
    const SampleFilter units = unit_filter(in);
    long long w = 0;
    for (std::size_t i = 0; i < units.size(); ++i)
        if (units.at(i).counted) w += in.weights[i];
    return w;
}

long long search_partitions(const RandomInput& in)
{
    long long m = 0;
    if (!in.searchg.empty())
        for (int c : in.splithist) m += c;
    return m;
}

RandomScorer::RandomScorer(const RandomInput& in, const SplitCriterion& criterion, const CritSettings& crit)
    : in_(in), criterion_(criterion), crit_(crit), scoring_(criterion.random_scoring())
{
    const SampleFilter units = unit_filter(in);
    for (std::size_t i = 0; i < units.size(); ++i) counted_.push_back(units.at(i).counted);
    if (scoring_ == RandomScoring::LogRank)
        for (std::size_t k = 0; k < std::min<std::size_t>(in.y.size(), kMaxYs); ++k)
            walks_.push_back(units_walk(in, in.y[k]));
}

double RandomScorer::g(std::span<const int> in_a)
{
    double g = 0.0;
    const std::size_t ny = std::min<std::size_t>(in_.y.size(), kMaxYs);
    for (std::size_t k = 0; k < ny; ++k) {
        long long n0 = 0, n1 = 0;
        double gk = scoring_ == RandomScoring::LogRank ? logrank_g(k, in_a, n0, n1) : side_g(in_.y[k], in_a, n0, n1);
        if (n0 == 0 || n1 == 0) gk = 0.0;
        if (crit_.balanced && gk != 0.0) {
            const double n = static_cast<double>(n0 + n1);
            gk *= std::pow((static_cast<double>(n1) / n) * (static_cast<double>(n0) / n), crit_.gamma);
        }
        g += scoring_ == RandomScoring::LogRank ? gk : gk * crit_.yweight[k];
    }
    return g;
}

double RandomScorer::logrank_g(std::size_t k, std::span<const int> in_a, long long& n0, long long& n1) const
{
    LogRankSums sums;
    for (const LogRankWalk::Step& s : walks_[k].steps) {
        const int in1 = in_a[static_cast<std::size_t>(s.obs)], in0 = s.w - in1;
        sums.add_weights(in0, in1, s.event ? in0 : 0.0, s.event ? in1 : 0.0);
        if (s.closes) sums.close_time(s.t);
    }
    const LogRankResult r = sums.finish();
    n0 = r.w0;
    n1 = r.w1;
    return r.g;
}

double RandomScorer::side_g(std::span<const float> y, std::span<const int> in_a, long long& n0, long long& n1) const
{
    const bool tabled = scoring_ == RandomScoring::CountTable;
    std::array<std::int64_t, 2 * kMaxClasses> table{};
    double s0 = 0.0, s1 = 0.0;
    int top = -1;
    const std::size_t n = std::min({counted_.size(), in_a.size(), y.size()});
    for (std::size_t i = 0; i < n; ++i) {
        const float yi = y[i];
        if (!counted_[i] || !(yi >= 0.0f)) continue;
        const int in1 = in_a[i], in0 = in_.weights[i] - in1;
        n1 += in1;
        n0 += in0;
        s1 += static_cast<double>(in1) * yi;
        s0 += static_cast<double>(in0) * yi;
        if (tabled && yi < static_cast<float>(kMaxClasses)) {
            const int c = static_cast<int>(yi);
            table[static_cast<std::size_t>(2 * c)] += in0;
            table[static_cast<std::size_t>(2 * c + 1)] += in1;
            top = std::max(top, c);
        }
    }
    if (n0 == 0 || n1 == 0) return 0.0;
    if (tabled) return criterion_.score(table, top + 1).g;
    const double nn = static_cast<double>(n0 + n1);
    const double between =
        s1 * s1 / static_cast<double>(n1) + s0 * s0 / static_cast<double>(n0) - (s0 + s1) * (s0 + s1) / nn;
    return std::max(0.0, between / nn);
}

double tested_g(const RandomInput& in, const SplitCriterion& criterion, const CritSettings& crit)
{
    std::vector<std::uint8_t> mask(in.mask.begin(), in.mask.end());
    for (std::size_t i = 0; i < mask.size(); ++i)
        if (i >= in.member.size() || (in.member[i] != 0 && in.member[i] != 1)) mask[i] = 0;
    RandomInput tested = in;
    tested.mask = mask;
    std::vector<int> in_a(mask.size(), 0);
    for (std::size_t i = 0; i < mask.size(); ++i)
        if (mask[i] && in.member[i] == 1) in_a[i] = in.weights[i];
    return RandomScorer(tested, criterion, crit).g(in_a);
}

long long split_size(SplitMode mode, long long fixed, long long w, long long m, std::span<const int> splithist,
                     io::RandomStream& random)
{
    switch (mode) {
    case SplitMode::Fixed: return fixed;
    case SplitMode::Uniform: return static_cast<long long>(random.next() * static_cast<double>(w));
    case SplitMode::Mimic: break;
    }
    if (m <= 0) return split_size(SplitMode::Uniform, fixed, w, m, splithist, random);
    const double u = random.next();
    long long sum = 0;
    const std::size_t bins = std::min<std::size_t>(splithist.size(), 100);
    for (std::size_t j = 1; j <= bins; ++j) {
        sum += splithist[j - 1];
        if (static_cast<double>(sum) / static_cast<double>(m) > u)
            return static_cast<long long>((static_cast<double>(j) - 0.5) * static_cast<double>(w + 1) / 100.0);
    }
    return w;
}

void select_units(std::span<int> in_a, std::span<const int> units, long long s, io::RandomStream& random)
{
    long long left = 0;
    for (std::size_t i = 0; i < in_a.size() && i < units.size(); ++i) left += units[i];
    s = std::clamp(s, 0LL, left);
    for (std::size_t i = 0; i < in_a.size(); ++i) {
        const long long w = i < units.size() ? units[i] : 0;
        in_a[i] = w > 0 ? static_cast<int>(hypergeometric(left, s, w, random)) : 0;
        s -= in_a[i];
        left -= w;
    }
}

RandomResult randy(const RandomInput& in, const SplitCriterion& criterion, const CritSettings& crit,
                   const RandomRequest& request, io::RandomStream& random, const RandomProgress& progress)
{
    RandomResult res;
    const long long w = weight_units(in);
    const long long m = search_partitions(in);
    res.m = m;

    std::vector<int> units, in_a;
    std::vector<double> xtrm;
    const long long nblocks = m > 0 ? request.nrand / m : 0;
    try {
        if (request.nrand > std::numeric_limits<int>::max()) throw std::bad_alloc();
        res.gs.reserve(static_cast<std::size_t>(request.nrand));
        const SampleFilter counted = unit_filter(in);
        units.assign(counted.size(), 0);
        for (std::size_t i = 0; i < units.size(); ++i)
            if (counted.at(i).counted) units[i] = in.weights[i];
        in_a.resize(units.size());
        xtrm.reserve(static_cast<std::size_t>(nblocks));
    } catch (const std::bad_alloc&) {
        res.allocated = false;
        return res;
    }

    RandomScorer scorer(in, criterion, crit);
    int nrand = static_cast<int>(request.nrand);
    double block_max = 0.0;
    if (!progress(0)) {
        nrand = 0;
        res.escaped = true;
    }
    for (int i = 1; i <= nrand; ++i) {
        // The draws below are scalar arithmetic and logarithms, after the
        // scorer and the progress pump may have used the wide registers.
        clean_vector_state();
        const long long s = split_size(request.mode, request.fixed, w, m, in.splithist, random);
        select_units(in_a, units, s, random);
        const double g = scorer.g(in_a);
        res.gs.push_back(g);
        if (g >= in.g_test) ++res.exceedances;
        block_max = std::max(block_max, g);
        if (m > 0 && i % m == 0 && static_cast<long long>(xtrm.size()) < nblocks) {
            xtrm.push_back(block_max);
            block_max = 0.0;
        }
        if (!progress(i) && i < nrand) {
            nrand = i;
            res.escaped = true;
        }
    }
    res.nrand = nrand;
    std::sort(res.gs.begin(), res.gs.end());
    if (nrand == 0) return res;

    long long j = 1;
    while (20 * j <= 19LL * nrand) ++j;
    const auto gs = [&](long long k) { return res.gs[static_cast<std::size_t>(k - 1)]; };
    res.upper5 = j == 1 ? gs(1) : (gs(j) + gs(j - 1)) / 2.0;
    if (m > 10) {
        const std::vector<int> freq(res.gs.size(), 1);
        res.gumbel = orders(res.gs, freq, m, in.g_test);
        res.blocks = static_cast<int>(xtrm.size());
        res.extremes =
            static_cast<int>(std::count_if(xtrm.begin(), xtrm.end(), [&](double x) { return x > in.g_test; }));
    }
    return res;
}

} // namespace meru::stats
