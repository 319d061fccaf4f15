#pragma once
// The help files as the help display reads them: the index (one line per topic,
// "(I6,1X,A50)": the record where the topic's text begins and the topic's name)
// read sequentially from the top at every lookup, and the help text, fixed
// records of 75 characters and CR LF read by record number. A topic's text ends
// before the first record that starts with 20 dashes. No Qt here.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meru::io {
class FileUnits;
}

namespace meru::ui {

constexpr int kHelpIndexUnit = 8;
constexpr int kHelpTextUnit = 4;
constexpr std::size_t kHelpRecordLength = 77; // 75 characters, CR, LF
constexpr std::size_t kHelpLineWidth = 75;
constexpr std::size_t kHelpNameWidth = 50;
constexpr std::size_t kHelpTopicWidth = 40; // a topic is named by 40 characters
constexpr int kHelpLinesShown = 19;
constexpr std::size_t kHelpTopicsMax = 300; // topics the Help Topics list holds
constexpr std::string_view kHelpEndLine = "--------------------";

// Opens the index (sequential, must exist) and the help text (direct access, 77-byte
// records, must exist) on their units. Each returns an iostat (0 when opened).
int open_help_index(io::FileUnits& units, const std::string& path, int unit = kHelpIndexUnit);
int open_help_text(io::FileUnits& units, const std::string& path, int unit = kHelpTextUnit);

// `text` cut or blank-padded to `width` characters.
std::string fixed_width(std::string_view text, std::size_t width);

struct IndexLine {
    long long record = 0;
    std::string name; // 50 characters, blank padded
};

// Whether an index line with `name` (50 characters) and `record` names the topic
// (40 characters): the name's first 40 characters equal the topic; or, with a record
// number other than 0, the topic (trailing blanks included) occurs inside the name
// starting in one of its columns 1 to 11, so that nothing but blanks follows the
// topic's last non-blank character up to its 40th.
bool topic_matches(std::string_view name, long long record, std::string_view topic);

// Reads the next index line. 0, kEndOfFile at the end, or kErrBadInput for a line
// whose record field is not a whole number (the line is passed over).
int read_index_line(io::FileUnits& units, int unit, IndexLine& line);

// The first index line that names `topic` (from the top of the index), or nothing.
// Lines that cannot be read are passed over.
std::optional<IndexLine> find_topic(io::FileUnits& units, int unit, std::string_view topic);

struct TopicText {
    int status = 0;                 // iostat of a failed first read; 0 otherwise
    std::vector<std::string> lines; // the lines shown: at most 19 of 75 characters
};

// The text that starts at `record`: the records up to the dash line, at most 19. A
// text that runs into the end of the file ends there.
TopicText read_topic_text(io::FileUnits& units, int unit, long long record);

// Whether the Help Topics list shows an index name: not all blank, and not
// beginning "NOTE", "Note", "Help", "HELP", "ERROR" or "?" (exactly so written).
bool is_listable(std::string_view name);

struct TopicTable {
    std::vector<std::string> names; // 50 characters each, in index order
    bool overflow = false;          // more than kHelpTopicsMax listable names
};
// The listable names of the index, from its top; of listable names in a row
// that share a text (one record number), only the first.
TopicTable listable_topics(io::FileUnits& units, int unit);

// The number (1 .. count) of the topic a tip shows for a draw u in (0, 1). Every
// topic is equally likely.
int tip_number(int count, double u);

} // namespace meru::ui
