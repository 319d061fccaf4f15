#include "search/direct_path.h"

#include <algorithm>

namespace meru::search {

void ShapeTable::clear()
{
    slots_.assign(256, Slot{});
    used_ = 0;
}

int& ShapeTable::at(std::uint64_t key)
{
    if (slots_.empty() || 2 * (used_ + 1) > slots_.size()) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(std::max<std::size_t>(256, 2 * old.size()), Slot{});
        used_ = 0;
        for (const Slot& s : old)
            if (s.used) at(s.key) = s.value;
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
    while (slots_[i].used && slots_[i].key != key) i = (i + 1) & mask;
    Slot& s = slots_[i];
    if (!s.used) {
        s.used = true;
        s.key = key;
        ++used_;
    }
    return s.value;
}

DirectScorer::DirectScorer(ClassOrderedSample& sample, std::span<const partition::Literal> literals,
                           std::span<const char> plain, std::vector<partition::Literal> fixed,
                           std::span<const std::int8_t> signbyte, bool skip)
    : sample_(sample), skip_(skip), fixed_(std::move(fixed))
{
    int top = 0;
    for (partition::Literal l : literals) top = std::max(top, partition::attribute_of(l));
    plain_.assign(static_cast<std::size_t>(top) + 1, 0);
    position_.assign(plain_.size(), -1);
    bool missing = false;
    for (std::size_t i = 0; i < literals.size(); ++i) {
        const auto a = static_cast<std::size_t>(partition::attribute_of(literals[i]));
        plain_[a] = plain[i];
        position_[a] = static_cast<int>(i);
        for (int r = 0; r < 2; ++r)
            cols_[static_cast<std::size_t>(r)].push_back(sample_.columns().literal(
                literals[i], r ? partition::kPlain : partition::kFlipped, signbyte, missing));
    }
}

bool DirectScorer::start(std::span<const int> p)
{
    p_.assign(p.begin(), p.end());
    std::vector<int> term_of;
    for (std::size_t t = 0; t < p_.size(); ++t)
        term_of.insert(term_of.end(), static_cast<std::size_t>(p_[t]), int(t));
    pairs_.clear();
    for (std::size_t i = 0; i < term_of.size(); ++i)
        for (std::size_t j = i + 1; j < term_of.size(); ++j)
            if (term_of[i] != term_of[j]) pairs_.emplace_back(i, j);
    if (2 * pairs_.size() + term_of.size() > 64) return false;
    const int longest = *std::max_element(p_.begin(), p_.end());
    term_.resize(static_cast<std::size_t>(longest));
    const std::size_t words = sample_.unit_words();
    for (std::size_t r = 0; r < 2; ++r) {
        if (longest > subsets_k_) subsets_[r].build(cols_[r], words, longest, skip_);
        stacks_[r].start(words, static_cast<int>(p_.size()), skip_);
        held_[r].assign(term_of.size(), 0);
        scratch_[r].resize(p_.size());
        shapes_[r].clear();
    }
    subsets_k_ = std::max(subsets_k_, longest);
    return true;
}

std::uint64_t DirectScorer::key(std::span<const partition::Literal> lits) const
{
    // Within a term the attributes ascend: the shape is the signs and the order
    // of the attributes of every pair of positions in different terms.
    std::uint64_t k = 0;
    for (partition::Literal l : lits) k = (k << 1) | (l < 0 ? 1u : 0u);
    for (const auto& [i, j] : pairs_) {
        const int a = partition::attribute_of(lits[i]), b = partition::attribute_of(lits[j]);
        k = (k << 2) | static_cast<std::uint64_t>((a > b) + (a >= b));
    }
    return k;
}

void DirectScorer::table(std::span<const partition::Literal> index, int r, stats::CountTable& out)
{
    const auto side = static_cast<std::size_t>(r);
    TermStack& stack = stacks_[side];
    partition::Literal* held = held_[side].data();
    const std::size_t q = p_.size();
    // The first term that differs from the held candidate; it and every term
    // after it are made again.
    std::size_t at = 0, t = 0;
    for (; t < q; ++t) {
        const auto len = static_cast<std::size_t>(p_[t]);
        std::size_t i = 0;
        while (i < len && index[at + i] == held[at + i]) ++i;
        if (i < len) break;
        at += len;
    }
    for (; t < q; ++t) {
        const auto len = static_cast<std::size_t>(p_[t]);
        for (std::size_t i = 0; i < len; ++i) {
            held[at + i] = index[at + i];
            term_[i] = position_[static_cast<std::size_t>(partition::attribute_of(index[at + i]))];
        }
        const TermWords words = subsets_[side].make(std::span<const int>(term_.data(), len), scratch_[side][t]);
        if (t + 1 < q) stack.set(static_cast<int>(t), words);
        else last_[side] = words;
        at += len;
    }
    const TermWords before = q > 1 ? stack.words(static_cast<int>(q) - 2) : subsets_[side].none();
    sample_.partab_terms(before, last_[side], skip_, r, out);
}

void DirectScorer::score(const DirectJobs& jobs, std::size_t from, std::size_t to, Evaluator& ev,
                         std::span<Score> out, const std::atomic<bool>& cancel)
{
    for (std::size_t j = from; j < to && !cancel.load(std::memory_order_relaxed); ++j) {
        const DirectJobs::Job& job = jobs.jobs[j];
        if (job.kind != DirectJobs::kScore) continue;
        table(jobs.lits_of(job), job.side, counts_);
        out[j] = ev.score_table(counts_);
    }
}

} // namespace meru::search
