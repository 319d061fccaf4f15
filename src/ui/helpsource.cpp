#include "ui/helpsource.h"

#include "platform/io/records.h"
#include "platform/io/strings.h"
#include "ui/helpindex.h"

#include <cstdio>

namespace meru::ui {

namespace {

using io::rtrim;

std::string where(int line) { return "help.src:" + std::to_string(line) + ": "; }

std::string index_line(long long record, std::string_view name)
{
    char num[16];
    std::snprintf(num, sizeof num, "%6lld", record);
    return rtrim(std::string(num) + " " + fixed_width(name, kHelpNameWidth)) + "\n";
}

std::string text_record(std::string_view line) { return fixed_width(line, kHelpLineWidth) + "\r\n"; }

} // namespace

std::vector<std::string> wrap_line(std::string_view line, std::size_t width)
{
    std::vector<std::string> out;
    std::string rest = rtrim(line);
    while (rest.size() > width) {
        const std::size_t blank = rest.rfind(' ', width);
        const bool at_blank = blank != std::string::npos && rest.find_first_not_of(' ') < blank;
        const std::size_t cut = at_blank ? blank : width;
        out.push_back(rtrim(rest.substr(0, cut)));
        const std::size_t next = rest.find_first_not_of(' ', cut);
        rest = next == std::string::npos ? std::string() : rest.substr(next);
    }
    out.push_back(rest);
    return out;
}

HelpBuild build_help_files(std::string_view source)
{
    HelpBuild b;
    const auto rows = io::split_records(source);
    bool in_names = false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string& row = rows[i];
        const int lineno = static_cast<int>(i) + 1;
        if (row.starts_with("#")) continue;
        if (row.starts_with("@ ")) {
            if (!in_names) {
                b.topics.emplace_back();
                b.topics.back().source_line = lineno;
            }
            in_names = true;
            std::string name = rtrim(row.substr(2));
            if (name.size() > kHelpNameWidth)
                b.errors.push_back(where(lineno) + "name longer than 50 characters: " + name);
            b.topics.back().names.push_back(std::move(name));
            continue;
        }
        in_names = false;
        if (b.topics.empty()) {
            if (!rtrim(row).empty()) b.errors.push_back(where(lineno) + "text before the first topic name");
            continue;
        }
        for (auto& piece : wrap_line(row, kHelpLineWidth)) b.topics.back().lines.push_back(std::move(piece));
    }

    struct Entry {
        long long record;
        std::string name;
    };
    std::vector<Entry> entries;
    long long record = 1;
    for (auto& t : b.topics) {
        while (!t.lines.empty() && t.lines.back().empty()) t.lines.pop_back();
        if (t.lines.empty()) b.errors.push_back(where(t.source_line) + "topic without text");
        if (t.lines.size() > static_cast<std::size_t>(kHelpLinesShown))
            b.errors.push_back(where(t.source_line) + "more than 19 lines (" + std::to_string(t.lines.size()) +
                               "): " + t.names.front());
        for (const auto& name : t.names) {
            for (const auto& e : entries)
                if (e.record != record && topic_matches(e.name, e.record, name)) {
                    b.errors.push_back(where(t.source_line) + "\"" + name + "\" is answered by the earlier \"" +
                                       e.name + "\"");
                    break;
                }
            entries.push_back({record, name});
            b.index += index_line(record, name);
        }
        for (const auto& line : t.lines) b.text += text_record(line);
        b.text += text_record(kHelpEndLine);
        record += static_cast<long long>(t.lines.size()) + 1;
    }
    return b;
}

} // namespace meru::ui
