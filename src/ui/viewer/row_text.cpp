#include "ui/viewer/row_text.h"

#include "files/textutil.h"

#include <algorithm>

namespace meru::ui::viewer {

namespace {

// Fields a row can show: 250 of 9 columns fill the 2250-column line.
constexpr int kMaxFields = 250;
constexpr int kFieldWidth = 8;

bool starts(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

} // namespace

RowColours log_colours(std::string& line)
{
    RowColours c;
    const char c1 = line.empty() ? ' ' : line[0];
    if (c1 == ' ') {
        c = {kBlack, kWhite};
    } else if (starts(line, "NOTE")) {
        c = {kBlue, kWhite};
    } else if (c1 == '+') {
        c = {kBlue, kWhite};
        line[0] = ' ';
    } else if (starts(line, "ERRO")) {
        c = {kRed, kWhite};
    } else {
        c = {kBlack, kPaleYellow};
    }
    // The tests below see the line as the "+" rule left it.
    const char first = line.empty() ? ' ' : line[0];
    if (first != ' ' && starts(line, "Analysis of BY")) c = {kBlack, kPaleBlue};
    if (first == '%') c = {kBlack, kPaleGreen};
    if (first != ' ' && starts(line, "%time")) c = {kGrey, kWhite};
    if (first == '1') {
        c = {kBlack, kWhite};
        line[0] = ' ';
    } else if (first == '2') {
        c = {kBlack, kLightGrey};
        line[0] = ' ';
    }
    if (line.find("-----") != std::string::npos) c = {kBlue, kWhite};
    return c;
}

std::string field_row(const std::vector<std::string>& fields)
{
    std::string row;
    const std::size_t count = std::min(fields.size(), static_cast<std::size_t>(kMaxFields));
    row.reserve(count * (kFieldWidth + 1));
    for (std::size_t j = 0; j < count; ++j)
        row += files::pad(std::string_view(fields[j]).substr(0, kFieldWidth), kFieldWidth + 1);
    return row;
}

std::string data_row(std::string_view line, DataLayout layout)
{
    const char delim = layout.tab ? '\t' : (layout.comma ? ',' : ' ');
    const std::string text = layout.comma ? files::noblanks(line) : std::string(line);
    return field_row(files::splitnames(text, delim, kFieldWidth, kMaxFields, nullptr).fields);
}

} // namespace meru::ui::viewer
