#include "mainloop/rank_plots.h"

#include "files/textutil.h"
#include "mainloop/picker_requests.h"
#include "mainloop/program.h"
#include "plots/rank_plot.h"
#include "plots/roc_model.h"

#include <cmath>
#include <cstdlib>

namespace meru::mainloop {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// What a ROC or QROC call points into; it must outlive the call.
struct RocData {
    plots::CutLines lines;
    std::vector<std::int8_t> signbyte;
    std::vector<std::uint8_t> mask;
    std::vector<float> y;
    plots::RocCall call;
};

void roc_data(const Program& p, RocData& d)
{
    const Analysis& a = *p.analysis;
    const files::ControlTables& t = a.tables;
    d.lines = rank_cut_lines(p);
    d.signbyte.assign(at(std::max(a.data.lc, t.natt)) + 1, 1);
    for (int k = 1; k <= t.natt; ++k) d.signbyte[at(k)] = t.att[at(k)].signbyte;
    d.mask = xspace_bytes(a);
    // The curves are of the Y the ranking scored.
    const int k = search_y(p);
    const std::size_t n = at(a.data.n);
    const std::span<const float> y = a.ymat.size() >= at(k) * n
                                         ? std::span<const float>(a.ymat).subspan(at(k - 1) * n, n)
                                         : std::span<const float>();
    d.y = plots::binary_classes(y, static_cast<float>(a.outcome.ylow[at(k - 1)]),
                                static_cast<float>(a.outcome.yhigh[at(k - 1)]));
    d.y.resize(n, -1.0f);
    d.call.lines = &d.lines;
    d.call.sample.abyte = stats::AttributeMatrix(a.data.abyte, a.data.lc, a.data.n);
    d.call.sample.y = d.y;
    d.call.sample.mask = d.mask;
    d.call.sample.weights = a.data.obswt;
    d.call.signbyte = d.signbyte;
    d.call.skip = p.options.skipcomb;
    for (int k = 0; k < a.outcome.ny && k < outcome::kMaxYs; ++k) d.call.ynames.push_back(a.outcome.yname[at(k)]);
}

// The rank plot's arguments; `lines` and `attg` must outlive the call.
void rank_plot_call(const Program& p, const plots::CutLines& lines, std::span<const double> attg,
                    plots::RankPlotCall& c)
{
    const Analysis& a = *p.analysis;
    const files::ControlTables& t = a.tables;
    const search::Ranking& r = p.rank.ranking;
    c.lines = &lines;
    c.attg = attg;
    for (int k = 1; k <= t.natt; ++k) {
        const files::Attribute& att = t.att[at(k)];
        c.attname.push_back(att.attname);
        const int line = att.attline;
        c.attcol.push_back(line >= 1 && line <= t.nlines ? t.line[at(line)].var : 0);
        c.addedno.push_back(att.added ? 1 : 0);
        c.nadded += att.added ? 1 : 0;
    }
    if (!p.rank.fixpos.cor.empty()) {
        c.posfixed = true;
        // cor is indexed by attribute number.
        c.attcorr = std::span<const double>(p.rank.fixpos.cor).subspan(1);
    }
    // Each ranked line at its position: the scores of its best cut.
    std::vector<const search::RankEntry*> best(at(t.nlines) + 1, nullptr);
    for (const search::RankEntry& e : r.table)
        if (e.line >= 1 && e.line <= t.nlines && best[at(e.line)] == nullptr) best[at(e.line)] = &e;
    for (int line : r.order) {
        const search::RankEntry* e = best[at(line)];
        if (e == nullptr) continue;
        c.rankline.push_back(line);
        c.rankg.push_back(e->g);
        c.rankp.push_back(e->p);
        c.rankn.push_back(e->n);
    }
    long long total = 0;
    for (int w : a.data.obswt) total += std::abs(w);
    c.nobsin = total;
    c.icrit = p.crit.icrit;
    c.critname = p.crit.critname;
    const outcome::Outcome& y = a.outcome;
    for (int k = 0; k < y.ny && k < outcome::kMaxYs; ++k) {
        c.ynames.push_back(y.yname[at(k)]);
        c.ycols.push_back(y.ycol[at(k)]);
    }
    c.yserial = y.yserial;
    c.censor_att = p.censoring.in_force ? p.censoring.attribute : 0;
    c.bygroup = a.bygroup.mode;
    c.bylabel = a.bygroup.bylabel;
    if (y.yfromatt && y.yattr[0] >= 1 && y.yattr[0] <= t.natt) c.yattline = t.att[at(y.yattr[0])].attline;
    c.maxatt = t.natt + 50;
    for (int k = 1; k <= t.nlines; ++k) {
        c.lpf.push_back(at(k) < r.chosen.size() && r.chosen[at(k)] > 0 ? r.chosen[at(k)] : 1);
        c.banned.push_back(t.line[at(k)].banned);
    }
}

void run_rank_plot(Program& p)
{
    const plots::CutLines lines = rank_cut_lines(p);
    const std::vector<double> attg = attribute_effectiveness(p);
    plots::RankPlotCall call;
    rank_plot_call(p, lines, attg, call);
    plots::rankplot(p.ui, p.rng, call);
    files::ControlTables& t = p.analysis->tables;
    for (int k = 1; k <= t.nlines && at(k) <= call.banned.size(); ++k) t.line[at(k)].banned = call.banned[at(k - 1)];
    for (int k = 1; k <= t.nlines && at(k) <= call.lpf.size(); ++k)
        if (at(k) < p.rank.ranking.chosen.size() && p.rank.ranking.chosen[at(k)] > 0)
            p.rank.ranking.chosen[at(k)] = call.lpf[at(k - 1)];
    p.rank.rankpos = call.rankpos;
    p.rank.onecut = call.onecut;
}

} // namespace

plots::CutLines rank_cut_lines(const Program& p)
{
    plots::CutLines c;
    const files::ControlTables& t = p.analysis->tables;
    const search::Ranking& r = p.rank.ranking;
    c.offered = r.order;
    c.attoff.push_back(0);
    for (int k = 1; k <= t.nlines; ++k) {
        const files::AttrLine& l = t.line[at(k)];
        c.ncuts.push_back(l.ncuts);
        c.attoff.push_back(l.attoff);
        c.names.push_back(l.name);
        c.optimised.push_back(at(k) < r.chosen.size() ? r.chosen[at(k)] : 0);
    }
    for (int a = 1; a <= t.natt; ++a) c.labels.push_back(files::rtrim(files::squeeze(t.att[at(a)].attlab[1])));
    return c;
}

std::vector<double> attribute_effectiveness(const Program& p)
{
    const int natt = p.analysis->tables.natt;
    std::vector<double> g(at(std::max(natt, 0)), std::nan(""));
    for (const search::RankEntry& e : p.rank.ranking.table) {
        const int a = std::abs(e.attribute);
        if (a >= 1 && a <= natt) g[at(a - 1)] = e.g;
    }
    return g;
}

void install_rank_plots(Program& p)
{
    RankHooks& h = p.rank.hooks;
    h.effcuts = [](Program& q) {
        if (!q.analysis_open()) return;
        const plots::CutLines lines = rank_cut_lines(q);
        const std::vector<double> attg = attribute_effectiveness(q);
        plots::EffcutsCall call;
        call.lines = &lines;
        call.attg = attg;
        call.maximum = q.rank.ranking.table.empty() ? 0.0 : q.rank.ranking.table.front().g;
        call.critname = q.crit.critname;
        plots::effcuts(q.ui, call);
    };
    h.rocplot = [](Program& q) {
        if (!q.analysis_open()) return;
        RocData d;
        roc_data(q, d);
        plots::rocplot(q.ui, d.call);
    };
    h.qrocplot = [](Program& q) {
        if (!q.analysis_open()) return;
        RocData d;
        roc_data(q, d);
        plots::qrocplot(q.ui, d.call);
    };
    h.rankplot = [](Program& q) {
        if (q.analysis_open()) run_rank_plot(q);
    };
}

} // namespace meru::mainloop
