#include "search/cut_walk.h"

#include "partition/labels.h"
#include "search/direct_path.h"

#include <algorithm>

namespace meru::search {

partition::Literal signed_literal(int attribute, const files::ControlTables* t)
{
    if (!t || attribute < 1 || static_cast<std::size_t>(attribute) >= t->att.size()) return attribute;
    return t->att[static_cast<std::size_t>(attribute)].signbyte < 0 ? -attribute : attribute;
}

void CutWalk::begin(const LoopSettings& s, std::span<const int> index, const DirectScorer* fixed)
{
    floating_.clear();
    cut_.clear();
    changed_ = 0;
    shape_fixed_from_ = 0;
    settings_ = 1;
    if (fixed && fixed->fixed()) { // no line floats: each item has its literal
        lits_.resize(index.size());
        for (std::size_t i = 0; i < index.size(); ++i) lits_[i] = fixed->item(index[i]);
        return;
    }
    ncuts_.clear();
    at_.clear();
    cut_lits_.clear();
    chosen_.resize(index.size());
    for (std::size_t i = 0; i < index.size(); ++i) chosen_[i] = s.lines[static_cast<std::size_t>(index[i] - 1)];
    partition::termcodes(chosen_, *s.tables, lits_);
    for (std::size_t i = 0; i < chosen_.size(); ++i) {
        const int k = chosen_[i];
        if (k < 1 || static_cast<std::size_t>(k) >= s.tables->line.size()) continue;
        const files::AttrLine& line = s.tables->line[static_cast<std::size_t>(k)];
        if (!line.firstattr || line.ncuts <= 1) continue;
        floating_.push_back(static_cast<int>(i));
        ncuts_.push_back(line.ncuts);
        at_.push_back(static_cast<int>(cut_lits_.size()));
        settings_ *= static_cast<std::size_t>(line.ncuts);
        // The items' attribute ranges being apart, a cut makes the attribute
        // equal to another only at the same item elsewhere in the candidate.
        bool keeps = std::count(index.begin(), index.end(), index[i]) == 1;
        for (int c = 0; c < line.ncuts; ++c) {
            cut_lits_.push_back(signed_literal(line.first_attribute() + c, s.tables));
            keeps = keeps && (cut_lits_.back() < 0) == (cut_lits_[static_cast<std::size_t>(at_.back())] < 0);
        }
        if (!keeps) shape_fixed_from_ = i + 1;
    }
    cut_.assign(floating_.size(), 0);
    apply();
}

void CutWalk::apply()
{
    for (std::size_t j = 0; j < floating_.size(); ++j)
        lits_[static_cast<std::size_t>(floating_[j])] = cut_lits_[static_cast<std::size_t>(at_[j] + cut_[j])];
}

bool CutWalk::next()
{
    for (std::size_t j = cut_.size(); j-- > 0;) {
        const bool stepped = ++cut_[j] < ncuts_[j];
        if (!stepped) cut_[j] = 0;
        lits_[static_cast<std::size_t>(floating_[j])] = cut_lits_[static_cast<std::size_t>(at_[j] + cut_[j])];
        if (stepped) {
            changed_ = static_cast<std::size_t>(floating_[j]);
            return true;
        }
    }
    return false;
}

std::size_t CutWalk::settings_from(std::size_t position) const
{
    std::size_t n = 1;
    for (std::size_t j = 0; j < floating_.size(); ++j)
        if (static_cast<std::size_t>(floating_[j]) >= position) n *= static_cast<std::size_t>(ncuts_[j]);
    return n;
}

bool usable(const LoopSettings& s, std::span<const partition::Literal> lits)
{
    if (s.usable.empty() || s.rank_stage || s.process_mode) return true;
    return std::all_of(lits.begin(), lits.end(), [&](partition::Literal l) {
        const auto a = static_cast<std::size_t>(partition::attribute_of(l));
        return a < s.usable.size() && s.usable[a] != 0;
    });
}

} // namespace meru::search
