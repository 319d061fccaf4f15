#pragma once
// A straightforward implementation of the membership rule and the count table,
// written literal by literal from the rule's definition, against which the
// kernels are checked. Deliberately naive: no compilation, no bits.
#include "partition/termlist.h"
#include "stats/count_table.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace meru::test {

struct RefData {
    int n = 0, lc = 0;
    std::vector<std::uint8_t> abyte; // n * lc
    std::vector<std::int8_t> sign;   // [0..lc]
    std::vector<float> y;
    std::vector<std::uint8_t> mask;
    std::vector<int> w;
    std::uint8_t byte(int i, int a) const { return abyte[static_cast<std::size_t>(i * lc + a - 1)]; }
};

inline bool ref_literal_missing(const RefData& d, int i, const partition::TermList& list)
{
    for (int l : list.lits)
        if (d.byte(i, std::abs(l)) == 255) return true;
    return false;
}

inline int ref_membership(const RefData& d, int i, const partition::TermList& list, int s)
{
    int result = 1 - s;
    std::size_t k = 0;
    for (int len : list.lp) {
        bool fails = false, missing = false;
        for (int j = 0; j < len; ++j) {
            const int l = list.lits[k++];
            const int a = std::abs(l);
            int sg = a < static_cast<int>(d.sign.size()) ? d.sign[static_cast<std::size_t>(a)] : 1;
            if (sg == 0) sg = 1;
            int f = 1 - s;
            if ((l > 1 && sg == -1) || (l < 0 && sg == 1)) f = s;
            const int b = d.byte(i, a);
            if (b == 255) missing = true;
            else if (b == f) fails = true;
        }
        if (!fails && !missing) return s;
        if (!fails) result = -1;
    }
    return result;
}

// Membership of observation i as the count table sees it: -2 when it is not
// included at all (mask, weight, Y missing), -1 when dropped or undetermined.
inline int ref_counted(const RefData& d, int i, const partition::TermList& list, int s, bool skip)
{
    const float y = d.y[static_cast<std::size_t>(i)];
    if (!d.mask[static_cast<std::size_t>(i)] || d.w[static_cast<std::size_t>(i)] == 0 || std::isnan(y) || y < 0)
        return -2;
    if (skip && list.q() >= 1 && ref_literal_missing(d, i, list)) return -1;
    return ref_membership(d, i, list, s);
}

inline stats::CountTable ref_partab(const RefData& d, const partition::TermList& list, int s, bool skip, int nclasses)
{
    stats::CountTable t;
    for (int i = 0; i < d.n; ++i) {
        const int m = ref_counted(d, i, list, s, skip);
        if (m == -2) continue;
        const int c = static_cast<int>(std::floor(std::min(d.y[static_cast<std::size_t>(i)], 1e6f)));
        const int w = d.w[static_cast<std::size_t>(i)];
        if (c >= nclasses || c >= 100) {
            t.beyond += w;
            continue;
        }
        if (m < 0) continue;
        t.cells[static_cast<std::size_t>(2 * c + m)] += w;
        (m ? t.w1 : t.w0) += w;
    }
    return t;
}

inline double ref_partcor(const RefData& d, const partition::TermList& list, int s, bool skip)
{
    double W = 0, sy = 0, sm = 0, syy = 0, sym = 0;
    for (int i = 0; i < d.n; ++i) {
        const int m = ref_counted(d, i, list, s, skip);
        if (m < 0) continue;
        const double w = d.w[static_cast<std::size_t>(i)], y = d.y[static_cast<std::size_t>(i)];
        W += w;
        sy += w * y;
        syy += w * y * y;
        sm += w * m;
        sym += w * y * m;
    }
    if (W <= 0) return 0;
    const double p = sm / W, vy = (syy - sy * sy / W) / W, cov = (sym - p * sy) / W;
    return (p * (1 - p) > 0 && vy > 0) ? cov / std::sqrt(vy * p * (1 - p)) : 0.0;
}

// Split sums, literal by literal: the first list tested with t = 1 - r, the
// second with t = r; a literal is reversed (compared with 1 - t) when l >= 2 and
// its sign is -1, or l <= 0 and its sign is +1. Side 2 holds the observations
// where every term of the first list fails.
struct RefSplit {
    long long n1 = 0, n2 = 0, m1 = 0, m2 = 0;
    double ss1 = 0, ss2 = 0, s1 = 0, s2 = 0, sst = 0;
};

struct RefSlots {
    std::vector<long long> c;
    std::vector<double> sum, sq;
    explicit RefSlots(int q) : c(static_cast<std::size_t>(q) + 1), sum(c.size()), sq(c.size()) {}
};

// Which terms of the list hold for observation i (one flag per term); `fails`
// is set when the list has terms and each has a failing literal.
inline std::vector<bool> ref_terms_hold(const RefData& d, int i, const partition::TermList& list, int t,
                                        bool* fails = nullptr)
{
    std::vector<bool> holds;
    if (fails) *fails = list.q() > 0;
    std::size_t k = 0;
    for (int len : list.lp) {
        bool failed = false, missing = false;
        for (int j = 0; j < len; ++j) {
            const int l = list.lits[k++];
            const int a = std::abs(l);
            const int sg = a < static_cast<int>(d.sign.size()) ? d.sign[static_cast<std::size_t>(a)] : 1;
            const bool reversed = (l >= 2 && sg == -1) || (l <= 0 && sg != -1);
            const int compare = reversed ? 1 - t : t;
            const int b = d.byte(i, a);
            if (failed) continue;
            if (b == 255) missing = true;
            else if (b == compare) failed = true;
        }
        holds.push_back(!failed && !missing);
        if (fails) *fails = *fails && failed;
    }
    return holds;
}

inline RefSplit ref_splittab(const RefData& d, const partition::TermList& first, const partition::TermList& second,
                             int r, bool skipcomb, bool per_term)
{
    RefSlots a(first.q()), b(second.q());
    for (int i = 0; i < d.n; ++i) {
        const int w = d.w[static_cast<std::size_t>(i)];
        const float y = d.y[static_cast<std::size_t>(i)];
        if (w == 0 || !d.mask[static_cast<std::size_t>(i)] || !(y >= 0)) continue;
        if (skipcomb && ref_literal_missing(d, i, first)) continue;
        const float wy = static_cast<float>(w) * y;
        const float wy2 = y * wy;
        bool fails = false;
        std::vector<bool> holds = ref_terms_hold(d, i, first, 1 - r, &fails);
        const bool on_first = std::find(holds.begin(), holds.end(), true) != holds.end();
        if (!on_first && !fails) continue;
        if (!on_first) holds = ref_terms_hold(d, i, second, r);
        RefSlots& slots = on_first ? a : b;
        for (std::size_t t = 0; per_term && t < holds.size(); ++t) {
            if (!holds[t]) continue;
            slots.c[t] += w;
            slots.sum[t] += wy;
            slots.sq[t] += wy2;
        }
        const std::size_t last = holds.size();
        slots.c[last] += w;
        slots.sum[last] += wy;
        slots.sq[last] += wy2;
    }
    RefSplit out;
    const auto ss = [](const RefSlots& s, std::size_t j) {
        return s.c[j] > 0 ? s.sq[j] - s.sum[j] * (s.sum[j] / static_cast<double>(s.c[j])) : 0.0;
    };
    for (std::size_t t = 0; per_term && t + 1 < a.c.size(); ++t)
        if (a.c[t] > 0) out.s1 += ss(a, t), out.m1 += a.c[t];
    for (std::size_t t = 0; per_term && t + 1 < b.c.size(); ++t)
        if (b.c[t] > 0) out.s2 += ss(b, t), out.m2 += b.c[t];
    out.n1 = a.c.back();
    out.n2 = b.c.back();
    out.ss1 = ss(a, a.c.size() - 1);
    out.ss2 = ss(b, b.c.size() - 1);
    const auto nt = static_cast<double>(out.n1 + out.n2);
    if (nt > 0) {
        const double sum = a.sum.back() + b.sum.back();
        out.sst = (a.sq.back() + b.sq.back()) - sum * sum / nt;
    }
    return out;
}

} // namespace meru::test
