#include "partition/reduce.h"

#include "core/services.h"
#include "partition/labels.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace meru::partition {

namespace {

using Term = std::vector<Literal>;
using Terms = std::vector<Term>;

// Outcome of one cycle.
enum class Step { None, Changed, Whole, Empty, Stop };

class Reducer {
public:
    Reducer(Terms& terms, const ReduceOptions& opt) : T(terms), opt_(opt), cache_(opt.cache ? opt.cache : &own_) {}

    Step cycle()
    {
        if (Step s = rule_constants(); s != Step::None) return s;
        if (Step s = rule_equal_length(); s != Step::None) return s;
        return rule_terms();
    }

private:
    Terms& T;
    const ReduceOptions& opt_;
    RelationCache own_;
    RelationCache* cache_;
    std::vector<std::uint64_t> litsig_, varsig_;
    std::vector<long long> keys_; // variable key per literal, term by term
    std::vector<size_t> keyoff_;  // start of each term's keys

    bool labels() const { return opt_.label_rules && opt_.tables != nullptr; }
    const files::ControlTables& tab() const { return *opt_.tables; }

    long long variable_key(Literal x) { return cache_->variable_key(attribute_of(x), tab()); }
    LiteralRelation covers(Literal a, Literal b) { return cache_->covers(a, b, tab()); }
    bool complements(Literal x, Literal y) { return cache_->complements(x, y, tab()); }
    bool cover_whole(Literal x, Literal y) { return cache_->cover_whole(x, y, tab()); }

    Step drop_term(size_t i)
    {
        T.erase(T.begin() + static_cast<std::ptrdiff_t>(i));
        return T.empty() ? Step::Empty : Step::Changed;
    }
    Step drop_literal(size_t i, size_t k)
    {
        T[i].erase(T[i].begin() + static_cast<std::ptrdiff_t>(k));
        return Step::Changed;
    }

    // Rule A: the constants +1 (empty set) and -1 (whole set).
    Step rule_constants()
    {
        for (size_t i = 0; i < T.size(); ++i)
            for (size_t k = 0; k < T[i].size(); ++k) {
                if (T[i][k] == 1) return drop_term(i);
                if (T[i][k] == -1) {
                    if (T[i].size() == 1) return Step::Whole;
                    return drop_literal(i, k);
                }
            }
        return Step::None;
    }

    // Rule B: duplicates and x.R + x'.R = R among terms of equal length >= 2.
    Step rule_equal_length()
    {
        std::vector<char> dropped(T.size(), 0);
        std::vector<char> used;
        bool any = false;
        for (size_t i = 0; i < T.size(); ++i) {
            if (dropped[i]) continue;
            for (size_t j = i + 1; j < T.size(); ++j) {
                if (dropped[j] || T[i].size() != T[j].size() || T[i].size() < 2) continue;
                used.assign(T[j].size(), 0);
                int ncomp = 0;
                size_t comp_at = 0;
                bool all = true;
                for (size_t p = 0; p < T[i].size() && all; ++p) {
                    Literal x = T[i][p];
                    size_t m = 0;
                    while (m < T[j].size() && (used[m] || (T[j][m] != x && T[j][m] != -x))) ++m;
                    if (m == T[j].size()) {
                        all = false;
                        break;
                    }
                    used[m] = 1;
                    if (T[j][m] != x) {
                        ++ncomp;
                        comp_at = p;
                    }
                }
                if (!all) continue;
                if (ncomp == 0) {
                    dropped[j] = 1;
                    any = true;
                } else if (ncomp == 1) {
                    T[i].erase(T[i].begin() + static_cast<std::ptrdiff_t>(comp_at));
                    T.erase(T.begin() + static_cast<std::ptrdiff_t>(j));
                    remove_dropped(dropped, j);
                    return Step::Changed;
                }
            }
        }
        if (!any) return Step::None;
        remove_dropped(dropped, T.size());
        return Step::Changed;
    }

    // Removes the marked terms; `skip` is a position already erased from T (or T.size()).
    void remove_dropped(std::vector<char>& dropped, size_t skip)
    {
        if (skip < dropped.size()) dropped.erase(dropped.begin() + static_cast<std::ptrdiff_t>(skip));
        Terms kept;
        kept.reserve(T.size());
        for (size_t i = 0; i < T.size(); ++i)
            if (!dropped[i]) kept.push_back(std::move(T[i]));
        T = std::move(kept);
    }

    // One bit per literal (or per variable) of a term, so that pairs of terms that
    // cannot interact are passed over without comparing their literals.
    static std::uint64_t bit(long long key)
    {
        return std::uint64_t{1} << ((static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ULL) >> 58);
    }
    void signatures()
    {
        litsig_.assign(T.size(), 0);
        varsig_.assign(T.size(), 0);
        keyoff_.assign(T.size() + 1, 0);
        keys_.clear();
        for (size_t i = 0; i < T.size(); ++i) {
            keyoff_[i] = keys_.size();
            for (Literal x : T[i]) {
                litsig_[i] |= bit(x);
                if (!labels()) continue;
                keys_.push_back(variable_key(x));
                varsig_[i] |= bit(keys_.back());
            }
        }
        keyoff_[T.size()] = keys_.size();
    }
    // Variable key of literal k of term i (as the terms stood at the start of rule D).
    long long key(size_t i, size_t k) const { return keys_[keyoff_[i] + k]; }
    // False when nothing across terms i and j can apply: without the label rules only
    // absorption (every literal of i in j); with them, only literals of a shared variable relate.
    bool may_interact(size_t i, size_t j) const
    {
        if (labels()) return (varsig_[i] & varsig_[j]) != 0;
        return (litsig_[i] & ~litsig_[j]) == 0;
    }

    // Rule D, term by term.
    Step rule_terms()
    {
        signatures();
        for (size_t i = 0; i < T.size(); ++i) {
            // The substitution ab + b'C = ab + aC needs a two-literal term (a b) of one
            // variable whose literals together cover every value.
            bool subst = false;
            if (labels() && T[i].size() == 2 && key(i, 0) == key(i, 1)) {
                LiteralRelation r = covers(T[i][0], T[i][1]);
                subst = !r.identical && !r.disjoint && !r.covers && cover_whole(T[i][0], T[i][1]);
            }
            for (size_t j = 0; j < T.size(); ++j) {
                if (j == i) {
                    Step s = within_term(i);
                    if (s == Step::Stop) return Step::None;
                    if (s != Step::None) return s;
                    continue;
                }
                if (opt_.primitive) continue;
                if (!T[j].empty() && !may_interact(i, j)) continue;
                if (Step s = across_terms(i, j, subst); s != Step::None) return s;
            }
        }
        return Step::None;
    }

    // Within term i. Stop: "Attributes are primitive" ends rule D for this cycle.
    Step within_term(size_t i)
    {
        Term& t = T[i];
        for (size_t k = 0; k < t.size(); ++k)
            for (size_t m = k + 1; m < t.size(); ++m) {
                if (t[k] == t[m]) return drop_literal(i, m);
                if (opt_.primitive) return Step::Stop;
                if (t[k] == -t[m]) return drop_term(i);
                if (labels() && key(i, k) == key(i, m)) {
                    LiteralRelation r = covers(t[k], t[m]);
                    if (r.disjoint) return drop_term(i);
                    if (r.covers) return drop_literal(i, k);
                    if (!r.identical && covers(t[m], t[k]).covers) return drop_literal(i, m);
                }
            }
        return Step::None;
    }

    // Literals of term `t` other than the one at position `skip`.
    static Term others(const Term& t, size_t skip)
    {
        Term o;
        for (size_t k = 0; k < t.size(); ++k)
            if (k != skip) o.push_back(t[k]);
        return o;
    }
    static bool has(const Term& t, Literal l) { return std::find(t.begin(), t.end(), l) != t.end(); }
    static bool contains_all(const Term& t, const Term& lits)
    {
        return std::all_of(lits.begin(), lits.end(), [&](Literal l) { return has(t, l); });
    }
    static bool same_set(const Term& a, const Term& b) { return contains_all(a, b) && contains_all(b, a); }

    // The identities for x (at p in term i) and its complement y (at m in term j).
    Step complement_identities(size_t i, size_t p, size_t j, size_t m)
    {
        const size_t li = T[i].size(), lj = T[j].size();
        if (li == 1 && lj == 1) return Step::Whole; // x + x'
        if (li == 1) return drop_literal(j, m);     // x + x'B = x + B
        if (lj == 1) return drop_literal(i, p);     // x'A + x = A + x
        Term ri = others(T[i], p), rj = others(T[j], m);
        if (li == lj && same_set(ri, rj)) { // xR + x'R = R
            T[j].erase(T[j].begin() + static_cast<std::ptrdiff_t>(m));
            return drop_term(i);
        }
        if (T.size() > 2) // consensus
            for (size_t k = 0; k < T.size(); ++k) {
                if (k == i || k == j || T[k].empty()) continue;
                if (contains_all(T[k], ri) && contains_all(T[k], rj)) return drop_term(k);
            }
        if (li == 2 && lj == 2 && ri[0] != -rj[0]) { // xa + x'b + ab'C
            // (a and b' must be two literals: with a = b' the term would lose a as well.)
            Literal a = ri[0], b = rj[0];
            for (size_t k = 0; k < T.size(); ++k) {
                if (k == i || k == j || T[k].size() < 3 || !has(T[k], a)) continue;
                auto it = std::find(T[k].begin(), T[k].end(), -b);
                if (it != T[k].end()) {
                    T[k].erase(it);
                    return Step::Changed;
                }
            }
        }
        return Step::None;
    }

    Step across_terms(size_t i, size_t j, bool subst)
    {
        bool all_found = true;
        for (size_t p = 0; p < T[i].size(); ++p) {
            const Literal x = T[i][p];
            bool found = false;
            for (size_t m = 0; m < T[j].size(); ++m) {
                const Literal y = T[j][m];
                if (y == x) {
                    found = true;
                    break;
                }
                if (labels() && key(i, p) == key(j, m)) {
                    if (covers(x, y).covers) {
                        found = true;
                        break;
                    }
                    if (complements(x, y))
                        if (Step s = complement_identities(i, p, j, m); s != Step::None) return s;
                    const size_t li = T[i].size(), lj = T[j].size();
                    if ((li == 1 || lj == 1) && cover_whole(x, y)) {
                        if (li == 1 && lj == 1) return Step::Whole; // x + y covers everything
                        if (lj == 1) return drop_literal(i, p);     // y + xA = y + A
                        return drop_literal(j, m);                  // x + yB = x + B
                    }
                }
                if (subst && T[j].size() >= 2) {
                    const Literal a = T[i][0], b = T[i][1];
                    if (y == -b) {
                        T[j][m] = a;
                        return Step::Changed;
                    }
                    if (y == -a) {
                        T[j][m] = b;
                        return Step::Changed;
                    }
                }
            }
            if (!found) all_found = false;
        }
        if (all_found) return drop_term(j); // term j implies term i
        return Step::None;
    }
};

void write_back(TermList& list, const Terms& T, int sign)
{
    list.clear();
    for (const Term& t : T) {
        list.lp.push_back(static_cast<int>(t.size()));
        for (Literal l : t) list.lits.push_back(sign * l);
    }
}

TermStatus set_constant(TermList& list, Literal c)
{
    list.set_constant(c);
    return constant_status(c);
}

} // namespace

TermStatus reduce(TermList& list, int sense, const ReduceOptions& opt)
{
    if (list.q() > MAXP || !list.consistent()) return status::kLimit;
    if (list.q() == 1 && list.lp[0] == 1) return status::kUnchanged;

    // Work on the literals whose sum of terms the list stands for: the list itself
    // when plain, its negated literals when flipped.
    const int sign = sense == kPlain ? 1 : -1;
    Terms T;
    T.reserve(list.lp.size());
    for (std::span<const Literal> t : list.terms()) {
        if (t.empty()) return set_constant(list, whole_constant(sense)); // empty AND: everything
        Term w(t.begin(), t.end());
        for (Literal& l : w) l *= sign;
        T.push_back(std::move(w));
    }
    if (T.empty()) return set_constant(list, empty_constant(sense));

    Reducer r(T, opt);
    for (int cycle = 1;; ++cycle) {
        if (cycle > kMaxReduceCycles) {
            if (opt.services) opt.services->thinking(kReduceProblem, true);
            write_back(list, T, sign);
            return status::kNoConvergence;
        }
        Step s = r.cycle();
        if (s == Step::Whole) return set_constant(list, whole_constant(sense));
        if (s == Step::Empty) return set_constant(list, empty_constant(sense));
        if (s == Step::None) {
            write_back(list, T, sign);
            return cycle == 1 ? status::kUnchanged : status::kOk;
        }
    }
}

} // namespace meru::partition
