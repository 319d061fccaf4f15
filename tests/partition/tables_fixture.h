#pragma once
// Attribute tables built by hand for the partition tests, labelled the way the
// control-file reader labels them, together with each attribute's definition so
// that a test can tell independently whether a literal holds for a value.
#include "files/tables.h"
#include "partition/termlist.h"

#include <string>
#include <vector>

namespace meru::partition::test {

enum class Op { Gt, Le, Range, Eq, Codes };

struct Def {
    Op op = Op::Gt;
    double c1 = 0, c2 = 0;
    std::string codes;
};

inline std::string pad20(const std::string& s)
{
    std::string r = s.substr(0, files::kLabelLen);
    r.resize(files::kLabelLen, ' ');
    return r;
}

inline std::string num(double v)
{
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

struct Tables {
    files::ControlTables t;
    std::vector<Def> def; // [attribute]

    Tables()
    {
        t.line.resize(2);
        t.att.resize(2);
        def.resize(2);
        t.line[1].name = ".";
        t.line[1].type = 'n';
        t.line[1].ncuts = 1;
        t.line[1].attoff = 1;
        t.att[1].attline = 1;
        t.att[1].attlab = {pad20("^=null"), pad20("=$null")};
        t.att[1].savedlab = t.att[1].attlab;
        t.nlines = 1;
        t.natt = 1;
    }

    int add_line(int var, char type, std::string universe = "")
    {
        files::AttrLine l;
        l.var = var;
        l.type = type;
        l.universe = universe;
        l.universe_given = !universe.empty();
        if (universe.empty() && type == 'n') l.universe = files::kAllStates;
        t.line.push_back(l);
        return ++t.nlines;
    }

    int add(int line, const std::string& own, const std::string& comp, Def d)
    {
        files::Attribute a;
        a.attline = line;
        a.attlab = {pad20(comp), pad20(own)};
        a.savedlab = a.attlab;
        a.cut1 = d.c1;
        a.cut2 = d.c2;
        a.codes = d.codes;
        t.att.push_back(a);
        def.push_back(d);
        t.line[static_cast<size_t>(line)].ncuts++;
        return ++t.natt;
    }

    int gt(int line, double v)
    {
        return add(line, ">$" + num(v), "<=" + num(v), {Op::Gt, v, files::kNoSecondCut, ""});
    }
    int le(int line, double v)
    {
        return add(line, "<=" + num(v), ">$" + num(v), {Op::Le, v, files::kNoSecondCut, ""});
    }
    int range(int line, double a, double b)
    {
        std::string txt = num(a) + "," + num(b);
        return add(line, "(]" + txt, "](" + txt, {Op::Range, a, b, ""});
    }
    int eq(int line, double v) { return add(line, "=$" + num(v), "^=" + num(v), {Op::Eq, v - 0.01, v, ""}); }
    // A nominal cut; with the line's universe given the complement is labelled by
    // the remaining codes, otherwise as "^=" and the codes.
    int codes(int line, const std::string& c)
    {
        const files::AttrLine& l = t.line[static_cast<size_t>(line)];
        std::string comp;
        if (l.universe_given) {
            comp = "=$";
            for (char u : l.universe)
                if (c.find(u) == std::string::npos) comp += u;
        } else {
            comp = "^=" + c;
        }
        return add(line, "=$" + c, comp, {Op::Codes, 0, 0, c});
    }
    // A named nominal cut: the display labels carry the name, the saved labels the codes.
    int named(int line, const std::string& c, const std::string& name)
    {
        int a = codes(line, c);
        t.att[static_cast<size_t>(a)].attlab = {pad20("^" + name), pad20("_" + name)};
        return a;
    }
    // Reverses an attribute's direction as the Fix Positive swap does: sign byte -1
    // and both label pairs exchanged (so +a still means the same observations).
    void reverse(int a)
    {
        files::Attribute& at = t.att[static_cast<size_t>(a)];
        at.signbyte = static_cast<signed char>(-at.signbyte);
        std::swap(at.attlab[0], at.attlab[1]);
        std::swap(at.savedlab[0], at.savedlab[1]);
    }

    // Whether literal `l` holds for an observation with interval value x and nominal code c.
    bool holds(Literal l, double x, char c) const
    {
        int a = attribute_of(l);
        bool v;
        if (a == 1) {
            v = false; // the null attribute
        } else {
            const Def& d = def[static_cast<size_t>(a)];
            switch (d.op) {
            case Op::Gt: v = x > d.c1; break;
            case Op::Le: v = x <= d.c1; break;
            case Op::Range: v = d.c1 <= d.c2 ? (d.c1 < x && x <= d.c2) : !(d.c2 < x && x <= d.c1); break;
            case Op::Eq: v = d.c1 < x && x <= d.c2; break;
            case Op::Codes: v = d.codes.find(c) != std::string::npos; break;
            default: v = false;
            }
        }
        return l > 0 ? v : !v;
    }
};

// Builds a term list from terms written as initializer lists: list({{3, -2}, {-6}}).
inline TermList list(std::initializer_list<std::initializer_list<Literal>> terms)
{
    TermList l;
    for (auto t : terms) l.add_term(t);
    return l;
}

} // namespace meru::partition::test
