#include "outcome/scatter.h"

#include "core/services.h"
#include "files/charcodes.h"
#include "files/dataset.h"
#include "files/tables.h"
#include "files/textutil.h"
#include "outcome/scatter_run.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "ui/axes.h"
#include "ui/bring_to_front.h"
#include "ui/button_bars.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/mouse_state.h"
#include "ui/plotsym.h"
#include "ui/selfont.h"
#include "ui/textrow.h"
#include "ui/winmenu.h"

#include <algorithm>

namespace meru::outcome {
namespace {

constexpr int kUnit = ui::kScatterWindow;
constexpr int kButtons = 12;
constexpr std::string_view kBar = ui::bars::kScatter;
constexpr int kMouseMask = 0x4b;
constexpr int kPollMs = 150;

std::string correlation_text(double r) { return " Correlation =" + io::fmt_f(r, 7, 3); }

} // namespace

bool scatter(ScatterContext& cx) { return ScatterRun(cx).run(); }

std::string ScatterRun::varname(int j) const
{
    const auto& names = cx_.tables.vars.varname;
    return j >= 0 && j < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(j)] : std::string();
}

bool ScatterRun::is_char(int j) const
{
    return j >= 0 && j < static_cast<int>(cx_.varischar.size()) && cx_.varischar[static_cast<std::size_t>(j)];
}

ScatterInput ScatterRun::input() const
{
    ScatterInput in{cx_.data,    cx_.nobs,   cx_.mask, cx_.bymode ? cx_.group : std::span<const char>(),
                    cx_.y.scatx, cx_.y.scaty};
    in.zvar = v_.z.size ? v_.z.zvar : 0;
    in.xchar = is_char(cx_.y.scatx);
    in.ychar = is_char(cx_.y.scaty);
    if (v_.z.distinguish) {
        in.dattr = v_.z.attribute;
        in.dvalue = v_.z.value;
    }
    return in;
}

// The attribute's variable name with its label for the chosen value (or the
// other value), squeezed, 40 characters.
std::string ScatterRun::legend(bool chosen) const
{
    const auto& att = cx_.tables.att;
    const int a = v_.z.attribute;
    if (a < 1 || a >= static_cast<int>(att.size())) return {};
    const files::Attribute& at = att[static_cast<std::size_t>(a)];
    const int side = chosen ? v_.z.value : 1 - v_.z.value;
    return files::squeeze(at.attname + at.attlab[side == 1 ? 1 : 0]).substr(0, 40);
}

platform::Canvas* ScatterRun::canvas() const { return cx_.ui.frame.canvas(kUnit); }

void ScatterRun::restore_origin() const
{
    if (platform::Canvas* c = canvas()) c->set_vieworg(cx_.ui.plot.vieworg.x, cx_.ui.plot.vieworg.y);
}

void ScatterRun::text(int x, int y, std::string_view s, int colour) const
{
    platform::Canvas* c = canvas();
    if (!c) return;
    c->set_color_rgb(colour);
    c->moveto(x, y);
    c->outgtext(s);
}

int ScatterRun::below_axis(int dy) const { return -ui::plot_pixel(scan_.yr.lo * cx_.ui.plot.plotscale.y) + dy; }

bool ScatterRun::run()
{
    const bool direct = cx_.y.direct_scatter;
    auto valid = [this](int j) { return j >= 1 && j <= cx_.tables.vars.nvar && j <= cx_.data.ncols; };
    if (direct && (!valid(cx_.y.scatx) || !valid(cx_.y.scaty))) {
        cx_.y.direct_scatter = false; // a request without its two variables
        return false;
    }
    for (;;) {
        if (!direct && !choose()) {
            leave();
            return false;
        }
        start(direct);
        const Exit e = plot_loop(direct);
        release_counts();
        if (direct || e == Exit::closed) {
            if (direct) cx_.y.direct_scatter = false;
            leave();
            return direct && !cx_.bymode;
        }
    }
}

bool ScatterRun::choose()
{
    std::vector<std::string> names;
    for (int j = 1; j <= cx_.tables.vars.nvar; ++j) names.push_back(varname(j));
    for (;;) {
        int y = 0, x = 0;
        const int id = cx_.dialogs.scatter(names, y, x);
        if (id == kDialogMissing) {
            cx_.ui.log.write(" Error: dialog box 3 not found");
            return false;
        }
        if (id != kOk) return false;
        std::string text;
        if (y == 0) text = "No Y variable selected.$";
        else if (x == 0) text = "No X variable selected.$";
        if (!text.empty()) {
            cx_.sv.msgbox(text, BoxKind::Ok, false);
            continue;
        }
        cx_.y.scaty = y;
        cx_.y.scatx = x;
        return true;
    }
}

void ScatterRun::start(bool direct)
{
    v_ = ScatterVisit{};
    v_.labels.assign(static_cast<std::size_t>(std::max(cx_.nobs, 0)), 0);
    v_.box = v_.box_pending = direct;
    cx_.ui.symbols.jitterx = cx_.ui.symbols.jittery = false;
    click_.reset();
    cx_.sv.actlog("%Y:scatterplot");
}

void ScatterRun::leave()
{
    ui::unregister_mousecb(cx_.ui, kUnit);
    if (cx_.ui.frame.is_open(kUnit)) {
        cx_.ui.frame.set_active(kUnit);
        ui::textrow(cx_.ui, std::string_view(" "), kWhite, 1, 2, kBlack);
    }
    cx_.ui.symbols.jitterx = cx_.ui.symbols.jittery = false;
    v_.labels.clear();
}

void ScatterRun::release_counts()
{
    v_.counts.reset();
    v_.counts2.reset();
}

std::vector<int> ScatterRun::greyed() const
{
    std::vector<int> g;
    if (!scan_.missing_seen) g.push_back(2);
    if (v_.z_greyed) g.push_back(6);
    const bool density_allowed = !(v_.box && scan_.both_discrete());
    if (!density_allowed || v_.z.size) g.push_back(7);
    if (!scan_.any_discrete() || v_.z.size) g.push_back(10);
    if (v_.z.size) g.push_back(11);
    return g;
}

ScatterRun::Exit ScatterRun::plot_loop(bool direct)
{
    (void)direct;
    ui::MenusOff menus(cx_.ui.menus);
    bool reopen = true, redraw = true, log_quartiles = true;
    for (;;) {
        if (redraw) {
            draw(reopen, log_quartiles);
            reopen = false;
            log_quartiles = true;
        }
        if (!cx_.ui.frame.is_open(kUnit)) return Exit::closed;
        redraw = true;
        int x = 0, y = 0;
        if (wait_click(x, y) < 0) return Exit::closed;
        const ScatterScan& s = scan_;
        if (y > 15) {
            const bool ignored = cx_.ui.symbols.jitterx || cx_.ui.symbols.jittery || (s.both_discrete() && v_.box);
            if (ignored) redraw = false;
            else click_ = std::make_pair(x, y);
            continue;
        }
        const int b = ui::bar_button(x, y);
        const std::vector<int> g = greyed();
        if (b < 1 || b > kButtons || std::find(g.begin(), g.end(), b) != g.end()) {
            redraw = false;
            continue;
        }
        const bool by_frequency = s.both_discrete() && (v_.box || v_.circles);
        const bool box_one = v_.box && s.one_discrete();
        switch (b) {
        case 1: return Exit::esc;
        case 2: v_.show_missing = !v_.show_missing; break;
        case 3:
            std::swap(cx_.y.scatx, cx_.y.scaty);
            release_counts();
            name_window(window_title()); // the title names the new Y against the new X
            break;
        case 4:
            if (by_frequency) v_.circle_scale *= 1.2;
            else ++v_.size;
            if (box_one) v_.box_half += 2;
            log_quartiles = false;
            break;
        case 5:
            log_quartiles = false;
            if (by_frequency) {
                v_.circle_scale *= 0.8;
                break;
            }
            if (!v_.box && v_.size == 0) {
                redraw = false;
                break;
            }
            v_.size = std::max(v_.size - 1, 0);
            if (box_one) {
                if (v_.box_half <= 2) redraw = false;
                v_.box_half = std::max(v_.box_half - 2, 2);
            }
            break;
        case 6: reopen = z_button(); break;
        case 7:
            v_.density = !v_.density;
            if (v_.density) {
                v_.shift = density_shift(v_.plotted, s.one_discrete(), v_.size);
                v_.box = false;
            } else {
                v_.z_greyed = false;
            }
            v_.z.distinguish = false;
            break;
        case 8: cx_.ui.symbols.jitterx = !cx_.ui.symbols.jitterx; break;
        case 9: cx_.ui.symbols.jittery = !cx_.ui.symbols.jittery; break;
        case 10: box_button(); break;
        case 11: circl_button(); break;
        case 12:
            cx_.sv.helpshow("Scatter plot options");
            redraw = false;
            break;
        default: redraw = false; break;
        }
    }
}

// Waits for a left click in the window: 0 with its position, -1 when the
// window was closed meanwhile.
int ScatterRun::wait_click(int& x, int& y)
{
    platform::Frame& frame = cx_.ui.frame;
    const int reg = ui::register_mousecb(cx_.ui, kUnit, kMouseMask);
    if (reg < 0) cx_.sv.msgok("registermousefail=" + io::fmt_i(reg, 2) + "$");
    frame.set_active(kUnit);
    ui::buttonbar(cx_.ui, kBar, kWhite, 2, kBlack, greyed());
    restore_origin();
    ui::mouse_clear(cx_.ui.mouse);
    frame.set_focus(kUnit);
    frame.set_active(kUnit);
    for (;;) {
        if (!frame.is_open(kUnit)) return -1;
        if (ui::mouse_poll(cx_.ui.mouse, kPollMs) == ui::kMouseLeft) {
            x = cx_.ui.mouse.x;
            y = cx_.ui.mouse.y;
            ui::mouse_clear(cx_.ui.mouse);
            return 0;
        }
    }
}

void ScatterRun::modes_subtitle()
{
    if (v_.box && scan_.one_discrete()) v_.subtitle = "Box plots";
    else if ((v_.box || v_.circles) && scan_.both_discrete()) v_.subtitle = "Proportional to Frequency";
    else v_.subtitle = " ";
}

void ScatterRun::setup_box()
{
    if (v_.box && scan_.one_discrete()) {
        const VarScan& d = scan_.x.is_discrete() ? scan_.x : scan_.y;
        v_.box_half = box_halfwidth(d.nlevels());
        v_.density = false;
        v_.z_greyed = true;
    } else {
        v_.z_greyed = false;
        v_.size = 2;
    }
    modes_subtitle();
}

void ScatterRun::box_button()
{
    v_.box = !v_.box;
    v_.circles = false;
    v_.ellipses = false;
    setup_box();
}

void ScatterRun::circl_button()
{
    if (!scan_.any_discrete()) {
        v_.ellipses = !v_.ellipses;
        return;
    }
    v_.circles = !v_.circles;
    v_.ellipses = true;
    v_.box = false;
    setup_box();
}

bool ScatterRun::z_button()
{
    std::vector<std::string> names;
    for (int j = 1; j <= cx_.tables.vars.nvar; ++j) names.push_back(varname(j));
    const std::vector<ZAttribute> attributes = z_attributes(cx_.tables, cx_.attset);
    for (;;) {
        v_.z.rotate = v_.z.size = v_.z.distinguish = false;
        thirdz(v_.z, names, attributes, cx_.dialogs, cx_.sv, cx_.ui.log);
        if (v_.z.cancelled) {
            if (v_.z.none) v_.size = 2;
            return true;
        }
        if (v_.z.size) {
            v_.size = 20;
            v_.density = false;
            v_.box = false;
        }
        if (v_.z.distinguish) v_.density = false;
        if (!v_.z.rotate) return true;
        cx_.ui.log.write(" Rotating plot for Z=" + files::trim(v_.z.zname));
        if (cx_.rotate3d) {
            RotateRequest r;
            r.xvar = cx_.y.scatx;
            r.yvar = cx_.y.scaty;
            r.zvar = v_.z.zvar;
            r.xname = varname(r.xvar);
            r.yname = varname(r.yvar);
            r.zname = v_.z.zname;
            r.zchar = is_char(r.zvar);
            r.both_discrete = scan_.both_discrete();
            r.density = v_.density;
            cx_.rotate3d(r);
            v_.density = r.density;
        }
    }
}

std::string ScatterRun::window_title() const
{
    // Y (the vertical axis) against X.
    std::string title = files::squeeze(" Scatter of " + io::fmt_a(varname(cx_.y.scaty), 8) + " against " +
                                       io::fmt_a(varname(cx_.y.scatx), 8));
    while (title.size() > 1 && title.back() == ' ') title.pop_back();
    return title;
}

void ScatterRun::name_window(const std::string& title)
{
    platform::Frame& frame = cx_.ui.frame;
    cx_.msgline = title;
    const bool entered = cx_.ui.windows.units.count(kUnit) && cx_.ui.windows.units[kUnit].open;
    if (!entered || v_.entry_title != title) {
        platform::Frame* f = &frame;
        ui::winmenu(cx_.ui.menus, cx_.ui.windows, kUnit, title.substr(0, 39) + " ", [f](bool) { ui::front19(*f); });
        v_.entry_title = title;
    }
    platform::WindowConfig config;
    config.numxpixels = kScatterWidth;
    config.numypixels = kScatterHeight;
    config.title = title;
    if (!frame.set_window_config(kUnit, config)) frame.set_window_config(kUnit, config);
}

bool ScatterRun::open_window()
{
    platform::Frame& frame = cx_.ui.frame;
    const std::string title = window_title();
    cx_.ui.log.write(title);
    frame.close_window(kUnit);
    if (!frame.open_window(kUnit, title)) return false;
    frame.set_focus(kUnit);
    frame.set_active(kUnit);
    name_window(title);
    std::string sub = " ";
    if (v_.z.size) sub = "Proportional to " + v_.z.zname;
    if (cx_.bymode) {
        sub = io::fmt_a(cx_.bylabel, 28);
        if (v_.z.size) sub += " Prop to " + v_.z.zname;
    }
    if (v_.box || v_.circles) modes_subtitle();
    else v_.subtitle = sub;
    return true;
}

void ScatterRun::axes()
{
    ui::AxisLayout layout;
    layout.ylen = 0.7;
    layout.xfac = 1.4;
    layout.xlo = scan_.xr.lo;
    layout.xhi = scan_.xr.hi;
    layout.ylo = scan_.yr.lo;
    layout.yhi = scan_.yr.hi;
    layout.xtitle = varname(cx_.y.scatx);
    layout.ytitle = varname(cx_.y.scaty);
    layout.title = v_.subtitle;
    layout.backcol = kWhite;
    layout.noxticks = scan_.x.is_discrete();
    layout.noyticks = scan_.y.is_discrete();
    ui::drawaxis(cx_.ui, layout);
    restore_origin();
    ui::selfont(cx_.ui, 2);
    platform::Canvas* c = canvas();
    if (!c) return;
    c->set_color_rgb(kBlack);
    const ui::PlotPair& sc = cx_.ui.plot.plotscale;
    auto label = [](const VarScan& v, int k) {
        const int value = v.values[static_cast<std::size_t>(k - 1)];
        return v.character ? std::string(1, files::codechar(value)) : io::fmt_i(value, 2);
    };
    if (scan_.x.is_discrete())
        for (int k = 1; k <= scan_.x.nlevels(); ++k) {
            c->moveto(ui::plot_pixel(k * sc.x) - 3, below_axis(15));
            ui::boldtext(*c, label(scan_.x, k));
        }
    if (scan_.y.is_discrete())
        for (int k = 1; k <= scan_.y.nlevels(); ++k) {
            c->moveto(ui::plot_pixel(scan_.xr.lo * sc.x) - 25, -ui::plot_pixel(k * sc.y) - 6);
            ui::boldtext(*c, label(scan_.y, k));
        }
}

void ScatterRun::draw(bool reopen, bool log_quartiles)
{
    const ScatterInput in = input();
    scan_ = scan_scatter(in, v_.z.size);
    if (v_.box_pending) {
        v_.box_pending = false;
        setup_box();
    }
    cx_.sv.thinking("...creating a scatter plot", true);
    first_ = reopen;
    if (reopen || !cx_.ui.frame.is_open(kUnit)) {
        if (!open_window()) return;
        first_ = true;
    }
    cx_.ui.frame.set_active(kUnit);
    axes();
    const bool by_frequency = scan_.both_discrete() && (v_.box || v_.circles);
    if (by_frequency) {
        if (!v_.counts) {
            try {
                v_.counts = std::make_unique<tree::CrossTab>();
                v_.counts2 = std::make_unique<tree::CrossTab>();
            } catch (const std::bad_alloc&) {
                v_.counts.reset();
                cx_.ui.log.write("Unable to allocate array NARRAY");
                return;
            }
        }
        const ScatterCloud c =
            collect_scatter(in, scan_, v_.counts.get(), v_.z.distinguish ? v_.counts2.get() : nullptr);
        v_.plotted = c.n;
        circles();
        crosstabs(first_);
        notes(c);
        return;
    }
    const ScatterCloud c = collect_scatter(in, scan_, nullptr, nullptr);
    v_.plotted = c.n;
    points(c);
    if (scan_.one_discrete()) level_table(c, first_, log_quartiles);
    if (!(scan_.both_discrete() && v_.box)) correlation(c, first_);
    notes(c);
}

void ScatterRun::points(const ScatterCloud& c)
{
    const ui::PlotPair& sc = cx_.ui.plot.plotscale;
    const ui::PlotPixel& org = cx_.ui.plot.vieworg;
    cx_.ui.symbols.overlapstep = v_.shift;
    std::optional<std::pair<int, int>> click = click_;
    click_.reset();
    std::size_t drawn = 0;
    for (const PlotPoint& p : c.points) {
        if (++drawn % 4096 == 0) cx_.sv.yield(); // a large cloud keeps the frame responsive
        if ((p.xmiss || p.ymiss) && !v_.show_missing) continue;
        int colour = p.other ? kPointRed : kPointBlue;
        if (p.xmiss || p.ymiss) colour = p.other ? kMissingRed : kMissingBlue;
        if (v_.density) colour = kDensityColour;
        int size = v_.size;
        if (v_.z.size && !v_.box) size = z_size(p.z, scan_.zmin, scan_.zmax, v_.size);
        const auto k = static_cast<std::size_t>(p.obs - 1);
        if (click && k < v_.labels.size()) {
            const int px = org.x + ui::plot_pixel(p.x * sc.x);
            const int py = org.y - ui::plot_pixel(p.y * sc.y);
            if (label_hit(px, py, click->first, click->second, size)) v_.labels[k] = !v_.labels[k];
        }
        const bool labelled = k < v_.labels.size() && v_.labels[k];
        std::string label;
        if (labelled) {
            if (cx_.tables.vars.hasid && k < cx_.data.obsid.size()) label = cx_.data.obsid[k].substr(0, 8);
            else label = files::squeeze(io::fmt_i(p.obs, 6));
        }
        int control = v_.density ? ui::kSymbolOverlap : ui::kSymbolOutline;
        ui::plotsym(cx_.ui, random_, {p.x, p.y, labelled, label, size, colour, v_.ellipses, false}, control);
    }
    if (v_.z.distinguish) {
        const bool jx = cx_.ui.symbols.jitterx, jy = cx_.ui.symbols.jittery;
        cx_.ui.symbols.jitterx = cx_.ui.symbols.jittery = false;
        ui::selfont(cx_.ui, 2);
        const int x = ui::plot_pixel((0.9 * scan_.xr.lo + 0.1 * scan_.xr.hi) * sc.x);
        text(x, below_axis(40), legend(true), kBlack);
        text(other_column(x), below_axis(40), legend(false), kPointRed);
        cx_.ui.symbols.jitterx = jx;
        cx_.ui.symbols.jittery = jy;
    }
}

int ScatterRun::other_column(int x) const
{
    int right = x + 150;
    if (const platform::Canvas* c = canvas()) {
        ui::selfont(cx_.ui, 2);
        const int gap = c->text_width("  ");
        right = std::max({right, x + c->text_width(legend(true)) + gap, x + c->text_width(correlation_text(-1)) + gap});
    }
    return right;
}

void ScatterRun::correlation(const ScatterCloud& c, bool first)
{
    const bool shown = !scan_.any_discrete();
    const int x = ui::plot_pixel(scan_.xr.lo * cx_.ui.plot.plotscale.x);
    ui::selfont(cx_.ui, 2);
    cx_.xmean = c.all.xmean();
    if (!v_.z.distinguish) {
        if (const auto r = c.all.r()) {
            if (first) cx_.ui.log.write(correlation_text(*r));
            if (shown) text(x + 70, below_axis(64), correlation_text(*r), kBlack);
        }
        return;
    }
    // Distinguished points: each group's own correlation, under its own legend.
    const int left = ui::plot_pixel((0.9 * scan_.xr.lo + 0.1 * scan_.xr.hi) * cx_.ui.plot.plotscale.x);
    const int right = other_column(left);
    ui::selfont(cx_.ui, 2);
    if (const auto r = c.chosen.r()) {
        if (first) {
            cx_.ui.log.write(legend(true));
            cx_.ui.log.write(correlation_text(*r));
        }
        if (shown) text(left, below_axis(64), correlation_text(*r), kBlack);
    }
    if (const auto r = c.other.r()) {
        if (first) {
            cx_.ui.log.write(legend(false));
            cx_.ui.log.write(correlation_text(*r));
        }
        if (shown) text(right, below_axis(64), correlation_text(*r), kPointRed);
    }
}

void ScatterRun::notes(const ScatterCloud& c)
{
    const int x = ui::plot_pixel(scan_.xr.lo * cx_.ui.plot.plotscale.x);
    ui::selfont(cx_.ui, 0);
    if (v_.show_missing && c.both_missing > 0) {
        const double pct = c.n != 0 ? 100.0 * static_cast<double>(c.both_missing) / c.n : 0.0;
        text(x - 60, below_axis(90),
             "Both missing " + io::fmt_i(c.both_missing, 5) + "(" + io::fmt_f(pct, 6, 2) + "%)", kPointBlue);
    }
    const bool jx = cx_.ui.symbols.jitterx, jy = cx_.ui.symbols.jittery;
    if (jx || jy) {
        const char* note = jx && jy ? " X and Y jitter" : (jx ? " X direction jitter" : " Y direction jitter");
        text(x + 200, below_axis(80), note, kPointBlue);
    }
    if (scan_.both_discrete() && v_.box) {
        ui::selfont(cx_.ui, 2);
        text(x + 70, below_axis(64), "Both variables seen as discrete. Cross-tabs written to LOG", kPointBlue);
    }
}

} // namespace meru::outcome
