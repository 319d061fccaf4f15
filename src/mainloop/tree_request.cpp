#include "mainloop/tree_request.h"

#include "mainloop/process_dialogs.h"
#include "mainloop/program.h"
#include "mainloop/tree_rules_dialog.h"
#include "outcome/ymenu.h"
#include "tree/tree_model.h"

#include <vector>

namespace meru::mainloop {

Flow tree_request(Program& p)
{
    Analysis& a = *p.analysis;
    if (!a.tree.present()) {
        p.services.helpshow("NOTE: no tree in memory");
        return Flow::loop_head;
    }
    tree_rules_dialog(*p.forms, p.tree_rules,
                      [&](const std::string& text) { p.services.note(text, NoteKind::Cut79, false); });
    const int n = a.data.n;
    std::vector<double> y;
    if (n > 0 && a.ymat.size() >= static_cast<std::size_t>(n))
        for (float v : outcome::ycolumn(a.ymat, n, 1)) y.push_back(v);
    std::vector<double> priors;
    if (p.crit.priors_given) priors.assign(p.crit.prior.begin(), p.crit.prior.end());
    const bool ydisc = a.outcome.ydisc;
    const std::vector<std::int8_t> signs = sign_bytes(a);
    const tree::TreeData data{stats::AttributeMatrix(a.data.abyte, a.data.lc, static_cast<int>(y.size())), signs, y,
                              ydisc, priors};
    const tree::TreeStats s = tree::evaluate(a.tree, data);
    tree::TreeView view;
    tree::prune(s, p.tree_rules, ydisc, view);
    tree::log_tree(p.log, a.tree, s, view, ydisc, a.outcome.yname[0]);
    return Flow::loop_head;
}

} // namespace meru::mainloop
