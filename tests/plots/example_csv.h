#pragma once
// One column of an example data file (CSV with a header row) as numbers; a
// missing item "." becomes -1.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace meru::test {

inline std::vector<double> csv_column(const std::string& file, const std::string& column)
{
    std::ifstream in(std::string(MERU_EXAMPLES_DIR) + "/" + file);
    std::string line;
    std::getline(in, line);
    std::vector<std::string> head;
    std::stringstream hs(line);
    for (std::string cell; std::getline(hs, cell, ',');) head.push_back(cell);
    const auto col = static_cast<std::size_t>(std::find(head.begin(), head.end(), column) - head.begin());
    std::vector<double> out;
    while (std::getline(in, line)) {
        std::stringstream ls(line);
        std::string cell;
        for (std::size_t c = 0; c <= col; ++c) std::getline(ls, cell, ',');
        out.push_back(cell == "." ? -1.0 : std::stod(cell));
    }
    return out;
}

} // namespace meru::test
