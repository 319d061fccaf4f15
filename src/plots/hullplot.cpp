#include "plots/hullplot.h"

#include "platform/io/edit.h"

namespace meru::plots {

std::string hull_caption(bool iterative, int iteration)
{
    return iterative ? "Hull on iteration " + io::fmt_i(iteration, 2) : std::string(kHullCaption);
}

std::string red_point_label(int position)
{
    return position >= 10 ? std::string("=*") : "=" + std::to_string(position);
}

namespace {

// The interactive plot: returns when the user presses Esc (or after one drawing
// of a redraw). The penalty follows the line's height at the last hull point.
void plot(const search::HullInput& in, const search::Hull& hull, search::Penalty& penalty, HullView& view)
{
    view.begin();
    HullDrawing d;
    d.hull = &hull;
    d.entries = in.entries;
    d.interactive = !in.redraw;
    const double clast = hull.last().c;
    int selected = hull.exists() ? search::hull_choice(hull, penalty.beta) : 0;
    std::string part_caption = kRedPointCaption;
    for (;;) {
        if (hull.exists()) {
            view.show_partition(
                selected > 0 ? &in.entries[static_cast<size_t>(hull.points[static_cast<size_t>(selected)].entry - 1)]
                             : nullptr,
                part_caption);
            d.label = red_point_label(selected);
            d.caption = hull_caption(in.iterative, in.iteration);
        } else {
            d.label = " ";
            d.caption = kNoHullCaption;
        }
        d.selected = selected;
        d.height = penalty.beta * clast;
        const HullAnswer a = view.draw(d);
        if (!in.redraw && a.height != d.height && clast > 0) penalty.beta = a.height / clast;
        if (in.redraw || a.clicked <= 0 || !hull.exists()) break;
        selected = a.clicked - 1;
        part_caption = kSelectedCaption;
    }
    if (in.redraw) return;
    view.end();
    if (!hull.exists()) view.msgbox("Hull does not exist. All G <=0$");
    else if (search::hull_choice(hull, penalty.beta) == 0) view.msgbox("All penalised partitions have G_beta<0$");
}

} // namespace

search::HullResult hullplot(const search::HullInput& in, search::Penalty& penalty, HullView* view, io::LogWriter& log)
{
    search::HullResult r = search::hull_start(in, penalty, log);
    const double start = penalty.beta;
    if (!in.treegrow && view != nullptr) {
        plot(in, r.hull, penalty, *view);
        r.shown = true;
    }
    if (search::hull_finish(in, penalty, start, r, log) && view != nullptr)
        view->note("NOTE: new penalty parameter beta = " + io::list_real(static_cast<float>(penalty.beta)) +
                   " Re-do Search for new optimal$");
    return r;
}

} // namespace meru::plots
