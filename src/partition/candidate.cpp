#include "partition/candidate.h"

#include "partition/complement.h"
#include "partition/labels.h"
#include "partition/termops.h"

#include <algorithm>

namespace meru::partition {

void termcodes(std::span<const int> lines, const files::ControlTables& t, std::vector<Literal>& lits)
{
    lits.resize(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const int k = lines[i];
        const bool valid = k >= 1 && static_cast<size_t>(k) < t.line.size();
        const files::AttrLine* line = valid ? &t.line[static_cast<size_t>(k)] : nullptr;
        const int j = !line || line->firstattr ? 1 : line->inuse;
        const int off =
            k > 1 && static_cast<size_t>(k - 1) < t.line.size() ? t.line[static_cast<size_t>(k - 1)].attoff : 0;
        const int a = j + off;
        lits[i] = signbyte_of(a, t) < 0 ? -a : a;
    }
}

bool packcand(int repflag, bool join0, bool join1, const TermList& src, Literal f, TermList& dest, SkipTally& tally)
{
    const bool join = (repflag == 0 && join0) || (repflag == 1 && join1);
    dest.clear();
    if (join) {
        if (src.q() + 1 > MAXP || src.count() + 1 > MAXLITS) {
            skip_add(tally, kSkipExpandFail);
            return false;
        }
        dest.add_term({f});
        dest.lp.insert(dest.lp.end(), src.lp.begin(), src.lp.end());
        dest.lits.insert(dest.lits.end(), src.lits.begin(), src.lits.end());
        return true;
    }
    if (!prefixlit(src, f, dest)) {
        skip_add(tally, kSkipExpandFail);
        dest.clear();
        return false;
    }
    return true;
}

bool sizefit(std::span<const int> list1, std::span<const int> list2)
{
    if (list1.size() > list2.size()) return false;
    std::vector<char> taken(list2.size(), 0);
    for (int want : list1) {
        size_t j = 0;
        while (j < list2.size() && (taken[j] || list2[j] < want)) ++j;
        if (j == list2.size()) return false;
        taken[j] = 1;
    }
    return true;
}

bool ndistinct(std::span<const Literal> lits, int& count)
{
    std::vector<int> a;
    a.reserve(lits.size());
    for (Literal l : lits) a.push_back(attribute_of(l));
    std::sort(a.begin(), a.end());
    const size_t n = static_cast<size_t>(std::unique(a.begin(), a.end()) - a.begin());
    count = static_cast<int>(n);
    return n == lits.size();
}

namespace {

bool holds_added(const TermList& l, const AddedAttributes* added)
{
    if (!added) return false;
    return std::any_of(l.lits.begin(), l.lits.end(), [&](Literal x) { return added->slot_of(attribute_of(x)) > 0; });
}

} // namespace

PairResult mkpair(TermList& cand, TermList& comp, int repflag, Partition& cur, const PairSettings& s,
                  SkipTally& tally, io::LogWriter& log)
{
    PairResult r;
    auto skip = [&](int reason) {
        skip_add(tally, reason);
        r.skip = true;
        return r;
    };
    const bool primitive = s.reduce.primitive;
    ReduceOptions opt = s.reduce;
    opt.label_rules = s.full_reduction && !primitive;
    const int sense = repflag == 0 ? kFlipped : kPlain;

    if (!primitive) {
        r.status = reduce(cand, sense, opt);
        if (failed(r.status)) return skip(kSkipReduceFail);
    }
    if (!(s.tree_partition && !s.rank_request)) {
        r.status = complement(cand, sense, comp, opt, tally, log, s.debug);
        if (failed(r.status)) return skip(kSkipTransFail);
    }
    cur.repflag = repflag;
    if (primitive || !holds_added(cand, s.added)) {
        cur.first = cand;
        cur.second = comp;
    } else {
        const AddedAttributes& ad = *s.added;
        r.status =
            expand(cand, ad.positive_set(sense), ad.negative_set(sense), ad.slotmap, cur.first, sense, opt, tally);
        r.cut_expansions += r.status == status::kPassLimit;
        if (r.status == status::kLimit) return skip(kSkipExpandFail);
        if (repflag != 0 && r.status == status::kNoConvergence) return skip(kSkipReduceFail);
        const int csense = 1 - sense;
        r.status = expand(comp, ad.positive_set(csense), ad.negative_set(csense), ad.slotmap, cur.second, csense, opt,
                          tally);
        r.cut_expansions += r.status == status::kPassLimit;
        if (r.status == status::kLimit) return skip(kSkipExpandFail);
        if (s.iteration > 1 && s.iterative && sizefit(cur.first.lp, s.upto)) return skip(kSkipUpto);
    }
    if (opt.label_rules) {
        r.status = reduce(cur.first, sense, opt);
        if (failed(r.status)) return skip(kSkipReduceFail);
        r.status = reduce(cur.second, 1 - sense, opt);
        if (failed(r.status)) return skip(kSkipReduceFail);
    }
    r.complexity = pair_complexity(cur, s.measure);
    return r;
}

int pair_complexity(const Partition& cur, int measure)
{
    const int q1 = cur.first.q(), q2 = cur.second.q();
    if (q1 == 0 || q2 == 0) return 0;
    if (measure == 1) return q1 + q2 - 1;
    if (measure == 2) return std::min(q1, q2);
    int distinct = 0;
    ndistinct(cur.first.lits, distinct);
    return distinct;
}

} // namespace meru::partition
