#include "tree/tree_model.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "stats/special_functions.h"
#include "tree/node_survival.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace meru::tree {

int level_of(int n)
{
    int k = 1;
    while (n + 1 >= (1 << k)) ++k;
    return k;
}

namespace {

// The normal deviate z >= 0 whose two-sided tail is p (bisection on erfc).
double deviate_of(double p)
{
    if (!(p < 1.0)) return 0.0;
    if (p <= 0.0) return std::numeric_limits<double>::infinity();
    double lo = 0.0, hi = 40.0;
    for (int i = 0; i < 200 && hi - lo > 1e-13; ++i) {
        const double mid = 0.5 * (lo + hi);
        (std::erfc(mid / std::sqrt(2.0)) > p ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

// The child the observation with bytes `row` goes to from node n, or -1 when the
// split's byte is missing (or names no attribute of the matrix).
int child_of(const TreeData& d, const TreeSplit& sp, int n, const std::uint8_t* row)
{
    const int a = partition::attribute_of(sp.lit);
    if (a < 1 || a > d.abyte.lc) return -1;
    const std::uint8_t b = row[a - 1];
    if (b == stats::kMissingByte) return -1;
    return b == stats::failing_value(sp.lit, partition::kPlain, d.signbyte) ? outside_child(n) : inside_child(n);
}

// The class of largest count, each count weighted by its class's factor when
// `fac` is not empty; the lowest class wins a tie.
int predicted_class(const std::vector<std::int64_t>& counts, const std::vector<double>& fac)
{
    int best = -1;
    double top = -1.0;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        const double v = static_cast<double>(counts[k]) * (fac.empty() ? 1.0 : fac[k]);
        if (counts[k] > 0 && v > top) top = v, best = static_cast<int>(k);
    }
    return best;
}

void test_split(TreeNode& parent, const TreeNode& out, const TreeNode& in, bool ydisc)
{
    parent.tested = out.n > 0 && in.n > 0;
    if (!parent.tested) return;
    // The test is over the children alone: an observation whose byte for the
    // split is missing stays in the parent only.
    const std::int64_t n = out.n + in.n;
    if (ydisc) {
        double chi2 = 0.0;
        int cols = 0;
        for (std::size_t k = 0; k < parent.counts.size(); ++k) {
            const std::int64_t total = out.counts[k] + in.counts[k];
            if (total == 0) continue;
            ++cols;
            for (const TreeNode* c : {&out, &in}) {
                const double e = static_cast<double>(c->n) * static_cast<double>(total) / static_cast<double>(n);
                const double dlt = static_cast<double>(c->counts[k]) - e;
                chi2 += dlt * dlt / e;
            }
        }
        parent.stat = chi2;
        parent.p = cols > 1 ? stats::gammq(0.5 * (cols - 1), 0.5 * chi2) : 1.0;
    } else {
        const double df = static_cast<double>(n - 2);
        if (df <= 0) {
            parent.p = 1.0;
        } else {
            const double var = (out.ss + in.ss) / df;
            const double diff = in.mean - out.mean;
            const double se = std::sqrt(var * (1.0 / out.n + 1.0 / in.n));
            parent.stat = se > 0.0      ? diff / se
                          : diff == 0.0 ? 0.0
                                        : std::copysign(std::numeric_limits<double>::infinity(), diff);
            parent.p = stats::fprob(1.0, df, parent.stat * parent.stat);
        }
    }
    parent.z = deviate_of(parent.p);
}

} // namespace

TreeStats evaluate(const KeptTree& tree, const TreeData& d)
{
    TreeStats s;
    int slots = 1;
    for (std::size_t n = 0; n < tree.split.size(); ++n)
        if (tree.split[n].lit != 0) slots = std::max(slots, inside_child(static_cast<int>(n)) + 1);
    s.node.resize(slots);
    const int nobs = std::min(d.abyte.n, static_cast<int>(d.y.size()));
    s.deepest.assign(nobs, -1);
    s.cls.assign(nobs, -1);
    s.weight.assign(nobs, 0);
    for (int i = 0; i < nobs; ++i)
        if (d.y[i] >= 0.0)
            s.weight[i] = d.weight.empty() ? 1 : static_cast<std::size_t>(i) < d.weight.size() ? d.weight[i] : 0;
    if (d.ydisc) {
        for (int i = 0; i < nobs; ++i)
            if (s.weight[i] > 0) s.classvalue.push_back(d.y[i]);
        std::sort(s.classvalue.begin(), s.classvalue.end());
        s.classvalue.erase(std::unique(s.classvalue.begin(), s.classvalue.end()), s.classvalue.end());
        if (s.classvalue.size() > 36) {
            s.too_many_classes = true;
            return s;
        }
        for (auto& nd : s.node) nd.counts.assign(s.classvalue.size(), 0);
    }
    auto path = [&](int i, auto&& each) {
        for (int n = s.deepest[i];; n = parent_of(n)) {
            each(s.node[n]);
            if (n == 0) break;
        }
    };
    for (int i = 0; i < nobs; ++i) {
        const int w = s.weight[i];
        if (w <= 0) continue;
        int n = 0;
        for (const TreeSplit* sp; (sp = tree.at(n));) {
            const int c = child_of(d, *sp, n, d.abyte.row(i));
            if (c < 0) break;
            n = c;
        }
        s.deepest[i] = n;
        if (d.ydisc)
            s.cls[i] = static_cast<int>(std::lower_bound(s.classvalue.begin(), s.classvalue.end(), d.y[i]) -
                                        s.classvalue.begin());
        path(i, [&](TreeNode& nd) {
            nd.n += w;
            nd.mean += w * d.y[i];
            if (d.ydisc) nd.counts[s.cls[i]] += w;
        });
    }
    for (auto& nd : s.node)
        if (nd.n > 0) nd.mean /= static_cast<double>(nd.n);
    for (int i = 0; i < nobs; ++i)
        if (s.deepest[i] >= 0)
            path(i, [&](TreeNode& nd) {
                const double e = d.y[i] - nd.mean;
                nd.ss += s.weight[i] * e * e;
            });
    std::vector<double> fac;
    for (double v : s.classvalue)
        if (!d.priorfac.empty()) {
            const auto c = static_cast<std::size_t>(v);
            fac.push_back(c < d.priorfac.size() ? d.priorfac[c] : 1.0);
        }
    for (auto& nd : s.node)
        if (d.ydisc) nd.predicted = predicted_class(nd.counts, fac);
    for (int n = 0; n < slots; ++n)
        if (tree.at(n)) test_split(s.node[n], s.node[outside_child(n)], s.node[inside_child(n)], d.ydisc);
    if (!d.event.empty() && !d.ydisc) survival_nodes(d, s);
    return s;
}

bool rules_split(const TreeStats& s, int n, const TreeRules& rules, bool ydisc)
{
    const TreeNode& p = s.node[n];
    if (!p.tested) return false;
    const TreeNode& out = s.node[outside_child(n)];
    const TreeNode& in = s.node[inside_child(n)];
    if (p.n < rules.parentmin || out.n < rules.terminalmin || in.n < rules.terminalmin) return false;
    if (p.z < rules.tcrit) return false;
    return !(ydisc && rules.samestop && out.predicted == in.predicted);
}

bool TreeView::shown(int n) const
{
    for (; n > 0; n = parent_of(n))
        if (!split[parent_of(n)]) return false;
    return true;
}

void prune(const TreeStats& s, const TreeRules& rules, bool ydisc, TreeView& view)
{
    const std::size_t slots = s.node.size();
    view.hand.resize(slots, 0);
    view.split.assign(slots, false);
    // Parents come before their children, so shown() sees every ancestor decided.
    for (std::size_t n = 0; n < slots; ++n) {
        const int i = static_cast<int>(n);
        if (!s.node[n].tested || !view.shown(i)) continue;
        view.split[n] = view.hand[n] > 0 || (view.hand[n] == 0 && rules_split(s, i, rules, ydisc));
    }
}

std::vector<int> leaf_of(const TreeStats& s, const TreeView& view)
{
    std::vector<int> leaf(s.deepest.size(), -1);
    for (std::size_t i = 0; i < leaf.size(); ++i) {
        int n = s.deepest[i];
        if (n < 0) continue;
        // Climb to the shown node on the path; a shown split at the deepest node
        // means the observation's byte for it was missing.
        while (n > 0 && !view.shown(n)) n = parent_of(n);
        if (!view.split[n]) leaf[i] = n;
    }
    return leaf;
}

std::vector<partition::Literal> path_term(const KeptTree& tree, int n)
{
    std::vector<partition::Literal> term;
    for (; n > 0; n = parent_of(n)) {
        const TreeSplit* sp = tree.at(parent_of(n));
        if (!sp) continue;
        term.insert(term.begin(), n == inside_child(parent_of(n)) ? sp->lit : -sp->lit);
    }
    if (term.empty()) term.push_back(partition::whole_constant(partition::kPlain));
    return term;
}

LeafLists leaf_lists(const KeptTree& tree, const TreeView& view, const std::vector<bool>& highlighted)
{
    LeafLists out;
    for (std::size_t n = 0; n < view.split.size(); ++n) {
        const int i = static_cast<int>(n);
        if (!view.leaf(i)) continue;
        const auto term = path_term(tree, i);
        auto& list = n < highlighted.size() && highlighted[n] ? out.a : out.complement;
        list.lp.push_back(static_cast<int>(term.size()));
        list.lits.insert(list.lits.end(), term.begin(), term.end());
    }
    return out;
}

CrossTab predicted_by_actual(const TreeStats& s, const TreeView& view)
{
    CrossTab t;
    const auto leaf = leaf_of(s, view);
    for (std::size_t i = 0; i < leaf.size(); ++i)
        if (leaf[i] >= 0 && s.cls[i] >= 0) t.at(s.node[leaf[i]].predicted, s.cls[i]) += s.weight[i];
    return t;
}

std::vector<std::string> joined_lines(const std::string& text, int chars, bool ands)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t or_at = text.find(" or ", from + 1);
        const std::size_t and_at = ands ? text.find(" & ", from + 1) : std::string::npos;
        const std::size_t cut = std::min(or_at, and_at);
        parts.push_back(text.substr(from, cut == std::string::npos ? std::string::npos : cut - from));
        if (cut == std::string::npos) break;
        from = cut + 1;
    }
    std::vector<std::string> lines;
    for (const std::string& part : parts) {
        if (!lines.empty() && static_cast<int>(lines.back().size() + 1 + part.size()) <= chars)
            lines.back() += " " + part;
        else lines.push_back(part);
    }
    return lines;
}

namespace {

constexpr int kDefinitionIndent = 14;
constexpr int kDefinitionChars = 80 - kDefinitionIndent - 3;

// What holds for a split's inside child: its literal's name and label as one
// ("start>12"), or a combination's text.
std::string split_definition(const TreeSplit& split)
{
    if (!split.text.empty()) return split.text;
    return files::trim(files::squeeze(split.name)) + files::trim(files::squeeze(split.label));
}

std::string format(const char* fmt, auto... args)
{
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

std::string class_counts(const TreeNode& nd)
{
    std::string out;
    for (std::size_t k = 0; k < nd.counts.size(); ++k) out += (k ? "/" : "") + std::to_string(nd.counts[k]);
    return out;
}

} // namespace

double log_tree(io::LogWriter& log, const KeptTree& tree, const TreeStats& s, const TreeView& view, bool ydisc,
                const std::string& yname)
{
    log.write(" Tree for Y=" + yname);
    log.write(ydisc        ? "  Node Level      N  Class counts      Class  Split           Chi-sq       p"
              : s.survival ? "  Node Level      N   Events    KM median  Split         Log-rank       p"
                           : "  Node Level      N         Mean  Split                t       p");
    for (std::size_t n = 0; n < s.node.size(); ++n) {
        const int i = static_cast<int>(n);
        if (!view.shown(i)) continue;
        const TreeNode& nd = s.node[n];
        std::string line = io::side_by_side({io::fmt_i(i, 6), io::fmt_i(level_of(i), 6), io::fmt_i(nd.n, 7)});
        if (ydisc)
            line += format("  %-16s%6s", class_counts(nd).c_str(),
                           nd.predicted >= 0 ? format("%g", s.classvalue[nd.predicted]).c_str() : "-");
        else if (s.survival)
            line = io::side_by_side({line, io::fmt_i(nd.events, 9),
                                     nd.median ? io::fmt_f(*nd.median, 13, 4) : std::string(11, ' ') + "NR"});
        else line = io::side_by_side({line, io::fmt_f(nd.mean, 13, 4)});
        if (view.split[n])
            line += io::side_by_side({format("  %-12s", files::squeeze(tree.split[n].name).substr(0, 12).c_str()),
                                      io::fmt_f(nd.stat, 10, 4), io::fmt_f(nd.p, 8, 4)});
        log.write(line);
        if (!view.split[n]) continue;
        // The names of combined splits are codes: each split says what it is.
        const auto def = joined_lines(split_definition(tree.split[n]), kDefinitionChars, false);
        for (std::size_t k = 0; k < def.size(); ++k)
            log.write(std::string(kDefinitionIndent, ' ') + (k == 0 ? "A= " : "   ") + def[k]);
    }
    if (!ydisc) return -1.0;
    CrossTabNames names{"Predicted", yname, false, false};
    return classtab(log, predicted_by_actual(s, view), names);
}

} // namespace meru::tree
