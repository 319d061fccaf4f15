#pragma once
// The kernels of the bit-packed samples, one family per task, each compiled at
// every level of core/cpu_level.h the compiler can target: a sample picks all
// of them once, for one level, when it is made (sample_kernels()), and reads
// them from there. The generic level of each family is the plain reference of
// the others; the results are the same at every level.
//  - columns (unit_columns.cpp): words of the bit columns of some attributes;
//  - count (partition_sample.cpp): a compiled list's membership against the
//    count-table planes of one or more Ys;
//  - exact_sums, plane_counts (partition_sample_split.cpp): the split sums of
//    samples whose sums are exact in any order, from the values or from their
//    bit planes.
#include "core/cpu_level.h"
#include "stats/unit_columns.h"

#include <cstdint>

namespace meru::stats {

// Words [from, to) of the three columns (byte 1, byte 0, byte 255) of each
// attribute todo[j], ascending, into cols[j] (3 x words words each, cleared
// beforehand); units past `units` and padding units (obs -1) set no bit.
struct ColumnArgs {
    const AttributeMatrix* abyte;
    const int* obs;
    std::size_t units, words;
    const int* todo;
    std::size_t ntodo;
    std::uint64_t* const* cols;
    std::size_t from, to;
};

// A compiled list's membership counted against the planes of a count table:
// per plane, the units of membership 0 or 1 and those of membership 1, added
// to acc_det and acc_mem.
struct CountArgs {
    std::size_t words;
    bool skip;
    const UnitColumns::Compiled* list;
    const std::uint64_t* planes;
    const std::uint32_t* plane_lo; // first word of a plane holding a set bit
    const std::uint32_t* plane_hi; // one past its last such word
    std::size_t nplanes;
    std::uint64_t* acc_det;
    std::uint64_t* acc_mem;
};

// Weight, sum and sum of squares of the units set in a (and in b) over nw words.
struct LaneMasks;
struct ExactArgs {
    const std::uint64_t* a;
    const std::uint64_t* b;     // null: a only
    const std::uint64_t* valid; // null: every unit
    std::size_t nw;
    const double* wd; // null: unit weights
    const double* wy;
    const double* wy2;
    const LaneMasks* masks;
};

// Population counts of a & valid and of b & valid over each of n planes of
// `words` words.
struct PlaneArgs {
    const std::uint64_t* a;
    const std::uint64_t* b;     // null: a only
    const std::uint64_t* valid; // null: every unit
    std::size_t nw;
    const std::uint64_t* planes;
    std::size_t words, n;
};

struct SampleKernels {
    CpuLevel level = CpuLevel::generic;
    void (*columns)(const ColumnArgs&) = nullptr;
    // The membership of each block once, counted against the planes of each
    // of n argument sets (which share the list).
    void (*count)(const CountArgs*, std::size_t n) = nullptr;
    void (*exact_sums)(const ExactArgs&, double* out) = nullptr;
    void (*plane_counts)(const PlaneArgs&, std::int64_t* ca, std::int64_t* cb) = nullptr;
};

// The kernels of `level` (the generic ones where a family has none of its own).
SampleKernels sample_kernels(CpuLevel level);

// Each family's kernel of `level`, for sample_kernels().
decltype(SampleKernels::columns) pick_columns(CpuLevel level);
decltype(SampleKernels::count) pick_count(CpuLevel level);
decltype(SampleKernels::exact_sums) pick_exact_sums(CpuLevel level);
decltype(SampleKernels::plane_counts) pick_plane_counts(CpuLevel level);

} // namespace meru::stats
