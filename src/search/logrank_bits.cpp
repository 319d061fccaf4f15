#include "search/logrank_bits.h"

#include <bit>

namespace meru::search {

namespace {

using u64 = std::uint64_t;

using Args = WalkKernel;

// Weight of each side and of their events over units [begin, end).
struct Counts {
    std::int64_t w0 = 0, w1 = 0, e0 = 0, e1 = 0;
};

MERU_ALWAYS_INLINE Counts count_range(const Args& k, std::uint32_t begin, std::uint32_t end)
{
    Counts c;
    const std::size_t first = begin / 64, last = (end - 1) / 64;
    for (std::size_t p = 0; p < k.nplanes; ++p) {
        const u64* pl = k.bits + k.planes[p].at;
        std::int64_t n0 = 0, n1 = 0, v0 = 0, v1 = 0;
        for (std::size_t w = first; w <= last; ++w) {
            u64 range = ~u64{0};
            if (w == first) range &= ~u64{0} << (begin % 64);
            if (w == last) range &= ~u64{0} >> (63 - (end - 1) % 64);
            const u64 in = range & pl[w] & k.det[w];
            const u64 one = in & k.mem[w], zero = in & ~k.mem[w];
            n0 += std::popcount(zero);
            n1 += std::popcount(one);
            v0 += std::popcount(zero & k.events[w]);
            v1 += std::popcount(one & k.events[w]);
        }
        const std::int64_t v = k.planes[p].value;
        c.w0 += v * n0;
        c.w1 += v * n1;
        c.e0 += v * v0;
        c.e1 += v * v1;
    }
    return c;
}

MERU_ALWAYS_INLINE void walk_all(const Args& k, stats::LogRankSums& sums)
{
    for (std::size_t w0 = 0; w0 < k.words; w0 += UnitColumns::kBlock)
        membership_block(*k.list, k.skip, w0, k.det + w0, k.mem + w0);
    for (std::size_t i = 0; i < k.ntimes; ++i) {
        const LogRankBits::Time& t = k.times[i];
        const Counts c = count_range(k, t.begin, t.end);
        sums.add_weights(c.w0, c.w1, static_cast<double>(c.e0), static_cast<double>(c.e1));
        sums.close_time(t.t);
    }
}

void walk_generic(const Args& k, stats::LogRankSums& s) { walk_all(k, s); }

#if MERU_X86_DISPATCH
MERU_TARGET_POPCNT void walk_popcnt(const Args& k, stats::LogRankSums& s) { walk_all(k, s); }
MERU_TARGET_AVX2 void walk_avx2(const Args& k, stats::LogRankSums& s) { walk_all(k, s); }
#endif

} // namespace

decltype(KernelSet::walk) kernels::pick_walk(CpuLevel level)
{
    return by_level(level, walk_generic, MERU_X86_ONLY(walk_popcnt), MERU_X86_ONLY(walk_avx2));
}

LogRankBits::LogRankBits(const stats::AttributeMatrix& abyte, const stats::LogRankWalk& walk,
                         const KernelSet& kernels)
    : walk_(kernels.walk)
{
    std::vector<int> obs;
    obs.reserve(walk.steps.size());
    for (const auto& s : walk.steps) obs.push_back(s.obs);
    columns_ = std::make_unique<UnitColumns>(abyte, std::move(obs), kernels.sample);
    const std::size_t words = columns_->words();
    auto made = std::make_shared<Steps>();
    made->events.assign(words, 0);
    std::vector<int> plane_of(32, -1);
    std::uint32_t begin = 0;
    for (std::size_t u = 0; u < walk.steps.size(); ++u) {
        const auto& s = walk.steps[u];
        const u64 bit = u64{1} << (u % 64);
        if (s.event) made->events[u / 64] |= bit;
        auto wbits = static_cast<std::uint32_t>(s.w);
        while (wbits) {
            const int b = std::countr_zero(wbits);
            wbits &= wbits - 1;
            int& p = plane_of[static_cast<std::size_t>(b)];
            if (p < 0) {
                p = static_cast<int>(made->planes.size());
                made->planes.push_back(
                    {b == 31 ? -(std::int64_t{1} << 31) : (std::int64_t{1} << b), made->planes.size() * words});
                made->bits.resize(made->planes.size() * words, 0);
            }
            made->bits[made->planes[static_cast<std::size_t>(p)].at + u / 64] |= bit;
        }
        if (s.closes) {
            made->times.push_back({begin, static_cast<std::uint32_t>(u + 1), s.t});
            begin = static_cast<std::uint32_t>(u + 1);
        }
    }
    steps_ = std::move(made);
    det_.assign(words, 0);
    mem_.assign(words, 0);
}

LogRankBits::LogRankBits(const LogRankBits& other, Share)
    : columns_(std::make_unique<UnitColumns>(*other.columns_, UnitColumns::Share{})), steps_(other.steps_),
      walk_(other.walk_), det_(other.det_.size(), 0), mem_(other.mem_.size(), 0)
{}

stats::LogRankResult LogRankBits::statistic(const partition::TermList& list, int sense,
                                            std::span<const std::int8_t> signbyte, bool skip)
{
    columns_->compile(list, sense, signbyte, list_);
    const Steps& st = *steps_;
    const Args k{
        columns_->words(), skip,           &list_,           st.times.data(), st.times.size(), st.planes.data(),
        st.planes.size(),  st.bits.data(), st.events.data(), det_.data(),     mem_.data()};
    stats::LogRankSums sums;
    walk_(k, sums);
    return sums.finish();
}

} // namespace meru::search
