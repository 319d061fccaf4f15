#pragma once
// One ROC curve drawn into the active graphics window over axes already drawn:
// the diagonal, the points (joined when asked), the optimised cut in red with its
// label, the shape notes, the area and its standard error beside the plot, and
// the cut table and area line in the log. Used for a new curve and for the redraw
// that switches the diagonal.
#include "plots/roc_model.h"
#include "ui/context.h"

#include <optional>
#include <string>
#include <vector>

namespace meru::plots {

inline constexpr int kRocRed = 0x0000ff;
inline constexpr int kRocBlue = 0xff0000;

struct RocDrawing {
    const RocCurve* curve = nullptr;
    std::string name;                // the line's variable name
    std::vector<std::string> labels; // squeezed label of cut 1..n (index 0 = cut 1)
    int optimised = 0;               // the optimised cut; outside 1..n marks none
    int colour = 0;                  // curve colour 0xBBGGRR
    bool connect = true;             // join the points
    bool x_specificity = false;      // x axis specificity instead of 1 - specificity
    bool diagonal = true;            // red diagonal, else white
    bool superimpose = false;
    int k = 0;         // superimposed curves before this one
    bool notes = true; // show the shape notes (not on a redraw)
};

struct RocSummary {
    double auc = 0;
    std::optional<double> se;
};

RocSummary draw_roc(ui::Context& ctx, const RocDrawing& d);

} // namespace meru::plots
