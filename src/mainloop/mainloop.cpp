#include "mainloop/mainloop.h"

#include "mainloop/editmenu.h"
#include "mainloop/file_requests.h"
#include "mainloop/menubar.h"
#include "mainloop/picker_requests.h"
#include "mainloop/process.h"
#include "mainloop/program.h"
#include "mainloop/rank_requests.h"
#include "mainloop/search_stage.h"
#include "mainloop/series.h"
#include "mainloop/settings_requests.h"
#include "mainloop/tree_grow.h"
#include "mainloop/view_requests.h"
#include "mainloop/y_requests.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/os.h"
#include "ui/actlog.h"
#include "ui/messages.h"

#include <cstdio>

namespace meru::mainloop {

namespace {
// The longest the idle poll waits for the user in one round.
constexpr int kPollMs = 200;
} // namespace

std::string log_status(const std::string& logname)
{
    return "The output log " + logname + " holds the analysis: View > Output " + logname + " (or Window > " +
           logname + ") shows it.";
}

void loop_head(Program& p)
{
    p.frame.close_window(kBannerUnit);
    p.frame.close_window(5);
    p.debug = false;
    if (p.process.view_bygroup && p.analysis_open()) p.analysis->bygroup.mode = true;
    p.process.view_bygroup = false;
    p.ui.textcol1 = 1;
    if (p.frame.active() == platform::no_window) p.frame.set_active(kProgressUnit);

    p.msgline = p.analysis_open() ? std::string(kIdleData) + p.analysis->datapath : std::string(kIdleNoData);
    progress(p, p.msgline);
    p.frame.set_window_size(kProgressUnit, {platform::SizeState::minimised});
    // The progress window lies minimised: the frame's status line names the log
    // of the open analysis and how to see it.
    p.frame.set_status(p.analysis_open() ? log_status(p.analysis->logname) : std::string());

    clear_requests(p.flags);
    // A tree whose growing was cut short leaves neither its splits nor its strata.
    tree_stop(p);
    if (p.analysis_open()) p.analysis->outcome.direct_scatter = false;
    // The control file's combinations are made by the request an opening raises;
    // the added attributes made after it are the user's own again.
    if (p.analysis_open()) p.analysis->added_from_cf = false;
    if (p.reduction_saved) {
        p.options.fullred = p.saved_fullred;
        p.options.primattr = p.saved_primattr;
        p.reduction_saved = false;
    }
    p.menus.set_flags(kSearchMenu, 1, platform::kMenuEnabled);
    p.menus.set_flags(kSearchMenu, 2, platform::kMenuGrey);
    p.menus.let_go();

    restore_boot_sample(p);
    p.process.boot_sample = 1;
    p.process.boot_drawn = 0;
    p.process.yes_to_all = false;
    p.process.go_statistics = false;
    if (p.analysis_open()) {
        // A by-group series ends here whatever stopped it: the next Go! starts
        // again at the first group.
        if (p.process.bygroup_run) p.analysis->bygroup.mode = true;
        p.analysis->bygroup.current = 0;
        p.analysis->kept_times.reset();
    }
    p.process.bygroup_run = false;
    p.process.remainder = false;
    p.process.group = 0;
    if (!p.bootmode) {
        p.nauto_by = 0;
    } else if (p.nauto_by >= kMaxByg) {
        char number[8];
        std::snprintf(number, sizeof number, "%4d", kMaxByg);
        std::string text =
            "NOTE: # of bootstraps limited to maxbyg <=" + std::string(number) + " Will reset accumulation arrays$";
        ui::note(p.ui, text, NoteKind::Cut79, false);
        p.nauto_by = 0;
    }
    p.nodatafile = false;
    p.nodata = false;
    // What the request built (a search's snapshots, its workers' among them) is
    // freed by now: its pages go back to the system.
    io::release_free_memory();
    // The choices the user made while the last request was served come next.
    for (const PendingChoice& c : p.choices) c.raise();
}

bool poll_round(Program& p)
{
    // Between two requests no window waits for the mouse: a callback that a
    // request left behind does not hold its window over the next one's windows.
    p.frame.unregister_all_mouse();
    MenuFlags& f = p.flags;
    if (f.treemade) {
        std::string q = "? Save this tree partition as added attribute?";
        if (ui::quiz(p.ui, q)) {
            f.qproc = true;
            f.paddatt = true;
            return true;
        }
    }
    f.treemade = false;
    // A stage of Search:Go! that handed over to the next one (or a series that
    // raised its next statistics) left its request raised: it runs at once,
    // after the events already pending, so a Go! is paced by its computation.
    // Otherwise the program waits for the user, at most one round, and goes on
    // as soon as a request is raised.
    const auto raised = [&f] { return first_tier_raised(f) || f.qcont || second_tier_raised(f); };
    if (raised()) platform::pump();
    else platform::wait_until(platform::WaitPoint::idle, kPollMs, raised);
    if (first_tier_raised(f)) return true;
    if (f.qcont) {
        // One draw per bootstrap sample, before its search: the continuation that
        // raises the sample's statistics keeps the sample it searched.
        if (p.bootmode && p.dispatch.bootstrap_draw && p.process.boot_drawn != p.process.boot_sample) {
            p.dispatch.bootstrap_draw(p);
            p.process.boot_drawn = p.process.boot_sample;
            const std::string line = "Bootstrap sample #" + io::fmt_i(p.process.boot_sample, 2);
            p.log.write(line);
            progress(p, line);
        }
        restore_boot_sample(p);
        return true;
    }
    return second_tier_raised(f);
}

void run_main_loop(Program& p)
{
    for (;;) {
        loop_head(p);
        for (;;) {
            while (!poll_round(p)) {}
            if (dispatch(p) == Flow::loop_head) break;
        }
    }
}

Flow rank_titles(Program& p)
{
    const MenuFlags& f = p.flags;
    std::string heading;
    if (f.rrankplot) heading = "%Rank:Ranked attributes plot";
    if (f.rfixpos) {
        if (p.analysis_open() && p.analysis->bygroup.mode) {
            std::string text = "NOTE: cannot Fix Positive attributes in By-group mode$";
            ui::note(p.ui, text, NoteKind::Cut79, false);
            // The note answers the Rank choice: the loop head does not raise it again.
            std::erase_if(p.choices, [](const PendingChoice& c) { return c.step == Step::search; });
            return Flow::loop_head;
        }
        heading = "%Rank:Fix Positive attributes";
    }
    if (f.reffcuts) heading = "%Rank:Cuts v effectiveness plot";
    if (f.rroc) heading = "%Rank:ROC curves";
    if (f.rqroc) heading = "%Rank:QROC curves";
    if (!heading.empty()) ui::actlog(p.log, p.ui.history, heading);
    return Flow::next;
}

Flow close_search(Program& p)
{
    // The statistics of a search leave its windows up; the next pass closes them.
    if (p.flags.qproc) return Flow::next;
    closeunit(p, kSearchUnit);
    closeunit(p, kPartitionUnit);
    return Flow::next;
}

Flow help_requests(Program& p)
{
    const MenuFlags& f = p.flags;
    if (f.habout) ui::helpshow(p.ui, "M E R U");
    if (f.htopics && p.help.topics) p.help.topics(false);
    if (f.hmanual || f.hfaq || f.hweb) {
        ui::msgok(p.ui, "About to open the page in your web browser $");
        progress(p, "Running the web browser. MERU suspended.");
        if (p.help.web) p.help.web(f.hmanual, f.hfaq, f.hweb);
    }
    return Flow::loop_head;
}

void install_hooks(Program& p)
{
    install_picker_hooks(p);
    install_search_hooks(p);
    install_rank_hooks(p);
    install_file_hooks(p);
    install_y_hooks(p);
    p.rank.hooks.viewfile = show_log;
}

} // namespace meru::mainloop
