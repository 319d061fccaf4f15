#include "search/subset_columns.h"

#include <algorithm>
#include <cstring>

namespace meru::search {

using u64 = std::uint64_t;

namespace {

// Eight words as one vector value; loads and stores through memcpy, as the
// words need not be aligned.
using Words8 = u64 __attribute__((vector_size(8 * sizeof(u64))));
template <class T> MERU_ALWAYS_INLINE void load(T& v, const u64* p) { std::memcpy(&v, p, sizeof v); }
template <class T> MERU_ALWAYS_INLINE void store(u64* p, const T& v) { std::memcpy(p, &v, sizeof v); }

// and_literal() at word w, one word or a vector of them at a time; every word
// is read before any is written, so `out` may be `prefix`.
template <bool Skip, bool Prefix, class T>
MERU_ALWAYS_INLINE void and_step(const u64* prefix, const UnitColumns::Lit& l, std::size_t words, u64* out,
                                 std::size_t w)
{
    T f, m;
    load(f, l.fail + w);
    load(m, l.miss + w);
    T held = ~T{}, nofail = ~f;
    if constexpr (Prefix) {
        T und;
        load(held, prefix + w);
        load(und, prefix + words + w);
        nofail = (held | und) & ~f;
    }
    T missing = m;
    if constexpr (Skip && Prefix) {
        T before;
        load(before, prefix + 2 * words + w);
        missing |= before;
    }
    const T t = held & ~(f | m);
    store(out + w, t);
    store(out + words + w, nofail & ~t);
    if constexpr (Skip) store(out + 2 * words + w, missing);
}

template <bool Skip, bool Prefix>
MERU_ALWAYS_INLINE void and_words(const u64* prefix, const UnitColumns::Lit& l, std::size_t words, u64* out)
{
    std::size_t w = 0;
    for (; w + 8 <= words; w += 8) and_step<Skip, Prefix, Words8>(prefix, l, words, out, w);
    for (; w < words; ++w) and_step<Skip, Prefix, u64>(prefix, l, words, out, w);
}

MERU_ALWAYS_INLINE void and_any(const u64* prefix, const UnitColumns::Lit& l, std::size_t words, bool skip, u64* out)
{
    if (skip) {
        if (prefix) and_words<true, true>(prefix, l, words, out);
        else and_words<true, false>(prefix, l, words, out);
    } else {
        if (prefix) and_words<false, true>(prefix, l, words, out);
        else and_words<false, false>(prefix, l, words, out);
    }
}

// out = from & ~fail, word by word (out may be from).
MERU_ALWAYS_INLINE void and_not_any(const u64* from, const u64* fail, std::size_t words, u64* out)
{
    std::size_t w = 0;
    for (; w + 8 <= words; w += 8) {
        Words8 a, f;
        load(a, from + w);
        load(f, fail + w);
        store(out + w, a & ~f);
    }
    for (; w < words; ++w) out[w] = from[w] & ~fail[w];
}

#if MERU_X86_DISPATCH
MERU_TARGET_AVX512 void and_avx512(const u64* prefix, const UnitColumns::Lit& l, std::size_t words, bool skip,
                                   u64* out)
{
    and_any(prefix, l, words, skip, out);
}
MERU_TARGET_AVX512 void and_not_avx512(const u64* from, const u64* fail, std::size_t words, u64* out)
{
    and_not_any(from, fail, words, out);
}
#endif

void and_generic(const u64* prefix, const UnitColumns::Lit& l, std::size_t words, bool skip, u64* out)
{
    and_any(prefix, l, words, skip, out);
}
void and_not_generic(const u64* from, const u64* fail, std::size_t words, u64* out)
{
    and_not_any(from, fail, words, out);
}

} // namespace

decltype(KernelSet::and_literal) kernels::pick_and_literal(CpuLevel level)
{
    return by_level(level, and_generic, nullptr, nullptr, MERU_X86_ONLY(and_avx512));
}

decltype(KernelSet::and_not) kernels::pick_and_not(CpuLevel level)
{
    return by_level(level, and_not_generic, nullptr, nullptr, MERU_X86_ONLY(and_not_avx512));
}

void SubsetColumns::build(std::span<const UnitColumns::Lit> lits, std::size_t words, int kmax, bool skip,
                          std::size_t budget, const KernelSet& kernels)
{
    and_literal_ = kernels.and_literal;
    and_not_ = kernels.and_not;
    lits_.assign(lits.begin(), lits.end());
    words_ = words;
    skip_ = skip;
    two_valued_ = !skip && std::none_of(lits_.begin(), lits_.end(), [&](const UnitColumns::Lit& l) {
        return std::any_of(l.miss, l.miss + words, [](u64 m) { return m != 0; });
    });
    stride_ = (skip ? 3 : 2) * words;
    zero_.assign(std::max<std::size_t>(words, 1), 0);
    const std::size_t n = lits_.size();
    // The largest k whose sets of sizes 1..k fit the budget, 1 at least.
    const auto kwant = static_cast<std::size_t>(std::clamp(kmax, 0, static_cast<int>(n)));
    binom_.assign(n + 1, std::vector<std::size_t>(kwant + 2, 0));
    for (std::size_t i = 0; i <= n; ++i) {
        binom_[i][0] = 1;
        for (std::size_t j = 1; j <= std::min(i, kwant + 1); ++j)
            binom_[i][j] = binom_[i - 1][j - 1] + binom_[i - 1][j];
    }
    base_.assign(kwant + 2, 0);
    k_ = 0;
    for (std::size_t j = 1; j <= kwant; ++j) {
        const std::size_t total = base_[j] + binom_[n][j];
        if (j > 1 && total > budget / std::max<std::size_t>(stride_ * sizeof(u64), 1)) break;
        base_[j + 1] = total;
        k_ = static_cast<int>(j);
    }
    kc_ = static_cast<std::size_t>(std::max(k_, 1));
    rank_of_.assign(n * kc_, 0);
    for (std::size_t p = 0; p < n; ++p)
        for (std::size_t i = 0; i < static_cast<std::size_t>(k_); ++i) rank_of_[p * kc_ + i] = binom_[p][i + 1];
    data_.assign(base_[static_cast<std::size_t>(k_) + 1] * stride_, 0);
    if (k_ > 0) fill(1, -1, nullptr, 0);
}

void SubsetColumns::fill(int size, int last, const u64* prefix, std::size_t rank)
{
    const auto s = static_cast<std::size_t>(size);
    for (std::size_t p = static_cast<std::size_t>(last + 1); p < lits_.size(); ++p) {
        const std::size_t r = rank + binom_[p][s];
        u64* out = data_.data() + (base_[s] + r) * stride_;
        and_literal_(prefix, lits_[p], words_, skip_, out);
        if (size < k_) fill(size + 1, static_cast<int>(p), out, r);
    }
}

bool SubsetColumns::joined(std::span<const int> pos, const u64*& held, const u64*& fail) const
{
    if (!two_valued_ || pos.size() < 2) return false;
    const std::size_t r = rank(pos.first(pos.size() - 1));
    if (r == kNone) return false;
    held = at_rank(r);
    fail = lits_[static_cast<std::size_t>(pos.back())].fail;
    return true;
}

const u64* SubsetColumns::made(std::span<const int> pos, std::vector<u64>& scratch) const
{
    std::size_t n = 0; // the stored prefix
    while (n < pos.size() && n < static_cast<std::size_t>(k_) && (n == 0 || pos[n] > pos[n - 1])) ++n;
    scratch.resize(stride_);
    u64* out = scratch.data();
    std::size_t i = n;
    if (two_valued_ && n > 0) {
        // No unit is undetermined by any term: only the holding words are made
        // (those of `scratch` start at 0 and stay so).
        const u64* from = stored(pos.first(n)).any_true;
        if (n == pos.size()) {
            std::memcpy(out, from, words_ * sizeof(u64));
            return out;
        }
        for (; i < pos.size(); ++i, from = out)
            and_not_(from, lits_[static_cast<std::size_t>(pos[i])].fail, words_, out);
        return out;
    }
    if (n == 0) {
        std::fill_n(out, words_, ~u64{0});
        std::fill_n(out + words_, stride_ - words_, u64{0});
    } else if (n < pos.size()) {
        // The next literal goes onto the stored prefix straight into `out`.
        const TermWords t = stored(pos.first(n));
        and_literal_(t.any_true, lits_[static_cast<std::size_t>(pos[i++])], words_, skip_, out);
    } else {
        const TermWords t = stored(pos);
        std::memcpy(out, t.any_true, words_ * sizeof(u64));
        std::memcpy(out + words_, t.any_und, words_ * sizeof(u64));
        if (skip_) std::memcpy(out + 2 * words_, t.skip_m, words_ * sizeof(u64));
    }
    for (; i < pos.size(); ++i) and_literal_(out, lits_[static_cast<std::size_t>(pos[i])], words_, skip_, out);
    return out;
}

} // namespace meru::search
