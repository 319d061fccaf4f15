#include "search/class_sample_kernels.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if MERU_X86_DISPATCH
#include <immintrin.h>
#endif

namespace meru::search::kernels {

namespace {

constexpr std::size_t kBlock = UnitColumns::kBlock;

using Terms = ClassOrderedSample::TermsKernel;

// The membership words of the OR of two sets of accumulated term words: det
// marks the units of membership 0 or 1, mem those of the list's membership 1
// read in its sense.
template <bool Skip, class W>
MERU_ALWAYS_INLINE void membership_words(const TermWords& a, const TermWords& b, int sense, std::size_t w, W& det,
                                         W& mem)
{
    W tr, un, x, y;
    if constexpr (sizeof(W) == sizeof(u64)) {
        tr = a.any_true[w] | b.any_true[w];
        un = a.any_und[w] | b.any_und[w];
    } else {
        load(tr, a.any_true + w);
        load(x, b.any_true + w);
        load(un, a.any_und + w);
        load(y, b.any_und + w);
        tr |= x;
        un |= y;
    }
    det = tr | ~un;
    if constexpr (Skip) {
        if constexpr (sizeof(W) == sizeof(u64)) {
            det &= ~(a.skip_m[w] | b.skip_m[w]);
        } else {
            load(x, a.skip_m + w);
            load(y, b.skip_m + w);
            det &= ~(x | y);
        }
    }
    mem = det & (sense ? tr : ~tr);
}

// From two sets of accumulated term words OR-ed together (the terms before
// the last, and the last): the membership words first, a vector of words at a
// time, then plane by plane over the plane's own words (a plane's words are
// few: its class's units). `Skip`: the missing words are read.
template <bool Skip>
MERU_ALWAYS_INLINE void count_terms(const Terms& k, const TermWords& a, const TermWords& b, int sense,
                                    stats::CountTable& out)
{
    std::size_t w = 0;
    for (; w + kBlock <= k.words; w += kBlock) {
        Words det, mem;
        membership_words<Skip>(a, b, sense, w, det, mem);
        std::memcpy(k.det + w, &det, sizeof det);
        std::memcpy(k.mem + w, &mem, sizeof mem);
    }
    for (; w < k.words; ++w) membership_words<Skip>(a, b, sense, w, k.det[w], k.mem[w]);
    std::fill_n(out.cells.begin(), 2 * k.nclasses, 0);
    out.w0 = out.w1 = 0;
    out.beyond = k.beyond;
    for (std::size_t p = 0; p < k.nplanes; ++p) {
        const ClassOrderedSample::Plane& pl = k.planes[p];
        const u64* bits = k.bits + pl.at;
        u64 sd = 0, sm = 0;
        for (std::size_t i = pl.lo; i < pl.hi; ++i) {
            sd += static_cast<u64>(std::popcount(k.det[i] & bits[i]));
            sm += static_cast<u64>(std::popcount(k.mem[i] & bits[i]));
        }
        const auto c = static_cast<std::size_t>(pl.cls);
        const auto members = pl.value * static_cast<std::int64_t>(sm);
        const auto others = pl.value * (static_cast<std::int64_t>(sd) - static_cast<std::int64_t>(sm));
        out.cells[2 * c + 1] += members;
        out.cells[2 * c] += others;
        out.w1 += members;
        out.w0 += others;
    }
}

void terms_generic(const Terms& k, const TermWords& a, const TermWords& b, int sense, stats::CountTable& out)
{
    count_terms<false>(k, a, b, sense, out);
}
void terms_skip_generic(const Terms& k, const TermWords& a, const TermWords& b, int sense, stats::CountTable& out)
{
    count_terms<true>(k, a, b, sense, out);
}

#if MERU_X86_DISPATCH
MERU_TARGET_AVX2 void terms_avx2(const Terms& k, const TermWords& a, const TermWords& b, int sense,
                                 stats::CountTable& out)
{
    count_terms<false>(k, a, b, sense, out);
}
MERU_TARGET_AVX2 void terms_skip_avx2(const Terms& k, const TermWords& a, const TermWords& b, int sense,
                                      stats::CountTable& out)
{
    count_terms<true>(k, a, b, sense, out);
}
MERU_TARGET_POPCNT void terms_popcnt(const Terms& k, const TermWords& a, const TermWords& b, int sense,
                                     stats::CountTable& out)
{
    count_terms<false>(k, a, b, sense, out);
}
MERU_TARGET_POPCNT void terms_skip_popcnt(const Terms& k, const TermWords& a, const TermWords& b, int sense,
                                          stats::CountTable& out)
{
    count_terms<true>(k, a, b, sense, out);
}
// With AVX-512's population count on vectors: each plane's words four at a
// time, the membership words made as they are counted, the last partial vector
// read under a mask (masked words count as no unit).
// Two: no unit is undetermined by either list (no literal has a missing byte),
// so every unit of a plane is counted and the undetermined words are not read.
// Joined (with Two): the last term is b's holding words AND one more literal,
// whose failing words stand in b's undetermined ones.
template <bool Skip, bool Two = false, bool Joined = false>
MERU_TARGET_AVX512 void terms_vpopcnt(const Terms& k, const TermWords& a, const TermWords& b, int sense,
                                      stats::CountTable& out)
{
    if (k.nclasses == 2) out.cells[0] = out.cells[1] = out.cells[2] = out.cells[3] = 0; // the usual binary Y
    else std::fill_n(out.cells.begin(), 2 * k.nclasses, 0);
    out.w0 = out.w1 = 0;
    out.beyond = k.beyond;
    const __m256i flip = sense ? _mm256_setzero_si256() : _mm256_set1_epi64x(-1);
    for (std::size_t p = 0; p < k.nplanes; ++p) {
        const ClassOrderedSample::Plane& pl = k.planes[p];
        const u64* bits = k.bits + pl.at;
        __m256i sd = _mm256_setzero_si256(), sm = _mm256_setzero_si256();
        for (std::size_t w = pl.lo; w < pl.hi; w += 4) {
            const auto m = static_cast<__mmask8>(pl.hi - w >= 4 ? 0xF : (1u << (pl.hi - w)) - 1);
            __m256i last = _mm256_maskz_loadu_epi64(m, b.any_true + w);
            if constexpr (Joined) last = _mm256_andnot_si256(_mm256_maskz_loadu_epi64(m, b.any_und + w), last);
            const __m256i tr = _mm256_or_si256(_mm256_maskz_loadu_epi64(m, a.any_true + w), last);
            // (tr | ~un) & bits
            __m256i d = _mm256_maskz_loadu_epi64(m, bits + w);
            if constexpr (!Two) {
                const __m256i un = _mm256_or_si256(_mm256_maskz_loadu_epi64(m, a.any_und + w),
                                                   _mm256_maskz_loadu_epi64(m, b.any_und + w));
                d = _mm256_and_si256(_mm256_or_si256(tr, _mm256_xor_si256(un, _mm256_set1_epi64x(-1))), d);
            }
            if constexpr (Skip)
                d = _mm256_andnot_si256(_mm256_or_si256(_mm256_maskz_loadu_epi64(m, a.skip_m + w),
                                                        _mm256_maskz_loadu_epi64(m, b.skip_m + w)),
                                        d);
            sd = _mm256_add_epi64(sd, _mm256_popcnt_epi64(d));
            sm = _mm256_add_epi64(sm, _mm256_popcnt_epi64(_mm256_and_si256(d, _mm256_xor_si256(tr, flip))));
        }
        // [det, mem] from the lanes of both sums.
        const __m256i pair = _mm256_add_epi64(_mm256_unpacklo_epi64(sd, sm), _mm256_unpackhi_epi64(sd, sm));
        const __m128i sums = _mm_add_epi64(_mm256_castsi256_si128(pair), _mm256_extracti128_si256(pair, 1));
        const std::int64_t det = _mm_cvtsi128_si64(sums), mem = _mm_extract_epi64(sums, 1);
        const auto c = static_cast<std::size_t>(pl.cls);
        const auto members = pl.value * mem;
        const auto others = pl.value * (det - mem);
        out.cells[2 * c + 1] += members;
        out.cells[2 * c] += others;
        out.w1 += members;
        out.w0 += others;
    }
}
#endif

} // namespace

ClassOrderedSample::TermsFn pick_terms_two(CpuLevel level, [[maybe_unused]] bool joined)
{
    return by_level<ClassOrderedSample::TermsFn>(
        level, nullptr, nullptr, nullptr,
        MERU_X86_ONLY(joined ? terms_vpopcnt<false, true, true> : terms_vpopcnt<false, true>));
}

// The term-words kernel for `level`, with or without the skip flag.
ClassOrderedSample::TermsFn pick_terms(CpuLevel level, bool skip)
{
    return by_level(level, skip ? terms_skip_generic : terms_generic,
                    MERU_X86_ONLY(skip ? terms_skip_popcnt : terms_popcnt),
                    MERU_X86_ONLY(skip ? terms_skip_avx2 : terms_avx2),
                    MERU_X86_ONLY(skip ? terms_vpopcnt<true> : terms_vpopcnt<false>));
}

} // namespace meru::search::kernels
