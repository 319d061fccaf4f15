#include "files/attributes.h"

#include "core/services.h"
#include "files/charcodes.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "platform/io/random.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numeric>

namespace meru::files {

namespace {

constexpr int kMaxValueErrorsLogged = 10;
const std::string kDashes89 = " " + std::string(89, '-');
const std::string kDashes50 = " " + std::string(50, '-');

std::size_t z(int i) { return static_cast<std::size_t>(i); }

// Where the value of an attribute line comes from.
struct LineSource {
    enum Kind { null_line, obs_number, permutation, column } kind = column;
    const float* col = nullptr; // column: the variable's data
    int perm = -1;              // permutation: its index
};

// Replaces characters 3..20 of an attribute's labels by `text` (runs of blanks
// collapsed). The display labels follow only when they carried no name.
void set_label_value(Attribute& a, const std::string& text)
{
    const std::string body = squeeze(text, '\0');
    for (int c = 0; c < 2; ++c) {
        const bool named = a.attlab[z(c)] != a.savedlab[z(c)];
        std::string lab = pad(a.savedlab[z(c)], kLabelLen).substr(0, 2) + body;
        a.savedlab[z(c)] = pad(lab, kLabelLen);
        if (!named) a.attlab[z(c)] = a.savedlab[z(c)];
    }
}

bool is_whole(float v) { return v == std::floor(v); }

struct WeightedValue {
    float value;
    int weight;
};

// Sorts non-negative values ascending (with their weights): a stable radix sort
// on the bit patterns, which order non-negative floats as their values.
void sort_by_value(std::vector<WeightedValue>& v, std::vector<WeightedValue>& tmp)
{
    tmp.resize(v.size());
    auto key = [](const WeightedValue& x) {
        std::uint32_t k;
        std::memcpy(&k, &x.value, sizeof k);
        return k;
    };
    for (int shift = 0; shift < 32; shift += 8) {
        std::size_t count[257] = {};
        for (const auto& x : v) ++count[((key(x) >> shift) & 0xFF) + 1];
        if (count[1] == v.size() && shift > 0) continue; // this byte is 0 everywhere
        for (int b = 0; b < 256; ++b) count[b + 1] += count[b];
        for (const auto& x : v) tmp[count[(key(x) >> shift) & 0xFF]++] = x;
        v.swap(tmp);
    }
}

// Bit set of state codes: bits 0..35 the codes, bit 36 the missing state "-".
using StateSet = std::uint64_t;
constexpr StateSet kMissingBit = StateSet{1} << 36;

StateSet state_set(std::string_view codes)
{
    StateSet s = 0;
    for (const char c : codes) {
        if (c == '-') s |= kMissingBit;
        else if (const int k = charcode(c); k <= 35) s |= StateSet{1} << k;
    }
    return s;
}

// The state of a value as a bit (0 when it has none: not whole, or above 35).
StateSet state_bit(float v)
{
    if (v < 0) return kMissingBit;
    if (v > 35 || !is_whole(v)) return 0;
    return StateSet{1} << static_cast<int>(v);
}

// How one attribute is evaluated.
struct AttrRule {
    enum Mode { nominal, above, at_most, inside, outside } mode = above;
    float c1 = 0, c2 = 0;
    StateSet yes = 0, no = 0;
    bool no_is_rest = false; // complement written "^...": every other value is false
};

AttrRule make_rule(int k, const AttrLine& line, const Attribute& a)
{
    AttrRule r;
    if (k == 1) {
        // The null attribute is false for every observation.
        r.mode = AttrRule::nominal;
        r.no_is_rest = true;
        return r;
    }
    if (line.type == 'n') {
        // Evaluated on the full code sets; a nominal line without a cut has none,
        // and its attribute excludes every observation.
        r.mode = AttrRule::nominal;
        if (a.codes.empty()) return r;
        r.yes = state_set(a.codes);
        const std::string& comp = a.savedlab[0];
        r.no_is_rest = (!comp.empty() && comp[0] == '^') || (comp.size() > 1 && comp[1] == '^');
        const std::string universe = line.universe.empty() ? std::string(kAllStates) : line.universe;
        r.no = state_set(universe) & ~r.yes;
        return r;
    }
    r.c1 = static_cast<float>(a.cut1);
    r.c2 = static_cast<float>(a.cut2);
    if (!a.range) r.mode = a.direction ? AttrRule::above : AttrRule::at_most;
    else r.mode = a.ordered ? AttrRule::inside : AttrRule::outside;
    return r;
}

std::uint8_t evaluate(const AttrRule& r, float v, bool missing, bool reversed)
{
    if (r.mode == AttrRule::nominal) {
        const StateSet b = state_bit(v);
        if (b & r.yes) return 1;
        if (r.no_is_rest) return 0;
        if (b & r.no) return 0;
        return kExcluded;
    }
    if (missing && !reversed) return kExcluded;
    switch (r.mode) {
    case AttrRule::above: return v > r.c1 ? 1 : 0;
    case AttrRule::at_most: return v <= r.c1 ? 1 : 0;
    case AttrRule::inside: return (r.c1 < v && v <= r.c2) ? 1 : 0;
    case AttrRule::outside: return (r.c2 < v && v <= r.c1) ? 0 : 1;
    default: return kExcluded;
    }
}

class AttributeMaker {
public:
    AttributeMaker(ControlTables& t, DataArrays& d, ReadDataResult& r, ReadDataContext& cx, int ndata)
        : t_(t), d_(d), r_(r), cx_(cx), ndata_(ndata), nobs_(r.nread), nlines_(t.nlines)
    {
        r_.line.assign(z(nlines_) + 1, LineStats{});
        r_.att.assign(z(t.natt) + 1, AttrWeights{});
    }

    void run(bool& novalid)
    {
        permutations();
        sources();
        means();
        percentiles();
        statistics();
        summary(novalid);
        if (novalid) {
            no_data_report(t_, cx_);
            return;
        }
        variable_statistics();
        attribute_frequencies();
    }

private:
    int line_var(int k) const { return t_.line[z(k)].var; }

    // Value of line k for observation i (1-based).
    float value(int k, int i) const
    {
        const LineSource& s = src_[z(k)];
        switch (s.kind) {
        case LineSource::null_line: return 0.0f;
        case LineSource::obs_number: return static_cast<float>(i);
        case LineSource::permutation: return static_cast<float>(r_.perm[z(s.perm)][z(i - 1)]);
        case LineSource::column: return s.col[i - 1];
        }
        return 0.0f;
    }

    bool is_r_line(int k) const { return t_.vars.rvar > 0 && k >= 2 && line_var(k) == t_.vars.rvar; }
    bool is_i_line(int k) const { return t_.vars.ivar > 0 && k >= 2 && line_var(k) == t_.vars.ivar; }

    void permutations()
    {
        int nr = 0;
        for (int k = 2; k <= nlines_; ++k)
            if (is_r_line(k)) ++nr;
        if (nr == 0) return;
        cx_.sv.thinking("... to randomly permute", true);
        if (cx_.seed_from_clock) cx_.rng.seed(-1);
        cx_.log.write("NOTE: non-repeatable permutation index _r_");
        const int m = std::min(kMaxRLines, nr);
        std::vector<std::pair<double, int>> draw(z(nobs_));
        for (int p = 0; p < m; ++p) {
            for (int i = 0; i < nobs_; ++i) draw[z(i)] = {cx_.rng.next(), i + 1};
            std::sort(draw.begin(), draw.end());
            std::vector<int> perm(z(nobs_));
            for (int i = 0; i < nobs_; ++i) perm[z(i)] = draw[z(i)].second;
            r_.perm.push_back(std::move(perm));
        }
    }

    // Decides where each line's values come from; the pseudo-variables' values are
    // also stored in their data columns.
    void sources()
    {
        src_.assign(z(nlines_) + 1, LineSource{});
        int rcount = 0;
        for (int k = 1; k <= nlines_; ++k) {
            LineSource& s = src_[z(k)];
            const int v = line_var(k);
            if (k == 1 || v <= 0) {
                s.kind = LineSource::null_line;
                continue;
            }
            if (is_r_line(k)) {
                s.kind = LineSource::permutation;
                s.perm = std::min(rcount++, static_cast<int>(r_.perm.size()) - 1);
            } else if (is_i_line(k)) {
                s.kind = LineSource::obs_number;
            } else {
                s.kind = LineSource::column;
                s.col = d_.xdata.data() + z(v - 1) * z(d_.n);
                continue;
            }
            if (v <= d_.ncols)
                for (int i = 1; i <= nobs_; ++i) d_.x(i, v) = value(k, i);
        }
    }

    void means()
    {
        bool shown = false;
        for (int k = 2; k <= nlines_; ++k) {
            const AttrLine& line = t_.line[z(k)];
            // A nominal line takes its attributes from code sets, never from a mean.
            if (!line.mean || line.ncuts < 1 || line.type == 'n') continue;
            if (!shown) cx_.sv.thinking("... to establish means", true);
            shown = true;
            cx_.sv.yield();
            double sw = 0, s = 0;
            for (int i = 1; i <= nobs_; ++i) {
                const float v = value(k, i);
                if (v < 0) continue;
                const int w = d_.obswt[z(i - 1)];
                sw += w;
                s += static_cast<double>(w) * v;
            }
            const float mean = static_cast<float>(safediv(s, sw));
            Attribute& a = t_.att[z(line.first_attribute())];
            a.cut1 = mean;
            set_label_value(a, " " + io::list_real(mean));
        }
    }

    void percentiles()
    {
        bool any = false;
        for (int k = 2; k <= nlines_; ++k) any = any || t_.line[z(k)].percentile;
        if (!any) return;
        cx_.log.write("Percentiles of P<x> cuts");
        cx_.sv.thinking("... to establish percentiles", true);
        cx_.log.write(io::fmt_x(10) + "Nominal %-ile   Value   Actual %-ile");
        cx_.log.write(kDashes50);
        std::vector<WeightedValue> pairs, scratch;
        std::vector<float> sv;
        std::vector<int> sw;
        for (int k = 2; k <= nlines_; ++k) {
            const AttrLine& line = t_.line[z(k)];
            if (!line.percentile) continue;
            cx_.log.write(" " + io::fmt_a(line.name, 8));
            cx_.sv.yield();
            // Observations of zero weight carry nothing, not even a boundary value.
            pairs.clear();
            for (int i = 1; i <= nobs_; ++i) {
                const float v = value(k, i);
                const int w = d_.obswt[z(i - 1)];
                if (v < 0 || w <= 0) continue;
                pairs.push_back({v + 0.0f, w}); // -0 sorts as 0
            }
            sort_by_value(pairs, scratch);
            sv.resize(pairs.size());
            sw.resize(pairs.size());
            for (std::size_t i = 0; i < pairs.size(); ++i) {
                sv[i] = pairs[i].value;
                sw[i] = pairs[i].weight;
            }
            if (!sv.empty() && sv.front() == sv.back()) {
                std::string m = "WARNING: no variation for " + io::fmt_a(line.name, 8) + " $";
                cx_.sv.msgbox(m, BoxKind::Ok, false);
            }
            const PercentileWalk walk(sv, sw);
            const int distinct = walk.distinct();
            for (int a = line.first_attribute(); a <= line.attoff; ++a) {
                Attribute& at = t_.att[z(a)];
                const int nper = at.range ? 2 : 1;
                float got[2] = {0, 0};
                for (int e = 0; e < nper; ++e) {
                    const double p = e == 0 ? at.cut1 : at.cut2;
                    if (p < 0 || p > 100)
                        cx_.log.write("NOTE: percentile " + io::fmt_f(p, 6, 2) + " is inadmissible");
                    const Percentile pc = walk.at(p);
                    got[e] = pc.value;
                    cx_.log.write(io::fmt_x(13) + io::fmt_f(p, 6, 1) + io::fmt_x(5) + io::fmt_g(pc.value, 9, 4) +
                                  io::fmt_x(5) + io::fmt_g(pc.actual, 9, 4));
                }
                at.cut1 = got[0];
                if (at.range) at.cut2 = got[1];
                std::string text = io::fmt_g(got[0], 9, 4);
                if (at.range) text += "," + io::fmt_g(got[1], 9, 4);
                set_label_value(at, text);
            }
            if (distinct < 20)
                cx_.log.write("NOTE: only " + io::fmt_i(distinct, 2) +
                              " distinct values. Percentiles not meaningful?");
            const int v = line_var(k);
            if (v >= 1 && z(v) < r_.marks.charflag.size() && r_.marks.charflag[z(v)]) ++r_.discrete_percentile_lines;
        }
        cx_.log.write(kDashes50);
        if (r_.discrete_percentile_lines > 0) cx_.sv.helpshow("NOTE:  percentile cuts of discrete data");
    }

    void value_error(int i, int k, float v, bool above)
    {
        ++r_.errors;
        ++value_errors_;
        if (value_errors_ > kMaxValueErrorsLogged + 1) return;
        if (value_errors_ == kMaxValueErrorsLogged + 1) {
            cx_.log.write("ERROR: More errors occurred. ");
            return;
        }
        const AttrLine& line = t_.line[z(k)];
        const std::string type(1, line.type);
        if (above)
            cx_.log.write("ERROR: record " + io::fmt_i(i, 6) + " for " + io::fmt_a(line.name, 8) + ", type " + type +
                          " is >35. Value=" + io::fmt_f(v, 8, 2));
        else
            cx_.log.write("ERROR: record " + io::fmt_i(i, 6) + " of " + io::fmt_a(line.name, 8) + " type " + type +
                          " is non-integer. Value=" + io::fmt_f(v, 8, 2));
    }

    // Values of line k for observations i0 .. i0 + cnt - 1.
    void fill_values(int k, int i0, int cnt, float* out) const
    {
        const LineSource& src = src_[z(k)];
        if (src.kind == LineSource::column) {
            std::copy(src.col + (i0 - 1), src.col + (i0 - 1 + cnt), out);
            return;
        }
        for (int j = 0; j < cnt; ++j) out[j] = value(k, i0 + j);
    }

    // Weighted sums, range, whole-value frequencies and the small-integer mark.
    void accumulate(int k, const float* v, const int* wt, int cnt)
    {
        LineStats& s = r_.line[z(k)];
        const int var = t_.line[z(k)].var;
        bool small = var >= 1 && z(var) < r_.marks.smallint.size() && r_.marks.smallint[z(var)];
        long long count = 0, missing = 0;
        double sum = 0;
        for (int j = 0; j < cnt; ++j) {
            const int w = wt[j];
            const float x = v[j];
            if (x < 0) {
                missing += w;
                continue;
            }
            count += w;
            sum += static_cast<double>(w) * x;
            const bool whole = is_whole(x);
            if (w > 0) {
                if (!s.any || x < s.min) s.min = x;
                if (!s.any || x > s.max) s.max = x;
                s.any = true;
                if (x > 9 || !whole) small = false;
            }
            if (x <= 35 && whole) s.freq[z(static_cast<int>(x))] += w;
        }
        s.count += count;
        s.missing += missing;
        s.sum += sum;
        if (var >= 1 && z(var) < r_.marks.smallint.size() && !small) r_.marks.smallint[z(var)] = 0;
    }

    static void evaluate_block(const AttrRule& rule, bool reversed, const float* v, const int* wt, int cnt,
                               std::uint8_t* out, std::size_t stride, AttrWeights& aw)
    {
        long long by[3] = {0, 0, 0}; // weights of bytes 0, 1 and 255
        for (int j = 0; j < cnt; ++j) {
            const std::uint8_t b = evaluate(rule, v[j], v[j] < 0, reversed);
            out[z(j) * stride] = b;
            by[b == kExcluded ? 2 : b] += wt[j];
        }
        aw.negative += by[0];
        aw.positive += by[1];
        aw.excluded += by[2];
    }

    void statistics()
    {
        cx_.sv.thinking("... to calculate statistics & attributes", true);
        std::vector<AttrRule> rules(z(t_.natt) + 1);
        for (int k = 1; k <= nlines_; ++k) {
            const AttrLine& line = t_.line[z(k)];
            for (int a = line.first_attribute(); a <= line.attoff; ++a)
                if (a >= 1 && a <= t_.natt) rules[z(a)] = make_rule(k, line, t_.att[z(a)]);
        }
        std::vector<char> value_check(z(nlines_) + 1, 0);
        for (int k = 2; k <= nlines_; ++k) value_check[z(k)] = t_.line[z(k)].type != 'i' ? 1 : 0;
        bool any_check = false;
        for (int k = 2; k <= nlines_; ++k) any_check = any_check || value_check[z(k)];
        const int report = nobs_ / 20;
        int pct = 0;
        // Observations are taken in blocks, line by line within a block, so that the
        // data are read along their columns while the block's attribute bytes stay
        // in cache; each observation's bytes are still written side by side.
        constexpr int kBlock = 1024;
        std::vector<float> vals(kBlock);
        for (int i0 = 1; i0 <= nobs_; i0 += kBlock) {
            const int i1 = std::min(nobs_, i0 + kBlock - 1);
            const int cnt = i1 - i0 + 1;
            while (report > 5 && pct < 100 && (pct / 5 + 1) * report <= i1) {
                pct += 5;
                cx_.msgline = "...." + io::fmt_i(pct, 3) + "%  statistics done";
                cx_.sv.thinking(cx_.msgline, true);
                cx_.sv.yield();
            }
            if (any_check) {
                // Value errors are reported in observation order.
                for (int i = i0; i <= i1; ++i)
                    for (int k = 2; k <= nlines_; ++k) {
                        if (!value_check[z(k)]) continue;
                        const float v = value(k, i);
                        if (v < 0) continue;
                        if (!is_whole(v)) value_error(i, k, v, false);
                        else if (v > 35) value_error(i, k, v, true);
                    }
            }
            const int* wt = d_.obswt.data() + (i0 - 1);
            std::uint8_t* rows = d_.abyte.data() + z(i0 - 1) * z(d_.lc);
            for (int k = 1; k <= nlines_; ++k) {
                const AttrLine& line = t_.line[z(k)];
                fill_values(k, i0, cnt, vals.data());
                accumulate(k, vals.data(), wt, cnt);
                for (int a = line.first_attribute(); a <= line.attoff; ++a)
                    evaluate_block(rules[z(a)], line.reversed, vals.data(), wt, cnt, rows + (a - 1), z(d_.lc),
                                   r_.att[z(a)]);
            }
        }
        // Second pass: squared deviations from each line's mean.
        for (int k = 1; k <= nlines_; ++k) {
            LineStats& s = r_.line[z(k)];
            if (s.count <= 0) continue;
            if (k % 16 == 0) cx_.sv.yield();
            const double mean = static_cast<float>(s.sum / static_cast<double>(s.count));
            double ss = 0;
            for (int i = 1; i <= nobs_; ++i) {
                const float v = value(k, i);
                if (v < 0) continue;
                const double dv = v - mean;
                ss += d_.obswt[z(i - 1)] * dv * dv;
            }
            s.ss = ss;
        }
        int empty = 0;
        for (int k = 1; k <= nlines_; ++k) {
            if (r_.line[z(k)].count != 0) continue;
            ++empty;
            cx_.log.write("NOTE: No data on " + io::fmt_a(t_.line[z(k)].name, 8) + " All missing!");
        }
        if (empty > 0) cx_.sv.helpshow("NOTE: All missing");
        if (empty > 0 && empty == nlines_) cx_.sv.helpshow("NOTE: No data at all");
        cx_.sv.thinking(".... 100% statistics done", true);
    }

    void summary(bool& novalid)
    {
        cx_.msgline = " n=" + io::fmt_i(r_.nobsin, 7) + " on " + io::fmt_i(ndata_, 4) + " vars" + " read from " +
                      io::fmt_i(r_.nread, 6) + " records of " + io::fmt_a(t_.format.datapath, 28);
        cx_.log.write(cx_.msgline);
        if (r_.nobsin == 0) {
            cx_.sv.helpshow("NOTE: No data");
            novalid = true;
            return;
        }
        std::string second = "No missing values.";
        if (r_.missing_total > 0 || r_.incomplete > 0) {
            const double cells = static_cast<double>(r_.nobsin) * std::max(1, ndata_);
            second = "# missing values=" + io::fmt_i(r_.missing_total, 8) + "(" +
                     io::fmt_f(100.0 * static_cast<double>(r_.missing_total) / cells, 5, 1) + "%)" +
                     " # incomplete records=" + io::fmt_i(r_.incomplete, 6) + "(" +
                     io::fmt_f(100.0 * r_.incomplete / std::max(1, r_.nread), 5, 1) + "%).";
            cx_.log.write(second);
            r_.missing = true;
        }
        std::string allmiss;
        if (r_.allmissing == 1) {
            allmiss = "NOTE: one record  with all missing variables is ignored";
            cx_.log.write(allmiss);
            cx_.log.write(" Missed record is # " + io::fmt_i(r_.last_missed, 7));
        } else if (r_.allmissing > 1) {
            allmiss = "NOTE: " + io::fmt_i(r_.allmissing, 6) + " records have all variables missing." +
                      " They are ignored!";
            cx_.log.write(allmiss);
        }
        long long created = 0;
        for (int k = 2; k <= nlines_; ++k) created += t_.line[z(k)].ncuts;
        const std::string third = " " + io::fmt_i(created, 4) + " attributes created ";
        cx_.log.write(third);
        cx_.sv.note(cx_.msgline + second + third + "$", NoteKind::Cut49, false);
        if (!allmiss.empty()) {
            cx_.msgline = allmiss;
            std::string m = allmiss;
            cx_.sv.msgbox(m, BoxKind::Ok, true);
        }
        if (r_.errors > 0) {
            std::string m = "NOTE: there are data or control file errors. View output log $";
            cx_.sv.msgbox(m, BoxKind::Ok, false);
        }
    }

    bool is_interval(int k) const
    {
        const char ty = t_.line[z(k)].type;
        return ty == 'i' || ty == 'o';
    }

    void variable_statistics()
    {
        cx_.log.write("Statistics of variables used in defining attributes");
        bool interval = false, nominal = false;
        for (int k = 2; k <= nlines_; ++k) (is_interval(k) ? interval : nominal) = true;
        int charlines = 0;
        if (interval) {
            cx_.log.write(" Variables declared, or assumed, interval (i):");
            cx_.log.write(" Variable    #Missing      n   Mean   Standard Dev   Min      Max");
            cx_.log.write(kDashes89);
            for (int k = 2; k <= nlines_; ++k) {
                if (!is_interval(k) || line_var(k) == line_var(k - 1)) continue;
                const AttrLine& line = t_.line[z(k)];
                const LineStats& s = r_.line[z(k)];
                std::string row = " " + io::fmt_a(line.name, 8) + io::fmt_x(3) + io::fmt_i(s.missing, 7) +
                                  io::fmt_x(2) + io::fmt_i(s.count, 7) + io::fmt_x(2);
                if (s.count > 0) {
                    const double mean = s.sum / static_cast<double>(s.count);
                    const double var = s.ss / static_cast<double>(s.count);
                    const double sd = var > 0 ? std::sqrt(var) : 0.0;
                    for (double x : {mean, sd, static_cast<double>(s.min), static_cast<double>(s.max)})
                        row += io::fmt_g(static_cast<float>(x), 9, 4) + io::fmt_x(2);
                }
                cx_.log.write(row);
                if (s.count > 0 && s.min == s.max) {
                    cx_.log.write("NOTE: no variation for: " + io::fmt_a(line.name, 8));
                    ++r_.novariation;
                }
                const int v = line.var;
                if (v >= 1 && z(v) < r_.marks.charflag.size() && r_.marks.charflag[z(v)]) {
                    ++charlines;
                    cx_.msgline = "NOTE: " + io::fmt_a(line.name, 8) +
                                  " has character values: is used to create interval attributes$";
                }
            }
            if (charlines > 0)
                cx_.msgline =
                    "NOTE: " + io::fmt_i(charlines, 4) + "  character variables used to create interval attributes$";
            cx_.log.write(kDashes89);
        }
        if (nominal) {
            cx_.log.write(" Variables declared nominal(n) or binary(b):");
            cx_.log.write(" Variable    #Missing   n         Value (Frequency)");
            for (int k = 1; k <= nlines_; ++k) {
                if (is_interval(k)) continue;
                nominal_rows(k);
            }
            cx_.log.write(kDashes89);
        }
        if (r_.novariation > 0) {
            if (r_.novariation == 1)
                cx_.msgline = "NOTE: there is " + io::fmt_i(r_.novariation, 5) + " variable with no variation $";
            else cx_.msgline = "NOTE: there are " + io::fmt_i(r_.novariation, 5) + " variables with no variation $";
            cx_.sv.note(cx_.msgline, NoteKind::Cut79, false);
        }
    }

    void nominal_rows(int k)
    {
        const AttrLine& line = t_.line[z(k)];
        for (int a = line.first_attribute(); a <= line.attoff; ++a) {
            const AttrWeights& aw = r_.att[z(a)];
            if (aw.positive + aw.negative == 0) cx_.sv.helpshow("NOTE: no observations");
        }
        if (k > 1 && line_var(k) == line_var(k - 1)) return;
        const LineStats& s = r_.line[z(k)];
        std::string head = " " + io::fmt_a(line.name, 8) + io::fmt_x(2) + io::fmt_i(s.missing, 7) + io::fmt_x(2) +
                           io::fmt_i(s.count, 7);
        if (s.count == 0) {
            cx_.log.write(head);
            return;
        }
        std::vector<int> codes;
        long long fmax = 0;
        for (int c = 0; c < kStates; ++c)
            if (s.freq[z(c)] != 0) {
                codes.push_back(c);
                fmax = std::max(fmax, s.freq[z(c)]);
            }
        if (codes.size() == 1 && k != 1) {
            cx_.log.write("NOTE: no variation for: " + io::fmt_a(line.name, 8));
            ++r_.novariation;
        }
        auto pair = [&](int c) {
            const long long f = s.freq[z(c)];
            const std::string ch(1, codechar(c));
            if (fmax < 10000) return ch + "( " + io::fmt_i(f, 4) + ") ";
            if (fmax < 100000) return ch + "(" + io::fmt_i(f, 5) + ") ";
            return ch + "(" + io::fmt_i(f, 7) + ") ";
        };
        std::string row = head + io::fmt_x(2);
        const int indent = fmax < 100000 ? 29 : 30;
        for (std::size_t p = 0; p < codes.size(); ++p) {
            if (p > 0 && p % 5 == 0) {
                cx_.log.write(row);
                row = io::fmt_x(indent);
            }
            row += pair(codes[p]);
        }
        cx_.log.write(row);
    }

    void attribute_frequencies()
    {
        for (auto& a : t_.att) a.signbyte = 1;
        cx_.sv.actlog("%Attribute frequencies:");
        cx_.log.write(io::fmt_a("Attributes", 10));
        cx_.log.write(" Code# Positive attributes" + io::fmt_x(12) + "n" + io::fmt_x(2) + "Negative attributes " +
                      io::fmt_x(11) + "n" + io::fmt_x(8) + "Excluded");
        cx_.log.write(kDashes89);
        for (int k = 1; k <= nlines_; ++k) {
            AttrLine& line = t_.line[z(k)];
            line.banned = false;
            const int code = (k % 2 == 1) ? 1 : 2;
            for (int a = line.first_attribute(); a <= line.attoff; ++a) {
                const Attribute& at = t_.att[z(a)];
                const AttrWeights& aw = r_.att[z(a)];
                cx_.log.write(io::fmt_i(code, 1) + io::fmt_i(a, 4) + io::fmt_x(2) +
                              io::fmt_a(squeeze(at.attname + at.attlab[1]), 25) + io::fmt_i(aw.positive, 7) +
                              io::fmt_x(2) + io::fmt_a(squeeze(at.attname + at.attlab[0]), 25) +
                              io::fmt_i(aw.negative, 7) + io::fmt_x(2) + io::fmt_x(8) + io::fmt_i(aw.excluded, 7));
                if (k == 1) continue;
                if (aw.positive == 0 || aw.negative == 0) {
                    cx_.log.write("NOTE: Attribute is redundant.");
                    if (line.ncuts == 1) line.banned = true;
                } else if (aw.excluded * 10 > aw.positive + aw.negative) {
                    cx_.log.write("NOTE: Attribute has >10% excluded values.  By default banned in searches");
                    line.banned = true;
                }
            }
        }
        cx_.log.write(kDashes89);
    }

    ControlTables& t_;
    DataArrays& d_;
    ReadDataResult& r_;
    ReadDataContext& cx_;
    int ndata_;
    int nobs_;
    int nlines_;
    std::vector<LineSource> src_;
    int value_errors_ = 0;
};

} // namespace

PercentileWalk::PercentileWalk(std::span<const float> sorted, std::span<const int> weights)
    : n_(std::min(sorted.size(), weights.size()))
{
    if (n_ == 0) return;
    smallest_ = sorted[0];
    largest_ = sorted[n_ - 1];
    double total = 0;
    for (std::size_t i = 0; i < n_; ++i) total += weights[i];
    if (!(total > 0)) return;
    double f = 0;
    for (std::size_t i = 0; i + 1 < n_; ++i) {
        f += weights[i] / total;
        if (sorted[i] < sorted[i + 1]) {
            cum_.push_back(f);
            value_.push_back(sorted[i]);
        }
    }
}

Percentile PercentileWalk::at(double p) const
{
    if (n_ == 0) return {};
    const double t = p / 100.0;
    if (t > 0.9999) return {largest_, 100.0f};
    if (t <= 0) return {smallest_, 0.0f};
    // The first boundary whose proportion reaches t; the one before it lies below t.
    const auto it = std::lower_bound(cum_.begin(), cum_.end(), t);
    if (it == cum_.end()) return {largest_, cum_.empty() ? 0.0f : static_cast<float>(100.0 * cum_.back())};
    const std::size_t b = static_cast<std::size_t>(it - cum_.begin());
    const double fb = b == 0 ? 0.0 : cum_[b - 1];
    const float vb = b == 0 ? smallest_ : value_[b - 1];
    return {static_cast<float>(interp(fb, vb, cum_[b], value_[b], t)), static_cast<float>(100.0 * fb)};
}

Percentile weighted_percentile(std::span<const float> sorted, std::span<const int> weights, double p)
{
    return PercentileWalk(sorted, weights).at(p);
}

void no_data_report(ControlTables& t, ReadDataContext& cx)
{
    cx.log.write(" There is no data read in to analyse. Can only Process:Create added attributes");
    cx.log.write("  for Boolean algebra manipulation");
    cx.sv.helpshow("NOTE: Boolean algebra");
    for (auto& a : t.att) a.signbyte = 1;
}

void make_attributes(ControlTables& t, DataArrays& d, ReadDataResult& r, ReadDataContext& cx, int ndata,
                     bool& novalid)
{
    AttributeMaker(t, d, r, cx, ndata).run(novalid);
}

} // namespace meru::files
