#include "partition/enumerate.h"

#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace meru::partition {

namespace {

using Wide = __int128;
constexpr Count kMaxCount = std::numeric_limits<Count>::max();

bool fits(Wide v) { return v >= 0 && v <= static_cast<Wide>(kMaxCount); }

// An integer right-aligned in w columns, or all its digits when it is wider.
std::string whole(Count v, int w)
{
    std::string s = std::to_string(v);
    if (static_cast<int>(s.size()) < w) s.insert(0, static_cast<size_t>(w) - s.size(), ' ');
    return s;
}

std::string whole(double v, int w)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*.0f", w, v);
    return buf;
}

} // namespace

std::optional<Count> binom(Count n, Count k)
{
    if (k < 1) return 1;
    if (n < 0 || k > n) return 0;
    if (k > n - k) k = n - k;
    Wide r = 1;
    for (Count i = 1; i <= k; ++i) {
        r = r * static_cast<Wide>(n - k + i) / i; // exact: r holds C(n - k + i, i)
        if (!fits(r)) return std::nullopt;
    }
    return static_cast<Count>(r);
}

void unrank(int n, int k, Count r, std::span<int> out)
{
    Count N = n, R = r;
    int m = k, last = 0;
    for (int j = 0; j < k; ++j) {
        --m;
        Count s = 0;
        Count count = binom(N - 1, m).value_or(kMaxCount);
        while (count < R) {
            R -= count;
            // C(N-1-(s+1), m) = C(N-1-s, m) * (N-1-s-m) / (N-1-s)
            const Count top = N - 1 - s;
            count = top > 0 ? static_cast<Count>(static_cast<Wide>(count) * (top - m) / top) : 0;
            ++s;
        }
        const int item = last + static_cast<int>(s) + 1;
        out[static_cast<size_t>(j)] = item;
        last = item;
        N -= s + 1;
    }
}

namespace {

// True when term u (positions off_u .. off_u + pu - 1) is a subset of term s.
bool subset_of(const std::vector<int>& idx, int off_u, int pu, int off_s, int ps)
{
    if (pu < 1) return true;
    if (ps < 1) return false;
    const int ulo = idx[static_cast<size_t>(off_u)], uhi = idx[static_cast<size_t>(off_u + pu - 1)];
    const int slo = idx[static_cast<size_t>(off_s)], shi = idx[static_cast<size_t>(off_s + ps - 1)];
    if (uhi < slo || shi < ulo) return false;
    // Both terms are increasing: merge.
    int j = off_s;
    const int jend = off_s + ps;
    for (int i = off_u; i < off_u + pu; ++i) {
        const int x = idx[static_cast<size_t>(i)];
        while (j < jend && idx[static_cast<size_t>(j)] < x) ++j;
        if (j == jend || idx[static_cast<size_t>(j)] != x) return false;
    }
    return true;
}

struct Enum {
    int n;
    std::span<const int> p;
    std::vector<int>& idx;
    CombState& st;

    int q() const { return static_cast<int>(p.size()); }
    void put(int t)
    {
        const size_t ut = static_cast<size_t>(t);
        if (p[ut] < 1) return;
        unrank(n, p[ut], st.rank[ut], std::span<int>(idx.data() + st.offset[ut], static_cast<size_t>(p[ut])));
    }
    bool subset_of_earlier(int u) const
    {
        const size_t uu = static_cast<size_t>(u);
        for (int s = 0; s < u; ++s)
            if (subset_of(idx, st.offset[uu], p[uu], st.offset[static_cast<size_t>(s)], p[static_cast<size_t>(s)]))
                return true;
        return false;
    }
};

// Moves to the next candidate: the last term below its largest rank steps on and
// every later term starts again above its predecessor. False when none is left.
bool advance(Enum& e)
{
    CombState& st = e.st;
    const int q = e.q();
    for (;;) {
        int t = q - 1;
        while (t >= 0 && st.rank[static_cast<size_t>(t)] >= st.maxrank[static_cast<size_t>(t)]) --t;
        if (t < 0) return false;
        ++st.rank[static_cast<size_t>(t)];
        e.put(t);
        if (st.allequal) {
            for (int u = t + 1; u < q; ++u) {
                st.rank[static_cast<size_t>(u)] = st.rank[static_cast<size_t>(u - 1)] + 1;
                e.put(u);
            }
            return true;
        }
        if (e.subset_of_earlier(t)) continue;
        bool again = false;
        for (int u = t + 1; u < q && !again; ++u) {
            const size_t uu = static_cast<size_t>(u);
            st.rank[uu] = st.same[uu] ? st.rank[uu - 1] + 1 : 1;
            e.put(u);
            again = e.subset_of_earlier(u);
        }
        if (!again) return true;
    }
}

} // namespace

void nextcomb(int n, std::span<const int> p, std::vector<int>& index, bool& first, bool& done, CombState& st)
{
    const int q = static_cast<int>(p.size());
    Enum e{n, p, index, st};
    if (first) {
        first = false;
        if (q < 1 || n < 0) {
            done = true;
            return;
        }
        st.rank.assign(static_cast<size_t>(q), 0);
        st.maxrank.assign(static_cast<size_t>(q), 0);
        st.offset.assign(static_cast<size_t>(q), 0);
        st.same.assign(static_cast<size_t>(q), 0);
        long long total = 0;
        for (int t = 0; t < q; ++t) {
            const int pt = p[static_cast<size_t>(t)];
            if (pt < 0 || pt > n || (t > 0 && pt > p[static_cast<size_t>(t - 1)])) {
                done = true;
                return;
            }
            st.offset[static_cast<size_t>(t)] = static_cast<int>(total);
            total += pt;
        }
        if (total > kIndexCapacity) {
            done = true;
            return;
        }
        index.assign(static_cast<size_t>(total), 0);
        int runs = 0;
        for (int s = 0; s < q;) {
            int g = 1;
            while (s + g < q && p[static_cast<size_t>(s + g)] == p[static_cast<size_t>(s)]) ++g;
            const std::optional<Count> M = binom(n, p[static_cast<size_t>(s)]);
            if (!M) {
                done = true;
                return;
            }
            for (int j = 0; j < g; ++j) {
                st.maxrank[static_cast<size_t>(s + j)] = *M - (g - 1) + j;
                st.same[static_cast<size_t>(s + j)] = j > 0;
            }
            s += g;
            ++runs;
        }
        st.allequal = runs == 1;
        for (int t = 0; t < q; ++t) {
            const size_t ut = static_cast<size_t>(t);
            st.rank[ut] = st.same[ut] ? st.rank[ut - 1] + 1 : 1;
            if (st.rank[ut] > st.maxrank[ut]) {
                done = true;
                return;
            }
        }
        for (int t = 0; t < q; ++t) e.put(t);
        if (st.allequal) return;
        for (int t = 1; t < q; ++t)
            while (e.subset_of_earlier(t)) {
                const size_t ut = static_cast<size_t>(t);
                if (++st.rank[ut] > st.maxrank[ut]) {
                    // No rank of term t fits the earlier terms as they stand: mark
                    // it and every later term exhausted and move an earlier term on.
                    for (size_t u = ut; u < static_cast<size_t>(q); ++u) st.rank[u] = st.maxrank[u];
                    if (!advance(e)) done = true;
                    return;
                }
                e.put(t);
            }
        return;
    }

    if (done || static_cast<int>(st.rank.size()) != q || !advance(e)) done = true;
}

SizeCount sizemult(int n, std::span<const int> p)
{
    SizeCount r;
    const int q = static_cast<int>(p.size());
    auto saturate = [&](bool exact) {
        r.size = kMaxCount;
        r.exact = exact;
        r.too_large = true;
        return r;
    };
    auto c = [&](int i) { return binom(n, p[static_cast<size_t>(i)]); };
    if (q < 1) {
        r.size = 0;
        return r;
    }
    if (q == 1) {
        auto v = c(0);
        if (!v) return saturate(true);
        r.size = *v;
        return r;
    }
    double mult = 1;
    bool allequal = true;
    for (int s = 0; s < q;) {
        int g = 1;
        while (s + g < q && p[static_cast<size_t>(s + g)] == p[static_cast<size_t>(s)]) ++g;
        for (int k = 2; k <= g; ++k) mult *= k;
        if (g != q) allequal = false;
        s += g;
    }
    auto c1 = c(0);
    if (!c1) return saturate(allequal || q <= 3);
    if (allequal) {
        auto v = binom(*c1, q);
        if (!v) return saturate(true);
        r.size = *v;
        return r;
    }
    if (q >= 4) {
        // An upper bound: each run of g equal sizes p takes g distinct p-subsets,
        // the runs independently (the subset rule only removes candidates).
        Wide bound = 1;
        for (int s = 0; s < q;) {
            int g = 1;
            while (s + g < q && p[static_cast<size_t>(s + g)] == p[static_cast<size_t>(s)]) ++g;
            auto cs = c(s);
            auto v = cs ? binom(*cs, g) : std::nullopt;
            if (!v) return saturate(false);
            bound *= *v;
            if (!fits(bound)) return saturate(false);
            s += g;
        }
        r.size = static_cast<Count>(bound);
        r.exact = false;
        return r;
    }
    auto s = [&](int i, int j) {
        return static_cast<Wide>(*binom(p[static_cast<size_t>(i)], p[static_cast<size_t>(j)]));
    };
    if (q == 2) {
        auto c2 = c(1);
        if (!c2) return saturate(true);
        const Wide v = static_cast<Wide>(*c1) * (static_cast<Wide>(*c2) - s(0, 1));
        if (!fits(v)) return saturate(true);
        r.size = static_cast<Count>(v);
        return r;
    }
    // q == 3, not all equal.
    auto c2 = c(1), c3 = c(2);
    if (!c2 || !c3) return saturate(true);
    const Wide C1 = *c1, C2 = *c2, C3 = *c3;
    const Wide s12 = s(0, 1), s13 = s(0, 2), s23 = s(1, 2);
    constexpr Wide kSmall = Wide(1) << 31;
    if (C1 >= kSmall || C2 >= kSmall || C3 >= kSmall) {
        // Beyond exact 128-bit products: the value is far beyond 64 bits anyway
        // unless the terms cancel, so estimate it in extended precision.
        const long double l1 = static_cast<long double>(C1), l2 = static_cast<long double>(C2),
                          l3 = static_cast<long double>(C3);
        const long double x =
            (l1 * l2 - l1 * s12) * l3 + (l1 * s12 - l1 * l2) * s13 - l1 * l2 * s23 + l1 * l2 * s13 * s23 / l3;
        if (!(x / mult < static_cast<long double>(kMaxCount))) return saturate(true);
        r.size = static_cast<Count>(x / mult);
        return r;
    }
    const Wide c1c2 = C1 * C2;
    const Wide X = (c1c2 - C1 * s12) * C3 + (C1 * s12 - c1c2) * s13 - c1c2 * s23 + (c1c2 * s13 * s23) / C3;
    // The multiplicity is a product of factorials, so the truncated quotient is an
    // integer division; X itself may exceed 64 bits while the count does not.
    const Wide size = X / static_cast<Wide>(mult);
    if (!fits(size)) return saturate(true);
    r.size = static_cast<Count>(size);
    return r;
}

double mean_subset_product(std::span<const double> c, int L)
{
    const int n = static_cast<int>(c.size());
    if (L < 0 || L > n) return 0.0;
    // m[j] = e_j(c_1..c_i) / C(i, j), updated item by item:
    // m_j(i) = ((i - j) / i) m_j(i-1) + (j / i) c_i m_{j-1}(i-1).
    std::vector<double> m(static_cast<size_t>(L) + 1, 0.0);
    m[0] = 1.0;
    for (int i = 1; i <= n; ++i) {
        const double ci = c[static_cast<size_t>(i - 1)];
        for (int j = std::min(i, L); j >= 1; --j) {
            const double keep = (j < i) ? static_cast<double>(i - j) / i * m[static_cast<size_t>(j)] : 0.0;
            m[static_cast<size_t>(j)] = keep + static_cast<double>(j) / i * ci * m[static_cast<size_t>(j - 1)];
        }
    }
    return m[static_cast<size_t>(L)];
}

SubsizeResult subsize(const SubsizeInput& in, const files::ControlTables& t, SubsizeMemory& memory,
                      io::LogWriter& log)
{
    SubsizeResult r;
    const Count f = in.one_representation ? 1 : 2;
    const std::string label = in.one_representation ? "   " : " x2";
    const Count size = in.count.size;
    const size_t slot = static_cast<size_t>(std::max(in.vector_number, 0));
    if (in.iterative && in.iteration == 1) {
        if (memory.size.size() <= slot) memory.size.resize(slot + 1, 0);
        memory.size[slot] = size;
    }
    if (in.detailed)
        log.write(std::string(in.count.exact ? " Class size is   " : " Class size is <=") + whole(size, 6) + label +
                  " partitions");
    Count remaining = size;
    if (in.iterative && in.iteration >= 2) {
        const Count prev = slot < memory.size.size() ? memory.size[slot] : 0;
        r.excluded = f * prev;
        if (in.detailed)
            log.write(" Anticipate excluding " + whole(prev, 4) + label + " already covered: No added attribute");
        remaining = size - prev;
    }
    r.size_times_factor = size > kMaxCount / f ? kMaxCount : size * f;
    if (!in.over_cuts) {
        r.class_size = static_cast<double>(f) * static_cast<double>(remaining);
        r.e = 1.0;
        r.equal_cuts = true;
        return r;
    }
    if (remaining == 0) {
        r.class_size = 0;
        r.e = 0.0;
        return r;
    }
    int cmax = 0, cmin = 100;
    double logp = 0; // log of the product of the counted cuts
    std::vector<double> cuts;
    cuts.reserve(in.lines.size());
    for (int k : in.lines) {
        const files::AttrLine* line =
            k >= 1 && static_cast<size_t>(k) < t.line.size() ? &t.line[static_cast<size_t>(k)] : nullptr;
        if (line && line->firstattr) {
            const int c = line->ncuts;
            logp += std::log(static_cast<double>(std::max(c, 1)));
            cmax = std::max(cmax, c);
            cmin = std::min(cmin, c);
            cuts.push_back(c);
        } else {
            cmin = 1;
            cuts.push_back(1);
        }
    }
    const int L = in.literals;
    const double U = std::pow(static_cast<double>(cmax), L);
    if (cmin == cmax) {
        r.equal_cuts = true;
        if (cmin == 1) {
            r.class_size = static_cast<double>(f) * static_cast<double>(remaining);
            r.e = U;
            return r;
        }
        r.e = U;
        if (in.detailed) log.write(" Equal # of cuts: Each subsearch is size" + whole(static_cast<double>(U), 5));
    } else {
        r.equal_cuts = false;
        const int n = static_cast<int>(cuts.size());
        if (L > n || L < 0) {
            r.e = n > 0 ? std::round(std::exp(logp * L / n)) : 0.0;
            if (in.detailed) log.write(" Subsearch size is guesstimate! May be bad approx");
        } else {
            r.e = mean_subset_product(cuts, L);
        }
        if (in.detailed) log.write(" Unequal # of cuts: E(subsearch size)= " + io::fmt_f(r.e, 6, 2));
    }
    r.class_size = std::round(static_cast<double>(f) * r.e * static_cast<double>(remaining));
    if (in.detailed) {
        const char* head = !in.count.exact ? " Upper bound on class size over cuts is  "
                           : r.equal_cuts  ? " Class size over all cuts is exactly    "
                                           : " Class size over all cuts estimated as ";
        log.write(head + whole(r.class_size, 10));
    }
    return r;
}

} // namespace meru::partition
