#pragma once
// Search-size counting: `sizemult` counts the candidates of a size vector (see
// combinations.h); `subsize` turns the count into the sub-search size the search
// reports, allowing for the cuts of each line.
#include "files/tables.h"
#include "partition/combinatorics.h"

#include <span>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::partition {

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

SubsizeResult subsize(const SubsizeInput& in, const files::ControlTables& t, SubsizeMemory& memory,
                      io::LogWriter& log);

} // namespace meru::partition
