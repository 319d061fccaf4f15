#pragma once
// What a row of the viewer shows for a line of the file: the output log's lines
// are coloured by their first characters (the log's writers start their lines
// with these characters to give them a colour), and delimited data lines are laid
// out in fields of 9 columns. Colours are 0xBBGGRR.
#include "platform/colour.h"

#include <string>
#include <string_view>
#include <vector>

namespace meru::ui::viewer {

constexpr int kPaleYellow = 0x99ffff;
constexpr int kPaleBlue = 0xffcccc;
constexpr int kPaleGreen = 0xaaffaa;
constexpr int kLightGrey = 0xeeeeee;

struct RowColours {
    int fore = kBlack;
    int back = kWhite;
};

// The colours of a log line; a first "+", "1" or "2" becomes a blank in `line`.
// Later rules override earlier ones:
//   starts blank: black on white; "NOTE": blue on white; "+": blue on white, "+"
//   blanked; "ERRO": red on white; any other first character: black on pale
//   yellow; "Analysis of BY": on pale blue; "%": on pale green; "%time": grey on
//   white; "1": black on white, blanked; "2": on light grey, blanked; a line
//   holding "-----" anywhere: blue on white.
RowColours log_colours(std::string& line);

// Fields laid out as the data viewer shows them: field j (of 8 characters at
// most) in columns 9j - 8 to 9j - 1, at most 250 fields.
std::string field_row(const std::vector<std::string>& fields);

// How delimited data are split: at tabs, else at commas, else at blanks (runs of
// blanks separate).
struct DataLayout {
    bool tab = false;
    bool comma = false;
};

// A delimited data line as the data viewer shows it: with comma data every blank
// is removed first; then the fields are laid out by field_row.
std::string data_row(std::string_view line, DataLayout layout);

} // namespace meru::ui::viewer
