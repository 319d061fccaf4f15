#include "ui/random_run.h"

#include "core/services.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/listread.h"
#include "platform/io/logwriter.h"
#include "platform/io/os.h"
#include "platform/io/random.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace meru::ui {

namespace {

constexpr int kProgressEvery = 100;
// Memory a run holds per random partition: its G, its frequency for the plot and
// the plot's own copies of both.
constexpr long long kBytesPerPartition = 64;

// The most partitions a run may draw: those whose memory fits in a quarter of the
// machine's (a 10^9 request must not grow the program until the system fails).
long long partition_limit(const stats::RandomInput& in)
{
    if (in.max_nrand > 0) return in.max_nrand;
    const long long bytes = io::physical_memory_bytes().value_or(1LL << 32);
    return std::min<long long>(std::numeric_limits<int>::max(), bytes / 4 / kBytesPerPartition);
}

std::string header_line(long long m, double g_test)
{
    return " # Partitions on last search=" + io::fmt_i(m, 5) + " G_test=" + io::fmt_g(g_test, 11, 5);
}

struct Accepted {
    bool go = false;
    stats::RandomRequest request;
};

// The dialog, shown again until its entries can be used, or the run ends.
Accepted ask(const stats::RandomInput& in, long long m, long long w, RandomDialog& dialog, std::string& msgline,
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
        if (const long long most = partition_limit(in); *nrand > most) {
            std::string text = "NOTE: at most " + std::to_string(most) + " random partitions fit in memory$";
            services.msgbox(text, BoxKind::Ok, true);
            continue;
        }
        if (view.mode == SplitMode::Mimic && !can_mimic) {
            std::string text = "Note there is no distribution to mimic !$";
            services.msgbox(text, BoxKind::Ok, true);
            view.mode = SplitMode::Uniform;
            continue;
        }
        if (view.mode != SplitMode::Mimic && nsearch == 0 && *nrand == 0) return {};
        Accepted a{true, {*nrand, view.mode, 0}};
        if (view.mode == SplitMode::Fixed) {
            const auto pct = io::list_read_real(view.percent);
            if (!pct || !std::isfinite(*pct)) continue;
            const double size = *pct * 0.01 * static_cast<double>(w);
            if (!(size >= 1.0) || size >= static_cast<double>(w)) continue;
            a.request.fixed = static_cast<long long>(size);
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

// Draws the random and the search distributions until the user leaves the plot.
void show_distributions(const stats::RandomInput& in, const stats::RandomResult& res, DistributionPlot& plot)
{
    const int nrand = res.nrand;
    const std::size_t nsearch = in.searchg.size();
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
    if (nrand == 0 && nsearch == 0) return;

    const std::vector<long long> freq(res.gs.size(), 1);
    const std::vector<long long> search_freq(nsearch, 1);
    HistSeries series;
    series.title = title;
    series.axis = files::pad("%G", 20);
    series.marker = in.g_test;
    bool first = true, overlay = false, done = false;
    const auto show = [&](std::span<const double> values, std::span<const long long> f, int style, const char* label,
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

} // namespace

stats::RandomResult process_random(const stats::RandomInput& given, const stats::CritSettings& crit,
                                   std::string& msgline, io::RandomStream& random, RandomDialog& dialog,
                                   DistributionPlot& plot, Services& services, io::LogWriter& log)
{
    // A search score that is not a finite number (a mean square beyond single
    // precision) can be neither ordered nor plotted; the run leaves it out.
    stats::RandomInput in = given;
    const auto finite_end =
        std::partition(in.searchg.begin(), in.searchg.end(), [](double g) { return std::isfinite(g); });
    in.searchg = in.searchg.first(static_cast<std::size_t>(finite_end - in.searchg.begin()));
    stats::RandomResult res;
    msgline = "Random Partitions being done:";
    log.write(msgline);
    const std::unique_ptr<const stats::SplitCriterion> criterion = stats::make_criterion(crit);
    if (criterion->random_scoring() == stats::RandomScoring::Refused) {
        msgline = "NOTE: No Subgroup purity random split";
        services.helpshow(msgline);
        return res;
    }
    const long long w = stats::weight_units(in);
    if (in.mask.empty() || w < 2) {
        std::string text = "None or one observation. Random splits are pointless!$";
        services.msgbox(text, BoxKind::Ok, true);
        return res;
    }

    // The partition in hand is scored as the random ones are, so that one with the
    // same split counts as reaching it.
    if (!in.member.empty()) in.g_test = stats::tested_g(in, *criterion, crit);
    const long long m = stats::search_partitions(in);
    if (!in.searchg.empty()) std::sort(in.searchg.begin(), in.searchg.end());
    res.m = m;
    random.seed(in.seed);

    const Accepted a = ask(in, m, w, dialog, msgline, services, log);
    if (!a.go) return res;

    // The progress window is brought back (opening it clears it) before it is told
    // what is going on.
    const long long nrand = a.request.nrand;
    const auto progress = [&](int i) {
        if (i == 0) {
            if (nrand > 0) services.thinking("", false);
            msgline = "... generating random partitions";
            services.thinking(msgline, true);
            if (nrand > 0) services.clear_search_end();
        } else if (i % kProgressEvery == 0) {
            services.thinking(io::fmt_i(i, 6) + " random partitions done (use Search:End to quit)", true);
        }
        if (i >= nrand) return true;
        services.yield();
        return !services.search_end();
    };
    res = stats::randy(in, *criterion, crit, a.request, random, progress);
    if (!res.allocated) {
        services.msgok(" Unable to allocate GS FR size$ ");
        return res;
    }
    res.ran = true;
    if (res.escaped) log.write(" User escape from Random. # done=" + io::fmt_i(res.nrand, 7));

    if (res.nrand > 0 && res.gs.front() == res.gs.back()) {
        std::string text = "NOTE: all random partitions have same G=" + io::fmt_e(res.gs.front(), 13, 6) + "$";
        if (services.msgbox(text, BoxKind::OkCancel, true) == 2) return res;
    }
    show_distributions(in, res, plot);

    // Results.
    log.write(" " + io::fmt_i(res.nrand, 5) + " random partitions generated");
    if (res.nrand == 0) return res;
    log.write(io::list_record(" Empirical upper 5% point  =", res.upper5));
    log.write(io::list_record(" Largest generated random G=", res.gs.back()));

    services.selfont(2);
    const double pct = 100.0 * static_cast<double>(res.exceedances) / res.nrand;
    result_line(" # exceedances >= G_test (" + io::fmt_g(in.g_test, 9, 4) + " ) is =" +
                    io::fmt_i(res.exceedances, 7) + "/" + io::fmt_i(res.nrand, 7) + "=" + io::fmt_f(pct, 8, 4) + "%",
                -400, msgline, plot, log);

    if (m > 10) {
        res.extreme_lines = true;
        if (res.nrand < 10 * m) log.write(io::list_record("NOTE:# simulations too small"));
        std::string gumbel = " Gumbel extreme value P, for n=" + io::fmt_i(m, 7) + " extrema is=";
        if (!res.gumbel.found) {
            services.msgok("Exit loop in ORDERS $");
            gumbel += " not available";
        } else {
            if (res.gumbel.alpha_zero) services.msgok("Extreme value approximation invalid. Ignore!$");
            gumbel += io::fmt_f(100.0 * res.gumbel.p, 8, 4) + "%";
        }
        result_line(gumbel, -390, msgline, plot, log);

        std::string empirical =
            " Empirical extreme value P =" + io::fmt_i(res.extremes, 6) + "/" + io::fmt_i(res.blocks, 6) + "=";
        if (res.blocks > 0) empirical += io::fmt_f(100.0 * res.extremes / res.blocks, 8, 4) + "%";
        else empirical += " not available";
        result_line(empirical, -380, msgline, plot, log);
    }
    return res;
}

} // namespace meru::ui
