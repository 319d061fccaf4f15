#include "mainloop/series.h"

#include "mainloop/added_requests.h"
#include "mainloop/editmenu.h"
#include "mainloop/iterative_search.h"
#include "mainloop/menubar.h"
#include "mainloop/program.h"
#include "mainloop/tree_grow.h"
#include "mainloop/view_requests.h"
#include "outcome/level_window.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "search/search_summary.h"
#include "ui/actlog.h"
#include "ui/messages.h"
#include "ui/partwin.h"

#include <algorithm>
#include <utility>

namespace meru::mainloop {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

std::string error_line(const Program& p, double error)
{
    const Analysis& a = *p.analysis;
    const std::string value = error_text(error);
    if (a.splitactive)
        return (p.edit.testflag ? " Test sample generalised error is " : " Training sample generalised error is ") +
               value;
    return (p.process.bygroup_run ? " Remainder sample generalised error is "
                                  : " Whole sample  generalised error is ") +
           value + (error < 0.0 ? "" : "%");
}

// After a bootstrap series the current partition is the last sample's, while
// the data are the originals again: the Partition window shows it as the
// current partition and says which sample it came from.
void show_bootstrap_partition(Program& p, int sample)
{
    const ProcessState& ps = p.process;
    if (!ps.current_valid) return;
    const files::ControlTables& t = p.analysis->tables;
    int row = 1;
    std::string caption = "Current partition is from bootstrap sample #" + io::fmt_i(sample, 2);
    ui::partwin(p.ui, ps.current.first, t, ps.current.repflag, caption, row, false, true);
    row += 2;
    caption = "Complement:";
    ui::partwin(p.ui, ps.current.second, t, 1 - ps.current.repflag, caption, row, false, true);
}

// Whether the partition found for the Y under analysis puts that Y's category in
// A more often than in A-, as the statistics of its search tell: an ordinal or
// nominal sequence keeps it only then.
bool category_in_a(const Program& p) { return p.process.side_mean[1] > p.process.side_mean[0]; }

// An ordinal sequence searches each Y within the partition of the Y before:
// after a Y with none, the later Ys have none either and are not searched.
bool serial_ys_left(const Program& p)
{
    const Analysis& a = *p.analysis;
    return a.outcome.serial() && a.ycurrent < a.outcome.ny && !(a.outcome.yordforce && !category_in_a(p));
}

void write_summary(Program& p, const search::SummaryMode& mode)
{
    const Analysis& a = *p.analysis;
    std::string heading = "%Search Summary";
    ui::actlog(p.log, p.ui.history, heading);
    const std::size_t used = std::min(p.process.history.size(), at(std::max(p.nauto_by, 0)));
    const std::span<const search::SearchRecord> records = std::span(p.process.history).first(used);
    // The name of the Y each search of a serial analysis searched.
    std::vector<std::string> ynames;
    if (a.outcome.serial())
        for (const search::SearchRecord& r : records)
            ynames.push_back(r.y >= 1 && r.y <= a.outcome.ny ? a.outcome.yname[at(r.y - 1)] : "");
    search::searchsum(records, mode, ynames, p.log);
}

// In a serial ordinal or nominal analysis each Y's partition is kept as an added
// attribute ("+Y" and the Y number), whose number the level partitions use.
void keep_level_partition(Program& p)
{
    Analysis& a = *p.analysis;
    outcome::Outcome& y = a.outcome;
    if ((!y.yordforce && !y.ynomforce) || a.ycurrent < 1 || a.ycurrent > y.ny) return;
    // An earlier analysis's entry must not stand for this Y when none is made now.
    y.yaddatt[at(a.ycurrent - 1)] = 0;
    if (!p.process.current_valid) return;
    if (!category_in_a(p)) {
        y.yaddatt[at(a.ycurrent - 1)] = outcome::kNoPartition;
        p.log.write("NOTE: no partition kept for " + y.yname[at(a.ycurrent - 1)] +
                    ": the best split has no more of it in A than in A-");
        for (int k = a.ycurrent + 1; k <= y.ny && y.yordforce; ++k) {
            y.yaddatt[at(k - 1)] = outcome::kNoPartition;
            p.log.write("NOTE: no partition for " + y.yname[at(k - 1)] + ": not searched, as " + y.yname[at(k - 2)] +
                        " has none");
        }
        return;
    }
    const std::string name = outcome::level_attribute_name(a.tables, y.yaddatt, a.ycurrent);
    search::AddedContext c{a.tables, a.data, a.added};
    search::HeldReferences refs = held_references(p, nullptr, nullptr, nullptr);
    const search::MadeAttribute m = search::make_added(c, p.process.current, name, p.options.skipcomb, refs, p.log);
    apply_renumbering(p, m.renumbering);
    if (!m.made) {
        p.services.helpshow("NOTE:too many added attributes");
        return;
    }
    a.naddatt = a.added.count;
    y.yaddatt[at(a.ycurrent - 1)] = m.attribute;
    p.log.write("  Added  attribute: " + io::fmt_a(name, 8) + " is created");
    offer_added_view(p);
}

// After the last Y of a serial ordinal or nominal analysis: the partition of each
// level, the predicted category in the "^" variable, and the Y menu entered again
// to show the Y against it. The reduction options are the analysis's meanwhile.
void category_followup(Program& p)
{
    Analysis& a = *p.analysis;
    outcome::Outcome& y = a.outcome;
    if (!y.yordforce && !y.ynomforce) return;
    const bool primattr = p.options.primattr, fullred = p.options.fullred;
    p.options.primattr = false;
    p.options.fullred = true;
    // The data file's variables: those before the ones made since (the added
    // attributes' variables among them).
    const int ndata = a.tables.vars.nvar - a.tables.vars.made - a.added.count;
    const std::string note = outcome::finish_category_analysis(
        y, a.tables.vars, a.data, a.data.n, ndata, a.stats.marks.charflag, outcome::level_window(p.ui, a.tables));
    if (!note.empty()) {
        p.log.write(note);
        if (p.dispatch.ymenu) p.dispatch.ymenu(p);
    }
    p.options.primattr = primattr;
    p.options.fullred = fullred;
}

// After the test sample's statistics the analysis goes back to the training sample.
void back_to_training(Program& p)
{
    Analysis& a = *p.analysis;
    if (!a.splitactive || !p.edit.testflag) return;
    const SampleSwitch s = sampswitch(p.edit.nswitch, a.data.obswt, a.data.testwt, p.edit.testflag);
    p.menus.set_text(kProcessMenu, 8, s.item_text);
}

} // namespace

std::string error_text(double error) { return error < 0.0 ? "      -" : io::fmt_f(error, 7, 2); }

void record_statistics(Program& p, const partition::Partition& cur, int complexity, long long n, double error)
{
    Analysis& a = *p.analysis;
    ProcessState& ps = p.process;
    if (ps.go_statistics || p.bootmode) {
        if (p.nauto_by >= search::kMaxSearchRecords) p.nauto_by = 0;
        p.nauto_by += 1;
        ps.history.resize(std::max(ps.history.size(), at(p.nauto_by)));
        search::SearchRecord& r = ps.history[at(p.nauto_by - 1)];
        r = {};
        r.gbeta = static_cast<float>(ps.current_g - p.crit.beta * complexity);
        r.evaluated = ps.evaluated;
        r.complexity = complexity;
        r.resub_error = static_cast<float>(error);
        r.iterations = ps.iterations;
        r.list = cur.first;
        r.flag = cur.repflag;
        r.nobs = n;
        if (a.outcome.serial()) r.y = search_y(p);
    }
    if (p.nauto_by >= 1 && at(p.nauto_by) <= ps.history.size()) {
        search::SearchRecord& r = ps.history[at(p.nauto_by - 1)];
        r.test_error = n > 0 ? static_cast<float>(error) : 0.0f;
        r.test_n = n;
    }
    p.log.write(error_line(p, error));

    if (ps.bygroup_run || p.strategy.treemode || serial_ys_left(p) || p.nauto_by == 0) return;
    search::SummaryMode mode;
    mode.priors = p.crit.priors_given;
    bool write = false;
    if (p.bootmode) {
        mode.bootstrap = true;
        write = ps.boot_sample == 10;
    } else if (!a.splitactive) {
        mode.training_only = true;
        write = true;
    } else {
        // The statistics the continuation raised on the test sample.
        mode.training_and_test = true;
        write = !p.flags.qcont;
    }
    if (!write) return;
    write_summary(p, mode);
    if (p.bootmode) show_log(p);
}

void restore_boot_sample(Program& p)
{
    ProcessState& ps = p.process;
    if (!ps.boot_exchanged) return;
    ps.boot_exchanged = false;
    // Un-bootstrap or a new analysis has already put the weights back.
    if (!p.bootmode || !p.analysis_open() || p.analysis->data.obswt.size() != ps.boot_rank_weights.size()) return;
    std::swap(p.analysis->data.obswt, ps.boot_rank_weights);
}

Flow continue_series(Program& p)
{
    MenuFlags& f = p.flags;
    Analysis& a = *p.analysis;
    ProcessState& ps = p.process;
    if (!f.sgo) {
        // A Process item's by-group pass shows the log after its last group.
        if (f.pstats && !ps.bygroup_run && ps.group == 0) show_log(p);
        return Flow::loop_head;
    }
    if (f.qcont && a.splitactive) {
        f.qcont = false;
        f.qproc = f.pstats = true;
        const SampleSwitch s = sampswitch(p.edit.nswitch, a.data.obswt, a.data.testwt, p.edit.testflag);
        p.menus.set_text(kProcessMenu, 8, s.item_text);
        if (p.frame.active() == platform::no_window) p.frame.set_active(kProgressUnit);
        return Flow::poll;
    }
    if (ps.bygroup_run) {
        if (f.qcont) {
            // The group's partition on the rest of the observations: its test error.
            f.qcont = false;
            ps.remainder = true;
            p.log.write(" Sub-sample NOT in BY group now being analysed:");
            f.qproc = f.pstats = true;
            if (p.debug) ui::msgok(p.ui, "switching dinc=.not.dinc$");
            return Flow::poll;
        }
        ps.remainder = false;
        // Each group is searched on the training sample.
        back_to_training(p);
        f.qcrit = true;
        f.qproc = f.pstats = f.qcont = false;
        if (p.debug) ui::msgok(p.ui, "auto-by going to 6666$");
        return Flow::poll;
    }
    back_to_training(p);
    // The root of a growing tree is a level of one node.
    if (a.growth.growing) return tree_pass_end(p);
    if (a.outcome.serial() && f.searching) {
        keep_level_partition(p);
        if (serial_ys_left(p)) {
            // The next Y of a serial analysis is ranked and searched.
            a.ycurrent += 1;
            // Each Y of a bootstrap pass is ranked as it is alone, before the draw.
            if (p.bootmode && ps.boot_rank_weights.size() == a.data.obswt.size()) {
                std::swap(a.data.obswt, ps.boot_rank_weights);
                ps.boot_exchanged = true;
            }
            f.qrank = true;
            f.qfile = f.qedit = f.qy = f.qcrit = f.qproc = f.pstats = f.qcont = false;
            return Flow::poll;
        }
        a.ycurrent = 1;
        category_followup(p);
    }
    if (p.bootmode) {
        ps.boot_sample += 1;
        if (ps.boot_sample <= 10) {
            f.qcrit = true;
            f.qproc = f.pstats = f.qcont = false;
            return Flow::poll;
        }
        p.bootmode = false;
        p.menus.set_text(kEditMenu, 9, "Bootstrap sample");
        p.menus.set_flags(kProcessMenu, 0, platform::kMenuEnabled);
        p.menus.set_flags(kRankMenu, 0, platform::kMenuEnabled);
        f.qcont = false;
        settings::bootsamp(a.data.obswt, a.data.n, false, a.boot, p.rng, p.log);
        show_bootstrap_partition(p, ps.boot_sample - 1);
    }
    return Flow::loop_head;
}

} // namespace meru::mainloop
