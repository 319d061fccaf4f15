#include "tree/tree_window.h"

#include "files/textutil.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/frame.h"
#include "ui/button_bars.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/selfont.h"
#include "ui/textrow.h"

#include <algorithm>

namespace meru::tree {

namespace {

constexpr int kSplitFill = 0xeeeeee;

// `text` centred on x with its top at y.
void centred(platform::Canvas& c, int x, int y, const std::string& text)
{
    c.moveto(x - c.text_width(text) / 2, y);
    c.outgtext(text);
}

// The window's canvas `width` pixels wide (a deep tree's diagram may need more
// than kTreeWidth).
void size_canvas(platform::Frame& frame, int width)
{
    platform::WindowConfig config;
    config.numxpixels = width;
    config.numypixels = kTreeHeight;
    config.title = kTreeTitle;
    frame.set_window_config(kTreeUnit, config);
    if (platform::Canvas* c = frame.canvas(kTreeUnit)) {
        c->set_viewport(0, 0, width - 1, kTreeHeight - 1);
        c->set_vieworg(0, 0);
    }
}

bool open_window(platform::Frame& frame)
{
    if (!frame.is_open(kTreeUnit) && !frame.open_window(kTreeUnit, kTreeTitle)) return false;
    size_canvas(frame, kTreeWidth);
    frame.set_active(kTreeUnit);
    frame.set_focus(kTreeUnit);
    return true;
}

} // namespace

DiagramLayout draw_tree(ui::Context& ctx, const TreeDiagram& d, const TreeView& view,
                        const std::vector<bool>& highlighted)
{
    DiagramLayout layout = layout_diagram(view, kTreeWidth, kTreeHeight, diagram_text(d.tree, d.stats, d.ydisc));
    platform::Canvas* cp = ctx.frame.canvas(kTreeUnit);
    if (!cp) return layout;
    if (cp->width() != layout.width) size_canvas(ctx.frame, layout.width);
    ctx.frame.set_active(kTreeUnit); // the bar and the fonts go to the active window
    platform::Canvas& c = *cp;
    c.set_vieworg(0, 0);
    c.set_gtext_vector(1, 0);
    c.clear(kWhite);
    ui::selfont(ctx, 2);
    ui::buttonbar(ctx, ui::bars::kTree, kWhite, 2, kBlack);
    ui::selfont(ctx, -5);

    // Each split: what it is under its box, and the lines to its children.
    c.set_color_rgb(kBlack);
    auto split = [&](int n) { return static_cast<std::size_t>(n) < view.split.size() && view.split[n]; };
    for (const NodeBox& b : layout.boxes) {
        for (std::size_t k = 0; k < b.under.size(); ++k)
            centred(c, b.ux, b.y2 + 2 + static_cast<int>(k) * kTextHeight, b.under[k]);
        if (!split(b.node)) continue;
        const NodeBox* out = layout.find(outside_child(b.node));
        const NodeBox* in = layout.find(inside_child(b.node));
        for (const NodeBox* cb : {out, in}) {
            if (!cb) continue;
            c.moveto(b.cx, std::min(b.y2 + 1 + static_cast<int>(b.under.size()) * kTextHeight, cb->y1));
            c.lineto(cb->cx, cb->y1);
            // The split's side of each child, beside the end of its line, away from it:
            // A where the split holds, A- where it does not.
            const std::string side = cb == in ? "A" : "A-";
            c.moveto(cb == in ? cb->cx + 4 : cb->cx - 4 - c.text_width(side), cb->y1 - kTextHeight);
            c.outgtext(side);
        }
    }
    for (const NodeBox& b : layout.boxes) {
        const bool lit = static_cast<std::size_t>(b.node) < highlighted.size() && highlighted[b.node];
        c.set_color_rgb(lit ? kHighlight : split(b.node) ? kSplitFill : kWhite);
        c.rectangle(platform::Fill::interior, b.x1, b.y1, b.x2, b.y2);
        c.set_color_rgb(kBlack);
        c.rectangle(platform::Fill::border, b.x1, b.y1, b.x2, b.y2);
        for (std::size_t k = 0; k < b.lines.size(); ++k)
            centred(c, b.cx, b.y1 + 2 + static_cast<int>(k) * kTextHeight, b.lines[k]);
    }
    return layout;
}

void clear_tree_window(ui::Context& ctx)
{
    if (platform::Canvas* c = ctx.frame.canvas(kTreeUnit)) c->clear(kWhite);
}

TreeDiagramResult tree_window(ui::Context& ctx, const TreeDiagram& d, TreeView& view)
{
    TreeDiagramResult result{kTreeClosed, false, {}};
    platform::Frame& frame = ctx.frame;
    if (!open_window(frame)) {
        std::string text = "error opening  $";
        ui::msgok(ctx, text);
        return result;
    }
    prune(d.stats, d.rules, d.ydisc, view);
    std::vector<bool> highlighted(view.split.size(), false);
    DiagramLayout layout = draw_tree(ctx, d, view, highlighted);

    ui::MenusOff hold(ctx.menus);
    for (;;) {
        if (!frame.canvas(kTreeUnit)) return result;
        ui::register_mousecb(ctx, kTreeUnit, ui::kMouseClicks);
        ui::mouse_clear(ctx.mouse);
        int state = 0;
        while ((state = ui::mouse_poll(ctx.mouse, 10)) == 0)
            if (!frame.canvas(kTreeUnit)) return result;
        if (!frame.canvas(kTreeUnit)) return result;
        frame.set_active(kTreeUnit);
        if (state != ui::kMouseLeft) continue;
        const int x = ctx.mouse.x, y = ctx.mouse.y;
        switch (ui::bar_button(x, y)) {
        case 0:
            if (click_node(node_at(layout, x, y), d.stats, d.rules, d.ydisc, view, highlighted) == ClickAction::none)
                continue;
            break;
        case 1: ui::unregister_mousecb(ctx, kTreeUnit); return result;
        case 2:
            if (d.rules_dialog) d.rules_dialog();
            prune(d.stats, d.rules, d.ydisc, view);
            keep_leaf_highlights(view, highlighted);
            break;
        case 3:
            keep_leaf_highlights(view, highlighted);
            if (std::find(highlighted.begin(), highlighted.end(), true) == highlighted.end()) continue;
            ui::unregister_mousecb(ctx, kTreeUnit);
            result = {kTreePartition, true, leaf_lists(d.tree, view, highlighted)};
            return result;
        case 4: ui::helpshow(ctx, kTreeTitle); continue;
        default: continue;
        }
        layout = draw_tree(ctx, d, view, highlighted);
    }
}

} // namespace meru::tree
