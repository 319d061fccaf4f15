#include "search/term_stack.h"

#include <algorithm>

namespace meru::search {

namespace {

using u64 = std::uint64_t;

struct Args {
    std::size_t words;
    bool skip;
    const UnitColumns::Lit* lits;
    std::size_t nlits;
    const u64 *prev_true, *prev_und, *prev_skip; // null for the first term
    u64 *out_true, *out_und, *out_skip;
};

// The term's words (as membership_block() forms them), OR-ed with the slot
// before; a block of words at a time, so that the block loops vectorise.
MERU_ALWAYS_INLINE void build(const Args& k)
{
    constexpr std::size_t nb = UnitColumns::kBlock;
    for (std::size_t w0 = 0; w0 < k.words; w0 += nb) {
        u64 t[nb], nofail[nb], s[nb];
        for (std::size_t i = 0; i < nb; ++i) {
            t[i] = nofail[i] = ~u64{0};
            s[i] = 0;
        }
        for (std::size_t j = 0; j < k.nlits; ++j) {
            const u64* f = k.lits[j].fail + w0;
            const u64* m = k.lits[j].miss + w0;
            for (std::size_t i = 0; i < nb; ++i) {
                nofail[i] &= ~f[i];
                t[i] &= ~(f[i] | m[i]);
                s[i] |= m[i];
            }
        }
        for (std::size_t i = 0; i < nb; ++i) {
            nofail[i] &= ~t[i];
            if (!k.skip) s[i] = 0;
        }
        if (k.prev_true)
            for (std::size_t i = 0; i < nb; ++i) {
                t[i] |= k.prev_true[w0 + i];
                nofail[i] |= k.prev_und[w0 + i];
                s[i] |= k.prev_skip[w0 + i];
            }
        for (std::size_t i = 0; i < nb; ++i) {
            k.out_true[w0 + i] = t[i];
            k.out_und[w0 + i] = nofail[i];
            k.out_skip[w0 + i] = s[i];
        }
    }
}

void build_generic(const Args& k) { build(k); }

#if MERU_X86_DISPATCH
__attribute__((target("avx2"))) void build_avx2(const Args& k) { build(k); }
#endif

using BuildFn = void (*)(const Args&);

BuildFn pick_kernel()
{
#if MERU_X86_DISPATCH
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return build_avx2;
#endif
    return build_generic;
}

} // namespace

void TermStack::start(std::size_t words, int q, bool skip)
{
    words_ = words;
    skip_ = skip;
    const std::size_t n = words * static_cast<std::size_t>(std::max(q, 1));
    any_true_.assign(n, 0);
    any_und_.assign(n, 0);
    skip_m_.assign(n, 0);
}

void TermStack::set(int t, std::span<const UnitColumns::Lit> lits)
{
    static const BuildFn kernel = pick_kernel();
    const std::size_t at = static_cast<std::size_t>(t) * words_;
    const std::size_t before = at - words_;
    Args k{words_,
           skip_,
           lits.data(),
           lits.size(),
           t > 0 ? any_true_.data() + before : nullptr,
           t > 0 ? any_und_.data() + before : nullptr,
           t > 0 ? skip_m_.data() + before : nullptr,
           any_true_.data() + at,
           any_und_.data() + at,
           skip_m_.data() + at};
    kernel(k);
}

TermWords TermStack::words(int t) const
{
    const std::size_t at = static_cast<std::size_t>(t) * words_;
    return {any_true_.data() + at, any_und_.data() + at, skip_m_.data() + at};
}

} // namespace meru::search
