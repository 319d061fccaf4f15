#include "mainloop/editmenu.h"

#include "files/textutil.h"
#include "mainloop/file_requests.h"
#include "mainloop/menubar.h"
#include "mainloop/program.h"
#include "platform/child_wait.h"
#include "platform/frame.h"
#include "platform/io/os.h"
#include "settings/attr_picker.h"
#include "settings/trainsplit.h"
#include "ui/actlog.h"
#include "ui/messages.h"
#include "ui/opendlg.h"

#include <algorithm>

#include <string_view>

namespace meru::mainloop {

namespace {

constexpr std::string_view kEditFilter{
    ".MRC files\0*.mrc\0.txt files\0*.txt\0.csv files\0*.csv\0.dat files\0*.dat\0All files\0*.*\0\0", 83};

void heading(Program& p, std::string text) { ui::actlog(p.log, p.ui.history, text); }

// Edit item 8's check mark and Process item 8 follow the split.
void show_split(Program& p, bool active)
{
    p.menus.set_flags(kEditMenu, 8, active ? platform::kMenuChecked : platform::kMenuUnchecked);
    if (active) {
        p.menus.set_flags(kProcessMenu, 0, platform::kMenuEnabled);
        p.menus.set_text(kProcessMenu, 8, "Switch to Test sample");
        p.menus.set_flags(kProcessMenu, 8, platform::kMenuEnabled);
    } else {
        p.menus.set_flags(kProcessMenu, 8, platform::kMenuGrey);
    }
}

// A new split, or none: the training sample is in use and the switches start again.
void reset_switch(Program& p)
{
    p.edit.nswitch = 0;
    p.edit.testflag = false;
}

Flow split_sample(Program& p)
{
    if (!p.analysis_open()) return Flow::loop_head;
    Analysis& a = *p.analysis;
    if (a.bygroup.mode) {
        ui::helpshow(p.ui, "NOTE: split sample with by group");
        return Flow::loop_head;
    }
    heading(p, "%Edit:Split sample");
    a.splitactive = false;
    reset_switch(p);
    const int n = a.nodata ? 0 : std::min(a.stats.nread, a.data.n);
    const std::vector<int> varline = settings::variable_lines(a.tables);
    settings::SplitContext cx{a.data.obswt,       a.data.testwt, n,     p.msgline, a.tables,   varline,
                              a.tables.vars.nvar, a.data,        p.rng, *p.forms,  p.services, p.log};
    const settings::SplitResult r = settings::trainsplit(p.split, cx);
    a.splitactive = r.active;
    a.nobs = r.total;
    show_split(p, a.splitactive);
    return Flow::loop_head;
}

Flow bootstrap_toggle(Program& p)
{
    if (p.analysis && p.analysis->splitactive) {
        // The test weights join the training weights at once, so that nothing
        // is counted twice when the data are split again.
        Analysis& a = *p.analysis;
        p.services.note("NOTE: Edit:Split sample switched off for bootstrap$", NoteKind::Cut79, false);
        a.nobs = settings::merge_split(a.data.obswt, a.data.testwt);
        a.splitactive = false;
        reset_switch(p);
        show_split(p, false);
    }
    if (p.analysis && p.analysis->bygroup.mode) {
        ui::helpshow(p.ui, "NOTE: bootstrap sample with by group");
        return Flow::loop_head;
    }
    if (p.analysis && p.analysis->tables.vars.hasfreq) {
        std::string text = "Cannot make bootstrap sample with grouped _freq_ data$";
        ui::msgbox(p.ui, text, BoxKind::Ok, false);
        return Flow::loop_head;
    }
    if (p.strategy.treemode) {
        std::string text = "Tree w bootstrap sample. Does one-at-a-time only$";
        ui::msgbox(p.ui, text, BoxKind::Ok, false);
    }
    heading(p, p.bootmode ? "%Edit:Un-Bootstrap sample" : "%Edit:Bootstrap sample");
    p.bootmode = !p.bootmode;
    if (!p.bootmode && p.analysis) {
        Analysis& a = *p.analysis;
        const int n = a.nodata ? 0 : std::min(a.stats.nread, a.data.n);
        settings::bootsamp(a.data.obswt, n, false, a.boot, p.rng, p.log);
    }
    if (p.bootmode) {
        p.edit.nboot += 1;
        if (p.edit.nboot == 1) ui::helpshow(p.ui, "NOTE: Bootstrap sample");
    }
    p.menus.set_text(kEditMenu, 9, p.bootmode ? "Un-bootstrap sample" : "Bootstrap sample");
    const int flags = p.bootmode ? platform::kMenuGrey : platform::kMenuEnabled;
    p.menus.set_flags(kProcessMenu, 0, flags);
    p.menus.set_flags(kRankMenu, 0, flags);
    return Flow::loop_head;
}

Flow edit_control_file(Program& p)
{
    // Without an editor nothing can have changed: no question about reading again.
    if (!editfile(p, p.opening.cfname)) return Flow::loop_head;
    std::string q = "?If you have changed .mrc file do you wish to implement changes?$";
    if (!ui::quiz(p.ui, q)) return Flow::loop_head;
    if (p.analysis && p.analysis->naddatt > 0) {
        std::string lost = "?The added attributes will be  lost. Continue?$";
        if (!ui::quiz(p.ui, lost)) return Flow::loop_head;
    }
    p.flags.qfile = true;
    p.flags.fopen = true;
    p.opening.rereadreq = true;
    return file_request(p);
}

} // namespace

namespace {

// Tells the user which editor command failed and how to choose another.
void editor_failed(Program& p, const std::vector<std::string>& command, const std::string& why)
{
    ui::helpshow(p.ui, "ERROR: Notepad");
    std::string text;
    for (const auto& w : command) text += (text.empty() ? "" : " ") + w;
    ui::msgok(p.ui,
              "The editor " + text + " " + why + ". The environment variable VISUAL or EDITOR chooses the editor. $");
}

} // namespace

bool editfile(Program& p, const std::string& path)
{
    const int active = p.frame.active();
    const std::vector<std::string> command = io::editor_command();
    std::string program = command.empty() ? std::string() : command.front();
    if (!program.empty() && program.find('/') == std::string::npos) {
        const auto found = io::find_on_path(program);
        program = found ? *found : std::string();
    }
    if (program.empty()) {
        editor_failed(p, command, "was not found");
        return false;
    }
    const std::string name = io::split_path(program).name;
    // The desktop's opener hands the file on and returns at once: nothing to wait for.
    if (name == io::kOpener) progress(p, "...running " + name);
    else progress(p, "...running " + name + ". Exit " + name + " to continue");
    std::vector<std::string> args(command.begin() + 1, command.end());
    args.push_back(path);
    const int status = platform::run_and_wait(program, args);
    if (active != platform::no_window) {
        p.frame.set_active(active);
        p.frame.set_focus(active);
    }
    if (status != 0) {
        editor_failed(p, command,
                      status < 0 ? "could not be started" : "failed (status " + std::to_string(status) + ")");
        return false;
    }
    return true;
}

SampleSwitch sampswitch(int& count, std::vector<int>& a, std::vector<int>& b, bool& testflag)
{
    count += 1;
    testflag = count % 2 == 1;
    a.swap(b);
    if (testflag) return {"Analysis is now on the test sample", "Switch to Training sample"};
    return {"Analysis is now on the training sample", "Switch to Test sample"};
}

Flow test_switch(Program& p)
{
    p.services.actlog("%Process: training/test switch");
    if (!p.analysis_open() || !p.analysis->splitactive) return Flow::loop_head;
    Analysis& a = *p.analysis;
    const SampleSwitch s = sampswitch(p.edit.nswitch, a.data.obswt, a.data.testwt, p.edit.testflag);
    p.menus.set_text(kProcessMenu, 8, s.item_text);
    if (!p.flags.sgo) p.log.write(s.message);
    return Flow::loop_head;
}

Flow edit_request(Program& p)
{
    const MenuFlags& f = p.flags;
    if (f.esplit && !f.edcf && !f.edfile) return split_sample(p);
    if (f.eboot && !f.edcf && !f.edfile) return bootstrap_toggle(p);
    if (!f.edcf && !f.edfile) return Flow::loop_head;
    if (f.edcf && !files::trim(p.opening.cfname).empty()) return edit_control_file(p);
    if (ui::opendlg(p.ui.host, p.opening.dialog_path, kEditFilter) == 1) editfile(p, p.opening.dialog_path);
    return Flow::loop_head;
}

} // namespace meru::mainloop
