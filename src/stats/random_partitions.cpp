#include "stats/random_partitions.h"

#include "files/textutil.h"
#include "platform/io/random.h"
#include "stats/criterion.h"
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

// Log-rank of one Y over the units in stored order: the risk sets start as the
// valid units of each side; each uncensored unit adds to O when in A-, and to E
// and V as one event among the units still at risk; then the unit leaves.
struct UnitLogRank {
    double g = 0.0;
    long long n_a_minus = 0, n_a = 0; // valid units of each side
};

UnitLogRank stored_order_logrank(const RandomInput& in, std::span<const float> y, std::span<const std::uint8_t> in_a)
{
    const SampleFilter units = unit_filter(in);
    // Censoring counts only when the attribute matrix covers every observation.
    const bool covered = static_cast<std::size_t>(std::max(in.abyte.n, 0)) >= units.size();
    const SampleFilter valid(in.abyte, in.mask, in.weights, covered ? in.censoring : Censoring{});
    const std::size_t nobs = std::min(units.size(), y.size());

    long long r0 = 0, r1 = 0;
    std::size_t u = 0;
    for (std::size_t i = 0; i < nobs; ++i) {
        if (!units.at(i).counted) continue;
        const int w = in.weights[i];
        if (y[i] >= 0.0f && valid.at(i).counted)
            for (int k = 0; k < w; ++k) (in_a[u + static_cast<std::size_t>(k)] ? r1 : r0) += 1;
        u += static_cast<std::size_t>(w);
    }
    UnitLogRank res;
    res.n_a_minus = r0;
    res.n_a = r1;

    double o = 0.0, e = 0.0, v = 0.0;
    u = 0;
    for (std::size_t i = 0; i < nobs; ++i) {
        if (!units.at(i).counted) continue;
        const int w = in.weights[i];
        const SampleObservation obs = valid.at(i);
        if (!(y[i] >= 0.0f) || !obs.counted) {
            u += static_cast<std::size_t>(w);
            continue;
        }
        for (int k = 0; k < w; ++k, ++u) {
            const bool member = in_a[u] != 0;
            if (!obs.censored) {
                if (!member) o += 1.0;
                const double n = static_cast<double>(r0 + r1);
                if (n >= 1.0) e += static_cast<double>(r0) / n;
                if (n > 1.0) v += std::max(0.0, static_cast<double>(r0) * static_cast<double>(r1) / (n * n));
            }
            (member ? r1 : r0) -= 1;
        }
    }
    res.g = files::safediv((o - e) * (o - e), v);
    return res;
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

double random_g(const RandomInput& in, std::span<const std::uint8_t> in_a, const SplitCriterion& criterion,
                const CritSettings& crit)
{
    const RandomScoring scoring = criterion.random_scoring();
    const SampleFilter units = unit_filter(in);
    const std::size_t nobs = units.size();
    std::array<std::int64_t, 2 * kMaxClasses> table{};
    double g = 0.0;
    const std::size_t ny = std::min<std::size_t>(in.y.size(), kMaxYs);
    for (std::size_t k = 0; k < ny; ++k) {
        const std::span<const float> y = in.y[k];
        long long n0 = 0, n1 = 0;
        double gk = 0.0;
        if (scoring == RandomScoring::StoredOrderLogRank) {
            const UnitLogRank lr = stored_order_logrank(in, y, in_a);
            gk = lr.g;
            n0 = lr.n_a_minus;
            n1 = lr.n_a;
        } else {
            const bool tabled = scoring == RandomScoring::CountTable;
            double s0 = 0.0, s1 = 0.0;
            int top = -1;
            if (tabled) table.fill(0);
            std::size_t u = 0;
            const std::size_t n = std::min(nobs, y.size());
            for (std::size_t i = 0; i < n; ++i) {
                if (!units.at(i).counted) continue;
                const int w = in.weights[i];
                const float yi = y[i];
                if (!(yi >= 0.0f)) {
                    u += static_cast<std::size_t>(w);
                    continue;
                }
                long long members = 0;
                for (int j = 0; j < w; ++j) members += in_a[u + static_cast<std::size_t>(j)] != 0;
                u += static_cast<std::size_t>(w);
                n1 += members;
                n0 += w - members;
                s1 += static_cast<double>(members) * yi;
                s0 += static_cast<double>(w - members) * yi;
                if (tabled && yi < static_cast<float>(kMaxClasses)) {
                    const int c = static_cast<int>(yi);
                    table[static_cast<std::size_t>(2 * c)] += w - members;
                    table[static_cast<std::size_t>(2 * c + 1)] += members;
                    top = std::max(top, c);
                }
            }
            if (n0 > 0 && n1 > 0) {
                if (!tabled) {
                    const double nn = static_cast<double>(n0 + n1);
                    const double between = s1 * s1 / static_cast<double>(n1) + s0 * s0 / static_cast<double>(n0) -
                                           (s0 + s1) * (s0 + s1) / nn;
                    gk = std::max(0.0, between / nn);
                } else {
                    gk = criterion.score(table, top + 1).g;
                }
            }
        }
        if (n0 == 0 || n1 == 0) gk = 0.0;
        if (crit.balanced && gk != 0.0) {
            const double n = static_cast<double>(n0 + n1);
            gk *= std::pow((static_cast<double>(n1) / n) * (static_cast<double>(n0) / n), crit.gamma);
        }
        g += gk * crit.yweight[k];
    }
    return g;
}

double tested_g(const RandomInput& in, const SplitCriterion& criterion, const CritSettings& crit)
{
    std::vector<std::uint8_t> mask(in.mask.begin(), in.mask.end());
    for (std::size_t i = 0; i < mask.size(); ++i)
        if (i >= in.member.size() || (in.member[i] != 0 && in.member[i] != 1)) mask[i] = 0;
    RandomInput tested = in;
    tested.mask = mask;
    const SampleFilter units = unit_filter(tested);
    std::vector<std::uint8_t> in_a;
    for (std::size_t i = 0; i < units.size(); ++i)
        if (units.at(i).counted) in_a.insert(in_a.end(), static_cast<std::size_t>(in.weights[i]), in.member[i] == 1);
    return random_g(tested, in_a, criterion, crit);
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

void select_units(std::span<std::uint8_t> in_a, long long s, io::RandomStream& random)
{
    long long left = static_cast<long long>(in_a.size());
    for (auto& unit : in_a) {
        const bool take = random.next() < static_cast<double>(s) / static_cast<double>(left);
        unit = take ? 1 : 0;
        if (take) --s;
        --left;
    }
}

RandomResult randy(const RandomInput& in, const SplitCriterion& criterion, const CritSettings& crit,
                   const RandomRequest& request, io::RandomStream& random, const RandomProgress& progress)
{
    RandomResult res;
    const long long w = weight_units(in);
    const long long m = search_partitions(in);
    res.m = m;

    std::vector<std::uint8_t> in_a;
    std::vector<double> xtrm;
    const long long nblocks = m > 0 ? request.nrand / m : 0;
    try {
        if (request.nrand > std::numeric_limits<int>::max()) throw std::bad_alloc();
        res.gs.reserve(static_cast<std::size_t>(request.nrand));
        in_a.resize(static_cast<std::size_t>(w));
        xtrm.reserve(static_cast<std::size_t>(nblocks));
    } catch (const std::bad_alloc&) {
        res.allocated = false;
        return res;
    }

    int nrand = static_cast<int>(request.nrand);
    double block_max = 0.0;
    if (!progress(0)) {
        nrand = 0;
        res.escaped = true;
    }
    for (int i = 1; i <= nrand; ++i) {
        const long long s = split_size(request.mode, request.fixed, w, m, in.splithist, random);
        select_units(in_a, s, random);
        const double g = random_g(in, in_a, criterion, crit);
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
