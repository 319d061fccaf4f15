#include "settings/fixpos_dialog.h"

#include "platform/io/edit.h"
#include "ui/messages.h"

#include <algorithm>
#include <set>

namespace meru::settings {

using namespace fixpos_ids;

namespace {

void refuse(Services& sv, std::string text) { sv.note(text, NoteKind::Cut79, false); }

void need_selection(Services& sv, std::string text) { sv.msgbox(text, BoxKind::Ok, false); }

} // namespace

void swap_rows(search::FixposState& s, search::FixposRun& run, const std::vector<search::FixposItem>& items,
               const std::vector<bool>& picked)
{
    const files::ControlTables& t = run.tables;
    const int cline = search::censoring_line(t, run.censoring);
    std::set<int> done;
    for (std::size_t j = 0; j < items.size() && j < picked.size(); ++j) {
        if (!picked[j]) continue;
        const search::FixposItem& it = items[j];
        if (it.attribute == 0) break;
        const files::Attribute& a = t.att[static_cast<std::size_t>(it.attribute)];
        if (search::fixpos_excluded(t, it.attribute) && !a.added) {
            refuse(run.services, "Cannot swap special attributes _i_ or _r $");
        } else if (a.added) {
            refuse(run.services, "Cannot swap added attributes $");
        } else if (it.line == cline) {
            refuse(run.services, "Cannot swap a censoring indicator attribute $");
        } else if (done.insert(it.line).second) {
            search::turn_line(s, run.tables, run.data, it.line);
        }
    }
}

void ignore_rows(search::FixposRun& run, const std::vector<search::FixposItem>& items,
                 const std::vector<bool>& picked)
{
    std::set<int> done;
    for (std::size_t j = 0; j < items.size() && j < picked.size(); ++j) {
        if (!picked[j]) continue;
        if (items[j].attribute == 0) break;
        if (done.insert(items[j].line).second) {
            files::AttrLine& l = run.tables.line[static_cast<std::size_t>(items[j].line)];
            l.ignored = !l.ignored;
        }
    }
}

namespace {

void as_in_cf(search::FixposState& s, search::FixposRun& run, const std::vector<int>& lines)
{
    for (int line : lines)
        if (line >= 1 && line <= run.tables.nlines && run.tables.line[static_cast<std::size_t>(line)].swapped)
            search::turn_line(s, run.tables, run.data, line);
}

void dialog_loop(search::FixposState& s, search::FixposRun& run, const FixposDialogInput& in, FormDialog& dialog)
{
    for (;;) {
        const std::vector<search::FixposItem> items = search::fixpos_items(s, run.tables, in.lines);
        Form form;
        form.text[kBottom] = "Highlight & Swap/Ignore as required";
        form.text[kTop] = fixpos_heading(in.ynames);
        for (const search::FixposItem& it : items) form.items[kList].push_back(it.text);
        form.picked[kList] = std::vector<bool>(items.size(), false);
        const int id = dialog.run(kDialog, form);
        if (id == kMissing) {
            run.log.write("Error: dialog box 23 not found");
            return;
        }
        const std::vector<bool>& picked = form.picked[kList];
        const bool any = std::find(picked.begin(), picked.end(), true) != picked.end();
        if (id == kSwap) {
            if (!any) need_selection(run.services, "NOTE:need to select item to swap$");
            else swap_rows(s, run, items, picked);
        } else if (id == kIgnore) {
            if (!any) need_selection(run.services, "NOTE:need to select item to ignore$");
            else ignore_rows(run, items, picked);
        } else if (id == kAsInCf) {
            as_in_cf(s, run, in.lines);
        } else if (id == kHelpButton) {
            run.services.helpshow("Rank: Fix Positive attributes");
        } else {
            return;
        }
    }
}

} // namespace

std::string fixpos_heading(const std::vector<std::string>& ynames)
{
    if (ynames.size() > 1) return "Mutivariate Y correlation  Max. over cuts   Each cut";
    const std::string name = ynames.empty() ? std::string() : ynames.front();
    return "Correlations with " + io::fmt_a(name, 8) + " Max. over cuts" + "   Each cut";
}

void fixpos_mode2(search::FixposState& s, search::FixposRun& run, const FixposDialogInput& in, FormDialog& dialog)
{
    search::decide_directions(s, run);
    ui::tell(run.services, run.log, run.told);
    if (!run.go) dialog_loop(s, run, in, dialog);
    search::log_directions(run, in.lines);
}

} // namespace meru::settings
