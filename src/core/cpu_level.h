#pragma once
// The vector instructions the counting kernels may use, chosen in one place for
// the whole program: the processor's best level, lowered by the environment
// variable MERU_SIMD (generic, popcnt, avx2 or avx512; a level the processor
// lacks, or any other value, leaves the processor's) and, in tests, by a
// CpuLevelCap. A sample picks all its kernels for cpu_level() when it is made
// (stats/sample_kernels.h, search/kernel_set.h), so a cap reaches every sample
// made while it lives; results are the same at every level.
//
// MERU_X86_DISPATCH tells whether the kernels for higher levels are compiled
// at all (GCC or Clang on x86-64); a kernel for a level is compiled for the
// instructions the probe requires of it (MERU_TARGET_POPCNT, MERU_TARGET_AVX2,
// MERU_TARGET_AVX512, defined here only); MERU_ALWAYS_INLINE inlines a kernel's body into each of
// its instantiations.
#include <cstddef>
#include <string_view>
#include <type_traits>
#include <vector>

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define MERU_X86_DISPATCH 1
#define MERU_TEXT_POPCNT "popcnt"
#define MERU_TEXT_AVX2 "popcnt,avx2,bmi"
#define MERU_TEXT_AVX512 "popcnt,avx2,bmi,avx512f,avx512vl,avx512dq,avx512bw,avx512vpopcntdq"
#define MERU_TARGET_POPCNT __attribute__((target(MERU_TEXT_POPCNT)))
#define MERU_TARGET_AVX2 __attribute__((target(MERU_TEXT_AVX2)))
#define MERU_TARGET_AVX512 __attribute__((target(MERU_TEXT_AVX512)))
// Code between MERU_BEGIN_TARGET(MERU_TEXT_...) and MERU_END_TARGET is
// compiled for that level.
#define MERU_PRAGMA(x) _Pragma(#x)
#define MERU_BEGIN_TARGET(text) _Pragma("GCC push_options") MERU_PRAGMA(GCC target(text))
#define MERU_END_TARGET _Pragma("GCC pop_options")
#define MERU_ALWAYS_INLINE __attribute__((always_inline)) inline
#define MERU_X86_ONLY(...) __VA_ARGS__
#else
#define MERU_X86_DISPATCH 0
#define MERU_X86_ONLY(...) nullptr
#define MERU_ALWAYS_INLINE inline
#endif

namespace meru {

// Each level includes the ones below it: popcnt the population-count
// instruction; avx2 also AVX2 and BMI; avx512 also AVX-512 F, VL, DQ, BW
// and VPOPCNTDQ.
enum class CpuLevel { generic, popcnt, avx2, avx512 };

// What the processor has.
CpuLevel machine_level();
// What the kernels take now.
CpuLevel cpu_level();
// Every level from generic up to the processor's.
std::vector<CpuLevel> machine_levels();
std::string_view level_name(CpuLevel level);
// The level named by MERU_SIMD's text; generic when the text names none
// (`known` then false).
CpuLevel parse_level(std::string_view text, bool* known = nullptr);

// Of a family's kernels for the generic, popcnt, avx2 and avx512 levels (null
// where a level has none of its own), the one of the highest level up to
// `level`; the generic one (which may be null) when there is none. Name a
// kernel of a higher level through MERU_X86_ONLY(), which is null where such
// kernels are not compiled.
template <class Fn>
Fn by_level(CpuLevel level, Fn generic, std::type_identity_t<Fn> popcnt, std::type_identity_t<Fn> avx2,
            std::type_identity_t<Fn> avx512 = nullptr)
{
    const Fn of[] = {generic, popcnt, avx2, avx512};
    for (auto k = static_cast<std::size_t>(level); k > 0; --k)
        if (of[k]) return of[k];
    return generic;
}

// Marks the upper halves of the vector registers clean (VZEROUPPER where the
// processor has AVX). Library routines that use the wide registers can leave
// them marked in use, and every scalar floating-point instruction after them
// then waits on the whole register: a loop of scalar arithmetic that runs
// after anything else (the event pump, a copy) calls it first.
void clean_vector_state();

// While it lives, cpu_level() is at most `most` (caps nest; the last one made
// is undone first). Not for use while another thread picks kernels.
class CpuLevelCap {
public:
    explicit CpuLevelCap(CpuLevel most);
    ~CpuLevelCap();
    CpuLevelCap(const CpuLevelCap&) = delete;
    CpuLevelCap& operator=(const CpuLevelCap&) = delete;

private:
    CpuLevel before_;
};

} // namespace meru
