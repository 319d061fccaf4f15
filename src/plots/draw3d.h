#pragma once
// Rotation of scene points by three angles and the simple shapes of a scene:
// boxes, flat rectangles, the walls of a block over a cell grid, level lines and
// the names of a cube's axes. Projection is orthographic, all arithmetic is in
// single precision, and faces are drawn in a fixed order (no hidden surfaces):
// what shows in front depends on the order of the caller's calls.
#include "platform/canvas.h"

#include <array>
#include <span>
#include <string_view>

namespace meru::plots {

struct Angles {
    float a1 = 0, a2 = 0, a3 = 0; // radians: turn by a3 about z, then a2 about y, then a1 about x
};

struct Point3 {
    float x = 0, y = 0, z = 0;
};

// The rotated point R (x, y, z) with R = Rx(a1) Ry(a2) Rz(a3).
Point3 project3d(Point3 p, const Angles& a);

// The screen point of a scene point: the first two rotated components scaled by
// s and moved by (ox, oy), truncated toward zero.
QPoint screen3d(Point3 p, const Angles& a, int s, int ox, int oy);

// The elementary grid of a diagram's cells: W cells per row, H rows, cell i
// (1-based, row by row) has the region id ids[i - 1].
struct CellGrid {
    int w = 0, h = 0;
    std::span<const int> ids;
};

bool sameprevx(int i, const CellGrid& g);
bool samenextx(int i, const CellGrid& g);
bool sameprevy(int i, const CellGrid& g);
bool samenexty(int i, const CellGrid& g);

// A box [x1,x2] x [y1,y2] x [z1,z2] on screen.
struct Box3 {
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0, z1 = 0, z2 = 0;
};

// Where and how a shape is drawn.
struct View3 {
    Angles a;
    int s = 1;          // pixels per scene unit
    int ox = 0, oy = 0; // origin of the screen points
};

// The six faces of the box; before each face after the first the caller's
// colour is darkened by 15 in each channel (clamped at 0).
void box3d(platform::Canvas& c, const Box3& b, const View3& v, platform::Fill fill, int& colour);
// One horizontal rectangle at height z.
void flat3d(platform::Canvas& c, float x1, float x2, float y1, float y2, float z, const View3& v, platform::Fill fill,
            int colour);
// The side faces of cell i's block that face another region or the grid's edge.
void walls3d(platform::Canvas& c, int i, const CellGrid& g, const Box3& b, const View3& v, platform::Fill fill,
             int colour);
// A line from (x1, y1, z) to (x2, y2, z).
void line3d(platform::Canvas& c, float x1, float x2, float y1, float y2, float z, const View3& v, int colour);
// The corner dot and the three axis names of the cube [-1,1]^3 (origin 0, 0).
// The text direction is left as set for the last name.
void axes3d(platform::Canvas& c, const Angles& a, int s, const std::array<std::string_view, 3>& names);

// Text rotation of a direction (dx, dy) on screen, in tenths of a degree:
// truncate(atan(dy/dx) * 10 / 0.017453292), or +-900 when dx is exactly 0.
int direction_tenths(float dx, float dy);
// Sets the text direction of the canvas to `tenths` (counter-clockwise positive).
void set_text_rotation(platform::Canvas& c, int tenths);

} // namespace meru::plots

namespace meru::plots {

// How a drag turns a view: a horizontal move gives the step (0, +-1), a vertical
// one (+-1, 0); a diagonal move (or none) keeps the step as it was.
void turn_step(int dx, int dy, int& step1, int& step2);

// Degrees to the radians the drawing routines take.
inline float radians(int degrees) { return static_cast<float>(degrees) * 0.017453292f; }

} // namespace meru::plots
