#include "search/pattern_counts.h"

#include <bit>
#include <cstdlib>
#include <stdexcept>

namespace meru::search {

namespace {

// f[S] := the sum of f over the supersets of S, for 2^m sets of `classes` words.
void superset_sums(std::vector<std::uint32_t>& f, int m, std::size_t classes)
{
    const std::size_t size = f.size();
    for (int j = 0; j < m; ++j) {
        const std::size_t half = (std::size_t{1} << j) * classes;
        for (std::size_t start = 0; start < size; start += 2 * half) {
            std::uint32_t* lo = f.data() + start;
            const std::uint32_t* hi = lo + half;
            for (std::size_t i = 0; i < half; ++i) lo[i] += hi[i];
        }
    }
}

// The sign of a set of terms beside the others, as a multiplier: +1 for an
// odd count, -1 (wrapped) for an even one.
std::uint32_t odd_plus(unsigned set) { return std::popcount(set) % 2 ? 1u : ~0u; }

} // namespace

std::size_t PatternCounts::bytes(int m, int classes)
{
    return 2 * (std::size_t{1} << m) * static_cast<std::size_t>(std::max(classes, 0)) * sizeof(std::uint32_t);
}

bool PatternCounts::fits(const ClassOrderedSample& sample)
{
    std::int64_t total = 0;
    for (const ClassOrderedSample::Plane& p : sample.planes()) {
        const std::uint64_t* bits = sample.plane_bits(p);
        std::int64_t units = 0;
        for (std::uint32_t w = p.lo; w < p.hi; ++w) units += std::popcount(bits[w]);
        total += std::abs(p.value) * units;
        if (total >= (std::int64_t{1} << 31)) return false;
    }
    return true;
}

PatternCounts::PatternCounts(const ClassOrderedSample& sample, std::span<const UnitColumns::Lit> plain)
    : m_(static_cast<int>(plain.size())), classes_(static_cast<std::size_t>(std::max(sample.classes(), 0))),
      beyond_(sample.beyond())
{
    if (m_ > kMaxLiterals) throw std::invalid_argument("too many literals to count by patterns");
    // Each unit's pattern: bit j where literal j holds (its failing word clear).
    const std::size_t words = sample.unit_words();
    std::vector<std::uint32_t> pattern(words * 64, 0);
    for (std::size_t w = 0; w < words; ++w) {
        std::uint32_t* p = pattern.data() + 64 * w;
        for (int j = 0; j < m_; ++j) {
            const std::uint64_t holds = ~plain[static_cast<std::size_t>(j)].fail[w];
            for (unsigned b = 0; b < 64; ++b) p[b] |= static_cast<std::uint32_t>((holds >> b) & 1u) << j;
        }
    }
    // The weight of each class in each pattern, from the sample's planes.
    const std::size_t sets = std::size_t{1} << m_;
    std::vector<std::uint32_t>& plainly = sums_[1];
    plainly.assign(sets * classes_, 0);
    for (const ClassOrderedSample::Plane& p : sample.planes()) {
        const std::uint64_t* bits = sample.plane_bits(p);
        const auto value = static_cast<std::uint32_t>(p.value); // wraps as the sums do
        const auto cls = static_cast<std::size_t>(p.cls);
        for (std::uint32_t w = p.lo; w < p.hi; ++w)
            for (std::uint64_t b = bits[w]; b; b &= b - 1)
                plainly[pattern[64 * w + static_cast<std::size_t>(std::countr_zero(b))] * classes_ + cls] += value;
    }
    // The complements' counts: set S holds the pattern whose literals all fail where S's do.
    std::vector<std::uint32_t>& flipped = sums_[0];
    flipped.resize(plainly.size());
    for (std::size_t s = 0; s < sets; ++s)
        std::copy_n(plainly.data() + (sets - 1 - s) * classes_, classes_, flipped.data() + s * classes_);
    superset_sums(plainly, m_, classes_);
    superset_sums(flipped, m_, classes_);
}

int PatternCounts::conjunction(std::uint32_t holds, std::uint32_t fails, std::uint32_t sign, std::uint32_t* out,
                               bool count) const
{
    if (holds & fails) return 0; // a literal and its complement
    // Where S holds and F fails: over the subsets U of F, (-1)^|U| times where
    // S and U hold; or the same the other way round, over the smaller set.
    const bool by_fails = std::popcount(fails) <= std::popcount(holds);
    const std::uint32_t over = by_fails ? fails : holds, base = by_fails ? holds : fails;
    const int side = by_fails ? 1 : 0;
    if (!count) return 1 << std::popcount(over);
    int lookups = 0;
    for (std::uint32_t u = over;; u = (u - 1) & over) {
        const std::uint32_t* a = all(side, base | u);
        const std::uint32_t s = std::popcount(u) % 2 ? ~sign + 1 : sign;
        for (std::size_t c = 0; c < classes_; ++c) out[c] += s * a[c];
        ++lookups;
        if (u == 0) break;
    }
    return lookups;
}

bool PatternCounts::table(int r, std::span<const Term> terms, stats::CountTable& out) const
{
    if (terms.size() > static_cast<std::size_t>(kMaxTerms)) return false;
    std::array<Term, std::size_t{1} << kMaxTerms> unions{};
    const unsigned sets = 1u << terms.size();
    int lookups = 0;
    for (unsigned set = 1; set < sets; ++set) {
        const Term& t = terms[static_cast<std::size_t>(std::countr_zero(set))];
        const Term& rest = unions[set & (set - 1)];
        unions[set] = {rest.holds | t.holds, rest.fails | t.fails};
        lookups += conjunction(unions[set].holds, unions[set].fails, 0, nullptr, false);
        if (lookups > kMaxLookups) return false;
    }
    std::array<std::uint32_t, stats::CountTable::max_classes> h{};
    for (unsigned set = 1; set < sets; ++set) conjunction(unions[set].holds, unions[set].fails, odd_plus(set), h.data());
    table_of(r, h.data(), out);
    return true;
}

void PatternCounts::table(int r, std::span<const std::uint32_t> terms, stats::CountTable& out) const
{
    std::array<Term, kMaxTerms> t{};
    for (std::size_t i = 0; i < terms.size(); ++i) t[i] = side_term(r, terms[i]);
    table(r, std::span(t).first(terms.size()), out);
}

void PatternCounts::table_of(int r, const std::uint32_t* h, stats::CountTable& out) const
{
    const std::uint32_t* total = all(r, 0);
    const auto in = static_cast<std::size_t>(r), other = 1 - in;
    std::array<std::int64_t, 2> side{};
    for (std::size_t c = 0; c < classes_; ++c) {
        const std::int64_t held = static_cast<std::int32_t>(h[c]), rest = static_cast<std::int32_t>(total[c] - h[c]);
        out.cells[2 * c + in] = held;
        out.cells[2 * c + other] = rest;
        side[in] += held;
        side[other] += rest;
    }
    out.w0 = side[0];
    out.w1 = side[1];
    out.beyond = beyond_;
}

void PatternCounts::Run::begin(const PatternCounts& counts, std::span<const std::uint32_t> before)
{
    counts_ = &counts;
    const unsigned sets = 1u << before.size();
    unions_.assign(sets, 0);
    signs_.assign(sets, 1);
    for (unsigned set = 1; set < sets; ++set) {
        unions_[set] = unions_[set & (set - 1)] | before[static_cast<std::size_t>(std::countr_zero(set))];
        signs_[set] = -signs_[set & (set - 1)];
    }
    // Where a term before holds: as the last term's sets add it, over the
    // non-empty sets of terms before.
    for (int r = 0; r < 2; ++r) {
        std::uint32_t* h = before_[static_cast<std::size_t>(r)].data();
        h[0] = h[1] = 0;
        for (unsigned set = 1; set < sets; ++set) {
            const Term t = side_term(r, unions_[set]);
            counts.conjunction(t.holds, t.fails, odd_plus(set), h);
        }
    }
}

void PatternCounts::Run::count(int r, std::span<const std::uint32_t> lasts,
                               std::span<ClassOrderedSample::Cells> out) const
{
    // With the last term L, a set J of terms before it adds (-1)^|J| F(L | union of J).
    const PatternCounts& p = *counts_;
    const auto side = static_cast<std::size_t>(r);
    const std::uint32_t* total = p.all(r, 0);
    const std::size_t sets = unions_.size();
    for (std::size_t i = 0; i < lasts.size(); ++i) {
        std::uint32_t h0 = before_[side][0], h1 = before_[side][1];
        for (std::size_t set = 0; set < sets; ++set) {
            const std::uint32_t* a = p.all(r, lasts[i] | unions_[set]);
            const auto sign = static_cast<std::uint32_t>(signs_[set]);
            h0 += sign * a[0];
            h1 += sign * a[1];
        }
        const std::int64_t in0 = static_cast<std::int32_t>(h0), in1 = static_cast<std::int32_t>(h1);
        const std::int64_t out0 = static_cast<std::int32_t>(total[0] - h0), out1 = static_cast<std::int32_t>(total[1] - h1);
        out[i] = r ? ClassOrderedSample::Cells{out0, in0, out1, in1} : ClassOrderedSample::Cells{in0, out0, in1, out1};
    }
}

} // namespace meru::search
