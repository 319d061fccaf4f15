#pragma once
// The kyphosis data with three attributes, and a hand-made tree over them.
// Attributes: 2 = start >= 9, 3 = age >= 100 (missing for the first observation),
// 4 = number >= 5. Splits: root +2, node 1 +3, node 2 -4, node 5 +3; nodes 3 and 4
// have none.
#include "tree/tree_model.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace meru::test {

struct Kyphosis {
    std::vector<double> age, number, start, kyphosis;
    std::vector<std::uint8_t> bytes; // 4 attributes per observation
    int n = 0;
    Kyphosis()
    {
        std::ifstream in(MERU_EXAMPLES_DIR "/kyphosis.csv");
        std::string line;
        std::getline(in, line);
        for (char c; std::getline(in, line); ++n) {
            std::istringstream row(line);
            double v[4];
            row >> v[0] >> c >> v[1] >> c >> v[2] >> c >> v[3];
            age.push_back(v[0]), number.push_back(v[1]), start.push_back(v[2]), kyphosis.push_back(v[3]);
            bytes.insert(bytes.end(), {0, std::uint8_t(v[2] >= 9), std::uint8_t(n == 0 ? 255 : v[0] >= 100),
                                       std::uint8_t(v[1] >= 5)});
        }
    }
    tree::TreeData data(const std::vector<double>& y, bool ydisc, std::span<const double> priors = {}) const
    {
        return {stats::AttributeMatrix(bytes, 4, n), {}, y, ydisc, priors, {}, {}};
    }
};

inline tree::KeptTree hand_tree()
{
    tree::KeptTree t;
    t.split.resize(6);
    t.split[0] = {2, "Start9$$", "start >=$9", ""}; // a "$" is never shown
    t.split[1] = {3, "Age100", "age >= 100", ""};
    t.split[2] = {-4, "-Number5", "number < 5", ""};
    t.split[5] = {3, "Age100", "age >= 100", ""};
    return t;
}

} // namespace meru::test
