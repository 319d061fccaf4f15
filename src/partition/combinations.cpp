#include "partition/combinations.h"

#include <algorithm>
#include <optional>

namespace meru::partition {

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

// The k-subset of 1..n that follows `out` in increasing order of rank; false
// after the last.
bool step_subset(int n, std::span<int> out)
{
    const int k = static_cast<int>(out.size());
    for (int i = k - 1; i >= 0; --i) {
        if (out[static_cast<size_t>(i)] < n - (k - 1 - i)) {
            ++out[static_cast<size_t>(i)];
            for (int j = i + 1; j < k; ++j) out[static_cast<size_t>(j)] = out[static_cast<size_t>(j - 1)] + 1;
            return true;
        }
    }
    return false;
}

} // namespace

void Combinations::start(int n, std::span<const int> p)
{
    n_ = n;
    p_.assign(p.begin(), p.end());
    started_ = true;
    done_ = false;
}

void Combinations::put(int t)
{
    const size_t ut = static_cast<size_t>(t);
    if (p_[ut] < 1) return;
    const std::span<int> out(index_.data() + offset_[ut], static_cast<size_t>(p_[ut]));
    // Ranks mostly step by one: the next subset is then a step from the last.
    const bool stepped = written_[ut] >= 0 && rank_[ut] == written_[ut] + 1 && step_subset(n_, out);
    if (!stepped) unrank(n_, p_[ut], rank_[ut], out);
    written_[ut] = rank_[ut];
}

bool Combinations::subset_of_earlier(int u) const
{
    const size_t uu = static_cast<size_t>(u);
    for (int s = 0; s < u; ++s)
        if (subset_of(index_, offset_[uu], p_[uu], offset_[static_cast<size_t>(s)], p_[static_cast<size_t>(s)]))
            return true;
    return false;
}

// Moves to the next candidate: the last term below its largest rank steps on and
// every later term starts again above its predecessor. False when none is left.
bool Combinations::advance()
{
    const int q = this->q();
    for (;;) {
        int t = q - 1;
        while (t >= 0 && rank_[static_cast<size_t>(t)] >= maxrank_[static_cast<size_t>(t)]) --t;
        if (t < 0) return false;
        ++rank_[static_cast<size_t>(t)];
        put(t);
        if (allequal_) {
            for (int u = t + 1; u < q; ++u) {
                rank_[static_cast<size_t>(u)] = rank_[static_cast<size_t>(u - 1)] + 1;
                put(u);
            }
            return true;
        }
        if (subset_of_earlier(t)) continue;
        bool again = false;
        for (int u = t + 1; u < q && !again; ++u) {
            const size_t uu = static_cast<size_t>(u);
            rank_[uu] = same_[uu] ? rank_[uu - 1] + 1 : 1;
            put(u);
            again = subset_of_earlier(u);
        }
        if (!again) return true;
    }
}

// The first candidate: false when there is none or the sizes are invalid.
bool Combinations::first()
{
    const int q = this->q();
    const int n = n_;
    const std::span<const int> p = p_;
    if (q < 1 || n < 0) return false;
    rank_.assign(static_cast<size_t>(q), 0);
    maxrank_.assign(static_cast<size_t>(q), 0);
    offset_.assign(static_cast<size_t>(q), 0);
    same_.assign(static_cast<size_t>(q), 0);
    written_.assign(static_cast<size_t>(q), -1);
    long long total = 0;
    for (int t = 0; t < q; ++t) {
        const int pt = p[static_cast<size_t>(t)];
        if (pt < 0 || pt > n || (t > 0 && pt > p[static_cast<size_t>(t - 1)])) return false;
        offset_[static_cast<size_t>(t)] = static_cast<int>(total);
        total += pt;
    }
    if (total > kIndexCapacity) return false;
    index_.assign(static_cast<size_t>(total), 0);
    int runs = 0;
    for (int s = 0; s < q;) {
        int g = 1;
        while (s + g < q && p[static_cast<size_t>(s + g)] == p[static_cast<size_t>(s)]) ++g;
        const std::optional<Count> M = binom(n, p[static_cast<size_t>(s)]);
        if (!M) return false;
        for (int j = 0; j < g; ++j) {
            maxrank_[static_cast<size_t>(s + j)] = *M - (g - 1) + j;
            same_[static_cast<size_t>(s + j)] = j > 0;
        }
        s += g;
        ++runs;
    }
    allequal_ = runs == 1;
    for (int t = 0; t < q; ++t) {
        const size_t ut = static_cast<size_t>(t);
        rank_[ut] = same_[ut] ? rank_[ut - 1] + 1 : 1;
        if (rank_[ut] > maxrank_[ut]) return false;
    }
    for (int t = 0; t < q; ++t) put(t);
    if (allequal_) return true;
    for (int t = 1; t < q; ++t)
        while (subset_of_earlier(t)) {
            const size_t ut = static_cast<size_t>(t);
            if (++rank_[ut] > maxrank_[ut]) {
                // No rank of term t fits the earlier terms as they stand: mark
                // it and every later term exhausted and move an earlier term on.
                for (size_t u = ut; u < static_cast<size_t>(q); ++u) rank_[u] = maxrank_[u];
                return advance();
            }
            put(t);
        }
    return true;
}

bool Combinations::jump(Count k)
{
    if (done_ || started_ || k <= 1 || rank_.empty()) return nextcomb();
    const std::size_t t = rank_.size() - 1;
    rank_[t] = std::max(rank_[t], std::min(rank_[t] + (k - 1), maxrank_[t]));
    return nextcomb();
}

bool Combinations::nextcomb()
{
    if (done_) return false;
    if (started_) {
        started_ = false;
        done_ = !first();
    } else {
        done_ = static_cast<int>(rank_.size()) != q() || !advance();
    }
    return !done_;
}

} // namespace meru::partition
