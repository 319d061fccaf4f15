#include "rectdiag/srdwin.h"

#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "plots/srd3d.h"
#include "rectdiag/attrkey_draw.h"
#include "stats/diagram_fit_report.h"
#include "stats/subgroup_stats.h"
#include "ui/bring_to_front.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/selfont.h"
#include "ui/textrow.h"
#include "ui/winmenu.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace meru::rectdiag {

namespace {

int px(double v) { return static_cast<int>(std::lround(v)); }

// Colour table of the views: white for the cell outside every term, then the
// six current colours.
std::array<int, 7> colour_table(const DiagramSettings& s)
{
    std::array<int, 7> t{kWhite};
    std::copy(s.colours.begin(), s.colours.end(), t.begin() + 1);
    return t;
}

} // namespace

MosaicLayout mosaic_layout(const stats::SubStat& cells, int q, const Rect& frame, bool incidence)
{
    MosaicLayout l;
    l.q = std::clamp(q, 0, stats::kMaxDiagramGroups);
    const std::size_t n = std::size_t{1} << l.q;
    l.counts.assign(n, 0.0);
    l.means.assign(n, 0.0);
    for (std::size_t c = 0; c < n && c < cells.cells.size(); ++c) {
        const stats::CellStat& s = cells.cells[c];
        l.counts[c] = static_cast<double>(std::max<std::int64_t>(s.weight, 0));
        const double with_y = static_cast<double>(s.weight - s.missing);
        if (incidence) {
            if (s.sum > 0) l.means[c] = (with_y - static_cast<double>(s.censored)) / s.sum;
        } else if (s.sum >= 0 && with_y > 0) {
            l.means[c] = s.sum / with_y;
        }
    }
    l.cells = srdfit::mosaic(l.counts, frame);
    l.grid = srdfit::elementary_grid(l.cells, frame);
    double total = 0;
    for (double c : l.counts) total += c;
    l.state.count_power = 1.0;
    l.state.first_cell = 0;
    for (std::size_t c = 0; c < n; ++c) {
        l.state.count[c] = l.counts[c];
        l.state.area[c] = ui::safediv(l.cells[c].area(), frame.area()) * total;
    }
    return l;
}

void MosaicWindow::draw(const partition::TermList& list, const files::ControlTables& tables, bool a_label)
{
    platform::Canvas* cp = ctx_.frame.canvas(kDiagramUnit);
    if (!cp) return;
    platform::Canvas& c = *cp;
    c.set_vieworg(0, 0);
    c.set_gtext_vector(1, 0);
    c.clear(kWhite);
    ui::selfont(ctx_, 2);
    ui::buttonbar(ctx_, "Esc 3D 3DY Grid Help", kWhite, 2, kBlack);
    std::string status = last_.state.status;
    ui::textrow(ctx_, std::string_view(status), kWhite, 2, 2, kBlack);

    c.set_color_rgb(kBlack);
    c.moveto(px(kMosaicFrame.x1), px(kMosaicFrame.y1) - 16);
    c.outgtext(a_label ? " A" : "A-");

    const auto& colours = settings_.colours;
    for (std::size_t k = 0; k < last_.cells.size(); ++k) {
        const Rect& r = last_.cells[k];
        if (r.area() <= 0) continue;
        const int term = srdfit::highest_term(static_cast<int>(k));
        c.set_color_rgb(term == 0 ? kWhite : colours[static_cast<std::size_t>(term - 1)]);
        c.rectangle(platform::Fill::interior, px(r.x1), px(r.y1), px(r.x2) - 1, px(r.y2) - 1);
    }
    for (int j = 1; j <= last_.q; ++j) {
        c.set_color_rgb(colours[static_cast<std::size_t>(j - 1)]);
        for (std::size_t k = 0; k < last_.cells.size(); ++k) {
            const Rect& r = last_.cells[k];
            if (r.area() <= 0 || !((k >> (j - 1)) & 1)) continue;
            const int inset = 2 * j;
            const int x1 = px(r.x1) + inset, y1 = px(r.y1) + inset, x2 = px(r.x2) - 1 - inset,
                      y2 = px(r.y2) - 1 - inset;
            if (x2 > x1 && y2 > y1) c.rectangle(platform::Fill::border, x1, y1, x2, y2);
        }
    }
    c.set_color_rgb(kBlack);
    for (const Rect& r : last_.cells)
        if (r.area() > 0) c.rectangle(platform::Fill::border, px(r.x1), px(r.y1), px(r.x2) - 1, px(r.y2) - 1);
    c.rectangle(platform::Fill::border, px(kMosaicFrame.x1), px(kMosaicFrame.y1), px(kMosaicFrame.x2) - 1,
                px(kMosaicFrame.y2) - 1);

    const int keyx = px(kMosaicFrame.x2) + 24;
    int y = px(kMosaicFrame.y1);
    for (int j = 1; j <= last_.q; ++j) {
        c.set_color_rgb(colours[static_cast<std::size_t>(j - 1)]);
        c.rectangle(platform::Fill::interior, keyx - 14, y + 10 * (j - 1) + 1, keyx - 6, y + 10 * (j - 1) + 8);
    }
    c.set_color_rgb(kBlack);
    const std::vector<int> side(static_cast<std::size_t>(last_.q), 1);
    attrkey(c, side, list, tables, a_label ? 1 : 0, keyx, y);
}

void MosaicWindow::view3d(int mode, bool a_label)
{
    const std::array<int, 7> table = colour_table(settings_);
    plots::Srd3dCall call;
    call.mode = mode;
    std::vector<double> x1, x2, y1, y2, values;
    std::vector<int> index;
    if (mode == 2) {
        const srdfit::Grid& g = last_.grid;
        for (std::size_t i = 0; i < g.cells.size(); ++i) {
            x1.push_back(g.cells[i].x1), x2.push_back(g.cells[i].x2);
            y1.push_back(g.cells[i].y1), y2.push_back(g.cells[i].y2);
            values.push_back(last_.counts[static_cast<std::size_t>(g.region[i])]);
        }
        for (std::size_t k = 0; k < last_.cells.size(); ++k) index.push_back(srdfit::highest_term(static_cast<int>(k)));
        call.grid = {g.w, g.h, g.region};
        call.caption = "Count";
    } else {
        for (std::size_t k = 0; k < last_.cells.size(); ++k) {
            const Rect& r = last_.cells[k];
            x1.push_back(r.x1), x2.push_back(r.x2), y1.push_back(r.y1), y2.push_back(r.y2);
            values.push_back(mode == 3 ? last_.means[k] : last_.counts[k]);
            index.push_back(srdfit::highest_term(static_cast<int>(k)));
        }
        values.push_back(0.0);
        index.push_back(0);
        call.hide_last = true;
        call.caption = mode != 3 ? "Count" : incidence_ ? "Incidence" : "Mean Y";
    }
    call.caption += a_label ? " in A" : " in A-";
    x1.push_back(kMosaicFrame.x1), x2.push_back(kMosaicFrame.x2);
    y1.push_back(kMosaicFrame.y1), y2.push_back(kMosaicFrame.y2);
    call.x1 = x1, call.x2 = x2, call.y1 = y1, call.y2 = y2;
    call.values = values;
    call.colours = table;
    call.colour_index = index;
    call.p = kViewCentreX - 50;
    call.q = kViewCentreY - 50;
    plots::srd3d(ctx_, kDiagramUnit, call);
}

void MosaicWindow::srdwin(const partition::TermList& list, const stats::SubStat& cells,
                          const files::ControlTables& tables, bool a_label)
{
    const int q = std::min(list.q(), cells.q);
    if (q < 1 || q > stats::kMaxDiagramGroups || !cells.has_cells()) {
        ui::msgok(ctx_, "Rectangle diagrams are drawn for 1 to 6 terms$");
        return;
    }
    last_ = mosaic_layout(cells, q, kMosaicFrame, incidence_);
    std::vector<int> display(static_cast<std::size_t>(q));
    for (int j = 1; j <= q; ++j) display[static_cast<std::size_t>(j - 1)] = j;
    stats::kappas(last_.state, q, display, "Mosaic", false, ctx_.log);
    stats::kappas(last_.state, q, display, "Mosaic", true, ctx_.log);
    if (detailed_) {
        for (std::size_t k = 0; k < last_.cells.size(); ++k) {
            const Rect& r = last_.cells[k];
            ctx_.log.write(" Cell " + io::fmt_i(static_cast<long long>(k), 2) + " x " + io::fmt_f(r.x1, 8, 2) +
                           io::fmt_f(r.x2, 8, 2) + " y " + io::fmt_f(r.y1, 8, 2) + io::fmt_f(r.y2, 8, 2));
        }
    }

    platform::Frame& frame = ctx_.frame;
    if (!frame.is_open(kDiagramUnit) && !frame.open_window(kDiagramUnit, "Rectangle diagram")) {
        ui::msgok(ctx_, "error opening  $");
        return;
    }
    ui::winmenu(ctx_.menus, ctx_.windows, kDiagramUnit, "Rectangle diagram",
                [&frame](bool) { ui::bring_to_front(frame, kDiagramUnit); });
    platform::WindowConfig config;
    config.numxpixels = kDiagramWidth;
    config.numypixels = kDiagramHeight;
    config.title = "Rectangle diagram";
    frame.set_window_config(kDiagramUnit, config);
    frame.set_active(kDiagramUnit);
    frame.set_focus(kDiagramUnit);
    if (platform::Canvas* c = frame.canvas(kDiagramUnit)) {
        c->set_viewport(0, 0, kDiagramWidth - 1, kDiagramHeight - 1);
        c->set_vieworg(0, 0);
    }
    draw(list, tables, a_label);

    ui::MenusOff hold(ctx_.menus);
    for (;;) {
        if (!frame.canvas(kDiagramUnit)) return;
        ui::register_mousecb(ctx_, kDiagramUnit, ui::kMouseClicksMove);
        ui::mouse_clear(ctx_.mouse);
        int state = 0;
        while ((state = ui::mouse_poll(ctx_.mouse, 10)) == 0)
            if (!frame.canvas(kDiagramUnit)) return;
        if (!frame.canvas(kDiagramUnit)) return;
        frame.set_active(kDiagramUnit);
        if (state != ui::kMouseLeft) continue;
        switch (ui::bar_button(ctx_.mouse.x, ctx_.mouse.y)) {
        case 1: ui::unregister_mousecb(ctx_, kDiagramUnit); return;
        case 2: view3d(1, a_label); break;
        case 3: view3d(3, a_label); break;
        case 4: view3d(2, a_label); break;
        case 5: ui::helpshow(ctx_, "Rectangle diagrams"); continue;
        default: continue;
        }
        draw(list, tables, a_label);
    }
}

} // namespace meru::rectdiag
