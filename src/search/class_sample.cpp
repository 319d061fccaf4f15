#include "search/class_sample.h"

#include "stats/membership.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <stdexcept>

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define MERU_X86_DISPATCH 1
#define MERU_ALWAYS_INLINE __attribute__((always_inline)) inline
#else
#define MERU_X86_DISPATCH 0
#define MERU_ALWAYS_INLINE inline
#endif

namespace meru::search {

namespace {

using u64 = std::uint64_t;
constexpr std::size_t kBlock = 8; // words evaluated together; the columns are padded to whole blocks

struct Args {
    std::size_t words;
    int sense;
    bool skip;
    bool three; // some literal has a missing byte
    const int* lp;
    int q;
    const ClassOrderedSample::Lit* lits;
    const ClassOrderedSample::Plane* planes;
    std::size_t nplanes;
    const u64* bits;
    u64* acc_det;
    u64* acc_mem;
};

// Membership words of [w0, w0 + nw): det marks units of membership 0 or 1 (not
// undetermined, not dropped), mem those of membership 1.
MERU_ALWAYS_INLINE void eval_two(const Args& k, std::size_t w0, std::size_t nw, u64* det, u64* mem)
{
    u64 any_true[kBlock];
    for (std::size_t i = 0; i < nw; ++i) any_true[i] = 0;
    const ClassOrderedSample::Lit* lit = k.lits;
    for (int t = 0; t < k.q; ++t) {
        u64 pass[kBlock];
        for (std::size_t i = 0; i < nw; ++i) pass[i] = ~u64{0};
        for (int j = 0; j < k.lp[t]; ++j, ++lit) {
            const u64* f = lit->fail + w0;
            for (std::size_t i = 0; i < nw; ++i) pass[i] &= ~f[i];
        }
        for (std::size_t i = 0; i < nw; ++i) any_true[i] |= pass[i];
    }
    for (std::size_t i = 0; i < nw; ++i) {
        det[i] = ~u64{0};
        mem[i] = k.sense ? any_true[i] : ~any_true[i];
    }
}

MERU_ALWAYS_INLINE void eval_three(const Args& k, std::size_t w0, std::size_t nw, u64* det, u64* mem)
{
    u64 any_true[kBlock], any_und[kBlock], skip_m[kBlock];
    for (std::size_t i = 0; i < nw; ++i) any_true[i] = any_und[i] = skip_m[i] = 0;
    const ClassOrderedSample::Lit* lit = k.lits;
    for (int t = 0; t < k.q; ++t) {
        u64 nofail[kBlock], pass[kBlock];
        for (std::size_t i = 0; i < nw; ++i) nofail[i] = pass[i] = ~u64{0};
        for (int j = 0; j < k.lp[t]; ++j, ++lit) {
            const u64* f = lit->fail + w0;
            const u64* m = lit->miss + w0;
            for (std::size_t i = 0; i < nw; ++i) {
                nofail[i] &= ~f[i];
                pass[i] &= ~(f[i] | m[i]);
            }
            if (k.skip)
                for (std::size_t i = 0; i < nw; ++i) skip_m[i] |= m[i];
        }
        for (std::size_t i = 0; i < nw; ++i) {
            any_true[i] |= pass[i];
            any_und[i] |= nofail[i] & ~pass[i];
        }
    }
    for (std::size_t i = 0; i < nw; ++i) {
        const u64 d = (any_true[i] | ~any_und[i]) & ~skip_m[i];
        det[i] = d;
        mem[i] = d & (k.sense ? any_true[i] : ~any_true[i]);
    }
}

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

MERU_ALWAYS_INLINE void count_all(const Args& k)
{
    u64 det[kBlock], mem[kBlock];
    for (std::size_t w0 = 0; w0 < k.words; w0 += kBlock) {
        if (k.three) eval_three(k, w0, kBlock, det, mem);
        else eval_two(k, w0, kBlock, det, mem);
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

ClassOrderedSample::ClassOrderedSample(const stats::SampleView& view, int nclasses) : abyte_(view.abyte)
{
    view.check();
    nclasses_ = std::clamp(nclasses, 0, stats::CountTable::max_classes);
    std::vector<int> cls, weight;
    for (int i = 0; i < abyte_.n; ++i) {
        const auto ix = static_cast<std::size_t>(i);
        const int w = view.weights[ix];
        if (!view.mask[ix] || w == 0) continue;
        const int c = stats::y_class(view.y[ix], nclasses_);
        if (c < 0) continue;
        if (c == nclasses_) { // counted in no cell
            beyond_ += w;
            continue;
        }
        obs_.push_back(i);
        cls.push_back(c);
        weight.push_back(w);
    }
    std::vector<std::size_t> order(obs_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto width = [&](std::size_t u) { return std::bit_width(static_cast<std::uint32_t>(weight[u])); };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return cls[a] != cls[b] ? cls[a] < cls[b] : width(a) > width(b);
    });
    {
        std::vector<int> o(order.size());
        for (std::size_t u = 0; u < order.size(); ++u) o[u] = obs_[order[u]];
        obs_.swap(o);
    }
    // Whole blocks of words, so that the kernel runs fixed-length loops; the
    // padding units belong to no plane and so are never counted.
    words_ = (obs_.size() + 64 * kBlock - 1) / (64 * kBlock) * kBlock;

    // One plane per (class, weight bit) that occurs; a class's units are
    // contiguous, so its planes' words are too.
    std::vector<int> index(static_cast<std::size_t>(nclasses_) * 32, -1);
    for (std::size_t u = 0; u < order.size(); ++u) {
        const int c = cls[order[u]];
        auto bits = static_cast<std::uint32_t>(weight[order[u]]);
        while (bits) {
            const int b = std::countr_zero(bits);
            bits &= bits - 1;
            int& at = index[static_cast<std::size_t>(c * 32 + b)];
            if (at < 0) {
                at = static_cast<int>(planes_.size());
                Plane p;
                p.cls = c;
                p.value = b == 31 ? -(std::int64_t{1} << 31) : (std::int64_t{1} << b);
                p.lo = static_cast<std::uint32_t>(words_);
                p.at = planes_.size() * words_;
                planes_.push_back(p);
                bits_.resize(planes_.size() * words_, 0);
            }
            Plane& p = planes_[static_cast<std::size_t>(at)];
            bits_[p.at + u / 64] |= u64{1} << (u % 64);
            p.lo = std::min(p.lo, static_cast<std::uint32_t>(u / 64));
            p.hi = std::max(p.hi, static_cast<std::uint32_t>(u / 64 + 1));
        }
    }
    acc_det_.assign(planes_.size(), 0);
    acc_mem_.assign(planes_.size(), 0);
    cols_.resize(static_cast<std::size_t>(std::max(abyte_.lc, 0)) + 1);
    built_.assign(cols_.size(), 0);
    missing_.assign(cols_.size(), 0);
    lp_.reserve(partition::MAXP);
    lits_.reserve(256);
}

void ClassOrderedSample::build(int a)
{
    auto& col = cols_[static_cast<std::size_t>(a)];
    col.assign(3 * words_, 0);
    for (std::size_t u = 0; u < obs_.size(); ++u) {
        const std::uint8_t b = abyte_.at(obs_[u], a);
        const u64 bit = u64{1} << (u % 64);
        if (b == 1) col[u / 64] |= bit;
        else if (b == 0) col[words_ + u / 64] |= bit;
        else if (b == stats::kMissingByte) {
            col[2 * words_ + u / 64] |= bit;
            missing_[static_cast<std::size_t>(a)] = 1;
        }
    }
    built_[static_cast<std::size_t>(a)] = 1;
}

void ClassOrderedSample::partab(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                                bool skip, stats::CountTable& out)
{
    sense = sense == partition::kFlipped ? partition::kFlipped : partition::kPlain;
    lits_.clear();
    bool three = false;
    stats::compile_terms(list, sense, signbyte, abyte_.lc, lp_, [&](int a, int fail) {
        const auto ix = static_cast<std::size_t>(a);
        if (!built_[ix]) build(a);
        const u64* col = cols_[ix].data();
        lits_.push_back({fail == 1 ? col : col + words_, col + 2 * words_});
        three = three || missing_[ix];
    });
    std::fill(acc_det_.begin(), acc_det_.end(), 0);
    std::fill(acc_mem_.begin(), acc_mem_.end(), 0);
    const Args k{
        words_,       sense,          skip,           three,        lp_.data(),      static_cast<int>(lp_.size()),
        lits_.data(), planes_.data(), planes_.size(), bits_.data(), acc_det_.data(), acc_mem_.data()};
    count(k);
    out.clear();
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
