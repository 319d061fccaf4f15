#pragma once
// The complexity hull after a search: the hull and the automatic penalty
// (search/hull_step.h), the interactive plot (the red point's partition, Beta+
// and Beta- moving the penalty line, a click choosing another hull point, Esc
// ending), then the penalised table, the optimum and the note of a changed
// penalty. What is drawn or shown goes through HullView, which the program
// implements over the search window, the curve window and the Partition window.
#include "search/hull_step.h"

#include <span>
#include <string>

namespace meru::io {
class LogWriter;
}

namespace meru::plots {

inline constexpr const char* kHullCaption = "Complexity hull";
inline constexpr const char* kNoHullCaption = "Hull does not exist";
inline constexpr const char* kRedPointCaption = "Partition at red point on hull";
inline constexpr const char* kSelectedCaption = "Selected hull point";
inline constexpr const char* kComplementCaption = "Complement";

// One drawing of the hull in the search window.
struct HullDrawing {
    const search::Hull* hull = nullptr;
    std::span<const search::StoredPartition> entries; // every entry drawn as a grey symbol
    int selected = 0;                                 // the red hull position; 0 the origin
    std::string caption;                              // "Complexity hull" or "Hull on iteration nn"
    std::string label;                                // "=" and the red point's position, blank without a hull
    double height = 0;                                // the penalty line's height at the last hull point
    bool interactive = true;                          // wait for Esc, Beta+, Beta- or a click
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
    virtual void show_partition(const search::StoredPartition* entry, const std::string& caption) = 0;
    virtual HullAnswer draw(const HullDrawing& drawing) = 0;
    // After Esc: the search window made active with the focus.
    virtual void end() {}
    virtual void msgbox(const std::string& text) = 0;
    virtual void note(const std::string& text) = 0;
};

// Runs the hull step; `view` may be null only with `treegrow`.
search::HullResult hullplot(const search::HullInput& in, search::Penalty& penalty, HullView* view,
                            io::LogWriter& log);

// The window caption: "Complexity hull", or "Hull on iteration " and the iteration
// in two columns in iterative mode.
std::string hull_caption(bool iterative, int iteration);
// The red point's label: "=" and its position (the origin 0), "*" from 10 on.
std::string red_point_label(int position);

} // namespace meru::plots
