#pragma once
// The search's snapshot of the sample for count tables: the units (observations
// in the mask, with a weight other than 0 and a Y class inside the table) ordered
// by Y class, so that a class is a contiguous range of words, and within a class
// by weight. Units of one class and one weight are a segment, counted by one
// plane whose value is that weight; where the segments are too many, the
// units go by the width of their weights instead, with a plane per class and
// weight bit, so that the planes of the higher bits are short. For a Y of two
// classes each segment starts on a new word (the run kernels take words
// whole). Per attribute three bit columns over the units (byte 1, byte 0, byte
// 255) and whether the attribute has a missing byte among the units.
#include "core/cpu_level.h"
#include "partition/termlist.h"
#include "search/kernel_set.h"
#include "search/term_words.h"
#include "stats/count_table.h"
#include "stats/membership_kernels.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace meru::search {

class ClassOrderedSample {
public:
    // `nclasses` is clamped to 0..100: int(YMAX) + 1 for the Y. The kernels
    // are those of `kernels`, the run kernels picked from them for the
    // snapshot's layout. `parallel` shares out the first pass over the
    // observations, a stretch each.
    ClassOrderedSample(const stats::SampleView& view, int nclasses, const KernelSet& kernels,
                       const stats::ParallelFor& parallel = {});
    // The same with the kernels of cpu_level(), at most `most` (a test seam).
    using Level = CpuLevel;
    ClassOrderedSample(const stats::SampleView& view, int nclasses, Level most = Level::avx512);
    // A snapshot of the same units as `other` for a worker thread: it reads
    // the units' planes and the bit columns `other` has built (see
    // UnitColumns::Share) and keeps only its work storage.
    struct Share {};
    ClassOrderedSample(const ClassOrderedSample& other, Share);
    ClassOrderedSample(const ClassOrderedSample&) = delete; // its kernel points into it
    ClassOrderedSample& operator=(const ClassOrderedSample&) = delete;

    // The count table of the list (sense 1 plain, 0 flipped).
    void partab(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte, bool skip,
                stats::CountTable& out);

    // The same from a list's term words: those of the terms before the last,
    // accumulated, and the last term's (sense 1 plain, 0 flipped; `skip`: the
    // missing words drop units; `two_valued`: no literal of the list has a
    // missing byte among the units, so the undetermined words need not be
    // read). Only the cells of the sample's classes and the side weights are
    // written.
    void partab_terms(const TermWords& before, const TermWords& last, bool skip, int sense, stats::CountTable& out,
                      bool two_valued = false);
    // partab_terms() of a list of two-valued literals, without the skip flag,
    // whose last term holds where `held` does and the literal failing at `fail`
    // does not; only where joined() tells so.
    bool joined() const { return kernels_.terms_joined != nullptr; }
    void partab_joined(const TermWords& before, const std::uint64_t* held, const std::uint64_t* fail, int sense,
                       stats::CountTable& out);
    // The tables of a run of lists that share their terms before the last, for
    // a Y of two classes: `before` as in partab_terms(), each list's last term
    // by the start of its words (holds, undetermined and, with `skip`, missing,
    // unit_words() each). out[i] holds the first four cells of the table
    // partab_terms() gives for lasts[i]; table_of() writes the whole of it.
    // `two_valued`: no literal of these lists has a missing byte among the
    // units (then only the holding words of the terms are read).
    using Cells = search::Cells;
    void partab_run(const TermWords& before, std::span<const std::uint64_t* const> lasts, bool skip, int sense,
                    std::span<Cells> out, bool two_valued = false);
    void table_of(const Cells& c, stats::CountTable& out) const
    {
        std::copy(c.begin(), c.end(), out.cells.begin());
        out.w0 = c[0] + c[2];
        out.w1 = c[1] + c[3];
        out.beyond = beyond_;
    }
    // The Y classes the table counts.
    int classes() const { return nclasses_; }
    // Words holding the counted units (the snapshot's units; columns() pads them).
    std::size_t unit_words() const { return (static_cast<std::size_t>(units()) + 63) / 64; }

    int units() const { return columns_ ? static_cast<int>(columns_->units()) : 0; }
    UnitColumns& columns() { return *columns_; }

    using Plane = SamplePlane;
    using ListKernel = search::ListKernel;
    using TermsKernel = search::TermsKernel;
    using RunKernel = search::RunKernel;
    using ListFn = KernelSet::ListFn;
    using TermsFn = KernelSet::TermsFn;
    using RunFn = KernelSet::RunFn;
    // The snapshot's kernels (its run kernels among them).
    const KernelSet& kernels() const { return kernels_; }

    // The planes, each unit's bit in a plane's words (from word 0), and the
    // weight beyond the table: for counting the units another way.
    std::span<const Plane> planes() const { return planes_->planes; }
    const std::uint64_t* plane_bits(const Plane& p) const { return planes_->bits.data() + p.at; }
    std::int64_t beyond() const { return beyond_; }

private:
    struct Kernel {
        std::size_t words;
        bool skip;
        const UnitColumns::Compiled* list;
    };
    // Counts the membership of the compiled list into `out` (whose cells of the
    // sample's classes are cleared).
    void tabulate(const Kernel& in, stats::CountTable& out);
    // The kernels and their work arrays, from the units' planes.
    void set_kernels();

    int nclasses_ = 0;
    std::int64_t beyond_ = 0;
    std::unique_ptr<UnitColumns> columns_;
    // The units' planes, made with the snapshot and read by its copies.
    struct Planes {
        std::vector<Plane> planes;
        std::vector<std::uint64_t> bits;
        std::vector<std::uint64_t> valid; // the units of either class (run kernels)
    };
    std::shared_ptr<const Planes> planes_;
    // The most segments the snapshot keeps apart (each has a plane as long as
    // the units' words).
    static constexpr std::size_t kMaxSegments = 64;
    std::vector<std::uint64_t> run_scratch_;
    // The compiled candidate and the plane counts (reused).
    UnitColumns::Compiled list_;
    std::vector<std::uint64_t> acc_det_, acc_mem_;
    std::vector<std::uint64_t> det_, mem_; // membership words from term words
    TermsKernel terms_;
    KernelSet kernels_;
    RunKernel run_;
    RunFn run_fn_ = nullptr, run_skip_fn_ = nullptr; // null: partab_run() takes the term-words kernel per list
    RunFn run_two_fn_ = nullptr;                     // lists of two-valued literals
    bool runs_ = false;                              // segments start on words of their own (two classes)
    stats::CountTable run_table_;
};

} // namespace meru::search
