#pragma once
// The search's result lists, kept as the candidates are scored:
//  - BestAtComplexity: the best partition at each complexity, ascending, at most
//    25 complexities (the list the complexity hull, the best-at-each-complexity
//    choice and the winner are taken from);
//  - TopList: the ten best partitions by G_beta = G - beta * complexity;
//  - TopG: partitions ordered by G alone, held at one entry by the ranking.
// Values are single-precision reals, and the tie rules compare them in single
// precision. Each list has a pure would_change() that applies the same placement
// rule as offer(): true exactly when offer() would change the list, so that a
// caller can prepare (reduce, copy) only the candidates that enter.
// Storing copies the candidate's term list into a slot whose storage is kept:
// shifting moves slots, so after the first few insertions nothing allocates.
#include "partition/termlist.h"

#include <array>
#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <span>

namespace meru::search {

// Two values closer than this are equal.
inline constexpr float kTieTolerance = 1.1754944e-38f;
// The value of an empty slot: below any value a candidate can have, however
// large the penalty, so that an empty list always takes the first offer.
inline constexpr float kEmptyValue = -std::numeric_limits<float>::infinity();

struct StoredPartition {
    int complexity = 0;
    float value = kEmptyValue; // G, or G_beta in the top-10 list
    float p = 1.0f;            // p-value (TopG only)
    int flag = 1;              // 1: the list is A, 0: it is A-
    partition::TermList list;  // term count q(), literal count count()
};

// Rewrites stored entries in place: `fix` may change an entry's list (its
// meaning must stay the same); an entry for which it returns false is removed and
// the later entries move up.
using EntryFix = std::function<bool(StoredPartition&)>;

// Where an offer goes: the slot, and whether the count grows.
struct Placement {
    int slot = 0;
    bool grows = false;
};

class BestAtComplexity {
public:
    static constexpr int kCapacity = 25;
    BestAtComplexity();

    // Empties the list: count 0, every value the empty mark.
    void clear();
    // Offers a candidate. A newer candidate replaces an older one of equal G at the
    // same complexity. Returns true when the list changed.
    bool offer(int complexity, float g, int flag, const partition::TermList& list);
    bool would_change(int complexity, float g) const { return place(complexity, g).has_value(); }
    // True when the complexity is stored with a G that neither g nor any lower G
    // reaches: would_change() is then false for all of them.
    bool below_stored(int complexity, float g) const;

    int count() const { return count_; }
    std::span<const StoredPartition> entries() const { return {slots_.data(), static_cast<std::size_t>(count_)}; }
    void rewrite(const EntryFix& fix);

private:
    std::optional<Placement> place(int complexity, float g) const;
    // Refreshes the index below after every change of the slots.
    void index();
    std::array<StoredPartition, kCapacity> slots_;
    int count_ = 0;
    // While the stored complexities ascend strictly (as offers keep them), the
    // slot of each complexity below kIndexed, -1 for none: the placement of an
    // offer at a stored complexity is then read off its slot.
    static constexpr int kIndexed = 128;
    bool ascending_ = true;
    std::array<signed char, kIndexed> slot_of_{};
};

class TopList {
public:
    static constexpr int kCapacity = 10;
    TopList();

    void clear();
    // Offers a candidate with value g - complexity * beta. A value tying a stored
    // one goes in only when it is strictly less complex, ahead of the older entry.
    bool offer(int complexity, float g, double beta, int flag, const partition::TermList& list);
    bool would_change(int complexity, float g, double beta) const
    {
        return place(value_of(complexity, g, beta), complexity) >= 0;
    }

    // Leading slots that hold a value above the empty mark.
    int count() const { return count_; }
    std::span<const StoredPartition> entries() const { return {slots_.data(), static_cast<std::size_t>(count_)}; }
    void rewrite(const EntryFix& fix);
    // Every slot, the empty ones after the count included.
    std::span<const StoredPartition> slots() const { return slots_; }
    static float value_of(int complexity, float g, double beta)
    {
        return g - static_cast<float>(complexity) * static_cast<float>(beta);
    }

private:
    int place(float value, int complexity) const;
    void find_least();
    std::array<StoredPartition, kCapacity> slots_;
    int count_ = 0;
    float least_ = kEmptyValue; // the smallest value in a slot
};

class TopG {
public:
    static constexpr int kCapacity = 25;
    TopG();

    // A ranking starts: one entry whose G is the empty mark, so that the first
    // attribute ranked always enters.
    void start_ranking();
    // The count the list is held at (the ranking holds it at 1), 0..capacity.
    void set_count(int count);
    // Offers a candidate ordered by G; it goes ahead of entries of equal G. The
    // count never grows: the last entry falls off.
    bool offer(int complexity, float g, float p, int flag, const partition::TermList& list);
    bool would_change(float g) const { return place(g) >= 0; }

    int count() const { return count_; }
    std::span<const StoredPartition> entries() const { return {slots_.data(), static_cast<std::size_t>(count_)}; }
    void rewrite(const EntryFix& fix);

private:
    int place(float g) const;
    std::array<StoredPartition, kCapacity> slots_;
    int count_ = 0;
};

} // namespace meru::search
