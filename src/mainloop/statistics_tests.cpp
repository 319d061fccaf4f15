#include "mainloop/statistics_tests.h"

#include "mainloop/process_dialogs.h"
#include "mainloop/program.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "search/threads.h"
#include "stats/count_table.h"
#include "stats/effmat.h"
#include "stats/harrellc.h"
#include "stats/impurity.h"
#include "stats/logrank.h"
#include "stats/pooled_stats.h"
#include "stats/special_functions.h"
#include "stats/split_sums.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace meru::mainloop {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

} // namespace

bool g_differs(double held, double recomputed)
{
    return std::abs(held - recomputed) > 1e-9 * std::max(std::abs(held), std::abs(recomputed));
}

float impurity_g(const Program& p, const stats::CountTable& table, int nclasses, int k)
{
    const auto cells = table.columns(nclasses);
    std::int64_t side[2] = {0, 0};
    for (int c = 0; c < nclasses; ++c) {
        side[0] += table.at(c, 0);
        side[1] += table.at(c, 1);
    }
    const bool gini = p.crit.is(stats::Criterion::Gini);
    auto g = static_cast<float>(stats::impurity(cells, nclasses, gini, p.crit).g);
    if (p.crit.inverse_variance) g = static_cast<float>(g * p.crit.yweight[at(k - 1)]);
    if (side[0] == 0 || side[1] == 0) return 0.0f;
    if (p.crit.balanced) {
        const auto n = static_cast<double>(side[0] + side[1]);
        const double share = (static_cast<double>(side[0]) / n) * (static_cast<double>(side[1]) / n);
        g = static_cast<float>(g * std::pow(share, p.crit.gamma));
    }
    return g;
}

bool impurity_check(Program& p, float held, const stats::CountTable& table, int nclasses, int k)
{
    const float again = impurity_g(p, table, nclasses, k);
    if (!g_differs(held, again)) return true;
    p.log.write("check fail gstat, gstatest" + io::fmt_g(held, 15, 7) + io::fmt_g(again, 15, 7));
    std::string text = "Internal check fail gstat ne gstatest. Tell Kelbo$";
    ui::note(p.ui, text, NoteKind::Cut79, false);
    return false;
}

void split_f_line(Program& p, const stats::SampleView& view, const partition::Partition& cur)
{
    const Analysis& a = *p.analysis;
    const std::vector<std::int8_t> signs = sign_bytes(a);
    stats::CompiledList first, second;
    const int sense = cur.first_sense();
    try {
        first.compile(cur.first, sense, signs, a.data.lc);
        second.compile(cur.second, sense == partition::kPlain ? partition::kFlipped : partition::kPlain, signs,
                       a.data.lc);
    } catch (const std::invalid_argument&) {
        return; // a list naming an attribute the data do not hold has no split to test
    }
    stats::SplitSlots work;
    const stats::SplitSums sums = stats::splittab(
        view, first, second, p.options.skipcomb, work,
        p.search_threads.parallel(search::search_threads(), [] { platform::pump(); }));
    const stats::SplitFTest t = stats::split_f_test(sums);
    p.log.write(" F-test of the split F=" + io::fmt_g(t.f, 13, 6) + " df=  1," + io::fmt_i(t.df2, 8) +
                " P =" + io::fmt_f(t.p, 9, 6));
}

void effect_matrices(Program& p, const stats::SubStat& a, const stats::SubStat& aminus, int k)
{
    const outcome::Outcome& y = p.analysis->outcome;
    stats::EffmatOptions opt;
    opt.binary = y.ybin[at(k - 1)];
    opt.incidence = p.crit.is(stats::Criterion::LogRank) && p.incidence;
    opt.ymin = y.ymin[at(k - 1)];
    opt.ymax = y.ymax[at(k - 1)];
    stats::effmat(a, aminus, opt, p.msgline, p.log);
}

void survival_lines(Program& p, const stats::SampleView& view, const stats::CompiledList& list,
                    std::span<const std::int8_t> member, int k, const std::string& yname)
{
    const Analysis& a = *p.analysis;
    const stats::Censoring censoring = p.censoring.within(a.data.lc);
    stats::LogRankOrder order;
    const stats::LogRankResult lr =
        stats::LOGRANK(view, member, censoring, 0, {k, 0, 0}, order, p.log, a.kept_times.get());
    const double pvalue = lr.g > 0.0 ? stats::gammq(0.5, lr.g / 2.0) : 1.0;
    p.log.write("Log-rank=" + io::fmt_f(lr.g, 12, 4) + " P =" + io::fmt_f(pvalue, 9, 6));
    stats::rateratio(lr.d0, lr.t0, lr.d1, lr.t1, yname, yname, p.log);

    progress(p, ".. computing Harrell c-index. May take time.");
    // The pair loop pumps the events; the window on top takes no clicks meanwhile.
    const int unit = p.ui.frame.active();
    if (unit != platform::no_window) ui::unregister_mousecb(p.ui, unit);
    stats::harrellc(view, list, p.options.skipcomb, censoring, p.services, p.log);
}

} // namespace meru::mainloop
