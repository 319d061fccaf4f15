#include "plots/hull_view.h"

#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "plots/search_window.h"
#include "ui/context.h"
#include "ui/messages.h"
#include "ui/plotsym.h"
#include "ui/textrow.h"

#include <array>

namespace meru::plots {

namespace {
constexpr int kBarFont = 2;
} // namespace

SearchHullView::SearchHullView(ui::Context& ctx, io::RandomStream& random, ShowEntry show, CurveFn curve)
    : ctx_(ctx), random_(random), show_(std::move(show)), curve_(std::move(curve))
{}

void SearchHullView::begin()
{
    // The events pending (the search window's repaint among them) are handled
    // before the hull is drawn; the user's wait is the window's own poll.
    platform::pump();
    ctx_.frame.set_active(kSearchWindow);
}

void SearchHullView::show_partition(const search::StoredPartition* entry, const std::string& caption)
{
    if (show_) show_(entry, caption);
}

HullAnswer SearchHullView::draw(const HullDrawing& d)
{
    ctx_.frame.set_active(kSearchWindow);
    const search::Hull& hull = *d.hull;
    // Beta+ and Beta- have no line to move without a hull point after the origin.
    static constexpr std::array<int, 2> kBetaButtons{2, 3};
    ui::buttonbar(ctx_, kCurveBar, kWhite, kBarFont, kBlack,
                  hull.exists() ? std::span<const int>{} : std::span<const int>(kBetaButtons));
    ui::textrow(ctx_, std::string_view(d.caption), kWhite, 2, kBarFont, kBlack);
    if (platform::Canvas* c = ctx_.frame.active_canvas()) c->set_vieworg(ctx_.plot.vieworg.x, ctx_.plot.vieworg.y);
    for (const search::StoredPartition& e : d.entries) {
        ui::Symbol s;
        s.x = e.complexity;
        s.y = e.value;
        s.colour = kHullGrey;
        int control = ui::kSymbolFilled;
        ui::plotsym(ctx_, random_, s, control);
    }
    x_.clear();
    y_.clear();
    for (const search::HullPoint& p : hull.points) {
        x_.push_back(p.c);
        y_.push_back(p.g);
    }
    window_.x = x_;
    window_.y = y_;
    window_.ix = window_.iy = 1;
    window_.n = static_cast<int>(hull.points.size());
    window_.colour = kBlack;
    window_.label = d.label;
    window_.highlight = d.selected + 1;
    window_.title = d.caption;
    window_.refline = true;
    window_.x1 = 0;
    window_.y1 = 0;
    window_.x2 = hull.last().c;
    window_.y2 = d.height;
    window_.refcolour = kRed;
    window_.linelabel.clear();
    window_.size = 3;
    window_.interactive = d.interactive;
    window_.clicked = 0;
    window_.join = true;
    curve_(ctx_, window_);
    return {window_.clicked, window_.y2};
}

void SearchHullView::end()
{
    ctx_.frame.set_active(kSearchWindow);
    ctx_.frame.set_focus(kSearchWindow);
}

void SearchHullView::msgbox(const std::string& text)
{
    std::string t = text;
    ui::msgbox(ctx_, t, BoxKind::Ok, false);
}

void SearchHullView::note(const std::string& text)
{
    std::string t = text;
    ui::note(ctx_, t, NoteKind::Cut79, false);
}

} // namespace meru::plots
