#include "stats/quartab.h"

#include "files/charcodes.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "stats/sort2.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace meru::stats {

namespace {

std::string value_text(float v, bool encoded)
{
    if (!encoded) return io::fmt_g(v, 11, 5);
    return std::string(1, files::codechar(static_cast<int>(v))) + "(" + io::fmt_i(static_cast<int>(v), 2) + ")";
}

} // namespace

QuartabResult quartab(const QuartabInput& in, io::LogWriter& log)
{
    QuartabResult out;
    const bool censoring = !in.censored.empty();
    std::vector<float> vals;
    std::vector<int> wts;
    double s = 0, q = 0;
    bool any = false;
    for (std::size_t i = 0; i < in.y.size() && i < in.weights.size(); ++i) {
        if (!in.mask.empty() && (i >= in.mask.size() || !in.mask[i])) continue;
        const float y = in.y[i];
        int w = in.weights[i];
        if (in.censor_flag && censoring && i < in.censored.size() && in.censored[i]) w = -w;
        vals.push_back(y);
        wts.push_back(w);
        if (y >= 0) {
            const double aw = std::abs(in.weights[i]);
            out.total += aw;
            s += aw * y;
            q += aw * static_cast<double>(y) * y;
            if (!any || y < out.min) out.min = y;
            if (!any || y > out.max) out.max = y;
            any = true;
        }
    }
    sort2(std::span<float>(vals), std::span<int>(wts));
    // Runs of equal values become one entry, or two with censor_flag when the run
    // holds censored weight (uncensored weight first).
    std::vector<QuartabEntry> entries;
    for (std::size_t i = 0; i < vals.size();) {
        const float v = vals[i] < 0 ? -1.0f : vals[i]; // every missing value in one entry
        long long plus = 0, minus = 0;
        bool any_plus = false;
        std::size_t j = i;
        for (; j < vals.size(); ++j) {
            const float vj = vals[j] < 0 ? -1.0f : vals[j];
            if (std::fabs(vj - v) > 1.0e-20f) break;
            if (wts[j] < 0) minus += wts[j];
            else {
                plus += wts[j];
                any_plus = true;
            }
        }
        i = j;
        if (v < 0) {
            entries.push_back({v, plus - minus});
            continue;
        }
        if (!in.censor_flag) {
            entries.push_back({v, plus + minus});
            continue;
        }
        if (any_plus || minus == 0) entries.push_back({v, plus});
        if (minus != 0) entries.push_back({v, minus});
    }
    out.distinct = static_cast<int>(entries.size());
    for (const auto& e : entries) out.abs_total += std::llabs(e.weight);
    out.entries = entries;
    const bool detailed = entries.size() < 100;
    if (out.total < 1) {
        if (in.print) log.write("  No observations!");
        return out;
    }
    out.mean = s / out.total;
    const double ss = q - s * out.mean;
    out.sd = ss < 0 ? 0.0 : std::sqrt(ss / out.total);
    const std::string dashes = " " + std::string(60, '-');
    const std::string name(in.yname.substr(0, 20));
    if (in.print) {
        log.write(in.header);
        if (detailed) {
            log.write(" Frequency distribution: " + name);
            if (in.encoded) log.write(io::fmt_x(6) + io::fmt_a(name, 14) + " (encoded)" + " n" + "      %  Cum %");
            else log.write(io::fmt_x(12) + io::fmt_a(name, 20) + " n" + "      %  Cum %");
            log.write(dashes);
        }
    }
    QuartileWalk walk;
    long long count = 0;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const QuartabEntry& e = entries[k];
        const int number = static_cast<int>(k) + 1;
        if (e.value < 0) {
            if (in.print && detailed)
                log.write(io::fmt_x(5) + io::fmt_i(number, 4) + io::fmt_x(3) + "missing  " + io::fmt_x(7) +
                          io::fmt_i(std::llabs(e.weight), 7));
            continue;
        }
        const long long aw = std::llabs(e.weight);
        count += aw;
        const double p = 100.0 * static_cast<double>(count) / out.total;
        walk.step(e.value, static_cast<float>(p));
        if (in.print && detailed) {
            log.write(io::fmt_x(5) + io::fmt_i(number, 4) + io::fmt_x(2) + value_text(e.value, in.encoded) +
                      io::fmt_x(6) + io::fmt_i(aw, 7) + io::fmt_f(100.0 * aw / out.total, 6, 1) + "%" +
                      io::fmt_f(p, 6, 1) + "%");
            if (e.weight < 0)
                log.write(io::fmt_x(11) + value_text(e.value, in.encoded) + " has " + io::fmt_i(aw, 6) +
                          " censored observations");
        }
    }
    out.q.q25 = walk.q[0];
    out.q.q50 = walk.q[1];
    out.q.q75 = walk.q[2];
    const float h = 1.5f * (out.q.q75 - out.q.q25);
    out.q.upper_fence = std::min(out.q.q75 + h, out.max);
    out.q.lower_fence = std::max(out.q.q25 - h, out.min);
    if (in.print) {
        if (detailed) {
            log.write(dashes);
            log.write(io::fmt_x(28) + io::fmt_i(count, 7) + io::fmt_f(100.0, 6, 1) + "%");
        }
        log.write(" Variable " + name + " Sample mean =" + io::fmt_g(out.mean, 11, 5) +
                  " Std Dev=" + io::fmt_g(out.sd, 11, 5) + " n= " + io::fmt_g(out.total, 11, 5));
        log.write(io::side_by_side({" Min, Max =", io::fmt_g(out.min, 11, 5), io::fmt_g(out.max, 11, 5)}));
        if (!censoring)
            log.write(io::side_by_side({"25%, 50%, 75% iles", io::fmt_g(out.q.q25, 11, 5),
                                        io::fmt_g(out.q.q50, 11, 5), io::fmt_g(out.q.q75, 11, 5)}));
    }
    return out;
}

} // namespace meru::stats
