#include "outcome/ymenu.h"

#include "core/services.h"
#include "files/charcodes.h"
#include "outcome/attributey.h"
#include "outcome/categories.h"
#include "outcome/correlation.h"
#include "outcome/discrete.h"
#include "outcome/ysummary.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "platform/io/strings.h"
#include "ui/msgtext.h"

#include <algorithm>
#include <cmath>

namespace meru::outcome {

namespace {

// How a step of the confirmation ended.
enum class Step { ok, fragmented, reselect, abandoned };

std::string name8(const std::string& name) { return io::rtrim(name.substr(0, 8)); }

class YMenu {
public:
    explicit YMenu(YMenuContext& cx) : cx_(cx), y_(cx.y), before_(cx.y) {}

    YMode run()
    {
        cx_.yabandon = false;
        if (cx_.nobs <= 0) {
            cx_.msgline = " There is no data. Y not enabled !$";
            std::string text = cx_.msgline;
            cx_.sv.msgbox(text, BoxKind::Ok, true);
            return abandon();
        }
        if (!y_.yenabled) first_variable();
        cx_.msgline = "Make/view dependent variable ";
        return dispatch();
    }

private:
    YMode abandon()
    {
        cx_.yabandon = true;
        return YMode::none;
    }

    int n() const { return std::min(cx_.nobs, cx_.data.n); }
    std::span<float> column(int k)
    {
        const std::span<float> col = ycolumn(cx_.ymat, cx_.data.n, k);
        return col.first(std::min(col.size(), static_cast<std::size_t>(n())));
    }
    std::span<const int> weights() const
    {
        const std::span<const int> w(cx_.data.obswt);
        return w.first(std::min(w.size(), static_cast<std::size_t>(n())));
    }
    bool is_char(int var) const
    {
        return var >= 0 && var < static_cast<int>(cx_.varischar.size()) &&
               cx_.varischar[static_cast<std::size_t>(var)];
    }
    const std::string& varname(int j) const { return cx_.tables.vars.varname[static_cast<std::size_t>(j)]; }

    void first_variable()
    {
        y_.defyname = cx_.tables.vars.nvar >= 1 ? varname(1) : std::string();
        y_.yname[0] = y_.defyname;
        y_.ny = 1;
        y_.ycol[0] = 1;
        if (cx_.tables.vars.nvar < 1) return;
        const std::span<float> col = column(1);
        for (int i = 1; i <= n(); ++i) col[static_cast<std::size_t>(i - 1)] = cx_.data.x(i, 1);
    }

    // The tests of the dispatch from `test` on, in order; the first that holds
    // picks the mode.
    YMode dispatch()
    {
        int test = 1;
        for (;;) {
            const YItems& it = cx_.items;
            if (test <= 1 && it.ok && y_.yenabled && !cx_.yoffered) return YMode::none;
            if (test <= 2 && it.trans) return YMode::transform;
            if (test <= 4 && (it.sel || it.ok)) {
                const bool default_y = it.ok && cx_.yoffered;
                if (default_y || it.sel) {
                    if (default_y) take_default();
                    else if (!select_dialog()) return abandon();
                    if (!attribute_question()) return abandon();
                    if (!squares_fit()) {
                        y_ = before_;
                        return abandon();
                    }
                    fill_data();
                    test = 5;
                    continue;
                }
            }
            if (it.scat || y_.direct_scatter) return YMode::scatter;
            if (it.dist) return YMode::distribution;
            if (it.bygrp) return YMode::bygroup;
            if (!it.sel && !it.ok) return YMode::none;
            switch (confirm()) {
            case Step::reselect:
                cx_.items.ok = false;
                cx_.items.sel = true;
                test = 3;
                continue;
            case Step::abandoned: return abandon();
            default: return YMode::confirmed;
            }
        }
    }

    // Select Y: up to five variables; Cancel changes nothing.
    bool select_dialog()
    {
        const int nvar = cx_.tables.vars.nvar;
        std::vector<std::string> names;
        for (int j = 1; j <= nvar; ++j) names.push_back(varname(j));
        for (;;) {
            std::vector<bool> selected(names.size(), false);
            const int id = cx_.dialogs.select_y(names, selected);
            if (id == kDialogMissing) {
                cx_.log.write(" Error: dialog box 2 not found");
                return false;
            }
            if (id == kCancel) return false;
            std::vector<int> cols;
            for (std::size_t j = 0; j < selected.size(); ++j)
                if (selected[j]) cols.push_back(static_cast<int>(j) + 1);
            std::string text;
            if (cols.size() > kMaxYs) text = " Only <= " + io::fmt_i(kMaxYs, 3) + " variables allowed! Reselect.$";
            else if (cols.empty()) text = "No Y selection made ! $";
            if (!text.empty()) {
                cx_.sv.msgbox(text, BoxKind::Ok, true);
                continue;
            }
            for (std::size_t k = 0; k < cols.size(); ++k) {
                y_.yname[k] = varname(cols[k]);
                y_.ycol[k] = cols[k];
            }
            y_.scatx = cols.back();
            y_.ny = static_cast<int>(cols.size());
            cx_.sv.thinking("...selecting Y", true);
            return true;
        }
    }

    void take_default()
    {
        y_.yname[0] = name8(y_.defyname);
        y_.ny = 1;
        for (int j = 1; j <= cx_.tables.vars.nvar; ++j)
            if (varname(j) == y_.yname[0]) y_.ycol[0] = y_.scatx = j;
    }

    // A single Y whose variable has attribute lines may be made of its cuts.
    // False when the user cancels the choice of cuts: the outcome is then as it
    // was before this call.
    bool attribute_question()
    {
        y_.yfromatt = false;
        if (y_.ny != 1) return true;
        const files::ControlTables& t = cx_.tables;
        const std::string name = name8(y_.yname[0]);
        std::vector<int> lines;
        for (int l = 2; l <= t.nlines; ++l) {
            const std::string& ln = t.line[static_cast<std::size_t>(l)].name;
            if (!ln.empty() && ln[0] != '+' && name8(ln) == name) lines.push_back(l);
        }
        if (lines.empty()) return true;
        if (!cx_.sv.quiz("?Attributes are defined for the variable: " + name + ". Use attributes to specify Y?"))
            return true;
        y_.yfromatt = true;
        AttributeChoice choice;
        std::string ydname = y_.ydname;
        if (!attributey(t, lines, cx_.dialogs, cx_.sv, cx_.log, cx_.msgline, choice, ydname) || choice.line == 0) {
            y_ = before_;
            return false;
        }
        y_.ydname = ydname;
        y_.yattr = choice.yattr;
        const int column = y_.ycol[0];
        const files::AttrLine& line = t.line[static_cast<std::size_t>(choice.line)];
        const int first = t.line[static_cast<std::size_t>(choice.line - 1)].attoff + 1;
        int k = 0;
        for (; k < kMaxYs; ++k) {
            const int a = y_.yattr[static_cast<std::size_t>(k)];
            if (a < first || a >= first + line.ncuts) break;
            const files::Attribute& att = t.att[static_cast<std::size_t>(a)];
            y_.ycol[static_cast<std::size_t>(k)] = column;
            y_.ycode[static_cast<std::size_t>(k)] = k;
            y_.yname[static_cast<std::size_t>(k)] = io::rtrim(ui::squeeze("{" + att.attname + "}" + y_label(att)));
        }
        if (column < static_cast<int>(cx_.varischar.size())) cx_.varischar[static_cast<std::size_t>(column)] = 0;
        y_.ny = k;
        return true;
    }

    // The mean-square criteria and the statistics form w * Y * Y of each
    // observation in single precision; a Y whose weighted square overflows there
    // would make every G not a number. Such a Y is refused, with a message.
    bool squares_fit()
    {
        if (y_.yfromatt) return true;
        const std::span<const int> w = weights();
        for (int k = 1; k <= y_.ny; ++k) {
            const int var = y_.ycol[static_cast<std::size_t>(k - 1)];
            if (var < 1 || var > cx_.data.ncols) continue;
            float largest = 0.0f;
            bool overflow = false;
            for (int i = 1; i <= n() && static_cast<std::size_t>(i) <= w.size(); ++i) {
                const float v = cx_.data.x(i, var);
                const int wi = w[static_cast<std::size_t>(i - 1)];
                if (!(v >= 0.0f) || wi == 0) continue;
                largest = std::max(largest, v);
                if (!std::isfinite(v * (static_cast<float>(wi) * v))) overflow = true;
            }
            if (!overflow) continue;
            std::string text = " Values of " + io::rtrim(y_.yname[static_cast<std::size_t>(k - 1)]) + " up to " +
                               io::trim(io::fmt_g(largest, 12, 5)) +
                               " are too large: their squares overflow single precision. Rescale. Y not changed $";
            cx_.sv.msgbox(text, BoxKind::Ok, true);
            return false;
        }
        return true;
    }

    void fill_data()
    {
        if (!y_.yfromatt && is_char(y_.ycol[static_cast<std::size_t>(y_.ny - 1)])) {
            cx_.sv.note("NOTE: character variable. Y  is encoded numeric values$", NoteKind::Full, false);
        }
        for (int k = 1; k <= y_.ny; ++k) {
            const std::span<float> col = column(k);
            const int att = y_.yattr[static_cast<std::size_t>(k - 1)];
            const int var = y_.ycol[static_cast<std::size_t>(k - 1)];
            for (int i = 1; i <= n(); ++i) {
                float v = -1.0f;
                if (y_.yfromatt) {
                    const int b = att >= 1 && att <= cx_.data.lc ? cx_.data.ab(att, i) : -1;
                    v = b == 0 || b == 1 ? static_cast<float>(b) : -1.0f;
                } else if (var >= 1 && var <= cx_.data.ncols) {
                    v = cx_.data.x(i, var);
                }
                col[static_cast<std::size_t>(i - 1)] = v;
            }
        }
    }

    Step confirm()
    {
        const YItems& it = cx_.items;
        std::string heading = "%Y:Select";
        if (it.ok) heading = y_.ny == 1 ? "%Y:OK " + io::fmt_a(y_.yname[0], 20) : "%Y:OK multivariate";
        cx_.sv.actlog(heading);
        y_.yordind = y_.ynomind = y_.yserial = false;
        y_.yascend = true;
        y_.ydescend = false;
        const Step s = summarize_all(false);
        if (s == Step::reselect || s == Step::abandoned) return s;
        // The confirmed Y is the current Y from now on: the by-group dialog and the
        // distribution of a censored time read its variable's name.
        if (y_.ycol[0] >= 1 && y_.ycol[0] <= cx_.tables.vars.nvar) y_.defyname = varname(y_.ycol[0]);
        cx_.maxiter = 6;
        cx_.maxitertext = "6";
        if (y_.ny > 1) {
            if (!multivariate()) return Step::abandoned;
            cx_.maxiter = 3;
            cx_.maxitertext = "3";
        }
        if (y_.yfromatt) cx_.log.write("  Y defined by attributes");
        if (cx_.set_ok_text) cx_.set_ok_text(ok_text(y_));
        return Step::ok;
    }

    Step summarize_all(bool indicator_pass)
    {
        if (y_.ny > 1) {
            cx_.log.write(" Multiple Y vector:");
            std::string line = "   ";
            for (int k = 0; k < y_.ny; ++k) {
                if (k > 0 && k % 10 == 0) {
                    cx_.log.write(line);
                    line = "   ";
                }
                line += io::fmt_a(y_.yname[static_cast<std::size_t>(k)], 20);
            }
            cx_.log.write(line);
        }
        y_.yallbin = true;
        for (int k = 1; k <= y_.ny; ++k) {
            const Step s = summarize(k, indicator_pass);
            if (s == Step::fragmented) return summarize_all(true);
            if (s != Step::ok) return s;
        }
        return Step::ok;
    }

    Step summarize(int k, bool indicator_pass)
    {
        const auto u = static_cast<std::size_t>(k - 1);
        const YSummary s = summarize_y(column(k), weights(), cx_.obsmask);
        cx_.nobsin = s.total();
        y_.ymin[u] = s.ymin;
        y_.ymax[u] = s.ymax;
        y_.yvar[u] = s.var;
        y_.ylev[u] = s.ylev;
        y_.ymode[u] = s.ymode;
        y_.ylow[u] = s.ylow;
        y_.yhigh[u] = s.yhigh;
        y_.ynonint[u] = s.nonint;
        y_.ybin[u] = s.binary;
        if (!s.binary) y_.yallbin = false;
        y_.ymean = s.mean;
        if (k == 1) {
            y_.y1vals.clear();
            for (int j = 0; j < s.ylev && j < kY1Values; ++j)
                y_.y1vals.push_back(s.values[static_cast<std::size_t>(j)].value);
        }
        // The indicator Ys of a fragmented character Y hold 0/1, not character codes.
        const bool character = !y_.yfromatt && !indicator_pass && is_char(y_.ycol[u]);
        if (y_.ny == 1 && !y_.yfromatt && !indicator_pass && discrete_candidate(s, character)) {
            const Step d = discrete_step(s);
            if (d != Step::ok) return d;
        }
        if (character) {
            y_.ycats.clear();
            for (const auto& e : s.values) {
                const int code = static_cast<int>(e.value);
                if (code > 9)
                    cx_.log.write(std::string(" Character ") + files::codechar(code) + " has numeric value " +
                                  io::fmt_i(code, 4));
                if (static_cast<int>(y_.ycats.size()) < kMaxCharCats) y_.ycats.push_back(code);
            }
            if (s.nonint) cx_.sv.note("NOTE: character variable has non-integer values$", NoteKind::Full, false);
        }
        y_.yenabled = true;
        if (y_.ny == 1) {
            const std::string name = io::rtrim(y_.yname[0]);
            if (s.sd == 0) {
                std::string text = " Standard deviation=0! All values of <" + name + "> equal. Re-Select Y $";
                if (cx_.sv.msgbox(text, BoxKind::Question, true) == kOk) return Step::reselect;
            } else {
                const std::string text = " New Y=" + name + " Mean (SD n #values #miss)=" + io::fmt_g(s.mean, 13, 6) +
                                         "(" + io::fmt_g(s.sd, 13, 6) + " " + io::fmt_i(s.n, 7) + " " +
                                         io::fmt_i(s.ylev, 7) + " " + io::fmt_i(s.missing, 7) + ")";
                cx_.sv.note(text, NoteKind::Full, true);
                if (s.missing_percent() > 10.0) {
                    std::string q =
                        "NOTE: % missing " + name + " =" + io::fmt_f(s.missing_percent(), 6, 1) + " > 10% $";
                    cx_.sv.msgbox(q, BoxKind::Question, true);
                }
            }
        }
        y_.yunique = s.n == s.ylev;
        return Step::ok;
    }

    // The discrete-Y dialog for a single Y with 3 to 5 categories, and the
    // indicator Ys when the user fragments it.
    Step discrete_step(const YSummary& s)
    {
        y_.ydname = name8(y_.yname[0]);
        std::vector<int> codes;
        std::vector<long long> freq;
        for (const auto& e : s.values) {
            codes.push_back(static_cast<int>(e.value));
            freq.push_back(e.weight);
        }
        const int nc = static_cast<int>(codes.size());
        for (int k = 1; k < nc; ++k) y_.ycol[static_cast<std::size_t>(k)] = y_.ycol[0];
        y_.ncat = nc;
        std::copy(codes.begin(), codes.end(), y_.ycode.begin());
        y_.yordforce = true;
        y_.ynomforce = false;
        DiscreteChoice c{codes, freq, codes, y_.ydname, true, false, y_.ydesc};
        if (!discrete(c, cx_.dialogs, cx_.sv, cx_.log, cx_.msgline)) {
            y_.yenabled = false;
            return Step::abandoned;
        }
        y_.yordforce = c.ordinal;
        y_.ynomforce = c.nominal;
        y_.ydesc = c.descending;
        std::copy(c.order.begin(), c.order.end(), y_.ycode.begin());
        y_.yascend = !y_.ydesc;
        y_.ydescend = y_.ydesc;
        if (!c.ordinal && !c.nominal) return Step::ok;

        const CategoryKind kind = c.ordinal ? CategoryKind::ordinal : CategoryKind::nominal;
        for (const auto& line : indicator_log(kind, c.order, y_.ydname)) cx_.log.write(line);
        const std::vector<std::string> names = indicator_names(kind, y_.yascend, c.order, y_.ydname);
        const std::span<float> first = column(1);
        const std::vector<float> values(first.begin(), first.end());
        for (int k = 1; k < nc; ++k) {
            const std::span<float> col = column(k);
            for (std::size_t i = 0; i < values.size(); ++i)
                col[i] = indicator_value(kind, y_.yascend, c.order, k, values[i]);
            y_.yname[static_cast<std::size_t>(k - 1)] = names[static_cast<std::size_t>(k - 1)];
        }
        y_.yascend = true;
        y_.ydescend = false;
        y_.yordind = c.ordinal;
        y_.ynomind = !c.ordinal;
        y_.ycatsave = {nc, s.ymax, s.ymin, s.binary, s.yhigh, s.ylow, s.nonint};
        y_.ny = nc - 1;
        y_.yserial = true;
        return Step::fragmented;
    }

    bool refuse_non_binary()
    {
        cx_.sv.helpshow("NOTE: Non-binary Ys. Cannot do ordinal/nominal");
        y_.yenabled = true;
        return false;
    }

    // Several Ys: serial or parallel, and the ordinal or nominal analysis of a
    // serial sequence. False when refused.
    bool multivariate()
    {
        if (y_.yordind || y_.ynomind) {
            if (!y_.yallbin) return refuse_non_binary();
        } else {
            y_.ynomforce = y_.yordforce = false;
            if (cx_.sv.quiz("?Multivariate Y: do a serial analysis?")) {
                y_.yserial = true;
                if (cx_.bygroup.mode) {
                    cx_.sv.note("Cannot do Serial analysis with By-group in place. By-group removed$", NoteKind::Full,
                                false);
                    cx_.bygroup.mode = false;
                }
            }
            if (y_.yserial && cx_.sv.quiz("?Force ordinal or nominal analysis of serial sequence?")) {
                if (cx_.sv.quiz("?Force a nominal analysis?")) {
                    y_.ynomforce = true;
                } else {
                    y_.yordforce = true;
                    y_.yascend = true;
                    y_.ydescend = false;
                }
            }
            if ((y_.yordforce || y_.ynomforce) && !y_.yallbin) return refuse_non_binary();
            // The levels of a forced analysis of the Ys themselves are numbered from 0:
            // Y k's level is k - 1, the rest NY.
            if (y_.yordforce || y_.ynomforce)
                for (int k = 0; k <= y_.ny && k < static_cast<int>(y_.ycode.size()); ++k)
                    y_.ycode[static_cast<std::size_t>(k)] = k;
        }
        if (y_.yserial) {
            cx_.log.write(" Multivariate outcome: serial mode");
            return true;
        }
        cx_.log.write(" Multivariate outcome: parallel mode");
        std::vector<std::string> names;
        std::vector<std::span<const float>> columns;
        for (int k = 1; k <= y_.ny; ++k) {
            names.push_back(y_.yname[static_cast<std::size_t>(k - 1)]);
            columns.push_back(column(k));
        }
        for (const auto& line : correlation_lines(names, columns, weights(), cx_.obsmask)) cx_.log.write(line);
        return true;
    }

    YMenuContext& cx_;
    Outcome& y_;
    const Outcome before_;
};

} // namespace

YMode ymenu(YMenuContext& cx) { return YMenu(cx).run(); }

std::span<float> ycolumn(std::vector<float>& ymat, int n, int k)
{
    const std::size_t size = static_cast<std::size_t>(n < 0 ? 0 : n);
    const std::size_t start = static_cast<std::size_t>(k - 1) * size;
    if (k < 1 || k > kMaxYs || start + size > ymat.size()) return {};
    return std::span<float>(ymat).subspan(start, size);
}

std::string ok_text(const Outcome& y)
{
    if (y.ny <= 1) return "Ok : " + io::rtrim(y.yname[static_cast<std::size_t>(std::max(y.ny, 1) - 1)]);
    const std::string two = io::rtrim(y.yname[0]) + "," + io::rtrim(y.yname[1]);
    return ui::squeeze(y.ny == 2 ? "Ok  " + two : "Ok : " + two + ",...");
}

} // namespace meru::outcome
