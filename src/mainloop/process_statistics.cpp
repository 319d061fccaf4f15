#include "mainloop/process_statistics.h"

#include "mainloop/added_requests.h"
#include "mainloop/editmenu.h"
#include "mainloop/menubar.h"
#include "mainloop/picker_requests.h"
#include "mainloop/process_dialogs.h"
#include "mainloop/process_distribution.h"
#include "mainloop/program.h"
#include "mainloop/series.h"
#include "mainloop/statistics_tests.h"
#include "mainloop/view_requests.h"
#include "outcome/ymenu.h"
#include "outcome/ysummary.h"
#include "platform/events.h"
#include "platform/io/edit.h"
#include "search/threads.h"
#include "stats/analysis_sample.h"
#include "stats/cell_tables.h"
#include "stats/chisqtab.h"
#include "stats/impurity.h"
#include "stats/membership_kernels.h"
#include "stats/stat2x2.h"
#include "stats/subgroup_stats.h"
#include "ui/actlog.h"
#include "ui/messages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <span>

namespace meru::mainloop {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

bool missing(float y) { return std::isnan(y) || y < 0.0f; }

// What a stretch of observations adds to each side (0: A-, 1: A): its
// weight, by class (classes below 256 in a table first) and its sums of Y.
struct ResubTally {
    long long n[2] = {0, 0};
    std::map<long long, long long> classes[2];
    std::array<std::array<long long, 256>, 2> low{};
    std::array<std::array<bool, 256>, 2> seen{};
    double weight[2] = {0, 0}, sum[2] = {0, 0}, sumsq[2] = {0, 0};

    void add(const ResubInput& in, std::size_t from, std::size_t to)
    {
        for (std::size_t i = from; i < to; ++i) {
            const int w = in.weights[i];
            const int m = in.member[i];
            if (!in.mask[i] || w == 0 || missing(in.y[i]) || (m != 0 && m != 1)) continue;
            const double y = in.y[i];
            n[m] += w;
            if (in.categorical) {
                const auto c = static_cast<long long>(y);
                if (c < 256) {
                    low[at(m)][static_cast<std::size_t>(c)] += w;
                    seen[at(m)][static_cast<std::size_t>(c)] = true;
                } else {
                    classes[m][c] += w;
                }
            }
            weight[m] += w;
            sum[m] += w * y;
            sumsq[m] += w * y * y;
        }
    }
    // The next stretch's, added after this one's.
    void add(const ResubTally& t)
    {
        for (std::size_t m = 0; m < 2; ++m) {
            n[m] += t.n[m];
            for (const auto& [c, w] : t.classes[m]) classes[m][c] += w;
            for (std::size_t c = 0; c < 256; ++c) {
                low[m][c] += t.low[m][c];
                seen[m][c] = seen[m][c] || t.seen[m][c];
            }
            weight[m] += t.weight[m];
            sum[m] += t.sum[m];
            sumsq[m] += t.sumsq[m];
        }
    }
};

} // namespace

Resub resubstitution(const ResubInput& in)
{
    Resub r;
    const std::size_t n = std::min({in.y.size(), in.weights.size(), in.mask.size(), in.member.size()});
    // Stretches of observations tallied apart, joined in order.
    constexpr std::size_t kStretch = std::size_t{1} << 16;
    std::vector<ResubTally> parts((n + kStretch - 1) / kStretch);
    stats::for_stretches(in.parallel, n, kStretch, [&](std::size_t k, std::size_t from, std::size_t to) {
        ResubTally part; // filled apart from its neighbours' cache lines
        part.add(in, from, to);
        parts[k] = std::move(part);
    });
    ResubTally all;
    for (const ResubTally& part : parts) all.add(part);
    auto& classes = all.classes;
    const auto& weight = all.weight;
    const auto& sum = all.sum;
    const auto& sumsq = all.sumsq;
    r.n_a_minus = all.n[0];
    r.n_a = all.n[1];
    for (std::size_t m = 0; m < 2; ++m)
        for (std::size_t c = 0; c < 256; ++c)
            if (all.seen[m][c]) classes[m][static_cast<long long>(c)] += all.low[m][c];
    r.n = r.n_a + r.n_a_minus;
    for (int m = 0; m < 2; ++m) {
        double& pred = r.prediction[static_cast<std::size_t>(m)];
        if (in.categorical) {
            long long most = -1;
            for (const auto& [cls, w] : classes[m]) {
                if (w <= most) continue;
                most = w;
                pred = static_cast<double>(cls);
            }
        } else if (weight[m] > 0) {
            pred = sum[m] / weight[m];
        }
        if (weight[m] > 0) r.mean[static_cast<std::size_t>(m)] = sum[m] / weight[m];
    }
    if (r.n <= 0) return r;
    const std::array<double, 2>& pred = in.rule ? *in.rule : r.prediction;
    if (in.categorical) {
        double wrong = 0;
        for (int m = 0; m < 2; ++m) {
            const auto hit = classes[m].find(static_cast<long long>(pred[static_cast<std::size_t>(m)]));
            wrong += weight[m] - (hit == classes[m].end() ? 0.0 : static_cast<double>(hit->second));
        }
        r.error = 100.0 * wrong / static_cast<double>(r.n);
        return r;
    }
    const double total_sum = sum[0] + sum[1];
    const double total_ss = sumsq[0] + sumsq[1] - total_sum * total_sum / static_cast<double>(r.n);
    // Over each side, the sum of w (y - c)^2 about its prediction c.
    double within = 0.0;
    for (int m = 0; m < 2; ++m) {
        const double c = pred[static_cast<std::size_t>(m)];
        if (weight[m] > 0) within += sumsq[m] - 2.0 * c * sum[m] + c * c * weight[m];
    }
    if (total_ss <= 0.0) return r;
    r.error = 100.0 * std::max(0.0, within) / total_ss;
    return r;
}

bool imbalanced(long long n_a, long long n_a_minus)
{
    if (n_a <= 0 || n_a_minus <= 0) return false;
    const double ratio = static_cast<double>(n_a) / static_cast<double>(n_a_minus);
    return ratio < 0.05 || ratio > 20.0;
}

namespace {

// The Y of the statistics: the user's pick among several Ys outside Search:Go!
// (0 when cancelled), except for Lists of Ys searched together; else the Y
// under analysis.
int statistics_y(Program& p)
{
    const outcome::Outcome& y = p.analysis->outcome;
    if (y.ny > 1 && !p.flags.sgo && (y.yserial || !p.flags.plists)) return select_y(p);
    return search_y(p);
}

int distinct_attributes(const partition::TermList& list)
{
    std::set<int> seen;
    for (partition::Literal l : list.lits) seen.insert(std::abs(static_cast<int>(l)));
    return static_cast<int>(seen.size());
}

// The count table of a categorical Y with its number of classes.
struct ClassTable {
    stats::CountTable table;
    int nclasses = 0;
    std::span<const std::int64_t> columns() const { return table.columns(nclasses); }
};

// With priors given, the class factors of the table of the partition reported.
stats::ImpurityValue prior_scored(const Program& p, const ClassTable& t)
{
    return stats::impurity(t.columns(), t.nclasses, p.crit.is(stats::Criterion::Gini), p.crit);
}

// The lines marked "2" that follow the 2x2 statistics from the Process menu, with
// the table of prior-adjusted counts when priors are given.
void marked_lines(Program& p, const partition::Partition& cur, int complexity, const ClassTable* classes,
                  const std::string& yname, int k)
{
    const Analysis& a = *p.analysis;
    p.log.write("2     # of attributes, complexity= " + io::fmt_i(distinct_attributes(cur.first), 2) + "," +
                io::fmt_i(complexity, 2));
    if (p.crit.priors_given && classes)
        stats::priortab(classes->columns(), classes->nclasses, yname, true, p.crit, prior_scored(p, *classes), p.log);
    const std::string name = io::fmt_a(p.crit.critname.substr(0, 20), 20);
    const double g = shown_g(p, cur, k);
    // Only a G multiplied by the expected cost is marked as weighted by costs.
    const bool costs = p.crit.weigh_by_costs && !p.crit.is(stats::Criterion::QualityIndex);
    p.log.write("2           " + name + "=" + io::fmt_f(g, 13, 6) + " " + (costs ? "(cost weighted)" : ""));
    if (a.outcome.ny > 1 && !a.outcome.yserial)
        p.log.write("2    (Multivariate Y " + io::fmt_a(p.crit.critname.substr(0, 20), 20) + "is summed over Ys)");
    if (const double beta = beta_in_force(p); beta != 0.0)
        p.log.write("2                    Penalised  =" + io::fmt_f(g - beta * complexity, 13, 6) +
                    "(beta=" + io::fmt_f(beta, 13, 6) + " Complexity=" + io::fmt_i(complexity, 2) + ")");
}

// The count table of a categorical Y with its tests, the frequency table and the
// 2x2 statistics.
// Under Gini diversity and Entropy the search's own statistics check its G
// against the count table.
ClassTable categorical_tables(Program& p, const stats::SampleView& view, std::span<const std::int8_t> member, int k,
                              const std::string& yname)
{
    const Analysis& a = *p.analysis;
    ClassTable out;
    const int nclasses = out.nclasses = stats::y_class_count(static_cast<float>(a.outcome.ymax[at(k - 1)]));
    stats::CountTable& table = out.table;
    stats::partab(view, member, nclasses, table);
    std::vector<double> rows(at(2)), cols(at(nclasses));
    const stats::ChiSquareTest chi = stats::chisqtab(table.columns(nclasses), 2, nclasses, rows, cols);
    p.log.write("Y variable is " + yname);
    std::vector<double> present(at(nclasses));
    for (int c = 0; c < nclasses; ++c) present[at(c)] = static_cast<double>(table.at(c, 0) + table.at(c, 1));
    for (const std::string& line : stats::freqtab(table.columns(nclasses), nclasses, table.w0, table.w1, present,
                                                  table.w0 + table.w1, yname, !a.outcome.ycats.empty()))
        p.log.write(line);
    const bool impurity = p.crit.is(stats::Criterion::Gini) || p.crit.is(stats::Criterion::Entropy);
    const bool one_y = a.outcome.ny == 1 || a.outcome.yserial;
    if (impurity && one_y && p.flags.sgo && p.process.go_statistics)
        impurity_check(p, p.process.current_g, table, nclasses, k);
    stats::Stat2x2Options opt;
    opt.two_class = nclasses == 2 || chi.df == 1;
    opt.chisq = chi.chisq;
    opt.phi = chi.coef;
    opt.print = true;
    opt.expected_cost = p.crit.is(stats::Criterion::QualityIndex);
    // The correlation of Y with membership, listed under Within MSE.
    opt.correlation = stats::partcor(view, member);
    opt.correlation_line = p.crit.is(stats::Criterion::WithinMse);
    // A pass of the menu's Statistics over the by-groups pools each group's table.
    stats::PoolStat local;
    stats::PoolStat& pool = p.process.group > 0 && !p.flags.sgo ? p.process.pool : local;
    for (const std::string& line : stats::stat2x2(table.columns(nclasses), chi.p, opt, p.crit, pool).lines)
        p.log.write(line);
    return out;
}

// The subgroup statistics of the pair's two lists: the first one's written to the
// log, the other's counted quietly when first asked for.
class SideStats {
public:
    SideStats(Program& p, const stats::SampleView& view, const partition::Partition& cur,
              std::span<const std::int8_t> signs, const std::string& yname)
        : p_(p), view_(view), cur_(cur), signs_(signs)
    {
        opt_.skip = p.options.skipcomb;
        opt_.censoring = p.censoring;
        opt_.yname = yname;
        opt_.parallel = p.search_threads.parallel(search::search_threads(), [] { platform::pump(); });
        Notices told;
        first_ = stats::partstats(view, cur.first, cur.first_sense(), signs, p.analysis->tables, opt_, told, p.log);
        ui::tell(p.services, p.log, told);
    }
    const stats::SubStat& first() const { return first_; }
    // A (plain) or A-.
    const stats::SubStat& side(bool plain)
    {
        if (is_first(plain)) return first_;
        if (!second_) {
            stats::PartStatsOptions quiet = opt_;
            quiet.print = false;
            const int sense = cur_.first_sense() == partition::kPlain ? partition::kFlipped : partition::kPlain;
            Notices told;
            second_ = stats::partstats(view_, cur_.second, sense, signs_, p_.analysis->tables, quiet, told, p_.log);
            ui::tell(p_.services, p_.log, told);
        }
        return *second_;
    }
    const partition::TermList& list(bool plain) const { return is_first(plain) ? cur_.first : cur_.second; }

private:
    bool is_first(bool plain) const { return (cur_.first_sense() == partition::kPlain) == plain; }
    Program& p_;
    const stats::SampleView& view_;
    const partition::Partition& cur_;
    std::span<const std::int8_t> signs_;
    stats::PartStatsOptions opt_;
    stats::SubStat first_;
    std::optional<stats::SubStat> second_;
};

} // namespace

Flow process_statistics(Program& p, const partition::Partition& cur, int ynumber)
{
    if (!p.analysis_open()) return Flow::loop_head;
    Analysis& a = *p.analysis;
    const MenuFlags& f = p.flags;
    const bool in_go = f.sgo;
    const int k = ynumber > 0 ? std::min(ynumber, a.outcome.ny) : statistics_y(p);
    if (k <= 0) return Flow::loop_head;

    const int n = a.data.n;
    const std::vector<std::uint8_t> mask = analysis_sample(p);
    std::span<const float> y;
    if (n > 0 && a.ymat.size() >= at(k) * at(n)) y = outcome::ycolumn(a.ymat, n, k);
    else y = std::span<const float>(a.ymat.data(), 0);
    stats::SampleView view{stats::AttributeMatrix(a.data.abyte, a.data.lc, n), y, mask, a.data.obswt};
    const std::vector<std::int8_t> signs = sign_bytes(a);
    stats::CompiledList list;
    try {
        list.compile(cur.first, cur.first_sense(), signs, a.data.lc);
    } catch (const std::invalid_argument&) {
        std::string text = "NOTE: There is no current partition$";
        ui::note(p.ui, text, NoteKind::Cut79, false);
        return Flow::loop_head;
    }
    const std::string yname = a.outcome.yname[at(k - 1)];
    const bool character = !a.outcome.ycats.empty();
    a.outcome.ydisc = outcome::ydiscok(a.outcome, k, character);
    const bool logrank = p.crit.is(stats::Criterion::LogRank);

    if (p.process.bygroup_run && a.bygroup.current > 0) p.log.write(p.process.group_heading);
    // From the menu on split data the block names the sample it describes.
    if (!in_go && a.splitactive)
        p.log.write(p.edit.testflag ? " Statistics of the test sample" : " Statistics of the training sample");
    // Each observation's membership, worked out once (on the workers while
    // the program pumps events) for the passes that read it.
    std::vector<std::int8_t> member(at(n));
    stats::membership_column(view.abyte, list, p.options.skipcomb, member,
                             p.search_threads.parallel(search::search_threads(), [] { platform::pump(); }));
    std::optional<ClassTable> classes;
    if (a.outcome.ydisc) classes = categorical_tables(p, view, member, k, yname);
    else p.log.write("Y variable is " + yname);

    const int complexity = p.process.current_complexity > 0 ? p.process.current_complexity : cur.first.count();
    if (!in_go) marked_lines(p, cur, complexity, classes ? &*classes : nullptr, yname, k);

    RectangleChoice diagrams;
    if (f.prect && !rectangle_dialog(p, &diagrams)) return Flow::loop_head;

    SideStats sides(p, view, cur, signs, yname);
    const stats::SubStat& st = sides.first();
    if (logrank && p.incidence) stats::incrate(st, yname, p.log);
    stats::CellTabOptions co;
    co.print = f.plists;
    co.incidence = p.incidence;
    // Observations are listed by their _ID_ values when the data have them.
    co.have_id = a.tables.vars.hasid;
    const std::span<const std::string> ids =
        co.have_id ? std::span<const std::string>(a.data.obsid) : std::span<const std::string>();
    Notices told;
    if (!f.prect || !(diagrams.a || diagrams.aminus)) {
        stats::celltab(st, cur.first, a.data.obswt, ids, a.tables, co, nullptr, told, p.log);
        ui::tell(p.services, p.log, told);
    } else {
        // The diagram of each side asked for, over that side's own terms.
        for (const bool plain : {true, false}) {
            if (!(plain ? diagrams.a : diagrams.aminus)) continue;
            stats::celltab(sides.side(plain), sides.list(plain), a.data.obswt, ids, a.tables, co, &p.diagram_window,
                           told, p.log);
            ui::tell(p.services, p.log, told);
        }
    }
    if (f.pdistab) distribution_sides(p, sides.side(true), sides.side(false), view, member, k);
    // The first statistics of a search keep its prediction; the later steps of the
    // series (test sample, rest of a by-group) are scored with it.
    ResubInput rin{y, a.data.obswt, mask, member, a.outcome.ydisc};
    rin.parallel = p.search_threads.parallel(search::search_threads(), [] { platform::pump(); });
    if (in_go && !p.process.go_statistics && p.process.rule_set) rin.rule = &p.process.rule;
    // From the menu on the test sample each side predicts as on the training sample,
    // whose weights the switch keeps aside.
    std::array<double, 2> training_rule{};
    if (!in_go && a.splitactive && p.edit.testflag) {
        ResubInput training = rin;
        training.weights = a.data.testwt;
        training_rule = resubstitution(training).prediction;
        rin.rule = &training_rule;
    }
    const Resub r = resubstitution(rin);
    if (!in_go || p.process.go_statistics) {
        p.process.rule = r.prediction;
        p.process.rule_set = true;
        p.process.side_mean = r.mean;
    }
    // With priors given the error is that of the prior-adjusted counts.
    const bool adjusted = p.crit.priors_given && classes;
    const double error = logrank    ? -1.0
                         : adjusted ? 100.0 * stats::prior_error(classes->columns(), classes->nclasses, p.crit,
                                                                 prior_scored(p, *classes).priorfac)
                                    : r.error;
    p.log.write("Sample size = " + std::to_string(r.n));
    p.log.write(" Resubstitution error is " + error_text(error) + (error < 0.0 ? "" : "%"));
    if (!in_go && !logrank) p.log.write(" Generalised error is " + error_text(error) + "%");

    if (in_go && !p.strategy.treemode) record_statistics(p, cur, complexity, r.n, error);
    if (in_go && p.process.go_statistics && !a.outcome.serial() && !p.strategy.treemode &&
        imbalanced(r.n_a, r.n_a_minus))
        p.services.helpshow("NOTE: imbalanced partition");
    p.process.go_statistics = false;

    // The F test of the split; the effect matrices with detailed output from the
    // menu (under the log-rank criterion they follow Harrell's c).
    if (f.pstats) split_f_line(p, view, cur);
    const bool effects = f.pstats && p.options.detailout && !in_go && !p.strategy.treemode;
    if (effects && !logrank) effect_matrices(p, sides.side(true), sides.side(false), k);
    if (logrank) {
        survival_lines(p, view, list, member, k, yname);
        if (effects) effect_matrices(p, sides.side(true), sides.side(false), k);
    }

    if (f.plists) show_log(p);
    return continue_series(p);
}

} // namespace meru::mainloop
