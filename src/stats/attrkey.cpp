#include "stats/attrkey.h"

#include "files/textutil.h"
#include "platform/io/edit.h"

#include <cstdlib>

namespace meru::stats {

std::vector<std::string> attrkey_lines(std::span<const int> side, const partition::TermList& list,
                                       const files::ControlTables& tables, int s)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (int j = 0; j < list.q(); ++j) {
        const int len = list.lp[static_cast<std::size_t>(j)];
        const bool shown = static_cast<std::size_t>(j) >= side.size() || side[static_cast<std::size_t>(j)] == 1;
        if (len == 1 && start < list.lits.size()) {
            const int l = list.lits[start];
            const int a = std::abs(l);
            if (a >= 1 && a <= tables.natt && static_cast<std::size_t>(a) < tables.att.size()) {
                const int column = ((l > 0) == shown) ? s + 1 : 2 - s;
                const auto& att = tables.att[static_cast<std::size_t>(a)];
                const std::string& label = att.attlab[column == 2 ? 1 : 0];
                lines.push_back(files::rtrim(files::squeeze(io::fmt_a(att.attname, files::kNameLen) + label)));
            } else {
                lines.push_back(std::to_string(l));
            }
        } else {
            lines.push_back((shown ? "" : "^") + std::to_string(j + 1));
        }
        start += static_cast<std::size_t>(len > 0 ? len : 0);
    }
    return lines;
}

} // namespace meru::stats
