#include "mainloop/settings_requests.h"

#include "mainloop/menubar.h"
#include "mainloop/program.h"
#include "mainloop/recent.h"
#include "mainloop/search_stage.h"
#include "platform/frame.h"
#include "platform/io/strings.h"
#include "settings/criteria_dialog.h"
#include "settings/extent_dialog.h"
#include "settings/options_dialog.h"
#include "settings/strategy_dialog.h"
#include "ui/messages.h"

#include <array>
#include <cmath>
#include <set>

namespace meru::mainloop {

using platform::kMenuChecked;
using platform::kMenuEnabled;
using platform::kMenuGrey;
using platform::kMenuUnchecked;

namespace {

void run_hook(Program& p, const std::function<void(Program&)>& hook)
{
    if (hook) hook(p);
}

void activate_progress(Program& p)
{
    if (p.frame.active() == platform::no_window) p.frame.set_active(kProgressUnit);
}

std::vector<std::string> y_names(const outcome::Outcome& y)
{
    std::vector<std::string> names;
    for (int k = 0; k < y.ny && k < outcome::kMaxYs; ++k)
        names.push_back(io::rtrim(y.yname[static_cast<std::size_t>(k)].substr(0, 20)));
    return names;
}

void set_items(Program& p, int menu, std::initializer_list<int> items, int flags)
{
    for (int item : items) p.menus.set_flags(menu, item, flags);
}

bool stages_done(const Analysis& a) { return a.yset && a.critdone && a.stratdone && a.extdone; }

// The menus a chosen Y enables.
void y_menus(Program& p)
{
    const Analysis& a = *p.analysis;
    p.menus.set_flags(kCriteriaMenu, 0, kMenuEnabled);
    if (a.yset) p.menus.set_flags(kYMenu, 1, kMenuChecked);
    p.menus.set_flags(kYMenu, 8, a.bygroup.mode ? kMenuChecked : kMenuUnchecked);
    if (!a.yset) return;
    set_items(p, kSearchMenu, {0, 1}, kMenuEnabled);
    set_items(p, kRankMenu, {0, 1, 2, 3, 4, 5}, kMenuEnabled);
    p.menus.set_flags(kStrategyMenu, 0, kMenuEnabled);
    set_items(p, kProcessMenu, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, kMenuEnabled);
    if (!a.tables.vars.hasid) p.menus.set_flags(kProcessMenu, 2, kMenuGrey);
    set_items(p, kProcessMenu, {6, 8}, kMenuGrey);
    if (a.naddatt == 0) p.menus.set_flags(kViewMenu, 6, kMenuGrey);
    if (stages_done(a)) p.menus.set_flags(kSearchMenu, 0, kMenuEnabled);
}

// Whether the criterion must be confirmed again for the Ys in use: a criterion
// of categories asks for integer categories up to 35, at most 36 of them, and one
// of a binary Y for two; the Criteria dialog then names what it refuses.
bool criterion_unsuited(int icrit, const settings::YDescription& y)
{
    const stats::CriterionTraits* k = stats::criterion_traits(icrit);
    if (!k || k->y == stats::YSuit::Numeric || k->y == stats::YSuit::Survival) return false;
    for (const settings::YInfo& yk : y.ys) {
        if (yk.ncat > 36 || yk.ymax > 35.0) return true;
        if (yk.ncat > 2 && k->y == stats::YSuit::Binary) return true;
        if (yk.nonint) return true;
    }
    return false;
}

Flow y_followup(Program& p, const std::vector<std::string>& names0)
{
    Analysis& a = *p.analysis;
    const settings::YDescription y = describe_ys(a);
    const bool changed = y_names(a.outcome) != names0 || a.firsty;
    if (changed && !a.firsty) {
        if (p.censoring.in_force) {
            const std::string name = y.ys.empty() ? std::string() : y.ys[0].name;
            std::string text = "Note: Previous Y was censored. New Y=" + name + " is not$";
            p.services.msgbox(text, BoxKind::Ok, true);
            p.censoring.in_force = false;
        }
        if (p.crit.is(stats::Criterion::LogRank)) p.services.helpshow("Note: Still log-rank");
        run_hook(p, p.dispatch.empty_results);
        p.crit.beta = 0.0;
        p.nauto_by = 0;
        a.critdone = true;
        p.flags.qcrit = true;
        return Flow::next;
    }
    run_hook(p, p.dispatch.clear_saved_g);
    a.firsty = false;
    a.ycurrent = y.ys.size() <= 1 || y.serialy ? 1 : 0;
    a.serial_searches.clear();
    a.critcheck = !y.ys.empty() && criterion_unsuited(p.crit.icrit, y);
    y_menus(p);
    if (changed) run_hook(p, p.dispatch.reset_ranking);
    return Flow::loop_head;
}

Flow criteria_stage(Program& p)
{
    Analysis& a = *p.analysis;
    MenuFlags& f = p.flags;
    p.crit.icrit = a.lastcrit;
    p.crit_changed = false;
    const settings::YDescription y = describe_ys(a);
    const settings::CritInput in{f.sgo, p.strategy.treemode};
    for (;;) {
        const settings::CritResult r = settings::critdlg(p.crit, p.crit_texts, y, in, *p.forms, p.services, p.log);
        p.crit_changed = r.changed;
        if (!r.cancelled) break;
        if (r.missing || !(a.critdone && a.critcheck)) return Flow::loop_head;
        std::string text = " Required to OK dialog$";
        p.services.msgbox(text, BoxKind::Ok, false);
    }
    // Options kept from an earlier run change the search as much as its criterion.
    if (f.sgo)
        for (const std::string& line : settings::options_in_force(p.options)) p.log.write(line);
    if (!p.crit.is(stats::Criterion::LogRank)) {
        p.censoring.in_force = false;
        p.incidence = false;
    } else {
        run_hook(p, p.dispatch.clear_saved_g);
    }
    activate_progress(p);
    a.lastcrit = p.crit.icrit;
    if (p.crit.is(stats::Criterion::LogRank) && !f.sgo) run_hook(p, p.dispatch.logrank_setup);
    a.critdone = true;
    if (!f.sgo) return Flow::loop_head;
    a.critcheck = false;
    f.qcrit = false;
    f.qrank = f.rfixpos = true;
    return Flow::poll;
}

// A tree grows by single attributes: switching Tree on makes the extent the
// tree's (the user's extent is held), switching it off again gives the user's
// extent back, or a combination search when none is held. Only a switch made
// in this showing of the dialog moves the extent; switching on while the
// Extent dialog is asked for leaves it as it is (a cancelled dialog switches
// nothing).
bool tree_extent(const stats::ExtentSettings& e) { return e.qmax() == 1 && e.bounds.front() == 1; }

void extent_before_tree(const settings::StrategySettings& s, stats::ExtentSettings& e)
{
    const bool held = s.before_tree && !s.before_tree->sizetext.empty();
    e.sizetext = held ? s.before_tree->sizetext : "2 2";
    e.nfloatx = held ? s.before_tree->nfloatx : 1;
}

bool fit_extent_to_tree(Program& p, bool tree_before, bool keep_extent)
{
    stats::ExtentSettings& e = p.extent;
    settings::StrategySettings& s = p.strategy;
    const bool tree_now = s.treemode;
    if (tree_before && !tree_now && tree_extent(e)) {
        extent_before_tree(s, e);
    } else if (!tree_before && tree_now && !tree_extent(e) && !keep_extent) {
        p.msgline = "Tree strategy  has Boolean splits";
        if (!s.before_tree) s.before_tree.emplace();
        s.before_tree->sizetext = e.sizetext;
        s.before_tree->nfloatx = e.nfloatx;
        e.sizetext = "1";
        if (!single_cuts(*p.analysis)) e.nfloatx = 3;
    } else {
        return false;
    }
    p.flags.ptree = false;
    return true;
}

Flow strategy_stage(Program& p)
{
    Analysis& a = *p.analysis;
    MenuFlags& f = p.flags;
    if (!a.yset) {
        p.services.helpshow("NOTE: No Y");
        return Flow::loop_head;
    }
    bool wantextent = false;
    bool asked_extent = false; // "Set Extent Parameters": the dialog comes back after the Extent dialog
    if (!f.sgo) {
        p.services.actlog("%Strategy");
        settings::StrategySettings& st = p.strategy;
        const bool tree_before = st.treemode;
        bool bygroup = false;
        const settings::YDescription y = describe_ys(a);
        const settings::StrategyResult r =
            settings::stratdlg(st, bygroup, y.serialy, a.tables.natt - 1, *p.forms, p.services, p.log);
        if (r.bygroup_undone) p.menus.set_flags(kYMenu, 8, kMenuUnchecked);
        const bool fitted = fit_extent_to_tree(p, tree_before, r.wantextent);
        // Without the tree (its boxes given back by the dialog) the tree's changes are over.
        if (!st.treemode) st.before_tree.reset();
        if (r.cancelled) return Flow::loop_head;
        asked_extent = r.wantextent;
        wantextent = r.wantextent || fitted;
    }
    if (p.strategy.iterative && p.options.primattr) {
        p.services.helpshow("NOTE: primitive added attributes");
        p.options.primattr = false;
    }
    a.stratdone = true;
    if (!f.searching) run_hook(p, p.dispatch.xconstr);
    if (p.strategy.forcein && !f.sgo) run_hook(p, p.dispatch.forceattr);
    activate_progress(p);
    f.strat = false;
    if (f.sgo) {
        go_strategy(p);
        f.qext = true;
        return Flow::poll;
    }
    if (!wantextent) return Flow::loop_head;
    f.qext = true;
    p.extent_from_strategy = asked_extent;
    return Flow::next;
}

Flow extent_stage(Program& p)
{
    Analysis& a = *p.analysis;
    MenuFlags& f = p.flags;
    const int active = p.frame.active();
    if (f.sgo) p.log.write("%Extent");
    else p.services.actlog("%Extent");
    const settings::ExtentInput in{f.sgo, single_cuts(a)};
    const bool accepted =
        settings::extdlg(p.extent, in, p.msgline, *p.forms, p.services, p.log, [&p] { prefwrite(p); });
    f.qext = false;
    const bool back_to_strategy = p.extent_from_strategy;
    p.extent_from_strategy = false;
    if (!accepted) {
        // Cancelled while the Strategy dialog waits for it: that dialog comes
        // back with what was typed in it.
        f.strat = back_to_strategy;
        return back_to_strategy ? Flow::next : Flow::loop_head;
    }
    a.extdone = true;
    if (f.sgo) go_extent(p);
    if (f.sgo && p.strategy.iterative) {
        Notices told;
        stats::itercheck(p.extent, told);
        ui::tell(p.services, p.log, told);
    }
    if (active != platform::no_window) p.frame.set_active(active);
    if (stages_done(a)) p.menus.set_flags(kSearchMenu, 1, kMenuEnabled);
    if (back_to_strategy) {
        f.strat = true;
        return Flow::next;
    }
    if (!f.sgo) return Flow::loop_head;
    f.qcont = true;
    return Flow::poll;
}

} // namespace

void end_tree_strategy(Program& p)
{
    settings::StrategySettings& s = p.strategy;
    s.treemode = false;
    if (!s.before_tree) return;
    s.iterative = s.before_tree->iterative;
    s.decidepos = s.before_tree->decidepos;
    stats::ExtentSettings& e = p.extent;
    if (tree_extent(e)) {
        extent_before_tree(s, e);
        std::vector<int> bounds;
        if (stats::read_sizes(e.sizetext, bounds) == stats::SizeRead::ok) stats::set_extent(e, std::move(bounds));
    }
    s.before_tree.reset();
}

settings::YDescription describe_ys(const Analysis& a)
{
    settings::YDescription d;
    const outcome::Outcome& y = a.outcome;
    for (int k = 0; k < y.ny && k < outcome::kMaxYs; ++k) {
        const auto K = static_cast<std::size_t>(k);
        settings::YInfo yi{y.yname[K].substr(0, 20), y.ybin[K], y.ylev[K], y.ymax[K], y.ynonint[K], false, y.yvar[K]};
        for (int l = 1; l <= a.tables.nlines && l < static_cast<int>(a.tables.line.size()); ++l) {
            const files::AttrLine& line = a.tables.line[static_cast<std::size_t>(l)];
            if (line.var == y.ycol[K] && line.type == 'n') yi.nominal = true;
        }
        d.ys.push_back(yi);
    }
    // The categories of the first Y, ascending, from its values: whole
    // numbers below 256 (as categories mostly are) marked in a table, any
    // other value kept in a set.
    std::array<bool, 256> whole{};
    std::set<double> values;
    const int n = a.data.n;
    const int nobs = a.nodata ? 0 : a.stats.nread;
    for (int i = 0; i < nobs && i < n && static_cast<std::size_t>(i) < a.ymat.size(); ++i) {
        const double v = a.ymat[static_cast<std::size_t>(i)];
        if (a.data.obswt[static_cast<std::size_t>(i)] == 0 || !(v >= 0.0)) continue;
        if (v < 256.0 && v == std::floor(v) && !std::signbit(v)) whole[static_cast<std::size_t>(v)] = true;
        else values.insert(v);
    }
    for (std::size_t k = 0; k < whole.size(); ++k)
        if (whole[k]) values.insert(static_cast<double>(k));
    d.cats.assign(values.begin(), values.end());
    d.serialy = y.yserial;
    return d;
}

bool single_cuts(const Analysis& a)
{
    for (int l = 1; l <= a.tables.nlines && l < static_cast<int>(a.tables.line.size()); ++l)
        if (a.tables.line[static_cast<std::size_t>(l)].ncuts > 1) return false;
    return true;
}

Flow options_request(Program& p)
{
    if (settings::optdlg(p.options, *p.forms, p.services, p.log)) prefwrite(p);
    return Flow::loop_head;
}

Flow y_request(Program& p)
{
    if (!p.analysis_open() || !p.dispatch.ymenu) return Flow::loop_head;
    const std::vector<std::string> names0 = y_names(p.analysis->outcome);
    p.dispatch.ymenu(p);
    if (!p.analysis_open()) return Flow::loop_head;
    Analysis& a = *p.analysis;
    if (a.bygroup.mode) a.bygroup.current = 1;
    // Nothing to follow up when the request was cancelled or refused, or left no Y.
    if (a.ynochange || !a.outcome.yenabled) return Flow::loop_head;
    a.yset = true;
    p.flags.yoffered = false;
    return y_followup(p, names0);
}

Flow settings_request(Program& p)
{
    if (!p.analysis_open()) return Flow::loop_head;
    MenuFlags& f = p.flags;
    if (f.qcrit) return criteria_stage(p);
    // Strategy and Extent hand over to each other while the Strategy dialog
    // asks for the extent.
    for (;;) {
        if (f.strat) {
            const Flow flow = strategy_stage(p);
            if (flow != Flow::next) return flow;
        }
        if (!f.qext) return Flow::loop_head;
        const Flow flow = extent_stage(p);
        if (flow != Flow::next) return flow;
    }
}

} // namespace meru::mainloop
