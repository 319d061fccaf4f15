#pragma once
// Candidate enumeration and search-size counting.
//
// A size vector p(1) >= p(2) >= ... >= p(q) says that a candidate has q terms,
// term t made of p(t) items chosen from the n items of the search's attribute set.
// `nextcomb` produces the candidates of one size vector one after the other as
// item numbers; `sizemult` counts them; `subsize` turns the count into the
// sub-search size the search reports, allowing for the cuts of each line.
//
// Counts are 64-bit and computed with overflow detection: a count that does not
// fit is reported as such, never wrapped.
#include "files/tables.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::partition {

using Count = std::int64_t;

inline constexpr int kIndexCapacity = 10000; // item positions of one candidate

// C(n, k); 1 for k < 1; 0 for k > n or n < 0. Empty when the value exceeds 64 bits.
std::optional<Count> binom(Count n, Count k);

// Writes the r-th (1-based, lexicographic) k-subset of 1..n, increasing, into
// out[0..k-1]. Requires 1 <= k <= n and 1 <= r <= C(n, k).
void unrank(int n, int k, Count r, std::span<int> out);

// State of one enumeration; owned by the caller, overwritten by each first call.
struct CombState {
    std::vector<Count> rank, maxrank; // per term
    std::vector<int> offset;          // first position of each term
    std::vector<char> same;           // the term has the size of the one before it
    bool allequal = false;
};

// Next candidate of the size vector p over n items into `index` (resized to the
// sum of p). With `first` set it clears it and starts a new enumeration. Sets
// `done` (and leaves nothing usable in `index`) when there is no further
// candidate or the sizes are invalid (increasing, outside 0..n, more than
// kIndexCapacity positions, or a count beyond 64 bits). Never clears `done`.
// Terms of equal size come with strictly increasing ranks; no term is a subset of
// an earlier one; the last term varies fastest.
void nextcomb(int n, std::span<const int> p, std::vector<int>& index, bool& first, bool& done, CombState& st);

struct SizeCount {
    Count size = 0;
    bool exact = true;      // false: an upper bound
    bool too_large = false; // the count exceeds 64 bits; `size` holds the 64-bit maximum
};

// Number of candidates of a size vector (closed forms; an upper bound for q >= 4
// with unequal sizes).
SizeCount sizemult(int n, std::span<const int> p);

// The sizes remembered per size vector on the first iteration of an iterative search.
struct SubsizeMemory {
    std::vector<Count> size; // [size-vector number]
};

struct SubsizeInput {
    bool iterative = false;
    int iteration = 1;
    int vector_number = 1; // of the size vector within the iteration (1-based)
    SizeCount count;       // from sizemult
    bool over_cuts = false;
    std::span<const int> lines;      // the attribute set's line numbers; each line's cuts
                                     // (`ncuts`) count when its `firstattr` flag is set
    int literals = 0;                // L, the sum of the sizes
    bool one_representation = false; // extent "A only" or "A- only"
    bool detailed = false;           // "Detailed output"
};

// The five outputs handed to the search extent listing.
struct SubsizeResult {
    Count size_times_factor = 0;
    Count excluded = 0;
    double class_size = 0; // over cuts (a whole number)
    bool equal_cuts = true;
    double e = 1.0; // expected cut multiplier
};

// The mean over all L-subsets of n values of the product of the values, computed
// in closed form (elementary symmetric polynomial over C(n, L)); 0 when L > n.
double mean_subset_product(std::span<const double> c, int L);

SubsizeResult subsize(const SubsizeInput& in, const files::ControlTables& t, SubsizeMemory& memory,
                      io::LogWriter& log);

} // namespace meru::partition
