#include "search/fixed_walk.h"

#include "search/cut_walk.h"

#include <numeric>

namespace meru::search {

void FixedWalk::begin(const DirectScorer& direct, const LoopSettings& s, std::span<const int> p)
{
    direct_ = &direct;
    const int n = static_cast<int>(s.lines.size());
    const auto width = static_cast<std::size_t>(std::accumulate(p.begin(), p.end(), 0));
    const auto plast = static_cast<std::size_t>(p.back());
    before_ = width - plast;
    lits_.resize(width);
    last_.resize(plast);
    cand.resize(kBlock);
    leads.resize((kBlock + 1) * (plast - 1));
    newest.resize(kBlock);
    keys.resize(kBlock);
    masks_.resize(kBlock);
    for (std::size_t r = 0; r < 2; ++r) {
        words_[r].resize(kBlock);
        cells[r].resize(kBlock);
        bound[r].resize(kBlock);
        band[r].resize(kBlock);
    }
    usable_.assign(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 1; i <= n; ++i) {
        const partition::Literal l = direct.item(i);
        usable_[static_cast<std::size_t>(i)] = usable(s, std::span<const partition::Literal>(&l, 1));
    }
    in_term_.assign(static_cast<std::size_t>(n) + 1, 0);
}

bool FixedWalk::begin_run(std::span<const int> index, std::span<const int> p)
{
    for (std::size_t j = 0; j < before_; ++j)
        if (!usable_[static_cast<std::size_t>(index[j])]) return false;
    for (std::size_t j = 0; j < lits_.size(); ++j) lits_[j] = direct_->item(index[j]);
    // The earlier terms that could hold a last term.
    std::fill(in_term_.begin(), in_term_.end(), 0);
    const auto plast = static_cast<std::size_t>(p.back());
    for (std::size_t t = 0, at = 0; t + 1 < p.size(); at += static_cast<std::size_t>(p[t]), ++t)
        if (static_cast<std::size_t>(p[t]) >= plast)
            for (std::size_t j = at; j < at + static_cast<std::size_t>(p[t]); ++j)
                in_term_[static_cast<std::size_t>(index[j])] |= std::uint64_t{1} << t;
    std::copy(index.end() - static_cast<std::ptrdiff_t>(plast), index.end(), last_.begin());
    return true;
}

std::span<const partition::Literal> FixedWalk::lits_of(std::size_t i)
{
    const std::uint64_t at = cand[i];
    const std::size_t lead = last_.size() - 1;
    const int* const items = leads.data() + (at >> 32) * lead;
    for (std::size_t j = 0; j < lead; ++j) lits_[before_ + j] = direct_->item(items[j]);
    lits_.back() = direct_->item(static_cast<int>(at & 0xffffffffu));
    return lits_;
}

} // namespace meru::search
