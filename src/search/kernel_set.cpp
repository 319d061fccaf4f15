#include "search/kernel_set.h"

namespace meru::search {

KernelSet kernel_set(CpuLevel level)
{
    KernelSet k;
    k.level = level;
    k.sample = stats::sample_kernels(level);
    k.list = kernels::pick_list(level);
    k.terms = kernels::pick_terms(level, false);
    k.terms_skip = kernels::pick_terms(level, true);
    k.terms_two = kernels::pick_terms_two(level, false);
    k.terms_joined = kernels::pick_terms_two(level, true);
    k.walk = kernels::pick_walk(level, false);
    k.walk_two = kernels::pick_walk(level, true);
    k.and_literal = kernels::pick_and_literal(level);
    k.and_not = kernels::pick_and_not(level);
    k.bounds = kernels::pick_bounds(level);
    return k;
}

} // namespace meru::search
