#pragma once
// Split sums of the two mean-square criteria ("Within MSE" and "Subgroup MSE"):
// for one partition pair and one Y, the weighted count, sum and sum of squares of
// Y on each side of the split and, on request, in each term of each side; from
// them the sums of squares about the means and the total sum of squares.
//
// Rule, observation by observation in observation order:
//  - An observation takes no part when its weight is 0, its mask entry is false
//    or its Y is missing (negative or NaN); with the skip flag on, also when any
//    literal of the first list is missing for it.
//  - wy := w * y and wy2 := y * wy are formed in single precision and added to
//    double-precision sums as they stand.
//  - It lies on side 1 when the first list holds (a term holds when none of its
//    literals fails and none is missing; a list of no terms never holds), on
//    side 2 when the first list fails (every term has a failing literal; a list
//    of no terms never fails), and nowhere when the first list leaves it
//    undetermined: the sides are those of the first list's count table, whatever
//    form the second list takes.
//  - With the per-term switch on, every term of its side's list that holds also
//    adds it to that term's own slot (an observation may lie in several terms).
// The first list is read in the sense the pair gives it and the second in the
// other sense (see stats/membership.h for the literal test).
//
// Two kernels compute the same sums to the last bit: splittab() below walks the
// attribute bytes; PartitionSample::splittab() works on bit columns. Both give
// the SplitSums the mean-square criteria score (stats/criterion.h); an empty
// side has the sum of squares 0.
#include "partition/termlist.h"
#include "stats/criterion.h"
#include "stats/membership.h"
#include "stats/membership_kernels.h"
#include "stats/parallel_for.h"

#include <cstdint>
#include <vector>

namespace meru::stats {

// Work storage of the sums, one slot per term of a list and its last slot for the
// whole list. Sized for MAXP terms at construction; a longer list makes it grow
// once. The caller may read the slots after a call.
struct SplitSlots {
    struct Side {
        std::vector<std::int64_t> count;
        std::vector<double> sum, sumsq;
        // Clears slots 0..q (q + 1 slots), growing when q exceeds the room.
        void clear(int q);
        void add(std::size_t slot, int w, float wy, float wy2)
        {
            count[slot] += w;
            sum[slot] += static_cast<double>(wy);
            sumsq[slot] += static_cast<double>(wy2);
        }
    };
    Side first, second;
    SplitSlots();
};

// The results from slots filled for lists of q1 and q2 terms: the side sums of
// squares, the pooled term sums (with the per-term switch) and the total. Both
// kernels end here, so they agree exactly.
SplitSums finish_split(const SplitSlots& slots, int q1, int q2, bool per_term);

// Plain kernel over the view's observations. `first` and `second` are the pair's
// lists compiled in their senses (first in the pair's first sense, second in the
// other one).
SplitSums splittab(const SampleView& view, const CompiledList& first, const CompiledList& second, bool skip,
                   bool per_term, SplitSlots& slots);
// The same without the per-term sums, to the last bit: the side each
// observation falls on is worked out first, its stretches shared out by
// `parallel`, then the sums are added in observation order.
SplitSums splittab(const SampleView& view, const CompiledList& first, const CompiledList& second, bool skip,
                   SplitSlots& slots, const ParallelFor& parallel);

// The F test of the split on 1 and N - 2 degrees of freedom: with W the sum of the
// two sides' sums of squares and B = SST - W, F = max(0, B)(N - 2) / W, rounded to
// single precision; when W < 1e-20, F = 1e20 if B exceeds both 1e-20 and 1e-6
// |SST|, else 0 (a constant Y shows no split). p = fprob(1, N - 2, F), and 1 when
// a side is empty, F is 0 or no degree of freedom is left.
struct SplitFTest {
    double f = 0.0;
    std::int64_t df2 = 0; // N - 2 (0 when a side is empty)
    double p = 1.0;
};
SplitFTest split_f_test(const SplitSums& s);

} // namespace meru::stats
