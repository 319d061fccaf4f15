#include "search/fixpos.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "search/exclusions.h"

#include "platform/io/strings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace meru::search {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// A label as it is shown: its "$" fillers dropped and its runs of blanks made one.
std::string shown_label(const std::string& label) { return io::trim(files::squeeze(label)); }

// The attribute's name and own label, "NAME label".
std::string name_label(const files::ControlTables& t, int a)
{
    const files::Attribute& x = t.att[at(a)];
    return shown_label(x.attname + " " + x.attlab[1]);
}

// A cut named with its correlation, for the notes of the automatic rule.
std::string cut_line(const files::ControlTables& t, int a, double r)
{
    return "  " + io::fmt_a(name_label(t, a), 28) + " ro=" + io::fmt_f(r, 7, 3);
}

} // namespace

void FixposState::start(const files::ControlTables& t)
{
    order.clear();
    cor.assign(at(std::max(t.natt, 0)) + 1, 0.0);
    linecor.assign(at(std::max(t.nlines, 0)) + 1, 0.0);
}

void FixposState::record(int literal, double r)
{
    const int a = std::abs(literal);
    if (a < 1) return;
    if (at(a) >= cor.size()) cor.resize(at(a) + 1, 0.0);
    order.push_back(literal);
    cor[at(a)] = r;
}

std::vector<int> FixposState::lines(const files::ControlTables& t) const
{
    std::vector<int> out;
    for (int lit : order) {
        const int a = std::abs(lit);
        if (a > t.natt) continue;
        const int line = t.att[at(a)].attline;
        if (line >= 1 && std::find(out.begin(), out.end(), line) == out.end()) out.push_back(line);
    }
    return out;
}

namespace {

// Turns line `line`'s signs and labels; its attributes inside the attribute
// matrix are added to `bytes` for flip_bytes().
void swap_labels(files::ControlTables& t, int lc, int line, std::vector<int>& bytes)
{
    if (line < 1 || line > t.nlines) return;
    const files::AttrLine& l = t.line[at(line)];
    for (int a = std::max(l.first_attribute(), 1); a <= std::min(l.attoff, t.natt); ++a) {
        files::Attribute& x = t.att[at(a)];
        x.signbyte = static_cast<signed char>(-x.signbyte);
        std::swap(x.attlab[0], x.attlab[1]);
        std::swap(x.savedlab[0], x.savedlab[1]);
        if (a <= lc) bytes.push_back(a);
    }
}

// Toggles line `line`'s "swapped" flag and negates its and its cuts' correlations.
void mark_turned(FixposState& s, files::ControlTables& t, int line)
{
    files::AttrLine& l = t.line[at(line)];
    l.swapped = !l.swapped;
    if (at(line) < s.linecor.size()) s.linecor[at(line)] = -s.linecor[at(line)];
    for (int a = std::max(l.first_attribute(), 1); a <= l.attoff; ++a)
        if (at(a) < s.cor.size()) s.cor[at(a)] = -s.cor[at(a)];
}

// Bytes 0x01 where a word's byte is 0 or 1, else 0.
std::uint64_t zero_or_one(std::uint64_t w)
{
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    const std::uint64_t x = w & 0xFEFEFEFEFEFEFEFEull; // 0 where the byte was 0 or 1
    return (~(((x & low7) + low7) | x | low7) >> 7) & 0x0101010101010101ull;
}

} // namespace

void swapline(files::ControlTables& t, files::DataArrays& d, int line)
{
    std::vector<int> bytes;
    swap_labels(t, d.lc, line, bytes);
    flip_bytes(d, bytes);
}

void flip_bytes(files::DataArrays& d, std::span<const int> attributes, const stats::ParallelFor& parallel)
{
    const auto lc = static_cast<std::size_t>(std::max(d.lc, 0));
    const auto n = static_cast<std::size_t>(std::max(d.n, 0));
    if (lc == 0 || n == 0 || attributes.empty()) return;
    // Eight rows are lc words: the bit 0x01 of each byte to flip in them.
    std::vector<std::uint64_t> flip(lc, 0);
    for (const int a : attributes) {
        if (a < 1 || at(a) > lc) continue;
        for (std::size_t r = 0; r < 8; ++r) {
            const std::size_t byte = r * lc + at(a) - 1;
            flip[byte / 8] |= std::uint64_t{1} << (8 * (byte % 8));
        }
    }
    std::uint8_t* bytes = d.abyte.data();
    // Stretches of 8 x 8192 rows, then the rows after the last eight.
    constexpr std::size_t kStretch = 8192;
    stats::for_stretches(parallel, n / 8, kStretch, [&](std::size_t, std::size_t from, std::size_t to) {
        for (std::uint8_t* p = bytes + from * 8 * lc; from < to; ++from)
            for (std::size_t k = 0; k < lc; ++k, p += 8) {
                if (!flip[k]) continue;
                std::uint64_t w;
                std::memcpy(&w, p, 8);
                w ^= zero_or_one(w) & flip[k];
                std::memcpy(p, &w, 8);
            }
    });
    for (std::size_t i = n / 8 * 8; i < n; ++i)
        for (std::size_t k = 0; k < lc; ++k) {
            std::uint8_t& b = bytes[i * lc + k];
            const std::size_t byte = i % 8 * lc + k;
            if (b <= 1 && (flip[byte / 8] >> (8 * (byte % 8)) & 1)) b = static_cast<std::uint8_t>(1 - b);
        }
}

void turn_line(FixposState& s, files::ControlTables& t, files::DataArrays& d, int line)
{
    if (line < 1 || line > t.nlines) return;
    mark_turned(s, t, line);
    swapline(t, d, line);
}

bool fixpos_excluded(const files::ControlTables& t, int a)
{
    if (a < 1 || a > t.natt) return true;
    const files::Attribute& x = t.att[at(a)];
    return x.added || is_special_name(x.attname);
}

int censoring_line(const files::ControlTables& t, const stats::Censoring& c)
{
    const stats::Censoring in = c.within(t.natt);
    return in.in_force ? t.att[at(in.attribute)].attline : 0;
}

namespace {

// A note of the automatic rule: its help topic for the caller to show, once a
// run, or a log line when notes are quiet or it is shown already.
void tell_rule(FixposRun& run, std::string topic)
{
    const auto same = [&topic](const Notice& n) { return n.kind == Notice::Kind::help && n.text == topic; };
    if (run.quiet_notes || std::ranges::any_of(run.told.items(), same)) {
        run.told.line(run.log, std::move(topic));
        return;
    }
    run.told.add_help(std::move(topic));
    run.noted = true;
}

} // namespace

void decide_directions(FixposState& s, FixposRun& run)
{
    files::ControlTables& t = run.tables;
    const std::vector<int> lines = s.lines(t);
    const int cline = censoring_line(t, run.censoring);
    if (s.linecor.size() < at(t.nlines) + 1) s.linecor.resize(at(t.nlines) + 1, 0.0);
    bool negative_kept = false;
    // The bytes of the lines turned, flipped together after the rule.
    std::vector<int> bytes;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const int line = lines[k];
        const double pct = 100.0 * static_cast<double>(k + 1) / static_cast<double>(lines.size());
        run.services.thinking(".. checking positive attributes" + io::fmt_f(pct, 6, 1) + "% done", true);
        files::AttrLine& l = t.line[at(line)];
        if (line == cline) {
            const int a = std::clamp(run.censoring.attribute, 1, t.natt);
            run.told.line(run.log, "Cannot change direction of censoring attribute " + name_label(t, a));
            continue;
        }
        // The extreme correlations over the line's recorded cuts.
        double mx = -1.0, mn = 1.0;
        int amax = 0, amin = 0;
        for (int a = std::max(l.first_attribute(), 1); a <= std::min(l.attoff, t.natt); ++a) {
            if (fixpos_excluded(t, a)) continue;
            const bool recorded =
                std::any_of(s.order.begin(), s.order.end(), [a](int lit) { return std::abs(lit) == a; });
            if (!recorded) continue;
            const double r = s.cor[at(a)];
            if (amax == 0 || r > mx) mx = r, amax = a;
            if (amin == 0 || r < mn) mn = r, amin = a;
        }
        if (amax == 0) continue;
        if (mx > 0.05 && mn < -0.05) {
            run.told.line(run.log, "NOTE: inconsistent cuts");
            run.told.line(run.log, cut_line(t, amin, mn));
            run.told.line(run.log, cut_line(t, amax, mx));
        }
        const double sum = mn + mx;
        // A line whose largest correlation is 0 is decided by the sign of the sum
        // alone; both 0 tells nothing.
        const bool undecided = std::fabs(mx) < 1e-20 ? sum == 0.0 : std::fabs(sum) / std::fabs(mx) < 0.001;
        if (undecided && run.go && run.decidepos && !l.ignored) {
            tell_rule(run, "NOTE: do not know what to do");
            run.told.line(run.log, " " + io::trim(l.name, " $"));
            run.told.line(run.log, cut_line(t, amin, mn));
            run.told.line(run.log, cut_line(t, amax, mx));
            continue;
        }
        if (sum < 0.0) {
            if (!run.decidepos && run.go) {
                s.linecor[at(line)] = mx;
                run.told.line(run.log, "NOTE: negative attribute for variable " + io::fmt_a(l.name, 8));
                negative_kept = true;
            } else {
                mark_turned(s, t, line);
                swap_labels(t, run.data.lc, line, bytes);
                s.linecor[at(line)] = -mn;
            }
        } else {
            s.linecor[at(line)] = mx;
        }
    }
    flip_bytes(run.data, bytes, run.parallel);
    if (run.go && negative_kept) tell_rule(run, "NOTE: negative attributes!");
}

void log_directions(const FixposRun& run, const std::vector<int>& lines)
{
    const files::ControlTables& t = run.tables;
    std::vector<int> swapped, ignored;
    for (int line : lines) {
        if (line < 1 || line > t.nlines) continue;
        if (t.line[at(line)].swapped) swapped.push_back(line);
        if (t.line[at(line)].ignored) ignored.push_back(line);
    }
    const int k = static_cast<int>(swapped.size());
    if (k == 0) {
        run.log.write("No attribute directions are swapped");
    } else {
        run.log.write(" Directions of " + io::fmt_i(k, 4) +
                      (k == 1 ? " control file line has been swapped" : " control file lines are swapped"));
        run.log.write("to make new positive attribute(s):");
        for (int line : swapped) {
            const files::AttrLine& l = t.line[at(line)];
            const int first = std::max(l.first_attribute(), 1), last = std::min(l.attoff, t.natt);
            if (first >= last) run.log.write(" " + name_label(t, first));
            else run.log.write(" " + name_label(t, first) + "...." + shown_label(t.att[at(last)].attlab[1]));
        }
    }
    for (int line : ignored) run.log.write(" " + io::fmt_a(t.line[at(line)].name, 8) + "  attributes are ignored");
}

std::vector<FixposItem> fixpos_items(const FixposState& s, const files::ControlTables& t,
                                     const std::vector<int>& lines)
{
    std::vector<FixposItem> out;
    const auto cor = [](const std::vector<double>& v, int i) { return at(i) < v.size() ? v[at(i)] : 0.0; };
    for (int line : lines) {
        if (line <= 1 || line > t.nlines) continue;
        const files::AttrLine& l = t.line[at(line)];
        const int first = std::max(l.first_attribute(), 1), last = std::min(l.attoff, t.natt);
        if (first > last) {
            out.push_back({std::string(48, ' '), 0, line});
            continue;
        }
        for (int a = first; a <= last; ++a) {
            if (fixpos_excluded(t, a)) continue;
            const double lc = cor(s.linecor, line);
            std::string text = " " + io::fmt_a(name_label(t, a), 28);
            const bool head = a == first;
            text += head && l.ncuts > 1 ? io::fmt_f(lc, 6, 3) : std::string(6, ' ');
            const char* mark = !head ? "" : lc < -0.2 ? "**" : lc < 0.0 ? "*" : "";
            text += "  " + io::fmt_a(mark, 4);
            text += io::fmt_f(cor(s.cor, a), 6, 3) + " ";
            if (l.ignored) {
                text.front() = '[';
                text.back() = ']';
            }
            out.push_back({text, a, line});
        }
    }
    return out;
}

} // namespace meru::search
