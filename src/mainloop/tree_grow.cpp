#include "mainloop/tree_grow.h"

#include "files/new_variable.h"
#include "mainloop/added_requests.h"
#include "mainloop/iterative_search.h"
#include "mainloop/menubar.h"
#include "mainloop/process_dialogs.h"
#include "mainloop/process_statistics.h"
#include "mainloop/program.h"
#include "mainloop/search_end.h"
#include "mainloop/tree_request.h"
#include "outcome/new_columns.h"
#include "outcome/sp4.h"
#include "outcome/ysummary.h"
#include "partition/labels.h"
#include "platform/io/edit.h"
#include "platform/io/strings.h"
#include "search/added_attributes.h"
#include "search/iteration.h"
#include "stats/membership.h"
#include "tree/tree_window.h"
#include "ui/partwin.h"

#include <algorithm>
#include <stdexcept>

namespace meru::mainloop {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// The node being searched: group g of the current level (the root is group 1).
int node_group(const Program& p)
{
    const Analysis& a = *p.analysis;
    return p.process.bygroup_run && a.bygroup.current > 0 ? a.bygroup.current : 1;
}

int current_slot(const Program& p) { return tree::node_slot(p.analysis->growth.level(), node_group(p)); }

// The strata variables go; the variables made after them move down, and what
// refers to them follows.
void drop_strata(Program& p)
{
    Analysis& a = *p.analysis;
    TreeGrowth& g = a.growth;
    if (g.vars.empty()) return;
    const std::vector<int> map = files::drop_variables(a.tables, a.data, a.stats.marks.charflag, g.vars);
    const auto to = [&](int v) { return v >= 1 && at(v) < map.size() ? map[at(v)] : v; };
    for (int& c : a.outcome.ycol)
        if (c > 0) c = to(c);
    if (a.bygroup.byvalues) a.bygroup.byindex = to(a.bygroup.byindex);
    g.vars.clear();
}

// The tree stops growing: its strata dropped, its splits forgotten, the series
// of its nodes over. The last node's winner split only that node: it is no
// partition of the sample, so none is current until the tree gives one; nor is
// that node's search one of the sample, so its lists and G values are not
// offered as the optimal partition, the best at each complexity or the random
// partitions' comparison.
void end_growth(Program& p)
{
    Analysis& a = *p.analysis;
    drop_strata(p);
    p.process.current_valid = false;
    p.process.current_g = 0.0f;
    p.results.clear_search();
    a.growth.growing = false;
    a.growth.tree = {};
    p.search.treegrow = false;
    a.bygroup.mode = false;
    a.bygroup.current = 0;
    p.process.bygroup_run = false;
    p.process.remainder = false;
}

// A new stratum: its variable with -1.0 for every observation. False when the
// tree ends here (past the limit of strata, or no room for the variable).
bool new_stratum(Program& p)
{
    Analysis& a = *p.analysis;
    TreeGrowth& g = a.growth;
    g.strata += 1;
    if (g.strata > kMaxStrata) {
        p.services.helpshow("ERROR: Number of strata exceeds limit");
        end_growth(p);
        g.strata = 0;
        return false;
    }
    const std::vector<float> column(at(std::max(a.data.n, 0)), -1.0f);
    const int var = outcome::add_variable(a.tables.vars, a.data, a.stats.marks.charflag, stratum_name(g.strata),
                                          column, false, p.services);
    if (var == 0) {
        g.strata -= 1;
        end_growth(p);
        return false;
    }
    g.vars.push_back(var);
    return true;
}

// Without leading blanks, trailing blanks and "$" fill.
std::string trimmed(std::string_view s) { return io::trim(io::rtrim(s, " $")); }

tree::TreeSplit split_of(const files::ControlTables& t, partition::Literal lit)
{
    tree::TreeSplit s;
    s.lit = lit;
    const std::string text = partition::literal_text(lit, 1, t);
    s.name = trimmed(text.substr(0, std::min<std::size_t>(8, text.size())));
    s.label = text.size() > 8 ? trimmed(text.substr(8)) : std::string();
    return s;
}

// The winner of more than one literal made an added attribute named by the
// tree's letter and split count; 0 when no room could be made.
partition::Literal added_split(Program& p, const partition::Partition& cur)
{
    Analysis& a = *p.analysis;
    TreeGrowth& g = a.growth;
    g.splits += 1;
    const std::string name = search::iteration_name(p.iteration.letter, g.splits);
    search::AddedContext c{a.tables, a.data, a.added};
    search::HeldReferences refs = held_references(p, &p.search.set.lines, &p.search.cuts.usable, nullptr);
    // Room is made without the attributes the tree's earlier splits stand on.
    for (const tree::TreeSplit& s : g.tree.split)
        if (s.lit != 0) refs.kept.push_back(partition::attribute_of(s.lit));
    const search::MadeAttribute m = search::make_added(c, cur, name, p.options.skipcomb, refs, p.log);
    apply_renumbering(p, m.renumbering);
    if (m.renumbering.deleted > 0) {
        // The deletion moved the strata and the attributes of earlier splits down.
        for (int& v : g.vars) v = m.renumbering.var(v);
        for (tree::TreeSplit& s : g.tree.split)
            if (s.lit != 0) s.lit = s.lit < 0 ? -m.renumbering.attr(-s.lit) : m.renumbering.attr(s.lit);
    }
    if (!m.made) return 0;
    a.naddatt = a.added.count;
    p.log.write(" Added attribute " + name + " created and included in attribute set");
    offer_added_view(p);
    return m.attribute;
}

// The Partition window, which showed the last node's split, says how the formed
// tree gives a partition.
void await_tree_partition(Program& p)
{
    std::string caption = tree::kTreeNoPartition;
    int row = 1;
    ui::partwin(p.ui, partition::TermList{}, p.analysis->tables, 1, caption, row, false, true);
}

Flow form_tree(Program& p)
{
    Analysis& a = *p.analysis;
    TreeGrowth& g = a.growth;
    p.log.write(" Tree is formed with all " + io::fmt_i(g.tree.counter, 3) + " nodes up to level " +
                io::fmt_i(g.level(), 4));
    // The tree is shown, and its partition processed, for the Y it was grown for.
    const int k = search_y(p);
    a.outcome.ydisc = outcome::ydiscok(a.outcome, k, !a.outcome.ycats.empty());
    a.tree = std::move(g.tree);
    set_reduction(p, true, false);
    p.menus.set_flags(kProcessMenu, 6, platform::kMenuEnabled);
    p.menus.set_flags(kYMenu, 8, platform::kMenuUnchecked);
    end_growth(p);
    g.strata = 0;
    await_tree_partition(p);
    if (!tree_controller(p, k)) return Flow::loop_head;
    // The statistics of the run are those of the tree's partition.
    p.process.go_statistics = true;
    p.process.current_complexity = 0;
    return process_statistics(p, p.process.current, k);
}

} // namespace

std::string stratum_name(int stratum)
{
    // The number has two columns after "*ST"; a wider one fills them with "*".
    if (stratum <= 9) return "*STR" + io::fmt_i(stratum, 1);
    return stratum <= 99 ? "*ST" + io::fmt_i(stratum, 2) : "*ST**";
}

partition::Literal single_split(const partition::Partition& cur)
{
    if (cur.first.q() != 1 || cur.first.count() != 1) return 0;
    // The flipped form of A- writes A's literal as it is (A- is its complement).
    return cur.first.lits.front();
}

void partcode(std::span<float> column, std::span<const std::uint8_t> mask, std::span<const std::int8_t> member,
              int group)
{
    for (std::size_t i = 0; i < column.size() && i < mask.size() && i < member.size(); ++i)
        if (mask[i] && (member[i] == 0 || member[i] == 1)) column[i] = static_cast<float>(2 * group - 1 + member[i]);
}

bool tree_begin(Program& p)
{
    Analysis& a = *p.analysis;
    TreeGrowth& g = a.growth;
    p.search.treegrow = true;
    if (g.growing) return true;
    tree::clear_tree_window(p.ui);
    search::next_letter(p.iteration.letter, p.log);
    const int strata = g.strata;
    g = TreeGrowth{};
    g.strata = strata;
    g.growing = true;
    g.first = g.strata;
    p.iteration.iteration = 0;
    p.iteration.iterative = false;
    p.results.clear_lists();
    p.process.lists_key = score_key(p);
    return new_stratum(p);
}

std::string tree_node_text(const Program& p)
{
    return ": finding best split of node # " + io::fmt_i(current_slot(p), 2);
}

void tree_record(Program& p, const SearchEnd& end)
{
    Analysis& a = *p.analysis;
    TreeGrowth& g = a.growth;
    if (!g.growing || g.vars.empty()) return;
    const partition::Partition& cur = end.curpart;
    const int n = a.data.n;
    // The membership of A over the node's observations, before an added attribute
    // can move the columns.
    const std::vector<std::uint8_t> mask = process_mask(p);
    std::vector<std::int8_t> member(at(std::max(n, 0)), -1);
    stats::CompiledList list;
    try {
        list.compile(cur.first, cur.first_sense(), sign_bytes(a), a.data.lc);
        stats::membership_column(stats::AttributeMatrix(a.data.abyte, a.data.lc, n), list, p.options.skipcomb,
                                 member);
    } catch (const std::invalid_argument&) {
        return;
    }
    partition::Literal lit = single_split(cur);
    // A combination is shown by what it is, read before its added attribute can
    // renumber the attributes.
    const std::string text = lit == 0 ? partition::list_text(cur.a(), partition::kPlain, a.tables) : std::string();
    if (lit == 0) lit = added_split(p, cur);
    const int slot = current_slot(p);
    if (lit != 0) {
        if (g.tree.split.size() <= at(tree::inside_child(slot)))
            g.tree.split.resize(at(tree::inside_child(slot)) + 1);
        g.tree.split[at(slot)] = split_of(a.tables, lit);
        g.tree.split[at(slot)].text = text;
        g.tree.counter = std::max(g.tree.counter, tree::inside_child(slot));
    }
    const int var = g.vars.back();
    std::span<float> column(a.data.xdata.data() + at(var - 1) * at(n), at(n));
    partcode(column, mask, member, node_group(p));
}

Flow tree_pass_end(Program& p)
{
    Analysis& a = *p.analysis;
    TreeGrowth& g = a.growth;
    MenuFlags& f = p.flags;
    f.qproc = f.pstats = f.qcont = false;
    if (g.level() >= kTreeLevels) return form_tree(p);
    outcome::sp4_tree(a.bygroup, a.tables, a.data, a.data.n, g.vars.back(), g.level());
    a.bygroup.current = 0;
    p.process.bygroup_run = false;
    if (!new_stratum(p)) return Flow::loop_head;
    f.qcrit = true;
    return Flow::poll;
}

bool tree_search_end(Program& p)
{
    if (!p.services.search_end()) return false;
    if (!p.search.treegrow) return true;
    if (p.services.quiz("?In tree mode. Will abandon tree. Confirm?")) return true;
    p.services.clear_search_end();
    return false;
}

Flow tree_abandon(Program& p)
{
    tree_stop(p);
    p.services.clear_search_end();
    return Flow::loop_head;
}

void tree_stop(Program& p)
{
    if (p.analysis_open() && p.analysis->growth.growing) end_growth(p);
}

} // namespace meru::mainloop
