// The block views of the diagram window. Of the mosaic: 3D its cells with their
// counts, 3DY the same cells with their Y values, Grid the elementary grid of its
// edges with the counts of the regions. Of the fitted diagram, whose cells are
// not rectangles: 3D and 3DY its regions over the elementary grid of the
// rectangles' edges (counts, Y values), Grid every cell of that grid as a block
// of its own.
#include "platform/colour.h"
#include "plots/srd3d.h"
#include "rectdiag/srdwin.h"

#include <array>

namespace meru::rectdiag {

namespace {

// Colour table of the views: white for the cell outside every term, then the
// six current colours.
std::array<int, 7> colour_table(const DiagramSettings& s)
{
    std::array<int, 7> t{kWhite};
    std::copy(s.colours.begin(), s.colours.end(), t.begin() + 1);
    return t;
}

struct Edges {
    std::vector<double> x1, x2, y1, y2;
    void add(const Rect& r)
    {
        x1.push_back(r.x1), x2.push_back(r.x2);
        y1.push_back(r.y1), y2.push_back(r.y2);
    }
};

} // namespace

void SrdWindow::view3d(int button, bool a_label)
{
    const std::array<int, 7> table = colour_table(settings_);
    const bool y_values = button == k3DY;
    const std::vector<double>& values_of = y_values ? mosaic_.means : mosaic_.counts;
    plots::Srd3dCall call;
    Edges e;
    std::vector<double> values;
    std::vector<int> index, ids;
    for (std::size_t k = 0; k < mosaic_.counts.size(); ++k)
        index.push_back(srdfit::highest_term(static_cast<int>(k)));
    Rect frame = kMosaicFrame;
    if (show_mosaic_) {
        call.mode = button == kGrid ? 2 : y_values ? 3 : 1;
        if (call.mode == 2) {
            const srdfit::Grid& g = mosaic_.grid;
            for (std::size_t i = 0; i < g.cells.size(); ++i) {
                e.add(g.cells[i]);
                values.push_back(mosaic_.counts[static_cast<std::size_t>(g.region[i])]);
            }
            call.grid = {g.w, g.h, g.region};
        } else {
            for (std::size_t k = 0; k < mosaic_.cells.size(); ++k) {
                e.add(mosaic_.cells[k]);
                values.push_back(values_of[k]);
            }
        }
    } else {
        frame = {0, 1, 0, 1};
        const srdfit::CellGrid& g = fitted_.grid;
        call.mode = button == kGrid ? 1 : 2;
        std::vector<int> grid_index;
        for (int r = 0; r < g.rows(); ++r)
            for (int k = 0; k < g.columns(); ++k) {
                e.add({g.xs[static_cast<std::size_t>(r)], g.xs[static_cast<std::size_t>(r + 1)],
                       g.ys[static_cast<std::size_t>(k)], g.ys[static_cast<std::size_t>(k + 1)]});
                const auto cell = static_cast<std::size_t>(g.cell[static_cast<std::size_t>(r * g.columns() + k)]);
                values.push_back(values_of[cell]);
                grid_index.push_back(index[cell]);
            }
        if (call.mode == 2) call.grid = {g.columns(), g.rows(), g.cell};
        else index = std::move(grid_index);
    }
    if (call.mode != 2) {
        values.push_back(0.0);
        index.push_back(0);
        call.hide_last = true;
    }
    e.add(frame);
    call.caption = !y_values ? "Count" : incidence_ ? "Incidence" : "Mean Y";
    call.caption += a_label ? " in A" : " in A-";
    call.x1 = e.x1, call.x2 = e.x2, call.y1 = e.y1, call.y2 = e.y2;
    call.values = values;
    call.colours = table;
    call.colour_index = index;
    call.p = kViewCentreX - 50;
    call.q = kViewCentreY - 50;
    plots::srd3d(ctx_, kDiagramUnit, call);
}

} // namespace meru::rectdiag
