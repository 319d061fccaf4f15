#include "rectdiag/srdwin.h"

#include "files/textutil.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "rectdiag/attrkey_draw.h"
#include "rectdiag/fitted_draw.h"
#include "srdfit/srd_file.h"
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

namespace meru::rectdiag {

namespace {

constexpr std::string_view kFittedBar = "Esc 3D 3DY Grid Help Tiles Refit Nudge Save Load";
constexpr std::string_view kMosaicBar = "Esc 3D 3DY Grid Help Fit Refit Nudge Save Load";

int px(double v) { return static_cast<int>(std::lround(v)); }

std::vector<int> display_numbers(int q)
{
    std::vector<int> d(static_cast<std::size_t>(std::max(q, 0)));
    for (std::size_t j = 0; j < d.size(); ++j) d[j] = static_cast<int>(j) + 1;
    return d;
}

// The name of a saved configuration's file, for the messages.
std::string file_name(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

srdfit::FitSettings SrdWindow::fit_settings() const
{
    srdfit::FitSettings s;
    if (settings_.value1 > 0 && settings_.value1 < 1) s.tolerance = settings_.value1;
    if (settings_.value2 > 0) s.step = settings_.value2;
    const std::string name = files::trim(settings_.mode.substr(0, 12));
    if (!name.empty()) s.random_name = name;
    s.pump = [] { platform::yield(); };
    if (detailed_) {
        io::LogWriter& log = ctx_.log;
        s.on_stage = [&log](const std::string& stage, double e) {
            log.write(" Fit from " + io::fmt_a(stage, 12) + " E=" + io::fmt_f(100 * e, 8, 3) + "%");
        };
    }
    return s;
}

void SrdWindow::take(srdfit::Layout layout)
{
    fitted_ = fitted_diagram(mosaic_.counts, std::move(layout));
    if (detailed_) log_rectangles(ctx_.log, fitted_.layout);
    fitted_.report =
        stats::kappas(fitted_.state, mosaic_.q, display_numbers(mosaic_.q), fitted_.layout.start, true, ctx_.log);
    show_mosaic_ = false;
}

void SrdWindow::save()
{
    if (ctx_.log.path().empty()) {
        ui::msgok(ctx_, "No output file: the diagram is saved next to it$");
        return;
    }
    const std::string path = srdfit::srd_path_for(ctx_.log.path());
    srdfit::SavedDiagram d;
    d.terms = terms_;
    d.boxes = fitted_.layout.boxes;
    d.error = fitted_.state.error;
    d.e_max = fitted_.report.e_max;
    d.fit_p = fitted_.report.fit_p;
    d.start = fitted_.layout.start;
    if (const std::string why = srdfit::save_srd(path, d); !why.empty()) {
        ui::msgok(ctx_, "Cannot write " + file_name(path) + " (" + why + ")$");
        return;
    }
    ctx_.log.write(" Rectangle diagram saved to " + path);
    note_ = "Saved to " + file_name(path);
}

void SrdWindow::load()
{
    const std::string path = srdfit::srd_path_for(ctx_.log.path());
    const srdfit::SrdRead r = srdfit::load_srd(path, terms_);
    switch (r.status) {
    case srdfit::SrdStatus::missing: ui::msgok(ctx_, "No saved diagram " + file_name(path) + "$"); return;
    case srdfit::SrdStatus::unreadable:
        ui::msgok(ctx_, "Cannot read " + file_name(path) + " (" + r.why + ")$");
        return;
    case srdfit::SrdStatus::damaged:
        ui::msgok(ctx_, "The saved diagram " + file_name(path) + " is damaged: not loaded$");
        return;
    case srdfit::SrdStatus::mismatch:
        ui::msgok(ctx_, "The saved diagram " + file_name(path) + " is of other terms: not loaded$");
        return;
    case srdfit::SrdStatus::ok: break;
    }
    const srdfit::Counts counts{mosaic_.counts, 0};
    ctx_.log.write(" Rectangle diagram loaded from " + path);
    take(srdfit::layout_of(counts, r.diagram.boxes, "Saved"));
}

void SrdWindow::draw_mosaic()
{
    platform::Canvas& c = *ctx_.frame.canvas(kDiagramUnit);
    const auto& colours = settings_.colours;
    for (std::size_t k = 0; k < mosaic_.cells.size(); ++k) {
        const Rect& r = mosaic_.cells[k];
        if (r.area() <= 0) continue;
        const int term = srdfit::highest_term(static_cast<int>(k));
        c.set_color_rgb(term == 0 ? kWhite : colours[static_cast<std::size_t>(term - 1)]);
        c.rectangle(platform::Fill::interior, px(r.x1), px(r.y1), px(r.x2) - 1, px(r.y2) - 1);
    }
    for (int j = 1; j <= mosaic_.q; ++j) {
        c.set_color_rgb(colours[static_cast<std::size_t>(j - 1)]);
        for (std::size_t k = 0; k < mosaic_.cells.size(); ++k) {
            const Rect& r = mosaic_.cells[k];
            if (r.area() <= 0 || !((k >> (j - 1)) & 1)) continue;
            const int inset = 2 * j;
            const int x1 = px(r.x1) + inset, y1 = px(r.y1) + inset, x2 = px(r.x2) - 1 - inset,
                      y2 = px(r.y2) - 1 - inset;
            if (x2 > x1 && y2 > y1) c.rectangle(platform::Fill::border, x1, y1, x2, y2);
        }
    }
    c.set_color_rgb(kBlack);
    for (const Rect& r : mosaic_.cells)
        if (r.area() > 0) c.rectangle(platform::Fill::border, px(r.x1), px(r.y1), px(r.x2) - 1, px(r.y2) - 1);
    c.rectangle(platform::Fill::border, px(kMosaicFrame.x1), px(kMosaicFrame.y1), px(kMosaicFrame.x2) - 1,
                px(kMosaicFrame.y2) - 1);
}

void SrdWindow::draw(const partition::TermList& list, const files::ControlTables& tables, bool a_label)
{
    platform::Canvas* cp = ctx_.frame.canvas(kDiagramUnit);
    if (!cp) return;
    platform::Canvas& c = *cp;
    c.set_vieworg(0, 0);
    c.set_gtext_vector(1, 0);
    c.clear(kWhite);
    ui::selfont(ctx_, 2);
    ui::buttonbar(ctx_, show_mosaic_ ? kMosaicBar : kFittedBar, kWhite, 2, kBlack);
    const std::string status = !note_.empty() ? note_ : show_mosaic_ ? mosaic_.state.status : fitted_.state.status;
    ui::textrow(ctx_, std::string_view(status), kWhite, 2, 2, kBlack);

    c.set_color_rgb(kBlack);
    c.moveto(px(kMosaicFrame.x1), px(kMosaicFrame.y1) - 16);
    c.outgtext(a_label ? " A" : "A-");
    if (show_mosaic_) {
        draw_mosaic();
    } else {
        draw_fitted(c, {fitted_, mosaic_.counts, mosaic_.means, settings_.colours, kMosaicFrame});
    }

    const auto& colours = settings_.colours;
    const int keyx = px(kMosaicFrame.x2) + 24;
    int y = px(kMosaicFrame.y1);
    c.set_color_rgb(kBlack);
    const std::vector<int> side(static_cast<std::size_t>(mosaic_.q), 1);
    const std::vector<int> tops = attrkey(c, side, list, tables, a_label ? 1 : 0, keyx, y, kDiagramWidth - 4 - keyx);
    for (std::size_t j = 0; j < tops.size() && j < colours.size() && j < static_cast<std::size_t>(mosaic_.q); ++j) {
        c.set_color_rgb(colours[j]);
        c.rectangle(platform::Fill::interior, keyx - 14, tops[j] + 1, keyx - 6, tops[j] + 8);
    }
    if (!show_mosaic_)
        draw_legend(c, shade_scale(mosaic_.counts, mosaic_.means), incidence_ ? "Incidence" : "Mean Y", keyx - 14,
                    y + 20);
}

void SrdWindow::srdwin(const partition::TermList& list, const stats::SubStat& cells,
                       const files::ControlTables& tables, bool a_label)
{
    const int q = std::min(list.q(), cells.q);
    if (q < 1 || q > stats::kMaxDiagramGroups || !cells.has_cells()) {
        ui::msgok(ctx_, "Rectangle diagrams are drawn for 1 to 6 terms$");
        return;
    }
    mosaic_ = mosaic_layout(cells, q, kMosaicFrame, incidence_);
    stats::kappas(mosaic_.state, q, display_numbers(q), "Mosaic", false, ctx_.log);
    terms_ = term_literals(list);
    terms_.resize(static_cast<std::size_t>(q));
    note_.clear();

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
    ui::bring_to_front(frame, kDiagramUnit); // also out of a close box's minimising
    if (platform::Canvas* c = frame.canvas(kDiagramUnit)) {
        c->set_viewport(0, 0, kDiagramWidth - 1, kDiagramHeight - 1);
        c->set_vieworg(0, 0);
        c->clear(kWhite);
        ui::selfont(ctx_, 2);
        ui::textrow(ctx_, std::string_view("Fitting the diagram ..."), kWhite, 2, 2, kBlack);
    }

    ui::MenusOff hold(ctx_.menus);
    const srdfit::Counts counts{mosaic_.counts, 0};
    take(srdfit::fit(counts, fit_settings(), random_));
    draw(list, tables, a_label);

    ui::mouse_clear(ctx_.mouse);
    for (;;) {
        if (!frame.canvas(kDiagramUnit)) return;
        ui::register_mousecb(ctx_, kDiagramUnit, ui::kMouseClicksMove);
        // A press not yet seen (made while the diagram was drawn or fitted) is
        // kept for this poll.
        ctx_.mouse.state = ui::kMouseNone;
        int state = 0;
        // The close box only minimises the window: the diagram waits on.
        const auto closed = [&frame] { return !frame.is_open(kDiagramUnit); };
        while ((state = ui::mouse_poll(ctx_.mouse, 10)) == 0)
            if (closed()) return;
        if (closed()) return;
        frame.set_active(kDiagramUnit);
        if (state != ui::kMouseLeft) continue;
        const int button = ui::bar_button(ctx_.mouse.x, ctx_.mouse.y);
        if (button < kEsc || button > kLoad) continue;
        note_.clear();
        switch (button) {
        case kEsc: ui::unregister_mousecb(ctx_, kDiagramUnit); return;
        case k3D:
        case k3DY:
        case kGrid: view3d(button, a_label); break;
        case kHelp: ui::helpshow(ctx_, "Rectangle diagrams"); continue;
        case kSwapView: show_mosaic_ = !show_mosaic_; break;
        case kRefit: {
            const srdfit::Layout current = fitted_.layout;
            take(srdfit::fit(counts, fit_settings(), random_, std::span(&current, 1)));
            break;
        }
        case kNudge: take(srdfit::nudge(counts, fitted_.layout, fit_settings())); break;
        case kSave: save(); break;
        case kLoad: load(); break;
        }
        draw(list, tables, a_label);
    }
}

} // namespace meru::rectdiag
