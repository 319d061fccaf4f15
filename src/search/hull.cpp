#include "search/hull.h"

#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>
#include <cmath>

namespace meru::search {

int Hull::position_of(int entry) const
{
    if (entry <= 0) return -1;
    for (size_t h = 1; h < points.size(); ++h)
        if (points[h].entry == entry) return static_cast<int>(h);
    return -1;
}

Hull complexity_hull(std::span<const StoredPartition> entries)
{
    Hull hull;
    hull.points.push_back({});
    if (entries.empty()) return hull;
    // A tie margin from |G| keeps it a margin when G can be negative.
    const double eps = 0.001 * std::fabs(static_cast<double>(entries[0].value));
    const int n = static_cast<int>(entries.size());
    int f = 0; // entries before and at f are behind the current point
    while (f < n) {
        const HullPoint& here = hull.points.back();
        double best = 0;
        int found = 0;
        for (int j = f + 1; j <= n; ++j) {
            const StoredPartition& e = entries[static_cast<size_t>(j - 1)];
            const double dc = e.complexity - here.c;
            if (dc <= 0) continue;
            const double slope = (static_cast<double>(e.value) - here.g) / dc;
            if (slope - best > eps) {
                best = slope;
                found = j;
            }
        }
        if (found == 0) break;
        const StoredPartition& e = entries[static_cast<size_t>(found - 1)];
        hull.points.push_back({static_cast<double>(e.complexity), static_cast<double>(e.value), found});
        f = found;
    }
    return hull;
}

double automatic_beta(const Hull& hull)
{
    if (!hull.exists()) return 0;
    const HullPoint& a = hull.points[0];
    const HullPoint& b = hull.points[1];
    if (b.c <= 0) return 0;
    return std::max(0.0, 0.05 * (b.g - a.g) / (b.c - a.c));
}

int hull_choice(const Hull& hull, double beta)
{
    int chosen = 0;
    double best = 0;
    for (size_t h = 1; h < hull.points.size(); ++h) {
        const double gbeta = hull.points[h].g - beta * hull.points[h].c;
        if (gbeta > best) {
            best = gbeta;
            chosen = static_cast<int>(h);
        }
    }
    return chosen;
}

PenalisedTable penalised_table(std::span<const StoredPartition> entries, std::span<const std::int64_t> cplxhist,
                               double beta)
{
    const auto bucket = [&](int c) {
        const int x = std::clamp(c, 0, 100);
        return static_cast<size_t>(x) < cplxhist.size() ? cplxhist[static_cast<size_t>(x)] : 0;
    };
    PenalisedTable table;
    double gref = 0;
    for (const StoredPartition& e : entries)
        if (bucket(e.complexity) > 0) {
            table.cref = e.complexity;
            gref = e.value;
            break;
        }
    double best = kEmptyValue;
    for (size_t j = 0; j < entries.size(); ++j) {
        const StoredPartition& e = entries[j];
        PenalisedRow row;
        row.c = std::clamp(e.complexity, 0, 100);
        row.generated = bucket(e.complexity);
        row.g = e.value;
        row.gbeta = static_cast<double>(e.value) - beta * row.c;
        if (row.c != table.cref && gref != 0)
            row.increase = (static_cast<double>(e.value) - gref) * 100.0 / ((row.c - table.cref) * gref);
        if (row.gbeta > best) {
            best = row.gbeta;
            table.optimum = static_cast<int>(j) + 1;
        }
        table.rows.push_back(row);
    }
    return table;
}

void write_penalised_table(const PenalisedTable& table, io::LogWriter& log)
{
    log.write(" Complexities generated ");
    log.write(" c  # Gen.  Current max G  % increase/unit c from c=" + io::fmt_i(table.cref, 2) + "        G_beta");
    for (const PenalisedRow& r : table.rows)
        log.write(io::fmt_i(r.c, 2) + io::fmt_x(2) +
                  io::side_by_side({io::fmt_i(r.generated, 6), io::fmt_f(r.g, 15, 6), io::fmt_f(r.increase, 28, 2),
                                    io::fmt_f(r.gbeta, 16, 6)}));
}

std::string automatic_beta_line(double beta)
{
    return " Penalty parameter beta automatically set to " + io::list_real(static_cast<float>(beta));
}

std::string best_at_complexity_line(int complexity, double gbeta)
{
    return " Best at complexity " + io::fmt_i(complexity, 3) + "; G_beta=" + io::list_real(static_cast<float>(gbeta));
}

} // namespace meru::search
