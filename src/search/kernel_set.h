#pragma once
// Every kernel of the search's snapshots, picked for one instruction level of
// core/cpu_level.h when a snapshot is made (kernel_set()) and read from there:
//  - sample (stats/sample_kernels.h): the bit columns of the units;
//  - list, terms, run (list_count_kernels.cpp, term_count_kernels.cpp,
//    run_count_kernels.cpp): the count tables of the class-ordered snapshot
//    (search/class_sample.h), from a compiled list, from its term words, and
//    for a run of last terms (the run kernels also depend on the snapshot's
//    layout: the snapshot picks them with pick_run());
//  - walk (logrank_bits.cpp): the log-rank statistic over the time-ordered
//    units (search/logrank_bits.h);
//  - and_literal, and_not (subset_columns.cpp): the stored terms;
//  - bounds (table_bounds.cpp): the G bounds of the tables of a run.
// Each family is compiled at every level the compiler can target; its generic
// level is the plain reference of the faster ones, and the results are the
// same at every level.
#include "core/cpu_level.h"
#include "search/term_words.h"
#include "stats/count_table.h"
#include "stats/logrank.h"
#include "stats/sample_kernels.h"

#include <array>
#include <cstdint>
#include <span>

namespace meru::search {

// The cells of a table of two classes as partab_run() gives them.
using Cells = std::array<std::int64_t, 4>;

// Units counted together by the class-ordered snapshot: of one class, and of
// one weight (a segment) or one weight bit.
struct SamplePlane {
    int cls = 0;
    std::int64_t value = 0;       // the segment's weight; of a weight bit 2^bit, or -2^31 for the sign bit
    std::uint32_t lo = 0, hi = 0; // the words holding its bits
    std::size_t at = 0;           // its first word in the planes' bits
};

// What the kernel of partab() reads: the compiled list, the planes, and per
// plane the counts of determined units and of members (added to).
struct ListKernel {
    std::size_t words;
    bool skip;
    const UnitColumns::Compiled* list;
    const SamplePlane* planes;
    std::size_t nplanes;
    const std::uint64_t* bits;
    std::uint64_t* acc_det;
    std::uint64_t* acc_mem;
};
// What the kernel of partab_terms() reads besides its arguments.
struct TermsKernel {
    std::size_t words = 0;
    const SamplePlane* planes = nullptr;
    std::size_t nplanes = 0;
    const std::uint64_t* bits = nullptr;
    std::uint64_t *det = nullptr, *mem = nullptr; // the membership words
    int nclasses = 0;
    std::int64_t beyond = 0;
};
// What the kernel of partab_run() reads besides its arguments: the segments
// (planes whose words no other plane shares: the units of one class and
// weight), the words of every unit, and, when every unit weighs 1, the two
// classes' unit words and the first word of class 1.
struct RunKernel {
    std::size_t words = 0;
    const SamplePlane* segments = nullptr;
    std::size_t nsegments = 0;
    const std::uint64_t* valid = nullptr;
    const std::uint64_t *class0 = nullptr, *class1 = nullptr;
    std::size_t split = 0;
    std::uint64_t* scratch = nullptr; // 3 x words, for the kernel's own use
};

// The log-rank walk: each time's units [begin, end) with their weight and
// their events' weight, the weight planes, the units with an event, and the
// membership words (work storage).
struct LogRankTime {
    std::uint32_t begin = 0, end = 0;
    float t = 0.0f;
    std::int64_t weight = 0, events = 0;
};
struct LogRankPlane {
    static constexpr std::size_t kMost = 32; // one per bit of a weight
    std::int64_t value = 0; // 2^bit, or -2^31 for the sign bit
    std::size_t at = 0;     // first word in the planes' bits
};
struct WalkKernel {
    std::size_t words;
    bool skip;
    const UnitColumns::Compiled* list;
    const LogRankTime* times;
    std::size_t ntimes;
    const LogRankPlane* planes;
    std::size_t nplanes;
    const std::uint64_t* bits;
    const std::uint64_t* events;
    std::uint64_t* det;
    std::uint64_t* mem;
};

struct KernelSet {
    using ListFn = void (*)(const ListKernel&);
    using TermsFn = void (*)(const TermsKernel&, const TermWords&, const TermWords&, int, stats::CountTable&);
    using RunFn = void (*)(const RunKernel&, const TermWords&, std::span<const std::uint64_t* const>, bool, int,
                           std::span<Cells>);

    CpuLevel level = CpuLevel::generic;
    stats::SampleKernels sample;
    ListFn list = nullptr;
    TermsFn terms = nullptr, terms_skip = nullptr;
    // Lists none of whose literals has a missing byte among the units, without
    // the skip flag; `joined` the kernel of ClassOrderedSample::partab_joined().
    // Null where the level has none.
    TermsFn terms_two = nullptr, terms_joined = nullptr;
    // The log-rank walk of any list, and of a list none of whose literals has
    // a missing byte among the units (no unit undetermined or dropped).
    void (*walk)(const WalkKernel&, stats::LogRankSums&) = nullptr;
    void (*walk_two)(const WalkKernel&, stats::LogRankSums&) = nullptr;
    // The words of `prefix` AND-ed with a literal (prefix null: the term of no
    // literals), `skip` keeping the missing words; and the holding words of a
    // term of two-valued literals AND-ed with one more.
    void (*and_literal)(const std::uint64_t* prefix, const UnitColumns::Lit& l, std::size_t words, bool skip,
                        std::uint64_t* out) = nullptr;
    void (*and_not)(const std::uint64_t* from, const std::uint64_t* fail, std::size_t words,
                    std::uint64_t* out) = nullptr;
    // The bounds and bands of the leading tables of a run, a vector of them at
    // a time; returns how many it did (null: none, each is worked out alone).
    std::size_t (*bounds)(std::span<const Cells> cells, bool bounded, bool banded, float* bound, int* band) = nullptr;
};

// The kernels of `level`.
KernelSet kernel_set(CpuLevel level);

// Each family's kernels of `level`, for kernel_set() and the snapshots.
namespace kernels {
KernelSet::ListFn pick_list(CpuLevel level);
KernelSet::TermsFn pick_terms(CpuLevel level, bool skip);
KernelSet::TermsFn pick_terms_two(CpuLevel level, bool joined);
// Null where the level has no run kernel: each list of a run is then counted
// by the term kernel.
KernelSet::RunFn pick_run(CpuLevel level, bool skip, const RunKernel& k);
// The run kernel for lists none of whose literals has a missing byte among the
// units (the skip flag then drops nothing); null where the level has none.
KernelSet::RunFn pick_run_two(CpuLevel level);
decltype(KernelSet::walk) pick_walk(CpuLevel level, bool two_valued);
decltype(KernelSet::and_literal) pick_and_literal(CpuLevel level);
decltype(KernelSet::and_not) pick_and_not(CpuLevel level);
decltype(KernelSet::bounds) pick_bounds(CpuLevel level);
} // namespace kernels

} // namespace meru::search
