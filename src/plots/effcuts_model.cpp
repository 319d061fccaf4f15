#include "plots/effcuts_model.h"

#include "platform/io/edit.h"

#include <map>

namespace meru::plots {

LineList line_list(std::span<const int> offered, std::span<const int> ncuts, std::span<const std::string> names,
                   int mincuts)
{
    LineList out;
    std::map<std::string, int> seen;
    for (int line : offered) {
        const auto i = static_cast<std::size_t>(line - 1);
        if (line < 1 || i >= ncuts.size() || i >= names.size() || ncuts[i] < mincuts) continue;
        if (static_cast<int>(out.entries.size()) >= kMaxListed) {
            ++out.refused;
            continue;
        }
        out.entries.push_back({line, io::fmt_a(names[i], 8)});
        ++seen[out.entries.back().text];
    }
    std::map<std::string, int> count;
    for (ListedLine& e : out.entries)
        if (seen[e.text] > 1) {
            const int k = ++count[e.text];
            e.text += io::fmt_i(k, 2);
        }
    return out;
}

BestCut effectiveness_best(std::span<const double> values)
{
    BestCut b;
    for (std::size_t j = 0; j < values.size(); ++j)
        if (values[j] > b.m) {
            b.m = values[j];
            b.cut = static_cast<int>(j) + 1;
        }
    return b;
}

std::vector<std::string> effcuts_log(const std::string& name, std::span<const std::string> labels,
                                     std::span<const double> values)
{
    std::vector<std::string> out{" Cuts v effectiveness plot drawn for " + io::fmt_a(name, 8),
                                 std::string(4, ' ') + "Cut   Defn" + std::string(19, ' ') + "Effectiveness"};
    for (std::size_t j = 0; j < values.size(); ++j)
        out.push_back(io::fmt_i(static_cast<long long>(j) + 1, 6) + std::string(5, ' ') +
                      io::fmt_a(j < labels.size() ? labels[j] : std::string(), 20) + io::fmt_e(values[j], 13, 6));
    return out;
}

} // namespace meru::plots
