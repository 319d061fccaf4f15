#include "search/class_sample.h"

#include "stats/membership.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>
#include <stdexcept>

namespace meru::search {

namespace {

using u64 = std::uint64_t;
constexpr std::size_t kBlock = UnitColumns::kBlock;

struct Args {
    std::size_t words;
    bool skip;
    const UnitColumns::Compiled* list; // null: from `before` OR `last`
    const TermWords* before;
    const TermWords* last;
    int sense;
    const ClassOrderedSample::Plane* planes;
    std::size_t nplanes;
    const u64* bits;
    u64* acc_det;
    u64* acc_mem;
    u64 *det, *mem; // the membership words (terms only)
};

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

// Four words as one vector value (one AVX2 register where the kernel is
// compiled for it); loads and stores go through memcpy: the words need not be
// aligned.
using Words = u64 __attribute__((vector_size(4 * sizeof(u64))));

MERU_ALWAYS_INLINE void load(Words& v, const u64* p) { std::memcpy(&v, p, sizeof v); }

// The membership words of the OR of two sets of accumulated term words: det
// marks the units of membership 0 or 1, mem those of the list's membership 1
// read in its sense.
template <bool Skip, class W> MERU_ALWAYS_INLINE void membership_words(const Args& k, std::size_t w, W& det, W& mem)
{
    const TermWords &a = *k.before, &b = *k.last;
    W tr, un, x, y;
    if constexpr (sizeof(W) == sizeof(u64)) {
        tr = a.any_true[w] | b.any_true[w];
        un = a.any_und[w] | b.any_und[w];
    } else {
        load(tr, a.any_true + w);
        load(x, b.any_true + w);
        load(un, a.any_und + w);
        load(y, b.any_und + w);
        tr |= x;
        un |= y;
    }
    det = tr | ~un;
    if constexpr (Skip) {
        if constexpr (sizeof(W) == sizeof(u64)) {
            det &= ~(a.skip_m[w] | b.skip_m[w]);
        } else {
            load(x, a.skip_m + w);
            load(y, b.skip_m + w);
            det &= ~(x | y);
        }
    }
    mem = det & (k.sense ? tr : ~tr);
}

// From two sets of accumulated term words OR-ed together (the terms before
// the last, and the last): the membership words first, a vector of words at a
// time, then plane by plane over the plane's own words (a plane's words are
// few: its class's units). `Skip`: the missing words are read.
template <bool Skip> MERU_ALWAYS_INLINE void count_terms(const Args& k)
{
    std::size_t w = 0;
    for (; w + kBlock <= k.words; w += kBlock) {
        Words det, mem;
        membership_words<Skip>(k, w, det, mem);
        std::memcpy(k.det + w, &det, sizeof det);
        std::memcpy(k.mem + w, &mem, sizeof mem);
    }
    for (; w < k.words; ++w) membership_words<Skip>(k, w, k.det[w], k.mem[w]);
    for (std::size_t p = 0; p < k.nplanes; ++p) {
        const ClassOrderedSample::Plane& pl = k.planes[p];
        const u64* bits = k.bits + pl.at;
        u64 sd = 0, sm = 0;
        for (std::size_t i = pl.lo; i < pl.hi; ++i) {
            sd += static_cast<u64>(std::popcount(k.det[i] & bits[i]));
            sm += static_cast<u64>(std::popcount(k.mem[i] & bits[i]));
        }
        k.acc_det[p] = sd;
        k.acc_mem[p] = sm;
    }
}

MERU_ALWAYS_INLINE void count_all(const Args& k)
{
    u64 det[kBlock], mem[kBlock];
    if (!k.list) {
        if (k.skip) count_terms<true>(k);
        else count_terms<false>(k);
        return;
    }
    for (std::size_t w0 = 0; w0 < k.words; w0 += kBlock) {
        membership_block(*k.list, k.skip, w0, det, mem);
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

ClassOrderedSample::ClassOrderedSample(const stats::SampleView& view, int nclasses)
{
    view.check();
    nclasses_ = std::clamp(nclasses, 0, stats::CountTable::max_classes);
    std::vector<int> cls, weight;
    std::vector<int> obs;
    for (int i = 0; i < view.abyte.n; ++i) {
        const auto ix = static_cast<std::size_t>(i);
        const int w = view.weights[ix];
        if (!view.mask[ix] || w == 0) continue;
        const int c = stats::y_class(view.y[ix], nclasses_);
        if (c < 0) continue;
        if (c == nclasses_) { // counted in no cell
            beyond_ += w;
            continue;
        }
        obs.push_back(i);
        cls.push_back(c);
        weight.push_back(w);
    }
    std::vector<std::size_t> order(obs.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto width = [&](std::size_t u) { return std::bit_width(static_cast<std::uint32_t>(weight[u])); };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return cls[a] != cls[b] ? cls[a] < cls[b] : width(a) > width(b);
    });
    {
        std::vector<int> o(order.size());
        for (std::size_t u = 0; u < order.size(); ++u) o[u] = obs[order[u]];
        columns_ = std::make_unique<UnitColumns>(view.abyte, std::move(o));
    }
    // The padding units belong to no plane and so are never counted.
    const std::size_t words = columns_->words();

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
                p.lo = static_cast<std::uint32_t>(words);
                p.at = planes_.size() * words;
                planes_.push_back(p);
                bits_.resize(planes_.size() * words, 0);
            }
            Plane& p = planes_[static_cast<std::size_t>(at)];
            bits_[p.at + u / 64] |= u64{1} << (u % 64);
            p.lo = std::min(p.lo, static_cast<std::uint32_t>(u / 64));
            p.hi = std::max(p.hi, static_cast<std::uint32_t>(u / 64 + 1));
        }
    }
    acc_det_.assign(planes_.size(), 0);
    acc_mem_.assign(planes_.size(), 0);
    det_.assign(std::max<std::size_t>(unit_words(), 1), 0);
    mem_.assign(det_.size(), 0);
}

void ClassOrderedSample::partab(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                                bool skip, stats::CountTable& out)
{
    columns_->compile(list, sense, signbyte, list_);
    out.clear();
    tabulate({columns_->words(), skip, &list_, nullptr, nullptr, 1}, out);
}

void ClassOrderedSample::partab_terms(const TermWords& before, const TermWords& last, bool skip, int sense,
                                      stats::CountTable& out)
{
    std::fill_n(out.cells.begin(), 2 * nclasses_, 0);
    out.w0 = out.w1 = 0;
    tabulate({unit_words(), skip, nullptr, &before, &last, sense}, out);
}

void ClassOrderedSample::tabulate(const Kernel& in, stats::CountTable& out)
{
    // The kernel of a term list adds to the plane counts, that of term words sets them.
    if (in.list) {
        std::fill(acc_det_.begin(), acc_det_.end(), 0);
        std::fill(acc_mem_.begin(), acc_mem_.end(), 0);
    }
    const Args k{in.words,        in.skip,        in.list,        in.before,    in.last,
                 in.sense,        planes_.data(), planes_.size(), bits_.data(), acc_det_.data(),
                 acc_mem_.data(), det_.data(),    mem_.data()};
    count(k);
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
