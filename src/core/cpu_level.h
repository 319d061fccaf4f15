#pragma once
// The vector instructions the counting kernels may use, chosen in one place for
// the whole program: the processor's best level, lowered by the environment
// variable MERU_SIMD (generic, popcnt, avx2 or avx512; a level the processor
// lacks, or any other value, leaves the processor's) and, in tests, by a
// CpuLevelCap. Every kernel family reads cpu_level() when it picks its kernel,
// so a cap reaches each of them; results are the same at every level.
//
// MERU_X86_DISPATCH tells whether the kernels for higher levels are compiled
// at all (GCC or Clang on x86-64); MERU_ALWAYS_INLINE inlines a kernel's body
// into each of its instantiations.
#include <string_view>
#include <vector>

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define MERU_X86_DISPATCH 1
#define MERU_ALWAYS_INLINE __attribute__((always_inline)) inline
#else
#define MERU_X86_DISPATCH 0
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

// Of a kernel compiled at the generic, popcnt and avx2 levels, the one for
// `level` (avx2's also above it).
template <class Fn> Fn by_level(CpuLevel level, Fn generic, Fn popcnt, Fn avx2)
{
    return level >= CpuLevel::avx2 ? avx2 : (level == CpuLevel::popcnt ? popcnt : generic);
}

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
