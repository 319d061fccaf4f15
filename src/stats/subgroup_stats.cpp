#include "stats/subgroup_stats.h"

#include "files/tables.h"
#include "files/textutil.h"
#include "partition/labels.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "stats/sample_filter.h"

#include <cmath>
#include <new>
#include <string>

namespace meru::stats {

namespace {

const std::string& dashes()
{
    static const std::string d = " " + std::string(79, '-');
    return d;
}

bool y_missing(float y) { return !(y >= 0.0f); }

// The first `q` terms of `list`.
partition::TermList first_terms(const partition::TermList& list, int q)
{
    partition::TermList out;
    int lits = 0;
    for (int t = 0; t < q; ++t) lits += list.lp[static_cast<std::size_t>(t)];
    out.lp.assign(list.lp.begin(), list.lp.begin() + q);
    out.lits.assign(list.lits.begin(), list.lits.begin() + lits);
    return out;
}

// Truth of each term for one observation: 1 true, 0 false or undetermined;
// returns whether some term is undetermined (missing, none of its literals
// failing).
bool term_truth(const CompiledList& list, const std::uint8_t* row, std::vector<char>& truth)
{
    const CompiledList::Lit* lit = list.lits().data();
    std::size_t t = 0;
    bool undetermined = false;
    for (int len : list.lp()) {
        const CompiledList::Lit* end = lit + len;
        bool fail = false, missing = false;
        for (const CompiledList::Lit* p = lit; p != end && !fail; ++p) {
            const std::uint8_t b = row[p->index];
            if (b == kMissingByte) missing = true;
            else if (b == p->fail) fail = true;
        }
        truth[t++] = static_cast<char>(!fail && !missing);
        undetermined = undetermined || (missing && !fail);
        lit = end;
    }
    return undetermined;
}

// Label text of one literal: the attribute's variable name (8 characters) and the
// label that describes the literal in a list of this sense.
std::string literal_text(partition::Literal lit, int sense, const files::ControlTables& t)
{
    const int a = partition::attribute_of(lit);
    if (a < 1 || static_cast<std::size_t>(a) >= t.att.size()) return io::fmt_a("", 28);
    const files::Attribute& att = t.att[static_cast<std::size_t>(a)];
    const int col = partition::litval(lit, sense, t);
    return io::fmt_a(att.attname, 8) + io::fmt_a(att.attlab[static_cast<std::size_t>(col - 1)], 20);
}

// The definition of a term, three literals a line, squeezed and cut to 43 characters.
std::vector<std::string> definition(std::span<const partition::Literal> term, int sense,
                                    const files::ControlTables& t)
{
    std::vector<std::string> lines;
    for (std::size_t k = 0; k < term.size(); k += 3) {
        std::string raw;
        for (std::size_t m = k; m < term.size() && m < k + 3; ++m) raw += literal_text(term[m], sense, t);
        std::string s = files::squeeze(raw);
        if (s.size() > 43) s.resize(43);
        lines.push_back(std::move(s));
    }
    if (lines.empty()) lines.emplace_back();
    return lines;
}

void finish_part(PartStat& p)
{
    if (p.n < 1) {
        p.mean = p.sd = p.ss = 0.0;
        return;
    }
    p.mean = p.s / static_cast<double>(p.n);
    p.ss = p.q - p.mean * p.s;
    p.sd = (p.n >= 2 && p.ss > 0.0) ? std::sqrt(p.ss / static_cast<double>(p.n)) : 0.0;
}

void print_table(const SubStat& st, const partition::TermList& list, const files::ControlTables& tables,
                 std::string_view yname, Notices& told, io::LogWriter& log)
{
    const char sign = sign_char(st.sense);
    told.line(log, std::string("Subgroups for  A") + sign + ": N is # in subgroup," + " U is # unique to subgroup");
    told.line(log, io::fmt_x(9) + "N" + io::fmt_x(4) + "mean " + io::fmt_x(7) + "SD" + io::fmt_x(11) + "U" +
                       io::fmt_x(5) + "Sub-group definition");
    told.line(log, dashes());
    int j = 0;
    for (std::span<const partition::Literal> term : list.terms()) {
        if (j >= st.q) break;
        const PartStat& p = st.part[static_cast<std::size_t>(j)];
        const std::vector<std::string> def = definition(term, st.sense, tables);
        std::string row(1, ' ');
        row += io::fmt_i(j + 1, 2) + sign + io::fmt_i(p.n, 7) + " " +
               io::side_by_side({io::fmt_g(p.mean, 11, 4), io::fmt_g(p.sd, 11, 4), io::fmt_i(p.unique, 7)}) + " " +
               def[0];
        told.line(log, row);
        for (std::size_t k = 1; k < def.size(); ++k) told.line(log, io::fmt_x(42) + def[k]);
        ++j;
    }
    const PartStat& w = st.whole();
    told.line(log, std::string("  A") + sign + io::fmt_i(w.n, 7) + " " + io::fmt_g(w.mean, 11, 4) +
                       io::fmt_g(w.sd, 11, 4));
    if (w.missing > 0) {
        std::string text = "missing " + std::string(yname);
        if (text.size() > 20) text.resize(20);
        told.line(log, io::fmt_x(3) + io::fmt_i(w.missing, 6) + io::fmt_x(3) + text);
    }
    told.line(log, dashes());
}

// The stretches of observations partstats() tallies apart.
constexpr std::size_t kTallyStretch = std::size_t{1} << 16;

// What a stretch of observations adds to the parts and cells, and its pairs;
// incomplete when its pair list could not grow (it holds the pairs before).
struct Tally {
    std::vector<PartStat> part;
    std::vector<CellStat> cells;
    std::vector<TermPair> pairs;
    bool complete = true;
};

void add_observation(PartStat& p, int w, float y, bool censored)
{
    if (y_missing(y)) {
        p.missing += w;
        return;
    }
    p.n += w;
    p.s += static_cast<double>(w) * y;
    p.q += static_cast<double>(w) * y * y;
    if (censored) p.censored += w;
}

void tally(const SampleView& data, const CompiledList& compiled, const SampleFilter& filter, std::size_t from,
           std::size_t to, Tally& t)
{
    const int q = static_cast<int>(compiled.lp().size());
    std::vector<char> truth(static_cast<std::size_t>(q));
    for (std::size_t k = from; k < to; ++k) {
        const int w = data.weights[k];
        const SampleObservation obs = filter.at(k);
        if (!obs.counted) continue;
        const bool censored = obs.censored;
        const int i = static_cast<int>(k);
        const bool undetermined = term_truth(compiled, data.abyte.row(i), truth);
        const float y = data.y[k];
        int ntrue = 0, last = 0;
        std::size_t cell = 0;
        for (int j = 0; j < q; ++j) {
            if (!truth[static_cast<std::size_t>(j)]) continue;
            try {
                t.pairs.push_back({j + 1, i});
            } catch (const std::bad_alloc&) {
                t.complete = false;
                return;
            }
            add_observation(t.part[static_cast<std::size_t>(j)], w, y, censored);
            if (j < 63) cell |= std::size_t{1} << j;
            ++ntrue;
            last = j;
        }
        if (ntrue == 1 && !y_missing(y)) t.part[static_cast<std::size_t>(last)].unique += w;
        // An observation the list leaves undetermined (no term holds, one is
        // missing) is in neither A nor A-, so in no cell.
        if (!t.cells.empty() && (ntrue > 0 || !undetermined)) {
            CellStat& c = t.cells[cell];
            c.weight += w;
            if (y_missing(y)) {
                c.missing += w;
            } else {
                if (censored) c.censored += w;
                c.sum = (c.sum < 0.0 ? 0.0 : c.sum) + static_cast<double>(w) * y;
                c.sumsq += static_cast<double>(w) * y * y;
            }
        }
        if (ntrue > 0) add_observation(t.part[static_cast<std::size_t>(q)], w, y, censored);
    }
}

void add_part(PartStat& to, const PartStat& p)
{
    to.n += p.n;
    to.missing += p.missing;
    to.censored += p.censored;
    to.unique += p.unique;
    to.s += p.s;
    to.q += p.q;
}

void add_cell(CellStat& to, const CellStat& c)
{
    to.weight += c.weight;
    to.missing += c.missing;
    to.censored += c.censored;
    if (c.sum >= 0.0) to.sum = (to.sum < 0.0 ? 0.0 : to.sum) + c.sum;
    to.sumsq += c.sumsq;
}

} // namespace

char sign_char(int sense) { return sense == partition::kPlain ? ' ' : '-'; }

SubStat partstats(const SampleView& data, const partition::TermList& list_in, int sense,
                  std::span<const std::int8_t> signbyte, const files::ControlTables& tables,
                  const PartStatsOptions& opt, Notices& told, io::LogWriter& log)
{
    data.check();
    SubStat st;
    st.sense = sense;
    // Only a local copy is truncated: the caller's partition stays as it is.
    const bool too_many = list_in.q() + 1 > kMaxParts;
    const partition::TermList list = too_many ? first_terms(list_in, kMaxParts - 1) : list_in;
    if (too_many) {
        told.add_help("ERROR: q+1>MAXP");
        told.line(log, "ERROR fix. Truncate q value to " + io::list_int(kMaxParts - 1));
    }
    CompiledList compiled;
    compiled.compile(list, sense, signbyte, data.abyte.lc);
    const int q = list.q();
    st.q = q;
    st.part.assign(static_cast<std::size_t>(q) + 1, PartStat{});
    const bool cells = opt.cells && q <= kMaxCellTerms;
    if (cells) st.cells.assign(std::size_t{1} << q, CellStat{});

    const SampleFilter filter(data.abyte, data.mask, data.weights, opt.censoring, opt.skip ? &compiled : nullptr);
    // Stretches of observations each tallied apart (on the workers), then
    // added up in order: the same sums whatever the number of threads.
    const auto n = static_cast<std::size_t>(std::max(data.abyte.n, 0));
    std::vector<Tally> tallies((n + kTallyStretch - 1) / kTallyStretch);
    for_stretches(opt.parallel, n, kTallyStretch, [&](std::size_t k, std::size_t from, std::size_t to) {
        Tally t; // filled apart from its neighbours' cache lines
        t.part.assign(static_cast<std::size_t>(q) + 1, PartStat{});
        if (cells) t.cells.assign(std::size_t{1} << q, CellStat{});
        tally(data, compiled, filter, from, to, t);
        tallies[k] = std::move(t);
    });
    try {
        std::size_t pairs = 0;
        for (const Tally& t : tallies) pairs += t.pairs.size();
        st.pairs.reserve(pairs);
    } catch (const std::bad_alloc&) {
        st.complete = false;
    }
    for (std::size_t k = 0; k < tallies.size() && st.complete; ++k) {
        const Tally& t = tallies[k];
        for (std::size_t j = 0; j < t.part.size(); ++j) add_part(st.part[j], t.part[j]);
        for (std::size_t c = 0; c < t.cells.size(); ++c) add_cell(st.cells[c], t.cells[c]);
        st.pairs.insert(st.pairs.end(), t.pairs.begin(), t.pairs.end());
        st.complete = t.complete;
    }
    if (!st.complete) told.add_help("ERROR: array allowance insufficient");

    if (!opt.ychosen) return st;
    double ss = 0.0;
    std::int64_t nsum = 0;
    for (int j = 0; j <= q; ++j) {
        PartStat& p = st.part[static_cast<std::size_t>(j)];
        finish_part(p);
        if (j < q && p.n >= 1) {
            ss += p.ss;
            nsum += p.n;
        }
    }
    st.pooled_var = files::safediv(ss, static_cast<double>(nsum));
    st.whole_var = files::safediv(st.whole().ss, static_cast<double>(st.whole().n));
    if (opt.print) print_table(st, list, tables, opt.yname, told, log);
    return st;
}

void incrate(const SubStat& st, std::string_view cases, io::LogWriter& log)
{
    const char sign = sign_char(st.sense);
    log.write(std::string(" Incidence rates in subgroups of A") + sign +
              ". Cases are: " + std::string(cases.substr(0, 28)));
    log.write(" No." + io::fmt_x(7) + "#cases" + io::fmt_x(5) + "Person time" + io::fmt_x(8) + "Incidence (95% CI)");
    log.write(dashes());
    for (int j = 0; j <= st.q; ++j) {
        const PartStat& p = st.part[static_cast<std::size_t>(j)];
        const std::int64_t events = p.n - p.censored;
        const double t = p.s;
        double rate = 0.0, lo = 0.0, hi = 0.0;
        if (t > 0.0) {
            rate = static_cast<double>(events) / t;
            if (rate > 0.0) {
                const double h = 1.96 * std::sqrt(rate / t);
                lo = rate - h;
                hi = rate + h;
            }
        }
        const std::string label = j < st.q ? io::fmt_i(j + 1, 2) : std::string(" A");
        if (j == st.q) log.write(dashes());
        log.write(" " + label + sign + io::fmt_x(6) + io::fmt_i(events, 7) + io::fmt_x(6) + io::fmt_f(t, 11, 1) +
                  io::fmt_x(8) + io::fmt_g(rate, 11, 4) + "(" + io::fmt_g(lo, 11, 4) + "," + io::fmt_g(hi, 11, 4) +
                  ")");
    }
    log.write(dashes());
}

} // namespace meru::stats
