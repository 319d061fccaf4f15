#include "ui/helpindex.h"

#include "platform/io/fileunits.h"
#include "platform/io/format.h"
#include "platform/io/iostat.h"

#include <algorithm>

namespace meru::ui {

namespace {

const io::Format& index_format()
{
    static const io::Format format = [] {
        io::Format f;
        f.parse("(I6,1X,A50)");
        return f;
    }();
    return format;
}

bool all_blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

} // namespace

int open_help_index(io::FileUnits& units, const std::string& path, int unit)
{
    return units.open(unit, {path, io::FileStatus::Old, io::FileAccess::Sequential, 0});
}

int open_help_text(io::FileUnits& units, const std::string& path, int unit)
{
    return units.open(unit, {path, io::FileStatus::Old, io::FileAccess::Direct, kHelpRecordLength});
}

std::string fixed_width(std::string_view text, std::size_t width)
{
    std::string out(text.substr(0, std::min(text.size(), width)));
    out.resize(width, ' ');
    return out;
}

bool topic_matches(std::string_view name, long long record, std::string_view topic)
{
    const std::string n = fixed_width(name, kHelpNameWidth);
    const std::string t = fixed_width(topic, kHelpTopicWidth);
    if (n.compare(0, kHelpTopicWidth, t) == 0) return true;
    if (record == 0) return false;
    for (std::size_t start = 1; start + kHelpTopicWidth <= kHelpNameWidth; ++start)
        if (n.compare(start, kHelpTopicWidth, t) == 0) return true;
    return false;
}

int read_index_line(io::FileUnits& units, int unit, IndexLine& line)
{
    io::FormattedReader reader(index_format(), units.source(unit));
    long long record = 0;
    std::string name;
    if (const int st = reader.read_int(record); st != 0) return st;
    if (const int st = reader.read_text(name, kHelpNameWidth); st != 0) return st;
    line.record = record;
    line.name = std::move(name);
    return 0;
}

std::optional<IndexLine> find_topic(io::FileUnits& units, int unit, std::string_view topic)
{
    if (units.rewind(unit) != 0) return std::nullopt;
    for (;;) {
        IndexLine line;
        const int st = read_index_line(units, unit, line);
        if (st != 0 && st != io::kErrBadInput) return std::nullopt;
        if (st == 0 && topic_matches(line.name, line.record, topic)) return line;
    }
}

TopicText read_topic_text(io::FileUnits& units, int unit, long long record)
{
    TopicText text;
    for (int i = 1;; ++i, ++record) {
        std::string raw;
        const int st = units.read_direct(unit, record, raw);
        if (st != 0) {
            // Past the last record: the text ends with the file.
            if (i > 1 && st == io::kErrBadRecord) return text;
            text.status = st;
            text.lines.clear();
            return text;
        }
        std::string line = fixed_width(raw, kHelpLineWidth);
        if (line.starts_with(kHelpEndLine) || i > kHelpLinesShown) return text;
        text.lines.push_back(std::move(line));
    }
}

bool is_listable(std::string_view name)
{
    if (all_blank(name)) return false;
    for (std::string_view prefix : {"NOTE", "Note", "Help", "HELP", "ERROR", "?"})
        if (name.starts_with(prefix)) return false;
    return true;
}

TopicTable listable_topics(io::FileUnits& units, int unit)
{
    TopicTable table;
    if (units.rewind(unit) != 0) return table;
    long long last_record = 0;
    for (;;) {
        IndexLine line;
        const int st = read_index_line(units, unit, line);
        if (st != 0 && st != io::kErrBadInput) return table;
        if (st != 0 || !is_listable(line.name)) continue;
        // Names in a row that share one text are one topic: the first is listed.
        if (line.record > 0 && line.record == last_record) continue;
        last_record = line.record;
        if (table.names.size() == kHelpTopicsMax) {
            table.overflow = true;
            return table;
        }
        table.names.push_back(std::move(line.name));
    }
}

int tip_number(int count, double u)
{
    if (count < 1) return 0;
    return std::clamp(1 + static_cast<int>(count * u), 1, count);
}

} // namespace meru::ui
