#include "partition/expand.h"

namespace meru::partition {

bool addstore(const TermList& list1, const TermList& list2, int k, DefinitionSet& first, DefinitionSet& second)
{
    if (k < 1 || k > kAddedSlots) return false;
    first[static_cast<size_t>(k)] = list1;
    second[static_cast<size_t>(k)] = list2;
    return true;
}

namespace {

bool is_single(const TermList& d, Literal l) { return d.q() == 1 && d.count() == 1 && d.lits[0] == l; }

} // namespace

TermStatus expand(const TermList& in, const DefinitionSet& set1, const DefinitionSet& set2,
                  const std::vector<int>& slotmap, TermList& out, int sense, const ReduceOptions& opt,
                  SkipTally& tally)
{
    auto lookup = [&](Literal l) -> Definition {
        const int a = attribute_of(l);
        const int s = a < static_cast<int>(slotmap.size()) ? slotmap[static_cast<size_t>(a)] : 0;
        if (s < 1 || s > kAddedSlots) return {};
        const TermList& d = l > 0 ? set1[static_cast<size_t>(s)] : set2[static_cast<size_t>(s)];
        if (is_single(d, l)) return {}; // a definition that is its own literal
        return {&d, l < 0};
    };
    return expand_with(in, lookup, out, sense, opt, tally);
}

TermStatus expand_with(const TermList& in, const DefinitionLookup& lookup, TermList& out, int sense,
                       const ReduceOptions& opt, SkipTally& tally)
{
    TermList w = in;
    std::vector<Literal> term;
    for (int pass = 0;; ++pass) {
        out.clear();
        bool expanded = false;
        for (std::span<const Literal> t : w.terms()) {
            size_t at = t.size();
            Definition d;
            for (size_t k = 0; k < t.size() && at == t.size(); ++k) {
                d = lookup(t[k]);
                if (d.list) at = k;
            }
            if (at == t.size()) {
                if (!out.add_term(t)) return status::kLimit;
                continue;
            }
            expanded = true;
            const TermList& def = *d.list;
            if (out.q() + def.q() > MAXP) return status::kLimit;
            long long added = 0;
            for (int len : def.lp) added += static_cast<long long>(t.size()) - 1 + len;
            if (out.count() + added > MAXLITS) return status::kLimit;
            for (std::span<const Literal> dt : def.terms()) {
                term.assign(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(at));
                term.insert(term.end(), t.begin() + static_cast<std::ptrdiff_t>(at) + 1, t.end());
                for (Literal x : dt) term.push_back(d.reversed ? -x : x);
                out.add_term(term);
            }
        }
        const TermStatus st = reduce(out, sense, opt);
        if (!expanded) return st;
        if (out.is_constant_list()) return status::kOk;
        if (failed(st)) {
            skip_add(tally, kSkipReduceFail);
            return st;
        }
        if (pass + 1 >= kMaxExpandPasses) return status::kPassLimit;
        w = out;
    }
}

} // namespace meru::partition
