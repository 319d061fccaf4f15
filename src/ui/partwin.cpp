#include "ui/partwin.h"

#include "files/tables.h"
#include "files/textutil.h"
#include "partition/labels.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "ui/bring_to_front.h"
#include "ui/context.h"
#include "ui/messages.h"
#include "ui/textrow.h"
#include "ui/winmenu.h"

#include <algorithm>

namespace meru::ui {

namespace {

constexpr int kFontCode = -5;
constexpr int kTextFont = 0x0008000C; // the window's text-mode font, 8 x 12
constexpr int kWindowX = 92;

// Puts `s` into `line` from 1-based column `col` on, widening the line as needed.
void put(std::string& line, size_t col, std::string_view s)
{
    if (line.size() < col - 1 + s.size()) line.resize(col - 1 + s.size(), ' ');
    line.replace(col - 1, s.size(), s);
}

void put_both(PartitionRow& row, size_t col, std::string_view s)
{
    put(row.text, col, s);
    put(row.ops, col, s);
}

bool literal_blue(std::string_view caption)
{
    return caption.starts_with("Exp") || caption.starts_with("Sim") || caption.starts_with("Fix");
}

// The note that ends the window's rows, red on white (out of cell mode, which
// the operators of the row before leave on).
void window_full(Context& ctx, int row)
{
    ctx.cellmode = false;
    textrow(ctx, kWindowFull, kWhite, row, kFontCode, kOperatorRed);
}

} // namespace

std::vector<PartitionRow> partition_rows(const partition::TermList& list, const files::ControlTables& t, int v,
                                         bool no_prefix)
{
    const std::string prefix = no_prefix ? "    " : " " + alabel(v) + "=";
    std::vector<PartitionRow> rows;
    int term = 0;
    for (std::span<const partition::Literal> lits : list.terms()) {
        for (size_t first = 0; first < lits.size(); first += kLiteralsPerRow) {
            PartitionRow row;
            if (first == 0) {
                if (term == 0) put(row.text, 2, prefix);
                else put_both(row, 2, "  or");
                put_both(row, 7, "(");
            }
            size_t col = 9;
            const size_t last = std::min(lits.size(), first + kLiteralsPerRow);
            for (size_t k = first; k < last; ++k) {
                const std::string lit = files::squeeze(partition::literal_text(lits[k], v, t));
                put(row.text, col, lit);
                put_both(row, col + lit.size(), k + 1 == lits.size() ? ")" : "&");
                col += lit.size() + 2;
            }
            row.text.resize(std::max(row.text.size(), row.ops.size()), ' ');
            row.ops.resize(row.text.size(), ' ');
            rows.push_back(std::move(row));
        }
        ++term;
    }
    return rows;
}

std::string open_partition_attempt(Context& ctx)
{
    platform::Frame& frame = ctx.frame;
    frame.close_window(kPartitionWindow);
    frame.open_window(kPartitionWindow, "Partition");
    winmenu(ctx.menus, ctx.windows, kPartitionWindow, "Partition", [&frame](bool) { front18(frame); });
    frame.set_focus(kPartitionWindow);
    frame.set_active(kPartitionWindow);
    if (platform::Canvas* canvas = frame.canvas(kPartitionWindow)) canvas->set_color_rgb(kBlack);
    if (!frame.window_config(kPartitionWindow)) return "Unknown GETWINDOWCONFIG problem in Partition window$";
    platform::WindowConfig cfg;
    cfg.numxpixels = kPartitionWidth;
    cfg.numypixels = kPartitionHeight;
    cfg.fontsize = kTextFont;
    cfg.title = "Partition";
    if (!frame.set_window_config(kPartitionWindow, cfg))
        return "Unknown SETWINDOWCONFIG problem in Partition window$";
    if (!frame.set_window_size(kPartitionWindow, {platform::SizeState::restored}))
        frame.set_window_size(kPartitionWindow, {platform::SizeState::restored});
    const std::optional<platform::WindowSize> size = frame.window_size(kPartitionWindow);
    if (!size) return "Unknown GETWSIZEQQ problem in Partition window$";
    if (!frame.set_window_size(kPartitionWindow, {platform::SizeState::set, kWindowX, 0, size->w, size->h}))
        return "Unknown SETWSIZEQQ problem in Partition window$";
    platform::Canvas& canvas = *frame.canvas(kPartitionWindow);
    canvas.set_vieworg(0, 0);
    canvas.set_color_rgb(kBlack);
    canvas.rectangle(platform::Fill::interior, 0, 0, kPartitionWidth, kPartitionHeight);
    return {};
}

bool open_partition_window(Context& ctx, const OpenAttempt& attempt)
{
    std::string problem;
    for (int tries = 0; tries < 2; ++tries) {
        problem = attempt();
        if (problem.empty()) return true;
        ctx.frame.close_window(kPartitionWindow);
        winmenu_closed(ctx.windows, kPartitionWindow);
    }
    msgok(ctx, problem);
    return false;
}

// The window's canvas at `height` pixels (its full height to write rows, then
// just its rows, so that no empty black area stays below them).
void set_partition_height(Context& ctx, int height)
{
    const auto config = ctx.frame.window_config(kPartitionWindow);
    if (!config || config->numypixels == height) return;
    platform::WindowConfig cfg = *config;
    cfg.numypixels = height;
    ctx.frame.set_window_config(kPartitionWindow, cfg);
}

void partwin(Context& ctx, const partition::TermList& list, const files::ControlTables& t, int v,
             std::string& caption, int& row, bool to_log, bool show, bool no_prefix)
{
    ctx.textcol1 = 1;
    if (show && row == 1) show = open_partition_window(ctx, [&ctx] { return open_partition_attempt(ctx); });
    // Continued rows go to the Partition window, whichever window was active since.
    if (show) show = ctx.frame.set_active(kPartitionWindow);
    if (show) set_partition_height(ctx, kPartitionHeight);

    caption = files::squeeze(caption);
    if (to_log) ctx.log.write(caption);
    if (show) {
        if (row >= kCaptionRowsEnd) {
            window_full(ctx, row);
            show = false;
        } else {
            std::string line = "  " + caption;
            textrow(ctx, line, kCaptionGreen, row, kFontCode, kBlack);
        }
    }

    const int colour = literal_blue(caption) ? kLiteralBlue : kBlack;
    for (PartitionRow& r : partition_rows(list, t, v, no_prefix)) {
        ++row;
        if (show && row >= kTermRowsEnd) {
            window_full(ctx, row);
            show = false;
        }
        if (to_log) ctx.log.write(r.text);
        if (show) {
            ctx.cellmode = false;
            textrow(ctx, r.text, kWhite, row, kFontCode, colour);
            ctx.cellmode = true;
            textrow(ctx, r.ops, kWhite, row, kFontCode, kOperatorRed);
        }
    }
    ctx.cellmode = false;
    if (show) {
        textrow(ctx, std::string_view(), kWhite, row + 1, kFontCode, colour);
        set_partition_height(ctx, std::min(kPartitionHeight, row_top(row + 2) + 1));
    }
}

std::string partcap(int iteration, bool on_iteration, bool current)
{
    std::string caption = current        ? "Current partition is:"
                          : on_iteration ? "Best on iteration " + io::fmt_i(iteration, 2)
                                         : "Best of search";
    return io::fmt_a(caption, 30);
}

std::string alabel(int flag) { return files::alabel(flag != 0); }

void front18(platform::Frame& frame) { bring_to_front(frame, kPartitionWindow); }

partition::PartitionWindow partition_window(Context& ctx, const files::ControlTables& t)
{
    return [&ctx, &t](const partition::TermList& list, int repflag, std::string_view caption) {
        std::string text(caption);
        int row = 1;
        partwin(ctx, list, t, repflag, text, row, true, true);
    };
}

} // namespace meru::ui
