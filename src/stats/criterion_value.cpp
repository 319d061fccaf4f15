#include "stats/criterion_value.h"

#include "stats/special_functions.h"

namespace meru::stats {

double logrank_p(double g) { return gammq(0.5, 0.5 * g); }

} // namespace meru::stats
