#include "search/primattrs.h"

#include <algorithm>
#include <cstdlib>

namespace meru::search {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

void append(std::vector<int>& out, int line)
{
    if (line >= 1 && std::find(out.begin(), out.end(), line) == out.end()) out.push_back(line);
}

int line_of(const files::ControlTables& t, int attribute)
{
    const int a = std::abs(attribute);
    return a >= 1 && a <= t.natt ? t.att[at(a)].attline : 0;
}

} // namespace

PrimattrsResult primattrs(const PrimattrsInput& in)
{
    PrimattrsResult r;
    const files::ControlTables& t = *in.tables;
    std::vector<int> visit(in.lines.begin(), in.lines.end());
    if (in.forcein && in.forcedattr != 0) visit.push_back(line_of(t, in.forcedattr));
    // The joined attributes' lines come last and count for no note.
    const std::size_t counted = visit.size();
    for (int a : in.joined) visit.push_back(line_of(t, a));
    for (std::size_t i = 0; i < visit.size(); ++i) {
        const int k = visit[i];
        if (k < 1 || k > t.nlines) continue;
        const files::AttrLine& line = t.line[at(k)];
        const int a = line.first_attribute();
        const bool added = a >= 1 && a <= t.natt && t.att[at(a)].added;
        const int slot = in.added ? in.added->slot_of(a) : 0;
        if (!added || in.primattr || slot <= 0) {
            append(r.lines, k);
            continue;
        }
        for (int lit : in.added->aminus_set[at(slot)].lits) append(r.lines, line_of(t, lit));
        if (i < counted) ++r.replaced;
    }
    r.note = r.replaced >= 2 && !in.rank && in.first_iteration && !in.treegrow;
    return r;
}

} // namespace meru::search
