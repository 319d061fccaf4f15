#include "mainloop/tree_request.h"

#include "mainloop/added_requests.h"
#include "mainloop/process_dialogs.h"
#include "mainloop/process_statistics.h"
#include "mainloop/program.h"
#include "mainloop/tree_rules_dialog.h"
#include "outcome/ymenu.h"
#include "outcome/ysummary.h"
#include "stats/impurity.h"
#include "stats/sample_filter.h"
#include "tree/tree_model.h"
#include "tree/tree_window.h"
#include "ui/actlog.h"
#include "ui/partwin.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace meru::mainloop {

namespace {

// The rules dialog; false when its template is missing (the log says so). The
// tree is grown again by the rules it leaves, and the log says which.
bool rules_dialog(Program& p)
{
    const int r = tree_rules_dialog(*p.forms, p.tree_rules,
                                    [&](const std::string& text) { p.services.note(text, NoteKind::Cut79, false); });
    p.log.write(r == settings::kMissing ? tree_rules_ids::kMissingLine : tree_rules_line(p.tree_rules));
    return r != settings::kMissing;
}

// The Partition window of a tree partition: the partition, its complement and
// any repair one under another, a blank row between them.
partition::PartitionWindow stacked_window(Program& p, const files::ControlTables& t)
{
    auto row = std::make_shared<int>(-1);
    return [&p, &t, row](const partition::TermList& list, int repflag, std::string_view caption) {
        *row = *row < 0 ? 1 : *row + 2;
        std::string text(caption);
        ui::partwin(p.ui, list, t, repflag, text, *row, true, true);
    };
}

} // namespace

bool tree_controller(Program& p, int ynumber)
{
    if (!p.analysis_open() || !p.analysis->tree.present()) return false;
    Analysis& a = *p.analysis;
    set_reduction(p, true, false);
    if (!rules_dialog(p)) return false;
    const int n = a.data.n;
    std::vector<double> y;
    const int k = std::clamp(ynumber, 1, a.outcome.ny);
    if (n > 0 && a.ymat.size() >= static_cast<std::size_t>(n) * static_cast<std::size_t>(k))
        for (float v : outcome::ycolumn(a.ymat, n, k)) y.push_back(v);
    // Observations outside the sample (beyond those read, outside the X space, left
    // out of the search for a missing attribute) count as missing.
    const std::vector<std::uint8_t> mask = analysis_sample(p);
    for (std::size_t i = 0; i < y.size(); ++i)
        if (i >= mask.size() || !mask[i]) y[i] = -1.0;
    // Given priors weigh each class's count in a node by N * prior / N_class over the
    // observations the tree is worked out on.
    std::vector<double> priorfac;
    if (p.crit.priors_given) {
        std::array<double, stats::kMaxClasses> totals{};
        for (std::size_t i = 0; i < y.size(); ++i) {
            const int w = a.data.obswt.empty() ? 1 : i < a.data.obswt.size() ? a.data.obswt[i] : 0;
            if (y[i] >= 0.0 && y[i] < static_cast<double>(totals.size()) && w > 0)
                totals[static_cast<std::size_t>(y[i])] += w;
        }
        const stats::PriorFactors f = stats::prior_factors(totals, p.crit);
        priorfac.assign(f.begin(), f.end());
    }
    // Under Log-rank Y is a survival time: each observation an event, or censored
    // on the censoring attribute's censored side (an unusable censoring byte
    // leaves it out).
    const stats::AttributeMatrix abyte(a.data.abyte, a.data.lc, static_cast<int>(y.size()));
    std::vector<std::uint8_t> event;
    if (p.crit.is(stats::Criterion::LogRank)) {
        const stats::SampleFilter filter(abyte, mask, a.data.obswt, p.censoring);
        event.assign(y.size(), 0);
        for (std::size_t i = 0; i < y.size(); ++i) {
            const stats::SampleObservation obs = i < filter.size() ? filter.at(i) : stats::SampleObservation{};
            if (!obs.counted) y[i] = -1.0;
            event[i] = !obs.censored;
        }
    }
    const bool ydisc = a.outcome.ydisc && event.empty();
    const std::vector<std::int8_t> signs = sign_bytes(a);
    const tree::TreeData data{abyte, signs, y, ydisc, priorfac, a.data.obswt, event};
    const tree::TreeStats s = tree::evaluate(a.tree, data);
    tree::TreeView view;
    tree::prune(s, p.tree_rules, ydisc, view);
    tree::log_tree(p.log, a.tree, s, view, ydisc, a.outcome.yname[static_cast<std::size_t>(k - 1)]);

    const tree::TreeDiagram diagram{a.tree, s, ydisc, p.tree_rules, [&p] { rules_dialog(p); }};
    const tree::TreeDiagramResult r = tree::tree_window(p.ui, diagram, view);
    p.msgline = r.message;
    if (!r.partition) return false;
    EnteredPartition in;
    in.list = r.lists.a;
    in.complement = r.lists.complement;
    in.repflag = 1;
    in.from = EnteredFrom::tree;
    partition::Partition cur;
    partition::TermList picked;
    p.process.current_valid = show_entered(p, in, cur, picked, stacked_window(p, a.tables));
    if (!p.process.current_valid) return false;
    p.process.current = std::move(cur);
    p.flags.treemade = true;
    return true;
}

Flow tree_request(Program& p)
{
    if (!p.analysis->tree.present()) {
        p.services.helpshow("NOTE: no tree in memory");
        return Flow::loop_head;
    }
    Analysis& a = *p.analysis;
    int k = 1;
    if (a.outcome.ny > 1 && !p.flags.plists && (k = select_y(p)) == 0) return Flow::loop_head;
    a.outcome.ydisc = outcome::ydiscok(a.outcome, k, !a.outcome.ycats.empty());
    ui::actlog(p.log, p.ui.history, p.process.title);
    if (!tree_controller(p, k)) return Flow::loop_head;
    // The tree's partition is processed for the Y the tree was shown for.
    return process_statistics(p, p.process.current, k);
}

} // namespace meru::mainloop
