#include "mainloop/y_requests.h"

#include "mainloop/menubar.h"
#include "mainloop/program.h"
#include "mainloop/settings_requests.h"
#include "outcome/bygroup_mode.h"
#include "outcome/distribution_mode.h"
#include "outcome/qt_mode_dialogs.h"
#include "outcome/qt_scatter_dialogs.h"
#include "outcome/qt_ydialogs.h"
#include "outcome/scatter.h"
#include "outcome/transform_dialog.h"
#include "outcome/ymenu.h"
#include "plots/rotate3d.h"

#include <algorithm>
#include <vector>

namespace meru::mainloop {

namespace {

// The rotating plot of the scatter plot's X, Y and Z over the observations the
// scatter plot shows (its selection and, in by-group mode, the current group).
void rotate_plot(Program& p, const outcome::ScatterContext& cx, outcome::RotateRequest& r)
{
    const files::DataArrays& d = cx.data;
    const int n = std::clamp(cx.nobs, 0, d.n);
    const auto column = [&](int var) {
        if (var < 1 || var > d.ncols || n == 0) return std::span<const float>();
        return std::span<const float>(d.xdata.data() + static_cast<std::size_t>(var - 1) * d.n,
                                      static_cast<std::size_t>(n));
    };
    std::vector<char> in(static_cast<std::size_t>(n), 1);
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (i < cx.mask.size() && !cx.mask[i]) in[i] = 0;
        if (cx.bymode && (i >= cx.group.size() || !cx.group[i])) in[i] = 0;
    }
    plots::RotateCall call;
    call.data = {column(r.xvar), column(r.yvar), column(r.zvar),
                 std::span<const int>(d.obswt).first(std::min(static_cast<std::size_t>(n), d.obswt.size())), in};
    call.nobs = n;
    call.xname = r.xname, call.yname = r.yname, call.zname = r.zname;
    call.z_discrete = r.zchar;
    call.xy_discrete = r.both_discrete;
    call.dense = r.density;
    plots::rotate3d(p.ui, plots::kRotateUnit, p.rotate, call);
    r.density = call.dense;
}

// The scatter mode of the Y menu on the open analysis. Its Z dialog lists the
// attributes of the search's attribute set (none before a set is built for this
// analysis).
bool run_scatter(Program& p, std::span<const char> mask)
{
    Analysis& a = *p.analysis;
    outcome::QtScatterDialogs dialogs(p.ui);
    outcome::ScatterContext cx{p.ui,      p.services,
                               dialogs,   a.tables,
                               a.data,    a.nodata ? 0 : a.stats.nread,
                               mask,      a.stats.marks.charflag,
                               a.outcome, p.msgline,
                               {},        false,
                               {},        {},
                               {},        0.0};
    if (a.setbuilt) cx.attset = p.search.set.lines;
    cx.rotate3d = [&p, &cx](outcome::RotateRequest& r) { rotate_plot(p, cx, r); };
    if (!a.bygroup.mode) return outcome::scatter(cx);
    outcome::QtModeDialogs modes(p.ui, p.ymodes.dist);
    return outcome::scatter_by_groups(cx, a.bygroup, modes);
}

} // namespace

void run_ymenu(Program& p)
{
    if (!p.analysis_open()) return;
    Analysis& a = *p.analysis;
    const MenuFlags& f = p.flags;
    outcome::QtYDialogs dialogs(p.ui);
    const int nobs = a.nodata ? 0 : a.stats.nread;
    const std::span<const char> mask =
        a.xmask.empty() ? std::span<const char>() : std::span<const char>(a.xmask).subspan(1);
    outcome::YMenuContext cx{a.outcome,
                             a.tables,
                             a.data,
                             nobs,
                             a.ymat,
                             mask,
                             a.stats.marks.charflag,
                             a.nobsin,
                             a.bygroup,
                             p.strategy.maxiter,
                             p.strategy.maxitertext,
                             p.msgline,
                             {f.yok, f.ydist, f.yscat, f.ytrans, f.ysel, f.ybygrp},
                             f.yoffered,
                             p.services,
                             p.log,
                             dialogs,
                             [&p](const std::string& text) { p.menus.set_text(kYMenu, 1, text); }};
    const outcome::YMode mode = outcome::ymenu(cx);
    a.outcome.yabandon = cx.yabandon;
    a.ynochange = cx.yabandon || mode != outcome::YMode::confirmed;
    if (!a.ynochange && a.outcome.yenabled) {
        a.yset = true;
        p.flags.yoffered = false; // the OK item now names the confirmed Y
    }
    if (mode == outcome::YMode::scatter && run_scatter(p, mask)) a.outcome.yabandon = true;
    if (cx.yabandon) return;
    outcome::QtModeDialogs modes(p.ui, p.ymodes.dist);
    const outcome::Sp4Input sp4{a.tables, a.data, nobs, mask, a.outcome.defyname};
    switch (mode) {
    case outcome::YMode::bygroup:
        outcome::bygroup_mode(a.bygroup, sp4,
                              {a.splitactive, a.outcome.yserial, &p.strategy.treemode, a.stats.marks.charflag}, modes,
                              p.services, p.log);
        // By-group mode unchecks Tree: the tree's settings give way to the user's own.
        if (!p.strategy.treemode) end_tree_strategy(p);
        p.menus.set_flags(kYMenu, 8, a.bygroup.mode ? platform::kMenuChecked : platform::kMenuUnchecked);
        break;
    case outcome::YMode::transform: {
        outcome::TransformContext tx{
            a.tables, a.data, nobs, a.stats.marks.charflag, p.ymodes.transform_name, p.rng, modes, p.services, p.log};
        a.outcome.yabandon = outcome::transform_mode(tx);
        break;
    }
    case outcome::YMode::distribution: {
        const bool logrank = p.crit.is(stats::Criterion::LogRank);
        outcome::DistributionContext dx{a.tables,
                                        a.data,
                                        nobs,
                                        mask,
                                        a.stats.marks.charflag,
                                        a.outcome,
                                        a.bygroup,
                                        logrank ? &p.censoring : nullptr,
                                        p.msgline,
                                        modes,
                                        p.services,
                                        p.log};
        a.outcome.yabandon = outcome::distribution_mode(dx);
        break;
    }
    default: break;
    }
}

void install_y_hooks(Program& p) { p.dispatch.ymenu = run_ymenu; }

} // namespace meru::mainloop
