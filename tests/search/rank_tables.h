#pragma once
// Small control tables for the ranking tests: line 1 is the null line making
// attribute "."; each further line is a variable with its cuts.
#include "files/tables.h"

#include <string>
#include <utility>
#include <vector>

namespace meru::test {

inline std::string pad20(std::string s)
{
    s.resize(files::kLabelLen, ' ');
    return s;
}

// lines: (name, cuts) for lines 2.. ; variables are numbered as the lines, line k
// reading variable k - 1 (variable 1 is the first named line).
inline files::ControlTables rank_tables(const std::vector<std::pair<std::string, int>>& lines)
{
    files::ControlTables t;
    t.nlines = static_cast<int>(lines.size()) + 1;
    t.line.resize(static_cast<std::size_t>(t.nlines) + 1);
    t.vars.varname.push_back("");
    t.att.resize(1);
    t.line[1].name = ".";
    t.line[1].ncuts = 1;
    t.line[1].attoff = 1;
    files::Attribute dot;
    dot.attname = ".";
    dot.attline = 1;
    dot.attlab = {pad20("F"), pad20("T")};
    dot.savedlab = dot.attlab;
    t.att.push_back(dot);
    int off = 1;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const int line = static_cast<int>(k) + 2;
        t.vars.varname.push_back(lines[k].first);
        off += lines[k].second;
        files::AttrLine l;
        l.name = lines[k].first;
        l.var = static_cast<int>(k) + 1;
        l.ncuts = lines[k].second;
        l.attoff = off;
        t.line[static_cast<std::size_t>(line)] = l;
        for (int j = 1; j <= lines[k].second; ++j) {
            files::Attribute a;
            a.attname = lines[k].first;
            a.attline = line;
            a.attlab = {pad20("<=" + std::to_string(j)), pad20(">" + std::to_string(j))};
            a.savedlab = {pad20("le" + std::to_string(j)), pad20("gt" + std::to_string(j))};
            t.att.push_back(a);
        }
    }
    t.vars.nvar = static_cast<int>(lines.size());
    t.natt = off;
    t.dims.lc = off;
    t.dims.nv = t.nlines;
    return t;
}

} // namespace meru::test
