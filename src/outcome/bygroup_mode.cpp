#include "outcome/bygroup_mode.h"

#include "core/services.h"
#include "files/charcodes.h"
#include "files/dataset.h"
#include "files/tables.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "platform/io/strings.h"
#include "ui/msgtext.h"

#include <algorithm>
#include <cmath>

namespace meru::outcome {

namespace {

// The attribute of group g when the groups come from an attribute line; 0 when
// the line or the group lies outside the tables.
int group_attribute(const ByGroup& by, const files::ControlTables& t, int g)
{
    if (by.byindex < 2 || by.byindex > t.nlines) return 0;
    const files::AttrLine& l = t.line[static_cast<std::size_t>(by.byindex)];
    if (g < 1 || g > l.ncuts) return 0;
    const int a = t.line[static_cast<std::size_t>(by.byindex - 1)].attoff + g;
    return a >= 1 && a <= t.natt ? a : 0;
}

} // namespace

bool by_character(const ByGroup& by, std::span<const char> varischar)
{
    return by.byvalues && by.byindex >= 0 && by.byindex < static_cast<int>(varischar.size()) &&
           varischar[static_cast<std::size_t>(by.byindex)];
}

GroupText group_text(const ByGroup& by, const files::ControlTables& t, bool character, int g)
{
    GroupText out;
    const std::string name8 = io::fmt_a(by.byvar, 8);
    const std::string head = " By-group " + io::fmt_i(g, 3) + ": " + name8;
    if (!by.byvalues) {
        const int a = group_attribute(by, t, g);
        // The group holds the observations whose byte is 1: the label of that side.
        const std::string label = a > 0 ? t.att[static_cast<std::size_t>(a)].attlab[1] : std::string();
        out.notetxt = io::rtrim(ui::squeeze(label));
        out.line = head + label;
        out.note = "Analysis of BY group " + name8 + io::fmt_a(out.notetxt, 10) + " $";
        out.label = io::rtrim(ui::squeeze(name8 + out.notetxt));
    } else {
        const double v =
            g >= 1 && g <= static_cast<int>(by.values.size()) ? by.values[static_cast<std::size_t>(g - 1)] : -1.0;
        if (v < 0) {
            out.missing = true;
            out.line = head + "=missing";
            out.note = "Analysis of BY group " + name8 + io::fmt_a("missing", 10) + " $";
            out.label = io::rtrim(ui::squeeze(name8 + "=missing"));
        } else if (character) {
            const std::string c(1, files::codechar(static_cast<int>(v)));
            out.line = out.note = head + "=" + c;
            out.label = io::rtrim(ui::squeeze(name8 + "=" + c));
        } else {
            out.line = out.note = head + "=" + io::fmt_g(v, 10, 4);
            out.label = io::rtrim(ui::squeeze(name8 + "=" + io::fmt_i(static_cast<long long>(v), 8)));
        }
    }
    out.label = out.label.substr(0, 28);
    return out;
}

void bygroup_mode(ByGroup& by, const Sp4Input& in, const ByGroupRequest& req, ModeDialogs& dialogs, Services& sv,
                  io::LogWriter& log)
{
    if (req.split) {
        sv.helpshow("NOTE: By groups with Edit:Split");
        return;
    }
    if (req.yserial) {
        std::string text = "Cannot do by-groups in serial multivar mode. Reselect Y$";
        sv.msgbox(text, BoxKind::Ok, false);
        return;
    }
    sv.actlog("%Y:by-group");
    sp4(by, in, dialogs, sv, log);
    if (!by.mode) {
        log.write(" No by group selected, or cancelled");
        return;
    }
    if (by.ngroups > kMaxByGroups) {
        std::string text = io::fmt_i(by.ngroups, 4) +
                           " is too many by-groups > parameter MAXBYG=" + io::fmt_i(kMaxByGroups, 2) +
                           " Will do first " + io::fmt_i(kMaxByGroups, 3) + " only $";
        sv.msgbox(text, BoxKind::Ok, false);
        by.ngroups = kMaxByGroups;
    }
    sv.note("There are " + io::fmt_i(by.ngroups, 4) + " By-groups of " + io::rtrim(io::fmt_a(by.byvar, 8)) +
                ". View LOG for details $",
            NoteKind::Full, false);
    log.write(by.byvalues ? " Defined by variable values" : " Defined by attributes of variable");
    const bool character = by_character(by, req.varischar);
    for (int g = 1; g <= by.ngroups; ++g) {
        const GroupText text = group_text(by, in.tables, character, g);
        log.write(io::rtrim(ui::squeeze(text.line)));
        by.bylabel = text.label;
        if (!by.byvalues) by.notetxt = text.notetxt;
    }
    if (req.strategy_tree && *req.strategy_tree) {
        sv.helpshow("NOTE: Strategy:Tree checked");
        *req.strategy_tree = false;
    }
}

bool next_group(ByGroup& by, const files::ControlTables& t, std::span<const char> varischar, ModeDialogs& dialogs,
                io::LogWriter& log, std::string& msgline, bool missing_groups)
{
    const bool character = by_character(by, varischar);
    while (by.current < by.ngroups) {
        const int g = ++by.current;
        GroupText text = group_text(by, t, character, g);
        if (text.missing && !missing_groups) {
            text.line = text.note = " By-group " + io::fmt_i(g, 3) + ": " + io::fmt_a(by.byvar, 8) + "=" +
                                    io::fmt_g(by.values[static_cast<std::size_t>(g - 1)], 10, 4);
            text.missing = false;
        }
        msgline = text.note;
        if (!text.missing) by.bylabel = text.label;
        if (!by.byvalues) by.notetxt = text.notetxt;
        if (dialogs.quit_note(msgline) == 2) continue; // "Quit by group" skips this group
        log.write(io::rtrim(io::fmt_a(msgline, 80)));
        return true;
    }
    return false;
}

std::vector<char> group_mask(const ByGroup& by, const files::ControlTables& t, const files::DataArrays& data, int n,
                             std::span<const char> obsmask, int g)
{
    n = std::clamp(n, 0, data.n);
    std::vector<char> mask(static_cast<std::size_t>(n), 1);
    for (int i = 0; i < n && !obsmask.empty(); ++i)
        mask[static_cast<std::size_t>(i)] =
            static_cast<std::size_t>(i) < obsmask.size() && obsmask[static_cast<std::size_t>(i)];
    if (by.byvalues) {
        const double v =
            g >= 1 && g <= static_cast<int>(by.values.size()) ? by.values[static_cast<std::size_t>(g - 1)] : -1.0;
        for (int i = 0; i < n; ++i) {
            const bool known = static_cast<std::size_t>(i) < by.obsvalues.size();
            if (!known || by.obsvalues[static_cast<std::size_t>(i)] != static_cast<float>(v))
                mask[static_cast<std::size_t>(i)] = 0;
        }
        return mask;
    }
    const int a = group_attribute(by, t, g);
    for (int i = 0; i < n; ++i) {
        // A missing byte (255) puts the observation in no group.
        if (a < 1 || a > data.lc || data.ab(a, i + 1) != 1) mask[static_cast<std::size_t>(i)] = 0;
    }
    return mask;
}

} // namespace meru::outcome
