#pragma once
// The random-partition run's distribution plot: each series of G values drawn
// by the distribution plot window in the process window, and the run's result
// lines written under it.
#include "plots/yhist.h"
#include "ui/random_run.h"

namespace meru::plots {

class ProcessDistributionPlot : public ui::DistributionPlot {
public:
    ProcessDistributionPlot(ui::Context& ctx, DistWindowState& state) : ctx_(ctx), state_(state) {}
    // The series as a G distribution ("%" name) of distinct values with their
    // frequencies, N being the sum of the frequencies. True once the plot is left
    // (status -1: Esc, or the end of the overlay).
    bool yhist(const ui::HistSeries& series, bool& first_call) override;
    // `text` at (x, y) from the origin of the last view's axes.
    void text(int x, int y, std::string_view text) override;

private:
    ui::Context& ctx_;
    DistWindowState& state_;
};

} // namespace meru::plots
