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

// The names of the boxes `on` has ticked that `off` has not, joined as a phrase
// ("Iterative mode and Decide positivity"), and how many.
std::pair<std::string, std::size_t> boxes_between(const StrategySettings& on, const StrategySettings& off)
{
    std::vector<std::string> names;
    if (on.iterative && !off.iterative) names.emplace_back("Iterative mode");
    if (on.forcein && !off.forcein) names.emplace_back("Force in attribute");
    if (on.decidepos && !off.decidepos) names.emplace_back("Decide positivity");
    std::string boxes = names.empty() ? std::string() : names.front();
    for (std::size_t k = 1; k < names.size(); ++k) boxes += (k + 1 == names.size() ? " and " : ", ") + names[k];
    return {boxes, names.size()};
}

// Takes the Top m box and the iteration limit as read from the dialog: an m
// the user typed becomes their choice, a truncation to `nattr` holds for the
// analysis in hand. False after a refusal.
bool take_limits(StrategySettings& s, int nattr, Services& services)
{
    const auto m = read_int_field(s.topmbox, 6);
    if (!m || *m < 1) {
        refuse(services, "Need a number m in Top m box$");
        return false;
    }
    if (s.topm_typed) s.chosen_topm = static_cast<int>(*m);
    s.topm_typed = false;
    long long topm = *m;
    if (topm > nattr) {
        refuse(services, "Top m too large. Truncated to # attributes $");
        topm = nattr;
        s.topmbox = io::fmt_i(topm, 3);
    }
    s.attrsetspec = "1-" + s.topmbox.substr(0, 4);
    s.topm = static_cast<int>(topm);
    const auto maxiter = io::list_read_int(s.maxitertext);
    if (!maxiter) {
        refuse(services, "Error reading max iterations$");
        return false;
    }
    if (*maxiter < 1 || *maxiter > kMaxIterations) {
        refuse(services, "Maximum iterations takes a whole number from 1 to 999999$");
        return false;
    }
    s.maxiter = static_cast<int>(*maxiter);
    return true;
}

// Tree, unticked while the tree's changes are held: the boxes the tree turned
// off and the user left off are ticked again. The note that says so, or an
// empty text when nothing came back.
std::string give_back(StrategySettings& s)
{
    const StrategySettings read = s;
    s.iterative = s.iterative || s.before_tree->iterative;
    s.decidepos = s.decidepos || s.before_tree->decidepos;
    const auto [boxes, n] = boxes_between(s, read);
    if (n == 0) return {};
    return "Without the tree, " + boxes + (n == 1 ? " is" : " are") +
           " on again, as before the tree. Press OK to keep " + (n == 1 ? "it." : "them.");
}

} // namespace

std::string tree_note(const StrategySettings& before, const StrategySettings& after)
{
    const auto [boxes, n] = boxes_between(before, after);
    if (n == 0) return {};
    return "A tree analysis goes without " + boxes + ": the tree turned " + (n == 1 ? "it" : "them") +
           " off. Press OK to keep the tree.";
}

StrategyResult stratdlg(StrategySettings& s, bool& bygroup, bool serialy, int nattr, FormDialog& dialog,
                        Services& services, io::LogWriter& log)
{
    StrategyResult r;
    if (s.attrsetspec != "all") {
        std::replace(s.attrsetspec.begin(), s.attrsetspec.end(), '-', ' ');
        if (!s.topm_typed) s.topmbox = io::fmt_i(s.topm, 3);
    }
    const StrategySettings entry = s;
    std::string note;        // why the dialog is shown again
    bool given_back = false; // the tree's changes were given back in this call
    for (;;) {
        Form f = strategy_form(s, note);
        note.clear();
        const std::string shown = s.topmbox;
        const int closed = dialog.run(ids::kDialog, f);
        if (closed == kMissing) {
            log.write(io::list_record("Error: strategy dialog box 6 not found"));
            r.cancelled = true;
            return r;
        }
        if (closed == kCancel) {
            // Whatever was read or changed in earlier showings goes.
            s = entry;
            r.cancelled = true;
            return r;
        }
        if (closed == kHelp) {
            services.helpshow("Strategy dialog");
            continue;
        }
        read_form(f, s);
        if (s.topmbox != shown) s.topm_typed = true;
        // Tree ticked: the boxes as they were before this dialog are the user's own.
        if (s.treemode && !s.before_tree)
            s.before_tree = StrategySettings::BeforeTree{entry.iterative, entry.decidepos, {}, 1};
        if (!s.treemode && s.before_tree && !given_back) {
            given_back = true;
            note = give_back(s);
            // After the Extent dialog this dialog is shown again anyway.
            if (!note.empty() && closed != ids::kExtent) continue;
        }
        if (closed == ids::kExtent) {
            r.wantextent = true;
            return r;
        }
        if (s.treemode) {
            const StrategySettings read = s;
            if (s.iterative || s.forcein || bygroup) {
                s.iterative = s.forcein = s.decidepos = false;
                note = tree_note(read, s);
                if (bygroup && services.quiz("?By group and tree not allowed! Undo by-group?")) {
                    bygroup = false;
                    r.bygroup_undone = true;
                }
                continue;
            }
            if (s.decidepos) {
                s.decidepos = false;
                note = tree_note(read, s);
                continue;
            }
            if (serialy) {
                refuse(services, "Serial multivariate Y and tree not allowed$");
                continue;
            }
        }
        if (!take_limits(s, nattr, services)) continue;
        // The tree accepted, like any other strategy, logs what is in force.
        log.write(io::list_record(s.iterative ? "Iterative mode" : "Non-iterative mode"));
        log.write(io::list_record(s.forcein ? "Forcing" : "Not-forcing"));
        log.write(io::list_record(s.decidepos ? "Decide positivity" : "Positive attributes as specified"));
        log.write(" Top m attributes, m=" + io::fmt_i(s.topm, 4));
        return r;
    }
}

} // namespace meru::settings
