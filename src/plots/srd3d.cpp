#include "plots/srd3d.h"

#include "platform/canvas.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "platform/window.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/selfont.h"
#include "ui/textrow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace meru::plots {

namespace {

constexpr int kBack = 0xeeefee;
// The scene's area: below the button bar and the caller's status row, right of
// the caller's key strip.
constexpr int kSceneLeft = 120;
constexpr int kSceneTop = 2 * ui::kRowHeight + 1;
// Pixels between the blocks (and the value axis) and the value labels beside them.
constexpr int kLabelGap = 6;

float scaled(double v, double lo, double hi) { return static_cast<float>(2.0 * ui::safediv(v - lo, hi - lo) - 1.0); }

struct Srd3dView {
    ui::Context& ctx;
    int unit;
    const Srd3dCall& call;
    Srd3dModel m;
    Srd3dState st;
    int& deg1 = st.deg1;
    int& deg2 = st.deg2;
    int& deg3 = st.deg3;
    int& s = st.s;
    bool& block = st.block;
    bool& image = st.image;
    bool& fun = st.fun;
    bool& zero = st.zero;
    bool& view = st.view;
    int step1 = 0, step2 = 0;
    int prevx = 0, prevy = 0;
    bool animating = true;

    platform::Canvas* canvas() const { return ctx.frame.canvas(unit); }
    View3 view3() const { return {{radians(deg1), radians(deg2), radians(deg3)}, s, 0, 0}; }
    bool last_cell(int cell) const { return call.mode != 2 && cell == m.n - 1; }
    int colour_of(int cell) const;
    QRect blocks_box(const View3& v) const;
    static QRect axis_box(const View3& v);
    int label_width(const platform::Canvas& c) const;
    void value_axis(platform::Canvas& c, const View3& v, const QRect& scene) const;
    void draw() const;
    void bar() const;
    bool left_by_user() const;
    bool run();
};

// Esc typed into the window leaves the view as the Esc button does; other keys
// are dropped. The close box only minimises the window: the view goes on.
bool Srd3dView::left_by_user() const
{
    platform::ChildWindow* w = ctx.frame.window(unit);
    if (!w) return true;
    bool esc = false;
    while (const std::optional<int> key = w->keys().get()) esc = esc || *key == 27;
    return esc;
}

int Srd3dView::colour_of(int cell) const
{
    if (call.colours.empty()) return 0x888888;
    int index = 0;
    if (call.mode == 2) {
        const int id =
            cell < static_cast<int>(call.grid.ids.size()) ? call.grid.ids[static_cast<std::size_t>(cell)] : 0;
        index = id >= 0 && id < static_cast<int>(call.colour_index.size())
                    ? call.colour_index[static_cast<std::size_t>(id)]
                    : 0;
    } else if (cell < static_cast<int>(call.colour_index.size())) {
        index = call.colour_index[static_cast<std::size_t>(cell)];
    }
    const int size = static_cast<int>(call.colours.size());
    return call.colours[static_cast<std::size_t>(((index % size) + size) % size)];
}

// The screen rectangle (viewport pixels) that the drawn cells cover, floor to top.
QRect Srd3dView::blocks_box(const View3& v) const
{
    QRect box;
    for (int k = 0; k < m.n; ++k) {
        const int cell = m.order[static_cast<std::size_t>(k)];
        if (call.hide_last && last_cell(cell)) continue;
        const auto i = static_cast<std::size_t>(cell);
        for (float x : {m.x1[i], m.x2[i]})
            for (float y : {m.y1[i], m.y2[i]})
                for (float z : {0.0f, m.height(k, zero)}) {
                    const QPoint q = screen3d({x, y, z}, v.a, v.s, 0, 0);
                    box |= QRect(q, QSize(1, 1));
                }
    }
    return box;
}

// The screen rectangle of the value axis and its top tick.
QRect Srd3dView::axis_box(const View3& v)
{
    QRect box;
    for (const Point3 p : {Point3{-1, -1, 0}, Point3{-1, -1, 1}, Point3{-1.05f, -1, 1}})
        box |= QRect(screen3d(p, v.a, v.s, 0, 0), QSize(1, 1));
    return box;
}

// The widest of the value axis's labels.
int Srd3dView::label_width(const platform::Canvas& c) const
{
    int w = 0;
    for (const std::string& text :
         {axis_value_label(zero ? 0.0 : m.vmin), axis_value_label(m.vmax), call.caption.substr(0, 30)})
        w = std::max(w, c.text_width(text));
    return w;
}

// The value axis at the floor's corner (-1, -1), its dot and its top tick; its
// two values and the caption stand level with its ends (as near as they can
// without meeting) beside `scene`, the blocks and the axis, on the side with
// more room in the area, so that no block hides them.
void Srd3dView::value_axis(platform::Canvas& c, const View3& v, const QRect& scene) const
{
    const QPoint base = screen3d({-1, -1, 0}, v.a, v.s, 0, 0);
    const QPoint top = screen3d({-1, -1, 1}, v.a, v.s, 0, 0);
    c.set_color_rgb(0x444444);
    c.ellipse(platform::Fill::interior, base.x() - 2, base.y() - 2, base.x() + 2, base.y() + 2);
    c.moveto(base.x(), base.y());
    c.lineto(top.x(), top.y());
    const QPoint tick = screen3d({-1.05f, -1, 1}, v.a, v.s, 0, 0);
    c.moveto(tick.x(), tick.y());
    c.lineto(top.x(), top.y());

    const platform::GraphicsFont* font = c.font();
    const int h = font ? font->cell_height : ui::kRowHeight;
    // The scene's area in viewport pixels.
    const QRect area = c.clip().translated(-c.vieworg());
    const bool right = area.right() - scene.right() >= scene.left() - area.left();
    const AxisRows rows = axis_label_rows(top.y() - h / 2, base.y() - h / 2, h, area.top(), area.bottom());
    const std::string caption = call.caption.substr(0, 30);
    const auto label = [&](const std::string& text, int y) {
        const int w = c.text_width(text);
        const int x = right ? scene.right() + kLabelGap : scene.left() - kLabelGap - w;
        c.moveto(std::clamp(x, area.left(), std::max(area.left(), area.right() - w)), y);
        c.outgtext(text);
    };
    c.set_gtext_vector(1, 0);
    label(axis_value_label(zero ? 0.0 : m.vmin), rows.base);
    label(axis_value_label(m.vmax), rows.top);
    label(caption, rows.caption);
}

void Srd3dView::draw() const
{
    platform::Canvas* cp = canvas();
    if (!cp) return;
    platform::Canvas& c = *cp;
    c.set_viewport(0, 0, c.width() - 1, c.height() - 1);
    c.set_color_rgb(kBack);
    if (!fun) c.rectangle(platform::Fill::interior, kSceneLeft, kSceneTop, c.width() - 1, c.height() - 1);
    // The scene stays below the button bar and the status row and right of the
    // key strip, whatever the angles and the scale; where a turn takes it out of
    // that area, or leaves the value labels no room beside it, it is moved.
    c.set_viewport(kSceneLeft, kSceneTop, c.width() - 1, c.height() - 1);
    c.set_vieworg(call.p + 50, call.q + 50);
    const View3 v = view3();
    const QRect scene = blocks_box(v) | axis_box(v);
    const QPoint shift = scene_shift(scene, c.clip().translated(-c.vieworg()), label_width(c) + kLabelGap);
    c.set_vieworg(c.vieworg().x() + shift.x(), c.vieworg().y() + shift.y());
    bool downward = project3d({0, 0, 1}, v.a).z > 0;
    if (view) downward = !downward;
    const int n = m.n;
    if (image && !call.mono) {
        for (int k = 0; k < n; ++k) {
            const int cell = m.order[static_cast<std::size_t>(k)];
            if (last_cell(cell)) continue;
            const auto i = static_cast<std::size_t>(cell);
            flat3d(c, m.x1[i], m.x2[i], m.y1[i], m.y2[i], 0, v, platform::Fill::interior,
                   ui::colshift(colour_of(cell), 40));
        }
    }
    if (!fun) value_axis(c, v, scene);
    for (int j = 0; j < n; ++j) {
        const int k = downward ? n - 1 - j : j;
        const int cell = m.order[static_cast<std::size_t>(k)];
        const auto i = static_cast<std::size_t>(cell);
        int colour = colour_of(cell);
        if (last_cell(cell)) {
            if (call.hide_last) continue;
            colour = 0xffffff;
        }
        flat3d(c, m.x1[i], m.x2[i], m.y1[i], m.y2[i], m.height(k, zero), v, platform::Fill::interior, colour);
    }
    const auto region_edges = [&](int cell, float h, int colour) {
        const auto i = static_cast<std::size_t>(cell);
        const int g = cell + 1;
        if (!sameprevx(g, call.grid)) line3d(c, m.x1[i], m.x1[i], m.y1[i], m.y2[i], h, v, colour);
        if (!samenextx(g, call.grid)) line3d(c, m.x2[i], m.x2[i], m.y1[i], m.y2[i], h, v, colour);
        if (!sameprevy(g, call.grid)) line3d(c, m.x1[i], m.x2[i], m.y1[i], m.y1[i], h, v, colour);
        if (!samenexty(g, call.grid)) line3d(c, m.x1[i], m.x2[i], m.y2[i], m.y2[i], h, v, colour);
    };
    for (int k = 0; k < n; ++k) {
        const int cell = m.order[static_cast<std::size_t>(k)];
        const auto i = static_cast<std::size_t>(cell);
        const float h = m.height(k, zero);
        if (call.mode == 2) region_edges(cell, h, 0x555555);
        else if (!(call.hide_last && last_cell(cell)))
            flat3d(c, m.x1[i], m.x2[i], m.y1[i], m.y2[i], h, v, platform::Fill::border, 0x555555);
    }
    if (block) {
        for (int k = 0; k < n; ++k) {
            const int cell = m.order[static_cast<std::size_t>(k)];
            const auto i = static_cast<std::size_t>(cell);
            const float h = m.height(k, zero);
            const Box3 b{m.x1[i], m.x2[i], m.y1[i], m.y2[i], 0, h};
            if (call.mode == 2) {
                walls3d(c, cell + 1, call.grid, b, v, platform::Fill::border, call.mono ? 0x555555 : colour_of(cell));
                region_edges(cell, h, 0x333333);
            } else {
                int colour = call.mono ? 0x555555 : ui::colshift(colour_of(cell), 30);
                box3d(c, b, v, platform::Fill::border, colour);
                flat3d(c, m.x1[i], m.x2[i], m.y1[i], m.y2[i], h, v, platform::Fill::border, 0x333333);
            }
        }
    }
    if (!fun) value_axis(c, v, scene);
    c.set_viewport(0, 0, c.width() - 1, c.height() - 1);
}

void Srd3dView::bar() const
{
    platform::Canvas* c = canvas();
    if (!c) return;
    c->set_vieworg(0, 0);
    c->set_gtext_vector(1, 0);
    // While Movie runs, the bar stays as it was written.
    if (animating) return;
    const std::string text =
        fun ? "Esc  Movie Block Image  F_off + - Zero View Help" : "Esc  Movie Block Image  Fun! + - Zero View Help";
    std::vector<int> greyed;
    if (m.view_disabled) greyed.push_back(9);
    ui::buttonbar(ctx, text, kBack, 2, 0, greyed);
}

bool Srd3dView::run()
{
    platform::Frame& frame = ctx.frame;
    if (!frame.canvas(unit)) return false;
    ui::MenusOff hold(ctx.menus);
    frame.set_active(unit);
    ui::selfont(ctx, 2);
    ui::register_mousecb(ctx, unit, ui::kMouseClicksMove);
    int x = ctx.mouse.x, y = ctx.mouse.y;
    // The first pass handles the pointer where the caller's window last saw it,
    // unless it rests on the bar: that press was the caller's own button, so the
    // first frame is drawn and the view waits for the user.
    if (y <= 15) {
        animating = false;
        draw();
    }
    bool redraw = true;
    for (;;) {
        if (!frame.canvas(unit)) return false;
        frame.set_active(unit);
        if (redraw) bar();
        redraw = true;
        int state = 0;
        for (;;) {
            // Forget the last state but not a press the poll has not seen yet: a
            // click made while a frame was drawn (or during Movie's pause) counts.
            ctx.mouse.state = ui::kMouseNone;
            ctx.mouse.x = x, ctx.mouse.y = y;
            state = ui::mouse_poll(ctx.mouse, 0);
            if (!frame.canvas(unit) || left_by_user()) return true;
            frame.set_active(unit);
            x = ctx.mouse.x, y = ctx.mouse.y;
            if (state == ui::kMouseLeft || state == ui::kMouseRight || animating) break;
            prevx = x, prevy = y;
            platform::yield();
        }
        const int b = y <= 14 && x >= 0 ? x / ui::kButtonWidth + 1 : 0;
        if (b >= 1 && b <= 10) {
            if (b == 9 && m.view_disabled) {
                draw();
                continue;
            }
            switch (b) {
            case 1: return true;
            case 2:
                deg3 += 5;
                step1 = step2 = 0;
                platform::sleep_ms(100);
                animating = true;
                break;
            case 3: block = !block, animating = false; break;
            case 4: image = !image, animating = false; break;
            case 5: fun = !fun; break;
            case 6: s += 5; break;
            case 7: s = smaller_scale(s); break;
            case 8: zero = !zero; break;
            case 9: view = !view; break;
            case 10: ui::helpshow(ctx, "3D SRD diagram"); continue;
            }
            draw();
            continue;
        }
        if (y <= 15) {
            draw();
            continue;
        }
        const bool was_animating = animating;
        animating = false;
        if (x == prevx && y == prevy) {
            redraw = false;
            continue;
        }
        turn_step(x - prevx, y - prevy, step1, step2);
        deg1 += step1;
        deg2 += step2;
        if (was_animating) deg3 %= 360;
        draw();
    }
}

} // namespace

float Srd3dModel::height(int k, bool zero) const
{
    if (k < 0 || k >= n) return 0;
    const double v = value[static_cast<std::size_t>(k)];
    if (zero) return static_cast<float>(v);
    if (vmax == vmin) return 0;
    return static_cast<float>((v * vmax - vmin) / (vmax - vmin));
}

Srd3dModel srd3d_model(const Srd3dCall& call)
{
    Srd3dModel m;
    const std::size_t edges = std::min({call.x1.size(), call.x2.size(), call.y1.size(), call.y2.size()});
    if (edges == 0) return m;
    std::size_t n = call.mode == 2 ? edges - 1 : edges;
    n = std::min(n, call.values.size());
    m.n = static_cast<int>(n);
    m.order.resize(n);
    std::iota(m.order.begin(), m.order.end(), 0);
    std::stable_sort(m.order.begin(), m.order.end(), [&](int a, int b) {
        return call.values[static_cast<std::size_t>(a)] < call.values[static_cast<std::size_t>(b)];
    });
    if (n > 0) {
        m.vmin = call.values[static_cast<std::size_t>(m.order.front())];
        m.vmax = call.values[static_cast<std::size_t>(m.order.back())];
    }
    m.view_disabled = m.vmax == 0;
    for (int cell : m.order) {
        const double v = call.values[static_cast<std::size_t>(cell)];
        m.value.push_back(m.vmax == 0 ? 0.0 : v / m.vmax);
    }
    const std::size_t f = edges - 1;
    const double fx1 = call.x1[f], fx2 = call.x2[f], fy1 = call.y1[f], fy2 = call.y2[f];
    for (std::size_t i = 0; i < n; ++i) {
        m.x1.push_back(scaled(call.x1[i], fx1, fx2));
        m.x2.push_back(scaled(call.x2[i], fx1, fx2));
        m.y1.push_back(scaled(call.y1[i], fy1, fy2));
        m.y2.push_back(scaled(call.y2[i], fy1, fy2));
    }
    return m;
}

int smaller_scale(int s) { return std::max(50, s - 5); }

QPoint scene_shift(const QRect& scene, const QRect& area, int label_room)
{
    const auto back_in = [](int lo, int hi, int area_lo, int area_hi) {
        if (hi - lo > area_hi - area_lo) return (area_lo + area_hi) / 2 - (lo + hi) / 2;
        return lo < area_lo ? area_lo - lo : hi > area_hi ? area_hi - hi : 0;
    };
    const int dy = back_in(scene.top(), scene.bottom(), area.top(), area.bottom());
    // The labels go on the side with more room; the scene and their room are kept
    // in the area together, and where both do not fit, the labels' room is kept.
    const bool right = area.right() - scene.right() >= scene.left() - area.left();
    const int lo = scene.left() - (right ? 0 : label_room), hi = scene.right() + (right ? label_room : 0);
    if (hi - lo > area.right() - area.left()) return {right ? area.right() - hi : area.left() - lo, dy};
    return {back_in(lo, hi, area.left(), area.right()), dy};
}

AxisRows axis_label_rows(int ytop, int ybase, int h, int area_top, int area_bottom)
{
    // Level with the axis ends, the higher one moved up when the two would meet;
    // then, in order down the window, each row pushed below the one above it,
    // and from the last up, each above the one below it and into the area.
    if (ytop <= ybase) ytop = std::min(ytop, ybase - h);
    else ybase = std::min(ybase, ytop - h);
    AxisRows r{ytop - h, ytop, ybase};
    const std::array<int*, 3> order = ytop < ybase ? std::array<int*, 3>{&r.caption, &r.top, &r.base}
                                                   : std::array<int*, 3>{&r.base, &r.caption, &r.top};
    int below = area_top;
    for (int* row : order) below = (*row = std::max(*row, below)) + h;
    int above = area_bottom + 1;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        int& row = **it;
        row = std::min(row, above - h);
        above = row;
    }
    return r;
}

std::string axis_value_label(double v)
{
    if (v == 0 || !std::isfinite(v)) return "0";
    const double a = std::fabs(v);
    char buf[32];
    if (a == std::floor(a) && a < 1e9) std::snprintf(buf, sizeof buf, "%.0f", a);
    else std::snprintf(buf, sizeof buf, "%.4g", a);
    std::string s = v < 0 ? std::string("-") + buf : std::string(buf);
    return s.substr(0, 10);
}

Srd3dState srd3d(ui::Context& ctx, int unit, const Srd3dCall& call)
{
    Srd3dView view{ctx, unit, call, srd3d_model(call), {}};
    if (view.m.n > 0) view.run();
    return view.st;
}

} // namespace meru::plots
