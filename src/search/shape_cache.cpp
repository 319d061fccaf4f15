#include "search/shape_cache.h"

#include "partition/labels.h"

#include <algorithm>
#include <cstdlib>

namespace meru::search {

using partition::Literal;
using partition::TermList;

ShapeCache::ShapeCache(const partition::PairSettings& settings, const files::ControlTables* tables)
    : settings_(settings), tables_(tables)
{
    // Under the trace switch mkpair writes its steps: every candidate must run it.
    enabled_ = !settings.debug && !settings.reduce.trace && !(settings.tree_partition && !settings.rank_request);
}

bool ShapeCache::plain(const TermList& cand) const
{
    const bool primitive = settings_.reduce.primitive;
    const bool label_rules = settings_.full_reduction && !primitive;
    if (cand.count() > 120) return false; // places must fit the key's bytes
    for (Literal l : cand.lits) {
        const int a = partition::attribute_of(l);
        if (a <= 1) return false;
        if (!primitive && settings_.added && settings_.added->slot_of(a) > 0) return false;
        if (label_rules && !tables_) return false;
    }
    if (label_rules) {
        // Two attributes of one variable may meet the label rules.
        attrs_.clear();
        for (Literal l : cand.lits) attrs_.push_back(partition::attribute_of(l));
        std::sort(attrs_.begin(), attrs_.end());
        attrs_.erase(std::unique(attrs_.begin(), attrs_.end()), attrs_.end());
        return distinct_variables();
    }
    return true;
}

bool ShapeCache::distinct_variables() const
{
    vars_.clear();
    for (int a : attrs_) vars_.push_back(partition::RelationCache::variable_key(a, *tables_));
    std::sort(vars_.begin(), vars_.end());
    return std::adjacent_find(vars_.begin(), vars_.end()) == vars_.end();
}

bool ShapeCache::shaped(const TermList& cand) const
{
    if (plain(cand)) return true;
    const partition::AddedAttributes* added = settings_.added;
    if (settings_.reduce.primitive || !added || cand.count() > 120) return false;
    const bool label_rules = settings_.full_reduction;
    if (label_rules && !tables_) return false;
    for (Literal l : cand.lits)
        if (partition::attribute_of(l) <= 1) return false;
    if (!close_over_definitions(cand) || distinct_.size() > 120) return false;
    attrs_ = distinct_;
    std::sort(attrs_.begin(), attrs_.end());
    return !label_rules || distinct_variables();
}

int ShapeCache::index_of(int attribute) const
{
    const auto at = std::find(distinct_.begin(), distinct_.end(), attribute);
    return at == distinct_.end() ? -1 : static_cast<int>(at - distinct_.begin());
}

bool ShapeCache::close_over_definitions(const TermList& cand) const
{
    distinct_.clear();
    for (Literal l : cand.lits)
        if (index_of(partition::attribute_of(l)) < 0) distinct_.push_back(partition::attribute_of(l));
    const partition::AddedAttributes* added = settings_.reduce.primitive ? nullptr : settings_.added;
    if (!added) return true;
    bool constant = false;
    for (std::size_t i = 0; i < distinct_.size(); ++i) { // grows as definitions add attributes
        const int slot = added->slot_of(distinct_[i]);
        if (slot <= 0) continue;
        for (const TermList* d :
             {&added->a_set[static_cast<std::size_t>(slot)], &added->aminus_set[static_cast<std::size_t>(slot)]})
            for (Literal l : d->lits) {
                const int a = partition::attribute_of(l);
                constant = constant || a <= 1;
                if (index_of(a) < 0) distinct_.push_back(a);
            }
    }
    return !constant;
}

void ShapeCache::key_list(const TermList& l)
{
    key_.push_back(static_cast<char>(l.q()));
    for (int n : l.lp) key_.push_back(static_cast<char>(n));
    for (Literal x : l.lits)
        key_.push_back(static_cast<char>(2 * index_of(partition::attribute_of(x)) + (x < 0 ? 1 : 0)));
}

void ShapeCache::key_of(const TermList& cand, int repflag)
{
    // The attributes in the order they first appear (with those of the
    // definitions of added attributes after them), each literal keyed by
    // its attribute's place there and its sign.
    close_over_definitions(cand);
    key_.clear();
    key_.push_back(static_cast<char>(repflag));
    key_list(cand);
    const partition::AddedAttributes* added = settings_.reduce.primitive ? nullptr : settings_.added;
    if (!added) return;
    for (std::size_t r = 0; r < distinct_.size(); ++r) { // each added attribute's place and definitions
        const int slot = added->slot_of(distinct_[r]);
        if (slot <= 0) continue;
        key_.push_back(static_cast<char>(r));
        key_list(added->a_set[static_cast<std::size_t>(slot)]);
        key_list(added->aminus_set[static_cast<std::size_t>(slot)]);
    }
}

bool ShapeCache::encode(const TermList& in, TermList& out) const
{
    out.lp = in.lp;
    out.lits.resize(in.lits.size());
    for (std::size_t i = 0; i < in.lits.size(); ++i) {
        const Literal l = in.lits[i];
        const int a = partition::attribute_of(l);
        int code = 1;
        if (a != 1) {
            const int at = index_of(a);
            if (at < 0) return false; // an attribute the candidate does not hold
            code = at + 2;
        }
        out.lits[i] = l < 0 ? -code : code;
    }
    return true;
}

void ShapeCache::decode(const TermList& in, TermList& out) const
{
    out.lp.assign(in.lp.begin(), in.lp.end());
    out.lits.resize(in.lits.size());
    for (std::size_t i = 0; i < in.lits.size(); ++i) {
        const int code = in.lits[i];
        const int m = std::abs(code);
        const int a = m == 1 ? 1 : distinct_[static_cast<std::size_t>(m - 2)];
        out.lits[i] = code < 0 ? -a : a;
    }
}

int ShapeCache::simple_complexity(const TermList& cand, int repflag)
{
    if (!enabled_ || !plain(cand)) return kNotSimple;
    key_of(cand, repflag);
    if (!last_ || last_->first != key_) {
        const auto it = map_.find(key_);
        if (it == map_.end()) return kUnknown;
        last_ = &*it;
    }
    const Outcome& o = last_->second;
    const bool counts = std::any_of(o.tally.begin(), o.tally.end(), [](long long c) { return c != 0; });
    if (!o.cacheable || o.result.skip || !o.cand_kept || !o.first_is_cand || counts) return kNotSimple;
    ++hits_;
    return o.result.complexity;
}

partition::PairResult ShapeCache::make(TermList& cand, TermList& comp, int repflag, partition::Partition& cur,
                                       partition::SkipTally& tally, io::LogWriter& log)
{
    bool pending = false;
    const partition::PairResult r = make_lazy(cand, comp, repflag, cur, tally, log, pending);
    if (pending) fill_pair(cur);
    return r;
}

void ShapeCache::fill_pair(partition::Partition& cur) const
{
    if (!pending_) return;
    decode(pending_->first, cur.first);
    decode(pending_->second, cur.second);
}

partition::PairResult ShapeCache::make_lazy(TermList& cand, TermList& comp, int repflag, partition::Partition& cur,
                                            partition::SkipTally& tally, io::LogWriter& log, bool& pending)
{
    pending = false;
    pending_ = nullptr;
    if (!enabled_ || !shaped(cand)) {
        ++real_;
        return partition::mkpair(cand, comp, repflag, cur, settings_, tally, log);
    }
    key_of(cand, repflag);
    if (!last_ || last_->first != key_) {
        const auto it = map_.find(key_);
        last_ = it == map_.end() ? nullptr : &*it;
    }
    if (last_ && last_->second.cacheable) {
        ++hits_;
        const Outcome& o = last_->second;
        for (int k = 1; k <= partition::kSkipReasons; ++k)
            if (o.tally[static_cast<std::size_t>(k)])
                partition::skip_add(tally, k, o.tally[static_cast<std::size_t>(k)]);
        if (o.result.skip) return o.result;
        cur.repflag = repflag;
        if (!o.cand_kept) decode(o.cand, cand);
        pending_ = &o;
        if (o.first_is_cand && o.cand_kept) pending = true;
        else fill_pair(cur);
        return o.result;
    }
    ++real_;
    const partition::SkipTally before = tally;
    Outcome o;
    const bool given = !last_ && encode(cand, o.cand);
    const partition::PairResult r = partition::mkpair(cand, comp, repflag, cur, settings_, tally, log);
    if (last_) return r; // a shape that cannot be cached
    o.result = r;
    for (int k = 1; k <= partition::kSkipReasons; ++k)
        o.tally[static_cast<std::size_t>(k)] =
            tally.count[static_cast<std::size_t>(k)] - before.count[static_cast<std::size_t>(k)];
    if (!r.skip) {
        const TermList as_given = o.cand;
        o.cacheable = given && encode(cand, o.cand) && encode(cur.first, o.first) && encode(cur.second, o.second);
        o.cand_kept = o.cacheable && o.cand.lp == as_given.lp && o.cand.lits == as_given.lits;
        o.first_is_cand = o.cacheable && o.first.lp == as_given.lp && o.first.lits == as_given.lits;
    }
    const auto words = [](const TermList& l) { return (l.lp.capacity() + l.lits.capacity()) * sizeof(int); };
    const std::size_t bytes = sizeof(std::pair<const std::string, Outcome>) + 4 * sizeof(void*) + key_.capacity() +
                              words(o.cand) + words(o.first) + words(o.second);
    if (bytes_ + bytes > budget_) clear();
    bytes_ += bytes;
    last_ = &*map_.emplace(key_, std::move(o)).first;
    return r;
}

} // namespace meru::search
