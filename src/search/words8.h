#pragma once
// Eight words as one vector value for the kernels compiled for the avx512
// level: the arithmetic is written on it (the compiler's own 512-bit code),
// the masked loads and the population count through their intrinsics.
#include "core/cpu_level.h"

#include <cstdint>

#if MERU_X86_DISPATCH
#include <immintrin.h>

namespace meru::search::kernels {

using Words8 = std::uint64_t __attribute__((vector_size(8 * sizeof(std::uint64_t))));

// The words of `p` under mask `m` (the others 0).
MERU_TARGET_AVX512 MERU_ALWAYS_INLINE Words8 load8(__mmask8 m, const std::uint64_t* p)
{
    return reinterpret_cast<Words8>(_mm512_maskz_loadu_epi64(m, p));
}
// The population count of each word.
MERU_TARGET_AVX512 MERU_ALWAYS_INLINE Words8 pop8(Words8 v)
{
    return reinterpret_cast<Words8>(_mm512_popcnt_epi64(reinterpret_cast<__m512i>(v)));
}

} // namespace meru::search::kernels
#endif
