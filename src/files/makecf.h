#pragma once
// The default control file for a data file that has none: first one attribute
// per variable at its mean (names taken from the data file), and after the data
// have been read, one line per variable, optionally with nominal lines for the
// variables that look nominal.
#include "files/cf_notes.h"

#include <array>
#include <string>
#include <vector>

namespace meru::files {

struct ControlTables;
struct ReadDataResult;

// What both writers need to know about the files.
struct DefaultCfFiles {
    std::string cfpath;   // the control file to write (replaced when it exists)
    std::string dataname; // the data file's name, for the title and the message
    std::string datapath; // the data-file name line (written with one leading blank)
    bool comma = false;   // the format line: "free tab" when tab is set, else
    bool tab = false;     // "free comma" when comma is set, else "free space"
};

// Writes the six-line default control file ("_all_ mean"). Unless `quiet`, first
// notes the box "No associated .mrc file for data ... Will make default". False
// (with the message "Cannot create control file in makecf $" noted) when the file
// cannot be made.
bool makecf(const DefaultCfFiles& f, bool quiet, CfNotes& notes);

// One variable as the rewritten control file sees it.
struct DefaultCfVariable {
    std::string name;
    double mean = 0;                    // the cut at its mean
    bool small_codes = false;           // every value is a whole number 0..9
    bool char_codes = false;            // the values were character states 0..35
    std::array<long long, 36> counts{}; // weight of each state code
};

// What one pass of re_makecf did.
struct RemadeCf {
    bool written = false;      // false: the file could not be made (message noted)
    bool nominal_seen = false; // some variable looks nominal
};

// Rewrites the control file. Without `remake` (the first pass) every variable gets
// one line at its mean, and the note "NOTE: Default .mrc file is created" is noted
// as help and as a log line; with `remake` the variables that look nominal get
// nominal lines for their codes, and "NOTE: Default .mrc file re-created" is noted
// only as a log line. The caller asks whether to remake when nominal_seen.
RemadeCf re_makecf(const DefaultCfFiles& f, const std::vector<DefaultCfVariable>& vars, bool remake, CfNotes& notes);

// The variables of an analysis read from a default control file, for re_makecf:
// names, means and the two nominal marks taken from each variable's first
// attribute line.
std::vector<DefaultCfVariable> default_cf_variables(const ControlTables& t, const ReadDataResult& r);

// A name fit to stand at the start of an attribute line: "*", "!" and the double
// quote (which would end the section, continue the line, or open a quote) become "_".
std::string safe_cf_name(std::string_view name);

} // namespace meru::files
