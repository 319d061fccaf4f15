#pragma once
// The scale and origin that the axes leave for the plot routines, the axis
// toolkit's state kept between calls, and the shared settings of plot symbols.
// One copy of each lives in the interface services' context for the whole run.
#include "platform/io/random.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace meru::ui {

// Two reals, along x and along y.
struct PlotPair {
    double x = 0;
    double y = 0;
};

// Two pixel coordinates.
struct PlotPixel {
    int x = 0;
    int y = 0;
};

// The ticks of one axis: n ticks from `first` by `step`, labels written with
// the edit format `fmt` ("(i4)", "(f4.2)", "(g9.4)", ...).
struct AxisTicks {
    int n = 0;
    double first = 0;
    double step = 0;
    std::string fmt;
};

// A pixel coordinate from a real one, truncated toward zero and held within
// +-2^28 (where the canvas still clips), so a degenerate scale never overflows.
inline int plot_pixel(double v)
{
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -268435456.0, 268435456.0));
}

struct PlotFrame {
    PlotPair plotscale;   // pixels per data unit along x and y
    PlotPixel vieworg;    // window pixel of data point (0, 0), without the caller's offsets
    PlotPair winpix;      // window width and height as the last resizing call read them
    double xfraction = 0; // data-area width as a fraction of the window width (last resizing call)
    // Set the first time an axis has a negative first tick and never cleared:
    // from then on every label format keeps a position for the minus sign.
    bool sign = false;
    double last_tick = 0; // the last tick of the latest scale computation
    // The ranges of the latest axes, ordered, and the ticks of its last axis.
    double xlo = 0, xhi = 1, ylo = 0, yhi = 1;
    AxisTicks ticks;
};

struct PlotSymbols {
    bool jitterx = false;                     // jitter symbols horizontally
    bool jittery = false;                     // and vertically
    int overlapstep = 1;                      // brightness step of a symbol drawn over an earlier one
    io::UniformGenerator::Seed symseed{0, 0}; // the jitter's random stream, (0, 0) at start
};

} // namespace meru::ui
