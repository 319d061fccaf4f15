#include "plots/rank_model.h"

#include "platform/io/edit.h"

#include <algorithm>
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

} // namespace meru::plots
