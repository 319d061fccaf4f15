#include "stats/diagram_fit_report.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "stats/special_functions.h"
#include "stats/stat2x2.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace meru::stats {

namespace {

bool contains(int cell, int j) { return (cell >> (j - 1)) & 1; }

std::string percent(double value, bool wide) { return wide ? io::fmt_f(value, 5, 1) : io::fmt_f(value, 4, 1); }

} // namespace

DiagramFit kappas(DiagramState& st, int n, std::span<const int> display, std::string_view start, bool print,
                  io::LogWriter& log)
{
    DiagramFit fit;
    if (n < 1 || n > kMaxDiagramGroups) return fit;
    const int cells = 1 << n;
    const int first = std::clamp(st.first_cell, 0, 1);
    const auto digit = [&](int j) {
        return j - 1 < static_cast<int>(display.size()) ? display[static_cast<std::size_t>(j - 1)] : j;
    };
    std::string digits;
    for (int j = 1; j <= n; ++j) digits += static_cast<char>('0' + std::clamp(digit(j), 0, 9));
    const bool plain = st.count_power == 1.0;

    if (print) {
        if (plain) log.write(io::fmt_x(10) + "f_i       a_i       e_i%" + " (f_i-a_i)^2/a_i" + io::fmt_x(7) + digits);
        else
            log.write(io::fmt_x(10) + "f_i^" + io::fmt_f(st.count_power, 4, 2) + "  a_i       e_i%" +
                      " (f_i^-a_i)^2/a_i " + io::fmt_x(5) + digits);
        log.write(" " + std::string(64, '-'));
    }

    st.group_count.fill(0.0);
    st.group_area.fill(0.0);
    double f_total = 0.0, a_total = 0.0;
    for (int i = first; i < cells; ++i) {
        f_total += st.count[static_cast<std::size_t>(i)];
        a_total += st.area[static_cast<std::size_t>(i)];
    }
    st.total_count = f_total;
    st.total_area = a_total;
    const double threshold = 0.0001 * a_total;

    double e_sum = 0.0, intersection = 0.0, union_count = 0.0;
    for (auto& p : st.pattern) p.clear();
    for (int i = first; i < cells; ++i) {
        const double f = st.count[static_cast<std::size_t>(i)];
        const double a = st.area[static_cast<std::size_t>(i)];
        const double e = std::fabs(f_total) <= 1e-20 ? 0.0 : (a - f) / f_total;
        e_sum += std::fabs(e);
        fit.e_max = std::max(fit.e_max, std::fabs(e));

        std::string pattern(6, ' ');
        for (int j = 1; j <= n; ++j) {
            if (contains(i, j)) {
                pattern[static_cast<std::size_t>(j - 1)] = digits[static_cast<std::size_t>(j - 1)];
                st.group_count[static_cast<std::size_t>(j - 1)] += f;
                st.group_area[static_cast<std::size_t>(j - 1)] += a;
            } else {
                pattern[static_cast<std::size_t>(j - 1)] = '*';
            }
        }
        st.pattern[static_cast<std::size_t>(i)] = pattern;
        if (f == 0.0 && a == 0.0) continue;

        std::string label(11, ' ');
        if (a > 0.0) {
            const double term = (f - a) * (f - a) / a;
            label = io::fmt_f(term, 11, 1);
            fit.chisq += term;
            ++fit.k;
            if (f == 0.0) {
                label[0] = 'X';
                ++fit.surplus;
            }
        } else if (f > 0.0) {
            label = "Absent cell";
            ++fit.absent;
        }
        if (i == cells - 1) intersection = f;
        if (i != 0) union_count += f;
        if (f > 0.0) ++fit.nonempty;
        if (print)
            log.write(io::side_by_side({io::fmt_x(3), io::fmt_f(f, 10, 1), io::fmt_f(a, 12, 3)}) + io::fmt_x(2) +
                      io::fmt_f(100.0 * std::fabs(e), 8, 3) + io::fmt_x(2) + io::fmt_a(label, 11) + io::fmt_x(7) +
                      pattern);
    }
    st.error = e_sum;
    st.mismatched = fit.absent + fit.surplus;
    if (print) {
        log.write(" " + std::string(60, '-'));
        log.write(io::side_by_side({io::fmt_x(3), io::fmt_f(f_total, 10, 1), io::fmt_f(a_total, 12, 3)}) +
                  io::fmt_x(2) + io::fmt_f(100.0 * e_sum, 8, 3));
    }

    fit.fit_p = fit.chisq > 0.0 && fit.k >= 1 ? gammq(fit.k / 2.0, fit.chisq / 2.0) : 1.0;
    fit.q_index = files::safediv(intersection, union_count);
    if (print) log.write(" Q index=#Intersection/#Union=" + io::fmt_f(fit.q_index, 7, 3));

    if (print) {
        if (plain) log.write(" Subgroup        Sum f_i         Area  Overlap");
        else log.write(" Subgroup        Sum f_i^" + io::fmt_f(st.count_power, 4, 2) + "   Area Overlap");
        log.write(" " + std::string(50, '-'));
    }
    double t = 0.0, d = 0.0, weighted = 0.0, w = 0.0;
    for (int j = 1; j <= n; ++j) {
        const double s = st.group_count[static_cast<std::size_t>(j - 1)];
        const double a = st.group_area[static_cast<std::size_t>(j - 1)];
        const double alone = st.count[static_cast<std::size_t>(1 << (j - 1))];
        const double overlap = s > 0.0 ? 1.0 - alone / s : 0.0;
        fit.overlap.push_back(overlap);
        t += s;
        d += std::fabs(s - a);
        if (s > 0.0) {
            weighted += overlap * s;
            w += s;
        }
        if (print)
            log.write(io::fmt_x(3) + io::fmt_i(digit(j), 2) + io::fmt_x(7) + io::fmt_f(s, 10, 1) + io::fmt_x(4) +
                      io::fmt_f(a, 10, 3) + io::fmt_x(4) + io::fmt_f(overlap, 7, 3));
    }
    fit.mean_overlap = files::safediv(weighted, w);
    fit.group_error = std::fabs(t) <= 1e-20 ? 0.0 : 100.0 * d / t;
    st.status.clear();
    if (print) {
        log.write(" " + std::string(50, '-'));
        log.write(io::fmt_x(12) + io::fmt_f(t, 10, 1) + io::fmt_x(3) + "Wght Average:" + io::fmt_x(2) +
                  io::fmt_f(fit.mean_overlap, 7, 3));
    }
    if (fit.group_error > threshold && !st.suppress_size_message) {
        st.status = " Group rectangle sizes are in error =" + io::fmt_f(fit.group_error, 5, 1) +
                    "% Press \"Nudge\" to correct";
        if (print) log.write(" " + io::fmt_a(st.status, 80));
    }

    if (n > 1) {
        const bool wide = st.error >= 0.1;
        st.status = "E=" + percent(100.0 * st.error, wide) + "% E_max=" + percent(100.0 * fit.e_max, wide) +
                    "% Start=" + io::fmt_a(start, 12) + " Fit P=" + io::fmt_f(std::max(fit.fit_p, 1e-5), 6, 4);
        if (print) log.write(io::list_record("Kappa agreement scores of pairwise subgroups:"));
        for (int j = 1; j < n; ++j)
            for (int l = j + 1; l <= n; ++l) {
                double t11 = 0, t12 = 0, t21 = 0, t22 = 0;
                for (int i = first; i < cells; ++i) {
                    const double f = st.count[static_cast<std::size_t>(i)];
                    double& cell = contains(i, j) ? (contains(i, l) ? t11 : t21) : (contains(i, l) ? t12 : t22);
                    cell = std::trunc(cell + f);
                }
                const double kappa = kappa2x2(t11, t12, t21, t22);
                fit.kappas.push_back({j, l, kappa});
                if (print)
                    log.write(io::fmt_x(10) + io::fmt_i(digit(j), 1) + io::fmt_x(2) + io::fmt_i(digit(l), 2) +
                              io::fmt_x(3) + io::fmt_f(kappa, 7, 3));
            }
    }
    return fit;
}

} // namespace meru::stats
