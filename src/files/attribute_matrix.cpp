#include "files/attribute_matrix.h"

#include "files/charcodes.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/random.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

namespace meru::files {

namespace {

std::size_t z(int i) { return static_cast<std::size_t>(i); }

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

void evaluate_block(const AttrRule& rule, bool reversed, const float* v, const int* wt, int cnt, std::uint8_t* out,
                    std::size_t stride, AttrWeights& aw)
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

} // namespace

AttributeBuilder::AttributeBuilder(ControlTables& t, DataArrays& d, ReadDataResult& r)
    : t_(t), d_(d), r_(r), nobs_(r.nread), nlines_(t.nlines)
{
    r_.line.assign(z(nlines_) + 1, LineStats{});
    r_.att.assign(z(t.natt) + 1, AttrWeights{});
}

int AttributeBuilder::line_var(int k) const { return t_.line[z(k)].var; }

// Value of line k for observation i (1-based).
float AttributeBuilder::value(int k, int i) const
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

bool AttributeBuilder::is_r_line(int k) const { return t_.vars.rvar > 0 && k >= 2 && line_var(k) == t_.vars.rvar; }
bool AttributeBuilder::is_i_line(int k) const { return t_.vars.ivar > 0 && k >= 2 && line_var(k) == t_.vars.ivar; }

int AttributeBuilder::permutation_lines() const
{
    int nr = 0;
    for (int k = 2; k <= nlines_; ++k)
        if (is_r_line(k)) ++nr;
    return nr;
}

void AttributeBuilder::permute(io::RandomStream& rng)
{
    const int m = std::min(kMaxRLines, permutation_lines());
    std::vector<std::pair<double, int>> draw(z(nobs_));
    for (int p = 0; p < m; ++p) {
        for (int i = 0; i < nobs_; ++i) draw[z(i)] = {rng.next(), i + 1};
        std::sort(draw.begin(), draw.end());
        std::vector<int> perm(z(nobs_));
        for (int i = 0; i < nobs_; ++i) perm[z(i)] = draw[z(i)].second;
        r_.perm.push_back(std::move(perm));
    }
}

void AttributeBuilder::sources()
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

bool AttributeBuilder::has_mean_lines() const
{
    for (int k = 2; k <= nlines_; ++k) {
        const AttrLine& line = t_.line[z(k)];
        if (line.mean && line.ncuts >= 1 && line.type != 'n') return true;
    }
    return false;
}

void AttributeBuilder::means(const std::function<void()>& tick)
{
    for (int k = 2; k <= nlines_; ++k) {
        const AttrLine& line = t_.line[z(k)];
        // A nominal line takes its attributes from code sets, never from a mean.
        if (!line.mean || line.ncuts < 1 || line.type == 'n') continue;
        tick();
        double sw = 0, s = 0;
        for (int i = 1; i <= nobs_; ++i) {
            const float v = value(k, i);
            if (v < 0) continue;
            const int w = d_.obswt[z(i - 1)];
            sw += w;
            s += static_cast<double>(w) * v;
        }
        const double exact = safediv(s, sw);
        // Values are compared with the cut in single precision. The float nearest
        // the mean serves unless it lies above the mean and a value equals it: that
        // value is above the mean but not above the cut. The float just below the
        // nearest one then splits the values as the mean does.
        float mean = static_cast<float>(exact);
        if (mean > exact)
            for (int i = 1; i <= nobs_; ++i)
                if (value(k, i) == mean) {
                    mean = std::nextafter(mean, -std::numeric_limits<float>::infinity());
                    break;
                }
        Attribute& a = t_.att[z(line.first_attribute())];
        a.cut1 = mean;
        set_label_value(a, " " + io::list_real(mean));
    }
}

std::vector<int> AttributeBuilder::percentile_lines() const
{
    std::vector<int> out;
    for (int k = 2; k <= nlines_; ++k)
        if (t_.line[z(k)].percentile) out.push_back(k);
    return out;
}

LinePercentiles AttributeBuilder::percentiles(int k)
{
    const AttrLine& line = t_.line[z(k)];
    // Observations of zero weight carry nothing, not even a boundary value.
    pairs_.clear();
    for (int i = 1; i <= nobs_; ++i) {
        const float v = value(k, i);
        const int w = d_.obswt[z(i - 1)];
        if (v < 0 || w <= 0) continue;
        pairs_.push_back({v + 0.0f, w}); // -0 sorts as 0
    }
    std::vector<double> asked;
    for (int a = line.first_attribute(); a <= line.attoff; ++a) {
        const Attribute& at = t_.att[z(a)];
        asked.push_back(at.cut1);
        if (at.range) asked.push_back(at.cut2);
    }
    LinePercentiles lp = line_percentiles(pairs_, scratch_, asked);
    std::size_t c = 0;
    for (int a = line.first_attribute(); a <= line.attoff; ++a) {
        Attribute& at = t_.att[z(a)];
        const double asked_lo = asked[c];
        const float lo = lp.cuts[c++].got.value;
        const double asked_hi = at.range ? asked[c] : 100.0;
        const float hi = at.range ? lp.cuts[c++].got.value : 0.0f;
        at.cut1 = lo;
        if (at.range) at.cut2 = hi;
        std::string text = io::fmt_g(lo, 9, 4);
        if (at.range) text += "," + io::fmt_g(hi, 9, 4);
        set_label_value(at, text);
        // A range is open at its lower end; one that starts at the 0th percentile
        // (the minimum) is closed there, so the classes of a cv line hold every value.
        if (at.range) {
            // Ordered ranges hold (cut1, cut2], the others are true outside (cut2, cut1].
            if ((at.ordered ? asked_lo : asked_hi) == 0.0) {
                double& lower = at.ordered ? at.cut1 : at.cut2;
                lower = std::nextafter(static_cast<float>(lower), -std::numeric_limits<float>::infinity());
            }
        }
    }
    const int v = line_var(k);
    if (v >= 1 && z(v) < r_.marks.charflag.size() && r_.marks.charflag[z(v)]) ++r_.discrete_percentile_lines;
    return lp;
}

// Values of line k for observations i0 .. i0 + cnt - 1.
void AttributeBuilder::fill_values(int k, int i0, int cnt, float* out) const
{
    const LineSource& src = src_[z(k)];
    if (src.kind == LineSource::column) {
        std::copy(src.col + (i0 - 1), src.col + (i0 - 1 + cnt), out);
        return;
    }
    for (int j = 0; j < cnt; ++j) out[j] = value(k, i0 + j);
}

// Weighted sums, range, whole-value frequencies and the small-integer mark.
void AttributeBuilder::accumulate(int k, const float* v, const int* wt, int cnt)
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

std::vector<ValueError> AttributeBuilder::statistics(const std::function<void(int pct)>& progress,
                                                     const std::function<void()>& tick)
{
    std::vector<ValueError> errors;
    const auto value_error = [&](int i, int k, float v, bool above) {
        ++r_.errors;
        if (static_cast<int>(errors.size()) <= kMaxValueErrorsLogged) errors.push_back({i, k, v, above});
    };
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
            progress(pct);
        }
        if (any_check) {
            // Value errors are listed in observation order.
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
        if (k % 16 == 0) tick();
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
    return errors;
}

std::vector<AttrNote> AttributeBuilder::ban()
{
    for (auto& a : t_.att) a.signbyte = 1;
    std::vector<AttrNote> notes(z(t_.natt) + 1, AttrNote::none);
    for (int k = 1; k <= nlines_; ++k) {
        AttrLine& line = t_.line[z(k)];
        line.banned = false;
        if (k == 1) continue;
        for (int a = line.first_attribute(); a <= line.attoff; ++a) {
            const AttrWeights& aw = r_.att[z(a)];
            AttrNote note = AttrNote::none;
            if (aw.positive == 0 || aw.negative == 0) {
                note = AttrNote::redundant;
                if (line.ncuts == 1) line.banned = true;
            } else if (aw.excluded * 10 > aw.positive + aw.negative) {
                note = AttrNote::many_excluded;
                line.banned = true;
            }
            if (a >= 1 && z(a) < notes.size()) notes[z(a)] = note;
        }
    }
    return notes;
}

} // namespace meru::files
