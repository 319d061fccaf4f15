#pragma once
// One run of the scatter mode, split over the file that runs the window and its
// buttons (scatter.cpp) and the file that draws discrete variables: level table,
// box plots, frequency circles and cross-tabs (scatter_levels.cpp).
#include "outcome/scatter.h"
#include "outcome/scatter_scan.h"
#include "outcome/thirdz.h"
#include "platform/io/random.h"

#include <memory>
#include <optional>

namespace meru::platform {
class Canvas;
}

namespace meru::outcome {

inline constexpr int kScatterWidth = 600;
inline constexpr int kScatterHeight = 520;
inline constexpr int kPointBlue = 0xff0000;
inline constexpr int kPointRed = 0x0000ff;
inline constexpr int kMissingBlue = 0xf00000;
inline constexpr int kMissingRed = 0x55555ff;
inline constexpr int kDensityColour = 0xedcba9;
inline constexpr int kBoxOutline = 0x555555;
inline constexpr int kMeanMarker = 0x66ff66;

// The state of one visit to the plot (reset when the plot starts).
struct ScatterVisit {
    std::vector<char> labels; // [i - 1]: observation i shows its label
    int size = 2;
    bool ellipses = false; // circle symbols
    bool show_missing = false;
    bool density = false;
    int shift = 1;
    bool box = false, circles = false;
    bool box_pending = false; // box mode to set up at the first drawing
    double circle_scale = 1.5;
    int box_half = 15;
    bool z_greyed = false;
    ZChoice z;
    std::string subtitle = " ";
    std::string entry_title;
    bool crosstabs_done = false;
    double plotted = 0; // plotted total of the last drawing
    std::unique_ptr<tree::CrossTab> counts, counts2;
};

class ScatterRun {
public:
    explicit ScatterRun(ScatterContext& cx) : cx_(cx) {}
    bool run();

private:
    enum class Exit { esc, closed };
    // scatter.cpp
    bool choose();
    void start(bool direct);
    Exit plot_loop(bool direct);
    void draw(bool reopen, bool log_quartiles);
    std::string window_title() const;
    // Titles the window, its Window-menu entry and the message line.
    void name_window(const std::string& title);
    bool open_window();
    void axes();
    void points(const ScatterCloud& c);
    void correlation(const ScatterCloud& c, bool first);
    void notes(const ScatterCloud& c);
    int wait_click(int& x, int& y);
    std::vector<int> greyed() const;
    bool z_button(); // true: redraw with the window reopened
    void box_button();
    void circl_button();
    void setup_box();
    void modes_subtitle();
    void release_counts();
    void leave();
    ScatterInput input() const;
    std::string varname(int j) const;
    bool is_char(int j) const;
    std::string legend(bool chosen) const;
    // The x of the other group's legend and correlation: 150 pixels right of the
    // chosen group's, or further when the chosen group's texts are wider.
    int other_column(int x) const;
    platform::Canvas* canvas() const;
    void restore_origin() const;
    void text(int x, int y, std::string_view s, int colour) const;
    int below_axis(int dy) const; // pixels from the origin to dy below the X axis

    // scatter_levels.cpp
    void level_table(const ScatterCloud& c, bool first, bool log_quartiles);
    void box_glyph(const LevelSums& l, int k);
    void mean_marker(int x, int y, int colour) const;
    void circles();
    void crosstabs(bool first);

    ScatterContext& cx_;
    ScatterVisit v_;
    ScatterScan scan_;
    io::RandomStream random_;
    bool first_ = false;
    std::optional<std::pair<int, int>> click_; // a click in the plot area to test
};

} // namespace meru::outcome
