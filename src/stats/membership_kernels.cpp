#include "stats/membership_kernels.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace meru::stats {

void SampleView::check() const
{
    const auto n = static_cast<std::size_t>(abyte.n);
    if (y.size() < n || mask.size() < n || weights.size() < n)
        throw std::invalid_argument("Y, mask or weights shorter than the observations");
}

namespace {

// The count table and the correlation over the observations, each counted
// observation's membership from member_of(i) (-1: not counted).
template <class Member> void count_table(const SampleView& s, int nclasses, CountTable& out, Member&& member_of)
{
    s.check();
    out.clear();
    nclasses = std::clamp(nclasses, 0, CountTable::max_classes);
    for (int i = 0; i < s.abyte.n; ++i) {
        const auto ix = static_cast<std::size_t>(i);
        const int w = s.weights[ix];
        if (!s.mask[ix] || w == 0) continue;
        const int c = y_class(s.y[ix], nclasses);
        if (c < 0) continue;
        if (c == nclasses) {
            out.beyond += w;
            continue;
        }
        const int m = member_of(i);
        if (m < 0) continue;
        out.cells[static_cast<std::size_t>(2 * c + m)] += w;
        (m ? out.w1 : out.w0) += w;
    }
}

template <class Member> double correlation(const SampleView& s, Member&& member_of)
{
    s.check();
    CorrelationSums sums;
    for (int i = 0; i < s.abyte.n; ++i) {
        const auto ix = static_cast<std::size_t>(i);
        const int w = s.weights[ix];
        const float yf = s.y[ix];
        if (!s.mask[ix] || w == 0 || !(yf >= 0.0f)) continue;
        const int m = member_of(i);
        if (m >= 0) sums.add(w, yf, m == 1);
    }
    return sums.r();
}

// Membership of observation i under the skip flag (-1 where it drops i).
auto list_member(const SampleView& s, const CompiledList& list, bool skip)
{
    const bool drop = skip && list.q() >= 1;
    return [&s, &list, drop](int i) {
        const std::uint8_t* row = s.abyte.row(i);
        return drop && list.skipped(row) ? -1 : list.membership(row);
    };
}

// Membership of observation i read from a column.
auto column_member(const SampleView& s, std::span<const std::int8_t> member)
{
    if (member.size() < static_cast<std::size_t>(s.abyte.n))
        throw std::invalid_argument("membership column too short");
    return [member](int i) { return static_cast<int>(member[static_cast<std::size_t>(i)]); };
}

} // namespace

void partab(const SampleView& s, const CompiledList& list, bool skip, int nclasses, CountTable& out)
{
    count_table(s, nclasses, out, list_member(s, list, skip));
}

void partab(const SampleView& s, std::span<const std::int8_t> member, int nclasses, CountTable& out)
{
    count_table(s, nclasses, out, column_member(s, member));
}

double partcor(const SampleView& s, const CompiledList& list, bool skip)
{
    return correlation(s, list_member(s, list, skip));
}

double partcor(const SampleView& s, std::span<const std::int8_t> member)
{
    return correlation(s, column_member(s, member));
}

double CorrelationSums::r() const
{
    if (w <= 0) return 0.0;
    const double dw = static_cast<double>(w);
    const double p = sm / dw;
    const double var_y = (syy - sy * sy / dw) / dw;
    const double cov = (sym - p * sy) / dw;
    const double pq = p * (1.0 - p);
    if (pq > 0 && var_y > 0) return cov / std::sqrt(var_y * pq);
    return 0.0;
}

CorrelationSums CorrelationSums::of_table(const CountTable& t, int nclasses)
{
    std::int64_t sy = 0, syy = 0, sm = 0, sym = 0;
    CorrelationSums out;
    for (std::int64_t c = 0; c < std::clamp(nclasses, 0, CountTable::max_classes); ++c) {
        const std::int64_t members = t.cells[static_cast<std::size_t>(2 * c + 1)];
        const std::int64_t all = members + t.cells[static_cast<std::size_t>(2 * c)];
        out.w += all;
        sy += c * all;
        syy += c * c * all;
        sm += members;
        sym += c * members;
    }
    out.sy = static_cast<double>(sy);
    out.syy = static_cast<double>(syy);
    out.sm = static_cast<double>(sm);
    out.sym = static_cast<double>(sym);
    return out;
}

bool ys_are_classes(const SampleView& s, int nclasses)
{
    s.check();
    nclasses = std::clamp(nclasses, 0, CountTable::max_classes);
    double bound = 0.0; // exact while below 2^53: whole numbers of at most 2^31 x 99^2 each
    for (int i = 0; i < s.abyte.n; ++i) {
        const auto ix = static_cast<std::size_t>(i);
        const int w = s.weights[ix];
        const float y = s.y[ix];
        if (!s.mask[ix] || w == 0 || !(y >= 0.0f)) continue;
        if (y >= static_cast<float>(nclasses) || y != std::floor(y)) return false;
        bound += std::fabs(static_cast<double>(w)) * std::max(1.0, static_cast<double>(y) * y);
        if (bound >= 0x1p53) return false;
    }
    return true;
}

bool DataColumn::valid(int n) const
{
    if (n < 0 || nr < n || column < 1) return false;
    return static_cast<std::size_t>(column) * static_cast<std::size_t>(nr) <= xdata.size();
}

bool partattr(std::span<std::uint8_t> abyte, int lc, int n, const CompiledList& list, bool skip, int k,
              const DataColumn& dest, const ParallelFor& parallel)
{
    if (k < 1 || k > lc || !dest.valid(n)) return false;
    const AttributeMatrix view(abyte, lc, n);
    const bool drop = skip && list.q() >= 1;
    constexpr std::size_t kStretch = std::size_t{1} << 16;
    for_stretches(parallel, static_cast<std::size_t>(n), kStretch, [&](std::size_t, std::size_t from, std::size_t to) {
        for (int i = static_cast<int>(from); i < static_cast<int>(to); ++i) {
            std::uint8_t* row = abyte.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(lc);
            row[k - 1] = kMissingByte; // a list that names k itself sees it missing
            if (drop && list.skipped(row)) {
                dest.at(i) = -1.0f;
                continue;
            }
            const int m = list.membership(row);
            row[k - 1] = m < 0 ? kMissingByte : static_cast<std::uint8_t>(m);
            dest.at(i) = static_cast<float>(m);
        }
    });
    return true;
}

bool newattr(std::span<std::uint8_t> abyte, int lc, int n, int& natt, const DataColumn& dest,
             std::span<const float> values)
{
    const int k = natt + 1;
    if (k < 1 || k > lc || !dest.valid(n) || values.size() < static_cast<std::size_t>(n)) return false;
    const AttributeMatrix view(abyte, lc, n); // checks the matrix size
    for (int i = 0; i < n; ++i) {
        const float v = values[static_cast<std::size_t>(i)];
        const bool binary = v >= 0.0f && v < 2.0f; // integer part 0 or 1
        const int t = binary ? static_cast<int>(v) : -1;
        abyte[static_cast<std::size_t>(i) * static_cast<std::size_t>(lc) + static_cast<std::size_t>(k - 1)] =
            binary ? static_cast<std::uint8_t>(t) : kMissingByte;
        dest.at(i) = static_cast<float>(t);
    }
    natt = k;
    return true;
}

bool partcode(const AttributeMatrix& abyte, const CompiledList& list, bool skip, int g,
              std::span<const std::uint8_t> mask, const DataColumn& dest)
{
    if (!dest.valid(abyte.n) || mask.size() < static_cast<std::size_t>(abyte.n)) return false;
    const bool drop = skip && list.q() >= 1;
    for (int i = 0; i < abyte.n; ++i) {
        if (!mask[static_cast<std::size_t>(i)]) continue;
        const std::uint8_t* row = abyte.row(i);
        const int m = (drop && list.skipped(row)) ? -1 : list.membership(row);
        dest.at(i) = m < 0 ? -1.0f : static_cast<float>(2 * g - 1 + m);
    }
    return true;
}

void int2bits(long long code, std::span<int> bits)
{
    const std::size_t n = std::min<std::size_t>(bits.size(), 62);
    for (std::size_t j = 0; j < n; ++j) bits[j] = static_cast<int>((code >> j) & 1);
    for (std::size_t j = n; j < bits.size(); ++j) bits[j] = 0;
}

long long bits2int(std::span<const int> bits)
{
    const std::size_t n = std::min<std::size_t>(bits.size(), 62);
    long long code = 0;
    for (std::size_t j = 0; j < n; ++j)
        if (bits[j] == 1) code |= 1LL << j;
    return code;
}

} // namespace meru::stats
