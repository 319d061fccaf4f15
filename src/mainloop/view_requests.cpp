#include "mainloop/view_requests.h"

#include "mainloop/program.h"
#include "platform/io/os.h"
#include "ui/viewer/row_text.h"
#include "ui/viewer/viewfile.h"

#include <algorithm>
#include <map>

namespace meru::mainloop {

namespace {

using ui::viewer::ViewRequest;

// The control file's folder becomes the current folder while an analysis is open.
std::string control_folder(const Program& p)
{
    return p.analysis_open() ? io::split_path(p.analysis->cfname).folder : std::string();
}

// Shows the request's file. The log viewer writes its find text back into
// lasttime; the others have a find text of their own, so that leaving them
// leaves the log's place alone.
void view(Program& p, ViewRequest& rq)
{
    std::string search = p.ui.history.lasttime;
    if (!rq.search_text) rq.search_text = &search;
    rq.folder = control_folder(p);
    p.log.flush();
    ui::viewer::viewfile(p.ui, p.selections, p.viewer, rq);
}

// The Window-menu routine of a viewer: raises its View request again.
platform::MenuRoutine raise_view(Program& p, bool MenuFlags::*item)
{
    return [&p, item](bool) {
        p.flags.qview = true;
        p.flags.*item = true;
    };
}

void view_log(Program& p)
{
    ViewRequest rq;
    rq.name = p.log.is_open() ? p.log.path() : std::string();
    rq.unit = ui::viewer::kLogFile;
    rq.output_note = &p.outnote;
    rq.search_at_open = true;
    rq.search_text = &p.ui.history.lasttime;
    view(p, rq);
}

void view_data(Program& p)
{
    ViewRequest rq;
    rq.unit = ui::viewer::kDataFile;
    if (p.analysis_open()) {
        const Analysis& a = *p.analysis;
        rq.name = a.datapath;
        rq.data.delimited = a.tables.format.freefmt;
        rq.data.layout = {a.tables.format.tab, a.tables.format.comma};
        rq.data.name_row = data_name_row(a);
    }
    rq.window_routine = raise_view(p, &MenuFlags::vdata);
    view(p, rq);
}

void view_control(Program& p)
{
    ViewRequest rq;
    rq.unit = ui::viewer::kControlFile;
    if (p.analysis_open()) rq.name = p.analysis->cfname;
    rq.window_routine = raise_view(p, &MenuFlags::vcf);
    view(p, rq);
}

void view_other(Program& p)
{
    ViewRequest rq;
    rq.unit = ui::viewer::kAnyFile;
    view(p, rq);
}

} // namespace

std::string data_name_row(const Analysis& a)
{
    const files::ControlTables& t = a.tables;
    if (!t.format.freefmt) return "Fixed format, raw data. Format=" + t.format.fmttext;
    const files::VariableTable& v = t.vars;
    const int count = std::min(v.nvar, static_cast<int>(v.varname.size()) - 1);
    std::vector<std::string> names(v.varname.begin() + 1, v.varname.begin() + 1 + std::max(count, 0));
    // The identifier and the weight left the list at their columns: put them back,
    // the lower column first.
    std::map<int, std::string> special;
    if (v.hasid) special.emplace(v.idcol, "_id_");
    if (v.hasfreq) special.emplace(v.freqcol, "_freq_");
    for (const auto& [column, name] : special) {
        const auto at = static_cast<std::size_t>(std::clamp(column - 1, 0, static_cast<int>(names.size())));
        names.insert(names.begin() + static_cast<std::ptrdiff_t>(at), name);
    }
    return ui::viewer::field_row(names);
}

void show_log(Program& p) { view_log(p); }

Flow view_requests(Program& p)
{
    const MenuFlags& f = p.flags;
    if (f.vlog) {
        progress(p, "..viewing output log  " + (p.analysis_open() ? p.analysis->logname : std::string()));
        view_log(p);
    }
    if (f.vdata) {
        progress(p, "..viewing data  " + (p.analysis_open() ? p.analysis->datapath : std::string()));
        view_data(p);
    }
    if (f.vcf) view_control(p);
    if (f.vother) view_other(p);
    return Flow::loop_head;
}

} // namespace meru::mainloop
