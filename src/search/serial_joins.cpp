#include "search/serial_joins.h"

#include <algorithm>

namespace meru::search {

std::vector<SerialJoin> serial_joins(SerialKind kind, int current, std::span<const int> found, int natt)
{
    std::vector<SerialJoin> out;
    const int before = std::min(current - 1, static_cast<int>(found.size()));
    const auto add = [&](int k, bool by_union) {
        const int a = found[static_cast<std::size_t>(k - 1)];
        if (a >= 1 && a <= natt) out.push_back({a, by_union});
    };
    if (kind == SerialKind::ordinal)
        for (int k = 1; k <= before; ++k) add(k, false);
    else if (kind == SerialKind::nominal && before >= 1 && before == current - 1) add(before, true);
    return out;
}

} // namespace meru::search
