#include "mainloop/file_requests.h"

#include "mainloop/menubar.h"
#include "mainloop/opening.h"
#include "mainloop/program.h"
#include "mainloop/recent.h"
#include "mainloop/settings_requests.h"
#include "platform/arguments.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "ui/actlog.h"
#include "ui/help.h"
#include "ui/msgtext.h"
#include "ui/opendlg.h"
#include "ui/viewer/viewfile.h"
#include "ui/winmenu.h"

#include <vector>

namespace meru::mainloop {

namespace {

using platform::kMenuChecked;
using platform::kMenuEnabled;
using platform::kMenuGrey;
using platform::kMenuUnchecked;

std::string squeezed80(const std::string& path) { return ui::squeeze(path).substr(0, 80); }

void set_items(Program& p, int menu, std::initializer_list<int> items, int flags)
{
    for (int item : items) p.menus.set_flags(menu, item, flags);
}

class ProgramOpeningHost final : public OpeningHost {
public:
    explicit ProgramOpeningHost(Program& p) : p_(p) {}

    bool choose_file(std::string& path, std::string_view filter) override
    {
        return ui::opendlg(p_.ui.host, path, filter) == 1;
    }
    std::string recent_path(int k) override
    {
        if (k < 1 || k > static_cast<int>(p_.prefs.recent.size())) return {};
        return p_.prefs.recent[static_cast<std::size_t>(k - 1)];
    }
    void clear_history() override { p_.ui.history.entries.clear(); }
    void heading(const std::string& text) override
    {
        std::string t = text;
        ui::actlog(p_.log, p_.ui.history, t);
    }
    platform::DateTime now() override { return platform::clock().now(); }
    void releasing() override
    {
        for (int m = kCriteriaMenu; m <= kProcessMenu; ++m) p_.menus.set_flags(m, 0, kMenuGrey);
        p_.menus.set_flags(kYMenu, 8, kMenuUnchecked);
        p_.menus.set_flags(kProcessMenu, 8, kMenuGrey);
        // The old analysis's best lists, current partition and ranking name its
        // attributes, not those of the analysis being opened.
        p_.results.clear_lists();
        if (p_.dispatch.empty_results) p_.dispatch.empty_results(p_);
        p_.process.current_valid = false;
        if (p_.dispatch.reset_ranking) p_.dispatch.reset_ranking(p_);
    }
    void closed() override { menus_without_analysis(p_); }
    void control_file_refused(const std::string& cfname) override { menus_for_refused_control_file(p_, cfname); }
    void show_progress() override { p_.frame.set_window_size(kProgressUnit, {platform::SizeState::restored}); }
    io::RandomStream& rng() override { return p_.rng; }

private:
    Program& p_;
};

// Closes the child windows of the old analysis and forgets their Window-menu
// items; the progress window's item and the log's item stay. Graphics windows
// that keep no Window-menu item (the tree diagram) or whose item is marked
// closed while the window stays on the frame go as well: the windows of the
// progress, the start-up banner and the help topics are all that survive.
void close_analysis_windows(Program& p)
{
    std::vector<int> units;
    for (const auto& [unit, entry] : p.ui.windows.units)
        if (unit != kProgressUnit) units.push_back(unit);
    for (int unit : units) {
        if (unit >= 1 && unit <= 50) closeunit(p, unit);
        const auto it = p.ui.windows.units.find(unit);
        if (it->second.handle != 0) p.menus.remove(it->second.handle);
        p.ui.windows.units.erase(it);
    }
    for (int unit : {ui::viewer::kLogWindow, ui::viewer::kControlWindow, ui::viewer::kDataWindow})
        p.frame.close_window(unit);
    for (int unit = 1; unit <= 50; ++unit)
        if (unit != kProgressUnit && unit != kBannerUnit && unit != ui::kHelpTopicsWindow) p.frame.close_window(unit);
    if (p.frame.active() == platform::no_window) p.frame.set_active(kProgressUnit);
}

// The analysis settings as a new analysis starts them. What the user chose for
// any data (the options, the complexity measure, the strategy's modes, the
// extent, the Top m typed) stays; what belongs to the analysis closed (its
// criterion with its gamma, beta, the priors and costs of its Y's classes, a
// truncated Top m, the tree's own settings, its training size, the letters of
// its named searches, the texts and choices that name its attributes) does not.
void reset_settings(Program& p)
{
    stats::CritSettings crit;
    crit.complexity = p.crit.complexity;
    p.crit = crit;
    p.crit_texts.priors.clear();
    p.crit_texts.cost_a.clear();
    p.crit_texts.cost_a_minus.clear();
    settings::StrategySettings& s = p.strategy;
    s.constrainx = false;
    s.forcein = false;
    end_tree_strategy(p);
    s.topm = s.chosen_topm;
    s.topmbox = io::fmt_i(s.topm, 3);
    s.attrsetspec = "1-" + s.topmbox.substr(0, 4);
    s.topm_typed = false;
    p.iteration.letter = 0;
    p.ptext.clear();
    p.forcing = {};
    p.censoring = {};
    p.incidence = false;
    // The new data are not split: the training sample is in use, and the
    // training size offered is the new data's own.
    p.split.lastsize = 0;
    p.edit.nswitch = 0;
    p.edit.testflag = false;
    p.menus.set_text(kProcessMenu, 8, "Switch to test sample");
}

void menus_for_analysis(Program& p, const Analysis& a)
{
    auto& m = p.menus;
    const bool observations = !a.nodata && a.stats.nread > 0;
    m.set_flags(kFileMenu, 1, kMenuChecked);
    m.set_text(kEditMenu, 1, "Edit " + a.cfname + " ");
    set_items(p, kEditMenu, {0, 1, 2, 4, 5, 6, 8, 9}, kMenuEnabled);
    if (!observations) {
        // Nothing to sample: a bootstrap would grey Process and hide Create added attribute.
        set_items(p, kEditMenu, {8, 9}, kMenuGrey);
        for (int menu = kYMenu; menu <= kSearchMenu; ++menu) m.set_flags(menu, 0, kMenuGrey);
        set_items(p, kProcessMenu, {1, 2, 3, 4, 5, 6, 8}, kMenuGrey);
    }
    m.set_flags(kEditMenu, 8, kMenuUnchecked);
    if (observations) set_items(p, kYMenu, {0, 1, 3, 4, 5, 6, 8}, kMenuEnabled);
    m.set_flags(kProcessMenu, 1, kMenuGrey);
    m.set_flags(kProcessMenu, 0, kMenuEnabled);
    m.set_flags(kProcessMenu, 2, a.tables.vars.hasid ? kMenuEnabled : kMenuGrey);
    m.set_flags(kProcessMenu, 9, kMenuEnabled);
    m.set_flags(kYMenu, 1, kMenuUnchecked);
    m.set_text(kYMenu, 1, "Ok  " + a.outcome.yname[0] + " ");
    p.flags.yoffered = observations;

    int& item = p.opening.log_menu_item;
    if (item == 0 || m.position(item).first == 0)
        item = m.append(kWindowMenu, kMenuEnabled, a.logname, [&p](bool) {
            p.flags.qview = true;
            p.flags.vlog = true;
        });
    else m.set_text(item, a.logname + " ");

    if (!observations) {
        set_items(p, kViewMenu, {2, 6}, kMenuGrey);
    } else {
        m.set_text(kViewMenu, 1, "Output " + a.logname + " ");
        set_items(p, kViewMenu, {1, 2, 3, 4}, kMenuEnabled);
        m.set_flags(kViewMenu, 6, kMenuGrey);
        if (a.nodatafile) m.set_flags(kViewMenu, 2, kMenuGrey);
        else m.set_text(kViewMenu, 2, "Data " + squeezed80(a.datapath) + " ");
    }
    m.set_text(kViewMenu, 3, "Control " + squeezed80(a.cfname) + " ");
}

// The end of an opening, once the data are read.
Flow finish_opening(Program& p, const OpenResult& r)
{
    Analysis& a = *p.analysis;
    p.nodata = a.nodata;
    p.nodatafile = a.nodatafile;
    if (p.bootmode) {
        p.bootmode = false;
        p.menus.set_text(kEditMenu, 9, "Bootstrap sample");
        p.menus.set_flags(kProcessMenu, 0, kMenuEnabled);
        p.menus.set_flags(kRankMenu, 0, kMenuEnabled);
    }
    close_analysis_windows(p);
    reset_settings(p);
    menus_for_analysis(p, a);

    if (r.recentix > 0) {
        note_recent_chosen(p.prefs, r.recentix);
        recentmenu(p, false);
    } else if (!r.recent.empty()) {
        int former = 0;
        const bool grew = note_opened(p.prefs, r.recent, former);
        recentmenu(p, grew);
    }

    if (a.tables.ncombfound > 0) {
        p.flags.qproc = true;
        p.flags.paddatt = true;
        p.flags.qfile = false;
        p.flags.qedit = false;
        a.added_from_cf = true;
        set_reduction(p, true, false);
        return Flow::poll;
    }
    return Flow::loop_head;
}

} // namespace

void menus_without_analysis(Program& p)
{
    p.nodata = true;
    for (int menu = kYMenu; menu <= kProcessMenu; ++menu) p.menus.set_flags(menu, 0, kMenuGrey);
    set_items(p, kViewMenu, {2, 6}, kMenuGrey);
    set_items(p, kEditMenu, {8, 9}, kMenuGrey);
}

void menus_for_refused_control_file(Program& p, const std::string& cfname)
{
    p.menus.set_flags(kFileMenu, 1, kMenuChecked);
    p.menus.set_text(kEditMenu, 1, "Edit " + cfname + " ");
    p.menus.set_text(kViewMenu, 3, "Control " + squeezed80(cfname) + " ");
    p.menus.set_flags(kEditMenu, 0, kMenuEnabled);
}

Flow file_request(Program& p)
{
    OpenRequest rq{p.flags.fopen, p.flags.fnew, p.flags.recentix, p.opening.rereadreq};
    p.opening.rereadreq = false;
    if (!rq.fopen && !rq.fnew && !rq.reread && rq.recentix == 0) return Flow::loop_head;
    ProgramOpeningHost host(p);
    OpeningContext cx{p.opening, p.analysis, p.log, p.services, host, p.msgline};
    const OpenResult r = open_analysis(rq, cx);
    if (r.end != OpenResult::End::opened || !p.analysis) return Flow::loop_head;
    return finish_opening(p, r);
}

void install_file_hooks(Program& p)
{
    // A folder or file named on the command line is where the file dialogs start;
    // without one, the folder the program was started from (the main routine
    // changes to the program's own folder later).
    p.opening.dialog_path = platform::start_path();
}

} // namespace meru::mainloop
