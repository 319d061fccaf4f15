// The split sums of a pair over the sample's bit columns: where each list holds
// comes from AND/OR over the literal columns, word by word; the sums then run over
// the set bits in observation order, so they match the plain kernel exactly --
// or, where the sample's sums are exact in any order, over whole words with
// vector instructions, which gives the same values.
#include "stats/partition_sample.h"

#include "core/cpu_level.h"
#include "stats/sample_kernels.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>

#if MERU_X86_DISPATCH
#include <immintrin.h>
#endif

namespace meru::stats {

namespace {

using u64 = std::uint64_t;

// Words where some term of the list holds (no literal fails, none is missing);
// with `terms` given, also the words of each term (term t from t * stride).
// `pass` is room for nw words when `terms` is null.
void hold_words(const UnitColumns::Compiled& list, std::size_t nw, u64* hold, u64* terms, std::size_t stride,
                u64* pass)
{
    const std::vector<int>& lp = list.lp;
    const UnitColumns::Lit* lit = list.lits.data();
    std::fill_n(hold, nw, u64{0});
    for (std::size_t t = 0; t < lp.size(); ++t) {
        u64* p = terms ? terms + t * stride : pass;
        std::fill_n(p, nw, ~u64{0});
        for (int j = 0; j < lp[t]; ++j, ++lit) {
            const u64* f = lit->fail;
            const u64* m = lit->miss;
            for (std::size_t i = 0; i < nw; ++i) p[i] &= ~(f[i] | m[i]);
        }
        for (std::size_t i = 0; i < nw; ++i) hold[i] |= p[i];
    }
}

// Words where the list fails: every term has a failing literal (a list of no
// terms never fails).
void fail_words(const UnitColumns::Compiled& list, std::size_t nw, u64* fails)
{
    std::fill_n(fails, nw, list.lp.empty() ? u64{0} : ~u64{0});
    const UnitColumns::Lit* lit = list.lits.data();
    for (const int len : list.lp) {
        const UnitColumns::Lit* end = lit + len;
        for (std::size_t i = 0; i < nw; ++i) {
            u64 term = 0;
            for (const UnitColumns::Lit* l = lit; l != end; ++l) term |= l->fail[i];
            fails[i] &= term;
        }
        lit = end;
    }
}

using v4d = double __attribute__((vector_size(32)));
using v4i = std::int64_t __attribute__((vector_size(32)));

} // namespace

// Lane masks of the 16 patterns of four bits: lane k all ones when bit k is set.
struct LaneMasks {
    alignas(32) std::array<std::array<std::int64_t, 4>, 16> m{};
    LaneMasks()
    {
        for (std::size_t p = 0; p < 16; ++p)
            for (std::size_t k = 0; k < 4; ++k) m[p][k] = (p >> k) & 1 ? -1 : 0;
    }
};

namespace {

const LaneMasks& lane_masks()
{
    static const LaneMasks masks;
    return masks;
}

// Sums of one slot in vector lanes of four units.
struct Lanes {
    v4d c{}, s{}, q{};
    std::int64_t count = 0;
};

// Adds the four values of x whose lanes are set (the others as +0).
MERU_ALWAYS_INLINE void add_masked4(v4d& acc, const v4i& x, const v4i& m) { acc += reinterpret_cast<v4d>(x & m); }

template <bool Weighted>
MERU_ALWAYS_INLINE void add_nibble(Lanes& l, unsigned nibble, const LaneMasks& masks, const v4i& w, const v4i& y,
                                  const v4i& y2)
{
    v4i m;
    std::memcpy(&m, masks.m[nibble].data(), sizeof m);
    add_masked4(l.s, y, m);
    add_masked4(l.q, y2, m);
    if constexpr (Weighted) add_masked4(l.c, w, m);
}

MERU_ALWAYS_INLINE void lanes_out(const Lanes& l, bool weighted, double* out)
{
    out[0] = weighted ? (l.c[0] + l.c[1]) + (l.c[2] + l.c[3]) : static_cast<double>(l.count);
    out[1] = (l.s[0] + l.s[1]) + (l.s[2] + l.s[3]);
    out[2] = (l.q[0] + l.q[1]) + (l.q[2] + l.q[3]);
}

// Weight, sum and sum of squares of the units whose bits are set in a (out[0..2])
// and in b (out[3..5]), four units at a time, each value loaded once for both.
// Valid only where the sums are exact in any order.
template <bool Weighted> MERU_ALWAYS_INLINE void exact_sums_all(const ExactArgs& args, double* out)
{
    const u64* const a = args.a;
    const u64* const b = args.b;
    const u64* const valid = args.valid;
    const double* const wd = args.wd;
    const double* const wy = args.wy;
    const double* const wy2 = args.wy2;
    const LaneMasks& masks = *args.masks;
    Lanes la, lb;
    for (std::size_t i = 0; i < args.nw; ++i) {
        const u64 v = valid ? valid[i] : ~u64{0};
        const u64 ma = a[i] & v, mb = b ? b[i] & v : 0;
        if (!(ma | mb)) continue;
        la.count += std::popcount(ma);
        lb.count += std::popcount(mb);
        const std::size_t base = i * 64;
        for (std::size_t k = 0; k < 64; k += 4) {
            const auto na = static_cast<unsigned>((ma >> k) & 15u), nb = static_cast<unsigned>((mb >> k) & 15u);
            v4i w{}, y, y2;
            std::memcpy(&y, wy + base + k, sizeof y);
            std::memcpy(&y2, wy2 + base + k, sizeof y2);
            if constexpr (Weighted) std::memcpy(&w, wd + base + k, sizeof w);
            add_nibble<Weighted>(la, na, masks, w, y, y2);
            add_nibble<Weighted>(lb, nb, masks, w, y, y2);
        }
    }
    lanes_out(la, Weighted, out);
    lanes_out(lb, Weighted, out + 3);
}

MERU_ALWAYS_INLINE void exact_sums_any(const ExactArgs& a, double* out)
{
    if (a.wd) exact_sums_all<true>(a, out);
    else exact_sums_all<false>(a, out);
}

void exact_sums_generic(const ExactArgs& a, double* out) { exact_sums_any(a, out); }

#if MERU_X86_DISPATCH
MERU_TARGET_AVX2 void exact_sums_avx2(const ExactArgs& a, double* out) { exact_sums_any(a, out); }
#endif

// Population counts of a & valid and of b & valid over each of n planes of
// `words` words, added to ca[p] and cb[p], and of a & valid and b & valid
// themselves, added to ca[n] and cb[n]: the planes of exact sums, so every
// count is exact. A block of the masked words at a time stays in the first
// cache while every plane reads it.
// a & valid and b & valid (0 without b) of words [from, from + len).
MERU_ALWAYS_INLINE void mask_block(const PlaneArgs& x, std::size_t from, std::size_t len, u64* ma, u64* mb)
{
    for (std::size_t i = 0; i < len; ++i) {
        const u64 v = x.valid ? x.valid[from + i] : ~u64{0};
        ma[i] = x.a[from + i] & v;
        mb[i] = x.b ? x.b[from + i] & v : 0;
    }
}
MERU_ALWAYS_INLINE void plane_counts_any(const PlaneArgs& x, std::int64_t* ca, std::int64_t* cb)
{
    constexpr std::size_t kBlock = 256;
    u64 ma[kBlock], mb[kBlock];
    for (std::size_t from = 0; from < x.nw; from += kBlock) {
        const std::size_t len = std::min(kBlock, x.nw - from);
        mask_block(x, from, len, ma, mb);
        for (std::size_t p = 0; p <= x.n; ++p) {
            const u64* plane = p < x.n ? x.planes + p * x.words + from : nullptr;
            std::int64_t na = 0, nb = 0;
            if (plane) {
                for (std::size_t i = 0; i < len; ++i) {
                    na += std::popcount(plane[i] & ma[i]);
                    nb += std::popcount(plane[i] & mb[i]);
                }
            } else {
                for (std::size_t i = 0; i < len; ++i) {
                    na += std::popcount(ma[i]);
                    nb += std::popcount(mb[i]);
                }
            }
            ca[p] += na;
            cb[p] += nb;
        }
    }
}

void plane_counts_generic(const PlaneArgs& x, std::int64_t* ca, std::int64_t* cb) { plane_counts_any(x, ca, cb); }

#if MERU_X86_DISPATCH
// The same eight words at a time with the vector population count.
MERU_TARGET_AVX512 void plane_counts_avx512(const PlaneArgs& x, std::int64_t* ca, std::int64_t* cb)
{
    constexpr std::size_t kBlock = 256;
    alignas(64) u64 ma[kBlock], mb[kBlock];
    for (std::size_t from = 0; from < x.nw; from += kBlock) {
        const std::size_t len = std::min(kBlock, x.nw - from);
        mask_block(x, from, len, ma, mb);
        for (std::size_t i = len; i < kBlock; ++i) ma[i] = mb[i] = 0;
        const __m512i ones = _mm512_set1_epi64(-1);
        for (std::size_t p = 0; p <= x.n; ++p) {
            const u64* plane = p < x.n ? x.planes + p * x.words + from : nullptr;
            __m512i na = _mm512_setzero_si512(), nb = _mm512_setzero_si512();
            for (std::size_t i = 0; i < len; i += 8) {
                const __mmask8 live = static_cast<__mmask8>(len - i >= 8 ? 0xFF : (1u << (len - i)) - 1);
                const __m512i v = plane ? _mm512_maskz_loadu_epi64(live, plane + i) : ones;
                na = _mm512_add_epi64(na, _mm512_popcnt_epi64(_mm512_and_si512(v, _mm512_load_si512(ma + i))));
                nb = _mm512_add_epi64(nb, _mm512_popcnt_epi64(_mm512_and_si512(v, _mm512_load_si512(mb + i))));
            }
            alignas(64) std::int64_t lanes[16];
            _mm512_store_si512(lanes, na);
            _mm512_store_si512(lanes + 8, nb);
            for (std::size_t k = 0; k < 8; ++k) {
                ca[p] += lanes[k];
                cb[p] += lanes[8 + k];
            }
        }
    }
}
MERU_TARGET_POPCNT void plane_counts_popcnt(const PlaneArgs& x, std::int64_t* ca, std::int64_t* cb)
{
    plane_counts_any(x, ca, cb);
}
#endif

// Weight, sum and sum of squares of a and of b (out[0..2], out[3..5]) from
// the bit planes of exact sums; with unit weights the weight is the count.
void plane_sums(decltype(SampleKernels::plane_counts) plane_counts, const PlaneArgs& x,
                const PartitionSample::SumPlanes& sp, double* out)
{
    using Counts = std::array<std::int64_t, PartitionSample::SumPlanes::kMost + 1>;
    Counts ca{}, cb{};
    plane_counts(x, ca.data(), cb.data());
    const auto total = [](const Counts& c, int from, int n) {
        std::int64_t t = 0;
        for (int b = 0; b < n; ++b) t += c[static_cast<std::size_t>(from + b)] << b;
        return t;
    };
    for (int side = 0; side < 2; ++side) {
        const Counts& c = side ? cb : ca;
        out[3 * side] = static_cast<double>(sp.nw ? total(c, 0, sp.nw) : c[x.n]);
        out[3 * side + 1] = std::ldexp(static_cast<double>(total(c, sp.nw, sp.nwy)), sp.wy_at);
        out[3 * side + 2] = std::ldexp(static_cast<double>(total(c, sp.nw + sp.nwy, sp.nwy2)), sp.wy2_at);
    }
}

} // namespace

decltype(SampleKernels::exact_sums) pick_exact_sums(CpuLevel level)
{
    return by_level(level, exact_sums_generic, nullptr, MERU_X86_ONLY(exact_sums_avx2));
}

decltype(SampleKernels::plane_counts) pick_plane_counts(CpuLevel level)
{
    return by_level(level, plane_counts_generic, MERU_X86_ONLY(plane_counts_popcnt), nullptr,
                    MERU_X86_ONLY(plane_counts_avx512));
}

void PartitionSample::split_words(bool skip, bool per_term)
{
    const std::size_t n = obs().size();
    const std::size_t nw = (n + 63) / 64;
    const u64 last = n % 64 ? (u64{1} << (n % 64)) - 1 : ~u64{0};
    std::fill_n(skipw_.begin(), nw, u64{0});
    if (skip)
        for (const UnitColumns::Lit& l : list_.lits)
            for (std::size_t i = 0; i < nw; ++i) skipw_[i] |= l.miss[i];
    if (per_term) {
        terms1_.resize(std::max(terms1_.size(), list_.lp.size() * words_));
        terms2_.resize(std::max(terms2_.size(), list2_.lp.size() * words_));
    }
    hold_words(list_, nw, side1_.data(), per_term ? terms1_.data() : nullptr, words_, pass_.data());
    // The second list's own words only for its terms' slots: side 2 is where
    // the first list fails, so that undetermined units count on neither side.
    if (per_term) hold_words(list2_, nw, side2_.data(), terms2_.data(), words_, pass_.data());
    fail_words(list_, nw, side2_.data());
    // An observation dropped by the skip flag counts nowhere, and bits past the
    // last unit are off.
    for (std::size_t i = 0; i < nw; ++i) {
        const u64 live = (i + 1 == nw ? last : ~u64{0}) & ~skipw_[i];
        side1_[i] &= live;
        side2_[i] &= live;
    }
    if (per_term) {
        for (std::size_t t = 0; t < list_.lp.size(); ++t)
            for (std::size_t i = 0; i < nw; ++i) terms1_[t * words_ + i] &= side1_[i];
        for (std::size_t t = 0; t < list2_.lp.size(); ++t)
            for (std::size_t i = 0; i < nw; ++i) terms2_[t * words_ + i] &= side2_[i];
    }
}

namespace {

// Running sums of one slot.
struct Acc {
    std::int64_t c = 0;
    double s = 0.0, ss = 0.0;
    void add(int w, double wy, double wy2)
    {
        c += w;
        s += wy;
        ss += wy2;
    }
    // Adds the unit when `bit` is 1 and +0 (which leaves a sum that started at +0
    // unchanged) when it is 0, by masking the bits: no branch to mispredict.
    void add_masked(u64 bit, int w, double wy, double wy2)
    {
        const u64 mask = u64{0} - bit;
        c += static_cast<std::int64_t>(static_cast<u64>(static_cast<std::int64_t>(w)) & mask);
        s += std::bit_cast<double>(std::bit_cast<u64>(wy) & mask);
        ss += std::bit_cast<double>(std::bit_cast<u64>(wy2) & mask);
    }
    void store(SplitSlots::Side& side, std::size_t slot) const
    {
        side.count[slot] = c;
        side.sum[slot] = s;
        side.sumsq[slot] = ss;
    }
};

} // namespace

void PartitionSample::add_exact(const SumTerms& t, const u64* a, SplitSlots::Side& side_a, std::size_t slot_a,
                                const u64* b, SplitSlots::Side* side_b, std::size_t slot_b) const
{
    double sums[6];
    const std::size_t nw = (obs().size() + 63) / 64;
    if (t.planes && !t.planes->bits.empty()) {
        const SumPlanes& sp = *t.planes;
        plane_sums(kernels_.plane_counts,
                   {a, b, t.valid, nw, sp.bits.data(), words_, static_cast<std::size_t>(sp.nw + sp.nwy + sp.nwy2)},
                   sp, sums);
    } else {
        kernels_.exact_sums({a, b, t.valid, nw, unit_weights_ ? nullptr : wd_.data(), t.wy, t.wy2, &lane_masks()},
                            sums);
    }
    side_a.count[slot_a] = static_cast<std::int64_t>(sums[0]);
    side_a.sum[slot_a] = sums[1];
    side_a.sumsq[slot_a] = sums[2];
    if (!side_b) return;
    side_b->count[slot_b] = static_cast<std::int64_t>(sums[3]);
    side_b->sum[slot_b] = sums[4];
    side_b->sumsq[slot_b] = sums[5];
}

void PartitionSample::add_in_order(const SumTerms& t, const u64* a, SplitSlots::Side& side_a, std::size_t slot_a,
                                   const u64* b, SplitSlots::Side* side_b, std::size_t slot_b) const
{
    if (t.exact) {
        add_exact(t, a, side_a, slot_a, b, side_b, slot_b);
        return;
    }
    const u64* valid = t.valid;
    const double* wy = t.wy;
    const double* wy2 = t.wy2;
    // Two slots at once: their sums are separate chains of additions, which the
    // processor then runs side by side.
    Acc x, y;
    if (by_obs_.empty()) {
        const std::size_t nw = (obs().size() + 63) / 64;
        const auto take = [&](u64& m, std::size_t i, Acc& acc) {
            const std::size_t u = i * 64 + static_cast<std::size_t>(std::countr_zero(m));
            m &= m - 1;
            acc.add(weight_[u], wy[u], wy2[u]);
        };
        for (std::size_t i = 0; i < nw; ++i) {
            const u64 v = valid ? valid[i] : ~u64{0};
            u64 ma = a[i] & v, mb = b ? b[i] & v : 0;
            // One unit of each slot in turn keeps both chains busy.
            while (ma && mb) {
                take(ma, i, x);
                take(mb, i, y);
            }
            while (ma) take(ma, i, x);
            while (mb) take(mb, i, y);
        }
    } else {
        for (int unit : by_obs_) {
            const auto u = static_cast<std::size_t>(unit);
            const u64 v = valid ? (valid[u / 64] >> (u % 64)) & 1 : 1;
            x.add_masked((a[u / 64] >> (u % 64)) & v, weight_[u], wy[u], wy2[u]);
            if (b) y.add_masked((b[u / 64] >> (u % 64)) & v, weight_[u], wy[u], wy2[u]);
        }
    }
    x.store(side_a, slot_a);
    if (side_b) y.store(*side_b, slot_b);
}

SplitSums PartitionSample::split_layer(const SumTerms& t, bool per_term, SplitSlots& slots) const
{
    const int q1 = static_cast<int>(list_.lp.size()), q2 = static_cast<int>(list2_.lp.size());
    slots.first.clear(q1);
    slots.second.clear(q2);
    add_in_order(t, side1_.data(), slots.first, static_cast<std::size_t>(q1), side2_.data(), &slots.second,
                 static_cast<std::size_t>(q2));
    if (per_term) {
        for (std::size_t j = 0; j < list_.lp.size(); ++j)
            add_in_order(t, terms1_.data() + j * words_, slots.first, j, nullptr, nullptr, 0);
        for (std::size_t j = 0; j < list2_.lp.size(); ++j)
            add_in_order(t, terms2_.data() + j * words_, slots.second, j, nullptr, nullptr, 0);
    }
    return finish_split(slots, q1, q2, per_term);
}

SplitSums PartitionSample::splittab(const partition::Partition& pair, std::span<const std::int8_t> signbyte,
                                    bool skip, bool per_term, SplitSlots& slots)
{
    // The sample's split state, and its own sum planes, are made for its first split.
    prepare_split();
    const int s1 = pair.first_sense();
    columns_->compile(pair.first, s1, signbyte, list_);
    columns_->compile(pair.second, 1 - s1, signbyte, list2_);
    split_words(skip, per_term);
    return split_layer({nullptr, wy_.data(), wy2_.data(), exact_, &sum_planes_}, per_term, slots);
}

void PartitionSample::splittab(const partition::Partition& pair, std::span<const std::int8_t> signbyte, bool skip,
                               bool per_term, std::span<const YLayer* const> layers, std::span<SplitSums> out,
                               SplitSlots& slots)
{
    if (out.size() < layers.size()) throw std::invalid_argument("fewer results than layers");
    make_split_state();
    const int s1 = pair.first_sense();
    columns_->compile(pair.first, s1, signbyte, list_);
    columns_->compile(pair.second, 1 - s1, signbyte, list2_);
    split_words(skip, per_term);
    for (std::size_t j = 0; j < layers.size(); ++j)
        out[j] = split_layer({layers[j]->valid.data(), layers[j]->wy.data(), layers[j]->wy2.data(), layers[j]->exact,
                                &layers[j]->sum_planes},
                             per_term, slots);
}

} // namespace meru::stats
