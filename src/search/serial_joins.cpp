#include "search/serial_joins.h"

#include <algorithm>

namespace meru::search {

std::vector<partition::Literal> serial_joins(SerialKind kind, int current, std::span<const int> found, int natt)
{
    std::vector<partition::Literal> out;
    if (kind == SerialKind::none) return out;
    const int before = std::min(current - 1, static_cast<int>(found.size()));
    for (int k = before; k >= 1; --k) {
        const int a = found[static_cast<std::size_t>(k - 1)];
        if (a < 1 || a > natt) continue;
        if (kind == SerialKind::ordinal) return {a};
        out.insert(out.begin(), -a);
    }
    return out;
}

} // namespace meru::search
