#include "ui/viewer/viewpage.h"

#include "ui/button_bars.h"
#include "ui/context.h"
#include "ui/textrow.h"
#include "ui/viewer/line_index.h"

#include <algorithm>

namespace meru::ui::viewer {

std::string bar_text(bool log)
{
    return std::string(log ? bars::kViewerLog : bars::kViewerFile);
}

void viewpage(Context& ctx, const LineIndex& index, const PageStyle& style, const Page& page)
{
    buttonbar(ctx, bar_text(style.log), kWhite, kBarFont, kBlack);
    int row = 1;
    if (style.data) textrow(ctx, std::string_view(style.name_row), kWhite, ++row, kRowFont, kRed);

    // The page's lines are consecutive: read them at once.
    long long first = -1, count = 0;
    for (long long line : page.rows)
        if (line >= 0) {
            if (first < 0) first = line;
            ++count;
        }
    const std::vector<std::string> lines =
        first >= 0 ? index.lines(first, count, kLineWidth) : std::vector<std::string>{};

    for (std::size_t i = 0; i < page.rows.size(); ++i) {
        ++row;
        const long long line = page.rows[i];
        const std::size_t at = static_cast<std::size_t>(line - first);
        if (line < 0 || at >= lines.size()) {
            textrow(ctx, std::string_view(), kGrey, row, kRowFont, kWhite);
            continue;
        }
        std::string text = lines[at];
        RowColours colours;
        if (style.log) colours = log_colours(text);
        else if (style.data && style.delimited) text = data_row(text, style.layout);
        if (static_cast<int>(i) == page.highlight) colours = {kWhite, kBlack};
        textrow(ctx, text, colours.back, row, kRowFont, colours.fore);
    }
}

} // namespace meru::ui::viewer
