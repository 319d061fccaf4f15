#pragma once
// The one rule of the search's quiet candidates: a candidate that can change
// neither the top-10 list nor the best list (nor, in the ranking, the list by
// G) needs only its tallies, so its G need not be known, only a bound of it.
//
// EntryBounds holds the least values a candidate must reach, as the lists
// stood when taken; may_enter() is the rule. The lists only rise as the search
// goes on, so bounds taken earlier turn away fewer candidates, never more: a
// worker may judge with the bounds of the chunk it took, and the calling thread
// with bounds taken again whenever its lists changed.
//
// EntryGate sits in front of the rule where candidates come by the million:
// per complexity, the largest G bound the rule turned away since reset() turns
// away any bound no larger without asking (the rule is monotone in G).
#include "search/evaluate.h"
#include "search/search_results.h"

#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace meru::search {

class EntryBounds {
public:
    EntryBounds() = default;
    EntryBounds(const SearchResults& r, const EvaluationSettings& es) { take(r, es); }
    void take(const SearchResults& r, const EvaluationSettings& es);
    // False only when offering the candidate to the lists, now or after any
    // later offers, changes none of them.
    bool may_enter(int complexity, float g) const
    {
        if (!combination_) return false;
        if (ranking_) return true;
        // The top-10 list takes nothing below its least slot by more than the tolerance.
        if (!(TopList::value_of(complexity, g, beta_) - top_least_ < -kTieTolerance)) return true;
        if (complexity <= 0) return false; // never offered to the best list
        // Full, the list drops its largest complexity for a smaller one: it never
        // again takes a larger one.
        if (best_full_ && complexity > best_last_) return false;
        const auto c = static_cast<std::size_t>(complexity);
        if (c < has_.size() && has_[c] && std::fabs(best_[c]) >= kRisingFrom && g - best_[c] < -kTieTolerance)
            return false;
        return true;
    }
    // The saved G values were full (they stay full).
    bool saved_full() const { return saved_full_; }
    // A candidate of this complexity and G comes before the next one asked
    // about: once it has been offered, the best list holds at least g at its
    // complexity, or never again takes that complexity.
    void saw(int complexity, float g)
    {
        // A value below kRisingFrom in magnitude (or NaN) is kept but never binds:
        // may_enter() ignores it.
        if (complexity <= 0 || complexity > SearchResults::kMaxComplexity) return;
        const auto c = static_cast<std::size_t>(complexity);
        if (c >= has_.size()) {
            has_.resize(c + 1, 0);
            best_.resize(c + 1, 0.0f);
        }
        if (!has_[c] || g > best_[c]) best_[c] = g;
        has_[c] = 1;
    }

private:
    // A stored G at least this large in magnitude can only be replaced by a
    // larger one: two different floats of that size are further apart than the
    // tie tolerance, so a tie is an equal value.
    static constexpr float kRisingFrom = 1e-30f;
    bool combination_ = true;
    bool ranking_ = false;
    bool saved_full_ = false;
    double beta_ = 0.0;
    float top_least_ = kEmptyValue;
    bool best_full_ = false;
    int best_last_ = 0;
    std::vector<char> has_;   // per complexity: the best list holds it, in its ordered form
    std::vector<float> best_; // its G
};

class EntryGate {
public:
    static constexpr int kMost = SearchResults::kMaxComplexity;
    // The bounds may have moved: what was turned away is asked again.
    void reset() { away_.fill(kNone); }
    // Whether `rule` turns away a candidate of this complexity and G bound.
    bool quiet(const EntryBounds& rule, int complexity, float bound)
    {
        if (complexity < 0 || complexity > kMost) return !rule.may_enter(complexity, bound);
        float& away = away_[static_cast<std::size_t>(complexity) + 1];
        if (bound <= away) return true;
        // The largest bound turned away before, as the first to try.
        float& tried = tried_[static_cast<std::size_t>(complexity)];
        if (bound <= tried && away < tried) {
            if (!rule.may_enter(complexity, tried)) {
                away = tried;
                return true;
            }
            tried = kNone;
        }
        if (rule.may_enter(complexity, bound)) return false;
        away = bound;
        tried = std::max(tried, bound);
        return true;
    }
    // The same for a candidate whose bound costs a division: `at_most(f)`
    // tells without one that its bound is at most f (false where it cannot
    // tell), `bound_of()` works it out. `bound` is then the bound judged.
    template <class AtMost, class BoundOf>
    bool quiet_table(const EntryBounds& rule, int complexity, AtMost&& at_most, BoundOf&& bound_of, float& bound)
    {
        const bool kept = complexity >= 0 && complexity <= kMost;
        float* tried = kept ? &tried_[static_cast<std::size_t>(complexity)] : nullptr;
        if (tried && *tried > 0.0f && at_most(*tried) && !rule.may_enter(complexity, *tried)) {
            bound = *tried;
            return true;
        }
        bound = bound_of();
        if (rule.may_enter(complexity, bound)) return false;
        if (tried) *tried = std::max(*tried, bound);
        return true;
    }
    // The largest bound turned away at this complexity since reset(); -inf
    // for none and for a complexity out of range (a shape not known): for a
    // loop that asks nothing else.
    float away(int complexity) const
    {
        const auto x = static_cast<unsigned>(complexity + 1);
        return away_[x <= static_cast<unsigned>(kMost + 1) ? x : 0];
    }

private:
    static constexpr float kNone = -std::numeric_limits<float>::infinity();
    // At complexity + 1; slot 0 stays -inf.
    std::array<float, kMost + 2> away_ = filled(kNone);
    std::array<float, kMost + 1> tried_ = filled<kMost + 1>(kNone);
    template <std::size_t N = kMost + 2> static std::array<float, N> filled(float v)
    {
        std::array<float, N> a;
        a.fill(v);
        return a;
    }
};

} // namespace meru::search
