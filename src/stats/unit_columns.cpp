#include "stats/unit_columns.h"

#include "stats/sample_kernels.h"

#include <algorithm>

#if MERU_X86_DISPATCH
#include <immintrin.h>
#endif

namespace meru::stats {

UnitColumns::UnitColumns(const AttributeMatrix& abyte, UnitArray<int> obs, const SampleKernels& kernels,
                         std::size_t block)
    : abyte_(abyte), obs_(std::make_shared<const UnitArray<int>>(std::move(obs))), columns_(kernels.columns)
{
    block = std::max<std::size_t>(block, 1);
    words_ = (obs_->size() + 64 * block - 1) / (64 * block) * block;
    cols_.resize(static_cast<std::size_t>(std::max(abyte_.lc, 0)) + 1);
    col_.assign(cols_.size(), nullptr);
    built_.assign(cols_.size(), 0);
    missing_.assign(cols_.size(), 0);
}

UnitColumns::UnitColumns(const UnitColumns& other, Share)
    : abyte_(other.abyte_), obs_(other.obs_), words_(other.words_), columns_(other.columns_),
      cols_(other.cols_.size()), col_(other.col_), built_(other.built_), missing_(other.missing_)
{}

namespace {

// A word of each column at a time: its 64 units' rows are read once.
void columns_generic(const ColumnArgs& k)
{
    std::vector<std::uint64_t> one(k.ntodo), zero(k.ntodo), miss(k.ntodo);
    for (std::size_t w = k.from; w < k.to && w * 64 < k.units; ++w) {
        std::fill(one.begin(), one.end(), 0);
        std::fill(zero.begin(), zero.end(), 0);
        std::fill(miss.begin(), miss.end(), 0);
        const std::size_t end = std::min(k.units, (w + 1) * 64);
        for (std::size_t u = w * 64; u < end; ++u) {
            if (k.obs[u] < 0) continue; // a padding unit
            const std::uint8_t* row = k.abyte->row(k.obs[u]);
            const std::uint64_t bit = std::uint64_t{1} << (u % 64);
            for (std::size_t j = 0; j < k.ntodo; ++j) {
                const std::uint8_t b = row[k.todo[j] - 1];
                one[j] |= b == 1 ? bit : 0;
                zero[j] |= b == 0 ? bit : 0;
                miss[j] |= b == kMissingByte ? bit : 0;
            }
        }
        for (std::size_t j = 0; j < k.ntodo; ++j) {
            std::uint64_t* col = k.cols[j];
            col[w] = one[j];
            col[k.words + w] = zero[j];
            col[2 * k.words + w] = miss[j];
        }
    }
}

#if MERU_X86_DISPATCH
// Transposes a 64 x 64 bit matrix in place: bit j of a[i] becomes bit i of
// a[j]. Blocks of 32, then 16, .., then 1 bits swap across the diagonal.
MERU_ALWAYS_INLINE void transpose64(std::uint64_t* a)
{
    std::uint64_t m = 0x00000000FFFFFFFFull;
    for (unsigned j = 32; j != 0; j >>= 1, m ^= m << j)
        for (unsigned k = 0; k < 64; k = ((k | j) + 1) & ~j) {
            const std::uint64_t t = ((a[k] >> j) ^ a[k | j]) & m;
            a[k | j] ^= t;
            a[k] ^= t << j;
        }
}

// Attributes lo .. lo + 63 at a time: per 64 units, each unit's bytes of them
// compared at once give its masks of bytes 1, 0 and 255, which a transpose
// makes the columns' words. Attributes that all lie within lo .. lo + 20
// take a third of the transposes: a unit's three masks side by side in one
// word (from bits 0, 21 and 42), one transpose for all three.
MERU_TARGET_AVX512 void columns_avx512(const ColumnArgs& k)
{
    constexpr int kPacked = 21;
    const __m512i one = _mm512_set1_epi8(1), zero = _mm512_setzero_si512(),
                  miss = _mm512_set1_epi8(static_cast<char>(kMissingByte));
    alignas(64) std::uint64_t ones[64], zeros[64], misses[64];
    for (std::size_t from = 0; from < k.ntodo;) {
        const int lo = k.todo[from];
        std::size_t to = from;
        while (to < k.ntodo && k.todo[to] - lo < 64) ++to;
        const bool packed = k.todo[to - 1] - lo < kPacked;
        const int len = std::min(packed ? kPacked : 64, k.abyte->lc - lo + 1);
        const __mmask64 bytes = len >= 64 ? ~__mmask64{0} : (__mmask64{1} << len) - 1;
        for (std::size_t w = k.from; w < k.to && w * 64 < k.units; ++w) {
            for (std::size_t i = 0; i < 64; ++i) {
                const std::size_t u = w * 64 + i;
                if (u >= k.units || k.obs[u] < 0) { // a padding unit
                    ones[i] = zeros[i] = misses[i] = 0;
                    continue;
                }
                const __m512i v = _mm512_maskz_loadu_epi8(bytes, k.abyte->row(k.obs[u]) + (lo - 1));
                ones[i] = _mm512_mask_cmpeq_epi8_mask(bytes, v, one);
                zeros[i] = _mm512_mask_cmpeq_epi8_mask(bytes, v, zero);
                misses[i] = _mm512_mask_cmpeq_epi8_mask(bytes, v, miss);
                if (packed) ones[i] |= zeros[i] << kPacked | misses[i] << (2 * kPacked);
            }
            transpose64(ones);
            if (!packed) {
                transpose64(zeros);
                transpose64(misses);
            }
            for (std::size_t j = from; j < to; ++j) {
                const auto b = static_cast<std::size_t>(k.todo[j] - lo);
                std::uint64_t* col = k.cols[j];
                col[w] = ones[b];
                col[k.words + w] = packed ? ones[kPacked + b] : zeros[b];
                col[2 * k.words + w] = packed ? ones[2 * kPacked + b] : misses[b];
            }
        }
        from = to;
    }
}
#endif

} // namespace

decltype(SampleKernels::columns) pick_columns(CpuLevel level)
{
    return by_level(level, columns_generic, nullptr, nullptr, MERU_X86_ONLY(columns_avx512));
}

void UnitColumns::prepare(std::span<const int> attributes, const ParallelFor& parallel)
{
    std::vector<int> todo; // the attributes to build, ascending
    for (const int a : attributes)
        if (a >= 1 && a <= abyte_.lc && !built_[static_cast<std::size_t>(a)]) todo.push_back(a);
    if (todo.empty()) return;
    std::sort(todo.begin(), todo.end());
    todo.erase(std::unique(todo.begin(), todo.end()), todo.end());
    std::vector<std::uint64_t*> cols;
    // Zeroed as they come from the system (the padding words stay so); the
    // stretches write the rest.
    for (const int a : todo) {
        auto& col = cols_[static_cast<std::size_t>(a)];
        col = UnitArray<std::uint64_t>(3 * words_);
        cols.push_back(col.data());
    }
    // Stretches of 2^17 units: long enough that handing one out costs
    // nothing, and a large sample has many.
    constexpr std::size_t kStretch = 2048;
    for_stretches(parallel, words_, kStretch, [&](std::size_t, std::size_t from, std::size_t to) {
        columns_({&abyte_, obs_->data(), obs_->size(), words_, todo.data(), todo.size(), cols.data(), from, to});
    });
    for (const int t : todo) {
        const auto a = static_cast<std::size_t>(t);
        built_[a] = 1;
        col_[a] = cols_[a].data();
        const std::uint64_t* m = col_[a] + 2 * words_;
        missing_[a] = std::any_of(m, m + words_, [](std::uint64_t x) { return x != 0; });
    }
}

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
