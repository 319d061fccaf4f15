#include "search/pattern_counts.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <stdexcept>
#include <utility>

namespace meru::search {

namespace {

// Sets whose values take at most this many bytes are summed within a block
// that stays in cache, one literal after another.
constexpr std::size_t kBlockBytes = std::size_t{1} << 17;

// f[S] := the sum of f over the supersets of S, for 2^m sets of `width`
// values: over literal j, each set without j takes the values of the set with
// it. The literals that fit a block are taken block by block, the others two
// at a time over the whole (a set without either takes the other three); every
// value takes its additions in the order of the literals, so that sums in
// double are those of taking the literals one by one over the whole.
// Over literal j (its sets `half` values apart) within [f, f + size).
template <class T> void over_literal(T* f, std::size_t size, std::size_t half)
{
    for (std::size_t start = 0; start < size; start += 2 * half) {
        T* lo = f + start;
        const T* hi = lo + half;
        for (std::size_t i = 0; i < half; ++i) lo[i] += hi[i];
    }
}

template <class T> void superset_sums(std::vector<T>& f, int m, std::size_t width)
{
    const std::size_t size = f.size();
    int inner = 0;
    while (inner < m && (std::size_t{2} << inner) * width * sizeof(T) <= kBlockBytes) ++inner;
    const std::size_t block = std::min(size, (std::size_t{1} << inner) * width);
    for (std::size_t from = 0; from < size; from += block)
        for (int j = 0; j < inner; ++j) over_literal(f.data() + from, block, (std::size_t{1} << j) * width);
    int j = inner;
    for (; j + 1 < m; j += 2) {
        const std::size_t h = (std::size_t{1} << j) * width;
        for (std::size_t start = 0; start < size; start += 4 * h) {
            T* a = f.data() + start;
            T* b = a + h;
            T* c = b + h;
            const T* d = c + h;
            for (std::size_t i = 0; i < h; ++i) {
                c[i] += d[i];
                a[i] = (a[i] + b[i]) + c[i];
                b[i] += d[i];
            }
        }
    }
    if (j < m) over_literal(f.data(), size, (std::size_t{1} << j) * width);
}

// The multiplier of a set of terms beside the others: +1 for an odd count, -1
// for an even one (for 32-bit words, -1 wrapped).
template <class T> T odd_plus(unsigned set) { return std::popcount(set) % 2 ? T(1) : T(0) - T(1); }

} // namespace

template <class T>
PatternCells<T>::PatternCells(int m, std::size_t width, std::vector<T> cells) : width_(width)
{
    if (m > kMaxLiterals) throw std::invalid_argument("too many literals to count by patterns");
    // The complements' cells: set S holds the pattern whose literals all fail where S's do.
    const std::size_t sets = std::size_t{1} << m;
    std::vector<T>& fails = sums_[0];
    fails.resize(cells.size());
    for (std::size_t s = 0; s < sets; ++s)
        std::copy_n(cells.data() + (sets - 1 - s) * width, width, fails.data() + s * width);
    sums_[1] = std::move(cells);
    superset_sums(sums_[1], m, width);
    superset_sums(sums_[0], m, width);
}

template <class T> int PatternCells<T>::conjunction(PatternTerm t, T sign, T* out, bool count) const
{
    if (t.holds & t.fails) return 0; // a literal and its complement
    // Where S holds and F fails: over the subsets U of F, (-1)^|U| times where
    // S and U hold; or the same the other way round, over the smaller set.
    const bool by_fails = std::popcount(t.fails) <= std::popcount(t.holds);
    const std::uint32_t over = by_fails ? t.fails : t.holds, base = by_fails ? t.holds : t.fails;
    if (!count) return 1 << std::popcount(over);
    const int side = by_fails ? 1 : 0;
    int lookups = 0;
    for (std::uint32_t u = over;; u = (u - 1) & over) {
        const T* a = all(side, base | u);
        const T s = std::popcount(u) % 2 ? T(0) - sign : sign;
        for (std::size_t c = 0; c < width_; ++c) out[c] += s * a[c];
        ++lookups;
        if (u == 0) break;
    }
    return lookups;
}

template <class T> bool PatternCells<T>::holds(std::span<const PatternTerm> terms, T* out) const
{
    if (terms.size() > static_cast<std::size_t>(kMaxTerms)) return false;
    std::array<PatternTerm, std::size_t{1} << kMaxTerms> unions{};
    const unsigned sets = 1u << terms.size();
    int lookups = 0;
    for (unsigned set = 1; set < sets; ++set) {
        const PatternTerm& t = terms[static_cast<std::size_t>(std::countr_zero(set))];
        const PatternTerm& rest = unions[set & (set - 1)];
        unions[set] = {rest.holds | t.holds, rest.fails | t.fails};
        lookups += conjunction(unions[set], T(1), nullptr, false);
        if (lookups > kMaxLookups) return false;
    }
    std::fill_n(out, width_, T(0));
    for (unsigned set = 1; set < sets; ++set) conjunction(unions[set], odd_plus<T>(set), out);
    return true;
}

template class PatternCells<std::uint32_t>;
template class PatternCells<double>;

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

namespace {

// Byte i of kSpread[x] is bit i of x: eight units' bits of one literal, a
// byte each.
constexpr std::array<std::uint64_t, 256> kSpread = [] {
    std::array<std::uint64_t, 256> t{};
    for (std::size_t x = 0; x < 256; ++x)
        for (std::size_t i = 0; i < 8; ++i) t[x] |= static_cast<std::uint64_t>((x >> i) & 1u) << (8 * i);
    return t;
}();

// The slices a shared-out count goes in: 2^kSliceBits.
constexpr int kSliceBits = 3;

// The weight of each class in each pattern of the sample's units. Shared out
// by `parallel`, the cells go in slices by the patterns' last literals: a
// slice counts only the units whose last literals hold and fail as its index
// says, into a stretch of the cells no other slice writes (an eighth of them,
// more often in cache); the counts are the same whatever the slices.
std::vector<std::uint32_t> class_cells(const ClassOrderedSample& sample, std::span<const UnitColumns::Lit> plain,
                                       const stats::ParallelFor& parallel)
{
    const int m = static_cast<int>(plain.size());
    if (m > PatternCounts::kMaxLiterals) throw std::invalid_argument("too many literals to count by patterns");
    const auto classes = static_cast<std::size_t>(std::max(sample.classes(), 0));
    const std::span<const ClassOrderedSample::Plane> planes = sample.planes();
    std::vector<std::size_t> by_lo(planes.size());
    std::iota(by_lo.begin(), by_lo.end(), std::size_t{0});
    std::sort(by_lo.begin(), by_lo.end(), [&](std::size_t a, std::size_t b) { return planes[a].lo < planes[b].lo; });
    std::vector<std::uint32_t> cells((std::size_t{1} << m) * classes, 0);
    const int groups = (m + 7) / 8;
    const int top = parallel ? std::min(kSliceBits, m) : 0;
    const auto slice = [&](std::size_t s) {
        // Word by word, the planes holding units in it (by their first
        // words), the slice's units and each unit's pattern: bit j where
        // literal j holds (its failing word clear).
        std::vector<std::size_t> active;
        // bytes[g][k]: byte i holds literals 8g..8g+7 of unit 8k+i's pattern.
        std::array<std::array<std::uint64_t, 8>, 4> bytes{};
        for (std::size_t w = 0, next = 0; w < sample.unit_words(); ++w) {
            while (next < by_lo.size() && planes[by_lo[next]].lo <= w) active.push_back(by_lo[next++]);
            std::erase_if(active, [&](std::size_t p) { return planes[p].hi <= w; });
            if (active.empty()) continue;
            std::uint64_t mine = ~std::uint64_t{0};
            for (int t = 0; t < top; ++t) {
                const std::uint64_t holds = ~plain[static_cast<std::size_t>(m - top + t)].fail[w];
                mine &= (s >> t) & 1 ? holds : ~holds;
            }
            if (mine == 0) continue;
            for (int g = 0; g < groups; ++g) bytes[static_cast<std::size_t>(g)].fill(0);
            for (int j = 0; j < m; ++j) {
                const std::uint64_t holds = ~plain[static_cast<std::size_t>(j)].fail[w];
                std::array<std::uint64_t, 8>& to = bytes[static_cast<std::size_t>(j / 8)];
                for (std::size_t k = 0; k < 8; ++k) to[k] |= kSpread[(holds >> (8 * k)) & 0xff] << (j % 8);
            }
            const auto pattern = [&](int b) {
                const auto k = static_cast<std::size_t>(b / 8);
                const int shift = 8 * (b % 8);
                std::size_t out = 0;
                for (int g = 0; g < groups; ++g)
                    out |= static_cast<std::size_t>((bytes[static_cast<std::size_t>(g)][k] >> shift) & 0xff)
                           << (8 * g);
                return out;
            };
            for (std::size_t p : active) {
                const auto value = static_cast<std::uint32_t>(planes[p].value); // wraps as the sums do
                const auto cls = static_cast<std::size_t>(planes[p].cls);
                for (std::uint64_t b = sample.plane_bits(planes[p])[w] & mine; b; b &= b - 1)
                    cells[pattern(std::countr_zero(b)) * classes + cls] += value;
            }
        }
    };
    if (top == 0) slice(0);
    else parallel(std::size_t{1} << top, slice);
    return cells;
}

} // namespace

PatternCounts::PatternCounts(const ClassOrderedSample& sample, std::span<const UnitColumns::Lit> plain,
                             const stats::ParallelFor& parallel)
    : cells_(static_cast<int>(plain.size()), static_cast<std::size_t>(std::max(sample.classes(), 0)),
             class_cells(sample, plain, parallel)),
      beyond_(sample.beyond())
{}

bool PatternCounts::table(int r, std::span<const PatternTerm> terms, stats::CountTable& out) const
{
    std::array<std::uint32_t, stats::CountTable::max_classes> h{};
    if (!cells_.holds(terms, h.data())) return false;
    table_of(r, h.data(), out);
    return true;
}

void PatternCounts::table(int r, std::span<const std::uint32_t> terms, stats::CountTable& out) const
{
    std::array<PatternTerm, kMaxTerms> t{};
    for (std::size_t i = 0; i < terms.size(); ++i) t[i] = side_term(r, terms[i]);
    table(r, std::span(t).first(terms.size()), out);
}

void PatternCounts::table_of(int r, const std::uint32_t* h, stats::CountTable& out) const
{
    const std::uint32_t* total = cells_.all(r, 0);
    const auto in = static_cast<std::size_t>(r), other = 1 - in;
    std::array<std::int64_t, 2> side{};
    for (std::size_t c = 0; c < cells_.width(); ++c) {
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
    cells_ = &counts.cells_;
    const unsigned sets = 1u << before.size();
    unions_.assign(sets, 0);
    signs_.assign(sets, 1);
    for (unsigned set = 1; set < sets; ++set) {
        unions_[set] = unions_[set & (set - 1)] | before[static_cast<std::size_t>(std::countr_zero(set))];
        signs_[set] = 0u - signs_[set & (set - 1)];
    }
    // Where a term before holds: as the last term's sets add it, over the
    // non-empty sets of terms before.
    for (int r = 0; r < 2; ++r) {
        std::uint32_t* h = before_[static_cast<std::size_t>(r)].data();
        h[0] = h[1] = 0;
        for (unsigned set = 1; set < sets; ++set)
            cells_->conjunction(side_term(r, unions_[set]), odd_plus<std::uint32_t>(set), h);
    }
}

void PatternCounts::Run::count(int r, std::span<const std::uint32_t> lasts,
                               std::span<ClassOrderedSample::Cells> out) const
{
    // With the last term L, a set J of terms before it adds (-1)^|J| F(L | union of J).
    const Cells& p = *cells_;
    const auto side = static_cast<std::size_t>(r);
    const std::uint32_t* total = p.all(r, 0);
    const std::size_t sets = unions_.size();
    for (std::size_t i = 0; i < lasts.size(); ++i) {
        std::uint32_t h0 = before_[side][0], h1 = before_[side][1];
        for (std::size_t set = 0; set < sets; ++set) {
            const std::uint32_t* a = p.all(r, lasts[i] | unions_[set]);
            h0 += signs_[set] * a[0];
            h1 += signs_[set] * a[1];
        }
        const std::int64_t in0 = static_cast<std::int32_t>(h0), in1 = static_cast<std::int32_t>(h1);
        const std::int64_t out0 = static_cast<std::int32_t>(total[0] - h0),
                           out1 = static_cast<std::int32_t>(total[1] - h1);
        out[i] =
            r ? ClassOrderedSample::Cells{out0, in0, out1, in1} : ClassOrderedSample::Cells{in0, out0, in1, out1};
    }
}

namespace {

// A counted observation's pattern and values, as make() adds them.
struct Unit {
    std::uint32_t pattern;
    int w;
    float wy, wy2;
};
// Cells of this many patterns (of kWidth doubles) stay in cache while their
// units are added; the units are ordered kStretch at a time.
constexpr int kCellBits = 13;
constexpr std::size_t kStretch = std::size_t{1} << 20;

} // namespace

std::unique_ptr<PatternSums> PatternSums::make(const stats::SampleView& view,
                                               std::span<const partition::Literal> literals,
                                               std::span<const std::int8_t> signbyte)
{
    const int m = static_cast<int>(literals.size());
    if (m > Cells::kMaxLiterals) return nullptr;
    // Each literal's byte and the byte where it holds read plainly (a literal
    // reversed by its attribute's sign holds at 0).
    std::vector<std::size_t> at;
    std::vector<std::uint8_t> holds_at;
    std::vector<int> bit(static_cast<std::size_t>(view.abyte.lc) + 1, -1);
    for (int j = 0; j < m; ++j) {
        const partition::Literal l = literals[static_cast<std::size_t>(j)];
        const int a = partition::attribute_of(l);
        if (a < 1 || a > view.abyte.lc || bit[static_cast<std::size_t>(a)] >= 0) return nullptr;
        const bool positive =
            static_cast<std::size_t>(a) >= signbyte.size() || signbyte[static_cast<std::size_t>(a)] >= 0;
        const bool reversed = (l < 0) == positive;
        at.push_back(static_cast<std::size_t>(a - 1));
        holds_at.push_back(reversed ? 0 : 1);
        bit[static_cast<std::size_t>(a)] = j;
    }
    // A stretch of units at a time, each unit's pattern and values are put in
    // order of the patterns' high bits (stably: in unit order within each),
    // then added into the cells a stretch of them at a time, which stays in
    // cache; each cell still takes its units in their order.
    std::vector<double> cells((std::size_t{1} << m) * kWidth, 0.0);
    const int shift = std::max(0, m - kCellBits);
    std::vector<Unit> units, sorted;
    std::vector<std::size_t> from(std::size_t{1} << (m - shift));
    double weight = 0.0;
    const auto n = static_cast<std::size_t>(std::max(view.abyte.n, 0));
    for (std::size_t start = 0; start < n; start += kStretch) {
        units.clear();
        for (std::size_t u = start; u < std::min(n, start + kStretch); ++u) {
            const int w = view.weights[u];
            const float y = view.y[u];
            if (w == 0 || !view.mask[u] || !(y >= 0.0f)) continue;
            const std::uint8_t* row = view.abyte.row(static_cast<int>(u));
            std::uint32_t pattern = 0;
            for (std::size_t j = 0; j < at.size(); ++j) {
                const std::uint8_t b = row[at[j]];
                if (b > 1) return nullptr;
                pattern |= static_cast<std::uint32_t>(b == holds_at[j]) << j;
            }
            const float wy = static_cast<float>(w) * y;
            units.push_back({pattern, w, wy, y * wy});
            weight += std::abs(static_cast<double>(w));
        }
        const std::vector<Unit>* in_order = &units;
        if (m > kCellBits) {
            std::fill(from.begin(), from.end(), 0);
            for (const Unit& x : units) ++from[x.pattern >> shift];
            std::exclusive_scan(from.begin(), from.end(), from.begin(), std::size_t{0});
            sorted.resize(units.size());
            for (const Unit& x : units) sorted[from[x.pattern >> shift]++] = x;
            in_order = &sorted;
        }
        for (const Unit& x : *in_order) {
            double* c = cells.data() + std::size_t{x.pattern} * kWidth;
            c[0] += x.w;
            c[1] += static_cast<double>(x.wy);
            c[2] += static_cast<double>(x.wy2);
        }
    }
    if (weight >= 0x1p53) return nullptr;
    return std::unique_ptr<PatternSums>(
        new PatternSums(Cells(m, kWidth, std::move(cells)), std::move(bit),
                        std::vector<partition::Literal>(literals.begin(), literals.end())));
}

bool PatternSums::term_of(std::span<const partition::Literal> lits, int sense, PatternTerm& out) const
{
    return pattern_term(
        lits, sense,
        [&](int attribute) {
            const auto a = static_cast<std::size_t>(attribute);
            const int b = a < bit_.size() ? bit_[a] : -1;
            return std::pair{b, b < 0 ? partition::Literal{} : literal_[static_cast<std::size_t>(b)]};
        },
        out);
}

bool PatternSums::sides(const partition::TermList& first, int sense, int q2, stats::SplitSlots& slots) const
{
    const int q1 = first.q();
    if (q1 > Cells::kMaxTerms) return false;
    std::array<PatternTerm, Cells::kMaxTerms> terms{};
    std::size_t at = 0;
    for (int t = 0; t < q1; ++t) {
        const auto len = static_cast<std::size_t>(first.lp[static_cast<std::size_t>(t)]);
        if (!term_of(std::span(first.lits).subspan(at, len), sense, terms[static_cast<std::size_t>(t)])) return false;
        at += len;
    }
    std::array<double, kWidth> held{};
    if (!cells_.holds(std::span(terms).first(static_cast<std::size_t>(q1)), held.data())) return false;
    slots.first.clear(q1);
    slots.second.clear(q2);
    const double* total = cells_.all(1, 0);
    const auto l1 = static_cast<std::size_t>(q1), l2 = static_cast<std::size_t>(q2);
    slots.first.count[l1] = std::llround(held[0]);
    slots.first.sum[l1] = held[1];
    slots.first.sumsq[l1] = held[2];
    slots.second.count[l2] = std::llround(total[0] - held[0]);
    slots.second.sum[l2] = total[1] - held[1];
    slots.second.sumsq[l2] = total[2] - held[2];
    return true;
}

bool PatternSums::split(const partition::Partition& pair, bool per_term, stats::SplitSlots& slots,
                        stats::SplitSums& out) const
{
    const partition::TermList& first = pair.first;
    const partition::TermList& second = pair.second;
    const int q1 = first.q(), q2 = second.q();
    const int sense = pair.first_sense(), other = 1 - sense;
    if (!sides(first, sense, q2, slots)) return false;
    // Each term's own sums, where the criterion asks for them (the second
    // list's terms hold only off the first list).
    if (per_term) {
        const std::array<const partition::TermList*, 2> lists{&first, &second};
        const std::array<int, 2> senses{sense, other};
        std::array<stats::SplitSlots::Side*, 2> sides{&slots.first, &slots.second};
        for (std::size_t k = 0; k < 2; ++k) {
            std::size_t from = 0;
            for (int t = 0; t < lists[k]->q(); ++t) {
                const auto len = static_cast<std::size_t>(lists[k]->lp[static_cast<std::size_t>(t)]);
                PatternTerm term;
                if (!term_of(std::span(lists[k]->lits).subspan(from, len), senses[k], term)) return false;
                std::array<double, kWidth> v{};
                cells_.conjunction(term, 1.0, v.data());
                const auto slot = static_cast<std::size_t>(t);
                sides[k]->count[slot] = std::llround(v[0]);
                sides[k]->sum[slot] = v[1];
                sides[k]->sumsq[slot] = v[2];
                from += len;
            }
        }
    }
    out = stats::finish_split(slots, q1, q2, per_term);
    return true;
}

bool PatternSums::serves(const partition::TermList& first) const
{
    if (first.q() > Cells::kMaxTerms) return false;
    return std::all_of(first.lits.begin(), first.lits.end(), [&](partition::Literal l) {
        const auto a = static_cast<std::size_t>(partition::attribute_of(l));
        return a < bit_.size() && bit_[a] >= 0 && literal_[static_cast<std::size_t>(bit_[a])] == l;
    });
}

void PatternSums::split_first(const partition::TermList& first, int sense, stats::SplitSlots& slots,
                              stats::SplitSums& out) const
{
    // No term needs its own sums: the second list's slots are but its total.
    sides(first, sense, 0, slots);
    out = stats::finish_split(slots, first.q(), 0, false);
}

} // namespace meru::search
