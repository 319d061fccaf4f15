#pragma once
// The rectangle-diagram window (unit 16): the cells of a term list drawn as a
// fitted diagram, one rectangle per subgroup fitted to the cell counts, or as the
// exact-area mosaic; with its key, fit status and report, Refit, Nudge, Save and
// Load, and the three block views. The cell-table listing opens it through
// stats::DiagramWindow.
#include "rectdiag/diagram_settings.h"
#include "rectdiag/fitted_diagram.h"
#include "srdfit/mosaic.h"
#include "stats/diagram_state.h"
#include "stats/diagram_window.h"

#include <string>
#include <vector>

namespace meru::io {
class RandomStream;
}

namespace meru::ui {
struct Context;
}

namespace meru::rectdiag {

using srdfit::Rect;

inline constexpr int kDiagramUnit = 16;
inline constexpr int kDiagramWidth = 900;
inline constexpr int kDiagramHeight = 640;
// The diagram's frame in window pixels (the mosaic's and the fitted diagram's).
inline constexpr Rect kMosaicFrame{130, 490, 50, 410};
// The block views turn about the middle of the window right of the key strip.
inline constexpr int kViewCentreX = (120 + kDiagramWidth) / 2;
inline constexpr int kViewCentreY = (15 + kDiagramHeight) / 2;

// The buttons of the window's bar, by number.
enum Button { kEsc = 1, k3D, k3DY, kGrid, kHelp, kSwapView, kRefit, kNudge, kSave, kLoad };

// Everything drawn of the mosaic of one diagram: the cells in window pixels,
// their counts, mean Y values (incidence rates in log-rank incidence mode) and
// colour numbers, and the elementary grid.
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

class SrdWindow final : public stats::DiagramWindow {
public:
    // `detailed` (Detailed output) and `incidence` (log-rank incidence mode) are
    // read at each diagram; random starts draw from `random`.
    SrdWindow(ui::Context& ctx, DiagramSettings& settings, io::RandomStream& random, const bool& detailed,
              const bool& incidence)
        : ctx_(ctx), settings_(settings), random_(random), detailed_(detailed), incidence_(incidence)
    {}
    void srdwin(const partition::TermList& list, const stats::SubStat& cells, const files::ControlTables& tables,
                bool a_label) override;

    const MosaicLayout& mosaic() const { return mosaic_; }
    const FittedDiagram& fitted() const { return fitted_; }
    bool showing_mosaic() const { return show_mosaic_; }

private:
    void draw(const partition::TermList& list, const files::ControlTables& tables, bool a_label);
    void draw_mosaic();
    void view3d(int button, bool a_label);
    srdfit::FitSettings fit_settings() const;
    // Shows a new fitted layout and writes its report to the log.
    void take(srdfit::Layout layout);
    void save();
    void load();

    ui::Context& ctx_;
    DiagramSettings& settings_;
    io::RandomStream& random_;
    const bool& detailed_;
    const bool& incidence_;
    MosaicLayout mosaic_;
    FittedDiagram fitted_;
    std::vector<std::vector<int>> terms_;
    bool show_mosaic_ = false;
    std::string note_; // shown on the status row instead of the fit status until the next button
};

} // namespace meru::rectdiag
