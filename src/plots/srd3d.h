#pragma once
// The block view of a rectangle diagram in the diagram's window: every cell
// stands on the floor as a block as high as its value, turned by dragging or by
// Movie. The caller's arrays are read only; the view works on its own copies.
#include "plots/draw3d.h"
#include "ui/context.h"

#include <span>
#include <string>
#include <vector>

namespace meru::plots {

struct Srd3dCall {
    int mode = 1; // 1 cells and their counts, 3 the same cells with another value, 2 the cell grid
    // Edges of the cells; the last entry is the frame of the whole diagram. In
    // modes 1 and 3 the frame is also the last cell (n = size of the edges), in
    // mode 2 it follows the n cells of the grid.
    std::span<const double> x1, x2, y1, y2;
    std::span<const double> values;    // one per cell (n)
    std::string caption;               // at the top of the value axis (30 characters)
    std::span<const int> colours;      // colour table, 0xBBGGRR
    std::span<const int> colour_index; // one per cell: its entry of the colour table
    CellGrid grid;                     // mode 2: the grid and its region ids
    bool mono = false;                 // grey blocks, no floor image
    bool hide_last = false;            // the last cell's top is not drawn
    int p = 0, q = 0;                  // the diagram's position: origin (p + 50, q + 50)
};

// The view's own sorted copy: cell numbers (0-based) in ascending order of
// value, each value over the largest (all 0 when the largest is 0), the smallest
// and largest values, and the edges scaled to [-1, 1] by the frame.
struct Srd3dModel {
    std::vector<int> order;
    std::vector<double> value; // in sorted order, rewritten over vmax
    double vmin = 0, vmax = 0;
    std::vector<float> x1, x2, y1, y2; // per cell number
    int n = 0;                         // cells
    bool view_disabled = false;
    // Height (0..1) of the cell at sorted position k.
    float height(int k, bool zero) const;
};

Srd3dModel srd3d_model(const Srd3dCall& call);

// The scale after "-": 5 pixels less, never below 50.
int smaller_scale(int s);

// Label of a value on the value axis (10 characters at most, no blanks around):
// 0 prints as "0", a negative value as its magnitude after "-".
std::string axis_value_label(double v);

// How far the scene (the screen rectangle of its blocks and value axis) is
// moved to stay in `area` with `label_room` pixels beside it for the value
// labels, on the side with more room: up or down back inside the area (centred
// on it when too high for it), left or right so that the scene and the labels'
// room lie inside (when they are too wide together, the labels' room is kept
// and the scene cut on its other side).
QPoint scene_shift(const QRect& scene, const QRect& area, int label_room);

// The rows (tops, in pixels) of the value axis's three labels, one text height
// `h` each: the caption right above the largest value, level with the axis's
// top `ytop`, and the smallest value level with its base `ybase`; moved as
// little as they must so that no two meet and all lie between `area_top` and
// `area_bottom` (the last pixel row), when those leave room for three rows.
struct AxisRows {
    int caption = 0, top = 0, base = 0;
};
AxisRows axis_label_rows(int ytop, int ybase, int h, int area_top, int area_bottom);

// How the view was left: angles in degrees, scale, and the switches.
struct Srd3dState {
    int deg1 = 130, deg2 = 330, deg3 = 45;
    int s = 205;
    bool block = true, image = false, fun = false, zero = false, view = false;
};

// The view itself, in the window of `unit` (open); returns at Esc or when the
// window is closed, with the state it was left in. The menus are greyed while it waits.
Srd3dState srd3d(ui::Context& ctx, int unit, const Srd3dCall& call);

} // namespace meru::plots
