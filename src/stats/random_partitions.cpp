#include "stats/random_partitions.h"

#include "core/services.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/listread.h"
#include "platform/io/logwriter.h"
#include "platform/io/random.h"
#include "stats/criterion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <new>

namespace meru::stats {

namespace {

constexpr int kProgressEvery = 100;

bool included(const RandomInput& in, std::size_t i) { return in.mask[i] != 0 && in.weights[i] > 0; }

long long weight_units(const RandomInput& in)
{
    long long w = 0;
    const std::size_t n = std::min(in.mask.size(), in.weights.size());
    for (std::size_t i = 0; i < n; ++i)
        if (included(in, i)) w += in.weights[i];
    return w;
}

// Log-rank of one Y over the units in stored order: the risk sets start as the
// valid units of each side; each uncensored unit adds to O when in A-, and to E
// and V as one event among the units still at risk; then the unit leaves.
double stored_order_logrank(const RandomInput& in, std::span<const float> y, std::span<const std::uint8_t> in_a,
                            long long& n_a_minus, long long& n_a)
{
    const Censoring cens = in.censoring.within(in.abyte.bytes ? in.abyte.lc : 0);
    const bool readable =
        cens.in_force && static_cast<std::size_t>(in.abyte.n) >= std::min(in.mask.size(), in.weights.size());
    const std::size_t nobs = std::min({in.mask.size(), in.weights.size(), y.size()});
    const auto usable_byte = [&](std::size_t i, std::uint8_t& byte) {
        byte = readable ? in.abyte.at(static_cast<int>(i), cens.attribute) : 0;
        return !readable || cens.usable(byte);
    };

    long long r0 = 0, r1 = 0;
    std::size_t u = 0;
    for (std::size_t i = 0; i < nobs; ++i) {
        if (!included(in, i)) continue;
        const int w = in.weights[i];
        std::uint8_t byte = 0;
        if (y[i] >= 0.0f && usable_byte(i, byte))
            for (int k = 0; k < w; ++k) (in_a[u + static_cast<std::size_t>(k)] ? r1 : r0) += 1;
        u += static_cast<std::size_t>(w);
    }
    n_a_minus = r0;
    n_a = r1;

    double o = 0.0, e = 0.0, v = 0.0;
    u = 0;
    for (std::size_t i = 0; i < nobs; ++i) {
        if (!included(in, i)) continue;
        const int w = in.weights[i];
        std::uint8_t byte = 0;
        if (!(y[i] >= 0.0f) || !usable_byte(i, byte)) {
            u += static_cast<std::size_t>(w);
            continue;
        }
        const bool censored = readable && cens.is_censored(byte);
        for (int k = 0; k < w; ++k, ++u) {
            const bool member = in_a[u] != 0;
            if (!censored) {
                if (!member) o += 1.0;
                const double n = static_cast<double>(r0 + r1);
                if (n >= 1.0) e += static_cast<double>(r0) / n;
                if (n > 1.0) v += std::max(0.0, static_cast<double>(r0) * static_cast<double>(r1) / (n * n));
            }
            (member ? r1 : r0) -= 1;
        }
    }
    return files::safediv((o - e) * (o - e), v);
}

} // namespace

double random_g(const RandomInput& in, std::span<const std::uint8_t> in_a, const SplitCriterion& criterion,
                const CritSettings& crit)
{
    const RandomScoring scoring = criterion.random_scoring();
    const std::size_t nobs = std::min(in.mask.size(), in.weights.size());
    std::array<std::int64_t, 2 * kMaxClasses> table{};
    double g = 0.0;
    const std::size_t ny = std::min<std::size_t>(in.y.size(), kMaxYs);
    for (std::size_t k = 0; k < ny; ++k) {
        const std::span<const float> y = in.y[k];
        long long n0 = 0, n1 = 0;
        double gk = 0.0;
        if (scoring == RandomScoring::StoredOrderLogRank) {
            gk = stored_order_logrank(in, y, in_a, n0, n1);
        } else {
            const bool tabled = scoring == RandomScoring::CountTable;
            double s0 = 0.0, s1 = 0.0;
            int top = -1;
            if (tabled) table.fill(0);
            std::size_t u = 0;
            const std::size_t n = std::min(nobs, y.size());
            for (std::size_t i = 0; i < n; ++i) {
                if (!included(in, i)) continue;
                const int w = in.weights[i];
                const float yi = y[i];
                if (!(yi >= 0.0f)) {
                    u += static_cast<std::size_t>(w);
                    continue;
                }
                long long members = 0;
                for (int j = 0; j < w; ++j) members += in_a[u + static_cast<std::size_t>(j)] != 0;
                u += static_cast<std::size_t>(w);
                n1 += members;
                n0 += w - members;
                s1 += static_cast<double>(members) * yi;
                s0 += static_cast<double>(w - members) * yi;
                if (tabled && yi < static_cast<float>(kMaxClasses)) {
                    const int c = static_cast<int>(yi);
                    table[static_cast<std::size_t>(2 * c)] += w - members;
                    table[static_cast<std::size_t>(2 * c + 1)] += members;
                    top = std::max(top, c);
                }
            }
            if (n0 > 0 && n1 > 0) {
                if (!tabled) {
                    const double nn = static_cast<double>(n0 + n1);
                    const double between = s1 * s1 / static_cast<double>(n1) + s0 * s0 / static_cast<double>(n0) -
                                           (s0 + s1) * (s0 + s1) / nn;
                    gk = std::max(0.0, between / nn);
                } else {
                    gk = criterion.score(table, top + 1).g;
                }
            }
        }
        if (n0 == 0 || n1 == 0) gk = 0.0;
        if (crit.balanced && gk != 0.0) {
            const double n = static_cast<double>(n0 + n1);
            gk *= std::pow((static_cast<double>(n1) / n) * (static_cast<double>(n0) / n), crit.gamma);
        }
        g += gk * crit.yweight[k];
    }
    return g;
}

long long split_size(SplitMode mode, long long fixed, long long w, long long m, std::span<const int> splithist,
                     io::RandomStream& random)
{
    switch (mode) {
    case SplitMode::Fixed: return fixed;
    case SplitMode::Uniform: return static_cast<long long>(random.next() * static_cast<double>(w));
    case SplitMode::Mimic: break;
    }
    if (m <= 0) return split_size(SplitMode::Uniform, fixed, w, m, splithist, random);
    const double u = random.next();
    long long sum = 0;
    const std::size_t bins = std::min<std::size_t>(splithist.size(), 100);
    for (std::size_t j = 1; j <= bins; ++j) {
        sum += splithist[j - 1];
        if (static_cast<double>(sum) / static_cast<double>(m) > u)
            return static_cast<long long>((static_cast<double>(j) - 0.5) * static_cast<double>(w + 1) / 100.0);
    }
    return w;
}

void select_units(std::span<std::uint8_t> in_a, long long s, io::RandomStream& random)
{
    long long left = static_cast<long long>(in_a.size());
    for (auto& unit : in_a) {
        const bool take = random.next() < static_cast<double>(s) / static_cast<double>(left);
        unit = take ? 1 : 0;
        if (take) --s;
        --left;
    }
}

namespace {

std::string header_line(long long m, double g_test)
{
    return " # Partitions on last search=" + io::fmt_i(m, 5) + " G_test=" + io::fmt_g(g_test, 11, 5);
}

struct Accepted {
    bool go = false;
    long long nrand = 0;
    SplitMode mode = SplitMode::Uniform;
    long long fixed = 0;
};

// The dialog, shown again until its entries can be used, or the run ends.
Accepted ask(const RandomInput& in, long long m, long long w, RandomDialog& dialog, std::string& msgline,
             Services& services, io::LogWriter& log)
{
    const std::size_t nsearch = in.searchg.size();
    const bool can_mimic = nsearch > 0 && m > 0;
    RandomDialogView view;
    view.mode = nsearch >= 2 && can_mimic ? SplitMode::Mimic : SplitMode::Uniform;
    const long long both = in.n_a_minus + in.n_a;
    view.percent = both != 0 ? io::fmt_f(100.0 * static_cast<double>(in.n_a) / static_cast<double>(both), 6, 1) : "";
    for (;;) {
        view.header = header_line(m, in.g_test);
        msgline = view.header;
        log.write(view.header);
        const int id = dialog.run(view);
        if (id == random_ids::kDialogMissing) {
            log.write(io::list_record("Error: dialog box 24 not found"));
            return {};
        }
        if (id != random_ids::kOk) return {};
        const auto nrand = io::list_read_int(view.number);
        if (!nrand || *nrand < 0) continue;
        if (view.mode == SplitMode::Mimic && !can_mimic) {
            std::string text = "Note there is no distribution to mimic !$";
            services.msgbox(text, 0, true);
            view.mode = SplitMode::Uniform;
            continue;
        }
        if (view.mode != SplitMode::Mimic && nsearch == 0 && *nrand == 0) return {};
        Accepted a{true, *nrand, view.mode, 0};
        if (view.mode == SplitMode::Fixed) {
            const auto pct = io::list_read_real(view.percent);
            if (!pct || !std::isfinite(*pct)) continue;
            const double size = *pct * 0.01 * static_cast<double>(w);
            if (!(size >= 1.0) || size >= static_cast<double>(w)) continue;
            a.fixed = static_cast<long long>(size);
        }
        return a;
    }
}

void result_line(const std::string& line, int y, std::string& msgline, DistributionPlot& plot, io::LogWriter& log)
{
    msgline = line;
    log.write(line);
    plot.text(0, y, line);
}

} // namespace

RandomResult randy(const RandomInput& in, const CritSettings& crit, std::string& msgline, io::RandomStream& random,
                   RandomDialog& dialog, DistributionPlot& plot, Services& services, io::LogWriter& log)
{
    RandomResult res;
    msgline = "Random Partitions being done:";
    log.write(msgline);
    const std::unique_ptr<const SplitCriterion> criterion = make_criterion(crit);
    if (criterion->random_scoring() == RandomScoring::Refused) {
        msgline = "NOTE: No Subgroup purity random split";
        services.helpshow(msgline);
        return res;
    }
    const long long w = weight_units(in);
    if (in.mask.empty() || w < 2) {
        std::string text = "None or one observation. Random splits are pointless!$";
        services.msgbox(text, 0, true);
        return res;
    }

    const std::size_t nsearch = in.searchg.size();
    long long m = 0;
    if (nsearch > 0) {
        for (int c : in.splithist) m += c;
        std::sort(in.searchg.begin(), in.searchg.end());
    }
    res.m = m;
    random.seed(in.seed);

    const Accepted a = ask(in, m, w, dialog, msgline, services, log);
    if (!a.go) return res;
    res.ran = true;

    std::vector<std::uint8_t> in_a;
    std::vector<double> xtrm;
    const long long nblocks = m > 0 ? a.nrand / m : 0;
    try {
        if (a.nrand > std::numeric_limits<int>::max()) throw std::bad_alloc();
        res.gs.reserve(static_cast<std::size_t>(a.nrand));
        in_a.resize(static_cast<std::size_t>(w));
        xtrm.reserve(static_cast<std::size_t>(nblocks));
    } catch (const std::bad_alloc&) {
        services.msgok(" Unable to allocate GS FR size$ ");
        res.ran = false;
        return res;
    }

    // The progress window is brought back (opening it clears it) before it is told
    // what is going on.
    if (a.nrand > 0) services.thinking("", false);
    msgline = "... generating random partitions";
    services.thinking(msgline, true);
    int nrand = static_cast<int>(a.nrand);
    double block_max = 0.0;
    if (nrand > 0) {
        services.clear_search_end();
        for (int i = 1; i <= nrand; ++i) {
            services.yield();
            if (services.search_end()) {
                nrand = i - 1;
                res.escaped = true;
                log.write(" User escape from Random. # done=" + io::fmt_i(nrand, 7));
                break;
            }
            const long long s = split_size(a.mode, a.fixed, w, m, in.splithist, random);
            select_units(in_a, s, random);
            const double g = random_g(in, in_a, *criterion, crit);
            res.gs.push_back(g);
            if (g >= in.g_test) ++res.exceedances;
            block_max = std::max(block_max, g);
            if (m > 0 && i % m == 0 && static_cast<long long>(xtrm.size()) < nblocks) {
                xtrm.push_back(block_max);
                block_max = 0.0;
            }
            if (i % kProgressEvery == 0)
                services.thinking(io::fmt_i(i, 6) + " random partitions done (use Search:End to quit)", true);
        }
    }
    res.nrand = nrand;

    // Plots.
    std::sort(res.gs.begin(), res.gs.end());
    const std::vector<int> freq(res.gs.size(), 1);
    if (nrand > 0 && res.gs.front() == res.gs.back()) {
        std::string text = "NOTE: all random partitions have same G=" + io::fmt_e(res.gs.front(), 13, 6) + "$";
        if (services.msgbox(text, 1, true) == 2) return res;
    }
    double lower = 0.0, upper = 0.0;
    if (nrand > 0 && nsearch > 0) {
        lower = std::min(in.searchg.front(), res.gs.front());
        upper = std::max(in.searchg.back(), res.gs.back());
    } else if (nrand > 0) {
        lower = res.gs.front();
        upper = res.gs.back();
    } else if (nsearch > 0) {
        lower = in.searchg.front();
        upper = in.searchg.back();
    }
    std::string title = "Search and random distributions";
    if (nsearch == 0) title = "Random partition distribution";
    if (nrand == 0) title = "Search distribution of G";
    const std::vector<int> search_freq(nsearch, 1);

    if (nrand > 0 || nsearch > 0) {
        HistSeries series;
        series.title = title;
        series.axis = files::pad("%G", 20);
        series.marker = in.g_test;
        bool first = true, overlay = false, done = false;
        const auto show = [&](std::span<const double> values, std::span<const int> f, int style, const char* label,
                              bool last) {
            series.values = values;
            series.freq = f;
            series.overlay = overlay;
            series.style = style;
            series.label = label;
            series.lower = lower;
            series.upper = upper;
            series.last = last;
            return plot.yhist(series, first);
        };
        while (!done) {
            if (nrand > 0) {
                upper = std::max(upper, in.g_test);
                done = show(res.gs, freq, 0, "R ", nsearch == 0);
            }
            if (done || nsearch == 0) break;
            if (nrand > 0) overlay = true;
            done = show(in.searchg, search_freq, 255, "G ", true);
        }
    }

    // Results.
    log.write(" " + io::fmt_i(nrand, 5) + " random partitions generated");
    if (nrand == 0) return res;

    long long j = 1;
    while (20 * j <= 19LL * nrand) ++j;
    const auto gs = [&](long long k) { return res.gs[static_cast<std::size_t>(k - 1)]; };
    res.upper5 = j == 1 ? gs(1) : (gs(j) + gs(j - 1)) / 2.0;
    log.write(io::list_record(" Empirical upper 5% point  =", res.upper5));
    log.write(io::list_record(" Largest generated random G=", gs(nrand)));

    services.selfont(2);
    const double pct = 100.0 * static_cast<double>(res.exceedances) / nrand;
    result_line(" # exceedances >= G_test (" + io::fmt_g(in.g_test, 9, 4) + " ) is =" +
                    io::fmt_i(res.exceedances, 7) + "/" + io::fmt_i(nrand, 7) + "=" + io::fmt_f(pct, 8, 4) + "%",
                -400, msgline, plot, log);

    if (m > 10) {
        res.extreme_lines = true;
        if (nrand < 10 * m) log.write(io::list_record("NOTE:# simulations too small"));
        res.gumbel = orders(res.gs, freq, m, in.g_test);
        std::string gumbel = " Gumbel extreme value P, for n=" + io::fmt_i(m, 7) + " extrema is=";
        if (!res.gumbel.found) {
            services.msgok("Exit loop in ORDERS $");
            gumbel += " not available";
        } else {
            if (res.gumbel.alpha_zero) services.msgok("Extreme value approximation invalid. Ignore!$");
            gumbel += io::fmt_f(100.0 * res.gumbel.p, 8, 4) + "%";
        }
        result_line(gumbel, -390, msgline, plot, log);

        res.blocks = static_cast<int>(xtrm.size());
        res.extremes =
            static_cast<int>(std::count_if(xtrm.begin(), xtrm.end(), [&](double x) { return x > in.g_test; }));
        std::string empirical =
            " Empirical extreme value P =" + io::fmt_i(res.extremes, 6) + "/" + io::fmt_i(res.blocks, 6) + "=";
        if (res.blocks > 0) empirical += io::fmt_f(100.0 * res.extremes / res.blocks, 8, 4) + "%";
        else empirical += " not available";
        result_line(empirical, -380, msgline, plot, log);
    }
    return res;
}

} // namespace meru::stats
