#include "stats/sample_kernels.h"

namespace meru::stats {

SampleKernels sample_kernels(CpuLevel level)
{
    return {level, pick_columns(level), pick_count(level), pick_exact_sums(level), pick_plane_counts(level)};
}

} // namespace meru::stats
