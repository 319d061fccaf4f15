#include "settings/bestdlg.h"

#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>

namespace meru::settings {

using namespace bestdlg_ids;

std::vector<std::string> best_lines(std::span<const search::StoredPartition> entries, const search::Hull& hull,
                                    int optimum, double beta)
{
    std::vector<std::string> lines;
    for (size_t j = 0; j < entries.size(); ++j) {
        const search::StoredPartition& e = entries[j];
        const int i = static_cast<int>(j) + 1;
        std::string line = io::fmt_i(i, 3);
        if (e.value < -1e10f) line += ". G_beta= unknown      at c=";
        else line += ". G_beta=" + io::fmt_f(e.value - e.complexity * beta, 13, 6) + " at c=";
        line += io::fmt_i(e.complexity, 2);
        // The marks take columns 39 and 40, or follow a widened figure after a blank.
        const std::size_t marks = std::max<std::size_t>(38, line.size() + 1);
        line.resize(marks + 2, ' ');
        if (i == optimum) line[marks] = '*';
        if (hull.position_of(i) > 0) line[marks + 1] = '+';
        lines.push_back(std::move(line));
    }
    return lines;
}

BetaRange beta_range(const search::Hull& hull, int h)
{
    BetaRange r;
    const search::HullPoint& p = hull.points[static_cast<size_t>(h)];
    if (static_cast<size_t>(h) + 1 < hull.points.size()) {
        const search::HullPoint& next = hull.points[static_cast<size_t>(h) + 1];
        r.lower = (next.g - p.g) / (next.c - p.c);
    }
    const search::HullPoint& prev = hull.points[static_cast<size_t>(h) - 1];
    r.upper = (p.g - prev.g) / (p.c - prev.c);
    return r;
}

std::string beta_range_line(int complexity, const BetaRange& range)
{
    return " Selected partition complexity " + io::fmt_i(complexity, 2) + " is optimal for " +
           io::fmt_f(range.lower, 9, 3) + "<beta<=" + io::fmt_f(range.upper, 9, 3);
}

namespace {

// The line the user selected (1-based), 0 for none.
int selected_line(const Form& form, const std::vector<std::string>& lines)
{
    if (const auto p = form.picked.find(kList); p != form.picked.end()) {
        const auto it = std::find(p->second.begin(), p->second.end(), true);
        if (it != p->second.end()) return static_cast<int>(it - p->second.begin()) + 1;
    }
    if (const auto c = form.choice.find(kList); c != form.choice.end() && !c->second.empty()) {
        const auto it = std::find(lines.begin(), lines.end(), c->second);
        if (it != lines.end()) return static_cast<int>(it - lines.begin()) + 1;
    }
    return 0;
}

} // namespace

BestChoice bestdlg(const BestChoiceInput& in, FormDialog& dialog, io::LogWriter& log)
{
    static const search::Hull kNoHull{{search::HullPoint{}}};
    const search::Hull& hull = in.hull != nullptr ? *in.hull : kNoHull;
    if (!in.in_go) log.write(" Selecting partition from best at each complexity");
    BestChoice out;
    if (in.optimum > 0 && (in.in_go || in.optimum == in.asked)) {
        out.entry = in.optimum;
    } else {
        const std::vector<std::string> lines = best_lines(in.entries, hull, in.optimum, in.beta);
        for (;;) {
            Form form;
            form.items[kList] = lines;
            form.text[kHeading] = kBestHeading;
            form.text[kBeta] = io::fmt_f(in.beta, 13, 6);
            const int id = dialog.run(kDialog, form);
            if (id == kMissing) {
                log.write("Error: dialog box 13 not found");
                out.cancelled = true;
                return out;
            }
            if (id != kOk) {
                out.cancelled = true;
                return out;
            }
            out.entry = selected_line(form, lines);
            if (out.entry > 0) break;
        }
    }
    if (out.entry < 1 || out.entry > static_cast<int>(in.entries.size())) {
        out.cancelled = true;
        out.entry = 0;
        return out;
    }
    out.chosen = &in.entries[static_cast<size_t>(out.entry) - 1];
    const int h = hull.position_of(out.entry);
    if (h > 0 && !in.in_go) log.write(beta_range_line(out.chosen->complexity, beta_range(hull, h)));
    return out;
}

} // namespace meru::settings
