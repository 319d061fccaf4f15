// The distribution plot's second button bars: the histogram bins bar with its
// bins dialog, and the density bar with the bandwidth steps.
#include "platform/colour.h"
#include "platform/dialogs.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/listread.h"
#include "platform/io/logwriter.h"
#include "plots/yhist_run.h"
#include "ui/button_bars.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/textrow.h"
#include "ui/thinking.h"

namespace meru::plots {
namespace {

constexpr int kOk = 1;
constexpr int kBinWidthEdit = 9014;
constexpr int kStartEdit = 9015;

} // namespace

int DistRun::wait_click(int ms, bool& right)
{
    right = false;
    ui::mouse_clear(ctx_.mouse, 600, 16);
    for (;;) {
        const int s = ui::mouse_poll(ctx_.mouse, ms);
        if (!ctx_.frame.is_open(unit_)) { // the user closed the window: leave as with the right button
            right = true;
            return 0;
        }
        if (s == ui::kMouseNone) continue;
        const int x = ctx_.mouse.x, y = ctx_.mouse.y;
        ui::mouse_clear(ctx_.mouse);
        if (s == ui::kMouseRight) {
            right = true;
            return 0;
        }
        if (const int b = ui::bar_button(x, y); s == ui::kMouseLeft && b > 0) return b;
    }
}

int DistRun::bar_click(std::string_view bar, int mask, int ms, bool& right)
{
    platform::Frame& frame = ctx_.frame;
    frame.set_active(unit_);
    ui::buttonbar(ctx_, bar, kWhite, 2, kBlack);
    restore_origin();
    ui::register_mousecb(ctx_, unit_, mask);
    ui::thinking(ctx_, "...waiting mouse in " + call_.title, true);
    frame.set_active(unit_);
    frame.set_focus(unit_);
    return wait_click(ms, right);
}

void DistRun::bins_bar(bool percent)
{
    st_.bins = auto_bins(sample_, miss_);
    ui::MenusOff menus(ctx_.menus);
    for (;;) {
        if (!ctx_.frame.is_open(unit_)) return;
        bool right = false;
        const int b = bar_click(ui::bars::kDistBins, ui::kMouseClicks, 100, right);
        if (right) continue;
        switch (b) {
        case 1:
            ui::unregister_mousecb(ctx_, unit_);
            restore_origin();
            return;
        case 2:
        case 3:
            st_.bins = step_bins(sample_, miss_, st_.bins.k, b == 2 ? 1 : -1);
            draw_histogram(percent);
            break;
        case 4:
            if (bins_dialog()) draw_histogram(percent);
            break;
        case 5: ui::helpshow(ctx_, "Note: Histogram Grouping"); break;
        default: break;
        }
    }
}

bool DistRun::bins_dialog()
{
    status_ = 0;
    for (;;) {
        auto d = platform::Dialog::load(ctx_.dialogs, kHistogramBinsDialog, ctx_.host);
        if (!d) {
            ctx_.log.write(" Error: dialogbins  not found");
            status_ = -1;
            return false;
        }
        // Values too wide for 13 columns keep all their digits, so that OK takes
        // the texts as shown instead of refusing a field of "*".
        std::string width = io::fmt_f(st_.bins.width, 13, 6);
        std::string start = io::fmt_f(st_.bins.start, 13, 6);
        d->set_text(kBinWidthEdit, width);
        d->set_text(kStartEdit, start);
        if (d->run_modal() != kOk) {
            status_ = -1;
            return false;
        }
        d->get_text(kBinWidthEdit, width);
        d->get_text(kStartEdit, start);
        const auto s0 = io::list_read_real(start);
        const auto b = io::list_read_real(width);
        if (!s0 || !b) continue;
        const auto bins = user_bins(sample_, miss_, *s0, *b);
        if (!bins) continue;
        st_.bins = *bins;
        st_.xmin = bins->start;
        st_.density.clear();
        return true;
    }
}

bool DistRun::density_bar()
{
    const double range = data_range(sample_, miss_);
    ui::MenusOff menus(ctx_.menus);
    const auto leave = [&] {
        ui::unregister_mousecb(ctx_, unit_);
        ui::textrow(ctx_, "Window not active for mouse  ", kWhite, 1, 2, kBlack);
        restore_origin();
        return false;
    };
    for (;;) {
        if (!ctx_.frame.is_open(unit_)) return false;
        bool right = false;
        const int b = bar_click(call_.interactive ? ui::bars::kDistBand : ui::bars::kProcessBand,
                                ui::kMouseClicksMove, 200, right);
        if (right || b == 1) return leave();
        if (b == 2 || b == 3) {
            const BandStep step = b == 2 ? band_plus(st_.bandwidth, range) : band_minus(st_.bandwidth, range);
            if (step == BandStep::Redraw) {
                restore_origin();
                return true;
            }
            ui::helpshow(ctx_, step == BandStep::UpperLimit ? "NOTE: upper bandwidth limit"
                                                            : "NOTE: lower bandwidth limit");
        } else if (b == 4) {
            ui::helpshow(ctx_, "Note: Band+ Band-");
        }
    }
}

} // namespace meru::plots
