#pragma once
// A search's own grouping of its observations: where the candidates are
// scored by count tables, the observations that agree on every attribute the
// search reads and on the Y class are counted once with their summed weight
// (observation_groups.h), and the search runs over the groups with an
// evaluator of its own. The results are those of the ungrouped search; only
// the units the kernels pass over are fewer.
#include "search/observation_groups.h"
#include "search/search_loop.h"

#include <memory>

namespace meru::search {

class GroupedSearch {
public:
    // Groups when the search can take it (one Y scored by a count table in a
    // search, no forced attribute nor serial joins, the data and criterion
    // settings given), the groups are at most kShare of the units and the
    // units are not to be kept as they are (`keep`); otherwise settings()
    // and evaluator() are the given ones.
    GroupedSearch(const LoopSettings& settings, Evaluator& evaluator, bool keep = false);
    static constexpr double kShare = 0.5;

    const LoopSettings& settings() const { return grouped_ ? own_settings_ : settings_; }
    Evaluator& evaluator() { return grouped_ ? *own_evaluator_ : evaluator_; }
    bool grouped() const { return grouped_ != nullptr; }

private:
    const LoopSettings& settings_;
    Evaluator& evaluator_;
    std::unique_ptr<ObservationGroups> grouped_;
    EvaluationData data_;
    LoopSettings own_settings_;
    std::unique_ptr<Evaluator> own_evaluator_;
};

// The one Y a search's evaluator scores, 1..NY; 0 when it scores several.
int counted_y(const Evaluator& evaluator);

// The attributes a search's candidates can read: those of its items (each
// cut of a line whose cuts float) and the null attribute, ascending.
std::vector<int> search_attributes(const LoopSettings& settings);

} // namespace meru::search
