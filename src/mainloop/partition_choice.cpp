#include "mainloop/partition_choice.h"

#include "mainloop/added_requests.h"
#include "mainloop/manual_partition.h"
#include "mainloop/pair_check.h"
#include "mainloop/program.h"
#include "partition/complement.h"
#include "partition/parttext.h"
#include "platform/io/strings.h"
#include "search/hull.h"
#include "settings/bestdlg.h"
#include "ui/actlog.h"
#include "ui/messages.h"
#include "ui/partition_dialogs.h"
#include "ui/partwin.h"

namespace meru::mainloop {

int initial_choice(const ChoiceFacts& f)
{
    if (f.current_valid) return select_ids::kCurrent;
    return f.top10_empty ? select_ids::kManual : select_ids::kOptimal;
}

namespace {

// The note that refuses a choice with nothing behind it; empty when it stands.
std::string refusal(int choice, const ChoiceFacts& f)
{
    using namespace select_ids;
    if (choice == kCombination && f.combinations == 0) return "NOTE:no partition combinations in control file$";
    if (choice == kBest && f.best_empty) return "NOTE: as yet no partitions \"best at each complexity\"$";
    if (choice == kOptimal && f.top10_empty) return "NOTE: no search done so no \"optimal partition\" $";
    if ((choice == kOptimal || choice == kBest) && !f.lodged)
        return "NOTE: No partitions lodged in memory. Choose again$";
    return {};
}

int chosen_radio(const settings::Form& form)
{
    using namespace select_ids;
    for (int id : {kOptimal, kBest, kManual, kCurrent, kCombination})
        if (form.is_on(id)) return id;
    return 0;
}

} // namespace

int select_partition(const ChoiceFacts& facts, settings::FormDialog& dialog,
                     const std::function<void(std::string&)>& note, const std::function<void(std::string)>& log)
{
    using namespace select_ids;
    int choice = initial_choice(facts);
    for (;;) {
        settings::Form form;
        for (int id : {kOptimal, kBest, kManual, kCurrent, kCombination}) form.on[id] = id == choice;
        const int r = dialog.run(kDialog, form);
        if (r == settings::kMissing) {
            log("Error: dialog box 11 not found");
            return settings::kMissing;
        }
        if (r != settings::kOk) return settings::kCancel;
        if (const int c = chosen_radio(form); c != 0) choice = c;
        std::string text = refusal(choice, facts);
        if (text.empty()) break;
        note(text);
    }
    if ((choice == kOptimal || choice == kBest) && !facts.nontree_search) {
        std::string text = "NOTE: No MERU search yet done. Uncertain stack contents$";
        note(text);
    }
    return choice;
}

namespace {

// A stored list with its complement, as the current pair is held.
bool pair_of(Program& p, const partition::TermList& list, int flag, partition::Partition& out)
{
    partition::ReduceOptions opt;
    opt.tables = &p.analysis->tables;
    opt.primitive = p.options.primattr;
    opt.services = &p.services;
    out.first = list;
    out.repflag = flag;
    out.second.clear();
    const int sense = flag == 1 ? partition::kPlain : partition::kFlipped;
    return complement_of(p, list, sense, out.second, opt);
}

// The best-at-each-complexity entry: the optimum, or the user's pick from dialog 113.
bool best_entry(Program& p, bool show, partition::Partition& out)
{
    const auto entries = p.results.bestlist.entries();
    const search::Hull hull = search::complexity_hull(entries);
    settings::BestChoiceInput in;
    in.entries = entries;
    in.hull = &hull;
    in.optimum = search::penalised_table(entries, p.results.cplxhist, beta_in_force(p)).optimum;
    in.beta = beta_in_force(p);
    in.in_go = !show;
    in.asked = show ? 0 : in.optimum;
    const settings::BestChoice c = settings::bestdlg(in, *p.forms, p.log);
    if (c.cancelled || !c.chosen) return false;
    bool aminus = false;
    p.ptext = partition::dialog_text(c.chosen->list, c.chosen->flag, aminus, p.log);
    p.process.current_g = c.chosen->value;
    p.process.current_key = p.process.lists_key;
    p.process.current_complexity = c.chosen->complexity;
    return pair_of(p, c.chosen->list, c.chosen->flag, out);
}

// A partition entered by hand or taken from the control file's combinations
// (whose name goes to `combo_name`).
bool entered(Program& p, bool combination, bool rectangle, partition::Partition& out, std::string& combo_name)
{
    Analysis& a = *p.analysis;
    ManualText text;
    text.ptext = p.ptext;
    std::vector<int> lines;
    for (int k = 1; k <= a.tables.nlines; ++k) lines.push_back(k);
    ui::QtPartitionDialogs dialogs(p.ui);
    const ManpartResult r = manpart(combination, text, a.tables, lines, dialogs, p.services, p.log);
    if (r.cancelled) return false;
    p.ptext = text.ptext;
    EnteredPartition in;
    in.list = r.list;
    in.repflag = r.repflag;
    in.simplify = text.simplify;
    in.from = combination ? EnteredFrom::combination : EnteredFrom::manual;
    in.combo_name = r.combname;
    if (combination) combo_name = io::rtrim(r.combname);
    in.rectangle = rectangle;
    partition::TermList picked;
    const bool ok = show_entered(p, in, out, picked, ui::partition_window(p.ui, a.tables));
    p.process.current = out;
    p.process.current_valid = ok;
    return ok;
}

ChoiceFacts facts_of(const Program& p)
{
    ChoiceFacts f;
    f.current_valid = p.process.current_valid;
    f.top10_empty = p.results.top10.count() == 0;
    f.best_empty = p.results.bestlist.count() == 0;
    f.lodged = !f.best_empty;
    f.combinations = static_cast<int>(p.analysis->tables.cfcomb.size());
    f.nontree_search = p.flags.nontree_search;
    return f;
}

} // namespace

bool choose_partition(Program& p, bool rectangle, partition::Partition& out, ChosenFrom* from)
{
    using namespace select_ids;
    if (!p.analysis_open()) return false;
    ChosenFrom ignored;
    ChosenFrom& chosen = from ? *from : ignored;
    chosen = {};
    chosen.search_end = p.flags.sgo || p.flags.treemade;
    if (p.flags.sgo) {
        // The search's winner (the optimum of its best list) was made the current
        // pair when the search ended; the later steps of a series evaluate it again.
        if (p.process.current_valid) {
            out = p.process.current;
            return true;
        }
        return p.results.bestlist.count() > 0 && best_entry(p, false, out);
    }
    if (p.flags.treemade) {
        p.flags.treemade = false;
        out = p.process.current;
        return p.process.current_valid;
    }
    ChoiceFacts facts = facts_of(p);
    bool titled = false;
    for (;;) {
        const int choice = select_partition(
            facts, *p.forms, [&p](std::string& t) { ui::note(p.ui, t, NoteKind::Cut79, false); },
            [&p](std::string t) { p.log.write(t); });
        if (choice <= 0 || choice == settings::kCancel) return false;
        if (!titled && !p.process.title.empty()) ui::actlog(p.log, p.ui.history, p.process.title);
        titled = true;
        chosen.entered = choice == kManual || choice == kCombination;
        switch (choice) {
        case kBest: return best_entry(p, true, out);
        case kOptimal: return best_entry(p, false, out);
        case kManual: return entered(p, false, rectangle, out, chosen.combo_name);
        case kCombination: return entered(p, true, rectangle, out, chosen.combo_name);
        default: break;
        }
        if (p.process.current_valid) {
            out = p.process.current;
            return true;
        }
        std::string text = "NOTE: There is no current partition$";
        ui::note(p.ui, text, NoteKind::Cut79, false);
        facts.current_valid = false;
    }
}

} // namespace meru::mainloop
