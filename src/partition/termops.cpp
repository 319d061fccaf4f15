#include "partition/termops.h"

#include "partition/labels.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <string>
#include <vector>

namespace meru::partition {

bool pequal(int flag1, const TermList& a, int flag2, const TermList& b)
{
    if (flag1 != flag2 || a.q() != b.q()) return false;
    if (a.q() < 1) return true;
    const std::vector<int> offb = b.offsets();
    std::vector<char> matched(static_cast<size_t>(b.q()), 0);
    std::vector<char> used;
    for (std::span<const Literal> ti : a.terms()) {
        bool found = false;
        for (int j = 0; j < b.q() && !found; ++j) {
            const size_t uj = static_cast<size_t>(j);
            if (matched[uj] || b.lp[uj] != static_cast<int>(ti.size())) continue;
            std::span<const Literal> tj(b.lits.data() + offb[uj], static_cast<size_t>(b.lp[uj]));
            used.assign(tj.size(), 0);
            bool all = true;
            for (Literal x : ti) {
                size_t m = 0;
                while (m < tj.size() && (used[m] || tj[m] != x)) ++m;
                if (m == tj.size()) {
                    all = false;
                    break;
                }
                used[m] = 1;
            }
            if (all) matched[uj] = 1, found = true;
        }
        if (!found) return false;
    }
    return true;
}

void pcopy(const TermList& from, TermList& to) { to = from; }

int nlits(const TermList& list)
{
    int s = 0;
    for (int n : list.lp) s += n;
    return s;
}

bool samesign(std::span<const Literal> lits, const files::ControlTables& t)
{
    if (lits.size() < 2) return true;
    auto effective = [&](Literal l) { return static_cast<long long>(l) * signbyte_of(attribute_of(l), t); };
    const bool positive = effective(lits[0]) >= 0;
    for (size_t k = 1; k < lits.size(); ++k) {
        long long e = effective(lits[k]);
        if (e != 0 && (e > 0) != positive) return false;
    }
    return true;
}

bool prefixlit(const TermList& in, Literal v, TermList& out)
{
    if (in.count() + in.q() > MAXLITS) return false;
    TermList r;
    r.lp.reserve(in.lp.size());
    r.lits.reserve(static_cast<size_t>(in.count() + in.q()));
    for (std::span<const Literal> t : in.terms()) {
        r.lp.push_back(static_cast<int>(t.size()) + 1);
        r.lits.push_back(v);
        r.lits.insert(r.lits.end(), t.begin(), t.end());
    }
    out = std::move(r);
    return true;
}

void pdump(std::string_view label, const TermList& list, const files::ControlTables& t, io::LogWriter& log)
{
    log.write(label);
    if (list.q() < 1) {
        log.write("q=0");
        return;
    }
    for (std::span<const Literal> term : list.terms()) {
        std::string line = "(";
        for (Literal l : term) line += io::fmt_i(l, 4) + io::fmt_i(signbyte_of(attribute_of(l), t), 2) + ",";
        log.write(line);
    }
}

} // namespace meru::partition
