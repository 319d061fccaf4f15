#include "rectdiag/fitted_diagram.h"

#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>

namespace meru::rectdiag {

FittedDiagram fitted_diagram(std::span<const double> counts, srdfit::Layout layout)
{
    FittedDiagram d;
    d.layout = std::move(layout);
    d.grid = srdfit::cell_grid(d.layout.boxes);
    d.state.count_power = 1.0;
    d.state.first_cell = 0;
    const srdfit::Counts c{counts, d.state.first_cell};
    const double total = c.total();
    const std::size_t n = std::min({counts.size(), d.layout.areas.size(), d.state.count.size()});
    for (std::size_t i = 0; i < n; ++i) {
        d.state.count[i] = counts[i];
        d.state.area[i] = d.layout.areas[i] * total;
    }
    return d;
}

std::vector<std::vector<int>> term_literals(const partition::TermList& list)
{
    std::vector<std::vector<int>> terms;
    if (!list.consistent()) return terms;
    for (std::span<const partition::Literal> term : list.terms()) terms.emplace_back(term.begin(), term.end());
    return terms;
}

void log_rectangles(io::LogWriter& log, const srdfit::Layout& layout)
{
    for (std::size_t j = 0; j < layout.boxes.size(); ++j) {
        const srdfit::Rect& b = layout.boxes[j];
        log.write(" Rectangle" + io::fmt_i(static_cast<long long>(j + 1), 2) + io::fmt_f(b.x1, 10, 6) +
                  io::fmt_f(b.x2, 10, 6) + io::fmt_f(b.y1, 10, 6) + io::fmt_f(b.y2, 10, 6));
    }
}

} // namespace meru::rectdiag
