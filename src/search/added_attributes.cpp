#include "search/added_attributes.h"

#include "partition/parttext.h"
#include "platform/io/logwriter.h"
#include "search/search_results.h"
#include "stats/membership_kernels.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string_view>

namespace meru::search {

namespace {

using partition::Literal;
using partition::TermList;

constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::size_t z(int i) { return static_cast<std::size_t>(i); }

std::string padded(std::string_view s, std::size_t n)
{
    std::string r(s.substr(0, std::min(s.size(), n)));
    r.resize(n, ' ');
    return r;
}

// The attribute's variable-name field: the name, trailing blanks as "$".
std::string dollar_name(const std::string& name)
{
    std::string s = name.substr(0, files::kNameLen);
    s.resize(files::kNameLen, '$');
    return s;
}

std::vector<int> identity(int n)
{
    std::vector<int> v(z(std::max(n, 0)) + 1);
    std::iota(v.begin(), v.end(), 0);
    return v;
}

// Deletion plan: which attributes go, and the expansion of lists that name them.
class Deletion {
public:
    Deletion(AddedContext& c, int oldest, const std::vector<int>& kept) : c_(c), gone_(c.added.slotmap.size(), 0)
    {
        std::vector<int> by_slot(z(c.added.count) + 1, 0);
        for (std::size_t a = 0; a < c.added.slotmap.size(); ++a) {
            const int s = c.added.slotmap[a];
            const bool keep = std::find(kept.begin(), kept.end(), static_cast<int>(a)) != kept.end();
            if (s >= 1 && s <= c.added.count && !keep) by_slot[z(s)] = static_cast<int>(a);
        }
        int taken = 0;
        for (int s = 1; s <= c.added.count && taken < oldest; ++s) {
            if (by_slot[z(s)] == 0) continue;
            gone_[z(by_slot[z(s)])] = s;
            ++taken;
        }
        opt_.tables = &c.tables;
    }

    bool refers(const TermList& l) const
    {
        return std::any_of(l.lits.begin(), l.lits.end(),
                           [&](Literal x) { return is_gone(partition::attribute_of(x)); });
    }
    bool is_gone(int a) const { return a >= 0 && z(a) < gone_.size() && gone_[z(a)] > 0; }
    void also_delete(int a, int slot)
    {
        if (z(a) >= gone_.size()) gone_.resize(z(a) + 1, 0);
        gone_[z(a)] = slot;
    }

    // Replaces every literal of a deleted attribute by that attribute's definition.
    // False when the expansion does not fit the limits (the list is then unchanged).
    bool expand(TermList& l, int sense)
    {
        if (!refers(l)) return true;
        const partition::AddedAttributes& ad = c_.added;
        TermList out;
        partition::SkipTally tally;
        const partition::TermStatus st =
            partition::expand(l, ad.positive_set(sense), ad.negative_set(sense), gone_, out, sense, opt_, tally);
        if (partition::failed(st) || refers(out) || !out.within_limits()) return false;
        l = std::move(out);
        return true;
    }
    const std::vector<int>& gone() const { return gone_; }

private:
    AddedContext& c_;
    std::vector<int> gone_; // [attribute] -> its slot when it is deleted, else 0
    partition::ReduceOptions opt_;
};

void renumber(TermList& l, const Renumbering& r)
{
    for (Literal& x : l.lits) x = x < 0 ? -r.attr(-x) : r.attr(x);
}

// Reads a stored combination ("name(terms)") as a term list; false when its text
// is not plain numbers.
bool read_combo(const std::string& combo, std::string& name, TermList& list)
{
    const std::size_t open = combo.find('(');
    if (open == std::string::npos) return false;
    name = combo.substr(0, open);
    const partition::TokenPass pass = partition::parsetext(std::string_view(combo).substr(open));
    if (pass.bad) return false;
    list.clear();
    std::size_t k = 0;
    std::vector<Literal> term;
    for (int len : pass.lp) {
        term.clear();
        for (int j = 0; j < len; ++j, ++k) {
            const std::string& tok = pass.tokens[k];
            std::size_t used = 0;
            int v = 0;
            try {
                v = std::stoi(tok, &used);
            } catch (...) {
                return false;
            }
            if (used != tok.size() || v == 0) return false;
            term.push_back(v);
        }
        if (!list.add_term(term)) return false;
    }
    return true;
}

void compact_combos(std::vector<std::string>& combos, Deletion& del, const Renumbering& r, int& lost)
{
    std::vector<std::string> kept;
    for (const std::string& combo : combos) {
        std::string name;
        TermList list;
        if (!read_combo(combo, name, list)) {
            kept.push_back(combo);
            continue;
        }
        TermList before = list;
        if (!del.expand(list, partition::kPlain)) {
            ++lost;
            continue;
        }
        renumber(list, r);
        if (list.lits == before.lits && list.lp == before.lp) {
            kept.push_back(combo);
            continue;
        }
        if (!partition::text_fits(list)) {
            ++lost;
            continue;
        }
        bool aminus = false;
        std::string text = partition::parttext(list, 1, aminus);
        while (!text.empty() && text.back() == ' ') text.pop_back();
        kept.push_back(name + text);
    }
    combos = std::move(kept);
}

// Moves the kept entries of a 1-based table down to their new numbers and
// resets the freed places at the top.
template <class T> void compact(std::vector<T>& v, const std::vector<int>& map, int old_count)
{
    for (int i = 1; i <= old_count && z(i) < v.size(); ++i) {
        const int to = map[z(i)];
        if (to > 0 && to != i) v[z(to)] = std::move(v[z(i)]);
    }
    const int new_count = old_count - static_cast<int>(std::count(map.begin() + 1, map.end(), 0));
    for (int i = new_count + 1; i <= old_count && z(i) < v.size(); ++i) v[z(i)] = T{};
}

std::vector<int> map_keeping(int count, const std::vector<char>& gone)
{
    std::vector<int> map(z(count) + 1, 0);
    int next = 0;
    for (int i = 1; i <= count; ++i)
        if (z(i) >= gone.size() || !gone[z(i)]) map[z(i)] = ++next;
    return map;
}

void move_data(files::DataArrays& d, const Renumbering& r, int natt_old, int nvar_old)
{
    if (d.lc > 0) {
        for (int i = 1; i <= d.n; ++i) {
            std::uint8_t* row = d.abyte.data() + z(i - 1) * z(d.lc);
            for (int a = 1; a <= natt_old && a <= d.lc; ++a) {
                const int to = r.attribute[z(a)];
                if (to > 0 && to != a) row[to - 1] = row[a - 1];
            }
            const int kept = r.attribute.empty() ? 0 : *std::max_element(r.attribute.begin(), r.attribute.end());
            for (int a = kept + 1; a <= natt_old && a <= d.lc; ++a) row[a - 1] = 0;
        }
    }
    const int kept = r.variable.empty() ? 0 : *std::max_element(r.variable.begin(), r.variable.end());
    for (int j = 1; j <= nvar_old && j <= d.ncols; ++j) {
        const int to = r.variable[z(j)];
        if (to <= 0 || to == j) continue;
        std::copy_n(d.xdata.begin() + static_cast<std::ptrdiff_t>(z(j - 1) * z(d.n)), d.n,
                    d.xdata.begin() + static_cast<std::ptrdiff_t>(z(to - 1) * z(d.n)));
    }
    for (int j = kept + 1; j <= nvar_old && j <= d.ncols; ++j)
        std::fill_n(d.xdata.begin() + static_cast<std::ptrdiff_t>(z(j - 1) * z(d.n)), d.n, 0.0f);
}

} // namespace

bool tables_full(const AddedContext& c)
{
    const files::ControlTables& t = c.tables;
    const int a = t.natt + 1, l = t.nlines + 1, v = t.vars.nvar + 1;
    return a > t.dims.lc || z(a) >= t.att.size() || a > c.data.maxatt || l > t.dims.nv || z(l) >= t.line.size() ||
           v > t.dims.nv || z(v) >= t.vars.varname.size() || v > c.data.ncols;
}

bool room_for_added(const AddedContext& c) { return c.added.count < partition::kMaxAdded && !tables_full(c); }

Renumbering deladded(AddedContext& c, HeldReferences& refs)
{
    files::ControlTables& t = c.tables;
    partition::AddedAttributes& ad = c.added;
    Renumbering r;
    r.attribute = identity(t.natt);
    r.line = identity(t.nlines);
    r.variable = identity(t.vars.nvar);
    const int oldest = std::min(kDeleteOldest, ad.count);
    if (oldest <= 0) return r;
    if (ad.slotmap.size() < z(t.natt) + 1) ad.slotmap.resize(z(t.natt) + 1, 0);

    // Expand first: the deleted definitions in the order they were made (each then
    // names no deleted attribute), then the remaining ones; a remaining definition
    // that cannot be expanded goes with the deleted ones.
    Deletion del(c, oldest, refs.kept);
    std::vector<int> slot_attr(z(ad.count) + 1, 0);
    for (int a = 1; a <= t.natt; ++a)
        if (const int s = ad.slot_of(a); s >= 1 && s <= ad.count) slot_attr[z(s)] = a;
    for (int s = 1; s <= ad.count; ++s) {
        TermList& plain = ad.a_set[z(s)];
        TermList& flipped = ad.aminus_set[z(s)];
        const bool ok = del.expand(plain, partition::kPlain) && del.expand(flipped, partition::kFlipped);
        if (!ok && slot_attr[z(s)] > 0 && !del.is_gone(slot_attr[z(s)])) del.also_delete(slot_attr[z(s)], s);
    }
    for (HeldList& h : refs.lists) {
        if (h.list && !del.expand(*h.list, h.sense)) {
            h.list->clear();
            ++r.lost;
        }
    }
    if (refs.results) {
        auto fix = [&](StoredPartition& e) {
            const bool ok = del.expand(e.list, e.flag == 1 ? partition::kPlain : partition::kFlipped);
            if (!ok) ++r.lost;
            return ok;
        };
        refs.results->bestlist.rewrite(fix);
        refs.results->top10.rewrite(fix);
        refs.results->topg.rewrite(fix);
    }

    // The numbers after the deletion.
    std::vector<char> gone_att(z(t.natt) + 1, 0), gone_line(z(t.nlines) + 1, 0), gone_var(z(t.vars.nvar) + 1, 0);
    for (int a = 1; a <= t.natt; ++a) {
        if (!del.is_gone(a)) continue;
        gone_att[z(a)] = 1;
        const int l = t.att[z(a)].attline;
        if (l >= 1 && l <= t.nlines) {
            gone_line[z(l)] = 1;
            const int v = t.line[z(l)].var;
            if (v >= 1 && v <= t.vars.nvar) gone_var[z(v)] = 1;
        }
        ++r.deleted;
    }
    r.attribute = map_keeping(t.natt, gone_att);
    r.line = map_keeping(t.nlines, gone_line);
    r.variable = map_keeping(t.vars.nvar, gone_var);

    // Definitions and slots.
    partition::AddedAttributes moved;
    moved.slotmap.assign(z(t.natt) + 1, 0);
    for (int s = 1; s <= ad.count; ++s) {
        const int a = slot_attr[z(s)];
        if (a <= 0 || gone_att[z(a)]) continue;
        const int ns = ++moved.count;
        moved.a_set[z(ns)] = std::move(ad.a_set[z(s)]);
        moved.aminus_set[z(ns)] = std::move(ad.aminus_set[z(s)]);
        renumber(moved.a_set[z(ns)], r);
        renumber(moved.aminus_set[z(ns)], r);
        moved.slotmap[z(r.attribute[z(a)])] = ns;
    }

    // Lists held elsewhere.
    for (HeldList& h : refs.lists)
        if (h.list) renumber(*h.list, r);
    if (refs.results) {
        auto fix = [&](StoredPartition& e) {
            renumber(e.list, r);
            return true;
        };
        refs.results->bestlist.rewrite(fix);
        refs.results->top10.rewrite(fix);
        refs.results->topg.rewrite(fix);
    }
    if (refs.attribute_set) {
        std::vector<int> set;
        for (int l : *refs.attribute_set)
            if (const int to = r.lin(l); to > 0) set.push_back(to);
        *refs.attribute_set = std::move(set);
    }
    if (refs.usable) compact(*refs.usable, r.attribute, t.natt);
    if (refs.combos) compact_combos(*refs.combos, del, r, r.lost);

    // The tables, the matrix and the data columns.
    const int natt_old = t.natt, nlines_old = t.nlines, nvar_old = t.vars.nvar;
    for (int a = 1; a <= natt_old; ++a) t.att[z(a)].attline = r.lin(t.att[z(a)].attline);
    for (int l = 1; l <= nlines_old; ++l) {
        files::AttrLine& ln = t.line[z(l)];
        ln.var = r.var(ln.var);
        if (ln.attoff >= 1 && ln.attoff <= natt_old) ln.attoff = r.attribute[z(ln.attoff)];
    }
    compact(t.att, r.attribute, natt_old);
    compact(t.line, r.line, nlines_old);
    compact(t.vars.varname, r.variable, nvar_old);
    t.natt -= static_cast<int>(std::count(gone_att.begin(), gone_att.end(), 1));
    t.nlines -= static_cast<int>(std::count(gone_line.begin(), gone_line.end(), 1));
    t.vars.nvar -= static_cast<int>(std::count(gone_var.begin(), gone_var.end(), 1));
    t.vars.ivar = r.var(t.vars.ivar);
    t.vars.rvar = r.var(t.vars.rvar);
    move_data(c.data, r, natt_old, nvar_old);
    ad = std::move(moved);
    return r;
}

std::string iteration_name(int letter, int iteration)
{
    const int k = ((std::max(letter, 1) - 1) % static_cast<int>(kLetters.size()));
    std::string digits = std::to_string(std::max(iteration, 0));
    if (digits.size() < 2) digits = "_" + digits;
    return std::string("+") + kLetters[z(k)] + digits;
}

std::string process_name(int count)
{
    std::string digits = std::to_string(std::max(count, 0));
    if (digits.size() < 2) digits = "0" + digits;
    return "+" + digits;
}

MadeAttribute make_added(AddedContext& c, const partition::Partition& made_from, const std::string& name, bool skip,
                         HeldReferences& refs, io::LogWriter& log)
{
    MadeAttribute m;
    partition::Partition pair = made_from; // follows the deletion's renumbering
    if (!room_for_added(c)) {
        if (c.added.count > 0) {
            log.write("NOTE:too many added attributes. Fix up deletions done");
            HeldReferences with_pair = refs;
            with_pair.lists.push_back({&pair.first, pair.first_sense()});
            with_pair.lists.push_back({&pair.second, 1 - pair.first_sense()});
            m.renumbering = deladded(c, with_pair);
            m.deleted_first = true;
            if (pair.first.empty() || pair.second.empty()) {
                log.write("NOTE: no room for another added attribute");
                return m;
            }
        }
        if (!room_for_added(c)) {
            log.write("NOTE: no room for another added attribute");
            return m;
        }
    }
    files::ControlTables& t = c.tables;
    files::DataArrays& d = c.data;
    partition::AddedAttributes& ad = c.added;
    const int a = t.natt + 1, l = t.nlines + 1, v = t.vars.nvar + 1;

    // The membership column first: nothing changes when it cannot be made.
    if (!d.hold_attribute(a, c.parallel) || !d.hold_column(v)) {
        log.write("NOTE: no room for another added attribute");
        return m;
    }
    std::vector<std::int8_t> signs(z(t.natt) + 1, 1);
    for (int k = 1; k <= t.natt; ++k) signs[z(k)] = t.att[z(k)].signbyte;
    stats::CompiledList list;
    try {
        list.compile(pair.a(), partition::kPlain, signs, d.lc);
    } catch (const std::invalid_argument&) {
        log.write("NOTE: no room for another added attribute");
        return m;
    }
    const stats::DataColumn column{std::span<float>(d.xdata.data(), d.xdata.size()), d.n, v};
    if (!stats::partattr(std::span<std::uint8_t>(d.abyte.data(), d.abyte.size()), d.lc, d.n, list, skip, a, column,
                         c.parallel)) {
        log.write("NOTE: no room for another added attribute");
        return m;
    }

    files::Attribute& at = t.att[z(a)];
    at = files::Attribute{};
    at.attlab = {padded("= 0", files::kLabelLen), padded("= 1", files::kLabelLen)};
    at.savedlab = {padded("^=1", files::kLabelLen), padded("=$1", files::kLabelLen)};
    at.attline = l;
    at.attname = dollar_name(name);
    at.cut1 = 0.99;
    at.cut2 = 1.0;
    at.range = true;
    at.direction = false;
    at.ordered = true;
    at.signbyte = 1;
    at.added = true;

    files::AttrLine& ln = t.line[z(l)];
    ln = files::AttrLine{};
    ln.name = name.substr(0, files::kNameLen);
    ln.var = v;
    ln.type = 'i';
    ln.ncuts = 1;
    ln.attoff = a;
    ln.inuse = 1;
    t.vars.varname[z(v)] = ln.name;

    t.natt = a;
    t.nlines = l;
    t.vars.nvar = v;

    const int slot = ad.count + 1;
    if (ad.slotmap.size() < z(a) + 1) ad.slotmap.resize(z(a) + 1, 0);
    ad.slotmap[z(a)] = slot;
    partition::addstore(pair.aminus(), pair.a(), slot, ad.aminus_set, ad.a_set);
    ad.count = slot;
    if (refs.usable) {
        if (refs.usable->size() < z(a) + 1) refs.usable->resize(z(a) + 1, 0);
        (*refs.usable)[z(a)] = 1;
    }
    m.made = true;
    m.attribute = a;
    m.line = l;
    m.variable = v;
    return m;
}

} // namespace meru::search
