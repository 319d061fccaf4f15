#include "plots/random_plot.h"

#include "platform/canvas.h"
#include "platform/frame.h"
#include "ui/context.h"
#include "ui/plot_text.h"

#include <numeric>

namespace meru::plots {

bool ProcessDistributionPlot::yhist(const ui::HistSeries& series, bool& first_call)
{
    DistCall call;
    call.x = series.values;
    call.w = series.freq;
    call.nobs = std::accumulate(series.freq.begin(), series.freq.end(), 0LL);
    call.title = series.title;
    call.name = series.axis;
    call.overlay = series.overlay;
    call.interactive = false;
    call.label = series.label;
    call.lower = series.lower;
    call.upper = series.upper;
    call.mark = series.last;
    call.markvalue = series.marker;
    call.marklabel = series.marker_label;
    call.open = first_call;
    first_call = false;
    return plots::yhist(ctx_, state_, call) == -1;
}

void ProcessDistributionPlot::text(int x, int y, std::string_view text)
{
    if (!ctx_.frame.set_active(kProcessDistWindow)) return;
    const ui::PlotPixel o = ctx_.plot.vieworg;
    ctx_.frame.canvas(kProcessDistWindow)->set_vieworg(o.x, o.y);
    ui::plot_text(ctx_, x, y, text);
}

} // namespace meru::plots
