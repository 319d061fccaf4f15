#include "outcome/sp4.h"

#include "core/services.h"
#include "files/dataset.h"
#include "files/tables.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "platform/io/strings.h"
#include "stats/quartab.h"
#include "ui/msgtext.h"

#include <algorithm>

namespace meru::outcome {

namespace {

// Variable j's values for the first n observations.
std::vector<float> variable_values(const files::DataArrays& data, int n, int var)
{
    std::vector<float> out;
    if (var < 1 || var > data.ncols) return out;
    const int rows = std::min(n, data.n);
    out.reserve(static_cast<std::size_t>(std::max(rows, 0)));
    for (int i = 1; i <= rows; ++i) out.push_back(data.x(i, var));
    return out;
}

class Sp4 {
public:
    Sp4(ByGroup& by, const Sp4Input& in, ModeDialogs& dialogs, Services& sv, io::LogWriter& log)
        : by_(by), in_(in), t_(in.tables), dialogs_(dialogs), sv_(sv), log_(log)
    {}

    void run()
    {
        if (by_.mode) {
            by_.mode = false;
            return;
        }
        ByVariableView view;
        for (int j = 1; j <= t_.vars.nvar; ++j) view.names.push_back(t_.vars.varname[static_cast<std::size_t>(j)]);
        for (;;) { // each pass starts over with By Attribute on
            view.byvalue = false;
            view.byattribute = true;
            const int var = choose_variable(view);
            if (var <= 0) return;
            by_.byvar = view.names[static_cast<std::size_t>(var - 1)];
            if (view.byattribute) {
                if (!by_attribute(var)) continue;
            } else if (view.byvalue) {
                by_value(var);
            }
            log_.write("Analysis by variable: " + io::fmt_a(by_.byvar, 8));
            return;
        }
    }

private:
    // The first dialog until a variable is taken; 0 when cancelled or missing.
    int choose_variable(ByVariableView& view)
    {
        for (;;) {
            view.selected.assign(view.names.size(), false);
            const int id = dialogs_.by_variable(view);
            if (id == kDialogMissing) {
                log_.write(" Error: BY dialog box 15 not found");
                return 0;
            }
            if (id == kCancel) {
                by_.mode = false;
                return 0;
            }
            if (id == ids::kByHelp) {
                sv_.helpshow("By Value and By Attribute");
                continue;
            }
            const auto it = std::find(view.selected.begin(), view.selected.end(), true);
            if (it == view.selected.end()) continue;
            const int var = static_cast<int>(it - view.selected.begin()) + 1;
            const std::string name = io::rtrim(view.names[static_cast<std::size_t>(var - 1)]);
            if (in_.defyname.substr(0, 20).find(name) != std::string_view::npos) {
                sv_.msgok("Same as Y variable. Re-choose $");
                continue;
            }
            return var;
        }
    }

    // False when the first dialog must start over.
    bool by_attribute(int var)
    {
        std::vector<int> lines = variable_lines(t_, var);
        if (static_cast<int>(lines.size()) > kMaxGroupLines) {
            sv_.msgok("Array  bound exceeded in SP4. >10$");
            lines.resize(kMaxGroupLines);
        }
        if (lines.empty()) {
            sv_.helpshow("NOTE: no attributes specified");
            return false;
        }
        int line = lines.front();
        if (lines.size() > 1) {
            std::vector<std::string> items;
            for (int l : lines) items.push_back(group_line_label(t_, l, by_.byvar));
            for (;;) {
                std::vector<bool> selected(items.size(), false);
                const int id = dialogs_.attribute_groups(items, selected);
                if (id == kDialogMissing) {
                    log_.write(" Error: dialog box 16 not found");
                    return false;
                }
                if (id == kCancel) return false;
                const auto it = std::find(selected.begin(), selected.end(), true);
                if (it == selected.end()) continue;
                line = lines[static_cast<std::size_t>(it - selected.begin())];
                break;
            }
        }
        by_.byvalues = false;
        by_.byindex = line;
        by_.mode = true;
        by_.ngroups = t_.line[static_cast<std::size_t>(line)].ncuts;
        by_.values.clear();
        by_.counts.clear();
        by_.obsvalues.clear();
        return true;
    }

    void by_value(int var)
    {
        by_.obsvalues = variable_values(in_.data, in_.nobs, var);
        by_.byvalues = true;
        by_.mode = true;
        by_.byindex = var;
        const std::span<const int> w(in_.data.obswt);
        const ValueGroups g =
            value_groups(by_.obsvalues, w.first(std::min(w.size(), by_.obsvalues.size())), in_.obsmask);
        by_.ngroups = static_cast<int>(g.values.size());
        const std::size_t kept = std::min<std::size_t>(g.values.size(), kMaxByGroups);
        by_.values.assign(g.values.begin(), g.values.begin() + static_cast<std::ptrdiff_t>(kept));
        by_.counts.assign(g.counts.begin(), g.counts.begin() + static_cast<std::ptrdiff_t>(kept));
    }

    ByGroup& by_;
    const Sp4Input& in_;
    const files::ControlTables& t_;
    ModeDialogs& dialogs_;
    Services& sv_;
    io::LogWriter& log_;
};

} // namespace

std::vector<int> variable_lines(const files::ControlTables& t, int var)
{
    std::vector<int> out;
    for (int j = 2; j <= t.nlines && j < static_cast<int>(t.line.size()); ++j)
        if (t.line[static_cast<std::size_t>(j)].var == var) out.push_back(j);
    return out;
}

std::string group_line_label(const files::ControlTables& t, int line, std::string_view varname)
{
    const files::AttrLine& l = t.line[static_cast<std::size_t>(line)];
    std::string text = ui::squeeze(io::fmt_a(varname, 8).substr(0, 5));
    const int first = t.line[static_cast<std::size_t>(line - 1)].attoff + 1;
    for (int a = first; a < first + l.ncuts && a < static_cast<int>(t.att.size()); ++a) {
        const files::Attribute& att = t.att[static_cast<std::size_t>(a)];
        const std::string& label = att.signbyte == -1 ? att.attlab[0] : att.attlab[1];
        text = ui::squeeze(text + (a == first ? ": " : ", ") + io::fmt_a(label, files::kLabelLen));
    }
    return text.substr(0, 40);
}

ValueGroups value_groups(std::span<const float> values, std::span<const int> weights, std::span<const char> mask)
{
    stats::QuartabInput q;
    q.y = values;
    q.weights = weights;
    q.mask = mask;
    q.print = false;
    io::LogWriter quiet; // nothing is printed
    const stats::QuartabResult r = stats::quartab(q, quiet);
    ValueGroups g;
    for (const stats::QuartabEntry& e : r.entries) {
        if (e.value < 0) continue;
        g.values.push_back(e.value);
        g.counts.push_back(e.weight);
    }
    return g;
}

void sp4(ByGroup& by, const Sp4Input& in, ModeDialogs& dialogs, Services& sv, io::LogWriter& log)
{
    Sp4(by, in, dialogs, sv, log).run();
}

void sp4_tree(ByGroup& by, const files::ControlTables& t, const files::DataArrays& data, int nobs, int nodevar,
              int depth)
{
    by.mode = true;
    by.byvar = nodevar >= 1 && nodevar <= t.vars.nvar ? t.vars.varname[static_cast<std::size_t>(nodevar)] : "";
    by.byvalues = true;
    by.byindex = nodevar;
    const long long groups = depth < 0 ? 1 : depth > 30 ? (1LL << 30) : (1LL << depth);
    by.ngroups = static_cast<int>(groups);
    by.values.clear();
    by.counts.clear();
    for (long long g = 1; g <= groups && g <= kMaxByGroups; ++g) by.values.push_back(static_cast<double>(g));
    by.obsvalues = variable_values(data, nobs, nodevar);
}

} // namespace meru::outcome
