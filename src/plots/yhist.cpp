#include "plots/yhist.h"

#include "files/charcodes.h"
#include "files/textutil.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "plots/yhist_run.h"
#include "ui/axes.h"
#include "ui/bring_to_front.h"
#include "ui/button_bars.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/selfont.h"
#include "ui/textrow.h"
#include "ui/winmenu.h"

#include <algorithm>

namespace meru::plots {
namespace {

constexpr std::string_view kMainBar = ui::bars::kDistMain;

std::string view_name(DistView v)
{
    switch (v) {
    case DistView::Density: return "Empirical pdf";
    case DistView::Counts: return "Frequencies of unique values";
    case DistView::Percent: return "Relative Frequencies of unique values";
    case DistView::Cdf: return "Cumulative DF ";
    case DistView::Survival: return "Survival plot";
    }
    return {};
}

} // namespace

DistRun::DistRun(ui::Context& ctx, DistWindowState& st, DistCall& call) : ctx_(ctx), st_(st), call_(call) {}

platform::Canvas& DistRun::canvas() { return *ctx_.frame.canvas(unit_); }

void DistRun::restore_origin()
{
    if (platform::Canvas* c = ctx_.frame.canvas(unit_)) c->set_vieworg(ctx_.plot.vieworg.x, ctx_.plot.vieworg.y);
}

void DistRun::text(int x, int y, std::string_view s, int colour)
{
    platform::Canvas& c = canvas();
    c.set_color_rgb(colour);
    c.moveto(x, y);
    c.outgtext(s);
}

void DistRun::label_at(int x, int y, int bar_dy)
{
    const std::string& l = call_.label;
    if (files::trim(l).empty()) return;
    if (l.size() >= 2 && l[1] == '-') {
        text(x, y, l.substr(0, 1), colour_);
        platform::Canvas& c = canvas();
        c.moveto(x, y + bar_dy);
        c.lineto(x + 6, y + bar_dy);
        return;
    }
    text(x, y, files::trim(l), colour_);
}

void DistRun::category_marks()
{
    if (!call_.discrete) return;
    platform::Canvas& c = canvas();
    c.set_color_rgb(kBlack);
    for (std::size_t j = 1; j <= call_.categories.size(); ++j) {
        c.moveto(ui::plot_pixel(static_cast<double>(j) * ctx_.plot.plotscale.x) - 3, 13);
        ui::boldtext(c, std::string(1, files::codechar(call_.categories[j - 1])));
    }
}

std::string DistRun::view_title(std::string title) const
{
    if (call_.group_label.empty()) return title;
    title = files::pad(title, 80);
    title.replace(49, 31, files::pad(call_.group_label, 31));
    return title;
}

bool DistRun::axes(const std::string& title, double ylo, double yhi, const std::string& ylabel, bool resize,
                   std::optional<std::pair<double, double>> xspan)
{
    ctx_.frame.set_active(unit_);
    ui::AxisLayout layout;
    layout.ylen = 0.6;
    layout.xfac = 1.6;
    layout.xlo = xspan ? xspan->first : st_.xmin;
    layout.xhi = xspan ? xspan->second : st_.xmax;
    layout.ylo = ylo;
    layout.yhi = yhi;
    layout.xtitle = xlabel_;
    layout.ytitle = ylabel;
    layout.title = view_title(title);
    layout.xwant = call_.integer_ticks ? integer_tick_step(st_.xmin, st_.xmax) : 0.0;
    layout.resize = resize;
    // Categories are marked by their code characters instead of numbered ticks.
    layout.noxticks = call_.discrete && !call_.categories.empty();
    return ui::drawaxis(ctx_, layout);
}

bool DistRun::grouping_allowed() const
{
    return call_.interactive && !call_.discrete && call_.x.size() > 10 && !st_.gdist;
}

bool DistRun::entry_checks()
{
    if (call_.nobs == 0) ui::helpshow(ctx_, "NOTE: no data");
    if (x_.empty() || miss_.total == 0.0) {
        std::string text = "NOTE: all data values are missing. No plot done.$";
        ui::msgbox(ctx_, text, BoxKind::Ok, true);
        return false;
    }
    if (!miss_.consistent())
        ctx_.log.write(" Internal check: observations with a value " + io::fmt_f(miss_.neff, 13, 1) +
                       " differ from the sum of weights " + io::fmt_f(miss_.total, 13, 1));
    const PlotRange r = plot_range(sample_, miss_, call_.discrete, static_cast<int>(call_.categories.size()),
                                   call_.lower, call_.upper);
    if (r.all_equal) {
        std::string text = "NOTE: all data values are equal. No variation. $";
        ui::msgbox(ctx_, text, BoxKind::Ok, true);
    }
    st_.xmin = r.xmin;
    st_.xmax = r.xmax;
    return true;
}

bool DistRun::open_window()
{
    platform::Frame& frame = ctx_.frame;
    bool opened = false;
    for (int tries = 0; tries < 2 && !opened; ++tries) {
        frame.close_window(unit_);
        opened = frame.open_window(unit_, "Distribution");
    }
    if (!opened) {
        ui::msgok(ctx_, "error opening  $");
        return false;
    }
    st_.first_display = true;
    if (call_.interactive) call_.title = "Y:Distribution";
    const std::string entry = call_.interactive ? call_.title : "Process:Distribution";
    const bool entered = ctx_.windows.units.count(unit_) && ctx_.windows.units[unit_].open;
    if (!entered || entry != st_.entry_title) {
        const int unit = unit_;
        ui::winmenu(ctx_.menus, ctx_.windows, unit_, entry,
                    [&frame, unit](bool) { ui::bring_to_front(frame, unit); });
        st_.entry_title = entry;
    }
    platform::WindowConfig config;
    config.numxpixels = kDistWidth;
    config.numypixels = kDistHeight;
    config.title = "Distribution";
    if (!frame.set_window_config(unit_, config)) frame.set_window_config(unit_, config);
    if (const auto size = frame.window_size(unit_)) frame.set_window_size(unit_, *size);
    frame.set_active(unit_);
    platform::Canvas& c = canvas();
    c.set_viewport(0, 0, kDistWidth - 1, kDistHeight - 1);
    c.set_vieworg(0, 0);
    c.clear(kWhite);
    st_.greyed.clear();
    st_.gdist = call_.name.starts_with("%");
    if (st_.gdist) {
        call_.name[0] = ' ';
        st_.greyed = {3, 4};
    }
    if (!call_.interactive) st_.greyed.push_back(7);
    st_.density.clear();
    return true;
}

void DistRun::prepare()
{
    unit_ = call_.interactive ? kDistWindow : kProcessDistWindow;
    status_ = 0;
    xlabel_ = call_.name;
    if (call_.discrete && !call_.categories.empty()) x_ = recode_discrete(call_.x, call_.categories);
    else x_.assign(call_.x.begin(), call_.x.end());
    const std::size_t n = std::min(x_.size(), call_.w.size());
    x_.resize(n);
    sample_ = {x_, call_.w.first(n), call_.nobs, false};
    if (call_.open || !ctx_.frame.is_open(unit_)) st_.gdist = call_.name.starts_with("%");
    sample_.gdist = st_.gdist;
    miss_ = missing_run(sample_);
    colour_ = kCurveColour;
    if (call_.label == "A-" || (st_.gdist && call_.label == "R ")) colour_ = kSecondColour;
}

void DistRun::keep_first()
{
    KeptCurve k;
    k.x.assign(call_.x.begin(), call_.x.end());
    k.w.assign(call_.w.begin(), call_.w.end());
    k.categories.assign(call_.categories.begin(), call_.categories.end());
    k.name = call_.name, k.label = call_.label, k.marklabel = call_.marklabel, k.group_label = call_.group_label;
    k.nobs = call_.nobs;
    k.lower = call_.lower, k.upper = call_.upper, k.markvalue = call_.markvalue;
    k.mark = call_.mark, k.discrete = call_.discrete, k.integer_ticks = call_.integer_ticks;
    st_.first = std::move(k);
}

bool DistRun::redraw_first(DistView view)
{
    if (!st_.first) return false;
    const KeptCurve& k = *st_.first;
    DistCall again;
    again.x = k.x, again.w = k.w, again.categories = k.categories;
    again.nobs = k.nobs;
    again.title = call_.title;
    again.name = k.name, again.label = k.label, again.marklabel = k.marklabel, again.group_label = k.group_label;
    again.lower = k.lower, again.upper = k.upper, again.markvalue = k.markvalue;
    again.mark = k.mark, again.discrete = k.discrete, again.integer_ticks = k.integer_ticks;
    again.interactive = false;
    again.open = false;
    DistRun first(ctx_, st_, again);
    first.again_ = true;
    first.prepare();
    if (st_.gdist) first.xlabel_ = "G effectiveness";
    first.draw_view(view);
    st_.fit_top = 0.0;
    st_.fit_ylow = 1.0;
    return true;
}

int DistRun::run()
{
    platform::Frame& frame = ctx_.frame;
    prepare();
    if (call_.overlay && !frame.is_open(unit_)) call_.overlay = false; // the user closed the window
    if (!call_.overlay) {
        if (!entry_checks()) return -1;
        if (call_.open || !frame.is_open(unit_)) {
            if (!open_window()) return -1;
        }
        if (!call_.interactive) keep_first();
    }
    if (st_.gdist) xlabel_ = "G effectiveness";
    frame.set_active(unit_);
    ui::selfont(ctx_, 2);

    if (call_.overlay) {
        draw_view(st_.view);
        if (st_.gdist) {
            ui::unregister_mousecb(ctx_, unit_);
            if (call_.overlay) status_ = -1;
        }
        return status_;
    }
    if (st_.first_display) {
        st_.first_display = false;
        st_.group_next = false;
        draw_view(st_.gdist ? DistView::Survival : DistView::Percent);
        st_.group_next = false;
        if (!call_.interactive || st_.gdist) return status_;
    }
    main_bar();
    return status_;
}

void DistRun::main_bar()
{
    platform::Frame& frame = ctx_.frame;
    ui::MenusOff menus(ctx_.menus);
    for (;;) {
        if (!frame.is_open(unit_)) {
            status_ = -1;
            return;
        }
        frame.set_active(unit_);
        frame.set_focus(unit_);
        ui::register_mousecb(ctx_, unit_, ui::kMouseClicks);
        ui::buttonbar(ctx_, kMainBar, kWhite, 2, kBlack, st_.greyed);
        restore_origin();
        bool right = false;
        const int b = wait_click(50, right);
        if (right || std::find(st_.greyed.begin(), st_.greyed.end(), b) != st_.greyed.end()) continue;
        DistView view = st_.view;
        switch (b) {
        case 1:
            ui::unregister_mousecb(ctx_, unit_);
            ui::textrow(ctx_, "Window not active for mouse ", kWhite, 1, 2, kBlack);
            restore_origin();
            status_ = -1;
            return;
        case 2: view = DistView::Density; break;
        case 3:
        case 4: {
            const DistView want = b == 3 ? DistView::Counts : DistView::Percent;
            if (st_.view == want && !grouping_allowed()) continue;
            view = want;
            break;
        }
        case 5:
        case 6: {
            const DistView want = b == 5 ? DistView::Cdf : DistView::Survival;
            if (st_.view == want) continue;
            view = want;
            break;
        }
        case 7:
            st_.density.clear();
            st_.group_next = false;
            view = st_.gdist ? DistView::Survival : DistView::Percent;
            break;
        case 8:
            ui::helpshow(ctx_, call_.interactive ? "Distribution options" : "Process:Distribution options");
            continue;
        default: continue;
        }
        draw_view(view);
        if (b == 7) st_.group_next = false;
        if (st_.gdist) {
            ui::unregister_mousecb(ctx_, unit_);
            if (call_.overlay) status_ = -1;
            return;
        }
        if (!call_.interactive || call_.overlay) return;
    }
}

void DistRun::draw_view(DistView view)
{
    st_.view = view;
    if (st_.xmin == st_.xmax) st_.xmin = 0.0;
    if (!call_.overlay && !again_) ctx_.log.write(" Creating " + view_title(view_name(view)));
    if (x_.empty()) {
        ui::msgok(ctx_, "No observations to make a plot!$");
        return;
    }
    median_now_ = false;
    bool finish = true;
    switch (view) {
    case DistView::Density: finish = draw_density(false); break;
    case DistView::Counts:
    case DistView::Percent: finish = draw_bars(view == DistView::Percent); break;
    case DistView::Cdf:
    case DistView::Survival: finish = draw_survival(view == DistView::Cdf); break;
    }
    if (finish) closing();
}

void DistRun::closing()
{
    constexpr int kMarkFont = -1;
    if (!ctx_.frame.is_open(unit_)) return;
    platform::Canvas& c = canvas();
    if (miss_.m > 0 && !st_.gdist) {
        c.set_vieworg(200, 416);
        const double pct = call_.nobs > 0 ? 100.0 * miss_.missing / call_.nobs : 0.0;
        text(-80, call_.overlay ? 40 : 30,
             io::fmt_i(static_cast<long long>(miss_.missing), 6) + " (" + io::fmt_f(pct, 6, 2) + "%) missing",
             colour_);
    }
    restore_origin();
    if (!call_.mark || call_.discrete) return;
    if (st_.censored && !median_now_ && !st_.gdist) return;
    // A distribution of G marks the tested partition's G, not the median.
    const bool median = median_now_ && st_.median_found && !st_.gdist;
    const int x = median ? st_.median_px : ui::plot_pixel(ctx_.plot.plotscale.x * call_.markvalue);
    const int y = st_.view == DistView::Survival ? -ui::plot_pixel(ctx_.plot.plotscale.y * st_.ylow) : 0;
    c.set_color_rgb(colour_);
    c.ellipse(platform::Fill::interior, x - 2, y, x + 2, y + 4);
    // The label fits the 9 pixels between the axis' level and the frame's line
    // below it, clear of both.
    ui::selfont(ctx_, kMarkFont);
    text(x + 3, y + 1, median ? "median" : call_.marklabel, colour_);
    ui::selfont(ctx_, 2);
}

int yhist(ui::Context& ctx, DistWindowState& state, DistCall& call)
{
    DistRun run(ctx, state, call);
    return run.run();
}

} // namespace meru::plots
