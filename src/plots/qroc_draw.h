#pragma once
// One QROC curve drawn over its axes through the curve window: the points from
// (0, 0) back to (0, 0), the diagonal as red reference line, the optimised cut
// highlighted and labelled, and the "QI(1)       QI(0)" table in the log; and
// the key that names superimposed curves in their colours.
#include "plots/roc_model.h"

#include <span>
#include <string>
#include <vector>

namespace meru::ui {
struct Context;
}

namespace meru::plots {

struct QrocDrawing {
    const QrocCurve* curve = nullptr;
    std::string name;                // the line's variable name
    std::vector<std::string> labels; // squeezed label of cut 1..n (index 0 = cut 1)
    int optimised = 0;               // the optimised cut: 0 highlights the start, < 0 nothing
    int colour = 0;                  // curve colour 0xBBGGRR
    bool superimpose = false;        // squares instead of circles; the label in the curve's colour
    bool connect = true;
    int label_row = 0; // the label this many text rows below its point (superimposed labels stack)
};

// "Test variable " and the 8-character name: the plot's title.
std::string qroc_title(const std::string& name);

void draw_qroc(ui::Context& ctx, const QrocDrawing& d);

// One curve of the key: its variable's name and colour.
struct QrocKeyEntry {
    std::string name;
    int colour = 0;
};

// The key right of the plot: each curve's name in bold in its colour, one row
// each from the top of the plot down.
void draw_qroc_key(ui::Context& ctx, std::span<const QrocKeyEntry> key);

} // namespace meru::plots
