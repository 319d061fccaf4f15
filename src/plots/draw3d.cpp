#include "plots/draw3d.h"

#include "ui/drawing.h"

#include <cmath>
#include <vector>

namespace meru::plots {

namespace {

struct Rotation {
    float m[3][3];
};

Rotation rotation(const Angles& a)
{
    const float c1 = std::cos(a.a1), s1 = std::sin(a.a1);
    const float c2 = std::cos(a.a2), s2 = std::sin(a.a2);
    const float c3 = std::cos(a.a3), s3 = std::sin(a.a3);
    return {{{c2 * c3, -c2 * s3, s2},
             {s1 * s2 * c3 + c1 * s3, c1 * c3 - s1 * s2 * s3, -s1 * c2},
             {s1 * s3 - c1 * s2 * c3, c1 * s2 * s3 + s1 * c3, c1 * c2}}};
}

int trunc_pixel(float v)
{
    if (std::isnan(v)) return 0;
    if (v > 268435456.0f) return 268435456;
    if (v < -268435456.0f) return -268435456;
    return static_cast<int>(v);
}

void face(platform::Canvas& c, const View3& v, platform::Fill fill, std::initializer_list<Point3> pts)
{
    std::vector<QPoint> poly;
    poly.reserve(pts.size());
    for (const Point3& p : pts) poly.push_back(screen3d(p, v.a, v.s, v.ox, v.oy));
    c.polygon(fill, poly);
}

} // namespace

Point3 project3d(Point3 p, const Angles& a)
{
    const Rotation r = rotation(a);
    return {r.m[0][0] * p.x + r.m[0][1] * p.y + r.m[0][2] * p.z, r.m[1][0] * p.x + r.m[1][1] * p.y + r.m[1][2] * p.z,
            r.m[2][0] * p.x + r.m[2][1] * p.y + r.m[2][2] * p.z};
}

QPoint screen3d(Point3 p, const Angles& a, int s, int ox, int oy)
{
    const Point3 r = project3d(p, a);
    const float fs = static_cast<float>(s);
    return {trunc_pixel(r.x * fs + static_cast<float>(ox)), trunc_pixel(r.y * fs + static_cast<float>(oy))};
}

namespace {
int id_of(int i, const CellGrid& g)
{
    return i >= 1 && i <= static_cast<int>(g.ids.size()) ? g.ids[static_cast<std::size_t>(i - 1)] : -1;
}
} // namespace

bool sameprevx(int i, const CellGrid& g) { return i > g.w && id_of(i - g.w, g) == id_of(i, g); }
bool samenextx(int i, const CellGrid& g) { return i + g.w <= g.w * g.h && id_of(i + g.w, g) == id_of(i, g); }
bool sameprevy(int i, const CellGrid& g) { return g.w > 0 && (i - 1) % g.w != 0 && id_of(i - 1, g) == id_of(i, g); }
bool samenexty(int i, const CellGrid& g) { return g.w > 0 && i % g.w != 0 && id_of(i + 1, g) == id_of(i, g); }

void box3d(platform::Canvas& c, const Box3& b, const View3& v, platform::Fill fill, int& colour)
{
    const auto next = [&] {
        colour = ui::colshift(colour, -15);
        c.set_color_rgb(colour);
    };
    c.set_color_rgb(colour);
    face(c, v, fill, {{b.x1, b.y1, b.z1}, {b.x1, b.y1, b.z2}, {b.x1, b.y2, b.z2}, {b.x1, b.y2, b.z1}});
    next();
    face(c, v, fill, {{b.x1, b.y1, b.z1}, {b.x2, b.y1, b.z1}, {b.x2, b.y2, b.z1}, {b.x1, b.y2, b.z1}});
    next();
    face(c, v, fill, {{b.x1, b.y1, b.z1}, {b.x2, b.y1, b.z1}, {b.x2, b.y1, b.z2}, {b.x1, b.y1, b.z2}});
    next();
    face(c, v, fill, {{b.x2, b.y1, b.z1}, {b.x2, b.y1, b.z2}, {b.x2, b.y2, b.z2}, {b.x2, b.y2, b.z1}});
    next();
    face(c, v, fill, {{b.x2, b.y2, b.z2}, {b.x1, b.y2, b.z2}, {b.x1, b.y2, b.z1}, {b.x2, b.y2, b.z1}});
    next();
    face(c, v, fill, {{b.x2, b.y2, b.z2}, {b.x2, b.y1, b.z2}, {b.x1, b.y1, b.z2}, {b.x1, b.y2, b.z2}});
}

void flat3d(platform::Canvas& c, float x1, float x2, float y1, float y2, float z, const View3& v, platform::Fill fill,
            int colour)
{
    c.set_color_rgb(colour);
    face(c, v, fill, {{x2, y2, z}, {x2, y1, z}, {x1, y1, z}, {x1, y2, z}});
}

void walls3d(platform::Canvas& c, int i, const CellGrid& g, const Box3& b, const View3& v, platform::Fill fill,
             int colour)
{
    c.set_color_rgb(colour);
    if (!sameprevx(i, g))
        face(c, v, fill, {{b.x1, b.y1, b.z1}, {b.x1, b.y1, b.z2}, {b.x1, b.y2, b.z2}, {b.x1, b.y2, b.z1}});
    if (!samenextx(i, g))
        face(c, v, fill, {{b.x2, b.y1, b.z1}, {b.x2, b.y1, b.z2}, {b.x2, b.y2, b.z2}, {b.x2, b.y2, b.z1}});
    if (!sameprevy(i, g))
        face(c, v, fill, {{b.x1, b.y1, b.z1}, {b.x2, b.y1, b.z1}, {b.x2, b.y1, b.z2}, {b.x1, b.y1, b.z2}});
    if (!samenexty(i, g))
        face(c, v, fill, {{b.x2, b.y2, b.z2}, {b.x1, b.y2, b.z2}, {b.x1, b.y2, b.z1}, {b.x2, b.y2, b.z1}});
}

void line3d(platform::Canvas& c, float x1, float x2, float y1, float y2, float z, const View3& v, int colour)
{
    c.set_color_rgb(colour);
    const QPoint a = screen3d({x1, y1, z}, v.a, v.s, v.ox, v.oy);
    const QPoint b = screen3d({x2, y2, z}, v.a, v.s, v.ox, v.oy);
    c.moveto(a.x(), a.y());
    c.lineto(b.x(), b.y());
}

int direction_tenths(float dx, float dy)
{
    if (dx == 0.0f) return dy >= 0.0f ? 900 : -900;
    return trunc_pixel(std::atan(dy / dx) * 10.0f / 0.017453292f);
}

void set_text_rotation(platform::Canvas& c, int tenths)
{
    const double t = tenths * 0.1 * 3.14159265358979323846 / 180.0;
    const int dx = static_cast<int>(std::lround(1000.0 * std::cos(t)));
    const int dy = static_cast<int>(std::lround(1000.0 * std::sin(t)));
    c.set_gtext_vector(dx, dy);
}

void axes3d(platform::Canvas& c, const Angles& a, int s, const std::array<std::string_view, 3>& names)
{
    const QPoint corner = screen3d({-1, -1, -1}, a, s, 0, 0);
    c.moveto(corner.x(), corner.y());
    c.set_color_rgb(0x222222);
    c.ellipse(platform::Fill::interior, corner.x() - 3, corner.y() - 3, corner.x() + 3, corner.y() + 3);
    c.set_color_rgb(0x555555);
    const Rotation r = rotation(a);
    const std::array<Point3, 3> at{Point3{-0.5f, -1, -1}, Point3{-1, -0.5f, -1}, Point3{-1, -1, -0.5f}};
    for (int k = 0; k < 3; ++k) {
        set_text_rotation(c, -direction_tenths(r.m[0][k], r.m[1][k]));
        const QPoint p = screen3d(at[static_cast<std::size_t>(k)], a, s, 0, 0);
        c.moveto(p.x(), p.y());
        std::string name(names[static_cast<std::size_t>(k)].substr(0, 20));
        name.resize(20, ' ');
        c.outgtext(name);
    }
}

} // namespace meru::plots

namespace meru::plots {

void turn_step(int dx, int dy, int& step1, int& step2)
{
    if (dy == 0 && dx != 0) step1 = 0, step2 = dx > 0 ? 1 : -1;
    else if (dx == 0 && dy != 0) step1 = dy > 0 ? 1 : -1, step2 = 0;
}

} // namespace meru::plots
