#include "plots/rotate3d.h"

#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "platform/io/logwriter.h"
#include "platform/window.h"
#include "ui/button_bars.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/selfont.h"
#include "ui/textrow.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <utility>

namespace meru::plots {

namespace {

// Degrees one press of an arrow key turns the cube by.
constexpr int kKeyTurn = 5;

// The direction of the next arrow key typed into the window, as a pointer's move
// (dx, dy) would give it; other keys are passed over. nullopt when none waits.
std::optional<std::pair<int, int>> arrow_key(platform::Frame& frame, int unit)
{
    platform::ChildWindow* w = frame.window(unit);
    while (w && w->keys().has_key()) {
        const std::optional<int> code = w->keys().get();
        if (!code || *code != 0 || !w->keys().has_key()) continue;
        switch (w->keys().get().value_or(0)) {
        case 77: return std::pair{1, 0};  // Right
        case 75: return std::pair{-1, 0}; // Left
        case 80: return std::pair{0, 1};  // Down
        case 72: return std::pair{0, -1}; // Up
        default: break;
        }
    }
    return std::nullopt;
}

struct Rotator {
    ui::Context& ctx;
    int unit;
    RotateMemory& mem;
    RotateCall& call;
    RotateCloud cloud;
    RotateState st;
    int& deg1 = st.deg1;
    int& deg2 = st.deg2;
    int& k = st.k;
    int d = 1;
    bool animating = true;
    int wd = 0, hd = 0;

    platform::Canvas* canvas() const { return ctx.frame.canvas(unit); }
    Angles angles() const { return {radians(deg1), radians(deg2), kRotateThirdAngle}; }
    void cube(platform::Canvas& c) const;
    void draw() const;
    void bar() const;
    void run();
};

void Rotator::cube(platform::Canvas& c) const
{
    const View3 v{angles(), kRotateScale, 0, 0};
    int colour = 0xaaaaaa;
    box3d(c, {-1, 1, -1, 1, -1, 1}, v, platform::Fill::border, colour);
    axes3d(c, v.a, kRotateScale, {call.xname, call.yname, call.zname});
    c.set_gtext_vector(1, 0);
}

void Rotator::draw() const
{
    platform::Canvas* cp = canvas();
    if (!cp) return;
    platform::Canvas& c = *cp;
    c.set_vieworg(316, 0);
    c.set_color_rgb(kWhite);
    c.rectangle(platform::Fill::interior, 0, 0, 1000, 20);
    c.set_vieworg(0, 0);
    if (!mem.fun) c.rectangle(platform::Fill::interior, 0, 15, wd - 1, hd - 1);
    c.set_vieworg(wd / 2, hd / 2 + 15);
    cube(c);
    const Angles a = angles();
    if (cloud.cubes) {
        for (int ix = 0; ix < cloud.ext[0]; ++ix)
            for (int iy = 0; iy < cloud.ext[1]; ++iy)
                for (int iz = 0; iz < cloud.ext[2]; ++iz) {
                    const std::int64_t n = cloud.count(ix, iy, iz);
                    if (n == 0) continue;
                    const Point3 p{cloud.scene(0, static_cast<float>(ix)), cloud.scene(1, static_cast<float>(iy)),
                                   cloud.scene(2, static_cast<float>(iz))};
                    const QPoint s = screen3d(p, a, kRotateScale, 0, 0);
                    const float share = static_cast<float>(n) / static_cast<float>(cloud.maxc);
                    const int half = static_cast<int>(std::pow(share, 0.333f) * static_cast<float>(10 * k + 10)) / 2;
                    const View3 v{a, half, s.x(), s.y()};
                    int colour = 0xdddddd;
                    box3d(c, {-1, 1, -1, 1, -1, 1}, v, platform::Fill::interior, colour);
                    colour = 0xff3333;
                    box3d(c, {-1, 1, -1, 1, -1, 1}, v, platform::Fill::border, colour);
                }
    } else {
        for (int i : cloud.used) {
            const auto u = static_cast<std::size_t>(i);
            const Point3 p{cloud.scene(0, call.data.x[u]), cloud.scene(1, call.data.y[u]),
                           cloud.scene(2, call.data.z[u])};
            const QPoint s = screen3d(p, a, kRotateScale, 0, 0);
            int colour = 0xff0000;
            if (call.dense) {
                const int under = c.get_pixel_rgb(s.x(), s.y());
                colour = under == kWhite ? 0xedcba9 : ui::colshift(under, -d);
            }
            const int half = point_size(call.data.weights[u], cloud.maxw, k) / 2;
            c.set_color_rgb(colour);
            c.rectangle(platform::Fill::interior, s.x() - half, s.y() - half, s.x() + half, s.y() + half);
        }
    }
    cube(c);
    c.set_vieworg(0, 0);
}

void Rotator::bar() const
{
    if (platform::Canvas* c = canvas()) {
        c->set_vieworg(0, 0);
        c->set_gtext_vector(1, 0);
    }
    std::vector<int> greyed;
    if (cloud.cubes) greyed.push_back(5);
    ui::buttonbar(ctx, ui::bars::kRotate, kWhite, 2, 0, greyed);
}

void Rotator::run()
{
    platform::Frame& frame = ctx.frame;
    platform::Canvas* cp = canvas();
    if (!cp) return;
    wd = ctx.plot.winpix.x >= 1 ? static_cast<int>(ctx.plot.winpix.x) : cp->width();
    hd = ctx.plot.winpix.y >= 1 ? static_cast<int>(ctx.plot.winpix.y) : cp->height();
    frame.set_active(unit);
    ui::selfont(ctx, 2);
    cp->set_vieworg(0, 0);
    cp->set_color_rgb(kWhite);
    cp->rectangle(platform::Fill::interior, 0, 15, wd - 1, hd - 1);
    cp->set_color_rgb(0);
    cp->set_gtext_vector(1, 0);
    cp->moveto(15, 20);
    cp->outgtext("Press Right, Left, Up, or Down to start");

    ui::MenusOff hold(ctx.menus);
    int x = ctx.mouse.x, y = ctx.mouse.y;
    // The first pass handles the pointer where the caller's window last saw it,
    // unless it rests on the bar: that press was the caller's own button.
    if (y < 15) animating = false;
    for (;;) {
        if (!frame.canvas(unit)) return;
        ui::register_mousecb(ctx, unit, ui::kMouseClicksMove);
        frame.set_active(unit);
        if (!animating) bar();
        int state = 0;
        std::optional<std::pair<int, int>> key;
        for (;;) {
            ui::mouse_clear(ctx.mouse, x, y);
            state = ui::mouse_poll(ctx.mouse, animating ? 0 : 10);
            if (!frame.canvas(unit)) return;
            frame.set_focus(unit);
            frame.set_active(unit);
            x = ctx.mouse.x, y = ctx.mouse.y;
            key = arrow_key(frame, unit);
            if (key || state == ui::kMouseLeft || state == ui::kMouseRight || animating) break;
            mem.prevx = x, mem.prevy = y;
        }
        // An arrow key turns the cube as a drag that way would, by a few degrees a press.
        if (key) {
            animating = false;
            turn_step(key->first, key->second, mem.step1, mem.step2);
            deg1 += kKeyTurn * mem.step1;
            deg2 += kKeyTurn * mem.step2;
            draw();
            continue;
        }
        const int b = y < 15 && x >= 0 ? x / ui::kButtonWidth + 1 : 0;
        if (b >= 1 && b <= 7) {
            if (b == 5 && cloud.cubes) {
                draw();
                continue;
            }
            switch (b) {
            case 1: ui::unregister_mousecb(ctx, unit); return;
            case 2: ++k, animating = false; break;
            case 3: k = std::max(0, k - 1), animating = false; break;
            case 4:
                deg2 += 5;
                mem.step1 = 0, mem.step2 = 5;
                platform::sleep_ms(100);
                animating = true;
                break;
            case 5:
                call.dense = !call.dense;
                d = darkening_step(call.nobs, k);
                animating = false;
                break;
            case 6:
                ui::helpshow(ctx, "Rotating X,Y,Z plot");
                animating = false;
                continue;
            case 7: mem.fun = !mem.fun; break;
            }
            draw();
            continue;
        }
        if (y <= 15) {
            draw();
            continue;
        }
        animating = false;
        if (x == mem.prevx && y == mem.prevy) continue;
        turn_step(x - mem.prevx, y - mem.prevy, mem.step1, mem.step2);
        deg1 += mem.step1;
        deg2 += mem.step2;
        draw();
    }
}

} // namespace

float RotateCloud::scene(int k, float v) const
{
    return 2.0f * static_cast<float>(ui::safediv(v - min[k], max[k] - min[k])) - 1.0f;
}

RotateCloud rotate_cloud(const RotateData& d, bool z_discrete, bool xy_discrete, std::size_t max_cells)
{
    RotateCloud r;
    const std::size_t n = std::min({d.x.size(), d.y.size(), d.z.size(), d.weights.size()});
    for (std::size_t i = 0; i < n; ++i) {
        if (!d.in.empty() && (i >= d.in.size() || !d.in[i])) continue;
        if (d.weights[i] == 0) continue;
        const float v[3] = {d.x[i], d.y[i], d.z[i]};
        if (v[0] < 0 || v[1] < 0 || v[2] < 0) continue;
        r.used.push_back(static_cast<int>(i));
        for (int k = 0; k < 3; ++k) r.min[k] = std::min(r.min[k], v[k]), r.max[k] = std::max(r.max[k], v[k]);
        r.maxw = std::max(r.maxw, d.weights[i]);
        if (!z_discrete && (v[2] != std::floor(v[2]) || v[2] > 35)) r.cubes_eligible = false;
    }
    if (!xy_discrete || !r.cubes_eligible) return r;
    std::size_t cells = 1;
    for (int k = 0; k < 3; ++k) {
        r.ext[k] = r.max[k] < 0 ? 0 : r.max[k] > 1e6f ? -1 : static_cast<int>(r.max[k]) + 1;
        if (r.ext[k] < 0) {
            r.alloc_failed = true;
            return r;
        }
        cells *= static_cast<std::size_t>(r.ext[k]);
    }
    if (cells > max_cells) {
        r.alloc_failed = true;
        return r;
    }
    try {
        r.counts.assign(cells, 0);
    } catch (const std::bad_alloc&) {
        r.alloc_failed = true;
        return r;
    }
    r.cubes = true;
    for (int i : r.used) {
        const auto u = static_cast<std::size_t>(i);
        const int ix = static_cast<int>(d.x[u]), iy = static_cast<int>(d.y[u]), iz = static_cast<int>(d.z[u]);
        auto& c = r.counts[(static_cast<std::size_t>(ix) * static_cast<std::size_t>(r.ext[1]) +
                            static_cast<std::size_t>(iy)) *
                               static_cast<std::size_t>(r.ext[2]) +
                           static_cast<std::size_t>(iz)];
        c += d.weights[u];
    }
    for (std::int64_t c : r.counts) r.maxc = std::max(r.maxc, c);
    return r;
}

int darkening_step(int n, int k)
{
    const double lg = std::log10(static_cast<double>(std::max(n, 1)));
    const int step = static_cast<int>(((5.0 - lg) * 24.5 + 2.0) / (k + 1));
    return std::max(step, 1);
}

int point_size(int w, int maxw, int k)
{
    if (maxw <= 1) return k;
    return static_cast<int>(
        std::pow(static_cast<float>(w) / static_cast<float>(maxw), 0.333f) * static_cast<float>(2 * k + 2) - 1.0f);
}

RotateState rotate3d(ui::Context& ctx, int unit, RotateMemory& memory, RotateCall& call)
{
    Rotator r{ctx, unit, memory, call, rotate_cloud(call.data, call.z_discrete, call.xy_discrete), {}};
    if (r.cloud.alloc_failed) ctx.log.write("Unable to allocate 3D array NARRAY");
    r.d = darkening_step(call.nobs, r.k);
    if (!r.cloud.cubes && call.nobs > 50000) {
        std::string text = ">50000 data points. Animated movement may be jerky or slow$";
        ui::note(ctx, text, NoteKind::Full, false);
    }
    r.run();
    return r.st;
}

} // namespace meru::plots
