#include "stats/criteria.h"

namespace meru::stats {

namespace {

// Each row stands at its code.
constexpr bool rows_in_code_order()
{
    for (int k = 0; k < kCriterionCount; ++k)
        if (static_cast<int>(kCriterionTable[static_cast<std::size_t>(k)].code) != k + 1) return false;
    return true;
}
static_assert(rows_in_code_order());

} // namespace

const CriterionTraits* criterion_traits(int icrit)
{
    if (icrit < 1 || icrit > kCriterionCount) return nullptr;
    return &kCriterionTable[static_cast<std::size_t>(icrit - 1)];
}

std::string_view criterion_name(int icrit)
{
    const CriterionTraits* t = criterion_traits(icrit);
    return t ? t->name : std::string_view{};
}

std::string_view complexity_name(int code)
{
    static constexpr std::array<std::string_view, 3> names{"q + q' - 1", "min(q, q')", "# attributes"};
    if (code < 1 || code > 3) return {};
    return names[static_cast<std::size_t>(code - 1)];
}

} // namespace meru::stats
