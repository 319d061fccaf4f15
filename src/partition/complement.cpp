#include "partition/complement.h"

#include "partition/expand.h"
#include "partition/termops.h"
#include "partition/transpose.h"

#include <algorithm>

namespace meru::partition {

namespace {

// An attribute number above every attribute of the tables and of the lists, so
// that the two working attributes mean nothing to the reduction but themselves.
int working_base(const TermList& a, const TermList& b, const ReduceOptions& opt)
{
    int top = opt.tables ? static_cast<int>(opt.tables->att.size()) : 0;
    for (Literal l : a.lits) top = std::max(top, attribute_of(l));
    for (Literal l : b.lits) top = std::max(top, attribute_of(l));
    return top + 1;
}

} // namespace

TermStatus complement(const TermList& in, int sense, TermList& out, const ReduceOptions& opt, SkipTally& tally,
                      io::LogWriter& log, bool debug)
{
    out.clear();
    if (in.q() == 1 && in.lp[0] == 1 && in.count() == 1) {
        out = in; // a one-literal term is its own dual
        return status::kOk;
    }
    if (in.q() < 1) {
        out.set_constant(1);
        return status::kNoInput;
    }
    if (!in.consistent() || !in.within_limits()) return status::kLimit;
    if (debug && opt.tables) pdump("input", in, *opt.tables, log);

    const int outsense = 1 - sense;
    TermStatus st = status::kOk;
    TermList m, d, clause, product;
    bool first = true;
    for (std::span<const Literal> t : in.terms()) {
        clause.clear();
        clause.add_term(t);
        st = trans(clause, sense, d, opt, tally, log);
        if (failed(st)) return st;
        if (first) {
            m = d;
            first = false;
        } else {
            // M AND D: the one term (w1 w2) with w1 standing for M and w2 for D.
            const int w1 = working_base(m, d, opt), w2 = w1 + 1;
            product.clear();
            product.add_term({w1, w2});
            auto lookup = [&](Literal l) -> Definition {
                if (l == w1) return {&m, false};
                if (l == w2) return {&d, false};
                return {};
            };
            TermList next;
            st = expand_with(product, lookup, next, outsense, opt, tally);
            if (failed(st)) return st;
            m = std::move(next);
        }
        // The empty set of the result's form absorbs every further factor.
        if (m.is_constant_list() && m.lits[0] == empty_constant(outsense)) break;
    }
    out = std::move(m);
    return st;
}

} // namespace meru::partition
