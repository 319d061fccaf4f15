#pragma once
// The search's snapshot of the sample for count tables: the units (observations
// in the mask, with a weight other than 0 and a Y class inside the table) ordered
// by Y class, so that a class is a contiguous range of words, and within a class
// by the width of their weights, so that the planes of the higher weight bits are
// short (for a Y of two classes whose units weigh 1, class 1 starts on a new
// word). Per attribute three bit columns over the units (byte 1, byte 0, byte
// 255) and whether the attribute has a missing byte among the units.
//
// A candidate's membership is word-wide AND/OR over its literals' columns: two
// valued (no undetermined units, nothing to drop) when none of its literals has a
// missing byte, three valued otherwise. Each cell of the count table is then a sum
// of population counts over the words of one class. The table equals, cell for
// cell, the one the general bit-packed sample (stats/partition_sample.h) and the
// plain kernels give for the same list.
//
// Built once per search (after the mask, the weights and the Y are fixed);
// columns are built on an attribute's first use, and after that a candidate
// allocates nothing.
#include "core/cpu_level.h"
#include "partition/termlist.h"
#include "search/unit_columns.h"
#include "stats/count_table.h"
#include "stats/evaluation.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace meru::search {

class ClassOrderedSample {
public:
    // The kernels are those of cpu_level(), at most `most` (a test seam).
    using Level = CpuLevel;
    // `nclasses` is clamped to 0..100: int(YMAX) + 1 for the Y.
    ClassOrderedSample(const stats::SampleView& view, int nclasses, Level most = Level::avx512);
    ClassOrderedSample(const ClassOrderedSample&) = delete; // its kernel points into it
    ClassOrderedSample& operator=(const ClassOrderedSample&) = delete;

    // The count table of the list (sense 1 plain, 0 flipped).
    void partab(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte, bool skip,
                stats::CountTable& out);

    // The same from a list's term words: those of the terms before the last,
    // accumulated, and the last term's (sense 1 plain, 0 flipped; `skip`: the
    // missing words drop units). Only the cells of the sample's classes and the
    // side weights are written.
    void partab_terms(const TermWords& before, const TermWords& last, bool skip, int sense, stats::CountTable& out);
    // The tables of a run of lists that share their terms before the last, for
    // a Y of two classes: `before` as in partab_terms(), each list's last term
    // by the start of its words (holds, undetermined and, with `skip`, missing,
    // unit_words() each). out[i] holds the first four cells of the table
    // partab_terms() gives for lasts[i]; table_of() writes the whole of it.
    using Cells = std::array<std::int64_t, 4>;
    void partab_run(const TermWords& before, std::span<const std::uint64_t* const> lasts, bool skip, int sense,
                    std::span<Cells> out);
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

    struct Plane {
        int cls = 0;
        std::int64_t value = 0;       // 2^bit, or -2^31 for the sign bit
        std::uint32_t lo = 0, hi = 0; // the words holding its bits
        std::size_t at = 0;           // its first word in bits_
    };

    // What the kernel of partab() reads: the compiled list, the planes, and
    // per plane the counts of determined units and of members (added to).
    struct ListKernel {
        std::size_t words;
        bool skip;
        const UnitColumns::Compiled* list;
        const Plane* planes;
        std::size_t nplanes;
        const std::uint64_t* bits;
        std::uint64_t* acc_det;
        std::uint64_t* acc_mem;
    };
    using ListFn = void (*)(const ListKernel&);
    // What the kernel of partab_terms() reads besides its arguments.
    struct TermsKernel {
        std::size_t words = 0;
        const Plane* planes = nullptr;
        std::size_t nplanes = 0;
        const std::uint64_t* bits = nullptr;
        std::uint64_t *det = nullptr, *mem = nullptr; // the membership words
        int nclasses = 0;
        std::int64_t beyond = 0;
    };
    using TermsFn = void (*)(const TermsKernel&, const TermWords&, const TermWords&, int, stats::CountTable&);
    // What the kernel of partab_run() reads besides its arguments: the two
    // classes' unit words when every unit weighs 1 (then class k's units are
    // the bits of planes[k]), their union, and the first word of class 1 (class
    // 0's units are then padded to whole words).
    struct RunKernel {
        std::size_t words = 0;
        const std::uint64_t *class0 = nullptr, *class1 = nullptr, *valid = nullptr;
        std::size_t split = 0;
        std::uint64_t* scratch = nullptr; // 3 x words, for the kernel's own use
    };
    using RunFn = void (*)(const RunKernel&, const TermWords&, std::span<const std::uint64_t* const>, bool, int,
                           std::span<Cells>);

private:
    struct Kernel {
        std::size_t words;
        bool skip;
        const UnitColumns::Compiled* list;
    };
    // Counts the membership of the compiled list into `out` (whose cells of the
    // sample's classes are cleared).
    void tabulate(const Kernel& in, stats::CountTable& out);

    int nclasses_ = 0;
    std::int64_t beyond_ = 0;
    std::unique_ptr<UnitColumns> columns_;
    std::vector<Plane> planes_;
    std::vector<std::uint64_t> bits_;
    std::vector<std::uint64_t> valid_; // the units of either class (a Y of two classes)
    std::vector<std::uint64_t> run_scratch_;
    // The compiled candidate and the plane counts (reused).
    UnitColumns::Compiled list_;
    std::vector<std::uint64_t> acc_det_, acc_mem_;
    std::vector<std::uint64_t> det_, mem_; // membership words from term words
    TermsKernel terms_;
    ListFn list_fn_ = nullptr;
    TermsFn terms_fn_ = nullptr, terms_skip_fn_ = nullptr;
    RunKernel run_;
    RunFn run_fn_ = nullptr, run_skip_fn_ = nullptr; // null: partab_run() takes the term-words kernel per list
    stats::CountTable run_table_;
};

} // namespace meru::search
