#include "settings/strategy_dialog.h"

#include "core/services.h"
#include "platform/io/edit.h"
#include "platform/io/listread.h"
#include "platform/io/logwriter.h"

#include <algorithm>
#include <vector>

namespace meru::settings {

namespace ids = strategy_ids;

namespace {
constexpr long long kMaxIterations = 999999; // what the six-character box holds
} // namespace

std::optional<long long> read_int_field(std::string_view text, int width)
{
    std::string digits;
    for (char c : text.substr(0, static_cast<std::size_t>(width)))
        if (c != ' ') digits += c;
    if (digits.empty()) return 0;
    return io::parse_int(digits);
}

namespace {

Form strategy_form(const StrategySettings& s, const std::string& note)
{
    Form f;
    f.on = {{ids::kConstrainx, s.constrainx},
            {ids::kForcein, s.forcein},
            {ids::kIterative, s.iterative},
            {ids::kTree, s.treemode},
            {ids::kDecidepos, s.decidepos}};
    f.text = {{ids::kTopm, s.topmbox}, {ids::kMaxiter, s.maxitertext}, {ids::kNote, note}};
    return f;
}

void read_form(const Form& f, StrategySettings& s)
{
    s.constrainx = f.is_on(ids::kConstrainx);
    s.forcein = f.is_on(ids::kForcein);
    s.iterative = f.is_on(ids::kIterative);
    s.treemode = f.is_on(ids::kTree);
    s.decidepos = f.is_on(ids::kDecidepos);
    s.topmbox = f.text.at(ids::kTopm);
    s.maxitertext = f.text.at(ids::kMaxiter);
}

void refuse(Services& services, std::string text) { services.msgbox(text, BoxKind::Ok, false); }

} // namespace

std::string tree_note(const StrategySettings& before, const StrategySettings& after)
{
    std::vector<std::string> off;
    if (before.iterative && !after.iterative) off.emplace_back("Iterative mode");
    if (before.forcein && !after.forcein) off.emplace_back("Force in attribute");
    if (before.decidepos && !after.decidepos) off.emplace_back("Decide positivity");
    if (off.empty()) return {};
    std::string boxes = off.front();
    for (std::size_t k = 1; k < off.size(); ++k) boxes += (k + 1 == off.size() ? " and " : ", ") + off[k];
    return "A tree analysis goes without " + boxes + ": the tree turned " + (off.size() == 1 ? "it" : "them") +
           " off. Press OK to keep the tree.";
}

StrategyResult stratdlg(StrategySettings& s, bool& bygroup, bool serialy, int nattr, FormDialog& dialog,
                        Services& services, io::LogWriter& log)
{
    StrategyResult r;
    if (s.attrsetspec != "all") {
        std::replace(s.attrsetspec.begin(), s.attrsetspec.end(), '-', ' ');
        s.topmbox = io::fmt_i(s.topm, 3);
    }
    std::string note; // why the dialog is shown again
    for (;;) {
        Form f = strategy_form(s, note);
        note.clear();
        const int closed = dialog.run(ids::kDialog, f);
        if (closed == kMissing) {
            log.write(io::list_record("Error: strategy dialog box 6 not found"));
            r.cancelled = true;
            return r;
        }
        if (closed == kCancel) {
            r.cancelled = true;
            return r;
        }
        if (closed == kHelp) {
            services.helpshow("Strategy dialog");
            continue;
        }
        read_form(f, s);
        if (closed == ids::kExtent) {
            r.wantextent = true;
            return r;
        }
        if (s.treemode) {
            const StrategySettings read = s;
            if (!s.iterative && !s.forcein && !bygroup) {
                if (s.decidepos) {
                    s.decidepos = false;
                    note = tree_note(read, s);
                    continue;
                }
                if (serialy) {
                    refuse(services, "Serial multivariate Y and tree not allowed$");
                    continue;
                }
                return r;
            }
            s.iterative = s.forcein = s.decidepos = false;
            note = tree_note(read, s);
            if (bygroup && services.quiz("?By group and tree not allowed! Undo by-group?")) {
                bygroup = false;
                r.bygroup_undone = true;
            }
            continue;
        }
        log.write(io::list_record(s.iterative ? "Iterative mode" : "Non-iterative mode"));
        log.write(io::list_record(s.forcein ? "Forcing" : "Not-forcing"));
        log.write(io::list_record(s.decidepos ? "Decide positivity" : "Positive attributes as specified"));
        const auto m = read_int_field(s.topmbox, 6);
        if (!m || *m < 1) {
            refuse(services, "Need a number m in Top m box$");
            continue;
        }
        long long topm = *m;
        if (topm > nattr) {
            refuse(services, "Top m too large. Truncated to # attributes $");
            topm = nattr;
            s.topmbox = io::fmt_i(topm, 3);
        }
        s.attrsetspec = "1-" + s.topmbox.substr(0, 4);
        s.topm = static_cast<int>(topm);
        log.write(" Top m attributes, m=" + io::fmt_i(topm, 4));
        const auto maxiter = io::list_read_int(s.maxitertext);
        if (!maxiter) {
            refuse(services, "Error reading max iterations$");
            continue;
        }
        if (*maxiter < 1 || *maxiter > kMaxIterations) {
            refuse(services, "Maximum iterations takes a whole number from 1 to 999999$");
            continue;
        }
        s.maxiter = static_cast<int>(*maxiter);
        return r;
    }
}

} // namespace meru::settings
