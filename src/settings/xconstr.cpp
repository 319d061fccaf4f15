#include "settings/xconstr.h"

#include "core/services.h"
#include "files/dataset.h"
#include "files/tables.h"
#include "platform/io/logwriter.h"
#include "settings/attr_picker.h"

#include <algorithm>

namespace meru::settings {

namespace {

// Every observation back in X space, the constraint list emptied.
void clear_constraints(XConstrContext& cx)
{
    std::fill(cx.xmask.begin() + (cx.xmask.empty() ? 0 : 1), cx.xmask.end(), char{1});
    cx.xs.nxcon = 0;
    cx.xs.xconlist.clear();
    cx.xs.xspaceon = false;
}

void recompute(XConstrContext& cx)
{
    if (cx.yrange) cx.yrange();
}

int observations(const XConstrContext& cx)
{
    return std::min({cx.nread, cx.data.n, static_cast<int>(cx.xmask.size()) - 1});
}

// Weight of the observations in X space whose byte of `a` equals `side`.
long long weight_with(const XConstrContext& cx, int a, int side)
{
    long long n = 0;
    for (int i = 1; i <= observations(cx); ++i)
        if (cx.xmask[static_cast<std::size_t>(i)] && cx.data.ab(a, i) == side)
            n += cx.data.obswt[static_cast<std::size_t>(i - 1)];
    return n;
}

void restrict_to(XConstrContext& cx, int a, int side)
{
    for (int i = 1; i <= observations(cx); ++i)
        if (cx.data.ab(a, i) != side) cx.xmask[static_cast<std::size_t>(i)] = 0;
}

} // namespace

void xconstr(XConstrContext& cx)
{
    XSpace& xs = cx.xs;
    if (!cx.constrainx) {
        cx.nobs = cx.nobs_read;
        if (xs.xspaceon) {
            clear_constraints(cx);
            recompute(cx);
            cx.log.write(" Constrain X space lifted ");
        }
        return;
    }
    bool ask = xs.xspaceon;
    bool adding = false;
    for (;;) {
        if (ask) {
            const char* q = xs.nxcon == 1 ? "? Existing X constraint.  Change or add to it?"
                                          : "? Existing X constraints.  Change or add to them?";
            if (!cx.services.quiz(q)) return;
            adding = xs.nxcon < kMaxXConstraints && cx.services.quiz("?Add to existing X constraint(s) ?");
            if (!adding) {
                clear_constraints(cx);
                recompute(cx);
                cx.nobs = cx.nobs_read;
            }
        }
        const PickRange range{1, cx.lastvar, 0, 1, false};
        const Pick pick = selattr(cx.tables, cx.varline, range, " Constrain X attribute",
                                  "Help:Constrain X attribute", cx.dialog, cx.services, cx.log);
        if (pick.result == 0) {
            if (adding) {
                ask = true;
                continue;
            }
            clear_constraints(cx);
            recompute(cx);
            cx.nobs = cx.nobs_read;
            cx.constrainx = false;
            return;
        }
        xs.xconline = pick.result;
        const long long n = weight_with(cx, pick.attribute, pick.side);
        xs.nxspace = n;
        if (n <= 1) {
            std::string text = "There are 0 or 1 obs in X space. Pointless! Try again! $";
            cx.services.msgbox(text, BoxKind::Ok, true);
            // The list again without the questions; a Cancel now leaves no constraint.
            xs.xspaceon = false;
            ask = false;
            adding = false;
            continue;
        }
        xs.nxcon = std::min(xs.nxcon + 1, kMaxXConstraints);
        xs.xconlist.resize(static_cast<std::size_t>(xs.nxcon));
        xs.xconlist.back() = attribute_text(cx.tables, pick.attribute, pick.side + 1);
        cx.log.write("X restrictions:");
        for (const std::string& text : xs.xconlist) cx.log.write("    " + text);
        cx.services.note(" There are " + std::to_string(n) + " observations in X space $", NoteKind::Cut79, true);
        restrict_to(cx, pick.attribute, pick.side);
        recompute(cx);
        cx.nobs = n;
        xs.xspaceon = true;
        cx.qrank = true;
        return;
    }
}

} // namespace meru::settings
