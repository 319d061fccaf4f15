#pragma once
// The analysis sample laid out for fast evaluation of many partitions.
//
// Built once per search (after the sample mask, the Turbo weights and the Y are
// fixed), it keeps the units of the sample: the observations that are in the mask,
// have a weight other than 0 and a Y that is not missing. For each attribute a
// partition names it holds three bit columns over the units (byte 1, byte 0, byte
// 255); for each Y class and each bit of the weights one bit plane. Evaluating a
// partition is then word-wide AND/OR over the columns of its literals, and the
// count table is a sum of population counts of the membership bits against the
// class planes (with unit weights one plane per class). Results are exactly those
// of the plain kernels in membership_kernels.h.
//
// The sample is a snapshot: build it anew when the attribute matrix, the mask,
// the weights or the Y change. Sign bytes are read at each call.
// Columns of attributes not named to prepare() are built on their first use;
// after that, evaluating a candidate allocates nothing.
#include "partition/termlist.h"
#include "stats/count_table.h"
#include "stats/membership.h"
#include "stats/membership_kernels.h"
#include "stats/sample_kernels.h"
#include "stats/split_sums.h"
#include "stats/unit_columns.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace meru::stats {

class PartitionSample {
public:
    // `nclasses` (clamped to 0..100) is the number of Y classes of the count table,
    // int(YMAX) + 1 for the Y; 0 when only partcor and memberships are wanted.
    PartitionSample(const SampleView& view, int nclasses);
    // The same with the kernels of another level than the one in force; the
    // passes over the observations and the units run a stretch at a time,
    // shared out by `parallel`.
    PartitionSample(const SampleView& view, int nclasses, const SampleKernels& kernels,
                    const ParallelFor& parallel = {});
    // A copy of `other` for another thread: the same units, reading the
    // values, planes and bit columns `other` holds, with work storage of its
    // own. `other` has made its split state (prepare_split()) or none of the
    // copies asks for split sums.
    struct Share {};
    PartitionSample(const PartitionSample& other, Share);
    PartitionSample(const PartitionSample&) = delete;
    PartitionSample& operator=(const PartitionSample&) = delete;
    // Makes now what the split sums of the sample's Y read.
    void prepare_split();

    // Builds the bit columns of these attributes now (one pass over the units).
    // Throws std::invalid_argument for an attribute outside 1..lc.
    // Its stretches of words are shared out by `parallel`.
    void prepare(std::span<const int> attributes, const ParallelFor& parallel = {});

    // The count table of the list (sense 1 plain, 0 flipped); same result as
    // partab() of membership_kernels.h over the sample's view.
    void partab(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte, bool skip,
                CountTable& out);
    // Same result as partcor() of membership_kernels.h.
    double partcor(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte, bool skip);
    // The same in two steps: the list compiled into `out` (its columns built
    // now), then its correlation, which several threads may work out at once,
    // each from a list of its own.
    void compile(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                 UnitColumns::Compiled& out);
    double partcor(const UnitColumns::Compiled& list, bool skip) const;
    // Membership of every observation (out holds n values): 1 or 0 for the counted
    // units, -1 for undetermined or dropped units and for observations that are not
    // units of the sample.
    void memberships(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte, bool skip,
                     std::span<std::int8_t> out);
    // The same of a list compiled beforehand (several threads at once, each
    // with a list and `out` of its own).
    void memberships(const UnitColumns::Compiled& list, bool skip, std::span<std::int8_t> out) const;

    // Split sums of the pair for the sample's Y; same result, to the last bit, as
    // splittab() of split_sums.h over the sample's view: the first list is read
    // in the pair's first sense, the second in the other one.
    SplitSums splittab(const partition::Partition& pair, std::span<const std::int8_t> signbyte, bool skip,
                       bool per_term, SplitSlots& slots);

    int units() const { return static_cast<int>(obs().size()); }
    int classes() const { return nclasses_; }

    // Bit planes of a count table: plane j has a bit for every unit of class
    // cls[j] whose weight has the plane's bit set; it is worth value[j] per unit
    // (2^bit, or -2^31 for the sign bit). lo and hi bound the words holding set
    // bits; the accumulators are the kernel's work.
    struct Planes {
        std::vector<std::uint64_t> bits;
        std::vector<int> cls;
        std::vector<std::int64_t> value;
        std::vector<std::uint32_t> lo, hi;
        std::vector<std::uint64_t> acc_det, acc_mem;
        std::int64_t beyond = 0;
    };

    // The exact sums of a Y as bit planes: where the weights, w*y and y*w*y are
    // whole multiples of 2^wy_at and 2^wy2_at with few bits, plane b of each has
    // a bit for every unit whose multiple has bit b set, and a sum over a set of
    // units is its planes' population counts shifted by their bits. The planes
    // follow each other in `bits` (words each): the weights' (none with unit
    // weights), then w*y's, then y*w*y's. Empty when the sums are not exact or
    // would take more planes than the per-unit loop is worth.
    struct SumPlanes {
        static constexpr int kMost = 32;
        std::vector<std::uint64_t> bits;
        int nw = 0, nwy = 0, nwy2 = 0;
        int wy_at = 0, wy2_at = 0;
    };

    // Several Ys scored with one evaluation of each candidate's membership words:
    // build the sample over a view whose Y is 0 where any of the Ys is present
    // (missing elsewhere) with no classes, then one layer per Y. A layer holds
    // which units have its Y, their w*y and y*w*y, and its count-table planes.
    struct YLayer {
        int nclasses = 0;
        std::vector<std::uint64_t> valid;
        std::vector<double> wy, wy2;
        bool exact = false; // see exact_
        SumPlanes sum_planes;
        Planes planes;
    };
    // The layer of a Y column (one value per observation; negative or NaN is
    // missing) with `nclasses` count-table classes.
    YLayer layer(std::span<const float> y, int nclasses) const;
    // The count table of the list for each layer's Y (out[j] for layers[j]); each
    // equals partab() of a sample built over that Y alone.
    void partab(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte, bool skip,
                std::span<YLayer* const> layers, std::span<CountTable> out);
    // The split sums of the pair for each layer's Y; each equals, to the last bit,
    // splittab() of a sample built over that Y alone.
    void splittab(const partition::Partition& pair, std::span<const std::int8_t> signbyte, bool skip, bool per_term,
                  std::span<const YLayer* const> layers, std::span<SplitSums> out, SplitSlots& slots);

private:
    // What the split sums add up for one Y.
    struct SumTerms {
        const std::uint64_t* valid; // units that have the Y; null: all
        const double* wy;
        const double* wy2;
        bool exact;
        const SumPlanes* planes;
    };
    void compile(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte);
    // What only the split sums read (of the owner only: a copy reads the owner's).
    void make_split_state();
    // The split sums' work storage.
    void make_split_work();
    // The units' observations (0-based), wider weights first.
    const UnitArray<int>& obs() const { return columns_->obs(); }
    void split_words(bool skip, bool per_term);
    void add_in_order(const SumTerms& t, const std::uint64_t* a, SplitSlots::Side& side_a, std::size_t slot_a,
                      const std::uint64_t* b, SplitSlots::Side* side_b, std::size_t slot_b) const;
    void add_exact(const SumTerms& t, const std::uint64_t* a, SplitSlots::Side& side_a, std::size_t slot_a,
                   const std::uint64_t* b, SplitSlots::Side* side_b, std::size_t slot_b) const;
    bool sums_exact(std::span<const double> wy, std::span<const double> wy2) const;
    void build_sum_planes(std::span<const double> wy, std::span<const double> wy2, SumPlanes& out) const;
    template <class F> void for_each_block(const UnitColumns::Compiled& list, bool skip, F&& f) const;
    void build_planes(std::span<const float> unit_y, int nclasses, Planes& out,
                      const ParallelFor& parallel = {}) const;
    SplitSums split_layer(const SumTerms& t, bool per_term, SplitSlots& slots) const;

    // What a copy for another thread reads with the sample (Share): the
    // units' values, the count-table planes of the sample's Y and what the
    // split sums read, which the owner has made beforehand.
    struct Units {
        UnitArray<int> weight; // weight of each unit
        UnitArray<float> y;    // Y of each unit
        Planes own;              // the count-table planes of the sample's Y (their counts unused)
        // Split sums: w*y and y*w*y of each unit, formed in single precision
        // and kept widened (exactly) to double; the units in observation order
        // (when the weight order moved them).
        std::vector<double> wy, wy2; // padded with zeros to whole words
        std::vector<int> by_obs;     // empty while the units are in observation order
        // When every partial sum of the weights, w*y and y*w*y is exact in
        // double (all are multiples of one power of two and their totals are
        // small enough), the order of the additions cannot change a sum: the
        // sums then run over whole words with vector instructions. wd holds
        // the weights as doubles (padded) unless every weight is 1.
        bool split_ready = false;
        bool exact = false;
        SumPlanes sum_planes;
        bool sum_planes_made = false;
        bool unit_weights = false;
        std::vector<double> wd;
    };

    AttributeMatrix abyte_;
    SampleKernels kernels_; // of the level in force when the sample was made
    int nclasses_ = 0;
    std::size_t words_ = 0;
    std::unique_ptr<UnitColumns> columns_; // the units' bit columns
    std::shared_ptr<Units> units_ = std::make_shared<Units>();
    UnitArray<int>& weight_ = units_->weight;
    UnitArray<float>& y_ = units_->y;
    Planes& own_ = units_->own;
    std::vector<double>& wy_ = units_->wy;
    std::vector<double>& wy2_ = units_->wy2;
    std::vector<int>& by_obs_ = units_->by_obs;
    bool& split_ready_ = units_->split_ready;
    bool& exact_ = units_->exact;
    SumPlanes& sum_planes_ = units_->sum_planes;
    bool& sum_planes_made_ = units_->sum_planes_made;
    bool& unit_weights_ = units_->unit_weights;
    std::vector<double>& wd_ = units_->wd;

    // Work storage (reused): the compiled lists of a pair, the counts of the
    // planes of the sample's Y, and the words of each slot of the split sums.
    UnitColumns::Compiled list_, list2_;
    std::vector<std::uint64_t> own_det_, own_mem_;
    std::vector<std::uint64_t> side1_, side2_, skipw_, pass_, terms1_, terms2_;
};

} // namespace meru::stats
