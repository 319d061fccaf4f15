#pragma once
// Small text and numeric helpers shared by the control-file and data-file
// readers and by the interface services: field splitters, upper-casing, the
// 8.3 log-file name, blank squeezing, safe division and a few one-liners.
#include "platform/io/strings.h"

#include <string>
#include <string_view>
#include <vector>

namespace meru::files {

struct CfNotes;

// Result of splitnames.
struct SplitNames {
    std::vector<std::string> fields; // names, each at most `maxchars` characters, no padding
    int count = 0;                   // number of fields, counting those a capacity stop left out
    bool range_error = false;        // a numbered range could not be read (help topic noted)
    bool overflow = false;           // more fields than `capacity`: `fields` stops there
};

// Splits a list of names at blanks and at `delim`. Double quotes toggle a quoted
// state (inside it blanks and the delimiter are dropped); with the comma or the
// tab as delimiter two delimiters in a row give an empty field (a header's empty
// cell, named "_" by the reader). A field "stem1:n" is a
// numbered range and becomes stem1 ... stemn; the count is read from the whole
// field, and a count that cannot be read, is below 1, or makes a name longer than
// `maxchars` adds the help topic "ERROR: x1:10 type problem" to `notes` and ends
// the split. At most `capacity` fields are stored; the rest are only counted.
// `notes` may be null for a silent count.
SplitNames splitnames(std::string_view line, char delim, int maxchars, int capacity, CfNotes* notes);

// Splits a line into fields at blanks and `delim`, each at most `maxchars`
// characters (the rest dropped). Runs of separators give no empty field, except
// that with the comma as delimiter a comma directly after a comma gives one.
std::vector<std::string> splitline(std::string_view line, char delim, int maxchars);

// Letters a-z become A-Z in place.
void upcase(std::string& text);
std::string upper(std::string_view text);

// Builds the upper-case 8.3 name of `name` with extension `ext` ("MYDATA.LOG").
// Status 0 on success; 1 when no name characters were found (the result is then
// the name upper-cased).
struct Name83 {
    std::string name;
    int status = 0;
};
Name83 fname83(std::string_view name, std::string_view ext);

// The output log's name for a control file of base name `base` (no folder, no
// extension): a name of at most 8 characters gives its 8.3 name (fname83), a
// longer one the whole name upper-cased, so that control files whose names share
// their first 8 characters keep logs of their own ("STUDY2024_MEN.LOG").
std::string log_name(std::string_view base);

// a / b, or 0 when |b| <= 1e-20.
double safediv(double a, double b);

// y1 + (x - x1)(y2 - y1) / (x2 - x1), the division by safediv.
double interp(double x1, double y1, double x2, double y2, double x);

struct MeanSd {
    double mean = 0, var = 0, sd = 0;
};
// Mean and sample variance from sums; all zero for n < 2.
MeanSd meansd(double sum, double sumsq, int n);

// Sum of a[i..j] (0 when j < i); indices outside `a` count as 0.
double rsum(const std::vector<double>& a, int i, int j);

// "Yes" or "No ".
std::string yesno(bool flag);
// " A" when flag is set, "A-" otherwise.
std::string alabel(bool flag);

// Copies `text` dropping every `drop` character and collapsing runs of blanks to one.
std::string squeeze(std::string_view text, char drop = '$');

// Removes every blank from `text`.
std::string noblanks(std::string_view text);

// True when `text` holds only blanks, digits and points (an empty text too).
bool numtoken(std::string_view text);

// True when every character of `first` (up to its first blank) occurs in `second`
// (up to its first blank). `none` is set when `first` is not empty and none of
// its characters occurs in `second`. An empty first text gives true, none false.
bool charsin(std::string_view first, std::string_view second, bool* none = nullptr);

// Text without its trailing blanks, or its outer blanks (platform/io/strings.h).
using io::rtrim;
using io::trim;
// Text blank-padded (or cut) to `width`.
std::string pad(std::string_view text, size_t width);

} // namespace meru::files
