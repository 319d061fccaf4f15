#include "stats/attrkey.h"

#include "files/textutil.h"
#include "partition/labels.h"
#include "platform/io/edit.h"

#include <cstdlib>

namespace meru::stats {

std::vector<std::string> attrkey_lines(std::span<const int> side, const partition::TermList& list,
                                       const files::ControlTables& tables, int s)
{
    std::vector<std::string> lines;
    if (!list.consistent()) return lines;
    int j = 0;
    for (std::span<const partition::Literal> term : list.terms()) {
        const bool shown = static_cast<std::size_t>(j) >= side.size() || side[static_cast<std::size_t>(j)] == 1;
        ++j;
        if (term.size() != 1) {
            std::string text = (shown ? "" : "^") + std::to_string(j);
            if (shown && !term.empty()) text += " " + partition::term_text(term, s, tables);
            lines.push_back(std::move(text));
            continue;
        }
        const int l = term.front();
        const int a = std::abs(l);
        if (a < 1 || a > tables.natt || static_cast<std::size_t>(a) >= tables.att.size()) {
            lines.push_back(std::to_string(l));
            continue;
        }
        const auto& att = tables.att[static_cast<std::size_t>(a)];
        const int column = partition::litval(l, shown ? s : 1 - s, att.signbyte);
        const std::string& label = att.attlab[column == 2 ? 1 : 0];
        lines.push_back(files::rtrim(files::squeeze(io::fmt_a(att.attname, files::kNameLen) + label)));
    }
    return lines;
}

} // namespace meru::stats
