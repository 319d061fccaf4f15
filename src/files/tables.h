#pragma once
// The tables a control file is read into: variables, attribute lines and
// attributes, with the data layout and the stored combinations. Plain structs,
// owned by the open analysis and passed by reference.
//
// Indexing: variables, attribute lines and attributes are numbered from 1 as the
// user sees them; element 0 of each vector is an unused placeholder, so
// `att[a]` is attribute a and `line[k]` is attribute line k. The vectors are
// sized by `allocate` from the pre-scan's bounds (plus the 50 spare slots for
// attributes made later) and every store is checked against those sizes.
//
// Texts: names are held without trailing blanks (at most 8 characters); labels
// are held blank-padded to exactly 20 characters, so that characters 3..20 can
// be indexed directly. Compare labels with trailing blanks ignored.
#include <array>
#include <string>
#include <vector>

namespace meru::files {

inline constexpr int kNameLen = 8;        // variable names, attribute variable-name fields
inline constexpr int kLabelLen = 20;      // attribute labels
inline constexpr int kTokenLen = 37;      // tokens of an attribute line
inline constexpr int kLineLen = 80;       // columns read from a control-file line
inline constexpr int kContinuedLen = 240; // a line with its continuations
inline constexpr int kListLen = 5000;     // characters of the variable list
inline constexpr int kMaxSequence = 50;   // values a "(s-e-d)" sequence may give
inline constexpr int kMaxCombos = 30;     // stored Boolean combinations kept
inline constexpr int kComboLen = 200;     // characters of a combination line
inline constexpr int kMaxRLines = 5;      // lines that may name "_r_"
inline constexpr int kMaxAttributes = 10000;
inline constexpr int kSpareSlots = 50; // added to the pre-scan's bounds
inline constexpr double kNoSecondCut = 1.0e30;

// The 36 state codes, in universe order.
inline constexpr const char* kAllStates = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// The three counts of the pre-scan.
struct ScanCounts {
    int attbound = 0; // upper bound on attributes
    int varbound = 0; // upper bound on variables and attribute lines
    int cutbound = 1; // largest number of cuts on one line, plus one
};

// Array dimensions chosen from the pre-scan: LC = attbound + 50, NV = varbound + 50.
struct Dims {
    int lc = 0;    // attribute dimension
    int nv = 0;    // variable (and attribute-line) dimension
    int ncutx = 1; // cut dimension (largest cuts + 1)
};

struct VariableTable {
    std::vector<std::string> varname; // [1..nvar], data-column order, trailing blanks trimmed
    int nvar = 0;                     // names, pseudo-variables included
    int idcol = 0;                    // position of _ID_ in the list as read; names + 10 when none
    int freqcol = 0;                  // position of _FREQ_ in the list as read; names + 10 when none
    bool hasid = false;
    bool hasfreq = false;
    int ivar = 0;                 // variable number of "_i_" (0 none)
    int rvar = 0;                 // variable number of "_r_" (0 none)
    int nrlines = 0;              // lines that named "_r_"
    bool names_from_data = false; // the list was taken from the data file's first record
    int made = 0;                 // variables the program made after those of the control file
    // [j]: the variables a made variable j was computed from (0 none); grown as
    // variables are made, absent entries are 0.
    std::vector<int> srcvar1, srcvar2;
};

struct AttrLine {
    std::string name;            // token 1 as resolved (8 characters at most)
    int var = 0;                 // variable number; 0 for the null line
    char type = 'i';             // 'i' interval, 'o' ordinal, 'n' nominal
    bool reversed = false;       // "i-" / "o-"
    int ncuts = 0;               // cuts of the line (attributes it makes), at least 1
    int attoff = 0;              // attributes made by this line and all before it
    bool percentile = false;     // cuts are percent numbers
    bool mean = false;           // first cut is "mean" (or the line had no cut)
    std::string universe;        // nominal: admissible state codes, upper case (may hold '-')
    bool universe_given = false; // nominal: the universe was written (not assumed)
    bool banned = false;         // set by the data statistics: left out of searches by default
    // Search state, set by the search driver (not by the reader):
    bool firstattr = false; // enters candidates with its first attribute
    int inuse = 1;          // number (1..ncuts) of the line's attribute in use
    // Directions, set by Fix Positive attributes (kept until the control file is read again):
    bool swapped = false; // the line's direction differs from the control file's
    bool ignored = false; // the user left the line out of searches

    int first_attribute() const { return attoff - ncuts + 1; }
};

struct Attribute {
    // attlab[0] is label column 1 (the complement's label), attlab[1] column 2
    // (the attribute's own label); each exactly 20 characters, blank-padded.
    std::array<std::string, 2> attlab;
    // Operator-and-value labels; equal to attlab except for named cuts.
    std::array<std::string, 2> savedlab;
    int attline = 0;            // the attribute line that made it
    std::string attname;        // the line's variable name, trailing blanks as "$" (8 chars); "." for attribute 1
    double cut1 = 0.0;          // first cut value (range's first end; equality v - 0.01; -1 for a text cut)
    double cut2 = kNoSecondCut; // second cut value (1e30 for a single cut)
    bool range = false;         // a range "a,b" or an equality cut "=v"
    bool direction = true;      // true for ">" (the default), false for "<" and "="
    bool ordered = false;       // range/equality: cut1 not above cut2
    int dupmark = 0;            // 0, or the mark linking it to an earlier equal attribute
    std::string codes;          // nominal: the state codes of the true side, upper case
    signed char signbyte = 1;   // +1 positive, -1 negative (written by the main routine)
    bool added = false;         // made from a partition (an added attribute), not by a control-file line
};

// The layout of the data file, from the format line and the data-file name line.
struct DataFormat {
    bool freefmt = false;   // "free" format
    bool comma = false;     // comma-delimited
    bool tab = false;       // tab-delimited
    bool space = false;     // space-delimited ("free space"; set by the pre-scan only)
    std::string fmttext;    // the joined format line (fixed columns: the edit list)
    std::string datapath;   // the data file's path
    std::string cfdataname; // the data-file name line of the control file, trimmed
};

struct ControlTables {
    Dims dims;
    std::string title;
    VariableTable vars;
    std::vector<AttrLine> line; // [1..nlines]
    int nlines = 0;
    std::vector<Attribute> att; // [1..natt]
    int natt = 0;
    std::vector<std::string> cfcomb; // stored combinations (at most 30, 200 characters each)
    // [k]: the line under cfcomb[k] in the file when it starts with "*" (the check
    // line of its attribute numbers), else empty; checked again when the
    // combination is made.
    std::vector<std::string> cfcheck;
    int ncombfound = 0;              // "+" lines found (may exceed the stored 30)
    DataFormat format;
};

// Sizes the tables from the pre-scan's counts: LC = attbound + 50 attributes,
// NV = varbound + 50 variables and lines. Clears everything else.
inline void allocate(ControlTables& t, const ScanCounts& c)
{
    DataFormat keep = t.format;
    t = ControlTables{};
    t.format = keep;
    t.dims.lc = c.attbound + kSpareSlots;
    t.dims.nv = c.varbound + kSpareSlots;
    t.dims.ncutx = c.cutbound < 1 ? 1 : c.cutbound;
    t.att.resize(static_cast<size_t>(t.dims.lc) + 1);
    t.line.resize(static_cast<size_t>(t.dims.nv) + 1);
    t.vars.varname.resize(static_cast<size_t>(t.dims.nv) + 1);
}

} // namespace meru::files
