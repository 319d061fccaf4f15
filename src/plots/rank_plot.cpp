// The attribute rank plot's window: selection, drawing with its overlays, the
// bar and the mouse loop, and the ranking table at Esc.
#include "plots/rank_plot.h"

#include "files/textutil.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "plots/plotwin.h"
#include "plots/rank_model.h"
#include "plots/rank_window_common.h"
#include "ui/axes.h"
#include "ui/button_bars.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/plotsym.h"
#include "ui/selfont.h"
#include "ui/textrow.h"
#include "ui/thinking.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace meru::plots {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kDarkRed = 0x0000aa;
constexpr int kNoteColour = 0xaa8800;
constexpr const char* kTitle = "Rank attributes plot";
constexpr double kAxisLength = 0.7; // the data area's share of the window's height
// The widest suffix a label can have: a share missing of 100 %.
constexpr const char* kWidestSuffix = " 100.00%";

// Buttons of the bar by their left edges.
enum Button { kEsc = 1, kPvalue, kCuts, kAdd, kNegtv, kAll, kMiss, kHelp };
int button_at(int mx)
{
    static constexpr int right[] = {45, 90, 135, 180, 225, 270, 315, 362};
    for (int b = 0; b < 8; ++b)
        if (mx <= right[b]) return b + 1;
    return 0;
}

std::size_t at(int i) { return static_cast<std::size_t>(i); }

class RankRun {
public:
    RankRun(ui::Context& ctx, io::RandomStream& random, RankPlotCall& call)
        : ctx_(ctx), random_(random), c_(call), lines_(*call.lines)
    {}
    void run();

private:
    bool select();
    void draw();
    void cuts_overlay(platform::Canvas& canvas);
    void labels(platform::Canvas& canvas);
    void bottom_note(platform::Canvas& canvas);
    void negative_marks();
    void bar();
    bool click(int mx, int my);
    void all_or_banned();
    void esc();

    int n() const { return static_cast<int>(c_.rankline.size()); }
    int line(int i) const { return c_.rankline[at(i)]; }
    int ncuts(int k) const { return lines_.ncut(k); }
    int base(int k) const { return lines_.first(k) - 1; }
    double value(int a) const
    {
        return a >= 1 && a <= static_cast<int>(c_.attg.size()) ? c_.attg[at(a - 1)] : std::nan("");
    }
    bool banned(int k) const { return k >= 1 && k <= static_cast<int>(c_.banned.size()) && c_.banned[at(k - 1)]; }
    std::string label(int i) const
    {
        const int a = sel_.best[at(i)];
        const std::string name = a >= 1 && a <= static_cast<int>(c_.attname.size()) ? c_.attname[at(a - 1)] : "";
        return rank_label(name, lines_.label(a));
    }

    ui::Context& ctx_;
    io::RandomStream& random_;
    RankPlotCall& c_;
    const CutLines& lines_;
    RankSelection sel_;
    std::vector<int> shown_; // the positions not hidden, in order (0-based)
    bool pvalue_ = false, cuts_ = false, negtv_ = false, miss_ = false, add_ = true;
    bool banned_state_ = false; // the bar shows "Bannd"
    bool anyban_ = false;
    bool first_ = true;
    bool missing_ = false;
    std::vector<bool> saved_;
    std::string title_;
    double ylow_ = 0, ytop_ = 0;
    std::optional<ui::MenusOff> menus_;
};

void RankRun::run()
{
    if (c_.rankg.empty() || c_.rankg.front() == 0) {
        ui::helpshow(ctx_, "NOTE: maximum effectiveness is zero !");
        return;
    }
    if (!open_plot_window(ctx_, kRankWindow, kTitle, kTitle, kWidth, kHeight)) return;
    c_.lpf.resize(lines_.ncuts.size(), 1);
    c_.banned.resize(lines_.ncuts.size(), false);
    c_.rankpos.resize(lines_.ncuts.size(), 0);
    c_.onecut = true;
    for (int i = 0; i < n(); ++i) {
        anyban_ = anyban_ || banned(line(i));
        if (ncuts(line(i)) > 1) c_.onecut = false;
    }
    if (!select()) return;
    draw();
    menus_.emplace(ctx_.menus);
    bar();
    int mx = 0, my = 0;
    while (wait_left_click(ctx_, kRankWindow, mx, my)) {
        if (my > ui::kBarClickHeight) {
            if (click(mx, my)) bar();
            continue;
        }
        if (mx < 0) continue;
        const int b = button_at(mx);
        if ((b == kCuts && c_.onecut) || (b == kAdd && c_.nadded == 0) || (b == kNegtv && !c_.posfixed) ||
            (b == kMiss && !missing_))
            continue;
        switch (b) {
        case kEsc: esc(); return;
        case kPvalue:
            pvalue_ = !pvalue_;
            miss_ = false;
            break;
        case kCuts: cuts_ = !cuts_; break;
        case kAdd:
            add_ = !add_;
            if (!select()) return;
            break;
        case kNegtv: negtv_ = !negtv_; break;
        case kAll:
            all_or_banned();
            if (!select()) return;
            break;
        case kMiss:
            miss_ = !miss_;
            pvalue_ = false;
            break;
        case kHelp:
            ui::helpshow(ctx_, kTitle);
            bar();
            continue;
        default: continue;
        }
        first_ = false;
        draw();
        bar();
    }
}

bool RankRun::select()
{
    std::vector<int> ncuts(lines_.ncuts);
    std::vector<int> attoff(lines_.attoff);
    RankInputs in{c_.rankline, ncuts,      attoff,        c_.attname, c_.attcol, c_.ynames,
                  c_.ycols,    c_.addedno, c_.censor_att, c_.maxatt,  add_};
    sel_ = rank_selection(in, c_.lpf);
    for (std::size_t r = 0; r < sel_.bad_value.size(); ++r) ui::msgok(ctx_, lpf_message(sel_.bad_value[r]));
    shown_.clear();
    missing_ = false;
    for (int i = 0; i < n(); ++i) {
        const int k = line(i);
        if (k >= 1 && k <= static_cast<int>(c_.rankpos.size())) c_.rankpos[at(k - 1)] = i + 1;
        if (sel_.hidden[at(i)]) continue;
        shown_.push_back(i);
        if (k >= 1 && k <= static_cast<int>(c_.rankpos.size()))
            c_.rankpos[at(k - 1)] = static_cast<int>(shown_.size());
        if (i < sel_.m && i < static_cast<int>(c_.rankn.size()) && c_.rankn[at(i)] != c_.nobsin) missing_ = true;
    }
    if (c_.ynames.size() <= 1 || c_.yserial) {
        const int y = std::clamp(c_.current_y, 1, std::max(1, static_cast<int>(c_.ynames.size())));
        title_ =
            "   Ranked attributes for Y=  " + io::fmt_a(c_.ynames.empty() ? std::string() : c_.ynames[at(y - 1)], 20);
    } else {
        title_ = "  Ranked  for parallel multivariate Y";
        ctx_.log.write(" Multivariate parallel Y: P value is minimum of separate Ps");
    }
    if (c_.bygroup) title_ = files::pad(title_, 39) + files::pad(c_.bylabel, 28);
    ctx_.frame.set_active(kRankWindow);
    int j = n() - 1;
    while (j >= 0 && !(c_.rankg[at(j)] > -1e-20)) --j;
    if (j < 0) {
        std::string text = "NOTE: error no data?? $";
        ui::msgbox(ctx_, text, BoxKind::Ok, true);
        return false;
    }
    ylow_ = std::min(0.0, c_.rankg[at(j)]);
    // Room above the points for the labels with the widest suffix, measured in
    // the labels' font, so that none runs past the frame.
    std::vector<double> g;
    std::vector<int> reach;
    platform::Canvas* canvas = ctx_.frame.canvas(kRankWindow);
    if (canvas) ui::selfont(ctx_, 1);
    const int suffix = canvas ? canvas->text_width(kWidestSuffix) : 0;
    for (int i : shown_) {
        g.push_back(c_.rankg[at(i)]);
        const bool labelled = static_cast<int>(reach.size()) < sel_.m;
        reach.push_back(labelled && canvas ? canvas->text_width(label(i)) + suffix : 0);
    }
    ytop_ = rank_axis_top(g, reach, ylow_, kAxisLength * kHeight);
    return true;
}

void RankRun::draw()
{
    platform::Frame& frame = ctx_.frame;
    frame.set_active(kRankWindow);
    const int m = sel_.m;
    ui::AxisLayout layout;
    layout.ylen = kAxisLength, layout.xfac = 1.4;
    layout.xlo = 1, layout.xhi = m + 1, layout.ylo = ylow_, layout.yhi = ytop_;
    layout.xtitle = "Rank";
    layout.ytitle = c_.critname.substr(0, 20);
    layout.title = title_;
    layout.backcol = kWhite;
    layout.xwant = m < 15 ? 1 : 2;
    layout.resize = first_;
    ui::drawaxis(ctx_, layout);
    platform::Canvas* canvas = frame.canvas(kRankWindow);
    if (canvas == nullptr) return;
    canvas->set_vieworg(ctx_.plot.vieworg.x, ctx_.plot.vieworg.y);
    if (cuts_) cuts_overlay(*canvas);

    ui::selfont(ctx_, 3);
    std::vector<double> xs, ys;
    for (int i : shown_) {
        xs.push_back(static_cast<double>(xs.size() + 1));
        ys.push_back(c_.rankg[at(i)]);
    }
    CurveWindow w;
    w.x = xs;
    w.y = ys;
    w.n = static_cast<int>(xs.size());
    w.colour = kBlack;
    w.label = std::string(10, ' ');
    w.title = title_;
    w.refcolour = kWhite;
    w.linelabel = std::string(11, ' ');
    w.size = 2;
    w.join = true;
    plotwin(ctx_, w);
    canvas->set_vieworg(ctx_.plot.vieworg.x, ctx_.plot.vieworg.y);
    labels(*canvas);
    bottom_note(*canvas);
    if (negtv_) negative_marks();
}

void RankRun::cuts_overlay(platform::Canvas& canvas)
{
    const double sx = ctx_.plot.plotscale.x, sy = ctx_.plot.plotscale.y;
    ui::selfont(ctx_, 2);
    for (int r = 1; r <= sel_.m && r <= static_cast<int>(shown_.size()); ++r) {
        const int i = shown_[at(r - 1)];
        const int k = line(i);
        if (ncuts(k) < 2) continue;
        for (int j = 1; j <= ncuts(k); ++j) {
            if (j == c_.lpf[at(k - 1)]) continue;
            const int a = base(k) + j;
            const double v = value(a);
            if (std::isnan(v)) continue; // the ranking did not score this cut
            canvas.set_gtext_vector(1, 1);
            ui::selfont(ctx_, 1);
            canvas.set_color_rgb(kBlack);
            const int x = ui::plot_pixel(r * sx);
            canvas.moveto(x, ui::plot_pixel(-sy * v - 10));
            canvas.outgtext(lines_.label(a));
            canvas.moveto(x, 0);
            ui::dashto(canvas, x, ui::plot_pixel(-sy * c_.rankg[at(i)]), 5, 5);
            int control = ui::kSymbolOutline;
            ui::Symbol sym;
            sym.x = c_.rankpos[at(k - 1)], sym.y = v, sym.label = true, sym.text = " ", sym.size = 2;
            sym.colour = kBlack;
            ui::plotsym(ctx_, random_, sym, control);
        }
    }
    if (!c_.onecut) {
        int control = ui::kSymbolOutline;
        ui::Symbol sym;
        sym.x = 0.5, sym.y = ylow_ - 35.0 / std::max(sy, 1e-20), sym.size = 2, sym.colour = kBlack;
        ui::plotsym(ctx_, random_, sym, control);
    }
    canvas.set_gtext_vector(1, 0);
}

void RankRun::labels(platform::Canvas& canvas)
{
    const double sx = ctx_.plot.plotscale.x, sy = ctx_.plot.plotscale.y;
    canvas.set_gtext_vector(1, 1);
    ui::selfont(ctx_, 1);
    for (int r = 1; r <= sel_.m && r <= static_cast<int>(shown_.size()); ++r) {
        const int i = shown_[at(r - 1)];
        const int k = line(i);
        const int a = sel_.best[at(i)];
        const int x = ui::plot_pixel(r * sx) - 10, y = ui::plot_pixel(-sy * c_.rankg[at(i)] - 10);
        int colour = banned(k) ? kGrey : kBlue;
        if (a >= 1 && a <= static_cast<int>(c_.addedno.size()) && c_.addedno[at(a - 1)] > 0) colour = kDarkRed;
        const std::string text = label(i);
        canvas.set_color_rgb(colour);
        canvas.moveto(x, y);
        canvas.outgtext(text);
        if (!pvalue_ && !miss_) continue;
        std::string suffix;
        if (pvalue_) suffix = p_suffix(i < static_cast<int>(c_.rankp.size()) ? c_.rankp[at(i)] : 1.0);
        else suffix = missing_suffix(i < static_cast<int>(c_.rankn.size()) ? c_.rankn[at(i)] : c_.nobsin, c_.nobsin);
        // The suffix goes on from the label's end, along the label's direction.
        canvas.set_color_rgb(kNoteColour);
        canvas.outgtext(suffix.substr(0, 8));
    }
    canvas.set_gtext_vector(1, 0);
}

void RankRun::bottom_note(platform::Canvas& canvas)
{
    const int m = sel_.m, s = static_cast<int>(shown_.size());
    ui::selfont(ctx_, 3);
    std::string note = unshown_note(m, s);
    if (!note.empty()) ui::selfont(ctx_, 2);
    if (miss_) note = "% missing observations";
    if (pvalue_) note = "P- values";
    if (cuts_) note = "Other cuts of each variable";
    if (anyban_ && !banned_state_) note = "Grey: Banned from Search Attribute set";
    canvas.set_color_rgb(kNoteColour);
    canvas.moveto(ui::plot_pixel(ctx_.plot.plotscale.x), ui::plot_pixel(-ctx_.plot.plotscale.y * ylow_) + 50);
    canvas.outgtext(files::pad(note, 80));
}

void RankRun::negative_marks()
{
    if (c_.attcorr.empty()) return;
    ui::selfont(ctx_, 2);
    for (int r = 1; r <= sel_.m && r <= static_cast<int>(shown_.size()); ++r) {
        const int k = line(shown_[at(r - 1)]);
        for (int j = 1; j <= ncuts(k); ++j) {
            const int a = base(k) + j;
            if (a < 1 || a > static_cast<int>(c_.attcorr.size()) || !(c_.attcorr[at(a - 1)] < 0)) continue;
            const double v = value(a);
            if (std::isnan(v)) continue;
            ui::Symbol sym;
            sym.x = c_.rankpos[at(k - 1)], sym.y = v, sym.label = true, sym.text = " ", sym.size = 3,
            sym.ellipse = true;
            int control = ui::kSymbolFilled;
            sym.colour = kRed;
            ui::plotsym(ctx_, random_, sym, control);
            control = ui::kSymbolOutline;
            sym.colour = kBlack;
            ui::plotsym(ctx_, random_, sym, control);
        }
    }
}

void RankRun::bar()
{
    std::vector<int> greyed;
    if (c_.onecut) greyed.push_back(kCuts);
    if (c_.nadded == 0) greyed.push_back(kAdd);
    if (!c_.posfixed) greyed.push_back(kNegtv);
    if (!missing_) greyed.push_back(kMiss);
    platform::Frame& frame = ctx_.frame;
    frame.set_active(kRankWindow);
    ui::buttonbar(ctx_,
                  banned_state_ ? ui::bars::kRankBanned : ui::bars::kRank,
                  kWhite, 2, kBlack, greyed);
    ui::mouse_clear(ctx_.mouse);
    ui::register_mousecb(ctx_, kRankWindow, ui::kMouseClicks);
    ui::thinking(ctx_, "...waiting mouse in Rank attributes plot", true);
    frame.set_active(kRankWindow);
    frame.set_focus(kRankWindow);
}

bool RankRun::click(int mx, int my)
{
    const double sx = ctx_.plot.plotscale.x, sy = ctx_.plot.plotscale.y;
    const int ox = ctx_.plot.vieworg.x, oy = ctx_.plot.vieworg.y;
    for (int r = 1; r <= sel_.m && r <= static_cast<int>(shown_.size()); ++r) {
        const int i = shown_[at(r - 1)];
        const int px = ui::plot_pixel(r * sx + ox), py = ui::plot_pixel(oy - sy * c_.rankg[at(i)]);
        if (std::abs(mx - px) > 3 || std::abs(my - py) > 3) continue;
        const int k = line(i);
        if (k < 1 || k > static_cast<int>(c_.banned.size())) return false;
        const bool now = !c_.banned[at(k - 1)];
        c_.banned[at(k - 1)] = now;
        if (now) {
            ctx_.log.write(" Attribute clicked on is now banned in search: " + label(i));
            anyban_ = true;
        }
        first_ = false;
        if (!select()) return false;
        draw();
        return true;
    }
    return false;
}

void RankRun::all_or_banned()
{
    if (!banned_state_) {
        saved_ = c_.banned;
        for (int i = 0; i < n(); ++i) {
            const int k = line(i);
            if (k < 1 || k > static_cast<int>(c_.banned.size()) || k == c_.yattline) continue;
            c_.banned[at(k - 1)] = false;
        }
        ctx_.log.write(" \"All\" button clicked.");
    } else {
        for (int i = 0; i < n(); ++i) {
            const int k = line(i);
            if (k >= 1 && k <= static_cast<int>(saved_.size())) c_.banned[at(k - 1)] = saved_[at(k - 1)];
        }
        ctx_.log.write(" \"Banned\" button clicked.");
    }
    banned_state_ = !banned_state_;
}

void RankRun::esc()
{
    ui::unregister_mousecb(ctx_, kRankWindow);
    io::LogWriter& log = ctx_.log;
    log.write(rank_table_heading(c_.critname, p_label(c_.icrit)));
    log.write(rank_table_rule());
    for (int i = 0; i < n(); ++i) {
        const int k = line(i);
        if (k >= 1 && k <= static_cast<int>(c_.rankpos.size())) c_.rankpos[at(k - 1)] = i + 1;
        RankRow row;
        row.position = i + 1;
        row.label = label(i);
        row.ncuts = ncuts(k);
        row.g = c_.rankg[at(i)];
        row.p = i < static_cast<int>(c_.rankp.size()) ? c_.rankp[at(i)] : 1.0;
        row.used = i < static_cast<int>(c_.rankn.size()) ? c_.rankn[at(i)] : 0;
        row.banned = banned(k);
        log.write(rank_table_row(row));
        if (row.ncuts > 1)
            for (int j = 1; j <= row.ncuts; ++j) {
                const double v = value(base(k) + j);
                if (!std::isnan(v)) log.write(rank_table_cut(lines_.label(base(k) + j), v));
            }
    }
    log.write(rank_table_rule());
    ui::textrow(ctx_, files::pad("Window not active. Rank:Attributes Rank Plot to activate", 80), 0xcccccb, 1, 2,
                kBlack);
    menus_.reset();
    c_.ended = true;
}

} // namespace

void rankplot(ui::Context& ctx, io::RandomStream& random, RankPlotCall& call)
{
    if (call.lines == nullptr) return;
    RankRun(ctx, random, call).run();
}

} // namespace meru::plots
