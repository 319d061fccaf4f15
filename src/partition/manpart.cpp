#include "partition/manpart.h"

#include "files/textutil.h"
#include "partition/parttext.h"
#include "platform/io/edit.h"

namespace meru::partition {

namespace {

constexpr size_t kEntryLen = 45;
constexpr size_t kEntryNameLen = 28;

int line_offset(int line, const files::ControlTables& t)
{
    return line > 1 && static_cast<size_t>(line - 1) < t.line.size() ? t.line[static_cast<size_t>(line - 1)].attoff
                                                                     : 0;
}

} // namespace

AttributeList attribute_entries(const files::ControlTables& t, const std::vector<int>& linelist)
{
    AttributeList out;
    for (int k : linelist) {
        if (k < 1 || static_cast<size_t>(k) >= t.line.size()) continue;
        const int off = line_offset(k, t);
        for (int j = 1; j <= t.line[static_cast<size_t>(k)].ncuts; ++j) {
            const int a = j + off;
            if (a < 1 || static_cast<size_t>(a) >= t.att.size()) continue;
            const files::Attribute& at = t.att[static_cast<size_t>(a)];
            const std::string& label = at.attlab[at.signbyte == -1 ? 0 : 1];
            std::string name = files::squeeze(at.attname + label);
            if (name.size() > kEntryNameLen) name.resize(kEntryNameLen);
            std::string entry = io::fmt_i(a, 5) + ": " + name;
            entry.resize(kEntryLen, ' ');
            out.entries.push_back(entry);
            out.attribute.push_back(a);
        }
    }
    return out;
}

bool add_selected(std::string& text, const std::vector<bool>& selected, const AttributeList& list)
{
    std::string t = files::rtrim(text);
    bool whole = true;
    for (size_t i = 0; i < selected.size() && i < list.attribute.size(); ++i) {
        if (!selected[i]) continue;
        const std::string piece = " (" + std::to_string(list.attribute[i]) + ")";
        if (t.size() + piece.size() > static_cast<size_t>(kTextLen)) {
            whole = false;
            break;
        }
        t += piece;
    }
    t.resize(static_cast<size_t>(kTextLen), ' ');
    text = t;
    return whole;
}

bool literal_places(const TermList& list, const files::ControlTables& t, std::vector<int>& litline,
                    std::vector<int>& litcut)
{
    litline.clear();
    litcut.clear();
    for (Literal l : list.lits) {
        const int a = attribute_of(l);
        const int line = static_cast<size_t>(a) < t.att.size() ? t.att[static_cast<size_t>(a)].attline : 0;
        if (line < 1 || static_cast<size_t>(line) >= t.line.size()) return false;
        litline.push_back(line);
        litcut.push_back(a - line_offset(line, t));
    }
    return true;
}

} // namespace meru::partition
