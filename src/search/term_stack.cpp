#include "search/term_stack.h"

#include <algorithm>

namespace meru::search {

void TermStack::start(std::size_t words, int q, bool skip)
{
    words_ = words;
    skip_ = skip;
    const std::size_t n = std::max<std::size_t>(words * static_cast<std::size_t>(std::max(q, 1)), 1);
    any_true_.assign(n, 0);
    any_und_.assign(n, 0);
    skip_m_.assign(n, 0);
}

void TermStack::set(int t, const TermWords& term)
{
    const std::size_t at = static_cast<std::size_t>(t) * words_;
    std::uint64_t *tr = any_true_.data() + at, *un = any_und_.data() + at, *sk = skip_m_.data() + at;
    if (t == 0) {
        std::copy_n(term.any_true, words_, tr);
        std::copy_n(term.any_und, words_, un);
        if (skip_) std::copy_n(term.skip_m, words_, sk);
        return;
    }
    const std::uint64_t *ptr = tr - words_, *pun = un - words_, *psk = sk - words_;
    for (std::size_t w = 0; w < words_; ++w) {
        tr[w] = ptr[w] | term.any_true[w];
        un[w] = pun[w] | term.any_und[w];
    }
    if (skip_)
        for (std::size_t w = 0; w < words_; ++w) sk[w] = psk[w] | term.skip_m[w];
}

} // namespace meru::search
