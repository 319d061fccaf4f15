// The curve window's wait for the mouse: the bar's Esc, Beta+, Beta- and Help,
// the right button, clicks on the curve's points, and a click elsewhere in the
// plot, which goes on as Esc does.
#include "files/textutil.h"
#include "platform/frame.h"
#include "platform/menus.h"
#include "plots/curve_drawing.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/selfont.h"
#include "ui/thinking.h"

#include <algorithm>

namespace meru::plots::detail {

namespace {

// This window's bar: Esc on x 0..45, Beta+ on 46..90, Beta- on 91..135 and Help
// on 137..180, all at y 0..15. Its edges are its own (x 136 lies between Beta-
// and Help and does nothing).
enum class CurveButton { none, esc, beta_plus, beta_minus, help };

constexpr int kBarHeight = 15;

CurveButton curve_button(int mx, int my)
{
    if (my > kBarHeight) return CurveButton::none;
    if (mx <= 45) return CurveButton::esc;
    if (mx <= 90) return CurveButton::beta_plus;
    if (mx <= 135) return CurveButton::beta_minus;
    if (mx >= 137 && mx <= 180) return CurveButton::help;
    return CurveButton::none;
}

// The main menus greyed once for the whole interaction: taken unless the
// curve's earlier wait kept them, given back when the wait ends unless a point
// hit keeps them for the caller's next call.
class MenuHold {
public:
    MenuHold(platform::Menus& menus, bool& held) : menus_(menus), held_(held)
    {
        if (!held_) ui::menuoff(menus_);
        held_ = true;
    }
    ~MenuHold()
    {
        if (keep_) return;
        ui::menuon(menus_);
        held_ = false;
    }
    MenuHold(const MenuHold&) = delete;
    MenuHold& operator=(const MenuHold&) = delete;
    void keep() { keep_ = true; }

private:
    platform::Menus& menus_;
    bool& held_;
    bool keep_ = false;
};

// The window's mouse callback for one wait, removed on every way out of it: a
// window that no longer waits is not held over the windows opened after it.
class MouseWait {
public:
    MouseWait(ui::Context& ctx, int unit) : ctx_(ctx), unit_(unit)
    {
        ui::register_mousecb(ctx_, unit_, ui::kMouseClicksMove);
    }
    ~MouseWait() { ui::unregister_mousecb(ctx_, unit_); }
    MouseWait(const MouseWait&) = delete;
    MouseWait& operator=(const MouseWait&) = delete;

private:
    ui::Context& ctx_;
    int unit_;
};

// Beta+ or Beta-: the picture back without the line, the slope changed so that
// the line's end moves by the step in pixels (never below 0), y2 written back,
// and the line drawn again.
void tilt(ui::Context& ctx, CurveWindow& curve, CurveDrawing& d, double sign)
{
    const double delta = sign * ui::safediv(beta_step(d.slope, d.sx, d.sy), d.sy);
    if (d.has_image) {
        d.canvas.set_viewport(0, 0, d.width - 1, d.height - 1);
        d.canvas.put_image(0, 0, d.stored);
        d.canvas.set_vieworg(d.origin.x(), d.origin.y());
    }
    d.slope = std::max(0.0, d.slope + ui::safediv(delta, curve.x2));
    curve.y2 = curve.x2 * d.slope + d.intercept;
    select_refcolour(d.canvas, curve.refcolour);
    draw_refline(ctx, curve, d);
}

} // namespace

void wait_for_click(ui::Context& ctx, CurveWindow& curve, CurveDrawing& d)
{
    platform::Frame& frame = ctx.frame;
    ui::MouseBlock& mouse = ctx.mouse;
    const bool x_only = curve.title.starts_with("Rank");
    MenuHold hold(ctx.menus, curve.menus_held);
    const MouseWait waiting(ctx, d.unit);
    for (;;) {
        ui::thinking(ctx, kWaitingText, true);
        frame.set_focus(d.unit);
        frame.set_active(d.unit);
        ui::mouse_clear(mouse);
        for (bool again = true; again;) {
            const int state = ui::mouse_poll(mouse, 10);
            // A window closed under the wait ends it as Esc would.
            if (!frame.is_open(d.unit)) {
                curve.clicked = 0;
                return;
            }
            frame.set_active(d.unit);
            if (state == ui::kMouseRight) {
                curve.clicked = 0;
                return;
            }
            if (state != ui::kMouseLeft) {
                curve.clicked = 0;
                ui::mouse_clear(mouse);
                continue;
            }
            const int mx = mouse.x, my = mouse.y;
            const CurveButton button = curve_button(mx, my);
            if (button == CurveButton::esc) {
                curve.clicked = 0;
                return;
            }
            curve.clicked = hit_point(curve, d.sx, d.sy, d.origin.x(), d.origin.y(), mx, my, x_only);
            if (curve.clicked > 0) {
                // The line turns black under the chosen point's picture.
                if (d.line) {
                    d.canvas.set_color_rgb(0x000000);
                    draw_refline(ctx, curve, d);
                }
                hold.keep();
                return;
            }
            // The prompt asks for the mouse: a click in the plot that meets no
            // point goes on, as Esc does.
            if (my > kBarHeight) {
                curve.clicked = 0;
                return;
            }
            if (d.line) {
                if (button == CurveButton::beta_plus) tilt(ctx, curve, d, +1);
                else if (button == CurveButton::beta_minus) tilt(ctx, curve, d, -1);
                else if (button == CurveButton::help) {
                    curve.title = files::pad(kBetaHelpTopic, 60);
                    ui::helpshow(ctx, curve.title);
                    again = false;
                    continue;
                }
            }
            ui::mouse_clear(mouse);
        }
    }
}

} // namespace meru::plots::detail
