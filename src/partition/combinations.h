#pragma once
// Candidate enumeration: the candidates of one size vector one after the other.
//
// A size vector p(1) >= p(2) >= ... >= p(q) says that a candidate has q terms,
// term t made of p(t) items chosen from the n items of the search's attribute set.
// Terms of equal size come with strictly increasing ranks; no term is a subset of
// an earlier one; the last term varies fastest.
#include "partition/combinatorics.h"

#include <span>
#include <vector>

namespace meru::partition {

inline constexpr int kIndexCapacity = 10000; // item positions of one candidate

// The walk over the candidates of one size vector; start() begins a walk (keeping
// the storage of earlier ones, so a search allocates nothing once the largest
// size vector has been seen), then nextcomb() moves from candidate to candidate:
//     Combinations c;
//     c.start(n, p);
//     while (c.nextcomb()) use(c.index());
class Combinations {
public:
    // Begins the walk over the candidates of the sizes p over n items.
    void start(int n, std::span<const int> p);

    // Moves to the next candidate (the first after start()). False, and nothing
    // usable in index(), when there is no further candidate or the sizes are
    // invalid (increasing, outside 0..n, more than kIndexCapacity positions, or a
    // count beyond 64 bits); false again on every later call until start().
    bool nextcomb();

    // Moves on by about k candidates (at least one): the last term's rank steps
    // k - 1 ranks at once (no further than its largest), then as nextcomb().
    // Every candidate passed over comes before the new one in the walk's order.
    bool jump(Count k);

    // The rank of each term of the current candidate: two candidates of one walk
    // are the same exactly when their ranks are.
    std::span<const Count> rank() const { return rank_; }

    // The item numbers (1..n) of the current candidate, its terms one after the other.
    std::span<const int> index() const { return index_; }
    // The largest rank of each term.
    std::span<const Count> maxrank() const { return maxrank_; }

private:
    bool first();
    bool advance();
    void put(int t);
    bool subset_of_earlier(int u) const;
    int q() const { return static_cast<int>(p_.size()); }

    int n_ = 0;
    std::vector<int> p_;
    bool started_ = false, done_ = true;
    std::vector<int> index_;
    std::vector<Count> rank_, maxrank_; // per term
    std::vector<Count> written_;        // the rank each term's positions hold (-1: none)
    std::vector<int> offset_;           // first position of each term
    std::vector<char> same_;            // the term has the size of the one before it
    bool allequal_ = false;
};

} // namespace meru::partition
