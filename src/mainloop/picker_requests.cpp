#include "mainloop/picker_requests.h"

#include "mainloop/program.h"
#include "outcome/ymenu.h"
#include "platform/io/edit.h"
#include "settings/attr_picker.h"
#include "settings/censoring_dialog.h"
#include "settings/forceattr.h"
#include "settings/xconstr.h"
#include "stats/analysis_sample.h"

#include <algorithm>

namespace meru::mainloop {

namespace {

int observations(const Analysis& a) { return a.nodata ? 0 : std::min(a.stats.nread, a.data.n); }

int last_variable(const Analysis& a) { return a.tables.vars.nvar; }

} // namespace

std::vector<std::uint8_t> xspace_bytes(const Analysis& a)
{
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(a.data.n), 0);
    for (int i = 1; i <= observations(a) && i < static_cast<int>(a.xmask.size()); ++i)
        mask[static_cast<std::size_t>(i - 1)] = a.xmask[static_cast<std::size_t>(i)] ? 1 : 0;
    return mask;
}

long long weight_read(const Analysis& a) { return a.nodata ? 1 : a.stats.nobsin; }

void yranges(Analysis& a)
{
    const int n = a.data.n;
    if (n <= 0 || a.ymat.size() < static_cast<std::size_t>(n)) return;
    const std::vector<std::uint8_t> mask = xspace_bytes(a);
    outcome::Outcome& y = a.outcome;
    for (int k = 1; k <= y.ny && k <= outcome::kMaxYs; ++k) {
        if (a.ymat.size() < static_cast<std::size_t>(k) * n) break;
        const stats::YRange r = stats::yrange(outcome::ycolumn(a.ymat, n, k), a.data.obswt, mask);
        y.ymin[static_cast<std::size_t>(k - 1)] = r.min;
        y.ymax[static_cast<std::size_t>(k - 1)] = r.max;
        y.ymean = r.mean;
    }
}

void run_xconstr(Program& p)
{
    if (!p.analysis_open()) return;
    Analysis& a = *p.analysis;
    const std::vector<int> varline = settings::variable_lines(a.tables);
    settings::XConstrContext cx{p.strategy.constrainx,
                                a.xspace,
                                a.xmask,
                                a.data,
                                observations(a),
                                a.tables,
                                varline,
                                last_variable(a),
                                weight_read(a),
                                a.nobs,
                                p.flags.qrank,
                                [&a] { yranges(a); },
                                *p.forms,
                                p.services,
                                p.log};
    settings::xconstr(cx);
}

void run_forceattr(Program& p)
{
    if (!p.analysis_open()) return;
    Analysis& a = *p.analysis;
    const std::vector<int> varline = settings::variable_lines(a.tables);
    settings::forceattr(p.forcing, p.strategy.forcein, a.tables, varline, last_variable(a), *p.forms, p.services,
                        p.log);
}

void run_logrank_setup(Program& p)
{
    if (!p.analysis_open()) return;
    Analysis& a = *p.analysis;
    const int n = a.data.n;
    const std::vector<std::uint8_t> mask = xspace_bytes(a);
    std::span<const float> y;
    if (n > 0 && a.ymat.size() >= static_cast<std::size_t>(n)) y = outcome::ycolumn(a.ymat, n, 1);
    else y = std::span<const float>(a.ymat.data(), 0);
    stats::SampleView base{stats::AttributeMatrix(a.data.abyte, a.data.lc, n), y, mask, a.data.obswt};
    const std::string yname = a.outcome.ny >= 1 ? a.outcome.yname[0] : std::string();
    const std::vector<int> varline = settings::variable_lines(a.tables);
    const settings::CensoringSetup in{a.tables, varline, last_variable(a), p.crit.icrit, base, yname, p.msgline};
    p.incidence = settings::logrank_setup(in, p.censoring, *p.forms, p.services, p.log);
}

void run_bootstrap_draw(Program& p)
{
    if (!p.analysis_open()) return;
    Analysis& a = *p.analysis;
    if (p.process.boot_sample == 1) {
        a.boot_series += 1;
        p.log.write(" Bootstrap series #" + io::fmt_i(a.boot_series, 2) + " of this analysis");
    }
    p.process.boot_rank_weights = a.data.obswt;
    settings::bootsamp(a.data.obswt, observations(a), true, a.boot, a.boot_stream, p.log);
}

void install_picker_hooks(Program& p)
{
    p.dispatch.xconstr = run_xconstr;
    p.dispatch.forceattr = run_forceattr;
    p.dispatch.logrank_setup = run_logrank_setup;
    p.dispatch.bootstrap_draw = run_bootstrap_draw;
}

} // namespace meru::mainloop
