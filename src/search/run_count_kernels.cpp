#include "search/class_sample_kernels.h"
#include "search/words8.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if MERU_X86_DISPATCH
#include <immintrin.h>
#endif

namespace meru::search::kernels {

namespace {

#if MERU_X86_DISPATCH
// A run of last terms (see partab_run()) word by word, segment by segment
// (the units of one class and weight, on words of their own): what the
// accumulated terms give every list is made once per run into k.scratch, then
// each list takes two population counts per word, weighted by its segment.
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
        for (std::size_t s = 0; s < k.nsegments; ++s) {
            const ClassOrderedSample::Plane& seg = k.segments[s];
            std::int64_t nd = 0, nm = 0;
            for (std::size_t w = seg.lo; w < seg.hi; ++w) {
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
            det[seg.cls] += seg.value * nd;
            mem[seg.cls] += seg.value * nm;
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
MERU_TARGET_AVX2 void run_words_avx2(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                     std::span<const u64* const> lasts, bool, int sense,
                                     std::span<ClassOrderedSample::Cells> out)
{
    run_words<Skip>(k, a, lasts, sense, out);
}
template <bool Skip>
MERU_TARGET_POPCNT void run_words_popcnt(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                         std::span<const u64* const> lasts, bool, int sense,
                                         std::span<ClassOrderedSample::Cells> out)
{
    run_words<Skip>(k, a, lasts, sense, out);
}

// What a run of two-valued lists shares: the units the accumulated terms
// leave (into k.scratch, returned), and per class the units counted and those
// the accumulated terms hold, weighted by their segments.
MERU_ALWAYS_INLINE const u64* run_left(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                       std::int64_t* units, std::int64_t* held)
{
    u64* left = k.scratch;
    for (std::size_t s = 0; s < k.nsegments; ++s) {
        const ClassOrderedSample::Plane& seg = k.segments[s];
        std::int64_t n = 0, h = 0;
        for (std::size_t w = seg.lo; w < seg.hi; ++w) {
            left[w] = k.valid[w] & ~a.any_true[w];
            n += std::popcount(k.valid[w]);
            h += std::popcount(k.valid[w] & a.any_true[w]);
        }
        units[seg.cls] += seg.value * n;
        held[seg.cls] += seg.value * h;
    }
    return left;
}

// A run of last terms where no literal has a missing byte among the units:
// every unit of the sample is counted, none undetermined or dropped, so a
// list's members are the units where the accumulated terms or its last term
// hold (read in its sense), and only the last terms' holding words are read.
// The units the accumulated terms leave are made once per run into k.scratch;
// each list then takes, segment by segment, the population count of its words
// and theirs (Count over words [lo, hi)), weighted by the segment.
using SegmentCount = std::int64_t (*)(const u64* t, const u64* left, std::size_t lo, std::size_t hi);
template <SegmentCount Count>
MERU_ALWAYS_INLINE void run_two(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                std::span<const u64* const> lasts, int sense, std::span<ClassOrderedSample::Cells> out)
{
    std::int64_t units[2] = {0, 0}, held[2] = {0, 0};
    const u64* left = run_left(k, a, units, held);
    for (std::size_t i = 0; i < lasts.size(); ++i) {
        std::int64_t holds[2] = {held[0], held[1]};
        for (std::size_t s = 0; s < k.nsegments; ++s) {
            const ClassOrderedSample::Plane& seg = k.segments[s];
            holds[seg.cls] += seg.value * Count(lasts[i], left, seg.lo, seg.hi);
        }
        const std::int64_t mem0 = sense ? holds[0] : units[0] - holds[0];
        const std::int64_t mem1 = sense ? holds[1] : units[1] - holds[1];
        out[i] = {units[0] - mem0, mem0, units[1] - mem1, mem1};
    }
}
// One population count per word, over four chains.
MERU_ALWAYS_INLINE std::int64_t count_chains(const u64* t, const u64* left, std::size_t lo, std::size_t hi)
{
    std::int64_t n0 = 0, n1 = 0, n2 = 0, n3 = 0;
    std::size_t w = lo;
    for (; w + 4 <= hi; w += 4) {
        n0 += std::popcount(t[w] & left[w]);
        n1 += std::popcount(t[w + 1] & left[w + 1]);
        n2 += std::popcount(t[w + 2] & left[w + 2]);
        n3 += std::popcount(t[w + 3] & left[w + 3]);
    }
    for (; w < hi; ++w) n0 += std::popcount(t[w] & left[w]);
    return (n0 + n1) + (n2 + n3);
}
MERU_TARGET_AVX2 void run_two_avx2(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                   std::span<const u64* const> lasts, bool, int sense,
                                   std::span<ClassOrderedSample::Cells> out)
{
    run_two<count_chains>(k, a, lasts, sense, out);
}
MERU_TARGET_POPCNT void run_two_popcnt(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                       std::span<const u64* const> lasts, bool, int sense,
                                       std::span<ClassOrderedSample::Cells> out)
{
    run_two<count_chains>(k, a, lasts, sense, out);
}

// A run of last terms against one set of accumulated term words, for two
// classes of units that each weigh 1: eight words at a time, the last partial
// vector under a mask. Each lane's four counts (class 0 and 1, counted and
// members) share one 64-bit lane, 16 bits each, so a list needs one sum across
// the lanes; a count stays below 2^16 while the units fill fewer than 1024
// words.
using Words2 = u64 __attribute__((vector_size(2 * sizeof(u64))));

// count_chains() with the vector population count: eight words at a time, the
// segment's last words under a mask.
MERU_TARGET_AVX512 std::int64_t count_vector(const u64* t, const u64* left, std::size_t lo, std::size_t hi)
{
    Words8 acc = {};
    for (std::size_t w = lo; w < hi; w += 8) {
        const auto m = static_cast<__mmask8>(hi - w >= 8 ? 0xFF : (1u << (hi - w)) - 1);
        acc += pop8(load8(m, t + w) & load8(m, left + w));
    }
    std::int64_t n = 0;
    for (int l = 0; l < 8; ++l) n += static_cast<std::int64_t>(acc[l]);
    return n;
}
MERU_TARGET_AVX512 void run_two_avx512(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                       std::span<const u64* const> lasts, bool, int sense,
                                       std::span<ClassOrderedSample::Cells> out)
{
    run_two<count_vector>(k, a, lasts, sense, out);
}

template <bool Skip>
MERU_TARGET_AVX512 void run_vpopcnt(const ClassOrderedSample::RunKernel& k, const TermWords& a,
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
template <int Table> MERU_TARGET_AVX512 MERU_ALWAYS_INLINE Words8 bits3(Words8 a, Words8 b, Words8 c)
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
    MERU_TARGET_AVX512 Count8(__mmask8 mask, std::size_t at, const TermWords& a,
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
    MERU_TARGET_AVX512 MERU_ALWAYS_INLINE void pops(const u64* t, std::size_t words, Words8& nd, Words8& nm) const
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
    MERU_TARGET_AVX512 MERU_ALWAYS_INLINE Words8 pack(Words8 nd, Words8 nm) const
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
    MERU_TARGET_AVX512 Count16(const ClassOrderedSample::RunKernel& k, const TermWords& a)
        : words(k.words), first(static_cast<__mmask8>(words >= 8 ? 0xFF : (1u << words) - 1), 0, a, k),
          second(static_cast<__mmask8>(Vectors == 2   ? (1u << (words - 8)) - 1
                                       : Vectors == 3 ? 0xFF00u >> (words - 8)
                                                      : 0),
                 Vectors == 2 ? 8 : (Vectors == 3 ? words - 8 : 0), a, k)
    {}
    MERU_TARGET_AVX512 MERU_ALWAYS_INLINE Words8 operator()(const u64* t) const
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
MERU_TARGET_AVX512 void run_vpopcnt16(const ClassOrderedSample::RunKernel& k, const TermWords& a,
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
MERU_TARGET_AVX512 void run_vpopcnt16(const ClassOrderedSample::RunKernel& k, const TermWords& a,
                                      std::span<const u64* const> lasts, bool, int sense,
                                      std::span<ClassOrderedSample::Cells> out)
{
    if (sense) run_vpopcnt16<Skip, Vectors, true>(k, a, lasts, out);
    else run_vpopcnt16<Skip, Vectors, false>(k, a, lasts, out);
}
#endif

} // namespace

// The run kernel for `level` and the snapshot's run data (class words given:
// two segments of units that weigh 1, one per class); null where there is none.
ClassOrderedSample::RunFn pick_run(CpuLevel level, bool skip, const ClassOrderedSample::RunKernel& k)
{
    const std::size_t words = k.words, split = k.split;
    const bool ones = k.class0 != nullptr;
#if MERU_X86_DISPATCH
    // The packed counts of the vector kernels hold fewer than 1024 words.
    if (level == CpuLevel::avx512 && ones && words < 1024) {
        if (words <= 8) return skip ? run_vpopcnt16<true, 1> : run_vpopcnt16<false, 1>;
        if (words <= 16 && split + words <= 16) return skip ? run_vpopcnt16<true, 3> : run_vpopcnt16<false, 3>;
        if (words <= 16) return skip ? run_vpopcnt16<true, 2> : run_vpopcnt16<false, 2>;
        return skip ? run_vpopcnt<true> : run_vpopcnt<false>;
    }
    if (level >= CpuLevel::avx2) return skip ? run_words_avx2<true> : run_words_avx2<false>;
    if (level == CpuLevel::popcnt) return skip ? run_words_popcnt<true> : run_words_popcnt<false>;
#else
    (void)level;
    (void)skip;
    (void)words;
    (void)split;
    (void)ones;
#endif
    return nullptr;
}

ClassOrderedSample::RunFn pick_run_two(CpuLevel level)
{
    return by_level<ClassOrderedSample::RunFn>(level, nullptr, MERU_X86_ONLY(run_two_popcnt),
                                               MERU_X86_ONLY(run_two_avx2), MERU_X86_ONLY(run_two_avx512));
}

} // namespace meru::search::kernels
