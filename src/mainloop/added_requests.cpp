#include "mainloop/added_requests.h"

#include "mainloop/iterative_search.h"
#include "mainloop/menubar.h"
#include "mainloop/pair_check.h"
#include "mainloop/process_dialogs.h"
#include "mainloop/process_statistics.h"
#include "mainloop/program.h"
#include "mainloop/rank_requests.h"
#include "partition/candidate.h"
#include "partition/complement.h"
#include "partition/reduce.h"
#include "platform/frame.h"
#include "search/combination_write.h"
#include "tree/tree_window.h"
#include "ui/messages.h"

#include <functional>

namespace meru::mainloop {

namespace {

std::string name8(const std::string& name)
{
    std::string s = name.substr(0, files::kNameLen);
    s.resize(files::kNameLen, ' ');
    return s;
}

partition::ReduceOptions reduce_options(Program& p)
{
    partition::ReduceOptions opt;
    opt.tables = &p.analysis->tables;
    opt.label_rules = p.options.fullred;
    opt.primitive = p.options.primattr;
    opt.services = &p.services;
    opt.trace = p.debug;
    return opt;
}

// A pair that failed the compatibility test: the complement computed again, then
// the complement of that complement, with the notes of each outcome.
void repair_complement(Program& p, partition::TermList& first, int sense, partition::TermList& second,
                       const partition::ReduceOptions& opt, int repflag, const std::function<bool()>& fits,
                       const partition::PartitionWindow& show)
{
    bool fixed = complement_of(p, first, sense, second, opt, p.debug) && fits();
    if (!fixed) {
        p.services.helpshow("NOTE: Boolean algebra problem not fixed");
        partition::TermList back;
        fixed = complement_of(p, second, 1 - sense, back, opt, p.debug) && (first = back, fits());
    }
    if (fixed) p.services.note("NOTE: Boolean algebra seems fixed", NoteKind::Full, false);
    else p.services.helpshow("NOTE: Boolean algebra still not fixed");
    if (show) show(first, repflag, "Back-transposed partition");
}

// A tree partition whose non-highlighted leaves failed the test: the complement
// of the highlighted leaves by transposition takes their place.
void transposed_complement(Program& p, const partition::TermList& first, int sense, partition::TermList& second,
                           const partition::ReduceOptions& opt, int repflag, const std::function<bool()>& fits,
                           const partition::PartitionWindow& show)
{
    partition::TermList transposed;
    if (!complement_of(p, first, sense, transposed, opt, p.debug)) {
        p.services.helpshow("ERROR: in transposition algorithm");
        return;
    }
    second = std::move(transposed);
    if (show) show(second, 1 - repflag, "Complement by transposition:");
    if (fits()) return;
    p.msgline = "NOTE: Fix not working";
    p.log.write("  Fix apparently not worked. Check Boolean algebra");
    p.services.helpshow(p.msgline);
}

// Appends the partition to the control file as the combination `name`.
void write_combination(Program& p, const std::string& name, const partition::TermList& list)
{
    Analysis& a = *p.analysis;
    Notices told;
    search::write_combination(a.cfname, name, list, a.tables, told);
    ui::tell(p.services, p.log, told);
}

} // namespace

void offer_added_view(Program& p)
{
    if (p.analysis && p.analysis->added.count > 0) p.menus.set_flags(kViewMenu, 6, platform::kMenuEnabled);
}

search::MadeAttribute create_process_attribute(Program& p, const partition::Partition& cur,
                                               const std::string& combo_name)
{
    search::MadeAttribute m;
    if (!p.analysis) return m;
    Analysis& a = *p.analysis;
    const bool combination = !combo_name.empty();
    const std::string name = combination ? combo_name : search::process_name(a.process_count + 1);
    search::AddedContext c{a.tables, a.data, a.added};
    search::HeldReferences refs = held_references(p, nullptr, nullptr, nullptr);
    m = search::make_added(c, cur, name, p.options.skipcomb, refs, p.log);
    apply_renumbering(p, m.renumbering);
    if (!m.made) {
        p.services.helpshow("NOTE:too many added attributes");
        return m;
    }
    if (!combination) ++a.process_count;
    a.naddatt = a.added.count;
    p.log.write("  Added  attribute: " + name8(name) + " is created");
    offer_added_view(p);
    if (a.added.count == 1 && p.frame.active() == platform::no_window) p.frame.set_active(kProgressUnit);
    if (!combination && !a.added_from_cf &&
        p.services.quiz("?Added attribute made. Write as a control file combination?"))
        write_combination(p, name, cur.a());
    return m;
}

void offer_combination(Program& p, const partition::Partition& cur, const std::string& name)
{
    if (!p.analysis || cur.first.lits.empty() || partition::attribute_of(cur.first.lits[0]) == 1) return;
    if (!p.services.quiz("?Write created attribute as a control file combination?")) return;
    write_combination(p, name, cur.a());
}

float score_partition(Program& p, const partition::Partition& cur, int complexity, int y)
{
    const Analysis& a = *p.analysis;
    if (!a.yset || a.outcome.ny < 1 || a.data.n < 1) return 0.0f;
    EvaluationInputs in;
    evaluation_inputs(p, in);
    in.mask = analysis_sample(p);
    in.data.mask = in.mask;
    search::EvaluationSettings es;
    es.serial_y = scored_y(p, y);
    es.skipcomb = p.options.skipcomb;
    es.penalty = beta_in_force(p);
    es.combination = false;
    es.process_mode = true;
    es.snapshots = false;
    es.lc = std::max(a.tables.dims.lc, 1);
    const std::unique_ptr<search::Evaluator> evaluator = make_evaluator(p, in, es, "scoring the partition");
    if (!evaluator) return 0.0f;
    evaluator->sort_times(p.log);
    return evaluator->score({cur, cur.first, complexity}).g;
}

float shown_g(Program& p, const partition::Partition& cur, int y)
{
    if (!p.analysis) return p.process.current_g;
    // A G held from before the criterion, the Y or the sample changed is scored again.
    const ScoreKey& held = p.process.current_key;
    if (p.process.group <= 0 && (!held.set || held == score_key(p, y))) return p.process.current_g;
    return score_partition(p, cur, p.process.current_complexity, y);
}

namespace {

// G and complexity of an entered pair, scored as a search scores one given
// partition, so that its statistics and random partitions do not show those of
// the partition the last search found.
void score_entered(Program& p, const partition::Partition& cur)
{
    ProcessState& ps = p.process;
    ps.current_complexity = partition::pair_complexity(cur, p.crit.complexity);
    ps.current_g = score_partition(p, cur, ps.current_complexity);
    ps.current_key = score_key(p);
}

} // namespace

bool show_entered(Program& p, const EnteredPartition& in, partition::Partition& cur, partition::TermList& picked,
                  const partition::PartitionWindow& show)
{
    if (!p.analysis) return false;
    if (in.from == EnteredFrom::manual || in.from == EnteredFrom::combination) {
        set_reduction(p, in.simplify, !in.simplify);
        if (in.from == EnteredFrom::combination) p.log.write(" Control file combination");
    }
    if (in.list.empty()) return false;
    picked = in.list;
    const int sense = in.repflag == 1 ? partition::kPlain : partition::kFlipped;
    const std::string caption = in.from == EnteredFrom::manual  ? "Manual Process Partition"
                                : in.from == EnteredFrom::added ? "Added attribute"
                                : in.from == EnteredFrom::combination
                                    ? "Control file combination " + name8(in.combo_name)
                                    : tree::kTreePartition;
    if (show) show(in.list, in.repflag, caption);

    p.services.thinking("..reducing Boolean algebra. Please wait. ", true);
    const partition::ReduceOptions opt = reduce_options(p);
    partition::TermList first = in.list;
    const partition::TermStatus st = partition::reduce(first, sense, opt);
    if (st == partition::status::kConstPlus || st == partition::status::kConstMinus) {
        // The constant of the list's own form that is the empty set means A is empty.
        const bool a_empty = (first.lits[0] == partition::empty_constant(sense)) == (in.repflag == 1);
        p.log.write(a_empty ? "NOTE: null set" : "NOTE: universal set");
        return false;
    }
    if (st != partition::status::kUnchanged) {
        if (show) show(first, in.repflag, "Simplified partition:");
        if (in.from == EnteredFrom::manual && in.rectangle) p.services.helpshow("NOTE: Partition is simplified");
    }

    p.services.thinking(".. determining complement. Please wait. ", true);
    const bool tree = in.from == EnteredFrom::tree;
    partition::TermList second;
    if (tree) {
        // Every shown leaf highlighted: A- is empty and A the whole set.
        if (in.complement.empty()) {
            p.log.write("NOTE: universal set");
            return false;
        }
        // The leaves' union is A- itself; the pair holds it flipped.
        second = in.complement;
        for (partition::Literal& l : second.lits) l = -l;
        if (show) show(second, 1 - in.repflag, tree::kTreeComplement);
        partition::reduce(second, 1 - sense, opt);
    } else {
        if (!complement_of(p, first, sense, second, opt, p.debug)) return false;
        p.services.thinking(".. simplifying complement. Please wait. ", true);
        const bool reduced = partition::reduce(second, 1 - sense, opt) != partition::status::kUnchanged;
        if (show) show(second, 1 - in.repflag, reduced ? "Simplified complement :" : "Complement:");
    }

    if (!p.options.primattr) {
        bool note_once = true;
        auto fits = [&] { return compatible(p, first, second, in.repflag, note_once, show); };
        if (!fits()) {
            if (tree) transposed_complement(p, first, sense, second, opt, in.repflag, fits, show);
            else repair_complement(p, first, sense, second, opt, in.repflag, fits, show);
        }
    }
    cur.first = std::move(first);
    cur.second = std::move(second);
    cur.repflag = in.repflag;
    score_entered(p, cur);
    return true;
}

} // namespace meru::mainloop
