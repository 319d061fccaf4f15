#include "ui/reading_notes.h"

#include "core/services.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "platform/io/os.h"
#include "platform/io/strings.h"

#include <algorithm>

namespace meru::ui {

using namespace files;

namespace {

std::size_t z(int i) { return static_cast<std::size_t>(i); }

std::string variable_name(const ControlTables& t, int var)
{
    return var <= t.vars.nvar ? t.vars.varname[z(var)] : std::string();
}

void box(ReadDataContext& cx, std::string text) { cx.sv.msgbox(text, BoxKind::Ok, false); }

void record_note(const ControlTables& t, const ReadNote& n, ReadDataContext& cx)
{
    using Kind = ReadNote::Kind;
    switch (n.kind) {
    case Kind::header_skipped:
        cx.log.write("NOTE: the first line of the data file holds the variable names: skipped as a header");
        break;
    case Kind::no_delimiter:
        cx.msgline = "NOTE: Expecting csv_or_tab file, yet no comma or tab";
        cx.log.write(io::fmt_a(cx.msgline, 80));
        cx.sv.helpshow(cx.msgline);
        break;
    case Kind::bad_frequency: cx.log.write("ERROR reading frequency count.Assumed missed"); break;
    case Kind::frequency_too_large:
        cx.log.write("ERROR: frequency count too large (above 2147483647) on line " + std::to_string(n.line) + ": " +
                     n.text + ". Assumed missed");
        break;
    case Kind::frequency_negative:
        cx.log.write("ERROR: negative frequency count on line " + std::to_string(n.line) + ": " + n.text +
                     ". Assumed missed");
        break;
    case Kind::frequency_not_whole:
        cx.log.write("NOTE: frequency count not whole on line " + std::to_string(n.line) + ": " + n.text +
                     ". Its whole part is taken");
        break;
    case Kind::precision_lost:
        cx.log.write("NOTE: loss of precision var " + io::fmt_a(variable_name(t, n.var), 8) + " read as " +
                     io::fmt_g(n.read, 20, 15) + " held as " + io::fmt_g(n.held, 20, 15));
        break;
    case Kind::inadmissible:
        cx.log.write("NOTE: inadmissible character:  " + std::string(1, n.ch) + "  at record: var  " +
                     io::fmt_i(n.record, 6) + ":" + io::fmt_a(variable_name(t, n.var), 8));
        break;
    case Kind::bad_format:
        cx.log.write("ERROR: Data READ error in record " + io::fmt_i(n.record, 5) + " Record skipped. It is:");
        cx.log.write(" Data format: " + t.format.fmttext);
        break;
    case Kind::read_error:
        cx.log.write("ERROR: Data READ error in record " + io::fmt_i(n.record, 5) + " Record skipped. It is:");
        cx.log.write(n.text);
        if (n.first_error) cx.sv.helpshow("NOTE: read error");
        break;
    case Kind::possible_header: box(cx, "NOTE: Possible character header in file. Record ignored:$"); break;
    }
}

// Numbers of a variable that also had character items lose all but their first
// digit: the user is told which variables, not only the log.
void mixed_data_box(const ControlTables& t, const ReadDataResult& r, ReadDataContext& cx)
{
    constexpr int kNamed = 5;
    std::string names;
    int named = 0;
    const int ndata = std::max(0, data_variable_count(t.vars));
    for (int j = 1; j <= ndata; ++j) {
        if (!r.marks.charflag[z(j)] || !r.marks.numflag[z(j)]) continue;
        if (named++ == kNamed) {
            names += ", ...";
            break;
        }
        names += (names.empty() ? "" : ", ") + io::rtrim(variable_name(t, j));
    }
    box(cx, "NOTE: Mixed numeric/character data for " + names +
                ". Their numbers are kept only as the code of their first digit. View log $");
}

// A negative number in a data file is a missing value: the user is told which
// variables lost values that way and how many each, the first few in a box and
// all of them in the log.
void negative_numbers_note(const ControlTables& t, const ReadDataResult& r, ReadDataContext& cx)
{
    constexpr std::size_t kNamesRoom = 90; // of the box's text
    std::string names;
    bool cut = false;
    const int ndata = std::max(0, data_variable_count(t.vars));
    for (int j = 1; j <= ndata; ++j) {
        const long long n = r.marks.negatives[z(j)];
        if (n == 0) continue;
        const std::string name = io::rtrim(variable_name(t, j));
        if (names.empty()) cx.log.write("NOTE: Negative numbers read as missing values:");
        cx.log.write("   " + io::fmt_a(name, 8) + io::fmt_i(n, 10));
        const std::string entry = name + " (" + std::to_string(n) + ")";
        if (cut || names.size() + entry.size() > kNamesRoom) {
            cut = true;
            continue;
        }
        names += (names.empty() ? "" : ", ") + entry;
    }
    if (names.empty()) return;
    cx.log.write("   A negative number in a data file is a missing value: recode these if they are values.");
    box(cx, "NOTE: Negative numbers read as missing values: " + names + (cut ? ", ... " : ". ") + "View log $");
}

// Frequencies that were numbers but no weight as they stand.
void frequency_notes(const ReadDataResult& r, ReadDataContext& cx)
{
    if (r.frequency_refused > 0)
        box(cx, "NOTE: Frequency too large or negative on " + std::to_string(r.frequency_refused) +
                    " record(s). Assumed zero. View log $");
    if (r.frequency_not_whole > 0)
        box(cx, "NOTE: Frequency not whole on " + std::to_string(r.frequency_not_whole) +
                    " record(s). Whole part taken. View log $");
}

// The notes of a free-format file: inadmissible characters, precision, dates,
// frequencies and the character data with their coding.
void free_format_notes(const ControlTables& t, const ReadDataResult& r, ReadDataContext& cx)
{
    if (r.inadmissible > 0) {
        if (r.inadmissible > kMaxInadmissibleNoted) cx.log.write("NOTE: more inadmissible characters were found");
        cx.sv.helpshow("NOTE:non-admissible character(s) found");
    }
    if (r.precision_lost > 0) {
        cx.sv.helpshow("NOTE: loss of precision");
        cx.log.write("NOTE: Loss of precision on " + io::fmt_i(r.precision_lost, 6) + " items");
    }
    if (r.maybe_date) cx.sv.helpshow("NOTE: Maybe date?");
    if (r.bad_frequency > 0) box(cx, "NOTE: Non_numeric frequency variable. Assumed zero$");
    bool ambiguity = false;
    const int ndata = std::max(0, data_variable_count(t.vars));
    for (int j = 1; j <= ndata; ++j) {
        if (!r.marks.charflag[z(j)]) continue;
        const auto& nm = t.vars.varname[z(j)];
        if (!r.marks.numflag[z(j)]) cx.log.write("NOTE: Character data for variable:   " + io::fmt_a(nm, 8));
        else cx.log.write("NOTE: Mixed numeric/character data for " + io::fmt_a(nm, 8));
        for (int k = 0; k <= 36; ++k) {
            const auto& text = r.marks.cattext[z(j)][z(k)];
            if (r.marks.catcount[z(j)][z(k)] > 1) {
                cx.log.write(" Ambiguity for category " + io::fmt_a(text, 10) + " There are other categories of " +
                             io::fmt_a(nm, 8) + " beginning with " + io::fmt_a(text.substr(0, 1), 1));
                ambiguity = true;
            }
        }
    }
    if (ambiguity) cx.sv.helpshow("NOTE:  data coding ambiguity");
    if (r.char_vars + r.mixed_vars > 0) {
        cx.msgline = "Character data for " + io::fmt_i(r.char_vars, 2) + " variable(s)." + " Encoded numerically$";
        cx.log.write(" Character data: first character (capitalised) denotes states");
        cx.log.write("         Possibilities 0,1,.. 9, A, B, C,..., Z");
        cx.log.write("   Encoded with values 0,1,...9,10,11,12,...,35");
        if (r.mixed_vars > 0) cx.log.write(" Mixed data: only first digit of number is retained as character");
    }
    if (r.mixed_vars > 0) mixed_data_box(t, r, cx);
}

} // namespace

void reading_notes(const ControlTables& t, const ReadDataResult& r, ReadDataContext& cx)
{
    if (!r.read_run) return;
    for (const ReadNote& n : r.notes) record_note(t, n, cx);
    if (r.abandon) {
        // The record that has more items than there are variables, by its line.
        const std::string where = "line " + std::to_string(r.abandon_line) + " of ";
        const std::string text = "Reading data abandoned. Possibly # vars not matched to data: too many items on ";
        cx.log.write(text + where + t.format.datapath);
        box(cx, text + where + io::split_path(t.format.datapath).name + io::split_path(t.format.datapath).extension +
                    "$");
        return;
    }
    if (r.rejected_records > 0)
        cx.log.write("NOTE: " + std::to_string(r.rejected_records) + " record(s) could not be read and were skipped");
    if (r.nread != r.expected) {
        cx.sv.helpshow("NOTE: Mis-match expected # lines");
        cx.log.write(io::list_record("Mis-match ", r.nread, r.expected));
    }
    if (r.no_valid_data) {
        box(cx, "End of data file and apparently no valid data$");
        return;
    }
    if (r.extra_item_records > 0)
        cx.log.write("NOTE: " + std::to_string(r.extra_item_records) +
                     " record(s) held items beyond the variables listed; those items were not read");
    negative_numbers_note(t, r, cx);
    frequency_notes(r, cx);
    if (t.format.freefmt) free_format_notes(t, r, cx);
}

} // namespace meru::ui
