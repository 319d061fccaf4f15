// The ROC curves window: the variable dialog, the curve of the chosen line over
// its axes (or over the curves before it when superimposing), and the mouse wait
// with its bar "Esc New Diag Help" and the labels written at clicked points.
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "plots/rank_window_common.h"
#include "plots/rank_windows.h"
#include "plots/roc_draw.h"
#include "ui/axes.h"
#include "ui/button_bars.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/textrow.h"
#include "ui/thinking.h"

#include <cmath>
#include <optional>

namespace meru::plots {

namespace {

namespace ids = rank_dialog_ids;

constexpr int kWidth = 600;
constexpr int kHeight = 520;
constexpr int kInactiveBar = 0xeeefee; // red EE, green EF, blue EE
constexpr std::string_view kBar = ui::bars::kRoc;

class RocRun {
public:
    RocRun(ui::Context& ctx, const RocCall& call) : ctx_(ctx), call_(call), lines_(*call.lines) {}
    void run();

private:
    enum class Next { choose, wait, end };
    Next choose();
    Next wait();
    void bar();
    void draw(bool fresh);
    void label_click(int mx, int my);

    ui::Context& ctx_;
    const RocCall& call_;
    const CutLines& lines_;
    std::map<int, bool> checks_{
        {ids::kXSpecificity, false}, {ids::kXOneMinus, true}, {ids::kSuperimpose, false}, {ids::kConnect, true}};
    int cycle_ = 1;
    int k_ = 0;
    int line_ = 0;
    bool has_curve_ = false;
    bool diagonal_ = true;
    int colour_ = kBlack;
    RocCurve curve_;
    std::vector<std::string> labels_;
    std::optional<ui::MenusOff> menus_; // held from the first wait to the end
};

void RocRun::run()
{
    if (call_.ynames.size() != 1) {
        std::string text = "Multivariate Y: cannot do ROC $";
        ui::msgbox(ctx_, text, BoxKind::Ok, true);
        return;
    }
    close_plot_window(ctx_, kRocWindow);
    Next next = Next::choose;
    while (next != Next::end) next = next == Next::choose ? choose() : wait();
}

RocRun::Next RocRun::choose()
{
    platform::Frame& frame = ctx_.frame;
    for (;;) {
        const LineList list = offered_lines(ctx_, lines_, 1);
        const VariablePick pick = pick_variable(ctx_, kRocDialog, list, checks_);
        if (pick.missing) {
            ctx_.log.write("Error: dialog box 22 not found");
            return Next::end;
        }
        if (pick.closed != 1) {
            frame.set_focus(kRocWindow);
            return cycle_ == 1 || !has_curve_ || !frame.is_open(kRocWindow) ? Next::end : Next::wait;
        }
        if (pick.line == 0) {
            std::string text = " Need to select a variable from list or Cancel$";
            ui::msgbox(ctx_, text, BoxKind::Ok, false);
            continue;
        }
        line_ = pick.line;
        const bool super = checks_[ids::kSuperimpose];
        k_ = super ? k_ + 1 : 0;
        const bool fresh_window = !super || cycle_ == 1 || !frame.is_open(kRocWindow);
        if (fresh_window) {
            const std::string title = curve_window_title("ROC curve for ", call_.ynames.front());
            if (!open_plot_window(ctx_, kRocWindow, title, title.substr(0, 39), kWidth, kHeight)) return Next::end;
            has_curve_ = false;
        }
        const int n = lines_.ncut(line_), first = lines_.first(line_);
        curve_ = roc_points(cut_tables(call_.sample, call_.signbyte, first, n, call_.skip));
        labels_.clear();
        for (int j = 0; j < n; ++j) labels_.push_back(lines_.label(first + j));
        frame.set_active(kRocWindow);
        if (fresh_window) {
            ui::AxisLayout layout;
            layout.ylen = 0.6, layout.xfac = 1.25, layout.xhi = 1.05, layout.yhi = 1.05;
            layout.xwant = 0.2, layout.ywant = 0.2;
            layout.xtitle = checks_[ids::kXSpecificity] ? "Specificity" : "1-Specificity";
            layout.ytitle = "Sensitivity";
            layout.title = "ROC curve ";
            ui::drawaxis(ctx_, layout);
        }
        if (!curve_.evaluable) {
            ui::helpshow(ctx_, "NOTE: Sensitivity/specificity not evaluable");
            ++cycle_;
            continue;
        }
        colour_ = superimposed_colour(k_);
        diagonal_ = true;
        draw(true);
        has_curve_ = true;
        return Next::wait;
    }
}

void RocRun::draw(bool fresh)
{
    ctx_.frame.set_active(kRocWindow);
    RocDrawing d;
    d.curve = &curve_;
    d.name = line_ >= 1 && line_ <= static_cast<int>(lines_.names.size())
                 ? lines_.names[static_cast<std::size_t>(line_ - 1)]
                 : std::string();
    d.labels = labels_;
    d.optimised = lines_.best(line_);
    d.colour = colour_;
    d.connect = checks_[ids::kConnect];
    d.x_specificity = checks_[ids::kXSpecificity];
    d.diagonal = diagonal_;
    d.superimpose = checks_[ids::kSuperimpose];
    d.k = k_;
    d.notes = fresh;
    draw_roc(ctx_, d);
}

void RocRun::bar()
{
    platform::Frame& frame = ctx_.frame;
    frame.set_active(kRocWindow);
    ui::buttonbar(ctx_, kBar, kWhite, 2, kBlack);
    ui::register_mousecb(ctx_, kRocWindow, ui::kMouseClicks);
    ui::mouse_clear(ctx_.mouse);
    ui::thinking(ctx_, "...waiting mouse in ROC curve window", true);
    frame.set_active(kRocWindow);
    if (platform::Canvas* c = frame.canvas(kRocWindow)) c->set_vieworg(ctx_.plot.vieworg.x, ctx_.plot.vieworg.y);
}

void RocRun::label_click(int mx, int my)
{
    platform::Canvas* c = ctx_.frame.canvas(kRocWindow);
    if (c == nullptr) return;
    const double sx = ctx_.plot.plotscale.x, sy = ctx_.plot.plotscale.y;
    const int ox = ctx_.plot.vieworg.x, oy = ctx_.plot.vieworg.y;
    const bool xspec = checks_[ids::kXSpecificity];
    const int optimised = lines_.best(line_);
    c->set_vieworg(ox, oy);
    for (int e = 1; e <= curve_.ncuts(); ++e) {
        if (e == optimised) continue;
        const double x =
            xspec ? curve_.specificity[static_cast<std::size_t>(e)] : curve_.fpr[static_cast<std::size_t>(e)];
        const double s = curve_.sens[static_cast<std::size_t>(e)];
        if (std::abs((mx - ox) - ui::plot_pixel(sx * x)) >= 2 || std::abs(sy * s + (my - oy)) >= 2) continue;
        c->moveto(mx - ox + (xspec ? 5 : 0), my - oy);
        c->outgtext(io::fmt_a(labels_[static_cast<std::size_t>(e - 1)], 20));
    }
}

RocRun::Next RocRun::wait()
{
    platform::Frame& frame = ctx_.frame;
    if (!menus_) menus_.emplace(ctx_.menus);
    bar();
    int mx = 0, my = 0;
    while (wait_left_click(ctx_, kRocWindow, mx, my)) {
        if (my > ui::kBarClickHeight) {
            label_click(mx, my);
        } else if (mx < 0) {
            continue;
        } else if (mx <= 45) {
            ui::unregister_mousecb(ctx_, kRocWindow);
            ui::textrow(ctx_, "ROC window not active for mouse. Do Rank:ROC", kInactiveBar, 1, 2, kBlack);
            menus_.reset();
            frame.set_active(kRocWindow);
            frame.set_focus(kRocWindow);
            return Next::end;
        } else if (mx <= 90) {
            ++cycle_;
            return Next::choose;
        } else if (mx <= 135) {
            diagonal_ = !diagonal_;
            draw(false);
        } else if (mx <= 170) {
            ui::helpshow(ctx_, "Help ROC");
            bar();
        }
    }
    return Next::end;
}

} // namespace

void rocplot(ui::Context& ctx, const RocCall& call)
{
    if (call.lines == nullptr) return;
    RocRun(ctx, call).run();
}

} // namespace meru::plots
