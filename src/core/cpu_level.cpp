#include "core/cpu_level.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>

namespace meru {

namespace {

CpuLevel probe()
{
    CpuLevel have = CpuLevel::generic;
#if MERU_X86_DISPATCH
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("popcnt")) return have;
    have = CpuLevel::popcnt;
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("bmi")) return have;
    have = CpuLevel::avx2;
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vpopcntdq"))
        have = CpuLevel::avx512;
#endif
    return have;
}

#if MERU_X86_DISPATCH
__attribute__((target("avx"))) void zero_upper() { __builtin_ia32_vzeroupper(); }
#endif

CpuLevel from_environment()
{
    const CpuLevel have = machine_level();
    const char* text = std::getenv("MERU_SIMD");
    bool known = false;
    const CpuLevel asked = text ? parse_level(text, &known) : have;
    return known ? std::min(asked, have) : have;
}

// The level in force: the environment's, lowered by the caps that live.
std::atomic<CpuLevel>& current()
{
    static std::atomic<CpuLevel> level{from_environment()};
    return level;
}

constexpr std::array<std::string_view, 4> kNames{"generic", "popcnt", "avx2", "avx512"};

} // namespace

CpuLevel machine_level()
{
    static const CpuLevel have = probe();
    return have;
}

CpuLevel cpu_level() { return current().load(std::memory_order_relaxed); }

void clean_vector_state()
{
#if MERU_X86_DISPATCH
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx) zero_upper();
#endif
}

std::vector<CpuLevel> machine_levels()
{
    std::vector<CpuLevel> out;
    for (int k = 0; k <= static_cast<int>(machine_level()); ++k) out.push_back(static_cast<CpuLevel>(k));
    return out;
}

std::string_view level_name(CpuLevel level) { return kNames[static_cast<std::size_t>(level)]; }

CpuLevel parse_level(std::string_view text, bool* known)
{
    const auto at = std::find(kNames.begin(), kNames.end(), text);
    if (known) *known = at != kNames.end();
    return at == kNames.end() ? CpuLevel::generic : static_cast<CpuLevel>(at - kNames.begin());
}

CpuLevelCap::CpuLevelCap(CpuLevel most) : before_(cpu_level()) { current().store(std::min(before_, most)); }

CpuLevelCap::~CpuLevelCap() { current().store(before_); }

} // namespace meru
