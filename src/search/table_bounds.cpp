// The G bound of a two-class chi-square table and its split band, for one
// table (g_bound()) and for the tables of a run (run_bounds()), from one
// lane-wise formula instantiated per vector width: 1 (the plain reference),
// 4 (AVX2) and 8 (AVX-512). Nothing is fused (a fused multiply-add rounds
// differently), so every width gives every table the same bits.
#include "core/cpu_level.h"
#include "search/evaluate.h"

#include <cstring>
#include <limits>
#include <type_traits>

namespace meru::search {

namespace {

#pragma GCC push_options
#pragma GCC optimize("fp-contract=off")
// The lane helpers pass vectors by value; they are always inlined into the
// functions compiled for the vectors' instructions, so no call crosses the ABI
// (the compiler warns about it at the end of the file).
#pragma GCC diagnostic ignored "-Wpsabi"

// Tables in W lanes: integers, doubles, floats and ints; W = 1 plain scalars.
template <int W> struct Lanes;
template <> struct Lanes<1> {
    using I = std::int64_t;
    using U = std::uint64_t;
    using D = double;
    using F = float;
    using N = int;
};
template <> struct Lanes<4> {
    using I = std::int64_t __attribute__((vector_size(32)));
    using U = std::uint64_t __attribute__((vector_size(32)));
    using D = double __attribute__((vector_size(32)));
    using F = float __attribute__((vector_size(16)));
    using N = int __attribute__((vector_size(16)));
};
template <> struct Lanes<8> {
    using I = std::int64_t __attribute__((vector_size(64)));
    using U = std::uint64_t __attribute__((vector_size(64)));
    using D = double __attribute__((vector_size(64)));
    using F = float __attribute__((vector_size(32)));
    using N = int __attribute__((vector_size(32)));
};

namespace plain {
#include "search/chisq_lanes.inc"
} // namespace plain

#if MERU_X86_DISPATCH
MERU_BEGIN_TARGET(MERU_TEXT_AVX2)
namespace avx2 {
#include "search/chisq_lanes.inc"
} // namespace avx2
MERU_END_TARGET

MERU_BEGIN_TARGET(MERU_TEXT_AVX512)
namespace avx512 {
#include "search/chisq_lanes.inc"
} // namespace avx512
MERU_END_TARGET
#endif

MERU_ALWAYS_INLINE void chisq_one(const ClassOrderedSample::Cells& t, bool bounded, bool banded, float& bound,
                                  int& band)
{
    plain::chisq_lanes<1, false>(t[0], t[1], t[2], t[3], bounded, banded, bound, band);
}

#if MERU_X86_DISPATCH
// Eight tables at a time: two tables per vector, then each cell's eight values
// in one. Returns the tables done (a multiple of eight).
MERU_TARGET_AVX512 std::size_t bounds8(std::span<const ClassOrderedSample::Cells> cells, bool bounded, bool banded,
                                       float* bound, int* band)
{
    using I8 = Lanes<8>::I;
    const std::size_t m = cells.size() / 8 * 8;
    for (std::size_t i = 0; i < m; i += 8) {
        I8 z0, z1, z2, z3;
        std::memcpy(&z0, cells[i].data(), sizeof z0);
        std::memcpy(&z1, cells[i + 2].data(), sizeof z1);
        std::memcpy(&z2, cells[i + 4].data(), sizeof z2);
        std::memcpy(&z3, cells[i + 6].data(), sizeof z3);
        const I8 ab0 = __builtin_shuffle(z0, z1, I8{0, 4, 8, 12, 1, 5, 9, 13});
        const I8 cd0 = __builtin_shuffle(z0, z1, I8{2, 6, 10, 14, 3, 7, 11, 15});
        const I8 ab1 = __builtin_shuffle(z2, z3, I8{0, 4, 8, 12, 1, 5, 9, 13});
        const I8 cd1 = __builtin_shuffle(z2, z3, I8{2, 6, 10, 14, 3, 7, 11, 15});
        Lanes<8>::F g;
        Lanes<8>::N k;
        avx512::chisq_lanes<8, false>(__builtin_shuffle(ab0, ab1, I8{0, 1, 2, 3, 8, 9, 10, 11}),
                              __builtin_shuffle(ab0, ab1, I8{4, 5, 6, 7, 12, 13, 14, 15}),
                              __builtin_shuffle(cd0, cd1, I8{0, 1, 2, 3, 8, 9, 10, 11}),
                              __builtin_shuffle(cd0, cd1, I8{4, 5, 6, 7, 12, 13, 14, 15}), bounded, banded, g, k);
        std::memcpy(bound + i, &g, sizeof g);
        std::memcpy(band + i, &k, sizeof k);
    }
    return m;
}

// Four tables at a time, for blocks whose cells all lie in 0..2^26 (any other
// block is taken table by table). Returns the tables done.
MERU_TARGET_AVX2 std::size_t bounds4(std::span<const ClassOrderedSample::Cells> cells, bool bounded, bool banded,
                                     float* bound, int* band)
{
    using I4 = Lanes<4>::I;
    const std::size_t m = cells.size() / 4 * 4;
    for (std::size_t i = 0; i < m; i += 4) {
        I4 z0, z1, z2, z3;
        std::memcpy(&z0, cells[i].data(), sizeof z0);
        std::memcpy(&z1, cells[i + 1].data(), sizeof z1);
        std::memcpy(&z2, cells[i + 2].data(), sizeof z2);
        std::memcpy(&z3, cells[i + 3].data(), sizeof z3);
        // Lane k: cell k of the four tables OR-ed, negative if one is.
        const I4 any = z0 | z1 | z2 | z3;
        const I4 out_of_range = (any < 0) | (any >= (std::int64_t{1} << 26));
        if (out_of_range[0] | out_of_range[1] | out_of_range[2] | out_of_range[3]) {
            for (std::size_t k = 0; k < 4; ++k) chisq_one(cells[i + k], bounded, banded, bound[i + k], band[i + k]);
            continue;
        }
        // Cell k of the four tables in one vector.
        const I4 lo01 = __builtin_shuffle(z0, z1, I4{0, 4, 2, 6}), hi01 = __builtin_shuffle(z0, z1, I4{1, 5, 3, 7});
        const I4 lo23 = __builtin_shuffle(z2, z3, I4{0, 4, 2, 6}), hi23 = __builtin_shuffle(z2, z3, I4{1, 5, 3, 7});
        Lanes<4>::F g;
        Lanes<4>::N k;
        avx2::chisq_lanes<4, true>(__builtin_shuffle(lo01, lo23, I4{0, 1, 4, 5}), __builtin_shuffle(hi01, hi23, I4{0, 1, 4, 5}),
                             __builtin_shuffle(lo01, lo23, I4{2, 3, 6, 7}), __builtin_shuffle(hi01, hi23, I4{2, 3, 6, 7}),
                             bounded, banded, g, k);
        std::memcpy(bound + i, &g, sizeof g);
        std::memcpy(band + i, &k, sizeof k);
    }
    return m;
}
#endif

#pragma GCC pop_options

} // namespace

float Evaluator::g_bound(const stats::CountTable& t) const
{
    if (!bounded_) return std::numeric_limits<float>::infinity();
    float bound;
    int band;
    chisq_one({t.cells[0], t.cells[1], t.cells[2], t.cells[3]}, true, false, bound, band);
    return bound;
}

void Evaluator::run_bounds(std::span<const ClassOrderedSample::Cells> cells, std::span<float> bound,
                           std::span<int> band) const
{
    const bool banded = !settings_.process_mode;
    std::size_t i = kernels_.bounds ? kernels_.bounds(cells, bounded_, banded, bound.data(), band.data()) : 0;
    for (; i < cells.size(); ++i) chisq_one(cells[i], bounded_, banded, bound[i], band[i]);
}

decltype(KernelSet::bounds) kernels::pick_bounds(CpuLevel level)
{
    return by_level<decltype(KernelSet::bounds)>(level, nullptr, nullptr, MERU_X86_ONLY(bounds4),
                                                 MERU_X86_ONLY(bounds8));
}

} // namespace meru::search
