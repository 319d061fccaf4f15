#pragma once
// Reading a control file (.mrc): the pre-scan that sizes the tables, and the
// reader that fills them. The control file is handed over as its records (as
// io::RecordReader or io::split_records give them); the data file is opened by
// path only when the variable names must come from its first record.
//
// The reader's parts: controlfile_scan.cpp (the pre-scan), controlfile_read.cpp
// (readcf: title, numbering and checks, format line, data-file name),
// controlfile_variables.cpp (the variable list), controlfile_attribute_lines.cpp
// (the attribute lines and their cuts); their shared state is controlfile_reader.h.
#include "files/cf_notes.h"
#include "files/tables.h"

#include <string>
#include <vector>

namespace meru {
class Services;
}

namespace meru::files {

// The two "no valid data" marks shared with the main routine and the data reader.
struct NoValidData {
    bool nodatafile = false;    // the data file or its name is unusable
    bool nodata = false;        // no data may be used
    std::string not_text;       // why the data file, which exists, is not a text file to read (a device, binary)
    bool names_refused = false; // the variable list, or the data file's first line that was to give it, is too long
};

// Delimiter flags found by the pre-scan on the format line ("free comma", ...).
// Flags already true stay true.
struct ScanFlags {
    bool comma = false;
    bool tab = false;
    bool space = false;
};

// A control file line longer than this holds nothing the reader could take: the
// file is refused.
inline constexpr std::size_t kCfLineMost = std::size_t{1} << 16;

// The records of a control file (as io::RecordReader gives them), or why there
// are none: the file cannot be read (`unreadable`: the system's reason), or it
// is not a control file (`refused`: UTF-16 text, NUL bytes or a line longer than
// kCfLineMost, named by its number). No line is held longer than kCfLineMost.
struct CfRecords {
    std::vector<std::string> records;
    std::string unreadable;
    std::string refused;
};
CfRecords read_cf_records(const std::string& path);

// Pre-scan: counts the control file's attributes, variables and cuts (upper
// bounds that the reader never exceeds), reads the format flags and the data-file
// name (it becomes `datapath` when `takename` is set), and checks that the data
// file exists and that its extension fits the delimiter. On an empty variable
// list it counts the names in the data file's first record. Its help notes and
// boxes are added to `notes`.
ScanCounts scancf(const std::vector<std::string>& cf, std::string& datapath, ScanFlags& flags, bool takename,
                  NoValidData& nvd, CfNotes& notes);

// The cut texts of the attribute lines, as the reader leaves them for its second
// phase: for each line its joined text (a single blank for lines repeated by a
// numbered range or "_all_"), then one 20-character record per cut of an
// interval or ordinal line. The caller may write it to SCRATCH.TXT.
struct Scratch {
    std::vector<std::string> records;
};

// Reader: fills `t` (sized by `allocate` from the pre-scan's counts) from the
// control file: variables, attribute lines, attributes with their labels and cut
// values, the data format (t.format: the incoming free/comma/tab flags are set
// afresh from the format line) and the stored combinations. What the output log
// is to hold (the title, the variables, the attribute lines and their numbers,
// the format, the combinations) and the notes and errors met are added to
// `notes` in that order; `sv` shows only the progress. `msgline` receives
// "Reading control file" and later the format line. Returns the number of errors.
int readcf(const std::vector<std::string>& cf, ControlTables& t, const ScanFlags& scanflags, std::string& msgline,
           Scratch& scratch, CfNotes& notes, Services& sv);

} // namespace meru::files
