#include "search/class_sample.h"

#include "stats/membership.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>
#include <stdexcept>

#if MERU_X86_DISPATCH
#include <immintrin.h>
#endif

namespace meru::search {

namespace {

using u64 = std::uint64_t;
constexpr std::size_t kBlock = UnitColumns::kBlock;

struct Args {
    std::size_t words;
    bool skip;
    const UnitColumns::Compiled* list;
    const ClassOrderedSample::Plane* planes;
    std::size_t nplanes;
    const u64* bits;
    u64* acc_det;
    u64* acc_mem;
};

using Terms = ClassOrderedSample::TermsKernel;

// Counts the block against every plane that has words in it.
MERU_ALWAYS_INLINE void count_block(const Args& k, std::size_t w0, std::size_t nw, const u64* det, const u64* mem)
{
    for (std::size_t p = 0; p < k.nplanes; ++p) {
        const ClassOrderedSample::Plane& pl = k.planes[p];
        const std::size_t from = std::max<std::size_t>(pl.lo, w0);
        const std::size_t to = std::min<std::size_t>(pl.hi, w0 + nw);
        if (to <= from) continue;
        const u64* b = k.bits + pl.at;
        u64 sd = 0, sm = 0;
        for (std::size_t w = from; w < to; ++w) {
            sd += static_cast<u64>(std::popcount(det[w - w0] & b[w]));
            sm += static_cast<u64>(std::popcount(mem[w - w0] & b[w]));
        }
        k.acc_det[p] += sd;
        k.acc_mem[p] += sm;
    }
}

// Four words as one vector value (one AVX2 register where the kernel is
// compiled for it); loads and stores go through memcpy: the words need not be
// aligned.
using Words = u64 __attribute__((vector_size(4 * sizeof(u64))));

MERU_ALWAYS_INLINE void load(Words& v, const u64* p) { std::memcpy(&v, p, sizeof v); }

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
__attribute__((target("avx2,popcnt"))) void terms_avx2(const Terms& k, const TermWords& a, const TermWords& b,
                                                       int sense, stats::CountTable& out)
{
    count_terms<false>(k, a, b, sense, out);
}
__attribute__((target("avx2,popcnt"))) void terms_skip_avx2(const Terms& k, const TermWords& a, const TermWords& b,
                                                            int sense, stats::CountTable& out)
{
    count_terms<true>(k, a, b, sense, out);
}
__attribute__((target("popcnt"))) void terms_popcnt(const Terms& k, const TermWords& a, const TermWords& b, int sense,
                                                    stats::CountTable& out)
{
    count_terms<false>(k, a, b, sense, out);
}
__attribute__((target("popcnt"))) void terms_skip_popcnt(const Terms& k, const TermWords& a, const TermWords& b,
                                                         int sense, stats::CountTable& out)
{
    count_terms<true>(k, a, b, sense, out);
}
// A run of last terms (see partab_run()) word by word, for two classes of
// units that weigh 1 and meet at a word boundary (class 1 from word k.split
// on): what the accumulated terms give every list is made once per run into
// k.scratch, then each list takes two population counts per word.
template <bool Skip, bool Plain>
MERU_ALWAYS_INLINE void run_words(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                  std::span<const u64* const> lasts, std::span<ClassOrderedSample::Cells> out)
{
    const std::size_t words = k.words;
    u64* tr = k.scratch;                 // the accumulated terms hold
    u64* held_ok = k.scratch + words;    // a unit of the sample, not dropped
    u64* und_ok = k.scratch + 2 * words; // ... nor undetermined by them
    for (std::size_t w = 0; w < words; ++w) {
        tr[w] = a.any_true[w];
        held_ok[w] = Skip ? k.valid[w] & ~a.skip_m[w] : k.valid[w];
        und_ok[w] = held_ok[w] & ~a.any_und[w];
    }
    for (std::size_t i = 0; i < lasts.size(); ++i) {
        const u64* t = lasts[i];
        std::int64_t det[2] = {0, 0}, mem[2] = {0, 0};
        for (std::size_t c = 0, w = 0; c < 2; ++c) {
            const std::size_t end = c == 0 ? k.split : words;
            std::int64_t nd = 0, nm = 0;
            for (; w < end; ++w) {
                const u64 hold = (tr[w] | t[w]) & held_ok[w];
                u64 d = hold | (und_ok[w] & ~t[words + w]);
                u64 member = hold;
                if constexpr (Skip) {
                    d &= ~t[2 * words + w];
                    member &= ~t[2 * words + w];
                }
                if constexpr (!Plain) member = d & ~hold;
                nd += std::popcount(d);
                nm += std::popcount(member);
            }
            det[c] = nd;
            mem[c] = nm;
        }
        out[i] = {det[0] - mem[0], mem[0], det[1] - mem[1], mem[1]};
    }
}
template <bool Skip>
MERU_ALWAYS_INLINE void run_words(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                  std::span<const u64* const> lasts, int sense,
                                  std::span<ClassOrderedSample::Cells> out)
{
    if (sense) run_words<Skip, true>(k, a, lasts, out);
    else run_words<Skip, false>(k, a, lasts, out);
}
template <bool Skip>
__attribute__((target("avx2,bmi,popcnt"))) void
run_words_avx2(const ClassOrderedSample::RunKernel& k, const TermWords& a, std::span<const u64* const> lasts, bool,
               int sense, std::span<ClassOrderedSample::Cells> out)
{
    run_words<Skip>(k, a, lasts, sense, out);
}
template <bool Skip>
__attribute__((target("popcnt"))) void run_words_popcnt(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                                        std::span<const u64* const> lasts, bool, int sense,
                                                        std::span<ClassOrderedSample::Cells> out)
{
    run_words<Skip>(k, a, lasts, sense, out);
}

// With AVX-512's population count on vectors: each plane's words four at a
// time, the membership words made as they are counted, the last partial vector
// read under a mask (masked words count as no unit).
template <bool Skip>
__attribute__((target("avx512f,avx512vl,avx512vpopcntdq,avx2,popcnt"))) void
terms_vpopcnt(const Terms& k, const TermWords& a, const TermWords& b, int sense, stats::CountTable& out)
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
            const __m256i tr = _mm256_or_si256(_mm256_maskz_loadu_epi64(m, a.any_true + w),
                                               _mm256_maskz_loadu_epi64(m, b.any_true + w));
            const __m256i un = _mm256_or_si256(_mm256_maskz_loadu_epi64(m, a.any_und + w),
                                               _mm256_maskz_loadu_epi64(m, b.any_und + w));
            // (tr | ~un) & bits
            __m256i d = _mm256_and_si256(_mm256_or_si256(tr, _mm256_xor_si256(un, _mm256_set1_epi64x(-1))),
                                         _mm256_maskz_loadu_epi64(m, bits + w));
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

// A run of last terms against one set of accumulated term words, for two
// classes of units that each weigh 1: eight words at a time, the last partial
// vector under a mask. Each lane's four counts (class 0 and 1, counted and
// members) share one 64-bit lane, 16 bits each, so a list needs one sum across
// the lanes; a count stays below 2^16 while the units fill fewer than 1024
// words.
// Eight words as one vector value; the arithmetic is written on it (the
// compiler's own 512-bit code), the masked loads and the population count
// through their intrinsics.
using Words8 = u64 __attribute__((vector_size(8 * sizeof(u64))));
using Words2 = u64 __attribute__((vector_size(2 * sizeof(u64))));

#define MERU_AVX512_POPCNT __attribute__((target("avx512f,avx512vl,avx512vpopcntdq,avx2,popcnt")))
MERU_AVX512_POPCNT MERU_ALWAYS_INLINE Words8 load8(__mmask8 m, const u64* p)
{
    return reinterpret_cast<Words8>(_mm512_maskz_loadu_epi64(m, p));
}
MERU_AVX512_POPCNT MERU_ALWAYS_INLINE Words8 pop8(Words8 v)
{
    return reinterpret_cast<Words8>(_mm512_popcnt_epi64(reinterpret_cast<__m512i>(v)));
}

template <bool Skip>
MERU_AVX512_POPCNT void run_vpopcnt(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                    std::span<const u64* const> lasts, bool, int sense,
                                    std::span<ClassOrderedSample::Cells> out)
{
    const std::size_t words = k.words;
    // Whole vectors, then a remainder of four words or more as one more
    // vector under a mask, a smaller one word by word.
    const std::size_t vectors = words % 8 >= 4 ? words : words / 8 * 8;
    const u64 flip = sense ? 0 : ~u64{0};
    for (std::size_t i = 0; i < lasts.size(); ++i) {
        const u64* t = lasts[i];
        Words8 acc = {};
        for (std::size_t w = 0; w < vectors; w += 8) {
            const auto m = static_cast<__mmask8>(vectors - w >= 8 ? 0xFF : (1u << (vectors - w)) - 1);
            const Words8 tr = load8(m, a.any_true + w) | load8(m, t + w);
            const Words8 un = load8(m, a.any_und + w) | load8(m, t + words + w);
            Words8 d = tr | ~un;
            if constexpr (Skip) d &= ~(load8(m, a.skip_m + w) | load8(m, t + 2 * words + w));
            const Words8 x = tr ^ flip;
            const Words8 d0 = d & load8(m, k.class0 + w), d1 = d & load8(m, k.class1 + w);
            acc += pop8(d0) + (pop8(d1) << 16) + (pop8(d0 & x) << 32) + (pop8(d1 & x) << 48);
        }
        u64 sum = 0;
        for (int l = 0; l < 8; ++l) sum += acc[l];
        for (std::size_t w = vectors; w < words; ++w) {
            const u64 tr = a.any_true[w] | t[w];
            u64 d = tr | ~(a.any_und[w] | t[words + w]);
            if constexpr (Skip) d &= ~(a.skip_m[w] | t[2 * words + w]);
            const u64 x = tr ^ flip, d0 = d & k.class0[w], d1 = d & k.class1[w];
            sum += static_cast<u64>(std::popcount(d0)) + (static_cast<u64>(std::popcount(d1)) << 16) +
                   (static_cast<u64>(std::popcount(d0 & x)) << 32) + (static_cast<u64>(std::popcount(d1 & x)) << 48);
        }
        const auto det0 = static_cast<std::int64_t>(sum & 0xFFFF),
                   det1 = static_cast<std::int64_t>((sum >> 16) & 0xFFFF);
        const auto mem0 = static_cast<std::int64_t>((sum >> 32) & 0xFFFF),
                   mem1 = static_cast<std::int64_t>(sum >> 48);
        out[i] = {det0 - mem0, mem0, det1 - mem1, mem1};
    }
}
// Three-input bit functions of vectors a, b, c, one instruction each; the
// table's bits are f(a, b, c) at 0xF0, 0xCC and 0xAA.
template <int Table> MERU_AVX512_POPCNT MERU_ALWAYS_INLINE Words8 bits3(Words8 a, Words8 b, Words8 c)
{
    return reinterpret_cast<Words8>(_mm512_ternarylogic_epi64(
        reinterpret_cast<__m512i>(a), reinterpret_cast<__m512i>(b), reinterpret_cast<__m512i>(c), Table));
}
constexpr int kOrAnd = 0xA8;    // (a | b) & c
constexpr int kOrAndNot = 0xCE; // b | (c & ~a)

// Eight words of a run (see run_vpopcnt16) from word `at` on, under mask m:
// what the accumulated terms give every list, held in registers. A unit is
// counted when it is one of the sample's (valid), not dropped by the skip
// flag, and held or not undetermined; each word belongs to one class, so a
// word's two counts (counted, members) go to their class's 16-bit field by a
// shift per lane.
template <bool Skip, bool Plain> struct Count8 {
    Words8 tr, held_ok, und_ok, det_at{}, mem_at{};
    __mmask8 m;
    MERU_AVX512_POPCNT Count8(__mmask8 mask, std::size_t at, const TermWords& a,
                              const ClassOrderedSample::RunKernel& k)
        : m(mask)
    {
        tr = load8(m, a.any_true + at);
        const Words8 valid = load8(m, k.valid + at);
        held_ok = Skip ? valid & ~load8(m, a.skip_m + at) : valid;
        und_ok = held_ok & ~load8(m, a.any_und + at);
        for (int l = 0; l < 8; ++l) {
            const u64 cls = at + static_cast<std::size_t>(l) >= k.split ? 16 : 0;
            det_at[l] = cls;
            mem_at[l] = cls + 32;
        }
    }
    // The list of last term t: the population counts of its words counted
    // (into nd) and of its members (nm).
    MERU_AVX512_POPCNT MERU_ALWAYS_INLINE void pops(const u64* t, std::size_t words, Words8& nd, Words8& nm) const
    {
        // The freshly loaded words first: the instruction overwrites its first operand.
        const Words8 hold = bits3<kOrAnd>(load8(m, t), tr, held_ok);
        Words8 d = bits3<kOrAndNot>(load8(m, t + words), hold, und_ok);
        Words8 member = hold;
        if constexpr (Skip) {
            const Words8 sk = load8(m, t + 2 * words);
            d &= ~sk;
            member &= ~sk;
        }
        if constexpr (!Plain) member = d & ~hold;
        nd = pop8(d);
        nm = pop8(member);
    }
    // Counts of these lanes' words packed into their class's fields.
    MERU_AVX512_POPCNT MERU_ALWAYS_INLINE Words8 pack(Words8 nd, Words8 nm) const
    {
        return (nd << det_at) + (nm << mem_at);
    }
};

// A list's packed counts of units in at most sixteen words, as one vector
// (Vectors 1), two (2: words 0-7 and the rest), or two where the second holds
// the words past 8 in the lanes that hold words of class 1 in the first (3: it
// starts at word words - 8; its counts are added to the first's before they
// are shifted to their fields).
template <bool Skip, bool Plain, int Vectors> struct Count16 {
    std::size_t words;
    Count8<Skip, Plain> first, second;
    MERU_AVX512_POPCNT Count16(const ClassOrderedSample::RunKernel& k, const TermWords& a)
        : words(k.words), first(static_cast<__mmask8>(words >= 8 ? 0xFF : (1u << words) - 1), 0, a, k),
          second(static_cast<__mmask8>(Vectors == 2   ? (1u << (words - 8)) - 1
                                       : Vectors == 3 ? 0xFF00u >> (words - 8)
                                                      : 0),
                 Vectors == 2 ? 8 : (Vectors == 3 ? words - 8 : 0), a, k)
    {}
    MERU_AVX512_POPCNT MERU_ALWAYS_INLINE Words8 operator()(const u64* t) const
    {
        Words8 nd, nm;
        first.pops(t, words, nd, nm);
        if constexpr (Vectors == 1) return first.pack(nd, nm);
        Words8 nd2, nm2;
        if constexpr (Vectors == 2) {
            second.pops(t + 8, words, nd2, nm2);
            return first.pack(nd, nm) + second.pack(nd2, nm2);
        }
        second.pops(t + (words - 8), words, nd2, nm2);
        return first.pack(nd + nd2, nm + nm2);
    }
};

// A run for units in at most sixteen words (see Count16) whose classes meet at
// a word boundary, and a plain or flipped list: the accumulated terms' words
// stay in registers for the whole run, the words past the units masked off; a
// list's counts are summed across the lanes once.
template <bool Skip, int Vectors, bool Plain>
MERU_AVX512_POPCNT void run_vpopcnt16(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                      std::span<const u64* const> lasts, std::span<ClassOrderedSample::Cells> out)
{
    const Count16<Skip, Plain, Vectors> counts(k, a);
    const auto unpack = [&](std::size_t i, u64 sum) {
        const auto det0 = static_cast<std::int64_t>(sum & 0xFFFF),
                   det1 = static_cast<std::int64_t>((sum >> 16) & 0xFFFF);
        const auto mem0 = static_cast<std::int64_t>((sum >> 32) & 0xFFFF),
                   mem1 = static_cast<std::int64_t>(sum >> 48);
        out[i] = {det0 - mem0, mem0, det1 - mem1, mem1};
    };
    // Two lists' lanes summed together: the pairs of lanes interleaved, then halved twice.
    std::size_t i = 0;
    for (; i + 2 <= lasts.size(); i += 2) {
        const Words8 xw = counts(lasts[i]), yw = counts(lasts[i + 1]);
        const Words8 s = __builtin_shufflevector(xw, yw, 0, 8, 2, 10, 4, 12, 6, 14) +
                         __builtin_shufflevector(xw, yw, 1, 9, 3, 11, 5, 13, 7, 15);
        const Words h = __builtin_shufflevector(s, s, 0, 1, 2, 3) + __builtin_shufflevector(s, s, 4, 5, 6, 7);
        const Words2 q = __builtin_shufflevector(h, h, 0, 1) + __builtin_shufflevector(h, h, 2, 3);
        unpack(i, q[0]);
        unpack(i + 1, q[1]);
    }
    if (i < lasts.size()) {
        const Words8 acc = counts(lasts[i]);
        u64 sum = 0;
        for (int l = 0; l < 8; ++l) sum += acc[l];
        unpack(i, sum);
    }
}
template <bool Skip, int Vectors>
MERU_AVX512_POPCNT void run_vpopcnt16(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                      std::span<const u64* const> lasts, bool, int sense,
                                      std::span<ClassOrderedSample::Cells> out)
{
    if (sense) run_vpopcnt16<Skip, Vectors, true>(k, a, lasts, out);
    else run_vpopcnt16<Skip, Vectors, false>(k, a, lasts, out);
}
#undef MERU_AVX512_POPCNT
#endif

using Level = ClassOrderedSample::Level;

// The instructions this processor has, at most `most`.
Level level_of(Level most)
{
    Level have = Level::generic;
#if MERU_X86_DISPATCH
    __builtin_cpu_init();
    if (__builtin_cpu_supports("popcnt")) {
        have = Level::popcnt;
        if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi")) {
            have = Level::avx2;
            if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                __builtin_cpu_supports("avx512vpopcntdq"))
                have = Level::avx512;
        }
    }
#endif
    return std::min(have, most);
}

// The run kernel for `level` and `words` unit words, class 1 from word
// `split` on; null where there is none.
ClassOrderedSample::RunFn pick_run(Level level, bool skip, std::size_t words, std::size_t split)
{
#if MERU_X86_DISPATCH
    if (level == Level::avx512) {
        if (words <= 8) return skip ? run_vpopcnt16<true, 1> : run_vpopcnt16<false, 1>;
        if (words <= 16 && split + words <= 16) return skip ? run_vpopcnt16<true, 3> : run_vpopcnt16<false, 3>;
        if (words <= 16) return skip ? run_vpopcnt16<true, 2> : run_vpopcnt16<false, 2>;
        return skip ? run_vpopcnt<true> : run_vpopcnt<false>;
    }
    if (level == Level::avx2) return skip ? run_words_avx2<true> : run_words_avx2<false>;
    if (level == Level::popcnt) return skip ? run_words_popcnt<true> : run_words_popcnt<false>;
#else
    (void)level;
    (void)skip;
    (void)words;
    (void)split;
#endif
    return nullptr;
}

// The term-words kernel for `level`, with or without the skip flag.
ClassOrderedSample::TermsFn pick_terms(Level level, bool skip)
{
#if MERU_X86_DISPATCH
    if (level == Level::avx512) return skip ? terms_vpopcnt<true> : terms_vpopcnt<false>;
    if (level == Level::avx2) return skip ? terms_skip_avx2 : terms_avx2;
    if (level == Level::popcnt) return skip ? terms_skip_popcnt : terms_popcnt;
#else
    (void)level;
#endif
    return skip ? terms_skip_generic : terms_generic;
}

MERU_ALWAYS_INLINE void count_all(const Args& k)
{
    u64 det[kBlock], mem[kBlock];
    for (std::size_t w0 = 0; w0 < k.words; w0 += kBlock) {
        membership_block(*k.list, k.skip, w0, det, mem);
        count_block(k, w0, kBlock, det, mem);
    }
}

void count_generic(const Args& k) { count_all(k); }

#if MERU_X86_DISPATCH
// The same kernel for processors with the population-count instruction (and
// with AVX2), chosen at run time.
__attribute__((target("popcnt"))) void count_popcnt(const Args& k) { count_all(k); }
__attribute__((target("avx2,popcnt"))) void count_avx2(const Args& k) { count_all(k); }
#endif

using CountFn = void (*)(const Args&);

CountFn pick_kernel()
{
#if MERU_X86_DISPATCH
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt")) return count_avx2;
    if (__builtin_cpu_supports("popcnt")) return count_popcnt;
#endif
    return count_generic;
}

void count(const Args& k)
{
    static const CountFn kernel = pick_kernel();
    kernel(k);
}

} // namespace

ClassOrderedSample::ClassOrderedSample(const stats::SampleView& view, int nclasses, Level most)
{
    view.check();
    nclasses_ = std::clamp(nclasses, 0, stats::CountTable::max_classes);
    std::vector<int> cls, weight;
    std::vector<int> obs;
    for (int i = 0; i < view.abyte.n; ++i) {
        const auto ix = static_cast<std::size_t>(i);
        const int w = view.weights[ix];
        if (!view.mask[ix] || w == 0) continue;
        const int c = stats::y_class(view.y[ix], nclasses_);
        if (c < 0) continue;
        if (c == nclasses_) { // counted in no cell
            beyond_ += w;
            continue;
        }
        obs.push_back(i);
        cls.push_back(c);
        weight.push_back(w);
    }
    std::vector<std::size_t> order(obs.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto width = [&](std::size_t u) { return std::bit_width(static_cast<std::uint32_t>(weight[u])); };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return cls[a] != cls[b] ? cls[a] < cls[b] : width(a) > width(b);
    });
    // For the run kernel (two classes, every unit weighing 1, fewer than 1024
    // words) class 1 starts on a new word: the units of class 0 are followed by
    // padding units up to the word's end, which belong to no plane.
    const auto ones = static_cast<std::size_t>(std::count(weight.begin(), weight.end(), 1));
    const auto zeros = static_cast<std::size_t>(std::count(cls.begin(), cls.end(), 0));
    const std::size_t gap = (64 - zeros % 64) % 64;
    const bool aligned = nclasses_ == 2 && ones == obs.size() && zeros > 0 && zeros < obs.size() &&
                         (obs.size() + gap + 63) / 64 < 1024;
    // at[u]: the unit that order[u] becomes.
    std::vector<std::size_t> at(order.size());
    for (std::size_t u = 0; u < order.size(); ++u) at[u] = aligned && u >= zeros ? u + gap : u;
    {
        std::vector<int> o(order.empty() ? 0 : at.back() + 1, -1);
        for (std::size_t u = 0; u < order.size(); ++u) o[at[u]] = obs[order[u]];
        columns_ = std::make_unique<UnitColumns>(view.abyte, std::move(o));
    }
    // The padding units belong to no plane and so are never counted.
    const std::size_t words = columns_->words();

    // One plane per (class, weight bit) that occurs; a class's units are
    // contiguous, so its planes' words are too.
    std::vector<int> index(static_cast<std::size_t>(nclasses_) * 32, -1);
    for (std::size_t u = 0; u < order.size(); ++u) {
        const int c = cls[order[u]];
        auto bits = static_cast<std::uint32_t>(weight[order[u]]);
        while (bits) {
            const int b = std::countr_zero(bits);
            bits &= bits - 1;
            int& plane = index[static_cast<std::size_t>(c * 32 + b)];
            if (plane < 0) {
                plane = static_cast<int>(planes_.size());
                Plane p;
                p.cls = c;
                p.value = b == 31 ? -(std::int64_t{1} << 31) : (std::int64_t{1} << b);
                p.lo = static_cast<std::uint32_t>(words);
                p.at = planes_.size() * words;
                planes_.push_back(p);
                bits_.resize(planes_.size() * words, 0);
            }
            Plane& p = planes_[static_cast<std::size_t>(plane)];
            const std::size_t x = at[u];
            bits_[p.at + x / 64] |= u64{1} << (x % 64);
            p.lo = std::min(p.lo, static_cast<std::uint32_t>(x / 64));
            p.hi = std::max(p.hi, static_cast<std::uint32_t>(x / 64 + 1));
        }
    }
    acc_det_.assign(planes_.size(), 0);
    acc_mem_.assign(planes_.size(), 0);
    det_.assign(std::max<std::size_t>(unit_words(), 1), 0);
    mem_.assign(det_.size(), 0);
    terms_ = {unit_words(), planes_.data(), planes_.size(), bits_.data(),
              det_.data(),  mem_.data(),    nclasses_,      beyond_};
    const Level level = level_of(most);
    terms_fn_ = pick_terms(level, false);
    terms_skip_fn_ = pick_terms(level, true);
    // Two classes of units that weigh 1: a plane per class.
    if (aligned) {
        const std::size_t first = planes_[0].cls == 0 ? 0 : 1;
        const u64 *c0 = bits_.data() + planes_[first].at, *c1 = bits_.data() + planes_[1 - first].at;
        valid_.resize(unit_words());
        for (std::size_t w = 0; w < valid_.size(); ++w) valid_[w] = c0[w] | c1[w];
        run_scratch_.resize(3 * unit_words());
        run_ = {unit_words(), c0, c1, valid_.data(), (zeros + gap) / 64, run_scratch_.data()};
        run_fn_ = pick_run(level, false, unit_words(), run_.split);
        run_skip_fn_ = pick_run(level, true, unit_words(), run_.split);
    }
}

void ClassOrderedSample::partab(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                                bool skip, stats::CountTable& out)
{
    columns_->compile(list, sense, signbyte, list_);
    out.clear();
    tabulate({columns_->words(), skip, &list_}, out);
}

void ClassOrderedSample::partab_terms(const TermWords& before, const TermWords& last, bool skip, int sense,
                                      stats::CountTable& out)
{
    (skip ? terms_skip_fn_ : terms_fn_)(terms_, before, last, sense, out);
}

void ClassOrderedSample::partab_run(const TermWords& before, std::span<const std::uint64_t* const> lasts, bool skip,
                                    int sense, std::span<Cells> out)
{
    if (RunFn f = skip ? run_skip_fn_ : run_fn_) {
        f(run_, before, lasts, skip, sense, out);
        return;
    }
    const std::size_t words = unit_words();
    for (std::size_t i = 0; i < lasts.size(); ++i) {
        const std::uint64_t* t = lasts[i];
        const TermWords last{t, t + words, skip ? t + 2 * words : nullptr};
        partab_terms(before, last, skip, sense, run_table_);
        std::copy_n(run_table_.cells.begin(), 4, out[i].begin());
    }
}

void ClassOrderedSample::tabulate(const Kernel& in, stats::CountTable& out)
{
    std::fill(acc_det_.begin(), acc_det_.end(), 0);
    std::fill(acc_mem_.begin(), acc_mem_.end(), 0);
    const Args k{in.words,       in.skip,      in.list,         planes_.data(),
                 planes_.size(), bits_.data(), acc_det_.data(), acc_mem_.data()};
    count(k);
    out.beyond = beyond_;
    for (std::size_t j = 0; j < planes_.size(); ++j) {
        const auto c = static_cast<std::size_t>(planes_[j].cls);
        const std::int64_t v = planes_[j].value;
        const auto members = static_cast<std::int64_t>(acc_mem_[j]);
        const auto others = static_cast<std::int64_t>(acc_det_[j]) - members;
        out.cells[2 * c + 1] += v * members;
        out.cells[2 * c] += v * others;
        out.w1 += v * members;
        out.w0 += v * others;
    }
}

} // namespace meru::search
