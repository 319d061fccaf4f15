#pragma once
// Attribute tables for the hand-entry tests: lines, attributes and stored
// combination lines.
#include "files/tables.h"

#include <string>

namespace meru::partition::test {

inline std::string pad20(std::string s)
{
    s.resize(20, ' ');
    return s;
}

// Lines: 1 the null attribute (1); 2 "age" with cuts 40..80 (2-6); 3 "sex" (7);
// 4 "score" with six cuts (8-13).
inline files::ControlTables make_tables()
{
    files::ControlTables t;
    t.line.resize(5);
    t.att.resize(14);
    auto line = [&](int k, const char* name, int ncuts, int attoff) {
        t.line[static_cast<size_t>(k)].name = name;
        t.line[static_cast<size_t>(k)].var = k - 1;
        t.line[static_cast<size_t>(k)].ncuts = ncuts;
        t.line[static_cast<size_t>(k)].attoff = attoff;
    };
    line(1, ".", 1, 1);
    line(2, "age", 5, 6);
    line(3, "sex", 1, 7);
    line(4, "score", 6, 13);
    t.nlines = 4;
    t.natt = 13;
    auto att = [&](int a, int k, const std::string& name, const std::string& own, const std::string& comp) {
        files::Attribute& at = t.att[static_cast<size_t>(a)];
        at.attline = k;
        at.attname = name;
        at.attlab = {pad20(comp), pad20(own)};
    };
    att(1, 1, ".", "=$null", "^=null");
    for (int j = 0; j < 5; ++j)
        att(2 + j, 2, "age$$$$$", ">$" + std::to_string(40 + 10 * j), "<=" + std::to_string(40 + 10 * j));
    att(7, 3, "sex$$$$$", "=$M", "=$F");
    t.att[7].signbyte = -1;
    for (int j = 0; j < 6; ++j) att(8 + j, 4, "score$$$", ">$" + std::to_string(j), "<=" + std::to_string(j));
    t.cfcomb = {"AGE60 (12 -3)", "LONGNAME123(2)(7)", "nothing here", "+x (2 3"};
    return t;
}

} // namespace meru::partition::test
