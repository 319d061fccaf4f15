#pragma once
// The editable source of the program's help (resources/help/help.src) and the two
// files made from it, merukey.txt (the index) and meruhlp.txt (the text).
//
// Source format, one item a line:
//   # ...        a comment (only in column 1)
//   @ NAME       a topic name (up to 50 characters, taken as written after "@ ");
//                several name lines in a row name one text
//   anything     a line of the text of the names above it; a line longer than 75
//                characters is wrapped at blanks; blank lines inside a text are kept,
//                blank lines at its end are dropped
//
// Each text becomes its run of 75-character records in meruhlp.txt followed by a
// line of 20 dashes; each name becomes one index line "(I6,1X,A50)" with the
// record where its text begins, in source order. No Qt here.
#include <string>
#include <string_view>
#include <vector>

namespace meru::ui {

struct HelpSourceTopic {
    std::vector<std::string> names;
    std::vector<std::string> lines; // wrapped, at most 75 characters each
    int source_line = 0;            // line of the first name
};

struct HelpBuild {
    std::vector<HelpSourceTopic> topics;
    std::string index;               // merukey.txt: lines ended by LF
    std::string text;                // meruhlp.txt: 77-byte records ended by CR LF
    std::vector<std::string> errors; // "help.src:LINE: what"; files are built anyway
};

// Splits a line at blanks into pieces of at most `width` characters (a word longer
// than that is cut). An empty line stays one empty line.
std::vector<std::string> wrap_line(std::string_view line, std::size_t width);

// Reads the source and builds both files. Errors: a name longer than 50
// characters, a name that an earlier index line of another text already answers
// (its own text could never be found), a text line before the first name, a topic without text or with more than
// the 19 lines the help dialog shows.
HelpBuild build_help_files(std::string_view source);

} // namespace meru::ui
