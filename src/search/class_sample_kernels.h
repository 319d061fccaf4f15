#pragma once
// The counting kernels of the class-ordered snapshot (search/class_sample.h),
// one family per file, each compiled at every level of core/cpu_level.h the
// compiler can target and picked by level when a snapshot is built
// (search/kernel_set.h):
//  - list_count_kernels.cpp: a compiled term list against every plane;
//  - term_count_kernels.cpp: a list given by its term words (the terms before
//    the last, accumulated, and the last);
//  - run_count_kernels.cpp: a run of last terms against one set of
//    accumulated terms, for two classes whose units lie in segments of one
//    weight (with a kernel of its own for lists that no missing byte touches).
// The generic level of each is the plain reference of the faster ones; the
// tests hold every level to it and to the plain kernels of stats/membership_kernels.h.
#include "core/cpu_level.h"
#include "search/class_sample.h"

#include <cstdint>
#include <cstring>

namespace meru::search::kernels {

using u64 = std::uint64_t;

// Four words as one vector value (one AVX2 register where the kernel is
// compiled for it); loads and stores go through memcpy: the words need not be
// aligned.
using Words = u64 __attribute__((vector_size(4 * sizeof(u64))));
MERU_ALWAYS_INLINE void load(Words& v, const u64* p) { std::memcpy(&v, p, sizeof v); }

} // namespace meru::search::kernels
