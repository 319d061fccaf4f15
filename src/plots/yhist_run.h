#pragma once
// One call of the distribution plot window, split over the files that draw its
// views (yhist_views.cpp) and run its bars (yhist_bars.cpp).
#include "plots/yhist.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace meru::platform {
class Canvas;
}

namespace meru::plots {

class DistRun {
public:
    DistRun(ui::Context& ctx, DistWindowState& st, DistCall& call);
    int run();

private:
    // The sample, window unit and colour of the call.
    void prepare();
    // Draws the kept first curve of the process window again, on axes that also
    // fit this call's curve (st_.fit_top, st_.fit_ylow); false when none is kept.
    bool redraw_first(DistView view);
    void keep_first();
    // yhist.cpp
    bool open_window();
    bool entry_checks();
    void main_bar();
    void draw_view(DistView view);
    void closing();
    platform::Canvas& canvas();
    void restore_origin();
    void text(int x, int y, std::string_view s, int colour);
    void label_at(int x, int y, int bar_dy);
    void category_marks();
    // The view's axes over the plot's x range, or over `xspan` when given (the
    // density curve's grid reaches past the data at both ends).
    bool axes(const std::string& title, double ylo, double yhi, const std::string& ylabel, bool resize = true,
              std::optional<std::pair<double, double>> xspan = std::nullopt);
    std::string view_title(std::string title) const;
    bool grouping_allowed() const;

    // yhist_views.cpp
    bool draw_survival(bool cdf);
    bool draw_bars(bool percent);
    bool draw_density(bool after_step);
    void draw_histogram(bool percent);

    // yhist_bars.cpp
    void bins_bar(bool percent);
    bool bins_dialog();
    bool density_bar(); // true: draw again with the new bandwidth
    int wait_click(int ms, bool& right);
    // Writes a second bar, waits for a click on it (or the right button).
    int bar_click(std::string_view bar, int mask, int ms, bool& right);

    ui::Context& ctx_;
    DistWindowState& st_;
    DistCall& call_;
    std::vector<double> x_; // the values, category numbers for a discrete variable
    DistSample sample_;
    MissingRun miss_;
    int unit_ = kDistWindow;
    int colour_ = kCurveColour;
    int status_ = 0;
    std::string xlabel_;
    bool median_now_ = false; // this call's survival walk found a median
    bool stop_ = false;       // the view ended without its closing steps
    bool again_ = false;      // drawing the kept first curve again (no log lines)
};

} // namespace meru::plots
