#include "rectdiag/attrkey_draw.h"

#include "platform/canvas.h"
#include "stats/attrkey.h"

namespace meru::rectdiag {

namespace {

constexpr std::string_view kJoin = " & ";
constexpr int kRowStep = 10;

} // namespace

std::vector<std::string> wrap_key_line(const std::string& text, const std::function<bool(const std::string&)>& fits)
{
    std::vector<std::string> rows;
    std::string row;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t join = text.find(kJoin, from);
        const std::size_t end = join == std::string::npos ? text.size() : join;
        const std::string part = text.substr(from, end - from);
        if (row.empty()) {
            row = rows.empty() ? part : "  & " + part;
        } else if (fits(row + std::string(kJoin) + part)) {
            row += std::string(kJoin) + part;
        } else {
            rows.push_back(row);
            row = "  & " + part;
        }
        if (join == std::string::npos) break;
        from = join + kJoin.size();
    }
    rows.push_back(row);
    return rows;
}

std::vector<int> attrkey(platform::Canvas& canvas, std::span<const int> side, const partition::TermList& list,
                         const files::ControlTables& tables, int s, int x, int& y, int width)
{
    std::vector<int> tops;
    canvas.set_color_rgb(0x000000);
    if (list.q() < 1) return tops;
    const auto fits = [&](const std::string& row) { return canvas.text_width(row) <= width; };
    canvas.moveto(x, y);
    for (const std::string& text : stats::attrkey_lines(side, list, tables, s)) {
        tops.push_back(y);
        for (const std::string& row : wrap_key_line(text, fits)) {
            canvas.outgtext(row);
            y += kRowStep;
            canvas.moveto(x, y);
        }
    }
    return tops;
}

} // namespace meru::rectdiag
