#include "stats/unit_columns.h"

#include <algorithm>

#if MERU_X86_DISPATCH
#include <immintrin.h>
#endif

namespace meru::stats {

UnitColumns::UnitColumns(const AttributeMatrix& abyte, std::vector<int> obs, std::size_t block)
    : abyte_(abyte), obs_(std::make_shared<const std::vector<int>>(std::move(obs))),
      block_(std::max<std::size_t>(block, 1))
{
    words_ = (obs_->size() + 64 * block_ - 1) / (64 * block_) * block_;
    cols_.resize(static_cast<std::size_t>(std::max(abyte_.lc, 0)) + 1);
    col_.assign(cols_.size(), nullptr);
    built_.assign(cols_.size(), 0);
    missing_.assign(cols_.size(), 0);
}

UnitColumns::UnitColumns(const UnitColumns& other, Share)
    : abyte_(other.abyte_), obs_(other.obs_), block_(other.block_), words_(other.words_), cols_(other.cols_.size()),
      col_(other.col_), built_(other.built_), missing_(other.missing_)
{}

void UnitColumns::prepare(std::span<const int> attributes)
{
    std::vector<int> todo;
    for (const int a : attributes)
        if (a >= 1 && a <= abyte_.lc && !built_[static_cast<std::size_t>(a)] &&
            std::find(todo.begin(), todo.end(), a) == todo.end())
            todo.push_back(a);
    if (todo.empty()) return;
    for (const int a : todo) cols_[static_cast<std::size_t>(a)].assign(3 * words_, 0);
#if MERU_X86_DISPATCH
    if (cpu_level() >= CpuLevel::avx512) {
        std::sort(todo.begin(), todo.end());
        build_by_blocks(todo);
        finish(todo);
        return;
    }
#endif
    // A word of each column at a time: its 64 units' rows are read once.
    const std::vector<int>& obs = *obs_;
    std::vector<std::uint64_t> one(todo.size()), zero(todo.size()), miss(todo.size());
    for (std::size_t w = 0; w * 64 < obs.size(); ++w) {
        std::fill(one.begin(), one.end(), 0);
        std::fill(zero.begin(), zero.end(), 0);
        std::fill(miss.begin(), miss.end(), 0);
        const std::size_t end = std::min(obs.size(), (w + 1) * 64);
        for (std::size_t u = w * 64; u < end; ++u) {
            if (obs[u] < 0) continue; // a padding unit
            const std::uint8_t* row = abyte_.row(obs[u]);
            const std::uint64_t bit = std::uint64_t{1} << (u % 64);
            for (std::size_t j = 0; j < todo.size(); ++j) {
                const std::uint8_t b = row[todo[j] - 1];
                one[j] |= b == 1 ? bit : 0;
                zero[j] |= b == 0 ? bit : 0;
                miss[j] |= b == kMissingByte ? bit : 0;
            }
        }
        for (std::size_t j = 0; j < todo.size(); ++j) {
            std::uint64_t* col = cols_[static_cast<std::size_t>(todo[j])].data();
            col[w] = one[j];
            col[words_ + w] = zero[j];
            col[2 * words_ + w] = miss[j];
        }
    }
    finish(todo);
}

void UnitColumns::finish(std::span<const int> todo)
{
    for (const int t : todo) {
        const auto a = static_cast<std::size_t>(t);
        built_[a] = 1;
        col_[a] = cols_[a].data();
        const std::uint64_t* m = col_[a] + 2 * words_;
        missing_[a] = std::any_of(m, m + words_, [](std::uint64_t x) { return x != 0; });
    }
}

#if MERU_X86_DISPATCH
namespace {

// Transposes a 64 x 64 bit matrix in place: bit j of a[i] becomes bit i of
// a[j]. Blocks of 32, then 16, .., then 1 bits swap across the diagonal.
void transpose64(std::uint64_t* a)
{
    std::uint64_t m = 0x00000000FFFFFFFFull;
    for (unsigned j = 32; j != 0; j >>= 1, m ^= m << j)
        for (unsigned k = 0; k < 64; k = ((k | j) + 1) & ~j) {
            const std::uint64_t t = ((a[k] >> j) ^ a[k | j]) & m;
            a[k | j] ^= t;
            a[k] ^= t << j;
        }
}

} // namespace

MERU_TARGET_AVX512 void UnitColumns::build_by_blocks(std::span<const int> todo)
{
    // Attributes lo .. lo + 63 at a time: per 64 units, each unit's bytes of
    // them compared at once give its masks of bytes 1, 0 and 255, which a
    // transpose makes the columns' words.
    const __m512i one = _mm512_set1_epi8(1), zero = _mm512_setzero_si512(),
                  miss = _mm512_set1_epi8(static_cast<char>(kMissingByte));
    alignas(64) std::uint64_t ones[64], zeros[64], misses[64];
    const std::vector<int>& obs = *obs_;
    for (std::size_t from = 0; from < todo.size();) {
        const int lo = todo[from];
        std::size_t to = from;
        while (to < todo.size() && todo[to] - lo < 64) ++to;
        const int len = std::min(64, abyte_.lc - lo + 1);
        const __mmask64 bytes = len >= 64 ? ~__mmask64{0} : (__mmask64{1} << len) - 1;
        for (std::size_t w = 0; w * 64 < obs.size(); ++w) {
            for (std::size_t i = 0; i < 64; ++i) {
                const std::size_t u = w * 64 + i;
                if (u >= obs.size() || obs[u] < 0) { // a padding unit
                    ones[i] = zeros[i] = misses[i] = 0;
                    continue;
                }
                const __m512i v = _mm512_maskz_loadu_epi8(bytes, abyte_.row(obs[u]) + (lo - 1));
                ones[i] = _mm512_mask_cmpeq_epi8_mask(bytes, v, one);
                zeros[i] = _mm512_mask_cmpeq_epi8_mask(bytes, v, zero);
                misses[i] = _mm512_mask_cmpeq_epi8_mask(bytes, v, miss);
            }
            transpose64(ones);
            transpose64(zeros);
            transpose64(misses);
            for (std::size_t j = from; j < to; ++j) {
                const auto k = static_cast<std::size_t>(todo[j] - lo);
                std::uint64_t* col = cols_[static_cast<std::size_t>(todo[j])].data();
                col[w] = ones[k];
                col[words_ + w] = zeros[k];
                col[2 * words_ + w] = misses[k];
            }
        }
        from = to;
    }
}
#endif

void UnitColumns::compile(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                          Compiled& out)
{
    out.sense = sense == partition::kFlipped ? partition::kFlipped : partition::kPlain;
    out.three = false;
    out.lits.clear();
    compile_terms(list, out.sense, signbyte, abyte_.lc, out.lp, [&](int a, int fail) {
        const auto ix = static_cast<std::size_t>(a);
        if (!built_[ix]) prepare(std::span<const int>(&a, 1));
        const std::uint64_t* col = col_[ix];
        out.lits.push_back({fail == 1 ? col : col + words_, col + 2 * words_});
        out.three = out.three || missing_[ix];
    });
}

UnitColumns::Lit UnitColumns::literal(partition::Literal l, int sense, std::span<const std::int8_t> signbyte,
                                      bool& missing)
{
    partition::TermList one;
    one.lp.assign(1, 1);
    one.lits.assign(1, l);
    Compiled c;
    compile(one, sense, signbyte, c);
    missing = c.three;
    return c.lits.front();
}

} // namespace meru::stats
