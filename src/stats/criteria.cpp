#include "stats/criteria.h"

namespace meru::stats {

std::string_view criterion_name(int icrit)
{
    static constexpr std::array<std::string_view, 8> names{
        "Within MSE", "Subgroup MSE",       "Entropy",  "Quality index QI(r)",
        "Chi-square", "Odds ratio (Bayes)", "Log-rank", "Gini diversity"};
    if (icrit < 1 || icrit > 8) return {};
    return names[static_cast<std::size_t>(icrit - 1)];
}

std::string_view complexity_name(int code)
{
    static constexpr std::array<std::string_view, 3> names{"q + q' - 1", "min(q, q')", "# attributes"};
    if (code < 1 || code > 3) return {};
    return names[static_cast<std::size_t>(code - 1)];
}

} // namespace meru::stats
