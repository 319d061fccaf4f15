#include "stats/split_sums.h"

#include "stats/special_functions.h"

#include <algorithm>
#include <cmath>

namespace meru::stats {

namespace {

constexpr std::size_t kSlotRoom = partition::MAXP + 1;

// Where the list stands for the observation, term by term in order: holds
// when a term holds, fails when every term fails (a list of no terms does
// neither); with `slots` given (per-term switch) every term that holds is
// added to its slot.
enum class ListState { holds, fails, neither };
ListState list_state(const CompiledList& list, const std::uint8_t* row, SplitSlots::Side* slots, int w, float wy,
                     float wy2)
{
    bool holds = false, open = list.q() == 0;
    const CompiledList::Lit* lit = list.lits().data();
    std::size_t t = 0;
    for (int len : list.lp()) {
        const CompiledList::TermState state = CompiledList::term_state(lit, len, row);
        lit += len;
        if (state == CompiledList::TermState::holds) {
            holds = true;
            if (!slots) return ListState::holds;
            slots->add(t, w, wy, wy2);
        }
        open = open || state == CompiledList::TermState::undetermined;
        ++t;
    }
    return holds ? ListState::holds : open ? ListState::neither : ListState::fails;
}

// Sum of squares of the slot about its mean; 0 for an empty slot.
double slot_ss(const SplitSlots::Side& s, std::size_t slot)
{
    if (s.count[slot] <= 0) return 0.0;
    const double mean = s.sum[slot] / static_cast<double>(s.count[slot]);
    return s.sumsq[slot] - s.sum[slot] * mean;
}

// Side sum of squares, pooled term sums and their weight of one list.
void finish_side(const SplitSlots::Side& s, int q, bool per_term, double& ss, double& pooled, std::int64_t& m)
{
    pooled = 0.0;
    m = 0;
    if (per_term)
        for (std::size_t t = 0; t < static_cast<std::size_t>(q); ++t)
            if (s.count[t] > 0) {
                pooled += slot_ss(s, t);
                m += s.count[t];
            }
    ss = slot_ss(s, static_cast<std::size_t>(q));
}

} // namespace

void SplitSlots::Side::clear(int q)
{
    const auto n = static_cast<std::size_t>(q) + 1;
    if (count.size() < n) {
        count.resize(n);
        sum.resize(n);
        sumsq.resize(n);
    }
    std::fill_n(count.begin(), n, 0);
    std::fill_n(sum.begin(), n, 0.0);
    std::fill_n(sumsq.begin(), n, 0.0);
}

SplitSlots::SplitSlots()
{
    for (Side* s : {&first, &second}) {
        s->count.assign(kSlotRoom, 0);
        s->sum.assign(kSlotRoom, 0.0);
        s->sumsq.assign(kSlotRoom, 0.0);
    }
}

SplitSums finish_split(const SplitSlots& slots, int q1, int q2, bool per_term)
{
    SplitSums r;
    finish_side(slots.first, q1, per_term, r.ss1, r.s1, r.m1);
    finish_side(slots.second, q2, per_term, r.ss2, r.s2, r.m2);
    const auto l1 = static_cast<std::size_t>(q1), l2 = static_cast<std::size_t>(q2);
    r.n1 = slots.first.count[l1];
    r.n2 = slots.second.count[l2];
    r.y1 = slots.first.sum[l1];
    r.y2 = slots.second.sum[l2];
    // The total weight in double precision: a single-precision one would not
    // hold a weight beyond 2^24 whole.
    const auto nt = static_cast<double>(r.n1 + r.n2);
    if (nt > 0.0) {
        const double sum = r.y1 + r.y2;
        r.sst = (slots.first.sumsq[l1] + slots.second.sumsq[l2]) - sum * sum / nt;
    }
    return r;
}

namespace {

// Observation i's Y with its w y and y w y, when it is counted (in the mask,
// of a weight other than 0, its Y not missing and, with the skip flag, no
// literal of `first` missing).
bool counted(const SampleView& view, const CompiledList& first, bool skip, int i, int& w, float& wy, float& wy2)
{
    const auto ix = static_cast<std::size_t>(i);
    w = view.weights[ix];
    if (w == 0 || !view.mask[ix]) return false;
    const float y = view.y[ix];
    if (!(y >= 0.0f)) return false;
    if (skip && first.skipped(view.abyte.row(i))) return false;
    wy = static_cast<float>(w) * y;
    wy2 = y * wy;
    return true;
}

} // namespace

SplitSums splittab(const SampleView& view, const CompiledList& first, const CompiledList& second, bool skip,
                   bool per_term, SplitSlots& slots)
{
    view.check();
    const int q1 = first.q(), q2 = second.q();
    slots.first.clear(q1);
    slots.second.clear(q2);
    const auto last1 = static_cast<std::size_t>(q1), last2 = static_cast<std::size_t>(q2);
    SplitSlots::Side* terms1 = per_term ? &slots.first : nullptr;
    SplitSlots::Side* terms2 = per_term ? &slots.second : nullptr;
    for (int i = 0; i < view.abyte.n; ++i) {
        int w = 0;
        float wy = 0.0f, wy2 = 0.0f;
        if (!counted(view, first, skip, i, w, wy, wy2)) continue;
        const std::uint8_t* row = view.abyte.row(i);
        const ListState side = list_state(first, row, terms1, w, wy, wy2);
        if (side == ListState::holds) {
            slots.first.add(last1, w, wy, wy2);
        } else if (side == ListState::fails) {
            if (terms2) list_state(second, row, terms2, w, wy, wy2);
            slots.second.add(last2, w, wy, wy2);
        }
    }
    return finish_split(slots, q1, q2, per_term);
}

SplitSums splittab(const SampleView& view, const CompiledList& first, const CompiledList& second, bool skip,
                   SplitSlots& slots, const ParallelFor& parallel)
{
    view.check();
    const int q1 = first.q(), q2 = second.q();
    slots.first.clear(q1);
    slots.second.clear(q2);
    const auto n = static_cast<std::size_t>(std::max(view.abyte.n, 0));
    // 1: the first list holds; 2: the second one; 0: neither, or not counted.
    std::vector<std::uint8_t> side(n, 0);
    constexpr std::size_t kStretch = std::size_t{1} << 16;
    for_stretches(parallel, n, kStretch, [&](std::size_t, std::size_t from, std::size_t to) {
        int w = 0;
        float wy = 0.0f, wy2 = 0.0f;
        for (auto i = static_cast<int>(from); i < static_cast<int>(to); ++i) {
            if (!counted(view, first, skip, i, w, wy, wy2)) continue;
            const ListState state = list_state(first, view.abyte.row(i), nullptr, 0, 0.0f, 0.0f);
            side[static_cast<std::size_t>(i)] = state == ListState::holds ? 1 : state == ListState::fails ? 2 : 0;
        }
    });
    const auto last1 = static_cast<std::size_t>(q1), last2 = static_cast<std::size_t>(q2);
    for (std::size_t i = 0; i < n; ++i) {
        if (!side[i]) continue;
        const int w = view.weights[i];
        const float y = view.y[i];
        const float wy = static_cast<float>(w) * y;
        if (side[i] == 1) slots.first.add(last1, w, wy, y * wy);
        else slots.second.add(last2, w, wy, y * wy);
    }
    return finish_split(slots, q1, q2, false);
}

SplitFTest split_f_test(const SplitSums& s)
{
    SplitFTest t;
    if (s.n1 == 0 || s.n2 == 0) return t;
    t.df2 = s.n1 + s.n2 - 2;
    const auto n = static_cast<double>(s.n1 + s.n2);
    const double w0 = s.ss1 + s.ss2;
    const double b = s.sst - w0;
    // Without spread within the sides, a spread between them is a certain split;
    // none there either (a constant Y, its sums of squares rounding noise) is no
    // evidence of one. A between sum below the noise of SST counts as none.
    float f = 0.0f;
    if (w0 < 1e-20) f = b > std::max(1e-20, 1e-6 * std::abs(s.sst)) ? 1e20f : 0.0f;
    else f = static_cast<float>(std::max(0.0, b) * (n - 2.0) / w0);
    t.f = f;
    if (f == 0.0f || t.df2 <= 0) return t;
    t.p = fprob(1.0, static_cast<double>(t.df2), f);
    return t;
}

} // namespace meru::stats
