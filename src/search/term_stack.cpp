#include "search/term_stack.h"

#include <algorithm>
#include <cstring>

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

// Four words as one vector value (one AVX2 register where the kernel is
// compiled for it); loads and stores go through memcpy: the words need not be
// aligned.
using Words = u64 __attribute__((vector_size(4 * sizeof(u64))));
static_assert(UnitColumns::kBlock == 4);

MERU_ALWAYS_INLINE void load(Words& v, const u64* p) { std::memcpy(&v, p, sizeof v); }

MERU_ALWAYS_INLINE void store(u64* p, const Words& v) { std::memcpy(p, &v, sizeof v); }

// The term's words (as membership_block() forms them), OR-ed with the slot
// before, a block of words at a time.
MERU_ALWAYS_INLINE void build(const Args& k)
{
    const Words ones = {~u64{0}, ~u64{0}, ~u64{0}, ~u64{0}};
    for (std::size_t w0 = 0; w0 < k.words; w0 += UnitColumns::kBlock) {
        Words t = ones, nofail = ones, s = ones ^ ones;
        for (std::size_t j = 0; j < k.nlits; ++j) {
            Words f, m;
            load(f, k.lits[j].fail + w0);
            load(m, k.lits[j].miss + w0);
            nofail &= ~f;
            t &= ~(f | m);
            s |= m;
        }
        Words u = nofail & ~t;
        if (!k.skip) s = ones ^ ones;
        if (k.prev_true) {
            Words pt, pu, ps;
            load(pt, k.prev_true + w0);
            load(pu, k.prev_und + w0);
            load(ps, k.prev_skip + w0);
            t |= pt;
            u |= pu;
            s |= ps;
        }
        store(k.out_true + w0, t);
        store(k.out_und + w0, u);
        store(k.out_skip + w0, s);
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
