#include "mainloop/process_distribution.h"

#include "mainloop/program.h"
#include "platform/io/logwriter.h"
#include "plots/yhist.h"
#include "stats/cell_tables.h"
#include "stats/censoring.h"
#include "stats/membership_kernels.h"

#include <cmath>
#include <cstdlib>

namespace meru::mainloop {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// Per observation, 1 when censored; empty while censoring is not in force.
std::vector<char> censored_flags(const stats::SampleView& view, const stats::Censoring& censoring)
{
    std::vector<char> censored;
    if (!censoring.in_force) return censored;
    censored.assign(at(view.abyte.n), 0);
    if (censoring.attribute < 1 || censoring.attribute > view.abyte.lc) return censored;
    for (int i = 0; i < view.abyte.n; ++i)
        censored[at(i)] = censoring.is_censored(view.abyte.at(i, censoring.attribute)) ? 1 : 0;
    return censored;
}

} // namespace

SideSample side_sample(const stats::SampleView& view, std::span<const std::int8_t> member, int side,
                       const stats::Censoring& censoring)
{
    const int n = view.abyte.n;
    std::vector<char> mask(at(n), 0);
    const std::vector<char> censored = censored_flags(view, censoring);
    for (int i = 0; i < n; ++i) {
        const bool in_sample = at(i) < view.mask.size() && view.mask[at(i)] && at(i) < member.size() &&
                               at(i) < view.weights.size() && view.weights[at(i)] != 0;
        mask[at(i)] = in_sample && member[at(i)] == side ? 1 : 0;
    }
    stats::QuartabInput in;
    in.y = view.y;
    in.weights = view.weights;
    in.mask = mask;
    in.censored = censored;
    in.censor_flag = !censored.empty();
    in.print = false;
    io::LogWriter quiet;
    const stats::QuartabResult r = stats::quartab(in, quiet);
    SideSample s;
    for (const stats::QuartabEntry& e : r.entries) {
        if (e.value < 0) continue;
        s.x.push_back(e.value);
        s.w.push_back(e.weight);
        s.nobs += std::llabs(e.weight);
    }
    s.mean = r.mean;
    return s;
}

void distribution_sides(Program& p, const stats::SubStat& aside, const stats::SubStat& aminus,
                        const stats::SampleView& view, std::span<const std::int8_t> member, int ky)
{
    const Analysis& a = *p.analysis;
    const outcome::Outcome& y = a.outcome;
    const auto yk = static_cast<std::size_t>(ky - 1);
    stats::QuartabInput in;
    in.y = view.y;
    in.weights = view.weights;
    in.yname = y.yname[yk];
    // Under censoring the tables keep the censored times apart and give no quartiles.
    const stats::Censoring censoring = p.censoring.within(a.data.lc);
    const std::vector<char> censored = censored_flags(view, censoring);
    in.censored = censored;
    in.censor_flag = !censored.empty();
    std::vector<int> marks;
    for (const stats::SubStat* side : {&aside, &aminus}) {
        if (p.debug) p.services.msgok("enter YDATA$");
        stats::YDATA(*side, view.abyte.n, in, marks, p.log);
    }

    const SideSample sides[2] = {side_sample(view, member, 1, censoring), side_sample(view, member, 0, censoring)};
    const char* labels[2] = {" A", "A-"};
    p.ymodes.dist.bandwidth = 0; // the window chooses its width for a new plot
    bool overlay = false;
    for (int k = 0; k < 2; ++k) {
        const SideSample& s = sides[k];
        if (s.x.empty()) continue;
        plots::DistCall call;
        call.x = s.x;
        call.w = s.w;
        call.nobs = s.nobs;
        call.title = "Process:Distribution";
        call.name = y.yname[yk];
        call.overlay = overlay;
        call.interactive = false;
        call.label = labels[k];
        call.lower = y.ymin[yk];
        call.upper = y.ymax[yk];
        call.mark = true;
        call.markvalue = s.mean;
        call.marklabel = "mean ";
        call.integer_ticks = y.ydisc;
        call.open = !overlay;
        if (plots::yhist(p.ui, p.ymodes.dist, call) != 0) return;
        overlay = true;
    }
}

} // namespace meru::mainloop
