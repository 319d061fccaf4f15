#include "stats/partition_sample.h"

#include "core/cpu_level.h"
#include "stats/sample_kernels.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>


namespace meru::stats {

namespace {

using u64 = std::uint64_t;
constexpr std::size_t kBlock = 64; // words evaluated together (4096 units)

// Membership bits of the units in words [w0, w0 + kBlock): det for membership 0 or 1
// (not undetermined, not dropped by the skip flag), mem for membership 1.
MERU_ALWAYS_INLINE void eval_block(const CountArgs& k, std::size_t w0, u64* det, u64* mem)
{
    membership_block<kBlock>(*k.list, k.skip, w0, det, mem);
}

// Counts the membership words of one block against one set of planes.
MERU_ALWAYS_INLINE void count_block(const CountArgs& k, std::size_t w0, const u64* det, const u64* mem)
{
    for (std::size_t p = 0; p < k.nplanes; ++p) {
        const std::size_t from = std::max<std::size_t>(k.plane_lo[p], w0);
        const std::size_t to = std::min<std::size_t>(k.plane_hi[p], w0 + kBlock);
        if (to <= from) continue; // no unit of this plane in the block
        const std::size_t lo = from - w0, hi = to - w0;
        const u64* pl = k.planes + p * k.words + w0;
        u64 sd = 0, sm = 0;
        if (lo == 0 && hi == kBlock) { // the usual case: a fixed-length loop
            for (std::size_t i = 0; i < kBlock; ++i) {
                sd += static_cast<u64>(std::popcount(det[i] & pl[i]));
                sm += static_cast<u64>(std::popcount(mem[i] & pl[i]));
            }
        } else {
            for (std::size_t i = lo; i < hi; ++i) {
                sd += static_cast<u64>(std::popcount(det[i] & pl[i]));
                sm += static_cast<u64>(std::popcount(mem[i] & pl[i]));
            }
        }
        k.acc_det[p] += sd;
        k.acc_mem[p] += sm;
    }
}

// The membership words of each block once, counted against the planes of every
// one of the n argument sets (which share the list and differ in their planes).
MERU_ALWAYS_INLINE void count_all(const CountArgs* k, std::size_t n)
{
    u64 det[kBlock], mem[kBlock];
    for (std::size_t w0 = 0; w0 < k[0].words; w0 += kBlock) {
        eval_block(k[0], w0, det, mem);
        for (std::size_t j = 0; j < n; ++j) count_block(k[j], w0, det, mem);
    }
}

void count_generic(const CountArgs* k, std::size_t n) { count_all(k, n); }

#if MERU_X86_DISPATCH
// The same kernel compiled for processors with the population-count instruction
// (and with AVX2); chosen at run time.
MERU_TARGET_POPCNT void count_popcnt(const CountArgs* k, std::size_t n) { count_all(k, n); }
MERU_TARGET_AVX2 void count_avx2(const CountArgs* k, std::size_t n) { count_all(k, n); }
#endif

} // namespace

decltype(SampleKernels::count) pick_count(CpuLevel level)
{
    return by_level(level, count_generic, MERU_X86_ONLY(count_popcnt), MERU_X86_ONLY(count_avx2));
}

PartitionSample::PartitionSample(const SampleView& view, int nclasses)
    : PartitionSample(view, nclasses, sample_kernels(cpu_level()))
{}

namespace {

// The observations of a stretch that are units (in the mask, of a weight
// other than 0, their Y not missing) in order, with their weights and Ys.
struct UnitScan {
    std::vector<int> obs, weight;
    std::vector<float> y;

    void add(const SampleView& view, std::size_t from, std::size_t to)
    {
        for (std::size_t ix = from; ix < to; ++ix) {
            const int w = view.weights[ix];
            const float v = view.y[ix];
            if (!view.mask[ix] || w == 0 || !(v >= 0.0f)) continue;
            obs.push_back(static_cast<int>(ix));
            weight.push_back(w);
            y.push_back(v);
        }
    }
};

// The stretches of units: observations, planes and sums alike.
constexpr std::size_t kUnitStretch = std::size_t{1} << 16;

} // namespace

PartitionSample::PartitionSample(const SampleView& view, int nclasses, const SampleKernels& kernels,
                                 const ParallelFor& parallel)
    : abyte_(view.abyte), kernels_(kernels)
{
    view.check();
    nclasses_ = std::clamp(nclasses, 0, CountTable::max_classes);
    const auto n = static_cast<std::size_t>(std::max(abyte_.n, 0));
    std::vector<UnitScan> parts((n + kUnitStretch - 1) / kUnitStretch);
    for_stretches(parallel, n, kUnitStretch, [&](std::size_t k, std::size_t from, std::size_t to) {
        UnitScan part; // filled apart from its neighbours' cache lines
        part.add(view, from, to);
        parts[k] = std::move(part);
    });
    // The stretches joined in order, each copied to its place on the workers.
    std::vector<std::size_t> at(parts.size() + 1, 0);
    for (std::size_t k = 0; k < parts.size(); ++k) at[k + 1] = at[k] + parts[k].obs.size();
    UnitArray<int> obs(at.back());
    weight_.resize(at.back());
    y_.resize(at.back());
    for_stretches(parallel, parts.size(), 1, [&](std::size_t k, std::size_t, std::size_t) {
        std::copy(parts[k].obs.begin(), parts[k].obs.end(), obs.begin() + static_cast<std::ptrdiff_t>(at[k]));
        std::copy(parts[k].weight.begin(), parts[k].weight.end(),
                  weight_.begin() + static_cast<std::ptrdiff_t>(at[k]));
        std::copy(parts[k].y.begin(), parts[k].y.end(), y_.begin() + static_cast<std::ptrdiff_t>(at[k]));
        parts[k] = UnitScan{};
    });
    // Units with wider weights first (stable): the planes of the higher weight
    // bits then occupy only the first words, and the kernel skips the rest. After
    // Turbo grouping this puts the few group representatives together.
    const auto width = [this](std::size_t u) { return std::bit_width(static_cast<std::uint32_t>(weight_[u])); };
    bool one_width = true;
    for (std::size_t u = 1; u < obs.size() && one_width; ++u) one_width = width(u) == width(0);
    if (!one_width) {
        std::vector<std::size_t> order(obs.size());
        for (std::size_t u = 0; u < order.size(); ++u) order[u] = u;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return width(a) > width(b); });
        UnitArray<int> o(order.size()), weight(order.size());
        UnitArray<float> y(order.size());
        for (std::size_t u = 0; u < order.size(); ++u) {
            o[u] = obs[order[u]];
            weight[u] = weight_[order[u]];
            y[u] = y_[order[u]];
        }
        obs.swap(o);
        weight_.swap(weight);
        y_.swap(y);
    }
    // Whole blocks of words, so the kernels run fixed-length loops; the
    // padding units belong to no class plane and so are never counted.
    columns_ = std::make_unique<UnitColumns>(abyte_, std::move(obs), kernels_, kBlock);
    words_ = columns_->words();
    build_planes(y_, nclasses_, own_, parallel);
    for (UnitColumns::Compiled* c : {&list_, &list2_}) {
        c->lp.reserve(partition::MAXP);
        c->lits.reserve(256);
    }
}

PartitionSample::PartitionSample(const PartitionSample& other, Share)
    : abyte_(other.abyte_), kernels_(other.kernels_), nclasses_(other.nclasses_), words_(other.words_),
      columns_(std::make_unique<UnitColumns>(*other.columns_, UnitColumns::Share{})), units_(other.units_)
{
    for (UnitColumns::Compiled* c : {&list_, &list2_}) {
        c->lp.reserve(partition::MAXP);
        c->lits.reserve(256);
    }
    if (split_ready_) make_split_work();
}

void PartitionSample::prepare_split()
{
    make_split_state();
    if (exact_ && !sum_planes_made_) {
        build_sum_planes(wy_, wy2_, sum_planes_);
        sum_planes_made_ = true;
    }
}

void PartitionSample::make_split_work()
{
    side1_.assign(words_, 0);
    side2_.assign(words_, 0);
    skipw_.assign(words_, 0);
    pass_.assign(words_, 0);
}

void PartitionSample::make_split_state()
{
    if (split_ready_) {
        if (side1_.empty()) make_split_work();
        return;
    }
    split_ready_ = true;
    const UnitArray<int>& units = obs();
    wy_.assign(words_ * 64, 0.0);
    wy2_.assign(words_ * 64, 0.0);
    for (std::size_t u = 0; u < units.size(); ++u) {
        const float wy = static_cast<float>(weight_[u]) * y_[u];
        wy_[u] = wy;
        wy2_[u] = y_[u] * wy;
    }
    unit_weights_ = std::all_of(weight_.begin(), weight_.end(), [](int w) { return w == 1; });
    if (!unit_weights_) {
        wd_.assign(words_ * 64, 0.0);
        std::copy(weight_.begin(), weight_.end(), wd_.begin());
    }
    exact_ = sums_exact(wy_, wy2_);
    if (!std::is_sorted(units.begin(), units.end())) {
        by_obs_.resize(units.size());
        for (std::size_t u = 0; u < units.size(); ++u) by_obs_[u] = static_cast<int>(u);
        std::sort(by_obs_.begin(), by_obs_.end(), [&units](int a, int b) {
            return units[static_cast<std::size_t>(a)] < units[static_cast<std::size_t>(b)];
        });
    }
    make_split_work();
}

void PartitionSample::build_planes(std::span<const float> unit_y, int nclasses, Planes& out,
                                   const ParallelFor& parallel) const
{
    const std::size_t units = obs().size();
    const auto classes = static_cast<std::size_t>(nclasses);
    // Which weight bits occur in each class and, per stretch of units, the
    // weight beyond the classes; then one plane per (class, bit). A unit
    // whose Y is missing belongs to no plane.
    const std::size_t stretches = (units + kUnitStretch - 1) / kUnitStretch;
    std::vector<std::vector<std::uint32_t>> used(stretches);
    std::vector<std::int64_t> beyond(stretches, 0);
    for_stretches(parallel, units, kUnitStretch, [&](std::size_t k, std::size_t from, std::size_t to) {
        std::vector<std::uint32_t> bits(classes, 0);
        std::int64_t past = 0;
        for (std::size_t u = from; u < to; ++u) {
            const int c = y_class(unit_y[u], nclasses);
            if (c == nclasses) past += weight_[u];
            else if (c >= 0) bits[static_cast<std::size_t>(c)] |= static_cast<std::uint32_t>(weight_[u]);
        }
        used[k] = std::move(bits);
        beyond[k] = past;
    });
    std::vector<std::uint32_t> bits_used(classes, 0);
    for (std::size_t k = 0; k < stretches; ++k) {
        out.beyond += beyond[k];
        for (std::size_t c = 0; c < classes; ++c) bits_used[c] |= used[k][c];
    }
    std::vector<int> index(classes * 32, -1);
    for (int c = 0; c < nclasses; ++c)
        for (int b = 0; b < 32; ++b)
            if ((bits_used[static_cast<std::size_t>(c)] >> b) & 1u) {
                index[static_cast<std::size_t>(c * 32 + b)] = static_cast<int>(out.cls.size());
                out.cls.push_back(c);
                out.value.push_back(b == 31 ? -(std::int64_t{1} << 31) : (std::int64_t{1} << b));
            }
    const std::size_t planes = out.cls.size();
    out.bits.assign(planes * words_, 0);
    // Each stretch sets the bits of its own words, and the words its planes span.
    std::vector<std::vector<std::uint32_t>> lo(stretches), hi(stretches);
    for_stretches(parallel, units, kUnitStretch, [&](std::size_t k, std::size_t from, std::size_t to) {
        std::vector<std::uint32_t> first(planes, static_cast<std::uint32_t>(words_)), last(planes, 0);
        for (std::size_t u = from; u < to; ++u) {
            const int c = y_class(unit_y[u], nclasses);
            if (c < 0 || c == nclasses) continue;
            auto bits = static_cast<std::uint32_t>(weight_[u]);
            while (bits) {
                const int b = std::countr_zero(bits);
                bits &= bits - 1;
                const auto p = static_cast<std::size_t>(index[static_cast<std::size_t>(c * 32 + b)]);
                out.bits[p * words_ + u / 64] |= u64{1} << (u % 64);
                first[p] = std::min(first[p], static_cast<std::uint32_t>(u / 64));
                last[p] = std::max(last[p], static_cast<std::uint32_t>(u / 64 + 1));
            }
        }
        lo[k] = std::move(first);
        hi[k] = std::move(last);
    });
    out.lo.assign(planes, static_cast<std::uint32_t>(words_));
    out.hi.assign(planes, 0);
    for (std::size_t k = 0; k < stretches; ++k)
        for (std::size_t p = 0; p < planes; ++p) {
            out.lo[p] = std::min(out.lo[p], lo[k][p]);
            out.hi[p] = std::max(out.hi[p], hi[k][p]);
        }
    out.acc_det.assign(planes, 0);
    out.acc_mem.assign(planes, 0);
}

namespace {

// The place g of the lowest set bit of x (not 0, finite): x is an odd multiple of 2^g.
int lowest_bit_place(double x)
{
    int e = 0;
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(std::fabs(std::frexp(x, &e)), 53));
    return e - 53 + std::countr_zero(mantissa);
}

// The lowest bit place over the values that are not 0 (0 when all are).
int lowest_bit_place(std::span<const double> v)
{
    int g = std::numeric_limits<int>::max();
    for (double x : v)
        if (x != 0.0) g = std::min(g, lowest_bit_place(x));
    return g == std::numeric_limits<int>::max() ? 0 : g;
}

} // namespace

bool PartitionSample::sums_exact(std::span<const double> wy, std::span<const double> wy2) const
{
    // A value x is an odd multiple of 2^g, g the place of its lowest set bit.
    // With every value a multiple of 2^gmin and the total of magnitudes below
    // 2^(52 + gmin), every partial sum is a multiple of 2^gmin below
    // 2^(53 + gmin), so exact whatever the order.
    const auto fits = [](std::span<const double> v) {
        int gmin = 0;
        bool any = false;
        double total = 0.0;
        for (double x : v) {
            if (x == 0.0) continue;
            if (!std::isfinite(x)) return false;
            const int g = lowest_bit_place(x);
            gmin = any ? std::min(gmin, g) : g;
            any = true;
            total += std::fabs(x);
        }
        return !any || total < std::ldexp(1.0, 52 + gmin);
    };
    double weights = 0.0;
    for (int w : weight_) weights += std::fabs(static_cast<double>(w));
    return weights < std::ldexp(1.0, 52) && fits(wy) && fits(wy2);
}

void PartitionSample::build_sum_planes(std::span<const double> wy, std::span<const double> wy2, SumPlanes& out) const
{
    out = {};
    // Each value as its whole multiple of 2^at; none may be negative.
    const auto multiples = [](std::span<const double> v, int at, std::vector<std::uint64_t>& m) {
        m.assign(v.size(), 0);
        for (std::size_t u = 0; u < v.size(); ++u) {
            if (v[u] < 0.0) return false;
            m[u] = static_cast<std::uint64_t>(std::ldexp(v[u], -at));
        }
        return true;
    };
    std::vector<std::uint64_t> w(unit_weights_ ? 0 : weight_.size()), s, q;
    for (std::size_t u = 0; u < w.size(); ++u) {
        if (weight_[u] < 0) return;
        w[u] = static_cast<std::uint64_t>(weight_[u]);
    }
    const int s_at = lowest_bit_place(wy), q_at = lowest_bit_place(wy2);
    if (!multiples(wy, s_at, s) || !multiples(wy2, q_at, q)) return;
    const auto width = [](const std::vector<std::uint64_t>& m) {
        return m.empty() ? 0 : static_cast<int>(std::bit_width(*std::max_element(m.begin(), m.end())));
    };
    const int nw = width(w), nwy = width(s), nwy2 = width(q);
    if (nw + nwy + nwy2 > SumPlanes::kMost) return;
    out.nw = nw;
    out.nwy = nwy;
    out.nwy2 = nwy2;
    out.wy_at = s_at;
    out.wy2_at = q_at;
    out.bits.assign(static_cast<std::size_t>(nw + nwy + nwy2) * words_, 0);
    std::uint64_t* bits = out.bits.data();
    for (const auto& [m, n] : {std::pair{&w, nw}, std::pair{&s, nwy}, std::pair{&q, nwy2}}) {
        for (std::size_t u = 0; u < m->size(); ++u)
            for (std::uint64_t v = (*m)[u]; v; v &= v - 1)
                bits[static_cast<std::size_t>(std::countr_zero(v)) * words_ + u / 64] |= std::uint64_t{1} << (u % 64);
        bits += static_cast<std::size_t>(n) * words_;
    }
}

void PartitionSample::prepare(std::span<const int> attributes, const ParallelFor& parallel)
{
    for (int a : attributes)
        if (a < 1 || a > abyte_.lc) throw std::invalid_argument("attribute outside the attribute matrix");
    columns_->prepare(attributes, parallel);
}

void PartitionSample::compile(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte)
{
    compile(list, sense, signbyte, list_);
}

namespace {

// The kernel's arguments for the planes `p`, their counts in det and mem.
CountArgs kernel_args(std::size_t words, bool skip, const UnitColumns::Compiled& list,
                      const PartitionSample::Planes& p, std::vector<u64>& det, std::vector<u64>& mem)
{
    det.assign(p.cls.size(), 0);
    mem.assign(p.cls.size(), 0);
    return {words, skip, &list, p.bits.data(), p.lo.data(), p.hi.data(), p.cls.size(), det.data(), mem.data()};
}

// The count table from the plane counts.
void fill_table(const PartitionSample::Planes& p, const std::vector<u64>& det, const std::vector<u64>& mem,
                CountTable& out)
{
    out.clear();
    out.beyond = p.beyond;
    for (std::size_t j = 0; j < p.cls.size(); ++j) {
        const auto c = static_cast<std::size_t>(p.cls[j]);
        const std::int64_t v = p.value[j];
        const auto members = static_cast<std::int64_t>(mem[j]);
        const auto others = static_cast<std::int64_t>(det[j]) - members;
        out.cells[2 * c + 1] += v * members;
        out.cells[2 * c] += v * others;
        out.w1 += v * members;
        out.w0 += v * others;
    }
}

} // namespace

void PartitionSample::partab(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                             bool skip, CountTable& out)
{
    compile(list, sense, signbyte);
    const CountArgs k = kernel_args(words_, skip, list_, own_, own_det_, own_mem_);
    kernels_.count(&k, 1);
    fill_table(own_, own_det_, own_mem_, out);
}

PartitionSample::YLayer PartitionSample::layer(std::span<const float> y, int nclasses) const
{
    if (y.size() < static_cast<std::size_t>(abyte_.n)) throw std::invalid_argument("Y column too short");
    const UnitArray<int>& units = obs();
    YLayer l;
    l.nclasses = std::clamp(nclasses, 0, CountTable::max_classes);
    std::vector<float> unit_y(units.size());
    l.valid.assign(words_, 0);
    l.wy.assign(words_ * 64, 0.0);
    l.wy2.assign(words_ * 64, 0.0);
    for (std::size_t u = 0; u < units.size(); ++u) {
        const float v = y[static_cast<std::size_t>(units[u])];
        unit_y[u] = v;
        if (!(v >= 0.0f)) continue;
        l.valid[u / 64] |= u64{1} << (u % 64);
        const float wy = static_cast<float>(weight_[u]) * v;
        l.wy[u] = wy;
        l.wy2[u] = v * wy;
    }
    build_planes(unit_y, l.nclasses, l.planes);
    l.exact = sums_exact(l.wy, l.wy2);
    if (l.exact) build_sum_planes(l.wy, l.wy2, l.sum_planes);
    return l;
}

void PartitionSample::partab(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                             bool skip, std::span<YLayer* const> layers, std::span<CountTable> out)
{
    if (out.size() < layers.size()) throw std::invalid_argument("fewer tables than layers");
    compile(list, sense, signbyte);
    constexpr std::size_t kChunk = 8;
    std::array<CountArgs, kChunk> k;
    for (std::size_t from = 0; from < layers.size(); from += kChunk) {
        const std::size_t n = std::min(kChunk, layers.size() - from);
        for (std::size_t j = 0; j < n; ++j) {
            Planes& p = layers[from + j]->planes;
            k[j] = kernel_args(words_, skip, list_, p, p.acc_det, p.acc_mem);
        }
        kernels_.count(k.data(), n);
        for (std::size_t j = 0; j < n; ++j) {
            const Planes& p = layers[from + j]->planes;
            fill_table(p, p.acc_det, p.acc_mem, out[from + j]);
        }
    }
}

template <class F> void PartitionSample::for_each_block(const UnitColumns::Compiled& list, bool skip, F&& f) const
{
    const CountArgs k{words_, skip, &list, nullptr, nullptr, nullptr, 0, nullptr, nullptr};
    const std::size_t units = obs().size();
    u64 det[kBlock], mem[kBlock];
    for (std::size_t w0 = 0; w0 < words_; w0 += kBlock) {
        eval_block(k, w0, det, mem);
        for (std::size_t i = 0; i < kBlock; ++i) {
            u64 d = det[i];
            while (d) {
                const std::size_t u = (w0 + i) * 64 + static_cast<std::size_t>(std::countr_zero(d));
                d &= d - 1;
                if (u >= units) return;
                f(u, ((mem[i] >> (u % 64)) & 1) != 0);
            }
        }
    }
}

double PartitionSample::partcor(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                                bool skip)
{
    compile(list, sense, signbyte);
    return partcor(list_, skip);
}

void PartitionSample::compile(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                              UnitColumns::Compiled& out)
{
    columns_->compile(list, sense, signbyte, out);
}

double PartitionSample::partcor(const UnitColumns::Compiled& list, bool skip) const
{
    CorrelationSums sums;
    for_each_block(list, skip, [&](std::size_t u, bool member) { sums.add(weight_[u], y_[u], member); });
    return sums.r();
}

void PartitionSample::memberships(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                                  bool skip, std::span<std::int8_t> out)
{
    compile(list, sense, signbyte);
    memberships(list_, skip, out);
}

void PartitionSample::memberships(const UnitColumns::Compiled& list, bool skip, std::span<std::int8_t> out) const
{
    if (out.size() < static_cast<std::size_t>(abyte_.n)) throw std::invalid_argument("membership column too short");
    std::fill(out.begin(), out.begin() + abyte_.n, std::int8_t{-1});
    for_each_block(list, skip, [&](std::size_t u, bool member) {
        out[static_cast<std::size_t>(obs()[u])] = static_cast<std::int8_t>(member ? 1 : 0);
    });
}

} // namespace meru::stats
