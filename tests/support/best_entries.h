#pragma once
// A best-at-each-complexity list from (complexity, G) pairs, for the hull and
// the choice from the best list; each entry's list is the one term (c + 1).
#include "search/best_lists.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace meru::test {

inline std::vector<search::StoredPartition> best_entries(std::initializer_list<std::pair<int, float>> points)
{
    std::vector<search::StoredPartition> v;
    for (auto [c, g] : points) {
        search::StoredPartition s;
        s.complexity = c;
        s.value = g;
        s.list.add_term({c + 1});
        v.push_back(s);
    }
    return v;
}

} // namespace meru::test
