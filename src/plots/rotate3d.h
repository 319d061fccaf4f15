#pragma once
// The rotating X, Y, Z plot: a cloud of points (or, for two discrete variables
// and a small whole-valued Z, counted cubes) inside a wire cube that the user
// turns by dragging or lets turn by itself, drawn into the scatter plot's window.
#include "plots/draw3d.h"
#include "ui/context.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace meru::plots {

inline constexpr int kRotateUnit = 19;
inline constexpr int kRotateScale = 145;
inline constexpr float kRotateThirdAngle = 2.5307274f;

// The data of the plot: one value of X, Y and Z and one weight per observation;
// `in` marks the observations of the current selection and group (empty: all).
struct RotateData {
    std::span<const float> x, y, z;
    std::span<const int> weights;
    std::span<const char> in;
};

// What carries over from one rotating plot to the next: the rotation step, the
// pointer's last position without a button and the trails flag.
struct RotateMemory {
    int step1 = 0, step2 = 0;
    int prevx = 0, prevy = 0;
    bool fun = false;
};

// The used observations (selected, weight not 0, X, Y and Z not missing), their
// ranges and largest weight, and the counted cubes when they apply.
struct RotateCloud {
    std::vector<int> used; // 0-based observations
    float min[3] = {1e20f, 1e20f, 1e20f};
    float max[3] = {-1e20f, -1e20f, -1e20f};
    int maxw = 0;
    bool cubes_eligible = true;       // every used Z is whole and at most 35
    bool cubes = false;               // counted-cube mode is on
    int ext[3] = {0, 0, 0};           // extents of the count array
    std::vector<std::int64_t> counts; // summed weights, index (ix * ext1 + iy) * ext2 + iz
    std::int64_t maxc = 0;
    bool alloc_failed = false;

    std::int64_t count(int ix, int iy, int iz) const
    {
        return counts[(static_cast<std::size_t>(ix) * static_cast<std::size_t>(ext[1]) +
                       static_cast<std::size_t>(iy)) *
                          static_cast<std::size_t>(ext[2]) +
                      static_cast<std::size_t>(iz)];
    }
    // The scene coordinate in [-1, 1] of value v of variable k (0 X, 1 Y, 2 Z).
    float scene(int k, float v) const;
};

// `max_cells` bounds the count array; a larger one counts as a failed allocation.
RotateCloud rotate_cloud(const RotateData& d, bool z_discrete, bool xy_discrete,
                         std::size_t max_cells = std::size_t{1} << 26);

// Darkening step of overlapping points: truncate(((5 - log10 N) 24.5 + 2) / (k + 1)), at least 1.
int darkening_step(int n, int k);

// Full size of a point of weight w: k when maxw <= 1, else
// truncate((w / maxw)^0.333 (2k + 2) - 1).
int point_size(int w, int maxw, int k);

struct RotateCall {
    RotateData data;
    int nobs = 0; // N
    std::string xname, yname, zname;
    bool z_discrete = false;
    bool xy_discrete = false;
    bool dense = false; // in and out
};

// How the plot was left: angles in degrees and the point size counter.
struct RotateState {
    int deg1 = 45, deg2 = 45;
    int k = 2;
};

// Runs the plot in the window of `unit` until Esc (or the window is closed);
// the Dense state is written back to the call.
RotateState rotate3d(ui::Context& ctx, int unit, RotateMemory& memory, RotateCall& call);

} // namespace meru::plots
