#include "partition/dupvar.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

namespace meru::partition {

bool dupvar(std::span<const int> attributes, std::span<const int> variable_of)
{
    if (attributes.size() < 2) return false;
    std::unordered_set<int> seen;
    for (int lit : attributes) {
        const auto a = static_cast<std::size_t>(std::abs(lit));
        if (a >= variable_of.size() || variable_of[a] == 0) continue;
        if (!seen.insert(variable_of[a]).second) return true;
    }
    return false;
}

std::vector<int> attribute_variables(const files::ControlTables& t)
{
    std::vector<int> out(static_cast<std::size_t>(std::max(t.natt, 0)) + 1, 0);
    for (int a = 1; a <= t.natt && static_cast<std::size_t>(a) < t.att.size(); ++a) {
        const int k = t.att[static_cast<std::size_t>(a)].attline;
        if (k >= 1 && static_cast<std::size_t>(k) < t.line.size())
            out[static_cast<std::size_t>(a)] = t.line[static_cast<std::size_t>(k)].var;
    }
    return out;
}

} // namespace meru::partition
