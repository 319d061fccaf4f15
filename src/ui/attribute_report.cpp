#include "ui/attribute_report.h"

#include "core/services.h"
#include "files/charcodes.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "ui/reading_notes.h"

#include <algorithm>
#include <cmath>

namespace meru::ui {

using namespace files;

namespace {

const std::string kDashes89 = " " + std::string(89, '-');
const std::string kDashes50 = " " + std::string(50, '-');

std::size_t z(int i) { return static_cast<std::size_t>(i); }

bool is_interval(const ControlTables& t, int k)
{
    const char ty = t.line[z(k)].type;
    return ty == 'i' || ty == 'o';
}

void nominal_rows(const ControlTables& t, ReadDataResult& r, ReadDataContext& cx, int k)
{
    const AttrLine& line = t.line[z(k)];
    for (int a = line.first_attribute(); a <= line.attoff; ++a) {
        const AttrWeights& aw = r.att[z(a)];
        if (aw.positive + aw.negative == 0) cx.sv.helpshow("NOTE: no observations");
    }
    if (k > 1 && t.line[z(k)].var == t.line[z(k - 1)].var) return;
    const LineStats& s = r.line[z(k)];
    std::string head =
        " " + io::fmt_a(line.name, 8) + io::fmt_x(2) + io::fmt_i(s.missing, 7) + io::fmt_x(2) + io::fmt_i(s.count, 7);
    if (s.count == 0) {
        cx.log.write(head);
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
        cx.log.write("NOTE: no variation for: " + io::fmt_a(line.name, 8));
        ++r.novariation;
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
            cx.log.write(row);
            row = io::fmt_x(indent);
        }
        row += pair(codes[p]);
    }
    cx.log.write(row);
}

} // namespace

void percentile_header(io::LogWriter& log)
{
    log.write("Percentiles of P<x> cuts");
    log.write(io::fmt_x(10) + "Nominal %-ile   Value   Actual %-ile");
    log.write(kDashes50);
}

void percentile_report(const AttrLine& line, const LinePercentiles& lp, ReadDataContext& cx)
{
    cx.log.write(" " + io::fmt_a(line.name, 8));
    if (lp.no_variation) {
        std::string m = "WARNING: no variation for " + io::fmt_a(line.name, 8) + " $";
        cx.sv.msgbox(m, BoxKind::Ok, false);
    }
    for (const CutPercentile& c : lp.cuts) {
        if (c.asked < 0 || c.asked > 100)
            cx.log.write("NOTE: percentile " + io::fmt_f(c.asked, 6, 2) + " is inadmissible");
        cx.log.write(io::fmt_x(13) + io::fmt_f(c.asked, 6, 1) + io::fmt_x(5) + io::fmt_g(c.got.value, 9, 4) +
                     io::fmt_x(5) + io::fmt_g(c.got.actual, 9, 4));
    }
    if (lp.distinct < 20)
        cx.log.write("NOTE: only " + io::fmt_i(lp.distinct, 2) + " distinct values. Percentiles not meaningful?");
}

void percentile_footer(const ReadDataResult& r, ReadDataContext& cx)
{
    cx.log.write(kDashes50);
    if (r.discrete_percentile_lines > 0) cx.sv.helpshow("NOTE:  percentile cuts of discrete data");
}

void value_error_report(const ControlTables& t, std::span<const ValueError> errors, io::LogWriter& log)
{
    for (std::size_t e = 0; e < errors.size(); ++e) {
        if (static_cast<int>(e) == kMaxValueErrorsLogged) {
            log.write("ERROR: More errors occurred. ");
            return;
        }
        const ValueError& v = errors[e];
        const AttrLine& line = t.line[z(v.line)];
        const std::string type(1, line.type);
        if (v.above)
            log.write("ERROR: record " + io::fmt_i(v.obs, 6) + " for " + io::fmt_a(line.name, 8) + ", type " + type +
                      " is >35. Value=" + io::fmt_f(v.value, 8, 2));
        else
            log.write("ERROR: record " + io::fmt_i(v.obs, 6) + " of " + io::fmt_a(line.name, 8) + " type " + type +
                      " is non-integer. Value=" + io::fmt_f(v.value, 8, 2));
    }
}

void empty_lines_report(const ControlTables& t, const ReadDataResult& r, ReadDataContext& cx)
{
    int empty = 0;
    for (int k = 1; k <= t.nlines; ++k) {
        if (r.line[z(k)].count != 0) continue;
        ++empty;
        cx.log.write("NOTE: No data on " + io::fmt_a(t.line[z(k)].name, 8) + " All missing!");
    }
    if (empty > 0) cx.sv.helpshow("NOTE: All missing");
    if (empty > 0 && empty == t.nlines) cx.sv.helpshow("NOTE: No data at all");
}

void summary_report(const ControlTables& t, ReadDataResult& r, ReadDataContext& cx, bool& novalid)
{
    const int ndata = std::max(0, data_variable_count(t.vars));
    cx.msgline = " n=" + io::fmt_i(r.nobsin, 7) + " on " + io::fmt_i(ndata, 4) + " vars" + " read from " +
                 io::fmt_i(r.nread, 6) + " records of " + io::fmt_a(t.format.datapath, 28);
    cx.log.write(cx.msgline);
    if (r.nobsin == 0) {
        cx.sv.helpshow("NOTE: No data");
        novalid = true;
        return;
    }
    std::string second = "No missing values.";
    if (r.missing_total > 0 || r.incomplete > 0) {
        const double cells = static_cast<double>(r.nobsin) * std::max(1, ndata);
        second = "# missing values=" + io::fmt_i(r.missing_total, 8) + "(" +
                 io::fmt_f(100.0 * static_cast<double>(r.missing_total) / cells, 5, 1) + "%)" +
                 " # incomplete records=" + io::fmt_i(r.incomplete, 6) + "(" +
                 io::fmt_f(100.0 * r.incomplete / std::max(1, r.nread), 5, 1) + "%).";
        cx.log.write(second);
        r.missing = true;
    }
    std::string allmiss;
    if (r.allmissing == 1) {
        allmiss = "NOTE: one record  with all missing variables is ignored";
        cx.log.write(allmiss);
        cx.log.write(" Missed record is # " + io::fmt_i(r.last_missed, 7));
    } else if (r.allmissing > 1) {
        allmiss =
            "NOTE: " + io::fmt_i(r.allmissing, 6) + " records have all variables missing." + " They are ignored!";
        cx.log.write(allmiss);
    }
    long long created = 0;
    for (int k = 2; k <= t.nlines; ++k) created += t.line[z(k)].ncuts;
    const std::string third = " " + io::fmt_i(created, 4) + " attributes created ";
    cx.log.write(third);
    cx.sv.note(cx.msgline + second + third + "$", NoteKind::Cut49, false);
    if (!allmiss.empty()) {
        cx.msgline = allmiss;
        std::string m = allmiss;
        cx.sv.msgbox(m, BoxKind::Ok, true);
    }
    if (r.errors > 0) {
        std::string m = "NOTE: there are data or control file errors. View output log $";
        cx.sv.msgbox(m, BoxKind::Ok, false);
    }
}

void variable_statistics(const ControlTables& t, ReadDataResult& r, ReadDataContext& cx)
{
    cx.log.write("Statistics of variables used in defining attributes");
    bool interval = false, nominal = false;
    for (int k = 2; k <= t.nlines; ++k) (is_interval(t, k) ? interval : nominal) = true;
    int charlines = 0;
    if (interval) {
        cx.log.write(" Variables declared, or assumed, interval (i):");
        cx.log.write(" Variable    #Missing      n   Mean   Standard Dev   Min      Max");
        cx.log.write(kDashes89);
        for (int k = 2; k <= t.nlines; ++k) {
            if (!is_interval(t, k) || t.line[z(k)].var == t.line[z(k - 1)].var) continue;
            const AttrLine& line = t.line[z(k)];
            const LineStats& s = r.line[z(k)];
            std::string row = " " + io::fmt_a(line.name, 8) + io::fmt_x(3) + io::fmt_i(s.missing, 7) + io::fmt_x(2) +
                              io::fmt_i(s.count, 7) + io::fmt_x(2);
            if (s.count > 0) {
                const double mean = s.sum / static_cast<double>(s.count);
                const double var = s.ss / static_cast<double>(s.count);
                const double sd = var > 0 ? std::sqrt(var) : 0.0;
                for (double x : {mean, sd, static_cast<double>(s.min), static_cast<double>(s.max)})
                    row += io::fmt_g(static_cast<float>(x), 9, 4) + io::fmt_x(2);
            }
            cx.log.write(row);
            if (s.count > 0 && s.min == s.max) {
                cx.log.write("NOTE: no variation for: " + io::fmt_a(line.name, 8));
                ++r.novariation;
            }
            const int v = line.var;
            if (v >= 1 && z(v) < r.marks.charflag.size() && r.marks.charflag[z(v)]) {
                ++charlines;
                cx.msgline = "NOTE: " + io::fmt_a(line.name, 8) +
                             " has character values: is used to create interval attributes$";
            }
        }
        if (charlines > 0)
            cx.msgline =
                "NOTE: " + io::fmt_i(charlines, 4) + "  character variables used to create interval attributes$";
        cx.log.write(kDashes89);
    }
    if (nominal) {
        cx.log.write(" Variables declared nominal(n) or binary(b):");
        cx.log.write(" Variable    #Missing   n         Value (Frequency)");
        for (int k = 1; k <= t.nlines; ++k) {
            if (is_interval(t, k)) continue;
            nominal_rows(t, r, cx, k);
        }
        cx.log.write(kDashes89);
    }
    if (r.novariation > 0) {
        if (r.novariation == 1)
            cx.msgline = "NOTE: there is " + io::fmt_i(r.novariation, 5) + " variable with no variation $";
        else cx.msgline = "NOTE: there are " + io::fmt_i(r.novariation, 5) + " variables with no variation $";
        cx.sv.note(cx.msgline, NoteKind::Cut79, false);
    }
}

void attribute_frequencies(const ControlTables& t, const ReadDataResult& r, std::span<const AttrNote> notes,
                           ReadDataContext& cx)
{
    cx.sv.actlog("%Attribute frequencies:");
    cx.log.write(io::fmt_a("Attributes", 10));
    cx.log.write(" Code# Positive attributes" + io::fmt_x(12) + "n" + io::fmt_x(2) + "Negative attributes " +
                 io::fmt_x(11) + "n" + io::fmt_x(8) + "Excluded");
    cx.log.write(kDashes89);
    for (int k = 1; k <= t.nlines; ++k) {
        const AttrLine& line = t.line[z(k)];
        const int code = (k % 2 == 1) ? 1 : 2;
        for (int a = line.first_attribute(); a <= line.attoff; ++a) {
            const Attribute& at = t.att[z(a)];
            const AttrWeights& aw = r.att[z(a)];
            // The line's blank-padded variable name joined to the label, runs of
            // blanks collapsed ("karno >40").
            const std::string name = io::fmt_a(line.name, kNameLen);
            cx.log.write(io::side_by_side({io::fmt_i(code, 1), io::fmt_i(a, 4)}) + io::fmt_x(2) +
                         io::fmt_a(squeeze(name + at.attlab[1]), 25) + io::fmt_i(aw.positive, 7) + io::fmt_x(2) +
                         io::fmt_a(squeeze(name + at.attlab[0]), 25) + io::fmt_i(aw.negative, 7) + io::fmt_x(2) +
                         io::fmt_x(8) + io::fmt_i(aw.excluded, 7));
            const AttrNote note = z(a) < notes.size() ? notes[z(a)] : AttrNote::none;
            if (note == AttrNote::redundant) cx.log.write("NOTE: Attribute is redundant.");
            else if (note == AttrNote::many_excluded)
                cx.log.write("NOTE: Attribute has >10% excluded values.  By default banned in searches");
        }
    }
    cx.log.write(kDashes89);
}

void no_data_report(ControlTables& t, ReadDataContext& cx)
{
    cx.log.write(" There is no data read in to analyse. Can only Process:Create added attributes");
    cx.log.write("  for Boolean algebra manipulation");
    cx.sv.helpshow("NOTE: Boolean algebra");
    for (auto& a : t.att) a.signbyte = 1;
}

} // namespace meru::ui

namespace meru::ui {

void data_reports(ControlTables& t, ReadDataResult& r, ReadDataContext& cx, bool& novalid)
{
    reading_notes(t, r, cx);
    if (r.abandon) return;
    if (novalid) {
        no_data_report(t, cx);
        return;
    }
    const files::AttributeFindings& found = r.found;
    if (found.permuted) cx.log.write("NOTE: non-repeatable permutation index _r_");
    if (!found.percentiles.empty()) {
        percentile_header(cx.log);
        for (const auto& [k, lp] : found.percentiles) percentile_report(t.line[z(k)], lp, cx);
        percentile_footer(r, cx);
    }
    value_error_report(t, found.value_errors, cx.log);
    empty_lines_report(t, r, cx);
    summary_report(t, r, cx, novalid);
    if (novalid) {
        no_data_report(t, cx);
        return;
    }
    variable_statistics(t, r, cx);
    attribute_frequencies(t, r, found.notes, cx);
}

} // namespace meru::ui
