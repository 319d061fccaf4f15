#include "plots/rank_window_common.h"

#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/window.h"
#include "plots/rank_windows.h"
#include "ui/bring_to_front.h"
#include "ui/context.h"
#include "ui/listsel.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/winmenu.h"

#include <array>

namespace meru::plots {

int CutLines::ncut(int line) const
{
    return line >= 1 && line <= static_cast<int>(ncuts.size()) ? ncuts[static_cast<std::size_t>(line - 1)] : 0;
}

int CutLines::first(int line) const
{
    return line >= 1 && line <= static_cast<int>(attoff.size()) ? attoff[static_cast<std::size_t>(line - 1)] + 1 : 1;
}

std::string CutLines::label(int a) const
{
    return a >= 1 && a <= static_cast<int>(labels.size()) ? labels[static_cast<std::size_t>(a - 1)] : std::string();
}

int CutLines::best(int line) const
{
    return line >= 1 && line <= static_cast<int>(optimised.size()) ? optimised[static_cast<std::size_t>(line - 1)]
                                                                   : 0;
}

bool open_plot_window(ui::Context& ctx, int unit, const std::string& title, const std::string& entry, int width,
                      int height)
{
    platform::Frame& frame = ctx.frame;
    close_plot_window(ctx, unit);
    if (!frame.open_window(unit, title)) return false;
    ui::winmenu(ctx.menus, ctx.windows, unit, entry, [&frame, unit](bool) { ui::bring_to_front(frame, unit); });
    platform::WindowConfig config;
    config.numxpixels = width;
    config.numypixels = height;
    config.title = title;
    if (!frame.set_window_config(unit, config)) frame.set_window_config(unit, config);
    frame.set_active(unit);
    frame.set_focus(unit);
    platform::Canvas* c = frame.canvas(unit);
    if (c == nullptr) return false;
    c->set_viewport(0, 0, width - 1, height - 1);
    c->set_vieworg(0, 0);
    c->clear(0xffffff);
    return true;
}

void close_plot_window(ui::Context& ctx, int unit)
{
    if (!ctx.frame.is_open(unit)) return;
    ctx.frame.close_window(unit);
    ui::winmenu_closed(ctx.windows, unit);
}

LineList offered_lines(ui::Context& ctx, const CutLines& lines, int mincuts)
{
    LineList list = line_list(lines.offered, lines.ncuts, lines.names, mincuts);
    for (int k = 0; k < list.refused; ++k) {
        std::string text = "ERROR:local array JNAME bound exceeded$";
        ui::msgbox(ctx, text, BoxKind::Ok, true);
    }
    return list;
}

VariablePick pick_variable(ui::Context& ctx, int id, const LineList& list, std::map<int, bool>& checks, int beside)
{
    namespace ids = rank_dialog_ids;
    VariablePick pick;
    auto d = platform::Dialog::load(ctx.dialogs, id, ctx.host);
    if (!d) {
        pick.missing = true;
        return pick;
    }
    const int n = static_cast<int>(list.entries.size());
    d->set_int(ids::kList, n, platform::kNumItems);
    for (int j = 1; j <= n; ++j) d->set_text(ids::kList, list.entries[static_cast<std::size_t>(j - 1)].text, j);
    for (const auto& [control, on] : checks) d->set_logical(control, on);
    if (beside != 0) d->set_beside(ctx.frame.window(beside));
    pick.closed = d->run_modal();
    for (auto& [control, on] : checks) d->get_logical(control, on);
    std::vector<bool> flags;
    ui::select_flags(*d, ids::kList, flags);
    for (int j = 1; j <= n && j < static_cast<int>(flags.size()); ++j)
        if (flags[static_cast<std::size_t>(j)]) {
            pick.line = list.entries[static_cast<std::size_t>(j - 1)].line;
            break;
        }
    return pick;
}

bool wait_left_click(ui::Context& ctx, int unit, int& mx, int& my)
{
    platform::Frame& frame = ctx.frame;
    for (;;) {
        if (!frame.is_open(unit)) return false;
        frame.set_active(unit);
        frame.set_focus(unit);
        const int s = ui::mouse_poll(ctx.mouse, 100);
        if (s == ui::kMouseNone) continue;
        mx = ctx.mouse.x, my = ctx.mouse.y;
        ui::mouse_clear(ctx.mouse);
        if (s == ui::kMouseLeft) return true;
    }
}

std::string curve_window_title(const std::string& prefix, const std::string& yname)
{
    return prefix + io::fmt_a(yname, 20);
}

int superimposed_colour(int k)
{
    // Each at least 0x60 from every other, and from black, white and the red
    // reference line, in one of its red, green or blue parts at least.
    static constexpr std::array<int, 6> kColours{0xff0000, 0x00a000, 0xa000a0, 0x0060c0, 0xa0a000, 0x606060};
    if (k <= 0) return 0x000000;
    return kColours[static_cast<std::size_t>(k - 1) % kColours.size()];
}

} // namespace meru::plots
