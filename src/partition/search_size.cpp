#include "partition/search_size.h"

#include "partition/wide_count.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace meru::partition {

using detail::fits;
using detail::kMaxCount;
using detail::Wide;

namespace {

// A whole number right-aligned in w columns; one wider is written whole after a
// blank, as a too wide edit field is.
std::string whole(double v, int w)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", v);
    const std::string s = buf;
    const auto uw = static_cast<std::size_t>(std::max(w, 0));
    return s.size() > uw ? " " + s : std::string(uw - s.size(), ' ') + s;
}

} // namespace

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
    // No candidate when there is no size, or when a term needs more items than
    // the attribute set holds (the closed forms below would divide by C(n, p) = 0).
    if (q < 1 || std::any_of(p.begin(), p.end(), [n](int size) { return size > n; })) {
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
        log.write(std::string(in.count.exact ? " Class size is   " : " Class size is <=") + io::fmt_i(size, 6) +
                  label + " partitions");
    Count remaining = size;
    if (in.iterative && in.iteration >= 2) {
        const Count prev = slot < memory.size.size() ? memory.size[slot] : 0;
        r.excluded = f * prev;
        if (in.detailed)
            log.write(" Anticipate excluding " + io::fmt_i(prev, 4) + label + " already covered: No added attribute");
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
