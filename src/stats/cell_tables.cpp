#include "stats/cell_tables.h"

#include "files/textutil.h"
#include "partition/combinatorics.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "stats/diagram_window.h"

#include <cstdint>

namespace meru::stats {

namespace {

std::string identifier(std::span<const std::string> ids, int obs)
{
    if (ids.empty() || static_cast<std::size_t>(obs) >= ids.size()) return io::fmt_i(obs + 1, 8);
    return io::fmt_a(ids[static_cast<std::size_t>(obs)], 8);
}

// The identifiers, nine to a line.
std::vector<std::string> id_lines(const std::vector<int>& obs, std::span<const std::string> ids)
{
    std::vector<std::string> lines;
    std::string line;
    int on_line = 0;
    for (int o : obs) {
        line += ' ';
        line += identifier(ids, o);
        if (++on_line == 9) {
            lines.push_back(std::move(line));
            line.clear();
            on_line = 0;
        }
    }
    if (on_line > 0) lines.push_back(std::move(line));
    return lines;
}

// The cell's value as listed: "-" or F11.4 framed by blanks.
std::string cell_value(const CellStat& c, const CellTabOptions& opt)
{
    const std::string none = io::fmt_x(7) + "-" + io::fmt_x(7);
    if (!opt.ychosen || c.sum < 0.0) return none;
    const std::int64_t with_y = c.weight - c.missing;
    double value = 0.0;
    if (opt.incidence) {
        if (c.sum == 0.0) return none;
        value = static_cast<double>(with_y - c.censored) / c.sum;
    } else {
        if (with_y <= 0) return none;
        value = c.sum / static_cast<double>(with_y);
    }
    return io::fmt_x(2) + io::fmt_f(value, 11, 4) + io::fmt_x(2);
}

void cell_table(const SubStat& st, const CellTabOptions& opt, io::LogWriter& log)
{
    const std::string label = files::alabel(st.sense == partition::kPlain);
    log.write(" #s in non-empty disjoint cells of " + label + " are:");
    log.write(std::string(" Cell id.") + "# in cell " + (opt.incidence ? "Incidence" : "Mean   Y ") + "Binary comb.");
    std::string numbers = io::fmt_x(38);
    for (int j = 1; j <= st.q; ++j) numbers += io::fmt_i(j, 2);
    log.write(numbers);
    for (std::size_t c = 0; c < st.cells.size(); ++c) {
        const CellStat& cell = st.cells[c];
        if (cell.weight <= 0) continue;
        std::string line(1, ' ');
        line += io::fmt_i(static_cast<long long>(c), 6) + io::fmt_x(10) + io::fmt_i(cell.weight, 6) +
                cell_value(cell, opt);
        for (int j = 0; j < st.q; ++j) line += io::fmt_i(static_cast<int>((c >> j) & 1u), 2);
        log.write(line);
    }
}

// Observations of the pair list with the terms each satisfies (q <= 10).
struct Holder {
    int obs;
    unsigned terms;
};

std::vector<Holder> holders(const SubStat& st)
{
    std::vector<Holder> out;
    for (const TermPair& p : st.pairs) {
        if (out.empty() || out.back().obs != p.obs) out.push_back({p.obs, 0u});
        out.back().terms |= 1u << (p.term - 1);
    }
    return out;
}

void intersections(const SubStat& st, std::span<const int> weights, std::span<const std::string> ids,
                   io::LogWriter& log)
{
    const std::string label = files::alabel(st.sense == partition::kPlain);
    log.write(" Non-empty subgroup intersections in " + label);
    const std::vector<Holder> hold = holders(st);
    std::vector<int> combo(static_cast<std::size_t>(st.q));
    for (int k = 2; k <= st.q; ++k) {
        log.write(std::string(1, ' ') + io::fmt_i(k, 3) + "-group intersections:");
        const partition::Count count = partition::binom(st.q, k).value_or(0);
        bool any = false;
        for (partition::Count r = 1; r <= count; ++r) {
            partition::unrank(st.q, k, r, combo);
            unsigned want = 0;
            for (int m = 0; m < k; ++m) want |= 1u << (combo[static_cast<std::size_t>(m)] - 1);
            long long weight = 0;
            std::vector<int> obs;
            for (const Holder& h : hold) {
                if ((h.terms & want) != want) continue;
                weight += weights[static_cast<std::size_t>(h.obs)];
                obs.push_back(h.obs);
            }
            if (obs.empty()) continue;
            any = true;
            std::string line = " #(";
            for (int m = 0; m < k; ++m) {
                if (m > 0) line += ',';
                line += io::fmt_i(combo[static_cast<std::size_t>(m)], 2);
            }
            log.write(line + ") =" + io::fmt_i(weight, 6));
            for (const std::string& l : id_lines(obs, ids)) log.write(l);
        }
        if (!any) log.write(" All are empty!");
    }
}

} // namespace

void celltab(const SubStat& st, const partition::TermList& list, std::span<const int> weights,
             std::span<const std::string> ids, const files::ControlTables& tables, const CellTabOptions& opt,
             DiagramWindow* window, Notices& told, io::LogWriter& log)
{
    const std::string label = files::alabel(st.sense == partition::kPlain);
    if (st.q > kMaxCellTerms) {
        told.add_help("NOTE: q>10");
    } else {
        if (!opt.print) log.write("Cell counts:");
        if (opt.listing && st.has_cells()) cell_table(st, opt, log);
        if (opt.listing && window != nullptr) window->srdwin(list, st, tables, st.sense == partition::kPlain);
    }
    if (opt.print) {
        for (int j = 1; j <= st.q; ++j) {
            std::vector<int> obs;
            for (const TermPair& p : st.pairs)
                if (p.term == j) obs.push_back(p.obs);
            told.line(log, std::string(opt.have_id ? "_id_ #s" : "Line #s") + " of subgroup " + io::fmt_i(j, 3) +
                               " in " + label);
            for (std::string& l : id_lines(obs, ids)) told.line(log, std::move(l));
        }
    }
    if (opt.print && st.q >= 2 && st.q <= kMaxCellTerms) intersections(st, weights, ids, log);
}

QuartabResult YDATA(const SubStat& st, int n, QuartabInput in, std::vector<int>& marks, io::LogWriter& log)
{
    marks.assign(static_cast<std::size_t>(n < 0 ? 0 : n), 0);
    for (const TermPair& p : st.pairs)
        if (p.obs >= 0 && p.obs < n) marks[static_cast<std::size_t>(p.obs)] = -1;
    const std::string header = std::string("in A") + sign_char(st.sense);
    std::vector<char> mask(marks.size());
    for (std::size_t i = 0; i < marks.size(); ++i) mask[i] = static_cast<char>(marks[i] != 0);
    in.mask = mask;
    in.header = header;
    return quartab(in, log);
}

} // namespace meru::stats
