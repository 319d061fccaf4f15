#pragma once
// Plot symbols: a square or circle at a data point through the scale the axes
// left (ctx.plot), outlined, filled, or filled a shade off what it lands on; its
// stipple, jitter and label. Beside it the small random and marker routines of
// the plots: normal deviates, triangular offsets, the curve marker and the
// stipple fills.
#include "ui/plotframe.h"

#include <span>
#include <string_view>

namespace meru::io {
class RandomStream;
}

namespace meru::platform {
class Canvas;
}

namespace meru::ui {

struct Context;

// Symbol controls.
constexpr int kSymbolOutline = 2;
constexpr int kSymbolFilled = 3;
constexpr int kSymbolOverlap = 4; // filled; over an earlier drawing a shade of it
// The colour that asks for a random one.
constexpr int kRandomColour = -1;

// What plotsym draws at the data point (x, y).
struct Symbol {
    double x = 0, y = 0;
    bool label = false; // write `text` beside the symbol
    std::string_view text;
    int size = 4;         // width in pixels
    int colour = 0;       // 0xBBGGRR, or kRandomColour
    bool ellipse = false; // a circle instead of a square
    bool stipple = false; // dots on a 4-pixel grid inside the shape
};

// Draws the symbol into the active graphics window, centred on its data point,
// jittered by 3 N(0, 1) pixels along the axes whose flag in ctx.symbols is set.
// Control kSymbolOverlap reads the pixel under the centre: on white it fills with
// the colour, otherwise with that pixel's colour shifted by -overlapstep; it then
// becomes kSymbolFilled in the caller's variable. Random colours and the odd-size
// centre come from `random`. Nothing is drawn without an active window.
void plotsym(Context& ctx, io::RandomStream& random, const Symbol& symbol, int& control);

// Fills the first min(out.size(), 1000) elements with standard normal deviates
// (the polar method) from the uniform generator in state `seed`, and leaves the
// generator's new state in `seed`, so that consecutive calls continue one stream.
void gaussfill(io::UniformGenerator::Seed& seed, std::span<double> out);

// A triangular deviate on [-a, a] with its peak at 0.
double trirand(io::RandomStream& random, double a);

// The 18-point outline marker at pixel (x, y), and `ch` 6 pixels to the right
// unless it is a blank.
void marker(platform::Canvas& canvas, int x, int y, char ch);

// The box (x1, y1)-(x2, y2) drawn with `control`, and squares of `size` pixels
// on a grid of `step` pixels over it; hatchell draws the ellipse in the box and
// only the grid's small ellipses inside it.
void hatchrect(platform::Canvas& canvas, int x1, int y1, int x2, int y2, int step, int size, int control);
void hatchell(platform::Canvas& canvas, int x1, int y1, int x2, int y2, int step, int size, int control);

} // namespace meru::ui
