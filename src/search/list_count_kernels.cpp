#include "search/class_sample_kernels.h"

#include "stats/membership.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if MERU_X86_DISPATCH
#include <immintrin.h>
#endif

namespace meru::search::kernels {

namespace {

constexpr std::size_t kBlock = UnitColumns::kBlock;

// Counts the block against every plane that has words in it.
MERU_ALWAYS_INLINE void count_block(const ClassOrderedSample::ListKernel& k, std::size_t w0, std::size_t nw, const u64* det, const u64* mem)
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

MERU_ALWAYS_INLINE void count_all(const ClassOrderedSample::ListKernel& k)
{
    u64 det[kBlock], mem[kBlock];
    for (std::size_t w0 = 0; w0 < k.words; w0 += kBlock) {
        membership_block(*k.list, k.skip, w0, det, mem);
        count_block(k, w0, kBlock, det, mem);
    }
}

void count_generic(const ClassOrderedSample::ListKernel& k) { count_all(k); }

#if MERU_X86_DISPATCH
// The same kernel for processors with the population-count instruction (and
// with AVX2), chosen at run time.
MERU_TARGET_POPCNT void count_popcnt(const ClassOrderedSample::ListKernel& k) { count_all(k); }
MERU_TARGET_AVX2 void count_avx2(const ClassOrderedSample::ListKernel& k) { count_all(k); }
#endif

} // namespace

ClassOrderedSample::ListFn pick_list(CpuLevel level)
{
    return by_level(level, count_generic, MERU_X86_ONLY(count_popcnt), MERU_X86_ONLY(count_avx2));
}

} // namespace meru::search::kernels
