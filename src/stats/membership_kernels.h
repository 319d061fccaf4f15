#pragma once
// Plain (per-observation) kernels of the membership rule: the count table and the
// correlation for one-off callers, the membership stored as a new attribute, a new
// attribute from 0/1 values, group codes, and the two cell-number conversions.
// The search evaluates candidates with the bit-packed PartitionSample instead
// (partition_sample.h), which gives the same results.
#include "stats/count_table.h"
#include "stats/membership.h"
#include "stats/parallel_for.h"

#include <cstdint>
#include <span>

namespace meru::stats {

// Count-table class of a Y value: -1 when the value is missing (negative or NaN),
// `nclasses` when it lies beyond the table (int(y) >= nclasses), else int(y).
inline int y_class(float y, int nclasses)
{
    if (!(y >= 0.0f)) return -1; // negative or NaN
    if (y >= static_cast<float>(nclasses)) return nclasses;
    return static_cast<int>(y);
}

// The inputs every evaluation over the sample shares. Index i is observation i + 1.
struct SampleView {
    AttributeMatrix abyte;
    std::span<const float> y;           // the Y column; negative or NaN is missing
    std::span<const std::uint8_t> mask; // non-zero: in the analysis sample
    std::span<const int> weights;       // analysis weights; 0 takes no part
    // Throws std::invalid_argument unless y, mask and weights hold abyte.n values.
    void check() const;
};

// Weighted count table of membership by Y class: an observation is counted when
// it is in the mask, its Y is not missing, its weight is not 0, the skip flag does
// not drop it and its membership is 0 or 1; its weight goes to cell (int(y), m) and
// to w0 or w1. `nclasses` (clamped to 0..100) is the number of Y classes of the
// table: an observation of a higher class is never written to a cell; its weight
// goes to `beyond` whatever its membership.
void partab(const SampleView& s, const CompiledList& list, bool skip, int nclasses, CountTable& out);
// The same from the list's membership_column() under the same skip flag.
void partab(const SampleView& s, std::span<const std::int8_t> member, int nclasses, CountTable& out);

// Running sums of the point-biserial correlation of Y with a 0/1 membership.
struct CorrelationSums {
    std::int64_t w = 0;
    double sy = 0, sm = 0, syy = 0, sym = 0;
    void add(int weight, double y, bool member)
    {
        w += weight;
        sy += weight * y;
        syy += weight * y * y;
        if (member) {
            sm += weight;
            sym += weight * y;
        }
    }
    // r = cov / sqrt(var_y p (1 - p)); 0 when w <= 0 or either variance is 0.
    double r() const;
    // The sums of the units a count table counts, where every unit's Y is its
    // class (ys_are_classes()): then each sum is a whole number that add()
    // reaches exactly in any order, and this gives it to the last bit.
    static CorrelationSums of_table(const CountTable& t, int nclasses);
};

// Whether every counted observation's Y is a whole number below `nclasses`
// (its class, so none lies beyond the table) and the sum of |weight| times
// the larger of 1 and Y squared is below 2^53: then the correlation sums of
// any of their sets are exact in double, and of_table() gives them.
bool ys_are_classes(const SampleView& s, int nclasses);

// Weighted point-biserial correlation of Y with the membership indicator over the
// counted observations (as partab, without the class bound). 0 when no weight is
// counted or either variance is 0. The caller calls it only when a Y is chosen.
double partcor(const SampleView& s, const CompiledList& list, bool skip);
// The same from the list's membership_column() under the same skip flag.
double partcor(const SampleView& s, std::span<const std::int8_t> member);

// Where a new data column goes: `xdata` column-major with `nr` rows; columns are
// numbered from 1.
struct DataColumn {
    std::span<float> xdata;
    int nr = 0;
    int column = 0;
    bool valid(int n) const;
    float& at(int i) const
    {
        return xdata[static_cast<std::size_t>(column - 1) * static_cast<std::size_t>(nr) +
                     static_cast<std::size_t>(i)];
    }
};

// Stores the membership of every observation (no mask, weight or Y test) as
// attribute `k` (byte 1, 0 or 255) and as the data column (1.0, 0.0 or -1.0); an
// observation the skip flag drops gets 255 and -1.0. Returns false and changes
// nothing when k lies outside 1..lc or the data column outside `xdata`. The
// stretches of observations are shared out by `parallel`.
bool partattr(std::span<std::uint8_t> abyte, int lc, int n, const CompiledList& list, bool skip, int k,
              const DataColumn& dest, const ParallelFor& parallel = {});

// Appends attribute natt + 1 made from `values` (one per observation): a value
// whose integer part is 0 or 1 gives that byte and data value; any other value
// (missing, negative, 2 or more, NaN) gives the missing byte 255 and -1.0, so the
// matrix only ever holds 0, 1 or 255. On success raises `natt` by one. Returns
// false and changes nothing when natt + 1 > lc, the data column lies outside
// `xdata` or `values` is too short.
bool newattr(std::span<std::uint8_t> abyte, int lc, int n, int& natt, const DataColumn& dest,
             std::span<const float> values);

// Group code of partition g for every observation in the mask: 2g - 1 + m, or -1.0
// when the observation is undetermined or dropped by the skip flag. Observations
// outside the mask keep their value. Returns false when the column lies outside
// `xdata` or the mask is short.
bool partcode(const AttributeMatrix& abyte, const CompiledList& list, bool skip, int g,
              std::span<const std::uint8_t> mask, const DataColumn& dest);

// Binary digits of cell number `code`: bits[j] is the digit of value 2^j
// (j = 0..n-1, n = bits.size()); digits of code above n are ignored, and
// digits from the 63rd on are 0.
void int2bits(long long code, std::span<int> bits);
// Cell number of binary digits: sum of 2^j over the j with bits[j] == 1 (any other
// value counts as 0); 0 for no digits. At most 62 digits are read.
long long bits2int(std::span<const int> bits);

} // namespace meru::stats
