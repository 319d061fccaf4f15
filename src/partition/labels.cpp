#include "partition/labels.h"

#include "files/textutil.h"
#include "platform/io/edit.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <limits>
#include <string>

namespace meru::partition {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The set of values for which a literal holds.
//   interval: the union of at most two pieces (l, h] of the extended real line;
//   nominal: a set of code characters.
struct Meaning {
    enum Kind { Opaque, Interval, Nominal } kind = Opaque;
    int npieces = 0;
    double l[2] = {0, 0};
    double h[2] = {0, 0};
    std::bitset<256> codes;
    std::string_view universe;

    bool contains(double x) const
    {
        for (int p = 0; p < npieces; ++p)
            if (l[p] < x && x <= h[p]) return true;
        return false;
    }
};

bool blank_text(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' '; });
}

bool valid_attribute(int a, const files::ControlTables& t)
{
    if (a < 2 || static_cast<size_t>(a) >= t.att.size()) return false;
    int k = t.att[static_cast<size_t>(a)].attline;
    return k >= 1 && static_cast<size_t>(k) < t.line.size();
}

Meaning decode(Literal lit, const files::ControlTables& t)
{
    Meaning m;
    int a = attribute_of(lit);
    if (!valid_attribute(a, t)) return m;
    const files::Attribute& at = t.att[static_cast<size_t>(a)];
    const files::AttrLine& ln = t.line[static_cast<size_t>(at.attline)];
    int col = litval(lit, 1, at.signbyte) - 1;
    std::string_view label = at.savedlab[static_cast<size_t>(col)];
    if (blank_text(label)) label = at.attlab[static_cast<size_t>(col)];
    if (label.size() < 2) return m;

    if (ln.type == 'i' || ln.type == 'o') {
        double c1 = at.cut1, c2 = at.cut2;
        if (std::isnan(c1) || std::isnan(c2)) return m;
        double lo = std::min(c1, c2), hi = std::max(c1, c2);
        std::string_view p = label.substr(0, 2);
        bool inside; // a range form: (lo, hi] when inside, else outside it
        if (p == "<=") {
            m.npieces = 1, m.l[0] = -kInf, m.h[0] = lo;
        } else if (p == ">$") {
            m.npieces = 1, m.l[0] = lo, m.h[0] = kInf;
        } else if (p == "(]" || p == "=$" || p == "](" || p == "^=") {
            inside = (p == "(]" || p == "=$");
            if (c2 < c1) inside = !inside;
            if (inside) {
                m.npieces = 1, m.l[0] = lo, m.h[0] = hi;
            } else {
                m.npieces = 2, m.l[0] = -kInf, m.h[0] = lo, m.l[1] = hi, m.h[1] = kInf;
            }
        } else {
            return m;
        }
        m.kind = Meaning::Interval;
        return m;
    }
    if (ln.type == 'n') {
        bool negated;
        if (label[0] == '=') negated = false;
        else if (label[0] == '^') negated = true;
        else return m;
        size_t pos = 1;
        if (pos < label.size() && (label[pos] == '$' || label[pos] == '=')) ++pos;
        while (pos < label.size() && label[pos] == ' ') ++pos;
        std::bitset<256> s;
        for (; pos < label.size() && pos < static_cast<size_t>(files::kLabelLen) && label[pos] != ' '; ++pos) {
            if (label[pos] == '$') continue;
            s.set(static_cast<unsigned char>(label[pos]));
        }
        if (s.none()) return m;
        m.codes = negated ? ~s : s;
        m.universe = ln.universe;
        if (blank_text(m.universe)) m.universe = files::kAllStates;
        m.kind = Meaning::Nominal;
        return m;
    }
    return m;
}

// Representative values of every piece of the real line cut at the endpoints of
// both sets: each set holds all or none of each piece.
int representatives(const Meaning& a, const Meaning& b, double* out)
{
    double ends[8];
    int n = 0;
    for (const Meaning* m : {&a, &b})
        for (int p = 0; p < m->npieces; ++p) {
            if (std::isfinite(m->l[p])) ends[n++] = m->l[p];
            if (std::isfinite(m->h[p])) ends[n++] = m->h[p];
        }
    // At most 8 ends: an insertion sort that keeps distinct values only.
    int m = 0;
    for (int i = 0; i < n; ++i) {
        double v = ends[i];
        int k = 0;
        while (k < m && out[k] < v) ++k;
        if (k < m && out[k] == v) continue;
        for (int s = m; s > k; --s) out[s] = out[s - 1];
        out[k] = v;
        ++m;
    }
    out[m] = kInf; // out[i] is the right end of (out[i-1], out[i]]; kInf stands for the piece above
    return m + 1;
}

std::bitset<256> universe_bits(const Meaning& a, const Meaning& b)
{
    std::bitset<256> u;
    for (std::string_view s : {a.universe, b.universe})
        for (char c : s)
            if (c != ' ') u.set(static_cast<unsigned char>(c));
    return u;
}

enum class Rel { Covers, Disjoint, Identical, Complement, Whole };

// Decides one relation between two decoded meanings of the same kind.
bool holds(Rel r, const Meaning& a, const Meaning& b)
{
    if (a.kind == Meaning::Interval) {
        double reps[9];
        int n = representatives(a, b, reps);
        for (int i = 0; i < n; ++i) {
            bool x = a.contains(reps[i]), y = b.contains(reps[i]);
            bool ok = true;
            switch (r) {
            case Rel::Covers: ok = !y || x; break;
            case Rel::Disjoint: ok = !(x && y); break;
            case Rel::Identical: ok = x == y; break;
            case Rel::Complement: ok = x != y; break;
            case Rel::Whole: ok = x || y; break;
            }
            if (!ok) return false;
        }
        return true;
    }
    switch (r) {
    case Rel::Covers: return (b.codes & ~a.codes).none();
    case Rel::Disjoint: return (a.codes & b.codes).none();
    case Rel::Identical: return a.codes == b.codes;
    case Rel::Complement: return (a.codes & b.codes).none() && (universe_bits(a, b) & ~(a.codes | b.codes)).none();
    case Rel::Whole: return (universe_bits(a, b) & ~(a.codes | b.codes)).none();
    }
    return false;
}

bool comparable(const Meaning& a, const Meaning& b) { return a.kind != Meaning::Opaque && a.kind == b.kind; }

} // namespace

int litval(Literal lit, int v, signed char signbyte)
{
    if (lit < 0) return signbyte == 1 ? 2 - v : v + 1;
    if (lit <= 1) return v + 1;
    return signbyte == -1 ? 2 - v : v + 1;
}

signed char signbyte_of(int attribute, const files::ControlTables& t)
{
    if (attribute < 1 || static_cast<size_t>(attribute) >= t.att.size()) return 1;
    return t.att[static_cast<size_t>(attribute)].signbyte;
}

int litval(Literal lit, int v, const files::ControlTables& t)
{
    return litval(lit, v, signbyte_of(attribute_of(lit), t));
}

std::string literal_text(Literal lit, int v, const files::ControlTables& t)
{
    const int a = attribute_of(lit);
    if (a < 1 || static_cast<size_t>(a) >= t.att.size()) return {};
    const files::Attribute& att = t.att[static_cast<size_t>(a)];
    const int col = litval(lit, v, att.signbyte);
    return io::fmt_a(att.attname, files::kNameLen) + io::fmt_a(att.attlab[static_cast<size_t>(col - 1)], 20);
}

std::string term_text(std::span<const Literal> term, int v, const files::ControlTables& t)
{
    std::string text;
    for (Literal lit : term) {
        if (!text.empty()) text += " & ";
        text += files::rtrim(files::squeeze(literal_text(lit, v, t)));
    }
    return text;
}

std::string list_text(const TermList& list, int v, const files::ControlTables& t)
{
    std::string text;
    if (!list.consistent()) return text;
    for (std::span<const Literal> term : list.terms()) {
        if (!text.empty()) text += " or ";
        const bool bracket = list.q() > 1 && term.size() > 1;
        text += (bracket ? "(" : "") + term_text(term, v, t) + (bracket ? ")" : "");
    }
    return text;
}

bool subterm(std::span<const Literal> a, std::span<const Literal> b)
{
    if (a.empty() || b.empty()) return false;
    for (Literal x : a)
        if (std::find(b.begin(), b.end(), x) == b.end()) return false;
    return true;
}

int line_of(int attribute, const files::ControlTables& t)
{
    if (attribute < 1 || static_cast<size_t>(attribute) >= t.att.size()) return 0;
    return t.att[static_cast<size_t>(attribute)].attline;
}

char kind_of(int attribute, const files::ControlTables& t)
{
    int k = line_of(attribute, t);
    if (k < 1 || static_cast<size_t>(k) >= t.line.size()) return 0;
    char c = t.line[static_cast<size_t>(k)].type;
    return c == 'o' ? 'i' : c;
}

int variable_of(int attribute, const files::ControlTables& t)
{
    int k = line_of(attribute, t);
    if (k < 1 || static_cast<size_t>(k) >= t.line.size()) return 0;
    return t.line[static_cast<size_t>(k)].var;
}

LiteralRelation covers(Literal a, Literal b, const files::ControlTables& t)
{
    LiteralRelation r;
    if (a == b) {
        r.covers = r.identical = true;
        return r;
    }
    if (a == -b) {
        r.disjoint = true;
        return r;
    }
    Meaning ma = decode(a, t), mb = decode(b, t);
    if (!comparable(ma, mb)) return r;
    r.identical = holds(Rel::Identical, ma, mb);
    r.covers = r.identical || holds(Rel::Covers, ma, mb);
    r.disjoint = !r.identical && holds(Rel::Disjoint, ma, mb);
    return r;
}

bool complements(Literal x, Literal y, const files::ControlTables& t)
{
    if (x == -y) return true;
    if (x == y) return false;
    Meaning mx = decode(x, t), my = decode(y, t);
    return comparable(mx, my) && holds(Rel::Complement, mx, my);
}

bool cover_whole(Literal x, Literal y, const files::ControlTables& t)
{
    if (x == -y) return true;
    if (x == y) return false;
    Meaning mx = decode(x, t), my = decode(y, t);
    return comparable(mx, my) && holds(Rel::Whole, mx, my);
}

RelationCache::Entry& RelationCache::entry(Literal a, Literal b)
{
    ++lookups_;
    const std::uint64_t key =
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) | static_cast<std::uint32_t>(b);
    return pairs_[key];
}

LiteralRelation RelationCache::covers(Literal a, Literal b, const files::ControlTables& t)
{
    Entry& e = entry(a, b);
    if (!e.have_rel) {
        e.rel = partition::covers(a, b, t);
        e.have_rel = 1;
    }
    return e.rel;
}

bool RelationCache::complements(Literal x, Literal y, const files::ControlTables& t)
{
    Entry& e = entry(x, y);
    if (e.comp < 0) e.comp = partition::complements(x, y, t) ? 1 : 0;
    return e.comp == 1;
}

bool RelationCache::cover_whole(Literal x, Literal y, const files::ControlTables& t)
{
    Entry& e = entry(x, y);
    if (e.whole < 0) e.whole = partition::cover_whole(x, y, t) ? 1 : 0;
    return e.whole == 1;
}

long long RelationCache::variable_key(int attribute, const files::ControlTables& t)
{
    const int v = variable_of(attribute, t);
    return v != 0 ? v : -static_cast<long long>(attribute) - 1;
}

} // namespace meru::partition
