#pragma once
// The complexity hull after a search: the hull of the best-at-each-complexity
// list, the automatic penalty, the interactive plot (the red point's partition,
// Beta+ and Beta- moving the penalty line, a click choosing another hull point,
// Esc ending), then the penalised table, the optimum and the note of a changed
// penalty. What is drawn or shown goes through HullView, which the program
// implements over the search window, the curve window and the Partition window.
#include "search/hull.h"

#include <cstdint>
#include <span>
#include <string>

namespace meru::io {
class LogWriter;
}

namespace meru::search {

inline constexpr const char* kHullCaption = "Complexity hull";
inline constexpr const char* kNoHullCaption = "Hull does not exist";
inline constexpr const char* kRedPointCaption = "Partition at red point on hull";
inline constexpr const char* kSelectedCaption = "Selected hull point";
inline constexpr const char* kComplementCaption = "Complement";

// One drawing of the hull in the search window.
struct HullDrawing {
    const Hull* hull = nullptr;
    std::span<const StoredPartition> entries; // every entry drawn as a grey symbol
    int selected = 0;                         // the red hull position; 0 the origin
    std::string caption;                      // "Complexity hull" or "Hull on iteration nn"
    std::string label;                        // "=" and the red point's position, blank without a hull
    double height = 0;                        // the penalty line's height at the last hull point
    bool interactive = true;                  // wait for Esc, Beta+, Beta- or a click
};

// What the user did in the drawing.
struct HullAnswer {
    int clicked = 0;   // hull position + 1 of a clicked point; 0 for Esc
    double height = 0; // the penalty line's height after Beta+ and Beta-
};

class HullView {
public:
    virtual ~HullView() = default;
    // Before the first drawing: the pause, the button row and the view origin.
    virtual void begin() {}
    // The partition window: `entry` under `caption`, then its complement under
    // "Complement"; for the origin (`entry` null) only the caption.
    virtual void show_partition(const StoredPartition* entry, const std::string& caption) = 0;
    virtual HullAnswer draw(const HullDrawing& drawing) = 0;
    // After Esc: the search window made active with the focus.
    virtual void end() {}
    virtual void msgbox(const std::string& text) = 0;
    virtual void note(const std::string& text) = 0;
};

struct HullInput {
    std::span<const StoredPartition> entries;
    std::span<const std::int64_t> cplxhist;
    int iteration = 1; // a search that does not iterate counts as iteration 1
    bool iterative = false;
    bool stopped = false;  // the iterations stopped on an identical partition or a cycle
    bool treegrow = false; // a tree node's split: compute only
    bool detailed = false; // "Detailed output": the penalised table goes to the log
    bool redraw = false;   // draw once without waiting, no automatic penalty, no table
};

struct Penalty {
    double beta = 0;
    bool automatic = true;
};

struct HullResult {
    Hull hull;
    int optimum = 0; // 1-based best-list entry of the largest G_beta; 0: empty list
    bool shown = false;
};

// Runs the hull step; `view` may be null only with `treegrow`.
HullResult hullplot(const HullInput& in, Penalty& penalty, HullView* view, io::LogWriter& log);

// The window caption: "Complexity hull", or "Hull on iteration " and the iteration
// in two columns in iterative mode.
std::string hull_caption(bool iterative, int iteration);
// The red point's label: "=" and its position (the origin 0), "*" from 10 on.
std::string red_point_label(int position);

} // namespace meru::search
