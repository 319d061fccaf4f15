#include "plots/search_window.h"

#include "platform/frame.h"
#include "ui/axes.h"
#include "ui/bring_to_front.h"
#include "ui/context.h"
#include "ui/thinking.h"
#include "ui/winmenu.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace meru::plots {

namespace {

// The progress text, rewritten all through the search, raises its window: a
// search window placed under it would have its count row hidden. The first one
// opened stands below it.
void stand_below_progress(platform::Frame& frame)
{
    const std::optional<platform::WindowSize> p = frame.window_size(ui::kThinkingUnit);
    const std::optional<platform::WindowSize> s = frame.window_size(kSearchWindow);
    if (!p || !s || p->state != platform::SizeState::restored) return;
    const bool apart = s->x >= p->x + p->w || p->x >= s->x + s->w || s->y >= p->y + p->h || p->y >= s->y + s->h;
    if (!apart) frame.set_window_size(kSearchWindow, {platform::SizeState::set, s->x, p->y + p->h, 0, 0});
}

} // namespace

bool open_search_window(ui::Context& ctx, const WindowScale& scale, std::string_view menu_entry,
                        std::string_view title)
{
    platform::Frame& frame = ctx.frame;
    // The window opened afresh stands where the user left the one it replaces
    // (each iteration, each new scale and each search reopens it), at the size
    // they left it, also when they minimised it with its close box or the last
    // search closed it.
    std::optional<platform::WindowSize> place = frame.normal_place(kSearchWindow);
    const bool maximised = place && place->state == platform::SizeState::maximised;
    bool opened = false;
    for (int tries = 0; tries < 2 && !opened; ++tries) {
        frame.close_window(kSearchWindow);
        opened = frame.open_window(kSearchWindow, kSearchTitle);
    }
    if (!opened) return false;
    platform::WindowConfig config;
    config.numxpixels = kSearchWidth;
    config.numypixels = kSearchHeight;
    config.title = kSearchTitle;
    if (!frame.set_window_config(kSearchWindow, config)) frame.set_window_config(kSearchWindow, config);
    if (place) {
        place->state = platform::SizeState::set;
        frame.set_window_size(kSearchWindow, *place);
        if (maximised) frame.set_window_size(kSearchWindow, {platform::SizeState::maximised});
    } else {
        stand_below_progress(frame);
    }
    ui::winmenu(ctx.menus, ctx.windows, kSearchWindow, menu_entry,
                [&frame](bool) { ui::bring_to_front(frame, kSearchWindow); });
    frame.set_active(kSearchWindow);
    frame.set_focus(kSearchWindow);
    // The data area takes the window's width to 90 % and its height from 20 % to
    // 80 %, below the bar, the caption row and the title.
    ui::AxisLayout axes;
    axes.ylen = 0.6;
    axes.xfac = 0.75 / (0.75 * axes.ylen);
    axes.xlo = 0;
    axes.xhi = scale.xmax;
    axes.ylo = 0;
    axes.yhi = scale.ymax;
    axes.xwant = scale.xstep;
    axes.xtitle = "Complexity";
    axes.ytitle = "G";
    axes.title = std::string(title);
    ui::drawaxis(ctx, axes);
    return true;
}

bool holds(const WindowScale& scale, std::span<const search::StoredPartition> entries)
{
    return std::ranges::all_of(entries, [&scale](const search::StoredPartition& e) {
        return e.complexity <= scale.xmax && e.value <= scale.ymax;
    });
}

WindowScale hull_scale(WindowScale scale, std::span<const search::StoredPartition> entries)
{
    int cmax = 0;
    for (const search::StoredPartition& e : entries) {
        if (e.value > scale.ymax) scale.ymax = 2.0 * e.value;
        cmax = std::max(cmax, e.complexity);
    }
    if (!entries.empty() && scale.xmax < cmax + 3) {
        scale.xmax = cmax + 3;
        scale.xstep = std::max(1.0, std::floor(scale.xmax / 4));
    }
    return scale;
}

} // namespace meru::plots
