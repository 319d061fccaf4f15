#include "tree/classtab.h"

#include "files/charcodes.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <string>
#include <vector>

namespace meru::tree {
namespace {

constexpr int kShownHigh = 35; // codes above 35 are never shown
constexpr int kWidth = 8;

std::string code_label(int code, bool character)
{
    if (code < 0) return "-";
    if (character) return std::string(1, files::codechar(code));
    return std::to_string(code);
}

// The text right-aligned in one column of the table.
std::string right(const std::string& s) { return s.size() >= kWidth ? s : std::string(kWidth - s.size(), ' ') + s; }

} // namespace

bool CrossTab::has_missing() const
{
    for (int k = kLow; k <= kHigh; ++k)
        if (at(kLow, k) != 0 || at(k, kLow) != 0) return true;
    return false;
}

void CrossTab::drop_missing()
{
    for (int k = kLow; k <= kHigh; ++k) at(kLow, k) = at(k, kLow) = 0;
}

double misclassification(const CrossTab& t)
{
    std::int64_t total = 0;
    std::int64_t agree = 0;
    for (int x = CrossTab::kLow; x <= kShownHigh; ++x)
        for (int y = CrossTab::kLow; y <= kShownHigh; ++y) total += t.at(x, y);
    for (int k = 0; k <= kShownHigh; ++k) agree += t.at(k, k);
    if (total == 0) return -1.0;
    return 100.0 * (1.0 - static_cast<double>(agree) / static_cast<double>(total));
}

double classtab(io::LogWriter& log, const CrossTab& t, const CrossTabNames& names)
{
    std::vector<std::int64_t> rowsum(kShownHigh + 2, 0), colsum(kShownHigh + 2, 0);
    std::int64_t total = 0;
    for (int x = CrossTab::kLow; x <= kShownHigh; ++x)
        for (int y = CrossTab::kLow; y <= kShownHigh; ++y) {
            const std::int64_t c = t.at(x, y);
            rowsum[static_cast<std::size_t>(x + 1)] += c;
            colsum[static_cast<std::size_t>(y + 1)] += c;
            total += c;
        }
    std::vector<int> rows, cols;
    for (int k = CrossTab::kLow; k <= kShownHigh; ++k) {
        if (rowsum[static_cast<std::size_t>(k + 1)] != 0) rows.push_back(k);
        if (colsum[static_cast<std::size_t>(k + 1)] != 0) cols.push_back(k);
    }
    log.write(" Cross-tab of rows " + std::string(names.x) + " by columns " + std::string(names.y));
    if (total == 0) {
        log.write(" no counts");
        return -1.0;
    }
    std::string head(kWidth, ' ');
    for (int y : cols) head += right(code_label(y, names.ychar));
    log.write(head + right("Total"));
    for (int x : rows) {
        std::string line = right(code_label(x, names.xchar));
        for (int y : cols) line += io::fmt_i(t.at(x, y), kWidth);
        log.write(line + io::fmt_i(rowsum[static_cast<std::size_t>(x + 1)], kWidth));
    }
    std::string foot = right("Total");
    for (int y : cols) foot += io::fmt_i(colsum[static_cast<std::size_t>(y + 1)], kWidth);
    log.write(foot + io::fmt_i(total, kWidth));
    return misclassification(t);
}

} // namespace meru::tree
