#include "search/grouped_search.h"

#include <algorithm>

namespace meru::search {

std::vector<int> search_attributes(const LoopSettings& s)
{
    std::vector<int> out{1};
    std::vector<partition::Literal> fixed;
    partition::termcodes(s.lines, *s.tables, fixed);
    for (std::size_t i = 0; i < s.lines.size(); ++i) {
        const files::AttrLine& line = s.tables->line[static_cast<std::size_t>(s.lines[i])];
        if (line.firstattr && line.ncuts > 1)
            for (int a = line.first_attribute(); a <= line.attoff; ++a) out.push_back(a);
        else out.push_back(partition::attribute_of(fixed[i]));
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

int counted_y(const Evaluator& ev)
{
    const int ny = std::clamp(ev.data().ny, 1, stats::kMaxYs);
    const int serial = ev.settings().serial_y;
    return serial > 0 ? std::min(serial, ny) : ny == 1 ? 1 : 0;
}

GroupedSearch::GroupedSearch(const LoopSettings& s, Evaluator& ev, bool keep) : settings_(s), evaluator_(ev)
{
    const EvaluationSettings& es = ev.settings();
    const EvaluationData& d = ev.data();
    const int k = counted_y(ev);
    if (keep || k == 0 || !s.data || !s.crit || !s.tables || s.forcing || !s.serial.empty() || s.rank_stage ||
        s.process_mode || !es.search_stage || es.rank_stage || !es.combination ||
        ev.criterion().input() != stats::ScoreInput::CountTable)
        return;
    const auto y = d.y[static_cast<std::size_t>(k - 1)];
    const int nclasses =
        std::clamp(static_cast<int>(d.ymax[static_cast<std::size_t>(k - 1)]) + 1, 0, stats::kMaxClasses);
    const std::vector<int> key = search_attributes(s);
    if (std::any_of(key.begin(), key.end(), [&](int a) { return a < 1 || a > d.abyte.lc; })) return;
    auto groups = std::make_unique<ObservationGroups>();
    if (!group_observations(d.abyte, y, d.mask, d.weights, key, nclasses, kShare, *groups)) return;
    data_ = d;
    data_.abyte = stats::AttributeMatrix(groups->abyte, groups->lc, groups->groups());
    data_.y = {};
    data_.y[static_cast<std::size_t>(k - 1)] = groups->y;
    data_.mask = groups->mask;
    data_.weights = groups->weights;
    own_settings_ = s;
    own_settings_.data = &data_;
    grouped_ = std::move(groups);
    own_evaluator_ = std::make_unique<Evaluator>(data_, ev.crit(), es);
}

} // namespace meru::search
