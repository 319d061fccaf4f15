#pragma once
// Help files written into a temporary folder and opened on their units: an index
// given line by line and a help text given as its records (75 characters each).
#include "platform/io/fileunits.h"
#include "platform/io/units.h"
#include "ui/helpindex.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace meru::test {

// One index line in the files' layout: the record right-aligned in six columns,
// a blank, the name.
inline std::string key_line(long long record, const std::string& name)
{
    char num[32];
    std::snprintf(num, sizeof num, "%6lld", record);
    return std::string(num) + " " + name;
}

// A record of the help text as it lies in the file.
inline std::string help_record(const std::string& text) { return ui::fixed_width(text, 75) + "\r\n"; }

class HelpFiles {
public:
    explicit HelpFiles(platform::UnitRegistry& registry) : units(registry) {}

    // Writes both files (replacing earlier ones) and opens them on units 8 and 4.
    void write(const std::vector<std::string>& index_lines, const std::vector<std::string>& text_lines)
    {
        std::string index, text;
        for (const auto& l : index_lines) index += l + "\n";
        for (const auto& l : text_lines) text += help_record(l);
        write_raw(index, text);
    }

    void write_raw(const std::string& index, const std::string& text)
    {
        units.close(ui::kHelpIndexUnit);
        units.close(ui::kHelpTextUnit);
        const std::string key = dir.filePath("merukey.txt").toStdString();
        const std::string hlp = dir.filePath("meruhlp.txt").toStdString();
        std::ofstream(key, std::ios::binary) << index;
        std::ofstream(hlp, std::ios::binary) << text;
        ASSERT_EQ(ui::open_help_index(units, key), 0);
        ASSERT_EQ(ui::open_help_text(units, hlp), 0);
    }

    QTemporaryDir dir;
    io::FileUnits units;
};

} // namespace meru::test
