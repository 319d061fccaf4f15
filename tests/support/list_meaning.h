#pragma once
// What a term list means, observation by observation, given a rule that says
// whether a literal holds for an observation: a plain list is the sum of its
// terms; a flipped list stands for A-, the sum of its terms with every literal
// negated. Tests compare meanings instead of texts, so that any equivalent
// rewriting of a list passes and any change of meaning fails.
#include "partition/termlist.h"

#include <cstdint>
#include <span>
#include <vector>

namespace meru::test {

// Whether observation o lies in the set the list stands for.
// holds(literal, observation index) -> bool
template <class Holds> bool list_holds(const partition::TermList& l, int sense, int o, Holds holds)
{
    const int sign = sense == partition::kPlain ? 1 : -1;
    for (std::span<const partition::Literal> t : l.terms()) {
        bool all = true;
        for (partition::Literal x : t) all = all && holds(sign * x, o);
        if (all) return true;
    }
    return false;
}

template <class Holds> std::vector<bool> list_meaning(const partition::TermList& l, int sense, int nobs, Holds holds)
{
    std::vector<bool> r(static_cast<size_t>(nobs));
    for (int o = 0; o < nobs; ++o) r[static_cast<size_t>(o)] = list_holds(l, sense, o, holds);
    return r;
}

// The product of the list's terms read as clauses, literals negated when `sign` is -1.
template <class Holds>
std::vector<bool> product_meaning(const partition::TermList& l, int sign, int nobs, Holds holds)
{
    std::vector<bool> r(static_cast<size_t>(nobs));
    for (int o = 0; o < nobs; ++o) {
        bool all = true;
        for (std::span<const partition::Literal> t : l.terms()) {
            bool any = false;
            for (partition::Literal x : t) any = any || holds(sign * x, o);
            all = all && any;
        }
        r[static_cast<size_t>(o)] = all;
    }
    return r;
}

inline std::vector<bool> negation(std::vector<bool> v)
{
    v.flip();
    return v;
}

// Every observation pattern of `k` independent attributes 2..k+1: observation o
// has attribute a when bit a - 2 of o is set. Attribute 1 is the null attribute
// (never true). Literals of other attributes go to `other`.
struct Patterns {
    int k = 0;
    int count() const { return 1 << k; }
    static bool primary(int a, int o) { return ((o >> (a - 2)) & 1) != 0; }
    bool is_primary(int a) const { return a >= 2 && a < 2 + k; }
};

} // namespace meru::test
