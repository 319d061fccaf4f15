#pragma once
// The rectangle-diagram window (unit 16): the cells of a term list drawn as an
// exact-area mosaic with its key, fit status and report, and the three block
// views of it. The cell-table listing opens it through stats::DiagramWindow.
#include "rectdiag/diagram_settings.h"
#include "srdfit/mosaic.h"
#include "stats/diagram_state.h"
#include "stats/diagram_window.h"

#include <string>
#include <vector>

namespace meru::ui {
struct Context;
}

namespace meru::rectdiag {

using srdfit::Rect;

inline constexpr int kDiagramUnit = 16;
inline constexpr int kDiagramWidth = 900;
inline constexpr int kDiagramHeight = 640;
// The mosaic's frame in window pixels.
inline constexpr Rect kMosaicFrame{130, 490, 50, 410};
// The block views turn about the middle of the window right of the key strip.
inline constexpr int kViewCentreX = (120 + kDiagramWidth) / 2;
inline constexpr int kViewCentreY = (15 + kDiagramHeight) / 2;

// Everything drawn of one diagram: the cells in window pixels, their counts,
// mean Y values (incidence rates in log-rank incidence mode) and colour
// numbers, and the elementary grid.
struct MosaicLayout {
    int q = 0;
    std::vector<double> counts; // 2^q
    std::vector<double> means;  // mean Y or incidence of each cell (0 without a Y value)
    std::vector<Rect> cells;    // exact edges
    srdfit::Grid grid;
    stats::DiagramState state; // counts and areas as the fit report reads them
};

// The layout of the 2^q cells of `cells` (q <= 6) in `frame`; the areas in the
// state are each cell's share of the frame times the total count. A cell's mean
// leaves out its observations with a missing Y; with `incidence` its value is
// the incidence rate (events: those with a Y, less the censored) / sum(wY).
MosaicLayout mosaic_layout(const stats::SubStat& cells, int q, const Rect& frame, bool incidence = false);

class MosaicWindow final : public stats::DiagramWindow {
public:
    // `detailed` (Detailed output) and `incidence` (log-rank incidence mode) are
    // read at each diagram.
    MosaicWindow(ui::Context& ctx, DiagramSettings& settings, const bool& detailed, const bool& incidence)
        : ctx_(ctx), settings_(settings), detailed_(detailed), incidence_(incidence)
    {}
    void srdwin(const partition::TermList& list, const stats::SubStat& cells, const files::ControlTables& tables,
                bool a_label) override;

    const MosaicLayout& last() const { return last_; }

private:
    void draw(const partition::TermList& list, const files::ControlTables& tables, bool a_label);
    void view3d(int mode, bool a_label);

    ui::Context& ctx_;
    DiagramSettings& settings_;
    const bool& detailed_;
    const bool& incidence_;
    MosaicLayout last_;
};

} // namespace meru::rectdiag
