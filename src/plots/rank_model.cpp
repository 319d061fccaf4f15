#include "plots/rank_model.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "stats/criteria.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace meru::plots {

namespace {

std::string plain_name(std::string s)
{
    std::replace(s.begin(), s.end(), '$', ' ');
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

template <class T> T at_or(std::span<const T> v, int i, T fallback)
{
    return i >= 0 && i < static_cast<int>(v.size()) ? v[static_cast<std::size_t>(i)] : fallback;
}

} // namespace

std::string lpf_message(int value) { return "N.B.ARRAY BOUND LPF DETECTED LPF=" + io::fmt_i(value, 2); }

RankSelection rank_selection(const RankInputs& in, std::span<int> lpf)
{
    RankSelection out;
    const int n = static_cast<int>(in.rankline.size());
    out.best.assign(static_cast<std::size_t>(n), 0);
    out.hidden.assign(static_cast<std::size_t>(n), false);
    for (int i = 0; i < n; ++i) {
        const int k = in.rankline[static_cast<std::size_t>(i)];
        if (k < 1 || k > static_cast<int>(lpf.size())) continue;
        int& best = lpf[static_cast<std::size_t>(k - 1)];
        const int base = at_or(in.attoff, k - 1, 0);
        int a = best + base;
        if (best < 1 || best > at_or(in.ncuts, k - 1, 0) || a < 1 || std::abs(a) > in.maxatt) {
            out.repaired.push_back(k);
            out.bad_value.push_back(a);
            best = 1;
            a = base + 1;
        }
        out.best[static_cast<std::size_t>(i)] = a;
        const std::string name = plain_name(at_or<std::string>(in.attname, a - 1, {}));
        const int col = at_or(in.attcol, a - 1, 0);
        bool hide = false;
        for (const std::string& y : in.ynames) hide |= !name.empty() && plain_name(y) == name;
        for (int yc : in.ycols) hide |= col > 0 && yc == col;
        hide |= in.censor_att > 0 && a == in.censor_att;
        hide |= !in.add_on && at_or(in.addedno, a - 1, 0) > 0;
        out.hidden[static_cast<std::size_t>(i)] = hide;
        if (!hide) ++out.s;
    }
    out.m = std::min(out.s, kRankShown);
    return out;
}

std::string rank_label(const std::string& attname, const std::string& label)
{
    const std::string text = files::squeeze(io::fmt_a(attname, 8) + io::fmt_a(label, 20));
    return files::rtrim(text.substr(0, 28));
}

std::string p_suffix(double p) { return " " + io::fmt_f(p < 0.0005 ? 0.0 : p, 6, 3); }

std::string missing_suffix(long long used, long long nobsin)
{
    if (used == nobsin) return std::string(10, ' ');
    const double pct = nobsin > 0 ? static_cast<double>(nobsin - used) * 100.0 / static_cast<double>(nobsin) : 0.0;
    return " " + io::fmt_f(pct, 6, 2) + "%";
}

std::string unshown_note(int m, int s)
{
    if (m >= s) return std::string();
    return "Attributes rank " + io::fmt_i(m + 1, 3) + " to " + io::fmt_i(s, 4) + " not shown";
}

std::string p_label(int icrit)
{
    const stats::CriterionTraits* k = stats::criterion_traits(icrit);
    return k && k->f_test ? "P>F" : "P>chi^2";
}

std::string rank_table_heading(const std::string& critname, const std::string& plabel)
{
    return " Rank   Attribute" + std::string(28, ' ') + io::fmt_a(critname, 20) + "  " + io::fmt_a(plabel, 10) +
           "  N";
}

std::string rank_table_rule() { return " " + std::string(82, '-'); }

std::string rank_table_row(const RankRow& r)
{
    std::string s = r.banned ? " [  " : "    ";
    s += io::fmt_i(r.position, 4) + " " + io::fmt_a(r.label, 20);
    s += r.ncuts > 1 ? "best over" + io::fmt_i(r.ncuts, 3) + " cuts " : std::string(18, ' ');
    s += io::fmt_e(r.g, 13, 6) + " " + io::fmt_e(r.p, 11, 5) + " ";
    s += r.p < 0.001 ? "***" : r.p < 0.01 ? "** " : r.p < 0.05 ? "*  " : "   ";
    s += io::fmt_i(r.used, 7) + "  " + (r.banned ? "]" : " ");
    return s;
}

std::string rank_table_cut(const std::string& label, double g)
{
    const std::string t = files::trim(label).substr(0, 20);
    return std::string(20 - t.size(), ' ') + t + std::string(28, ' ') + io::fmt_e(g, 11, 5);
}

double rank_axis_top(std::span<const double> g, std::span<const int> reach, double ylow, double area)
{
    double top = 0.0;
    for (double v : g) top = std::max(top, v);
    top *= 1.3;
    // A label's upper end lies reach/sqrt(2) pixels above its start, which is 10
    // pixels above its point: it stays under the frame (10 pixels above the top)
    // when sy (top - G) >= reach/sqrt(2), with sy = area / (top - ylow).
    for (std::size_t i = 0; i < g.size() && i < reach.size(); ++i) {
        const double c = reach[i] / std::sqrt(2.0) / area;
        if (c < 1.0) top = std::max(top, (g[i] - c * ylow) / (1.0 - c));
    }
    return top;
}

} // namespace meru::plots
