#include "search/entry_bounds.h"

#include <algorithm>

namespace meru::search {

void EntryBounds::take(const SearchResults& r, const EvaluationSettings& es)
{
    combination_ = es.combination;
    ranking_ = es.rank_stage;
    saved_full_ = r.searchg_count >= SearchResults::kSavedG;
    beta_ = es.penalty;
    const auto slots = r.top10.slots();
    top_least_ = slots.front().value;
    for (const StoredPartition& s : slots) top_least_ = std::min(top_least_, s.value);
    const auto entries = r.bestlist.entries();
    best_full_ = r.bestlist.count() == BestAtComplexity::kCapacity;
    best_last_ = entries.empty() ? 0 : entries.back().complexity;
    std::fill(has_.begin(), has_.end(), 0);
    for (const StoredPartition& s : entries) {
        if (s.complexity < 0 || s.complexity > SearchResults::kMaxComplexity) continue;
        const auto c = static_cast<std::size_t>(s.complexity);
        if (c >= has_.size()) {
            has_.resize(c + 1, 0);
            best_.resize(c + 1, 0.0f);
        }
        // Only a list in its ordered form keeps a complexity at one slot, so
        // that a G below it enters nowhere; below_stored() of the lowest G
        // tells the form.
        has_[c] = r.bestlist.below_stored(s.complexity, -std::numeric_limits<float>::infinity());
        best_[c] = s.value;
    }
}

} // namespace meru::search
