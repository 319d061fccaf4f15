#include "search/logrank_bits.h"

#include "search/words8.h"

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

// A time's weights of each side and of their events into the sums, with
// its follow-up (weight times time) of each side.
MERU_ALWAYS_INLINE void close(const LogRankBits::Time& t, const Counts& c, stats::LogRankSums& sums)
{
    sums.add_weights(c.w0, c.w1, static_cast<double>(c.e0), static_cast<double>(c.e1));
    sums.r.t0 += static_cast<double>(c.w0) * t.t;
    sums.r.t1 += static_cast<double>(c.w1) * t.t;
    sums.close_time(t.t);
}

MERU_ALWAYS_INLINE void walk_all(const Args& k, stats::LogRankSums& sums)
{
    for (std::size_t w0 = 0; w0 < k.words; w0 += UnitColumns::kBlock)
        membership_block(*k.list, k.skip, w0, k.det + w0, k.mem + w0);
    for (std::size_t i = 0; i < k.ntimes; ++i) close(k.times[i], count_range(k, k.times[i].begin, k.times[i].end), sums);
}

// Adds the members and their events among words [from, to) of a plane (the
// bits of `keep` in each).
MERU_ALWAYS_INLINE void count_bits(const Args& k, const u64* plane, std::size_t from, std::size_t to,
                                   std::int64_t& n, std::int64_t& v, u64 keep)
{
    for (std::size_t w = from; w < to; ++w) {
        const u64 x = plane[w] & k.mem[w] & keep;
        n += std::popcount(x);
        v += std::popcount(x & k.events[w]);
    }
}

#if MERU_X86_DISPATCH
using kernels::load8;
using kernels::pop8;
using kernels::Words8;

// count_words() eight words at a time with the vector population count, the
// last words under a mask.
MERU_TARGET_AVX512 void count_vector(const Args& k, const u64* plane, std::size_t from, std::size_t to,
                                     std::int64_t& n, std::int64_t& v)
{
    Words8 an = {}, av = {};
    for (std::size_t w = from; w < to; w += 8) {
        const auto m = static_cast<__mmask8>(to - w >= 8 ? 0xFF : (1u << (to - w)) - 1);
        const Words8 x = load8(m, plane + w) & load8(m, k.mem + w);
        an += pop8(x);
        av += pop8(x & load8(m, k.events + w));
    }
    for (int l = 0; l < 8; ++l) {
        n += static_cast<std::int64_t>(an[l]);
        v += static_cast<std::int64_t>(av[l]);
    }
}
#endif

MERU_ALWAYS_INLINE void count_words(const Args& k, const u64* plane, std::size_t from, std::size_t to,
                                    std::int64_t& n, std::int64_t& v)
{
    count_bits(k, plane, from, to, n, v, ~u64{0});
}

// A list of two-valued literals: every unit is a member or not, so a time's
// non-members are its units less its members, and only the members are
// counted. One pass over the words keeps each plane's count of members (and
// of their events) in the words before the current time's end; a time takes
// what its end adds to the last time's.
template <void (*Count)(const Args&, const u64*, std::size_t, std::size_t, std::int64_t&, std::int64_t&)>
MERU_ALWAYS_INLINE void walk_two_valued(const Args& k, stats::LogRankSums& sums)
{
    // Long blocks first: each block walks the list's terms and literals once.
    constexpr std::size_t kLong = 8 * UnitColumns::kBlock;
    std::size_t w0 = 0;
    for (; w0 + kLong <= k.words; w0 += kLong) membership_block<kLong>(*k.list, false, w0, k.det + w0, k.mem + w0);
    for (; w0 < k.words; w0 += UnitColumns::kBlock) membership_block(*k.list, false, w0, k.det + w0, k.mem + w0);
    std::int64_t n[LogRankPlane::kMost] = {}, v[LogRankPlane::kMost] = {};
    std::size_t done = 0;                // the words n and v hold
    std::int64_t last_w = 0, last_e = 0; // member weights before the last time's end
    for (std::size_t i = 0; i < k.ntimes; ++i) {
        const LogRankBits::Time& t = k.times[i];
        const std::size_t to = t.end / 64;
        const u64 part = (u64{1} << (t.end % 64)) - 1; // word to's units before the end
        std::int64_t at_w = 0, at_e = 0;
        for (std::size_t p = 0; p < k.nplanes; ++p) {
            const u64* plane = k.bits + k.planes[p].at;
            Count(k, plane, done, to, n[p], v[p]);
            std::int64_t np = n[p], vp = v[p];
            if (part) count_bits(k, plane, to, to + 1, np, vp, part);
            at_w += k.planes[p].value * np;
            at_e += k.planes[p].value * vp;
        }
        done = to;
        const std::int64_t w1 = at_w - last_w, e1 = at_e - last_e;
        close(t, {t.weight - w1, w1, t.events - e1, e1}, sums);
        last_w = at_w;
        last_e = at_e;
    }
}

void walk_generic(const Args& k, stats::LogRankSums& s) { walk_all(k, s); }
void walk_two_generic(const Args& k, stats::LogRankSums& s) { walk_two_valued<count_words>(k, s); }

#if MERU_X86_DISPATCH
MERU_TARGET_POPCNT void walk_popcnt(const Args& k, stats::LogRankSums& s) { walk_all(k, s); }
MERU_TARGET_AVX2 void walk_avx2(const Args& k, stats::LogRankSums& s) { walk_all(k, s); }
MERU_TARGET_POPCNT void walk_two_popcnt(const Args& k, stats::LogRankSums& s) { walk_two_valued<count_words>(k, s); }
MERU_TARGET_AVX2 void walk_two_avx2(const Args& k, stats::LogRankSums& s) { walk_two_valued<count_words>(k, s); }
MERU_TARGET_AVX512 void walk_two_avx512(const Args& k, stats::LogRankSums& s) { walk_two_valued<count_vector>(k, s); }
#endif

} // namespace

decltype(KernelSet::walk) kernels::pick_walk(CpuLevel level, bool two_valued)
{
    if (two_valued)
        return by_level(level, walk_two_generic, MERU_X86_ONLY(walk_two_popcnt), MERU_X86_ONLY(walk_two_avx2),
                        MERU_X86_ONLY(walk_two_avx512));
    return by_level(level, walk_generic, MERU_X86_ONLY(walk_popcnt), MERU_X86_ONLY(walk_avx2));
}

LogRankBits::LogRankBits(const stats::AttributeMatrix& abyte, const stats::LogRankWalk& walk,
                         const KernelSet& kernels)
    : walk_(kernels.walk), walk_two_(kernels.walk_two)
{
    stats::UnitArray<int> obs;
    obs.reserve(walk.steps.size());
    for (const auto& s : walk.steps) obs.push_back(s.obs);
    columns_ = std::make_unique<UnitColumns>(abyte, std::move(obs), kernels.sample);
    const std::size_t words = columns_->words();
    auto made = std::make_shared<Steps>();
    made->events.assign(words, 0);
    std::vector<int> plane_of(32, -1);
    std::uint32_t begin = 0;
    Time time;
    for (std::size_t u = 0; u < walk.steps.size(); ++u) {
        const auto& s = walk.steps[u];
        const u64 bit = u64{1} << (u % 64);
        time.weight += s.w;
        if (s.event) {
            made->events[u / 64] |= bit;
            time.events += s.w;
        }
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
            time.begin = begin;
            time.end = static_cast<std::uint32_t>(u + 1);
            time.t = s.t;
            made->times.push_back(time);
            begin = time.end;
            time = {};
        }
    }
    steps_ = std::move(made);
    det_.assign(words, 0);
    mem_.assign(words, 0);
}

LogRankBits::LogRankBits(const LogRankBits& other, Share)
    : columns_(std::make_unique<UnitColumns>(*other.columns_, UnitColumns::Share{})), steps_(other.steps_),
      walk_(other.walk_), walk_two_(other.walk_two_), det_(other.det_.size(), 0), mem_(other.mem_.size(), 0)
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
    (list_.three ? walk_ : walk_two_)(k, sums);
    return sums.finish();
}

} // namespace meru::search
