#include "search/exclusions.h"

#include "platform/io/strings.h"

#include <algorithm>

namespace meru::search {

namespace {

bool contains(const std::vector<int>& v, int x) { return x != 0 && std::find(v.begin(), v.end(), x) != v.end(); }

} // namespace

bool is_special_name(std::string_view name)
{
    const std::string n = io::trim(name, " $");
    return n.starts_with("_i_") || n.starts_with("_r_") || n == ".";
}

Exclusion line_exclusion(const files::ControlTables& t, int line, const ExclusionContext& c)
{
    if (line < 1 || line > t.nlines || static_cast<std::size_t>(line) >= t.line.size()) return Exclusion::Special;
    const files::AttrLine& l = t.line[static_cast<std::size_t>(line)];
    const std::string_view varname =
        l.var >= 1 && l.var <= t.vars.nvar ? std::string_view(t.vars.varname[static_cast<std::size_t>(l.var)]) : "";
    if (l.var == 0 || l.ncuts < 1 || is_special_name(l.name) || is_special_name(varname)) return Exclusion::Special;
    if (contains(c.yvars, l.var)) return Exclusion::Outcome;
    const int first = l.first_attribute();
    for (int a : c.yattrs)
        if (a >= first && a <= l.attoff) return Exclusion::Outcome;
    if (c.byvar != 0 && l.var == c.byvar) return Exclusion::ByGroup;
    const stats::Censoring cens = c.censoring.within(t.natt);
    if (cens.in_force && cens.attribute >= first && cens.attribute <= l.attoff) return Exclusion::Censoring;
    bool all_added = true;
    for (int a = std::max(first, 1); a <= std::min(l.attoff, t.natt); ++a)
        all_added = all_added && t.att[static_cast<std::size_t>(a)].added;
    if (all_added) return Exclusion::Added;
    if (l.banned) return Exclusion::Banned;
    if (l.ignored) return Exclusion::Ignored;
    return Exclusion::None;
}

Exclusion attribute_exclusion(const files::ControlTables& t, int a, const ExclusionContext& c)
{
    if (a < 1 || a > t.natt || static_cast<std::size_t>(a) >= t.att.size()) return Exclusion::Special;
    const files::Attribute& at = t.att[static_cast<std::size_t>(a)];
    if (is_special_name(at.attname)) return Exclusion::Special;
    if (at.added) return Exclusion::Added;
    return line_exclusion(t, at.attline, c);
}

std::vector<int> usable_lines(const files::ControlTables& t, const ExclusionContext& c, bool ranking)
{
    std::vector<int> out;
    for (int k = 1; k <= t.nlines; ++k) {
        const Exclusion e = line_exclusion(t, k, c);
        if (e == Exclusion::None || (ranking && (e == Exclusion::Ignored || e == Exclusion::Banned)))
            out.push_back(k);
    }
    return out;
}

std::vector<int> usable_attributes(const files::ControlTables& t, const ExclusionContext& c)
{
    std::vector<int> out;
    for (int a = 1; a <= t.natt; ++a)
        if (attribute_exclusion(t, a, c) == Exclusion::None) out.push_back(a);
    return out;
}

} // namespace meru::search
